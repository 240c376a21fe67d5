#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "COutFile.h"
#include "TestSupport.h"

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

namespace {

struct Result {
    std::string name;
    double energy;
    double dipole;
};

CConfSortList list_of(const std::vector<Result>& results) {
    CConfSortList list(static_cast<int>(results.size()));
    for (std::size_t i = 0; i < results.size(); ++i) {
        CConfSort& r = list[static_cast<int>(i) + 1];
        r.name = results[i].name;
        r.energy = results[i].energy;
        r.dipole = results[i].dipole;
    }
    return list;
}

std::string names_and_groups(const CConfSortList& list) {
    std::string text;
    for (int i = 1; i <= list.get_count(); ++i)
        text += list[i].name + ":" + std::to_string(list[i].group) + " ";
    return text;
}

void write_output(const support::TempDir& dir, const std::string& name,
                  support::GaussianOutput output) {
    if (output.steps.empty()) output.steps = {support::ethanol()};
    dir.write(name, support::gaussian_output(output));
}

}  // namespace

// ---------------------------------------------------------------- one output file

TEST(EnergyResult, ReadsArchiveEnergyAndDipoleWithoutAGeometry) {
    support::TempDir dir;
    support::GaussianOutput output;
    output.energy = "-154.9876543";
    output.dipole = "1.,2.,-2.";
    write_output(dir, "a.log", output);
    // The analysis of a frequency job follows the archive of its optimisation step and
    // pushes it out of the last kilobytes of the file.
    dir.write("freq.log", dir.read("a.log") + std::string(40000, ' ') + "\n Done.\n");
    // No geometry table at all, as in a job run without symmetry.
    const std::string text = dir.read("a.log");
    dir.write("nosym.log", text.substr(text.rfind(" Copying SCF")));
    support::GaussianOutput crlf = output;
    crlf.crlf = true;
    write_output(dir, "windows.log", crlf);

    for (const char* file : {"a.log", "freq.log", "nosym.log", "windows.log"}) {
        CConfSort r;
        ASSERT_TRUE(r.get_info(dir.file(file))) << file;
        EXPECT_EQ(r.name, dir.file(file));
        EXPECT_DOUBLE_EQ(r.energy, -154.9876543) << file;
        EXPECT_DOUBLE_EQ(r.dipole, 3.0) << file;
    }
}

TEST(EnergyResult, JobsWithoutArchiveValuesAreRejectedAndCleared) {
    support::TempDir dir;
    support::GaussianOutput killed;  // only the decoys "IROHF=0." and "Dipole        ="
    killed.archive = false;
    write_output(dir, "killed.log", killed);
    const std::string good = support::gaussian_output({{support::ethanol()}});
    dir.write("cut.log", good.substr(0, good.find("RMSD=")));
    dir.write("empty.log", "");

    for (const char* file : {"killed.log", "cut.log", "empty.log"}) {
        CConfSort r;
        r.name = "old";
        r.energy = -1;
        r.group = 4;
        EXPECT_FALSE(r.get_info(dir.file(file))) << file;
        EXPECT_EQ(r.name, "") << file;
        EXPECT_EQ(r.energy, 0.0) << file;
        EXPECT_EQ(r.group, 0) << file;
    }
    CConfSort untouched;
    untouched.name = "keep";
    EXPECT_FALSE(untouched.get_info(dir.file("missing.log")));
    EXPECT_EQ(untouched.name, "keep");
}

// ---------------------------------------------------------------- reading lists

TEST(EnergyList, OutputListSkipsUnreadableFilesAndNamesThem) {
    support::TempDir dir;
    support::ScopedChdir here(dir.path());
    write_output(dir, "a.log", {});
    dir.write("b.log", support::gaussian_output({{support::ethanol()}, "", "", false, false}) +
                           " 1\\1\\GINC\\SP\\HF=-154.98\\RMSD=1e-9\\\\@\n");
    write_output(dir, "c.log", {});
    dir.write("list.txt", "a.log\nb.log  with a note\nc.log\n\n");

    CConfSortList list;
    CaptureStdout();
    ASSERT_TRUE(list.read_filelist("list.txt"));
    // The blank line at the end is echoed as an empty name and ends the list.
    EXPECT_EQ(GetCapturedStdout(), "a.log\nb.log\nc.log\n\n");
    EXPECT_EQ(dir.read("errorfile.txt"), "b.log\n");
    ASSERT_EQ(list.get_count(), 2);
    EXPECT_EQ(list[1].name, "a.log");
    EXPECT_EQ(list[2].name, "c.log");

    EXPECT_FALSE(list.read_filelist("absent.txt"));
    EXPECT_FALSE(list.read_filelist("."));
}

