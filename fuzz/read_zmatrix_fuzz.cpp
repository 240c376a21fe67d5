// CRotatableConformer::read_Zmatrix on any text, for a molecule of known geometry
// (L-leucine, 22 atoms, the generator example). A read that succeeds leaves the same
// atoms renumbered into rows, each bond of the tree at the length it had, and the clash
// test and a torsion about every tree bond run without a fault.
//
// Input: the Z-matrix file.

#include <cmath>
#include <string>

#include "CConformer.h"
#include "fuzz_support.h"

using namespace confsearch;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::ScratchDirectory scratch;
    fuzz::copy_example("generator/leucine.xyz", "leucine.xyz");
    fuzz::write_file("leucine.zmat", fuzz::Input(data, size).rest());

    CRotatableConformer molecule(22);
    fuzz::check(molecule.read_xyz("leucine.xyz"), "the leucine geometry does not read");
    const CBasicConformer before = molecule;
    bool read = false;
    try {
        read = molecule.read_Zmatrix("leucine.zmat");
    } catch (int thrown) {
        // An atom given a fourth child, or a row not bonded to an earlier one.
        fuzz::check(thrown >= 1 && thrown <= 22, "threw the int " + std::to_string(thrown));
        return 0;
    } catch (double) {
        // Reference atoms of the file's tree on one spot or one line: not in leucine,
        // whose atoms all stand apart, unless the file makes three atoms of a row
        // collinear, which it may.
        return 0;
    }
    if (!read) return 0;
    const CZMATRIX& zmatrix = molecule.get_zmatrix();
    for (int i = 1; i <= 22; ++i) {
        const int atom = zmatrix.get_order(i);
        fuzz::check(molecule.get_element(i).get_number() == before.get_element(atom).get_number(),
                    "row " + std::to_string(i) + " lost its element");
        if (i < 2) continue;
        const int parent = zmatrix[i].bond_ref;
        const double was =
            before.get_vector(atom).distance(before.get_vector(zmatrix.get_order(parent)));
        const double is = molecule.get_vector(i).distance(molecule.get_vector(parent));
        fuzz::check(std::fabs(was - is) < 1e-6,
                    "the bond of row " + std::to_string(i) + " changed its length");
    }
    molecule.conformer_legit();
    for (int i = 2; i <= 22; ++i)
        fuzz::check(molecule.rotate(zmatrix[i].bond_ref, i, 1.0),
                    "a bond of the tree does not turn");
    return 0;
}
