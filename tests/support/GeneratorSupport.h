// Test molecules for the conformer generator: atoms with the Z-matrix tree they hang on,
// written as the geometry and Z-matrix files the generator reads, and the "dial", a bond
// whose far hydrogen meets blocking hydrogens at chosen angles.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "CConformer.h"
#include "TestSupport.h"

namespace support {

// One atom in the geometry file's order, and the atom (its number in that file, 0 for the
// root) it hangs on in the Z-matrix tree.
struct TreeAtom {
    std::string symbol;
    CVECTOR at;
    int parent;
};

struct TreeMolecule {
    std::vector<TreeAtom> atoms;
    // The geometry file's numbers in Z-matrix row order; empty: the file's own order.
    std::vector<int> rows;
    // Allowed close contacts, in the geometry file's numbers.
    std::vector<std::array<int, 2>> contacts;
};

std::string xyz_text(const TreeMolecule& m);
// The link-matrix block (angle and dihedral partners chosen by the link-relation rules),
// a separator line, the contact count and pairs.
std::string zmatrix_text(const TreeMolecule& m);

// Writes m.xyz and m.zmat into dir and reads them into conformer; a failed read fails
// the test.
void load(CRotatableConformer& conformer, const TreeMolecule& m, const TempDir& dir);

// The dial: the bond B-C (atoms 2-3) along +z turns hydrogen D (atom 4), 2 angstrom from
// the axis, on a circle in the plane of C; D starts at angle 0 (from +x towards +y) and
// carries hydrogen F (atom 5) further out. Blocking hydrogens on that circle at the given
// angles in degrees (atoms 6...; the first two hang on B, the next two on A) clash with D
// within 21 degrees of it, where their distance falls to the H-H bonding distance 0.73.
TreeMolecule dial(const std::vector<double>& blockers);
// The angle of D about the axis, degrees in [0, 360).
double dial_angle(const CVECTOR& d);

// A freedom file: the count, then one "a-b steps" line per bond.
std::string freedom_text(const std::vector<std::array<int, 3>>& bonds);

// One record of a candidate collection file: "NAME_<serial>: <name>", one line per atom
// "symbol<tab>x y z", and the closing line of hyphens.
struct CollectedCandidate {
    int serial = 0;
    std::string name;
    std::vector<std::string> symbols;
    std::vector<CVECTOR> points;  // 1-based, entry 0 unused
};

// Every record of the text; a record out of that layout fails the test.
std::vector<CollectedCandidate> read_collection(const std::string& text, int atoms);

}  // namespace support
