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

}  // namespace

TEST(Vector, EqualityUsesAbsoluteToleranceAndOrderingComparesLengths) {
    EXPECT_TRUE(CVECTOR(1, 2, 3) == CVECTOR(1 + 5e-13, 2, 3));
    EXPECT_TRUE(CVECTOR(1, 2, 3) != CVECTOR(1 + 2e-12, 2, 3));
    EXPECT_TRUE(CVECTOR(3, 0, 0) < CVECTOR(0, 4, 0));
    EXPECT_FALSE(CVECTOR(0, 4, 0) < CVECTOR(3, 0, 0));
    EXPECT_FALSE(CVECTOR(5, 0, 0) < CVECTOR(0, 3, 4) || CVECTOR(5, 0, 0) > CVECTOR(0, 3, 4));
}

TEST(Vector, AngleCoversPerpendicularAntiparallelZeroAndNearlyParallel) {
    EXPECT_DOUBLE_EQ(CVECTOR(1, 0, 0).angle(CVECTOR(0, 1, 0)), PI / 2);
    EXPECT_DOUBLE_EQ(CVECTOR(1, 0, 0).angle(CVECTOR(-2, 0, 0)), PI);
    EXPECT_DOUBLE_EQ(CVECTOR(1, 0, 0).angle(CVECTOR(0, 0, 0)), PI / 2);
    // Not parallel within the tolerance, yet the cosine rounds to 1 + 2^-52.
    const double a = CVECTOR(1, 2, 1).angle(CVECTOR(1, 2, 1 + 1e-9));
    EXPECT_FALSE(std::isnan(a));
    EXPECT_NEAR(a, 0.0, 1e-6);
}

TEST(Vector, RotationIsRightHanded) {
    expect_point(CVECTOR(1, 0, 0).rotate(CVECTOR(0, 0, 1), PI / 2), CVECTOR(0, 1, 0));
    expect_point(CVECTOR(2, 0, 5).rotate(CVECTOR(1, 0, 0), CVECTOR(1, 0, 1), PI), CVECTOR(0, 0, 5));
}

TEST(Vector, DegenerateGeometryThrowsTheOffendingValue) {
    const CVECTOR o(0, 0, 0), z(0, 0, 1), x(1, 0, 0);
    support::expect_thrown([&] { x.rotate(o, 0.7); }, 0.7);
    support::expect_thrown([] { CVECTOR(0, 0, 1e-13).normal(); }, 1e-13);
    support::expect_thrown([&] { x.reflect(o, z, z * 2); }, 0);
    support::expect_thrown([&] { x.p_dihang(o, z, z * 2); }, 0.0);
    CVECTOR placed;
    support::expect_thrown([&] { placed.p_forthpoint(o, z, z * 2, 1.4, 1.9, 1.0); }, 1.4);
}

TEST(Vector, DihedralSignFollowsIupacConvention) {
    const CVECTOR p(1, 0, 0), a(0, 0, 0), b(0, 0, 1);
    EXPECT_NEAR(p.p_dihang(a, b, CVECTOR(0, 1, 1)), PI / 2, 1e-12);
    EXPECT_NEAR(p.p_dihang(a, b, CVECTOR(0, -1, 1)), -PI / 2, 1e-12);
    EXPECT_NEAR(p.p_dihang(a, b, CVECTOR(1, 0, 1)), 0.0, 1e-12);
}

TEST(Vector, PlacedFourthPointReproducesItsInternalCoordinates) {
    const CVECTOR a(0.2, -0.1, 0.3), b(1.1, 0.4, 0.2), c(1.5, 1.6, -0.7);
    for (const double dihedral : {-179.0, -60.0, 0.0, 60.0, 120.0, 179.0}) {
        CVECTOR x;
        x.p_forthpoint(a, b, c, 1.0, radian(109.5), radian(dihedral));
        EXPECT_NEAR(x.distance(a), 1.0, 1e-12);
        EXPECT_NEAR(a.p_angle(x, b), radian(109.5), 1e-12);
        EXPECT_NEAR(x.p_dihang(a, b, c), radian(dihedral), 1e-12) << dihedral;
    }
}

TEST(Vector, PrintingSetsFifteenDigitsThatStayOnTheStream) {
    std::ostringstream out;
    out << CVECTOR(1.5, 0, -2) << ' ' << 1.0 / 3;
    EXPECT_EQ(out.str(), "1.5 0 -2 0.333333333333333");
}
