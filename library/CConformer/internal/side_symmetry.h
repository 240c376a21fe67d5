// The rotational symmetry of one side of a bond: a tert-butyl group, a phenyl ring or a
// para-phenylene that a turn of 360/k degrees about the bond carries onto itself, atom for
// atom of the same element and bonds.
#pragma once

#include <functional>

#include "CConformer/basic_conformer.h"
#include "CConformer/bond_chemistry.h"

namespace confsearch::detail {

struct SideSymmetry {
    int order = 1;  // k: the side looks the same after a turn of 360/k degrees
    int unit = 0;   // the lowest atom of the rigid part that has the symmetry
};

// The side of the bond from-atom beyond `atom`, up to the turned bonds leading out of it
// (turned_steps(a, b): the steps per full turn of the bond a-b, 0 when it is not turned).
// Its rigid part has order k = 3 when `atom` is tetrahedral and its three other
// neighbours are exchanged by a symmetry of the bond graph, k = 2 when it is trigonal and
// its two are; the symmetry must also be a proper rotation of the geometry (distances kept
// within 0.25 angstrom, no handedness reversed: the chair of a piperidine on an aryl
// nitrogen is mirror-symmetric, not turned onto itself), and must leave every atom that
// carries a turned bond out of the rigid part in place, that bond taking steps divisible
// by k, so that the turn of the far side can be made up by that bond.
SideSymmetry side_symmetry(const CBasicConformer& conformer, const BondChemistry& chemistry,
                           int from, int atom, const std::function<int(int, int)>& turned_steps);

}  // namespace confsearch::detail
