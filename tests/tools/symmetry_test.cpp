// --symmetry of both sorters: the terminal groups found in the lowest-energy result, their
// rotamers grouped with the original, and the warnings about reference atoms in a group.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "TestSupport.h"

namespace {

namespace fs = std::filesystem;
using support::RunResult;

const fs::path BUTANOL = fs::path(EXAMPLES_DIR) / "outputs" / "conf01.log";

int lines(const std::string& text) {
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

// An output file's text with the atoms of `cycle` moved round in its final geometry table:
// atom cycle[0] takes the position of cycle[1], and so on, the last that of cycle[0]. A
// row of the table is "%7d%11d%12d" (centre, atomic number, type), then the coordinates.
std::string cycled(const std::string& text, const std::vector<int>& cycle) {
    std::size_t first_row = text.rfind("Standard orientation:");
    for (int skip = 0; skip < 5; ++skip) first_row = text.find('\n', first_row) + 1;
    auto coordinates = [&](int atom) {
        std::size_t start = first_row;
        for (int row = 1; row < atom; ++row) start = text.find('\n', start) + 1;
        return std::make_pair(start + 30, text.find('\n', start) - start - 30);
    };
    std::string moved = text;
    // Every row has the same width, so replacing the coordinates keeps the rows in place.
    for (std::size_t i = 0; i < cycle.size(); ++i) {
        const auto to = coordinates(cycle[i]);
        const auto from = coordinates(cycle[(i + 1) % cycle.size()]);
        moved.replace(to.first, to.second, text.substr(from.first, from.second));
    }
    return moved;
}

// One molecule's groups and copies of it with hydrogens moved round.
struct Rotamers {
    fs::path file;
    const char* atoms;
    std::string found;
    std::vector<std::pair<std::vector<int>, bool>> cycles;  // hydrogens moved, joins
};

// Without --symmetry (and no atoms given) no copy joins the original; with it, exactly
// those whose hydrogens moved round within one group. Reference atom 2 has its anchors
// outside every group of these molecules.
void expect_rotamers(const Rotamers& molecule) {
    const std::string text = support::read_file(molecule.file);
    for (const auto& [cycle, joins] : molecule.cycles) {
        SCOPED_TRACE(molecule.file.filename().string() + " " + std::to_string(cycle[0]));
        support::TempDir dir;
        dir.write("a.log", text);
        dir.write("b.log", cycled(text, cycle));
        dir.write("list.txt", "a.log\nb.log\n");
        std::vector<std::string> args = {molecule.atoms, "0.00002", "0.05", "0.15", "2"};
        RunResult r = support::run_program(SORT_OUTPUTS_EXE, args, dir.path());
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(lines(dir.read("unique_list2.txt")), 2);
        args.insert(args.begin(), "--symmetry");
        r = support::run_program(SORT_OUTPUTS_EXE, args, dir.path());
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "sort_outputs: interchangeable atoms found: " + molecule.found + "\n");
        EXPECT_EQ(lines(dir.read("unique_list2.txt")), joins ? 1 : 2);
    }
}

}  // namespace

// Butan-2-ol: methyl hydrogens 3 4 5 on C1 and 8 9 10 on C4, CH2 hydrogens 14 15.
TEST(Symmetry, RotamersOfOneGroupJoinTheOriginalAndExchangesBetweenGroupsDoNot) {
    expect_rotamers({BUTANOL,
                     "15",
                     "3 4 5 | 14 15 | 8 9 10",
                     {{{3, 4, 5}, true}, {{14, 15}, true}, {{3, 8}, false}, {{10, 5, 4}, false}}});
}

// Divinylbenzene: the CH2 hydrogens of its two vinyl groups. The aminox catalyst: its
// methyl hydrogens 22 23 24 and the CH2 hydrogens of its ring.
TEST(Symmetry, RotamersInRealOutputs) {
    SKIP_WITHOUT_REAL_OUTPUTS();
    const fs::path real = support::real_outputs_dir();
    expect_rotamers({real / "g16_dvb_gopt.out",
                     "20",
                     "11 13 | 17 18",
                     {{{11, 13}, true}, {{17, 18}, true}, {{13, 17}, false}}});
    expect_rotamers({real / "aminox_cat_conf65_S.log",
                     "24",
                     "12 13 | 14 15 | 9 16 | 22 23 24",
                     {{{22, 23, 24}, true}, {{24, 12}, false}}});
}

