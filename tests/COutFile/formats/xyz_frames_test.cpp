#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "COutFile/formats/xyz_frames.h"
#include "TestSupport.h"

using namespace confsearch;

namespace {

const std::string WATER_PAIR =
    "3\n"
    "conf01.log  E=-76.0107465  dE=0.0000  group=1\n"
    "O     0.000000     0.000000     0.117300\n"
    "H     0.000000     0.757200    -0.469200\n"
    "H     0.000000    -0.757200    -0.469200\n"
    "3\n"
    "conf02.log  E=-76.0100000  dE=0.4496  group=2\n"
    "O     0.000000     0.000000     0.117300\n"
    "H     0.000000     0.757200    -0.469200\n"
    "H     0.100000    -0.757200    -0.469200\n";

}  // namespace

// The sorters' ensemble, xtb's atomic numbers with extra columns and Windows line ends,
// symbols in any case, blank lines between frames.
TEST(XyzFrames, EveryFrameOfOtherProgramsFiles) {
    std::vector<XyzFrame> frames;
    ASSERT_TRUE(parse_xyz_frames(WATER_PAIR, frames).ok());
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[1].comment, "conf02.log  E=-76.0100000  dE=0.4496  group=2");
    EXPECT_EQ(frames[1].line, 6);
    EXPECT_EQ(frames[1].symbols, (std::vector<std::string>{"O", "H", "H"}));
    EXPECT_EQ(frames[1].numbers, (std::vector<int>{8, 1, 1}));
    EXPECT_DOUBLE_EQ(frames[1].positions[2].x, 0.1);
    EXPECT_DOUBLE_EQ(frames[1].positions[2].z, -0.4692);

    const std::string xtb =
        "2\r\n energy: -0.9 gnorm: 0.0003 xtb: 6.5.1\r\n17  0 0 0 -0.2\r\n1 0 0 1.27 0.2\r\n"
        "\r\n\r\n2\r\n\r\nCL 0 0 0\r\nh 0 0 1.3\r\n\r\n";
    ASSERT_TRUE(parse_xyz_frames(xtb, frames).ok());
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].comment, " energy: -0.9 gnorm: 0.0003 xtb: 6.5.1");
    EXPECT_EQ(frames[1].comment, "");
    EXPECT_EQ(frames[1].line, 7);
    for (const XyzFrame& frame : frames)
        EXPECT_EQ(frame.symbols, (std::vector<std::string>{"Cl", "H"}));
}

// Each fault is named with its frame and line; the list stays as it was.
TEST(XyzFrames, BrokenFilesNameTheirLine) {
    struct Case {
        std::string text;
        std::string what;
        long line;
    };
    const Case cases[] = {
        {"", "no frame: the file is empty or blank", 0},
        {"\n  \n", "no frame: the file is empty or blank", 0},
        {"water\n", "frame 1: the atom count must be a whole number of at least 1, not \"water\"",
         1},
        {WATER_PAIR + "0\n\n",
         "frame 3: the atom count must be a whole number of at least 1, not \"0\"", 11},
        {"3\n", "frame 1: the file ends before its comment line", 0},
        {"3\nwater\nO 0 0 0\nH 0 0.76 -0.47\n", "frame 1: the file ends after 2 of its 3 atoms", 0},
        {"2\nHX\nH 0 0 0\nXx 0 0 1\n", "frame 1, atom 2: \"Xx\" is no element", 4},
        {"2\nHH\nH 0 0 0\n0 0 0 1\n", "frame 1, atom 2: \"0\" is no element", 4},
        {"2\nHH\nH 0 0 0\nH 0 0\n",
         "frame 1, atom 2: not an atom line (an element and three numbers)", 4},
        {"2\nHH\nH 0 0 0\nH 0 nan 1\n", "frame 1, atom 2: a coordinate is not a finite number", 4},
        {"2\nHH\nH 0 0 0\nH 0 0 1e999\n", "frame 1, atom 2: a coordinate is not a finite number",
         4},
        {"2\nHH\nH 0 0 0\nH 0 0 1.0x\n", "frame 1, atom 2: a coordinate is not a finite number", 4},
        // A count one short: the next atom line is taken for a count.
        {"1\nHH\nH 0 0 0\nH 0 0 1\n",
         "frame 2: the atom count must be a whole number of at least 1, not \"H\"", 4},
    };
    for (const Case& k : cases) {
        std::vector<XyzFrame> frames(1);
        const ReadError error = parse_xyz_frames(k.text, frames);
        EXPECT_EQ(error.what, k.what) << k.text;
        EXPECT_EQ(error.line, k.line) << k.text;
        EXPECT_TRUE(frames.size() == 1 && frames[0].positions.empty()) << k.text;
    }
    std::vector<XyzFrame> frames;
    EXPECT_EQ(read_xyz_frames("/no/such/file.xyz", frames).what, "cannot read file");
    const support::TempDir dir;
    dir.write("pair.xyz", WATER_PAIR);
    EXPECT_TRUE(read_xyz_frames(dir.file("pair.xyz"), frames).ok());
    EXPECT_EQ(frames.size(), 2u);
}
