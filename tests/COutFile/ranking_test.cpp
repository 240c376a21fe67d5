#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "COutFile.h"
#include "TestSupport.h"

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

namespace {

const int ETHANOL_ATOMS = 9;

CBasicConformer conformer_of(const std::vector<support::Atom>& atoms) {
    CBasicConformer c(static_cast<int>(atoms.size()));
    for (std::size_t i = 0; i < atoms.size(); ++i)
        c.set_exyz(static_cast<int>(i) + 1, CELEMENT(atoms[i].number),
                   CVECTOR(atoms[i].x, atoms[i].y, atoms[i].z));
    return c;
}

// Ethanol with its OH turned from anti to gauche: another conformer.
std::vector<support::Atom> gauche_ethanol() {
    auto atoms = support::ethanol();
    atoms[3] = {1, 1.5840, -0.4390, 0.8560};
    return atoms;
}

COutSort result(const std::string& name, double energy, double dipole,
                const std::vector<support::Atom>& atoms) {
    COutSort r;
    r.name = name;
    r.energy = energy;
    r.dipole = dipole;
    r.conformer = conformer_of(atoms);
    return r;
}

COutSortList list_of(const std::vector<COutSort>& results) {
    COutSortList list(ETHANOL_ATOMS, static_cast<int>(results.size()));
    for (std::size_t i = 0; i < results.size(); ++i) list[static_cast<int>(i) + 1] = results[i];
    return list;
}

std::string names_and_groups(const COutSortList& list) {
    std::string text;
    for (int i = 1; i <= list.get_count(); ++i)
        text += list[i].name + ":" + std::to_string(list[i].group) + " ";
    return text;
}

// Writes an output file for ethanol into dir.
void write_output(const support::TempDir& dir, const std::string& name,
                  support::GaussianOutput output) {
    if (output.steps.empty()) output.steps = {support::ethanol()};
    dir.write(name, support::gaussian_output(output));
}

}  // namespace

// ---------------------------------------------------------------- one output file

TEST(ResultRecord, ReadsArchiveEnergyDipoleAndFinalGeometry) {
    support::TempDir dir;
    support::GaussianOutput output;
    output.steps = {support::turned(support::ethanol(), 0.3), support::ethanol()};
    output.energy = "-154.9876543";
    output.dipole = "1.,2.,-2.";
    write_output(dir, "a.log", output);

    COutSort r;
    ASSERT_TRUE(r.get_info(dir.file("a.log"), ETHANOL_ATOMS));
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
    ASSERT_TRUE(r.get_info(dir.file("w.log"), ETHANOL_ATOMS));
    EXPECT_DOUBLE_EQ(r.energy, -152.91);
    EXPECT_DOUBLE_EQ(r.dipole, 1.0093782);
}

