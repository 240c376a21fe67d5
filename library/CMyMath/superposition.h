// The rigid motion that lays one set of points on another with the least root-mean-square
// deviation, and the principal axes of a symmetric tensor (inertia, spread of points).
#pragma once

#include "CMyMath/vector.h"

#include <array>
#include <vector>

namespace confsearch {

// A 3x3 matrix, rows first.
using Matrix3 = std::array<double, 9>;

// The product m v.
inline CVECTOR rotated(const Matrix3& m, const CVECTOR& v) {
    return CVECTOR(m[0] * v.x + m[1] * v.y + m[2] * v.z, m[3] * v.x + m[4] * v.y + m[5] * v.z,
                   m[6] * v.x + m[7] * v.y + m[8] * v.z);
}

// The matrix whose columns are a, b and c.
inline Matrix3 from_columns(const CVECTOR& a, const CVECTOR& b, const CVECTOR& c) {
    return {a.x, b.x, c.x, a.y, b.y, c.y, a.z, b.z, c.z};
}

inline Matrix3 transposed(const Matrix3& m) {
    return {m[0], m[3], m[6], m[1], m[4], m[7], m[2], m[5], m[8]};
}

// The product a b.
inline Matrix3 product(const Matrix3& a, const Matrix3& b) {
    Matrix3 p{};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            p[3 * r + c] = a[3 * r] * b[c] + a[3 * r + 1] * b[3 + c] + a[3 * r + 2] * b[6 + c];
    return p;
}

// What the best superposition of pairs (target point p, moving point q) of two centred
// point sets depends on: the correlation, entry 3a + b the sum of q_a p_b, and the sum of
// |p|^2 + |q|^2 (angstrom^2).
struct PairSums {
    Matrix3 correlation{};
    double squares = 0.0;

    void add(const CVECTOR& p, const CVECTOR& q) {
        add_correlation(p, q);
        squares += p.square() + q.square();
    }
    // The correlation only, for a caller that knows the sum of squares already.
    void add_correlation(const CVECTOR& p, const CVECTOR& q) {
        correlation[0] += q.x * p.x;
        correlation[1] += q.x * p.y;
        correlation[2] += q.x * p.z;
        correlation[3] += q.y * p.x;
        correlation[4] += q.y * p.y;
        correlation[5] += q.y * p.z;
        correlation[6] += q.z * p.x;
        correlation[7] += q.z * p.y;
        correlation[8] += q.z * p.z;
    }
};

// The least sum over the pairs of |p - R q|^2 (angstrom^2) over proper rotations R, in
// closed form: Horn's unit-quaternion method, its largest eigenvalue found by Newton's
// method on the characteristic polynomial as in Theobald's QCP. When rotation is not
// null it receives that R. Improper motions (mirror images) are not considered: to
// include them, fit the moving set with every point negated as well.
double least_square_sum(const PairSums& sums, Matrix3* rotation = nullptr);

// The best proper rigid motion of `moving` onto `target`, point i on point i:
// place(q) = rotation (q - moving_centre) + target_centre.
struct RigidFit {
    Matrix3 rotation{1, 0, 0, 0, 1, 0, 0, 0, 1};
    CVECTOR target_centre;
    CVECTOR moving_centre;
    double rmsd = 0.0;  // angstrom

    CVECTOR place(const CVECTOR& q) const {
        return rotated(rotation, q - moving_centre) + target_centre;
    }
};

// Throws std::invalid_argument when the sets differ in size or are empty.
RigidFit best_rigid_fit(const std::vector<CVECTOR>& target, const std::vector<CVECTOR>& moving);

// Eigenvalues of a symmetric 3x3 matrix in decreasing order, with unit eigenvectors that
// form a right-handed frame.
struct PrincipalAxes {
    std::array<double, 3> values{};
    std::array<CVECTOR, 3> axes;
};

PrincipalAxes principal_axes(const Matrix3& symmetric);

}  // namespace confsearch
