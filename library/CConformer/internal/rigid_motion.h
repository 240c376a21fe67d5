// Rigid motions of parts of a molecule: 3x3 rotations, the local frame of an atom between
// two neighbours, the superposition of two point sets, and internal coordinates that never
// throw.
#pragma once

#include "CMyMath/vector.h"

#include <array>
#include <vector>

namespace confsearch::detail {

// A 3x3 matrix, row-major; the identity by default.
struct Mat3 {
    std::array<double, 9> m = {1, 0, 0, 0, 1, 0, 0, 0, 1};

    static Mat3 columns(const CVECTOR& a, const CVECTOR& b, const CVECTOR& c) {
        return Mat3{{a.x, b.x, c.x, a.y, b.y, c.y, a.z, b.z, c.z}};
    }
    CVECTOR operator*(const CVECTOR& v) const {
        return CVECTOR(m[0] * v.x + m[1] * v.y + m[2] * v.z, m[3] * v.x + m[4] * v.y + m[5] * v.z,
                       m[6] * v.x + m[7] * v.y + m[8] * v.z);
    }
    Mat3 operator*(const Mat3& o) const {
        Mat3 p;
        for (int r = 0; r < 3; ++r) {
            for (int c = 0; c < 3; ++c) {
                p.m[3 * r + c] =
                    m[3 * r] * o.m[c] + m[3 * r + 1] * o.m[3 + c] + m[3 * r + 2] * o.m[6 + c];
            }
        }
        return p;
    }
    Mat3 transposed() const { return Mat3{{m[0], m[3], m[6], m[1], m[4], m[7], m[2], m[5], m[8]}}; }
};

// x -> rotation * x + shift.
struct RigidMotion {
    Mat3 rotation;
    CVECTOR shift;

    CVECTOR apply(const CVECTOR& x) const { return rotation * x + shift; }
};

// The proper motion that lays the points `from` onto `to` (same count, at least one) with
// the least sum of squared deviations: B. K. P. Horn, "Closed-form solution of absolute
// orientation using unit quaternions", J. Opt. Soc. Am. A 1987, 4, 629-642.
RigidMotion superpose(const std::vector<CVECTOR>& from, const std::vector<CVECTOR>& to);

// The unit normal of the least-squares plane through the points (at least three).
CVECTOR plane_normal(const std::vector<CVECTOR>& points);

// The right-handed orthonormal frame of an atom at `centre` bonded to a and b, as the
// columns of a rotation: the bisector pointing away from a and b, the normal of the plane
// a-centre-b, and their cross product. Substituents expressed in it keep their place
// relative to the two bonds (an axial hydrogen stays axial). The identity when a, centre
// and b are on one line.
Mat3 local_frame(const CVECTOR& centre, const CVECTOR& a, const CVECTOR& b);

// The rotation that carries frame `from` onto frame `to`.
inline Mat3 frame_change(const Mat3& from, const Mat3& to) { return to * from.transposed(); }

// Dihedral a-b-c-d in radians, -pi..pi, of the same sense as CVECTOR::p_dihang; 0 when
// three of the points are on one line.
double dihedral(const CVECTOR& a, const CVECTOR& b, const CVECTOR& c, const CVECTOR& d);
// Angle a-centre-b in radians, 0..pi.
double bond_angle(const CVECTOR& a, const CVECTOR& centre, const CVECTOR& b);
// The angle shifted by whole turns into (-pi, pi].
double wrap_angle(double angle);
// The triple product of the unit vectors from `centre` to a, b and c: about +-0.77 at a
// tetrahedral centre, 0 at a planar one; its sign is the handedness of a, b, c.
double signed_volume(const CVECTOR& centre, const CVECTOR& a, const CVECTOR& b, const CVECTOR& c);

}  // namespace confsearch::detail
