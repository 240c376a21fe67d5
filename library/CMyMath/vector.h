// 3-D vectors: points and directions of atoms, with the constructions of internal
// coordinates (angles, signed dihedrals, fourth-point placement) and rotations.
#pragma once

#include <cmath>
#include <iosfwd>

const double PI = 3.141592653589793;
// Absolute tolerance of every vector comparison.
const double DOUBLE_PRECISION = 1e-12;

// Degrees to radians and back.
double radian(double degrees);
double degree(double radians);

// A point or a direction in space; lengths in angstrom, angles in radians.
// Geometric failures are thrown as bare values (a double, or an int for reflect).
class CVECTOR {
public:
    double x;
    double y;
    double z;

    CVECTOR(double x = 0, double y = 0, double z = 0);

    CVECTOR operator+() const;
    CVECTOR operator-() const;
    CVECTOR operator+(const CVECTOR& v) const;
    CVECTOR operator-(const CVECTOR& v) const;
    CVECTOR operator*(double s) const;
    CVECTOR operator/(double s) const;
    // Cross product.
    CVECTOR operator%(const CVECTOR& v) const;
    // Dot product (both * and / between two vectors).
    double operator*(const CVECTOR& v) const;
    double operator/(const CVECTOR& v) const;
    // Component-wise equality within DOUBLE_PRECISION.
    bool operator==(const CVECTOR& v) const;
    bool operator!=(const CVECTOR& v) const;
    // Compare lengths, not components.
    bool operator<(const CVECTOR& v) const;
    bool operator>(const CVECTOR& v) const;

    double square() const;
    double module() const;
    // Unit vector; throws the length (double) when it is below DOUBLE_PRECISION.
    CVECTOR normal() const;
    double distance(const CVECTOR& p) const;
    // Angle between the two directions, 0..PI.
    double angle(const CVECTOR& v) const;
    // The part of this vector perpendicular to axis.
    CVECTOR projection(const CVECTOR& axis) const;
    // Right-handed rotation about the direction axis through the origin; throws angle.
    CVECTOR rotate(const CVECTOR& axis, double angle) const;
    // Rotation of this point about the line from p1 to p2; throws angle when p1 == p2.
    CVECTOR rotate(const CVECTOR& p1, const CVECTOR& p2, double angle) const;
    // Point reflection through c.
    CVECTOR inverse(const CVECTOR& c) const;
    // Mirror image in the plane through a, b, c; throws the int 0 when they are collinear.
    CVECTOR reflect(const CVECTOR& a, const CVECTOR& b, const CVECTOR& c) const;
    bool p_online(const CVECTOR& a, const CVECTOR& b) const;
    bool p_onplane(const CVECTOR& a, const CVECTOR& b, const CVECTOR& c) const;
    // Foot of the perpendicular from this point to the line a-b; throws 0.0 when a == b.
    CVECTOR p_fop(const CVECTOR& a, const CVECTOR& b) const;
    // Angle a-this-b at this vertex, 0..PI.
    double p_angle(const CVECTOR& a, const CVECTOR& b) const;
    // Signed dihedral this-a-b-c, -PI..PI; throws 0.0 when this or c is on the line a-b.
    double p_dihang(const CVECTOR& a, const CVECTOR& b, const CVECTOR& c) const;
    // Sets this to the point at bond from a, with angle this-a-b and dihedral this-a-b-c;
    // throws bond when c lies on the line a-b.
    void p_forthpoint(const CVECTOR& a, const CVECTOR& b, const CVECTOR& c, double bond,
                      double angle, double dihedral);
};

// The arithmetic of every geometric construction is defined here, so that loops over
// many points (whole-set moves, torsion steps) compile to straight-line code.
inline CVECTOR::CVECTOR(double x, double y, double z) : x(x), y(y), z(z) {}

inline CVECTOR CVECTOR::operator+() const { return *this; }

inline CVECTOR CVECTOR::operator-() const { return CVECTOR(-x, -y, -z); }

inline CVECTOR CVECTOR::operator+(const CVECTOR& v) const {
    return CVECTOR(x + v.x, y + v.y, z + v.z);
}

inline CVECTOR CVECTOR::operator-(const CVECTOR& v) const {
    return CVECTOR(x - v.x, y - v.y, z - v.z);
}

inline CVECTOR CVECTOR::operator*(double s) const { return CVECTOR(x * s, y * s, z * s); }

inline CVECTOR CVECTOR::operator/(double s) const { return CVECTOR(x / s, y / s, z / s); }

inline CVECTOR operator*(double s, const CVECTOR& v) { return v * s; }

inline CVECTOR CVECTOR::operator%(const CVECTOR& v) const {
    return CVECTOR(y * v.z - v.y * z, z * v.x - v.z * x, x * v.y - v.x * y);
}

inline double CVECTOR::operator*(const CVECTOR& v) const { return x * v.x + y * v.y + z * v.z; }

inline double CVECTOR::operator/(const CVECTOR& v) const { return *this * v; }

inline bool CVECTOR::operator==(const CVECTOR& v) const {
    return std::fabs(x - v.x) < DOUBLE_PRECISION && std::fabs(y - v.y) < DOUBLE_PRECISION &&
           std::fabs(z - v.z) < DOUBLE_PRECISION;
}

inline bool CVECTOR::operator!=(const CVECTOR& v) const { return !(*this == v); }

inline double CVECTOR::square() const { return x * x + y * y + z * z; }

inline double CVECTOR::module() const { return std::sqrt(square()); }

inline double CVECTOR::distance(const CVECTOR& p) const { return (p - *this).module(); }

// Writes "x y z" with 15 significant digits; the precision stays set on the stream.
std::ostream& operator<<(std::ostream& out, const CVECTOR& v);
std::istream& operator>>(std::istream& in, CVECTOR& v);
