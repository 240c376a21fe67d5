// Ordered point sets of fixed size (a conformer's coordinates) with whole-set moves.
#pragma once

#include "CMyMath/vector.h"

#include <iosfwd>
#include <vector>

const int MAX_CLUSTER_NUMBER = 100;

// An ordered set of 0..MAX_CLUSTER_NUMBER points, numbered from 1. Out-of-range counts and
// indices throw the offending int; whole-set operations on an empty set throw the int 0.
class CCLUSTER {
public:
    explicit CCLUSTER(int n = 0);
    // Deep copies of points 1..size; a copy of an empty set owns no storage.
    CCLUSTER(const CCLUSTER& other);
    CCLUSTER& operator=(const CCLUSTER& other);
    // A moved-from set is left empty, without storage.
    CCLUSTER(CCLUSTER&& other) noexcept;
    CCLUSTER& operator=(CCLUSTER&& other) noexcept;

    // Discards every point and re-creates the set with n points at the origin.
    void reinstall(int n);
    // Sets the count to 0 but keeps the storage; throws 0 when there is none.
    void clear();

    int get_size() const { return size; }
    // Point i, 1-based.
    CVECTOR& operator[](int i);
    const CVECTOR& operator[](int i) const;
    // Removes point i; the later points move down by one.
    void erase(int i);

    void move(const CVECTOR& d);
    void rotate(const CVECTOR& axis, double angle);
    void rotate(const CVECTOR& p1, const CVECTOR& p2, double angle);
    void inverse(const CVECTOR& c);
    void reflect(const CVECTOR& a, const CVECTOR& b, const CVECTOR& c);
    // Point i to the origin, point j onto the positive z axis, point k into the x-z
    // half-plane with positive x.
    void adjust(int i, int j, int k);

    friend CCLUSTER operator+(const CCLUSTER& a, const CCLUSTER& b);
    friend std::istream& operator>>(std::istream& in, CCLUSTER& cluster);

private:
    int size = 0;
    // size + 1 entries; entry 0 is not a point. Empty when the set never had storage.
    std::vector<CVECTOR> points;

    void check_not_empty() const;
};

// Writes one line "x y z" per point at the stream's current precision.
std::ostream& operator<<(std::ostream& out, const CCLUSTER& cluster);
// Reads a count and that many points; on a bad point the set is emptied and
// "Cluster error input!" goes to standard error.
std::istream& operator>>(std::istream& in, CCLUSTER& cluster);
