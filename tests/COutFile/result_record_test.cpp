#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include <algorithm>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "COutFile.h"
#include "ConformerSupport.h"
#include "RankingSupport.h"
#include "TestSupport.h"

using namespace confsearch;

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

TEST(ResultRecord, ReadsArchiveEnergyDipoleAndFinalGeometry) {
    support::TempDir dir;
    support::GaussianOutput output;
    output.steps = {support::turned(support::ethanol(), 0.3), support::ethanol()};
    output.energy = "-154.9876543";
    output.dipole = "1.,2.,-2.";
    support::write_output(dir, "a.log", output);

    COutSort r;
    ASSERT_TRUE(r.get_info(dir.file("a.log"), support::ETHANOL_ATOMS));
    EXPECT_EQ(r.name, dir.file("a.log"));
    EXPECT_DOUBLE_EQ(r.energy, -154.9876543);
    EXPECT_DOUBLE_EQ(r.dipole, 3.0);
    EXPECT_EQ(r.conformer.get_element(3).get_symbol(), "O");
    EXPECT_NEAR(r.conformer.get_vector(1).x, -1.1685, 1e-9);
}

TEST(ResultRecord, ValuesBrokenByArchiveWrapsReadWhole) {
    support::TempDir dir;
    // The archive's last energy wins; the dipole is the first one after it, broken
    // over a CR LF line end.
    const std::string archive =
        " 1\\1\\GINC\\FOpt\\HF=-1.0\\\\@\n"
        " 1\\1\\GINC\\FOpt\\RB3LYP\\State=1-A\\HF=-152.\r\n"
        " 91\\RMSD=1e-9\\Dipole=1.00\r\n 93782,0.,0.\\PG=C01\\\\@\r\n";
    support::GaussianOutput output;
    output.steps = {support::ethanol()};
    output.archive = false;
    dir.write("w.log", support::gaussian_output(output) + archive);
    COutSort r;
    ASSERT_TRUE(r.get_info(dir.file("w.log"), support::ETHANOL_ATOMS));
    EXPECT_DOUBLE_EQ(r.energy, -152.91);
    EXPECT_DOUBLE_EQ(r.dipole, 1.0093782);
}

TEST(ResultRecord, IncompleteOutputsAreRejectedAndCleared) {
    support::TempDir dir;
    support::GaussianOutput killed;  // decoys "IROHF=0." and "Dipole        =" only
    killed.archive = false;
    support::write_output(dir, "killed.log", killed);
    // A relaxed scan lists its energies after "HF=" and gives no dipole after them.
    dir.write("scan.log", support::gaussian_output({{support::ethanol()}, "", "", false, false}) +
                              " 1\\1\\GINC\\Scan\\HF=-154.98,-154.97,-154.96\\RMSD=1e-9\\\\@\n");
    support::write_output(dir, "short.log", {});
    support::GaussianOutput crlf;
    crlf.crlf = true;
    support::write_output(dir, "windows.log", crlf);

    for (const char* file : {"killed.log", "scan.log"}) {
        COutSort r = support::result("old", -1, 1, support::ethanol());
        EXPECT_FALSE(r.get_info(dir.file(file), support::ETHANOL_ATOMS)) << file;
        EXPECT_EQ(r.name, "") << file;
        EXPECT_EQ(r.energy, 0.0) << file;
        EXPECT_EQ(r.conformer.get_size(), 0) << file;
    }
    COutSort r;
    EXPECT_FALSE(r.get_info(dir.file("short.log"), 10));  // table of 9 atoms, 10 expected
    EXPECT_TRUE(r.get_info(dir.file("windows.log"), support::ETHANOL_ATOMS));

    COutSort untouched = support::result("keep", -2, 0.5, support::ethanol());
    EXPECT_FALSE(untouched.get_info(dir.file("missing.log"), support::ETHANOL_ATOMS));
    EXPECT_EQ(untouched.name, "keep");
}

