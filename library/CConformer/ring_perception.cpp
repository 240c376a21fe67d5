// The smallest set of smallest rings by Horton's candidate cycles and Gaussian
// elimination over GF(2), and the classification of each ring: aromatic, holding a double
// bond, fused, bridged or spiro with its neighbours.
#include "CConformer/rings.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <queue>

#include "CConformer/conformer_setup.h"
#include "CConformer/perception_messages.h"
#include "detail/atomic_numbers.h"
#include "rigid_motion.h"

namespace confsearch {

namespace {

using detail::CARBON;
using detail::NITROGEN;
using detail::OXYGEN;
using detail::SULFUR;

// Ring perception refuses an atom of more neighbours (octahedral centres pass; the
// generator's Z-matrix takes four at most anyway): a cloud of atoms all within bonding
// distance would hold more cycles than can be searched.
const int MAX_RING_NEIGHBOURS = 6;
// A ring whose endocyclic torsions all stay within this is planar; an aromatic ring in a
// crowded molecule twists by a few degrees, the flattest cyclohexene still has 45.
const double PLANAR_TORSION = radian(15.0);

// A set of bonds, one bit per bond of the graph's list.
class BondSet {
public:
    explicit BondSet(std::size_t bonds = 0) : words((bonds + 63) / 64, 0) {}
    void flip(std::size_t bond) { words[bond / 64] ^= std::uint64_t{1} << (bond % 64); }
    bool test(std::size_t bond) const { return (words[bond / 64] >> (bond % 64)) & 1u; }
    void add(const BondSet& other) {
        for (std::size_t k = 0; k < words.size(); ++k) words[k] ^= other.words[k];
    }
    bool empty() const {
        return std::all_of(words.begin(), words.end(), [](std::uint64_t w) { return w == 0; });
    }
    // The lowest bond in the set; only for a set that is not empty.
    std::size_t lowest() const {
        std::size_t k = 0;
        while (words[k] == 0) ++k;
        std::size_t bit = 0;
        while (((words[k] >> bit) & 1u) == 0) ++bit;
        return k * 64 + bit;
    }
    bool operator==(const BondSet& other) const { return words == other.words; }

private:
    std::vector<std::uint64_t> words;
};

struct Candidate {
    std::vector<int> sorted_atoms;
    BondSet bonds;
};

std::size_t bond_index(const CBondGraph& graph, int a, int b) {
    return static_cast<std::size_t>(graph.find_bond(a, b) - graph.get_bonds().data());
}

bool ring_bond(const CBondGraph& graph, int a, int b) {
    const PerceivedBond* bond = graph.find_bond(a, b);
    return bond != nullptr && bond->in_ring;
}

// Breadth-first search over ring bonds from `root`: each atom's parent on one shortest
// path (the lowest-numbered parent, so that the paths depend on the graph alone) and its
// distance; -1 for atoms not reached.
struct ShortestPaths {
    std::vector<int> parent;
    std::vector<int> distance;
};

ShortestPaths shortest_paths(const CBondGraph& graph, int root) {
    const std::size_t n = static_cast<std::size_t>(graph.get_size()) + 1;
    ShortestPaths paths{std::vector<int>(n, 0), std::vector<int>(n, -1)};
    std::queue<int> queue;
    paths.distance[root] = 0;
    queue.push(root);
    while (!queue.empty()) {
        const int atom = queue.front();
        queue.pop();
        // Neighbours come in increasing order, so the first parent found is the lowest.
        for (int next : graph.get_neighbours(atom)) {
            if (!ring_bond(graph, atom, next) || paths.distance[next] >= 0) continue;
            paths.distance[next] = paths.distance[atom] + 1;
            paths.parent[next] = atom;
            queue.push(next);
        }
    }
    return paths;
}

// Path from `atom` back to the root, both included.
std::vector<int> path_to_root(const ShortestPaths& paths, int atom) {
    std::vector<int> path = {atom};
    while (paths.distance[path.back()] > 0) path.push_back(paths.parent[path.back()]);
    return path;
}

// Horton's candidates: for every ring atom v and ring bond x-y, the cycle of the shortest
// paths v..x and v..y closed by x-y, when the two paths meet only at v. A minimum cycle
// basis lies among them.
std::vector<Candidate> horton_candidates(const CBondGraph& graph) {
    std::vector<Candidate> candidates;
    const std::size_t bond_count = graph.get_bonds().size();
    for (int root = 1; root <= graph.get_size(); ++root) {
        const auto& around = graph.get_neighbours(root);
        if (std::none_of(around.begin(), around.end(),
                         [&](int next) { return ring_bond(graph, root, next); }))
            continue;
        const ShortestPaths paths = shortest_paths(graph, root);
        for (const PerceivedBond& bond : graph.get_bonds()) {
            if (!bond.in_ring || paths.distance[bond.atom1] < 0) continue;
            const std::vector<int> one = path_to_root(paths, bond.atom1);
            const std::vector<int> two = path_to_root(paths, bond.atom2);
            std::vector<int> atoms = one;
            atoms.insert(atoms.end(), two.begin(), two.end() - 1);
            std::sort(atoms.begin(), atoms.end());
            if (std::adjacent_find(atoms.begin(), atoms.end()) != atoms.end()) continue;
            if (atoms.size() < 3) continue;
            Candidate candidate{atoms, BondSet(bond_count)};
            candidate.bonds.flip(bond_index(graph, bond.atom1, bond.atom2));
            for (const auto* path : {&one, &two}) {
                for (std::size_t k = 0; k + 1 < path->size(); ++k)
                    candidate.bonds.flip(bond_index(graph, (*path)[k], (*path)[k + 1]));
            }
            candidates.push_back(std::move(candidate));
        }
    }
    // Shortest first; among equals the order of the atom lists, so that the choice between
    // equally small rings (the faces of a cage) depends on the numbering alone. Each ring
    // is found from every one of its atoms: one copy is enough.
    std::sort(candidates.begin(), candidates.end(), [](const Candidate& a, const Candidate& b) {
        if (a.sorted_atoms.size() != b.sorted_atoms.size())
            return a.sorted_atoms.size() < b.sorted_atoms.size();
        return a.sorted_atoms < b.sorted_atoms;
    });
    candidates.erase(std::unique(candidates.begin(), candidates.end(),
                                 [](const Candidate& a, const Candidate& b) {
                                     return a.sorted_atoms == b.sorted_atoms && a.bonds == b.bonds;
                                 }),
                     candidates.end());
    return candidates;
}

// Greedy choice of independent cycles, shortest first: a cycle joins the basis when
// Gaussian elimination over GF(2) does not reduce it to nothing.
std::vector<Candidate> minimum_cycle_basis(const CBondGraph& graph) {
    const int wanted = graph.get_ring_count();
    std::vector<Candidate> basis;
    std::vector<std::pair<std::size_t, BondSet>> reduced;  // pivot bond, reduced cycle
    for (const Candidate& candidate : horton_candidates(graph)) {
        if (static_cast<int>(basis.size()) == wanted) break;
        BondSet rest = candidate.bonds;
        for (const auto& [pivot, row] : reduced) {
            if (rest.test(pivot)) rest.add(row);
        }
        if (rest.empty()) continue;
        const std::size_t pivot = rest.lowest();
        for (auto& entry : reduced) {
            if (entry.second.test(pivot)) entry.second.add(rest);
        }
        reduced.emplace_back(pivot, rest);
        basis.push_back(candidate);
    }
    return basis;
}

// The cycle's atoms in ring order from its lowest atom towards its lower neighbour.
std::vector<int> ring_order(const CBondGraph& graph, const Candidate& cycle) {
    std::vector<int> order = {cycle.sorted_atoms.front()};
    // A Horton cycle is simple, so each step finds the one way on; the walk stops anyway
    // when it does not.
    for (bool found = true; found && order.size() < cycle.sorted_atoms.size();) {
        const int atom = order.back();
        found = false;
        for (int next : graph.get_neighbours(atom)) {
            if (cycle.bonds.test(bond_index(graph, atom, next)) &&
                std::find(order.begin(), order.end(), next) == order.end()) {
                order.push_back(next);
                found = true;
                break;
            }
        }
    }
    return order;
}

int shared_atoms(const Ring& a, const Ring& b) {
    int count = 0;
    for (int atom : a.atoms) count += b.contains(atom) ? 1 : 0;
    return count;
}

// A carbon carrying a terminal O or S (a carbonyl or thiocarbonyl carbon).
bool is_carbonyl_carbon(const CBondGraph& graph, int atom) {
    if (graph.get_element(atom) != CARBON) return false;
    const auto& around = graph.get_neighbours(atom);
    return std::any_of(around.begin(), around.end(), [&](int next) {
        const int z = graph.get_element(next);
        return graph.get_degree(next) == 1 && (z == OXYGEN || z == SULFUR);
    });
}

// A bond whose torsion stays near 0 or 180 degrees: double or aromatic by its length, or
// the C-N or C-O bond of an amide, lactam, ester or lactone recognised from the graph.
bool is_conjugated_bond(const CBondGraph& graph, int a, int b) {
    const PerceivedBond& bond = *graph.find_bond(a, b);
    if (is_multiple_bond(graph.get_element(a), graph.get_element(b), bond.length)) return true;
    for (const auto& [carbon, other] : {std::make_pair(a, b), std::make_pair(b, a)}) {
        const int z = graph.get_element(other);
        if ((z == NITROGEN || z == OXYGEN) && is_carbonyl_carbon(graph, carbon)) return true;
    }
    return false;
}

// sp2 by shape, or an O, S or N of two neighbours between two sp2 atoms (the O of furan,
// the S of thiophene), whose lone pair joins the ring's pi system.
bool is_aromatic_member(const CBasicConformer& geometry, const CBondGraph& graph, const Ring& ring,
                        std::size_t place) {
    const int atom = ring.atoms[place];
    if (atom_shape(geometry, graph, atom) == AtomShape::trigonal) return true;
    const int z = graph.get_element(atom);
    if (graph.get_degree(atom) != 2 || (z != OXYGEN && z != SULFUR && z != NITROGEN)) return false;
    const std::size_t n = ring.atoms.size();
    const int before = ring.atoms[(place + n - 1) % n];
    const int after = ring.atoms[(place + 1) % n];
    return atom_shape(geometry, graph, before) == AtomShape::trigonal &&
           atom_shape(geometry, graph, after) == AtomShape::trigonal;
}

bool is_aromatic(const CBasicConformer& geometry, const CBondGraph& graph, const Ring& ring) {
    for (double torsion : ring_torsions(geometry, ring)) {
        if (std::fabs(torsion) > PLANAR_TORSION) return false;
    }
    for (std::size_t place = 0; place < ring.atoms.size(); ++place) {
        if (!is_aromatic_member(geometry, graph, ring, place)) return false;
    }
    return true;
}

bool holds_double_bond(const CBondGraph& graph, const Ring& ring) {
    const std::size_t n = ring.atoms.size();
    for (std::size_t k = 0; k < n; ++k) {
        if (is_conjugated_bond(graph, ring.atoms[k], ring.atoms[(k + 1) % n])) return true;
    }
    return false;
}

}  // namespace

bool Ring::contains(int atom) const {
    return std::find(atoms.begin(), atoms.end(), atom) != atoms.end();
}

std::vector<Ring> find_rings(const CBasicConformer& geometry, const CBondGraph& graph) {
    for (int atom = 1; atom <= graph.get_size(); ++atom) {
        if (graph.get_degree(atom) > MAX_RING_NEIGHBOURS)
            throw PerceptionError(ring_neighbours_message(
                atom_name(atom, CELEMENT(graph.get_element(atom)).get_symbol()),
                graph.get_neighbours(atom)));
    }
    std::vector<Ring> rings;
    for (const Candidate& cycle : minimum_cycle_basis(graph)) {
        Ring ring;
        ring.atoms = ring_order(graph, cycle);
        rings.push_back(ring);
    }
    std::sort(rings.begin(), rings.end(), [](const Ring& a, const Ring& b) {
        if (a.atoms.front() != b.atoms.front()) return a.atoms.front() < b.atoms.front();
        if (a.size() != b.size()) return a.size() < b.size();
        return a.atoms < b.atoms;
    });
    for (std::size_t i = 0; i < rings.size(); ++i) {
        rings[i].aromatic = is_aromatic(geometry, graph, rings[i]);
        rings[i].double_bond = holds_double_bond(graph, rings[i]);
        for (std::size_t j = 0; j < rings.size(); ++j) {
            if (i == j) continue;
            const int shared = shared_atoms(rings[i], rings[j]);
            const int other = static_cast<int>(j);
            if (shared == 1) rings[i].spiro.push_back(other);
            if (shared == 2) rings[i].fused.push_back(other);
            if (shared >= 3) rings[i].bridged.push_back(other);
        }
    }
    return rings;
}

std::string atom_label(const CBondGraph& graph, int atom) {
    return CELEMENT(graph.get_element(atom)).get_symbol() + std::to_string(atom);
}

std::string ring_atoms_label(const Ring& ring, const CBondGraph& graph) {
    std::vector<int> sorted = ring.atoms;
    std::sort(sorted.begin(), sorted.end());
    if (sorted.back() - sorted.front() + 1 == ring.size()) {
        return atom_label(graph, sorted.front()) + ".." + atom_label(graph, sorted.back());
    }
    std::string text;
    for (int atom : ring.atoms) text += (text.empty() ? "" : " ") + atom_label(graph, atom);
    return text;
}

std::vector<double> ring_torsions(const CBasicConformer& geometry, const Ring& ring) {
    const std::size_t n = ring.atoms.size();
    std::vector<double> torsions(n);
    auto at = [&](std::size_t k) { return geometry.get_vector(ring.atoms[k % n]); };
    for (std::size_t j = 0; j < n; ++j) {
        torsions[j] = detail::dihedral(at(j + n - 1), at(j), at(j + 1), at(j + 2));
    }
    return torsions;
}

}  // namespace confsearch
