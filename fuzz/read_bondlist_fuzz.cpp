// CBasicConformer::read_bondlist on any text. A list read whole holds its count in entry
// 0 and that many bonds, each of two different atoms, the lower first.
//
// Input: the bond-list file.

#include "CConformer.h"
#include "fuzz_support.h"

using namespace confsearch;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::ScratchDirectory scratch;
    fuzz::write_file("bonds.txt", fuzz::Input(data, size).rest());

    CBasicConformer conformer(5);
    if (!conformer.read_bondlist("bonds.txt")) return 0;
    const std::vector<CBonds>& bonds = conformer.get_bondlist();
    fuzz::check(!bonds.empty() && bonds[0].atom1 == static_cast<int>(bonds.size()) - 1,
                "entry 0 does not hold the bond count");
    for (std::size_t i = 1; i < bonds.size(); ++i)
        fuzz::check(bonds[i].atom1 < bonds[i].atom2,
                    "bond " + std::to_string(i) + " is not two atoms, the lower first");
    return 0;
}
