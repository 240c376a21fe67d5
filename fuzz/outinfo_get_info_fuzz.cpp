// COutInfo::get_info on one output file, for any atom count, and the report of what it
// found. A bad atom count is thrown back as the documented int; a summary is valid
// exactly when get_info says so, and an invalid one names the first item it missed. What
// a valid summary of a Gaussian output shares with the result record (energy, dipole,
// final geometry) is what COutSort::get_info reads from the same file.
//
// Input: the atom count (one byte: -1..101), then the output file.

#include <cmath>
#include <sstream>
#include <string>

#include "COutFile.h"
#include "COutFile/formats/output_format.h"
#include "fuzz_support.h"

using namespace confsearch;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::ScratchDirectory scratch;
    fuzz::Input input(data, size);
    const int atoms = input.atom_count();
    fuzz::write_file("job.log", input.rest());

    COutInfo info;
    bool valid = false;
    if (!fuzz::runs_unless_bad_count(atoms, [&] { valid = info.get_info("job.log", atoms); }))
        return 0;
    fuzz::check(valid == (info.valid == 1), "get_info and the valid flag disagree");
    fuzz::check(valid == info.first_missing().empty(), "the missing item does not match");
    fuzz::check(!valid || (info.file_name == "job.log" && info.conformer.get_size() == atoms &&
                           info.route.size() <= 98),
                "a valid summary without its name, geometry or route");

    // The result record reads a Gaussian output only; a file without a banner, archive
    // entry or Gaussian's termination line is refused there as no program's output.
    if (valid && recognise_output_file("job.log") == OutputProgram::gaussian) {
        COutSort record;
        fuzz::check(record.get_info("job.log", atoms) && record.energy == info.hf &&
                        std::fabs(record.dipole - info.dipole_module) <= 1e-12 * record.dipole &&
                        fuzz::same_geometry(record.conformer, info.conformer),
                    "the summary and the result record read different values");
    }

    std::ostringstream report;
    report << info;
    fuzz::check(valid || report.str() == "\tError!\n", "an invalid summary reports more");
    return 0;
}
