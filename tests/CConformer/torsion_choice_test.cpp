#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "CConformer.h"
#include "ConformerSupport.h"
#include "max_matching.h"

using namespace confsearch;

namespace {

using Kind = TorsionKind;
// A bond as a chemist names it: its atoms (lower first), the positions taken, its kind.
using Bond = std::tuple<int, int, int, Kind>;

std::vector<Bond> torsions(const CBasicConformer& molecule, const TorsionOptions& options = {}) {
    const CConformerSetup setup(molecule);
    std::vector<Bond> bonds;
    for (const TorsionChoice& t :
         choose_torsions(molecule, setup.get_bonds(), setup.get_tree(), options))
        bonds.emplace_back(std::min(t.fixed_atom, t.moving_atom),
                           std::max(t.fixed_atom, t.moving_atom), t.positions, t.kind);
    std::sort(bonds.begin(), bonds.end());
    return bonds;
}

CBasicConformer example(const std::string& path) {
    CBasicConformer molecule;
    EXPECT_TRUE(read_xyz_file(std::string(EXAMPLES_DIR) + "/" + path, molecule).ok()) << path;
    return molecule;
}

// The molecule with the atoms listed moved along the bond from `anchor` to `atom` until
// that bond is `length` angstrom long: a force-field geometry of the same molecule.
CBasicConformer stretched(const CBasicConformer& molecule, int anchor, int atom, double length,
                          const std::vector<int>& moved) {
    CBasicConformer m = molecule;
    const CVECTOR a = m.get_vector(anchor);
    const CVECTOR b = m.get_vector(atom);
    const CVECTOR shift = (b - a).normal() * (length - a.distance(b));
    for (const int i : moved) m.set_exyz(i, m.get_element(i), m.get_vector(i) + shift);
    return m;
}

CBasicConformer mirrored(const CBasicConformer& molecule) {
    CBasicConformer m = molecule;
    for (int i = 1; i <= m.get_size(); ++i) {
        const CVECTOR p = m.get_vector(i);
        m.set_exyz(i, m.get_element(i), CVECTOR(-p.x, p.y, p.z));
    }
    return m;
}

}  // namespace

TEST(TorsionChoice, ChemistsAnswers) {
    const Kind single = Kind::single;
    const Kind trigonal = Kind::trigonal_single;
    const std::vector<std::pair<std::string, std::vector<Bond>>> cases = {
        // The amide C-N is kept (trans, as given); the N-ethyl bond has a trigonal N.
        {"n_ethylacetamide", {{2, 4, 1, Kind::amide}, {4, 5, 6, trigonal}}},
        // Turning the tert-butyl group on its CH2 only exchanges its methyls.
        {"dimethylbutanol", {{2, 5, 1, Kind::symmetric}, {5, 6, 3, single}, {6, 7, 3, single}}},
        // The phenyl ring repeats itself after half a turn: 3 positions 60 degrees apart.
        {"phenethylammonium", {{2, 3, 3, single}, {3, 4, 3, trigonal}}},
        // Both rings twist against the C=O; each repeats itself after half a turn, so 2 of
        // the 4 steps: the propeller in both senses.
        {"benzophenone", {{2, 3, 2, Kind::aryl_carbonyl}, {2, 9, 2, Kind::aryl_carbonyl}}},
        {"biphenyl", {{1, 7, 2, Kind::aryl_aryl}}},
        {"nitrobenzene", {{1, 7, 1, Kind::symmetric}}},
        // The amide kept; the 2,6-dimethylphenyl ring on its N is symmetric.
        {"lidocaine",
         {{2, 3, 3, single},
          {3, 4, 3, single},
          {3, 6, 3, single},
          {6, 7, 6, trigonal},
          {7, 9, 1, Kind::amide},
          {9, 10, 1, Kind::symmetric}}},
        {"ethyl_propanoate", {{2, 3, 3, single}, {3, 4, 1, Kind::ester}, {4, 6, 6, trigonal}}},
        {"phenylpropanoic_acid",
         {{1, 2, 2, Kind::acid_hydroxyl},
          {2, 4, 6, trigonal},
          {4, 5, 3, single},
          {5, 6, 3, trigonal}}},
        {"tosylmethylamide", {{2, 3, 3, Kind::sulfonamide}, {3, 6, 3, trigonal}}},
        // tert-Butyl on an unsymmetric ring: 2 of 6 steps; the phenol O-H in the ring's plane.
        {"tert_butylphenol", {{2, 5, 2, trigonal}, {10, 11, 2, Kind::aryl_ether}}},
        // The piperidine chair is mirror-symmetric about the bond, not turned onto itself by
        // half a turn: both positions stay.
        {"piperidinopyridine", {{5, 7, 2, Kind::conjugated}}},
        // The chain's C=C is a double bond by its atoms; the phenyl ring is symmetric.
        {"methyl_cinnamate",
         {{2, 3, 1, Kind::ester},
          {3, 5, 2, Kind::conjugated},
          {5, 6, 1, Kind::double_bond},
          {6, 7, 1, Kind::symmetric}}},
    };
    for (const auto& [name, bonds] : cases)
        EXPECT_EQ(torsions(support::molecule(name)), bonds) << name;

    EXPECT_EQ(torsions(example("generator/leucine.xyz")),
              (std::vector<Bond>{{1, 2, 3, single},
                                 {2, 3, 6, trigonal},
                                 {2, 6, 3, single},
                                 {3, 5, 2, Kind::acid_hydroxyl},
                                 {6, 7, 3, single}}));
}

