#include <gtest/gtest.h>
#include "CConformer.h"

#include "ConformerSupport.h"
#include "TestSupport.h"

#include <climits>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>
#include <utility>

using namespace confsearch;

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

namespace {

// A one-atom table holding the row, then the closing rule.
GeometryTableStatus read_one_row(const std::string& row, CVECTOR& position) {
    const std::string rule = " " + std::string(69, '-') + "\n";
    std::istringstream in("      Standard orientation:\n" + rule + " Center\n Number\n" + rule +
                          row + "\n" + rule);
    CBasicConformer atom(1);
    const GeometryTableStatus status = atom.read_geometry_table(in, STANDARD_ORIENTATION);
    position = atom.get_vector(1);
    return status;
}

}  // namespace

// Each row is three integers and three numbers as formatted stream extraction reads them,
// and nothing else; a damaged row must never give coordinates.
TEST(OutputGeometryReader, RowsAreReadAsStreamExtractionReadsThem) {
    struct Case {
        const char* row;
        bool read;
        CVECTOR position;
    };
    const Case cases[] = {
        {"      1          8           0        0.000000    0.757200   -0.469200",
         true,
         {0, 0.7572, -0.4692}},
        {"  1  8  0  +0.000000  1.5e2  -7.572E-1", true, {0, 150, -0.7572}},
        {"  1  8  0  0.25\f0.5\v-1e-400\r", true, {0.25, 0.5, -0.0}},
        {"  +1  8  0  .5  5.  -.5", true, {0.5, 5, -0.5}},
        {"  1  8  0  1.0  2.0  3.0    5.0", false, {}},
        {"  1  8  0  0 .494964 0.756244 -5.917916", false, {}},
        {"  1  8  0  1]863810  2.0  3.0", false, {}},
        {"  1  8  0  nan  2.0  3.0", false, {}},
        {"  1  8  0  inf  2.0  3.0", false, {}},
        {"  1  8  0  1.0  -infinity  3.0", false, {}},
        {"  1  8  0  0x1p-1  2.0  3.0", false, {}},
        {"  1  8  0  1e400  2.0  3.0", false, {}},
        {"  1  8  1.5  1.0  2.0  3.0", false, {}},
        {"  1  8  0  1.0  2.0", false, {}},
        {"  99999999999  8  0  1.0  2.0  3.0", false, {}},
    };
    for (const Case& c : cases) {
        CVECTOR position;
        const GeometryTableStatus status = read_one_row(c.row, position);
        EXPECT_EQ(status.outcome == GeometryTableStatus::none, c.read) << c.row;
        if (c.read) {
            EXPECT_EQ(position.x, c.position.x) << c.row;
            EXPECT_EQ(position.y, c.position.y) << c.row;
            EXPECT_EQ(position.z, c.position.z) << c.row;
        } else {
            EXPECT_EQ(status.outcome, GeometryTableStatus::damaged_row) << c.row;
            EXPECT_EQ(status.rows, 1) << c.row;
        }
    }
    // A long digit string is read exactly, not wrapped round inside the reader.
    CVECTOR position;
    ASSERT_EQ(read_one_row("  1  8  0  1234567890123456789.5  0.1  -0.000000000000000001", position)
                  .outcome,
              GeometryTableStatus::none);
    EXPECT_EQ(position.x, std::strtod("1234567890123456789.5", nullptr));
    EXPECT_EQ(position.z, -1e-18);
}

// Plain decimals as Gaussian prints them take the fast way; they must come out bit for
// bit as strtod reads them.
TEST(OutputGeometryReader, PlainDecimalsAreCorrectlyRounded) {
    std::mt19937_64 random(2026);
    for (int i = 0; i < 20000; ++i) {
        const long long whole = static_cast<long long>(random() % 100000);
        const long long fraction = static_cast<long long>(random() % 1000000000);
        const int decimals = 1 + static_cast<int>(random() % 9);
        std::string digits = std::to_string(fraction);
        digits = std::string(9 - digits.size(), '0') + digits;
        const std::string text =
            (random() % 2 ? "-" : "") + std::to_string(whole) + "." + digits.substr(0, decimals);
        CVECTOR position;
        ASSERT_EQ(read_one_row("  1  6  0  " + text + "  0.0  0.0", position).outcome,
                  GeometryTableStatus::none)
            << text;
        ASSERT_EQ(position.x, std::strtod(text.c_str(), nullptr)) << text;
    }
}

// The final table must hold exactly the molecule: a longer table is another, larger
// molecule, and a shorter one another, smaller one.
TEST(OutputGeometryReader, TableOfAnotherSizeIsRefusedWithItsSize) {
    const std::string rule = " " + std::string(69, '-') + "\n";
    const std::string head = "  Standard orientation:\n" + rule + " Center\n Number\n" + rule;
    const std::string rows =
        "  1  8  0  0.0  0.0  0.1173\n  2  1  0  0.0  0.7572  -0.4692\n"
        "  3  1  0  0.0  -0.7572  -0.4692\n";
    struct Case {
        std::string text;
        int atoms;
        GeometryTableStatus::Outcome outcome;
        int rows;
    };
    const Case cases[] = {
        {head + rows + rule, 3, GeometryTableStatus::none, 0},
        {head + rows, 3, GeometryTableStatus::none, 0},
        {head + rows + rule, 2, GeometryTableStatus::other_size, 3},
        {head + rows + rule, 1, GeometryTableStatus::other_size, 3},
        {head + rows + rule, 4, GeometryTableStatus::other_size, 3},
        {head + rows + "  4  1  0  0.0  0.0\n" + rule, 3, GeometryTableStatus::damaged_row, 4},
        {head + rows.substr(0, 40), 3, GeometryTableStatus::cut_short, 1},
        {head + rows.substr(0, 28), 3, GeometryTableStatus::cut_short, 1},
        {"  Input orientation:\n" + rule + rows, 3, GeometryTableStatus::no_table, 0},
    };
    for (const Case& c : cases) {
        std::istringstream in(c.text);
        CBasicConformer molecule(c.atoms);
        const GeometryTableStatus status = molecule.read_geometry_table(in, STANDARD_ORIENTATION);
        EXPECT_EQ(status.outcome, c.outcome) << c.atoms << "\n" << c.text;
        EXPECT_EQ(status.rows, c.rows) << c.atoms << "\n" << c.text;
    }
}
