// The least-squares placement of ring atoms: bond lengths and angles held at their input
// values while the endocyclic torsions are driven to a ring form's template.
#pragma once

#include "CMyMath/vector.h"

#include <vector>

namespace confsearch::detail {

struct BondTerm {
    int a;
    int b;
    double length;  // angstrom
};

struct AngleTerm {
    int a;
    int centre;
    int b;
    double value;  // radians
};

// The torsion a-b-c-d aims at `target` when amplitude is -1, else at
// amplitudes[amplitude] * pattern: the template fixes the shape of the ring's torsions and
// the fit finds the size that suits the ring's own bond angles.
struct TorsionTerm {
    int a;
    int b;
    int c;
    int d;
    double target = 0.0;  // radians
    double pattern = 0.0;
    int amplitude = -1;
};

// The signed volume (detail::signed_volume) of three neighbours about a centre: keeps a
// ring-fusion atom's configuration while the rings around it change.
struct VolumeTerm {
    int centre;
    int a;
    int b;
    int c;
    double value;
};

struct FitProblem {
    // Atoms whose positions the fit may change; every other atom stays.
    std::vector<int> moving;
    std::vector<BondTerm> bonds;
    std::vector<AngleTerm> angles;
    std::vector<TorsionTerm> torsions;
    std::vector<VolumeTerm> volumes;
    // Starting amplitudes (radians) of the torsion templates.
    std::vector<double> amplitudes;
};

// Where the fit ended and how far each kind of term stayed from its aim (angstrom,
// radians, radians, volume units).
struct FitOutcome {
    std::vector<CVECTOR> positions;
    std::vector<double> amplitudes;
    double worst_bond = 0.0;
    double worst_angle = 0.0;
    double worst_torsion = 0.0;
    double worst_volume = 0.0;
};

// Levenberg-Marquardt from `positions` (1-based, entry 0 unused), at most `iterations`
// steps.
FitOutcome fit_ring(const FitProblem& problem, std::vector<CVECTOR> positions, int iterations);

// The point at `bond` from c with angle b-c-point and dihedral a-b-c-point (radians), the
// sense of detail::dihedral.
CVECTOR place_atom(const CVECTOR& a, const CVECTOR& b, const CVECTOR& c, double bond, double angle,
                   double torsion);

}  // namespace confsearch::detail
