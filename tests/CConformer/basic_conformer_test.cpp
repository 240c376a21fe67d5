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

namespace {}  // namespace

TEST(ConformerLifecycle, CopiesTakeGeometryButNotHeadOrBonds) {
    support::TempDir dir;
    dir.write("bonds", "1\n1 2\n");
    CBasicConformer water = support::molecule("water");
    EXPECT_EQ(support::thrown<int>([&] { water.reinstall(101); }), 101);
    EXPECT_EQ(support::thrown<int>([&] { water.set_exyz(4, CELEMENT(1), CVECTOR()); }), 4);
    water.set_GaussionFile_head("#hf\n");
    ASSERT_TRUE(water.read_bondlist(dir.file("bonds")));

    CBasicConformer copy(water);
    support::expect_same_geometry(copy, water, 0.0);
    EXPECT_EQ(copy.get_GaussionFile_head(), "");
    EXPECT_TRUE(copy.get_bondlist().empty());
    const CBasicConformer moved_into(std::move(copy));
    support::expect_same_geometry(moved_into, water, 0.0);

    CBasicConformer target(1);
    ASSERT_TRUE(target.read_bondlist(dir.file("bonds")));
    target = water;
    support::expect_same_geometry(target, water, 0.0);
    EXPECT_EQ(target.get_GaussionFile_head(), PM3_OPT);
    EXPECT_TRUE(target.get_bondlist().empty());
    target = support::molecule("ethanol");
    EXPECT_EQ(target.get_size(), 9);
    EXPECT_EQ(target.get_GaussionFile_head(), PM3_OPT);

    CBasicConformer& alias = water;
    water = alias;
    support::expect_same_geometry(water, moved_into, 0.0);
    EXPECT_EQ(water.get_GaussionFile_head(), "#hf\n");
    EXPECT_EQ(water.get_bondlist().size(), 2u);
}
