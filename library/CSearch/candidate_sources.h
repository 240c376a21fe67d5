// The candidates a screening optimises, read from what the generator and other programs
// write: a multi-structure xyz file (an ensemble of CREST or of a sorter), a folder of xyz
// files, or the generator's collection file; each named for its job and traced to where
// it was read.
#pragma once

#include "CSearch/xyz_geometry.h"

#include <cstddef>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace confsearch {

struct ScreeningCandidate {
    // The name of its job and results folder: "<stem>_0001", in the order read.
    std::string name;
    // Where it was read: "ensemble.xyz, frame 3 (line 45)", "xyz_collection, record
    // 12 (line 265)", "confs/c7.xyz".
    std::string origin;
    // Symbols in the element table's spelling ("Cl" for "CL" or "17"); the comment is the
    // source's comment line or record name.
    XyzGeometry geometry;
};

// A source of candidates that cannot be read whole; what() names the file and, where
// there is one, the line.
class CandidateError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class CandidateSource {
    xyz_file,    // one or more xyz frames
    xyz_folder,  // every *.xyz file in it, in natural order of the names (c2 before c10)
    collection,  // records "NAME_<n>: <name>", one "symbol<TAB>x y z" line per atom, a line
                 // of dashes
};

// What kind of source a path is: a folder, a file whose first line that is not blank
// begins with "NAME_", or else an xyz file.
CandidateSource candidate_source_kind(const std::filesystem::path& source);

// Every candidate of the source, named serial_name(stem, 1, ...) in the order read. Throws
// CandidateError, naming the file and line, for a source that cannot be read, holds no
// candidate, or has a frame or record that is not whole (an atom count that disagrees
// with the lines, a line that is not an element and three finite numbers).
std::vector<ScreeningCandidate> read_candidates(const std::filesystem::path& source,
                                                const std::string& stem);

// A stem that can name jobs: characters other than letters, digits and _-+. become '_',
// a leading '.' too; "molecule" for an empty one.
std::string job_stem(const std::string& stem);

// Refuses (CandidateError naming the candidate's origin, its atom and its element) a
// candidate whose atoms are not those of the molecule, in the molecule's order.
void check_candidate_atoms(const XyzGeometry& molecule, const std::string& molecule_name,
                           const std::vector<ScreeningCandidate>& candidates);

}  // namespace confsearch
