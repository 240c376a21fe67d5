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

std::string orientation_table(double z, int rows, const std::string& eol) {
    const std::string rule = " " + std::string(69, '-') + eol;
    std::string text = "      Standard orientation:      " + eol + rule + " Center  Atomic" + eol +
                       " Number  Number" + eol + rule;
    const char* row[] = {"  1   8   0   0.000000    0.000000    ",
                         "  2   1   0   0.000000    0.757200   -",
                         "  3   1   0   0.000000   -0.757200   -"};
    for (int i = 0; i < rows; ++i) text += row[i] + std::to_string(z) + eol;
    return text + rule;
}

}  // namespace

TEST(OutputGeometryReader, LastStandardOrientationTableWins) {
    support::TempDir dir;
    for (const std::string eol : {"\n", "\r\n"}) {
        dir.write("opt.log", orientation_table(0.1, 3, eol) + orientation_table(0.2, 3, eol) +
                                 orientation_table(0.3, 3, eol) + " Normal termination" + eol);
        CBasicConformer water(3);
        ASSERT_TRUE(water.read_xyz_inout(dir.file("opt.log")));
        EXPECT_EQ(water.get_element(1).get_symbol(), "O");
        EXPECT_EQ(water.get_element(3).get_symbol(), "H");
        EXPECT_NEAR(water.get_vector(1).z, 0.3, 1e-12);
        EXPECT_NEAR(water.get_vector(3).y, -0.7572, 1e-12);
    }
    CBasicConformer water = support::molecule("water");
    dir.write("input_only.log", " Input orientation:\n  1  8  0  0.0  0.0  0.1\n");
    EXPECT_FALSE(water.read_xyz_inout(dir.file("input_only.log")));
    support::expect_same_geometry(water, support::molecule("water"), 0.0);
    dir.write("short.log", orientation_table(0.1, 2, "\n"));
    EXPECT_FALSE(water.read_xyz_inout(dir.file("short.log")));
    support::expect_same_geometry(water, CBasicConformer(3), 0.0);
}

TEST(OutputGeometryReader, RealOptimisationGivesFinalGeometry) {
    SKIP_WITHOUT_REAL_OUTPUTS();
    const auto dir = support::real_outputs_dir();
    CBasicConformer dvb(20);
    ASSERT_TRUE(dvb.read_xyz_inout((dir / "g09_dvb_gopt.out").string()));
    // Earlier steps of the optimisation hold 0.269394 for atom 1.
    EXPECT_EQ(dvb.get_element(1).get_symbol(), "C");
    EXPECT_NEAR(dvb.get_vector(1).x, 0.269481, 1e-9);
    EXPECT_NEAR(dvb.get_vector(9).y, -2.869917, 1e-9);
    EXPECT_EQ(dvb.get_element(20).get_symbol(), "H");
    EXPECT_NEAR(dvb.get_vector(20).x, 2.364772, 1e-9);
    // A job run without symmetry prints only "Input orientation:" tables.
    EXPECT_FALSE(dvb.read_xyz_inout((dir / "g16_dvb_un_sp.log").string()));
}
