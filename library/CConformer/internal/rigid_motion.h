// Rigid motions of parts of a molecule: the local frame of an atom between two neighbours,
// the normal of a ring's mean plane, and internal coordinates that never throw.
#pragma once

#include "CMyMath/superposition.h"
#include "CMyMath/vector.h"

#include <array>
#include <vector>

namespace confsearch::detail {

// The unit normal of the least-squares plane through the points (at least three).
CVECTOR plane_normal(const std::vector<CVECTOR>& points);

// The right-handed orthonormal frame of an atom at `centre` bonded to a and b, as the
// columns of a rotation: the bisector pointing away from a and b, the normal of the plane
// a-centre-b, and their cross product. Substituents expressed in it keep their place
// relative to the two bonds (an axial hydrogen stays axial). The identity when a, centre
// and b are on one line.
Matrix3 local_frame(const CVECTOR& centre, const CVECTOR& a, const CVECTOR& b);

// The rotation that carries frame `from` onto frame `to`.
inline Matrix3 frame_change(const Matrix3& from, const Matrix3& to) {
    return product(to, transposed(from));
}

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
