#include <cmath>
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

std::ostream& confsearch::write_output_report(std::ostream& out, const std::string& file,
                                              const OutputResult& result) {
    out << file << '\n' << program_name(result.program);
    if (!result.version.empty()) out << ' ' << result.version;
    out << ": " << result.method << (result.basis.empty() ? "" : "/" + result.basis);
    if (!result.solvent.empty()) out << ' ' << result.solvent;
    out << '\n' << std::fixed;
    out.precision(7);
    out << "energy=" << result.energy << '\n';
    if (result.free_energy) out << "G=" << *result.free_energy << '\n';
    if (result.enthalpy) out << "H=" << *result.enthalpy << '\n';
    const auto& [x, y, z] = result.dipole;
    if (result.has_dipole)
        out << "Dipole: " << x << ' ' << y << ' ' << z
            << "  Module=" << std::sqrt(x * x + y * y + z * z) << '\n';
    if (result.has_frequencies) {
        out.precision(1);
        out << "imaginary frequencies: " << result.imaginary_frequencies.size();
        for (const double value : result.imaginary_frequencies) out << ' ' << value;
        out << '\n';
    }
    out << result.charge << ' ' << result.multiplicity << '\n';
    out.precision(6);
    for (std::size_t i = 0; i < result.symbols.size(); ++i) {
        const CVECTOR& p = result.positions[i];
        out << result.symbols[i] << '\t' << p.x << '\t' << p.y << '\t' << p.z << '\n';
    }
    return out << '\n';
}