TEST(ResultRecord, LineFormHasTwelveSignificantDigits) {
    std::ostringstream out;
    COutSort r;
    r.name = "a.out";
    r.energy = -1;
    r.dipole = 0.5;
    r.group = 2;
    out << r;
    r.energy = -382.1234567891234;
    r.dipole = std::sqrt(2.0);
    out << r;
    EXPECT_EQ(out.str(), "a.out\t-1\t0.5\t2\na.out\t-382.123456789\t1.41421356237\t2\n");
}

TEST(ResultRecord, DistanceDescriptorsCompareWithinTolerance) {
    COutSort a = support::result("a", 0, 0, support::ethanol());
    a.calc_D(1);
    EXPECT_EQ(a.class_count, 4);
    EXPECT_EQ(a.D[3], 0.0);  // no nitrogen
    // Mean squared distance of the two carbons from carbon 1: (0 + 1.5302^2) / 2.
    const double cc = CVECTOR(-1.1685, -0.3884, 0).distance(CVECTOR(0.0142, 0.5560, 0));
    EXPECT_NEAR(a.D[2], cc * cc / 2, 1e-12);

    COutSort b = a;
    b.D[4] = a.D[4] + 0.25;
    EXPECT_TRUE(a.equal_D(b, 0.25));
    b.D[4] = a.D[4] + 0.3;
    EXPECT_FALSE(a.equal_D(b, 0.25));
}

TEST(RealOutputs, ConformerEnergiesAndDipolesDespiteCrlfLineEnds) {
    SKIP_WITHOUT_REAL_OUTPUTS();
    const auto dir = support::real_outputs_dir();
    struct Expected {
        const char* file;
        double energy;
        double dipole;
    };
    auto length = [](double x, double y, double z) { return std::sqrt(x * x + y * y + z * z); };
    const Expected files[] = {
        {"aminox_cat_conf212_S.log", -517.8751652, length(-0.8475931, -0.507613, -0.486173)},
        {"aminox_cat_conf65_S.log", -517.8771606, length(1.0093782, -1.9083263, 0.6465899)},
        {"aminox_cat_conf280_R.log", -517.8773084, length(1.4516375, -1.4195957, -1.5205731)},
    };
    for (const Expected& e : files) {
        COutSort r;
        ASSERT_TRUE(r.get_info((dir / e.file).string(), 24)) << e.file;
        EXPECT_DOUBLE_EQ(r.energy, e.energy) << e.file;
        EXPECT_NEAR(r.dipole, e.dipole, 1e-12) << e.file;
    }
    for (const char* file : {"g16_dvb_un_sp.log", "g16_dvb_scan_relaxed.log"}) {
        COutSort r;
        EXPECT_FALSE(r.get_info((dir / file).string(), 20)) << file;
    }
    // The same job cut before its archive block.
    const std::string text = support::read_file(dir / "g09_dvb_gopt.out");
    support::TempDir tmp;
    tmp.write("cut.out", text.substr(0, text.find(" 1\\1\\")));
    COutSort r;
    EXPECT_TRUE(r.get_info((dir / "g09_dvb_gopt.out").string(), 20));
    EXPECT_FALSE(r.get_info(tmp.file("cut.out"), 20));
}

