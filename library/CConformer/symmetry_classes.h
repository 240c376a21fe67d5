// Symmetry of a molecule's bond graph: the classes of atoms that its automorphisms can
// exchange, the correspondence of two atom orders of one molecule, and its configured
// stereocentres with the test of whether it differs from its mirror image.
#pragma once

#include "CConformer/bond_perception.h"

#include <optional>
#include <vector>

namespace confsearch {

// Atoms in one class are exchanged by some automorphism of the bond graph (a permutation
// of the atoms that keeps elements and bonds): the three hydrogens of a methyl group, the
// two ortho carbons of a para-substituted phenyl ring, the methyls of a tert-butyl group.
// Atoms in different classes never are. Classes are numbered 1, 2, ... in the order of
// their lowest atom.
class SymmetryClasses {
public:
    SymmetryClasses() = default;
    explicit SymmetryClasses(const CBondGraph& graph);

    int get_size() const { return static_cast<int>(class_of.size()) - 1; }
    int get_count() const { return static_cast<int>(members.size()) - 1; }
    // The class (1..count) of atom 1..size.
    int get_class(int atom) const { return class_of.at(static_cast<std::size_t>(atom)); }
    // The atoms of class 1..count, increasing.
    const std::vector<int>& get_members(int c) const {
        return members.at(static_cast<std::size_t>(c));
    }

private:
    // Entry 0 unused in both.
    std::vector<int> class_of = {0};
    std::vector<std::vector<int>> members = {{}};
};

// For two bond graphs of one molecule with the atoms listed in different orders:
// entry i (1..size) is the atom of `other` that plays the part of atom i of `reference`
// (entry 0 is 0). nullopt when the graphs differ (another molecule, or a bond broken or
// formed). Where the molecule is symmetric, one of the equally good answers.
std::optional<std::vector<int>> atom_correspondence(const CBondGraph& reference,
                                                    const CBondGraph& other);

// A configured centre: an atom with four neighbours, or a P, As, Sb, S, Se or Te atom
// with three (a phosphine, a sulfoxide: their pyramids do not invert at room
// temperature; an amine's does, so three-bonded nitrogen never counts), whose neighbours
// lie in pairwise different symmetry classes and are not flat around it.
struct Stereocentre {
    int atom = 0;
    std::vector<int> neighbours;  // increasing
    // The sign, +1 or -1, of the triple product of the directions from the centre to its
    // first three neighbours: the centre's handedness in the given geometry.
    int handedness = 0;
};

// The stereocentres of a geometry whose bonds are `graph`, in increasing atom order.
std::vector<Stereocentre> find_stereocentres(const CBondGraph& graph,
                                             const SymmetryClasses& classes,
                                             const ::CBasicConformer& geometry);

// Whether the molecule with these centres differs from its mirror image: true unless an
// automorphism of the graph carries every centre onto one of the opposite handedness. A
// molecule without centres is achiral; a meso compound (meso-tartaric acid, cis-1,2-
// dimethylcyclohexane) is achiral because the automorphism exchanging its halves does
// that. Chirality from an axis or a plane (atropisomeric biaryls, allenes, helicenes,
// cyclophanes) is not seen: such molecules count as achiral. A pseudo-asymmetric centre
// (two neighbours equal in the graph, opposite in configuration) is not a centre here.
bool is_chiral(const CBondGraph& graph, const std::vector<Stereocentre>& centres);

}  // namespace confsearch
