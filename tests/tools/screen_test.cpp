#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "ScreeningSupport.h"
#include "TestSupport.h"

using namespace confsearch;
namespace fs = std::filesystem;
using screening_support::butane;
using screening_support::fake;
using screening_support::frames;

namespace {

// A working folder with butane.xyz and the candidates file cands.xyz.
struct Workdir {
    support::TempDir dir;
    support::TempDir log;
    explicit Workdir(const std::vector<std::pair<XyzGeometry, std::string>>& candidates) {
        dir.write("butane.xyz", frames({{butane(0), "butane"}}));
        dir.write("cands.xyz", frames(candidates));
        setenv("FAKE_XTB_LOG", log.path().string().c_str(), 1);
    }
    ~Workdir() { unsetenv("FAKE_XTB_LOG"); }
    support::RunResult run(std::vector<std::string> options,
                           const support::RunLimits& limits = {}) const {
        if (std::find(options.begin(), options.end(), "--jobs") == options.end())
            options.insert(options.begin(), {"--jobs", "2"});
        options.insert(options.begin(), {"--xtb", FAKE_XTB});
        for (const char* tail : {"--candidates", "cands.xyz", "butane.xyz"})
            options.push_back(tail);
        return support::run_program(SCREEN_CONFORMERS_EXE, options, dir.path(), limits);
    }
    // The candidates xtb was started for, each with its number of starts.
    std::map<std::string, int> started() const {
        std::map<std::string, int> count;
        std::ifstream in(log.path() / "calls");
        for (std::string folder, pid; in >> folder >> pid;)
            ++count[fs::path(folder).filename().string()];
        return count;
    }
};

}  // namespace

TEST(ScreenConformers, SummaryOnStandardOutputReasonsOnStandardError) {
    const Workdir work({{butane(0), fake("succeed", "-13.0")},
                        {butane(120), fake("succeed", "-12.999")},
                        {butane(240), fake("error")},
                        {butane(0), fake("broken_bond")}});
    const support::RunResult result = work.run({});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out,
              "candidates: 4\n"
              "GFN2: 4 candidates, 2 optimised, 2 left out (1 xtb failed, 1 bonds changed)\n"
              "distinct conformers: 2\n"
              "within 6 kcal/mol: 2\n"
              "inputs written: 2 in butane_screen/inputs\n");
    EXPECT_NE(result.err.find("screen_conformers: note: left out butane_0003 (GFN2): xtb failed: "
                              "xtb ended with exit status 1: fake outer failure; fake inner "
                              "failure\n"),
              std::string::npos)
        << result.err;
    EXPECT_NE(result.err.find("left out butane_0004 (GFN2): bonds changed: the optimisation "
                              "changed the molecule's bonds: bond 4-14 (C-H) broken\n"),
              std::string::npos);
    // Not a terminal: a line per tenth, the last one at 4 of 4.
    EXPECT_NE(result.err.find("screen_conformers: GFN2: 4 of 4 done, 1 failed, 0 running, "),
              std::string::npos);
    for (const char* file : {"all_list2.txt", "unique_list2.txt", "ensemble.txt",
                             "unique_conformers.xyz", "failures.txt", "summary.txt",
                             "inputs/butane_001.gjf", "gfn2/xtb/butane_0001/butane_0001.out"})
        EXPECT_TRUE(work.dir.exists("butane_screen/" + std::string(file))) << file;
}

