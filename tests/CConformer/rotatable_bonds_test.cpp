#include <gtest/gtest.h>
#include "CConformer.h"

#include "ConformerSupport.h"
#include "PerceptionSupport.h"
#include "TestSupport.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <tuple>
#include <vector>

using namespace confsearch;

namespace {

// A rotatable bond as a chemist names it: its two atoms, lower number first, and steps.
using Bond = std::tuple<int, int, int>;

std::vector<Bond> rotatable_bonds(const CBasicConformer& molecule) {
    const CConformerSetup setup(molecule);
    std::vector<Bond> bonds;
    for (const auto& bond : setup.get_rotatable_bonds()) {
        // The generator turns the moving atom's side: it must hang on the fixed atom.
        EXPECT_EQ(setup.get_tree().get_parent(bond.atom_b), bond.atom_a);
        bonds.emplace_back(std::min(bond.atom_a, bond.atom_b), std::max(bond.atom_a, bond.atom_b),
                           bond.steps);
    }
    std::sort(bonds.begin(), bonds.end());
    return bonds;
}

// Turns every rotatable bond in the Z-matrix read from the written file, as the
// generator does: only the atoms below the moving atom may move, and every perceived bond
// keeps its length.
void expect_turns_keep_bonds(const CBasicConformer& molecule, const std::string& name) {
    SCOPED_TRACE(name);
    const int n = molecule.get_size();
    const CConformerSetup setup(molecule);
    const CZmatrixTree& tree = setup.get_tree();
    support::TempDir dir;
    setup.write_zmatrix_file(dir.file("m.zmat"));
    CZMATRIX z(n);
    ASSERT_TRUE(z.read_linkmatrix(dir.file("m.zmat")));
    CCLUSTER xyz(n);
    for (int i = 1; i <= n; ++i) xyz[i] = molecule.get_vector(i);
    z.combine_zmatrix(xyz);
    z.translate(xyz);  // point row is now the atom of that row

    for (const auto& bond : setup.get_rotatable_bonds()) {
        const CCLUSTER before = xyz;
        const int b = tree.get_row(bond.atom_b);
        ASSERT_TRUE(z.rotate(tree.get_row(bond.atom_a), b, 2 * PI / bond.steps));
        ASSERT_TRUE(z.quick_translate(xyz, b));
        // An atom beyond the bond at r from its axis moves by the chord 2 r sin(step / 2).
        const std::vector<int> side = tree.get_subtree(bond.atom_b);
        const CVECTOR axis_a = before[tree.get_row(bond.atom_a)];
        const CVECTOR axis_b = before[b];
        for (int row = 1; row <= n; ++row) {
            const int atom = tree.get_atom(row);
            const bool beyond = std::binary_search(side.begin(), side.end(), atom);
            const double r = before[row].distance(before[row].p_fop(axis_a, axis_b));
            const double chord = beyond ? 2 * r * std::sin(PI / bond.steps) : 0.0;
            EXPECT_NEAR(xyz[row].distance(before[row]), chord, 1e-9) << "atom " << atom;
        }
        for (const auto& perceived : setup.get_bonds().get_bonds()) {
            const double length =
                xyz[tree.get_row(perceived.atom1)].distance(xyz[tree.get_row(perceived.atom2)]);
            EXPECT_NEAR(length, perceived.length, 1e-6)
                << perceived.atom1 << "-" << perceived.atom2;
        }
    }
}

}  // namespace

TEST(RotatableBonds, ChemistsAnswers) {
    const std::vector<std::pair<std::string, std::vector<Bond>>> cases = {
        {"butane", {{2, 3, 3}}},            // the methyl ends only permute hydrogens
        {"ethanol", {{2, 3, 3}}},           // C-O; C-C ends in a methyl
        {"trifluoroethanol", {{2, 3, 3}}},  // CF3 like CH3
        {"benzene", {}},
        {"cyclohexane", {}},                // ring bonds
        {"biphenyl", {{1, 7, 2}}},          // aryl-aryl
        {"n_ethylacetamide", {{4, 5, 6}}},  // the amide C-N is a partial double bond
        {"nitrobenzene", {}},               // a half turn only swaps the two oxygens
        {"water", {}},
    };
    for (const auto& [name, bonds] : cases) {
        EXPECT_EQ(rotatable_bonds(support::molecule(name)), bonds) << name;
    }
    // Butan-2-ol: the ethyl C1-C6 and the hydroxyl C1-O11.
    EXPECT_EQ(rotatable_bonds(support::butan_2_ol()), (std::vector<Bond>{{1, 6, 3}, {1, 11, 3}}));
}

