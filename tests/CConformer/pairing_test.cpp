#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <random>
#include <vector>

#include "detail/pairing.h"

namespace {

double total(const std::vector<double>& cost, int n, const std::vector<int>& partner) {
    double sum = 0;
    for (int p = 0; p < n; ++p) sum += cost[static_cast<std::size_t>(p * n + partner[p])];
    return sum;
}

bool is_permutation_of_n(std::vector<int> partner, int n) {
    std::vector<int> all(static_cast<std::size_t>(n));
    std::iota(all.begin(), all.end(), 0);
    std::sort(partner.begin(), partner.end());
    return partner == all;
}

}  // namespace

TEST(LeastCostPairing, HandWorkedSets) {
    struct Case {
        int n;
        std::vector<double> cost;
        std::vector<int> partner;
    };
    const Case cases[] = {
        {0, {}, {}},
        {1, {5}, {0}},
        // Equal totals: the identity, first of the permutations, wins.
        {2, {1, 1, 1, 1}, {0, 1}},
        {3, {9, 1, 9, 9, 9, 1, 1, 9, 9}, {1, 2, 0}},
        // Row by row the cheapest entries all lie in column 0; the least total (1 + 2 +
        // 2 + 3 = 8) pairs the rows 0-1, 1-0, 2-3, 3-2.
        {4, {1, 1, 8, 9, 0, 9, 9, 9, 0, 9, 9, 2, 0, 9, 3, 9}, {1, 0, 3, 2}},
    };
    for (const Case& c : cases) EXPECT_EQ(detail::least_cost_pairing(c.cost, c.n), c.partner);
}

// The Hungarian method solves sets of four and more: its totals must equal those of
// trying every permutation.
TEST(LeastCostPairing, LargerSetsMatchEveryPermutationTried) {
    std::mt19937 rng(13);
    std::uniform_real_distribution<double> unit(0.0, 10.0);
    for (int n = 1; n <= 7; ++n) {
        for (int trial = 0; trial < 20; ++trial) {
            std::vector<double> cost(static_cast<std::size_t>(n * n));
            for (double& c : cost) c = trial % 2 == 0 ? unit(rng) : std::floor(unit(rng) / 3);
            std::vector<int> permutation(static_cast<std::size_t>(n));
            std::iota(permutation.begin(), permutation.end(), 0);
            double least = std::numeric_limits<double>::infinity();
            do {
                least = std::min(least, total(cost, n, permutation));
            } while (std::next_permutation(permutation.begin(), permutation.end()));
            const std::vector<int> partner = detail::least_cost_pairing(cost, n);
            ASSERT_TRUE(is_permutation_of_n(partner, n)) << n;
            EXPECT_NEAR(total(cost, n, partner), least, 1e-9) << n << " " << trial;
        }
    }
}

TEST(LeastCostPairing, CostsThatAreNoNumbersStillGiveAPairing) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (int n : {3, 5}) {
        const std::vector<double> cost(static_cast<std::size_t>(n * n), nan);
        EXPECT_TRUE(is_permutation_of_n(detail::least_cost_pairing(cost, n), n)) << n;
    }
}
