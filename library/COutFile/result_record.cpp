#include "COutFile/result_record.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <fstream>
#include <iostream>
#include <locale>
#include <sstream>
#include <string>

#include "detail/archive_entry.h"
#include "detail/output_tail.h"
#include "detail/record_list.h"
#include "myfile.h"

namespace {

// The two sums of a frequency job's thermochemistry that rank conformers, in hartree:
//  Sum of electronic and thermal Enthalpies=            -517.656256
//  Sum of electronic and thermal Free Energies=         -517.707550
// They stand in the frequency section, often tens of kilobytes before the end (the force
// constants follow), and every frequency step of a file prints them: the last counts.
const std::string FREE_ENERGY_LINE = "Sum of electronic and thermal Free Energies=";
const std::string ENTHALPY_LINE = "Sum of electronic and thermal Enthalpies=";

const ResultReadOptions DEFAULT_OPTIONS;

// The number that ends the line at the stream position, and nothing else on it.
bool read_line_number(std::istream& in, double& value) {
    std::string rest;
    if (!std::getline(in, rest)) return false;
    std::istringstream number(rest);
    number.imbue(std::locale::classic());
    if (!(number >> value)) return false;
    number >> std::ws;
    return number.eof();
}

// Reads the chosen energy other than "HF=" into value; the reason it is missing otherwise.
ResultReadStatus::What read_chosen_energy(std::istream& in, const EnergyKind& kind, bool whole_file,
                                          double& value) {
    using Status = ResultReadStatus;
    if (kind.source == EnergyKind::archive_entry) {
        // The last entry of that key, read like "HF=": "\MP2=-7" / " 5.0022821\" wraps.
        if (!detail::find_archive_entry(in, kind.keyword(), -1, std::ios_base::end, whole_file))
            return Status::no_chosen_energy;
        return read_number_ignore(in, value) ? Status::none : Status::no_chosen_number;
    }
    if (!file_find_linux(in, kind.keyword(), -1, std::ios_base::end))
        return Status::no_chosen_energy;
    return read_line_number(in, value) ? Status::none : Status::no_chosen_number;
}

// The last table of the title, or with input_orientation the last "Input orientation:"
// table of a file that has no "Standard orientation:" one. Only the whole file can tell
// that it has none: in its end the standard table may just lie further back.
ResultReadStatus read_geometry(std::istream& in, bool whole_file, bool input_orientation,
                               CBasicConformer& conformer) {
    using Status = ResultReadStatus;
    GeometryTableStatus table = conformer.read_geometry_table(in, STANDARD_ORIENTATION);
    if (table.outcome == GeometryTableStatus::no_table && input_orientation) {
        if (!whole_file) return {Status::geometry, table};
        table = conformer.read_geometry_table(in, INPUT_ORIENTATION);
        if (table.outcome == GeometryTableStatus::no_table) return {Status::no_orientation, table};
    }
    if (table.outcome != GeometryTableStatus::read) return {Status::geometry, table};
    return {};
}

// The energy, dipole and final geometry of an output file, from a stream holding the
// whole file or its end. The archive's last "HF=" is the final energy (a relaxed scan
// lists one value per point there, "HF=-382.3082666,-382.3081,...", and the first is
// read); the dipole is the first "Dipole=" after it, "Dipole=0.1,-0.2,0.3". Another
// energy chosen replaces the "HF=" value; the dipole is the same.
ResultReadStatus read_result(std::istream& in, int atoms, bool whole_file,
                             const ResultReadOptions& options, COutSort& result) {
    using Status = ResultReadStatus;
    detail::EnergyDipole values;
    switch (detail::read_energy_dipole(in, whole_file, values)) {
        case detail::EnergyDipoleMissing::energy_entry: return {Status::no_energy_entry, {}};
        case detail::EnergyDipoleMissing::energy_number: return {Status::no_energy_number, {}};
        case detail::EnergyDipoleMissing::dipole_entry: return {Status::no_dipole_entry, {}};
        case detail::EnergyDipoleMissing::dipole_vector: return {Status::no_dipole_vector, {}};
        case detail::EnergyDipoleMissing::nothing: break;
    }
    Status status;
    const EnergyKind& kind = options.energy;
    if (kind.source == EnergyKind::archive_entry && kind.key == DEFAULT_OPTIONS.energy.key) {
        result.energy = values.energy;
        status.post_hf = detail::post_hf_energies(in, values.energy_end);
    } else {
        status.what = read_chosen_energy(in, kind, whole_file, result.energy);
        if (!status.ok()) {
            status.energy = kind;
            return status;
        }
    }
    result.dipole = values.dipole_length();
    result.conformer.reinstall(atoms);
    const Status geometry =
        read_geometry(in, whole_file, options.input_orientation, result.conformer);
    if (!geometry.ok()) return geometry;
    return status;
}

}  // namespace

