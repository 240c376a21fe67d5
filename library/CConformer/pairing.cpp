// The least-cost pairing of two sets: every permutation for small sets, the Hungarian
// method for larger ones.
#include "pairing.h"

#include <algorithm>
#include <limits>
#include <numeric>

namespace confsearch {

namespace detail {

namespace {

// The largest set solved by trying every permutation: a terminal group has two or three
// atoms, and 3! = 6 pairings cost less to try than to set up the method below.
const int MOST_BY_PERMUTATION = 3;

std::vector<int> by_permutation(const std::vector<double>& cost, int n) {
    std::vector<int> partner(static_cast<std::size_t>(n));
    std::iota(partner.begin(), partner.end(), 0);
    std::vector<int> best = partner;
    double least = std::numeric_limits<double>::infinity();
    do {
        double total = 0.0;
        for (int p = 0; p < n; ++p) total += cost[static_cast<std::size_t>(p * n + partner[p])];
        if (total < least) {
            least = total;
            best = partner;
        }
    } while (std::next_permutation(partner.begin(), partner.end()));
    return best;
}

// The Hungarian method with potentials u (rows) and v (columns): rows are added one at a
// time, and each is placed by a shortest augmenting path in the reduced costs
// cost - u - v, which stay non-negative, so the pairing found is the least. 1-based
// inside; column 0 is the virtual start of every path.
std::vector<int> by_hungarian_method(const std::vector<double>& cost, int n) {
    const double infinity = std::numeric_limits<double>::infinity();
    const auto size = static_cast<std::size_t>(n) + 1;
    std::vector<double> u(size, 0.0), v(size, 0.0);
    std::vector<int> row_of(size, 0);  // the row paired with column j, 0 for none
    std::vector<int> way(size, 0);     // the previous column on the path to column j
    auto reduced = [&](int row, int column) {
        return cost[static_cast<std::size_t>((row - 1) * n + column - 1)] - u[row] - v[column];
    };
    for (int row = 1; row <= n; ++row) {
        row_of[0] = row;
        int column = 0;
        std::vector<double> least(size, infinity);
        std::vector<bool> used(size, false);
        do {
            used[column] = true;
            const int from = row_of[column];
            double delta = infinity;
            int next = 0;
            for (int j = 1; j <= n; ++j) {
                if (used[j]) continue;
                const double through = reduced(from, j);
                if (through < least[j]) {
                    least[j] = through;
                    way[j] = column;
                }
                if (least[j] < delta) {
                    delta = least[j];
                    next = j;
                }
            }
            // Costs that are not numbers compare false: take any free column, so that
            // every step still uses one up and the search ends.
            for (int j = 1; j <= n && next == 0; ++j)
                if (!used[j]) next = j;
            for (int j = 0; j <= n; ++j) {
                if (used[j]) {
                    u[row_of[j]] += delta;
                    v[j] -= delta;
                } else {
                    least[j] -= delta;
                }
            }
            column = next;
        } while (row_of[column] != 0);
        // Flip the path back to its start.
        do {
            const int previous = way[column];
            row_of[column] = row_of[previous];
            column = previous;
        } while (column != 0);
    }
    std::vector<int> partner(static_cast<std::size_t>(n));
    for (int j = 1; j <= n; ++j) partner[static_cast<std::size_t>(row_of[j] - 1)] = j - 1;
    return partner;
}

}  // namespace

std::vector<int> least_cost_pairing(const std::vector<double>& cost, int n) {
    if (n <= 0) return {};
    return n <= MOST_BY_PERMUTATION ? by_permutation(cost, n) : by_hungarian_method(cost, n);
}

}  // namespace detail

}  // namespace confsearch
