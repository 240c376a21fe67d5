// What a molecule's bond graph says about its atoms and bonds beyond who is bonded to
// whom: which atoms carry a pi bond, where the double bonds of the chain bonds lie,
// aromatic atoms, carbonyl carbons and the shape around each atom. Decided from elements
// and neighbours, so that two geometries of one molecule (a force-field start with an
// amide C-N of 1.39 angstrom, an optimised one at 1.34) are read alike; bond lengths
// decide only where the graph leaves a choice (a charged or radical pi system).
#pragma once

#include "CConformer/basic_conformer.h"
#include "CConformer/bond_perception.h"
#include "CConformer/conformer_setup.h"

#include <vector>

namespace confsearch {

class BondChemistry {
public:
    // graph must be that of conformer.
    BondChemistry(const CBasicConformer& conformer, const CBondGraph& graph);

    // A pi atom needs one double bond: a carbon of three neighbours, a nitrogen of two
    // (imine, azo, pyridine), a terminal oxygen or sulfur (C=O, C=S, N=O), a nitrogen of
    // three that carries a terminal oxygen (nitro, N-oxide). Atoms 1..n.
    bool is_pi_atom(int atom) const { return pi.at(static_cast<std::size_t>(atom)); }
    // Whether the bond a-b, outside rings, is a double bond: it lies in every largest set
    // of double bonds between pi atoms (a matching), or the graph leaves it open and it is
    // shorter than multiple_bond_limit. False for ring bonds and for atoms not bonded.
    bool is_double(int a, int b) const;
    // A pi atom, or the N, O or S of a five-membered aromatic ring, on a ring of five to
    // seven atoms that are all pi atoms but for at most one such N (three neighbours), O or
    // S (two): benzene and pyridine carbons, the nitrogen of pyrrole or indole.
    bool is_aryl(int atom) const { return aryl.at(static_cast<std::size_t>(atom)); }
    // A carbon of three neighbours with a terminal oxygen or sulfur: the carbon of a
    // ketone, aldehyde, acid, ester, amide, thioamide or carboxylate.
    bool is_carbonyl(int atom) const;
    // The shape around an atom from its element and neighbours: terminal with one
    // neighbour; linear for a carbon of two (alkyne, nitrile, allene) and for any
    // two-coordinate atom at 170 degrees or more; trigonal for a carbon or boron of three,
    // a nitrogen of two, and a nitrogen of three bonded to a pi atom or aromatic (amide,
    // aniline, enamine, pyrrole, nitro); tetrahedral otherwise (an amine nitrogen, the
    // oxygen of an ether, every atom of four neighbours).
    AtomShape shape(int atom) const { return shapes.at(static_cast<std::size_t>(atom)); }

    const CBondGraph& get_graph() const { return graph; }

private:
    const CBondGraph& graph;
    std::vector<bool> pi;
    std::vector<bool> aryl;
    std::vector<AtomShape> shapes;
    // The chain bonds found double, as (lower, higher) atom pairs, sorted.
    std::vector<std::pair<int, int>> doubles;
};

}  // namespace confsearch
