// CConfSort::get_info on one output file: energy and dipole only, from the file's tail or,
// failing that, the whole file. The result is the one the whole file gives when read at
// once, and where COutSort::get_info reads a whole result from the same file, the energy
// and dipole are the same.
//
// Input: the atom count of the molecule for the whole result (one byte: 0..100), then the
// output file.

#include <fstream>
#include <string>

#include "COutFile.h"
#include "COutFile/formats/gaussian_output.h"
#include "fuzz_support.h"

using namespace confsearch;

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

    std::ifstream in("job.log", std::ios::binary);
    EnergyDipole values;
    const bool whole_read = read_energy_dipole(in, true, values) == EnergyDipoleMissing::none;
    fuzz::check(read == whole_read && (!read || (plain.energy == values.energy &&
                                                 plain.dipole == values.dipole_length())),
                "the tail and the whole file give different results");

    COutSort with_geometry;
    if (with_geometry.get_info("job.log", atoms))
        fuzz::check(
            read && plain.energy == with_geometry.energy && plain.dipole == with_geometry.dipole,
            "the result with geometry has another energy or dipole");
    return 0;
}
