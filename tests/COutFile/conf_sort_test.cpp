#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "COutFile.h"
#include "TestSupport.h"

using namespace confsearch;

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

namespace {

CConfSortList list_of(const std::vector<CConfSort>& results) {
    CConfSortList list(static_cast<int>(results.size()));
    for (std::size_t i = 0; i < results.size(); ++i) list[static_cast<int>(i) + 1] = results[i];
    return list;
}

// "name:group " per result, or with values "name:energy:dipole ".
std::string listed(const CConfSortList& list, bool values = false) {
    std::ostringstream text;
    for (int i = 1; i <= list.get_count(); ++i) {
        text << list[i].name << ":";
        if (values)
            text << list[i].energy << ":" << list[i].dipole << " ";
        else
            text << list[i].group << " ";
    }
    return text.str();
}

}  // namespace

TEST(EnergyResult, ArchiveEnergyAndDipoleWithoutAGeometry) {
    support::TempDir dir;
    support::GaussianOutput job;
    job.steps = {support::ethanol()};
    job.dipole = "1.,2.,-2.";
    const std::string text = support::gaussian_output(job);
    job.crlf = true;
    support::GaussianOutput killed = job;  // only the decoys "IROHF=0." and "Dipole        ="
    killed.archive = false;
    struct Case {
        const char* file;
        std::string text;
        bool read;
    };
    const Case cases[] = {
        {"a.log", text, true},
        {"windows.log", support::gaussian_output(job), true},
        // A frequency analysis after the archive pushes it out of the file's last pages.
        {"freq.log", text + std::string(40000, ' ') + "\n", true},
        // No geometry table at all, as in a job run without symmetry.
        {"nosym.log", text.substr(text.rfind(" Copying SCF")), true},
        {"killed.log", support::gaussian_output(killed), false},
        {"cut.log", text.substr(0, text.find("RMSD=")), false},
    };
    for (const Case& c : cases) {
        dir.write(c.file, c.text);
        CConfSort r;
        r.name = "old";
        r.group = 3;
        EXPECT_EQ(r.get_info(dir.file(c.file)), c.read) << c.file;
        EXPECT_EQ(r.name, c.read ? dir.file(c.file) : "") << c.file;
        EXPECT_EQ(r.energy, c.read ? -154.9876543 : 0.0) << c.file;
        EXPECT_EQ(r.dipole, c.read ? 3.0 : 0.0) << c.file;
    }
    CConfSort untouched;
    untouched.name = "keep";
    EXPECT_FALSE(untouched.get_info(dir.file("missing.log")));
    EXPECT_EQ(untouched.name, "keep");
}

TEST(EnergyList, ReadersTakeWholeLinesAndStopAtTheFirstIncompleteOne) {
    support::TempDir dir;
    support::ScopedChdir here(dir.path());
    dir.write("a.log", support::gaussian_output({{support::ethanol()}}));
    dir.write("b.log", support::gaussian_output({{support::ethanol()}, "", "", false, false}) +
                           " 1\\1\\GINC\\SP\\HF=-154.98\\RMSD=1e-9\\\\@\n");  // no dipole
    dir.write("list.txt", "a.log\nb.log  with a note\na.log\n\n");
    CConfSortList list;
    CaptureStdout();
    ASSERT_TRUE(list.read_filelist("list.txt"));
    // The blank last line is echoed as an empty name and ends the list.
    EXPECT_EQ(GetCapturedStdout(), "a.log\nb.log\na.log\n\n");
    EXPECT_EQ(dir.read("errorfile.txt"), "b.log\n");
    EXPECT_EQ(listed(list, true), "a.log:-154.988:0.374166 a.log:-154.988:0.374166 ");
    EXPECT_FALSE(list.read_filelist("absent.txt"));

    const std::string two = "a.log:-1.5:0.25 b.log:-1.25:0.5 ";
    const std::pair<std::string, std::string> energy_lists[] = {
        {"a.log\t-1.5\t0.25\t1\nb.log\t-1.25\t0.5\t2\n", two},
        {"a.log -1.5 0.25\r\nb.log -1.25 0.5", two},
        // The long rest of a line is not read as further lines.
        {"a.log -1.5 0.25 " + std::string(3000, 'x') + " 7 7\nb.log -1.25 0.5\n", two},
        {"a.log -1.5 0.25\nb.log -1.25\nc.log -1 0\n", "a.log:-1.5:0.25 "},
        {"a.log -1.5 0.25\n\nc.log -1 0\n", "a.log:-1.5:0.25 "},
    };
    for (const auto& [text, expected] : energy_lists) {
        dir.write("energies.txt", text);
        ASSERT_TRUE(list.read_energylist("energies.txt")) << text;
        EXPECT_EQ(listed(list, true), expected) << text;
    }
    EXPECT_FALSE(list.read_energylist(""));
    EXPECT_EQ(list.get_count(), 0);
    EXPECT_FALSE(list.read_energylist("."));
}

