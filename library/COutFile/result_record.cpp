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

// Energy, dipole and final geometry from a stream holding the whole output file or its
// end.
bool read_result(std::istream& in, int atoms, bool whole_file, COutSort& result) {
    detail::EnergyDipole values;
    if (detail::read_energy_dipole(in, whole_file, values) != detail::EnergyDipoleMissing::nothing)
        return false;
    result.energy = values.energy;
    result.dipole = values.dipole_length();
    result.conformer.reinstall(atoms);
    return result.conformer.read_xyz_inout(in);
}

}  // namespace

COutSort::COutSort() { clear(); }

void COutSort::clear() {
    name.clear();
    energy = 0.0;
    dipole = 0.0;
    group = 0;
    conformer.reinstall(0);
}

bool COutSort::get_info(const std::string& file, int atoms) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return false;
    name = file;
    const bool valid = detail::read_from_end(in, [&](std::istream& text, bool whole_file) {
        return read_result(text, atoms, whole_file, *this);
    });
    if (!valid) clear();
    return valid;
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
