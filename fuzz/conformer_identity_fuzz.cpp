// The conformer identity on any small geometry: bond perception, symmetry classes,
// chirality, the best fit and the grouping. A geometry that perception or the identity
// refuses is an expected outcome; for one it takes, a copy turned, shifted and listed in
// another order must come back in the molecule's order and fit with RMSD 0, atom on atom
// of its own class; so must the mirror image of an achiral molecule.
//
// Input: the atom count (one byte, 1..24), then per atom an element byte (H, C, N, O, F,
// P, S) and three coordinates of two bytes each (0..8 angstrom); then a byte of options
// (all atoms, mirror images allowed) and the bytes of a shuffle of the atom order.

#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>

#include "fuzz_support.h"

using namespace confsearch;

namespace {

const int ELEMENTS[] = {1, 6, 7, 8, 9, 15, 16};
const double EXACT = 1e-4;

CBasicConformer turned(const CBasicConformer& c, const std::vector<int>& order, bool mirrored) {
    CBasicConformer m(c.get_size());
    for (int k = 1; k <= c.get_size(); ++k) {
        const int old = order[static_cast<std::size_t>(k - 1)];
        CVECTOR p = c.get_vector(old);
        if (mirrored) p.x = -p.x;
        m.set_exyz(k, c.get_element(old), p.rotate(CVECTOR(0.3, -1, 2), 2.2) + CVECTOR(1, 2, -3));
    }
    return m;
}

void check_fit(const confsearch::ConformerIdentity& identity, const CBasicConformer& a,
               const CBasicConformer& b, const char* what) {
    const confsearch::BestFit fit = identity.best_fit(a, b);
    fuzz::check(fit.rmsd < EXACT, std::string(what) + ": RMSD " + std::to_string(fit.rmsd));
    std::vector<int> taken(fit.partner.size(), 0);
    for (int i = 1; i <= a.get_size(); ++i) {
        const int mate = fit.partner[static_cast<std::size_t>(i)];
        fuzz::check(
            mate >= 1 && mate <= a.get_size() && ++taken[static_cast<std::size_t>(mate)] == 1,
            std::string(what) + ": the partners are not a permutation");
        fuzz::check(identity.get_classes().get_class(mate) == identity.get_classes().get_class(i),
                    std::string(what) + ": an atom was matched outside its class");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input input(data, size);
    const int atoms = 1 + input.byte() % 24;
    CBasicConformer molecule(atoms);
    for (int i = 1; i <= atoms; ++i) {
        const int element = ELEMENTS[input.byte() % 7];
        const double x = input.word() * 8.0 / 65535.0;
        const double y = input.word() * 8.0 / 65535.0;
        const double z = input.word() * 8.0 / 65535.0;
        molecule.set_exyz(i, CELEMENT(element), CVECTOR(x, y, z));
    }
    const std::uint8_t options = input.byte();
    confsearch::IdentityCriteria criteria;
    criteria.all_atoms = (options & 1) != 0;
    criteria.mirror = (options & 2) != 0;
    std::vector<int> order(static_cast<std::size_t>(atoms));
    std::iota(order.begin(), order.end(), 1);
    for (int k = atoms - 1; k > 0; --k)
        std::swap(order[static_cast<std::size_t>(k)], order[input.byte() % (k + 1)]);

    try {
        const confsearch::ConformerIdentity identity(molecule, criteria);
        const CBasicConformer copy = identity.in_reference_order(turned(molecule, order, false));
        check_fit(identity, molecule, copy, "renumbered copy");
        fuzz::check(identity.compare(identity.prepare(molecule), identity.prepare(copy)).same(),
                    "a renumbered copy is not the same conformer");
        const auto groups = confsearch::distinct_conformers(identity, {molecule, copy});
        fuzz::check(groups.heads.size() == 1, "a copy founded a group of its own");
        if (identity.compares_mirror_images()) {
            std::vector<int> same_order(static_cast<std::size_t>(atoms));
            std::iota(same_order.begin(), same_order.end(), 1);
            check_fit(identity, molecule, turned(molecule, same_order, true), "mirror image");
        }
    } catch (const PerceptionError&) {
        // Overlapping atoms, or a molecule the perception refuses.
    } catch (const confsearch::IdentityError&) {
        // A bond right at the limit that the turn pushed past it.
    }
    return 0;
}
