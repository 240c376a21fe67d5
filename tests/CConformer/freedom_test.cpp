#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "CConformer.h"
#include "GeneratorSupport.h"

using namespace confsearch;

namespace {

using support::TempDir;
using support::TreeMolecule;

// The chain 3-1-2 with atoms 5 and 4 on atom 2, taken into the Z-matrix in the order
// 3, 1, 2, 5, 4: atom 1 is row 2, atom 2 row 3, atom 5 row 4, atom 4 row 5.
TreeMolecule branched_chain() {
    TreeMolecule m;
    m.atoms = {{"C", {1.5, 0, 0}, 3},
               {"C", {2.0, 1.4, 0}, 1},
               {"C", {0, 0, 0}, 0},
               {"H", {1.5, 2.5, 0.8}, 2},
               {"H", {3.5, 1.5, 0.3}, 2}};
    m.rows = {3, 1, 2, 5, 4};
    return m;
}

std::string repeated(int count, const std::string& entry) {
    std::string text = std::to_string(count) + "\n";
    for (int i = 0; i < count; ++i) text += entry + "\n";
    return text;
}

TEST(FreedomFile, EntriesAreOrientedAlongTheTreeInRowNumbers) {
    struct Case {
        std::string text;
        std::string check;
        Combinations total;
    };
    std::string twenty_bonds = "20\n\n";
    for (int i = 0; i < 20; ++i) twenty_bonds += "2-3\t1\n";
    const Case cases[] = {
        {"1\n1-2 3\n", "1\n\n2-3\t3\n", 3},
        // Named the other way round, or with another separator: the same bond.
        {"1\n2-1 3\n", "1\n\n2-3\t3\n", 3},
        {"1 1:2 3", "1\n\n2-3\t3\n", 3},
        {"2\n2-5 2\n4-2\n3\n", "2\n\n3-4\t2\n3-5\t3\n", 6},
        {repeated(20, "1-2 1"), twenty_bonds, 1},
        // Twenty bonds of nine steps: 9^20 combinations, beyond any 32-bit count.
        {repeated(20, "1-2 9"), "", 12157665459056928801ull},
    };
    TempDir dir;
    support::ScopedChdir here(dir.path());
    for (const Case& k : cases) {
        CGenerateConformer g(5);
        support::load(g, branched_chain(), dir);
        dir.write("m.freedom", k.text);
        ASSERT_TRUE(g.read_freedom("m.freedom")) << k.text;
        const CRunHeader& h = g.get_header();
        EXPECT_EQ(h.total, k.total) << k.text;
        EXPECT_EQ(h.ignored, 0u);
        EXPECT_EQ(h.generated, 0u);
        EXPECT_EQ(h.failed_level, 1);
        EXPECT_EQ(h.pending, 0u);
        EXPECT_EQ(g.get_name(), std::string(static_cast<std::size_t>(g.get_freedom_number()), '1'));
        if (k.check.empty()) continue;
        g.check_freedom();
        EXPECT_EQ(dir.read("check_freedom.txt"), k.check) << k.text;
    }
}

TEST(FreedomFile, RefusalsLeaveNoFreedomList) {
    struct Case {
        std::string text;
        FreedomFileStatus::Outcome outcome;
        int entry;
    };
    const Case cases[] = {
        {"0\n", FreedomFileStatus::bad_count, 0},
        {"21\n", FreedomFileStatus::bad_count, 0},
        {"-1\n1-2 3\n", FreedomFileStatus::bad_count, 0},
        {"two\n", FreedomFileStatus::bad_count, 0},
        {"", FreedomFileStatus::bad_count, 0},
        // A blank is no separator: "1 2 3" takes the 2 for one and waits for the steps.
        {"1\n1 2 3\n", FreedomFileStatus::unreadable_entry, 1},
        {"2\n1-2 3\n", FreedomFileStatus::unreadable_entry, 2},
        {"1\n1-9 3\n", FreedomFileStatus::atom_out_of_range, 1},
        {"1\n0-1 3\n", FreedomFileStatus::atom_out_of_range, 1},
        {"2\n1-2 3\n3-5 2\n", FreedomFileStatus::not_a_bond, 2},
        {"1\n1-2 0\n", FreedomFileStatus::bad_steps, 1},
        {"1\n1-2 10\n", FreedomFileStatus::bad_steps, 1},
    };
    TempDir dir;
    support::ScopedChdir here(dir.path());
    CGenerateConformer g(5);
    support::load(g, branched_chain(), dir);
    for (const Case& k : cases) {
        std::istringstream in(k.text);
        std::vector<CRotatableBond> bonds;
        const FreedomFileStatus status = read_freedom_list(in, g, bonds);
        EXPECT_EQ(status.outcome, k.outcome) << k.text;
        EXPECT_EQ(status.entry, k.entry) << k.text;
        EXPECT_TRUE(bonds.empty()) << k.text;

        dir.write("good.freedom", "1\n1-2 3\n");
        ASSERT_TRUE(g.read_freedom("good.freedom"));
        dir.write("m.freedom", k.text);
        EXPECT_FALSE(g.read_freedom("m.freedom")) << k.text;
        EXPECT_EQ(g.get_freedom_number(), 0) << k.text;
        EXPECT_EQ(g.get_name(), "") << k.text;
    }
    g.check_freedom();
    EXPECT_EQ(dir.read("check_freedom.txt"), "No information !\n");

    // A file that cannot be opened changes nothing.
    ASSERT_TRUE(g.read_freedom("good.freedom"));
    EXPECT_FALSE(g.read_freedom("none.freedom"));
    EXPECT_EQ(g.get_freedom_number(), 1);
    EXPECT_EQ(g.get_bond(1).atom_b, 3);
}

TEST(FreedomFile, GeneratorWithoutItsLogIsRefused) {
    TempDir dir;
    support::ScopedChdir here(dir.path());
    std::filesystem::create_directory(dir.path() / "GenerateConformer.log");
    support::expect_thrown([] { CGenerateConformer g(5); }, 5);
    support::expect_thrown([] { CGenerateConformer g(101); }, 101);
}

}  // namespace
