#include <gtest/gtest.h>
#include "CConformer.h"
#include "CSearch.h"

#include "TestSupport.h"
#include "XtbTestSupport.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <thread>

using namespace confsearch;
namespace fs = std::filesystem;

namespace {

using xtb_support::fake_settings;
using xtb_support::molecule;

XtbCandidate water(const std::string& name, const std::string& comment = "") {
    XtbCandidate candidate{name, molecule("water")};
    candidate.geometry.comment = comment;
    return candidate;
}

std::size_t lines_in(const fs::path& file) {
    std::ifstream in(file);
    std::size_t count = 0;
    for (std::string line; std::getline(in, line);) ++count;
    return count;
}

// The names in a folder, hidden ones included; none when it is not there.
std::vector<std::string> entries(const fs::path& folder) {
    std::vector<std::string> names;
    if (!fs::exists(folder)) return names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A results folder as the job leaves it: the files of the candidate and the marker.
void expect_whole(const fs::path& folder, const std::string& name, bool geometry) {
    std::vector<std::string> expected = {"done", name + ".err", name + ".out", name + ".xyz"};
    if (geometry) expected.push_back("xtbopt.xyz");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(entries(folder), expected) << folder;
}

}  // namespace

TEST(XtbJob, EveryWayXtbFailsIsNamedAndKept) {
    struct Case {
        std::string mode;
        double timeout;
        XtbJobStatus status;
        std::string reason;
        bool geometry;
    };
    const std::vector<Case> cases = {
        {"succeed", 60, XtbJobStatus::optimised, "", true},
        {"error", 60, XtbJobStatus::failed,
         "xtb ended with exit status 1: fake outer failure; fake inner failure", false},
        {"segfault", 60, XtbJobStatus::failed,
         "xtb was killed by SIGSEGV: Program received signal SIGSEGV: Segmentation fault - "
         "invalid memory reference.",
         false},
        {"killed", 60, XtbJobStatus::failed, "xtb was killed by SIGKILL", false},
        {"hang", 0.3, XtbJobStatus::failed,
         "xtb ran past the time limit of 0.3 s (ended by SIGTERM)", false},
        {"stubborn", 0.3, XtbJobStatus::failed,
         "xtb ran past the time limit of 0.3 s (ended by SIGKILL)", false},
        {"garbage", 60, XtbJobStatus::failed, "xtb wrote no optimised geometry (xtbopt.xyz)",
         false},
        {"garbage_geometry", 60, XtbJobStatus::failed,
         "xtbopt.xyz, line 3: an atom line must be a symbol and three numbers, not \"O 0.0 0.0 "
         "zero\"",
         true},
        {"wrong_atoms", 60, XtbJobStatus::failed, "xtbopt.xyz holds 2 atoms, the candidate 3",
         true},
        {"not_converged", 60, XtbJobStatus::not_converged,
         "the geometry optimisation did not converge (--opt normal)", true},
    };
    const support::TempDir run;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        XtbSettings settings = fake_settings(c.mode);
        settings.timeout_seconds = c.timeout;
        settings.grace_seconds = 0.2;
        const std::string name = "water_" + c.mode;
        const XtbJobResult result = run_xtb_job(settings, water(name), run.path());
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(result.reason, c.reason);
        EXPECT_FALSE(result.reused);
        ASSERT_EQ(result.folder, run.path() / "xtb" / name);
        expect_whole(result.folder, name, c.geometry);
        EXPECT_FALSE(fs::exists(run.path() / "scratch" / name));

        // A later start finds the same result without running xtb.
        const auto found = finished_xtb_job(run.path(), name);
        ASSERT_TRUE(found.has_value());
        EXPECT_TRUE(found->reused);
        EXPECT_EQ(found->status, result.status);
        EXPECT_EQ(found->reason, result.reason);
        EXPECT_EQ(found->options, "--opt normal --gfn 2 --chrg 0 --uhf 0");
        EXPECT_EQ(found->process.describe(), result.process.describe());
        EXPECT_NEAR(found->process.seconds, result.process.seconds, 1e-6);
    }
    // Nothing of the jobs is left but their results.
    EXPECT_TRUE(entries(run.path() / "scratch").empty());
    EXPECT_EQ(entries(run.path() / "xtb").size(), cases.size());
}

