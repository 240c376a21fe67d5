// Van der Waals radii from the published sets, and the physical clash limit.
#include "CConformer/vdw_radii.h"

#include <array>

#include "detail/atomic_numbers.h"

namespace confsearch {

namespace {

using detail::HYDROGEN;
using detail::LAST_ELEMENT;
using detail::NITROGEN;
using detail::OXYGEN;

const int FLUORINE = 9;
const double UNLISTED = 2.0;

// Angstrom, row z for element z; 0 where neither set gives a value. A. Bondi, "van der
// Waals Volumes and Radii", J. Phys. Chem. 1964, 68, 441-451, with hydrogen at 1.10 (R. S.
// Rowland and R. Taylor, J. Phys. Chem. 1996, 100, 7384-7391: Bondi's 1.20 is too large for
// the contacts of hydrogen in crystal structures); the main-group elements Bondi leaves
// out from M. Mantina, A. C. Chamberlin, R. Valero, C. J. Cramer and D. G. Truhlar,
// "Consistent van der Waals Radii for the Whole Main Group", J. Phys. Chem. A 2009, 113,
// 5806-5812 (Be, B, Al, Ca, Ge, Rb, Sr, Sb, Cs, Ba, Bi, Po, At, Rn, Fr, Ra).
// clang-format off
const std::array<double, LAST_ELEMENT + 1> RADII = {
    0.0,
    1.10, 1.40, 1.82, 1.53, 1.92, 1.70, 1.55, 1.52, 1.47, 1.54,  //  1 H  .. 10 Ne
    2.27, 1.73, 1.84, 2.10, 1.80, 1.80, 1.75, 1.88, 2.75, 2.31,  // 11 Na .. 20 Ca
    0.0,  0.0,  0.0,  0.0,  0.0,  0.0,  0.0,  1.63, 1.40, 1.39,  // 21 Sc .. 30 Zn
    1.87, 2.11, 1.85, 1.90, 1.85, 2.02, 3.03, 2.50, 0.0,  0.0,   // 31 Ga .. 40 Zr
    0.0,  0.0,  0.0,  0.0,  0.0,  1.63, 1.72, 1.58, 1.93, 2.17,  // 41 Nb .. 50 Sn
    2.06, 2.06, 1.98, 2.16, 3.43, 2.68, 0.0,  0.0,  0.0,  0.0,   // 51 Sb .. 60 Nd
    0.0,  0.0,  0.0,  0.0,  0.0,  0.0,  0.0,  0.0,  0.0,  0.0,   // 61 Pm .. 70 Yb
    0.0,  0.0,  0.0,  0.0,  0.0,  0.0,  0.0,  1.72, 1.66, 1.55,  // 71 Lu .. 80 Hg
    1.96, 2.02, 2.07, 1.97, 2.02, 2.20, 3.48, 2.83, 0.0,  0.0,   // 81 Tl .. 90 Th
    0.0,  1.86,                                                    // 91 Pa .. 92 U
};
// clang-format on

bool acceptor_element(int z) { return z == NITROGEN || z == OXYGEN || z == FLUORINE; }

}  // namespace

double vdw_radius(int z) {
    if (z < 1 || z > LAST_ELEMENT) return UNLISTED;
    const double r = RADII[static_cast<std::size_t>(z)];
    return r > 0.0 ? r : UNLISTED;
}

bool hydrogen_bond_pair(int z1, int z2, int donor) {
    if (z1 != HYDROGEN) return z2 == HYDROGEN && hydrogen_bond_pair(z2, z1, donor);
    return acceptor_element(z2) && acceptor_element(donor);
}

double physical_clash_limit(int z1, int z2, bool hydrogen_bond) {
    if (hydrogen_bond) return HYDROGEN_BOND_CLASH_DISTANCE;
    return VDW_CLASH_FRACTION * (vdw_radius(z1) + vdw_radius(z2));
}

}  // namespace confsearch
