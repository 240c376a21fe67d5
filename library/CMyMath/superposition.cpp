// Least-squares superposition by unit quaternions, and principal axes.
#include "CMyMath/superposition.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "symmetric_eigen.h"

namespace confsearch {

namespace {

using Matrix4 = std::array<double, 16>;

double det3(double a, double b, double c, double d, double e, double f, double g, double h,
            double i) {
    return a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g);
}

// Determinant of the 3x3 minor of m without row r and column c.
double minor4(const Matrix4& m, int r, int c) {
    std::array<double, 9> k{};
    int n = 0;
    for (int i = 0; i < 4; ++i) {
        if (i == r) continue;
        for (int j = 0; j < 4; ++j) {
            if (j == c) continue;
            k[static_cast<std::size_t>(n++)] = m[static_cast<std::size_t>(i * 4 + j)];
        }
    }
    return det3(k[0], k[1], k[2], k[3], k[4], k[5], k[6], k[7], k[8]);
}

double det4(const Matrix4& m) {
    double total = 0.0;
    for (int j = 0; j < 4; ++j) {
        const double sign = j % 2 == 0 ? 1.0 : -1.0;
        total += sign * m[static_cast<std::size_t>(j)] * minor4(m, 0, j);
    }
    return total;
}

// Horn's key matrix: for a unit quaternion u, u^T K u is the sum of p . R(u) q, so its
// largest eigenvalue is the largest overlap and its eigenvector the best rotation.
Matrix4 key_matrix(const Matrix3& s) {
    const double xx = s[0], xy = s[1], xz = s[2];
    const double yx = s[3], yy = s[4], yz = s[5];
    const double zx = s[6], zy = s[7], zz = s[8];
    return {xx + yy + zz, yz - zy,      zx - xz,       xy - yx,  //
            yz - zy,      xx - yy - zz, xy + yx,       zx + xz,  //
            zx - xz,      xy + yx,      -xx + yy - zz, yz + zy,  //
            xy - yx,      zx + xz,      yz + zy,       -xx - yy + zz};
}

Matrix3 rotation_of(std::array<double, 4> u) {
    const double norm = std::sqrt(u[0] * u[0] + u[1] * u[1] + u[2] * u[2] + u[3] * u[3]);
    for (double& x : u) x /= norm;
    const double w = u[0], x = u[1], y = u[2], z = u[3];
    return {w * w + x * x - y * y - z * z, 2 * (x * y - w * z),
            2 * (x * z + w * y),           2 * (y * x + w * z),
            w * w - x * x + y * y - z * z, 2 * (y * z - w * x),
            2 * (z * x - w * y),           2 * (z * y + w * x),
            w * w - x * x - y * y + z * z};
}

// The eigenvector of K for its eigenvalue lambda: for a simple eigenvalue every column of
// the adjugate of K - lambda I is a multiple of it; the column of the largest diagonal
// cofactor is the best conditioned. (When the eigenvalue is double, the adjugate is only
// rounding noise; the caller sees that from the overlap the vector achieves.)
std::array<double, 4> adjugate_eigenvector(const Matrix4& key, double lambda) {
    Matrix4 a = key;
    for (int i = 0; i < 4; ++i) a[static_cast<std::size_t>(i * 5)] -= lambda;
    int best = 0;
    double largest = -1.0;
    for (int i = 0; i < 4; ++i) {
        const double cofactor = std::fabs(minor4(a, i, i));
        if (cofactor > largest) {
            largest = cofactor;
            best = i;
        }
    }
    std::array<double, 4> u{};
    for (int j = 0; j < 4; ++j) {
        const double sign = (best + j) % 2 == 0 ? 1.0 : -1.0;
        u[static_cast<std::size_t>(j)] = sign * minor4(a, best, j);
    }
    if (u == std::array<double, 4>{}) u[0] = 1.0;
    return u;
}

// Jacobi's method: slower, but a vector of the top eigenspace whatever its dimension.
std::array<double, 4> jacobi_eigenvector(const Matrix4& key) {
    std::array<double, 4> values{};
    Matrix4 vectors{};
    detail::symmetric_eigen<4>(key, values, vectors);
    const auto top =
        static_cast<std::size_t>(std::max_element(values.begin(), values.end()) - values.begin());
    return {vectors[top], vectors[4 + top], vectors[8 + top], vectors[12 + top]};
}

// The sum of p . R q over the pairs, from the correlation.
double overlap_of(const Matrix3& r, const Matrix3& s) {
    double overlap = 0.0;
    for (std::size_t a = 0; a < 3; ++a)
        for (std::size_t b = 0; b < 3; ++b) overlap += r[a * 3 + b] * s[b * 3 + a];
    return overlap;
}

}  // namespace

