// Running one external program (xtb) as a child process: its own process group, working
// folder, environment and output files, a time limit, and what became of it.
#pragma once

#include "CSearch/stop_flag.h"

#include <string>
#include <utility>
#include <vector>

namespace confsearch {

struct ProcessRequest {
    // The program and its arguments, passed as they are (no shell). A program name without
    // '/' is looked up on PATH.
    std::vector<std::string> argv;
    // Where the program runs; empty: the caller's working folder.
    std::string working_directory;
    // Variables set for the program on top of the caller's environment (a name given
    // here replaces the caller's value).
    std::vector<std::pair<std::string, std::string>> environment;
    // Files that receive standard output and standard error (created or emptied); empty:
    // /dev/null. The same name for both gives one file. Standard input is /dev/null.
    std::string stdout_file;
    std::string stderr_file;
    // Seconds after which the whole process group gets SIGTERM, then SIGKILL after
    // grace_seconds more; 0: no limit. A stop by the flag ends the group the same way.
    double timeout_seconds = 0.0;
    double grace_seconds = 2.0;
    // Raise the program's stack size limit to the hard limit (ulimit -s hard), as Fortran
    // programs with large automatic arrays need.
    bool largest_stack = false;
};

struct ProcessOutcome {
    enum class Kind {
        exited,       // ended by itself with exit_status
        signalled,    // ended by signal (not ours: a crash, or someone else's kill)
        timed_out,    // ran past timeout_seconds and was ended by signal
        stopped,      // ended by signal because the stop flag was set
        not_started,  // could not be started: error says why
    };
    Kind kind = Kind::not_started;
    int exit_status = 0;
    int signal = 0;
    std::string error;
    // Wall time from the start to the end of the program, seconds.
    double seconds = 0.0;
    // The time limit it ran under, seconds (0: none).
    double time_limit = 0.0;

    bool succeeded() const { return kind == Kind::exited && exit_status == 0; }
    // One line: "exit status 1", "killed by SIGSEGV", "ran past the time limit of 600 s
    // (ended by SIGTERM)", "stopped (ended by SIGTERM)", "could not start: <error>".
    std::string describe() const;
};

// Runs the program and waits for it; the process group it leads is always ended and the
// program reaped before this returns (also when an exception unwinds through it). Safe
// to call from several threads at once. On Linux the program also gets SIGKILL when the
// calling thread's process dies, so that not even a kill -9 of the toolkit leaves it
// running. Throws std::invalid_argument for an empty argv; every failure of the program
// itself is in the outcome.
ProcessOutcome run_process(const ProcessRequest& request, const StopFlag* stop = nullptr);

// The full path of a program as run_process would start it: name itself when it holds a
// '/', else the first executable file of that name in a folder of PATH; empty when none.
std::string find_program(const std::string& name);

// "SIGSEGV" for 11 and so on; "signal N" for a number without a name here.
std::string signal_name(int signal);

}  // namespace confsearch