// A start that would change the finished optimisations is refused before anything runs;
// the same start again runs nothing.
TEST(ScreenConformers, SecondStartGoesOnOrIsRefused) {
    const Workdir work({{butane(0), fake("succeed", "-13.0")}, {butane(120), fake("error")}});
    ASSERT_EQ(work.run({}).status, 0);

    // Another window only ranks anew.
    const support::RunResult again = work.run({"--window", "1"});
    EXPECT_EQ(again.status, 0) << again.err;
    const std::string summary = work.dir.read("butane_screen/summary.txt");
    EXPECT_NE(summary.find("within 1 kcal/mol: 1\n"), std::string::npos);
    EXPECT_NE(again.err.find("note: 2 optimisations were found finished by an earlier start"),
              std::string::npos)
        << again.err;
    EXPECT_EQ(work.started().size(), 2u);

    const support::RunResult charged = work.run({"--charge", "2"});
    EXPECT_EQ(charged.status, 2);
    EXPECT_EQ(charged.err,
              "screen_conformers: butane_screen holds a screening run with --charge 0; this start "
              "asks for --charge 2, which would change its finished optimisations: start it with "
              "the same options, or give another run folder\n");
    EXPECT_NE(work.run({"--opt", "tight"}).err.find("--opt normal"), std::string::npos);
    work.dir.write("cands.xyz", frames({{butane(0), fake("succeed", "-13.0")}}));
    EXPECT_EQ(work.run({}).status, 2);
    EXPECT_EQ(work.dir.read("butane_screen/summary.txt"), summary);
}

// A kill at any moment loses at most the optimisations running then: the next start runs
// only the candidates without a result.
TEST(ScreenConformers, KilledRunGoesOnWithoutRepeatingFinishedWork) {
    std::vector<std::pair<XyzGeometry, std::string>> candidates;
    for (int i = 0; i < 8; ++i)
        candidates.push_back({butane(i % 2 == 0 ? 0 : 120), fake("slow", "-13.0")});
    const Workdir work(candidates);
    setenv("FAKE_XTB_SECONDS", "0.6", 1);
    const support::RunResult killed = work.run({}, support::RunLimits{2, 0});
    EXPECT_EQ(killed.status, 128 + SIGALRM);
    std::map<std::string, int> before = work.started();
    std::size_t finished = 0;
    for (const auto& entry : fs::directory_iterator(work.dir.path() / "butane_screen/gfn2/xtb"))
        if (entry.path().filename().string()[0] != '.') ++finished;
    EXPECT_LT(finished, 8u);

    const support::RunResult resumed = work.run({});
    unsetenv("FAKE_XTB_SECONDS");
    EXPECT_EQ(resumed.status, 0) << resumed.err;
    EXPECT_NE(resumed.out.find("GFN2: 8 candidates, 8 optimised, 0 left out\n"), std::string::npos);
    std::size_t calls = 0;
    const std::map<std::string, int> after = work.started();
    for (const auto& [name, count] : after) calls += count - before[name];
    EXPECT_EQ(calls, 8u - finished);
    EXPECT_EQ(after.size(), 8u);
}

// From the molecule alone the generator makes the candidates (butane: anti and one gauche,
// its mirror image a repeat); the inputs carry the state from the options or the comment
// line, in the format asked for, and xtb is given the same charge.
TEST(ScreenConformers, GeneratorCandidatesRankedIntoInputsOfTheNextLevel) {
    struct Case {
        std::string comment;
        std::vector<std::string> options;
        std::string input;            // the lowest conformer's input
        std::vector<std::string> in;  // lines it must hold
        std::string xtb_charge;
    };
    const std::vector<Case> cases = {
        {"butane",
         {"--format", "orca", "--route", "! r2SCAN-3c Opt", "--nproc", "4"},
         "butane_001.inp",
         {"# butane_001 from butane_0001, GFN2-xTB -5.07054436 Eh, 0.00 kcal/mol",
          "! r2SCAN-3c Opt", "%pal nprocs 4 end", "* xyz 0 1"},
         "--chrg 0"},
        {"butane dication charge=2", {}, "butane_001.gjf", {"#p PM7 opt", "2 1"}, "--chrg 2"},
    };
    for (const Case& c : cases) {
        const support::TempDir dir;
        dir.write("butane.xyz", frames({{butane(0), c.comment}}));
        std::vector<std::string> options = c.options;
        for (const char* tail : {"--xtb", FAKE_XTB, "--jobs", "2", "butane.xyz"})
            options.push_back(tail);
        const support::RunResult result =
            support::run_program(SCREEN_CONFORMERS_EXE, options, dir.path());
        ASSERT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.out.substr(0, result.out.find('\n')), "candidates: 2");
        EXPECT_NE(result.err.find("1 rotatable bond, 3 combinations: 0 clashing, 1 repeats, 2 "
                                  "candidates"),
                  std::string::npos)
            << result.err;
        const std::string recorded = dir.read("butane_screen/candidates.xyz");
        EXPECT_NE(recorded.find("butane_0002\tbutane.xyz\tbutane_0002 turns 2:3=120\n"),
                  std::string::npos);
        const std::string input = dir.read("butane_screen/inputs/" + c.input);
        for (const std::string& line : c.in)
            EXPECT_NE(input.find(line + "\n"), std::string::npos) << line << " in\n" << input;
        EXPECT_NE(dir.read("butane_screen/gfn2/xtb/butane_0001/butane_0001.out").find(c.xtb_charge),
                  std::string::npos);
    }

    // Other generator options make other candidates: the second start names them; the
    // generator's options do not go with candidates of elsewhere.
    const support::TempDir dir;
    dir.write("butane.xyz", frames({{butane(0), "butane"}}));
    const auto start = [&](std::vector<std::string> options) {
        for (const char* tail : {"--xtb", FAKE_XTB, "butane.xyz"}) options.push_back(tail);
        return support::run_program(SCREEN_CONFORMERS_EXE, options, dir.path());
    };
    ASSERT_EQ(start({}).status, 0);
    const support::RunResult other = start({"--steps", "6"});
    EXPECT_EQ(other.status, 2);
    EXPECT_NE(other.err.find("with candidates made by the generator; this start asks for "
                             "candidates made by the generator --steps 6"),
              std::string::npos)
        << other.err;
    const support::RunResult mixed = start({"--fix", "2-3", "--candidates", "butane.xyz"});
    EXPECT_EQ(mixed.status, 2);
    EXPECT_EQ(mixed.err,
              "screen_conformers: --fix goes with the generator's candidates, not with "
              "--candidates\n");
}

