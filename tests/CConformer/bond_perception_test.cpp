#include <gtest/gtest.h>
#include "CConformer.h"

#include "ConformerSupport.h"
#include "PerceptionSupport.h"

#include <string>
#include <vector>

using namespace confsearch;

namespace {

// What a chemist counts in a molecule: atoms, bonds, ring bonds and rings.
struct Counts {
    int atoms;
    int bonds;
    int ring_bonds;
    int rings;
};

void expect_counts(const CBasicConformer& molecule, const Counts& expected,
                   const std::string& name) {
    SCOPED_TRACE(name);
    const CBondGraph graph(molecule);
    EXPECT_EQ(graph.get_size(), expected.atoms);
    EXPECT_EQ(static_cast<int>(graph.get_bonds().size()), expected.bonds);
    int ring_bonds = 0;
    for (const auto& bond : graph.get_bonds()) ring_bonds += bond.in_ring ? 1 : 0;
    EXPECT_EQ(ring_bonds, expected.ring_bonds);
    EXPECT_EQ(graph.get_ring_count(), expected.rings);
    EXPECT_EQ(graph.get_pieces().size(), 1u);
}

}  // namespace

TEST(CovalentRadii, FollowThePublishedTables) {
    // Cordero et al. for 1..96 (carbon sp3, iron low spin), Pyykko and Atsumi beyond.
    const std::vector<std::pair<int, double>> cases = {
        {1, 0.31},   {6, 0.76},  {7, 0.71},  {8, 0.66},  {17, 1.02}, {26, 1.32},
        {53, 1.39},  {82, 1.46}, {92, 1.96}, {96, 1.69}, {97, 1.68}, {112, 1.22},
        {118, 1.57}, {0, 0.0},   {119, 0.0}, {-1, 0.0},
    };
    for (const auto& [z, radius] : cases) EXPECT_DOUBLE_EQ(covalent_radius(z), radius) << z;
    for (int z = 1; z <= 118; ++z) EXPECT_GT(covalent_radius(z), 0.2) << z;
    EXPECT_DOUBLE_EQ(bonding_limit(6, 1), 0.76 + 0.31 + 0.45);
}

TEST(BondPerception, CountsWhatAChemistCounts) {
    const std::vector<std::pair<std::string, Counts>> cases = {
        {"water", {3, 2, 0, 0}},          {"ethanol", {9, 8, 0, 0}},
        {"butane", {14, 13, 0, 0}},       {"benzene", {12, 12, 6, 1}},
        {"cyclohexane", {18, 18, 6, 1}},  {"biphenyl", {22, 23, 12, 2}},
        {"nitrobenzene", {14, 14, 6, 1}}, {"n_ethylacetamide", {15, 14, 0, 0}},
    };
    for (const auto& [name, counts] : cases) expect_counts(support::molecule(name), counts, name);
    expect_counts(support::butan_2_ol(), {15, 14, 0, 0}, "butan-2-ol");
}

TEST(BondPerception, CountsTheBondsOfRealOutputs) {
    SKIP_WITHOUT_REAL_OUTPUTS();
    // Divinylbenzene C10H10: six ring bonds, two ring-vinyl, two C=C, ten C-H. The aminox
    // catalyst, the enamine of proline with propanal (C8H13NO2): one pyrrolidine ring.
    expect_counts(support::real_output(support::DIVINYLBENZENE), {20, 20, 6, 1}, "dvb");
    expect_counts(support::real_output(support::AMINOX_CATALYST), {24, 24, 5, 1}, "aminox");
    expect_counts(support::real_output(support::WATER_MP2), {3, 2, 0, 0}, "water");
}

TEST(BondPerception, NeighboursAndBondsOfEthanol) {
    const CBondGraph graph(support::molecule("ethanol"));
    EXPECT_EQ(graph.get_neighbours(2), (std::vector<int>{1, 3, 5, 6}));
    EXPECT_EQ(graph.get_neighbours(3), (std::vector<int>{2, 4}));
    EXPECT_EQ(graph.get_element(3), 8);
    const PerceivedBond* co = graph.find_bond(3, 2);
    ASSERT_NE(co, nullptr);
    EXPECT_EQ(co->atom1, 2);
    EXPECT_EQ(co->atom2, 3);
    EXPECT_NEAR(co->length, 1.4236, 1e-4);
    EXPECT_FALSE(graph.bonded(1, 3));
}

