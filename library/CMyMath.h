// Geometry of atoms: 3-D vectors with the constructions of internal coordinates, and
// ordered point sets (a conformer's coordinates) with whole-set moves.
#pragma once

#include "CMyMath/cluster.h"
#include "CMyMath/vector.h"
