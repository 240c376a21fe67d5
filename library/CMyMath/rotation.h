// A rotation set up once and applied to many points: the whole-set moves of point
// clusters and the torsion steps of the Z-matrix turn every point by the same turn.
#pragma once

#include "CMyMath/vector.h"

#include <cmath>

namespace confsearch {

// A right-handed turn by angle about the direction axis through the origin (Rodrigues'
// formula about the unit axis n); throws the angle for a zero axis.
class Rotation {
public:
    Rotation(const CVECTOR& axis, double angle) {
        if (axis == CVECTOR(0, 0, 0)) throw angle;
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

}  // namespace confsearch
