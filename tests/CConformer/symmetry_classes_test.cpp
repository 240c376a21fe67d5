#include <gtest/gtest.h>
#include "CConformer.h"

#include <algorithm>
#include <string>
#include <vector>

#include "ConformerSupport.h"
#include "IdentitySupport.h"
#include "PerceptionSupport.h"

using namespace confsearch;

using confsearch::SymmetryClasses;

namespace {

using Groups = std::vector<std::vector<int>>;

// The classes of two or more atoms, each as its atoms in increasing order, ordered by
// their first atom.
Groups shared_classes(const CBasicConformer& molecule) {
    const SymmetryClasses classes{CBondGraph(molecule)};
    Groups groups;
    for (int c = 1; c <= classes.get_count(); ++c)
        if (classes.get_members(c).size() > 1) groups.push_back(classes.get_members(c));
    return groups;
}

// Cyclohexane and two cyclopropanes side by side, in one geometry: carbons 1-6 and
// hydrogens 7-18 of the chair, then each three-ring's carbons and hydrogens.
CBasicConformer six_ring_beside_two_three_rings() {
    const CBasicConformer chair = support::molecule("cyclohexane");
    std::vector<support::Atom> atoms;
    for (int i = 1; i <= chair.get_size(); ++i) {
        const CVECTOR p = chair.get_vector(i);
        atoms.push_back({chair.get_element(i).get_number(), p.x, p.y, p.z});
    }
    for (const CVECTOR& centre : {CVECTOR(10, 0, 0), CVECTOR(0, 10, 0)})
        for (const support::Atom& atom : support::cyclopropane(centre)) atoms.push_back(atom);
    return support::conformer_of(atoms);
}

}  // namespace

TEST(SymmetryClasses, JoinExactlyTheAtomsTheMoleculesSymmetryExchanges) {
    const std::vector<std::tuple<std::string, CBasicConformer, Groups>> cases = {
        // Ethyl: the CH3 and CH2 carbons differ; each carbon's hydrogens are one class.
        {"ethanol", support::molecule("ethanol"), {{5, 6}, {7, 8, 9}}},
        // tert-Butyl: its three methyls and their nine hydrogens.
        {"tert-butyl methyl ether",
         support::tert_butyl_methyl_ether(),
         {{4, 5, 6}, {7, 8, 9, 10, 11, 12, 13, 14, 15}, {16, 17, 18}}},
        // Isopropyl: the two methyls and their six hydrogens; the C-H and O-H are alone.
        {"propan-2-ol", support::propan_2_ol(), {{3, 4}, {7, 8, 9, 10, 11, 12}}},
        // para-Substituted phenyl: the ortho carbons C2 and C6, the meta carbons C3 and
        // C5, and the hydrogens on each pair; ipso C1 and para C4 are alone.
        {"4-fluorotoluene",
         support::toluene(0, false, 9),
         {{2, 6}, {3, 5}, {8, 12}, {9, 11}, {13, 14, 15}}},
        {"benzene", support::molecule("benzene"), {{1, 2, 3, 4, 5, 6}, {7, 8, 9, 10, 11, 12}}},
        // Refinement alone cannot tell a six-ring carbon from a three-ring carbon here
        // (each sees two CH2 carbons and two hydrogens), but no automorphism exchanges
        // them; the two three-rings are exchanged whole.
        {"cyclohexane beside two cyclopropanes",
         six_ring_beside_two_three_rings(),
         {{1, 2, 3, 4, 5, 6},
          {7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18},
          {19, 20, 21, 28, 29, 30},
          {22, 23, 24, 25, 26, 27, 31, 32, 33, 34, 35, 36}}},
    };
    for (const auto& [name, molecule, expected] : cases)
        EXPECT_EQ(shared_classes(molecule), expected) << name;
}

