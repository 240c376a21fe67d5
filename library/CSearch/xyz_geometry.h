// A molecule's geometry as an xyz file holds it (element symbols and positions in
// angstrom), the file itself, and the conformer made of it for bond perception.
#pragma once

#include "CConformer/basic_conformer.h"
#include "CMyMath/vector.h"
#include "myfile/read_error.h"

#include <string>
#include <vector>

namespace confsearch {

struct XyzGeometry {
    // One entry per atom in file order (0-based: a plain list, not a conformer).
    std::vector<std::string> symbols;
    std::vector<CVECTOR> positions;
    // The file's second line.
    std::string comment;
};

// One line per atom, "C  -0.1234567890  ...", coordinates right-aligned in 17 columns
// with 10 decimals: the atom lines of every xtb input, so equal texts are equal geometries.
std::string xyz_atom_lines(const XyzGeometry& geometry);

// Writes the atom count, the comment (line ends in it become blanks) and one line per
// atom with 10 decimals. Throws std::runtime_error naming the file when it cannot be
// written whole.
void write_xyz_geometry(const std::string& file, const XyzGeometry& geometry);
// Reads an xyz file: a positive atom count, a comment line, then exactly that many lines
// of a symbol and three numbers (a line may go on with more columns); nothing but blank
// lines after them. geometry is set only when the error returned is ok().
ReadError read_xyz_geometry(const std::string& file, XyzGeometry& geometry);

// The same atoms as a conformer (1-based, for CBondGraph). Symbols are read without
// regard to case ("CL" and "cl" are chlorine). Throws std::invalid_argument naming the
// atom for an unknown symbol, and for no atoms or more than MAX_CONFORMER_SIZE.
CBasicConformer conformer_of(const XyzGeometry& geometry);

}  // namespace confsearch