TEST(ScreenConformers, MissingXtbAndBadInputAreRefusedBeforeAnythingRuns) {
    const Workdir work({{butane(0), fake("succeed", "-13.0")}});
    const support::RunResult missing = support::run_program(
        SCREEN_CONFORMERS_EXE, {"--xtb", "/nonexistent/xtb", "--candidates", "cands.xyz"},
        work.dir.path());
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err,
              "screen_conformers: /nonexistent/xtb does not exist; install it with: sudo apt-get "
              "install xtb\n");
    EXPECT_FALSE(work.dir.exists("cands_screen"));

    const std::vector<std::pair<std::vector<std::string>, std::string>> refused = {
        {{"--method", "gfn1"}, "--method takes gfn2, gfnff or gfnff-then-gfn2, not \"gfn1\""},
        {{"--jobs", "0"}, "--jobs takes a whole number in 1..4096, not \"0\""},
        {{"--timeout", "10s"}, "--timeout takes a number of at least 1, not \"10s\""},
        {{"--window", "-1"}, "--window takes a number of at least 0, not \"-1\""},
        {{"--multiplicity", "0"}, "--multiplicity must be a whole number in 1..99, not \"0\""},
        {{"--opt", "fast"}, "xtb knows no optimisation level \"fast\""},
        {{"--solvent", "wa ter"}, "\"wa ter\" is not a solvent name"},
    };
    for (const auto& [options, why] : refused) {
        const support::RunResult result = work.run(options);
        EXPECT_EQ(result.status, 2) << why;
        EXPECT_EQ(result.err.substr(0, result.err.find('\n')), "screen_conformers: " + why);
    }
    EXPECT_FALSE(work.dir.exists("butane_screen"));

    work.dir.write("cands.xyz", "14\nbutane\nC 0 0 0\n");
    const support::RunResult short_frame = work.run({});
    EXPECT_EQ(short_frame.status, 1);
    EXPECT_EQ(short_frame.err,
              "screen_conformers: cands.xyz: frame 1: the file ends after 1 of its 14 atoms\n");
    XyzGeometry nitrogen = butane(0);
    nitrogen.symbols[0] = "N";
    work.dir.write("cands.xyz", frames({{nitrogen, ""}}));
    const support::RunResult other = work.run({});
    EXPECT_EQ(other.status, 1);
    EXPECT_NE(other.err.find("a candidate must list the molecule's atoms in its order"),
              std::string::npos)
        << other.err;
}
