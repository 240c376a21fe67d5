#include "CMyMath/vector.h"

#include <algorithm>
#include <cmath>
#include <iostream>

#include "CMyMath/axes.h"
#include "CMyMath/rotation.h"

using namespace confsearch;

using confsearch::ORIGIN;
using confsearch::Rotation;

double radian(double degrees) { return degrees * PI / 180; }

double degree(double radians) { return radians * 180 / PI; }

bool CVECTOR::operator<(const CVECTOR& v) const {
    return v.module() - module() >= DOUBLE_PRECISION;
}

bool CVECTOR::operator>(const CVECTOR& v) const {
    return module() - v.module() >= DOUBLE_PRECISION;
}

CVECTOR CVECTOR::normal() const {
    const double length = module();
    // Written as a negated test so that a NaN length is refused as well.
    if (!(length >= DOUBLE_PRECISION)) throw length;
    return *this / length;
}

double CVECTOR::angle(const CVECTOR& v) const {
    const double d = *this * v;
    // Perpendicular (or zero) vectors get exactly a right angle, so that a zero vector
    // never reaches the division below.
    if (std::fabs(d) < DOUBLE_PRECISION) return PI / 2;
    if (*this % v == ORIGIN) return d > 0 ? 0.0 : PI;
    // Nearly parallel directions that pass the cross-product test can still round to a
    // cosine just beyond 1, where acos would give NaN.
    const double cosine = d / (module() * v.module());
    return std::acos(std::clamp(cosine, -1.0, 1.0));
}

CVECTOR CVECTOR::projection(const CVECTOR& axis) const {
    const CVECTOR n = axis.normal();
    return *this - n * (*this * n);
}

CVECTOR CVECTOR::rotate(const CVECTOR& axis, double angle) const {
    return Rotation(axis, angle).turn(*this);
}

CVECTOR CVECTOR::rotate(const CVECTOR& p1, const CVECTOR& p2, double angle) const {
    if (p2 == p1) throw angle;
    return Rotation(p2 - p1, angle).turn(*this - p1) + p1;
}

CVECTOR CVECTOR::inverse(const CVECTOR& c) const { return c * 2 - *this; }

CVECTOR CVECTOR::reflect(const CVECTOR& a, const CVECTOR& b, const CVECTOR& c) const {
    const CVECTOR n = (b - a) % (c - a);
    if (n == ORIGIN) throw 0;
    // toward_plane runs from this point to its foot on the mirror plane.
    const CVECTOR toward_plane = n * ((n * (a - *this)) / (n * n));
    return *this + toward_plane * 2;
}

bool CVECTOR::p_online(const CVECTOR& a, const CVECTOR& b) const {
    // The cross product is not normalised: long arms make the test stricter.
    return (a - *this) % (b - *this) == ORIGIN;
}

bool CVECTOR::p_onplane(const CVECTOR& a, const CVECTOR& b, const CVECTOR& c) const {
    return std::fabs(((a - *this) % (b - *this)) * (c - *this)) < DOUBLE_PRECISION;
}

CVECTOR CVECTOR::p_fop(const CVECTOR& a, const CVECTOR& b) const {
    const CVECTOR u = b - a;
    if (u == ORIGIN) throw 0.0;
    const double t = ((*this - a) / (u * u)) * u;
    return u * t + a;
}

double CVECTOR::p_angle(const CVECTOR& a, const CVECTOR& b) const {
    return (a - *this).angle(b - *this);
}

double CVECTOR::p_dihang(const CVECTOR& a, const CVECTOR& b, const CVECTOR& c) const {
    if (c.p_online(a, b) || p_online(a, b)) throw 0.0;
    // Slide this point along the axis until its foot meets that of c; the dihedral is
    // then the plain angle at that common foot.
    const CVECTOR foot_p = p_fop(a, b);
    const CVECTOR foot_c = c.p_fop(a, b);
    const CVECTOR slid = *this + (foot_c - foot_p);
    const double unsigned_angle = (c - foot_c).angle(slid - foot_c);
    // The side of the plane a-b-c on which this point lies gives the sense of the turn.
    if (((a - b) % (c - b)) * (*this - b) < 0) return -unsigned_angle;
    return unsigned_angle;
}

void CVECTOR::p_forthpoint(const CVECTOR& a, const CVECTOR& b, const CVECTOR& c, double bond,
                           double angle, double dihedral) {
    if (c.p_online(b, a)) throw bond;
    const CVECTOR u = b - a;
    const CVECTOR w = c - a;
    // Turning c back by the dihedral gives the half-plane, bounded by the bond axis,
    // in which the new point lies; the bond angle is then laid off within it.
    const CVECTOR turned_c = w.rotate(u, -dihedral);
    const CVECTOR plane_normal = u % turned_c;
    const CVECTOR bond_vector = u.normal() * bond;
    // Computed in full before assigning: a, b or c may be this very vector.
    const CVECTOR placed = bond_vector.rotate(plane_normal, angle) + a;
    *this = placed;
}

std::ostream& operator<<(std::ostream& out, const CVECTOR& v) {
    out.precision(15);
    return out << v.x << ' ' << v.y << ' ' << v.z;
}

std::istream& operator>>(std::istream& in, CVECTOR& v) { return in >> v.x >> v.y >> v.z; }
