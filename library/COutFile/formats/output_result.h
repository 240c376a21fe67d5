// What the output file of one quantum-chemistry job says about its result, whichever
// program (Gaussian, ORCA, xtb) wrote it.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "CMyMath/vector.h"

namespace confsearch {

enum class OutputProgram { gaussian, orca, xtb };

// The program's name as a chemist writes it: "Gaussian", "ORCA", "xtb".
const char* program_name(OutputProgram program);

struct OutputResult {
    OutputProgram program = OutputProgram::gaussian;
    std::string version;             // as the file prints it: "5.0.3", "6.5.1"
    double energy = 0.0;             // the final electronic energy, hartree
    std::array<double, 3> dipole{};  // the final dipole vector, atomic units
    // Whether the file prints a dipole of the final geometry (GFN-FF prints none).
    bool has_dipole = false;
    // The final geometry in the file's atom order: element symbols and positions in
    // angstrom, one entry per atom (0-based here: a plain list, not a conformer).
    std::vector<std::string> symbols;
    std::vector<CVECTOR> positions;
    bool normal_termination = false;
    // Whether the job computed vibrational frequencies; the imaginary ones, in cm-1 as
    // printed (negative numbers), in the file's order.
    bool has_frequencies = false;
    std::vector<double> imaginary_frequencies;
    // Thermochemistry, hartree, when printed; the temperature (K) it was computed at.
    std::optional<double> free_energy;
    std::optional<double> enthalpy;
    std::optional<double> temperature;
    int charge = 0;
    int multiplicity = 1;
    // As the file names them: "B3LYP" and "6-31G(d)", "GFN2-xTB" and "" for xtb.
    std::string method;
    std::string basis;
    // The implicit solvent as the file names it: "CPCM(Water)", "ALPB(water)"; empty in
    // the gas phase.
    std::string solvent;
};

}  // namespace confsearch
