// One ranked result of a conformer search: name, energy, dipole, group and final
// geometry, read from a Gaussian output file.
#pragma once

#include "CConformer.h"

#include <array>
#include <iosfwd>
#include <string>
#include <vector>

// The energy an output file is ranked by.
struct EnergyKind {
    enum Source {
        archive_entry,  // an entry of the archive block, by its key
        free_energy,    // the last "Sum of electronic and thermal Free Energies=" line
        enthalpy,       // the last "Sum of electronic and thermal Enthalpies=" line
    };
    Source source = archive_entry;
    // The archive key without its "=": "HF" (the SCF or DFT energy), "MP2", "CCSD(T)".
    std::string key = "HF";

    // "HF", "MP2", "G" or "H", as the command line names it.
    std::string name() const;
    // The text that precedes the value in the file: "HF=", "Sum of electronic and thermal
    // Free Energies=".
    std::string keyword() const;
    // "G", "H", or an archive key: anything without '=', '\\', '|', ',' and white space.
    // False (kind unchanged) for text that cannot name an energy.
    static bool parse(const std::string& text, EnergyKind& kind);
};

// How output files are read. The defaults read the archive's "HF=" and the last
// "Standard orientation:" table.
struct ResultReadOptions {
    EnergyKind energy;
    // A file with no "Standard orientation:" table (a job run with nosym) is read from its
    // last "Input orientation:" table instead of being refused.
    bool input_orientation = false;
};

// Why an output file gave no result.
struct ResultReadStatus {
    enum What {
        none,              // the result was read
        cannot_open,       // the file cannot be opened or read
        no_energy_entry,   // no "HF=" entry in an archive block
        no_energy_number,  // "HF=" without a number after it
        no_dipole_entry,   // no "Dipole=" entry after the last "HF="
        no_dipole_vector,  // "Dipole=" without three numbers after it, or cut by the file end
        geometry,          // the final geometry table is missing or unfit: see table
        no_chosen_energy,  // the energy chosen other than "HF=" is not in the file: see energy
        no_chosen_number,  // the keyword of the chosen energy without a number after it
        no_orientation,    // neither a "Standard orientation:" nor an "Input orientation:" table
    };
    ResultReadStatus(What outcome = none, GeometryTableStatus geometry_table = {})
        : what(outcome), table(geometry_table) {}

    What what = none;
    GeometryTableStatus table;
    EnergyKind energy;
    // Read with the "HF=" energy: the keys of the post-HF energies that the archive holds
    // beside it ("MP2", ...), in archive order.
    std::vector<std::string> post_hf;

    bool ok() const { return what == none; }
    // The reason in words, for a molecule of `atoms` atoms ("no \"Dipole=\" entry after
    // the last \"HF=\"", "a final table of 20 atoms where 13 atoms were asked for", ...).
    std::string reason(int atoms) const;
};

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

    COutSort();

    // Empty name, zero values, a conformer of 0 atoms.
    void clear();
    // Reads energy, dipole and final geometry of a Gaussian output file of atoms atoms.
    // False (and a cleared record) when any of them is missing; the record is untouched
    // when the file cannot be opened.
    bool get_info(const std::string& file, int atoms);
    // As get_info, telling why a file gave no result.
    ResultReadStatus read_info(const std::string& file, int atoms);
    // The same with another energy or geometry table; energy then holds the energy chosen.
    ResultReadStatus read_info(const std::string& file, int atoms,
                               const ResultReadOptions& options);
    // Fills D for the classes H, C, N, O from the reference atom (1-based).
    void calc_D(int reference_atom);
    bool equal_D(const COutSort& other, double tolerance) const;
};

// name, tab, energy, tab, dipole, tab, group, line end; 12 significant digits.
std::ostream& operator<<(std::ostream& out, const COutSort& result);