TEST(XtbJob, RunsXtbWithTheChemistsOptionsOnOneThread) {
    const support::TempDir run;
    XtbSettings settings = fake_settings();
    settings.level = "tight";
    settings.charge = -1;
    settings.multiplicity = 2;
    settings.solvent = "water";
    const XtbJobResult result = run_xtb_job(settings, water("anion"), run.path());
    ASSERT_EQ(result.status, XtbJobStatus::optimised);
    const std::string output = support::read_file(result.output());
    EXPECT_NE(
        output.find("program call               : xtb anion.xyz --opt tight --gfn 2 --chrg -1 "
                    "--uhf 1 --alpb water\n"),
        std::string::npos)
        << output;
    EXPECT_NE(output.find("OMP_NUM_THREADS=1 MKL_NUM_THREADS=1 OMP_STACKSIZE=1G"),
              std::string::npos);
    // The start geometry's comment is the candidate's name when it has none of its own.
    XyzGeometry start;
    ASSERT_TRUE(read_xyz_geometry((result.folder / "anion.xyz").string(), start).ok());
    EXPECT_EQ(start.comment, "anion");
    EXPECT_EQ(start.symbols, molecule("water").symbols);

    auto with = [](auto change) {
        XtbSettings changed = fake_settings();
        change(changed);
        return changed;
    };
    const std::vector<XtbSettings> refused = {
        with([](XtbSettings& s) { s.level = "bogus"; }),
        with([](XtbSettings& s) { s.multiplicity = 0; }),
        with([](XtbSettings& s) { s.solvent = "wa ter"; }),
        with([](XtbSettings& s) { s.solvent = "--"; }),
        with([](XtbSettings& s) { s.method = XtbMethod::gfnff; }),
    };
    for (const auto& bad : refused)
        EXPECT_THROW(run_xtb_job(bad, water("refused"), run.path()), std::invalid_argument);
    for (const std::string name : {"", ".hidden", "a/b", "a b", "../up"})
        EXPECT_THROW(run_xtb_job(settings, water(name), run.path()), std::invalid_argument) << name;
    EXPECT_FALSE(fs::exists(run.path() / "xtb" / "refused"));
}

TEST(XtbJob, ChangedBondIsNamedFromThePerceivedBonds) {
    // The stand-in's mode comes from the input's comment line here.
    const support::TempDir run;
    const XtbCandidate candidate = water("stretched", "water fake_xtb: broken_bond");
    const XtbJobResult result = run_xtb_job(fake_settings(""), candidate, run.path());
    ASSERT_EQ(result.status, XtbJobStatus::optimised);
    XyzGeometry optimised;
    ASSERT_TRUE(read_xyz_geometry(result.geometry().string(), optimised).ok());
    const CBondGraph before(conformer_of(candidate.geometry));
    const CBondGraph after(conformer_of(optimised));
    const auto changes = bond_changes(before, after);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(describe(changes[0], after), "bond 1-3 (O-H) broken");
}

TEST(XtbJob, FinishedJobIsNeverRunAgain) {
    const support::TempDir run;
    const support::TempDir log;
    XtbSettings settings = fake_settings("succeed");
    settings.environment.push_back({"FAKE_XTB_LOG", log.path().string()});
    ASSERT_EQ(run_xtb_job(settings, water("once"), run.path()).status, XtbJobStatus::optimised);
    settings.environment[0].second = "segfault";
    const XtbJobResult again = run_xtb_job(settings, water("once"), run.path());
    EXPECT_TRUE(again.reused);
    EXPECT_EQ(again.status, XtbJobStatus::optimised);
    EXPECT_EQ(lines_in(log.path() / "calls"), 1u);
    EXPECT_FALSE(finished_xtb_job(run.path(), "never").has_value());
}

