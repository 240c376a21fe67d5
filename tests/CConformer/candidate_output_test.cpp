#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "CConformer.h"
#include "GeneratorSupport.h"

using namespace confsearch;

namespace {

using support::TempDir;

const char* const DIAL_LISTING =
    "C\t1.000000\t0.000000\t-2.500000\n"
    "C\t0.000000\t0.000000\t-1.500000\n"
    "C\t0.000000\t0.000000\t0.000000\n"
    "H\t2.000000\t0.000000\t0.000000\n"
    "H\t2.334000\t0.000000\t0.943000\n";

// A generator on the dial in the working directory, its one bond 2-3 in `steps` steps,
// its atoms put back exactly where the dial has them.
struct DialGenerator {
    TempDir dir;
    support::ScopedChdir here{dir.path()};
    CGenerateConformer g{5};

    explicit DialGenerator(int steps) {
        const support::TreeMolecule m = support::dial({});
        support::load(g, m, dir);
        for (int i = 1; i <= 5; ++i) g.set_exyz(i, g.get_element(i), m.atoms[i - 1].at);
        dir.write("m.freedom", support::freedom_text({{2, 3, steps}}));
        EXPECT_TRUE(g.read_freedom("m.freedom"));
    }
};

std::string without_times(const std::string& log) {
    const std::regex stamp(
        "(^|\n)(0|[1-9][0-9]*)\\.([1-9]|1[0-2])\\.([1-9]|[12][0-9]|3[01]) "
        "([0-9]|1[0-9]|2[0-3]):([0-9]|[1-5][0-9]):([0-9]|[1-5][0-9]|60)\n");
    const std::string stamped = std::regex_replace(log, stamp, "$1STAMP\n");
    return std::regex_replace(stamped, std::regex("Time cost 0hours 0mins [01]secs"), "TIME");
}

TEST(CandidateFiles, GaussianInputAndXyzFilesCarryTheFixedListing) {
    DialGenerator d(1);
    d.g.set_path(d.dir.file("out"));
    std::filesystem::create_directory(d.dir.path() / "out");
    ASSERT_TRUE(d.g.putout_GaussionFile());
    EXPECT_EQ(d.dir.read("out/1.txt"), PM3_OPT + DIAL_LISTING + "\n\n");
    ASSERT_TRUE(d.g.putout_xyzfile());
    EXPECT_EQ(d.dir.read("out/1.xyz"), std::string("5\n\n") + DIAL_LISTING);

    d.g.set_GaussionFile_head("#p b3lyp/6-31g(d) opt\n\nleucine\n\n0 1\n");
    ASSERT_TRUE(d.g.putout_GaussionFile());
    EXPECT_EQ(d.dir.read("out/1.txt"),
              "#p b3lyp/6-31g(d) opt\n\nleucine\n\n0 1\n" + std::string(DIAL_LISTING) + "\n\n");
    d.g.set_path(d.dir.file("missing"));
    EXPECT_FALSE(d.g.putout_GaussionFile());
    EXPECT_FALSE(d.g.putout_xyzfile());
    EXPECT_FALSE(d.g.push_xyz());
}

// A second run into the same folder replaces every candidate file.
TEST(CandidateFiles, SecondRunReplacesTheFiles) {
    DialGenerator d(3);
    testing::internal::CaptureStdout();
    d.g.generate();
    EXPECT_EQ(d.dir.read("GaussionFiles/1.txt"), PM3_OPT + DIAL_LISTING + "\n\n");
    d.g.generate();
    testing::internal::GetCapturedStdout();
    // Five head lines, five atoms, two empty lines.
    const std::string again = d.dir.read("GaussionFiles/1.txt");
    EXPECT_EQ(std::count(again.begin(), again.end(), '\n'), 5 + 5 + 2);
}

// The whole log of a run with one correction, time stamps masked.
TEST(RunLog, EntriesFollowTheirLayout) {
    TempDir dir;
    {
        support::ScopedChdir here(dir.path());
        const support::TreeMolecule m = support::dial({110});
        CGenerateConformer g(6);
        support::load(g, m, dir);
        for (int i = 1; i <= 6; ++i) g.set_exyz(i, g.get_element(i), m.atoms[i - 1].at);
        dir.write("m.freedom", support::freedom_text({{2, 3, 3}}));
        ASSERT_TRUE(g.read_freedom("m.freedom"));
        testing::internal::CaptureStdout();
        g.generate_test();
        testing::internal::GetCapturedStdout();
    }
    EXPECT_EQ(without_times(dir.read("GenerateConformer.log")),
              std::string("STAMP\n"
                          "6 atoms\n"
                          "Freedom: 3\n"
                          "Total :3\n"
                          "Saved in floder GaussionFiles\n"
                          "Origin conformer is :\n") +
                  DIAL_LISTING +
                  "H\t-0.684040\t1.879385\t0.000000\n"
                  "\n"
                  "2: bond 2-3,correction succeeded!\tcorrect step 1\n"
                  "STAMP\n"
                  "6 atoms\n"
                  "Freedom: 3\n"
                  "Total :3\n"
                  "Generate: 3\n"
                  "Ignore: 0\n"
                  "TIME\n");
}

// Candidates that cannot be written still count; the failure is named once per run, on
// standard error and in the log, and the end entry counts the files not written.
TEST(RunLog, UnwrittenCandidatesAreReportedOnce) {
    std::string err;
    {
        DialGenerator d(3);
        d.dir.write("blocked", "a file where the folder should be\n");
        d.g.set_path("blocked");
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        d.g.generate();
        err = testing::internal::GetCapturedStderr();
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(d.g.get_unwritten(), 3u);
        EXPECT_EQ(d.g.get_header().generated, 3u);
        const std::string log = d.dir.read("GenerateConformer.log");
        const std::string note =
            "blocked/1.txt: cannot be written; the run goes on and counts the candidates not "
            "written\n";
        EXPECT_EQ(err, note);
        EXPECT_NE(log.find("Saved in floder blocked\n"), std::string::npos);
        EXPECT_NE(without_times(log).find(note + "STAMP\n5 atoms\nFreedom: 3\nTotal :3\n"
                                                 "Generate: 3\nIgnore: 0\nUnwritten: 3\nTIME\n"),
                  std::string::npos)
            << log;
    }
}

TEST(RunLog, TimeStampAndTimeLine) {
    std::ostringstream stamp;
    writetime(stamp);
    EXPECT_TRUE(
        std::regex_match(stamp.str(), std::regex("[1-9][0-9]{3}\\.[1-9][0-9]?\\.[1-9][0-9]? "
                                                 "[1-9]?[0-9]:[1-9]?[0-9]:[1-9]?[0-9]")))
        << stamp.str();
    const std::pair<std::time_t, const char*> cases[] = {
        {0, "Time cost 0hours 0mins 0secs"},    {59, "Time cost 0hours 0mins 59secs"},
        {60, "Time cost 0hours 1mins 0secs"},   {3599, "Time cost 0hours 59mins 59secs"},
        {3725, "Time cost 1hours 2mins 5secs"}, {90061, "Time cost 25hours 1mins 1secs"},
    };
    for (const auto& [seconds, line] : cases) EXPECT_EQ(time_cost(seconds), line);
}

}  // namespace
