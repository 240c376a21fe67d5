// read_xyz_file on any text: an xyz file of whatever atom count its first line gives. A
// success holds exactly that many atoms, the same ones read_xyz reads for that count; a
// refusal words its fault, and names a line of the file where it names one.
//
// Input: the xyz file.

#include <algorithm>
#include <string>

#include "CConformer.h"
#include "fuzz_support.h"

using namespace confsearch;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::ScratchDirectory scratch;
    const std::string text(reinterpret_cast<const char*>(data), size);
    fuzz::write_file("molecule.xyz", text);

    CBasicConformer conformer;
    const ReadError error = read_xyz_file("molecule.xyz", conformer);
    if (!error.ok()) {
        const long lines = 1 + static_cast<long>(std::count(text.begin(), text.end(), '\n'));
        fuzz::check(
            error.line >= 0 && error.line <= lines + 1,
            "a refusal names line " + std::to_string(error.line) + " of " + std::to_string(lines));
        return 0;
    }
    const int atoms = conformer.get_size();
    fuzz::check(atoms >= 1 && atoms <= MAX_CONFORMER_SIZE, "a read of no or too many atoms");
    CBasicConformer again(atoms);
    fuzz::check(again.read_xyz("molecule.xyz"), "read_xyz refuses what read_xyz_file took");
    fuzz::check(fuzz::same_geometry(conformer, again), "read_xyz reads other atoms");
    return 0;
}
