// One molecular geometry (elements and Cartesian coordinates) with its files: xyz
// geometry, Gaussian input, bond list, and the final geometry of a Gaussian output file;
// and the test of whether two geometries are the same conformer.
#pragma once

#include "CConformer/basic_conformer.h"
#include "CConformer/bonds.h"
