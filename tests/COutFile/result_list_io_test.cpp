#include <gtest/gtest.h>

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

TEST(ResultList, OutputListSkipsUnreadableFilesAndNamesThem) {
    support::TempDir dir;
    support::ScopedChdir here(dir.path());
    support::write_output(dir, "a.log", {});
    support::GaussianOutput killed;
    killed.archive = false;
    support::write_output(dir, "b.log", killed);
    support::write_output(dir, "c.log", {});
    dir.write("list.txt", "a.log\nb.log  extra words\n\nmissing.log\nc.log\n\n\n");

    COutSortList list(support::ETHANOL_ATOMS);
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

    COutSortList list(support::ETHANOL_ATOMS);
    CaptureStdout();
    ASSERT_TRUE(list.read_collectf(dir.file("all_collection.txt"), support::ETHANOL_ATOMS));
    EXPECT_EQ(GetCapturedStdout(), "cannot read record: NAME_2\ncannot read record: NAME_1\n");
    ASSERT_EQ(list.get_count(), 3);
    ASSERT_EQ(list.left_out().size(), 2u);
    EXPECT_EQ(list.left_out()[0].label, "NAME_2");
    EXPECT_EQ(list.left_out()[0].name, "b.log");
    EXPECT_EQ(list.left_out()[0].reason, "atom line 6 of 9 cannot be read");
    EXPECT_EQ(list.left_out()[1].reason, "no energy on the line of \"HF=\"");
    EXPECT_EQ(list[1].name, "a.log");
    EXPECT_DOUBLE_EQ(list[1].energy, -154.9);
    EXPECT_DOUBLE_EQ(list[1].dipole, 0.3);
    EXPECT_EQ(list[1].conformer.get_element(3).get_symbol(), "O");
    EXPECT_NEAR(list[1].conformer.get_vector(9).z, -0.8847, 1e-12);
    EXPECT_EQ(list[2].name, "c.log");
    EXPECT_DOUBLE_EQ(list[2].dipole, 5.0);
    EXPECT_EQ(list[3].name, "e.log");
    EXPECT_EQ(list[3].group, 0);

    // A collection cut off inside its last record: the separator line is missing, and the
    // last coordinate has lost digits ("-0.8847" cut to "-0.88").
    std::string cut =
        record(1, "a.log", "-154.9", "0.1 0.2 0.2", 9) + record(2, "f.log", "-154.6", "0 0 1", 9);
    cut.erase(cut.rfind("\n ----\n") - 2);
    dir.write("cut.txt", cut);
    CaptureStdout();
    ASSERT_TRUE(list.read_collectf(dir.file("cut.txt"), support::ETHANOL_ATOMS));
    EXPECT_EQ(GetCapturedStdout(), "cannot read record: NAME_2\n");
    ASSERT_EQ(list.get_count(), 1);
    ASSERT_EQ(list.left_out().size(), 1u);
    EXPECT_EQ(list.left_out()[0].name, "f.log");
    EXPECT_EQ(list.left_out()[0].reason,
              "the file ends inside this record: no separator line after it");

    dir.write("no_labels.txt", "just text\n");
    EXPECT_FALSE(list.read_collectf(dir.file("no_labels.txt"), support::ETHANOL_ATOMS));
    CaptureStdout();
    EXPECT_FALSE(list.read_collectf(dir.file("absent.txt"), support::ETHANOL_ATOMS));
    EXPECT_EQ(GetCapturedStdout(), "cannot open file : " + dir.file("absent.txt") + "\n");
}

// A record of more atoms than asked is another molecule, not a conformer of this one
// made of its first atoms; one of fewer atoms runs into the line after its atoms.
TEST(ResultList, CollectionRecordsOfAnotherAtomCountAreLeftOut) {
    support::TempDir dir;
    const auto ethanol = support::ethanol();
    const std::vector<support::Atom> eight(ethanol.begin(), ethanol.begin() + 8);
    dir.write(
        "all_collection.txt",
        support::collection_block(1, support::record_body("nine.log", "-154.9", "0 0 1", ethanol)) +
            support::collection_block(2,
                                      support::record_body("eight.log", "-154.8", "0 0 1", eight)));
    struct Case {
        int atoms;
        std::string read;
        std::string reason;
    };
    const Case cases[] = {
        {9, "nine.log", "atom line 9 of 9 cannot be read"},
        {8, "eight.log", "more than 8 atoms: an atom line follows atom 8"},
    };
    for (const Case& c : cases) {
        COutSortList list(c.atoms);
        CaptureStdout();
        ASSERT_TRUE(list.read_collectf(dir.file("all_collection.txt"), c.atoms));
        GetCapturedStdout();
        ASSERT_EQ(list.get_count(), 1) << c.atoms;
        EXPECT_EQ(list[1].name, c.read);
        ASSERT_EQ(list.left_out().size(), 1u) << c.atoms;
        EXPECT_EQ(list.left_out()[0].reason, c.reason);
    }
}

TEST(ResultList, ResultFilesRoundTripAndUniqueTakesEachGroupHead) {
    support::TempDir dir;
    support::ScopedChdir here(dir.path());
    std::vector<COutSort> results;
    const int groups[] = {1, 1, 2, 3, 3};
    for (int i = 0; i < 5; ++i) {
        results.push_back(support::result("r" + std::to_string(i + 1) + ".log", -10.5 + 0.125 * i,
                                          0.25 * i, support::ethanol()));
        results.back().group = groups[i];
    }
    const COutSortList list = support::list_of(results);
    list.out_all("all_list2.txt");
    ASSERT_TRUE(list.out_unique("unique_list2.txt"));
    EXPECT_EQ(dir.read("unique_list2.txt"),
              "r1.log\t-10.5\t0\t1\nr3.log\t-10.25\t0.5\t2\nr4.log\t-10.125\t0.75\t3\n");

    COutSortList back(support::ETHANOL_ATOMS);
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
    const auto a = support::list_of({support::result("a", 1, 0, support::ethanol()),
                                     support::result("b", 2, 0, support::ethanol())});
    const auto b = support::list_of({support::result("c", 3, 0, support::ethanol())});
    COutSortList sum = a + b;
    EXPECT_EQ(support::names_and_groups(sum), "a:0 b:0 c:0 ");
    sum += a;
    EXPECT_EQ(sum.get_count(), 5);

    COutSortList other(3, 1);
    CaptureStdout();
    try {
        sum += other;
        ADD_FAILURE() << "no throw";
    } catch (int confsize) {
        EXPECT_EQ(confsize, support::ETHANOL_ATOMS);
    }
    EXPECT_EQ(GetCapturedStdout(), "Error for adding different conformer!\n");
    EXPECT_EQ(sum.get_count(), 5);
}
