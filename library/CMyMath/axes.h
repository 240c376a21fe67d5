// The origin, the axes and the full turn that the geometry code places and turns by.
#pragma once

#include "CMyMath/vector.h"

namespace confsearch {

inline const CVECTOR ORIGIN(0, 0, 0);
inline const CVECTOR X_AXIS(1, 0, 0);
inline const CVECTOR Y_AXIS(0, 1, 0);
inline const CVECTOR Z_AXIS(0, 0, 1);
inline const double FULL_TURN = 2 * PI;

}  // namespace confsearch
