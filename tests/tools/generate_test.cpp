#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "TestSupport.h"

namespace {

namespace fs = std::filesystem;
using support::RunResult;
using support::TempDir;

const fs::path EXAMPLE = fs::path(EXAMPLES_DIR) / "generator";
const char* const INPUTS[] = {"leucine.xyz", "leucine.zmat", "leucine.freedom"};
const std::string USAGE =
    "usage: generate_conformers xyz_file zmatrix_file freedom_file [gjf|xyz|collect|test "
    "[folder]]\n";
// 3 x 3 x 6 x 2 positions of the four rotatable bonds, none of them beyond correction.
const int CANDIDATES = 108;

// A working directory holding the example's three files.
struct Workdir {
    TempDir dir;
    Workdir() {
        for (const char* file : INPUTS) dir.write(file, support::read_file(EXAMPLE / file));
    }
    RunResult run(const std::vector<std::string>& extra) const {
        std::vector<std::string> args(std::begin(INPUTS), std::end(INPUTS));
        args.insert(args.end(), extra.begin(), extra.end());
        return support::run_program(GENERATE_CONFORMERS_EXE, args, dir.path());
    }
    std::vector<std::string> files(const std::string& folder = ".") const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir.path() / folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    // The file with its line `line` (1-based) replaced.
    void replace_line(const std::string& file, int line, const std::string& text) const {
        std::string content = dir.read(file);
        std::size_t begin = 0;
        for (int k = 1; k < line; ++k) begin = content.find('\n', begin) + 1;
        content.replace(begin, content.find('\n', begin) - begin, text);
        dir.write(file, content);
    }
};

void expect_run_output(const RunResult& r, const std::string& label) {
    EXPECT_EQ(r.status, 0) << label << ": " << r.err;
    EXPECT_EQ(r.err, "") << label;
    EXPECT_EQ(r.out.substr(0, 14), "waiting>>>   \n") << label;
    EXPECT_NE(r.out.find("\rSchedule  100%     \nMission completed!\nTime cost 0hours 0mins "),
              std::string::npos)
        << label;
}

TEST(GenerateConformers, EveryModeRunsTheExample) {
    struct Case {
        std::vector<std::string> args;
        std::string folder;
        std::string extension;
    };
    const Case cases[] = {
        {{}, "GaussionFiles", ".txt"},
        {{"gjf", "leucine_inputs"}, "leucine_inputs", ".txt"},
        {{"xyz"}, "GaussionFiles", ".xyz"},
    };
    for (const Case& k : cases) {
        const Workdir w;
        const RunResult r = w.run(k.args);
        expect_run_output(r, k.folder + k.extension);
        const std::vector<std::string> files = w.files(k.folder);
        ASSERT_EQ(files.size(), static_cast<std::size_t>(CANDIDATES)) << k.folder;
        EXPECT_EQ(files.front(), "1111" + k.extension);
        EXPECT_EQ(files.back(), "3362" + k.extension);
        EXPECT_NE(w.dir.read("GenerateConformer.log").find("Generate: 108\nIgnore: 0\n"),
                  std::string::npos);
    }

    const Workdir collected;
    expect_run_output(collected.run({"collect"}), "collect");
    const std::string records = collected.dir.read("xyz_collection");
    EXPECT_EQ(records.substr(0, 14), "NAME_1: 1111\nN");
    EXPECT_NE(records.find("NAME_108: 3362\n"), std::string::npos);

    const Workdir counted;
    expect_run_output(counted.run({"test"}), "test");
    EXPECT_EQ(counted.files(), (std::vector<std::string>{"GenerateConformer.log", "leucine.freedom",
                                                         "leucine.xyz", "leucine.zmat"}));
}

// Every refusal before the run names the file and the cause, and leaves the directory as
// it was: no log, no folder, no candidate.
TEST(GenerateConformers, RefusedInputsWriteNothing) {
    const auto line = [](const char* file, int n, const char* text) {
        return [=](const Workdir& w) { w.replace_line(file, n, text); };
    };
    const auto write = [](const char* file, const char* text) {
        return [=](const Workdir& w) { w.dir.write(file, text); };
    };
    const auto remove = [](const char* file) {
        return [=](const Workdir& w) { fs::remove(w.dir.path() / file); };
    };
    struct Case {
        std::function<void(const Workdir&)> damage;
        std::string err;
    };
    const Case cases[] = {
        {remove("leucine.xyz"), "cannot read file: leucine.xyz"},
        {line("leucine.xyz", 1, "0"),
         "leucine.xyz: the atom count on the first line must lie in 1..100, not \"0\""},
        {line("leucine.xyz", 24, ""),
         "leucine.xyz: not a geometry of 22 atoms: an atom line is missing or holds a field "
         "that is not a number"},
        {write("leucine.zmat", "21\n1\n"),
         "leucine.zmat: a Z-matrix of 21 atoms, but leucine.xyz holds 22"},
        {line("leucine.zmat", 6, "3 2 1"),
         "leucine.zmat: the link-matrix block is refused: a row line is missing or short, an "
         "atom number lies outside 1..22 or is given twice, or a reference does not follow the "
         "bond tree"},
        // H10 on CA gives CA a fourth atom hanging on it.
        {line("leucine.zmat", 4, "10 2 1"),
         "leucine.zmat: the link-matrix block is refused: an atom has more than three atoms "
         "hanging on it in the tree"},
        {line("leucine.zmat", 25, "2\n10 16"),
         "leucine.zmat: the contact pairs after the link-matrix block cannot all be read"},
        // CA laid on N: the bond 1-2 of the tree has no direction.
        {line("leucine.xyz", 4, "C -1.837371 1.028314 0.752114"),
         "leucine.zmat: the geometry of leucine.xyz cannot be measured on this tree: two of its "
         "reference atoms coincide or three lie on one line"},
        {remove("leucine.freedom"), "cannot read file: leucine.freedom"},
        {write("leucine.freedom", "21\n"),
         "leucine.freedom: the count of rotatable bonds must lie in 1..20, not 21"},
        {write("leucine.freedom", "1\nCA-CB 3\n"),
         "leucine.freedom: bond entry 1 is not \"a-b steps\": two atom numbers joined by one "
         "character, then the number of steps"},
        {write("leucine.freedom", "2\n2-6 3\n2-23 3\n"),
         "leucine.freedom: bond entry 2 (2-23 3) names an atom outside 1..22"},
        {write("leucine.freedom", "1\n1-3 3\n"),
         "leucine.freedom: bond entry 1 (1-3 3): atoms 1 and 3 are not bonded in the tree of "
         "leucine.zmat"},
        {write("leucine.freedom", "1\n2-6 10\n"),
         "leucine.freedom: bond entry 1 (2-6 10): the steps must lie in 1..9"},
    };
    for (const Case& k : cases) {
        const Workdir w;
        k.damage(w);
        const std::vector<std::string> before = w.files();
        const RunResult r = w.run({});
        EXPECT_EQ(r.status, 1) << k.err;
        EXPECT_EQ(r.err, "generate_conformers: " + k.err + "\n");
        EXPECT_EQ(r.out, "") << k.err;
        EXPECT_EQ(w.files(), before) << k.err;
    }

    const Workdir w;
    const std::vector<std::vector<std::string>> command_lines = {
        {}, {"leucine.xyz", "leucine.zmat"}, {"a", "b", "c", "gjf", "folder", "more"}};
    for (const std::vector<std::string>& args : command_lines) {
        const RunResult r = support::run_program(GENERATE_CONFORMERS_EXE, args, w.dir.path());
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.err, USAGE);
    }
    const RunResult r = w.run({"gaussian"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "generate_conformers: unknown mode \"gaussian\": gjf, xyz, collect or test\n" +
                         USAGE);
    EXPECT_EQ(w.files().size(), 3u);
}

// The run goes through and generates nothing; the message names the two atoms in the
// numbers of the geometry file.
TEST(GenerateConformers, ClashingInputIsNamed) {
    const Workdir w;
    // H10 0.3 angstrom from H11 (input line 13 holds atom 11).
    w.replace_line("leucine.xyz", 12, "H -1.874516 1.504348 1.576629");
    const RunResult r = w.run({});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err,
              "generate_conformers: leucine.xyz: the input geometry clashes: atoms 10 (H) and 11 "
              "(H) are 0.300 angstrom apart, within their bonding distance of 0.730; nothing was "
              "generated\n");
    EXPECT_NE(r.out.find("\nMission completed!\n"), std::string::npos);
    EXPECT_TRUE(w.files("GaussionFiles").empty());
    EXPECT_NE(w.dir.read("GenerateConformer.log").find("Generate: 0\nIgnore: 108\n"),
              std::string::npos);
}

TEST(GenerateConformers, CandidatesThatCannotBeWrittenAreCounted) {
    const Workdir w;
    w.dir.write("blocked", "a file where the folder should be\n");
    const RunResult r = w.run({"xyz", "blocked"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err,
              "blocked/1111.xyz: cannot be written; the run goes on and counts the candidates not "
              "written\n"
              "generate_conformers: 108 of 108 candidate files could not be written into "
              "blocked\n");
    EXPECT_NE(w.dir.read("GenerateConformer.log").find("Ignore: 0\nUnwritten: 108\n"),
              std::string::npos);

    const Workdir c;
    fs::create_directory(c.dir.path() / "xyz_collection");
    const RunResult collect = c.run({"collect"});
    EXPECT_EQ(collect.status, 1);
    EXPECT_EQ(collect.err, "generate_conformers: cannot create file: xyz_collection\n");
    EXPECT_FALSE(c.dir.exists("GenerateConformer.log"));
}

}  // namespace
