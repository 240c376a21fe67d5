// The table of standard atomic weights.
#include "CMyElement/atomic_weights.h"

#include <array>

#include "detail/atomic_numbers.h"

namespace confsearch {

namespace {

// Row z holds element z. Values: IUPAC Commission on Isotopic Abundances and Atomic
// Weights (CIAAW), "Standard atomic weights abridged to five significant figures" (2021
// table; T. Prohaska et al., Pure Appl. Chem. 94 (2022) 573-600). Elements given there as
// an interval (H, C, N, O, ...) take the conventional value of that table. Elements
// without stable isotopes (Tc, Pm, Po..Ac, Np..Og) take the mass number of their
// longest-lived isotope, as the periodic table of IUPAC prints it in brackets.
// clang-format off
const std::array<double, detail::LAST_ELEMENT + 1> WEIGHTS = {
    0.0,
    1.0080,  4.0026,  6.94,    9.0122,  10.81,   12.011,  14.007,  15.999,  18.998,  20.180,
    22.990,  24.305,  26.982,  28.085,  30.974,  32.06,   35.45,   39.95,   39.098,  40.078,
    44.956,  47.867,  50.942,  51.996,  54.938,  55.845,  58.933,  58.693,  63.546,  65.38,
    69.723,  72.630,  74.922,  78.971,  79.904,  83.798,  85.468,  87.62,   88.906,  91.224,
    92.906,  95.95,   97.0,    101.07,  102.91,  106.42,  107.87,  112.41,  114.82,  118.71,
    121.76,  127.60,  126.90,  131.29,  132.91,  137.33,  138.91,  140.12,  140.91,  144.24,
    145.0,   150.36,  151.96,  157.25,  158.93,  162.50,  164.93,  167.26,  168.93,  173.05,
    174.97,  178.49,  180.95,  183.84,  186.21,  190.23,  192.22,  195.08,  196.97,  200.59,
    204.38,  207.2,   208.98,  209.0,   210.0,   222.0,   223.0,   226.0,   227.0,   232.04,
    231.04,  238.03,  237.0,   244.0,   243.0,   247.0,   247.0,   251.0,   252.0,   257.0,
    258.0,   259.0,   262.0,   267.0,   268.0,   269.0,   270.0,   269.0,   278.0,   281.0,
    282.0,   285.0,   286.0,   289.0,   290.0,   293.0,   294.0,   294.0,
};
// clang-format on

}  // namespace

double standard_atomic_weight(int z) {
    if (z < 1 || z > detail::LAST_ELEMENT) return 0.0;
    return WEIGHTS[static_cast<std::size_t>(z)];
}

}  // namespace confsearch
