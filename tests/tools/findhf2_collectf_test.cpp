#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "COutFile.h"
#include "TestSupport.h"

using namespace confsearch;

namespace {

using support::Atom;
using support::RunResult;

class SortCollection : public testing::Test {
protected:
    support::TempDir dir;

    RunResult run(const std::vector<std::string>& args) {
        return support::run_program(SORT_COLLECTION_EXE, args, dir.path());
    }
};

std::string block(int label, const std::string& name, const std::string& energy,
                  const std::string& dipole, const std::vector<Atom>& atoms) {
    return support::collection_block(label, support::record_body(name, energy, dipole, atoms));
}

}  // namespace

TEST_F(SortCollection, NearlyEqualRecordsMergeUnlessDipolesDiffer) {
    const auto anti = support::ethanol();
    const auto moved = support::turned(anti, 0.8);
    dir.write("all_collection.txt", block(1, "a.log", "-154.98770", "0 0 0.5", anti) +
                                        block(2, "b.log", "-154.98769", "0 0 0.46", moved) +
                                        block(3, "c.log", "-154.98000", "0 0 0.5", anti) +
                                        block(4, "d.log", "-154.97999", "0 0 0.44", moved));

    const RunResult r = run({"all_collection.txt", "9", "1"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "0\n"
              "2(1)  b.log  a.log  Identical !\n"
              "3(1)  c.log  a.log  Energy diff!\n"
              "4(2)  d.log  c.log  \n");
    EXPECT_EQ(dir.read("all_list2.txt"),
              "a.log\t-154.9877\t0.5\t1\n"
              "b.log\t-154.98769\t0.46\t1\n"
              "c.log\t-154.98\t0.5\t2\n"
              "d.log\t-154.97999\t0.44\t3\n");
    EXPECT_EQ(dir.read("unique_list2.txt"),
              "a.log\t-154.9877\t0.5\t1\nc.log\t-154.98\t0.5\t2\nd.log\t-154.97999\t0.44\t3\n");
}

TEST_F(SortCollection, InterchangeableAtomsArePairedByDistance) {
    // The hydroxyl hydrogen (3.2 angstrom from the methyl carbon) and a methyl hydrogen
    // (1.09 angstrom) trade places in the second record: listed as interchangeable, each
    // finds its partner by its distance from the reference atom.
    auto swapped = support::turned(support::ethanol(), 1.9);
    std::swap(swapped[3], swapped[6]);
    dir.write("all_collection.txt",
              block(1, "a.log", "-154.98770", "0 0.3 0.4", support::ethanol()) +
                  block(2, "b.log", "-154.98770", "0 0.3 0.4", swapped) +
                  "NAME_3: broken.log\n cut short\n");

    RunResult r = run({"all_collection.txt", "9", "1", "4", "7"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.substr(0, 49), "2\ncannot read record: NAME_3\n2(1)  b.log  a.log  ");
    const std::size_t first = r.out.find("\n\ta1 b2 of 4 7 same ");
    const std::size_t second = r.out.find("\n\ta2 b1 of 7 4 same ");
    EXPECT_LT(first, second) << r.out;
    EXPECT_NE(second, std::string::npos) << r.out;
    EXPECT_EQ(r.out.substr(r.out.size() - 13), "\nIdentical !\n");
    EXPECT_EQ(dir.read("unique_list2.txt"), "a.log\t-154.9877\t0.5\t1\n");

    r = run({"all_collection.txt", "9", "1"});
    // Without the list the first atom out of place is named with its distance difference.
    EXPECT_EQ(r.out.substr(r.out.size() - 38), "2(1)  b.log  a.log  4 elem : -2.10964\n");
}

TEST_F(SortCollection, RecordsCollectedFromRecordFilesAreRanked) {
    const auto anti = support::ethanol();
    dir.write(
        "batch1.txt",
        "conf1" + support::record_body("conf1.log", "-154.9870", "0 0 1", anti) + "@\nconf2" +
            support::record_body("conf2.log", "-154.9880", "0 0 1", support::turned(anti, 2.5)) +
            "@\n");
    dir.write("list.txt", "batch1.txt\n");
    RunResult r = support::run_program(COLLECT_RECORDS_EXE, {}, dir.path());
    ASSERT_EQ(r.status, 0) << r.out;

    r = run({"all_collection.txt", "9", "2"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "0\n2(1)  conf1.log  conf2.log  Energy diff!\n");
    EXPECT_EQ(dir.read("unique_list2.txt"),
              "conf2.log\t-154.988\t1\t1\nconf1.log\t-154.987\t1\t2\n");
}

TEST_F(SortCollection, MissingOrEmptyCollections) {
    RunResult r = run({"absent.txt", "9", "1"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "0\ncannot open file : absent.txt\n");
    EXPECT_FALSE(dir.exists("all_list2.txt"));

    dir.write("plain.txt", "no records here\n");
    r = run({"plain.txt", "9", "1", "7"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "1\n");
    EXPECT_EQ(dir.read("all_list2.txt"), "");
    EXPECT_EQ(dir.read("unique_list2.txt"), "");
}

TEST_F(SortCollection, CommandLinesOutsideTheMoleculeAreRefused) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"all_collection.txt", "9"},
         "usage: sort_collection collection_file atoms reference_atom [interchangeable_atom "
         "...]\n"},
        {{"all_collection.txt", "0", "1"},
         "sort_collection: the atom count must lie in 1..100, not 0\n"},
        {{"all_collection.txt", "101", "1"},
         "sort_collection: the atom count must lie in 1..100, not 101\n"},
        {{"all_collection.txt", "9", "0"},
         "sort_collection: the reference atom must lie in 1..9, not 0\n"},
        {{"all_collection.txt", "9", "1", "12"},
         "sort_collection: an interchangeable atom must lie in 1..9, not 12\n"},
    };
    for (const auto& [args, err] : cases) {
        const RunResult r = run(args);
        EXPECT_EQ(r.status, 2) << err;
        EXPECT_EQ(r.err, err);
        EXPECT_EQ(r.out, "");
    }
}

// The bundled record files, collected and ranked as the examples' README says.
TEST(SortCollectionOnExamples, ButanolRecordsGiveSixGroups) {
    support::TempDir dir;
    std::filesystem::copy(std::filesystem::path(EXAMPLES_DIR) / "records", dir.path());
    RunResult r = support::run_program(COLLECT_RECORDS_EXE, {}, dir.path());
    ASSERT_EQ(r.status, 0) << r.out;
    r = support::run_program(SORT_COLLECTION_EXE, {"all_collection.txt", "15", "1", "3", "4", "5"},
                             dir.path());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(dir.read("unique_list2.txt"),
              "conf01.log\t-233.6618425\t0.612274009266\t1\n"
              "conf02.log\t-233.660987\t0.701836010046\t2\n"
              "conf03.log\t-233.6604315\t0.546718955897\t3\n"
              "conf04.log\t-233.659773\t0.663141979777\t4\n"
              "conf04_rerun.log\t-233.659763\t0.723141949345\t5\n"
              "conf09.log\t-233.6589954\t0.742463013517\t6\n");
}

TEST_F(SortCollection, BinaryCollectionIsReportedRecordByRecord) {
    std::string binary;
    for (int i = 0; i < 5000; ++i) binary += static_cast<char>((i * 7919) % 256);
    dir.write("junk.txt",
              binary + COLLECTION_LABEL + "1:" + binary + COLLECTION_SEPARATOR + "\n" + binary);
    const RunResult r = run({"junk.txt", "9", "1"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.substr(0, 21), "0\ncannot read record:");
    EXPECT_EQ(dir.read("all_list2.txt"), "");
}

// The butan-2-ol records (15 atoms) beside one of a 16-atom molecule: each count ranks
// only its own records and names every other with its reason.
TEST_F(SortCollection, RecordsOfAnotherAtomCountAreNamedAndLeftOut) {
    std::vector<Atom> sixteen = support::hexanoic_acid();
    sixteen.resize(16);
    std::vector<Atom> fifteen = sixteen;
    fifteen.resize(15);
    dir.write("all_collection.txt", block(1, "small.log", "-233.66", "0 0 0.6", fifteen) +
                                        block(2, "large.log", "-270.12", "0 0 0.6", sixteen));
    struct Case {
        const char* atoms;
        std::string ranked;
        std::string err;
    };
    const Case cases[] = {
        {"15", "small.log\t-233.66\t0.6\t1\n",
         "sort_collection: NAME_2 (large.log): more than 15 atoms: an atom line follows atom "
         "15\n"},
        {"16", "large.log\t-270.12\t0.6\t1\n",
         "sort_collection: NAME_1 (small.log): atom line 16 of 16 cannot be read\n"},
    };
    for (const Case& c : cases) {
        const RunResult r = run({"all_collection.txt", c.atoms, "1"});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(dir.read("all_list2.txt"), c.ranked);
        EXPECT_EQ(r.err, c.err);
    }
}

TEST_F(SortCollection, DoubtfulCommandLinesAreWarnedAboutOnce) {
    dir.write("all_collection.txt", block(1, "a.log", "-154.9877", "0 0 0.5", support::ethanol()));
    const RunResult r = run({"all_collection.txt", "9", "7", "7", "8", "9", "9"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err,
              "sort_collection: warning: interchangeable atom 9 is listed more than once\n"
              "sort_collection: warning: the reference atom 7 is listed as interchangeable: "
              "distances are measured from it\n");
}

// The ensemble files come after the result files, which stay those of a run with
// --no-ensemble; the frames hold the records' geometries. Options come before the
// collection file and do not count as interchangeable atoms.
TEST_F(SortCollection, EnsembleFilesFollowTheResultFiles) {
    const auto anti = support::ethanol();
    const auto moved = support::turned(anti, 0.8);
    dir.write("all_collection.txt", block(1, "a.log", "-154.00000", "0 0 0.5", anti) +
                                        block(2, "b.log", "-153.99999", "0 0 0.46", moved) +
                                        block(3, "c.log", "-152.00000", "0 0 0.5", moved));
    const RunResult plain = run({"--no-ensemble", "all_collection.txt", "9", "1", "7", "8"});
    EXPECT_EQ(plain.out.substr(0, 2), "2\n");
    EXPECT_FALSE(dir.exists("ensemble.txt") || dir.exists("unique_conformers.xyz"));
    const std::string results = dir.read("all_list2.txt") + dir.read("unique_list2.txt");

    const RunResult r = run({"--temperature", "350", "all_collection.txt", "9", "1", "7", "8"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out + r.err, plain.out + plain.err);
    EXPECT_EQ(dir.read("all_list2.txt") + dir.read("unique_list2.txt"), results);
    EXPECT_EQ(dir.read("ensemble.txt"),
              "# group\tname\tenergy (HF, hartree)\tdE (kcal/mol)\tpopulation (% at 350 K)\t"
              "results\n"
              "1\ta.log\t-154\t0.0000\t100.00\t2\n"
              "2\tc.log\t-152\t1255.0189\t0.00\t1\n"
              "# distinct conformers: 2, results: 3\n");
    // The record text holds six significant digits.
    const std::string xyz = dir.read("unique_conformers.xyz");
    const std::size_t second = xyz.find("9\nc.log  E=-152  dE=1255.0189  group=2\n");
    ASSERT_NE(second, std::string::npos) << xyz;
    dir.write("frame.xyz", xyz.substr(second));
    CBasicConformer frame(9);
    ASSERT_TRUE(frame.read_xyz(dir.file("frame.xyz")));
    for (int i = 1; i <= 9; ++i) {
        const CVECTOR expected(moved[i - 1].x, moved[i - 1].y, moved[i - 1].z);
        EXPECT_EQ(frame.get_element(i).get_number(), moved[i - 1].number);
        EXPECT_NEAR(frame.get_vector(i).distance(expected), 0.0, 2e-5) << i;
    }
}

TEST_F(SortCollection, BadOptionsAndUnwritableEnsembleFiles) {
    const std::pair<std::vector<std::string>, std::string> refused[] = {
        {{"--energy", "G", "all_collection.txt", "9", "1"},
         "sort_collection: unknown option --energy (the options are --temperature K, "
         "--no-ensemble, --symmetry, --rmsd, --all-atoms, --mirror)\nusage: sort_collection "
         "collection_file atoms "
         "reference_atom [interchangeable_atom ...]\n"},
        {{"--temperature", "-1", "all_collection.txt", "9", "1"},
         "sort_collection: the temperature must be a positive number of kelvin, not -1\n"},
    };
    for (const auto& [args, err] : refused) {
        const RunResult r = run(args);
        EXPECT_EQ(r.status, 2) << err;
        EXPECT_EQ(r.err, err);
        EXPECT_EQ(r.out, "");
    }
    dir.write("all_collection.txt", block(1, "a.log", "-154.9877", "0 0 0.5", support::ethanol()));
    std::filesystem::create_directory(dir.path() / "ensemble.txt");
    const RunResult r = run({"all_collection.txt", "9", "1"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "sort_collection: cannot create file: ensemble.txt\n");
    EXPECT_EQ(dir.read("unique_list2.txt"), "a.log\t-154.9877\t0.5\t1\n");
}
