#include <gtest/gtest.h>
#include "CConformer.h"

#include "ConformerSupport.h"
#include "TestSupport.h"

#include <climits>
#include <string>
#include <utility>

using namespace confsearch;

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

namespace {

// The same molecule turned about an oblique axis and shifted; mirrored first if asked.
CBasicConformer moved(const CBasicConformer& c, bool mirrored = false) {
    CBasicConformer m(c);
    for (int i = 1; i <= c.get_size(); ++i) {
        CVECTOR p = c.get_vector(i);
        if (mirrored) p.x = -p.x;
        m.set_exyz(i, c.get_element(i), p.rotate(CVECTOR(1, 2, -0.5), 1.1) + CVECTOR(5, -3, 2));
    }
    return m;
}

void shift(CBasicConformer& c, int i, const CVECTOR& d) {
    c.set_exyz(i, c.get_element(i), c.get_vector(i) + d);
}

}  // namespace

class EthanolIdentity : public testing::Test {
protected:
    const CBasicConformer ethanol = support::molecule("ethanol");
    const CBasicConformer turned = moved(ethanol);
    std::string printed;

    bool same(const CBasicConformer& other, double tol, const int* equiv,
              IdentityRule rule = IdentityRule::superposition) {
        CaptureStdout();
        const bool result = ethanol.identical_xyz(other, tol, 1, equiv, rule);
        printed = GetCapturedStdout();
        return result;
    }
};

TEST_F(EthanolIdentity, RigidMotionIsIdenticalUnderBothRulesAndSilent) {
    EXPECT_TRUE(same(turned, 0.01, nullptr));
    EXPECT_EQ(printed, "");
    const int no_list[] = {0};
    EXPECT_TRUE(same(turned, 0.01, no_list, IdentityRule::distance_profile));
    EXPECT_EQ(printed, "");
}

TEST_F(EthanolIdentity, DisplacementIsJudgedStrictlyAgainstTolerance) {
    CBasicConformer nudged = turned;
    shift(nudged, 6, CVECTOR(0.02, 0, 0));
    EXPECT_FALSE(same(nudged, 0.01, nullptr));
    EXPECT_EQ(printed, "6 elem not equal.  ");
    EXPECT_TRUE(same(nudged, 0.03, nullptr));

    // Exactly representable coordinates: a difference of exactly tol does not match.
    const CBasicConformer a = support::from_xyz("4\n\nC 0 0 0\nH 1 0 0\nH 0 1 0\nH 0 0 1\n", 4);
    CBasicConformer b = a;
    shift(b, 4, CVECTOR(0, 0, 0.5));
    CaptureStdout();
    EXPECT_FALSE(a.identical_xyz(b, 0.5, 1, nullptr));
    EXPECT_TRUE(a.identical_xyz(b, 0.5 + 1e-9, 1, nullptr));
    EXPECT_EQ(GetCapturedStdout(), "4 elem not equal.  ");
}

TEST_F(EthanolIdentity, MirrorImageDiffersOnlyUnderSuperposition) {
    // Anti ethanol is achiral, but with numbered atoms its mirror image trades the places
    // of the two CH2 hydrogens, 5 and 6.
    const CBasicConformer mirror = moved(ethanol, true);
    EXPECT_FALSE(same(mirror, 0.01, nullptr));
    EXPECT_EQ(printed, "5 elem not equal.  ");
    EXPECT_TRUE(same(mirror, 0.01, nullptr, IdentityRule::distance_profile));
    // The comparison works on a copy: the caller's geometry is untouched, bit for bit.
    support::expect_same_geometry(ethanol, support::molecule("ethanol"), 0.0);
}

TEST_F(EthanolIdentity, InterchangeableMethylHydrogensMatchAsASet) {
    CBasicConformer swapped = turned;
    swapped.set_exyz(8, CELEMENT(1), turned.get_vector(9));
    swapped.set_exyz(9, CELEMENT(1), turned.get_vector(8));
    const int methyl[] = {2, 8, 9};
    EXPECT_TRUE(same(swapped, 0.01, methyl));
    EXPECT_EQ(printed, "\n\ta1 b2 of 8 9 same \n\ta2 b1 of 9 8 same \n");
    EXPECT_TRUE(same(swapped, 0.01, methyl, IdentityRule::distance_profile));
    EXPECT_FALSE(same(swapped, 0.01, nullptr));
    EXPECT_EQ(printed, "8 elem not equal.  ");

    shift(swapped, 9, CVECTOR(0, 0.5, 0));
    EXPECT_FALSE(same(swapped, 0.01, methyl));
    EXPECT_EQ(printed, "\n\ta1 b2 of 8 9 same \n9 No matching!");
}

