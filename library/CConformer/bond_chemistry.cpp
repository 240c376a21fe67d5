// Pi atoms, double bonds by matching, aromatic atoms and atom shapes from the bond graph.
#include "CConformer/bond_chemistry.h"

#include <algorithm>
#include <map>

#include "detail/atomic_numbers.h"
#include "max_matching.h"

namespace confsearch {

namespace {

using detail::BORON;
using detail::CARBON;
using detail::NITROGEN;
using detail::OXYGEN;
using detail::SULFUR;

// A two-coordinate atom this straight has no torsion about its bonds.
const double LINEAR_ANGLE = radian(170.0);

bool terminal_oxygen_on(const CBondGraph& graph, int atom) {
    for (const int next : graph.get_neighbours(atom))
        if (graph.get_element(next) == OXYGEN && graph.get_degree(next) == 1) return true;
    return false;
}

bool needs_double_bond(const CBondGraph& graph, int atom) {
    const int z = graph.get_element(atom);
    const int degree = graph.get_degree(atom);
    if (z == CARBON) return degree == 3;
    if (z == NITROGEN) return degree == 2 || (degree == 3 && terminal_oxygen_on(graph, atom));
    if (z == OXYGEN || z == SULFUR) return degree == 1;
    return false;
}

// The pi atoms of one connected piece of the pi graph, with the bonds between them as
// local indices, and the size of its largest matching with or without some of them.
class PiPiece {
public:
    PiPiece(const std::vector<int>& atoms, const CBondGraph& graph) : atoms(atoms) {
        for (std::size_t k = 0; k < atoms.size(); ++k) local[atoms[k]] = static_cast<int>(k);
        for (const int a : atoms)
            for (const int b : graph.get_neighbours(a))
                if (a < b && local.count(b) != 0) edges.emplace_back(local[a], local[b]);
        full = detail::maximum_matching(size(), edges);
    }

    int size() const { return static_cast<int>(atoms.size()); }
    int best() const { return full; }
    int index(int atom) const { return local.at(atom); }

