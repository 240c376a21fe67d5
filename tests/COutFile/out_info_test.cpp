#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>

#include "COutFile.h"
#include "TestSupport.h"

using namespace confsearch;

namespace {

const int ETHANOL_ATOMS = 9;

// The parts of a finished ethanol optimisation that the summary reads, each replaceable.
struct Job {
    std::string rotational =
        " Rotational constants (GHZ):      3.0000000      4.0000000     12.0000000\n";
    std::string archive =
        " 1\\1\\GINC-NODE7\\FOpt\\RB3LYP\\6-31G(d)\\C2H6O1\\#p b3lyp/6-31g(d) opt\\State=1-A\n"
        " \\HF=-154.9876543\\RMSD=3.412e-09\\Dipole=0.1,-0.2,0.3\\PG=C01 [X(C2H6O1)]\\\\@\n";
    std::string cpu = " Job cpu time:       1 days  2 hours  3 minutes  4.9 seconds.\n";
    std::string end = " Normal termination of Gaussian 16 at Tue Dec  8 19:05:54 2026.\n";
};

// Head with route line and charge, one table per step with the decoys "IROHF=0." and
// "Dipole        =", then the parts of the job.
std::string job_text(const Job& job) {
    support::GaussianOutput steps;
    steps.steps = {support::turned(support::ethanol(), 0.4), support::ethanol()};
    steps.archive = false;
    return support::gaussian_output(steps) + job.rotational + job.archive + "\n" + job.cpu +
           job.end;
}

// Where a job of several steps goes on after one has ended normally.
const std::string NEXT_STEP = " Link1:  Proceeding to internal job step number  2.\n";

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

std::string report_of(const COutInfo& info) {
    std::ostringstream out;
    out << info;
    return out.str();
}

}  // namespace

TEST(OutputSummary, ReportOfAFinishedJob) {
    support::TempDir dir;
    dir.write("a.log", job_text(Job{}));
    COutInfo info;
    ASSERT_TRUE(info.get_info(dir.file("a.log"), ETHANOL_ATOMS)) << info.first_missing();
    EXPECT_EQ(info.valid, 1);
    EXPECT_EQ(info.first_missing(), "");
    // Rotational constants 3, 4, 12 have the length 13; 1 day 2 hours 3 minutes 4.9
    // seconds are 93784 whole seconds; the dipole (0.1, -0.2, 0.3) has the length
    // sqrt(0.14) = 0.37416574.
    EXPECT_EQ(report_of(info), dir.file("a.log") +
                                   "\n#p b3lyp/6-31g(d) opt\n"
                                   "hf=-154.9876543\n"
                                   "Rotational constants (GHZ): 3.0000000 4.0000000 12.0000000  "
                                   "Module=13.0000000\n"
                                   "Dipole: 0.1000000 -0.2000000 0.3000000  Module=0.3741657\n"
                                   "cpu time: 93784 secs\n"
                                   "0 1\n"
                                   "C\t-1.168500\t-0.388400\t0.000000\n"
                                   "C\t0.014200\t0.556000\t0.000000\n"
                                   "O\t1.184900\t-0.254000\t0.000000\n"
                                   "H\t1.949200\t0.335000\t0.000000\n"
                                   "H\t-0.019600\t1.202600\t0.883000\n"
                                   "H\t-0.019600\t1.202600\t-0.883000\n"
                                   "H\t-2.102400\t0.175400\t0.000000\n"
                                   "H\t-1.137200\t-1.031700\t0.884700\n"
                                   "H\t-1.137200\t-1.031700\t-0.884700\n\n");
}

