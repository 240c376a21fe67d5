// Rotational constants from a geometry and atomic masses.
#include <cmath>
#include <limits>

#include "CConformer/conformer_identity.h"
#include "CMyElement/atomic_weights.h"
#include "identity_messages.h"

namespace confsearch {

namespace {

// B = h / (8 pi^2 I): with I in dalton angstrom^2 and B in GHz the factor is
// h / (8 pi^2 u 1e-20 m^2) / 1e9, from the exact Planck constant and the 2018 CODATA
// atomic mass constant: 505.379 GHz dalton angstrom^2.
const double PLANCK = 6.62607015e-34;                   // J s
const double ATOMIC_MASS_CONSTANT = 1.66053906660e-27;  // kg
const double GHZ_DALTON_SQUARE_ANGSTROM =
    PLANCK / (8.0 * PI * PI * ATOMIC_MASS_CONSTANT * 1e-20) / 1e9;

// A moment below this (dalton angstrom^2) is zero: the axis runs through every atom.
const double LEAST_MOMENT = 1e-8;

}  // namespace

std::array<double, 3> rotational_constants(const std::vector<double>& masses,
                                           const Positions& positions) {
    if (masses.size() != positions.size())
        throw IdentityError(detail::atom_count_message(static_cast<int>(positions.size()),
                                                       static_cast<int>(masses.size())));
    double total = 0.0;
    CVECTOR centre;
    for (std::size_t i = 0; i < masses.size(); ++i) {
        total += masses[i];
        centre = centre + positions[i] * masses[i];
    }
    if (total > 0.0) centre = centre / total;
    Matrix3 inertia{};
    for (std::size_t i = 0; i < masses.size(); ++i) {
        const CVECTOR r = positions[i] - centre;
        const double m = masses[i];
        const double r2 = r.square();
        inertia[0] += m * (r2 - r.x * r.x);
        inertia[4] += m * (r2 - r.y * r.y);
        inertia[8] += m * (r2 - r.z * r.z);
        inertia[1] -= m * r.x * r.y;
        inertia[2] -= m * r.x * r.z;
        inertia[5] -= m * r.y * r.z;
    }
    inertia[3] = inertia[1];
    inertia[6] = inertia[2];
    inertia[7] = inertia[5];
    // The axes come largest moment first; A belongs to the smallest.
    const PrincipalAxes axes = principal_axes(inertia);
    std::array<double, 3> constants{};
    for (std::size_t k = 0; k < 3; ++k) {
        const double moment = axes.values[2 - k];
        constants[k] = moment > LEAST_MOMENT ? GHZ_DALTON_SQUARE_ANGSTROM / moment
                                             : std::numeric_limits<double>::infinity();
    }
    return constants;
}

std::array<double, 3> rotational_constants(const ::CBasicConformer& geometry) {
    std::vector<double> masses;
    Positions positions;
    for (int i = 1; i <= geometry.get_size(); ++i) {
        masses.push_back(standard_atomic_weight(geometry.get_element(i).get_number()));
        positions.push_back(geometry.get_vector(i));
    }
    return rotational_constants(masses, positions);
}

}  // namespace confsearch