TEST(ResultRecord, IncompleteOutputsAreRejectedAndCleared) {
    support::TempDir dir;
    support::GaussianOutput killed;  // decoys "IROHF=0." and "Dipole        =" only
    killed.archive = false;
    write_output(dir, "killed.log", killed);
    // A relaxed scan lists its energies after "HF=" and gives no dipole after them.
    dir.write("scan.log", support::gaussian_output({{support::ethanol()}, "", "", false, false}) +
                              " 1\\1\\GINC\\Scan\\HF=-154.98,-154.97,-154.96\\RMSD=1e-9\\\\@\n");
    write_output(dir, "short.log", {});
    support::GaussianOutput crlf;
    crlf.crlf = true;
    write_output(dir, "windows.log", crlf);

    for (const char* file : {"killed.log", "scan.log"}) {
        COutSort r = result("old", -1, 1, support::ethanol());
        EXPECT_FALSE(r.get_info(dir.file(file), ETHANOL_ATOMS)) << file;
        EXPECT_EQ(r.name, "") << file;
        EXPECT_EQ(r.energy, 0.0) << file;
        EXPECT_EQ(r.conformer.get_size(), 0) << file;
    }
    COutSort r;
    EXPECT_FALSE(r.get_info(dir.file("short.log"), 10));  // table of 9 atoms, 10 expected
    EXPECT_TRUE(r.get_info(dir.file("windows.log"), ETHANOL_ATOMS));

    COutSort untouched = result("keep", -2, 0.5, support::ethanol());
    EXPECT_FALSE(untouched.get_info(dir.file("missing.log"), ETHANOL_ATOMS));
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
    COutSort a = result("a", 0, 0, support::ethanol());
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

// ---------------------------------------------------------------- reading lists

TEST(ResultList, OutputListSkipsUnreadableFilesAndNamesThem) {
    support::TempDir dir;
    support::ScopedChdir here(dir.path());
    write_output(dir, "a.log", {});
    support::GaussianOutput killed;
    killed.archive = false;
    write_output(dir, "b.log", killed);
    write_output(dir, "c.log", {});
    dir.write("list.txt", "a.log\nb.log  extra words\n\nmissing.log\nc.log\n\n\n");

    COutSortList list(ETHANOL_ATOMS);
    CaptureStdout();
    ASSERT_TRUE(list.read_filelist("list.txt"));
    // The blank lines at the end echo one empty name, then the list ends.
    EXPECT_EQ(GetCapturedStdout(), "a.log\nb.log\nmissing.log\nc.log\n\n");
    EXPECT_EQ(dir.read("errorfile.txt"), "b.log\nmissing.log\n");
    ASSERT_EQ(list.get_count(), 2);
    EXPECT_EQ(list[1].name, "a.log");
    EXPECT_EQ(list[2].name, "c.log");

    COutSortList no_atoms(0);
    EXPECT_FALSE(no_atoms.read_filelist("list.txt"));
    EXPECT_FALSE(list.read_filelist("absent.txt"));
    EXPECT_FALSE(list.read_filelist("."));  // a directory
}

TEST(ResultList, CollectionRecordsAreReadAndBadOnesLeftOut) {
    support::TempDir dir;
    const auto ethanol = support::ethanol();
    auto record = [&](int label, const std::string& name, const std::string& energy,
                      const std::string& dipole, std::size_t atoms) {
        const std::vector<support::Atom> part(ethanol.begin(), ethanol.begin() + atoms);
        return support::collection_block(label, support::record_body(name, energy, dipole, part));
    };
    // Two collections joined: numbering restarts; the second record is truncated; the
    // last one ran to the end of its file, so the separator ends its last line.
    std::string last = record(2, "e.log", "-154.7", "0 0 1", 9);
    last.erase(last.rfind("\n ----\n"), 7);
    dir.write("all_collection.txt", record(1, "a.log", "-154.9", "0.1 0.2 0.2", 9) +
                                        record(2, "b.log", "-154.8", "1 0 0", 5) +
                                        record(3, "c.log", "-154.85", "0 3 4", 9) +
                                        record(1, "d.log", "x", "0 0 1", 9) + last);

    COutSortList list(ETHANOL_ATOMS);
    CaptureStdout();
    ASSERT_TRUE(list.read_collectf(dir.file("all_collection.txt"), ETHANOL_ATOMS));
    EXPECT_EQ(GetCapturedStdout(), "cannot read record: NAME_2\ncannot read record: NAME_1\n");
    ASSERT_EQ(list.get_count(), 3);
    EXPECT_EQ(list[1].name, "a.log");
    EXPECT_DOUBLE_EQ(list[1].energy, -154.9);
    EXPECT_DOUBLE_EQ(list[1].dipole, 0.3);
    EXPECT_EQ(list[1].conformer.get_element(3).get_symbol(), "O");
    EXPECT_NEAR(list[1].conformer.get_vector(9).z, -0.8847, 1e-12);
    EXPECT_EQ(list[2].name, "c.log");
    EXPECT_DOUBLE_EQ(list[2].dipole, 5.0);
    EXPECT_EQ(list[3].name, "e.log");
    EXPECT_EQ(list[3].group, 0);

    dir.write("no_labels.txt", "just text\n");
    EXPECT_FALSE(list.read_collectf(dir.file("no_labels.txt"), ETHANOL_ATOMS));
    CaptureStdout();
    EXPECT_FALSE(list.read_collectf(dir.file("absent.txt"), ETHANOL_ATOMS));
    EXPECT_EQ(GetCapturedStdout(), "cannot open file : " + dir.file("absent.txt") + "\n");
}

TEST(ResultList, ResultFilesRoundTripAndUniqueTakesEachGroupHead) {
    support::TempDir dir;
    support::ScopedChdir here(dir.path());
    std::vector<COutSort> results;
    const int groups[] = {1, 1, 2, 3, 3};
    for (int i = 0; i < 5; ++i) {
        results.push_back(result("r" + std::to_string(i + 1) + ".log", -10.5 + 0.125 * i, 0.25 * i,
                                 support::ethanol()));
        results.back().group = groups[i];
    }
    const COutSortList list = list_of(results);
    list.out_all("all_list2.txt");
    ASSERT_TRUE(list.out_unique("unique_list2.txt"));
    EXPECT_EQ(dir.read("unique_list2.txt"),
              "r1.log\t-10.5\t0\t1\nr3.log\t-10.25\t0.5\t2\nr4.log\t-10.125\t0.75\t3\n");

    COutSortList back(ETHANOL_ATOMS);
    ASSERT_TRUE(back.read_energylist("all_list2.txt"));
    ASSERT_EQ(back.get_count(), 5);
    EXPECT_EQ(back[5].name, "r5.log");
    EXPECT_DOUBLE_EQ(back[5].energy, -10.0);
    EXPECT_DOUBLE_EQ(back[5].dipole, 1.0);
    EXPECT_FALSE(back.read_energylist(""));

    EXPECT_FALSE(list.out_unique("no/such/folder/unique.txt"));
    try {
        list.out_all("no/such/folder/all.txt");
        ADD_FAILURE() << "out_all did not throw";
    } catch (int count) {
        EXPECT_EQ(count, 5);
    }
}

TEST(ResultList, JoiningListsNeedsEqualAtomCounts) {
    const auto a =
        list_of({result("a", 1, 0, support::ethanol()), result("b", 2, 0, support::ethanol())});
    const auto b = list_of({result("c", 3, 0, support::ethanol())});
    COutSortList sum = a + b;
    EXPECT_EQ(names_and_groups(sum), "a:0 b:0 c:0 ");
    sum += a;
    EXPECT_EQ(sum.get_count(), 5);

    COutSortList other(3, 1);
    CaptureStdout();
    try {
        sum += other;
        ADD_FAILURE() << "no throw";
    } catch (int confsize) {
        EXPECT_EQ(confsize, ETHANOL_ATOMS);
    }
    EXPECT_EQ(GetCapturedStdout(), "Error for adding different conformer!\n");
    EXPECT_EQ(sum.get_count(), 5);
}

// ---------------------------------------------------------------- sorting and grouping

// The partition steps written with plain copies on bare energies: the order of equal
// energies that the sort must reproduce.
void reference_sort(std::vector<std::pair<double, int>>& v, int low, int high) {
    if (low >= high) return;
    const int mid = (low + high) / 2;
    const double a = v[low].first, b = v[mid].first, c = v[high].first;
    int chosen;
    if (b >= a)
        chosen = c >= b ? mid : (c >= a ? high : low);
    else
        chosen = b >= c ? mid : (a >= c ? high : low);
    const int first = low, last = high;
    v[0] = v[chosen];
    v[chosen] = v[low];
    v[low] = v[0];
    while (low < high) {
        while (low < high && v[high].first >= v[0].first) --high;
        v[low] = v[high];
        while (low < high && v[low].first <= v[0].first) ++low;
        v[high] = v[low];
    }
    v[low] = v[0];
    reference_sort(v, first, low - 1);
    reference_sort(v, low + 1, last);
}

TEST(Sorting, EqualEnergiesKeepTheOrderOfThePartitionSteps) {
    std::mt19937 random(7);
    for (int trial = 0; trial < 50; ++trial) {
        const int n = 1 + static_cast<int>(random() % 40);
        std::vector<std::pair<double, int>> expected(static_cast<std::size_t>(n) + 1);
        COutSortList list(ETHANOL_ATOMS, n);
        for (int i = 1; i <= n; ++i) {
            const double energy = -1.0 - static_cast<double>(random() % 5);
            expected[i] = {energy, i};
            list[i].energy = energy;
            list[i].name = std::to_string(i);
        }
        reference_sort(expected, 1, n);
        list.QSort(1, n);
        for (int i = 1; i <= n; ++i) ASSERT_EQ(list[i].name, std::to_string(expected[i].second));
    }
}

TEST(Grouping, DuplicatesJoinTheirHeadAndOthersAreHeldBack) {
    const auto anti = support::ethanol();
    const auto gauche = gauche_ethanol();
    COutSortList list =
        list_of({result("third", -9.999985, 0.5, support::turned(anti, 1.0)),
                 result("first", -10.0, 0.5, anti), result("second", -9.99999, 0.5, gauche)});
    CaptureStdout();
    list.QuickSort(2e-05, 0.05, 0.15, 2, nullptr);
    const std::string printed = GetCapturedStdout();
    EXPECT_EQ(names_and_groups(list), "first:1 third:1 second:2 ");
    // The gauche OH hydrogen is atom 4; the geometry comparison names it first.
    EXPECT_EQ(printed, "4 elem not equal.  \nIdentical !\n");
}

TEST(Grouping, WindowAndDipoleTestsAreStrict) {
    const auto anti = support::ethanol();
    COutSortList edge = list_of({result("a", -1.5, 0.5, anti), result("b", -1.25, 0.5, anti)});
    CaptureStdout();
    edge.QuickSort(0.25, 0.05, 0.15, 1, nullptr);
    EXPECT_EQ(GetCapturedStdout(), "Identical !\n");
    EXPECT_EQ(names_and_groups(edge), "a:1 b:1 ");

    COutSortList polar = list_of({result("a", -1.0, 0.5, anti), result("b", -0.99999, 0.56, anti),
                                  result("c", -0.5, 0.5, anti)});
    CaptureStdout();
    polar.QuickSort(2e-05, 0.05, 0.15, 1, nullptr);
    EXPECT_EQ(GetCapturedStdout(), "\nEnergy diff!\nEnergy diff!\n");
    EXPECT_EQ(names_and_groups(polar), "a:1 b:2 c:3 ");

    COutSortList single = list_of({result("only", -1.0, 0.5, anti)});
    CaptureStdout();
    single.QuickSort(2e-05, 0.05, 0.15, 1, nullptr);
    EXPECT_EQ(GetCapturedStdout(), "");
    EXPECT_EQ(single[1].group, 1);
}

TEST(Grouping, CollectionSorterShowsProgressAndComparesDistances) {
    auto mirrored = support::ethanol();
    for (auto& a : mirrored) a.x = -a.x;
    COutSortList list = list_of({result("a.out", -2.0, 0.5, support::ethanol()),
                                 result("b.out", -1.99999, 0.5, mirrored),
                                 result("c.out", -1.0, 0.5, support::ethanol())});
    list.set_identity_rule(IdentityRule::distance_profile);
    list.set_progress_text(true);
    CaptureStdout();
    list.QuickSort(2e-05, 0.05, 0.15, 1, nullptr);
    EXPECT_EQ(GetCapturedStdout(),
              "2(1)  b.out  a.out  Identical !\n3(1)  c.out  a.out  Energy diff!\n");
    EXPECT_EQ(names_and_groups(list), "a.out:1 b.out:1 c.out:2 ");
}

TEST(Grouping, DescriptorFilterGroupsByDipoleAndDistances) {
    COutSortList list = list_of({result("a", -1.0, 0.5, support::ethanol()),
                                 result("b", -1.0, 0.5, support::turned(support::ethanol(), 2)),
                                 result("c", -1.0, 0.5, gauche_ethanol())});
    for (int i = 1; i <= 3; ++i) list[i].calc_D(1);
    CaptureStdout();
    list.filter(2e-05, 0.05, 0.01, 1, nullptr);
    EXPECT_EQ(GetCapturedStdout(), "Identical !\n\n");
    EXPECT_EQ(names_and_groups(list), "a:1 b:1 c:2 ");
}

// ---------------------------------------------------------------- real outputs

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
