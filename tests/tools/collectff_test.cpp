#include <gtest/gtest.h>
#include "TestSupport.h"

#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

support::RunResult collect(const support::TempDir& dir) {
    return support::run_program(COLLECT_RECORDS_EXE, {}, dir.path());
}

// Record text of a one-atom result as sort_collection reads it: everything after the
// head word up to its "@".
std::string text(const std::string& name) {
    return " " + name +
           ".out\n B3LYP/6-31G(d) optimisation\nHF=-76.4089\n SCF Done\n"
           "Dipole= 0.0000 0.0000 0.8120\n Standard orientation\n ----\n"
           "O 0.000000 0.000000 0.119262\n ----\n";
}

std::string record(const std::string& head) { return head + text(head) + "@\n"; }

std::string block(int number, const std::string& record_text) {
    return support::collection_block(number, record_text);
}

TEST(CollectRecords, NumbersRecordsAcrossFilesInListOrder) {
    support::TempDir dir;
    dir.write("list.txt", "dvb_a.log\ndvb_b.log\n");
    dir.write("dvb_a.log",
              "conf1 dvb_conf1.out\n B3LYP/6-31G(d) optimisation\nHF=-382.3082666\n SCF Done\n"
              "Dipole= 0.0000 0.0000 0.0000\n Standard orientation\n ----\n"
              "C 0.269481 1.410087 0.000000\n ----\n@ end of conf1\n" +
                  record("conf2"));
    dir.write("dvb_b.log", "\n  " + record("conf7"));

    const auto run = collect(dir);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "dvb_a.log  conf1\ndvb_a.log  conf2\ndvb_b.log  conf7\n");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(dir.read("all_collection.txt"),
              support::read_file(support::test_data_dir() / "golden" / "all_collection.txt"));
}

TEST(CollectRecords, ListLines) {
    support::TempDir dir;
    for (const char* name : {"a", "b", "c"}) dir.write(name + ".log"s, record(name));

    dir.write("list.txt", "");
    auto run = collect(dir);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(dir.read("all_collection.txt"), "");

    // The rest of a line after a file that was read is skipped however long it is ...
    dir.write("list.txt", "a.log b.log" + std::string(5000, ' ') + "c.log\nc.log\n");
    run = collect(dir);
    EXPECT_EQ(run.out, "a.log  a\nc.log  c\n");

    // ... but after a file that cannot be opened the next name on the line is taken,
    // and the numbering goes on as if the file had not been listed.
    dir.write("list.txt", "gone.log b.log\nmissing.log\nc.log\n");
    run = collect(dir);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out,
              "cannot open file: gone.log\nb.log  b\ncannot open file: missing.log\nc.log  c\n");
    EXPECT_EQ(dir.read("all_collection.txt"), block(1, text("b")) + block(2, text("c")));
}

TEST(CollectRecords, EndOfRecordFile) {
    support::TempDir dir;
    dir.write("list.txt", "no_at.log\ntrailing.log\nbare_head.log\n");
    dir.write("no_at.log", record("w1") + "w2" + text("w2"));
    dir.write("trailing.log", record("w3") + "\n   \n\n");
    dir.write("bare_head.log", record("w4") + "w5");

    const auto run = collect(dir);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "no_at.log  w1\nno_at.log  w2\ntrailing.log  w3\nbare_head.log  w4\n");
    EXPECT_EQ(dir.read("all_collection.txt"), block(1, text("w1")) + block(2, text("w2")) +
                                                  block(3, text("w3")) + block(4, text("w4")));
}

TEST(CollectRecords, RecordsAreCopiedWholeByteForByte) {
    support::TempDir dir;
    std::string big = text("big");
    for (int atom = 0; atom < 3000; ++atom) big += "C 1.234567 -2.345678 3.456789\n";
    const std::string raw = text("raw") + "odd \0 and \xff bytes\r\n"s;
    dir.write("list.txt", "a.log\n");
    dir.write("a.log", "big" + big + "@ " + std::string(5000, 'x') + " trap\nraw" + raw + "@");

    const auto run = collect(dir);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "a.log  big\na.log  raw\n");
    EXPECT_EQ(dir.read("all_collection.txt"), block(1, big) + block(2, raw));
}

TEST(CollectRecords, UnreadableRecordFilesAreReportedAndSkipped) {
    support::TempDir dir;
    fs::create_directory(dir.path() / "folder.log");
    dir.write("locked.log", record("w9"));
    fs::permissions(dir.path() / "locked.log", fs::perms::none);
    const bool locked = !std::ifstream(dir.file("locked.log")).is_open();
    dir.write("b.log", record("w1"));
    dir.write("list.txt", "folder.log\nlocked.log\nb.log\n");

    const auto run = collect(dir);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "cannot open file: folder.log\n"s +
                           (locked ? "cannot open file: locked.log\nb.log  w1\n"
                                   : "locked.log  w9\nb.log  w1\n"));
    EXPECT_EQ(dir.read("all_collection.txt"),
              locked ? block(1, text("w1")) : block(1, text("w9")) + block(2, text("w1")));
}

TEST(CollectRecords, FileFailuresEndWithStatusOne) {
    support::TempDir dir;
    auto run = collect(dir);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "cannot open file : list.txt\n");
    EXPECT_FALSE(dir.exists("all_collection.txt"));

    dir.write("list.txt", "a.log\n");
    dir.write("a.log", record("w1"));
    fs::create_directory(dir.path() / "all_collection.txt");
    run = collect(dir);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "cannot create file: all_collection.txt\n");
    fs::remove(dir.path() / "all_collection.txt");

    // A full disk: a small collection fails when it is flushed on closing, a big one
    // while its records are still being copied.
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full to simulate a full disk";
    fs::create_symlink("/dev/full", dir.path() / "all_collection.txt");
    run = collect(dir);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "a.log  w1\ncannot write file: all_collection.txt\n");

    std::string many;
    for (int n = 0; n < 2000; ++n) many += record("w1");
    dir.write("a.log", many);
    run = collect(dir);
    EXPECT_EQ(run.status, 1);
    EXPECT_LT(run.out.size(), 5000u);
    const auto message = run.out.find("cannot");
    ASSERT_NE(message, std::string::npos);
    EXPECT_EQ(run.out.substr(message), "cannot write file: all_collection.txt\n");
}

}  // namespace