// Bond orders come from the atoms and their neighbours, so a force-field geometry with a
// long amide C-N or a stretched C=C is read as the optimised one.
TEST(TorsionChoice, LengthsDoNotDecideBondOrders) {
    const CBasicConformer amide = support::molecule("n_ethylacetamide");
    // N 4 and everything on it moved out to a C-N of 1.40 angstrom.
    const CBasicConformer long_amide =
        stretched(amide, 2, 4, 1.40, {4, 5, 6, 7, 11, 12, 13, 14, 15});
    EXPECT_EQ(torsions(long_amide), torsions(amide));

    const CBasicConformer cinnamate = support::molecule("methyl_cinnamate");
    // The CH=CH at 1.46 angstrom: the phenyl side moved out.
    std::vector<int> phenyl_side = {6, 7, 8, 9, 10, 11, 12};
    for (int h = 13; h <= cinnamate.get_size(); ++h)
        if (cinnamate.get_vector(h).distance(cinnamate.get_vector(5)) > 1.3)
            phenyl_side.push_back(h);
    const CBasicConformer long_double = stretched(cinnamate, 5, 6, 1.46, phenyl_side);
    EXPECT_EQ(torsions(long_double), torsions(cinnamate));
}

// A para-phenylene's flip can be taken once: by one of its two bonds, whose turn the
// other bond's positions make up. Ibuprofen: 3 x 6 x 6 x 2 x 3 combinations.
TEST(TorsionChoice, ParaPhenyleneHalvesOneOfItsBonds) {
    struct Case {
        CBasicConformer molecule;
        std::pair<int, int> first;
        std::pair<int, int> second;
        Combinations combinations;
    };
    const Case cases[] = {
        {support::molecule("ethylphenyl_ethanol"), {2, 3}, {6, 9}, 54},
        {example("ibuprofen/ibuprofen.xyz"), {1, 7}, {4, 12}, 648},
    };
    for (const Case& k : cases) {
        std::vector<int> ring_bonds;
        for (const auto& [a, b, positions, kind] : torsions(k.molecule))
            if (std::make_pair(a, b) == k.first || std::make_pair(a, b) == k.second)
                ring_bonds.push_back(positions);
        std::sort(ring_bonds.begin(), ring_bonds.end());
        EXPECT_EQ(ring_bonds, (std::vector<int>{3, 6})) << k.combinations;
        const CConformerSetup setup(k.molecule);
        EXPECT_EQ(
            count_combinations(choose_torsions(k.molecule, setup.get_bonds(), setup.get_tree())),
            k.combinations);
    }
}

