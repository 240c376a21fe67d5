#include <gtest/gtest.h>
#include "CSearch.h"

#include "ScreeningSupport.h"
#include "TestSupport.h"

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace confsearch;
namespace fs = std::filesystem;
using screening_support::butane;
using screening_support::fake;

namespace {

// A run of butane candidates, each with the comment line that tells the stand-in what to
// do, recorded in folder.
RunRecord butane_run(const fs::path& folder,
                     const std::vector<std::pair<XyzGeometry, std::string>>& list) {
    RunRecord record;
    record.conditions.xtb_version = "6.5.1 (fake)";
    record.molecule = butane(0);
    record.molecule.comment = "butane.xyz";
    for (std::size_t k = 0; k < list.size(); ++k) {
        ScreeningCandidate candidate;
        candidate.name = serial_name("butane", k + 1, 4);
        candidate.origin = "frame " + std::to_string(k + 1);
        candidate.geometry = list[k].first;
        candidate.geometry.comment = list[k].second;
        record.candidates.push_back(candidate);
    }
    record_run(folder, record);
    return record;
}

ScreeningRequest fake_request(const fs::path& log) {
    ScreeningRequest request;
    request.xtb = FAKE_XTB;
    request.jobs = 2;
    request.timeout_seconds = 2;
    request.environment = {{"FAKE_XTB_LOG", log.string()}};
    request.output.stem = "butane";
    request.output.inputs = [](const std::string& name, const std::string& title,
                               const XyzGeometry&) {
        return NextLevelInput{name + ".xyz", title};
    };
    return request;
}

std::size_t calls(const fs::path& log) {
    std::ifstream in(log / "calls");
    std::size_t n = 0;
    for (std::string line; std::getline(in, line);) ++n;
    return n;
}

std::vector<std::string> files_in(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

// Ten candidates through the stand-in: two copies of anti within 0.05 kcal/mol, gauche
// and its mirror image (one conformer of achiral butane), anti again 6.3 kcal/mol up
// (beyond the window), and every way xtb fails. Energies and populations worked out by
// hand: dE = 0.0010001 Eh = 0.6276 kcal/mol; exp(-0.6276 / RT) = 0.3467 at 298.15 K.
TEST(Screening, FailuresLeftOutDuplicatesGroupedWindowKept) {
    const support::TempDir run;
    const support::TempDir log;
    butane_run(run.path(), {{butane(0), fake("succeed", "-13.0")},
                            {butane(0), fake("succeed", "-13.0000001")},
                            {butane(120), fake("succeed", "-12.999")},
                            {butane(240), fake("succeed", "-12.99899995")},
                            {butane(0), fake("succeed", "-12.99")},
                            {butane(0), fake("error")},
                            {butane(0), fake("not_converged")},
                            {butane(0), fake("hang")},
                            {butane(0), fake("broken_bond", "-13.1")},
                            {butane(0), fake("garbage")}});
    const ScreeningReport report = run_screening(run.path(), fake_request(log.path()));
    ASSERT_FALSE(report.stopped);
    const std::string inputs = (run.path() / "inputs").string();
    EXPECT_EQ(summary_text(report),
              "candidates: 10\n"
              "GFN2: 10 candidates, 5 optimised, 5 left out (2 xtb failed, 1 not converged, 1 "
              "past the time limit, 1 bonds changed)\n"
              "distinct conformers: 3\n"
              "within 6 kcal/mol: 2\n"
              "inputs written: 2 in " +
                  inputs + "\n");
    EXPECT_EQ(run.read("summary.txt"), summary_text(report));
    // The fake's dipole: (0, 0.3, 0.4) au.
    EXPECT_EQ(run.read("all_list2.txt"),
              "butane_0002\t-13.0000001\t0.5\t1\n"
              "butane_0001\t-13\t0.5\t1\n"
              "butane_0003\t-12.999\t0.5\t2\n"
              "butane_0004\t-12.99899995\t0.5\t2\n"
              "butane_0005\t-12.99\t0.5\t3\n");
    EXPECT_EQ(run.read("unique_list2.txt"),
              "butane_0002\t-13.0000001\t0.5\t1\n"
              "butane_0003\t-12.999\t0.5\t2\n"
              "butane_0005\t-12.99\t0.5\t3\n");
    EXPECT_EQ(run.read("ensemble.txt"),
              "# group\tname\tenergy (GFN2-xTB, hartree)\tdE (kcal/mol)\tpopulation (% at 298.15 "
              "K)\tresults\n"
              "1\tbutane_0002\t-13.0000001\t0.0000\t74.25\t2\n"
              "2\tbutane_0003\t-12.999\t0.6276\t25.75\t2\n"
              "# distinct conformers: 2, results: 4\n");
    EXPECT_EQ(run.read("failures.txt"),
              "# candidate\tstage\toutcome\treason\torigin\n"
              "butane_0006\tGFN2\txtb failed\txtb ended with exit status 1: fake outer failure; "
              "fake inner failure\tframe 6\n"
              "butane_0007\tGFN2\tnot converged\tthe geometry optimisation did not converge "
              "(--opt normal)\tframe 7\n"
              "butane_0008\tGFN2\tpast the time limit\txtb ran past the time limit of 2 s (ended "
              "by SIGTERM)\tframe 8\n"
              "butane_0009\tGFN2\tbonds changed\tthe optimisation changed the molecule's bonds: "
              "bond 4-14 (C-H) broken\tframe 9\n"
              "butane_0010\tGFN2\txtb failed\txtb wrote no optimised geometry (xtbopt.xyz)\tframe "
              "10\n");
    EXPECT_EQ(files_in(inputs), (std::vector<std::string>{"butane_001.xyz", "butane_002.xyz"}));
    EXPECT_EQ(support::read_file(fs::path(inputs) / "butane_002.xyz"),
              "butane_002 from butane_0003, GFN2-xTB -12.99900000 Eh, 0.63 kcal/mol");
    // unique_conformers.xyz: the two kept, each a frame of 14 atoms.
    const std::string frames = run.read("unique_conformers.xyz");
    EXPECT_EQ(frames.substr(0, frames.find('\n', 3) + 1),
              "14\nbutane_0002  E=-13.0000001  dE=0.0000  group=1\n");
    EXPECT_EQ(std::count(frames.begin(), frames.end(), '\n'), 2 * 16);
    EXPECT_EQ(report.left_out.size(), 5u);
    EXPECT_EQ(calls(log.path()), 10u);
    EXPECT_FALSE(fs::exists(run.path() / "gfn2" / "scratch"));
}

// A second start runs nothing that finished, failures included, but gives a candidate
// that ran past its time limit a longer one when asked; ranking alone runs nothing.
TEST(Screening, SecondStartRunsOnlyWhatHasNotFinished) {
    const support::TempDir run;
    const support::TempDir log;
    butane_run(run.path(), {{butane(0), fake("succeed", "-13.0")},
                            {butane(120), fake("error")},
                            {butane(240), fake("hang")}});
    ScreeningRequest request = fake_request(log.path());
    request.timeout_seconds = 1;
    const ScreeningReport first = run_screening(run.path(), request);
    EXPECT_EQ(first.reused, 0u);
    EXPECT_EQ(calls(log.path()), 3u);

    const ScreeningReport again = run_screening(run.path(), request);
    EXPECT_EQ(again.reused, 3u);
    EXPECT_EQ(calls(log.path()), 3u);
    EXPECT_EQ(summary_text(again), summary_text(first));

    request.timeout_seconds = 1.5;
    const ScreeningReport longer = run_screening(run.path(), request);
    EXPECT_EQ(longer.reused, 2u);
    EXPECT_EQ(calls(log.path()), 4u);
    EXPECT_NE(run.read("failures.txt").find("the time limit of 1.5 s"), std::string::npos);

    // Other grouping options rank the same optimisations anew. The inputs of the earlier
    // ranking go; what else the inputs folder holds (a job's output) stays.
    run.write("inputs/butane_001.log", "Gaussian's output");
    run.write("inputs/butane_007.xyz", "an input of an earlier ranking");
    request.ranking.window = 0;
    const ScreeningReport ranked = rank_screening(run.path(), request);
    EXPECT_EQ(calls(log.path()), 4u);
    EXPECT_EQ(ranked.within_window, 1u);
    EXPECT_EQ(ranked.distinct, 1u);
    EXPECT_EQ(files_in(run.path() / "inputs"),
              (std::vector<std::string>{"butane_001.log", "butane_001.xyz"}));
}

// Candidates the run has no result of yet (a stopped start, the tasks of a job array not
// all done) are named as not finished; what has finished is ranked.
TEST(Screening, RankingNamesWhatHasNotFinished) {
    const support::TempDir run;
    const support::TempDir log;
    const RunRecord record = butane_run(run.path(), {{butane(0), fake("succeed", "-13.0")},
                                                     {butane(120), fake("succeed", "-12.999")},
                                                     {butane(240), fake("succeed", "-12.998")}});
    ScreeningRequest request = fake_request(log.path());
    const XtbSettings settings =
        prepare_stage(run.path(), record, ScreeningStage::gfn2,
                      stage_settings(record.conditions, ScreeningStage::gfn2, FAKE_XTB, 60));
    // One chunk of the candidates, as one task of a job array would run it.
    const std::vector<ScreeningCandidate> chunk(record.candidates.begin() + 1,
                                                record.candidates.begin() + 2);
    const ChunkOutcome outcome =
        optimise_candidates(run.path(), ScreeningStage::gfn2, settings, chunk);
    ASSERT_EQ(outcome.results.size(), 1u);
    EXPECT_EQ(outcome.results[0].status, XtbJobStatus::optimised);

    const ScreeningReport report = rank_screening(run.path(), request);
    EXPECT_EQ(report.not_finished, (std::vector<std::string>{"butane_0001", "butane_0003"}));
    EXPECT_NE(summary_text(report).find(
                  "\nGFN2: 3 candidates, 1 optimised, 0 left out, 2 not finished\n"),
              std::string::npos)
        << summary_text(report);
    EXPECT_EQ(report.distinct, 1u);
}

// GFN-FF first, then the distinct GFN-FF minima within the GFN-FF window with GFN2: here
// anti and gauche (its mirror image one with it) within 12 kcal/mol, a second anti 20
// kcal/mol up left behind.
TEST(Screening, GfnffThenGfn2TakesTheDistinctMinimaOn) {
    const support::TempDir run;
    const support::TempDir log;
    butane_run(run.path(), {{butane(0), fake("succeed", "-13.0")},
                            {butane(120), fake("succeed", "-12.999")},
                            {butane(240), fake("succeed", "-12.999")},
                            {butane(0), fake("succeed", "-12.968")}});
    ScreeningRequest request = fake_request(log.path());
    request.method = ScreeningMethod::gfnff_then_gfn2;
    const ScreeningReport report = run_screening(run.path(), request);
    EXPECT_EQ(summary_text(report),
              "candidates: 4\n"
              "GFN-FF: 4 candidates, 4 optimised, 0 left out\n"
              "GFN2 from GFN-FF: 2 candidates (the distinct GFN-FF minima within 12 kcal/mol), 2 "
              "optimised, 0 left out\n"
              "distinct conformers: 2\n"
              "within 6 kcal/mol: 2\n"
              "inputs written: 2 in " +
                  (run.path() / "inputs").string() + "\n");
    // The set-up, one GFN-FF job per candidate, one GFN2 job per chosen minimum.
    EXPECT_EQ(calls(log.path()), 1u + 4u + 2u);
    const std::vector<ScreeningCandidate> chosen =
        read_candidates_file(run.path() / "gfnff_gfn2" / "candidates.xyz");
    ASSERT_EQ(chosen.size(), 2u);
    EXPECT_EQ(chosen[0].name, "butane_0001");
    EXPECT_EQ(chosen[1].name, "butane_0002");
    EXPECT_TRUE(fs::exists(run.path() / "gfnff" / "gfnff_setup" / "gfnff_topo"));
}

TEST(Screening, OptimisationsWithOtherXtbOptionsAreRefused) {
    const support::TempDir run;
    const support::TempDir log;
    const RunRecord record = butane_run(run.path(), {{butane(0), fake("succeed", "-13.0")}});
    XtbSettings settings = stage_settings(record.conditions, ScreeningStage::gfn2, FAKE_XTB, 60);
    optimise_candidates(run.path(), ScreeningStage::gfn2, settings, record.candidates);
    settings.level = "tight";
    EXPECT_THROW(optimise_candidates(run.path(), ScreeningStage::gfn2, settings, record.candidates),
                 RunRefusal);
}
