// The rotational symmetry of a bond's side: the rigid part beyond the bond, a graph
// automorphism of it found by a search that extends a mapping outward from the bond atom,
// and the check that the geometry turns onto itself under it.
#include "side_symmetry.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "detail/atomic_numbers.h"

namespace confsearch::detail {

namespace {

// How far (angstrom) a distance may change under the symmetry, and how large (cubic
// angstrom) a tetrahedron of atoms must be for its handedness to count.
const double DISTANCE_TOLERANCE = 0.25;
const double CHIRAL_VOLUME = 1.0;
// Search steps after which a part is taken for one without the symmetry; a rigid part
// of a drug-sized molecule needs a few hundred.
const long MOST_STEPS = 200000;

class AutomorphismSearch {
public:
    AutomorphismSearch(const CBondGraph& graph, const std::vector<int>& atoms,
                       const std::vector<long>& colours)
        : graph(graph),
          atoms(atoms),
          colours(colours),
          map(atoms.size(), -1),
          taken(atoms.size(), false) {
        // Breadth first from the bond atom (entry 0), each atom after a parent.
        parent.assign(atoms.size(), -1);
        std::vector<bool> placed(atoms.size(), false);
        order = {0};
        placed[0] = true;
        for (std::size_t k = 0; k < order.size(); ++k)
            for (std::size_t j = 0; j < atoms.size(); ++j)
                if (!placed[j] && adjacent(order[k], static_cast<int>(j))) {
                    placed[j] = true;
                    parent[j] = order[k];
                    order.push_back(static_cast<int>(j));
                }
    }

    // Whether some automorphism maps atoms[i] to atoms[images[i]] for the pairs given;
    // map() then holds one.
    bool find(const std::vector<std::pair<int, int>>& given) {
        if (order.size() != atoms.size()) return false;
        for (const auto& [from, to] : given)
            if (!assign(from, to)) return false;
        return extend(0);
    }
    int image(int i) const { return map[static_cast<std::size_t>(i)]; }

private:
    const CBondGraph& graph;
    const std::vector<int>& atoms;
    const std::vector<long>& colours;
    std::vector<int> map;
    std::vector<bool> taken;
    std::vector<int> order;
    std::vector<int> parent;
    long steps = 0;

    bool adjacent(int i, int j) const { return graph.bonded(atoms[i], atoms[j]); }

    bool fits(int from, int to) const {
        if (colours[from] != colours[to] || taken[to]) return false;
        for (std::size_t b = 0; b < atoms.size(); ++b) {
            const int image = map[b];
            if (image < 0) continue;
            if (adjacent(from, static_cast<int>(b)) != adjacent(to, image)) return false;
        }
        return true;
    }
    bool assign(int from, int to) {
        if (map[from] == to) return true;
        if (map[from] >= 0 || !fits(from, to)) return false;
        map[from] = to;
        taken[to] = true;
        return true;
    }
    void undo(int from) {
        taken[map[from]] = false;
        map[from] = -1;
    }