// The choices are the same for a molecule and its mirror image.
TEST(TorsionChoice, MirrorImageChoosesAlike) {
    for (const char* name : {"lidocaine", "ethylphenyl_ethanol", "tert_butylphenol",
                             "piperidinopyridine", "benzophenone", "phenylpropanoic_acid"}) {
        const CBasicConformer molecule = support::molecule(name);
        EXPECT_EQ(torsions(mirrored(molecule)), torsions(molecule)) << name;
    }
    const CBasicConformer ibuprofen = example("ibuprofen/ibuprofen.xyz");
    EXPECT_EQ(torsions(mirrored(ibuprofen)), torsions(ibuprofen));
}

// Steps given for every turned bond count per full turn, symmetric sides taking their
// share. Bonds kept on request join the rigid part of their sides: ibuprofen's ring with
// its propanoic acid held is no longer symmetric, so the isobutyl bond takes all 6 steps.
TEST(TorsionChoice, StepsAndFixedBonds) {
    TorsionOptions three;
    three.steps = 3;
    EXPECT_EQ(torsions(support::molecule("phenylpropanoic_acid"), three),
              (std::vector<Bond>{{1, 2, 3, Kind::acid_hydroxyl},
                                 {2, 4, 3, Kind::trigonal_single},
                                 {4, 5, 3, Kind::single},
                                 {5, 6, 2, Kind::trigonal_single}}));

    const CBasicConformer ibuprofen = example("ibuprofen/ibuprofen.xyz");
    TorsionOptions fixed;
    fixed.fixed = {{7, 1}, {11, 9}};
    const std::vector<Bond> bonds = torsions(ibuprofen, fixed);
    EXPECT_EQ(bonds, (std::vector<Bond>{{1, 7, 1, Kind::fixed},
                                        {4, 12, 6, Kind::trigonal_single},
                                        {7, 9, 6, Kind::trigonal_single},
                                        {9, 11, 1, Kind::fixed},
                                        {12, 13, 3, Kind::single}}));
}

TEST(VdwRadii, PublishedValuesAndClashLimits) {
    // Bondi, with Rowland and Taylor's hydrogen; boron from Mantina et al.; an unlisted
    // metal at 2.0.
    const std::vector<std::pair<int, double>> radii = {
        {1, 1.10},  {5, 1.92},  {6, 1.70},  {7, 1.55}, {8, 1.52}, {9, 1.47}, {16, 1.80},
        {17, 1.75}, {35, 1.85}, {53, 1.98}, {26, 2.0}, {0, 2.0},  {200, 2.0}};
    for (const auto& [z, r] : radii) EXPECT_DOUBLE_EQ(vdw_radius(z), r) << z;
    EXPECT_NEAR(physical_clash_limit(1, 1, false), 1.54, 1e-12);
    EXPECT_NEAR(physical_clash_limit(6, 6, false), 2.38, 1e-12);
    EXPECT_NEAR(physical_clash_limit(1, 8, true), 1.5, 1e-12);
    // An O-H...O hydrogen bond; a C-H...O contact is none.
    EXPECT_TRUE(hydrogen_bond_pair(1, 8, 8));
    EXPECT_TRUE(hydrogen_bond_pair(7, 1, 7));
    EXPECT_FALSE(hydrogen_bond_pair(1, 8, 6));
    EXPECT_FALSE(hydrogen_bond_pair(1, 6, 8));
}

TEST(MaximumMatching, SizesOfSmallGraphs) {
    using Edges = std::vector<std::pair<int, int>>;
    const std::vector<std::tuple<int, Edges, int>> cases = {
        {3, {{0, 1}, {1, 2}, {2, 0}}, 1},                          // a triangle
        {4, {{0, 1}, {1, 2}, {2, 3}}, 2},                          // butadiene's carbons
        {5, {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 0}}, 2},          // an odd ring
        {6, {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 0}, {0, 5}}, 3},  // the odd ring and a tail
        // Two triangles joined by a bond: the augmenting path runs through both blossoms.
        {6, {{0, 1}, {1, 2}, {2, 0}, {2, 3}, {3, 4}, {4, 5}, {5, 3}}, 3},
        {2, {{0, 0}, {0, 7}, {-1, 1}}, 0},  // loops and vertices outside are ignored
    };
    for (const auto& [n, edges, size] : cases)
        EXPECT_EQ(detail::maximum_matching(n, edges), size) << n << " vertices";
}
