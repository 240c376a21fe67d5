#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "CSearch.h"
#include "TestSupport.h"

using namespace confsearch;

namespace {

std::vector<std::string> names_in(const support::TempDir& dir, const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path() / folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

TEST(CandidateFiles, NamesAndTitles) {
    EXPECT_EQ(serial_name("ibuprofen", 1, serial_width(648)), "ibuprofen_0001");
    EXPECT_EQ(serial_name("metoprolol", 236196, serial_width(236196)), "metoprolol_236196");
    EXPECT_EQ(serial_name("ibuprofen", 7, serial_width(12, 3)), "ibuprofen_007");
    TorsionChoice ring;
    ring.fixed_atom = 1;
    ring.moving_atom = 7;
    TorsionChoice isobutyl = ring;
    isobutyl.fixed_atom = 12;
    isobutyl.moving_atom = 13;
    // A side correction of 10 degrees, a turn just short of the full circle, an odd step.
    EXPECT_EQ(candidate_title("ibuprofen_0007", {ring, isobutyl, ring},
                              {radian(130), radian(359.99), radian(51.43)}),
              "ibuprofen_0007 turns 1:7=130 12:13=0 1:7=51.4");
}

// A folder of an earlier run is refused unless it may be emptied; anything the program
// did not write there is never removed.
TEST(CandidateFiles, FoldersOfEarlierRuns) {
    const support::TempDir dir;
    const std::string folder = dir.file("mol_candidates");
    EXPECT_EQ(folder_fault(folder, false), "");
    EXPECT_EQ(prepare_folder(folder, false), "");
    dir.write("mol_candidates/mol_0001.gjf", "earlier\n");
    dir.write("mol_candidates/other_00002.inp", "earlier\n");
    EXPECT_EQ(prepare_folder(folder, false),
              folder + " holds 2 files of an earlier run; --overwrite removes them first");
    EXPECT_EQ(names_in(dir, "mol_candidates").size(), 2u);
    EXPECT_EQ(prepare_folder(folder, true), "");
    EXPECT_TRUE(names_in(dir, "mol_candidates").empty());

    for (const std::string kept : {"mol_0001.log", "mol.xyz", "mol_01.gjf", "mol_0001.chk"}) {
        dir.write("mol_candidates/" + kept, "the chemist's\n");
        EXPECT_EQ(prepare_folder(folder, true),
                  folder + " holds " + kept +
                      ", which no run of this program wrote; it is never deleted: move it or "
                      "write into another folder");
        EXPECT_EQ(names_in(dir, "mol_candidates"), std::vector<std::string>{kept});
        std::filesystem::remove(dir.path() / "mol_candidates" / kept);
    }
    dir.write("a_file", "");
    EXPECT_EQ(folder_fault(dir.file("a_file"), true), dir.file("a_file") + " is not a folder");
}

TEST(ProgressLine, TenthsToALogAndOneLineOnATerminal) {
    std::ostringstream log;
    ProgressLine tenths(log, false, "generate_conformers", "combinations", 20);
    for (unsigned long long done = 1; done <= 20; ++done) tenths.update(done);
    tenths.finish();
    std::string expected;
    for (int share = 10; share <= 100; share += 10)
        expected += "generate_conformers: " + std::to_string(share) + "% (" +
                    std::to_string(share / 5) + " of 20 combinations)\n";
    EXPECT_EQ(log.str(), expected);

    std::ostringstream terminal;
    ProgressLine line(terminal, true, "p", "things", 3);
    for (unsigned long long done = 1; done <= 3; ++done) line.update(done);
    line.finish();
    EXPECT_EQ(
        terminal.str(),
        "\rp: 33% (1 of 3 things)   \rp: 66% (2 of 3 things)   \rp: 100% (3 of 3 things)   \n");
}
