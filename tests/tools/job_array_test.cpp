// The job-array scripts of prepare_inputs, their tasks run here one by one as SLURM would
// run them, with stand-ins for Gaussian and ORCA.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "TestSupport.h"

namespace {

namespace fs = std::filesystem;
using support::RunResult;

const char* const ENV = "/usr/bin/env";
const std::vector<std::string> SORT = {"15", "0.00002", "0.05", "0.15", "1", "3", "4", "5"};

// Stands in for Gaussian: reads the input on standard input and answers with the example
// search's log of the conformer its title names ("butanol 001 conf01.log E=..."), or as
// Gaussian ends an error (FAKE_G16=fail: the log cut, "Error termination", status 1), or
// as the scheduler ends a task (FAKE_G16=killed: the log cut, SIGKILL).
const std::string FAKE_G16 = R"(#!/bin/bash
source=$EXAMPLES/$(grep -o -m 1 'conf[0-9]*\.log')
case "${FAKE_G16:-}" in
    fail) head -n 150 "$source"
          echo " Error termination via Lnk1e in /opt/g16/l103.exe at Tue Mar 12 19:38:12 2024."
          exit 1 ;;
    killed) head -n 150 "$source"
            kill -KILL $$ ;;
esac
cat "$source"
)";
// Stands in for ORCA: says how it was called.
const std::string FAKE_ORCA = "#!/bin/bash\necho \"$0 $*\"\n";

std::vector<std::string> listing(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// An xyz file of conformers without their files' names: what ranking them again must keep.
std::string unnamed(const std::string& xyz) {
    std::istringstream lines(xyz);
    std::string text;
    for (std::string line; std::getline(lines, line);)
        text += (line.find(" E=") != std::string::npos ? line.substr(line.find(' ')) : line) + '\n';
    return text;
}

// A working directory holding butan-2-ol's six distinct conformers (the example search
// ranked by sort_outputs) and a bin/ of stand-in programs.
struct Search {
    support::TempDir dir;
    Search() {
        for (const auto& entry : fs::directory_iterator(fs::path(EXAMPLES_DIR) / "outputs"))
            dir.write(entry.path().filename().string(), support::read_file(entry.path()));
        EXPECT_EQ(support::run_program(SORT_OUTPUTS_EXE, SORT, dir.path()).status, 0);
        fs::create_directory(dir.path() / "bin");
        for (const auto& [name, text] : {std::pair{"g16", FAKE_G16}, {"orca", FAKE_ORCA}}) {
            dir.write(std::string("bin/") + name, text);
            chmod(dir.file(std::string("bin/") + name).c_str(), 0755);
        }
    }
    RunResult prepare(const std::vector<std::string>& args) const {
        return support::run_program(PREPARE_INPUTS_EXE, args, dir.path());
    }
    // One task, as SLURM starts it in the folder it was submitted from, the stand-ins first
    // on the PATH.
    RunResult task(const std::string& folder, const std::string& script, int task,
                   const std::string& mode = "") const {
        return support::run_program(ENV,
                                    {"SLURM_ARRAY_TASK_ID=" + std::to_string(task),
                                     "FAKE_G16=" + mode, "EXAMPLES=" + dir.path().string(),
                                     "PATH=" + dir.file("bin") + ":/usr/bin:/bin", "bash", script},
                                    dir.path() / folder);
    }
};

}  // namespace

