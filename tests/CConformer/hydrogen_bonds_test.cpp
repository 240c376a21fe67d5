#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "CConformer.h"
#include "GeneratorSupport.h"

using namespace confsearch;

namespace {

using support::TempDir;
using support::TreeMolecule;

const double WIDEST_ANGLE = PI * 100 / 180;

// X-H...Y-H: donor X at the origin with its hydrogen H (atom 2), acceptor Y (atom 3, hung
// on X in the tree) on the x axis at distance d, and Y's own hydrogen pointing away.
// The hydrogen of X lies off the X...Y line so that the X-H-Y angle is about 170 degrees.
TreeMolecule donor_and_acceptor(const std::string& x, const std::string& y, double d) {
    TreeMolecule m;
    m.atoms = {{x, {0, 0, 0}, 0},
               {"H", {0.96, 0.09, 0}, 1},
               {y, {d, 0, 0}, 1},
               {"H", {d + 0.3, 0.92, 0}, 3}};
    return m;
}

// Reading the Z-matrix rebuilds the coordinates from it, to within rounding; the
// thresholds are tested on the positions as given (rows in file order here).
void load_exactly(CRotatableConformer& c, const TreeMolecule& m, const TempDir& dir) {
    support::load(c, m, dir);
    for (int i = 1; i <= c.get_size(); ++i) c.set_exyz(i, c.get_element(i), m.atoms[i - 1].at);
}

int bonds_found(const TreeMolecule& m) {
    TempDir dir;
    CRotatableConformer c(static_cast<int>(m.atoms.size()));
    load_exactly(c, m, dir);
    return c.get_Hbond_number();
}

TEST(HydrogenBonds, EnergyFollowsTheElementPair) {
    struct Case {
        const char* x;
        const char* y;
        int count;
        double energy;
    };
    const Case cases[] = {
        {"O", "O", 1, 5.0},
        {"N", "N", 1, 3.1},
        {"N", "O", 1, 1.9},
        {"O", "N", 1, 6.9},
        // A C-H is no donor, a carbon no acceptor.
        {"C", "O", 0, 0.0},
        {"O", "C", 0, 0.0},
    };
    for (const Case& k : cases) {
        TempDir dir;
        CRotatableConformer c(4);
        load_exactly(c, donor_and_acceptor(k.x, k.y, 2.79), dir);
        const std::string label = std::string(k.x) + "-H..." + k.y;
        ASSERT_EQ(c.get_Hbond_number(), k.count) << label;
        EXPECT_DOUBLE_EQ(c.get_Hbond_energy(0), k.energy) << label;
        if (k.count == 1) {
            const CHbond& bond = c.get_Hbonds()[1];
            EXPECT_EQ(bond.donor, 1);
            EXPECT_EQ(bond.hydrogen, 2);
            EXPECT_EQ(bond.acceptor, 3);
        }
    }
}

TEST(HydrogenBonds, DistanceAndAngleMustExceedTheirThresholds) {
    EXPECT_EQ(bonds_found(donor_and_acceptor("O", "O", 2.79)), 1);
    EXPECT_EQ(bonds_found(donor_and_acceptor("O", "O", 2.8)), 0);

    // The hydrogen at (0, 1, 0) sees X straight below it and Y at (2, 1 + b, 0): the
    // angle X-H-Y is 90 degrees plus atan(b / 2). b is walked bit by bit onto the width at
    // which an angle first counts.
    TreeMolecule m = donor_and_acceptor("O", "O", 2.5);
    double b = 2 * std::tan(10 * PI / 180);
    const auto angle_at_h = [](double lift) {
        return CVECTOR(0, 1, 0).p_angle(CVECTOR(0, 0, 0), CVECTOR(2, 1 + lift, 0));
    };
    for (int step = 0; step < 100000 && angle_at_h(b) != WIDEST_ANGLE; ++step)
        b = std::nextafter(b, angle_at_h(b) < WIDEST_ANGLE ? 1.0 : 0.0);
    ASSERT_EQ(angle_at_h(b), WIDEST_ANGLE) << "no geometry gives exactly 100 degrees";
    m.atoms[1].at = CVECTOR(0, 1, 0);
    m.atoms[2].at = CVECTOR(2, 1 + b, 0);
    EXPECT_EQ(bonds_found(m), 0);
    while (angle_at_h(b) <= WIDEST_ANGLE) b = std::nextafter(b, 1.0);
    m.atoms[2].at = CVECTOR(2, 1 + b, 0);
    EXPECT_EQ(bonds_found(m), 1);
}

// An amine N with two hydrogens towards an O-H whose hydrogen points back: N gives both
// of its hydrogens, O gives its own; the list runs donor, acceptor, hydrogen.
TEST(HydrogenBonds, ListRunsByDonorThenAcceptorThenHydrogen) {
    TreeMolecule m;
    m.atoms = {{"N", {0, 0, 0}, 0},
               {"H", {0.9, 0.3, 0}, 1},
               {"O", {2.7, 0, 0}, 1},
               {"H", {1.8, 0, 0.35}, 3},
               {"H", {0.9, -0.3, 0.1}, 1}};
    TempDir dir;
    CRotatableConformer c(5);
    support::load(c, m, dir);
    ASSERT_TRUE(c.find_Hbond());
    const std::vector<CHbond>& list = c.get_Hbonds();
    ASSERT_EQ(c.get_Hbond_number(), 3);
    const int expected[3][3] = {{1, 2, 3}, {1, 5, 3}, {3, 4, 1}};
    for (int k = 1; k <= 3; ++k) {
        EXPECT_EQ(list[k].donor, expected[k - 1][0]) << k;
        EXPECT_EQ(list[k].hydrogen, expected[k - 1][1]) << k;
        EXPECT_EQ(list[k].acceptor, expected[k - 1][2]) << k;
    }
    EXPECT_DOUBLE_EQ(c.get_Hbond_energy(1), 1.9);
    EXPECT_DOUBLE_EQ(c.get_Hbond_energy(3), 6.9);
    EXPECT_DOUBLE_EQ(c.get_Hbond_energy(0),
                     c.get_Hbond_energy(1) + c.get_Hbond_energy(2) + c.get_Hbond_energy(3));
    EXPECT_EQ(c.get_Hbond_energy(4), 0.0);
    EXPECT_EQ(c.get_Hbond_energy(-1), 0.0);
}

TEST(HydrogenBonds, MoleculesWithoutDonorsOrAtoms) {
    CRotatableConformer none(0);
    EXPECT_FALSE(none.find_Hbond());
    EXPECT_EQ(none.get_Hbond_number(), 0);
    EXPECT_EQ(none.get_Hbond_energy(0), 0.0);

    TempDir dir;
    CRotatableConformer hydrocarbon(7);
    support::load(hydrocarbon, support::dial({90, 180}), dir);
    EXPECT_TRUE(hydrocarbon.find_Hbond());
    EXPECT_EQ(hydrocarbon.get_Hbond_number(), 0);
}

}  // namespace
