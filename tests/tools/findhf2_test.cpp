#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "RankingSupport.h"
#include "TestSupport.h"

using namespace confsearch;

namespace {

using support::Atom;
using support::RunResult;

// A working directory with output files of an ethanol conformer search.
class SortOutputs : public testing::Test {
protected:
    support::TempDir dir;

    void output(const std::string& name, const std::string& energy, const std::string& dipole,
                const std::vector<Atom>& atoms, bool archive = true) {
        support::GaussianOutput out;
        out.steps = {support::turned(atoms, 0.7), atoms};
        out.energy = energy;
        out.dipole = dipole;
        out.archive = archive;
        dir.write(name, support::gaussian_output(out));
    }

    RunResult run(const std::vector<std::string>& args) {
        return support::run_program(SORT_OUTPUTS_EXE, args, dir.path());
    }
};

std::vector<Atom> methyl_swapped(std::vector<Atom> atoms) {
    std::swap(atoms[7], atoms[8]);
    return atoms;
}

}  // namespace

TEST_F(SortOutputs, RanksGroupsAndListsUnreadableOutputs) {
    const auto anti = support::ethanol();
    output("c.log", "-154.9876500", "0.3,0.4,0.", support::turned(anti, 2.1));
    output("a.log", "-154.9876543", "0.,0.3,0.4", anti);
    output("b.log", "-154.9870000", "0.1,0.2,0.2", support::gauche_ethanol());
    output("killed.log", "-154.99", "0.1,0.2,0.2", anti, false);
    dir.write("list.txt", "c.log\nkilled.log\na.log\nmissing.log\nb.log\n");

    const RunResult r = run({"9", "0.00002", "0.05", "0.15", "2"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err,
              "sort_outputs: killed.log: no \"HF=\" entry in an archive block (the job may have "
              "been killed before it ended)\nsort_outputs: missing.log: cannot open\n");
    EXPECT_EQ(r.out, "c.log\nkilled.log\na.log\nmissing.log\nb.log\nIdentical !\nEnergy diff!\n");
    EXPECT_EQ(dir.read("errorfile.txt"), "killed.log\nmissing.log\n");
    EXPECT_EQ(dir.read("all_list2.txt"),
              "a.log\t-154.9876543\t0.5\t1\nc.log\t-154.98765\t0.5\t1\nb.log\t-154.987\t0.3\t2\n");
    EXPECT_EQ(dir.read("unique_list2.txt"),
              "a.log\t-154.9876543\t0.5\t1\nb.log\t-154.987\t0.3\t2\n");
}

TEST_F(SortOutputs, SwappedMethylHydrogensMergeOnlyWhenInterchangeable) {
    const auto anti = support::ethanol();
    output("a.log", "-154.9876543", "0.,0.3,0.4", anti);
    output("swap.log", "-154.9876540", "0.,0.3,0.4", methyl_swapped(support::turned(anti, 1.2)));
    dir.write("list.txt", "a.log\nswap.log\n");

    // Reference atom 1 puts the superposition anchors on atoms 1, 4 and 7.
    RunResult r = run({"9", "2e-5", "0.05", "0.15", "1", "7", "8", "9"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "a.log\nswap.log\n\n\ta1 b1 of 7 7 same \n\ta2 b3 of 8 9 same "
              "\n\ta3 b2 of 9 8 same \nIdentical !\n");
    EXPECT_EQ(dir.read("unique_list2.txt"), "a.log\t-154.9876543\t0.5\t1\n");

    r = run({"9.9", "2e-5", "0.05", "0.15", "1.7"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "a.log\nswap.log\n8 elem not equal.  \n");
    EXPECT_EQ(dir.read("all_list2.txt"),
              "a.log\t-154.9876543\t0.5\t1\nswap.log\t-154.987654\t0.5\t2\n");
}

TEST_F(SortOutputs, CommandLinesOutsideTheMoleculeAreRefusedBeforeReading) {
    struct Case {
        std::vector<std::string> args;
        std::string err;
    };
    const Case cases[] = {
        {{"9", "2e-5", "0.05", "0.15"},
         "usage: sort_outputs atoms energy_tolerance dipole_tolerance geometry_tolerance "
         "reference_atom [interchangeable_atom ...]\n"},
        {{"150", "2e-5", "0.05", "0.15", "1"},
         "sort_outputs: the atom count must lie in 0..100, not 150\n"},
        {{"-3", "2e-5", "0.05", "0.15", "1"},
         "sort_outputs: the atom count must lie in 0..100, not -3\n"},
        {{"9", "2e-5", "0.05", "0.15", "10"},
         "sort_outputs: the reference atom must lie in 1..9, not 10\n"},
        {{"9", "2e-5", "0.05", "0.15", "1", "7", "0.5"},
         "sort_outputs: an interchangeable atom must lie in 1..9, not 0.5\n"},
        {{"1e300", "2e-5", "0.05", "0.15", "1"},
         "sort_outputs: the atom count must lie in 0..100, not 1e300\n"},
    };
    dir.write("list.txt", "a.log\n");
    for (const Case& c : cases) {
        const RunResult r = run(c.args);
        EXPECT_EQ(r.status, 2) << c.err;
        EXPECT_EQ(r.err, c.err);
        EXPECT_EQ(r.out, "");
        EXPECT_FALSE(dir.exists("errorfile.txt"));
    }
}

TEST_F(SortOutputs, UnreadableListIsReportedWithStatusOne) {
    RunResult r = run({"9", "2e-5", "0.05", "0.15", "1"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "Cannot open file: list.txt\n");
    EXPECT_FALSE(dir.exists("all_list2.txt"));

    EXPECT_EQ(r.err, "");

    // The message on standard output is the same whatever the cause; standard error
    // names the cause when list.txt is there.
    dir.write("list.txt", "a.log\n");
    r = run({"0", "2e-5", "0.05", "0.15", "1"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "Cannot open file: list.txt\n");
    EXPECT_EQ(r.err, "sort_outputs: the atom count is 0: no output file can be read\n");

    std::filesystem::create_directory(dir.path() / "errorfile.txt");
    r = run({"9", "2e-5", "0.05", "0.15", "1"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "Cannot open file: list.txt\n");
    EXPECT_EQ(r.err, "sort_outputs: cannot create file: errorfile.txt\n");
}

TEST_F(SortOutputs, FailuresInsideTheRunNameTheirCause) {
    // Carbon dioxide is linear: its anchor atoms cannot fix an orientation.
    const std::vector<Atom> co2 = {{6, 0, 0, 0}, {8, 0, 0, 1.16}, {8, 0, 0, -1.16}};
    output("x.log", "-188.5", "0.,0.,0.", co2);
    output("y.log", "-188.5", "0.,0.,0.", co2);
    dir.write("list.txt", "x.log\ny.log\n");
    RunResult r = run({"3", "2e-5", "0.05", "0.15", "1"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err,
              "sort_outputs: degenerate geometry: anchor atoms of reference atom 1 coincide or "
              "lie on one line; choose another reference atom\n");

    const std::vector<Atom> h2 = {{1, 0, 0, 0}, {1, 0, 0, 0.74}};
    output("x.log", "-1.17", "0.,0.,0.", h2);
    output("y.log", "-1.17", "0.,0.,0.", h2);
    r = run({"2", "2e-5", "0.05", "0.15", "1"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err,
              "sort_outputs: cannot superpose conformers of 2 atoms: at least 3 are needed\n");

    output("x.log", "-154.9876543", "0.,0.3,0.4", support::ethanol());
    dir.write("list.txt", "x.log\n");
    std::filesystem::create_directory(dir.path() / "all_list2.txt");
    r = run({"9", "2e-5", "0.05", "0.15", "1"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "sort_outputs: cannot create file: all_list2.txt\n");
}

// The same optimised divinylbenzene from seven jobs of two program versions is one
// conformer; jobs without a final geometry or dipole are listed as unreadable.
TEST(SortOutputsOnRealFiles, DivinylbenzeneJobsFormOneGroup) {
    SKIP_WITHOUT_REAL_OUTPUTS();
    const auto real = support::real_outputs_dir();
    support::TempDir dir;
    const std::string full = support::read_file(real / "g16_dvb_gopt.out");
    dir.write("cut.out", full.substr(0, full.find(" 1\\1\\")));
    std::string list;
    const char* same[] = {"g09_dvb_gopt.out",     "g09_dvb_ir.out", "g09_dvb_raman.out",
                          "g16_dvb_gopt.out",     "g16_dvb_ir.out", "g16_dvb_raman.out",
                          "g16_dvb_ir_G16C01.out"};
    for (const char* file : same) list += (real / file).string() + "\n";
    list += (real / "g16_dvb_un_sp.log").string() + "\n";
    list += (real / "g16_dvb_scan_relaxed.log").string() + "\ncut.out\n";
    dir.write("list.txt", list);

    const RunResult r =
        support::run_program(SORT_OUTPUTS_EXE, {"20", "0.00002", "0.05", "0.15", "1"}, dir.path());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(dir.read("errorfile.txt"), (real / "g16_dvb_un_sp.log").string() + "\n" +
                                             (real / "g16_dvb_scan_relaxed.log").string() +
                                             "\ncut.out\n");
    const std::string all = dir.read("all_list2.txt");
    EXPECT_EQ(std::count(all.begin(), all.end(), '\n'), 7);
    EXPECT_EQ(std::count(all.begin(), all.end(), '\t'), 21);
    for (const char* file : same)
        EXPECT_NE(all.find((real / file).string() + "\t-382.3082666\t0\t1\n"), std::string::npos)
            << file;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '!'), 6);  // six "Identical !"
}

TEST(SortOutputsOnRealFiles, CatalystConformersRankByEnergy) {
    SKIP_WITHOUT_REAL_OUTPUTS();
    const auto real = support::real_outputs_dir();
    support::TempDir dir;
    dir.write("list.txt", (real / "aminox_cat_conf212_S.log").string() + "\n" +
                              (real / "aminox_cat_conf65_S.log").string() + "\n" +
                              (real / "aminox_cat_conf280_R.log").string() + "\n");
    const RunResult r =
        support::run_program(SORT_OUTPUTS_EXE, {"24", "0.00002", "0.05", "0.15", "1"}, dir.path());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(dir.read("errorfile.txt"), "");
    EXPECT_EQ(
        dir.read("unique_list2.txt"),
        (real / "aminox_cat_conf280_R.log").string() + "\t-517.8773084\t2.53666039022\t1\n" +
            (real / "aminox_cat_conf65_S.log").string() + "\t-517.8771606\t2.25358206345\t2\n" +
            (real / "aminox_cat_conf212_S.log").string() + "\t-517.8751652\t1.10111271306\t3\n");
}

// A transition state of 37 atoms beside catalyst conformers of 24: with 24 atoms only
// the catalysts are ranked, and the transition state is named with its size.
TEST(SortOutputsOnRealFiles, LargerMoleculeIsNotRankedByItsFirstAtoms) {
    SKIP_WITHOUT_REAL_OUTPUTS();
    const auto real = support::real_outputs_dir();
    support::TempDir dir;
    const std::string ts = (real / "Aminoxylation_TS1_R.log").string();
    dir.write("list.txt", ts + "\n" + (real / "aminox_cat_conf65_S.log").string() + "\n" +
                              (real / "aminox_cat_conf280_R.log").string() + "\n");
    const RunResult r =
        support::run_program(SORT_OUTPUTS_EXE, {"24", "0.00002", "0.05", "0.15", "1"}, dir.path());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(dir.read("errorfile.txt"), ts + "\n");
    EXPECT_EQ(r.err, "sort_outputs: " + ts +
                         ": a final table of 37 atoms where 24 atoms were asked for\n");
    const std::string all = dir.read("all_list2.txt");
    EXPECT_EQ(std::count(all.begin(), all.end(), '\n'), 2);
}

// The bundled example search ranks as its README says.
TEST(SortOutputsOnExamples, ButanolSearchGivesSixConformers) {
    support::TempDir dir;
    std::filesystem::copy(std::filesystem::path(EXAMPLES_DIR) / "outputs", dir.path());
    const RunResult r = support::run_program(
        SORT_OUTPUTS_EXE, {"15", "0.00002", "0.05", "0.15", "1", "3", "4", "5"}, dir.path());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(dir.read("errorfile.txt"), "conf10.log\n");
    EXPECT_EQ(dir.read("unique_list2.txt"),
              "conf01.log\t-233.6618425\t0.612274009266\t1\n"
              "conf06.log\t-233.6618391\t0.634186989828\t2\n"
              "conf02.log\t-233.660987\t0.701836010046\t3\n"
              "conf03.log\t-233.6604315\t0.546718955897\t4\n"
              "conf04.log\t-233.659773\t0.663141979777\t5\n"
              "conf09.log\t-233.6589954\t0.742463013517\t6\n");
    const std::string all = dir.read("all_list2.txt");
    EXPECT_EQ(all.substr(0, all.find("conf06")),
              "conf01.log\t-233.6618425\t0.612274009266\t1\n"
              "conf05.log\t-233.6618418\t0.614091022983\t1\n"
              "conf08.log\t-233.6618412\t0.610927964567\t1\n");
}

// Empty, binary and truncated files are listed as unreadable; none stops the run.
TEST_F(SortOutputs, BrokenOutputsAreListedAndTheRunGoesOn) {
    const auto anti = support::ethanol();
    output("good.log", "-154.9876543", "0.,0.3,0.4", anti);
    const std::string good = dir.read("good.log");
    dir.write("empty.log", "");
    std::string binary;
    for (int i = 0; i < 20000; ++i) binary += static_cast<char>((i * 7919) % 256);
    dir.write("binary.log", binary + "\\HF=-1.5\\Dipole=0,0,0\\" + binary);
    // Cut inside the last geometry table, and inside the archive between the two values.
    const std::size_t last_table = good.rfind("Standard orientation:");
    dir.write("cut_table.log", good.substr(0, good.find("      5 ", last_table)));
    dir.write("cut_archive.log", good.substr(0, good.find("RMSD=")));
    std::filesystem::create_directory(dir.path() / "folder.log");
    dir.write("list.txt",
              "empty.log\nbinary.log\ncut_table.log\ncut_archive.log\nfolder.log\ngood.log\n");

    const RunResult r = run({"9", "2e-5", "0.05", "0.15", "1"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(dir.read("errorfile.txt"),
              "empty.log\nbinary.log\ncut_table.log\ncut_archive.log\nfolder.log\n");
    EXPECT_EQ(dir.read("unique_list2.txt"), "good.log\t-154.9876543\t0.5\t1\n");
    const std::string killed =
        "no \"HF=\" entry in an archive block (the job may have been killed before it ended)\n";
    EXPECT_EQ(r.err, "sort_outputs: empty.log: " + killed +
                         "sort_outputs: binary.log: not an output of Gaussian, ORCA or xtb\n"
                         "sort_outputs: cut_table.log: " +
                         killed +
                         "sort_outputs: cut_archive.log: no \"Dipole=\" entry after the last "
                         "\"HF=\"\n"
                         "sort_outputs: folder.log: cannot open\n");
}

// In a directory of outputs of several molecules, each run ranks only the molecule of its
// atom count; a larger molecule is never ranked by its first atoms.
TEST_F(SortOutputs, OnlyOutputsOfTheAskedAtomCountAreRanked) {
    const std::vector<Atom> water = {
        {8, 0, 0, 0.1173}, {1, 0, 0.7572, -0.4692}, {1, 0, -0.7572, -0.4692}};
    output("water.log", "-76.4089533", "0.,0.,-0.8120512", water);
    output("ethanol.log", "-154.9876543", "0.,0.3,0.4", support::ethanol());
    output("acid.log", "-386.7210001", "0.4,-0.7,0.1", support::hexanoic_acid());
    dir.write("list.txt", "water.log\nethanol.log\nacid.log\n");
    struct Case {
        std::string atoms;
        std::string ranked;
        std::string errors;
        std::string err;
    };
    const auto refused = [](const char* file, int table, int asked) {
        return std::string("sort_outputs: ") + file + ": a final table of " +
               std::to_string(table) + " atoms where " + std::to_string(asked) +
               " atoms were asked for\n";
    };
    const Case cases[] = {
        {"3", "water.log\t-76.4089533\t0.8120512\t1\n", "ethanol.log\nacid.log\n",
         refused("ethanol.log", 9, 3) + refused("acid.log", 20, 3)},
        {"9", "ethanol.log\t-154.9876543\t0.5\t1\n", "water.log\nacid.log\n",
         refused("water.log", 3, 9) + refused("acid.log", 20, 9)},
        {"20", "acid.log\t-386.7210001\t0.812403840464\t1\n", "water.log\nethanol.log\n",
         refused("water.log", 3, 20) + refused("ethanol.log", 9, 20)},
        {"13", "", "water.log\nethanol.log\nacid.log\n",
         refused("water.log", 3, 13) + refused("ethanol.log", 9, 13) + refused("acid.log", 20, 13)},
    };
    for (const Case& c : cases) {
        const RunResult r = run({c.atoms, "2e-5", "0.05", "0.15", "1"});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(dir.read("all_list2.txt"), c.ranked) << c.atoms;
        EXPECT_EQ(dir.read("errorfile.txt"), c.errors) << c.atoms;
        EXPECT_EQ(r.err, c.err) << c.atoms;
    }
}

// Command lines that run but cannot do what they seem to ask are warned about once each;
// the results are those of the same run without the warning.
TEST_F(SortOutputs, DoubtfulCommandLinesAreWarnedAboutOnce) {
    output("a.log", "-154.9876543", "0.,0.3,0.4", support::ethanol());
    dir.write("list.txt", "a.log\na.log\n");
    // Reference atom 1 of 9 atoms: the anchors are 1, 4 and 7.
    const RunResult r = run({"9", "-2e-5", "0.05", "-0.15", "1", "7", "8", "8", "9", "8"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err,
              "sort_outputs: warning: the energy tolerance is negative: no two results can be "
              "duplicates\n"
              "sort_outputs: warning: the geometry tolerance is negative: no two results can be "
              "duplicates\n"
              "sort_outputs: warning: interchangeable atom 8 is listed more than once\n"
              "sort_outputs: warning: interchangeable atom 7 is a superposition anchor "
              "(reference atom 1 and atoms 4, 7): the geometries are laid on each other at it, so "
              "it cannot trade places with the others\n"
              "sort_outputs: warning: a.log is named 2 times in list.txt and read each time\n");
    EXPECT_EQ(dir.read("all_list2.txt"),
              "a.log\t-154.9876543\t0.5\t1\na.log\t-154.9876543\t0.5\t2\n");
}

// The names of the unreadable files must not be lost without a word: a full disk under
// "errorfile.txt" ends the run with status 1 once the result files are written.
TEST_F(SortOutputs, ErrorFileOnAFullDiskIsAFailure) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    output("a.log", "-154.9876543", "0.,0.3,0.4", support::ethanol());
    dir.write("list.txt", "a.log\nmissing.log\n");
    std::filesystem::create_symlink("/dev/full", dir.path() / "errorfile.txt");
    const RunResult r = run({"9", "2e-5", "0.05", "0.15", "1"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err,
              "sort_outputs: missing.log: cannot open\n"
              "sort_outputs: cannot write file: errorfile.txt (1 unreadable files were to be "
              "named there)\n");
    EXPECT_EQ(dir.read("all_list2.txt"), "a.log\t-154.9876543\t0.5\t1\n");
}

namespace {

// The first line of "ensemble.txt".
std::string table_head(const std::string& energy = "HF", const std::string& kelvin = "298.15",
                       bool frequencies = false) {
    return "# group\tname\tenergy (" + energy + ", hartree)\tdE (kcal/mol)\tpopulation (% at " +
           kelvin + " K)\tresults" + (frequencies ? "\timaginary frequencies" : "") + "\n";
}

// Standard output, standard error, status and the three original result files of a run.
std::string ranking(const support::TempDir& dir, const RunResult& r) {
    return std::to_string(r.status) + "|" + r.out + "|" + r.err + "|" + dir.read("all_list2.txt") +
           "|" + dir.read("unique_list2.txt") + "|" + dir.read("errorfile.txt");
}

// The first fields of the table line that names a file.
std::string table_line(const std::string& table, const std::string& name, int fields = 6) {
    const std::size_t at = table.find("\t" + name + "\t");
    if (at == std::string::npos) return "no line of " + name;
    std::size_t end = table.rfind('\n', at) + 1;
    const std::size_t start = end;
    for (int f = 0; f < fields; ++f) end = table.find_first_of("\t\n", end) + 1;
    return table.substr(start, end - 1 - start);
}

}  // namespace

// The ensemble files come after the result files, which stay those of a run with
// --no-ensemble. Two hartree are 1255.018948 kcal/mol: no population.
TEST_F(SortOutputs, EnsembleFilesFollowTheResultFiles) {
    const auto anti = support::ethanol();
    output("a.log", "-154.0000000", "0.,0.3,0.4", anti);
    output("c.log", "-153.9999900", "0.,0.4,0.3", support::turned(anti, 2.1));
    output("b.log", "-152.0000000", "0.1,0.2,0.2", support::gauche_ethanol());
    output("killed.log", "-154.99", "0.1,0.2,0.2", anti, false);
    dir.write("list.txt", "c.log\nkilled.log\na.log\nb.log\n");

    const std::string without =
        ranking(dir, run({"--no-ensemble", "9", "2e-5", "0.05", "0.15", "2"}));
    EXPECT_FALSE(dir.exists("ensemble.txt") || dir.exists("unique_conformers.xyz"));
    EXPECT_EQ(ranking(dir, run({"9", "2e-5", "0.05", "0.15", "2"})), without);
    EXPECT_EQ(dir.read("ensemble.txt"), table_head() +
                                            "1\ta.log\t-154\t0.0000\t100.00\t2\n"
                                            "2\tb.log\t-152\t1255.0189\t0.00\t1\n"
                                            "# distinct conformers: 2, results: 3\n");
    const std::string xyz = dir.read("unique_conformers.xyz");
    EXPECT_EQ(xyz.substr(0, xyz.find('\n', 3) + 1), "9\na.log  E=-154  dE=0.0000  group=1\n");
    EXPECT_NE(xyz.find("\n9\nb.log  E=-152  dE=1255.0189  group=2\nC "), std::string::npos);
    EXPECT_EQ(std::count(xyz.begin(), xyz.end(), '\n'), 22);
}

// R T ln 3 above (0.0010373 hartree) gives a third of the weight at 298.15 K, 75 and 25
// percent, and 1/sqrt(3) at twice that temperature; nothing else changes.
TEST_F(SortOutputs, TemperatureChangesOnlyThePopulations) {
    output("a.log", "-154.0000000", "0.,0.3,0.4", support::ethanol());
    output("b.log", "-153.9989627", "0.,0.3,0.4", support::gauche_ethanol());
    dir.write("list.txt", "a.log\nb.log\n");
    const std::string room = ranking(dir, run({"9", "2e-5", "0.05", "0.15", "2"}));
    const std::string xyz = dir.read("unique_conformers.xyz");
    EXPECT_EQ(dir.read("ensemble.txt"), table_head() +
                                            "1\ta.log\t-154\t0.0000\t75.00\t1\n"
                                            "2\tb.log\t-153.9989627\t0.6509\t25.00\t1\n"
                                            "# distinct conformers: 2, results: 2\n");
    EXPECT_EQ(ranking(dir, run({"--temperature", "596.3", "9", "2e-5", "0.05", "0.15", "2"})),
              room);
    EXPECT_EQ(dir.read("unique_conformers.xyz"), xyz);
    EXPECT_EQ(dir.read("ensemble.txt"), table_head("HF", "596.3") +
                                            "1\ta.log\t-154\t0.0000\t63.40\t1\n"
                                            "2\tb.log\t-153.9989627\t0.6509\t36.60\t1\n"
                                            "# distinct conformers: 2, results: 2\n");
}

TEST_F(SortOutputs, BadOptionsAreRefusedWithTheUsageLine) {
    const std::string usage =
        "usage: sort_outputs atoms energy_tolerance dipole_tolerance geometry_tolerance "
        "reference_atom [interchangeable_atom ...]\n";
    const std::string t = "sort_outputs: the temperature must be a positive number of kelvin, not ";
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--temp", "300", "9", "2e-5", "0.05", "0.15", "1"},
         "sort_outputs: unknown option --temp (the options are --temperature K, --no-ensemble, "
         "--energy KIND, --input-orientation, --symmetry, --minima, --rmsd, --all-atoms, "
         "--mirror)\n" +
             usage},
        {{"9", "2e-5", "0.05", "0.15", "1", "--no-ensemble"},
         "sort_outputs: option --no-ensemble after the positional arguments: options go first\n" +
             usage},
        {{"--no-ensemble", "--no-ensemble", "9", "2e-5", "0.05", "0.15", "1"},
         "sort_outputs: option --no-ensemble is given twice\n" + usage},
        {{"--temperature"},
         "sort_outputs: option --temperature needs a value: --temperature K\n" + usage},
        {{"--no-ensemble", "9", "2e-5"}, usage},
        {{"--temperature", "0", "9", "2e-5", "0.05", "0.15", "1"}, t + "0\n"},
        {{"--temperature", "300K", "9", "2e-5", "0.05", "0.15", "1"}, t + "300K\n"},
        {{"--energy", "MP2=", "9", "2e-5", "0.05", "0.15", "1"},
         "sort_outputs: the energy must be HF, another archive entry's key (MP2, CCSD(T), ...), "
         "G or H, not MP2=\n"},
    };
    dir.write("list.txt", "a.log\n");
    for (const auto& [args, err] : cases) {
        const RunResult r = run(args);
        EXPECT_EQ(r.status, 2) << err;
        EXPECT_EQ(r.err, err);
        EXPECT_EQ(r.out, "");
        EXPECT_FALSE(dir.exists("errorfile.txt")) << err;
    }
}

// No readable output (a nosym job) still gives both files; with --input-orientation the
// job is ranked. A file that cannot be written fails the run after the result files.
TEST_F(SortOutputs, EnsembleFilesOfNoResultsAndUnwritableOnes) {
    support::GaussianOutput nosym;
    nosym.steps = {support::ethanol()};
    nosym.orientation = support::GaussianOutput::input_only;
    dir.write("nosym.log", support::gaussian_output(nosym));
    dir.write("list.txt", "nosym.log\n");
    RunResult r = run({"--temperature", "310", "9", "2e-5", "0.05", "0.15", "1"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(dir.read("ensemble.txt"),
              table_head("HF", "310") + "# distinct conformers: 0, results: 0\n");
    EXPECT_EQ(dir.read("unique_conformers.xyz"), "");
    r = run({"--input-orientation", "9", "2e-5", "0.05", "0.15", "1"});
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(dir.read("unique_list2.txt"), "nosym.log\t-154.9876543\t0.374165738677\t1\n");

    std::filesystem::remove(dir.path() / "unique_conformers.xyz");
    std::filesystem::create_directory(dir.path() / "unique_conformers.xyz");
    r = run({"--input-orientation", "9", "2e-5", "0.05", "0.15", "1"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "sort_outputs: cannot create file: unique_conformers.xyz\n");
    EXPECT_EQ(dir.read("unique_list2.txt"), "nosym.log\t-154.9876543\t0.374165738677\t1\n");
    r = run({"--no-ensemble", "--temperature", "300", "9", "2e-5", "0.05", "0.15", "1"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err,
              "sort_outputs: warning: --temperature has no effect with --no-ensemble: no "
              "populations are written\n"
              "sort_outputs: nosym.log: no \"Standard orientation:\" table (a job run with nosym "
              "prints only \"Input orientation:\")\n");
}

// --energy ranks by another energy, which the result files and the table hold; a file
// without it is left out. Without --energy a note names every file ranked by "HF=" whose
// archive holds post-HF energies.
TEST_F(SortOutputs, ChosenEnergyRanksAndNotesNameTheOthers) {
    const auto write = [&](const std::string& name, const std::string& hf,
                           const std::string& post_hf, const std::vector<Atom>& atoms) {
        support::GaussianOutput out;
        out.steps = {atoms};
        out.energy = hf;
        out.dipole = "0.,0.3,0.4";
        out.post_hf = post_hf;
        dir.write(name, support::gaussian_output(out));
    };
    write("a.log", "-154.90", "MP2=-155.30", support::ethanol());
    write("b.log", "-154.80", "MP2=-155.40\\MP3=-155.41\\CCSD=-155.42\\CCSD(T)=-155.43",
          support::gauche_ethanol());
    write("dft.log", "-154.85", "", support::turned(support::ethanol(), 0.5));
    dir.write("list.txt", "a.log\nb.log\ndft.log\n");

    RunResult r = run({"9", "2e-5", "0.05", "0.15", "1"});
    const std::string note = "sort_outputs: note: ";
    EXPECT_EQ(r.err, note +
                         "a.log was ranked by its \"HF=\" value; its archive also holds \"MP2=\": "
                         "rank by it with --energy MP2\n" +
                         note +
                         "b.log was ranked by its \"HF=\" value; its archive also holds \"MP2=\", "
                         "\"MP3=\", \"CCSD=\", \"CCSD(T)=\": rank by one of them with --energy "
                         "KIND, e.g. --energy CCSD(T)\n");
    const std::string by_hf = dir.read("all_list2.txt");
    EXPECT_EQ(by_hf, "a.log\t-154.9\t0.5\t1\ndft.log\t-154.85\t0.5\t2\nb.log\t-154.8\t0.5\t3\n");
    r = run({"--energy", "HF", "9", "2e-5", "0.05", "0.15", "1"});
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(dir.read("all_list2.txt"), by_hf);

    r = run({"--energy", "MP2", "9", "2e-5", "0.05", "0.15", "1"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "sort_outputs: dft.log: no \"MP2=\" entry in an archive block\n");
    EXPECT_EQ(dir.read("errorfile.txt"), "dft.log\n");
    EXPECT_EQ(dir.read("all_list2.txt"), "b.log\t-155.4\t0.5\t1\na.log\t-155.3\t0.5\t2\n");
    // 0.1 hartree are 62.7509474 kcal/mol.
    EXPECT_EQ(dir.read("ensemble.txt"),
              table_head("MP2") +
                  "1\tb.log\t-155.4\t0.0000\t100.00\t1\n2\ta.log\t-155.3\t62.7509\t0.00\t1\n"
                  "# distinct conformers: 2, results: 2\n");
}

// Seven divinylbenzene jobs are one conformer with the whole population. The nosym cation
// job, given a dipole in a copy, is ranked from its input orientation when asked:
// 382.3082666 - 382.0813927 = 0.2268739 hartree, 142.3655 kcal/mol above.
TEST(SortOutputsOnRealFiles, DivinylbenzeneEnsembleAndNosymJob) {
    SKIP_WITHOUT_REAL_OUTPUTS();
    const auto real = support::real_outputs_dir();
    support::TempDir dir;
    std::string nosym = support::read_file(real / "g16_dvb_un_sp.log");
    const std::size_t entry = nosym.find("\\RMSD=7.235e-09\\");
    ASSERT_NE(entry, std::string::npos);
    dir.write("nosym.log", nosym.insert(entry + 16, "Dipole=0.,0.,0.\\"));
    std::string list;
    for (const char* file :
         {"g09_dvb_gopt.out", "g09_dvb_ir.out", "g09_dvb_raman.out", "g16_dvb_gopt.out",
          "g16_dvb_ir.out", "g16_dvb_raman.out", "g16_dvb_ir_G16C01.out"})
        list += (real / file).string() + "\n";
    dir.write("list.txt", list + "nosym.log\n");

    RunResult r =
        support::run_program(SORT_OUTPUTS_EXE, {"20", "0.00002", "0.05", "0.15", "1"}, dir.path());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(dir.read("errorfile.txt"), "nosym.log\n");
    std::string table = dir.read("ensemble.txt");
    const std::string head = table.substr(table.find("\n1\t") + 3);
    EXPECT_EQ(head.substr(head.find('\t')),
              "\t-382.3082666\t0.0000\t100.00\t7\t\n# distinct conformers: 1, results: 7\n");
    const std::string xyz = dir.read("unique_conformers.xyz");
    EXPECT_EQ(std::count(xyz.begin(), xyz.end(), '\n'), 22);

    r = support::run_program(SORT_OUTPUTS_EXE,
                             {"--input-orientation", "20", "0.00002", "0.05", "0.15", "1"},
                             dir.path());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(dir.read("errorfile.txt"), "");
    table = dir.read("ensemble.txt");
    EXPECT_EQ(table_line(table, "nosym.log"), "2\tnosym.log\t-382.0813927\t142.3655\t0.00\t1");
}

// By free energy the catalyst conformers rank in another order than by "HF=" (conf65
// below conf212): G = -517.707700, -517.707550, -517.707486 hartree in the files.
TEST(SortOutputsOnRealFiles, CatalystFreeEnergiesRankInAnotherOrder) {
    SKIP_WITHOUT_REAL_OUTPUTS();
    const auto real = support::real_outputs_dir();
    support::TempDir dir;
    const std::string c212 = (real / "aminox_cat_conf212_S.log").string();
    const std::string c65 = (real / "aminox_cat_conf65_S.log").string();
    const std::string c280 = (real / "aminox_cat_conf280_R.log").string();
    dir.write("list.txt", c212 + "\n" + c65 + "\n" + c280 + "\n");
    const RunResult r = support::run_program(
        SORT_OUTPUTS_EXE, {"--energy", "G", "24", "0.00002", "0.05", "0.15", "1"}, dir.path());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    // 0.000150 and 0.000214 hartree above the lowest.
    const std::string table = dir.read("ensemble.txt");
    EXPECT_EQ(table.substr(0, table.find('\n') + 1), table_head("G", "298.15", true));
    EXPECT_EQ(table_line(table, c280, 4), "1\t" + c280 + "\t-517.7077\t0.0000");
    EXPECT_EQ(table_line(table, c212, 4), "2\t" + c212 + "\t-517.70755\t0.0941");
    EXPECT_EQ(table_line(table, c65, 4), "3\t" + c65 + "\t-517.707486\t0.1343");
}

TEST(SortOutputsOnRealFiles, WaterRankedByMp2) {
    SKIP_WITHOUT_REAL_OUTPUTS();
    const std::string water = (support::real_outputs_dir() / "g16_water_mp2.log").string();
    support::TempDir dir;
    dir.write("list.txt", water + "\n");
    RunResult r =
        support::run_program(SORT_OUTPUTS_EXE, {"3", "0.00002", "0.05", "0.15", "1"}, dir.path());
    EXPECT_EQ(r.err, "sort_outputs: note: " + water +
                         " was ranked by its \"HF=\" value; its archive also holds \"MP2=\": "
                         "rank by it with --energy MP2\n");
    EXPECT_EQ(dir.read("all_list2.txt"), water + "\t-74.9643288\t0.629265642243\t1\n");
    r = support::run_program(SORT_OUTPUTS_EXE,
                             {"--energy", "MP2", "3", "0.00002", "0.05", "0.15", "1"}, dir.path());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(dir.read("all_list2.txt"), water + "\t-75.0022821\t0.629265642243\t1\n");
}
