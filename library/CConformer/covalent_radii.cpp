// Covalent radii for bond perception, kept apart from the element table's bonding radii,
// which belong to the generator's clash test.
#include "CConformer/bond_perception.h"

#include <array>

#include "detail/atomic_numbers.h"

namespace confsearch {

namespace {

using confsearch::detail::LAST_ELEMENT;

// Angstrom, row z for element z. Elements 1..96: B. Cordero, V. Gomez, A. E.
// Platero-Prats, M. Reves, J. Echeverria, E. Cremades, F. Barragan and S. Alvarez,
// "Covalent radii revisited", Dalton Trans. 2008, 2832-2838, the radii averaged over the
// Cambridge Structural Database; carbon takes its sp3 value (0.76; sp2 0.73, sp 0.69 would
// find the same bonds within the tolerance), manganese, iron and cobalt their low-spin
// values. Elements 97..118, which that table does not cover: P. Pyykko and M. Atsumi,
// "Molecular single-bond covalent radii for elements 1-118", Chem. Eur. J. 2009, 15,
// 186-197.
// clang-format off
const std::array<double, LAST_ELEMENT + 1> RADII = {
    0.0,
    0.31, 0.28, 1.28, 0.96, 0.84, 0.76, 0.71, 0.66, 0.57, 0.58,  //  1 H  .. 10 Ne
    1.66, 1.41, 1.21, 1.11, 1.07, 1.05, 1.02, 1.06, 2.03, 1.76,  // 11 Na .. 20 Ca
    1.70, 1.60, 1.53, 1.39, 1.39, 1.32, 1.26, 1.24, 1.32, 1.22,  // 21 Sc .. 30 Zn
    1.22, 1.20, 1.19, 1.20, 1.20, 1.16, 2.20, 1.95, 1.90, 1.75,  // 31 Ga .. 40 Zr
    1.64, 1.54, 1.47, 1.46, 1.42, 1.39, 1.45, 1.44, 1.42, 1.39,  // 41 Nb .. 50 Sn
    1.39, 1.38, 1.39, 1.40, 2.44, 2.15, 2.07, 2.04, 2.03, 2.01,  // 51 Sb .. 60 Nd
    1.99, 1.98, 1.98, 1.96, 1.94, 1.92, 1.92, 1.89, 1.90, 1.87,  // 61 Pm .. 70 Yb
    1.87, 1.75, 1.70, 1.62, 1.51, 1.44, 1.41, 1.36, 1.36, 1.32,  // 71 Lu .. 80 Hg
    1.45, 1.46, 1.48, 1.40, 1.50, 1.50, 2.60, 2.21, 2.15, 2.06,  // 81 Tl .. 90 Th
    2.00, 1.96, 1.90, 1.87, 1.80, 1.69,                          // 91 Pa .. 96 Cm
    1.68, 1.68, 1.65, 1.67, 1.73, 1.76, 1.61, 1.57,              // 97 Bk .. 104 Rf
    1.49, 1.43, 1.41, 1.34, 1.29, 1.28, 1.21, 1.22,              // 105 Db .. 112 Cn
    1.36, 1.43, 1.62, 1.75, 1.65, 1.57,                          // 113 Nh .. 118 Og
};
// clang-format on

}  // namespace

double covalent_radius(int z) {
    if (z < 1 || z > LAST_ELEMENT) return 0.0;
    return RADII[static_cast<std::size_t>(z)];
}

double bonding_limit(int z1, int z2) {
    return covalent_radius(z1) + covalent_radius(z2) + BOND_TOLERANCE;
}

}  // namespace confsearch
