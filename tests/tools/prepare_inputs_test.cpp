#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "TestSupport.h"

namespace {

namespace fs = std::filesystem;
using support::RunResult;

std::vector<std::string> listing(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A working directory holding the example search's outputs, ranked by sort_outputs: its
// unique_conformers.xyz holds the six distinct conformers of butan-2-ol.
struct RankedExample {
    support::TempDir dir;
    RankedExample() {
        for (const auto& entry : fs::directory_iterator(fs::path(EXAMPLES_DIR) / "outputs"))
            dir.write(entry.path().filename().string(), support::read_file(entry.path()));
        const RunResult r = support::run_program(
            SORT_OUTPUTS_EXE, {"15", "0.00002", "0.05", "0.15", "1", "3", "4", "5"}, dir.path());
        EXPECT_EQ(r.status, 0) << r.err;
    }
    RunResult run(const std::vector<std::string>& args) const {
        return support::run_program(PREPARE_INPUTS_EXE, args, dir.path());
    }
};

}  // namespace

// The sorters' distinct conformers go to the next level in energy order, each frame's
// comment as the title.
TEST(PrepareInputs, SortersConformersToTheNextLevel) {
    const RankedExample example;
    const RunResult r = example.run({"--stem", "butanol", "--route", "#p B3LYP/6-31G(d) opt freq",
                                     "--nproc", "8", "unique_conformers.xyz"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, "6 Gaussian inputs, butanol_inputs/butanol_001.gjf to butanol_006.gjf\n");
    EXPECT_EQ(listing(example.dir.path() / "butanol_inputs"),
              (std::vector<std::string>{"butanol_001.gjf", "butanol_002.gjf", "butanol_003.gjf",
                                        "butanol_004.gjf", "butanol_005.gjf", "butanol_006.gjf"}));
    const std::string first = example.dir.read("butanol_inputs/butanol_001.gjf");
    EXPECT_EQ(first.substr(0, first.find("\nC ")),
              "%nprocshared=8\n%chk=butanol_001.chk\n#p B3LYP/6-31G(d) opt freq\n\n"
              "butanol 001 conf01.log E=minus 233.6618425 dE=0.0000 group=1\n\n0 1");

    // Options may follow the files, as chemists type them.
    const RunResult orca = example.run({"unique_conformers.xyz", "--format", "orca", "next"});
    ASSERT_EQ(orca.status, 0) << orca.err;
    const std::string inp = example.dir.read("next/unique_conformers_006.inp");
    EXPECT_EQ(inp.substr(0, inp.find("\nC ")),
              "# unique_conformers_006 conf09.log  E=-233.6589954  dE=1.7866  group=6\n"
              "! HF-3c Opt\n\n* xyz 0 1");
    EXPECT_EQ(inp.substr(inp.size() - 2), "*\n");
}

// A file that is not an ensemble, a state its electrons cannot have, a folder of an
// earlier run: refused before anything is written.
TEST(PrepareInputs, RefusalsWriteNothing) {
    const RankedExample example;
    example.dir.write("cut.xyz", "3\nwater\nO 0 0 0.1173\nH 0 0.7572 -0.4692\n");
    example.dir.write("pair.xyz", "2\nH2 charge=1\nH 0 0 0\nH 0 0 0.74\n");
    ASSERT_EQ(example.run({"unique_conformers.xyz"}).status, 0);
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string err;
    };
    const Case cases[] = {
        {{"gone.xyz"}, 1, "cannot read file: gone.xyz"},
        {{"cut.xyz"}, 1, "cut.xyz: frame 1: the file ends after 2 of its 3 atoms"},
        // H2+ by its comment line: one electron.
        {{"pair.xyz"},
         1,
         "pair.xyz, frame 1 (line 1): charge 1 and multiplicity 1 cannot go with 1 electron: an "
         "odd count needs an even multiplicity (2 for a radical) or another charge (--charge, "
         "--multiplicity)"},
        {{"unique_conformers.xyz"},
         1,
         "unique_conformers_inputs holds 6 files of an earlier run; --overwrite removes them "
         "first; nothing was written"},
        {{"--format", "xyz", "--route", "#p HF", "unique_conformers.xyz"},
         2,
         "--route goes with --format gaussian or orca: an xyz file has no route"},
        {{"--stem", "a/b", "unique_conformers.xyz"},
         2,
         "--stem must be a name without \"/\", not \"a/b\"\nusage: prepare_inputs [options] "
         "xyz_file [folder]"},
    };
    for (const Case& k : cases) {
        const std::vector<std::string> before = listing(example.dir.path());
        const RunResult r = example.run(k.args);
        EXPECT_EQ(r.status, k.status) << k.err;
        EXPECT_EQ(r.err, "prepare_inputs: " + k.err + "\n");
        EXPECT_EQ(r.out, "") << k.err;
        EXPECT_EQ(listing(example.dir.path()), before) << k.err;
    }
    const RunResult again =
        example.run({"--overwrite", "--charge", "0", "--format", "xyz", "unique_conformers.xyz"});
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(listing(example.dir.path() / "unique_conformers_inputs").front(),
              "unique_conformers_001.xyz");
}
