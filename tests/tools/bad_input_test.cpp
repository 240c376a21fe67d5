// The bad-input matrix: every program run on missing, unreadable, empty, binary and cut
// inputs, impossible arguments, and a working directory whose result files cannot be
// written. Each row states the message and the exit status, and what became of the
// result files that an earlier run left in the directory: a row that fails must leave
// them as they were or say that it could not write them, one that succeeds must replace
// them whole.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "TestSupport.h"

namespace {

namespace fs = std::filesystem;

// What a stream or file must hold: anything, exactly this text, this text somewhere in
// it (where the text names a path of the machine), or this text at its start.
struct Text {
    enum Match { any, exact, part, start };
    Match match = any;
    std::string text{};
};

Text exact(std::string text) { return {Text::exact, std::move(text)}; }
Text part(std::string text) { return {Text::part, std::move(text)}; }
Text starting(std::string text) { return {Text::start, std::move(text)}; }

bool holds(const std::string& actual, const Text& expected) {
    switch (expected.match) {
        case Text::any: return true;
        case Text::exact: return actual == expected.text;
        case Text::part: return actual.find(expected.text) != std::string::npos;
        case Text::start: return actual.rfind(expected.text, 0) == 0;
    }
    return false;
}

std::string wanted(const Text& expected) {
    const char* const how[] = {"anything", "exactly", "a part", "a start"};
    return std::string(how[expected.match]) + ": \"" + expected.text + "\"";
}

// What a row needs of the machine: file permissions that stop a read (they do not for
// root) or a /dev/full to make writes fail.
enum class Needs { nothing, permissions, full_device };

using Setup = std::function<void(const fs::path& dir)>;

struct Row {
    const char* name;  // the test's name
    Setup setup;       // lays out the working directory, after the earlier results
    std::vector<std::string> args;
    int status;
    Text err;
    Text out = {};
    // Result files the run writes, with what they must hold; nothing else may appear.
    std::vector<std::pair<std::string, Text>> made = {};
    // Result files of the earlier run that must be left as they were.
    std::vector<std::string> untouched = {};
    Needs needs = Needs::nothing;
    // Set by the table: the program and the result files an earlier run left.
    const char* program = nullptr;
    std::vector<std::string> earlier = {};
};

void PrintTo(const Row& row, std::ostream* out) { *out << row.name; }

const std::string EARLIER_RESULT = "a result file of an earlier run\n";

// No program may hang or write without end on bad input.
const support::RunLimits LIMITS{20, 64ull << 20};

bool permissions_stop_reads() {
    static const bool stop = [] {
        support::TempDir dir;
        dir.write("locked", "x");
        fs::permissions(dir.path() / "locked", fs::perms::none);
        return !std::ifstream(dir.file("locked")).is_open();
    }();
    return static_cast<bool>(stop);
}

std::set<std::string> entries(const fs::path& dir) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.insert(entry.path().filename().string());
    return names;
}

class BadInput : public testing::TestWithParam<Row> {};