TEST_F(EthanolIdentity, SizesMustAgreeAndSuperpositionNeedsThreeAtoms) {
    const CBasicConformer water = support::molecule("water");
    const auto distances = IdentityRule::distance_profile;
    EXPECT_EQ(support::thrown<int>([&] { ethanol.identical_xyz(water, 0.01, 1, nullptr); }), 9);
    EXPECT_EQ(
        support::thrown<int>([&] { ethanol.identical_xyz(water, 0.01, 1, nullptr, distances); }),
        9);
    const CBasicConformer pair(2);
    EXPECT_EQ(support::thrown<int>([&] { pair.identical_xyz(pair, 0.01, 1, nullptr); }), 2);
    const int two_of_three[] = {2, 3, 0, 1};
    EXPECT_EQ(support::thrown<int>([&] { water.match(water, two_of_three, 0.01, 1, nullptr); }), 2);
}

TEST_F(EthanolIdentity, MatchComparesMappedSubset) {
    // other holds O, CH2 carbon, CH3 carbon and hydroxyl H of the turned copy, in that order.
    CBasicConformer core(4);
    const int from[] = {3, 2, 1, 4};
    for (int j = 0; j < 4; ++j)
        core.set_exyz(j + 1, turned.get_element(from[j]), turned.get_vector(from[j]));
    const int map[] = {4, 3, 2, 1, 4, 0, 0, 0, 0, 0};
    EXPECT_TRUE(ethanol.match(core, map, 0.01, 3, nullptr));
    shift(core, 4, CVECTOR(0, 0, 0.1));
    CaptureStdout();
    EXPECT_FALSE(ethanol.match(core, map, 0.01, 3, nullptr));
    EXPECT_EQ(GetCapturedStdout(), "4 elem not equal.  ");
}

TEST(SuperpositionRule, CopyTurnedByExactHalfTurnIsIdentical) {
    // Anchor atom 2 of the copy points exactly away from where it should: no axis comes out
    // of the cross product, yet the two are one structure.
    const CBasicConformer a = support::from_xyz("4\n\nC 0 0 0\nH 1 0 0\nH 0 1 0\nH 0 0 1\n", 4);
    const CBasicConformer b = support::from_xyz("4\n\nC 0 0 0\nH -1 0 0\nH 0 -1 0\nH 0 0 1\n", 4);
    CaptureStdout();
    EXPECT_TRUE(a.identical_xyz(b, 0.01, 1, nullptr));
    EXPECT_EQ(GetCapturedStdout(), "");
}

namespace {

// Nine atoms; with reference atom 1 the anchors are 1, 4 and 7, at the same places in both
// geometries, so that nothing is moved. Atoms 2, 3, 5 and 6 lie on a line at z = 3 (or, for
// the distance rule, on the z axis) at the coordinates given; 8 and 9 stay put.
CBasicConformer on_a_line(const std::vector<double>& at, bool radial) {
    CBasicConformer c(9);
    const CVECTOR fixed[] = {{0, 0, 0},  {0, 0, -3}, {0, 0, -4}, {2, 0, 0}, {0, 0, -5},
                             {0, 0, -6}, {0, 2, 0},  {2, 2, 0},  {-2, 2, 0}};
    for (int i = 1; i <= 9; ++i) c.set_exyz(i, CELEMENT(1), fixed[i - 1]);
    const int placed[] = {2, 3, 5, 6};
    for (std::size_t j = 0; j < at.size(); ++j)
        c.set_exyz(placed[j], CELEMENT(1), radial ? CVECTOR(0, 0, at[j]) : CVECTOR(at[j], 0, 3));
    return c;
}

}  // namespace

