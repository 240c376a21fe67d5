// CGenerateConformer::read_freedom on any text, for L-leucine with its Z-matrix (the
// generator example). A list read whole names bonds of the tree, each with its fixed atom
// first and 1..9 steps, and the total is their product; a small one is walked whole by a
// counting run, which must account for every combination.
//
// Input: the freedom file.

#include <string>

#include "CConformer.h"
#include "fuzz_support.h"

using namespace confsearch;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::ScratchDirectory scratch;
    fuzz::copy_example("generator/leucine.xyz", "leucine.xyz");
    fuzz::copy_example("generator/leucine.zmat", "leucine.zmat");
    fuzz::write_file("leucine.freedom", fuzz::Input(data, size).rest());

    CGenerateConformer generator(22);
    fuzz::check(generator.read_xyz("leucine.xyz") && generator.read_Zmatrix("leucine.zmat"),
                "the leucine example does not read");
    if (!generator.read_freedom("leucine.freedom")) {
        fuzz::check(generator.get_freedom_number() == 0 && generator.get_name().empty(),
                    "a refused freedom file left a list behind");
        return 0;
    }
    const int bonds = generator.get_freedom_number();
    fuzz::check(bonds >= 1 && bonds <= MAX_FREEDOM_NUMBER, "a list of a bad length was read");
    fuzz::check(generator.get_name() == std::string(static_cast<std::size_t>(bonds), '1'),
                "a fresh list is not named all ones");
    unsigned long long total = 1;
    const CZMATRIX& zmatrix = generator.get_zmatrix();
    for (int i = 1; i <= bonds; ++i) {
        const CRotatableBond& bond = generator.get_bond(i);
        fuzz::check(
            bond.atom_b >= 1 && bond.atom_b <= 22 && zmatrix[bond.atom_b].bond_ref == bond.atom_a,
            "bond " + std::to_string(i) + " is not a bond of the tree, fixed atom first");
        fuzz::check(bond.steps >= 1 && bond.steps <= MAX_FREEDOM,
                    "bond " + std::to_string(i) + " has a bad step count");
        total *= static_cast<unsigned long long>(bond.steps);
    }
    fuzz::check(generator.get_header().total == total, "the total is not the product of steps");
    if (total > 200) return 0;
    generator.generate_test();
    const CRunHeader& header = generator.get_header();
    fuzz::check(header.generated + header.ignored == total,
                "the run lost combinations: " + std::to_string(header.generated) + " + " +
                    std::to_string(header.ignored) + " of " + std::to_string(total));
    return 0;
}