// Every broken output of tests/data/bad/outputs is refused for a named reason; the same
// water job written whole, also with unusual but valid numbers, is read.
TEST(ResultRecord, EveryBrokenOutputIsRefusedForItsReason) {
    const std::string no_archive =
        "no \"HF=\" entry in an archive block (the job may have been killed before it ended)";
    const std::string damaged = " of the final table is not three integers and three numbers";
    const std::map<std::string, std::string> reasons = {
        {"killed_before_archive.log", no_archive},
        {"cut_inside_table.log", no_archive},
        {"no_energy_number.log", "no number after \"HF=\""},
        {"no_dipole_entry.log", "no \"Dipole=\" entry after the last \"HF=\""},
        {"no_dipole_vector.log", "no dipole vector after \"Dipole=\""},
        // "Dipole=0.,0.,-0.81" and the end: its last component has lost digits.
        {"cut_inside_dipole.log", "no dipole vector after \"Dipole=\""},
        {"nosym_input_orientation_only.log",
         "no \"Standard orientation:\" table (a job run with nosym prints only \"Input "
         "orientation:\")"},
        {"table_of_four_atoms.log", "a final table of 4 atoms where 3 atoms were asked for"},
        {"table_of_two_atoms.log", "a final table of 2 atoms where 3 atoms were asked for"},
        {"row_with_seventh_number.log", "row 2" + damaged},
        {"row_with_split_coordinate.log", "row 2" + damaged},
        {"row_with_bracket.log", "row 2" + damaged},
        {"row_with_nan.log", "row 2" + damaged},
        {"row_with_infinity.log", "row 2" + damaged},
        {"row_with_hexadecimal.log", "row 2" + damaged},
    };
    const auto bad = support::test_data_dir() / "bad" / "outputs";
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(bad)) {
        const std::string file = entry.path().filename().string();
        ++files;
        ASSERT_EQ(reasons.count(file), 1u) << file << " needs its reason in this table";
        COutSort r;
        const ResultReadStatus status = r.read_info(entry.path().string(), 3);
        EXPECT_FALSE(status.ok()) << file;
        EXPECT_EQ(status.reason(3), reasons.at(file)) << file;
        EXPECT_EQ(r.conformer.get_size(), 0) << file;
    }
    EXPECT_EQ(files, static_cast<int>(reasons.size()));

    for (const char* file : {"water.log", "water_unusual_numbers.log"}) {
        COutSort r;
        const auto path = support::test_data_dir() / "outputs" / file;
        ASSERT_TRUE(r.read_info(path.string(), 3).ok()) << file;
        EXPECT_DOUBLE_EQ(r.energy, -76.4089533);
        EXPECT_DOUBLE_EQ(r.dipole, 0.8120512);
        EXPECT_EQ(r.conformer.get_vector(2).y, 0.7572) << file;
    }
}

namespace {

// Reads an output file's text with the energy and geometry options into r; the reason it
// was left out, or "".
std::string read_with(const std::string& text, const std::string& energy, bool input_orientation,
                      COutSort& r, ResultReadStatus* status = nullptr) {
    support::TempDir dir;
    dir.write("job.log", text);
    ResultReadOptions options;
    EXPECT_TRUE(EnergyKind::parse(energy, options.energy)) << energy;
    options.input_orientation = input_orientation;
    const ResultReadStatus read = r.read_info(dir.file("job.log"), support::ETHANOL_ATOMS, options);
    if (status) *status = read;
    return read.ok() ? "" : read.reason(support::ETHANOL_ATOMS);
}

// An ethanol optimisation; with force constant lines, a frequency job whose
// thermochemistry lies that many lines of about 75 bytes before the archive (400 put it
// beyond the last 16 KB, which are read first).
support::GaussianOutput job(const std::string& post_hf, int force_constant_lines = -1) {
    support::GaussianOutput output;
    output.steps = {support::turned(support::ethanol(), 0.4), support::ethanol()};
    output.post_hf = post_hf;
    if (force_constant_lines >= 0) {
        output.enthalpy = "-154.901234";
        output.free_energy = "-154.934567";
        output.force_constant_lines = force_constant_lines;
    }
    return output;
}

std::string text_of(const support::GaussianOutput& output) {
    return support::gaussian_output(output);
}

}  // namespace

