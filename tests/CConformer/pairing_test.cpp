#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <random>
#include <vector>

#include "pairing.h"

using namespace confsearch;

namespace {

double total(const std::vector<double>& cost, int n, const std::vector<int>& partner) {
    double sum = 0;
    for (int p = 0; p < n; ++p) sum += cost[static_cast<std::size_t>(p * n + partner[p])];
    return sum;
}

std::vector<int> identity(int n) {
    std::vector<int> all(static_cast<std::size_t>(n));
    std::iota(all.begin(), all.end(), 0);
    return all;
}

bool is_pairing(std::vector<int> partner, int n) {
    std::sort(partner.begin(), partner.end());
    return partner == identity(n);
}

}  // namespace

// Sets of four and more are solved by the Hungarian method: its totals must be those of
// trying every permutation, also with many equal costs.
TEST(LeastCostPairing, TotalIsTheLeastOfEveryPermutation) {
    std::mt19937 rng(13);
    std::uniform_real_distribution<double> unit(0.0, 10.0);
    for (int n = 1; n <= 7; ++n) {
        for (int trial = 0; trial < 20; ++trial) {
            std::vector<double> cost(static_cast<std::size_t>(n * n));
            for (double& c : cost) c = trial % 2 == 0 ? unit(rng) : std::floor(unit(rng) / 3);
            std::vector<int> permutation = identity(n);
            double least = std::numeric_limits<double>::infinity();
            do {
                least = std::min(least, total(cost, n, permutation));
            } while (std::next_permutation(permutation.begin(), permutation.end()));
            const std::vector<int> partner = detail::least_cost_pairing(cost, n);
            ASSERT_TRUE(is_pairing(partner, n)) << n;
            EXPECT_NEAR(total(cost, n, partner), least, 1e-9) << n << " " << trial;
        }
    }
    // Costs that are no numbers still give a pairing, and the method ends.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (int n : {3, 5}) {
        const std::vector<double> cost(static_cast<std::size_t>(n * n), nan);
        EXPECT_TRUE(is_pairing(detail::least_cost_pairing(cost, n), n)) << n;
    }
}
