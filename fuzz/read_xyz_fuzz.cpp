// CBasicConformer::read_xyz on any text, into a conformer of any size 0..100. A read that
// fails leaves the conformer as it was sized (every atom of element 0 at the origin); one
// that succeeds keeps the size.
//
// Input: the atom count of the conformer (one byte), then the xyz file.

#include "CConformer.h"
#include "fuzz_support.h"

using namespace confsearch;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::ScratchDirectory scratch;
    fuzz::Input input(data, size);
    const int atoms = input.molecule_size();
    fuzz::write_file("molecule.xyz", input.rest());

    CBasicConformer conformer(atoms);
    const bool read = conformer.read_xyz("molecule.xyz");
    fuzz::check(conformer.get_size() == atoms, "the read changed the atom count");
    if (!read) {
        for (int i = 1; i <= atoms; ++i) {
            const CVECTOR p = conformer.get_vector(i);
            fuzz::check(
                conformer.get_element(i).get_number() == 0 && p.x == 0 && p.y == 0 && p.z == 0,
                "a failed read left atom " + std::to_string(i) + " filled");
        }
    }
    return 0;
}
