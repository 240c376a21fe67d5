// The largest set of edges of a graph no two of which share a vertex (a maximum
// matching), for placing the double bonds of a molecule's pi atoms.
#pragma once

#include <utility>
#include <vector>

namespace confsearch::detail {

// The size of a maximum matching of the graph of n vertices (0-based) and the edges,
// by Edmonds' blossom method in O(n^3). Edges naming a vertex outside 0..n-1, loops and
// repeated edges are allowed and count once or not at all.
int maximum_matching(int n, const std::vector<std::pair<int, int>>& edges);

}  // namespace confsearch::detail
