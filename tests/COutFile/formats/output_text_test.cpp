#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "COutFile/formats/output_text.h"
#include "TestSupport.h"

using confsearch::OutputText;

namespace {

// About 700 KB of output-like lines, long enough for both ends to be read in several
// pieces, with keys at the start, near the end and across piece boundaries.
std::string long_text() {
    std::string text = "HEAD KEY at the start\n";
    for (int i = 0; text.size() < 700000; ++i) {
        text += "  line " + std::to_string(i) + " of an SCF iteration   -382.05510861 Eh\r\n";
        if (i % 4000 == 17) text += "MIDDLE KEY " + std::to_string(i) + "\n";
    }
    return text + "TAIL KEY near the end\nlast line";
}

}  // namespace

// Whatever has been read before, in pieces large or small, every search gives what a
// search of the whole text in memory gives, and no byte of the file is read twice.
TEST(OutputText, SearchesFromEitherEndAgreeWithTheWholeText) {
    const std::string whole = long_text();
    support::TempDir dir;
    dir.write("long.out", whole);
    const std::vector<std::string> keys = {"HEAD KEY", "MIDDLE KEY", "TAIL KEY", "\n", "absent"};
    const std::vector<std::size_t> places = {
        0,           1, 65535, 65536, 65537, 200000, 350000, whole.size() - 70000, whole.size() - 1,
        whole.size()};
    for (std::size_t piece : {OutputText::FIRST_PIECE, std::size_t{7}}) {
        OutputText shared;
        ASSERT_TRUE(shared.open(dir.file("long.out"), piece).ok());
        for (const std::string& key : keys) {
            for (std::size_t at : places) {
                OutputText fresh;
                ASSERT_TRUE(fresh.open(dir.file("long.out"), piece).ok());
                // The last occurrence that ends at or before `before` starts at or before `at`.
                const std::size_t before = at + key.size();
                for (OutputText* text : {&fresh, &shared}) {
                    EXPECT_EQ(text->find(key, at), whole.find(key, at)) << key << " from " << at;
                    EXPECT_EQ(text->rfind(key, before), whole.rfind(key, at))
                        << key << " before " << before;
                }
                EXPECT_LE(fresh.bytes_read(), whole.size());
            }
        }
        EXPECT_EQ(shared.bytes_read(), whole.size());
    }
}

// A line comes without its line end, CR LF or LF; line numbers count from 1.
TEST(OutputText, LinesComeWithoutTheirEndsAndAreCountedFromOne) {
    const std::string whole = long_text();
    support::TempDir dir;
    dir.write("long.out", whole);
    OutputText text;
    ASSERT_TRUE(text.open(dir.file("long.out")).ok());
    const std::size_t tail = whole.find("TAIL KEY");
    EXPECT_EQ(text.line(tail + 3), "TAIL KEY near the end");
    EXPECT_EQ(text.line(whole.size()), "last line");
    EXPECT_EQ(text.line(whole.find("line 5 of")),
              "  line 5 of an SCF iteration   -382.05510861 Eh");
    EXPECT_EQ(text.next_line(tail), whole.find("last line"));
    EXPECT_EQ(text.line_number(0), 1);
    EXPECT_EQ(text.line_number(tail),
              1 + std::count(whole.begin(), whole.begin() + static_cast<long>(tail), '\n'));
    EXPECT_EQ(text.rfind_line("KEY"), OutputText::npos);
    EXPECT_EQ(text.rfind_line("TAIL KEY"), tail);
}

// ORCA on Windows writes UTF-16LE with a byte-order mark; big-endian files exist too. Both
// are held as UTF-8, characters beyond the first plane included.
TEST(OutputText, Utf16FilesAreHeldAsUtf8) {
    const std::string utf8 =
        "Casanova-P\xc3\xa1"
        "ez \xe2\x80\x93 \xf0\x9f\x98\x80\r\nFINAL SINGLE POINT ENERGY  -1.5\r\n";
    // The same characters as UTF-16 code units.
    const std::vector<unsigned> units = {'C',    'a', 's',    'a',    'n',  'o', 'v',
                                         'a',    '-', 'P',    0xE1,   'e',  'z', ' ',
                                         0x2013, ' ', 0xD83D, 0xDE00, '\r', '\n'};
    const std::string rest = "FINAL SINGLE POINT ENERGY  -1.5\r\n";
    for (bool little : {true, false}) {
        std::string bytes = little ? "\xff\xfe" : "\xfe\xff";
        auto put = [&](unsigned u) {
            const char low = static_cast<char>(u & 0xFF);
            const char high = static_cast<char>(u >> 8);
            bytes += little ? std::string{low, high} : std::string{high, low};
        };
        for (unsigned u : units) put(u);
        for (char c : rest) put(static_cast<unsigned char>(c));
        support::TempDir dir;
        dir.write("windows.out", bytes);
        OutputText text;
        ASSERT_TRUE(text.open(dir.file("windows.out")).ok());
        EXPECT_EQ(std::string(text.head(text.size())), utf8) << (little ? "LE" : "BE");
        EXPECT_EQ(text.line(text.find("FINAL", 0)), "FINAL SINGLE POINT ENERGY  -1.5");
        EXPECT_EQ(text.line_number(text.find("FINAL", 0)), 2);
    }
}