std::string EnergyKind::name() const {
    switch (source) {
        case free_energy: return "G";
        case enthalpy: return "H";
        case archive_entry: break;
    }
    return key;
}

std::string EnergyKind::keyword() const {
    switch (source) {
        case free_energy: return FREE_ENERGY_LINE;
        case enthalpy: return ENTHALPY_LINE;
        case archive_entry: break;
    }
    return key + "=";
}

bool EnergyKind::parse(const std::string& text, EnergyKind& kind) {
    if (text == "G" || text == "H") {
        kind = {text == "G" ? free_energy : enthalpy, ""};
        return true;
    }
    // An archive entry is a key, "=", a value, and the separator "\\" or "|".
    const bool key = !text.empty() && std::none_of(text.begin(), text.end(), [](char c) {
        return c == '=' || c == '\\' || c == '|' || c == ',' ||
               std::isspace(static_cast<unsigned char>(c)) ||
               std::iscntrl(static_cast<unsigned char>(c));
    });
    if (key) kind = {archive_entry, text};
    return key;
}

std::string ResultReadStatus::reason(int atoms) const {
    switch (what) {
        case none: return "read";
        case cannot_open: return "cannot open";
        case no_energy_entry:
            return "no \"HF=\" entry in an archive block (the job may have been killed "
                   "before it ended)";
        case no_energy_number: return "no number after \"HF=\"";
        case no_dipole_entry: return "no \"Dipole=\" entry after the last \"HF=\"";
        case no_dipole_vector: return "no dipole vector after \"Dipole=\"";
        case no_chosen_energy:
            if (energy.source == EnergyKind::archive_entry)
                return "no \"" + energy.keyword() + "\" entry in an archive block";
            return "no \"" + energy.keyword() + "\" line (not a frequency job)";
        case no_chosen_number: return "no number after \"" + energy.keyword() + "\"";
        case no_orientation:
            return "neither a \"Standard orientation:\" nor an \"Input orientation:\" table";
        case geometry: break;
    }
    switch (table.outcome) {
        case GeometryTableStatus::no_table:
            return "no \"Standard orientation:\" table (a job run with nosym prints only "
                   "\"Input orientation:\")";
        case GeometryTableStatus::other_size:
            return "a final table of " + std::to_string(table.rows) + " atoms where " +
                   std::to_string(atoms) + " atoms were asked for";
        case GeometryTableStatus::cut_short:
            return "a table cut short after " + std::to_string(table.rows) + " of " +
                   std::to_string(atoms) + " atoms";
        case GeometryTableStatus::damaged_row:
            return "row " + std::to_string(table.rows) +
                   " of the final table is not three integers and three numbers";
        case GeometryTableStatus::read: break;
    }
    return "read";
}

COutSort::COutSort() { clear(); }

void COutSort::clear() {
    name.clear();
    energy = 0.0;
    dipole = 0.0;
    group = 0;
    conformer.reinstall(0);
}

bool COutSort::get_info(const std::string& file, int atoms) { return read_info(file, atoms).ok(); }

ResultReadStatus COutSort::read_info(const std::string& file, int atoms) {
    return read_info(file, atoms, DEFAULT_OPTIONS);
}

ResultReadStatus COutSort::read_info(const std::string& file, int atoms,
                                     const ResultReadOptions& options) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return {ResultReadStatus::cannot_open, {}};
    name = file;
    ResultReadStatus status;
    detail::read_from_end(in, [&](std::istream& text, bool whole_file) {
        status = read_result(text, atoms, whole_file, options, *this);
        return status.ok();
    });
    // A file that opens but cannot be read (a directory) fails at its first read, which
    // the searches report as a keyword not found.
    if (!status.ok() && !readable_file(file)) status = {ResultReadStatus::cannot_open, {}};
    if (!status.ok()) clear();
    return status;
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