TEST(RotatableBonds, ChemistsAnswersForRealOutputs) {
    SKIP_WITHOUT_REAL_OUTPUTS();
    // Divinylbenzene: the two ring-vinyl bonds, both ends sp2. The aminox catalyst: the
    // enamine C3-N4, the ring carbon to the carboxyl C5-C11 and the acid's C11-O18.
    EXPECT_EQ(rotatable_bonds(support::real_output(support::DIVINYLBENZENE)),
              (std::vector<Bond>{{1, 14, 2}, {4, 9, 2}}));
    EXPECT_EQ(rotatable_bonds(support::real_output(support::AMINOX_CATALYST)),
              (std::vector<Bond>{{3, 4, 6}, {5, 11, 6}, {11, 18, 6}}));
}

TEST(RotatableBonds, EthanolTurnsItsHydroxylHydrogen) {
    const CConformerSetup setup(support::molecule("ethanol"));
    ASSERT_EQ(setup.get_rotatable_bonds().size(), 1u);
    const CRotatableBond& bond = setup.get_rotatable_bonds()[0];
    EXPECT_EQ(bond.atom_a, 2);
    EXPECT_EQ(bond.atom_b, 3);
    EXPECT_EQ(setup.get_tree().get_subtree(bond.atom_b), (std::vector<int>{3, 4}));
}

TEST(RotatableBonds, TurningMovesOnlyTheFarSideAndKeepsEveryBond) {
    for (const char* name : {"butane", "ethanol", "biphenyl", "n_ethylacetamide"})
        expect_turns_keep_bonds(support::molecule(name), name);
    expect_turns_keep_bonds(support::butan_2_ol(), "butan-2-ol");
}

TEST(RotatableBonds, MultipleBondsByLength) {
    // Typical lengths in angstrom, and whether the bond is double, aromatic or amide.
    const std::vector<std::tuple<int, int, double, bool>> cases = {
        {6, 6, 1.54, false},  // ethane
        {6, 6, 1.48, false},  // biphenyl, between the rings
        {6, 6, 1.39, true},   // benzene
        {6, 6, 1.34, true},   // ethene
        {6, 7, 1.47, false},  // amine
        {7, 6, 1.35, true},   // amide, either order
        {6, 8, 1.43, false},  // alcohol
        {6, 8, 1.34, false},  // ester C-O
        {6, 8, 1.22, true},   // carbonyl
        {7, 8, 1.22, true},   // nitro
        {6, 1, 1.09, false},  // C-H has no multiple bond
        {6, 17, 1.2, false},  // nor C-Cl
    };
    for (const auto& [z1, z2, length, multiple] : cases) {
        EXPECT_EQ(is_multiple_bond(z1, z2, length), multiple) << z1 << "-" << z2 << " " << length;
    }
}

TEST(RotatableBonds, AtomShapes) {
    const CBasicConformer acetylene = support::conformer_of(
        {{1, -1.66, 0.01, 0}, {6, -0.6, 0, 0}, {6, 0.6, 0, 0}, {1, 1.66, 0.01, 0}});
    const std::vector<std::tuple<CBasicConformer, int, AtomShape>> cases = {
        {support::molecule("benzene"), 1, AtomShape::trigonal},
        {support::molecule("benzene"), 7, AtomShape::terminal},
        {support::molecule("butane"), 2, AtomShape::tetrahedral},
        {support::molecule("ethanol"), 3, AtomShape::tetrahedral},        // bent O, single bonds
        {support::molecule("n_ethylacetamide"), 4, AtomShape::trigonal},  // planar amide N
        {acetylene, 2, AtomShape::linear},
    };
    for (const auto& [molecule, atom, shape] : cases) {
        EXPECT_EQ(atom_shape(molecule, CBondGraph(molecule), atom), shape) << atom;
    }
}
