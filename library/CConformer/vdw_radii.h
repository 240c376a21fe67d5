// Van der Waals radii and the physical clash test built on them: how close two atoms of a
// candidate, three or more bonds apart, may come before an optimiser would bond them.
#pragma once

namespace confsearch {

// Two atoms three or more bonds apart clash closer than this share of the sum of their
// van der Waals radii.
const double VDW_CLASH_FRACTION = 0.7;
// A hydrogen on N, O or F and an N, O or F acceptor clash only closer than this
// (angstrom): a hydrogen bond's H...O lies at 1.6-2.0 angstrom, well inside 0.7 of the
// radii (1.83 for H...O).
const double HYDROGEN_BOND_CLASH_DISTANCE = 1.5;

// Van der Waals radius in angstrom of element z; 2.0 for elements the published sets
// leave out (most metals) and for any z outside 1..118.
double vdw_radius(int z);

// Whether atoms of elements z1 and z2 can make a hydrogen bond's H...acceptor contact:
// one is a hydrogen whose only neighbour has element `donor`, the other N, O or F, and
// the donor is N, O or F.
bool hydrogen_bond_pair(int z1, int z2, int donor);

// The closest two atoms of elements z1 and z2, three or more bonds apart, may come
// without a clash (angstrom): HYDROGEN_BOND_CLASH_DISTANCE for a hydrogen-bond pair,
// VDW_CLASH_FRACTION of the radii's sum otherwise.
double physical_clash_limit(int z1, int z2, bool hydrogen_bond);

}  // namespace confsearch
