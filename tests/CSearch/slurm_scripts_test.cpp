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

// Names go into #SBATCH lines unquoted: nothing the shell or sbatch would split.
TEST(SlurmScripts, NamesAndWordsSurviveTheShell) {
    for (const std::string name : {"short", "short,long", "chem-lab_2.a"})
        EXPECT_EQ(slurm_name_fault(name), "") << name;
    for (const std::string name : {"", "my group", "a;b", "x\n", "$USER"})
        EXPECT_NE(slurm_name_fault(name), "") << name;

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

// Gaussian's threads are CPUs of one task, ORCA's MPI processes tasks of one node; Gaussian
// needs memory beyond its %mem, ORCA's %maxcore already holds a quarter back.
TEST(SlurmScripts, ResourcesOfOneJobByProgram) {
    struct Case {
        InputFormat format;
        int processors;
        const char* memory;
        int tasks;
        int cpus;
        long megabytes;
    };
    const Case cases[] = {
        {InputFormat::gaussian, 8, "4GB", 1, 8, 4 * 1024 + 1024},
        {InputFormat::gaussian, 0, nullptr, 1, 1, 0},
        {InputFormat::orca, 4, "8GB", 4, 1, 8 * 1024},
        {InputFormat::orca, 0, "500MB", 1, 1, 500},
    };
    for (const Case& k : cases) {
        InputSettings settings;
        settings.format = k.format;
        settings.processors = k.processors;
        if (k.memory) settings.memory = job_memory(k.memory);
        SlurmResources given;
        given.time = "1:00:00";
        const SlurmResources resources = program_resources(settings, given);
        EXPECT_EQ(resources.tasks, k.tasks) << k.processors;
        EXPECT_EQ(resources.cpus_per_task, k.cpus) << k.processors;
        EXPECT_EQ(resources.megabytes, k.megabytes) << k.processors;
        EXPECT_EQ(resources.time, "1:00:00");
    }
}

TEST(SlurmScripts, HeadHasALineForEveryResourceGiven) {
    SlurmResources resources;
    resources.job_name = "butanol";
    EXPECT_EQ(sbatch_head(resources, 6),
              "#!/bin/bash\n"
              "#SBATCH --job-name=butanol\n"
              "#SBATCH --array=1-6\n"
              "#SBATCH --nodes=1\n"
              "#SBATCH --ntasks=1\n"
              "#SBATCH --cpus-per-task=1\n"
              "#SBATCH --output=slurm-%A_%a.txt\n");
    resources = {"my run", 4, 2, 3000, "2-00:00:00", "short,long", "chem", 10};
    EXPECT_EQ(sbatch_head(resources, 250),
              "#!/bin/bash\n"
              "#SBATCH --job-name=my_run\n"
              "#SBATCH --array=1-250%10\n"
              "#SBATCH --nodes=1\n"
              "#SBATCH --ntasks=4\n"
              "#SBATCH --cpus-per-task=2\n"
              "#SBATCH --mem=3000M\n"
              "#SBATCH --time=2-00:00:00\n"
              "#SBATCH --partition=short,long\n"
              "#SBATCH --account=chem\n"
              "#SBATCH --output=slurm-%A_%a.txt\n");
}

TEST(SlurmScripts, OutputsAndSubmissionByFormat) {
    EXPECT_EQ(program_output_name(InputFormat::gaussian, "butanol_001.gjf"), "butanol_001.log");
    EXPECT_EQ(program_output_name(InputFormat::orca, "butanol_001.inp"), "butanol_001.out");
    EXPECT_EQ(program_output_name(InputFormat::orca, "v1.2_007.inp"), "v1.2_007.out");
    EXPECT_EQ(default_program(InputFormat::gaussian), "g16");
    EXPECT_EQ(default_program(InputFormat::orca), "orca");
    EXPECT_EQ(sbatch_command("run 2/butanol_inputs", "butanol.sbatch"),
              "cd run\\ 2/butanol_inputs && sbatch butanol.sbatch");
}
