// Each program's usage text in docs/programs.md is its --help output, character for
// character: the fenced block after the line "<!-- help: <program> -->".
#include <gtest/gtest.h>

#include <filesystem>
#include "TestSupport.h"

#include <map>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Program {
    const char* name;
    const char* executable;
};

// Test names and failures name the program.
void PrintTo(const Program& program, std::ostream* out) { *out << program.name; }

// Every program with its built executable, from the list in tests/CMakeLists.txt.
const Program PROGRAMS[] = {
#include "program_table.inc"
};

const std::string MARKER_START = "<!-- help: ";
const std::string MARKER_END = " -->";
const std::string FENCE = "```";

// The help blocks of a Markdown text by program name, each line with its line end, and
// what is wrong with the markers ("line 12: ..."): a marker whose next line opens no
// fence, a block never closed, a program given two blocks.
struct HelpBlocks {
    std::map<std::string, std::string> text;
    std::vector<std::string> faults;
};

bool is_marker(const std::string& line) {
    return line.size() > MARKER_START.size() + MARKER_END.size() &&
           line.compare(0, MARKER_START.size(), MARKER_START) == 0 &&
           line.compare(line.size() - MARKER_END.size(), MARKER_END.size(), MARKER_END) == 0;
}

HelpBlocks help_blocks(const std::string& markdown) {
    HelpBlocks blocks;
    std::istringstream in(markdown);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!is_marker(line)) continue;
        const std::string name =
            line.substr(MARKER_START.size(), line.size() - MARKER_START.size() - MARKER_END.size());
        const int marker_line = number;
        const auto fault = [&](const std::string& what) {
            blocks.faults.push_back("line " + std::to_string(marker_line) + ": " + what);
        };
        if (!std::getline(in, line) || line != FENCE) {
            fault("the help block of " + name + " does not open with " + FENCE +
                  " on the next line");
            continue;
        }
        ++number;
        std::string text;
        bool closed = false;
        while (std::getline(in, line)) {
            ++number;
            if (line == FENCE) {
                closed = true;
                break;
            }
            text += line + "\n";
        }
        if (!closed) fault("the help block of " + name + " is not closed with " + FENCE);
        if (!blocks.text.emplace(name, text).second) fault(name + " has a second help block");
    }
    return blocks;
}

const HelpBlocks& programs_md() {
    static const HelpBlocks blocks = help_blocks(support::read_file(PROGRAMS_MD));
    return blocks;
}

class HelpText : public testing::TestWithParam<Program> {};

TEST_P(HelpText, IsTheUsageTextOfProgramsMd) {
    const Program& program = GetParam();
    const auto& blocks = programs_md().text;
    const auto block = blocks.find(program.name);
    ASSERT_TRUE(block != blocks.end())
        << PROGRAMS_MD << " has no help block of " << program.name << ": add the line "
        << MARKER_START << program.name << MARKER_END << " and after it, between two " << FENCE
        << " lines, the output of " << program.name << " --help";

    support::TempDir dir;
    const support::RunResult run = support::run_program(program.executable, {"--help"}, dir.path());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, block->second)
        << "the help block of " << program.name << " in " << PROGRAMS_MD
        << " is not its --help output: change the one that is wrong (scripts/help-docs.sh "
           "writes the programs' own)";
    // -h is the same help, wherever it stands, and nothing is run or written.
    const support::RunResult short_form =
        support::run_program(program.executable, {"1", "-h"}, dir.path());
    EXPECT_EQ(short_form.status, 0);
    EXPECT_EQ(short_form.out, run.out);
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

INSTANTIATE_TEST_SUITE_P(Programs, HelpText, testing::ValuesIn(PROGRAMS),
                         [](const testing::TestParamInfo<Program>& info) {
                             return std::string(info.param.name);
                         });

// A block of a program that no longer exists, or one the test cannot read, would never
// be compared.
TEST(HelpTextBlocks, AreWellFormedAndNameBuiltPrograms) {
    const HelpBlocks& blocks = programs_md();
    EXPECT_EQ(blocks.faults, std::vector<std::string>{}) << PROGRAMS_MD;
    for (const auto& block : blocks.text) {
        bool built = false;
        for (const Program& program : PROGRAMS) built = built || block.first == program.name;
        EXPECT_TRUE(built) << PROGRAMS_MD << " has a help block of " << block.first
                           << ", which is not among the programs of tests/CMakeLists.txt";
    }
}

}  // namespace
