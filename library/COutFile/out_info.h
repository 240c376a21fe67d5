// The summary of one Gaussian output file: whether the job ended normally, its route
// line, energies, rotational constants, dipole, cpu time, charge, multiplicity and final
// geometry, and the short report of it.
#pragma once

#include "CConformer/basic_conformer.h"
#include "COutFile/formats/output_result.h"

#include <array>
#include <iosfwd>
#include <string>

class COutInfo {
public:
    int valid = 0;  // 1 when the last get_info found everything required
    std::string file_name;
    std::string route;  // from the first "#" to the end of its line, at most 98 characters
    double hf = 0.0;    // after the archive's last "HF="
    double mp2 = 0.0;   // after the archive's last "MP2="; 0 when the job has none
    std::array<double, 3> rotational{};  // last "Rotational constants (GHZ):" A, B, C
    double rotational_module = 0.0;      // length of (A, B, C)
    std::array<double, 3> dipole_xyz{};  // the archive's "Dipole=" after the last "HF="
    double dipole_module = 0.0;
    int cpu_seconds = 0;  // the job's cpu time, fractions of a second dropped
    int charge = 0;
    int multiplicity = 1;
    CBasicConformer conformer;  // the last "Standard orientation:" table
    // The route over all its lines (route keeps the first), and the cpu time of every job
    // step summed, with the count of steps.
    std::string whole_route;
    int total_cpu_seconds = 0;
    int job_steps = 0;

    COutInfo();

    // Every field to its empty value: no name, zeros, multiplicity 1, 0 atoms.
    void clear();
    // Summarises an output file of a molecule of atoms atoms (0..MAX_CONFORMER_SIZE; the
    // int atoms is thrown outside). Required: normal termination, the route line, "HF="
    // and "Dipole=" in the archive, the rotational constants, the charge and the final
    // geometry table of atoms atoms. False, and a cleared summary, when one is missing.
    bool get_info(const std::string& file, int atoms);
    // Why the last get_info gave no summary: the first required item it missed, such as
    // "no Normal termination"; empty after a valid summary or clear().
    const std::string& first_missing() const { return missing; }

private:
    std::string missing;
};

namespace confsearch {

// The report of an ORCA or xtb output in the manner of the Gaussian one: name, program and
// version, method and basis, energy, dipole, G and H when printed, the imaginary
// frequencies when the job computed frequencies, charge and multiplicity, then the
// geometry and an empty line.
std::ostream& write_output_report(std::ostream& out, const std::string& file,
                                  const OutputResult& result);

}  // namespace confsearch

// The report: name, route, energies, rotational constants, dipole, cpu time, charge and
// multiplicity, then the geometry and an empty line; the single line tab, "Error!" for an
// invalid summary. Leaves fixed notation with precision 6 set on the stream.
std::ostream& operator<<(std::ostream& out, const COutInfo& info);