TEST_P(BadInput, Row) {
    const Row& row = GetParam();
    if (row.needs == Needs::permissions && !permissions_stop_reads())
        GTEST_SKIP() << "file permissions do not stop reads here (run as root)";
    if (row.needs == Needs::full_device && !fs::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full to make writes fail";

    support::TempDir dir;
    for (const std::string& file : row.earlier) dir.write(file, EARLIER_RESULT);
    row.setup(dir.path());
    // The earlier results the set-up left in place; each row says what becomes of them.
    std::vector<std::string> earlier;
    for (const std::string& file : row.earlier)
        if (fs::is_regular_file(dir.path() / file) && dir.read(file) == EARLIER_RESULT)
            earlier.push_back(file);
    const std::set<std::string> before = entries(dir.path());

    const support::RunResult r = support::run_program(row.program, row.args, dir.path(), LIMITS);
    EXPECT_EQ(r.status, row.status) << r.err;
    EXPECT_TRUE(holds(r.err, row.err)) << "standard error:\n"
                                       << r.err << "\nwanted " << wanted(row.err);
    EXPECT_TRUE(holds(r.out, row.out)) << "standard output:\n"
                                       << r.out << "\nwanted " << wanted(row.out);
    if (r.status != 0) {
        EXPECT_FALSE(r.out.empty() && r.err.empty()) << "a failure in silence";
    }

    std::set<std::string> accounted(row.untouched.begin(), row.untouched.end());
    for (const auto& [file, text] : row.made) {
        accounted.insert(file);
        ASSERT_TRUE(fs::is_regular_file(dir.path() / file)) << file << " was not written";
        const std::string written = dir.read(file);
        EXPECT_NE(written, EARLIER_RESULT) << file << " still holds the earlier result";
        EXPECT_TRUE(holds(written, text)) << file << ":\n"
                                          << written << "\nwanted " << wanted(text);
    }
    for (const std::string& file : row.untouched)
        EXPECT_EQ(dir.read(file), EARLIER_RESULT) << file << " was changed";
    for (const std::string& file : earlier)
        EXPECT_EQ(accounted.count(file), 1u) << "the row must say what becomes of " << file;
    for (const std::string& file : entries(dir.path())) {
        if (before.count(file) == 0) {
            EXPECT_EQ(accounted.count(file), 1u) << file << " was written unasked";
        }
    }
}

std::string row_name(const testing::TestParamInfo<Row>& info) { return info.param.name; }

std::vector<Row> table(const char* program, const std::vector<std::string>& earlier,
                       std::vector<Row> rows) {
    for (Row& row : rows) {
        row.program = program;
        row.earlier = earlier;
    }
    return rows;
}

// Every result file but these.
std::vector<std::string> all_but(const std::vector<std::string>& all,
                                 const std::set<std::string>& these) {
    std::vector<std::string> rest;
    for (const std::string& file : all)
        if (these.count(file) == 0) rest.push_back(file);
    return rest;
}

// Lay-out helpers for the set-ups.
std::string example(const std::string& file) {
    return support::read_file(fs::path(EXAMPLES_DIR) / file);
}

void put(const fs::path& dir, const std::string& name, const std::string& text) {
    support::write_file(dir / name, text);
}

void locked(const fs::path& dir, const std::string& name) {
    put(dir, name, "kept from every reader\n");
    fs::permissions(dir / name, fs::perms::none);
}

void folder(const fs::path& dir, const std::string& name) {
    fs::remove(dir / name);
    fs::create_directory(dir / name);
}

// A file that any write fails on, as on a full disk.
void full(const fs::path& dir, const std::string& name) {
    fs::remove(dir / name);
    fs::create_symlink("/dev/full", dir / name);
}

// The start of an executable: no blank, no line end, a NUL among its bytes.
const std::string BINARY = std::string(
    "\x7f"
    "ELF\x02\x01\x01\0\0\0\0\0\0\0\0\0\x02\0>\0\x01\0\0\0"
    "\xff\xfe\xfd\x80",
    28);

// The text up to the first occurrence of marker, and then keep more characters.
std::string cut_at(const std::string& text, const std::string& marker, std::size_t keep = 0) {
    const std::size_t at = text.find(marker);
    EXPECT_NE(at, std::string::npos) << marker;
    return text.substr(0, at + keep);
}

// ---------------------------------------------------------------------------------------
// collect_records

const std::vector<std::string> COLLECTION = {"all_collection.txt"};

// The five records of examples/records/batch1.txt, as their collection holds them.
void batch1(const fs::path& dir) { put(dir, "batch1.txt", example("records/batch1.txt")); }

const char* const BATCH1_NAMES =
    "batch1.txt  conf01\nbatch1.txt  conf02\nbatch1.txt  conf03\nbatch1.txt  conf04\n"
    "batch1.txt  conf05\n";

std::vector<Row> collect_records_rows() {
    const Text no_list = exact("cannot open file : list.txt\n");
    return table(
        COLLECT_RECORDS_EXE, COLLECTION,
        {
            {"ListMissing", batch1, {}, 1, exact(""), no_list, {}, COLLECTION},
            {"ListUnreadable",
             [](const fs::path& d) { locked(d, "list.txt"); },
             {},
             1,
             exact(""),
             no_list,
             {},
             COLLECTION,
             Needs::permissions},
            {"ListIsADirectory",
             [](const fs::path& d) { folder(d, "list.txt"); },
             {},
             1,
             exact(""),
             no_list,
             {},
             COLLECTION},
            {"ListEmpty",
             [](const fs::path& d) { put(d, "list.txt", ""); },
             {},
             0,
             exact(""),
             exact(""),
             {{"all_collection.txt", exact("")}}},
            // The bytes are one word, a name that no file has.
            {"ListBinary",
             [](const fs::path& d) { put(d, "list.txt", BINARY); },
             {},
             0,
             exact(""),
             exact("cannot open file: " + BINARY + "\n"),
             {{"all_collection.txt", exact("")}}},
            // The rest of a line after a name read is skipped however long; a name with a
            // blank is two names, each tried in turn after one that cannot be opened.
            {"ListOfLongLinesAndNamesWithBlanks",
             [](const fs::path& d) {
                 batch1(d);
                 put(d, "my records.txt", example("records/batch2.txt"));
                 put(d, "list.txt",
                     "batch1.txt" + std::string(100000, ' ') + "batch1.txt\nmy records.txt\n");
             },
             {},
             0,
             exact(""),
             exact(std::string(BATCH1_NAMES) +
                   "cannot open file: my\ncannot open file: records.txt\n"),
             {{"all_collection.txt", starting("NAME_1: conf01.log")}}},
            {"RecordFileMissing",
             [](const fs::path& d) {
                 batch1(d);
                 put(d, "list.txt", "gone.txt\nbatch1.txt\n");
             },
             {},
             0,
             exact(""),
             exact("cannot open file: gone.txt\n" + std::string(BATCH1_NAMES)),
             {{"all_collection.txt", starting("NAME_1: conf01.log")}}},
            {"RecordFileUnreadable",
             [](const fs::path& d) {
                 locked(d, "locked.txt");
                 put(d, "list.txt", "locked.txt\n");
             },
             {},
             0,
             exact(""),
             exact("cannot open file: locked.txt\n"),
             {{"all_collection.txt", exact("")}},
             {},
             Needs::permissions},
            {"RecordFileIsADirectory",
             [](const fs::path& d) {
                 folder(d, "records");
                 put(d, "list.txt", "records\n");
             },
             {},
             0,
             exact(""),
             exact("cannot open file: records\n"),
             {{"all_collection.txt", exact("")}}},
            {"RecordFileEmpty",
             [](const fs::path& d) {
                 put(d, "empty.txt", "");
                 put(d, "list.txt", "empty.txt\n");
             },
             {},
             0,
             exact(""),
             exact(""),
             {{"all_collection.txt", exact("")}}},
            // Records are copied byte for byte, whatever they hold: the head word is the
            // first word, the text runs to the "@".
            {"RecordFileBinary",
             [](const fs::path& d) {
                 put(d, "bin.dat", BINARY + "\n" + BINARY + "@ rest\n");
                 put(d, "list.txt", "bin.dat\n");
             },
             {},
             0,
             exact(""),
             exact("bin.dat  " + BINARY + "\n"),
             {{"all_collection.txt",
               exact("NAME_1:\n" + BINARY + "---------------------------------@\n")}}},
            // A list made with "ls > list.txt" after an earlier run: read while it was
            // written (past the first blocks that reach the disk), the collection grew
            // without end.
            {"ListNamesTheCollectionItself",
             [](const fs::path& d) {
                 std::string records;
                 for (int copy = 0; copy < 4; ++copy) records += example("records/batch1.txt");
                 put(d, "batch1.txt", records);
                 put(d, "list.txt", "batch1.txt\nall_collection.txt\n");
             },
             {},
             0,
             exact("collect_records: all_collection.txt is the collection being written: it is "
                   "not read as a record file\n"),
             exact(std::string(BATCH1_NAMES) + BATCH1_NAMES + BATCH1_NAMES + BATCH1_NAMES),
             {{"all_collection.txt", part("NAME_20: conf05.log")}}},
            {"CollectionIsADirectory",
             [](const fs::path& d) {
                 batch1(d);
                 put(d, "list.txt", "batch1.txt\n");
                 folder(d, "all_collection.txt");
             },
             {},
             1,
             exact(""),
             exact("cannot create file: all_collection.txt\n")},
            {"CollectionOnAFullDisk",
             [](const fs::path& d) {
                 batch1(d);
                 put(d, "list.txt", "batch1.txt\n");
                 full(d, "all_collection.txt");
             },
             {},
             1,
             exact(""),
             exact(std::string(BATCH1_NAMES) + "cannot write file: all_collection.txt\n"),
             {},
             {},
             Needs::full_device},
            {"ArgumentsAreIgnored",
             [](const fs::path& d) {
                 batch1(d);
                 put(d, "list.txt", "batch1.txt\n");
             },
             {"batch2.txt"},
             0,
             exact("collect_records: warning: the arguments are ignored: the record files are "
                   "named in list.txt\n"),
             exact(BATCH1_NAMES),
             {{"all_collection.txt", starting("NAME_1: conf01.log")}}},
            {"OptionIsRefused",
             batch1,
             {"--list", "batch1.txt"},
             2,
             exact("collect_records: unknown option --list (there is none but --help)\n"
                   "usage: collect_records\n"),
             exact(""),
             {},
             COLLECTION},
            {"HelpRunsNothing",
             batch1,
             {"--help"},
             0,
             exact(""),
             starting("usage: collect_records\n\nJoins the records"),
             {},
             COLLECTION},
        });
}

INSTANTIATE_TEST_SUITE_P(CollectRecords, BadInput, testing::ValuesIn(collect_records_rows()),
                         row_name);

// ---------------------------------------------------------------------------------------
// sort_outputs

const std::vector<std::string> SORTER_RESULTS = {"all_list2.txt", "unique_list2.txt",
                                                 "ensemble.txt", "unique_conformers.xyz"};
const std::vector<std::string> OUTPUT_SORTER_RESULTS = {
    "errorfile.txt", "all_list2.txt", "unique_list2.txt", "ensemble.txt", "unique_conformers.xyz"};

// conf01.log of the example search, read off the file: 15 atoms, "HF=-233.6618425",
// "Dipole=-0.5373697,0.2916534,-0.0324278" (the last component after a wrap).
const char* const CONF01_RESULT = "conf01.log\t-233.6618425\t0.612274009266\t1\n";
const std::vector<std::string> ARGS = {"15", "2e-5", "0.05", "0.15", "1"};

// conf01.log, and list.txt naming it and then the files given.
Setup conf01_and(const std::string& listed) {
    return [listed](const fs::path& d) {
        put(d, "conf01.log", example("outputs/conf01.log"));
        put(d, "list.txt", "conf01.log\n" + listed);
    };
}

// conf01.log, and beside it a broken file named broken.log, listed after it.
Setup conf01_and_broken(std::function<std::string(const std::string& conf01)> broken) {
    return [broken](const fs::path& d) {
        conf01_and("broken.log\n")(d);
        put(d, "broken.log", broken(example("outputs/conf01.log")));
    };
}

// A run that ranks conf01.log alone and leaves broken.log out for a reason.
Row left_out(const char* name, Setup setup, const std::string& reason,
             Needs needs = Needs::nothing) {
    return {name,
            std::move(setup),
            ARGS,
            0,
            exact("sort_outputs: broken.log: " + reason + "\n"),
            exact("conf01.log\nbroken.log\n"),
            {{"errorfile.txt", exact("broken.log\n")},
             {"all_list2.txt", exact(CONF01_RESULT)},
             {"unique_list2.txt", exact(CONF01_RESULT)},
             {"ensemble.txt", part("1\tconf01.log\t-233.6618425\t0.0000\t100.00\t1\n")},
             {"unique_conformers.xyz", starting("15\nconf01.log  E=-233.6618425")}},
            {},
            needs};
}

// A command line refused before anything is read.
Row refused_command_line(const char* name, std::vector<std::string> args, const std::string& why) {
    return {name,
            conf01_and(""),
            std::move(args),
            2,
            exact("sort_outputs: " + why + "\n"),
            exact(""),
            {},
            OUTPUT_SORTER_RESULTS};
}

// The run of conf01.log and gone.log up to the result file that cannot be written.
Row unwritable(const char* name, const char* file,
               void (*block)(const fs::path&, const std::string&),
               std::vector<std::pair<std::string, Text>> made) {
    std::vector<std::string> untouched;
    std::set<std::string> written = {file};
    for (const auto& m : made) written.insert(m.first);
    untouched = all_but(OUTPUT_SORTER_RESULTS, written);
    return {name,
            [file, block](const fs::path& d) {
                conf01_and("gone.log\n")(d);
                block(d, file);
            },
            ARGS,
            2,
            exact("sort_outputs: gone.log: cannot open\nsort_outputs: cannot create file: " +
                  std::string(file) + "\n"),
            {},
            std::move(made),
            std::move(untouched),
            block == full ? Needs::full_device : Needs::nothing};
}

std::vector<Row> sort_outputs_rows() {
    const Text no_list = exact("Cannot open file: list.txt\n");
    const std::string no_archive =
        "no \"HF=\" entry in an archive block (the job may have been killed before it ended)";
    const std::vector<std::pair<std::string, Text>> nothing_ranked = {
        {"errorfile.txt", exact("")},
        {"all_list2.txt", exact("")},
        {"unique_list2.txt", exact("")},
        {"ensemble.txt", starting("# group")},
        {"unique_conformers.xyz", exact("")}};
    return table(
        SORT_OUTPUTS_EXE, OUTPUT_SORTER_RESULTS,
        {
            {"ListMissing",
             [](const fs::path&) {},
             ARGS,
             1,
             exact(""),
             no_list,
             {},
             OUTPUT_SORTER_RESULTS},
            {"ListUnreadable",
             [](const fs::path& d) { locked(d, "list.txt"); },
             ARGS,
             1,
             exact("sort_outputs: list.txt is not a readable file\n"),
             no_list,
             {},
             OUTPUT_SORTER_RESULTS,
             Needs::permissions},
            {"ListIsADirectory",
             [](const fs::path& d) { folder(d, "list.txt"); },
             ARGS,
             1,
             exact("sort_outputs: list.txt is not a readable file\n"),
             no_list,
             {},
             OUTPUT_SORTER_RESULTS},
            {"ListEmpty", [](const fs::path& d) { put(d, "list.txt", ""); }, ARGS, 0, exact(""),
             exact(""), nothing_ranked},
            {"ListBinary",
             [](const fs::path& d) { put(d, "list.txt", BINARY); },
             ARGS,
             0,
             exact("sort_outputs: " + BINARY + ": cannot open\n"),
             exact(BINARY + "\n"),
             {{"errorfile.txt", exact(BINARY + "\n")},
              {"all_list2.txt", exact("")},
              {"unique_list2.txt", exact("")},
              {"ensemble.txt", starting("# group")},
              {"unique_conformers.xyz", exact("")}}},
            // The first word of each line counts: "conf 02.log" is "conf".
            {"ListOfLongLinesAndNamesWithBlanks",
             [](const fs::path& d) {
                 put(d, "conf01.log", example("outputs/conf01.log"));
                 put(d, "conf 02.log", example("outputs/conf02.log"));
                 put(d, "list.txt",
                     "conf01.log" + std::string(100000, ' ') + "conf01.log\nconf 02.log\n");
             },
             ARGS,
             0,
             exact("sort_outputs: conf: cannot open\n"),
             exact("conf01.log\nconf\n"),
             {{"errorfile.txt", exact("conf\n")},
              {"all_list2.txt", exact(CONF01_RESULT)},
              {"unique_list2.txt", exact(CONF01_RESULT)},
              {"ensemble.txt", starting("# group")},
              {"unique_conformers.xyz", starting("15\n")}}},
            left_out("OutputMissing", conf01_and("broken.log\n"), "cannot open"),
            left_out(
                "OutputUnreadable",
                [](const fs::path& d) {
                    conf01_and("broken.log\n")(d);
                    locked(d, "broken.log");
                },
                "cannot open", Needs::permissions),
            left_out(
                "OutputIsADirectory",
                [](const fs::path& d) {
                    conf01_and("broken.log\n")(d);
                    folder(d, "broken.log");
                },
                "cannot open"),
            left_out("OutputEmpty", conf01_and_broken([](const std::string&) { return ""; }),
                     no_archive),
            // A file that no program's banner opens is no output at all.
            left_out("OutputBinary", conf01_and_broken([](const std::string&) { return BINARY; }),
                     "not an output of Gaussian, ORCA or xtb"),
            left_out("OutputCutInsideTheFinalTable", conf01_and_broken([](const std::string& t) {
                         return t.substr(0, t.rfind("Standard orientation:") + 700);
                     }),
                     no_archive),
            left_out("OutputCutInsideTheArchiveBlock",
                     conf01_and_broken([](const std::string& t) { return cut_at(t, "RMSD="); }),
                     "no \"Dipole=\" entry after the last \"HF=\""),
            // "Dipole=-0.5373697,0.2916534,-" / " 0.03" and the end: it was ranked with
            // a dipole of lost digits.
            left_out("OutputCutInsideTheDipolesLastNumber",
                     conf01_and_broken([](const std::string& t) {
                         return cut_at(t, "0.0324278\\Quadrupole", 4);
                     }),
                     "no dipole vector after \"Dipole=\""),
            {"OutputsOfAnotherAtomCount",
             conf01_and(""),
             {"14", "2e-5", "0.05", "0.15", "1"},
             0,
             exact("sort_outputs: conf01.log: a final table of 15 atoms where 14 atoms were "
                   "asked for\n"),
             exact("conf01.log\n"),
             {{"errorfile.txt", exact("conf01.log\n")},
              {"all_list2.txt", exact("")},
              {"unique_list2.txt", exact("")},
              {"ensemble.txt", starting("# group")},
              {"unique_conformers.xyz", exact("")}}},
            {"AtomCount0",
             conf01_and(""),
             {"0", "2e-5", "0.05", "0.15", "1"},
             1,
             exact("sort_outputs: the atom count is 0: no output file can be read\n"),
             no_list,
             {},
             OUTPUT_SORTER_RESULTS},
            refused_command_line("AtomCount101", {"101", "2e-5", "0.05", "0.15", "1"},
                                 "the atom count must lie in 0..100, not 101"),
            refused_command_line("AtomCountMinus1", {"-1", "2e-5", "0.05", "0.15", "1"},
                                 "the atom count must lie in 0..100, not -1"),
            // atof reads a word as 0; the message names the word, not a 0 never typed.
            {"AtomCountNotANumber",
             conf01_and(""),
             {"fifteen", "2e-5", "0.05", "0.15", "1"},
             1,
             exact("sort_outputs: the atom count \"fifteen\" is not a number and reads as 0: no "
                   "output file can be read\n"),
             no_list,
             {},
             OUTPUT_SORTER_RESULTS},
            {"ToleranceNotANumber",
             conf01_and(""),
             {"15", "2e-5", "0.05", "tight", "1"},
             0,
             exact("sort_outputs: warning: the geometry tolerance \"tight\" is not a number and "
                   "reads as 0: only equal values match\n"),
             exact("conf01.log\n"),
             {{"errorfile.txt", exact("")},
              {"all_list2.txt", exact(CONF01_RESULT)},
              {"unique_list2.txt", exact(CONF01_RESULT)},
              {"ensemble.txt", starting("# group")},
              {"unique_conformers.xyz", starting("15\n")}}},
            refused_command_line("ReferenceAtomNotANumber", {"15", "2e-5", "0.05", "0.15", "C1"},
                                 "the reference atom must lie in 1..15, not C1"),
            refused_command_line("InterchangeableAtomOutsideTheMolecule",
                                 {"15", "2e-5", "0.05", "0.15", "1", "3", "16"},
                                 "an interchangeable atom must lie in 1..15, not 16"),
            {"ErrorFileIsADirectory",
             [](const fs::path& d) {
                 conf01_and("")(d);
                 folder(d, "errorfile.txt");
             },
             ARGS,
             1,
             exact("sort_outputs: cannot create file: errorfile.txt\n"),
             no_list,
             {},
             SORTER_RESULTS},
            {"ErrorFileOnAFullDisk",
             [](const fs::path& d) {
                 conf01_and("gone.log\n")(d);
                 full(d, "errorfile.txt");
             },
             ARGS,
             1,
             exact("sort_outputs: gone.log: cannot open\nsort_outputs: cannot write file: "
                   "errorfile.txt (1 unreadable files were to be named there)\n"),
             {},
             {{"all_list2.txt", exact(CONF01_RESULT)},
              {"unique_list2.txt", exact(CONF01_RESULT)},
              {"ensemble.txt", starting("# group")},
              {"unique_conformers.xyz", starting("15\n")}},
             {},
             Needs::full_device},
            unwritable("AllListIsADirectory", "all_list2.txt", folder,
                       {{"errorfile.txt", exact("gone.log\n")}}),
            unwritable("AllListOnAFullDisk", "all_list2.txt", full,
                       {{"errorfile.txt", exact("gone.log\n")}}),
            unwritable(
                "UniqueListOnAFullDisk", "unique_list2.txt", full,
                {{"errorfile.txt", exact("gone.log\n")}, {"all_list2.txt", exact(CONF01_RESULT)}}),
            unwritable("EnsembleOnAFullDisk", "ensemble.txt", full,
                       {{"errorfile.txt", exact("gone.log\n")},
                        {"all_list2.txt", exact(CONF01_RESULT)},
                        {"unique_list2.txt", exact(CONF01_RESULT)}}),
            unwritable("UniqueConformersIsADirectory", "unique_conformers.xyz", folder,
                       {{"errorfile.txt", exact("gone.log\n")},
                        {"all_list2.txt", exact(CONF01_RESULT)},
                        {"unique_list2.txt", exact(CONF01_RESULT)},
                        {"ensemble.txt", starting("# group")}}),
            {"HelpRunsNothing",
             conf01_and(""),
             {"--help"},
             0,
             exact(""),
             starting("usage: sort_outputs [options] atoms energy_tolerance"),
             {},
             OUTPUT_SORTER_RESULTS},
            {"HelpAmongOtherArgumentsRunsNothing",
             conf01_and(""),
             {"--temperature", "-5", "15", "--help"},
             0,
             exact(""),
             starting("usage: sort_outputs [options] atoms energy_tolerance"),
             {},
             OUTPUT_SORTER_RESULTS},
        });
}

INSTANTIATE_TEST_SUITE_P(SortOutputs, BadInput, testing::ValuesIn(sort_outputs_rows()), row_name);

// ---------------------------------------------------------------------------------------
// sort_collection

// Two ethanol records: anti a.log (dipole 0.3) and gauche b.log (dipole 0.5), 0.00065
// hartree apart.
std::string record(int label, const std::string& name) {
    return name == "a.log" ? support::collection_block(
                                 label, support::record_body(name, "-154.9876543", "0.1 0.2 0.2",
                                                             support::ethanol()))
                           : support::collection_block(
                                 label, support::record_body(name, "-154.9870000", "0.3 0 0.4",
                                                             support::gauche_ethanol()));
}

Setup collection(std::function<std::string()> text) {
    return [text](const fs::path& d) { put(d, "all_collection.txt", text()); };
}

const std::vector<std::string> COLLECTION_ARGS = {"all_collection.txt", "9", "1"};
const char* const A_RESULT = "a.log\t-154.9876543\t0.3\t1\n";

// A run that ranks a.log alone and leaves the record of b.log out for a reason.
Row record_left_out(const char* name, Setup setup, const std::string& reason) {
    return {name,
            std::move(setup),
            COLLECTION_ARGS,
            0,
            exact("sort_collection: NAME_2 (b.log): " + reason + "\n"),
            exact("0\ncannot read record: NAME_2\n"),
            {{"all_list2.txt", exact(A_RESULT)},
             {"unique_list2.txt", exact(A_RESULT)},
             {"ensemble.txt", part("1\ta.log\t-154.9876543\t0.0000\t100.00\t1\n")},
             {"unique_conformers.xyz", starting("9\na.log  E=-154.9876543")}}};
}

Row refused_collection_line(const char* name, std::vector<std::string> args,
                            const std::string& why) {
    return {name,
            collection([] { return record(1, "a.log") + record(2, "b.log"); }),
            std::move(args),
            2,
            exact("sort_collection: " + why + "\n"),
            exact(""),
            {},
            SORTER_RESULTS};
}

// The run of both records up to the result file that cannot be written.
Row collection_unwritable(const char* name, const char* file,
                          void (*block)(const fs::path&, const std::string&)) {
    std::vector<std::pair<std::string, Text>> made;
    for (const std::string& result : SORTER_RESULTS) {
        if (result == file) break;
        made.push_back({result, {}});
    }
    std::set<std::string> written = {file};
    for (const auto& m : made) written.insert(m.first);
    return {name,
            [file, block](const fs::path& d) {
                put(d, "all_collection.txt", record(1, "a.log") + record(2, "b.log"));
                block(d, file);
            },
            COLLECTION_ARGS,
            2,
            exact("sort_collection: cannot create file: " + std::string(file) + "\n"),
            exact("0\n2(1)  b.log  a.log  Energy diff!\n"),
            std::move(made),
            all_but(SORTER_RESULTS, written),
            block == full ? Needs::full_device : Needs::nothing};
}

std::vector<Row> sort_collection_rows() {
    const std::vector<std::pair<std::string, Text>> empty_results = {
        {"all_list2.txt", exact("")},
        {"unique_list2.txt", exact("")},
        {"ensemble.txt", starting("# group")},
        {"unique_conformers.xyz", exact("")}};
    return table(
        SORT_COLLECTION_EXE, SORTER_RESULTS,
        {
            {"CollectionMissing",
             [](const fs::path&) {},
             COLLECTION_ARGS,
             1,
             exact(""),
             exact("0\ncannot open file : all_collection.txt\n"),
             {},
             SORTER_RESULTS},
            {"CollectionUnreadable",
             [](const fs::path& d) { locked(d, "all_collection.txt"); },
             COLLECTION_ARGS,
             1,
             exact(""),
             exact("0\ncannot open file : all_collection.txt\n"),
             {},
             SORTER_RESULTS,
             Needs::permissions},
            {"CollectionIsADirectory",
             [](const fs::path& d) { folder(d, "all_collection.txt"); },
             COLLECTION_ARGS,
             1,
             exact(""),
             exact("0\ncannot open file : all_collection.txt\n"),
             {},
             SORTER_RESULTS},
            // collect_records writes an empty collection from an empty list.
            {"CollectionEmpty", collection([] { return ""; }), COLLECTION_ARGS, 0, exact(""),
             exact("0\n"), empty_results},
            {"CollectionBinary", collection([] { return BINARY; }), COLLECTION_ARGS, 0,
             exact("sort_collection: warning: all_collection.txt holds no record (no "
                   "\"NAME_<n>:\" label): the result files are empty\n"),
             exact("0\n"), empty_results},
            record_left_out("CollectionWithABrokenRecord", collection([] {
                                std::string text = record(1, "a.log") + record(2, "b.log");
                                return text.replace(text.rfind("HF=-154.987"), 6, "HF=abc");
                            }),
                            "no energy on the line of \"HF=\""),
            // "H -1.1372 -1.0317 -0.8847" cut to "-0.88": it was ranked so.
            record_left_out("CollectionCutInsideItsLastNumber", collection([] {
                                const std::string text = record(1, "a.log") + record(2, "b.log");
                                return text.substr(0, text.rfind("\n ----\n") - 2);
                            }),
                            "the file ends inside this record: no separator line after it"),
            {"RecordsOfAnotherAtomCount",
             collection([] { return record(1, "a.log") + record(2, "b.log"); }),
             {"all_collection.txt", "8", "1"},
             0,
             exact("sort_collection: NAME_1 (a.log): more than 8 atoms: an atom line follows "
                   "atom 8\nsort_collection: NAME_2 (b.log): more than 8 atoms: an atom line "
                   "follows atom 8\n"),
             exact("0\ncannot read record: NAME_1\ncannot read record: NAME_2\n"),
             empty_results},
            refused_collection_line("AtomCount0", {"all_collection.txt", "0", "1"},
                                    "the atom count must lie in 1..100, not 0"),
            refused_collection_line("AtomCount101", {"all_collection.txt", "101", "1"},
                                    "the atom count must lie in 1..100, not 101"),
            refused_collection_line("AtomCountMinus1", {"all_collection.txt", "-1", "1"},
                                    "the atom count must lie in 1..100, not -1"),
            refused_collection_line("AtomCountNotANumber", {"all_collection.txt", "nine", "1"},
                                    "the atom count must lie in 1..100, not nine"),
            refused_collection_line("ReferenceAtomNotANumber", {"all_collection.txt", "9", "C1"},
                                    "the reference atom must lie in 1..9, not C1"),
            refused_collection_line("InterchangeableAtomOutsideTheMolecule",
                                    {"all_collection.txt", "9", "1", "7", "10"},
                                    "an interchangeable atom must lie in 1..9, not 10"),
            // Read as a collection of no record, the results were written over it empty.
            {"ResultFileGivenAsTheCollection",
             collection([] { return record(1, "a.log"); }),
             {"all_list2.txt", "9", "1"},
             2,
             exact("sort_collection: all_list2.txt is a result file of this run, not a "
                   "collection: it would be written over\n"),
             exact(""),
             {},
             SORTER_RESULTS},
            collection_unwritable("AllListIsADirectory", "all_list2.txt", folder),
            collection_unwritable("UniqueListOnAFullDisk", "unique_list2.txt", full),
            collection_unwritable("EnsembleIsADirectory", "ensemble.txt", folder),
            collection_unwritable("UniqueConformersOnAFullDisk", "unique_conformers.xyz", full),
            {"HelpRunsNothing",
             collection([] { return record(1, "a.log"); }),
             {"all_collection.txt", "--help"},
             0,
             exact(""),
             starting("usage: sort_collection [options] collection_file atoms reference_atom"),
             {},
             SORTER_RESULTS},
        });
}

INSTANTIATE_TEST_SUITE_P(SortCollection, BadInput, testing::ValuesIn(sort_collection_rows()),
                         row_name);

// ---------------------------------------------------------------------------------------
// summarize_output: it writes no file; a run that failed says why on standard error.

Setup output(const std::string& name, std::function<std::string(const std::string&)> text) {
    return [name, text](const fs::path& d) { put(d, name, text(example("outputs/conf01.log"))); };
}

Row unsummarised(const char* name, Setup setup, const std::string& why,
                 Needs needs = Needs::nothing) {
    return {name,
            std::move(setup),
            {"15", "job.log"},
            1,
            exact("summarize_output: job.log: " + why + "\n"),
            exact("\tError!\n"),
            {},
            {},
            needs};
}

Row refused_atoms(const char* name, const std::string& atoms) {
    return {name,
            output("job.log", [](const std::string& t) { return t; }),
            {atoms, "job.log"},
            2,
            exact("summarize_output: the atom count must lie in 0..100, not " + atoms +
                  "\nusage: summarize_output atoms file [file ...]\n"),
            exact("")};
}

std::vector<Row> summarize_output_rows() {
    const auto whole = [](const std::string& t) { return t; };
    return table(
        SUMMARIZE_OUTPUT_EXE, {},
        {
            unsummarised(
                "OutputMissing", [](const fs::path&) {}, "cannot be read"),
            unsummarised(
                "OutputUnreadable", [](const fs::path& d) { locked(d, "job.log"); },
                "cannot be read", Needs::permissions),
            unsummarised(
                "OutputIsADirectory", [](const fs::path& d) { folder(d, "job.log"); },
                "cannot be read"),
            unsummarised("OutputEmpty", output("job.log", [](const std::string&) { return ""; }),
                         "no Normal termination"),
            // A file that no program's banner opens is no output at all.
            unsummarised("OutputBinary",
                         output("job.log", [](const std::string&) { return BINARY; }),
                         "not an output of Gaussian, ORCA or xtb"),
            unsummarised("OutputCutInsideTheFinalTable",
                         output("job.log",
                                [](const std::string& t) {
                                    return t.substr(0, t.rfind("Standard "
                                                               "orientation:") +
                                                           700);
                                }),
                         "no Normal termination"),
            unsummarised(
                "OutputCutInsideTheDipolesLastNumber",
                output("job.log",
                       [](const std::string& t) { return cut_at(t, "0.0324278\\Quadrupole", 4); }),
                "no Normal termination"),
            // An optimisation that ended normally, then a frequency step that was killed:
            // the first step's "Normal termination" made it pass for a finished job.
            unsummarised("OutputKilledInItsSecondJobStep",
                         output("job.log",
                                [](const std::string& t) {
                                    return t +
                                           " Link1:  Proceeding to internal job step number  "
                                           "2.\n" +
                                           cut_at(t, "Standard orientation:");
                                }),
                         "no Normal termination"),
            {"OutputOfAnotherAtomCount",
             output("job.log", whole),
             {"14", "job.log"},
             1,
             exact("summarize_output: job.log: no Standard orientation table of 14 atoms\n"),
             exact("\tError!\n")},
            // 0 takes the count from the file's final geometry.
            {"AtomCount0",
             output("job.log", whole),
             {"0", "job.log"},
             0,
             exact(""),
             starting("job.log\n")},
            refused_atoms("AtomCount101", "101"),
            refused_atoms("AtomCountMinus1", "-1"),
            refused_atoms("AtomCountNotANumber", "fifteen"),
            {"NoFile",
             output("job.log", whole),
             {"15"},
             2,
             exact("usage: summarize_output atoms file [file ...]\n"),
             exact("")},
            {"HelpRunsNothing",
             output("job.log", whole),
             {"15", "job.log", "--help"},
             0,
             exact(""),
             starting("usage: summarize_output atoms file [file ...]\n\nTells whether")},
        });
}

INSTANTIATE_TEST_SUITE_P(SummarizeOutput, BadInput, testing::ValuesIn(summarize_output_rows()),
                         row_name);

// ---------------------------------------------------------------------------------------
// generate_conformers: an input refused is refused before the log is opened, so that the
// log and the candidates of an earlier run stay as they were.

const std::vector<std::string> GENERATOR_RESULTS = {"GenerateConformer.log", "xyz_collection",
                                                    "mol.zmat", "mol.freedom"};
const std::vector<std::string> THREE_FILES = {"leucine.xyz", "leucine.zmat", "leucine.freedom"};

// The example's three files, one of them replaced by text made from the original; the
// name "" replaces none.
Setup leucine(const std::string& replaced = "",
              std::function<std::string(const std::string&)> text = nullptr) {
    return [replaced, text](const fs::path& d) {
        for (const std::string& file : THREE_FILES) {
            const std::string original = example("generator/" + file);
            put(d, file, file == replaced ? text(original) : original);
        }
    };
}

// The example's geometry alone, as mol.xyz, for the form that derives the other two.
Setup molecule(std::function<std::string(const std::string&)> text = nullptr) {
    return [text](const fs::path& d) {
        const std::string original = example("generator/leucine.xyz");
        put(d, "mol.xyz", text ? text(original) : original);
    };
}

// A test run of the three files with one replaced, refused for its cause.
Row refused_input(const char* name, Setup setup, std::vector<std::string> args,
                  const std::string& why, Needs needs = Needs::nothing) {
    return {name,
            std::move(setup),
            std::move(args),
            1,
            exact("generate_conformers: " + why + "\n"),
            exact(""),
            {},
            GENERATOR_RESULTS,
            needs};
}

std::vector<std::string> test_run(const char* xyz = "leucine.xyz",
                                  const char* zmatrix = "leucine.zmat",
                                  const char* freedom = "leucine.freedom") {
    return {xyz, zmatrix, freedom, "test"};
}

std::string first_lines(const std::string& text, int lines) {
    std::size_t at = 0;
    for (int i = 0; i < lines; ++i) at = text.find('\n', at) + 1;
    return text.substr(0, at);
}

// The leucine geometry with another count on its first line.
std::function<std::string(const std::string&)> counted(const std::string& count) {
    return [count](const std::string& t) { return count + t.substr(t.find('\n')); };
}

std::vector<Row> generate_conformers_rows() {
    const std::string links_refused =
        ": the link-matrix block is refused: a row line is missing or short, an atom number "
        "lies outside 1..22 or is given twice, or a reference does not follow the bond tree";
    const std::string count_line = ": the atom count on the first line must lie in 1..100, not ";
    const std::string not_an_entry =
        " is not \"a-b steps\": two atom numbers joined by one character, then the number of "
        "steps";
    return table(
        GENERATE_CONFORMERS_EXE, GENERATOR_RESULTS,
        {
            refused_input("GeometryMissing", leucine(), test_run("gone.xyz"),
                          "cannot read file: gone.xyz"),
            refused_input(
                "GeometryUnreadable",
                [](const fs::path& d) {
                    leucine()(d);
                    locked(d, "leucine.xyz");
                },
                test_run(), "cannot read file: leucine.xyz", Needs::permissions),
            refused_input(
                "GeometryIsADirectory",
                [](const fs::path& d) {
                    leucine()(d);
                    folder(d, "leucine.xyz");
                },
                test_run(), "cannot read file: leucine.xyz"),
            refused_input("GeometryEmpty",
                          leucine("leucine.xyz", [](const std::string&) { return ""; }), test_run(),
                          "leucine.xyz" + count_line + "\"\""),
            // The first word shown cut, its bytes that are no text as "?".
            refused_input("GeometryBinary",
                          leucine("leucine.xyz", [](const std::string&) { return BINARY; }),
                          test_run(), "leucine.xyz" + count_line + "\"?ELF?????????????\?>?...\""),
            refused_input("GeometryOfAtomCount0", leucine("leucine.xyz", counted("0")), test_run(),
                          "leucine.xyz" + count_line + "\"0\""),
            refused_input("GeometryOfAtomCount101", leucine("leucine.xyz", counted("101")),
                          test_run(), "leucine.xyz" + count_line + "\"101\""),
            refused_input("GeometryOfAtomCountMinus1", leucine("leucine.xyz", counted("-1")),
                          test_run(), "leucine.xyz" + count_line + "\"-1\""),
            refused_input(
                "GeometryCutInsideAnAtomLine",
                leucine("leucine.xyz", [](const std::string& t) { return cut_at(t, "0.142500"); }),
                test_run(),
                "leucine.xyz: not a geometry of 22 atoms: an atom line is missing or "
                "holds a field that is not a number"),
            // A count line one short: the molecule of the first 21 atoms was set up, its
            // two files written and run.
            refused_input("GeometryWithMoreAtomLinesThanItsCount", molecule(counted("21")),
                          {"--dry-run", "mol.xyz"},
                          "mol.xyz: more than the 21 atoms of its first line: an atom line "
                          "follows atom 21"),
            refused_input("ZmatrixMissing", leucine(), test_run("leucine.xyz", "gone.zmat"),
                          "cannot read file: gone.zmat"),
            refused_input("ZmatrixBinary",
                          leucine("leucine.zmat", [](const std::string&) { return BINARY; }),
                          test_run(), "leucine.zmat: the first line holds no atom count"),
            refused_input(
                "ZmatrixCut",
                leucine("leucine.zmat", [](const std::string& t) { return first_lines(t, 10); }),
                test_run(), "leucine.zmat" + links_refused),
            refused_input("ZmatrixNamesAnAtomThatDoesNotExist",
                          leucine("leucine.zmat",
                                  [](const std::string& t) {
                                      std::string text = t;
                                      return text.replace(text.find("\n22 9 7 20"), 3, "\n23");
                                  }),
                          test_run(), "leucine.zmat" + links_refused),
            refused_input("ZmatrixOfAnotherAtomCount", leucine("leucine.zmat", counted("21")),
                          test_run(),
                          "leucine.zmat: a Z-matrix of 21 atoms, but leucine.xyz holds 22"),
            refused_input("FreedomFileMissing", leucine(),
                          test_run("leucine.xyz", "leucine.zmat", "gone.freedom"),
                          "cannot read file: gone.freedom"),
            refused_input("FreedomFileEmpty",
                          leucine("leucine.freedom", [](const std::string&) { return ""; }),
                          test_run(),
                          "leucine.freedom: the count of rotatable bonds must lie in 1..20"),
            refused_input("FreedomFileCut",
                          leucine("leucine.freedom",
                                  [](const std::string& t) { return cut_at(t, "3-5 2", 2); }),
                          test_run(), "leucine.freedom: bond entry 4" + not_an_entry),
            refused_input("FreedomFileNamesAnAtomThatDoesNotExist",
                          leucine("leucine.freedom",
                                  [](const std::string& t) {
                                      std::string text = t;
                                      return text.replace(text.find("3-5 2"), 5, "3-50 2");
                                  }),
                          test_run(),
                          "leucine.freedom: bond entry 4 (3-50 2) names an atom outside 1..22"),
            refused_input("FreedomFileNamesNoBond",
                          leucine("leucine.freedom",
                                  [](const std::string& t) {
                                      std::string text = t;
                                      return text.replace(text.find("3-5 2"), 5, "1-5 2");
                                  }),
                          test_run(),
                          "leucine.freedom: bond entry 4 (1-5 2): atoms 1 and 5 are not bonded in "
                          "the tree of leucine.zmat"),
            {"StepsNotANumber",
             molecule(),
             {"--steps", "three", "mol.xyz"},
             2,
             exact("generate_conformers: --steps must be a whole number of steps in 1..9, not "
                   "\"three\"\n"),
             exact(""),
             {},
             GENERATOR_RESULTS},
            {"UnknownMode",
             leucine(),
             {"leucine.xyz", "leucine.zmat", "leucine.freedom", "fast"},
             2,
             starting("generate_conformers: unknown mode \"fast\": gjf, xyz, collect or test\n"
                      "usage: generate_conformers"),
             exact(""),
             {},
             GENERATOR_RESULTS},
            {"LogIsADirectory",
             [](const fs::path& d) {
                 leucine()(d);
                 folder(d, "GenerateConformer.log");
             },
             test_run(),
             1,
             exact("generate_conformers: cannot create the run log GenerateConformer.log\n"),
             exact(""),
             {},
             all_but(GENERATOR_RESULTS, {"GenerateConformer.log"})},
            // A test run leaves only its log; on a full disk it ended with status 0.
            {"LogOnAFullDisk",
             [](const fs::path& d) {
                 leucine()(d);
                 full(d, "GenerateConformer.log");
             },
             test_run(),
             1,
             exact("generate_conformers: cannot write file: GenerateConformer.log: the log of "
                   "the run is incomplete\n"),
             part("Mission completed!\n"),
             {},
             all_but(GENERATOR_RESULTS, {"GenerateConformer.log"}),
             Needs::full_device},
            {"CollectionOnAFullDisk",
             [](const fs::path& d) {
                 leucine()(d);
                 full(d, "xyz_collection");
             },
             {"leucine.xyz", "leucine.zmat", "leucine.freedom", "collect"},
             1,
             exact("xyz_collection: cannot be written; the run goes on and counts the candidates "
                   "not written\ngenerate_conformers: 108 of 108 candidate records could not be "
                   "written to xyz_collection\n"),
             part("Mission completed!\n"),
             {{"GenerateConformer.log", part("xyz_collection: cannot be written")}},
             all_but(GENERATOR_RESULTS, {"GenerateConformer.log", "xyz_collection"}),
             Needs::full_device},
            {"CandidateFolderIsAFile",
             [](const fs::path& d) {
                 leucine()(d);
                 put(d, "GaussionFiles", "a file where the folder would be\n");
             },
             {"leucine.xyz", "leucine.zmat", "leucine.freedom"},
             1,
             exact("GaussionFiles/1111.txt: cannot be written; the run goes on and counts the "
                   "candidates not written\ngenerate_conformers: 108 of 108 candidate files could "
                   "not be written into GaussionFiles\n"),
             part("Mission completed!\n"),
             {{"GenerateConformer.log", part("Unwritten: 108\n")}},
             all_but(GENERATOR_RESULTS, {"GenerateConformer.log"})},
            // The derived Z-matrix file is written first; the edit it held is named.
            {"DerivedFreedomFileOnAFullDisk",
             [](const fs::path& d) {
                 molecule()(d);
                 full(d, "mol.freedom");
             },
             {"--dry-run", "mol.xyz"},
             1,
             exact("generate_conformers: warning: mol.zmat held other text and is replaced; to "
                   "run an edited file, give the three files\n"
                   "generate_conformers: cannot write file: mol.freedom\n"),
             exact(""),
             {{"mol.zmat", starting("22\n")}},
             {"GenerateConformer.log", "xyz_collection"},
             Needs::full_device},
            {"DerivedZmatrixFileIsADirectory",
             [](const fs::path& d) {
                 molecule()(d);
                 folder(d, "mol.zmat");
             },
             {"--dry-run", "mol.xyz"},
             1,
             exact("generate_conformers: cannot write file: mol.zmat\n"),
             exact(""),
             {},
             all_but(GENERATOR_RESULTS, {"mol.zmat"})},
            {"HelpRunsNothing",
             leucine(),
             {"--help", "leucine.xyz", "leucine.zmat", "leucine.freedom"},
             0,
             exact(""),
             starting("usage: generate_conformers [--steps N] [--dry-run] xyz_file"),
             {},
             GENERATOR_RESULTS},
        });
}

INSTANTIATE_TEST_SUITE_P(GenerateConformers, BadInput,
                         testing::ValuesIn(generate_conformers_rows()), row_name);

}  // namespace
