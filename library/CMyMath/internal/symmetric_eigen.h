// Eigenvalues and eigenvectors of a small symmetric matrix by the cyclic Jacobi method:
// the principal axes of a tensor (3x3) and the fallback of the quaternion superposition
// (4x4) when its largest eigenvalue is degenerate.
#pragma once

#include <array>
#include <cmath>
#include <cstddef>

namespace confsearch {
namespace detail {

// `a` is symmetric, rows first. On return values[k] is an eigenvalue and column k of
// `vectors` (entries vectors[i * N + k]) its unit eigenvector; not sorted. Jacobi turns
// are exact rotations, so the vectors stay orthonormal whatever the matrix.
template <std::size_t N>
void symmetric_eigen(std::array<double, N * N> a, std::array<double, N>& values,
                     std::array<double, N * N>& vectors) {
    vectors.fill(0.0);
    for (std::size_t i = 0; i < N; ++i) vectors[i * N + i] = 1.0;
    // Convergence is quadratic; a few sweeps reach machine precision for N <= 4.
    const int MOST_SWEEPS = 60;
    for (int sweep = 0; sweep < MOST_SWEEPS; ++sweep) {
        double off = 0.0;
        double diagonal = 0.0;
        for (std::size_t p = 0; p < N; ++p) {
            diagonal += a[p * N + p] * a[p * N + p];
            for (std::size_t q = p + 1; q < N; ++q) off += a[p * N + q] * a[p * N + q];
        }
        if (off <= 1e-32 * diagonal || off == 0.0) break;
        for (std::size_t p = 0; p < N; ++p) {
            for (std::size_t q = p + 1; q < N; ++q) {
                const double apq = a[p * N + q];
                if (apq == 0.0) continue;
                // The turn by angle phi in the p-q plane with tan(phi) = t zeroes a_pq; the
                // smaller root keeps the turn below 45 degrees (Numerical Recipes, 11.1).
                const double theta = (a[q * N + q] - a[p * N + p]) / (2.0 * apq);
                const double t =
                    (theta >= 0 ? 1.0 : -1.0) / (std::fabs(theta) + std::sqrt(theta * theta + 1.0));
                const double c = 1.0 / std::sqrt(t * t + 1.0);
                const double s = t * c;
                for (std::size_t k = 0; k < N; ++k) {
                    const double akp = a[k * N + p];
                    const double akq = a[k * N + q];
                    a[k * N + p] = c * akp - s * akq;
                    a[k * N + q] = s * akp + c * akq;
                }
                for (std::size_t k = 0; k < N; ++k) {
                    const double apk = a[p * N + k];
                    const double aqk = a[q * N + k];
                    a[p * N + k] = c * apk - s * aqk;
                    a[q * N + k] = s * apk + c * aqk;
                }
                for (std::size_t k = 0; k < N; ++k) {
                    const double vkp = vectors[k * N + p];
                    const double vkq = vectors[k * N + q];
                    vectors[k * N + p] = c * vkp - s * vkq;
                    vectors[k * N + q] = s * vkp + c * vkq;
                }
            }
        }
    }
    for (std::size_t k = 0; k < N; ++k) values[k] = a[k * N + k];
}

}  // namespace detail
}  // namespace confsearch
