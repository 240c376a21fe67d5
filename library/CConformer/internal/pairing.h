// The pairing of least total cost between two sets of equal size (the assignment
// problem), for matching interchangeable atoms of two geometries.
#pragma once

#include <vector>

namespace confsearch::detail {

// cost[p * n + q] is the cost of pairing member p of the first set with member q of the
// second (0-based, n * n entries). Returns the partner q of every p, so that the sum of
// the costs of the n pairs is least. Sets of up to three are solved by trying every
// permutation (ties go to the first in lexicographic order, the identity first); larger
// ones exactly by the Hungarian method in O(n^3).
std::vector<int> least_cost_pairing(const std::vector<double>& cost, int n);

}  // namespace confsearch::detail
