#include <gtest/gtest.h>
#include "CMyMath.h"

#include <cmath>
#include <initializer_list>
#include <sstream>

#include "TestSupport.h"

using namespace confsearch;

namespace {

void expect_point(const CVECTOR& actual, const CVECTOR& expected, double tol = 1e-9) {
    EXPECT_NEAR(actual.x, expected.x, tol);
    EXPECT_NEAR(actual.y, expected.y, tol);
    EXPECT_NEAR(actual.z, expected.z, tol);
}

CCLUSTER cluster_of(std::initializer_list<CVECTOR> points) {
    CCLUSTER c(static_cast<int>(points.size()));
    int i = 1;
    for (const CVECTOR& p : points) c[i++] = p;
    return c;
}

}  // namespace

TEST(Cluster, CountsAndIndicesAreRangeChecked) {
    const CCLUSTER full(100);
    support::expect_thrown([] { CCLUSTER c(101); }, 101);
    support::expect_thrown([] { CCLUSTER c(-1); }, -1);
    support::expect_thrown([&] { full[0]; }, 0);
    support::expect_thrown([&] { full[101]; }, 101);
    support::expect_thrown([] { CCLUSTER(60) + CCLUSTER(41); }, 101);
    support::expect_thrown([] { CCLUSTER().move(CVECTOR(1, 0, 0)); }, 0);
}

TEST(Cluster, EraseAndJoinKeepPointOrder) {
    const CVECTOR A(1, 0, 0), B(2, 0, 0), C(3, 0, 0), D(4, 0, 0);
    CCLUSTER c = cluster_of({A, B, C, D});
    c.erase(2);
    const CCLUSTER joined = c + CCLUSTER() + cluster_of({B});
    ASSERT_EQ(joined.get_size(), 4);
    expect_point(joined[2], C);
    expect_point(joined[3], D);
    expect_point(joined[4], B);
}

TEST(Cluster, ClearKeepsStorageButACopyOfAnEmptySetOwnsNone) {
    support::expect_thrown([] { CCLUSTER().clear(); }, 0);
    CCLUSTER c(5);
    c.clear();
    support::expect_thrown([&] { c[1]; }, 1);
    c.clear();
    CCLUSTER assigned(3);
    assigned = c;
    support::expect_thrown([&] { assigned.clear(); }, 0);
}

TEST(Cluster, AdjustPutsThreeAtomsIntoTheStandardFrame) {
    CCLUSTER c = cluster_of({{1, 1, 1}, {3, 1, 1}, {1, 2, 1}});
    c.adjust(1, 2, 3);
    expect_point(c[1], CVECTOR(0, 0, 0));
    expect_point(c[2], CVECTOR(0, 0, 2));
    expect_point(c[3], CVECTOR(1, 0, 0));

    CCLUSTER skew = cluster_of({{0.3, -1.2, 0.8}, {-1.0, 0.5, 2.1}, {2, 1, 1}});
    const double d23 = skew[2].distance(skew[3]);
    skew.adjust(2, 3, 1);
    expect_point(skew[3], CVECTOR(0, 0, d23));
    EXPECT_NEAR(skew[1].y, 0.0, 1e-9);
    EXPECT_GT(skew[1].x, 0.0);

    support::expect_thrown(
        [] {
            cluster_of({{1, 1, 1}, {1, 1, 3}, {2, 1, 1}}).adjust(1, 2, 3);
        },
        0.0);
    support::expect_thrown(
        [] {
            cluster_of({{1, 1, 1}, {1, 1, -1}, {2, 1, 1}}).adjust(1, 2, 3);
        },
        PI);
}

TEST(Cluster, StreamsUseCurrentPrecisionAndRejectBadPoints) {
    std::ostringstream out;
    out.precision(3);
    out << cluster_of({{1.23456, 0, -2}, {0.5, 1, 2}});
    EXPECT_EQ(out.str(), "1.23 0 -2\n0.5 1 2\n");

    CCLUSTER c;
    std::istringstream good("2\n1 2 3\n4 5 6\n");
    good >> c;
    expect_point(c[2], CVECTOR(4, 5, 6));
    std::istringstream bad("2\n1 2 3\nhydrogen 5 6\n");
    testing::internal::CaptureStderr();
    bad >> c;
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Cluster error input!\n");
    EXPECT_TRUE(bad.fail());
    EXPECT_EQ(c.get_size(), 0);
}
