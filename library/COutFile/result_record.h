// One ranked result of a conformer search: name, energy, dipole, group and final
// geometry, read from an output file of Gaussian, ORCA or xtb.
#pragma once

#include "CConformer/basic_conformer.h"
#include "COutFile/formats/gaussian_output.h"
#include "COutFile/formats/output_result.h"

#include <array>
#include <fstream>
#include <iosfwd>
#include <string>
#include <vector>

// One ranked result.
class COutSort {
public:
    std::string name;     // output file name as listed (or the collection record name)
    double energy = 0.0;  // value after the archive's "HF=" (or the energy chosen), hartree
    double dipole = 0.0;  // length of the archive's "Dipole=" vector
    int group = 0;        // duplicate group given by the filter
    CBasicConformer conformer;
    // Mean squared distance from the reference atom per element class (calc_D).
    std::array<double, 15> D{};
    int class_count = 0;
    // What else the output file said of its job: the program, the level of theory, the
    // frequencies, the temperature of the thermochemistry. Its geometry stays empty (the
    // conformer holds it); empty as a whole for a collection record.
    confsearch::OutputResult details;

    COutSort();

    // Empty name, zero values, a conformer of 0 atoms.
    void clear();
    // Reads energy, dipole and final geometry of a Gaussian output file of atoms atoms.
    // False (and a cleared record) when any of them is missing; the record is untouched
    // when the file cannot be opened.
    bool get_info(const std::string& file, int atoms);
    // As get_info, telling why a file gave no result.
    confsearch::ResultReadStatus read_info(const std::string& file, int atoms);
    // The same with another energy or geometry table; energy then holds the energy chosen.
    confsearch::ResultReadStatus read_info(const std::string& file, int atoms,
                                           const confsearch::ResultReadOptions& options);
    // Fills D for the classes H, C, N, O from the reference atom (1-based).
    void calc_D(int reference_atom);
    bool equal_D(const COutSort& other, double tolerance) const;

private:
    // read_info for an output of Gaussian (in open on it), and of ORCA or xtb.
    confsearch::ResultReadStatus read_gaussian(std::ifstream& in, const std::string& file,
                                               int atoms,
                                               const confsearch::ResultReadOptions& options);
    confsearch::ResultReadStatus read_other(const std::string& file, int atoms,
                                            const confsearch::ResultReadOptions& options);
};

namespace confsearch {

// "1 imaginary frequency (-45.2 cm-1): a saddle point, not a minimum", for a result with
// imaginary frequencies; "" for one without.
std::string saddle_point_text(const OutputResult& details);

}  // namespace confsearch

// name, tab, energy, tab, dipole, tab, group, line end; 12 significant digits.
std::ostream& operator<<(std::ostream& out, const COutSort& result);
