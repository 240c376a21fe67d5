// Everything the toolkit reads from a Gaussian output file: the orientation tables of the
// geometry, the archive block that ends the file (energies, dipole), the thermochemistry
// of a frequency job, the route, the termination, cpu time, rotational constants, charge
// and multiplicity. The layout of the file and its quirks are described in
// gaussian_output.cpp, where each is read.
#pragma once

#include <array>
#include <istream>
#include <string>
#include <vector>

#include "CMyMath/vector.h"
#include "detail/text_io.h"
#include "myfile/read_error.h"

namespace confsearch {

// ---- Geometry tables ---------------------------------------------------------------

// Titles of the geometry tables. A job run with nosym prints only the input orientation.
inline const std::string STANDARD_ORIENTATION = "Standard orientation:";
inline const std::string INPUT_ORIENTATION = "Input orientation:";

// How the reading of the last geometry table of an output file ended.
struct GeometryTableStatus {
    enum Outcome {
        none,         // the table holds exactly the atoms asked for, every row whole
        no_table,     // the file has no table of that title
        other_size,   // the table holds `rows` atoms, not the count asked for
        cut_short,    // the file ends inside the table, after `rows` atom rows
        damaged_row,  // row number `rows` of the table is not three integers and three numbers
    };
    Outcome outcome = none;
    int rows = 0;

    bool ok() const { return outcome == none; }
};

// The atoms of a table: atomic number and position in angstrom, in the table's order.
struct TableAtom {
    int atomic_number = 0;
    CVECTOR position;
};

// Reads the last table of the title from a seekable stream holding an output file (or its
// end), expecting exactly `atoms` rows; atoms holds them when the outcome is none.
GeometryTableStatus read_orientation_table(std::istream& in, const std::string& title, int atoms,
                                           std::vector<TableAtom>& rows);

// ---- The archive block -------------------------------------------------------------

// Keys of the archive entries read: "\HF=-517.8751652\", "\MP2=-75.0022821\" (an MP2 job
// has both), "\Dipole=0.5025539,0.,0.3787015\".
inline const std::string ARCHIVE_ENERGY = "HF=";
inline const std::string ARCHIVE_MP2 = "MP2=";
inline const std::string ARCHIVE_DIPOLE = "Dipole=";
// The count of imaginary frequencies in the archive of a frequency job, "\NImag=1\".
inline const std::string ARCHIVE_IMAGINARY = "NImag=";

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
    detail::Pos energy_end = 0;  // stream position just after the energy's number
    double dipole_length() const;
};

// What an output file lacks of the two, the first that is missing.
enum class EnergyDipoleMissing {
    none,
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
std::vector<std::string> post_hf_energies(std::istream& in, detail::Pos from);

// Whether the archive block of an output file holds an entry of the key ("MP2" for
// "\MP2=..."); false for a file that cannot be read.
bool has_archive_entry(const std::string& file, const std::string& key);

// ---- Frequencies ---------------------------------------------------------------------

inline const std::string HARMONIC_FREQUENCIES = "Harmonic frequencies";
inline const std::string FREQUENCIES_LINE = " Frequencies --";

// ---- Thermochemistry ---------------------------------------------------------------

// The two sums of a frequency job that rank conformers, in hartree.
inline const std::string FREE_ENERGY_LINE = "Sum of electronic and thermal Free Energies=";
inline const std::string ENTHALPY_LINE = "Sum of electronic and thermal Enthalpies=";

// The temperature line of the thermochemistry, " Temperature   298.150 Kelvin.  Pressure
// 1.00000 Atm.": the last one, before the stream position.
inline const std::string TEMPERATURE_LINE = " Temperature ";

// The number that ends the line at the stream position, and nothing else on it.
bool read_line_number(std::istream& in, double& value);

// ---- The result a conformer is ranked by ------------------------------------------

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
    // A result with imaginary frequencies, a saddle point, is refused: a conformer
    // search keeps minima.
    bool minima_only = false;
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
        refused,           // not a Gaussian output, refused by its own program's reader or
                           // by none: see error
    };
    ResultReadStatus(What outcome = none, GeometryTableStatus geometry_table = {})
        : what(outcome), table(geometry_table) {}

    What what = none;
    GeometryTableStatus table;

    EnergyKind energy;
    ReadError error;
    // Read with the "HF=" energy: the keys of the post-HF energies that the archive holds
    // beside it ("MP2", ...), in archive order.
    std::vector<std::string> post_hf;

    bool ok() const { return what == none; }
    // The reason in words, for a molecule of `atoms` atoms ("no \"Dipole=\" entry after
    // the last \"HF=\"", "a final table of 20 atoms where 13 atoms were asked for", ...).
    std::string reason(int atoms) const;
    // The line of the file at fault, where the reader names one; 0 otherwise.
    long line() const { return what == refused ? error.line : 0; }
};

