#include "COutFile/formats/xtb_output.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <utility>
#include <vector>

#include "COutFile/formats/output_format.h"
#include "COutFile/formats/output_text.h"
#include "format_fields.h"
#include "format_messages.h"
#include "structure_block.h"

namespace confsearch {

namespace {

using detail::lower;
using detail::parse_int;
using detail::parse_number;
using detail::starts_with;
using detail::Structure;
using detail::trim;
using detail::words;

constexpr std::size_t npos = OutputText::npos;

// The end of standard output of a run that ended well ("normal termination of xtb" goes to
// standard error):
//      * finished run on 2026/12/09 at 15:24:35.974
// A run that stopped prints instead, innermost reason last:
//     [ERROR] Program stopped due to fatal error
//     -1- xtb_calculator_newXTBCalculator: Parameter file param_gfn0-xtb.txt not found!
const std::string_view FINISHED = "* finished run on";
const std::string_view FATAL_ERROR = "[ERROR] Program stopped due to fatal error";

// The summary box at the end, once in every output from 6.2 on, whatever the job:
//               | TOTAL ENERGY              -17.727816284356 Eh   |
// Look-alikes are left alone: ":: total energy" closes each SCC summary and
// " * total energy  :" each optimisation cycle. 6.1 beta has no box; its final energy is
// the last "total E       :      -4.1752185".
const std::string_view TOTAL_ENERGY = "| TOTAL ENERGY";
const std::string_view TOTAL_E_61 = "total E";

// An optimisation ends with one of
//        *** GEOMETRY OPTIMIZATION CONVERGED AFTER 11 ITERATIONS ***
//        *** FAILED TO CONVERGE GEOMETRY OPTIMIZATION IN 3 ITERATIONS ***
// and the failed one otherwise looks like a good one: exit status 0, an xtbopt.xyz, even
// a .xtboptok file. Only that line tells.
const std::string_view OPTIMIZATION = "GEOMETRY OPTIMIZATION";
const std::string_view FAILED = "FAILED TO CONVERGE";

// The optimised geometry, in the form of the input file (xyz, $coord, molfile):
//      final structure:
//     ================
//     15
//      xtb: 6.5.1 (unknown)
//     C           -1.31002809481323       -0.97457577076835        0.10179423653762
// Single points and --hess runs print none; they name their geometry by its file:
//               coordinate file            : butan2ol_conf1.xyz
const std::string_view FINAL_STRUCTURE = "final structure:";
const std::string_view COORDINATE_FILE = "coordinate file";

// x, y, z in atomic units and the magnitude in debye; "full:" also starts a line of the
// quadrupole that follows, so the dipole's is the first after the title:
//     molecular dipole:
//                      x           y           z       tot (Debye)
//      q only:        0.283      -0.339      -0.294
//        full:        0.378      -0.459      -0.470       1.925
// GFN1-xTB prints it in its own form, and GFN-FF prints none:
//      dipole moment from electron density (au)
//          X       Y       Z
//        0.4581  -0.5384  -0.5960  total (Debye):    2.350
const std::string_view DIPOLE = "molecular dipole:";
const std::string_view FULL = "full:";
const std::string_view DIPOLE_GFN1 = "dipole moment from electron density (au)";

// --hess and --ohess print the list twice; six per line, the first six about zero
// ("-0.00"), imaginary ones negative:
//      projected vibrational frequencies (cm⁻¹)
//     eigval :     -117.30   219.17   292.83   303.35   347.84   403.02
const std::string_view FREQUENCIES = "projected vibrational frequencies";
const std::string_view EIGENVALUES = "eigval :";

// Thermochemistry adds lines to the summary box, and a table whose row of the temperature
// used is marked when several were asked for:
//               | TOTAL ENTHALPY            -17.585806127811 Eh   |
//               | TOTAL FREE ENERGY         -17.623345000371 Eh   |
//            T/K    H(0)-H(T)+PV         H(T)/Eh          T*S/Eh         G(T)/Eh
//        ------------------------------------------------------------------------
//         298.15    0.777649E-02    0.142010E+00    0.375389E-01    0.104471E+00
//         350.00    0.798047E-02    0.897628E-01    0.417044E-01    0.480584E-01 (used)
const std::string_view TOTAL_ENTHALPY = "| TOTAL ENTHALPY";
const std::string_view TOTAL_FREE_ENERGY = "| TOTAL FREE ENERGY";
const std::string_view THERMO_TABLE = "H(0)-H(T)+PV";

// Charge: from 6.4.1 on in each SCC summary (a neutral molecule prints "-0.000000000000"),
// up to 6.4.1 in the set-up beside the spin S (not the multiplicity):
//              :: total charge               1.000000000000 e     ::
//               charge                     :                    -1
//               spin                       :                   0.0
// Later versions print no spin: "--uhf n" of the program call is the number of unpaired
// electrons; without it an odd count of electrons is a doublet.
//               :  # electrons                        31          :
const std::string_view TOTAL_CHARGE = ":: total charge";
const std::string_view PROGRAM_CALL = "program call";
const std::string_view ELECTRONS = ":  # electrons";

// The method's box: "|                 G F N 2 - x T B                 |", "G F N - F F".
const std::string_view METHOD_BOX = "G F N";
// "   * xtb version 6.5.1 (unknown) compiled by ...", and in 6.1 only the banner's
// "|               Version 6.1 beta (SAW190227)                |".
const std::string_view VERSION = "* xtb version";
const std::string_view VERSION_61 = "Version";
// "      * Solvation model:               ALPB" and "        Solvent                        water".
const std::string_view SOLVATION_MODEL = "* Solvation model:";
const std::string_view SOLVENT = "Solvent";
// The elements by atom, from 6.3 on (an atom list or range per element):
//        ID    Z sym.   atoms
//         1    6 C      1, 2, 4, 5
//         3    1 H      6-15
const std::string_view ELEMENT_TABLE = "ID    Z sym.   atoms";
const int MAX_TABLE_ATOMS = 100000;

// The value of a set-up line "key : value" in the head, "          charge     :    -1".
std::string_view setup_value(OutputText& text, std::string_view key) {
    const std::size_t head = std::min(text.size(), RECOGNITION_BYTES);
    for (std::size_t at = text.find_line(key, 0, head); at != npos;
         at = text.find_line(key, at + 1, head)) {
        const std::vector<std::string_view> w = words(text.line(at));
        if (w.size() == 3 && w[0] == key && w[1] == ":") return w[2];
    }
    return {};
}

// The text after the first ':' of a line.
std::string_view after_colon(std::string_view line) {
    const std::size_t colon = line.find(':');
    return colon == std::string_view::npos ? std::string_view() : trim(line.substr(colon + 1));
}

// The value after option (or one of its spellings) in the words of the program call.
std::string option_value(const std::vector<std::string>& call,
                         std::initializer_list<std::string_view> option) {
    for (std::size_t i = 0; i + 1 < call.size(); ++i)
        if (std::find(option.begin(), option.end(), call[i]) != option.end()) return call[i + 1];
    return "";
}

struct RunSetup {
    std::vector<std::string> call;  // the words of the program call
    std::string coordinate_file;
};

RunSetup read_setup(OutputText& text) {
    RunSetup setup;
    const std::size_t head = std::min(text.size(), RECOGNITION_BYTES);
    std::size_t at = text.find_line(PROGRAM_CALL, 0, head);
    if (at != npos)
        for (std::string_view w : words(after_colon(text.line(at)))) setup.call.emplace_back(w);
    at = text.find_line(COORDINATE_FILE, 0, head);
    if (at != npos) setup.coordinate_file = std::string(after_colon(text.line(at)));
    return setup;
}

// The elements by atom from the set-up's table; empty without one.
std::vector<std::string> job_elements(OutputText& text) {
    std::vector<std::string> elements;
    const std::size_t at = text.find(ELEMENT_TABLE, 0, std::min(text.size(), RECOGNITION_BYTES));
    if (at == npos) return elements;
    for (std::size_t p = text.next_line(at); p < text.size(); p = text.next_line(p)) {
        const std::vector<std::string_view> w = words(text.line(p));
        if (w.size() < 4) break;
        const std::string symbol = detail::element_symbol(w[2]);
        for (std::size_t i = 3; i < w.size(); ++i) {
            std::string_view item = w[i];
            if (!item.empty() && item.back() == ',') item.remove_suffix(1);
            const std::size_t dash = item.find('-');
            int first = 0;
            int last = 0;
            const bool ok = dash == std::string_view::npos
                                ? parse_int(item, first) && parse_int(item, last)
                                : parse_int(item.substr(0, dash), first) &&
                                      parse_int(item.substr(dash + 1), last);
            // A damaged table (an atom twice, a number beyond any molecule) tells nothing.
            if (!ok || first < 1 || last < first || last > MAX_TABLE_ATOMS || symbol.empty())
                return {};
            if (elements.size() < static_cast<std::size_t>(last))
                elements.resize(static_cast<std::size_t>(last));
            for (int a = first; a <= last; ++a) {
                std::string& element = elements[static_cast<std::size_t>(a - 1)];
                if (!element.empty()) return {};
                element = symbol;
            }
        }
    }
    if (std::any_of(elements.begin(), elements.end(),
                    [](const std::string& s) { return s.empty(); }))
        return {};
    return elements;
}

// The geometry of a run without optimisation: its coordinate file, beside the output.
ReadError read_input_geometry(OutputText& text, const RunSetup& setup, Structure& structure) {
    if (setup.coordinate_file.empty()) return {XTB_NO_GEOMETRY, 0};
    std::filesystem::path path(setup.coordinate_file);
    if (path.is_relative()) path = std::filesystem::path(text.file()).parent_path() / path;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        return {xtb_input_missing_reason(setup.coordinate_file), 0};
    OutputText input;
    ReadError error = input.open(path.string());
    if (error.ok()) error = detail::read_structure(input, 0, structure);
    if (error.ok() && input.read_failed()) error = {CANNOT_READ, 0};
    if (!error.ok()) {
        const std::string why =
            error.line > 0 ? "line " + std::to_string(error.line) + ": " + error.what : error.what;
        return {xtb_input_unreadable_reason(setup.coordinate_file, why), 0};
    }
    const std::vector<std::string> elements = job_elements(text);
    if (elements.empty()) return {};
    if (elements.size() != structure.symbols.size())
        return {
            xtb_input_other_molecule_reason(
                setup.coordinate_file, std::to_string(structure.symbols.size()) +
                                           " atoms, the job's " + std::to_string(elements.size())),
            0};
    for (std::size_t i = 0; i < elements.size(); ++i)
        if (elements[i] != structure.symbols[i])
            return {
                xtb_input_other_molecule_reason(
                    setup.coordinate_file, "atom " + std::to_string(i + 1) + " is " +
                                               structure.symbols[i] + ", the job's " + elements[i]),
                0};
    return {};
}

// How the run ended: finished, or the reason it did not.
ReadError read_termination(OutputText& text, std::size_t& finished) {
    finished = text.rfind_line(FINISHED);
    if (finished != npos) return {};
    const std::size_t fatal = text.rfind_line(FATAL_ERROR);
    if (fatal == npos) return {XTB_NOT_FINISHED, 0};
    std::size_t reason = fatal;
    for (std::size_t p = text.next_line(fatal); p < text.size(); p = text.next_line(p)) {
        const std::string_view line = trim(text.line(p));
        if (line.empty() || line.front() == '#') break;
        reason = p;
    }
    std::string_view line = trim(text.line(reason));
    // "-1- xtb_calculator_newXTBCalculator: Parameter file param_gfn0-xtb.txt not found!"
    if (starts_with(line, "-") && line.find("- ") != std::string_view::npos)
        line = trim(line.substr(line.find("- ") + 2));
    return {XTB_ERROR + std::string(line), text.line_number(reason)};
}

ReadError read_energy(OutputText& text, std::size_t finished, double& energy) {
    std::size_t at = text.rfind_line(TOTAL_ENERGY, finished);
    if (at != npos) {
        const std::vector<std::string_view> w = words(text.after(at, TOTAL_ENERGY.size()));
        if (w.empty() || !parse_number(w[0], energy))
            return {no_number_after(TOTAL_ENERGY), text.line_number(at)};
        return {};
    }
    for (std::size_t before = finished;; before = at + TOTAL_E_61.size() - 1) {
        at = text.rfind_line(TOTAL_E_61, before);
        if (at == npos) return {XTB_NO_ENERGY, 0};
        const std::vector<std::string_view> w = words(text.line(at));
        if (w.size() == 4 && w[1] == "E" && w[2] == ":")
            return parse_number(w[3], energy)
                       ? ReadError{}
                       : ReadError{no_number_after(TOTAL_E_61), text.line_number(at)};
    }
}

ReadError read_dipole(OutputText& text, std::size_t from, std::size_t finished,
                      OutputResult& result) {
    const std::size_t at = text.rfind_line(DIPOLE, finished, from);
    const std::size_t gfn1 = text.rfind_line(DIPOLE_GFN1, finished, from);
    if (gfn1 != npos && (at == npos || gfn1 > at)) {
        const std::size_t p = text.next_line(text.next_line(gfn1));
        const std::vector<std::string_view> w = words(text.line(p));
        if (w.size() < 3 || !parse_number(w[0], result.dipole[0]) ||
            !parse_number(w[1], result.dipole[1]) || !parse_number(w[2], result.dipole[2]))
            return {XTB_BAD_DIPOLE, text.line_number(gfn1)};
        result.has_dipole = true;
        return {};
    }
    if (at == npos) return {};
    std::size_t p = text.next_line(at);
    for (int i = 0; i < 3 && p < text.size(); ++i, p = text.next_line(p)) {
        const std::vector<std::string_view> w = words(text.line(p));
        if (w.empty() || w[0] != FULL) continue;
        if (w.size() < 4 || !parse_number(w[1], result.dipole[0]) ||
            !parse_number(w[2], result.dipole[1]) || !parse_number(w[3], result.dipole[2]))
            break;
        result.has_dipole = true;
        return {};
    }
    return {XTB_BAD_DIPOLE, text.line_number(at)};
}

// The temperature of the thermochemistry: the row marked "(used)", or the only row.
std::optional<double> read_temperature(OutputText& text, std::size_t from, std::size_t finished) {
    const std::size_t at = text.rfind(THERMO_TABLE, finished, from);
    if (at == npos) return std::nullopt;
    std::optional<double> only;
    int rows = 0;
    for (std::size_t p = text.next_line(text.next_line(at)); p < finished; p = text.next_line(p)) {
        const std::vector<std::string_view> w = words(text.line(p));
        double kelvin = 0.0;
        if (w.empty() || !parse_number(w[0], kelvin)) break;
        if (w.back() == "(used)") return kelvin;
        only = kelvin;
        ++rows;
    }
    return rows == 1 ? only : std::nullopt;
}

ReadError read_box_value(OutputText& text, std::string_view key, std::size_t from,
                         std::size_t finished, std::optional<double>& value) {
    const std::size_t at = text.rfind_line(key, finished, from);
    if (at == npos) return {};
    const std::vector<std::string_view> w = words(text.after(at, key.size()));
    double number = 0.0;
    if (w.empty() || !parse_number(w[0], number))
        return {no_number_after(key), text.line_number(at)};
    value = number;
    return {};
}

// Frequencies and thermochemistry of a run that computed them after its final geometry.
ReadError read_vibrations(OutputText& text, std::size_t from, std::size_t finished,
                          std::size_t atoms, OutputResult& result) {
    const std::size_t at = text.rfind_line(FREQUENCIES, finished, from);
    if (at == npos) return {};
    std::size_t values = 0;
    for (std::size_t p = text.next_line(at); p < finished; p = text.next_line(p)) {
        const std::string_view line = trim(text.line(p));
        // xtb's symmetry analysis may print inside the list (butan2ol_conf1_ohess.out):
        //     eigval :     1025.27  1063.96  1091.62  1121.11  1163.94  1227.65
        //     Molecule has no symmetry elements
        //     It seems to be the C1 point group
        //     eigval :     1277.78  1281.63  1348.03  1351.94  1402.00  1413.06
        if (!starts_with(line, EIGENVALUES)) {
            if (values >= 3 * atoms || starts_with(line, "reduced masses")) break;
            continue;
        }
        for (std::string_view w : words(line.substr(EIGENVALUES.size()))) {
            double wavenumber = 0.0;
            if (!parse_number(w, wavenumber)) return {XTB_BAD_FREQUENCY, text.line_number(p)};
            if (wavenumber < 0) result.imaginary_frequencies.push_back(wavenumber);
            ++values;
        }
    }
    if (values != 3 * atoms)
        return {xtb_frequency_count_reason(values, atoms), text.line_number(at)};
    result.has_frequencies = true;
    ReadError error = read_box_value(text, TOTAL_ENTHALPY, at, finished, result.enthalpy);
    if (error.ok())
        error = read_box_value(text, TOTAL_FREE_ENERGY, at, finished, result.free_energy);
    if (result.free_energy) result.temperature = read_temperature(text, at, finished);
    return error;
}

void read_charge(OutputText& text, std::size_t finished, const RunSetup& setup,
                 OutputResult& result) {
    const std::size_t head = std::min(text.size(), RECOGNITION_BYTES);
    const std::size_t at = text.rfind_line(TOTAL_CHARGE, finished);
    double charge = 0.0;
    int integer = 0;
    if (at != npos) {
        const std::vector<std::string_view> w = words(text.after(at, TOTAL_CHARGE.size()));
        if (!w.empty() && parse_number(w[0], charge) &&
            std::fabs(charge - std::round(charge)) < 1e-6 && std::fabs(charge) < 1e6) {
            result.charge = static_cast<int>(std::lround(charge));
        }
    } else if (parse_int(setup_value(text, "charge"), integer) ||
               parse_int(option_value(setup.call, {"--chrg", "-c"}), integer)) {
        result.charge = integer;
    }

    double s = 0.0;
    if (parse_number(setup_value(text, "spin"), s) && s >= 0 && s < 1e6) {
        result.multiplicity = static_cast<int>(std::lround(2 * s)) + 1;
    } else if (parse_int(option_value(setup.call, {"--uhf", "-u"}), integer) && integer >= 0) {
        result.multiplicity = integer + 1;
    } else {
        const std::size_t electrons_at = text.find(ELECTRONS, 0, head);
        const std::vector<std::string_view> w =
            electrons_at == npos ? std::vector<std::string_view>()
                                 : words(text.after(electrons_at, ELECTRONS.size()));
        if (!w.empty() && parse_int(w[0], integer)) result.multiplicity = integer % 2 == 0 ? 1 : 2;
    }
}

void read_description(OutputText& text, const RunSetup& setup, OutputResult& result) {
    const std::size_t head = std::min(text.size(), RECOGNITION_BYTES);
    std::size_t at = text.find(METHOD_BOX, 0, head);
    if (at != npos) {
        for (char c : text.line(at))
            if (c != ' ' && c != '|' && c != '\t' && c != '\r') result.method += c;
    }
    at = text.find_line(VERSION, 0, head);
    std::size_t key = VERSION.size();
    if (at == npos) {
        at = text.find(VERSION_61, 0, head);
        key = VERSION_61.size();
    }
    if (at != npos) {
        // "6.5.1 (unknown) compiled by ..." and "6.1 beta (SAW190227)": up to the bracket.
        for (std::string_view w : words(text.after(at, key))) {
            if (w.front() == '(' || w.front() == '|') break;
            result.version += (result.version.empty() ? "" : " ") + std::string(w);
        }
    }
    at = text.find_line(SOLVATION_MODEL, 0, head);
    if (at != npos) {
        const std::string model(trim(text.after(at, SOLVATION_MODEL.size())));
        const std::size_t solvent_at = text.find_line(SOLVENT, at, head);
        const std::string solvent =
            solvent_at == npos ? "" : std::string(trim(text.after(solvent_at, SOLVENT.size())));
        result.solvent = solvent.empty() ? model : model + "(" + solvent + ")";
        return;
    }
    // Versions that print no solvation section: the option of the program call.
    for (const auto& [option, model] :
         {std::pair{"--alpb", "ALPB"}, std::pair{"--gbsa", "GBSA"}, std::pair{"-g", "GBSA"},
          std::pair{"--cosmo", "COSMO"}, std::pair{"--cpcmx", "CPCM-X"}}) {
        const std::string solvent = option_value(setup.call, {option});
        if (!solvent.empty()) {
            result.solvent = std::string(model) + "(" + solvent + ")";
            return;
        }
    }
}

ReadError read_result(OutputText& text, OutputResult& result) {
    result.program = OutputProgram::xtb;
    std::size_t finished = npos;
    ReadError error = read_termination(text, finished);
    if (!error.ok()) return error;
    result.normal_termination = true;
    if (!(error = read_energy(text, finished, result.energy)).ok()) return error;

    const std::size_t optimisation = text.rfind(OPTIMIZATION, finished);
    if (optimisation != npos && text.line(optimisation).find(FAILED) != std::string_view::npos)
        return {XTB_NOT_CONVERGED + std::string(trim(text.line(optimisation))),
                text.line_number(optimisation)};

    const RunSetup setup = read_setup(text);
    Structure structure;
    const std::size_t final_at = text.rfind_line(FINAL_STRUCTURE, finished);
    if (final_at != npos) {
        // " final structure:" stands between two lines of "=" (6.1 beta: one).
        std::size_t block = text.next_line(final_at);
        if (starts_with(trim(text.line(block)), "=")) block = text.next_line(block);
        error = detail::read_structure(text, block, structure);
        if (!error.ok()) return {xtb_structure_reason(error.what), error.line};
    } else if (optimisation != npos) {
        return {XTB_NO_FINAL_STRUCTURE, 0};
    } else if (!(error = read_input_geometry(text, setup, structure)).ok()) {
        return error;
    }
    // What follows the final structure belongs to it; a run without one has only one geometry.
    const std::size_t from = final_at == npos ? 0 : final_at;
    if (!(error = read_dipole(text, from, finished, result)).ok()) return error;
    error = read_vibrations(text, from, finished, structure.symbols.size(), result);
    if (!error.ok()) return error;
    read_charge(text, finished, setup, result);
    read_description(text, setup, result);
    result.symbols = std::move(structure.symbols);
    result.positions = std::move(structure.positions);
    return {};
}

}  // namespace

ReadError read_xtb_output(OutputText& text, OutputResult& result) {
    result = OutputResult{};
    ReadError error = read_result(text, result);
    if (error.ok() && text.read_failed()) error = {CANNOT_READ, 0};
    if (!error.ok()) {
        result = OutputResult{};
        result.program = OutputProgram::xtb;
    }
    return error;
}

ReadError read_xtb_output(const std::string& file, OutputResult& result) {
    result = OutputResult{};
    result.program = OutputProgram::xtb;
    OutputText text;
    ReadError error = text.open(file);
    if (!error.ok()) return error;
    const std::optional<OutputProgram> program = recognise_output(text);
    if (program != OutputProgram::xtb)
        return {wrong_program_reason(OutputProgram::xtb, program), 0};
    return read_xtb_output(text, result);
}

}  // namespace confsearch
