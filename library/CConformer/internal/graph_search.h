// Colour refinement of labelled graphs and the individualisation-refinement search for a
// label- and bond-preserving map of one graph onto another: the engine behind the
// symmetry classes of atoms, the matching of two atom orders and the mirror test.
#pragma once

#include "CConformer/bond_perception.h"

#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace confsearch {
namespace detail {

// A graph with a label on every vertex; vertices are 0-based.
struct LabelledGraph {
    std::vector<int> labels;
    std::vector<std::vector<int>> neighbours;

    int size() const { return static_cast<int>(labels.size()); }
};

// The bond graph of a molecule with elements as labels; atom i is vertex i - 1.
inline LabelledGraph labelled_graph(const CBondGraph& graph) {
    LabelledGraph g;
    for (int atom = 1; atom <= graph.get_size(); ++atom) {
        g.labels.push_back(graph.get_element(atom));
        g.neighbours.emplace_back();
        for (int other : graph.get_neighbours(atom)) g.neighbours.back().push_back(other - 1);
    }
    return g;
}

// f[v] is the image of vertex v; -1 while the search has not fixed it.
using VertexMap = std::vector<int>;

// What a map must satisfy beyond keeping labels and bonds. `partial` sees every partial
// map the search reaches and may cut the branch; `complete` judges each whole map.
// Vertices of `first` are individualised before any other, so that a test on them
// (stereocentres) prunes early.
struct MapConstraint {
    std::function<bool(const VertexMap&)> partial;
    std::function<bool(const VertexMap&)> complete;
    std::vector<int> first;
};

// The coarsest partition of the vertices that refines the labels and in which every two
// vertices of one colour see the same number of neighbours of each colour. Colours are
// 0..k-1 and canonical: they depend on the graph's shape, not on its vertex numbering.
std::vector<int> refined_colours(const LabelledGraph& g);

// A one-to-one map f of g onto h that keeps labels and bonds, with f[x] = y for each
// pair (x, y) of `fixed`, and that the constraint accepts; nullopt when there is none.
// The search is exact: refinement only cuts branches that cannot hold a map, and every
// other branch is tried.
std::optional<VertexMap> find_graph_map(const LabelledGraph& g, const LabelledGraph& h,
                                        const std::vector<std::pair<int, int>>& fixed,
                                        const MapConstraint& constraint = {});

}  // namespace detail
}  // namespace confsearch
