#include "COutFile/result_record.h"

#include <array>
#include <cmath>
#include <fstream>
#include <iostream>
#include <string>

#include "detail/archive_entry.h"
#include "detail/output_tail.h"
#include "detail/record_list.h"
#include "myfile.h"

namespace {

// The energy, dipole and final geometry of an output file, from a stream holding the
// whole file or its end. The archive's last "HF=" is the final energy (a relaxed scan
// lists one value per point there, "HF=-382.3082666,-382.3081,...", and the first is
// read); the dipole is the first "Dipole=" after it, "Dipole=0.1,-0.2,0.3".
ResultReadStatus read_result(std::istream& in, int atoms, bool whole_file, COutSort& result) {
    using Status = ResultReadStatus;
    detail::EnergyDipole values;
    switch (detail::read_energy_dipole(in, whole_file, values)) {
        case detail::EnergyDipoleMissing::energy_entry: return {Status::no_energy_entry, {}};
        case detail::EnergyDipoleMissing::energy_number: return {Status::no_energy_number, {}};
        case detail::EnergyDipoleMissing::dipole_entry: return {Status::no_dipole_entry, {}};
        case detail::EnergyDipoleMissing::dipole_vector: return {Status::no_dipole_vector, {}};
        case detail::EnergyDipoleMissing::nothing: break;
    }
    result.energy = values.energy;
    result.dipole = values.dipole_length();
    result.conformer.reinstall(atoms);
    const GeometryTableStatus table =
        result.conformer.read_geometry_table(in, STANDARD_ORIENTATION);
    if (table.outcome != GeometryTableStatus::read) return {Status::geometry, table};
    return {};
}

}  // namespace

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
    std::ifstream in(file, std::ios::binary);
    if (!in) return {ResultReadStatus::cannot_open, {}};
    name = file;
    ResultReadStatus status;
    detail::read_from_end(in, [&](std::istream& text, bool whole_file) {
        status = read_result(text, atoms, whole_file, *this);
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
        D[k] += (d.x * d.x + d.y * d.y) + d.z * d.z;
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
