#include <gtest/gtest.h>
#include "CSearch.h"

#include "ScreeningSupport.h"
#include "TestSupport.h"

#include <cmath>

using namespace confsearch;
namespace fs = std::filesystem;
using screening_support::butane;

namespace {

// Butane from four starts: anti, anti turned by 15 degrees, gauche and its mirror image.
// Two minima: anti, and gauche (one conformer: butane is achiral).
RunRecord butane_starts(const fs::path& run, const std::string& version,
                        const std::string& level = "normal") {
    RunRecord record;
    record.conditions.xtb_version = version;
    record.conditions.level = level;
    record.molecule = butane(0);
    record.molecule.comment = "butane";
    int k = 0;
    for (const double turn : {0.0, 15.0, 120.0, 240.0}) {
        ScreeningCandidate candidate{serial_name("butane", ++k, 4), "start", butane(turn)};
        record.candidates.push_back(candidate);
    }
    record_run(run, record);
    return record;
}

ScreeningRequest real_request(const std::string& xtb, ScreeningMethod method) {
    ScreeningRequest request;
    request.method = method;
    request.xtb = xtb;
    request.jobs = 2;
    request.output.stem = "butane";
    return request;
}

double energy_of(const StageResults& results, const std::string& name) {
    for (const StageEntry& entry : results.entries)
        if (entry.name == name) return entry.energy;
    ADD_FAILURE() << "no " << name;
    return 0.0;
}

}  // namespace

// GFN2-xTB puts gauche butane about 0.6 kcal/mol above anti (experiment: 0.6 to 0.7).
TEST(RealScreening, Gfn2FindsAntiAndGaucheButane) {
    if (find_program("xtb").empty()) GTEST_SKIP() << "no xtb on the PATH";
    const XtbProgram xtb = find_xtb();
    const support::TempDir run;
    butane_starts(run.path(), xtb.version);
    const ScreeningReport report =
        run_screening(run.path(), real_request(xtb.path, ScreeningMethod::gfn2));
    EXPECT_EQ(report.stages.at(0).optimised, 4u);
    EXPECT_EQ(report.distinct, 2u);
    EXPECT_EQ(report.within_window, 2u);
    EXPECT_EQ(run.read("unique_list2.txt").substr(0, 12), "butane_0001\t");
    const std::string ensemble = run.read("ensemble.txt");
    const std::size_t gauche = ensemble.find("\n2\tbutane_0003\t");
    ASSERT_NE(gauche, std::string::npos) << ensemble;
    const std::string line = ensemble.substr(gauche + 1, ensemble.find('\n', gauche + 1) - gauche);
    const double de = std::stod(line.substr(line.find('\t', line.find("\t-") + 1) + 1));
    EXPECT_GT(de, 0.3);
    EXPECT_LT(de, 1.2);
}

// With the run's one GFN-FF set-up, two starts that reach one minimum reach one energy, to
// the convergence of the optimisation: 1e-6 Eh at --opt vtight (at normal, some 3e-6 Eh,
// 0.002 kcal/mol, far inside the 0.05 kcal/mol of one conformer).
TEST(RealScreening, GfnffThenGfn2SharesOneForceField) {
    if (find_program("xtb").empty()) GTEST_SKIP() << "no xtb on the PATH";
    const XtbProgram xtb = find_xtb();
    const support::TempDir run;
    const RunRecord record = butane_starts(run.path(), xtb.version, "vtight");
    const ScreeningReport report =
        run_screening(run.path(), real_request(xtb.path, ScreeningMethod::gfnff_then_gfn2));
    ASSERT_EQ(report.stages.size(), 2u);
    EXPECT_EQ(report.stages[0].optimised, 4u);
    EXPECT_EQ(report.stages[1].candidates, 2u);
    EXPECT_EQ(report.distinct, 2u);
    const StageResults gfnff = collect_stage(run.path(), ScreeningStage::gfnff, record.candidates,
                                             CBondGraph(conformer_of(record.molecule)));
    EXPECT_NEAR(energy_of(gfnff, "butane_0001"), energy_of(gfnff, "butane_0002"), 1e-6);
    EXPECT_NEAR(energy_of(gfnff, "butane_0003"), energy_of(gfnff, "butane_0004"), 1e-6);
}
