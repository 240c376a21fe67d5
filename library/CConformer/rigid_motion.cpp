// Superposition by Horn's quaternion method, local frames and internal coordinates for the
// ring conformers and the nitrogen inversion.
#include "rigid_motion.h"

#include <algorithm>
#include <cmath>

namespace confsearch::detail {

namespace {

template <std::size_t N>
using Square = std::array<std::array<double, N>, N>;

// Eigenvalues (the diagonal left in a) and eigenvectors (the columns of the returned
// matrix) of a small symmetric matrix by cyclic Jacobi rotations; a few sweeps reach double
// precision.
template <std::size_t N>
Square<N> jacobi(Square<N>& a) {
    Square<N> v{};
    for (std::size_t i = 0; i < N; ++i) v[i][i] = 1.0;
    for (int sweep = 0; sweep < 50; ++sweep) {
        double off = 0.0;
        for (std::size_t p = 0; p < N; ++p)
            for (std::size_t q = p + 1; q < N; ++q) off += a[p][q] * a[p][q];
        if (off < 1e-30) break;
        for (std::size_t p = 0; p < N; ++p) {
            for (std::size_t q = p + 1; q < N; ++q) {
                if (std::fabs(a[p][q]) < 1e-300) continue;
                const double theta = (a[q][q] - a[p][p]) / (2 * a[p][q]);
                const double t =
                    (theta >= 0 ? 1.0 : -1.0) / (std::fabs(theta) + std::sqrt(theta * theta + 1.0));
                const double c = 1.0 / std::sqrt(t * t + 1.0);
                const double s = t * c;
                for (std::size_t k = 0; k < N; ++k) {
                    const double akp = a[k][p];
                    const double akq = a[k][q];
                    a[k][p] = c * akp - s * akq;
                    a[k][q] = s * akp + c * akq;
                }
                for (std::size_t k = 0; k < N; ++k) {
                    const double apk = a[p][k];
                    const double aqk = a[q][k];
                    a[p][k] = c * apk - s * aqk;
                    a[q][k] = s * apk + c * aqk;
                }
                for (std::size_t k = 0; k < N; ++k) {
                    const double vkp = v[k][p];
                    const double vkq = v[k][q];
                    v[k][p] = c * vkp - s * vkq;
                    v[k][q] = s * vkp + c * vkq;
                }
            }
        }
    }
    return v;
}

// The column of the eigenvector whose eigenvalue is largest (or smallest).
template <std::size_t N>
std::size_t extreme(const Square<N>& diagonalised, bool largest) {
    std::size_t best = 0;
    for (std::size_t i = 1; i < N; ++i) {
        const bool better = largest ? diagonalised[i][i] > diagonalised[best][best]
                                    : diagonalised[i][i] < diagonalised[best][best];
        if (better) best = i;
    }
    return best;
}

CVECTOR centroid(const std::vector<CVECTOR>& points) {
    CVECTOR sum;
    for (const auto& p : points) sum = sum + p;
    return sum / static_cast<double>(points.size());
}

}  // namespace

RigidMotion superpose(const std::vector<CVECTOR>& from, const std::vector<CVECTOR>& to) {
    const CVECTOR cf = centroid(from);
    const CVECTOR ct = centroid(to);
    double s[3][3] = {};
    for (std::size_t k = 0; k < from.size(); ++k) {
        const CVECTOR a = from[k] - cf;
        const CVECTOR b = to[k] - ct;
        const double av[3] = {a.x, a.y, a.z};
        const double bv[3] = {b.x, b.y, b.z};
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) s[i][j] += av[i] * bv[j];
    }
    Square<4> n = {{
        {s[0][0] + s[1][1] + s[2][2], s[1][2] - s[2][1], s[2][0] - s[0][2], s[0][1] - s[1][0]},
        {s[1][2] - s[2][1], s[0][0] - s[1][1] - s[2][2], s[0][1] + s[1][0], s[2][0] + s[0][2]},
        {s[2][0] - s[0][2], s[0][1] + s[1][0], -s[0][0] + s[1][1] - s[2][2], s[1][2] + s[2][1]},
        {s[0][1] - s[1][0], s[2][0] + s[0][2], s[1][2] + s[2][1], -s[0][0] - s[1][1] + s[2][2]},
    }};
    const Square<4> vectors = jacobi(n);
    const std::size_t k = extreme(n, true);
    const double w = vectors[0][k], x = vectors[1][k], y = vectors[2][k], z = vectors[3][k];
    RigidMotion motion;
    motion.rotation =
        Mat3{{w * w + x * x - y * y - z * z, 2 * (x * y - w * z), 2 * (x * z + w * y),
              2 * (x * y + w * z), w * w - x * x + y * y - z * z, 2 * (y * z - w * x),
              2 * (x * z - w * y), 2 * (y * z + w * x), w * w - x * x - y * y + z * z}};
    motion.shift = ct - motion.rotation * cf;
    return motion;
}

CVECTOR plane_normal(const std::vector<CVECTOR>& points) {
    const CVECTOR c = centroid(points);
    Square<3> scatter{};
    for (const auto& p : points) {
        const double d[3] = {p.x - c.x, p.y - c.y, p.z - c.z};
        for (std::size_t i = 0; i < 3; ++i)
            for (std::size_t j = 0; j < 3; ++j) scatter[i][j] += d[i] * d[j];
    }
    const Square<3> vectors = jacobi(scatter);
    const std::size_t k = extreme(scatter, false);
    return CVECTOR(vectors[0][k], vectors[1][k], vectors[2][k]);
}

Mat3 local_frame(const CVECTOR& centre, const CVECTOR& a, const CVECTOR& b) {
    const CVECTOR ua = a - centre;
    const CVECTOR ub = b - centre;
    if (ua.module() < DOUBLE_PRECISION || ub.module() < DOUBLE_PRECISION) return Mat3{};
    const CVECTOR sum = ua / ua.module() + ub / ub.module();
    const CVECTOR normal = ua % ub;
    if (sum.module() < 1e-9 || normal.module() < 1e-9) return Mat3{};
    const CVECTOR e1 = -(sum / sum.module());
    const CVECTOR e2 = normal / normal.module();
    return Mat3::columns(e1, e2, e1 % e2);
}

double dihedral(const CVECTOR& a, const CVECTOR& b, const CVECTOR& c, const CVECTOR& d) {
    const CVECTOR b1 = b - a;
    const CVECTOR b2 = c - b;
    const CVECTOR b3 = d - c;
    const CVECTOR n1 = b1 % b2;
    const CVECTOR n2 = b2 % b3;
    const double length = b2.module();
    if (n1.module() < 1e-12 || n2.module() < 1e-12 || length < 1e-12) return 0.0;
    return std::atan2(((n1 % n2) * b2) / length, n1 * n2);
}

double bond_angle(const CVECTOR& a, const CVECTOR& centre, const CVECTOR& b) {
    const CVECTOR u = a - centre;
    const CVECTOR v = b - centre;
    return std::atan2((u % v).module(), u * v);
}

double wrap_angle(double angle) {
    angle = std::remainder(angle, 2 * PI);
    return angle <= -PI ? angle + 2 * PI : angle;
}

double signed_volume(const CVECTOR& centre, const CVECTOR& a, const CVECTOR& b, const CVECTOR& c) {
    const CVECTOR u = a - centre;
    const CVECTOR v = b - centre;
    const CVECTOR w = c - centre;
    const double lengths = u.module() * v.module() * w.module();
    if (lengths < 1e-12) return 0.0;
    return ((u % v) * w) / lengths;
}

}  // namespace confsearch::detail