TEST(EnergyList, EnergyListLinesAreReadWholeUpToTheFirstIncompleteOne) {
    support::TempDir dir;
    struct Case {
        const char* what;
        std::string text;
        std::string expected;  // name:energy:dipole per result
    };
    const std::string long_note(3000, 'x');
    const Case cases[] = {
        {"result file", "a.log\t-1.5\t0.25\t1\nb.log\t-1.25\t0.5\t2\n",
         "a.log:-1.5:0.25 b.log:-1.25:0.5 "},
        {"no final line end", "a.log -1.5 0.25\nb.log -1.25 0.5",
         "a.log:-1.5:0.25 b.log:-1.25:0.5 "},
        {"Windows line ends", "a.log -1.5 0.25\r\nb.log -1.25 0.5\r\n",
         "a.log:-1.5:0.25 b.log:-1.25:0.5 "},
        // The long rest of a line is not read as further lines.
        {"long line", "a.log -1.5 0.25 " + long_note + " 7 7\nb.log -1.25 0.5\n",
         "a.log:-1.5:0.25 b.log:-1.25:0.5 "},
        {"dipole missing", "a.log -1.5 0.25\nb.log -1.25\nc.log -1 0\n", "a.log:-1.5:0.25 "},
        {"blank line", "a.log -1.5 0.25\n\nc.log -1 0\n", "a.log:-1.5:0.25 "},
        {"empty file", "", ""},
    };
    for (const Case& c : cases) {
        dir.write("energies.txt", c.text);
        CConfSortList list(3);
        ASSERT_TRUE(list.read_energylist(dir.file("energies.txt"))) << c.what;
        std::ostringstream got;
        for (int i = 1; i <= list.get_count(); ++i) {
            got << list[i].name << ":" << list[i].energy << ":" << list[i].dipole << " ";
            EXPECT_EQ(list[i].group, 0) << c.what;
        }
        EXPECT_EQ(got.str(), c.expected) << c.what;
    }
    CConfSortList list(2);
    EXPECT_FALSE(list.read_energylist(""));
    EXPECT_EQ(list.get_count(), 0);
    EXPECT_FALSE(list.read_energylist(dir.file("absent.txt")));
    EXPECT_FALSE(list.read_energylist(dir.path().string()));
}

// ---------------------------------------------------------------- sorting and grouping

TEST(EnergyList, SortThenFilterGroupsByEnergyWindowAndDipole) {
    struct Case {
        const char* what;
        std::vector<Result> results;
        double energy_tol;
        double dipole_tol;
        std::string expected;
    };
    const Case cases[] = {
        {"distinct", {{"c", -1, 1}, {"a", -3, 1}, {"b", -2, 1}}, 0.5, 0.05, "a:1 b:2 c:3 "},
        // B differs in dipole from A and is held back while D joins A; B is put back
        // behind D although the scan of A's window reached the end of the list.
        {"held back",
         {{"B", -9.99999, 2.0}, {"A", -10.0, 1.0}, {"D", -9.99998, 1.01}},
         2e-05,
         0.05,
         "A:1 D:1 B:2 "},
        {"difference equal to the tolerances",
         {{"b", -9.5, 1.25}, {"a", -10.0, 1.0}},
         0.5,
         0.25,
         "a:1 b:1 "},
        // The window is measured from the head: c is within 0.5 of b but not of a.
        {"window from the head",
         {{"a", -10.0, 1}, {"b", -9.6, 1}, {"c", -9.2, 1}},
         0.5,
         0.05,
         "a:1 b:1 c:2 "},
        {"one result", {{"only", -1, 0}}, 0.5, 0.05, "only:1 "},
        {"no result", {}, 0.5, 0.05, ""},
    };
    for (const Case& c : cases) {
        CConfSortList list = list_of(c.results);
        CaptureStdout();
        list.QuickSort();
        for (int i = 1; i <= list.get_count(); ++i) EXPECT_EQ(list[i].group, 0) << c.what;
        list.filter(c.energy_tol, c.dipole_tol);
        EXPECT_EQ(GetCapturedStdout(), "") << c.what;
        EXPECT_EQ(names_and_groups(list), c.expected) << c.what;
    }
}

TEST(EnergyList, EqualEnergiesEndInTheOrderOfTheGeometryList) {
    std::mt19937 random(11);
    for (int trial = 0; trial < 50; ++trial) {
        const int n = 1 + static_cast<int>(random() % 40);
        CConfSortList light(n);
        COutSortList full(9, n);
        for (int i = 1; i <= n; ++i) {
            const double energy = -1.0 - static_cast<double>(random() % 4);
            light[i].energy = full[i].energy = energy;
            light[i].name = full[i].name = std::to_string(i);
        }
        light.QSort(1, n);
        full.QSort(1, n);
        for (int i = 1; i <= n; ++i) ASSERT_EQ(light[i].name, full[i].name) << "trial " << trial;
    }
}

// ---------------------------------------------------------------- writing and joining

