#include <gtest/gtest.h>
#include "CMyMath.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

using namespace confsearch;

using confsearch::best_rigid_fit;
using confsearch::Matrix3;
using confsearch::principal_axes;

namespace {

using Points = std::vector<CVECTOR>;

double determinant(const Matrix3& m) {
    return m[0] * (m[4] * m[8] - m[5] * m[7]) - m[1] * (m[3] * m[8] - m[5] * m[6]) +
           m[2] * (m[3] * m[7] - m[4] * m[6]);
}

Matrix3 rotation_of(double w, double x, double y, double z) {
    const double n = std::sqrt(w * w + x * x + y * y + z * z);
    w /= n, x /= n, y /= n, z /= n;
    return {1 - 2 * (y * y + z * z), 2 * (x * y - w * z),     2 * (x * z + w * y),
            2 * (x * y + w * z),     1 - 2 * (x * x + z * z), 2 * (y * z - w * x),
            2 * (x * z - w * y),     2 * (y * z + w * x),     1 - 2 * (x * x + y * y)};
}

Points centred(Points points) {
    CVECTOR c;
    for (const CVECTOR& p : points) c = c + p;
    c = c / static_cast<double>(points.size());
    for (CVECTOR& p : points) p = p - c;
    return points;
}

double rmsd_after(const Matrix3& r, const Points& target, const Points& moving) {
    double sum = 0.0;
    for (std::size_t i = 0; i < target.size(); ++i)
        sum += (target[i] - confsearch::rotated(r, moving[i])).square();
    return std::sqrt(sum / static_cast<double>(target.size()));
}

// The least RMSD over rotations found without any algebra: every quaternion of a grid of
// 21 steps per component, then the best few polished by shrinking random-free steps
// along each component.
double brute_force_rmsd(const Points& target_in, const Points& moving_in) {
    const Points target = centred(target_in);
    const Points moving = centred(moving_in);
    std::vector<std::pair<double, std::array<double, 4>>> grid;
    for (int a = -10; a <= 10; ++a)
        for (int b = -10; b <= 10; ++b)
            for (int c = -10; c <= 10; ++c)
                for (int d = 0; d <= 10; ++d) {
                    if (a == 0 && b == 0 && c == 0 && d == 0) continue;
                    const std::array<double, 4> u = {d / 10.0, a / 10.0, b / 10.0, c / 10.0};
                    grid.push_back(
                        {rmsd_after(rotation_of(u[0], u[1], u[2], u[3]), target, moving), u});
                }
    std::partial_sort(grid.begin(), grid.begin() + 8, grid.end(),
                      [](const auto& x, const auto& y) { return x.first < y.first; });
    double best = std::numeric_limits<double>::infinity();
    for (std::size_t k = 0; k < 8; ++k) {
        auto [value, u] = grid[k];
        for (double step = 0.05; step > 1e-9; step /= 2) {
            bool moved = true;
            while (moved) {
                moved = false;
                for (std::size_t c = 0; c < 4; ++c)
                    for (double sign : {1.0, -1.0}) {
                        std::array<double, 4> v = u;
                        v[c] += sign * step;
                        const double trial =
                            rmsd_after(rotation_of(v[0], v[1], v[2], v[3]), target, moving);
                        if (trial < value) {
                            value = trial;
                            u = v;
                            moved = true;
                        }
                    }
            }
        }
        best = std::min(best, value);
    }
    return best;
}

}  // namespace