    bool extend(std::size_t k) {
        if (++steps > MOST_STEPS) return false;
        if (k == order.size()) return true;
        const int a = order[k];
        if (map[a] >= 0) return extend(k + 1);
        const int above = map[parent[a]];
        for (std::size_t c = 0; c < atoms.size(); ++c) {
            const int to = static_cast<int>(c);
            if (!adjacent(above, to) || !fits(a, to)) continue;
            map[a] = to;
            taken[to] = true;
            if (extend(k + 1)) return true;
            undo(a);
        }
        return false;
    }
};

double volume(const CVECTOR& o, const CVECTOR& a, const CVECTOR& b, const CVECTOR& c) {
    const CVECTOR u = a - o;
    const CVECTOR v = b - o;
    const CVECTOR w = c - o;
    return u.x * (v.y * w.z - v.z * w.y) - u.y * (v.x * w.z - v.z * w.x) +
           u.z * (v.x * w.y - v.y * w.x);
}

}  // namespace

SideSymmetry side_symmetry(const CBasicConformer& conformer, const BondChemistry& chemistry,
                           int from, int atom, const std::function<int(int, int)>& turned_steps) {
    const CBondGraph& graph = chemistry.get_graph();
    // The rigid part: what the side holds short of its turned bonds.
    std::vector<int> part = {atom};
    std::vector<std::pair<int, int>> branches;  // (atom of the part, steps of its bond)
    std::vector<bool> in_part(static_cast<std::size_t>(graph.get_size()) + 1, false);
    in_part[atom] = true;
    for (std::size_t k = 0; k < part.size(); ++k) {
        const int a = part[k];
        for (const int next : graph.get_neighbours(a)) {
            if ((a == atom && next == from) || in_part[next]) continue;
            const int steps = turned_steps(a, next);
            if (steps > 0) {
                branches.emplace_back(a, steps);
                continue;
            }
            in_part[next] = true;
            part.push_back(next);
        }
    }

    std::vector<int> around;
    for (const int next : graph.get_neighbours(atom))
        if (next != from) around.push_back(next);
    for (const int next : around)
        if (!in_part[next]) return {};
    const AtomShape shape = chemistry.shape(atom);
    int order = 1;
    if (around.size() == 3 && shape == AtomShape::tetrahedral) order = 3;
    if (around.size() == 2 && shape == AtomShape::trigonal) order = 2;
    if (order == 1) return {};
    for (const auto& [at, steps] : branches)
        if (steps % order != 0) return {};

    // The atoms compared: the heavy atoms of the part and the bond atom's neighbours;
    // other hydrogens follow their atoms through the hydrogen counts.
    std::vector<int> atoms = {atom};
    for (const int a : part)
        if (a != atom && (graph.get_element(a) != HYDROGEN ||
                          std::find(around.begin(), around.end(), a) != around.end()))
            atoms.push_back(a);
    std::vector<long> colours;
    for (const int a : atoms) {
        int hydrogens = 0;
        for (const int next : graph.get_neighbours(a))
            if (graph.get_element(next) == HYDROGEN) ++hydrogens;
        const bool pinned = a == atom || std::any_of(branches.begin(), branches.end(),
                                                     [&](const auto& b) { return b.first == a; });
        colours.push_back(
            pinned ? -a : (graph.get_element(a) * 16L + graph.get_degree(a)) * 16L + hydrogens);
    }
    const auto index_of = [&](int a) {
        return static_cast<int>(std::find(atoms.begin(), atoms.end(), a) - atoms.begin());
    };
    std::vector<std::pair<int, int>> given = {{0, 0}};
    for (std::size_t k = 0; k < around.size(); ++k)
        given.emplace_back(index_of(around[k]), index_of(around[(k + 1) % around.size()]));
    AutomorphismSearch search(graph, atoms, colours);
    if (!search.find(given)) return {};

    // A symmetry of the graph that the geometry does not share (a mirror plane, a puckered
    // ring) turns nothing onto itself.
    const auto at = [&](int i) { return conformer.get_vector(atoms[static_cast<std::size_t>(i)]); };
    const int m = static_cast<int>(atoms.size());
    for (int i = 0; i < m; ++i)
        for (int j = i + 1; j < m; ++j) {
            const double before = at(i).distance(at(j));
            const double after = at(search.image(i)).distance(at(search.image(j)));
            if (std::fabs(before - after) > DISTANCE_TOLERANCE) return {};
        }
    const CVECTOR centre = at(0);
    for (int i = 1; i < m; ++i)
        for (int j = i + 1; j < m; ++j)
            for (int l = j + 1; l < m; ++l) {
                const double v = volume(centre, at(i), at(j), at(l));
                if (std::fabs(v) < CHIRAL_VOLUME) continue;
                const double w =
                    volume(centre, at(search.image(i)), at(search.image(j)), at(search.image(l)));
                if ((v > 0) != (w > 0)) return {};
            }
    return {order, *std::min_element(part.begin(), part.end())};
}

}  // namespace confsearch::detail