double least_square_sum(const PairSums& sums, Matrix3* rotation) {
    const Matrix3& s = sums.correlation;
    const Matrix4 key = key_matrix(s);
    // K has trace 0, so its characteristic polynomial is l^4 + c2 l^2 + c1 l + c0.
    double c2 = 0.0;
    for (double x : s) c2 += x * x;
    c2 *= -2.0;
    const double c1 = -8.0 * det3(s[0], s[1], s[2], s[3], s[4], s[5], s[6], s[7], s[8]);
    const double c0 = det4(key);
    // Every eigenvalue is at most sum |p||q| <= squares / 2, so Newton's method started
    // there falls monotonically onto the largest root. The largest root is at least every
    // diagonal entry of K (each is the overlap of a turn) and at least 0 (the trace): a
    // step below that is rounding at a double root (two atoms, or atoms on a line, start
    // right on it with a slope of nearly 0) flinging the iteration away, and is not taken.
    double lower = 0.0;
    for (int i = 0; i < 4; ++i) lower = std::max(lower, key[static_cast<std::size_t>(i * 5)]);
    double lambda = sums.squares / 2.0;
    const int MOST_STEPS = 100;
    for (int step = 0; step < MOST_STEPS; ++step) {
        const double l2 = lambda * lambda;
        const double value = (l2 + c2) * l2 + c1 * lambda + c0;
        const double slope = 4.0 * l2 * lambda + 2.0 * c2 * lambda + c1;
        if (slope == 0.0) break;
        const double change = value / slope;
        if (lambda - change < lower) break;
        lambda -= change;
        if (std::fabs(change) <= 1e-15 * std::fabs(lambda) || std::fabs(change) < 1e-300) break;
    }
    // The overlap is taken from the rotation itself, which is honest to full precision.
    // Where the largest eigenvalue is double (points on a line, where any turn about the
    // line fits as well), Newton's method reaches it only to about the square root of the
    // rounding error and the adjugate holds no vector: the overlap then falls well short
    // of lambda, and Jacobi's method gives the vector instead.
    Matrix3 best = rotation_of(adjugate_eigenvector(key, lambda));
    double overlap = overlap_of(best, s);
    if (overlap < lambda - 1e-9 - 1e-7 * sums.squares) {
        const Matrix3 other = rotation_of(jacobi_eigenvector(key));
        const double other_overlap = overlap_of(other, s);
        if (other_overlap > overlap) {
            best = other;
            overlap = other_overlap;
        }
    }
    if (rotation != nullptr) *rotation = best;
    return std::max(0.0, sums.squares - 2.0 * overlap);
}

RigidFit best_rigid_fit(const std::vector<CVECTOR>& target, const std::vector<CVECTOR>& moving) {
    if (target.size() != moving.size() || target.empty())
        throw std::invalid_argument("best_rigid_fit needs two point sets of one size, not empty");
    RigidFit fit;
    for (std::size_t i = 0; i < target.size(); ++i) {
        fit.target_centre = fit.target_centre + target[i];
        fit.moving_centre = fit.moving_centre + moving[i];
    }
    const double count = static_cast<double>(target.size());
    fit.target_centre = fit.target_centre / count;
    fit.moving_centre = fit.moving_centre / count;
    PairSums sums;
    for (std::size_t i = 0; i < target.size(); ++i)
        sums.add(target[i] - fit.target_centre, moving[i] - fit.moving_centre);
    fit.rmsd = std::sqrt(least_square_sum(sums, &fit.rotation) / count);
    return fit;
}

PrincipalAxes principal_axes(const Matrix3& symmetric) {
    std::array<double, 3> values{};
    Matrix3 vectors{};
    detail::symmetric_eigen<3>(symmetric, values, vectors);
    std::array<int, 3> order = {0, 1, 2};
    std::sort(order.begin(), order.end(), [&](int a, int b) { return values[a] > values[b]; });
    PrincipalAxes result;
    for (std::size_t k = 0; k < 3; ++k) {
        const auto c = static_cast<std::size_t>(order[k]);
        result.values[k] = values[c];
        result.axes[k] = CVECTOR(vectors[c], vectors[3 + c], vectors[6 + c]);
    }
    result.axes[2] = result.axes[0] % result.axes[1];
    return result;
}

}  // namespace confsearch