TEST(OutputSummary, OptionalItemsAndLineEnds) {
    support::TempDir dir;
    struct Case {
        const char* what;
        std::string text;
        std::string expected_line;  // a line the report must hold
        std::string absent;         // a text it must not hold
    };
    Job mp2;
    // An MP2 job has both entries; this one is broken by the archive's wrap.
    mp2.archive =
        " 1\\1\\GINC\\SP\\RMP2-FC\\STO-3G\\#P "
        "MP2/STO-3G\\\\Version=ES64L-G16RevA.03\\HF=-74.9643288\\MP2=-7\n"
        " 5.0022821\\RMSD=2.787e-10\\Dipole=0.5025539,0.,0.3787015\\PG=C02V\\\\@\n";
    Job decoy;
    // The MP2 correlation printout is no archive entry: "EUMP2 =" is passed over.
    decoy.rotational += " E2 =    -0.3794D-01 EUMP2 =    -0.75002282104D+02\n";
    Job no_cpu;
    no_cpu.cpu = "";
    const std::string lf = job_text(Job{});
    const Case cases[] = {
        {"MP2 job", job_text(mp2), "mp2=-75.0022821\n", ""},
        {"two job steps", lf + NEXT_STEP + job_text(mp2), "mp2=-75.0022821\n", ""},
        {"HF job", job_text(decoy), "hf=-154.9876543\n", "mp2="},
        {"no cpu time", job_text(no_cpu), "cpu time: 0 secs\n", ""},
        {"no multiplicity", replaced(lf, " Multiplicity = 1", ""), "\n0 1\n", ""},
        {"cation doublet",
         replaced(lf, "Charge =  0 Multiplicity = 1", "Charge =  1 Multiplicity = 2"), "\n1 2\n",
         ""},
        {"Windows line ends", replaced(lf, "\n", "\r\n"), "\n#p b3lyp/6-31g(d) opt\n", "\r"},
        {"long route",
         replaced(lf, "#p b3lyp/6-31g(d) opt\n", "#p " + std::string(120, 'x') + "\n"),
         "\n#p " + std::string(95, 'x') + "\n", ""},
    };
    for (const Case& c : cases) {
        dir.write("job.log", c.text);
        COutInfo info;
        ASSERT_TRUE(info.get_info(dir.file("job.log"), ETHANOL_ATOMS))
            << c.what << ": " << info.first_missing();
        const std::string report = report_of(info);
        EXPECT_NE(report.find(c.expected_line), std::string::npos) << c.what << "\n" << report;
        if (!c.absent.empty()) {
            EXPECT_EQ(report.find(c.absent), std::string::npos) << c.what << "\n" << report;
        }
    }
}

// Each file lacks one required item and is refused in that item's name; the summary read
// before is cleared.
TEST(OutputSummary, IncompleteJobsNameTheFirstMissingItem) {
    support::TempDir dir;
    struct Case {
        const char* what;
        std::string text;
        int atoms;
        std::string reason;
    };
    Job killed;
    killed.archive = killed.cpu = killed.end = "";
    Job unfinished;
    unfinished.end = " Error termination via Lnk1e in /opt/g16/l9999.exe\n";
    Job no_archive;  // only the decoys "IROHF=0." and "Dipole        =" are left
    no_archive.archive = "";
    Job no_dipole;
    no_dipole.archive = " 1\\1\\GINC\\SP\\UB3LYP\\#p ub3lyp nosym\\HF=-154.98\\S2=0.7778\\\\@\n";
    Job no_rotational;
    no_rotational.rotational = "";
    Job overflowing;
    overflowing.rotational = " Rotational constants (GHZ): ************ 4.0000000 12.0000000\n";
    Job odd_cpu;
    odd_cpu.cpu = " Job cpu time:  unknown\n";
    const std::string good = job_text(Job{});
    const std::string cut = good.substr(0, good.find("RMSD="));
    // An optimisation followed by a frequency step that was killed: the first step's
    // "Normal termination" is not the job's.
    const std::string killed_second_step =
        good + NEXT_STEP + good.substr(0, good.find("Standard orientation:"));
    const Case cases[] = {
        {"killed job", job_text(killed), 9, "no Normal termination"},
        {"killed in its second step", killed_second_step, 9, "no Normal termination"},
        {"error exit", job_text(unfinished), 9, "no Normal termination"},
        {"cut in the archive", cut, 9, "no Normal termination"},
        {"no route", replaced(good, "#p", "p"), 9, "no route line"},
        {"no archive", job_text(no_archive), 9, "no HF= in the archive block"},
        {"no dipole", job_text(no_dipole), 9, "no Dipole= after the last HF="},
        {"cpu time of another shape", job_text(odd_cpu), 9, "unreadable cpu time"},
        {"no rotational constants", job_text(no_rotational), 9, "no Rotational constants (GHZ)"},
        {"rotational constants overflow", job_text(overflowing), 9,
         "no Rotational constants (GHZ)"},
        {"no charge", replaced(good, "Charge =", "Chrg"), 9, "no Charge ="},
        {"too few atoms in the table", good, 10, "no Standard orientation table of 10 atoms"},
        {"run without symmetry", replaced(good, "Standard orientation:", "Input orientation:"), 9,
         "no Standard orientation table of 9 atoms"},
    };
    dir.write("good.log", good);
    for (const Case& c : cases) {
        dir.write("bad.log", c.text);
        COutInfo info;
        ASSERT_TRUE(info.get_info(dir.file("good.log"), ETHANOL_ATOMS));
        EXPECT_FALSE(info.get_info(dir.file("bad.log"), c.atoms)) << c.what;
        EXPECT_EQ(info.first_missing(), c.reason) << c.what;
        EXPECT_EQ(info.file_name, "") << c.what;
        EXPECT_EQ(info.hf, 0.0) << c.what;
        EXPECT_EQ(info.conformer.get_size(), 0) << c.what;
        EXPECT_EQ(report_of(info), "\tError!\n") << c.what;
    }

    COutInfo info;
    EXPECT_FALSE(info.get_info(dir.file("missing.log"), ETHANOL_ATOMS));
    EXPECT_EQ(info.first_missing(), "cannot be read");
    EXPECT_FALSE(info.get_info(dir.path().string(), ETHANOL_ATOMS));
    EXPECT_EQ(info.first_missing(), "cannot be read");
    for (const int atoms : {-1, MAX_CONFORMER_SIZE + 1}) {
        try {
            info.get_info(dir.file("good.log"), atoms);
            ADD_FAILURE() << "no throw for " << atoms;
        } catch (int thrown) {
            EXPECT_EQ(thrown, atoms);
        }
    }
}

