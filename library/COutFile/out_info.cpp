#include "COutFile/out_info.h"

#include <climits>
#include <cmath>
#include <fstream>
#include <string>

#include "detail/archive_entry.h"
#include "detail/text_io.h"
#include "myfile.h"

namespace {

// Why a file gives no summary: the first required item it lacks.
const char* const CANNOT_READ = "cannot be read";
const char* const NO_NORMAL_TERMINATION = "no Normal termination";
const char* const NO_ROUTE = "no route line";
const char* const NO_ENERGY = "no HF= in the archive block";
const char* const NO_DIPOLE = "no Dipole= after the last HF=";
const char* const BAD_CPU_TIME = "unreadable cpu time";
const char* const NO_ROTATIONAL = "no Rotational constants (GHZ)";
const char* const NO_CHARGE = "no Charge =";
std::string no_geometry(int atoms) {
    return "no Standard orientation table of " + std::to_string(atoms) + " atoms";
}

const std::string NORMAL_TERMINATION = "Normal termination";
// A job of several steps (opt followed by freq) ends each step normally and goes on:
//  Normal termination of Gaussian 16 at Mon Dec 31 22:35:03 2018.
//  Link1:  Proceeding to internal job step number  2.
const std::string NEXT_JOB_STEP = "Proceeding to internal job step";
const std::string ROUTE_START = "#";
const std::string CPU_TIME = "cpu time:";
const std::string ROTATIONAL = "Rotational constants (GHZ):";
const std::string CHARGE = "Charge =";
const std::string MULTIPLICITY = "Multiplicity =";
// Characters of the route line kept.
const std::size_t ROUTE_LENGTH = 98;

// The route line is the first line of the file with a "#", " #p b3lyp/6-31g(d) opt"; a
// long route goes on over further lines, of which only the first is taken. The line end
// (with the carriage return of a Windows copy) is not part of it.
bool read_route(std::istream& in, std::string& route) {
    if (!file_find_linux(in, ROUTE_START, 1, std::ios::beg)) return false;
    detail::seek(in, detail::tell(in) - 1);
    char c = 0;
    while (route.size() < ROUTE_LENGTH && in.get(c) && c != '\n') route += c;
    if (!route.empty() && route.back() == '\r') route.pop_back();
    in.clear();
    return true;
}

// " Job cpu time:       0 days  9 hours 47 minutes 47.8 seconds.": the whole seconds
// are taken, the fraction dropped.
bool read_cpu_time(std::istream& in, int& seconds) {
    int days = 0;
    int hours = 0;
    int minutes = 0;
    int whole_seconds = 0;
    std::string unit;
    if (!(in >> days >> unit >> hours >> unit >> minutes >> unit >> whole_seconds)) return false;
    const long long total = days * 86400LL + hours * 3600LL + minutes * 60LL + whole_seconds;
    if (total < INT_MIN || total > INT_MAX) return false;
    seconds = static_cast<int>(total);
    return true;
}

// Fills info from the file in the order of the file's sections; returns why it could
// not, or "" when everything required was found.
std::string read_summary(const std::string& file, int atoms, COutInfo& info) {
    std::ifstream in;
    if (!detail::open_readable(in, file)) return CANNOT_READ;
    info.file_name = file;

    // A job that died (killed, out of time, an error exit) has no such line at its end;
    // one that died in a later step has it only for the steps before.
    if (!file_find_linux(in, NORMAL_TERMINATION, -1, std::ios::end) ||
        file_find_linux(in, NEXT_JOB_STEP, 1, std::ios::cur))
        return NO_NORMAL_TERMINATION;
    if (!read_route(in, info.route)) return NO_ROUTE;

    detail::EnergyDipole values;
    switch (detail::read_energy_dipole(in, true, values)) {
        case detail::EnergyDipoleMissing::energy_entry:
        case detail::EnergyDipoleMissing::energy_number: return NO_ENERGY;
        case detail::EnergyDipoleMissing::dipole_entry:
        case detail::EnergyDipoleMissing::dipole_vector: return NO_DIPOLE;
        case detail::EnergyDipoleMissing::nothing: break;
    }
    info.hf = values.energy;
    info.dipole_xyz = values.dipole;
    const auto& [x, y, z] = info.dipole_xyz;
    info.dipole_module = std::sqrt(z * z + (x * x + y * y));

    // The cpu time of the job step that wrote the archive follows it. Not every job
    // needs one, but a line of another shape means the file is not what it seems.
    if (file_find_linux(in, CPU_TIME, 1, std::ios::cur) && !read_cpu_time(in, info.cpu_seconds))
        return BAD_CPU_TIME;

    // Only an MP2 job has this entry, beside "HF=": "\HF=-74.9643288\MP2=-75.0022821\".
    if (detail::find_archive_entry(in, detail::ARCHIVE_MP2, -1, std::ios::end, true))
        read_number_ignore(in, info.mp2);

    auto& [a, b, c] = info.rotational;
    if (!(file_find_linux(in, ROTATIONAL, -1, std::ios::end) && in >> a >> b >> c))
        return NO_ROTATIONAL;
    info.rotational_module = std::sqrt(c * c + (a * a + b * b));

    // " Charge =  0 Multiplicity = 1", from the charge and multiplicity line near the start.
    if (!(file_find_linux(in, CHARGE, 1, std::ios::beg) && in >> info.charge)) return NO_CHARGE;
    int multiplicity = 0;
    if (file_find_linux(in, MULTIPLICITY, 1, std::ios::cur) && in >> multiplicity)
        info.multiplicity = multiplicity;

    in.clear();
    info.conformer.reinstall(atoms);
    if (!info.conformer.read_xyz_inout(in)) return no_geometry(atoms);
    return "";
}

}  // namespace

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
    missing.clear();
}

bool COutInfo::get_info(const std::string& file, int atoms) {
    if (atoms < 0 || atoms > MAX_CONFORMER_SIZE) throw atoms;
    clear();
    const std::string why = read_summary(file, atoms, *this);
    if (!why.empty()) {
        clear();
        missing = why;
        return false;
    }
    valid = 1;
    return true;
}
