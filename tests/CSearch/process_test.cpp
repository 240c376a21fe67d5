#include <gtest/gtest.h>
#include "CSearch.h"

#include "TestSupport.h"
#include "XtbTestSupport.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <thread>

using namespace confsearch;

namespace {

using Kind = ProcessOutcome::Kind;
using xtb_support::expect_gone;
using xtb_support::pid_in;

ProcessOutcome run(const std::vector<std::string>& argv, double timeout = 0.0, double grace = 2.0) {
    ProcessRequest request;
    request.argv = argv;
    request.timeout_seconds = timeout;
    request.grace_seconds = grace;
    return run_process(request);
}

}  // namespace

TEST(RunProcess, TellsEveryWayAProgramEnds) {
    struct Case {
        std::vector<std::string> argv;
        double timeout;
        double grace;
        Kind kind;
        int exit_status;
        int signal;
        std::string description;
    };
    const std::vector<Case> cases = {
        {{"true"}, 0, 2, Kind::exited, 0, 0, "exit status 0"},
        {{"sh", "-c", "exit 3"}, 0, 2, Kind::exited, 3, 0, "exit status 3"},
        {{"sh", "-c", "kill -SEGV $$"}, 0, 2, Kind::signalled, 0, SIGSEGV, "killed by SIGSEGV"},
        {{"sleep", "30"},
         0.2,
         2,
         Kind::timed_out,
         0,
         SIGTERM,
         "ran past the time limit of 0.2 s (ended by SIGTERM)"},
        // A program deaf to SIGTERM gets SIGKILL after the grace.
        {{"sh", "-c", "trap '' TERM; sleep 30"},
         0.2,
         0.2,
         Kind::timed_out,
         0,
         SIGKILL,
         "ran past the time limit of 0.2 s (ended by SIGKILL)"},
        {{"/no/such/program"},
         0,
         2,
         Kind::not_started,
         0,
         0,
         "could not start: cannot run /no/such/program: No such file or directory"},
        {{"no-such-program-anywhere"},
         0,
         2,
         Kind::not_started,
         0,
         0,
         "could not start: no program no-such-program-anywhere on the PATH"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.argv.back());
        const ProcessOutcome outcome = run(c.argv, c.timeout, c.grace);
        EXPECT_EQ(outcome.kind, c.kind);
        EXPECT_EQ(outcome.exit_status, c.exit_status);
        EXPECT_EQ(outcome.signal, c.signal);
        EXPECT_EQ(outcome.describe(), c.description);
        EXPECT_EQ(outcome.succeeded(), c.description == "exit status 0");
    }
    // Every child was reaped: none is left for this process to wait for.
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

TEST(RunProcess, RunsInItsFolderWithItsEnvironmentAndOutputFiles) {
    const support::TempDir dir;
    ProcessRequest request;
    request.argv = {"sh", "-c",
                    "pwd; echo \"$OMP_NUM_THREADS|$HOME|$TERM_EXTRA\"; ulimit -s; echo oops >&2",
                    "ignored"};
    request.largest_stack = true;
    request.working_directory = dir.path().string();
    request.environment = {{"OMP_NUM_THREADS", "1"}, {"HOME", "/nowhere"}};
    request.stdout_file = dir.file("run.out");
    request.stderr_file = dir.file("run.err");
    ASSERT_TRUE(run_process(request).succeeded());
    rlimit stack{};
    ASSERT_EQ(getrlimit(RLIMIT_STACK, &stack), 0);
    const std::string hard =
        stack.rlim_max == RLIM_INFINITY ? "unlimited" : std::to_string(stack.rlim_max / 1024);
    EXPECT_EQ(dir.read("run.out"), dir.path().string() + "\n1|/nowhere|\n" + hard + "\n");
    EXPECT_EQ(dir.read("run.err"), "oops\n");

    // One file for both streams; a folder that is not there stops the start.
    request.stderr_file = request.stdout_file;
    ASSERT_TRUE(run_process(request).succeeded());
    EXPECT_NE(dir.read("run.out").find("oops"), std::string::npos);
    request.working_directory = dir.file("missing");
    const ProcessOutcome outcome = run_process(request);
    EXPECT_EQ(outcome.kind, Kind::not_started);
    EXPECT_EQ(outcome.error, "cannot enter " + dir.file("missing") + ": No such file or directory");
    request.stdout_file = dir.file("missing/run.out");
    EXPECT_EQ(run_process(request).error,
              "cannot write " + dir.file("missing/run.out") + ": No such file or directory");
}

TEST(RunProcess, TimeoutEndsTheWholeProcessGroup) {
    const support::TempDir dir;
    // The shell waits for a sleep of its own: ending the shell alone would leave the sleep.
    const ProcessOutcome outcome =
        run({"sh", "-c", "sleep 30 & echo $! > " + dir.file("pid") + "; wait"}, 0.3);
    EXPECT_EQ(outcome.kind, Kind::timed_out);
    expect_gone(pid_in(dir.path() / "pid"));
}

TEST(RunProcess, StopFlagEndsTheProgram) {
    StopFlag stop;
    std::thread stopper([&stop] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        stop.stop();
    });
    ProcessRequest request;
    request.argv = {"sleep", "30"};
    const ProcessOutcome outcome = run_process(request, &stop);
    stopper.join();
    EXPECT_EQ(outcome.kind, Kind::stopped);
    EXPECT_EQ(outcome.describe(), "stopped (ended by SIGTERM)");
    // Already stopped: the program is ended at once.
    EXPECT_EQ(run_process(request, &stop).kind, Kind::stopped);
}

