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

// Expected writer output kept in tests/data/golden.
std::string golden(const std::string& name) {
    return support::read_file(support::test_data_dir() / "golden" / name);
}

}  // namespace

TEST(ConformerWriters, XyzAndGaussianInputAreExactText) {
    support::TempDir dir;
    const CBasicConformer water = support::molecule("water");
    water.putout_xyz(dir.file("w.xyz"));
    EXPECT_EQ(dir.read("w.xyz"), golden("water.xyz"));
    CBasicConformer(0).putout_xyz(dir.file("empty.xyz"));
    EXPECT_EQ(dir.read("empty.xyz"), "0\n\nno conformer information!\n");

    water.putout_GaussianFile(dir.file("w.gjf"));
    EXPECT_EQ(dir.read("w.gjf"), golden("water.gjf"));
    support::ScopedChdir here(dir.path());
    CBasicConformer(water).check_GaussionFile();
    EXPECT_EQ(dir.read(CHECK_GAUSSIAN_FILE), golden("water_check.gjf"));

    EXPECT_EQ(support::thrown<int>([&] { water.putout_xyz(dir.file("missing/w.xyz")); }), 3);
    EXPECT_EQ(support::thrown<int>([&] { water.putout_GaussianFile(dir.file("missing/w.gjf")); }),
              3);
}

TEST(XyzReader, LongTitleAndCrlfLineEndsAreSkippedWhole) {
    const CBasicConformer water =
        support::from_xyz("3 atoms\r\n" + std::string(150, 'x') +
                              " Cl\r\nO 0 0 0.1173\r\nH 0 0.7572 -0.4692\r\n"
                              "H 0 -0.7572 -0.4692",
                          3);
    support::expect_same_geometry(water, support::molecule("water"), 1e-12);
}

TEST(XyzReader, WrongCountOrMissingAtomsFail) {
    support::TempDir dir;
    CBasicConformer water = support::molecule("water");
    dir.write("four.xyz", "4\n\nO 0 0 0\nH 0 0 1\nH 0 1 0\nH 1 0 0\n");
    EXPECT_FALSE(water.read_xyz(dir.file("four.xyz")));
    support::expect_same_geometry(water, support::molecule("water"), 0.0);

    // The second tail ends right after a complete atom line: no stream failure, one atom short.
    for (const char* tail : {"H 0 1 0\n", "H 0 1 0", "H 0 1 zero\nH 0 0 1\n"}) {
        dir.write("short.xyz", std::string("3\ntitle\nO 0 0 0\n") + tail);
        water.set_GaussionFile_head("#hf\n");
        EXPECT_FALSE(water.read_xyz(dir.file("short.xyz"))) << tail;
        support::expect_same_geometry(water, CBasicConformer(3), 0.0);
        EXPECT_EQ(water.get_GaussionFile_head(), PM3_OPT);
    }
}

TEST(BondListReader, PairsAreOrderedAndBadListsFail) {
    support::TempDir dir;
    CBasicConformer c(5);
    dir.write("ok", "2\n3 1\n2 5\n");
    ASSERT_TRUE(c.read_bondlist(dir.file("ok")));
    std::string pairs;
    for (const CBonds& b : c.get_bondlist())
        pairs += std::to_string(b.atom1) + "-" + std::to_string(b.atom2) + " ";
    EXPECT_EQ(pairs, "2-0 1-3 2-5 ");
    for (const char* bad : {"201\n", "1\n4 4\n", "3\n2 1\n"}) {
        dir.write("bad", bad);
        EXPECT_FALSE(c.read_bondlist(dir.file("bad"))) << bad;
    }
}
