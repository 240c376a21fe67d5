// Bond perception from distances, the rings of the bond graph, its pieces and its
// terminal groups.
#include "CConformer/bond_perception.h"

#include <algorithm>
#include <cmath>

#include "CConformer/perception_messages.h"

namespace confsearch {

namespace {

// Marks the bonds that lie on a cycle: a bond is on a cycle exactly when it is not a
// bridge, and a tree edge parent-child of a depth-first search is a bridge when nothing
// below the child reaches back above it (Tarjan's low-link). `low` and `order` are per
// atom; order 0 means not yet visited. Depth is at most the atom count (100).
class RingFinder {
public:
    RingFinder(const std::vector<std::vector<int>>& neighbours, std::vector<PerceivedBond>& bonds,
               const CBondGraph& graph)
        : neighbours(neighbours),
          bonds(bonds),
          graph(graph),
          order(neighbours.size(), 0),
          low(neighbours.size(), 0) {}

    void run() {
        for (auto& bond : bonds) bond.in_ring = true;
        for (std::size_t atom = 1; atom < neighbours.size(); ++atom) {
            if (order[atom] == 0) visit(static_cast<int>(atom), 0);
        }
    }

private:
    const std::vector<std::vector<int>>& neighbours;
    std::vector<PerceivedBond>& bonds;
    const CBondGraph& graph;
    std::vector<int> order;
    std::vector<int> low;
    int counter = 0;

    void visit(int atom, int parent) {
        order[atom] = low[atom] = ++counter;
        for (int next : neighbours[atom]) {
            if (next == parent) continue;
            if (order[next] == 0) {
                visit(next, atom);
                low[atom] = std::min(low[atom], low[next]);
                if (low[next] > order[atom]) mark_bridge(atom, next);
            } else {
                low[atom] = std::min(low[atom], order[next]);
            }
        }
    }

    void mark_bridge(int a, int b) {
        const PerceivedBond* found = graph.find_bond(a, b);
        bonds[static_cast<std::size_t>(found - bonds.data())].in_ring = false;
    }
};

}  // namespace

CBondGraph::CBondGraph(const CBasicConformer& conformer) : size(conformer.get_size()) {
    if (size == 0) throw PerceptionError(no_atoms_message());
    elements.assign(static_cast<std::size_t>(size) + 1, 0);
    neighbours.assign(static_cast<std::size_t>(size) + 1, {});
    std::vector<CVECTOR> points(static_cast<std::size_t>(size) + 1);
    for (int i = 1; i <= size; ++i) {
        elements[i] = conformer.get_element(i).get_number();
        if (elements[i] == 0) throw PerceptionError(unknown_element_message(i));
        points[i] = conformer.get_vector(i);
    }

    // Every pair once, i < j, so the bonds come out ordered by atom1, then atom2.
    const double min_square = MIN_ATOM_DISTANCE * MIN_ATOM_DISTANCE;
    for (int i = 1; i <= size; ++i) {
        for (int j = i + 1; j <= size; ++j) {
            const double square = (points[i] - points[j]).square();
            if (square < min_square) {
                throw PerceptionError(overlapping_atoms_message(i, j, std::sqrt(square)));
            }
            const double limit = bonding_limit(elements[i], elements[j]);
            if (square > limit * limit) continue;
            bonds.push_back({i, j, std::sqrt(square), false});
            neighbours[i].push_back(j);
            neighbours[j].push_back(i);
        }
    }
    for (auto& list : neighbours) std::sort(list.begin(), list.end());
    RingFinder(neighbours, bonds, *this).run();
}

const PerceivedBond* CBondGraph::find_bond(int a, int b) const {
    if (a > b) std::swap(a, b);
    const auto place = std::lower_bound(bonds.begin(), bonds.end(), std::make_pair(a, b),
                                        [](const PerceivedBond& bond, auto key) {
                                            return std::make_pair(bond.atom1, bond.atom2) < key;
                                        });
    if (place == bonds.end() || place->atom1 != a || place->atom2 != b) return nullptr;
    return &*place;
}

std::vector<std::vector<int>> CBondGraph::get_pieces() const {
    std::vector<std::vector<int>> pieces;
    std::vector<bool> seen(static_cast<std::size_t>(size) + 1, false);
    for (int start = 1; start <= size; ++start) {
        if (seen[start]) continue;
        std::vector<int> piece = {start};
        seen[start] = true;
        for (std::size_t k = 0; k < piece.size(); ++k) {
            for (int next : neighbours[piece[k]]) {
                if (!seen[next]) {
                    seen[next] = true;
                    piece.push_back(next);
                }
            }
        }
        std::sort(piece.begin(), piece.end());
        pieces.push_back(piece);
    }
    return pieces;
}

int CBondGraph::get_ring_count() const {
    return static_cast<int>(bonds.size()) - size + static_cast<int>(get_pieces().size());
}

std::vector<TerminalGroup> find_terminal_groups(const CBondGraph& graph) {
    std::vector<TerminalGroup> groups;
    for (int centre = 1; centre <= graph.get_size(); ++centre) {
        // Neighbours come in increasing order, so each group's atoms do too.
        std::vector<TerminalGroup> here;
        for (int atom : graph.get_neighbours(centre)) {
            if (graph.get_degree(atom) != 1) continue;
            const int element = graph.get_element(atom);
            auto group = std::find_if(here.begin(), here.end(),
                                      [&](const TerminalGroup& g) { return g.element == element; });
            if (group == here.end()) {
                here.push_back({centre, element, {atom}});
            } else {
                group->atoms.push_back(atom);
            }
        }
        std::sort(here.begin(), here.end(), [](const TerminalGroup& a, const TerminalGroup& b) {
            return a.element < b.element;
        });
        for (auto& group : here) {
            if (group.atoms.size() >= 2) groups.push_back(group);
        }
    }
    return groups;
}

bool carries_equal_terminals(const CBondGraph& graph, int centre, int from, std::size_t count) {
    const std::vector<int>& around = graph.get_neighbours(centre);
    if (around.size() != count + 1 || !graph.bonded(centre, from)) return false;
    int element = 0;
    for (int atom : around) {
        if (atom == from) continue;
        if (graph.get_degree(atom) != 1) return false;
        if (element != 0 && graph.get_element(atom) != element) return false;
        element = graph.get_element(atom);
    }
    return element != 0;
}

bool is_symmetric_terminal_centre(const CBondGraph& graph, int centre, int from) {
    return carries_equal_terminals(graph, centre, from, 3);
}

}  // namespace confsearch
