#include "COutFile/out_info.h"

#include <climits>
#include <cmath>
#include <fstream>
#include <string>

#include "COutFile/formats/gaussian_output.h"

using namespace confsearch;

COutInfo::COutInfo() { clear(); }

void COutInfo::clear() {
    valid = 0;
    file_name.clear();
    route.clear();
    hf = 0.0;
    mp2 = 0.0;
    rotational = {};
    rotational_module = 0.0;
    dipole_xyz = {};
    dipole_module = 0.0;
    cpu_seconds = 0;
    charge = 0;
    multiplicity = 1;
    conformer.reinstall(0);
    whole_route.clear();
    total_cpu_seconds = 0;
    job_steps = 0;
    missing.clear();
}

bool COutInfo::get_info(const std::string& file, int atoms) {
    if (atoms < 0 || atoms > MAX_CONFORMER_SIZE) throw atoms;
    clear();
    GaussianSummary summary;
    const ReadError error = read_gaussian_summary(file, atoms, summary);
    if (!error.ok()) {
        missing = error.what;
        return false;
    }
    file_name = file;
    route = summary.route;
    hf = summary.archive.energy;
    mp2 = summary.mp2;
    rotational = summary.rotational;
    const auto& [a, b, c] = rotational;
    rotational_module = std::sqrt(c * c + (a * a + b * b));
    dipole_xyz = summary.archive.dipole;
    const auto& [x, y, z] = dipole_xyz;
    dipole_module = std::sqrt(z * z + (x * x + y * y));
    cpu_seconds = summary.cpu_seconds;
    whole_route = summary.whole_route;
    total_cpu_seconds = summary.total_cpu_seconds;
    job_steps = summary.job_steps;
    charge = summary.charge;
    multiplicity = summary.multiplicity;
    conformer.reinstall(atoms);
    for (int i = 1; i <= atoms; ++i)
        conformer.set_exyz(i, CELEMENT(summary.atoms[i - 1].atomic_number),
                           summary.atoms[i - 1].position);
    valid = 1;
    return true;
}