TEST(SymmetryClasses, NumberedByLowestAtom) {
    const SymmetryClasses classes{CBondGraph(support::molecule("ethanol"))};
    // C1, C2, O3, H4 alone; then {5, 6}, then {7, 8, 9}.
    EXPECT_EQ(classes.get_count(), 6);
    EXPECT_EQ(classes.get_size(), 9);
    for (const auto& [atom, c] : {std::pair{1, 1}, {3, 3}, {4, 4}, {6, 5}, {9, 6}})
        EXPECT_EQ(classes.get_class(atom), c) << atom;
}

TEST(AtomCorrespondence, FindsTheOrderOfARenumberedCopyAndRefusesAnotherMolecule) {
    const CBasicConformer ether = support::tert_butyl_methyl_ether();
    const std::vector<int> order = support::scrambled(ether.get_size());
    const CBasicConformer copy = support::renumbered(ether, order);
    const auto found = confsearch::atom_correspondence(CBondGraph(ether), CBondGraph(copy));
    ASSERT_TRUE(found.has_value());
    // Atom i of the ether is atom found[i] of the copy: same element, and the bonds agree.
    const CBondGraph graph(ether);
    const CBondGraph copy_graph(copy);
    for (int i = 1; i <= ether.get_size(); ++i)
        EXPECT_EQ(copy.get_element((*found)[i]).get_number(), ether.get_element(i).get_number());
    for (const PerceivedBond& bond : graph.get_bonds())
        EXPECT_TRUE(copy_graph.bonded((*found)[bond.atom1], (*found)[bond.atom2]));
    // The O and the tert-butyl carbon are unique: they must land where the scrambling put them.
    EXPECT_EQ(order[static_cast<std::size_t>((*found)[1] - 1)], 1);
    EXPECT_EQ(order[static_cast<std::size_t>((*found)[2] - 1)], 2);

    // Ethanol and dimethyl ether: the same atoms, other bonds.
    support::Builder ether_builder;
    const int o = ether_builder.add(8, CVECTOR(0, 0, 0));
    const int c1 = ether_builder.add(6, CVECTOR(1.41, 0, 0));
    const int c2 = ether_builder.add(
        6, CVECTOR(1.41 * std::cos(radian(111)), 1.41 * std::sin(radian(111)), 0));
    ether_builder.methyl_hydrogens(c1, o, c2);
    ether_builder.methyl_hydrogens(c2, o, c1);
    EXPECT_FALSE(confsearch::atom_correspondence(CBondGraph(support::molecule("ethanol")),
                                                 CBondGraph(ether_builder.conformer())));
}

TEST(Chirality, StereocentresAndWhetherTheMirrorImageDiffers) {
    struct Case {
        std::string name;
        CBasicConformer molecule;
        std::vector<int> centres;
        bool chiral;
    };
    const std::vector<Case> cases = {
        {"ethanol", support::molecule("ethanol"), {}, false},
        {"butane", support::molecule("butane"), {}, false},
        {"tert-butyl methyl ether", support::tert_butyl_methyl_ether(), {}, false},
        // C1 carries H, CH3, C2H5 and OH.
        {"butan-2-ol", support::butan_2_ol(), {1}, true},
        {"butan-2-ol mirrored", support::moved(support::butan_2_ol(), true), {1}, true},
        // Two centres of opposite handedness exchanged by the graph's symmetry: meso.
        {"meso-butane-2,3-diol", support::butane_2_3_diol(true), {1, 2}, false},
        {"(R,R)-butane-2,3-diol", support::butane_2_3_diol(false), {1, 2}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CBondGraph graph(c.molecule);
        const auto centres =
            confsearch::find_stereocentres(graph, SymmetryClasses(graph), c.molecule);
        std::vector<int> atoms;
        for (const auto& centre : centres) atoms.push_back(centre.atom);
        EXPECT_EQ(atoms, c.centres);
        EXPECT_EQ(confsearch::is_chiral(graph, centres), c.chiral);
    }
}