// A folder that is not whole (its data lost in a power cut, a marker edited by hand) is
// named, never taken for a result, and the job is run again.
TEST(XtbJob, DamagedResultsAreNamedAndMadeAgain) {
    const support::TempDir run;
    const support::TempDir log;
    XtbSettings settings = fake_settings("succeed");
    settings.environment.push_back({"FAKE_XTB_LOG", log.path().string()});
    const fs::path folder = run_xtb_job(settings, water("lost"), run.path()).folder;
    const std::string output = support::read_file(folder / "lost.out");
    const std::vector<std::pair<std::function<void()>, std::string>> damages = {
        {[&] { support::write_file(folder / "lost.out", ""); },
         (folder / "lost.out").string() + " is not the file done lists (" +
             std::to_string(output.size()) + " bytes)"},
        {[&] { support::write_file(folder / "done", "status optimised\n\nx\n"); },
         (folder / "done").string() + ", line 2: a line must begin with its key"},
        {[&] { fs::remove(folder / "done"); }, (folder / "done").string() + " is missing"},
    };
    std::size_t runs = 1;
    for (const auto& [damage, message] : damages) {
        damage();
        try {
            finished_xtb_job(run.path(), "lost");
            ADD_FAILURE() << "a damaged folder was taken: " << message;
        } catch (const DamagedFolder& error) {
            EXPECT_EQ(std::string(error.what()), message);
        }
        const XtbJobResult again = run_xtb_job(settings, water("lost"), run.path());
        EXPECT_EQ(again.redone, message);
        EXPECT_EQ(again.status, XtbJobStatus::optimised);
        EXPECT_EQ(lines_in(log.path() / "calls"), ++runs);
        EXPECT_EQ(support::read_file(folder / "lost.out"), output);
    }
}

TEST(XtbJob, StoppedJobLeavesNothingBehind) {
    const support::TempDir run;
    StopFlag stop;
    std::thread stopper([&stop] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        stop.stop(SIGINT);
    });
    const XtbJobResult result = run_xtb_job(fake_settings("hang"), water("cut"), run.path(), &stop);
    stopper.join();
    EXPECT_EQ(result.status, XtbJobStatus::stopped);
    EXPECT_TRUE(result.folder.empty());
    EXPECT_TRUE(entries(run.path() / "xtb").empty());
    EXPECT_TRUE(entries(run.path() / "scratch").empty());
    EXPECT_FALSE(finished_xtb_job(run.path(), "cut").has_value());
}

// Ctrl-C while two jobs run: the handler ends their xtb at once, the jobs count as
// stopped, not failed, and leave nothing a restart would take for a result.
TEST(XtbJob, InterruptStopsRunningJobsWithoutRecordingThem) {
    const support::TempDir run;
    JobPool pool(2);
    const StopOnSignals handlers(pool.stop_flag());
    std::vector<XtbJobResult> results(3);
    for (std::size_t i = 0; i < results.size(); ++i)
        pool.add([&, i](const StopFlag& stop) {
            results[i] = run_xtb_job(fake_settings("hang"), water("job" + std::to_string(i)),
                                     run.path(), &stop);
            return results[i].status == XtbJobStatus::stopped ? JobStatus::stopped
                                                              : JobStatus::failed;
        });
    bool interrupted = false;
    const auto reports = pool.run(
        [&interrupted, &run](const JobProgress& progress) {
            // Both xtb have started once their scratch folders hold their output.
            if (!interrupted && progress.running == 2 &&
                fs::exists(run.path() / "scratch" / "job0" / "job0.out") &&
                fs::exists(run.path() / "scratch" / "job1" / "job1.out")) {
                interrupted = true;
                raise(SIGINT);
            }
        },
        0.02);
    ASSERT_TRUE(interrupted);
    EXPECT_EQ(reports[0].status, JobStatus::stopped);
    EXPECT_EQ(reports[1].status, JobStatus::stopped);
    EXPECT_EQ(reports[2].status, JobStatus::not_run);
    EXPECT_EQ(pool.stop_flag().signal(), SIGINT);
    EXPECT_TRUE(entries(run.path() / "xtb").empty());
    EXPECT_TRUE(entries(run.path() / "scratch").empty());
}

TEST(XtbJob, TimeoutCostsOnlyTheHangingJob) {
    const support::TempDir run;
    const support::TempDir log;
    XtbSettings settings = fake_settings("");
    settings.environment = {{"FAKE_XTB_LOG", log.path().string()}};
    // Only the hanging job's limit is short, so that a busy machine cannot push the others
    // past theirs.
    XtbSettings short_limit = settings;
    short_limit.timeout_seconds = 0.5;
    JobPool pool(2);
    std::vector<XtbJobResult> results(3);
    const std::vector<std::string> modes = {"hang", "succeed", "succeed"};
    for (std::size_t i = 0; i < modes.size(); ++i)
        pool.add([&, i](const StopFlag& stop) {
            const XtbCandidate candidate =
                water("job" + std::to_string(i), "fake_xtb: " + modes[i]);
            results[i] = run_xtb_job(i == 0 ? short_limit : settings, candidate, run.path(), &stop);
            return results[i].status == XtbJobStatus::optimised ? JobStatus::succeeded
                                                                : JobStatus::failed;
        });
    const auto reports = pool.run();
    EXPECT_EQ(reports[0].status, JobStatus::failed);
    EXPECT_EQ(results[0].process.kind, ProcessOutcome::Kind::timed_out);
    EXPECT_EQ(reports[1].status, JobStatus::succeeded);
    EXPECT_EQ(reports[2].status, JobStatus::succeeded);
    // The hanging xtb's own child went with it.
    xtb_support::expect_gone(xtb_support::pid_in(log.path() / "job0.xyz.sleep"));
}