// Values read off the files by hand.
TEST(OutputSummaryOnRealOutputs, FinishedJobsSummariseAsTheirFilesSay) {
    SKIP_WITHOUT_REAL_OUTPUTS();
    const auto real = support::real_outputs_dir();
    struct Expected {
        const char* file;
        int atoms;
        const char* route;
        double hf;
        double mp2;
        double rotational_a;
        double dipole_z;
        int cpu_seconds;
        int charge;
        int multiplicity;
    };
    const Expected files[] = {
        {"g16_water_mp2.log", 3, "#P MP2/STO-3G Density Pop=(Full,NaturalOrbitals)", -74.9643288,
         -75.0022821, 795.3367043, 0.3787015, 1, 0, 1},
        // Optimisation and frequencies: the cpu time of the frequency step, which
        // follows the last archive, 10 h 15 min 4.6 s; Windows line ends.
        {"aminox_cat_conf212_S.log", 24,
         "#opt=(maxcycles=200) freq=noraman def2tzvpp empiricaldispersion=gd3 m0", -517.8751652, 0,
         1.42147, -0.486173, 36904, 0, 1},
        // 1 day 17 h 30 min 8.5 s.
        {"Aminoxylation_TS1_R.log", 37,
         "# opt=(calcfc,ts,recalc=2,noeigentest,maxcycles=200,maxstep=10) freq=n", -879.405138, 0,
         0.49276, 3.4091277, 149408, 0, 1},
        {"g09_Mo4OCl4-sp.log", 6, "#p gfinput iop(6/7=3) iop(3/33=1) #B3LYP/Gen pseudo=read #SP",
         -202.7136226, 0, 0.9998081, 0.4199116, 4, -2, 1},
    };
    for (const Expected& e : files) {
        COutInfo info;
        ASSERT_TRUE(info.get_info((real / e.file).string(), e.atoms))
            << e.file << ": " << info.first_missing();
        EXPECT_EQ(info.route, e.route) << e.file;
        EXPECT_DOUBLE_EQ(info.hf, e.hf) << e.file;
        EXPECT_DOUBLE_EQ(info.mp2, e.mp2) << e.file;
        EXPECT_DOUBLE_EQ(info.rotational[0], e.rotational_a) << e.file;
        EXPECT_DOUBLE_EQ(info.dipole_xyz[2], e.dipole_z) << e.file;
        EXPECT_EQ(info.cpu_seconds, e.cpu_seconds) << e.file;
        EXPECT_EQ(info.charge, e.charge) << e.file;
        EXPECT_EQ(info.multiplicity, e.multiplicity) << e.file;
        EXPECT_EQ(info.conformer.get_size(), e.atoms) << e.file;
    }

    // A cation doublet run without symmetry: no dipole entry in its archive, and no
    // "Standard orientation:" table either.
    COutInfo sp;
    EXPECT_FALSE(sp.get_info((real / "g16_dvb_un_sp.log").string(), 20));
    EXPECT_EQ(sp.first_missing(), "no Dipole= after the last HF=");
}
