#include <gtest/gtest.h>
#include "CConformer.h"

#include "ConformerSupport.h"
#include "TestSupport.h"

#include <climits>
#include <string>
#include <utility>

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
