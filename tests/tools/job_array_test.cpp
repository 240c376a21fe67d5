// The job-array scripts of prepare_inputs, their tasks run here one by one as SLURM would
// run them, with stand-ins for Gaussian and ORCA.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "TestSupport.h"

namespace {

namespace fs = std::filesystem;
using support::RunResult;

const char* const ENV = "/usr/bin/env";

// Stands in for Gaussian: reads the input on standard input and answers with the example
// search's output that its title names ("butanol 001 conf01.log E=..."). FAKE_G16=fail
// ends it as Gaussian ends an error (the log cut, "Error termination", status 1),
// FAKE_G16=killed as the scheduler ends a task (the log cut, SIGKILL).
const std::string FAKE_G16 = R"(#!/bin/bash
source=$(grep -o -m 1 'conf[0-9]*\.log')
case "${FAKE_G16:-}" in
    fail) head -n 150 "$EXAMPLES/$source"
          echo " Error termination via Lnk1e in /opt/g16/l103.exe at Tue Mar 12 19:38:12 2024."
          exit 1 ;;
    killed) head -n 150 "$EXAMPLES/$source"
            kill -KILL $$ ;;
esac
cat "$EXAMPLES/$source"
)";

// Stands in for ORCA: says how it was called.
const std::string FAKE_ORCA = R"(#!/bin/bash
echo "called as $0 $*"
echo "****ORCA TERMINATED NORMALLY****"
)";

