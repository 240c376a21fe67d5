#include <gtest/gtest.h>
#include "CSearch.h"

#include "TestSupport.h"
#include "XtbTestSupport.h"

#include <cmath>

using namespace confsearch;
namespace fs = std::filesystem;

namespace {

using xtb_support::energy_in;
using xtb_support::molecule;

// The installed xtb, or a skip of the test.
#define REAL_XTB_OR_SKIP(settings)                                             \
    do {                                                                       \
        if (find_program("xtb").empty()) GTEST_SKIP() << "no xtb on the PATH"; \
        (settings).program = find_xtb().path;                                  \
    } while (0)

// Ethanol with its C-O bond (atoms 2 and 3) stretched to `length` angstrom, the hydroxyl
// hydrogen (4) moved with the oxygen.
XyzGeometry stretched_ethanol(double length) {
    XyzGeometry ethanol = molecule("ethanol");
    const CVECTOR axis = (ethanol.positions[2] - ethanol.positions[1]).normal();
    const CVECTOR shift = axis * (length - ethanol.positions[2].distance(ethanol.positions[1]));
    ethanol.positions[2] = ethanol.positions[2] + shift;
    ethanol.positions[3] = ethanol.positions[3] + shift;
    return ethanol;
}

}  // namespace

TEST(RealXtb, Gfn2OptimisesWater) {
    XtbSettings settings;
    REAL_XTB_OR_SKIP(settings);
    const support::TempDir run;
    const XtbJobResult result = run_xtb_job(settings, {"water", molecule("water")}, run.path());
    ASSERT_EQ(result.status, XtbJobStatus::optimised) << result.reason;
    XyzGeometry optimised;
    ASSERT_TRUE(read_xyz_geometry(result.geometry().string(), optimised).ok());
    // GFN2-xTB water: O-H 0.96 angstrom, H-O-H near the 104.5 degrees of experiment.
    const CVECTOR oh1 = optimised.positions[1] - optimised.positions[0];
    const CVECTOR oh2 = optimised.positions[2] - optimised.positions[0];
    EXPECT_NEAR(oh1.module(), 0.96, 0.01);
    EXPECT_NEAR(oh2.module(), 0.96, 0.01);
    EXPECT_NEAR(degree(oh1.angle(oh2)), 104.5, 3.0);
    EXPECT_NEAR(energy_in(result.geometry()), -5.07, 0.01);
}

// GFN-FF perceives its topology from the geometry it starts from. Ethanol started with a
// C-O bond of 1.8 angstrom optimises back to the same minimum as ethanol itself, but with
// a topology of its own its energy lies 10 kcal/mol away; with the run's shared set-up
// the two agree to the convergence of the optimisation.
TEST(RealXtb, SharedGfnffSetupGivesOneMinimumOneEnergy) {
    XtbSettings settings;
    REAL_XTB_OR_SKIP(settings);
    settings.method = XtbMethod::gfnff;
    settings.level = "vtight";
    const support::TempDir run;
    settings.gfnff = prepare_gfnff_setup(settings, molecule("ethanol"), run.path());
    const XtbJobResult plain = run_xtb_job(settings, {"plain", molecule("ethanol")}, run.path());
    const XtbJobResult stretched =
        run_xtb_job(settings, {"stretched", stretched_ethanol(1.8)}, run.path());
    ASSERT_EQ(plain.status, XtbJobStatus::optimised) << plain.reason;
    ASSERT_EQ(stretched.status, XtbJobStatus::optimised) << stretched.reason;
    XyzGeometry a, b;
    ASSERT_TRUE(read_xyz_geometry(plain.geometry().string(), a).ok());
    ASSERT_TRUE(read_xyz_geometry(stretched.geometry().string(), b).ok());
    EXPECT_NEAR(a.positions[1].distance(a.positions[2]), 1.42, 0.02);
    EXPECT_NEAR(b.positions[1].distance(b.positions[2]), 1.42, 0.02);
    EXPECT_NEAR(energy_in(plain.geometry()), energy_in(stretched.geometry()), 1e-6);

    // The same start without the set-up: xtb makes a topology of its own.
    const support::TempDir own;
    write_xyz_geometry(own.file("stretched.xyz"), stretched_ethanol(1.8));
    const std::vector<std::string> options = {"--opt", "vtight", "--gfnff", "--chrg",
                                              "0",     "--uhf",  "0"};
    ASSERT_TRUE(
        run_process(xtb_request(settings, own.path(), "stretched.xyz", options)).succeeded());
    EXPECT_GT(std::abs(energy_in(own.path() / "xtbopt.xyz") - energy_in(plain.geometry())), 1e-3);
}
