// Configured stereocentres and whether a molecule differs from its mirror image.
#include "CConformer/symmetry_classes.h"

#include <algorithm>
#include <cmath>
#include <set>

#include "graph_search.h"

namespace confsearch {

namespace {

// Below this triple product of the unit directions to three neighbours a centre counts
// as flat (0 for a trigonal-planar or square-planar centre, 0.77 for a tetrahedral one,
// 0.95 for a phosphine's pyramid).
const double LEAST_PYRAMID = 0.2;

bool keeps_pyramid_with_three_bonds(int element) {
    switch (element) {
        case 15:
        case 16:
        case 33:
        case 34:
        case 51:
        case 52: return true;
        default: return false;
    }
}

// The parity of the permutation that sorts `atoms`: +1 even, -1 odd.
int sorting_parity(const std::vector<int>& atoms) {
    int inversions = 0;
    for (std::size_t i = 0; i < atoms.size(); ++i)
        for (std::size_t j = i + 1; j < atoms.size(); ++j)
            if (atoms[i] > atoms[j]) ++inversions;
    return inversions % 2 == 0 ? 1 : -1;
}

}  // namespace

std::vector<Stereocentre> find_stereocentres(const CBondGraph& graph,
                                             const SymmetryClasses& classes,
                                             const ::CBasicConformer& geometry) {
    std::vector<Stereocentre> centres;
    for (int atom = 1; atom <= graph.get_size(); ++atom) {
        const std::vector<int>& around = graph.get_neighbours(atom);
        const bool four = around.size() == 4;
        const bool three =
            around.size() == 3 && keeps_pyramid_with_three_bonds(graph.get_element(atom));
        if (!four && !three) continue;
        std::set<int> seen;
        for (int other : around) seen.insert(classes.get_class(other));
        if (seen.size() != around.size()) continue;
        const CVECTOR centre = geometry.get_vector(atom);
        CVECTOR d[3];
        for (int k = 0; k < 3; ++k) d[k] = (geometry.get_vector(around[k]) - centre).normal();
        const double volume = d[0] * (d[1] % d[2]);
        if (std::fabs(volume) < LEAST_PYRAMID) continue;
        centres.push_back({atom, around, volume > 0 ? 1 : -1});
    }
    return centres;
}

// The mirror image has every handedness reversed. It is the same molecule when an
// automorphism f relabels it into the original: for each centre c, the neighbours of c,
// carried to f(c) in the order of c's, must turn the way f(c)'s do in the original once
// the mirror's reversal is applied. Carrying them over permutes f(c)'s sorted neighbours;
// an odd permutation reverses the sense (for a tetrahedron, exchanging two neighbours
// mirrors it), so the test is parity * handedness(f(c)) == -handedness(c).
bool is_chiral(const CBondGraph& graph, const std::vector<Stereocentre>& centres) {
    if (centres.empty()) return false;
    std::vector<int> index(static_cast<std::size_t>(graph.get_size()) + 1, -1);
    for (std::size_t k = 0; k < centres.size(); ++k) index[centres[k].atom] = static_cast<int>(k);

    const auto consistent = [&](const detail::VertexMap& map) {
        for (const Stereocentre& c : centres) {
            const int image = map[c.atom - 1];
            if (image < 0) continue;
            std::vector<int> carried;
            for (int other : c.neighbours) carried.push_back(map[other - 1] + 1);
            if (std::find(carried.begin(), carried.end(), 0) != carried.end()) continue;
            const int k = index[image + 1];
            if (k < 0) return false;
            const Stereocentre& target = centres[static_cast<std::size_t>(k)];
            if (sorting_parity(carried) * target.handedness != -c.handedness) return false;
        }
        return true;
    };
    detail::MapConstraint constraint;
    constraint.partial = consistent;
    constraint.complete = consistent;
    for (const Stereocentre& c : centres) {
        constraint.first.push_back(c.atom - 1);
        for (int other : c.neighbours) constraint.first.push_back(other - 1);
    }
    const detail::LabelledGraph g = detail::labelled_graph(graph);
    return !detail::find_graph_map(g, g, {}, constraint).has_value();
}

}  // namespace confsearch
