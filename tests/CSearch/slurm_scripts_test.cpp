#include "CSearch/slurm_scripts.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace confsearch;

}  // namespace

// What sbatch takes as a time limit, and the slips a chemist makes typing one.
TEST(SlurmScripts, TimeLimitsAsSbatchTakesThem) {
    struct Case {
        std::string time;
        bool taken;
    };
    const Case cases[] = {
        {"90", true},      {"90:30", true},       {"12:00:00", true},   {"2-12", true},
        {"2-12:30", true}, {"2-00:00:00", true},  {"0", true},          {"", false},
        {"12h", false},    {"1:00:00:00", false}, {"2-", false},        {"-2", false},
        {"1-2-3", false},  {"12::00", false},     {"12:00:00 ", false}, {"1234567", false},
        {"1.5", false},
    };
    for (const Case& k : cases)
        EXPECT_EQ(slurm_time_fault(k.time).empty(), k.taken) << "\"" << k.time << "\"";
    EXPECT_EQ(slurm_time_fault("12h"),
              "a time limit is minutes, hours:minutes:seconds or days-hours:minutes:seconds "
              "(\"90\", \"12:00:00\", \"2-00:00:00\"), not \"12h\"");
}

// Input names and program paths go into the script as words bash reads back unchanged.
TEST(SlurmScripts, WordsSurviveTheShell) {
    struct Case {
        std::string word;
        std::string quoted;
    };
    const Case cases[] = {
        {"butanol_001.gjf", "butanol_001.gjf"},
        {"/opt/orca-6.0/orca", "/opt/orca-6.0/orca"},
        {"my inputs", "my\\ inputs"},
        {"it's", "it\\'s"},
        {"$HOME/g16", "\\$HOME/g16"},
        {"a*b;c", "a\\*b\\;c"},
        {"", "''"},
        {"two\nlines", "'two\nlines'"},
    };
    for (const Case& k : cases) EXPECT_EQ(shell_word(k.word), k.quoted);
}
