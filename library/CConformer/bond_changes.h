// Whether an optimisation kept the molecule: the bonds perceived in one geometry against
// those of another of the same atoms.
#pragma once

#include "CConformer/bond_perception.h"

#include <string>
#include <vector>

namespace confsearch {

// A bond present in one geometry and not in the other; atom1 < atom2, 1-based.
struct BondChange {
    int atom1 = 0;
    int atom2 = 0;
    bool formed = false;  // false: broken
};

// The bonds of before missing from after (broken) and those of after missing from before
// (formed), ordered by atom1, then atom2. Throws std::invalid_argument when the graphs
// are not of the same atoms in the same order.
std::vector<BondChange> bond_changes(const CBondGraph& before, const CBondGraph& after);

// "bond 3-7 (C-O) broken", "bond 2-9 (O-H) formed"; the elements are the graph's.
std::string describe(const BondChange& change, const CBondGraph& graph);

}  // namespace confsearch