// The greedy pairing gives each listed atom the first free partner within tolerance (0.5)
// for good; the grouped one takes the least total squared deviation. Worked by hand.
TEST(InterchangeablePairing, OptimalPairingFindsWhatGreedyMisses) {
    struct Case {
        const char* what;
        IdentityRule rule;
        std::vector<std::vector<int>> groups;  // none: `listed` as a greedy list
        std::vector<int> listed;
        std::vector<double> mine, theirs;
        bool identical;
        std::string printed;
    };
    const auto distances = IdentityRule::distance_profile;
    // Other's 2 (0.3) lies within 0.5 of my 2 (0) and 3 (0.4), other's 3 (-0.2) of my 2 only.
    const std::vector<double> two = {0, 0.4}, two_moved = {0.3, -0.2};
    // Other's atoms lie 0.3 further on but its 6, 0.2 before my 2: least total
    // 0.04 + 3 * 0.01 with 2-3, 3-5, 5-6 and 6-2. As distances from atom 1, mine are 0.3
    // further than other's, but my 6 is 0.2 nearer than other's 2.
    const std::vector<double> four = {0, 0.4, 0.8, 1.2}, four_moved = {0.3, 0.7, 1.1, -0.2};
    const std::vector<double> far = {3.3, 3.7, 4.1, 2.8}, near = {3.0, 3.4, 3.8, 4.2};
    const auto superposition = IdentityRule::superposition;
    using Groups = std::vector<std::vector<int>>;
    const Groups greedy = {}, pair = {{2, 3}}, singles = {{2}, {3}}, quartet = {{2, 3, 5, 6}};
    const std::vector<int> none = {};
    const Case cases[] = {
        {"greedy two", superposition, greedy, pair[0], two, two_moved, false,
         "\n\ta1 b1 of 2 2 same \n3 No matching!"},
        {"optimal two", superposition, pair, none, two, two_moved, true,
         "\n\ta1 b2 of 2 3 same \n\ta2 b1 of 3 2 same \n"},
        {"one atom a group", superposition, singles, none, two, two_moved, false,
         "\n\ta1 b1 of 2 2 same \n3 No matching!"},
        {"greedy four", superposition, greedy, quartet[0], four, four_moved, false,
         "\n\ta1 b1 of 2 2 same \n\ta2 b2 of 3 3 same \n\ta3 b3 of 5 5 same \n6 No matching!"},
        {"optimal four", superposition, quartet, none, four, four_moved, true,
         "\n\ta1 b2 of 2 3 same \n\ta2 b3 of 3 5 same \n\ta3 b4 of 5 6 same \n\ta4 b1 of 6 2 same "
         "\n"},
        {"distances", distances, quartet, none, far, near, true,
         "\n\ta1 b2 of 2 3 same -0.1\n\ta2 b3 of 3 5 same -0.1\n\ta3 b4 of 5 6 same -0.1"
         "\n\ta4 b1 of 6 2 same -0.2\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const bool radial = c.rule == distances;
        const CBasicConformer mine = on_a_line(c.mine, radial);
        const CBasicConformer theirs = on_a_line(c.theirs, radial);
        InterchangeableGroups groups;
        for (const auto& group : c.groups) groups.add(group);
        std::vector<int> listed = {static_cast<int>(c.listed.size())};
        listed.insert(listed.end(), c.listed.begin(), c.listed.end());
        CaptureStdout();
        EXPECT_EQ(c.groups.empty() ? mine.identical_xyz(theirs, 0.5, 1, listed.data(), c.rule)
                                   : mine.identical_xyz(theirs, 0.5, 1, groups, c.rule),
                  c.identical);
        EXPECT_EQ(GetCapturedStdout(), c.printed);
    }
}

TEST(InterchangeablePairing, PairingWithinToleranceComesBeforeTheLeastTotal) {
    // Squared distances: 2-2 and 3-3 0.3075 (z off by 0.55), 2-3 and 3-2 0.4675 (within
    // 0.5 on every axis): the least total leaves atom 2 out, the crossed pairing does not.
    CBasicConformer mine = on_a_line({}, false);
    CBasicConformer theirs = on_a_line({}, false);
    mine.set_exyz(2, CELEMENT(1), CVECTOR(0, 0, 3));
    mine.set_exyz(3, CELEMENT(1), CVECTOR(0.4, 0.4, 3.3));
    theirs.set_exyz(2, CELEMENT(1), CVECTOR(-0.05, -0.05, 3.55));
    theirs.set_exyz(3, CELEMENT(1), CVECTOR(0.45, 0.45, 2.75));
    InterchangeableGroups groups;
    groups.add({2, 3});
    CaptureStdout();
    EXPECT_TRUE(mine.identical_xyz(theirs, 0.5, 1, groups));
    EXPECT_EQ(GetCapturedStdout(), "\n\ta1 b2 of 2 3 same \n\ta2 b1 of 3 2 same \n");
}

TEST(InterchangeablePairing, GroupsSharingAtomsAreJoined) {
    struct Step {
        std::vector<int> atoms;
        bool joined;
        std::vector<std::vector<int>> groups;
    };
    const Step steps[] = {
        {{7, 8, 9}, false, {{7, 8, 9}}},
        {{5, 6}, false, {{7, 8, 9}, {5, 6}}},
        {{12, 3, 12}, false, {{7, 8, 9}, {5, 6}, {3, 12}}},
        // The first and the last join in the place of the first.
        {{9, 3, 4}, true, {{3, 4, 7, 8, 9, 12}, {5, 6}}},
    };
    InterchangeableGroups groups;
    for (const Step& step : steps) {
        EXPECT_EQ(groups.add(step.atoms), step.joined);
        EXPECT_EQ(groups.get_groups(), step.groups);
    }
    EXPECT_TRUE(groups.contains(12) && !groups.contains(10));
    // A grouped atom outside the molecule is refused like any atom out of range.
    groups.add({10});
    const CBasicConformer water = support::molecule("water");
    EXPECT_EQ(support::thrown<int>([&] { water.identical_xyz(water, 0.1, 1, groups); }), 3);
}