// The energy chosen: another archive entry read like "HF=" (the last one, also broken by a
// wrap with CR LF), or the last thermochemistry sum of a frequency job, however far from
// the end; a file without it is left out for that reason.
TEST(ResultRecord, ChosenEnergyReplacesTheHfValue) {
    support::GaussianOutput cut = job("");
    cut.archive = false;
    const std::string wrapped_mp2 =
        text_of(cut) +
        " 1\\1\\GINC\\SP\\RMP2-FC\\HF=-74.9\\MP2=-74.5\\\\@\n"
        " 1\\1\\GINC\\SP\\RMP2-FC\\STO-3G\\H2O1\\\\#P "
        "MP2\\\\Water\\\\State=1-A1\\HF=-74.9643288\\M\r\n"
        " P2=-7\r\n 5.0022821\\RMSD=2.787e-10\\Dipole=0.5025539,0.,0.3787015\\\\@\r\n";
    std::string two_frequency_steps = text_of(job("", 10));
    two_frequency_steps.insert(two_frequency_steps.find(" Berny optimization."),
                               support::thermochemistry("-154.1111111", "-154.2222222"));
    const std::string g = "\"Sum of electronic and thermal Free Energies=\"";
    struct Case {
        std::string text;
        std::string energy;
        double expected;
        std::string reason;
    };
    const Case cases[] = {
        {text_of(job("MP2=-155.3012345")), "HF", -154.9876543, ""},
        {text_of(job("MP2=-155.30\\MP3=-155.31\\CCSD=-155.33\\CCSD(T)=-155.3456")), "CCSD(T)",
         -155.3456, ""},
        {wrapped_mp2, "MP2", -75.0022821, ""},
        {text_of(job("")), "MP2", 0, "no \"MP2=\" entry in an archive block"},
        {text_of(job("MP2=")), "MP2", 0, "no number after \"MP2=\""},
        {text_of(job("", 400)), "G", -154.934567, ""},
        {text_of(job("", 400)), "H", -154.901234, ""},
        {two_frequency_steps, "G", -154.934567, ""},
        {text_of(job("")), "G", 0, "no " + g + " line (not a frequency job)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.energy + " " + c.reason);
        COutSort r;
        EXPECT_EQ(read_with(c.text, c.energy, false, r), c.reason);
        if (c.reason.empty()) {
            EXPECT_DOUBLE_EQ(r.energy, c.expected);
        }
    }
}

// Read by "HF=", the status names the post-HF energies of the archive, the projected and
// spin entries of an unrestricted job not among them.
TEST(ResultRecord, PostHfEnergiesBesideHfAreNamed) {
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {"", {}},
        {"MP2=-155.30\\MP3=-155.31\\MP4SDQ=-155.33\\CCSD=-155.33\\CCSD(T)=-155.34",
         {"MP2", "MP3", "MP4SDQ", "CCSD", "CCSD(T)"}},
        {"S2=0.7538\\S2-1=0.\\S2A=0.750006\\MP2=-155.3\\PMP2-0=-155.31", {"MP2"}},
    };
    for (const auto& [post_hf, named] : cases) {
        COutSort r;
        ResultReadStatus status;
        ASSERT_EQ(read_with(text_of(job(post_hf)), "HF", false, r, &status), "");
        EXPECT_EQ(status.post_hf, named) << post_hf;
    }
}

// With input orientation allowed: the last "Input orientation:" table of a file without a
// "Standard orientation:" table; a file with one is read from it, even when it lies
// beyond the end that is read first and an input table follows it.
TEST(ResultRecord, InputOrientationOnlyWhenThereIsNoStandardOne) {
    const auto anti = support::ethanol();
    const auto moved = support::turned(anti, 1.1);
    support::GaussianOutput nosym = job("");
    nosym.orientation = support::GaussianOutput::input_only;
    nosym.steps = {anti, moved};
    support::GaussianOutput far = job("", 400);
    far.steps = {anti};
    std::string later_input = text_of(far);
    later_input.insert(later_input.find(" 1\\1\\GINC"),
                       support::orientation_table("Input orientation:", moved));
    std::string no_table = text_of(job(""));
    const std::size_t first = no_table.find(" Berny optimization.");
    no_table.erase(first, no_table.find(" Optimization completed.") - first);

    struct Case {
        std::string text;
        std::vector<support::Atom> geometry;
        std::string reason;
    };
    const Case cases[] = {
        {text_of(nosym), moved, ""},
        {later_input, anti, ""},
        {no_table, {}, "neither a \"Standard orientation:\" nor an \"Input orientation:\" table"},
    };
    for (const Case& c : cases) {
        COutSort r;
        ASSERT_EQ(read_with(c.text, "HF", true, r), c.reason);
        if (c.reason.empty())
            support::expect_same_geometry(r.conformer, support::conformer_of(c.geometry), 1e-6);
    }
}
