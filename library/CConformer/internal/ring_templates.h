// The ring forms as templates of endocyclic torsions, every placement of each on a ring,
// and the names of the forms built from them.
#pragma once

#include "CConformer/start_geometries.h"

#include <string>
#include <vector>

namespace confsearch::detail {

// One template laid on a ring: torsion j (about the bond of ring positions j and j+1) is
// amplitude * pattern[j]; shift and sign tell how the family's base pattern was laid.
struct Placement {
    RingFormFamily family;
    std::vector<double> pattern;
    double amplitude;  // radians, a starting value the fit adjusts to the ring's angles
    int shift;
    int sign;
};

// Every distinct placement of the forms taken for a ring of n atoms: none outside 5..8.
std::vector<Placement> ring_placements(int n);

// The name of a form built from a placement. labels are the ring's atoms in ring order
// ("C1"), positions where the form puts them; correlation is the sum of the input's
// torsions times the pattern, which tells the chair (positive) from the flipped chair.
std::string form_name(const Placement& placement, const std::vector<std::string>& labels,
                      const std::vector<CVECTOR>& positions, double correlation);

// The input's form named as its nearest template, "planar" or "irregular".
std::string start_form_name(int n, const std::vector<double>& torsions,
                            const std::vector<std::string>& labels,
                            const std::vector<CVECTOR>& positions);

}  // namespace confsearch::detail
