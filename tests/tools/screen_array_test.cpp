// The screening's job arrays: every task run here as SLURM would run it, in the run
// folder with SLURM_ARRAY_TASK_ID set, and what the tasks leave collected and compared
// with a run of the same candidates on one machine.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "ScreeningSupport.h"
#include "TestSupport.h"

using namespace confsearch;
namespace fs = std::filesystem;
using screening_support::butane;
using screening_support::fake;
using screening_support::frames;
using support::RunResult;

namespace {

const char* const ENV = "/usr/bin/env";
const char* const REAL_XTB = "/usr/bin/xtb";
const char* const RUN = "butane_screen";

using Candidates = std::vector<std::pair<XyzGeometry, std::string>>;

// A working folder with butane.xyz and the candidates cands.xyz (none: the generator's).
struct Workdir {
    support::TempDir dir;
    std::string xtb;
    bool generated;
    Workdir(const Candidates& candidates, std::string program) : xtb(std::move(program)) {
        dir.write("butane.xyz", frames({{butane(0), "butane"}}));
        generated = candidates.empty();
        if (!generated) dir.write("cands.xyz", frames(candidates));
    }
    RunResult run(std::vector<std::string> options, const support::RunLimits& limits = {}) const {
        options.insert(options.begin(), {"--xtb", xtb});
        if (!generated)
            for (const char* tail : {"--candidates", "cands.xyz"}) options.push_back(tail);
        options.push_back("butane.xyz");
        return support::run_program(SCREEN_CONFORMERS_EXE, options, dir.path(), limits);
    }
    // Task k of the run folder's script, as SLURM starts it, with more of the environment.
    RunResult task(int k, std::vector<std::string> environment = {},
                   const support::RunLimits& limits = {}) const {
        environment.insert(environment.begin(), "SLURM_ARRAY_TASK_ID=" + std::to_string(k));
        for (const char* command : {"bash", "screen.sbatch"}) environment.push_back(command);
        return support::run_program(ENV, environment, dir.path() / RUN, limits);
    }
    // Every task of the script, each expected to succeed.
    void run_tasks(int tasks) const {
        for (int k = 1; k <= tasks; ++k) {
            const RunResult t = task(k);
            EXPECT_EQ(t.status, 0) << "task " << k << ": " << t.err;
        }
    }
    std::string script() const { return dir.read(std::string(RUN) + "/screen.sbatch"); }
};

// The script's chunks: its "k) names=(...)" lines.
std::vector<std::string> chunk_lines(const std::string& script) {
    std::vector<std::string> lines;
    for (std::size_t at = 0; (at = script.find(") names=(", at)) != std::string::npos; ++at) {
        const std::size_t start = script.rfind('\n', at) + 1;
        lines.push_back(script.substr(start, script.find('\n', at) - start));
    }
    return lines;
}

// The files a screening leaves for the chemist, equal in both folders.
void expect_same_results(const Workdir& local, const Workdir& array) {
    std::vector<std::string> files = {"all_list2.txt",         "unique_list2.txt", "ensemble.txt",
                                      "unique_conformers.xyz", "failures.txt",     "summary.txt"};
    for (const auto& entry : fs::directory_iterator(local.dir.path() / RUN / "inputs"))
        files.push_back("inputs/" + entry.path().filename().string());
    EXPECT_GT(files.size(), 6u);
    for (const std::string& file : files) {
        const std::string path = std::string(RUN) + "/" + file;
        ASSERT_TRUE(array.dir.exists(path)) << file;
        EXPECT_EQ(array.dir.read(path), local.dir.read(path)) << file;
    }
}

void expect_script_parses(const Workdir& work, const std::string& script) {
    const RunResult parsed =
        support::run_program(ENV, {"bash", "-n", script}, work.dir.path() / RUN);
    EXPECT_EQ(parsed.status, 0) << parsed.err;
    if (support::run_program(ENV, {"sh", "-c", "command -v shellcheck"}, work.dir.path()).status !=
        0)
        return;
    const RunResult checked =
        support::run_program(ENV, {"shellcheck", script}, work.dir.path() / RUN);
    EXPECT_EQ(checked.status, 0) << script << ": " << checked.out;
}

const Candidates FIVE = {{butane(0), fake("succeed", "-13.0")},
                         {butane(120), fake("succeed", "-12.999")},
                         {butane(240), fake("error")},
                         {butane(0), fake("broken_bond")},
                         {butane(120), fake("succeed", "-12.995")}};

}  // namespace