// A kill of the whole toolkit at any moment: every results folder there is complete, and
// the next start finishes the rest and clears what the killed one left half done.
TEST(XtbJob, KillAtAnyMomentLeavesWholeResultsOrNone) {
    const support::TempDir run;
    const int candidates = 12;
    auto run_all = [&run] {
        for (int i = 0; i < candidates; ++i)
            run_xtb_job(fake_settings(), water("c" + std::to_string(i)), run.path());
    };
    // The kills fall at ever other moments of a job: 0.2, 0.35, 0.5, ... times its length
    // after a start that skips the jobs done before, so that the run moves on by about one
    // job in two kills.
    const support::TempDir timing;
    const auto start = std::chrono::steady_clock::now();
    run_xtb_job(fake_settings(), water("timed"), timing.path());
    const auto job = std::chrono::steady_clock::now() - start;
    std::vector<std::size_t> complete;
    for (int kill_number = 0; kill_number < 12; ++kill_number) {
        const pid_t toolkit = fork();
        ASSERT_GE(toolkit, 0);
        if (toolkit == 0) {
            run_all();
            _exit(0);
        }
        std::this_thread::sleep_for(job * (0.2 + 0.15 * kill_number));
        kill(toolkit, SIGKILL);
        ASSERT_EQ(waitpid(toolkit, nullptr, 0), toolkit);
        complete.push_back(0);
        for (const auto& name : entries(run.path() / "xtb"))
            if (name.front() != '.') {
                expect_whole(run.path() / "xtb" / name, name, true);
                ++complete.back();
            }
    }
    EXPECT_LT(complete.front(), static_cast<std::size_t>(candidates));
    run_all();
    std::vector<std::string> all;
    for (int i = 0; i < candidates; ++i) all.push_back("c" + std::to_string(i));
    std::sort(all.begin(), all.end());
    EXPECT_EQ(entries(run.path() / "xtb"), all);
    EXPECT_TRUE(entries(run.path() / "scratch").empty());
}

TEST(GfnffSetup, MadeOnceFromTheInputAndTakenByEveryJob) {
    const support::TempDir run;
    const support::TempDir log;
    XtbSettings settings = fake_settings();
    settings.method = XtbMethod::gfnff;
    settings.environment.push_back({"FAKE_XTB_LOG", log.path().string()});
    const XyzGeometry input = molecule("water");
    settings.gfnff = prepare_gfnff_setup(settings, input, run.path());
    EXPECT_EQ(settings.gfnff.topology, run.path() / "gfnff_setup" / "gfnff_topo");
    EXPECT_EQ(support::read_file(settings.gfnff.topology), "fake topology of input.xyz\n");
    EXPECT_EQ(
        entries(run.path() / "gfnff_setup"),
        (std::vector<std::string>{"done", "gfnff_topo", "input.err", "input.out", "input.xyz"}));

    const XtbJobResult taken = run_xtb_job(settings, water("ff"), run.path());
    EXPECT_EQ(taken.status, XtbJobStatus::optimised);
    EXPECT_EQ(taken.options, "--opt normal --gfnff --chrg 0 --uhf 0");
    settings.environment[0].second = "ignore_topology";
    EXPECT_EQ(run_xtb_job(settings, water("own"), run.path()).reason,
              "xtb did not take the run's GFN-FF set-up (gfnff_topo)");

    // A second start takes the set-up as it is, for the same molecule and options only.
    EXPECT_EQ(prepare_gfnff_setup(settings, input, run.path()).topology, settings.gfnff.topology);
    EXPECT_EQ(lines_in(log.path() / "calls"), 3u);
    XyzGeometry moved = input;
    moved.positions[0].z += 0.01;
    EXPECT_THROW(prepare_gfnff_setup(settings, moved, run.path()), XtbError);
    XtbSettings cation = settings;
    cation.charge = 1;
    try {
        prepare_gfnff_setup(cation, input, run.path());
        ADD_FAILURE() << "a set-up of other options was taken";
    } catch (const XtbError& error) {
        EXPECT_NE(std::string(error.what())
                      .find("was made with \"--gfnff --chrg 0 --uhf 0\", this run asks for "
                            "\"--gfnff --chrg 1 --uhf 0\""),
                  std::string::npos)
            << error.what();
    }
    // A candidate of other atoms cannot use it.
    EXPECT_THROW(run_xtb_job(settings, {"ethanol", molecule("ethanol")}, run.path()),
                 std::invalid_argument);

    const support::TempDir failing;
    try {
        prepare_gfnff_setup(fake_settings("error"), input, failing.path());
        ADD_FAILURE() << "a failed set-up was taken";
    } catch (const XtbError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "the GFN-FF set-up (xtb input.xyz --gfnff --chrg 0 --uhf 0) failed: exit "
                  "status 1: fake outer failure; fake inner failure");
    }
    EXPECT_FALSE(fs::exists(failing.path() / "gfnff_setup"));
}

