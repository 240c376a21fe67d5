// One molecular geometry (elements and Cartesian coordinates) with its files: xyz
// geometry, Gaussian input, bond list, and the final geometry of a Gaussian output file;
// the test of whether two geometries are the same conformer; the check of bond lengths
// against the bond list; local edits and the joining of two fragments; the conformer
// driven by its Z-matrix, its hydrogen bonds, and the conformer generator; bonds
// perceived from distances, and the generator's Z-matrix tree and rotatable bonds
// derived from them; the rings, their conformers and the amine nitrogens' inversion,
// which give the generator its start geometries; the symmetry classes of atoms, and the
// identity of conformers by best-fit RMSD over the molecule's symmetry; the chemistry of
// bonds read from the graph, the torsions the one-file form turns, and van der Waals radii.
#pragma once

#include "CConformer/basic_conformer.h"
#include "CConformer/bond_changes.h"
#include "CConformer/bond_chemistry.h"
#include "CConformer/bond_perception.h"
#include "CConformer/bonds.h"
#include "CConformer/conformer_identity.h"
#include "CConformer/conformer_setup.h"
#include "CConformer/generator.h"
#include "CConformer/geometry_checks.h"
#include "CConformer/rings.h"
#include "CConformer/rotatable_conformer.h"
#include "CConformer/start_geometries.h"
#include "CConformer/symmetry_classes.h"
#include "CConformer/torsion_choice.h"
#include "CConformer/vdw_radii.h"
