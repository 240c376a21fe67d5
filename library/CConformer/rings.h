// The rings of a molecule from its bond graph: the smallest set of smallest rings, each
// with its atoms in ring order, and what a ring conformer search needs to know of each.
#pragma once

#include "CConformer/basic_conformer.h"
#include "CConformer/bond_perception.h"

#include <string>
#include <vector>

namespace confsearch {

// One ring of the smallest set of smallest rings. Rings are referred to by their 0-based
// place in the list find_rings returns.
struct Ring {
    // 1-based atom numbers in ring order: the lowest-numbered atom first, then on towards
    // the lower-numbered of its two ring neighbours.
    std::vector<int> atoms;
    // A planar ring of sp2 atoms (benzene, pyridine, furan, a pyridone), which has no
    // pucker to change: every endocyclic torsion within 15 degrees, and every atom sp2 by
    // its shape (three neighbours in a plane, or two with a bond short enough to be
    // multiple) or an O, S or N of two neighbours between two such atoms (furan's O).
    bool aromatic = false;
    // The ring holds a bond whose torsion stays near 0 or 180 degrees: double or aromatic
    // by its length, or the C-N or C-O bond of an amide or ester (a carbon carrying a
    // terminal O or S) recognised from the graph.
    bool double_bond = false;
    // Rings sharing exactly one bond with this one, three or more atoms (the two rings of
    // norbornane), or exactly one atom (a spiro junction); increasing.
    std::vector<int> fused;
    std::vector<int> bridged;
    std::vector<int> spiro;

    int size() const { return static_cast<int>(atoms.size()); }
    bool contains(int atom) const;
};

// The smallest set of smallest rings (a minimum cycle basis of the bond graph, chosen from
// the graph alone so that a molecule and its mirror image get the same rings), ordered by
// their first atom, then size. geometry must be the conformer the graph was perceived from:
// it decides planarity and the sp2 shape of the atoms.
std::vector<Ring> find_rings(const CBasicConformer& geometry, const CBondGraph& graph);

// "C1..C6" for a ring of consecutive atom numbers, else the atoms in ring order,
// "C1 C2 N7 C8 C9 O12".
std::string ring_atoms_label(const Ring& ring, const CBondGraph& graph);
// An atom by symbol and number, "N7".
std::string atom_label(const CBondGraph& graph, int atom);

// The endocyclic torsions of a ring in radians: entry j is the dihedral of atoms j-1, j,
// j+1, j+2 (ring positions, counted round), the torsion about the bond of positions j and
// j+1.
std::vector<double> ring_torsions(const CBasicConformer& geometry, const Ring& ring);

}  // namespace confsearch
