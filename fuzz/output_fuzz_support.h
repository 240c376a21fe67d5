// What the fuzz targets of the output-file readers check of every reading: a refusal
// leaves no result, a result is complete, and two readings of one text agree.
#pragma once

#include <string>

#include "COutFile/formats/output_result.h"
#include "fuzz_support.h"
#include "myfile/read_error.h"

namespace fuzz {

inline void check_output_result(const confsearch::ReadError& error,
                                const confsearch::OutputResult& r,
                                confsearch::OutputProgram program) {
    check(r.program == program, "a result of another program");
    if (!error.ok()) {
        check(error.line >= 0, "a negative line number");
        check(r.symbols.empty() && r.positions.empty() && r.energy == 0.0 && !r.has_dipole &&
                  !r.normal_termination && !r.has_frequencies && !r.free_energy,
              "a refused file left a result behind: " + error.what);
        return;
    }
    check(!r.symbols.empty() && r.symbols.size() == r.positions.size(),
          "a result without a whole geometry");
    check(r.normal_termination, "a result of a run that did not end");
    check(r.multiplicity >= 1, "a multiplicity below 1");
    check(r.has_frequencies || (r.imaginary_frequencies.empty() && !r.free_energy),
          "frequencies or thermochemistry without a frequency analysis");
    for (double f : r.imaginary_frequencies)
        check(f < 0, "an imaginary frequency that is not negative");
}

inline bool same_position(const CVECTOR& a, const CVECTOR& b) {
    return a.x == b.x && a.y == b.y && a.z == b.z;
}

inline void check_same_reading(const confsearch::ReadError& e1, const confsearch::OutputResult& r1,
                               const confsearch::ReadError& e2,
                               const confsearch::OutputResult& r2) {
    check(e1.what == e2.what && e1.line == e2.line,
          "in pieces: \"" + e1.what + "\" at " + std::to_string(e1.line) + ", at once: \"" +
              e2.what + "\" at " + std::to_string(e2.line));
    bool same = r1.energy == r2.energy && r1.dipole == r2.dipole && r1.symbols == r2.symbols &&
                r1.positions.size() == r2.positions.size() &&
                r1.imaginary_frequencies == r2.imaginary_frequencies &&
                r1.free_energy == r2.free_energy && r1.enthalpy == r2.enthalpy &&
                r1.temperature == r2.temperature && r1.charge == r2.charge &&
                r1.multiplicity == r2.multiplicity && r1.method == r2.method &&
                r1.basis == r2.basis && r1.solvent == r2.solvent && r1.version == r2.version;
    for (std::size_t i = 0; same && i < r1.positions.size(); ++i)
        same = same_position(r1.positions[i], r2.positions[i]);
    check(same, "reading in pieces and at once give different results");
}

}  // namespace fuzz
