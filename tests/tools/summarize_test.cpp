#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "TestSupport.h"

namespace {

using support::RunResult;

const std::filesystem::path EXAMPLE_OUTPUTS = std::filesystem::path(EXAMPLES_DIR) / "outputs";

RunResult summarize(const std::vector<std::string>& args,
                    const std::filesystem::path& workdir = EXAMPLE_OUTPUTS) {
    return support::run_program(SUMMARIZE_OUTPUT_EXE, args, workdir);
}

int count_of(const std::string& text, const std::string& part) {
    int n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

// The report of conf01.log up to its first atom, read off the file: route line 29, the
// last rotational constants, the archive's HF= and Dipole=, "Job cpu time: 0 days
// 0 hours 21 minutes 29.1 seconds.", charge 0 and multiplicity 1.
const char* const CONF01_HEAD =
    "conf01.log\n"
    "#p b3lyp/6-31g(d) opt\n"
    "hf=-233.6618425\n"
    "Rotational constants (GHZ): 8.1609726 3.4889772 2.6946339  Module=9.2755317\n"
    "Dipole: -0.5373697 0.2916534 -0.0324278  Module=0.6122740\n"
    "cpu time: 1289 secs\n"
    "0 1\n"
    "C\t0.516989\t0.055064\t-0.330058\n";

}  // namespace

TEST(SummarizeOutput, KilledJobGivesTheErrorLineAndStatusOne) {
    const RunResult r = summarize({"15", "conf01.log", "conf10.log"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out.substr(0, std::string(CONF01_HEAD).size()), CONF01_HEAD);
    // The fifteen atoms, the empty line that ends the report, then the killed job.
    EXPECT_EQ(count_of(r.out, "\n"), 7 + 15 + 1 + 1);
    const std::string tail = "H\t-0.547626\t-0.842877\t1.318545\n\n\tError!\n";
    ASSERT_GT(r.out.size(), tail.size());
    EXPECT_EQ(r.out.substr(r.out.size() - tail.size()), tail);
    EXPECT_EQ(r.err, "summarize_output: conf10.log: no Normal termination\n");
}

// Each broken file gets its error line in order and its reason on standard error; the
// good file among them is still reported.
TEST(SummarizeOutput, BrokenFilesAreNamedWithTheirReason) {
    support::TempDir dir;
    const std::string conf01 = support::read_file(EXAMPLE_OUTPUTS / "conf01.log");
    dir.write("conf01.log", conf01);
    // Cut inside the archive block, between the energy and the dipole.
    dir.write("cut.log", conf01.substr(0, conf01.find("RMSD=")));
    dir.write("empty.log", "");
    std::filesystem::create_directory(dir.path() / "folder.log");

    RunResult r = summarize(
        {"15", "cut.log", "empty.log", "missing.log", "folder.log", "conf01.log"}, dir.path());
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out.substr(0, 32), "\tError!\n\tError!\n\tError!\n\tError!\n");
    EXPECT_EQ(r.out.substr(32, std::string(CONF01_HEAD).size()), CONF01_HEAD);
    EXPECT_EQ(r.err,
              "summarize_output: cut.log: no Normal termination\n"
              "summarize_output: empty.log: no Normal termination\n"
              "summarize_output: missing.log: cannot be read\n"
              "summarize_output: folder.log: cannot be read\n");

    r = summarize({"16", "conf01.log"}, dir.path());
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "\tError!\n");
    EXPECT_EQ(r.err, "summarize_output: conf01.log: no Standard orientation table of 16 atoms\n");
}

TEST(SummarizeOutput, CommandLinesAreRefusedWithTheUsageLine) {
    const std::string usage = "usage: summarize_output atoms file [file ...]\n";
    struct Case {
        std::vector<std::string> args;
        std::string err;
    };
    const Case cases[] = {
        {{}, usage},
        {{"15"}, usage},
        {{"-1", "conf01.log"},
         "summarize_output: the atom count must lie in 0..100, not -1\n" + usage},
        {{"101", "conf01.log"},
         "summarize_output: the atom count must lie in 0..100, not 101\n" + usage},
        {{"1e300", "conf01.log"},
         "summarize_output: the atom count must lie in 0..100, not 1e300\n" + usage},
        // A word reads as 0, which would take the count from the file without a word.
        {{"atoms", "conf01.log"},
         "summarize_output: the atom count must lie in 0..100, not atoms\n" + usage},
    };
    for (const Case& c : cases) {
        const RunResult r = summarize(c.args);
        EXPECT_EQ(r.status, 2) << c.err;
        EXPECT_EQ(r.err, c.err);
        EXPECT_EQ(r.out, "");
    }
    // The atom count is truncated toward zero, like every whole number of the toolkit.
    const RunResult r = summarize({"15.9", "conf01.log"});
    EXPECT_EQ(r.status, 0) << r.err;
}

