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

#include "COutFile/formats/gaussian_output.h"
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
    energy = read.energy;
    dipole = read.dipole;
    details.program = OutputProgram::gaussian;
    if (read.temperature > 0) details.temperature = read.temperature;
    conformer.reinstall(atoms);
    for (int i = 1; i <= atoms; ++i)
        conformer.set_exyz(i, CELEMENT(read.atoms[i - 1].atomic_number),
                           read.atoms[i - 1].position);
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