    // The largest matching without the edge a-b (local indices), or without the atoms
    // listed.
    int without_edge(int a, int b) const {
        std::vector<std::pair<int, int>> kept;
        for (const auto& e : edges)
            if (!((e.first == a && e.second == b) || (e.first == b && e.second == a)))
                kept.push_back(e);
        return detail::maximum_matching(size(), kept);
    }
    int without_atoms(const std::vector<int>& gone) const {
        std::vector<std::pair<int, int>> kept;
        for (const auto& e : edges)
            if (std::find(gone.begin(), gone.end(), e.first) == gone.end() &&
                std::find(gone.begin(), gone.end(), e.second) == gone.end())
                kept.push_back(e);
        return detail::maximum_matching(size(), kept);
    }

private:
    std::vector<int> atoms;
    std::map<int, int> local;
    std::vector<std::pair<int, int>> edges;
    int full = 0;
};

double angle_at(const CBasicConformer& conformer, int centre, int a, int b) {
    return conformer.get_vector(centre).p_angle(conformer.get_vector(a), conformer.get_vector(b));
}

// The nitrogen of three neighbours, oxygen or sulfur of two, that an aromatic ring of five
// holds in place of a pi atom.
bool lone_pair_atom(const CBondGraph& graph, int atom) {
    const int z = graph.get_element(atom);
    const int degree = graph.get_degree(atom);
    return (z == NITROGEN && degree == 3) || ((z == OXYGEN || z == SULFUR) && degree == 2);
}

// The smallest ring through each pair of ring neighbours of the atom, up to seven atoms:
// the atom and the shortest path between the two that avoids it.
std::vector<std::vector<int>> small_rings_through(const CBondGraph& graph, int atom) {
    const std::size_t most = 7;
    std::vector<int> around;
    for (const int b : graph.get_neighbours(atom))
        if (graph.find_bond(atom, b)->in_ring) around.push_back(b);
    std::vector<std::vector<int>> rings;
    for (std::size_t i = 0; i < around.size(); ++i) {
        for (std::size_t j = i + 1; j < around.size(); ++j) {
            std::map<int, int> before = {{around[i], 0}};
            std::vector<int> queue = {around[i]};
            for (std::size_t k = 0; k < queue.size() && before.count(around[j]) == 0; ++k)
                for (const int next : graph.get_neighbours(queue[k]))
                    if (next != atom && before.count(next) == 0) {
                        before[next] = queue[k];
                        queue.push_back(next);
                    }
            if (before.count(around[j]) == 0) continue;
            std::vector<int> ring = {atom};
            for (int at = around[j]; at != 0; at = before[at]) ring.push_back(at);
            if (ring.size() <= most) rings.push_back(ring);
        }
    }
    return rings;
}

}  // namespace

BondChemistry::BondChemistry(const CBasicConformer& conformer, const CBondGraph& graph)
    : graph(graph) {
    const int n = graph.get_size();
    const std::size_t entries = static_cast<std::size_t>(n) + 1;
    pi.assign(entries, false);
    aryl.assign(entries, false);
    shapes.assign(entries, AtomShape::terminal);
    for (int a = 1; a <= n; ++a) pi[a] = needs_double_bond(graph, a);

    const auto bond_length_says_double = [&](int a, int b) {
        const PerceivedBond* bond = graph.find_bond(a, b);
        return bond != nullptr && !bond->in_ring &&
               is_multiple_bond(graph.get_element(a), graph.get_element(b), bond->length);
    };
    const auto add_double = [&](int a, int b) {
        doubles.emplace_back(std::min(a, b), std::max(a, b));
    };

    // Every largest matching of the pi atoms puts the same double bonds on the bonds
    // outside rings when one leaves no pi atom out: two matchings differ only on cycles.
    // Where some largest matching leaves an atom out (a cation, an anion, a radical) the
    // graph does not decide, and the bond length does.
    std::vector<bool> seen(entries, false);
    for (int start = 1; start <= n; ++start) {
        if (!pi[start] || seen[start]) continue;
        std::vector<int> atoms = {start};
        seen[start] = true;
        for (std::size_t k = 0; k < atoms.size(); ++k)
            for (const int next : graph.get_neighbours(atoms[k]))
                if (pi[next] && !seen[next]) {
                    seen[next] = true;
                    atoms.push_back(next);
                }
        const PiPiece piece(atoms, graph);
        for (const int a : atoms) {
            for (const int b : graph.get_neighbours(a)) {
                const PerceivedBond* bond = graph.find_bond(a, b);
                if (bond->in_ring || a > b || !pi[b]) continue;
                const int la = piece.index(a);
                const int lb = piece.index(b);
                if (piece.without_edge(la, lb) < piece.best()) {
                    add_double(a, b);
                } else if (piece.without_atoms({la, lb}) + 1 == piece.best() &&
                           bond_length_says_double(a, b)) {
                    add_double(a, b);
                }
            }
            // An atom some largest matching leaves out may owe its double bond to a
            // neighbour that is no pi atom here (the nitrogen of an iminium ion).
            if (piece.without_atoms({piece.index(a)}) == piece.best())
                for (const int b : graph.get_neighbours(a))
                    if (!pi[b] && bond_length_says_double(a, b)) add_double(a, b);
        }
    }
    std::sort(doubles.begin(), doubles.end());
    doubles.erase(std::unique(doubles.begin(), doubles.end()), doubles.end());

    // Aromatic: the atom lies on a ring of five to seven atoms, all of them pi atoms but
    // for at most one N, O or S that gives its lone pair (pyrrole, furan, thiophene).
    for (int a = 1; a <= n; ++a) {
        const bool candidate = (pi[a] && graph.get_degree(a) > 1) || lone_pair_atom(graph, a);
        if (!candidate) continue;
        for (const std::vector<int>& ring : small_rings_through(graph, a)) {
            int lone_pairs = 0;
            bool fits = true;
            for (const int b : ring) {
                if (pi[b]) continue;
                if (lone_pair_atom(graph, b) && ring.size() == 5) {
                    ++lone_pairs;
                } else {
                    fits = false;
                }
            }
            if (fits && lone_pairs <= 1) aryl[a] = true;
        }
    }

    for (int a = 1; a <= n; ++a) {
        const std::vector<int>& around = graph.get_neighbours(a);
        const int z = graph.get_element(a);
        switch (around.size()) {
            case 0:
            case 1: shapes[a] = AtomShape::terminal; break;
            case 2:
                if (z == CARBON || angle_at(conformer, a, around[0], around[1]) >= LINEAR_ANGLE)
                    shapes[a] = AtomShape::linear;
                else
                    shapes[a] = z == NITROGEN ? AtomShape::trigonal : AtomShape::tetrahedral;
                break;
            case 3: {
                bool conjugated = aryl[a];
                for (const int b : around) conjugated = conjugated || pi[b];
                const bool flat = z == CARBON || z == BORON || (z == NITROGEN && conjugated);
                shapes[a] = flat ? AtomShape::trigonal : AtomShape::tetrahedral;
                break;
            }
            default: shapes[a] = AtomShape::tetrahedral;
        }
    }
}

bool BondChemistry::is_double(int a, int b) const {
    return std::binary_search(doubles.begin(), doubles.end(),
                              std::make_pair(std::min(a, b), std::max(a, b)));
}

bool BondChemistry::is_carbonyl(int atom) const {
    if (graph.get_element(atom) != CARBON || graph.get_degree(atom) != 3) return false;
    for (const int next : graph.get_neighbours(atom)) {
        const int z = graph.get_element(next);
        if ((z == OXYGEN || z == SULFUR) && graph.get_degree(next) == 1) return true;
    }
    return false;
}

}  // namespace confsearch