TEST(FindXtb, RefusesWhatIsNotAWorkingXtbWithTheInstallCommand) {
    const XtbProgram fake = find_xtb(FAKE_XTB);
    EXPECT_EQ(fake.path, FAKE_XTB);
    EXPECT_EQ(fake.version, "6.5.1 (fake)");

    const support::TempDir dir;
    dir.write("not_executable", "#!/bin/sh\n");
    const std::string install = "; install it with: sudo apt-get install xtb";
    const std::vector<std::pair<std::string, std::string>> refused = {
        {"/no/such/xtb", "/no/such/xtb does not exist" + install},
        {"/bin/true",
         "/bin/true does not print xtb's version line (\"xtb version ...\"): it is "
         "not xtb" +
             install},
        {"/bin/false", "/bin/false --version did not run: exit status 1" + install},
        {dir.file("not_executable"),
         dir.file("not_executable") + " --version did not run: could not start: cannot run " +
             dir.file("not_executable") + ": Permission denied" + install},
    };
    for (const auto& [path, message] : refused) {
        try {
            find_xtb(path);
            ADD_FAILURE() << path << " was taken for xtb";
        } catch (const XtbError& error) {
            EXPECT_EQ(std::string(error.what()), message);
        }
    }
    // No xtb on the PATH at all.
    const std::string path = std::getenv("PATH");
    setenv("PATH", dir.path().c_str(), 1);
    try {
        find_xtb();
        ADD_FAILURE() << "an xtb was found in an empty PATH";
    } catch (const XtbError& error) {
        EXPECT_EQ(std::string(error.what()), "xtb is not on the PATH" + install);
    }
    setenv("PATH", path.c_str(), 1);
}

TEST(XtbFailureText, KeepsXtbsOwnReasons) {
    const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
        // xtb 6.5.1 on an unknown element: the report in standard output, innermost last.
        {"   ...\n[ERROR] Program stopped due to fatal error\n"
         "-2- reading geometry input 'bad.xyz' failed\n"
         "-1- Error: Cannot map symbol to atomic number\n --> bad.xyz:5:1-2\n"
         "  |\n5 | Xx 1 1 1\n",
         "ERROR STOP \n\nError termination. Backtrace:\n",
         "reading geometry input 'bad.xyz' failed; Error: Cannot map symbol to atomic number"},
        {"[ERROR] Program stopped due to fatal error\n-2- Could not setup defaults\n"
         "-1- solv_model_loadInternalParam: solvent: 'nosuchsolvent' is not parametrized\n"
         "#####\n",
         "",
         "Could not setup defaults; solv_model_loadInternalParam: solvent: 'nosuchsolvent' is "
         "not parametrized"},
        // Nothing in the output: the first line of standard error that is not routine.
        {"          ...\n",
         "Note: The following floating-point exceptions are signalling: IEEE_DENORMAL\n\n"
         "Program received signal SIGSEGV: Segmentation fault - invalid memory reference.\n",
         "Program received signal SIGSEGV: Segmentation fault - invalid memory reference."},
        {"",
         "Note: The following floating-point exceptions are signalling: IEEE_DENORMAL\n"
         "normal termination of xtb\n",
         ""},
    };
    for (const auto& [output, errors, said] : cases)
        EXPECT_EQ(xtb_failure_text(output, errors), said);
}