TEST(RunProcess, ManyThreadsEachGetTheirOwnProgram) {
    const support::TempDir dir;
    const int count = 16;
    std::vector<ProcessOutcome> outcomes(count);
    std::vector<std::thread> threads;
    for (int i = 0; i < count; ++i)
        threads.emplace_back([&outcomes, &dir, i] {
            ProcessRequest request;
            request.argv = {"sh", "-c", "echo $NUMBER; exit $NUMBER"};
            request.environment = {{"NUMBER", std::to_string(i)}};
            request.stdout_file = dir.file(std::to_string(i) + ".out");
            outcomes[static_cast<std::size_t>(i)] = run_process(request);
        });
    for (auto& thread : threads) thread.join();
    for (int i = 0; i < count; ++i) {
        EXPECT_EQ(outcomes[static_cast<std::size_t>(i)].exit_status, i);
        EXPECT_EQ(dir.read(std::to_string(i) + ".out"), std::to_string(i) + "\n");
    }
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
}

// The toolkit's program, killed while a program of its own runs: with StopOnSignals a
// SIGTERM ends the program and lets the toolkit finish; a SIGKILL, which nothing can
// catch, still takes the program down through the parent-death signal.
TEST(RunProcess, KilledParentLeavesNoProgramRunning) {
    for (const int signal : {SIGTERM, SIGINT, SIGKILL}) {
        SCOPED_TRACE(signal_name(signal));
        const support::TempDir dir;
        const pid_t parent = fork();
        ASSERT_GE(parent, 0);
        if (parent == 0) {
            StopFlag stop;
            const StopOnSignals handlers(stop);
            ProcessRequest request;
            request.argv = {"sh", "-c", "echo $$ > " + dir.file("pid") + "; exec sleep 30"};
            const ProcessOutcome outcome = run_process(request, &stop);
            _exit(outcome.kind == Kind::stopped && stop.signal() == signal ? 0 : 1);
        }
        const pid_t program = pid_in(dir.path() / "pid");
        kill(parent, signal);
        int status = 0;
        ASSERT_EQ(waitpid(parent, &status, 0), parent);
        if (signal == SIGKILL) {
            EXPECT_TRUE(WIFSIGNALED(status));
        } else {
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        }
        expect_gone(program);
    }
}

// A second Ctrl-C does not wait for a program deaf to SIGTERM: it is killed, and the
// toolkit ends by SIGINT at once.
TEST(RunProcess, SecondInterruptKillsAtOnce) {
    const support::TempDir dir;
    const pid_t parent = fork();
    ASSERT_GE(parent, 0);
    if (parent == 0) {
        StopFlag stop;
        const StopOnSignals handlers(stop);
        ProcessRequest request;
        request.argv = {"sh", "-c",
                        "trap '' TERM; echo $$ > " + dir.file("pid") + "; exec sleep 30"};
        request.grace_seconds = 30.0;
        run_process(request, &stop);
        _exit(0);
    }
    const pid_t program = pid_in(dir.path() / "pid");
    kill(parent, SIGINT);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_TRUE(xtb_support::running(program)) << "SIGTERM was not ignored";
    kill(parent, SIGINT);
    int status = 0;
    ASSERT_EQ(waitpid(parent, &status, 0), parent);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << status;
    expect_gone(program);
}