std::vector<std::string> listing(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

bool on_path(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "";
    for (std::size_t start = 0; start <= dirs.size();) {
        const std::size_t end = std::min(dirs.find(':', start), dirs.size());
        if (fs::exists(fs::path(dirs.substr(start, end - start)) / program)) return true;
        start = end + 1;
    }
    return false;
}

// A working directory holding butan-2-ol's six distinct conformers (the example search
// ranked by sort_outputs) and a bin/ of stand-in programs.
struct Search {
    support::TempDir dir;
    Search() {
        for (const auto& entry : fs::directory_iterator(fs::path(EXAMPLES_DIR) / "outputs"))
            dir.write(entry.path().filename().string(), support::read_file(entry.path()));
        const RunResult r = support::run_program(
            SORT_OUTPUTS_EXE, {"15", "0.00002", "0.05", "0.15", "1", "3", "4", "5"}, dir.path());
        EXPECT_EQ(r.status, 0) << r.err;
        fs::create_directory(dir.path() / "bin");
        stand_in("g16", FAKE_G16);
        stand_in("orca", FAKE_ORCA);
    }
    void stand_in(const std::string& name, const std::string& text) const {
        dir.write("bin/" + name, text);
        chmod(dir.file("bin/" + name).c_str(), 0755);
    }
    RunResult prepare(const std::vector<std::string>& args) const {
        return support::run_program(PREPARE_INPUTS_EXE, args, dir.path());
    }
    // One task of the array, as SLURM starts it in the folder it was submitted from, the
    // stand-ins first on the PATH.
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

// The inputs go out as one array, every task's output lands beside its input, and
// sort_outputs ranks them where they lie: the same six conformers as before.
TEST(JobArray, TasksRunLocallyAndTheSorterRanksTheirOutputs) {
    const Search search;
    const RunResult r = search.prepare({"unique_conformers.xyz", "--stem", "butanol", "--nproc",
                                        "8", "--mem", "4GB", "--slurm", "--time", "12:00:00",
                                        "--partition", "short", "--max-running", "4"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "6 Gaussian inputs, butanol_inputs/butanol_001.gjf to butanol_006.gjf\n"
              "job array of 6 tasks: butanol_inputs/butanol.sbatch, its outputs in "
              "butanol_inputs/list.txt\n"
              "submit: cd butanol_inputs && sbatch butanol.sbatch\n");
    const fs::path folder = search.dir.path() / "butanol_inputs";
    const std::string script = support::read_file(folder / "butanol.sbatch");
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
        EXPECT_EQ(t.err, "");
    }
    // Each output is the example log of its conformer, in the order the sorter ranked them.
    EXPECT_EQ(support::read_file(folder / "butanol_001.log"), search.dir.read("conf01.log"));
    const RunResult sorted = support::run_program(
        SORT_OUTPUTS_EXE, {"15", "0.00002", "0.05", "0.15", "1", "3", "4", "5"}, folder);
    ASSERT_EQ(sorted.status, 0) << sorted.err;
    // The frames name other files; their energies, groups and geometries are the same.
    auto unnamed = [](const std::string& xyz) {
        std::istringstream lines(xyz);
        std::string text;
        for (std::string line; std::getline(lines, line);)
            text +=
                (line.find(" E=") != std::string::npos ? line.substr(line.find(' ')) : line) + '\n';
        return text;
    };
    const std::string before = search.dir.read("unique_conformers.xyz");
    const std::string after = support::read_file(folder / "unique_conformers.xyz");
    EXPECT_NE(after.find("butanol_006.log  E=-233.6589954  dE=1.7866  group=6\n"),
              std::string::npos);
    EXPECT_EQ(unnamed(after), unnamed(before));
}

// A task whose program failed keeps the program's log as its output, which the sorter
// refuses for want of a normal termination; one the scheduler killed leaves no output
// at all, only the part it wrote under another name; one run outside the array or from
// another folder, or on a node without the program, runs nothing.
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
        {0, "", 2, "task \"0\" is not one of 1..6: submit this script with sbatch\n"},
        {7, "", 2, "task \"7\" is not one of 1..6: submit this script with sbatch\n"},
    };
    for (const Case& k : cases) {
        const RunResult t = search.task(folder, script, k.task, k.mode);
        EXPECT_EQ(t.status, k.status) << k.task;
        EXPECT_NE(t.err.find(k.err), std::string::npos) << t.err;
    }
    const fs::path inputs = search.dir.path() / folder;
    EXPECT_TRUE(fs::exists(inputs / "unique_conformers_002.log"));
    EXPECT_FALSE(fs::exists(inputs / "unique_conformers_002.log.partial"));
    EXPECT_FALSE(fs::exists(inputs / "unique_conformers_003.log"));
    EXPECT_TRUE(fs::exists(inputs / "unique_conformers_003.log.partial"));

    const RunResult sorted = support::run_program(
        SORT_OUTPUTS_EXE, {"15", "0.00002", "0.05", "0.15", "1", "3", "4", "5"}, inputs);
    const std::string errors = support::read_file(inputs / "errorfile.txt");
    for (const char* name :
         {"unique_conformers_002.log", "unique_conformers_003.log", "unique_conformers_004.log"})
        EXPECT_NE(errors.find(name), std::string::npos) << errors;
    EXPECT_EQ(errors.find("unique_conformers_001.log"), std::string::npos) << errors;

    // Submitted from the wrong folder, or on a node without the program: nothing runs.
    const std::vector<std::string> before = listing(inputs);
    const RunResult elsewhere = search.task(".", folder + "/" + script, 4);
    EXPECT_EQ(elsewhere.status, 2);
    EXPECT_NE(elsewhere.err.find("submit this script from the folder of the inputs"),
              std::string::npos);
    fs::remove(search.dir.path() / "bin" / "g16");
    const RunResult missing = search.task(folder, script, 4);
    EXPECT_EQ(missing.status, 127);
    EXPECT_NE(missing.err.find("g16: no such program on this node"), std::string::npos);
    EXPECT_EQ(listing(inputs), before);
}

// ORCA is called by its full path with the input as its argument, its output ".out".
TEST(JobArray, OrcaByItsFullPath) {
    const Search search;
    const RunResult r = search.prepare(
        {"--format", "orca", "--nproc", "4", "--slurm", "unique_conformers.xyz", "orca_run"});
    ASSERT_EQ(r.status, 0) << r.err;
    const RunResult t = search.task("orca_run", "unique_conformers.sbatch", 6);
    ASSERT_EQ(t.status, 0) << t.err;
    EXPECT_EQ(search.dir.read("orca_run/unique_conformers_006.out"),
              "called as " + search.dir.file("bin/orca") +
                  " unique_conformers_006.inp\n****ORCA TERMINATED NORMALLY****\n");
    const std::string script = search.dir.read("orca_run/unique_conformers.sbatch");
    EXPECT_NE(script.find("#SBATCH --ntasks=4\n#SBATCH --cpus-per-task=1\n"), std::string::npos);
}

