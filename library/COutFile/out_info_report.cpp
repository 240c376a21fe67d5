#include <ostream>

#include "COutFile/out_info.h"

using namespace confsearch;

namespace {

const char* const INVALID_SUMMARY = "Error!";

}  // namespace

std::ostream& operator<<(std::ostream& out, const COutInfo& info) {
    if (info.valid != 1) return out << '\t' << INVALID_SUMMARY << '\n';
    out << info.file_name << '\n' << info.route << '\n';
    out << std::fixed;
    out.precision(7);
    out << "hf=" << info.hf << '\n';
    if (info.mp2 != 0) out << "mp2=" << info.mp2 << '\n';
    const auto& [a, b, c] = info.rotational;
    out << "Rotational constants (GHZ): " << a << ' ' << b << ' ' << c
        << "  Module=" << info.rotational_module << '\n';
    const auto& [x, y, z] = info.dipole_xyz;
    out << "Dipole: " << x << ' ' << y << ' ' << z << "  Module=" << info.dipole_module << '\n';
    out << "cpu time: " << info.cpu_seconds << " secs\n";
    out << info.charge << ' ' << info.multiplicity << '\n';
    out.precision(6);
    out << info.conformer << '\n';
    return out;
}