TEST(SummarizeOutputOnRealFiles, MP2JobAndJobWithoutDipole) {
    SKIP_WITHOUT_REAL_OUTPUTS();
    const auto real = support::real_outputs_dir();
    const RunResult r = summarize({"3", "g16_water_mp2.log", "g16_dvb_un_sp.log"}, real);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out,
              "g16_water_mp2.log\n"
              "#P MP2/STO-3G Density Pop=(Full,NaturalOrbitals)\n"
              "hf=-74.9643288\n"
              "mp2=-75.0022821\n"
              "Rotational constants (GHZ): 795.3367043 401.0831699 266.6255997  "
              "Module=929.7942744\n"
              "Dipole: 0.5025539 0.0000000 0.3787015  Module=0.6292656\n"
              "cpu time: 1 secs\n"
              "0 1\n"
              "O\t-0.000000\t0.000000\t0.119159\n"
              "H\t-0.000000\t0.790649\t-0.476637\n"
              "H\t-0.000000\t-0.790649\t-0.476637\n"
              "\n"
              "\tError!\n");
    EXPECT_EQ(r.err, "summarize_output: g16_dvb_un_sp.log: no Dipole= after the last HF=\n");
}

// With 0 atoms each file's own final geometry says how many; an ORCA or xtb output gets
// a report of its own program's values.
TEST(SummarizeOutput, AtomCountFromTheFileAndOrcaAndXtbReports) {
    const std::filesystem::path outputs = std::filesystem::path(TEST_DATA_DIR) / "outputs";
    EXPECT_EQ(summarize({"0", "conf01.log"}).out, summarize({"15", "conf01.log"}).out);
    const RunResult r = summarize({"0", "orca_water_optfreq.out"}, outputs);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(count_of(r.out, "\nH\t"), 2);
    // Read off the file: its last FINAL SINGLE POINT ENERGY, Final Gibbs free energy and
    // Total Enthalpy, the Total Dipole Moment, no imaginary mode.
    EXPECT_NE(r.out.find("orca_water_optfreq.out\n"
                         "ORCA 5.0.4: B3LYP-D3BJ/def2-SVP CPCM(Water)\n"
                         "energy=-76.3295211\n"
                         "G=-76.3210722\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("Dipole: 0.0000000 0.0000000 0.7954000  Module=0.7954000\n"
                         "imaginary frequencies: 0\n0 1\n"),
              std::string::npos)
        << r.out;

    const RunResult wrong = summarize({"4", "xtb_water_ohess.out"}, outputs);
    EXPECT_EQ(wrong.status, 1);
    EXPECT_EQ(wrong.out, "\tError!\n");
    EXPECT_EQ(wrong.err,
              "summarize_output: xtb_water_ohess.out: a final geometry of 3 atoms where 4 atoms "
              "were asked for\n");
}

// A route wrapped over two lines is reported whole, and an opt freq job's two steps add
// their cpu times: 36827 s of the frequency step after 50267 s of the optimisation.
TEST(SummarizeOutputOnRealFiles, WholeRouteAndCpuTimeOfAllSteps) {
    SKIP_WITHOUT_REAL_OUTPUTS();
    const RunResult r = summarize({"0", "aminox_cat_conf65_S.log"}, support::real_outputs_dir());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(
        r.out.find("\n#opt=(maxcycles=200) freq=noraman def2tzvpp empiricaldispersion=gd3 m0\n"
                   "whole route: #opt=(maxcycles=200) freq=noraman def2tzvpp "
                   "empiricaldispersion=gd3 m062x scrf=(solvent=Chloroform,smd)\n"),
        std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("cpu time: 36827 secs\ncpu time of all 2 job steps: 87094 secs\n"),
              std::string::npos);
}
