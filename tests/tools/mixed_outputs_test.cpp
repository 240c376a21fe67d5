// sort_outputs on outputs of Gaussian, ORCA and xtb together: each file read by its own
// reader, the levels of theory named, saddle points named or left out, and what a chemist
// gets wrong first on the command line answered.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "TestSupport.h"

namespace {

namespace fs = std::filesystem;
using support::RunResult;

const std::string OUTPUTS = std::string(TEST_DATA_DIR) + "/outputs/";

// Water by B3LYP/6-31G(d) in Gaussian, B3LYP-D3BJ/def2-SVP in ORCA and GFN2-xTB in xtb,
// listed in list.txt of a scratch directory.
class MixedOutputs : public testing::Test {
protected:
    support::TempDir dir;

    void SetUp() override {
        for (const char* file : {"water.log", "orca_water_optfreq.out", "xtb_water_ohess.out"})
            fs::copy_file(OUTPUTS + file, dir.file(file));
        dir.write("list.txt", "water.log\norca_water_optfreq.out\nxtb_water_ohess.out\n");
    }

    RunResult run(std::vector<std::string> options) {
        for (const char* arg : {"3", "0.00002", "0.05", "0.15", "1"}) options.push_back(arg);
        return support::run_program(SORT_OUTPUTS_EXE, options, dir.path());
    }
};

TEST_F(MixedOutputs, EachFileIsReadByItsProgramsReaderAndTheLevelsAreNamed) {
    const RunResult r = run({});
    EXPECT_EQ(r.status, 0) << r.err;
    // Energies as the files print them: the archive's HF=, the last FINAL SINGLE POINT
    // ENERGY, the TOTAL ENERGY box; dipole lengths of (0, 0, 0.7954) and the others.
    EXPECT_EQ(dir.read("all_list2.txt"),
              "water.log\t-76.4089533\t0.8120512\t1\n"
              "orca_water_optfreq.out\t-76.329521148\t0.7954\t2\n"
              "xtb_water_ohess.out\t-5.08502108424\t0.974\t3\n");
    EXPECT_EQ(r.err,
              "sort_outputs: warning: these results come from different levels of theory and are "
              "ranked together: Gaussian RB3LYP/6-31G(d): 1 file (water.log); ORCA "
              "B3LYP-D3BJ/def2-SVP: 1 file (orca_water_optfreq.out); xtb GFN2-xTB: 1 file "
              "(xtb_water_ohess.out)\n");
    // The Gaussian job computed no frequencies; the other two found no imaginary one.
    const std::string table = dir.read("ensemble.txt");
    EXPECT_NE(table.find("\tresults\timaginary frequencies\n"), std::string::npos);
    EXPECT_NE(table.find("\twater.log\t-76.4089533\t0.0000\t100.00\t1\t\n"), std::string::npos);
    EXPECT_NE(table.find("\torca_water_optfreq.out\t-76.329521148\t49.8444\t0.00\t1\t0\n"),
              std::string::npos);

    // Each program's own free energy with --energy G; Gaussian's opt job has none.
    const RunResult g = run({"--energy", "G"});
    EXPECT_EQ(g.status, 0) << g.err;
    EXPECT_EQ(dir.read("all_list2.txt"),
              "orca_water_optfreq.out\t-76.32107215\t0.7954\t1\n"
              "xtb_water_ohess.out\t-5.08296092893\t0.974\t2\n");
    EXPECT_EQ(dir.read("errorfile.txt"), "water.log\n");
}

TEST_F(MixedOutputs, SaddlePointsAreNamedAndMinimaLeavesThemOut) {
    std::string orca = dir.read("orca_water_optfreq.out");
    const std::string mode = "   6:      1602.43 cm**-1";
    orca.replace(orca.find(mode), mode.size(), "   6:       -45.21 cm**-1 ***imaginary mode***");
    dir.write("orca_water_optfreq.out", orca);

    const std::string saddle =
        "orca_water_optfreq.out: 1 imaginary frequency (-45.2 cm-1): a saddle point, not a "
        "minimum\n";
    const RunResult named = run({});
    EXPECT_EQ(named.status, 0);
    EXPECT_NE(named.err.find("sort_outputs: " + saddle), std::string::npos) << named.err;
    EXPECT_NE(dir.read("ensemble.txt").find("\t1\t1\n"), std::string::npos);
    EXPECT_EQ(dir.read("errorfile.txt"), "");

    const RunResult left_out = run({"--minima"});
    EXPECT_EQ(left_out.status, 0);
    EXPECT_EQ(left_out.err.find("sort_outputs: " + saddle), 0u) << left_out.err;
    EXPECT_EQ(dir.read("errorfile.txt"), "orca_water_optfreq.out\n");
    EXPECT_EQ(dir.read("all_list2.txt").find("orca"), std::string::npos);
}

TEST_F(MixedOutputs, FileOfNoProgramIsRefusedAndAnOrcaRefusalNamesItsLine) {
    dir.write("notes.log", "energies of the water runs, see the other files\n");
    std::string orca = dir.read("orca_water_optfreq.out");
    const std::string energy = "FINAL SINGLE POINT ENERGY       -76.329521148023";
    orca.replace(orca.rfind(energy), energy.size(),
                 energy + "   (Wavefunction not fully converged!)");
    dir.write("orca_water_optfreq.out", orca);
    dir.write("list.txt", "notes.log\norca_water_optfreq.out\nwater.log\n");

    const RunResult r = run({});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.err.find("sort_outputs: notes.log: not an output of Gaussian, ORCA or xtb\n"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("sort_outputs: orca_water_optfreq.out, line 66: "), std::string::npos)
        << r.err;
    EXPECT_EQ(dir.read("errorfile.txt"), "notes.log\norca_water_optfreq.out\n");
}

// The mistakes a chemist makes first: units typed after a tolerance, an energy key in the
// wrong case, free energies computed at another temperature than the populations'.
TEST(SortOutputsArguments, WhatAChemistGetsWrongFirstIsNamed) {
    support::TempDir dir;
    fs::copy_file(OUTPUTS + "water.log", dir.file("water.log"));
    fs::copy_file(OUTPUTS + "orca_water_optfreq.out", dir.file("orca.out"));
    dir.write("list.txt", "water.log\n");
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string err;
    };
    const Case cases[] = {
        {{"3", "0.05kcal", "0.05", "0.15", "1"},
         0,
         "sort_outputs: warning: the energy tolerance \"0.05kcal\" is read as 0.05, the rest "
         "(\"kcal\") ignored: 0.05 hartree = 31.4 kcal/mol\n"},
        {{"3", "2e-5", "0.1D", "0.15A", "1"},
         0,
         "sort_outputs: warning: the dipole tolerance \"0.1D\" is read as 0.1, the rest (\"D\") "
         "ignored: 0.1 atomic units = 0.254 debye\n"
         "sort_outputs: warning: the geometry tolerance \"0.15A\" is read as 0.15, the rest "
         "(\"A\") ignored: 0.15 angstrom\n"},
        {{"--energy", "hf", "3", "2e-5", "0.05", "0.15", "1"},
         2,
         "sort_outputs: no file in list.txt has an energy \"hf\": did you mean HF?\n"},
        {{"--energy", "g", "3", "2e-5", "0.05", "0.15", "1"},
         2,
         "sort_outputs: no file in list.txt has an energy \"g\": did you mean G?\n"},
    };
    for (const Case& c : cases) {
        fs::remove(dir.file("errorfile.txt"));
        const RunResult r = support::run_program(SORT_OUTPUTS_EXE, c.args, dir.path());
        EXPECT_EQ(r.status, c.status) << c.args[1];
        EXPECT_EQ(r.err, c.err);
        // A refusal writes nothing.
        EXPECT_EQ(dir.exists("errorfile.txt"), c.status == 0) << c.args[1];
    }

    dir.write("list.txt", "orca.out\n");
    const RunResult warm = support::run_program(
        SORT_OUTPUTS_EXE,
        {"--energy", "G", "--temperature", "310", "3", "2e-5", "0.05", "0.15", "1"}, dir.path());
    EXPECT_EQ(warm.status, 0);
    EXPECT_EQ(warm.err,
              "sort_outputs: warning: the G values of 1 file (orca.out) were computed at 298.15 K, "
              "the populations are taken at 310 K (--temperature); the G values stay those of "
              "the files\n");
}

}  // namespace