// The energy, dipole and final geometry of one job, as read_gaussian_result finds them.
struct GaussianResult {
    double energy = 0.0;  // hartree: the archive's "HF=" or the energy chosen
    double dipole = 0.0;  // length of the archive's "Dipole=" vector
    std::vector<TableAtom> atoms;
    // With the free energy or enthalpy chosen, the temperature (K) of its thermochemistry;
    // 0 where the file does not print it.
    double temperature = 0.0;
    // The archive's "NImag=" of a frequency job, -1 for a job without frequencies.
    int imaginary_count = -1;
    // Their values (cm-1), filled in by the reader of the whole file.
    std::vector<double> imaginary_frequencies;
    // Method and basis as the archive's header names them ("RB3LYP", "6-31G(d)"); empty
    // when its header lies outside the stream read.
    std::string method;
    std::string basis;
};

// The imaginary frequencies (cm-1, negative) of the last frequency analysis of an output
// file, as many as count; fewer when the file does not print them.
std::vector<double> read_imaginary_frequencies(std::istream& in, int count);
// Method and basis from the header of the last archive block: its fifth and sixth
// fields, "RB3LYP" and "6-31G(d)" of "1\1\GINC-HOST\FOpt\RB3LYP\6-31G(d)\C4H10O1\...".
// False when there is none.
bool read_level_of_theory(std::istream& in, std::string& method, std::string& basis);

// The energy, dipole and final geometry of an output file of `atoms` atoms, from a stream
// holding the whole file or (whole_file false) only its end.
ResultReadStatus read_gaussian_result(std::istream& in, int atoms, bool whole_file,
                                      const ResultReadOptions& options, GaussianResult& result);

// ---- The summary of a job ----------------------------------------------------------

// What summarize_output reports of a job, as the file prints it.
struct GaussianSummary {
    std::string route;                   // the first line holding "#", at most 98 characters
    std::string whole_route;             // the route over all its lines, unwrapped
    EnergyDipole archive;                // "HF=" and "Dipole=" of the archive
    double mp2 = 0.0;                    // the archive's last "MP2=", 0 when there is none
    int cpu_seconds = 0;                 // the cpu time after the archive, whole seconds
    int total_cpu_seconds = 0;           // the cpu times of every job step, summed
    int job_steps = 0;                   // the steps that printed a cpu time
    std::array<double, 3> rotational{};  // the last "Rotational constants (GHZ):"
    int charge = 0;
    int multiplicity = 1;
    std::vector<TableAtom> atoms;  // the last "Standard orientation:" table
};

// Reads the summary of a finished job of `atoms` atoms from an output file, in the order
// of the file's sections. The error names the first required item the file lacks ("no
// Normal termination").
ReadError read_gaussian_summary(const std::string& file, int atoms, GaussianSummary& summary);

// The atoms of the last "Standard orientation:" table of an output file (its last "Input
// orientation:" table when it has none); 0 when it has neither.
int gaussian_atom_count(const std::string& file);

}  // namespace confsearch