TEST(EnergyList, ResultFilesHoldEveryResultAndEachGroupHead) {
    support::TempDir dir;
    CConfSortList list = list_of({{"r1.log", -10.5, 0},
                                  {"r2.log", -10.375, 0.25},
                                  {"r3.log", -10.25, 0.5},
                                  {"r4.log", -382.1234567891234, std::sqrt(2.0)},
                                  {"r5.log", -10.0, 1}});
    const int groups[] = {1, 1, 2, 3, 3};
    for (int i = 1; i <= 5; ++i) list[i].group = groups[i - 1];

    list.out_all(dir.file("all.txt"));
    EXPECT_EQ(dir.read("all.txt"),
              "r1.log\t-10.5\t0\t1\nr2.log\t-10.375\t0.25\t1\nr3.log\t-10.25\t0.5\t2\n"
              "r4.log\t-382.123456789\t1.41421356237\t3\nr5.log\t-10\t1\t3\n");
    ASSERT_TRUE(list.out_unique(dir.file("unique.txt")));
    EXPECT_EQ(dir.read("unique.txt"),
              "r1.log\t-10.5\t0\t1\nr3.log\t-10.25\t0.5\t2\n"
              "r4.log\t-382.123456789\t1.41421356237\t3\n");
    std::ostringstream printed;
    printed << list;
    EXPECT_EQ(printed.str(), dir.read("all.txt"));

    EXPECT_FALSE(list.out_unique(""));
    EXPECT_FALSE(list.out_unique(dir.file("no/such/folder/unique.txt")));
    try {
        list.out_all(dir.file("no/such/folder/all.txt"));
        ADD_FAILURE() << "out_all did not throw";
    } catch (int count) {
        EXPECT_EQ(count, 5);
    }
}

TEST(EnergyList, JoinedListsKeepTheirOrderAndCopiesAreDeep) {
    const CConfSortList a = list_of({{"a", 1, 0}, {"b", 2, 0}});
    const CConfSortList b = list_of({{"c", 3, 0}, {"d", 4, 0}, {"e", 5, 0}});
    CConfSortList sum = a + b;
    EXPECT_EQ(names_and_groups(sum), "a:0 b:0 c:0 d:0 e:0 ");
    EXPECT_EQ(a.get_count(), 2);
    sum += CConfSortList();
    sum += a;
    EXPECT_EQ(names_and_groups(sum), "a:0 b:0 c:0 d:0 e:0 a:0 b:0 ");

    CConfSortList copy = sum;
    copy[1].name = "changed";
    EXPECT_EQ(sum[1].name, "a");
    const CConfSortList& same = copy;
    copy = same;
    EXPECT_EQ(copy.get_count(), 7);
    EXPECT_THROW(copy[8], int);
    EXPECT_THROW(copy.reinstall(-1), int);
}

// ---------------------------------------------------------------- real outputs

// Without the geometry the same files rank as with it; a job without a final geometry
// table still has its energy and dipole.
TEST(EnergyListOnRealOutputs, RanksLikeTheGeometryList) {
    SKIP_WITHOUT_REAL_OUTPUTS();
    const auto real = support::real_outputs_dir();
    support::TempDir dir;
    support::ScopedChdir here(dir.path());
    const std::string cat[] = {(real / "aminox_cat_conf212_S.log").string(),
                               (real / "aminox_cat_conf65_S.log").string(),
                               (real / "aminox_cat_conf280_R.log").string()};
    dir.write("list.txt", cat[0] + "\n" + cat[1] + "\n" + cat[2] + "\n");

    COutSortList full(24);
    CConfSortList light;
    CaptureStdout();
    ASSERT_TRUE(full.read_filelist("list.txt"));
    ASSERT_TRUE(light.read_filelist("list.txt"));
    full.QuickSort(2e-05, 0.05, 0.15, 1, nullptr);
    GetCapturedStdout();
    light.QuickSort();
    light.filter(2e-05, 0.05);
    ASSERT_EQ(light.get_count(), 3);
    for (int i = 1; i <= 3; ++i) {
        EXPECT_EQ(light[i].name, full[i].name);
        EXPECT_EQ(light[i].energy, full[i].energy);
        EXPECT_EQ(light[i].dipole, full[i].dipole);
        EXPECT_EQ(light[i].group, i);
    }
    EXPECT_EQ(light[1].name, cat[2]);
    EXPECT_DOUBLE_EQ(light[1].energy, -517.8773084);

    // A single point without symmetry: archive energy, but no dipole entry, so no result;
    // the optimisation of the same molecule has both.
    CConfSort r;
    EXPECT_FALSE(r.get_info((real / "g16_dvb_un_sp.log").string()));
    ASSERT_TRUE(r.get_info((real / "g16_dvb_gopt.out").string()));
    EXPECT_DOUBLE_EQ(r.energy, -382.3082666);
}
