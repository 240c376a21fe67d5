// Entries of the archive block that ends a Gaussian output file.
#pragma once

#include <array>
#include <istream>
#include <string>
#include <vector>

#include "detail/text_io.h"

namespace detail {

// Keys of the archive entries read: "\HF=-517.8751652\", "\MP2=-75.0022821\" (an MP2 job
// has both), "\Dipole=0.5025539,0.,0.3787015\".
inline const std::string ARCHIVE_ENERGY = "HF=";
inline const std::string ARCHIVE_MP2 = "MP2=";
inline const std::string ARCHIVE_DIPOLE = "Dipole=";

// Like file_find_ignore_linux, but passes over occurrences of key that are not entries
// of the archive block (the nearest character before them, wraps passed over, is not
// "\\" or "|"). whole_file says whether the stream holds the whole file or only its end;
// an occurrence whose standing cannot be told in a tail ends the search with false.
bool find_archive_entry(std::istream& in, const std::string& key, int direction,
                        std::ios_base::seekdir start, bool whole_file);

// The final energy of a job and its dipole vector.
struct EnergyDipole {
    double energy = 0.0;
    std::array<double, 3> dipole{};
    Pos energy_end = 0;  // stream position just after the energy's number
    double dipole_length() const;
};

// What an output file lacks of the two, the first that is missing.
enum class EnergyDipoleMissing {
    nothing,
    energy_entry,   // no "HF=" entry in an archive block
    energy_number,  // "HF=" without a number after it
    dipole_entry,   // no "Dipole=" entry after the last "HF="
    dipole_vector,  // "Dipole=" without three numbers after it, or cut by the file end
};

// Reads the value after the archive's last "HF=" and the vector after the first
// "Dipole=" behind it; the stream is then left after the dipole. values is complete
// only when nothing is missing.
EnergyDipoleMissing read_energy_dipole(std::istream& in, bool whole_file, EnergyDipole& values);

// The keys of the post-HF energies ("MP2", "CCSD(T)", ...) among the entries that follow
// the position from, up to the "Dipole=" entry or the end of the archive section; from is
// the end of the "HF=" value. The stream position is kept.
std::vector<std::string> post_hf_energies(std::istream& in, Pos from);

}  // namespace detail
