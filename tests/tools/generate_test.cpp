#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "ConformerSupport.h"
#include "GeneratorSupport.h"
#include "TestSupport.h"

using namespace confsearch;

namespace {

namespace fs = std::filesystem;
using support::RunResult;
using support::TempDir;

const fs::path EXAMPLE = fs::path(EXAMPLES_DIR) / "generator";
const char* const INPUTS[] = {"leucine.xyz", "leucine.zmat", "leucine.freedom"};
const std::string USAGE =
    "usage: generate_conformers [--steps N] [--dry-run] xyz_file [gjf|xyz|collect|test "
    "[folder]]\n"
    "       generate_conformers xyz_file zmatrix_file freedom_file [gjf|xyz|collect|test "
    "[folder]]\n";
// 3 x 3 x 6 x 2 positions of the four rotatable bonds, none of them beyond correction.
const int CANDIDATES = 108;

std::vector<std::string> listing(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

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
        return listing(dir.path() / folder);
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
        {}, {"leucine.xyz", "gjf", "folder", "more"}, {"a", "b", "c", "gjf", "folder", "more"}};
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

// The one-file form: the bonds perceived from one xyz file, the Z-matrix and freedom
// files written into the working directory under the file's stem.

const fs::path LEUCINE = EXAMPLE / "leucine.xyz";
const fs::path IBUPROFEN = fs::path(EXAMPLES_DIR) / "ibuprofen" / "ibuprofen.xyz";

CBasicConformer read_molecule(const fs::path& xyz) {
    std::ifstream in(xyz);
    int atoms = 0;
    in >> atoms;
    CBasicConformer molecule(atoms);
    EXPECT_TRUE(molecule.read_xyz(xyz.string())) << xyz;
    return molecule;
}

RunResult run_in(const TempDir& dir, const std::vector<std::string>& args) {
    return support::run_program(GENERATE_CONFORMERS_EXE, args, dir.path());
}

// The number after `label` on a line of the text, 0 when there is none.
std::size_t count_after(const std::string& text, const std::string& label) {
    const std::size_t at = text.find(label);
    return at == std::string::npos ? 0 : std::stoul(text.substr(at + label.size()));
}

// Standard error of a run that is not on a terminal: a progress line at every tenth of
// the combinations, and nothing else.
void expect_progress_lines(const std::string& err, std::size_t combinations,
                           const std::string& label) {
    std::istringstream lines(err);
    int tenths = 0;
    for (std::string line; std::getline(lines, line);) {
        EXPECT_EQ(line.rfind("generate_conformers: ", 0), 0u) << label << ": " << line;
        EXPECT_NE(line.find("% ("), std::string::npos) << label << ": " << line;
        ++tenths;
    }
    EXPECT_EQ(tenths, 10) << label;
    const std::string all = std::to_string(combinations);
    EXPECT_NE(err.find("100% (" + all + " of " + all + " combinations)\n"), std::string::npos)
        << label;
}

// Every candidate of the collection lists the input's atoms in the input's order and
// keeps every bond perceived in the input at its length.
void expect_bonds_kept(const std::string& collection, const fs::path& xyz, std::size_t candidates) {
    const CBasicConformer molecule = read_molecule(xyz);
    const std::vector<support::CollectedCandidate> records =
        support::read_collection(collection, molecule.get_size());
    ASSERT_EQ(records.size(), candidates) << xyz;
    const CBondGraph graph(molecule);
    for (const auto& record : records) {
        for (int i = 1; i <= molecule.get_size(); ++i)
            ASSERT_EQ(record.symbols[i], molecule.get_element(i).get_symbol()) << record.name;
        for (const PerceivedBond& bond : graph.get_bonds())
            ASSERT_NEAR(record.points[bond.atom1].distance(record.points[bond.atom2]), bond.length,
                        1e-6)
                << record.name << ": bond " << bond.atom1 << "-" << bond.atom2;
    }
}

const std::string LEUCINE_SETUP =
    "Z-matrix file: leucine.zmat\n"
    "freedom file: leucine.freedom, 5 rotatable bonds, 324 combinations\n"
    "  atom 2 (C) - atom 1 (N), 3 steps: tetrahedral ends, staggered\n"  // the amino group
    "  atom 2 (C) - atom 3 (C), 6 steps: one trigonal end\n"             // the carboxyl group
    "  atom 2 (C) - atom 6 (C), 3 steps: tetrahedral ends, staggered\n"  // chi1
    "  atom 3 (C) - atom 5 (O), 2 steps: carboxylic acid O-H, syn and anti\n"
    "  atom 6 (C) - atom 7 (C), 3 steps: tetrahedral ends, staggered\n";  // chi2
const std::string LEUCINE_FREEDOM = "5\n\n2-1 3\n2-3 6\n2-6 3\n3-5 2\n6-7 3\n";
const std::string IBUPROFEN_SETUP =
    "Z-matrix file: ibuprofen.zmat\n"
    "freedom file: ibuprofen.freedom, 5 rotatable bonds, 648 combinations\n"
    // The ring's flip is taken by the propanoic acid's bond; the isobutyl bond's 6 steps
    // make up the other half turn.
    "  atom 1 (C) - atom 7 (C), 3 of 6 steps (a side of 2-fold symmetry): one trigonal end\n"
    "  atom 7 (C) - atom 9 (C), 6 steps: one trigonal end\n"
    "  atom 4 (C) - atom 12 (C), 6 steps: one trigonal end\n"
    "  atom 9 (C) - atom 11 (O), 2 steps: carboxylic acid O-H, syn and anti\n"
    "  atom 12 (C) - atom 13 (C), 3 steps: tetrahedral ends, staggered\n";

TEST(GenerateConformers, OneXyzFileRunsInEveryMode) {
    struct Case {
        fs::path molecule;
        bool copied;  // into the working directory; else named by its path elsewhere
        std::vector<std::string> args;  // before the file, and after it
        std::vector<std::string> mode;
        std::string setup;  // what standard output starts with
        std::size_t combinations;
        std::string folder;  // of the files; "" for none
        std::string extension;
    };
    const Case cases[] = {
        {LEUCINE, false, {}, {}, LEUCINE_SETUP, 324, "leucine_candidates", ".gjf"},
        {LEUCINE, true, {}, {"xyz", "auto"}, LEUCINE_SETUP, 324, "auto", ".xyz"},
        {LEUCINE,
         true,
         {"--steps", "2"},
         {"collect"},
         "Z-matrix file: leucine.zmat\n"
         "freedom file: leucine.freedom, 5 rotatable bonds, 32 combinations\n",
         32,
         "",
         ""},
        {IBUPROFEN, true, {}, {"test"}, IBUPROFEN_SETUP, 648, "", ""},
        // Three steps per full turn: the isobutyl bond cannot make up the ring's half turn
        // any more, so every bond takes its three.
        {IBUPROFEN,
         true,
         {"--steps", "3", "--format", "orca"},
         {},
         "Z-matrix file: ibuprofen.zmat\n"
         "freedom file: ibuprofen.freedom, 5 rotatable bonds, 243 combinations\n",
         243,
         "ibuprofen_candidates",
         ".inp"},
    };
    for (const Case& k : cases) {
        const TempDir dir;
        const std::string name = k.molecule.filename().string();
        const std::string stem = k.molecule.stem().string();
        if (k.copied) dir.write(name, support::read_file(k.molecule));
        std::vector<std::string> args = k.args;
        args.push_back(k.copied ? name : k.molecule.string());
        args.insert(args.end(), k.mode.begin(), k.mode.end());
        const std::string label = stem + " " + (k.mode.empty() ? "gjf" : k.mode[0]);

        const RunResult r = run_in(dir, args);
        EXPECT_EQ(r.status, 0) << label << ": " << r.err;
        EXPECT_EQ(r.out.substr(0, k.setup.size()), k.setup) << label;
        expect_progress_lines(r.err, k.combinations, label);
        const std::size_t candidates = count_after(r.out, "\ncandidates: ");
        EXPECT_EQ(candidates + count_after(r.out, "\nskipped as clashing: ") +
                      count_after(r.out, "\nrepeats left out: "),
                  k.combinations)
            << label;
        EXPECT_GT(candidates, 0u) << label;
        EXPECT_NE(
            dir.read(stem + "_candidates.log").find("candidates: " + std::to_string(candidates)),
            std::string::npos)
            << label;
        if (!k.folder.empty()) {
            const std::vector<std::string> files = listing(dir.path() / k.folder);
            ASSERT_EQ(files.size(), candidates) << label;
            EXPECT_EQ(files.front(), stem + "_0001" + k.extension) << label;
            EXPECT_NE(
                r.out.find(k.folder + "/" + stem + "_0001" + k.extension + " to " + files.back()),
                std::string::npos)
                << label;
        } else if (k.mode[0] == "collect") {
            expect_bonds_kept(dir.read(stem + "_collection.txt"), k.molecule, candidates);
        } else {
            EXPECT_FALSE(dir.exists(stem + "_candidates")) << label;
        }
    }
}

// A dry run writes the two files and checks them, and leaves the log and everything else
// alone; a file it replaces with other text is named. The freedom file holds the bonds
// with their steps per full turn, as the three-file form runs them.
TEST(GenerateConformers, DryRunWritesTheTwoFilesOnly) {
    const TempDir dir;
    dir.write("leucine.xyz", support::read_file(LEUCINE));
    dir.write("GenerateConformer.log", "an earlier run\n");
    const RunResult r = run_in(dir, {"--dry-run", "leucine.xyz", "collect"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, LEUCINE_SETUP);
    EXPECT_EQ(r.err,
              "generate_conformers: warning: the mode and folder have no effect with --dry-run: "
              "nothing is generated\n");
    EXPECT_EQ(listing(dir.path()),
              (std::vector<std::string>{"GenerateConformer.log", "leucine.freedom", "leucine.xyz",
                                        "leucine.zmat"}));
    EXPECT_EQ(dir.read("GenerateConformer.log"), "an earlier run\n");
    EXPECT_EQ(dir.read("leucine.freedom"), LEUCINE_FREEDOM);
    const TempDir library;
    CConformerSetup(read_molecule(LEUCINE)).write_zmatrix_file(library.file("m.zmat"));
    EXPECT_EQ(dir.read("leucine.zmat"), library.read("m.zmat"));

    const std::string replaced =
        "generate_conformers: warning: leucine.freedom held other text and is replaced; to run "
        "an edited file, give the three files\n";
    for (const std::string& err : {replaced, std::string()}) {
        const RunResult again = run_in(dir, {"--steps", "4", "--dry-run", "leucine.xyz"});
        EXPECT_EQ(again.status, 0);
        EXPECT_EQ(again.err, err);
        EXPECT_EQ(dir.read("leucine.freedom"), "5\n\n2-1 4\n2-3 4\n2-6 4\n3-5 4\n6-7 4\n");
    }
}

// Beyond --max the run is refused before anything is written, with the bonds that make
// the combinations and the ways under the limit.
TEST(GenerateConformers, LimitNamesTheBondsAndTheWaysUnder) {
    const TempDir dir;
    dir.write("lidocaine.xyz",
              support::read_file(support::test_data_dir() / "molecules" / "lidocaine.xyz"));
    const RunResult r = run_in(dir, {"--max", "100", "lidocaine.xyz"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err,
              "generate_conformers: note: the 162 combinations come from 4 bonds (positions): "
              "7-6 (6), 6-3 (3), 3-2 (3), 3-4 (3)\n"
              // Three steps would turn the symmetric ring on the amide N too: 162.
              "generate_conformers: note: --steps 2 gives 16; --fix 7-6 (those bonds kept as in "
              "the input) gives 27; --max 0 lifts the limit\n"
              "generate_conformers: lidocaine.xyz: 162 combinations, more than --max 100; nothing "
              "was written\n");
    EXPECT_EQ(listing(dir.path()), std::vector<std::string>{"lidocaine.xyz"});

    const RunResult fixed = run_in(dir, {"--max", "100", "--fix", "7-6", "lidocaine.xyz", "test"});
    EXPECT_EQ(fixed.status, 0) << fixed.err;
    EXPECT_NE(fixed.out.find("  atom 7 (C) - atom 6 (C), kept: on request\n"), std::string::npos);
    EXPECT_NE(fixed.out.find("3 rotatable bonds, 27 combinations"), std::string::npos) << fixed.out;
    const RunResult unlimited = run_in(dir, {"--max", "0", "lidocaine.xyz", "test"});
    EXPECT_EQ(unlimited.status, 0) << unlimited.err;

    const RunResult no_bond = run_in(dir, {"--fix", "1-9", "lidocaine.xyz", "test"});
    EXPECT_EQ(no_bond.status, 1);
    EXPECT_EQ(no_bond.err,
              "generate_conformers: lidocaine.xyz: --fix 1-9: atoms 1 and 9 are not bonded; "
              "nothing was written\n");
}

// Route, charge and multiplicity (from the xyz file's comment line by default), processors
// and memory go into every input; a state the electrons cannot have is refused; a folder
// of an earlier run is refused unless --overwrite empties it.
TEST(GenerateConformers, InputsUnderTheChemistsControl) {
    const TempDir dir;
    dir.write("amine.xyz",
              support::read_file(support::test_data_dir() / "molecules" / "phenethylammonium.xyz"));
    const RunResult gaussian = run_in(dir, {"--nproc", "4", "--mem", "8GB", "amine.xyz"});
    ASSERT_EQ(gaussian.status, 0) << gaussian.err;
    const std::string first = dir.read("amine_candidates/amine_0001.gjf");
    EXPECT_EQ(first.substr(0, first.find("turns")),
              "%nprocshared=4\n%mem=8GB\n%chk=amine_0001.chk\n#p PM7 opt\n\namine 0001 ");
    EXPECT_NE(first.find("turns 4:3=0 3:2=0\n\n1 1\nN  "), std::string::npos) << first;

    const RunResult again = run_in(dir, {"amine.xyz"});
    EXPECT_EQ(again.status, 1);
    const std::size_t files = listing(dir.path() / "amine_candidates").size();
    EXPECT_EQ(again.err, "generate_conformers: amine_candidates holds " + std::to_string(files) +
                             " files of an earlier run; --overwrite removes them first; nothing "
                             "was written\n");
    const RunResult orca =
        run_in(dir, {"--overwrite", "--format", "orca", "--nproc", "2", "--mem", "2GB", "--route",
                     "! B3LYP D3BJ def2-SVP Opt", "--steps", "2", "amine.xyz"});
    ASSERT_EQ(orca.status, 0) << orca.err;
    // Two steps per full turn: the phenyl ring's bond has one within its half turn, and
    // is kept.
    EXPECT_EQ(listing(dir.path() / "amine_candidates"),
              (std::vector<std::string>{"amine_0001.inp", "amine_0002.inp"}));
    const std::string inp = dir.read("amine_candidates/amine_0002.inp");
    EXPECT_EQ(inp.substr(0, inp.find("\nN ")),
              "# amine_0002 turns 3:2=180\n! B3LYP D3BJ def2-SVP Opt\n%pal nprocs 2 end\n"
              "%maxcore 768\n\n* xyz 1 1");

    struct Refusal {
        std::vector<std::string> args;
        int status;
        std::string err;
    };
    const Refusal refusals[] = {
        {{"--charge", "0", "--overwrite", "amine.xyz"},
         1,
         "amine.xyz: charge 0 and multiplicity 1 cannot go with 67 electrons: an odd count needs "
         "an even multiplicity (2 for a radical) or another charge (--charge, --multiplicity)"},
        {{"--route", "B3LYP/6-31G(d) opt", "amine.xyz"},
         2,
         "--route: a Gaussian route begins with #: \"#p B3LYP/6-31G(d) opt\", not \"B3LYP/6-31G(d) "
         "opt\""},
        {{"--format", "orca", "amine.xyz", "xyz"},
         2,
         "the mode xyz writes xyz files: it goes without --format or with --format xyz"},
        {{"--mem", "8G", "amine.xyz"},
         2,
         "--mem must be a whole number of MB or GB (4GB, 500MB), not \"8G\""},
        {{"--max", "many", "amine.xyz"},
         2,
         "--max must be a whole number of combinations (0: no limit), not \"many\""},
    };
    for (const Refusal& k : refusals) {
        const RunResult r = run_in(dir, k.args);
        EXPECT_EQ(r.status, k.status) << k.err;
        EXPECT_EQ(r.err, "generate_conformers: " + k.err + "\n");
    }
    EXPECT_EQ(listing(dir.path() / "amine_candidates").size(), 2u);
}

// Every refusal names the cause and leaves the working directory as it was: a molecule
// the set-up refuses (status 1), a command line refused before any file is read (2).
TEST(GenerateConformers, RefusedXyzFileWritesNothing) {
    const std::string leucine = support::read_file(LEUCINE);
    const TempDir scratch;
    support::alkane(24).putout_xyz(scratch.file("tetracosane.xyz"));
    struct Case {
        std::string text;  // of the geometry file; none for no file
        std::string err;
        std::vector<std::string> args = {"m.xyz"};
        int status = 1;
        std::string file = "m.xyz";
    };
    const std::string bad_steps = "--steps must be a whole number of steps in 1..9, not ";
    const Case cases[] = {
        {"", "cannot read file: m.xyz\n"},
        {"6\ntwo waters\nO 0 0 0\nH 0.757 0.586 0\nH -0.757 0.586 0\nO 0 0 5\nH 0.757 0.586 5\n"
         "H -0.757 0.586 5\n",
         "m.xyz: the bonds found split the molecule into 2 pieces (3 atoms from atom 1; 3 atoms "
         "from atom 4); a Z-matrix needs one connected molecule\n"},
        {"6\nPF5\nP 0 0 0\nF 0 0 1.58\nF 0 0 -1.58\nF 1.53 0 0\nF -0.765 1.325 0\n"
         "F -0.765 -1.325 0\n",
         "m.xyz: atom 1 (P) has 5 neighbours (atoms 2, 3, 4, 5, 6); a Z-matrix tree allows at "
         "most four\n"},
        {support::read_file(support::test_data_dir() / "molecules" / "benzene.xyz"),
         "m.xyz: no rotatable bond found: the generator has nothing to turn; nothing was "
         "written\n"},
        {scratch.read("tetracosane.xyz"),
         "m.xyz: 21 rotatable bonds found; the generator turns at most 20; nothing was written\n"},
        // The geometry file bears the name of a file the set-up writes.
        {leucine,
         "m.zmat: the set-up would write m.zmat over it; give the geometry a name ending in "
         ".xyz\n",
         {"m.zmat"},
         1,
         "m.zmat"},
        {leucine, bad_steps + "\"0\"\n", {"--steps", "0", "m.xyz"}, 2},
        {leucine, bad_steps + "\"2.5\"\n", {"--steps", "2.5", "m.xyz"}, 2},
        {leucine,
         "--dry-run goes with one xyz file only: the three-file form runs its freedom file as "
         "written\n" +
             USAGE,
         {"--dry-run", "m.xyz", "m.zmat", "m.freedom"},
         2},
        {leucine,
         "unknown mode \"gaussian\": gjf, xyz, collect or test\n" + USAGE,
         {"m.xyz", "gaussian"},
         2},
    };
    for (const Case& k : cases) {
        const TempDir dir;
        if (!k.text.empty()) dir.write(k.file, k.text);
        const std::vector<std::string> before = listing(dir.path());
        const RunResult r = run_in(dir, k.args);
        EXPECT_EQ(r.status, k.status) << k.err;
        EXPECT_EQ(r.err, "generate_conformers: " + k.err);
        EXPECT_EQ(r.out, "") << k.err;
        EXPECT_EQ(listing(dir.path()), before) << k.err;
    }
}

// Molecules whose geometry comes from a real output, written as an xyz file first.
TEST(GenerateConformers, OneXyzFileOfRealOutputs) {
    SKIP_WITHOUT_REAL_OUTPUTS();
    struct Case {
        std::string output;
        int atoms;
        std::string stem;
        std::string bonds;  // the freedom file line of standard output
    };
    const Case cases[] = {
        // The vinyl groups of para-divinylbenzene on the ring: its flip takes one of the
        // two, whose two planar positions are then one; the other keeps both.
        {"g16_dvb_gopt.out", 20, "dvb", "1 rotatable bonds, 2 combinations"},
        // The proline enamine: its N-C in the two planar forms, the carboxyl group in 6
        // steps and its hydrogen syn and anti.
        {"aminox_cat_conf65_S.log", 24, "aminox", "3 rotatable bonds, 24 combinations"},
    };
    for (const Case& k : cases) {
        const TempDir dir;
        CBasicConformer molecule(k.atoms);
        ASSERT_TRUE(molecule.read_xyz_inout((support::real_outputs_dir() / k.output).string()));
        molecule.putout_xyz(dir.file(k.stem + ".xyz"));
        const RunResult r = run_in(dir, {k.stem + ".xyz", "collect"});
        EXPECT_EQ(r.status, 0) << k.stem << ": " << r.err;
        EXPECT_NE(r.out.find(k.stem + ".freedom, " + k.bonds + "\n"), std::string::npos) << k.stem;
        expect_bonds_kept(dir.read(k.stem + "_collection.txt"), dir.path() / (k.stem + ".xyz"),
                          count_after(r.out, "\ncandidates: "));
    }

    const TempDir dir;
    CBasicConformer water(3);
    ASSERT_TRUE(water.read_xyz_inout((support::real_outputs_dir() / "g16_water_mp2.log").string()));
    water.putout_xyz(dir.file("water.xyz"));
    const RunResult r = run_in(dir, {"water.xyz"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err,
              "generate_conformers: water.xyz: no rotatable bond found: the generator has nothing "
              "to turn; nothing was written\n");
    EXPECT_EQ(listing(dir.path()), std::vector<std::string>{"water.xyz"});
}

}  // namespace
