// Test helpers for conformers: geometries from xyz text and fixture files, comparisons,
// and the bare values the library throws.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CConformer.h"
#include "TestSupport.h"

namespace support {

// A conformer of `atoms` atoms read from xyz text; a failed read fails the test.
CBasicConformer from_xyz(const std::string& text, int atoms);
// A molecule of tests/data/molecules, by name ("water", "ethanol"); its atom count is the
// file's first line.
CBasicConformer molecule(const std::string& name);
// A conformer holding the atoms in order.
CBasicConformer conformer_of(const std::vector<Atom>& atoms);
// n-alkane CnH(2n+2), all anti: the carbons zigzag in the xy plane (1.53 angstrom,
// 111 degrees), each with two hydrogens above and below the plane on its outer side, and
// one more at each end continuing the zigzag. Its rotatable bonds are the n - 3 bonds
// between CH2 groups.
CBasicConformer alkane(int n);

// Same elements atom by atom, every position within tol angstrom.
void expect_same_geometry(const CBasicConformer& a, const CBasicConformer& b, double tol);

}  // namespace support
