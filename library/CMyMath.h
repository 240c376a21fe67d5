// Geometry of atoms: 3-D vectors with the constructions of internal coordinates, ordered
// point sets (a conformer's coordinates) with whole-set moves, and Z-matrices (internal
// coordinates with the bond tree that turns torsions), and the least-squares superposition
// of point sets.
#pragma once

#include "CMyMath/cluster.h"
#include "CMyMath/superposition.h"
#include "CMyMath/vector.h"
#include "CMyMath/zmatrix.h"
