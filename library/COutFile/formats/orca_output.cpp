#include "COutFile/formats/orca_output.h"

#include <algorithm>
#include <set>
#include <utility>
#include <vector>

#include "COutFile/formats/output_format.h"
#include "COutFile/formats/output_text.h"
#include "format_fields.h"
#include "format_messages.h"
#include "orca_keywords.h"
#include "structure_block.h"

namespace confsearch {

namespace {

using detail::after_dots;
using detail::lower;
using detail::parse_int;
using detail::parse_number;
using detail::starts_with;
using detail::trim;
using detail::words;

constexpr std::size_t npos = OutputText::npos;

// The line every run that ends well prints once, near the very end:
//                              ****ORCA TERMINATED NORMALLY****
//     TOTAL RUN TIME: 0 days 0 hours 0 minutes 52 seconds 153 msec
// A run that fails prints instead (Errors_cpcm_opt.out, ORCA 5.0.4):
//     ORCA finished by error termination in SCF
//     Calling Command: /opt/software/orca/5.0.4/orca_scf cpcm_opt.gbw b
const std::string_view TERMINATED = "****ORCA TERMINATED NORMALLY****";
const std::string_view ERROR_TERMINATION = "ORCA finished by error termination";

// One per SCF (every optimisation cycle, every step of a compound job); the last is the
// final energy. Hartree, 12 decimals, width varying with the value:
//     FINAL SINGLE POINT ENERGY      -382.055133399486
//     FINAL SINGLE POINT ENERGY     -1414.223226901320
// It includes dispersion and correlation, unlike the SCF's "Total Energy       :". An SCF
// that ran out of cycles but was kept adds a suffix that makes the value unusable:
//     FINAL SINGLE POINT ENERGY      -763.200737093223   (Wavefunction not fully converged!)
const std::string_view FINAL_ENERGY = "FINAL SINGLE POINT ENERGY";
const std::string_view NOT_CONVERGED = "not fully converged";

// One block per energy, symbol and x y z in angstrom (6 decimals), ended by a blank line:
//     ---------------------------------
//     CARTESIAN COORDINATES (ANGSTROEM)
//     ---------------------------------
//       C     -1.417709    0.228462    0.000000
// A "CARTESIAN COORDINATES (A.U.)" block in bohr with more columns follows each one: the
// whole title is matched.
const std::string_view GEOMETRY = "CARTESIAN COORDINATES (ANGSTROEM)";

// x y z in atomic units, 5 decimals in 4.x and 5.x, 9 in 6.x:
//     Total Dipole Moment    :     -0.28224      -0.63333      -0.00021
// Printed after each SCF whose properties are computed; an optimisation prints it once,
// after its final energy.
const std::string_view DIPOLE = "Total Dipole Moment";

// The frequency analysis, one row per mode (3N rows, the first six or five zero):
//     VIBRATIONAL FREQUENCIES
//     -----------------------
//
//     Scaling factor for frequencies =  1.000000000  (already applied!)
//
//        6:      -552.64 cm**-1 ***imaginary mode***
// ORCA 6 widens the index ("     5:    1617.56 cm**-1"); with symmetry it adds
// "Point group:  C2h", an "Irrep" header and an irrep column ("     6:      43.87 cm**-1
// 2-Au") and no blank line. An OptTS job with an initial Hessian prints a block for the
// start geometry too: the last block counts.
const std::string_view FREQUENCIES = "VIBRATIONAL FREQUENCIES";
const std::string_view WAVENUMBER_UNIT = "cm**-1";

// The thermochemistry after each frequency analysis:
//     THERMOCHEMISTRY AT 298.15K
//     Temperature         ... 298.15 K
//     Total Enthalpy                    ...   -381.86823509 Eh
//     Final Gibbs free energy         ...   -381.91114546 Eh
// ORCA 4.1 calls G "Final Gibbs free enthalpy". The 4.x/5.x line "Total free energy
// ...   -381.86918328 Eh" is the total thermal energy (ORCA 6 calls it "Total thermal
// energy"), not G: it is never read.
const std::string_view THERMOCHEMISTRY = "THERMOCHEMISTRY AT";
const std::string_view TEMPERATURE = "Temperature";
const std::string_view ENTHALPY = "Total Enthalpy";
const std::string_view GIBBS = "Final Gibbs free energy";
const std::string_view GIBBS_ORCA_41 = "Final Gibbs free enthalpy";

// Repeated in every SCF set-up:
//      Total Charge           Charge          ....    0
//      Multiplicity           Mult            ....    1
// A job on the xtb method has neither; its input line "* xyz 0 1" gives them. ORCA 6 also
// prints "Multiplicity       :   1" in the dipole section, which the field check passes over.
const std::string_view CHARGE = "Total Charge";
const std::string_view MULTIPLICITY = "Multiplicity";

// "Program Version 5.0.3-f.1  -   RELEASE   -", "Program Version 4.0.1.2 - RELEASE -".
const std::string_view VERSION = "Program Version";

// The input, echoed with numbered lines between these two; a compound job echoes the
// input of each step after a "COMPOUND JOB  2" banner:
//                                            INPUT FILE
//     ================================================================================
//     NAME = AcOH.inp
//     |  1> ! wB97X-D3 def2-TZVP def2/J RIJCOSX xyzfile Opt Freq
//     | 30>                          ****END OF INPUT****
const std::string_view INPUT_FILE = "INPUT FILE";
const std::string_view END_OF_INPUT = "****END OF INPUT****";
const std::string_view COMPOUND = "COMPOUND JOB";
// The basis of a job that sets it in a %basis block: "Your calculation utilizes the
// basis: def2-SVP".
const std::string_view BASIS_LINE = "Your calculation utilizes the basis:";

using Geometry = detail::Structure;

// The line after the title at `at`, and after the dashes under it if they are there: a
// block whose dashes are lost keeps its first row.
std::size_t below_title(OutputText& text, std::size_t at) {
    const std::size_t p = text.next_line(at);
    return starts_with(trim(text.line(p)), "---") ? text.next_line(p) : p;
}

// The block whose title stands at `at`.
ReadError read_geometry(OutputText& text, std::size_t at, Geometry& geometry) {
    geometry = {};
    std::size_t p = below_title(text, at);
    int row = 0;
    while (p < text.size()) {
        const std::string_view line = text.line(p);
        if (trim(line).empty()) break;
        ++row;
        std::string symbol;
        CVECTOR position;
        if (!detail::symbol_xyz_row(line, symbol, position))
            return {orca_geometry_row_reason(row), text.line_number(p)};
        geometry.symbols.push_back(std::move(symbol));
        geometry.positions.push_back(position);
        p = text.next_line(p);
    }
    if (row == 0) return {ORCA_EMPTY_GEOMETRY, text.line_number(at)};
    return {};
}

// The final energy from its line at `at`.
ReadError read_energy(OutputText& text, std::size_t at, double& energy) {
    const std::string_view rest = text.after(at, FINAL_ENERGY.size());
    const std::vector<std::string_view> w = words(rest);
    if (w.empty() || !parse_number(w[0], energy))
        return {ORCA_NO_ENERGY_NUMBER, text.line_number(at)};
    const std::string_view trailer =
        trim(rest.substr(static_cast<std::size_t>(w[0].data() + w[0].size() - rest.data())));
    if (trailer.find(NOT_CONVERGED) != std::string_view::npos)
        return {ORCA_NOT_CONVERGED, text.line_number(at)};
    if (!trailer.empty())
        return {ORCA_ENERGY_TRAILER + "\"" + std::string(trailer) + "\"", text.line_number(at)};
    return {};
}

// The last line of key before `before` that passes check, or npos.
template <class Check>
std::size_t rfind_checked(OutputText& text, std::string_view key, std::size_t before, Check check) {
    for (;;) {
        const std::size_t at = text.rfind_line(key, before);
        if (at == npos || check(text.line(at))) return at;
        before = at + key.size() - 1;
    }
}

bool charge_line(std::string_view line, int& charge) {
    const std::vector<std::string_view> w = words(line);
    return w.size() == 5 && w[0] == "Total" && w[1] == "Charge" && w[2] == "Charge" &&
           w[3] == "...." && parse_int(w[4], charge);
}

bool multiplicity_line(std::string_view line, int& multiplicity) {
    const std::vector<std::string_view> w = words(line);
    return w.size() == 4 && w[0] == "Multiplicity" && w[1] == "Mult" && w[2] == "...." &&
           parse_int(w[3], multiplicity) && multiplicity >= 1;
}

// The echoed input whose "INPUT FILE" title stands at `at`: its lines without the
// "|  1> " numbering. The Windows run H2O.out puts an empty line after every one.
std::vector<std::string> echoed_input(OutputText& text, std::size_t at) {
    std::vector<std::string> lines;
    const std::size_t end = text.find(END_OF_INPUT, at);
    if (end == npos) return lines;
    const std::size_t last = text.line_start(end);
    for (std::size_t p = text.next_line(at); p < last; p = text.next_line(p)) {
        const std::string_view line = trim(text.line(p));
        const std::size_t mark = line.find('>');
        if (line.empty() || line.front() != '|' || mark == std::string_view::npos) continue;
        lines.emplace_back(trim(line.substr(mark + 1)));
    }
    return lines;
}

// What a job's echoed input says: its simple-input keywords (after "!") and the charge and
// multiplicity of its coordinates line ("* xyz 0 1", "*xyz -1 1", "* xyzfile 0 1 a.xyz").
// An input of several jobs ("$new_job") is read for the last one.
struct InputSettings {
    std::vector<std::string> keywords;
    bool goat_block = false;
    bool has_charge = false;
    int charge = 0;
    int multiplicity = 1;
};

InputSettings input_settings(const std::vector<std::string>& lines) {
    InputSettings settings;
    for (const std::string& line : lines) {
        const std::string low = lower(line);
        if (starts_with(low, "$new_job")) {
            settings.keywords.clear();
            continue;
        }
        if (starts_with(low, "%goat")) settings.goat_block = true;
        if (starts_with(line, "!")) {
            const std::string_view keys = std::string_view(line).substr(1, line.find('#') - 1);
            for (const std::string_view word : words(keys)) settings.keywords.emplace_back(word);
        } else if (starts_with(line, "*")) {
            const std::vector<std::string_view> w = words(std::string_view(line).substr(1));
            int charge = 0;
            int multiplicity = 0;
            if (w.size() >= 3 && parse_int(w[1], charge) && parse_int(w[2], multiplicity) &&
                multiplicity >= 1) {
                settings.has_charge = true;
                settings.charge = charge;
                settings.multiplicity = multiplicity;
            }
        }
    }
    return settings;
}

// The job's echoed inputs: the one at the head of the file, and that of the step that
// printed the final energy (another one in a compound job only).
struct JobInput {
    std::size_t head = npos;  // where the first "INPUT FILE" title stands
    bool compound = false;
    InputSettings first;
    InputSettings last;
};

// The number after the "..." of a thermochemistry line at `at`, found from `from` on.
ReadError thermo_value(OutputText& text, std::string_view key, std::size_t from, std::size_t to,
                       std::optional<double>& value) {
    const std::size_t at = text.find_line(key, from, to);
    if (at == npos) return {};
    double number = 0.0;
    if (!after_dots(text.line(at), number)) return {no_number_after(key), text.line_number(at)};
    value = number;
    return {};
}

// The frequencies of the block at `at`, for a molecule of `atoms` atoms.
ReadError read_frequencies(OutputText& text, std::size_t at, std::size_t atoms,
                           OutputResult& result) {
    std::size_t p = below_title(text, at);
    std::size_t modes = 0;
    while (p < text.size()) {
        const std::string_view line = trim(text.line(p));
        if (line.empty() || starts_with(line, "Scaling factor") ||
            starts_with(line, "Point group") || line == "Irrep") {
            if (line.empty() && modes > 0) break;
            p = text.next_line(p);
            continue;
        }
        const std::vector<std::string_view> w = words(line);
        int index = -1;
        double wavenumber = 0.0;
        const bool row = w.size() >= 3 && w[0].size() > 1 && w[0].back() == ':' &&
                         parse_int(w[0].substr(0, w[0].size() - 1), index) &&
                         index == static_cast<int>(modes) && parse_number(w[1], wavenumber) &&
                         w[2] == WAVENUMBER_UNIT;
        if (!row)
            return {orca_frequency_row_reason(static_cast<int>(modes) + 1), text.line_number(p)};
        if (wavenumber < 0) result.imaginary_frequencies.push_back(wavenumber);
        ++modes;
        p = text.next_line(p);
    }
    if (modes != 3 * atoms)
        return {orca_frequency_count_reason(modes, atoms), text.line_number(at)};
    result.has_frequencies = true;
    return {};
}

// Frequencies and thermochemistry, when the last frequency block belongs to the final
// geometry: it follows the last geometry block, or, in a compound job, the geometry before
// it is the same (a single point in a larger basis after the frequency step:
// orca_gemfi_alfa_minima_1.out). An OptTS job's start Hessian alone belongs to another
// geometry and is not read. Only a compound job is searched before its final geometry:
// a file without frequencies is then read from its end only.
ReadError read_vibrations(OutputText& text, std::size_t end, std::size_t final_geometry_at,
                          const Geometry& final_geometry, bool compound, OutputResult& result) {
    std::size_t f = text.rfind_line(FREQUENCIES, end, final_geometry_at);
    if (f == npos && compound) f = text.rfind_line(FREQUENCIES, final_geometry_at);
    if (f == npos) return {};
    if (f < final_geometry_at) {
        const std::size_t g = text.rfind_line(GEOMETRY, f);
        Geometry geometry;
        if (g == npos || !read_geometry(text, g, geometry).ok() ||
            !detail::same_structure(geometry, final_geometry))
            return {};
    }
    ReadError error = read_frequencies(text, f, final_geometry.symbols.size(), result);
    if (!error.ok()) return error;

    const std::size_t t = text.rfind_line(THERMOCHEMISTRY, end, f);
    if (t == npos) return {};
    if (!(error = thermo_value(text, TEMPERATURE, t, end, result.temperature)).ok()) return error;
    if (!(error = thermo_value(text, ENTHALPY, t, end, result.enthalpy)).ok()) return error;
    if (!(error = thermo_value(text, GIBBS, t, end, result.free_energy)).ok()) return error;
    if (!result.free_energy) return thermo_value(text, GIBBS_ORCA_41, t, end, result.free_energy);
    return {};
}

ReadError read_charge(OutputText& text, std::size_t energy_at, const JobInput& input,
                      OutputResult& result) {
    int charge = 0;
    int multiplicity = 1;
    const std::size_t c = rfind_checked(text, CHARGE, energy_at,
                                        [&](std::string_view l) { return charge_line(l, charge); });
    const std::size_t m = rfind_checked(text, MULTIPLICITY, energy_at, [&](std::string_view l) {
        return multiplicity_line(l, multiplicity);
    });
    if (c != npos && m != npos) {
        result.charge = charge;
        result.multiplicity = multiplicity;
        return {};
    }
    for (const InputSettings* settings : {&input.last, &input.first}) {
        if (settings->has_charge) {
            result.charge = settings->charge;
            result.multiplicity = settings->multiplicity;
            return {};
        }
    }
    return {ORCA_NO_CHARGE, 0};
}

JobInput read_first_input(OutputText& text) {
    JobInput input;
    input.head = text.find_line(INPUT_FILE, 0);
    if (input.head == npos) return input;
    input.first = input.last = input_settings(echoed_input(text, input.head));
    // A compound job announces itself before its first input ("COMPOUND JOB MainJOB") and
    // echoes the input of each step after a "COMPOUND JOB  2" banner.
    input.compound = text.find_line(COMPOUND, 0, input.head) != npos;
    return input;
}

void read_step_input(OutputText& text, std::size_t energy_at, JobInput& input) {
    if (!input.compound) return;
    const std::size_t end = text.rfind(END_OF_INPUT, energy_at);
    const std::size_t step = end == npos ? npos : text.rfind_line(INPUT_FILE, end);
    if (step != npos && step != input.head) input.last = input_settings(echoed_input(text, step));
}

void read_version(OutputText& text, OutputResult& result) {
    const std::size_t at = text.find_line(VERSION, 0);
    if (at == npos) return;
    const std::vector<std::string_view> w = words(text.after(at, VERSION.size()));
    if (!w.empty()) result.version = std::string(w[0]);
}

void read_level_of_theory(OutputText& text, std::size_t energy_at, const InputSettings& input,
                          OutputResult& result) {
    const detail::OrcaLevel level = detail::orca_level_of_theory(input.keywords);
    result.method = level.method;
    result.basis = level.basis;
    result.solvent = level.solvent;
    if (!result.basis.empty() || level.own_basis) return;
    const std::size_t at = text.rfind_line(BASIS_LINE, energy_at);
    if (at == npos) return;
    // "Your calculation utilizes the basis: MINIX," (HF-3c) ends with a comma.
    std::string_view basis = trim(text.after(at, BASIS_LINE.size()));
    while (!basis.empty() && basis.back() == ',') basis.remove_suffix(1);
    result.basis = std::string(basis);
}

ReadError read_result(OutputText& text, OutputResult& result) {
    result.program = OutputProgram::orca;
    JobInput input = read_first_input(text);
    if (detail::orca_goat(input.first.keywords) || input.first.goat_block) return {ORCA_GOAT, 0};

    const std::size_t end = text.rfind_line(TERMINATED);
    if (end == npos) {
        const std::size_t error = text.rfind_line(ERROR_TERMINATION);
        if (error != npos)
            return {ORCA_ERROR_TERMINATION + std::string(trim(text.line(error))),
                    text.line_number(error)};
        return {ORCA_NOT_TERMINATED, 0};
    }
    result.normal_termination = true;

    const std::size_t energy_at = text.rfind_line(FINAL_ENERGY, end);
    if (energy_at == npos) return {ORCA_NO_ENERGY, 0};
    ReadError error = read_energy(text, energy_at, result.energy);
    if (!error.ok()) return error;

    const std::size_t geometry_at = text.rfind_line(GEOMETRY, end);
    if (geometry_at == npos) return {ORCA_NO_GEOMETRY, 0};
    if (geometry_at > energy_at)
        return {ORCA_GEOMETRY_WITHOUT_ENERGY, text.line_number(geometry_at)};
    Geometry geometry;
    if (!(error = read_geometry(text, geometry_at, geometry)).ok()) return error;

    // The dipole of the final geometry follows its energy.
    const std::size_t dipole_at = text.rfind_line(DIPOLE, end, energy_at);
    if (dipole_at != npos) {
        const std::vector<std::string_view> w = words(text.after(dipole_at, DIPOLE.size()));
        if (w.size() != 4 || w[0] != ":" || !parse_number(w[1], result.dipole[0]) ||
            !parse_number(w[2], result.dipole[1]) || !parse_number(w[3], result.dipole[2]))
            return {ORCA_BAD_DIPOLE, text.line_number(dipole_at)};
        result.has_dipole = true;
    }

    if (!(error = read_vibrations(text, end, geometry_at, geometry, input.compound, result)).ok())
        return error;

    read_step_input(text, energy_at, input);
    if (!(error = read_charge(text, energy_at, input, result)).ok()) return error;
    read_level_of_theory(text, energy_at, input.last, result);
    read_version(text, result);
    result.symbols = std::move(geometry.symbols);
    result.positions = std::move(geometry.positions);
    return {};
}

}  // namespace

ReadError read_orca_output(OutputText& text, OutputResult& result) {
    result = OutputResult{};
    ReadError error = read_result(text, result);
    if (error.ok() && text.read_failed()) error = {CANNOT_READ, 0};
    if (!error.ok()) {
        result = OutputResult{};
        result.program = OutputProgram::orca;
    }
    return error;
}

ReadError read_orca_output(const std::string& file, OutputResult& result) {
    result = OutputResult{};
    result.program = OutputProgram::orca;
    OutputText text;
    ReadError error = text.open(file);
    if (!error.ok()) return error;
    const std::optional<OutputProgram> program = recognise_output(text);
    if (program != OutputProgram::orca)
        return {wrong_program_reason(OutputProgram::orca, program), 0};
    return read_orca_output(text, result);
}

}  // namespace confsearch
