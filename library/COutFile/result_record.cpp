#include "COutFile/result_record.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <locale>
#include <optional>
#include <sstream>
#include <string>
#include <utility>

#include "COutFile/formats/gaussian_output.h"
#include "COutFile/formats/output_format.h"
#include "COutFile/formats/output_tail.h"
#include "myfile.h"
#include "record_list.h"

using namespace confsearch;

namespace {

const ResultReadOptions DEFAULT_OPTIONS;

}  // namespace

COutSort::COutSort() { clear(); }

void COutSort::clear() {
    name.clear();
    energy = 0.0;
    dipole = 0.0;
    group = 0;
    conformer.reinstall(0);
    details = OutputResult();
}

bool COutSort::get_info(const std::string& file, int atoms) { return read_info(file, atoms).ok(); }

ResultReadStatus COutSort::read_info(const std::string& file, int atoms) {
    return read_info(file, atoms, DEFAULT_OPTIONS);
}

ResultReadStatus COutSort::read_info(const std::string& file, int atoms,
                                     const ResultReadOptions& options) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return {ResultReadStatus::cannot_open, {}};
    if (!conformer.right_size(atoms) && atoms != 0) throw atoms;
    // A Gaussian output, and an empty file (a job killed before it wrote a line, most
    // likely Gaussian's), take the Gaussian way; the other programs their readers.
    const std::optional<OutputProgram> program = recognise_output_file(file);
    ResultReadStatus status;
    if (program == OutputProgram::gaussian || (!program && readable_file(file) && in.peek() == EOF))
        status = read_gaussian(in, file, atoms, options);
    else if (!readable_file(file))
        status = {ResultReadStatus::cannot_open, {}};
    else
        status = read_other(file, atoms, options);
    if (status.ok() && options.minima_only && !details.imaginary_frequencies.empty()) {
        status = {ResultReadStatus::refused, {}};
        status.error.what = saddle_point_text(details);
        clear();
    }
    return status;
}

ResultReadStatus COutSort::read_gaussian(std::ifstream& in, const std::string& file, int atoms,
                                         const ResultReadOptions& options) {
    in.clear();
    name = file;
    ResultReadStatus status;
    GaussianResult read;
    read_from_end(in, [&](std::istream& text, bool whole_file) {
        status = read_gaussian_result(text, atoms, whole_file, options, read);
        return status.ok();
    });
    // A file that opens but cannot be read (a directory) fails at its first read, which
    // the searches report as a keyword not found.
    if (!status.ok() && !readable_file(file)) status = {ResultReadStatus::cannot_open, {}};
    if (!status.ok()) {
        clear();
        return status;
    }
    // What the tail does not hold: the frequencies printed long before it, and the
    // header of an archive longer than the tail.
    if (read.imaginary_count > 0 || read.method.empty()) {
        in.clear();
        if (read.imaginary_count > 0)
            read.imaginary_frequencies = read_imaginary_frequencies(in, read.imaginary_count);
        read.imaginary_frequencies.resize(
            static_cast<std::size_t>(std::max(read.imaginary_count, 0)), std::nan(""));
        if (read.method.empty()) read_level_of_theory(in, read.method, read.basis);
    }
    energy = read.energy;
    dipole = read.dipole;
    details = OutputResult();
    details.program = OutputProgram::gaussian;
    details.method = read.method;
    details.basis = read.basis;
    details.has_frequencies = read.imaginary_count >= 0;
    details.imaginary_frequencies = read.imaginary_frequencies;
    if (read.temperature > 0) details.temperature = read.temperature;
    conformer.reinstall(atoms);
    for (int i = 1; i <= atoms; ++i)
        conformer.set_exyz(i, CELEMENT(read.atoms[i - 1].atomic_number),
                           read.atoms[i - 1].position);
    return status;
}

namespace {

// The energy chosen, from a result of ORCA or xtb: the final electronic energy, or the
// program's own free energy or enthalpy; why it is not there otherwise.
std::string chosen_energy(const OutputResult& result, const EnergyKind& kind, double& energy) {
    const std::string program = program_name(result.program);
    switch (kind.source) {
        case EnergyKind::free_energy:
            if (!result.free_energy)
                return "no free energy G (not a frequency job of " + program + ")";
            energy = *result.free_energy;
            return "";
        case EnergyKind::enthalpy:
            if (!result.enthalpy) return "no enthalpy H (not a frequency job of " + program + ")";
            energy = *result.enthalpy;
            return "";
        case EnergyKind::archive_entry: break;
    }
    if (kind.key != DEFAULT_OPTIONS.energy.key)
        return kind.key + " is an entry of a Gaussian archive; " + program +
               " results are ranked by their final energy, G or H";
    energy = result.energy;
    return "";
}

}  // namespace

ResultReadStatus COutSort::read_other(const std::string& file, int atoms,
                                      const ResultReadOptions& options) {
    ResultReadStatus status(ResultReadStatus::refused);
    OutputResult read;
    status.error = read_output_file(file, read);
    double chosen = 0.0;
    if (status.error.ok()) status.error.what = chosen_energy(read, options.energy, chosen);
    if (status.error.ok() && static_cast<int>(read.symbols.size()) != atoms)
        status.error.what = "a final geometry of " + std::to_string(read.symbols.size()) +
                            " atoms where " + std::to_string(atoms) + " atoms were asked for";
    if (!status.error.ok()) {
        clear();
        return status;
    }
    name = file;
    energy = chosen;
    dipole = CVECTOR(read.dipole[0], read.dipole[1], read.dipole[2]).module();
    conformer.reinstall(atoms);
    for (int i = 1; i <= atoms; ++i)
        conformer.set_exyz(i, CELEMENT(read.symbols[i - 1]), read.positions[i - 1]);
    read.symbols.clear();
    read.positions.clear();
    details = std::move(read);
    return {};
}

void COutSort::calc_D(int reference_atom) {
    class_count = 4;
    std::array<int, 15> atoms_in_class{};
    D.fill(0.0);
    const CVECTOR c = conformer.get_vector(reference_atom);
    for (int a = 1; a <= conformer.get_size(); ++a) {
        const std::string symbol = conformer.get_element(a).get_symbol();
        const int k = symbol.empty() ? 0 : index(symbol[0]);
        const CVECTOR d = conformer.get_vector(a) - c;
        ++atoms_in_class[k];
        D[k] += d.square();
    }
    for (int k = 1; k <= class_count; ++k)
        if (atoms_in_class[k] > 0) D[k] /= atoms_in_class[k];
}

bool COutSort::equal_D(const COutSort& other, double tolerance) const {
    for (int k = 1; k <= class_count; ++k)
        if (std::fabs(D[k] - other.D[k]) > tolerance) return false;
    return true;
}

std::ostream& operator<<(std::ostream& out, const COutSort& result) {
    return detail::write_result_line(out, result);
}

std::string confsearch::saddle_point_text(const OutputResult& details) {
    const std::vector<double>& values = details.imaginary_frequencies;
    if (values.empty()) return "";
    std::ostringstream text;
    text << values.size()
         << (values.size() == 1 ? " imaginary frequency (" : " imaginary frequencies (");
    text << std::fixed << std::setprecision(1);
    for (std::size_t k = 0; k < values.size(); ++k) {
        if (k > 0) text << ", ";
        if (std::isnan(values[k]))
            text << '?';
        else
            text << values[k];
    }
    text << " cm-1): a saddle point, not a minimum";
    return text.str();
}