// Each method's arrays, their tasks run here, collect into the files a run on one machine
// writes. The GFN2 stage after GFN-FF has its own array once GFN-FF has been collected.
TEST(ScreenArray, TasksCollectIntoTheFilesOfALocalRun) {
    struct Case {
        std::string method;
        std::string first;   // the first array, as printed
        std::string second;  // the GFN2 stage's after GFN-FF; empty: none
        std::string inputs;  // distinct conformers within the window
    };
    const Case cases[] = {
        {"gfn2", "GFN2: job array of 3 tasks over 5 candidates, 2 per task", "", "3"},
        {"gfnff", "GFN-FF: job array of 3 tasks over 5 candidates, 2 per task", "", "3"},
        {"gfnff-then-gfn2", "GFN-FF: job array of 3 tasks over 5 candidates, 2 per task",
         "GFN2 from GFN-FF: job array of 2 tasks over 3 candidates, 2 per task", "2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.method);
        const Workdir local(FIVE, FAKE_XTB);
        ASSERT_EQ(local.run({"--method", c.method, "--jobs", "2"}).status, 0);
        const Workdir array(FIVE, FAKE_XTB);
        const RunResult made =
            array.run({"--method", c.method, "--slurm", "--per-task", "2", "--account", "chem"});
        ASSERT_EQ(made.status, 0) << made.err;
        EXPECT_EQ(made.out, c.first + ": " + RUN + "/screen.sbatch\nsubmit: cd " + RUN +
                                " && sbatch screen.sbatch\n");
        // Two optimisations of at most 600 s each and ten minutes more; 1 GB per job.
        const std::string script = array.script();
        EXPECT_NE(script.find("#SBATCH --array=1-3\n#SBATCH --nodes=1\n#SBATCH --ntasks=1\n"
                              "#SBATCH --cpus-per-task=1\n#SBATCH --mem=1024M\n"
                              "#SBATCH --time=0:30:00\n#SBATCH --account=chem\n"),
                  std::string::npos)
            << script;
        EXPECT_EQ(chunk_lines(script),
                  (std::vector<std::string>{"    1) names=(butane_0001 butane_0002) ;;",
                                            "    2) names=(butane_0003 butane_0004) ;;",
                                            "    3) names=(butane_0005) ;;"}));
        expect_script_parses(array, "screen.sbatch");
        // Nothing ran to make the script.
        EXPECT_FALSE(array.dir.exists(std::string(RUN) + "/gfn2/xtb"));
        array.run_tasks(3);
        // Each task's scratch folder is gone with it.
        if (c.method == "gfn2") {
            std::vector<std::string> left;
            for (const auto& entry : fs::directory_iterator(array.dir.path() / RUN / "gfn2"))
                left.push_back(entry.path().filename().string());
            EXPECT_EQ(left, std::vector<std::string>{"xtb"});
        }
        if (!c.second.empty()) {
            const RunResult early = array.run({"--method", c.method, "--collect"});
            EXPECT_EQ(early.status, 1);
            EXPECT_NE(early.err.find("the GFN2 stage has not started: the same command with "
                                     "--slurm in place of --collect writes its job array"),
                      std::string::npos)
                << early.err;
            const RunResult second =
                array.run({"--method", c.method, "--slurm", "--per-task", "2"});
            ASSERT_EQ(second.status, 0) << second.err;
            EXPECT_EQ(second.out.substr(0, second.out.find(':', 20)), c.second);
            array.run_tasks(2);
        }
        // The inputs go on to the next level as one array of their own.
        const RunResult collected =
            array.run({"--method", c.method, "--collect", "--partition", "short"});
        EXPECT_EQ(collected.status, 0) << collected.err;
        EXPECT_EQ(collected.out, local.dir.read(std::string(RUN) + "/summary.txt") +
                                     "next level: job array of " + c.inputs + " tasks: " + RUN +
                                     "/inputs/butane.sbatch\nsubmit: cd " + RUN +
                                     "/inputs && sbatch butane.sbatch\n");
        expect_same_results(local, array);
        expect_script_parses(array, "inputs/butane.sbatch");
        EXPECT_NE(array.dir.read(std::string(RUN) + "/inputs/butane.sbatch")
                      .find("#SBATCH --partition=short\n"),
                  std::string::npos);
        EXPECT_EQ(array.dir.read(std::string(RUN) + "/inputs/list.txt").substr(0, 30),
                  "butane_001.log\nbutane_002.log\n");
    }
}

// A task the scheduler killed and one that never started leave their candidates
// unfinished: --collect ranks the rest and names them, and --slurm --missing writes an
// array of exactly them, whose tasks complete the run.
TEST(ScreenArray, KilledTasksLeaveTheirCandidatesForTheMissingArray) {
    Candidates six;
    for (int i = 0; i < 6; ++i)
        six.push_back({butane(i % 2 == 0 ? 0 : 120), fake("slow", "-13.00" + std::to_string(i))});
    const Workdir work(six, FAKE_XTB);
    ASSERT_EQ(work.run({"--slurm", "--per-task", "2", "--jobs", "2"}).status, 0);
    EXPECT_EQ(work.task(1, {"FAKE_XTB_SECONDS=0"}).status, 0);
    const RunResult killed = work.task(2, {"FAKE_XTB_SECONDS=30"}, support::RunLimits{1, 0});
    EXPECT_EQ(killed.status, 128 + SIGALRM);

    const RunResult collected = work.run({"--collect"});
    EXPECT_EQ(collected.status, 0) << collected.err;
    EXPECT_NE(collected.out.find("GFN2: 6 candidates, 2 optimised, 0 left out, 4 not finished\n"),
              std::string::npos)
        << collected.out;
    EXPECT_NE(collected.err.find("4 candidates have no result yet: butane_0003, butane_0004, "
                                 "butane_0005, butane_0006; the same command with --slurm "
                                 "--missing in place of --collect writes a job array of them"),
              std::string::npos)
        << collected.err;

    const RunResult missing = work.run({"--slurm", "--missing", "--per-task", "3"});
    ASSERT_EQ(missing.status, 0) << missing.err;
    EXPECT_EQ(chunk_lines(work.script()),
              (std::vector<std::string>{"    1) names=(butane_0003 butane_0004 butane_0005) ;;",
                                        "    2) names=(butane_0006) ;;"}));
    for (int k = 1; k <= 2; ++k) EXPECT_EQ(work.task(k, {"FAKE_XTB_SECONDS=0"}).status, 0);
    const RunResult done = work.run({"--collect"});
    EXPECT_NE(done.out.find("GFN2: 6 candidates, 6 optimised, 0 left out\n"), std::string::npos)
        << done.out;
    const RunResult nothing = work.run({"--slurm", "--missing"});
    EXPECT_EQ(nothing.status, 0);
    EXPECT_NE(nothing.err.find("every candidate of the GFN2 stage has a result"),
              std::string::npos);
}

// The real xtb on butane's generated conformers: the tasks' results are the local run's.
TEST(ScreenArray, RealXtbTasksCollectAsALocalRun) {
    if (!fs::exists(REAL_XTB)) GTEST_SKIP() << REAL_XTB << " is not installed";
    const Workdir local({}, REAL_XTB);
    const RunResult ran = local.run({"--jobs", "2"});
    ASSERT_EQ(ran.status, 0) << ran.err;
    const Workdir array({}, REAL_XTB);
    ASSERT_EQ(array.run({"--slurm", "--per-task", "1"}).status, 0);
    array.run_tasks(2);
    ASSERT_EQ(array.run({"--collect"}).status, 0);
    expect_same_results(local, array);
}

// Options that cannot apply, and tasks that do not fit the run folder or the script, are
// refused before anything runs.
TEST(ScreenArray, RefusalsRunNothing) {
    const Workdir work(FIVE, FAKE_XTB);
    const std::pair<std::vector<std::string>, std::string> starts[] = {
        {{"--missing"}, "--missing goes with --slurm: it is an option of the job-array script"},
        {{"--per-task", "3"}, "--per-task goes with --slurm"},
        {{"--collect", "--slurm"},
         "--collect ranks what a job array left; it goes without --slurm"},
        {{"--slurm", "--per-task", "0"},
         "--per-task takes a whole number in 1..1000000, not \"0\""},
        {{"--slurm", "--task-mem", "4XB"}, "--task-mem takes a size as 4GB or 500MB, not \"4XB\""},
        {{"--program", "g09"},
         "--program goes with --collect: it is the program of the next level's job array"},
        {{"--collect", "--format", "xyz", "--program", "g16"},
         "--program names the Gaussian or ORCA program of the inputs, not \"g16\""},
    };
    for (const auto& [options, why] : starts) {
        const RunResult r = work.run(options);
        EXPECT_EQ(r.status, 2) << why;
        EXPECT_EQ(r.err.rfind("screen_conformers: " + why, 0), 0u) << r.err;
    }
    EXPECT_FALSE(work.dir.exists(RUN));

    ASSERT_EQ(work.run({"--slurm", "--screen-program", "/nowhere/screen_conformers"}).status, 0);
    const RunResult absent = work.task(1);
    EXPECT_EQ(absent.status, 127);
    EXPECT_NE(absent.err.find("/nowhere/screen_conformers: no such program on this node"),
              std::string::npos);
    EXPECT_EQ(work.task(2).status, 2);
    const std::pair<std::vector<std::string>, std::string> tasks[] = {
        {{"--task", "gfn3", "butane_0001"}, "--task takes gfn2, gfnff or gfnff_gfn2, not \"gfn3\""},
        {{"--task", "gfn2", "butane_0009"}, "butane_0009 is no candidate of the GFN2 stage in ."},
        {{"--task", "gfn2", "--window", "3", "butane_0001"},
         "--window does not go with --task: a task takes its run's options from the run folder"},
        {{"--task", "gfn2"}, "--task needs the names of its candidates"},
    };
    for (auto [options, why] : tasks) {
        options.insert(options.begin() + 2, {"--xtb", FAKE_XTB});
        const RunResult r =
            support::run_program(SCREEN_CONFORMERS_EXE, options, work.dir.path() / RUN);
        EXPECT_EQ(r.status, 2) << why;
        EXPECT_EQ(r.err, "screen_conformers: " + why + "\n");
    }
    // Another xtb than the run's would give other results.
    if (fs::exists(REAL_XTB)) {
        const RunResult other = support::run_program(
            SCREEN_CONFORMERS_EXE, {"--task", "gfn2", "--xtb", REAL_XTB, "butane_0001"},
            work.dir.path() / RUN);
        EXPECT_EQ(other.status, 2);
        EXPECT_NE(other.err.find("was recorded with xtb 6.5.1 (fake)"), std::string::npos);
    }
    EXPECT_FALSE(work.dir.exists(std::string(RUN) + "/gfn2/xtb"));
}