// Found by --symmetry, the groups rank the example search as the atoms 3 4 5 given by hand
// do: conf08 (hydrogens 3 and 4 exchanged) joins conf01.
TEST(Symmetry, ExampleSearchRanksAsWithTheMethylGivenByHand) {
    const std::pair<const char*, std::vector<std::string>> cases[] = {
        {SORT_OUTPUTS_EXE, {"15", "0.00002", "0.05", "0.15", "1"}},
        {SORT_COLLECTION_EXE, {"all_collection.txt", "15", "1"}},
    };
    for (const auto& [program, args] : cases) {
        support::TempDir dir;
        const bool collection = program == std::string(SORT_COLLECTION_EXE);
        fs::copy(fs::path(EXAMPLES_DIR) / (collection ? "records" : "outputs"), dir.path());
        support::run_program(COLLECT_RECORDS_EXE, {}, dir.path());
        std::vector<std::string> by_hand = args;
        by_hand.insert(by_hand.end(), {"3", "4", "5"});
        ASSERT_EQ(support::run_program(program, by_hand, dir.path()).status, 0);
        const std::string ranked = dir.read("all_list2.txt") + dir.read("unique_list2.txt");
        std::vector<std::string> symmetric = args;
        symmetric.insert(symmetric.begin(), "--symmetry");
        const RunResult r = support::run_program(program, symmetric, dir.path());
        EXPECT_NE(r.err.find("interchangeable atoms found: 3 4 5 | 14 15 | 8 9 10\n"),
                  std::string::npos)
            << r.err;
        EXPECT_EQ(dir.read("all_list2.txt") + dir.read("unique_list2.txt"), ranked);
        EXPECT_EQ(lines(dir.read("unique_list2.txt")), 6);
    }
}

// A reference atom whose anchors lie in a group found is named with the first one whose
// anchors avoid every group, the atoms given included; the run keeps the reference atom
// given. A molecule whose bonds cannot be perceived is ranked with the atoms given only.
TEST(Symmetry, AnchorsInAGroupAreNamedWithAReferenceAtomThatAvoidsThem) {
    const auto ethanol = support::ethanol();
    auto overlapping = ethanol;
    overlapping[8].z = overlapping[7].z - 0.1;  // atom 9 0.1 angstrom from atom 8
    const std::string askew =
        ": a rotamer of the group then lays the molecule askew and is not matched; ";
    const std::string butanol = "interchangeable atoms found: 3 4 5 | 14 15 | 8 9 10\n";
    struct Case {
        std::vector<std::string> args;
        std::vector<support::Atom> atoms;  // none: butan-2-ol
        std::string err;
    };
    const Case cases[] = {
        // Ethanol: methyl 7 8 9 and CH2 5 6; the anchors k, k + 3, k + 6 always meet one.
        {{"9", "2e-5", "0.05", "0.15", "1"},
         ethanol,
         "sort_outputs: interchangeable atoms found: 7 8 9 | 5 6\nsort_outputs: warning: "
         "superposition anchor 7 (reference atom 1 and atoms 4, 7) lies in the group found 7 8 9" +
             askew + "no reference atom has its three anchors outside every group\n"},
        // Butan-2-ol: anchors k, k + 5, k + 10; reference atom 1 (1, 6, 11) avoids the groups
        // found, but atom 11 is given. Atoms given that are a group found change nothing.
        {{"15", "2e-5", "0.05", "0.15", "3", "11"},
         {},
         "sort_outputs: " + butanol +
             "sort_outputs: interchangeable atoms matched: 3 4 5 | 14 15 | 8 9 10 | 11\n"
             "sort_outputs: warning: superposition anchors 3, 8 (reference atom 3 and atoms 8, "
             "13) lie in the groups found 3 4 5 | 8 9 10" +
             askew + "reference atom 2, with anchors 2, 7, 12, avoids every group\n"},
        {{"15", "2e-5", "0.05", "0.15", "1", "5", "3", "4"}, {}, "sort_outputs: " + butanol},
        {{"all_collection.txt", "9", "8"},
         ethanol,
         "sort_collection: interchangeable atoms found: 7 8 9 | 5 6\nsort_collection: warning: "
         "the reference atom 8 lies in the group found 7 8 9: distances are measured from it, "
         "so a rotamer of the group is not matched; atom 1 lies in no group and can be the "
         "reference atom\n"},
        {{"9", "2e-5", "0.05", "0.15", "1", "5", "6"},
         overlapping,
         "sort_outputs: warning: --symmetry finds no interchangeable atoms in a.log: atoms 8 and "
         "9 are 0.1 angstrom apart: one atom given twice?\n"
         "sort_outputs: interchangeable atoms matched: 5 6\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.err);
        support::TempDir dir;
        support::GaussianOutput output;
        output.steps = {c.atoms};
        dir.write("a.log",
                  c.atoms.empty() ? support::read_file(BUTANOL) : support::gaussian_output(output));
        dir.write("list.txt", "a.log\n");
        const bool collection = c.args[0] == "all_collection.txt";
        if (collection)
            dir.write("all_collection.txt",
                      support::collection_block(
                          1, support::record_body("a.log", "-154.9877", "0 0.3 0.4", c.atoms)));
        std::vector<std::string> args = c.args;
        args.insert(args.begin(), "--symmetry");
        const RunResult r = support::run_program(
            collection ? SORT_COLLECTION_EXE : SORT_OUTPUTS_EXE, args, dir.path());
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, c.err);
        EXPECT_EQ(lines(dir.read("unique_list2.txt")), 1);
    }
}