TEST(Superposition, AgreesWithBruteForceRotationSearch) {
    const Points tetrahedron = {{0, 0, 0}, {1.5, 0, 0}, {0, 1.2, 0}, {0, 0, 0.9}};
    Points mirror = tetrahedron;
    for (CVECTOR& p : mirror) p.x = -p.x;
    const std::vector<std::tuple<std::string, Points, Points>> cases = {
        {"mirror image of a chiral tetrahedron", tetrahedron, mirror},
        {"six points against a distorted copy",
         {{0.1, 0.2, 0.3},
          {1.4, -0.3, 0.2},
          {2.2, 0.9, -0.5},
          {-0.8, 1.7, 0.4},
          {0.5, -1.6, 1.1},
          {1.9, 1.3, 1.8}},
         {{3.0, 1.0, -1.0},
          {3.1, 2.3, -0.4},
          {1.8, 3.0, -0.2},
          {2.0, 0.3, 0.9},
          {4.6, 1.3, -0.4},
          {1.5, 2.5, 1.2}}},
        {"two different triangles in planes",
         {{0, 0, 0}, {2, 0, 0}, {0, 1, 0}},
         {{0, 0, 5}, {0, 1.8, 5}, {0.4, 0, 6.1}}},
        {"half turn: a quaternion with no scalar part",
         {{1, 0, 0}, {0, 2, 0}, {0, 0, 3}, {1, 1, 1}},
         {{-1, 0, 0}, {0, -2, 0}, {0, 0, 3}, {-1, -1, 1}}},
    };
    for (const auto& [name, target, moving] : cases) {
        SCOPED_TRACE(name);
        const confsearch::RigidFit fit = best_rigid_fit(target, moving);
        const double brute = brute_force_rmsd(target, moving);
        EXPECT_NEAR(fit.rmsd, brute, 1e-6);
        EXPECT_NEAR(determinant(fit.rotation), 1.0, 1e-12);
        double sum = 0.0;
        for (std::size_t i = 0; i < target.size(); ++i)
            sum += (target[i] - fit.place(moving[i])).square();
        EXPECT_NEAR(std::sqrt(sum / static_cast<double>(target.size())), fit.rmsd, 1e-9);
    }
}

TEST(Superposition, RecoversAKnownMotionEvenOnALine) {
    const Matrix3 turn = rotation_of(0.3, -0.5, 0.7, 0.2);
    const std::vector<Points> shapes = {
        {{0, 0, 0}, {1.5, 0, 0}, {0, 1.2, 0}, {0, 0, 0.9}, {0.4, 0.4, 0.4}},
        // On a line every turn about the line fits as well: the largest eigenvalue of the
        // quaternion matrix is double.
        {{0, 0, 0}, {1, 1, 0}, {3, 3, 0}},
    };
    for (const Points& moving : shapes) {
        Points target;
        for (const CVECTOR& q : moving)
            target.push_back(confsearch::rotated(turn, q) + CVECTOR(2, -1, 4));
        const confsearch::RigidFit fit = best_rigid_fit(target, moving);
        EXPECT_NEAR(fit.rmsd, 0.0, 1e-7);
        for (std::size_t i = 0; i < moving.size(); ++i)
            EXPECT_NEAR(target[i].distance(fit.place(moving[i])), 0.0, 1e-7) << i;
    }
    // Two atoms, turned as a fuzzer once turned them: Newton's method starts right on the
    // double root, and rounding must not fling it onto the smallest root, which lays the
    // pair on its own reverse.
    const Points pair = {{0.25391012436102844, 0.03125047684443427, 1.4687724116884109},
                         {7.416617074845503, 2.250156404974441, 0.04626535439078355}};
    Points turned_pair;
    for (const CVECTOR& p : pair)
        turned_pair.push_back(p.rotate(CVECTOR(0.3, -1, 2), 2.2) + CVECTOR(1, 2, -3));
    EXPECT_NEAR(best_rigid_fit(pair, turned_pair).rmsd, 0.0, 1e-7);
    EXPECT_THROW(best_rigid_fit({{0, 0, 0}}, {}), std::invalid_argument);
}

TEST(PrincipalAxes, LargestFirstInARightHandedFrame) {
    // The tensor diag(1, 3, 2) turned: eigenvalues 3, 2, 1 along the turned y, z, x axes.
    const Matrix3 r = rotation_of(0.9, 0.1, -0.3, 0.2);
    Matrix3 tensor{};
    const double d[3] = {1, 3, 2};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            for (int k = 0; k < 3; ++k) tensor[i * 3 + j] += r[i * 3 + k] * d[k] * r[j * 3 + k];
    const confsearch::PrincipalAxes axes = principal_axes(tensor);
    EXPECT_NEAR(axes.values[0], 3, 1e-12);
    EXPECT_NEAR(axes.values[1], 2, 1e-12);
    EXPECT_NEAR(axes.values[2], 1, 1e-12);
    const CVECTOR y(r[1], r[4], r[7]);
    EXPECT_NEAR(std::fabs(axes.axes[0] * y), 1.0, 1e-12);
    EXPECT_NEAR((axes.axes[0] % axes.axes[1]) * axes.axes[2], 1.0, 1e-12);
}
