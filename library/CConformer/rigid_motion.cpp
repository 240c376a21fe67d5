// Local frames, mean planes and internal coordinates for the ring conformers and the
// nitrogen inversion.
#include "rigid_motion.h"

#include <algorithm>
#include <cmath>

namespace confsearch::detail {

CVECTOR plane_normal(const std::vector<CVECTOR>& points) {
    // The axis of least spread of the points about their centroid.
    CVECTOR centre;
    for (const CVECTOR& p : points) centre = centre + p;
    centre = centre / static_cast<double>(points.size());
    Matrix3 scatter{};
    for (const CVECTOR& p : points) {
        const CVECTOR d = p - centre;
        const double v[3] = {d.x, d.y, d.z};
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) scatter[3 * i + j] += v[i] * v[j];
    }
    return principal_axes(scatter).axes[2];
}

Matrix3 local_frame(const CVECTOR& centre, const CVECTOR& a, const CVECTOR& b) {
    const CVECTOR ua = a - centre;
    const CVECTOR ub = b - centre;
    if (ua.module() < DOUBLE_PRECISION || ub.module() < DOUBLE_PRECISION)
        return {1, 0, 0, 0, 1, 0, 0, 0, 1};
    const CVECTOR sum = ua / ua.module() + ub / ub.module();
    const CVECTOR normal = ua % ub;
    if (sum.module() < 1e-9 || normal.module() < 1e-9) return {1, 0, 0, 0, 1, 0, 0, 0, 1};
    const CVECTOR e1 = -(sum / sum.module());
    const CVECTOR e2 = normal / normal.module();
    return from_columns(e1, e2, e1 % e2);
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
