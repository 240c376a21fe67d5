#include "CMyMath.h"

#include <algorithm>
#include <cmath>
#include <iostream>
#include <utility>

namespace {

const char* const CLUSTER_INPUT_ERROR = "Cluster error input!";

const CVECTOR ORIGIN(0, 0, 0);
const CVECTOR Z_AXIS(0, 0, 1);
const CVECTOR X_AXIS(1, 0, 0);

bool out_of_cluster_range(int n) { return n < 0 || n > MAX_CLUSTER_NUMBER; }

// A right-handed turn by angle about the direction axis through the origin (Rodrigues'
// formula about the unit axis n); throws the angle for a zero axis.
class Rotation {
public:
    Rotation(const CVECTOR& axis, double angle) {
        if (axis == ORIGIN) throw angle;
        n_ = axis.normal();
        cos_ = std::cos(angle);
        sin_ = std::sin(angle);
    }

    CVECTOR turn(const CVECTOR& v) const {
        return v * cos_ + (n_ % v) * sin_ + n_ * ((n_ * v) * (1 - cos_));
    }

private:
    CVECTOR n_;
    double cos_ = 1.0;
    double sin_ = 0.0;
};

}  // namespace

double radian(double degrees) { return degrees * PI / 180; }

double degree(double radians) { return radians * 180 / PI; }

// ---------------------------------------------------------------- CVECTOR

CVECTOR::CVECTOR(double x, double y, double z) : x(x), y(y), z(z) {}

CVECTOR CVECTOR::operator+() const { return *this; }

CVECTOR CVECTOR::operator-() const { return CVECTOR(-x, -y, -z); }

CVECTOR CVECTOR::operator+(const CVECTOR& v) const { return CVECTOR(x + v.x, y + v.y, z + v.z); }

CVECTOR CVECTOR::operator-(const CVECTOR& v) const { return CVECTOR(x - v.x, y - v.y, z - v.z); }

CVECTOR CVECTOR::operator*(double s) const { return CVECTOR(x * s, y * s, z * s); }

CVECTOR CVECTOR::operator/(double s) const { return CVECTOR(x / s, y / s, z / s); }

CVECTOR operator*(double s, const CVECTOR& v) { return v * s; }

CVECTOR CVECTOR::operator%(const CVECTOR& v) const {
    return CVECTOR(y * v.z - v.y * z, z * v.x - v.z * x, x * v.y - v.x * y);
}

double CVECTOR::operator*(const CVECTOR& v) const { return x * v.x + y * v.y + z * v.z; }

double CVECTOR::operator/(const CVECTOR& v) const { return *this * v; }

bool CVECTOR::operator==(const CVECTOR& v) const {
    return std::fabs(x - v.x) < DOUBLE_PRECISION && std::fabs(y - v.y) < DOUBLE_PRECISION &&
           std::fabs(z - v.z) < DOUBLE_PRECISION;
}

bool CVECTOR::operator!=(const CVECTOR& v) const { return !(*this == v); }

bool CVECTOR::operator<(const CVECTOR& v) const {
    return v.module() - module() >= DOUBLE_PRECISION;
}

bool CVECTOR::operator>(const CVECTOR& v) const {
    return module() - v.module() >= DOUBLE_PRECISION;
}

double CVECTOR::square() const { return x * x + y * y + z * z; }

double CVECTOR::module() const { return std::sqrt(square()); }

CVECTOR CVECTOR::normal() const {
    const double length = module();
    // Written as a negated test so that a NaN length is refused as well.
    if (!(length >= DOUBLE_PRECISION)) throw length;
    return *this / length;
}

double CVECTOR::distance(const CVECTOR& p) const { return (p - *this).module(); }

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

// ---------------------------------------------------------------- CCLUSTER

CCLUSTER::CCLUSTER(int n) { reinstall(n); }

CCLUSTER::CCLUSTER(const CCLUSTER& other) { *this = other; }

CCLUSTER::CCLUSTER(CCLUSTER&& other) noexcept { *this = std::move(other); }

CCLUSTER& CCLUSTER::operator=(CCLUSTER&& other) noexcept {
    if (this != &other) {
        size = std::exchange(other.size, 0);
        points = std::move(other.points);
        other.points.clear();
    }
    return *this;
}

CCLUSTER& CCLUSTER::operator=(const CCLUSTER& other) {
    if (this == &other) return *this;
    // Only points 1..size travel: a copy of a cleared or erased set carries no stale
    // entries, and a copy of an empty set owns no storage at all.
    std::vector<CVECTOR> copied;
    if (other.size > 0) {
        copied.assign(other.size + 1, ORIGIN);
        std::copy(other.points.begin() + 1, other.points.begin() + other.size + 1,
                  copied.begin() + 1);
    }
    points = std::move(copied);
    size = other.size;
    return *this;
}