// Every script the program writes is bash that parses and that shellcheck passes, names
// that need quoting included.
TEST(JobArray, ScriptsPassBashAndShellcheck) {
    const Search search;
    fs::copy_file(search.dir.path() / "unique_conformers.xyz", search.dir.path() / "it's.xyz");
    const std::vector<std::vector<std::string>> runs = {
        {"unique_conformers.xyz", "--slurm", "--account", "chem", "--time", "2-00:00:00"},
        {"--format", "orca", "--mem", "2GB", "--slurm", "--program", "/opt/orca 6/orca",
         "unique_conformers.xyz", "orca inputs"},
        {"it's.xyz", "--slurm", "--program", "$HOME/g16"},
    };
    const std::vector<std::string> scripts = {"unique_conformers_inputs/unique_conformers.sbatch",
                                              "orca inputs/unique_conformers.sbatch",
                                              "it's_inputs/it's.sbatch"};
    const bool shellcheck = on_path("shellcheck");
    for (std::size_t k = 0; k < runs.size(); ++k) {
        const RunResult r = search.prepare(runs[k]);
        ASSERT_EQ(r.status, 0) << r.err;
        const RunResult parsed =
            support::run_program(ENV, {"bash", "-n", scripts[k]}, search.dir.path());
        EXPECT_EQ(parsed.status, 0) << scripts[k] << ": " << parsed.err;
        if (!shellcheck) continue;
        const RunResult checked =
            support::run_program(ENV, {"shellcheck", scripts[k]}, search.dir.path());
        EXPECT_EQ(checked.status, 0) << scripts[k] << ": " << checked.out;
    }
    if (!shellcheck) GTEST_SKIP() << "shellcheck is not on the PATH";
}

// The script's options are refused where they cannot apply, before anything is written.
TEST(JobArray, RefusalsWriteNothing) {
    const Search search;
    struct Case {
        std::vector<std::string> args;
        std::string err;
    };
    const Case cases[] = {
        {{"--time", "12:00:00", "unique_conformers.xyz"},
         "--time goes with --slurm: it is an option of the job-array script"},
        {{"--program", "g09", "unique_conformers.xyz"},
         "--program goes with --slurm: it is the program of the job-array script"},
        {{"--slurm", "--format", "xyz", "unique_conformers.xyz"},
         "--slurm goes with --format gaussian or orca: xyz files run no program"},
        {{"--slurm", "--time", "12h", "unique_conformers.xyz"},
         "--time: a time limit is minutes, hours:minutes:seconds or days-hours:minutes:seconds "
         "(\"90\", \"12:00:00\", \"2-00:00:00\"), not \"12h\""},
        {{"--slurm", "--partition", "a b", "unique_conformers.xyz"},
         "--partition: a partition or account is named by letters, digits and _ . - , only, "
         "not \"a b\""},
        {{"--slurm", "--max-running", "0", "unique_conformers.xyz"},
         "--max-running must be a whole number in 1..100000, not \"0\""},
    };
    for (const Case& k : cases) {
        const std::vector<std::string> before = listing(search.dir.path());
        const RunResult r = search.prepare(k.args);
        EXPECT_EQ(r.status, 2) << k.err;
        EXPECT_EQ(r.err, "prepare_inputs: " + k.err + "\n");
        EXPECT_EQ(listing(search.dir.path()), before) << k.err;
    }
    // The script and list of an earlier run go with its inputs under --overwrite.
    ASSERT_EQ(search.prepare({"unique_conformers.xyz", "--slurm"}).status, 0);
    const RunResult again = search.prepare({"unique_conformers.xyz", "--overwrite"});
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_FALSE(search.dir.exists("unique_conformers_inputs/list.txt"));
}