TEST(BondPerception, BondedUpToTheRadiiPlusTolerance) {
    // Two hydrogens: 0.31 + 0.31 + 0.45 = 1.07 angstrom.
    for (const auto& [distance, bonded] : {std::pair{1.069, true}, std::pair{1.071, false}}) {
        const CBondGraph graph(support::conformer_of({{1, 0, 0, 0}, {1, distance, 0, 0}}));
        EXPECT_EQ(graph.bonded(1, 2), bonded) << distance;
    }
}

TEST(BondPerception, MoleculeInPiecesKeepsEachPiece) {
    const CBondGraph graph(support::conformer_of({{8, 0, 0, 0.117},
                                                  {1, 0, 0.757, -0.469},
                                                  {1, 0, -0.757, -0.469},
                                                  {8, 3, 0, 0.117},
                                                  {1, 3, 0.757, -0.469},
                                                  {1, 3, -0.757, -0.469}}));
    EXPECT_EQ(graph.get_bonds().size(), 4u);
    EXPECT_EQ(graph.get_pieces(), (std::vector<std::vector<int>>{{1, 2, 3}, {4, 5, 6}}));
    EXPECT_EQ(graph.get_ring_count(), 0);
}

TEST(BondPerception, RefusesWhatItCannotPerceive) {
    const std::vector<std::pair<CBasicConformer, std::string>> cases = {
        {CBasicConformer(0), "the molecule has no atoms"},
        {support::conformer_of({{6, 0, 0, 0}, {0, 1.1, 0, 0}}), "atom 2 has no known element"},
        {support::conformer_of({{6, 0, 0, 0}, {1, 1.1, 0, 0}, {1, 1.1, 0.01, 0}}),
         "atoms 2 and 3 are 0.01 angstrom apart"},
    };
    for (const auto& [molecule, message] : cases) {
        const std::string why = support::refusal([&] { CBondGraph graph(molecule); });
        EXPECT_NE(why.find(message), std::string::npos) << why;
    }
}

TEST(TerminalGroups, EqualAtomsOnOneCentre) {
    using Groups = std::vector<std::tuple<int, int, std::vector<int>>>;
    const std::vector<std::pair<std::string, Groups>> cases = {
        {"ethanol", {{1, 1, {7, 8, 9}}, {2, 1, {5, 6}}}},
        {"trifluoroethanol", {{1, 9, {7, 8, 9}}, {2, 1, {5, 6}}}},
        {"water", {{1, 1, {2, 3}}}},
        {"nitrobenzene", {{7, 8, {8, 9}}}},
        {"benzene", {}},
    };
    for (const auto& [name, expected] : cases) {
        Groups found;
        for (const auto& group : find_terminal_groups(CBondGraph(support::molecule(name))))
            found.emplace_back(group.centre, group.element, group.atoms);
        EXPECT_EQ(found, expected) << name;
    }
}

TEST(TerminalGroups, SymmetricCentreCarriesThreeEqualTerminalAtoms) {
    const CBondGraph ethanol(support::molecule("ethanol"));
    const CBondGraph trifluoroethanol(support::molecule("trifluoroethanol"));
    const CBondGraph water(support::molecule("water"));
    EXPECT_TRUE(is_symmetric_terminal_centre(ethanol, 1, 2));           // CH3
    EXPECT_FALSE(is_symmetric_terminal_centre(ethanol, 2, 1));          // CH2 with the OH
    EXPECT_FALSE(is_symmetric_terminal_centre(ethanol, 2, 3));          // CH2 with the CH3
    EXPECT_FALSE(is_symmetric_terminal_centre(ethanol, 1, 3));          // not a neighbour
    EXPECT_TRUE(is_symmetric_terminal_centre(trifluoroethanol, 1, 2));  // CF3
    EXPECT_FALSE(is_symmetric_terminal_centre(water, 1, 2));
}
