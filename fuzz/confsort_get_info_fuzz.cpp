// CConfSort::get_info on one output file: energy and dipole only. Where COutSort::read_info
// reads a whole result from the same file, this must give the same energy and dipole.
//
// Input: the atom count of the molecule for the whole result (one byte: 0..100), then the
// output file.

#include <string>

#include "COutFile.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::ScratchDirectory scratch;
    fuzz::Input input(data, size);
    const int atoms = input.molecule_size();
    fuzz::write_file("job.log", input.rest());

    CConfSort plain;
    const bool read = plain.get_info("job.log");
    if (read)
        fuzz::check(plain.name == "job.log", "a result without its name");
    else
        fuzz::check(plain.name.empty() && plain.energy == 0 && plain.dipole == 0,
                    "a refused file left a result behind");

    COutSort whole;
    if (whole.get_info("job.log", atoms))
        fuzz::check(read && plain.energy == whole.energy && plain.dipole == whole.dipole,
                    "the result with geometry has another energy or dipole");
    return 0;
}
