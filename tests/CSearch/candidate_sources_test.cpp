#include <gtest/gtest.h>
#include "CSearch.h"

#include "ScreeningSupport.h"
#include "TestSupport.h"

#include <filesystem>

using namespace confsearch;
namespace fs = std::filesystem;

namespace {

const std::string WATER_FRAME =
    "3\nwater one\nO 0 0 0.1173\nH 0 0.7572 -0.4692\nH 0 -0.7572 -0.4692\n";
const std::string WATER_IN_OTHER_CASE =
    "3  \nwater two\no 0 0 0.2\nh 0 0.75 -0.46 extra\n1 0 -0.75 -0.46\n";

struct Read {
    std::vector<std::string> names;
    std::vector<std::string> origins;
    std::vector<std::string> comments;
};

Read read(const fs::path& source, const std::string& stem) {
    Read result;
    for (const ScreeningCandidate& c : read_candidates(source, stem)) {
        result.names.push_back(c.name);
        result.origins.push_back(c.origin);
        result.comments.push_back(c.geometry.comment);
        EXPECT_EQ(c.geometry.symbols, (std::vector<std::string>{"O", "H", "H"})) << c.origin;
    }
    return result;
}

}  // namespace

// The three kinds of source, each candidate traced to its frame, file or record; element
// symbols in any case or as atomic numbers; blank lines between frames.
TEST(CandidateSources, EveryKindOfSourceIsReadInOrderAndTraced) {
    const support::TempDir dir;
    dir.write("ensemble.xyz", WATER_FRAME + "\n" + WATER_IN_OTHER_CASE + "\n\n");
    fs::create_directory(dir.path() / "folder");
    // c10 after c2: numbers in names are compared as numbers.
    support::write_file(dir.path() / "folder" / "c10.xyz", WATER_FRAME);
    support::write_file(dir.path() / "folder" / "c2.XYZ", WATER_IN_OTHER_CASE + WATER_FRAME);
    support::write_file(dir.path() / "folder" / "notes.txt", "not a candidate");
    dir.write("xyz_collection",
              "NAME_1: 1111\nO\t0 0 0.1173\nH\t0 0.7572 -0.4692\nH\t0 -0.7572 -0.4692\n"
              "---------------------------------------------\n"
              "NAME_2: 1112\nO\t0 0 0.2\nH\t0 0.75 -0.46\nH\t0 -0.75 -0.46\n"
              "---------------------------------------------\n");

    const std::string ensemble = dir.file("ensemble.xyz");
    const Read frames = read(ensemble, "water");
    EXPECT_EQ(frames.names, (std::vector<std::string>{"water_0001", "water_0002"}));
    EXPECT_EQ(frames.origins, (std::vector<std::string>{ensemble + ", frame 1 (line 1)",
                                                        ensemble + ", frame 2 (line 7)"}));
    EXPECT_EQ(frames.comments, (std::vector<std::string>{"water one", "water two"}));

    const fs::path folder = dir.path() / "folder";
    const Read files = read(folder, "my run");
    EXPECT_EQ(files.names, (std::vector<std::string>{"my_run_0001", "my_run_0002", "my_run_0003"}));
    EXPECT_EQ(files.origins,
              (std::vector<std::string>{(folder / "c2.XYZ").string() + ", frame 1 (line 1)",
                                        (folder / "c2.XYZ").string() + ", frame 2 (line 6)",
                                        (folder / "c10.xyz").string()}));

    const std::string collection = dir.file("xyz_collection");
    const Read records = read(collection, "water");
    EXPECT_EQ(records.comments, (std::vector<std::string>{"1111", "1112"}));
    EXPECT_EQ(records.origins[1], collection + ", record 2 (line 6)");

    EXPECT_EQ(candidate_source_kind(folder), CandidateSource::xyz_folder);
    EXPECT_EQ(candidate_source_kind(collection), CandidateSource::collection);
    EXPECT_EQ(candidate_source_kind(ensemble), CandidateSource::xyz_file);
}

TEST(CandidateSources, SourceThatIsNotWholeIsRefusedWithItsLine) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "bad: no frame: the file is empty or blank"},
        {"3\nwater\nO 0 0 0\nH 0 1 0\n", "bad: frame 1: the file ends after 2 of its 3 atoms"},
        {WATER_FRAME + "three\n",
         "bad, line 6: frame 2: the atom count must be a whole number of at least 1, not "
         "\"three\""},
        {"2\nwater\nO 0 0 0\nH 0 1 nan\n",
         "bad, line 4: frame 1, atom 2: a coordinate is not a finite number"},
        {"1\nwater\nQq 0 0 0\n", "bad, line 3: frame 1, atom 1: \"Qq\" is no element"},
        {"1\n", "bad: frame 1: the file ends before its comment line"},
        {"NAME_1: 1\nO\t0 0 0\n",
         "bad, line 2: the file ends inside a record (no closing line "
         "of dashes)"},
        {"NAME_1: 1\n-----\nstray\n", "bad, line 2: a record without atoms"},
        {"NAME_1: 1\nO\t0 0 0\n-----\nstray\n",
         "bad, line 4: a record must begin with \"NAME_<n>: <name>\", not \"stray\""},
    };
    const support::TempDir dir;
    const support::ScopedChdir here(dir.path());
    for (const auto& [text, message] : cases) {
        dir.write("bad", text);
        try {
            read_candidates("bad", "x");
            ADD_FAILURE() << "accepted: " << text;
        } catch (const CandidateError& refusal) {
            EXPECT_EQ(refusal.what(), message) << text;
        }
    }
    fs::create_directory("empty");
    EXPECT_THROW(read_candidates("empty", "x"), CandidateError);
    EXPECT_THROW(read_candidates("missing.xyz", "x"), CandidateError);
}

TEST(CandidateSources, CandidateOfOtherAtomsIsRefusedByOrigin) {
    XyzGeometry water;
    water.symbols = {"O", "H", "H"};
    water.positions.resize(3);
    ScreeningCandidate swapped{"w_0002", "e.xyz, frame 2 (line 6)", water};
    swapped.geometry.symbols = {"H", "O", "H"};
    ScreeningCandidate short_one{"w_0003", "e.xyz, frame 3 (line 11)", water};
    short_one.geometry.symbols.pop_back();
    short_one.geometry.positions.pop_back();
    try {
        check_candidate_atoms(water, "water.xyz", {{"w_0001", "e.xyz", water}, swapped});
        ADD_FAILURE() << "accepted";
    } catch (const CandidateError& refusal) {
        EXPECT_EQ(std::string(refusal.what()),
                  "e.xyz, frame 2 (line 6): atom 1 is H, in water.xyz O: a candidate must list "
                  "the molecule's atoms in its order");
    }
    EXPECT_THROW(check_candidate_atoms(water, "water.xyz", {short_one}), CandidateError);
    EXPECT_NO_THROW(check_candidate_atoms(water, "water.xyz", {{"w_0001", "e.xyz", water}}));
}

TEST(CandidateSources, JobStemsNameFilesAndFolders) {
    EXPECT_EQ(job_stem("my molecule (2)"), "my_molecule__2_");
    EXPECT_EQ(job_stem(".hidden"), "_hidden");
    EXPECT_EQ(job_stem(""), "molecule");
}