void CCLUSTER::reinstall(int n) {
    // The old points go first, so a refused count leaves an empty set behind.
    std::vector<CVECTOR>().swap(points);
    size = 0;
    if (out_of_cluster_range(n)) throw n;
    if (n > 0) points.assign(n + 1, ORIGIN);
    size = n;
}

void CCLUSTER::clear() {
    if (points.empty()) throw 0;
    size = 0;
}

CVECTOR& CCLUSTER::operator[](int i) {
    if (i < 1 || i > size) throw i;
    return points[i];
}

const CVECTOR& CCLUSTER::operator[](int i) const {
    if (i < 1 || i > size) throw i;
    return points[i];
}

void CCLUSTER::erase(int i) {
    if (i < 1 || i > size) throw i;
    points.erase(points.begin() + i);
    --size;
}

void CCLUSTER::check_not_empty() const {
    if (size == 0) throw 0;
}

// The whole-set moves copy their arguments first: a caller may name points of this very
// set (an atom on the axis, at the centre, in the mirror plane), and those must not
// shift under the loop while it runs.

void CCLUSTER::move(const CVECTOR& d) {
    check_not_empty();
    const CVECTOR shift = d;
    for (int i = 1; i <= size; ++i) points[i] = points[i] + shift;
}

// The turn is set up once for all points (axis, sine, cosine): each point then comes out
// exactly as CVECTOR::rotate would give it.
void CCLUSTER::rotate(const CVECTOR& axis, double angle) {
    check_not_empty();
    const Rotation turn(axis, angle);
    for (int i = 1; i <= size; ++i) points[i] = turn.turn(points[i]);
}

void CCLUSTER::rotate(const CVECTOR& p1, const CVECTOR& p2, double angle) {
    check_not_empty();
    const CVECTOR from = p1;
    if (p2 == from) throw angle;
    const Rotation turn(p2 - from, angle);
    for (int i = 1; i <= size; ++i) points[i] = turn.turn(points[i] - from) + from;
}

void CCLUSTER::inverse(const CVECTOR& c) {
    check_not_empty();
    const CVECTOR centre = c;
    for (int i = 1; i <= size; ++i) points[i] = points[i].inverse(centre);
}

void CCLUSTER::reflect(const CVECTOR& a, const CVECTOR& b, const CVECTOR& c) {
    check_not_empty();
    const CVECTOR pa = a;
    const CVECTOR pb = b;
    const CVECTOR pc = c;
    for (int i = 1; i <= size; ++i) points[i] = points[i].reflect(pa, pb, pc);
}

void CCLUSTER::adjust(int i, int j, int k) {
    check_not_empty();
    move(-(*this)[i]);
    // Turning about j x z by the angle between them brings j onto the positive z axis;
    // when j is already on the axis that cross product vanishes and rotate throws.
    const CVECTOR j_point = (*this)[j];
    rotate(j_point % Z_AXIS, j_point.angle(Z_AXIS));
    // The dihedral of k against the x axis, seen along z, is the turn that brings k
    // into the x-z half-plane with positive x.
    rotate(Z_AXIS, (*this)[k].p_dihang(ORIGIN, Z_AXIS, X_AXIS));
}

CCLUSTER operator+(const CCLUSTER& a, const CCLUSTER& b) {
    CCLUSTER joined(a.get_size() + b.get_size());
    for (int i = 1; i <= a.get_size(); ++i) joined[i] = a[i];
    for (int i = 1; i <= b.get_size(); ++i) joined[a.get_size() + i] = b[i];
    return joined;
}

std::ostream& operator<<(std::ostream& out, const CCLUSTER& cluster) {
    // Components are written one by one rather than through the CVECTOR operator, which
    // would force its own precision onto the stream.
    for (int i = 1; i <= cluster.get_size(); ++i) {
        const CVECTOR& p = cluster[i];
        out << p.x << ' ' << p.y << ' ' << p.z << '\n';
    }
    return out;
}

std::istream& operator>>(std::istream& in, CCLUSTER& cluster) {
    int n = 0;
    in >> n;
    cluster.reinstall(n);
    for (int i = 1; i <= n; ++i) {
        if (!(in >> cluster.points[i])) {
            cluster.reinstall(0);
            std::cerr << CLUSTER_INPUT_ERROR << '\n';
            return in;
        }
    }
    return in;
}