TEST(EnergyList, SortThenFilterGroupsByEnergyWindowAndDipole) {
    struct Case {
        const char* what;
        std::vector<CConfSort> results;  // name, energy, dipole
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
        {"differences equal to the tolerances",
         {{"b", -9.5, 1.25}, {"a", -10.0, 1.0}},
         0.5,
         0.25,
         "a:1 b:1 "},
        // The window is measured from the head: c lies within 0.5 of b but not of a.
        {"window from the head",
         {{"a", -10.0, 1}, {"b", -9.6, 1}, {"c", -9.2, 1}},
         0.5,
         0.05,
         "a:1 b:1 c:2 "},
        {"no result", {}, 0.5, 0.05, ""},
    };
    for (const Case& c : cases) {
        CConfSortList list = list_of(c.results);
        CaptureStdout();
        list.QuickSort();
        list.filter(c.energy_tol, c.dipole_tol);
        EXPECT_EQ(GetCapturedStdout(), "") << c.what;
        EXPECT_EQ(listed(list), c.expected) << c.what;
    }
}

TEST(EnergyList, ResultFilesAndJoinedLists) {
    support::TempDir dir;
    CConfSortList list = list_of({{"r1.log", -10.5, 0, 1},
                                  {"r2.log", -10.375, 0.25, 1},
                                  {"r3.log", -10.25, 0.5, 2},
                                  {"r4.log", -382.1234567891234, std::sqrt(2.0), 3},
                                  {"r5.log", -10.0, 1, 3}});
    list.out_all(dir.file("all.txt"));
    EXPECT_EQ(dir.read("all.txt"),
              "r1.log\t-10.5\t0\t1\nr2.log\t-10.375\t0.25\t1\nr3.log\t-10.25\t0.5\t2\n"
              "r4.log\t-382.123456789\t1.41421356237\t3\nr5.log\t-10\t1\t3\n");
    ASSERT_TRUE(list.out_unique(dir.file("unique.txt")));
    EXPECT_EQ(
        dir.read("unique.txt"),
        "r1.log\t-10.5\t0\t1\nr3.log\t-10.25\t0.5\t2\nr4.log\t-382.123456789\t1.41421356237\t3\n");
    EXPECT_FALSE(list.out_unique(dir.file("no/such/folder/unique.txt")));
    try {
        list.out_all(dir.file("no/such/folder/all.txt"));
        ADD_FAILURE() << "out_all did not throw";
    } catch (int count) {
        EXPECT_EQ(count, 5);
    }

    const CConfSortList two = list_of({{"a", 1, 0}, {"b", 2, 0}});
    CConfSortList sum = two + list_of({{"c", 3, 0}});
    sum += CConfSortList();
    sum += two;
    EXPECT_EQ(listed(sum), "a:0 b:0 c:0 a:0 b:0 ");
    EXPECT_EQ(two.get_count(), 2);
}

// Without the geometry the same files rank as with it.
TEST(EnergyListOnRealOutputs, RanksLikeTheGeometryList) {
    SKIP_WITHOUT_REAL_OUTPUTS();
    const auto real = support::real_outputs_dir();
    support::TempDir dir;
    support::ScopedChdir here(dir.path());
    dir.write("list.txt", (real / "aminox_cat_conf212_S.log").string() + "\n" +
                              (real / "aminox_cat_conf65_S.log").string() + "\n" +
                              (real / "aminox_cat_conf280_R.log").string() + "\n");
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
        EXPECT_EQ(light[i].group, full[i].group);
    }
    EXPECT_EQ(light[1].name, (real / "aminox_cat_conf280_R.log").string());
    EXPECT_DOUBLE_EQ(light[1].energy, -517.8773084);
}
