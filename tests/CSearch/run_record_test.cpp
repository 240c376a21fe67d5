#include <gtest/gtest.h>
#include "CSearch.h"

#include "ScreeningSupport.h"
#include "TestSupport.h"

#include <filesystem>
#include <functional>

using namespace confsearch;
namespace fs = std::filesystem;
using screening_support::butane;

namespace {

RunRecord butane_record() {
    RunRecord record;
    record.conditions.xtb_version = "6.5.1 (unknown)";
    record.molecule = butane(0);
    record.molecule.comment = "butane.xyz";
    for (const double turn : {0.0, 120.0, 240.0}) {
        ScreeningCandidate candidate;
        candidate.name = serial_name("butane", record.candidates.size() + 1, 4);
        candidate.origin = "butane_candidates.xyz, frame " +
                           std::to_string(record.candidates.size() + 1) + " (line 1)";
        candidate.geometry = butane(turn);
        candidate.geometry.comment = "turned\tby " + std::to_string(turn);
        record.candidates.push_back(candidate);
    }
    return record;
}

std::string refusal_of(const fs::path& folder, const RunRecord& record) {
    try {
        record_run(folder, record);
    } catch (const RunRefusal& refusal) {
        return refusal.what();
    }
    return "";
}

}  // namespace

// A second start with anything that would change a finished optimisation is refused,
// the option named as the chemist gave it; the same start passes and writes nothing.
TEST(RunRecord, SecondStartMustAskForTheSameOptimisations) {
    const support::TempDir dir;
    const fs::path folder = dir.path() / "butane_screen";
    const RunRecord record = butane_record();
    record_run(folder, record);
    const auto written = fs::last_write_time(folder / "screening.txt");
    EXPECT_EQ(refusal_of(folder, record), "");
    EXPECT_EQ(fs::last_write_time(folder / "screening.txt"), written);

    const std::string f = folder.string();
    const std::string advice =
        ", which would change its finished optimisations: start it with the same options, or "
        "give another run folder";
    const std::string same_candidates =
        ": start it with the same candidates and generator options, or give another run folder";
    const std::vector<std::pair<std::function<void(RunRecord&)>, std::string>> cases = {
        {[](RunRecord& r) { r.conditions.charge = 1; },
         f + " holds a screening run with --charge 0; this start asks for --charge 1" + advice},
        {[](RunRecord& r) { r.conditions.multiplicity = 3; },
         f + " holds a screening run with --multiplicity 1; this start asks for --multiplicity 3" +
             advice},
        {[](RunRecord& r) { r.conditions.solvent = "water"; },
         f + " holds a screening run with --solvent none; this start asks for --solvent water" +
             advice},
        {[](RunRecord& r) { r.conditions.level = "tight"; },
         f + " holds a screening run with --opt normal; this start asks for --opt tight" + advice},
        {[](RunRecord& r) { r.conditions.xtb_version = "6.6.1 (8d0f1dd)"; },
         f +
             " holds a screening run with xtb version 6.5.1 (unknown); this start asks for xtb "
             "version 6.6.1 (8d0f1dd)" +
             advice},
        {[](RunRecord& r) { r.candidates.pop_back(); },
         f + " holds a screening run of 3 candidates; this start has 2" + same_candidates},
        {[](RunRecord& r) { r.candidates[1].geometry.positions[5].z += 1e-6; },
         f +
             " holds a screening run whose candidate butane_0002 is not "
             "butane_candidates.xyz, frame 2 (line 1)" +
             same_candidates},
        {[](RunRecord& r) { r.molecule.positions[0].x += 0.01; },
         f + " holds a screening run of another input molecule (molecule.xyz): give another run "
             "folder"},
    };
    for (const auto& [change, message] : cases) {
        RunRecord other = record;
        change(other);
        EXPECT_EQ(refusal_of(folder, other), message);
    }
    // Where candidates and molecule were read from is not part of the run.
    RunRecord moved = record;
    moved.candidates[0].origin = "elsewhere.xyz, frame 1 (line 1)";
    moved.molecule.comment = "../butane.xyz";
    EXPECT_EQ(refusal_of(folder, moved), "");
}

TEST(RunRecord, TaskReadsTheWholeRunFromTheFolder) {
    const support::TempDir dir;
    const RunRecord record = butane_record();
    record_run(dir.path() / "run", record);
    const RunRecord read = read_run_record(dir.path() / "run");
    EXPECT_EQ(read.conditions.xtb_version, "6.5.1 (unknown)");
    EXPECT_EQ(read.conditions.level, "normal");
    EXPECT_EQ(read.conditions.solvent, "");
    EXPECT_EQ(read.molecule.symbols, record.molecule.symbols);
    ASSERT_EQ(read.candidates.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(read.candidates[i].name, record.candidates[i].name);
        EXPECT_EQ(read.candidates[i].origin, record.candidates[i].origin);
        for (std::size_t a = 0; a < 14; ++a)
            EXPECT_NEAR(read.candidates[i].geometry.positions[a].distance(
                            record.candidates[i].geometry.positions[a]),
                        0.0, 1e-10);
    }
    // A tab in a comment becomes a blank: the comment line keeps its three fields.
    EXPECT_EQ(read.candidates[1].geometry.comment, "turned by 120.000000");
}

TEST(RunRecord, FolderOfOtherFilesOrNoRecordIsRefused) {
    const support::TempDir dir;
    dir.write("notes.txt", "mine");
    EXPECT_EQ(refusal_of(dir.path(), butane_record()),
              dir.path().string() +
                  " holds no screening run (no screening.txt) and holds other files: give a new "
                  "or empty folder");
    EXPECT_TRUE(dir.exists("notes.txt"));
    EXPECT_FALSE(dir.exists("screening.txt"));
    EXPECT_THROW(read_run_record(dir.path()), RunRefusal);

    // A first start killed before its settings file was written left only record files:
    // the folder takes the record.
    const fs::path killed = dir.path() / "killed";
    fs::create_directory(killed);
    support::write_file(killed / "molecule.xyz", "half");
    support::write_file(killed / ".candidates.xyz.partial", "half");
    EXPECT_EQ(refusal_of(killed, butane_record()), "");
    EXPECT_EQ(read_run_record(killed).candidates.size(), 3u);

    // A damaged record is named, never taken for another run.
    support::write_file(killed / "candidates.xyz", "2\nbroken\n");
    EXPECT_THROW(read_run_record(killed), RunRefusal);
}
