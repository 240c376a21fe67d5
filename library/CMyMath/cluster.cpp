#include "CMyMath/cluster.h"

#include <algorithm>
#include <cmath>
#include <iostream>
#include <utility>

#include "CMyMath/axes.h"
#include "CMyMath/rotation.h"

using namespace confsearch;

using confsearch::Rotation;

namespace {

const char* const CLUSTER_INPUT_ERROR = "Cluster error input!";

using confsearch::ORIGIN;
using confsearch::X_AXIS;
using confsearch::Z_AXIS;

bool out_of_cluster_range(int n) { return n < 0 || n > MAX_CLUSTER_NUMBER; }

}  // namespace

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
