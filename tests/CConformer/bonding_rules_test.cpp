#include <gtest/gtest.h>
#include "CConformer.h"

#include "TestSupport.h"

#include <climits>
#include <iostream>
#include <string>
#include <vector>

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

namespace {

struct Placed {
    const char* symbol;
    CVECTOR at;
};

// A conformer of the given atoms; bonds is the text of a bond-list file, or null for a
// conformer without a bond list.
CBasicConformer molecule(const std::vector<Placed>& atoms, const char* bonds) {
    CBasicConformer c(static_cast<int>(atoms.size()));
    for (int i = 1; i <= c.get_size(); ++i)
        c.set_exyz(i, CELEMENT(atoms[i - 1].symbol), atoms[i - 1].at);
    if (bonds != nullptr) {
        support::TempDir dir;
        dir.write("bonds", bonds);
        EXPECT_TRUE(c.read_bondlist(dir.file("bonds")));
    }
    return c;
}

struct Verdict {
    bool legit;
    std::string printed;
};

// Runs a check with standard output captured in a fresh stream's number format (other
// writers leave fixed notation or 15 digits behind on it) and restores the format after.
template <typename F>
Verdict judged(F check) {
    const std::ios_base::fmtflags flags = std::cout.flags();
    const std::streamsize precision = std::cout.precision();
    std::cout.unsetf(std::ios_base::floatfield);
    std::cout.precision(6);
    CaptureStdout();
    const bool legit = check();
    Verdict verdict{legit, GetCapturedStdout()};
    std::cout.flags(flags);
    std::cout.precision(precision);
    return verdict;
}

}  // namespace

TEST(BondLookup, PairsMatchInEitherOrder) {
    const CBasicConformer water =
        molecule({{"O", {0, 0, 0}}, {"H", {0.96, 0, 0}}, {"H", {0, 0.96, 0}}}, "2\n1 2\n3 1\n");
    EXPECT_TRUE(water.bebonding(1, 2));
    EXPECT_TRUE(water.bebonding(2, 1));
    EXPECT_TRUE(water.bebonding(3, 1));
    EXPECT_FALSE(water.bebonding(2, 3));
    // Without a bond list the first atom named is thrown, not the lower one.
    const CBasicConformer bare = molecule({{"O", {0, 0, 0}}, {"H", {0.96, 0, 0}}}, nullptr);
    EXPECT_EQ(support::thrown<int>([&] { bare.bebonding(2, 1); }), 2);
}

// Bonding distances: C-H 0.885 + 0.365 = 1.25, H-H 0.73 angstrom. A bond may be as long as
// the bonding distance; a non-bonded pair must lie beyond it.
TEST(PairLegitimacy, DistanceAgainstBondingDistance) {
    struct Case {
        const char* first;
        const char* second;
        const char* bonds;
        double distance;
        int i;
        int j;
        bool legit;
        const char* printed;
    };
    const Case cases[] = {
        {"C", "H", "1\n1 2\n", 1.09, 1, 2, true, ""},
        {"C", "H", "1\n1 2\n", 1.25, 1, 2, true, ""},
        {"C", "H", "1\n1 2\n", 1.30, 1, 2, false, "1 2: 1.3 > 1.25\n"},
        {"C", "H", "0\n", 1.30, 1, 2, true, ""},
        {"C", "H", "0\n", 1.09, 2, 1, false, "2 1: 1.09 <= 1.25\n"},
        {"H", "H", "0\n", 0.70, 1, 2, false, "1 2: 0.7 <= 0.73\n"},
        {"H", "H", "0\n", 0.73, 1, 2, false, "1 2: 0.73 <= 0.73\n"},
        {"H", "H", "0\n", 0.75, 1, 2, true, ""},
        // Elements without a radius have a bonding distance of 0.
        {"Fe", "Fe", "1\n1 2\n", 2.5, 1, 2, false, "1 2: 2.5 > 0\n"},
        {"Fe", "Fe", "0\n", 0.1, 1, 2, true, ""},
    };
    for (const Case& c : cases) {
        const CBasicConformer pair =
            molecule({{c.first, {0, 0, 0}}, {c.second, {0, c.distance, 0}}}, c.bonds);
        const Verdict v = judged([&] { return pair.legit_bonding(c.i, c.j); });
        EXPECT_EQ(v.legit, c.legit) << c.first << c.second << " " << c.distance;
        EXPECT_EQ(v.printed, c.printed) << c.first << c.second << " " << c.distance;
    }
}

TEST(PairLegitimacy, AtomsOutsideTheMoleculeThrowTheirIndex) {
    const CBasicConformer water =
        molecule({{"O", {0, 0, 0}}, {"H", {0.96, 0, 0}}, {"H", {0, 0.96, 0}}}, "2\n1 2\n1 3\n");
    EXPECT_EQ(support::thrown<int>([&] { water.legit_bonding(1, 4); }), 4);
    EXPECT_EQ(support::thrown<int>([&] { water.legit_bonding(0, 2); }), 0);
    EXPECT_EQ(support::thrown<int>([&] { water.legit_bonding(-3, 2); }), -3);
}

TEST(MoleculeLegitimacy, StopsAtFirstFailingPair) {
    // Three hydrogens closer together than 0.73 angstrom, none of them bonded: every pair
    // fails, but only the first is reported.
    const CBasicConformer crowded =
        molecule({{"H", {0, 0, 0}}, {"H", {0.5, 0, 0}}, {"H", {0, 0.5, 0}}}, "0\n");
    const Verdict v = judged([&] { return crowded.islegit(); });
    EXPECT_FALSE(v.legit);
    EXPECT_EQ(v.printed, "1 2: 0.5 <= 0.73\n");

    const CBasicConformer water =
        molecule({{"O", {0, 0, 0}}, {"H", {0.96, 0, 0}}, {"H", {-0.24, 0.93, 0}}}, "2\n1 2\n1 3\n");
    EXPECT_TRUE(judged([&] { return water.islegit(); }).legit);
    // The O-H bond list, but one hydrogen pulled off to 1.5 angstrom: pair (1, 3) fails.
    const CBasicConformer stretched =
        molecule({{"O", {0, 0, 0}}, {"H", {0.96, 0, 0}}, {"H", {0, 1.5, 0}}}, "2\n1 2\n1 3\n");
    EXPECT_EQ(judged([&] { return stretched.islegit(); }).printed, "1 3: 1.5 > 1.205\n");
}

TEST(MoleculeLegitimacy, NeedsBondListFromTwoAtoms) {
    EXPECT_TRUE(CBasicConformer(0).islegit());
    EXPECT_TRUE(molecule({{"C", {0, 0, 0}}}, nullptr).islegit());
    const CBasicConformer pair = molecule({{"C", {0, 0, 0}}, {"C", {5, 0, 0}}}, nullptr);
    EXPECT_EQ(support::thrown<int>([&] { pair.islegit(); }), 1);
}