// Every task's output lands beside its input, and sort_outputs ranks them where they lie:
// the same six conformers as before.
TEST(JobArray, TasksRunHereAndTheSorterRanksTheirOutputs) {
    const Search search;
    const RunResult r = search.prepare({"unique_conformers.xyz", "--stem", "butanol", "--nproc",
                                        "8", "--mem", "4GB", "--slurm", "--time", "12:00:00",
                                        "--partition", "short", "--max-running", "4"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "6 Gaussian inputs, butanol_inputs/butanol_001.gjf to butanol_006.gjf\n"
              "job array of 6 tasks: butanol_inputs/butanol.sbatch, its outputs in "
              "butanol_inputs/list.txt\nsubmit: cd butanol_inputs && sbatch butanol.sbatch\n");
    const fs::path folder = search.dir.path() / "butanol_inputs";
    const std::string script = support::read_file(folder / "butanol.sbatch");
    // Gaussian's memory outside its %mem of 4 GB asks for 1 GB more.
    EXPECT_EQ(script.substr(0, script.find("#\n")),
              "#!/bin/bash\n#SBATCH --job-name=butanol\n#SBATCH --array=1-6%4\n"
              "#SBATCH --nodes=1\n#SBATCH --ntasks=1\n#SBATCH --cpus-per-task=8\n"
              "#SBATCH --mem=5120M\n#SBATCH --time=12:00:00\n#SBATCH --partition=short\n"
              "#SBATCH --output=slurm-%A_%a.txt\n");
    EXPECT_EQ(support::read_file(folder / "list.txt"),
              "butanol_001.log\nbutanol_002.log\nbutanol_003.log\nbutanol_004.log\n"
              "butanol_005.log\nbutanol_006.log\n");

    for (int task = 1; task <= 6; ++task) {
        const RunResult t = search.task("butanol_inputs", "butanol.sbatch", task);
        EXPECT_EQ(t.status, 0) << task << ": " << t.err;
    }
    ASSERT_EQ(support::run_program(SORT_OUTPUTS_EXE, SORT, folder).status, 0);
    const std::string after = support::read_file(folder / "unique_conformers.xyz");
    EXPECT_NE(after.find("\nbutanol_006.log  E=-233.6589954  dE=1.7866  group=6\n"),
              std::string::npos);
    EXPECT_EQ(unnamed(after), unnamed(search.dir.read("unique_conformers.xyz")));
}

// A failed program's log is kept as its output, and the sorter refuses it for want of a
// normal termination; a task the scheduler killed leaves no output, only the part written
// under another name; a task outside the array, from another folder or on a node without
// the program runs nothing.
TEST(JobArray, FailedAndKilledTasksAreSeenNotRanked) {
    const Search search;
    ASSERT_EQ(search.prepare({"unique_conformers.xyz", "--slurm"}).status, 0);
    const std::string folder = "unique_conformers_inputs";
    const std::string script = "unique_conformers.sbatch";
    struct Case {
        int task;
        std::string mode;
        int status;
        std::string err;
    };
    const Case cases[] = {
        {1, "", 0, ""},
        {2, "fail", 1,
         "unique_conformers_002.gjf: g16 ended with exit status 1; its output is "
         "unique_conformers_002.log\n"},
        {3, "killed", 137,
         "unique_conformers_003.gjf: g16 was ended by signal 9; its output so far is "
         "unique_conformers_003.log.partial\n"},
        {7, "", 2, "task \"7\" is not one of 1..6: submit this script with sbatch\n"},
    };
    for (const Case& k : cases) {
        const RunResult t = search.task(folder, script, k.task, k.mode);
        EXPECT_EQ(t.status, k.status) << k.task;
        // bash adds a line of its own for a child killed.
        EXPECT_EQ(t.err.substr(t.err.size() - std::min(t.err.size(), k.err.size())), k.err);
    }
    const fs::path inputs = search.dir.path() / folder;
    EXPECT_TRUE(fs::exists(inputs / "unique_conformers_002.log"));
    EXPECT_FALSE(fs::exists(inputs / "unique_conformers_003.log"));
    EXPECT_TRUE(fs::exists(inputs / "unique_conformers_003.log.partial"));
    support::run_program(SORT_OUTPUTS_EXE, SORT, inputs);
    EXPECT_EQ(support::read_file(inputs / "errorfile.txt"),
              "unique_conformers_002.log\nunique_conformers_003.log\nunique_conformers_004.log\n"
              "unique_conformers_005.log\nunique_conformers_006.log\n");

    const std::vector<std::string> before = listing(inputs);
    const RunResult elsewhere = search.task(".", folder + "/" + script, 4);
    EXPECT_EQ(elsewhere.status, 2);
    EXPECT_NE(elsewhere.err.find("submit this script from the folder of the inputs"),
              std::string::npos);
    fs::remove(search.dir.path() / "bin" / "g16");
    const RunResult missing = search.task(folder, script, 4);
    EXPECT_EQ(missing.status, 127);
    EXPECT_EQ(listing(inputs), before);
}

// ORCA is called by its full path with the input as its argument; its MPI processes are
// tasks of one node. Every script parses, and passes shellcheck, names that need quoting
// included.
TEST(JobArray, OrcaByItsFullPathAndScriptsPassShellcheck) {
    const Search search;
    ASSERT_EQ(search
                  .prepare({"--format", "orca", "--nproc", "4", "--slurm", "unique_conformers.xyz",
                            "orca inputs"})
                  .status,
              0);
    ASSERT_EQ(search.task("orca inputs", "unique_conformers.sbatch", 6).status, 0);
    EXPECT_EQ(search.dir.read("orca inputs/unique_conformers_006.out"),
              search.dir.file("bin/orca") + " unique_conformers_006.inp\n");
    EXPECT_NE(search.dir.read("orca inputs/unique_conformers.sbatch")
                  .find("#SBATCH --ntasks=4\n#SBATCH --cpus-per-task=1\n"),
              std::string::npos);

    fs::copy_file(search.dir.path() / "unique_conformers.xyz", search.dir.path() / "it's.xyz");
    ASSERT_EQ(search
                  .prepare({"it's.xyz", "--slurm", "--program", "$HOME/g 16", "--account", "chem",
                            "--time", "2-00:00:00"})
                  .status,
              0);
    const bool shellcheck =
        support::run_program(ENV, {"sh", "-c", "command -v shellcheck"}, search.dir.path())
            .status == 0;
    for (const std::string script :
         {"orca inputs/unique_conformers.sbatch", "it's_inputs/it's.sbatch"}) {
        const RunResult parsed =
            support::run_program(ENV, {"bash", "-n", script}, search.dir.path());
        EXPECT_EQ(parsed.status, 0) << script << ": " << parsed.err;
        if (!shellcheck) continue;
        const RunResult checked =
            support::run_program(ENV, {"shellcheck", script}, search.dir.path());
        EXPECT_EQ(checked.status, 0) << script << ": " << checked.out;
    }
    if (!shellcheck) GTEST_SKIP() << "shellcheck is not on the PATH";
}

// The script's options are refused where they cannot apply, before anything is written;
// the script and list of an earlier run go with its inputs under --overwrite.
TEST(JobArray, RefusalsWriteNothing) {
    const Search search;
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--time", "12:00:00", "unique_conformers.xyz"},
         "--time goes with --slurm: it is an option of the job-array script"},
        {{"--slurm", "--format", "xyz", "unique_conformers.xyz"},
         "--slurm goes with --format gaussian or orca: xyz files run no program"},
        {{"--slurm", "--time", "12h", "unique_conformers.xyz"},
         "--time: a time limit is minutes, hours:minutes:seconds or days-hours:minutes:seconds "
         "(\"90\", \"12:00:00\", \"2-00:00:00\"), not \"12h\""},
        {{"--slurm", "--partition", "a b", "unique_conformers.xyz"},
         "--partition: a partition or account is named by letters, digits and _ . - , only, "
         "not \"a b\""},
    };
    const std::vector<std::string> before = listing(search.dir.path());
    for (const auto& [args, err] : cases) {
        const RunResult r = search.prepare(args);
        EXPECT_EQ(r.status, 2) << err;
        EXPECT_EQ(r.err, "prepare_inputs: " + err + "\n");
    }
    EXPECT_EQ(listing(search.dir.path()), before);
    ASSERT_EQ(search.prepare({"unique_conformers.xyz", "--slurm"}).status, 0);
    EXPECT_EQ(search.prepare({"unique_conformers.xyz", "--overwrite"}).status, 0);
    EXPECT_FALSE(search.dir.exists("unique_conformers_inputs/list.txt"));
}
