// Multi-structure xyz files: frame after frame, each an atom count, a comment line and
// one line per atom. The ensembles of the sorters (unique_conformers.xyz), of xtb and
// CREST, and of any other program that writes several geometries into one file.
#pragma once

#include <string>
#include <vector>

#include "CMyMath/vector.h"
#include "myfile/read_error.h"

namespace confsearch {

// One geometry of the file, its atoms 0-based in the file's order.
struct XyzFrame {
    std::string comment;               // the second line of the frame, without its line end
    std::vector<int> numbers;          // atomic numbers
    std::vector<std::string> symbols;  // the element table's symbols ("Cl" for "CL" or "17")
    std::vector<CVECTOR> positions;    // angstrom
    long line = 0;                     // the 1-based line of its atom count
};

// Reads every frame of an xyz file. A frame is an atom count (a whole number of at least 1,
// more words after it allowed), a comment line, and that many lines of an element (its
// symbol in any case, or its atomic number) and three finite numbers, more columns after
// them allowed. Blank lines may stand between frames and at the end. The error names the
// line at fault; a file that cannot be read gives "cannot read file"; frames is set only
// when the error returned is ok().
ReadError read_xyz_frames(const std::string& file, std::vector<XyzFrame>& frames);
// The same on the text of a file.
ReadError parse_xyz_frames(const std::string& text, std::vector<XyzFrame>& frames);

}  // namespace confsearch
