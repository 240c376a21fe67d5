#include "CSearch/process.h"

#include "CSearch/process_groups.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <limits>
#include <stdexcept>
#include <system_error>
#include <thread>

extern char** environ;

namespace confsearch {

namespace {

using Clock = std::chrono::steady_clock;

// How often a wait looks at the stop flag, milliseconds.
const int STOP_POLL_MS = 50;
// How often a wait without a process descriptor looks whether the program ended.
const int EXIT_POLL_MS = 5;
// A wait without end.
const double NO_LIMIT = std::numeric_limits<double>::infinity();

std::string errno_text(int error) { return std::generic_category().message(error); }

// A file descriptor closed on scope exit.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() { reset(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    void reset(int fd = -1) {
        if (fd_ >= 0) close(fd_);
        fd_ = fd;
    }

private:
    int fd_;
};

// Every descriptor is opened close-on-exec, so that a program started by another
// thread at the same moment does not inherit it.
int open_output(const std::string& file) {
    if (file.empty()) return open("/dev/null", O_WRONLY | O_CLOEXEC);
    return open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
}

bool executable_file(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           access(path.c_str(), X_OK) == 0;
}

// What the child reports through the pipe when it cannot become the program.
struct ChildFailure {
    enum Stage : int { redirect, enter_folder, execute } stage;
    int error;
};

[[noreturn]] void report_failure(int report, ChildFailure::Stage stage) {
    const ChildFailure failure{stage, errno};
    const ssize_t ignored = write(report, &failure, sizeof failure);
    (void)ignored;
    _exit(127);
}

// Between fork and exec only async-signal-safe calls: the parent may have other threads,
// and one of them may have held the allocator's lock at the fork.
[[noreturn]] void become_program(const char* path, char* const* argv, char* const* envp,
                                 const char* folder, const int (&streams)[3], bool largest_stack,
                                 int report, pid_t parent) {
    setpgid(0, 0);
#ifdef __linux__
    // Ends the program when the thread that started it dies: a kill -9 of the toolkit
    // cannot be caught, and this is the only way not to leave xtb behind then.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(127);
#else
    (void)parent;
#endif
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    struct sigaction by_default {};
    by_default.sa_handler = SIG_DFL;
    sigemptyset(&by_default.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE})
        sigaction(signal, &by_default, nullptr);
    for (int target = 0; target < 3; ++target) {
        // dup2 onto itself would keep close-on-exec set.
        const int done =
            streams[target] == target ? fcntl(target, F_SETFD, 0) : dup2(streams[target], target);
        if (done < 0) report_failure(report, ChildFailure::redirect);
    }
    if (folder != nullptr && chdir(folder) != 0) report_failure(report, ChildFailure::enter_folder);
    rlimit stack{};
    if (largest_stack && getrlimit(RLIMIT_STACK, &stack) == 0) {
        stack.rlim_cur = stack.rlim_max;
        setrlimit(RLIMIT_STACK, &stack);
    }
    execve(path, argv, envp);
    report_failure(report, ChildFailure::execute);
}

// The caller's environment with the request's variables set.
std::vector<std::string> environment_for(const ProcessRequest& request) {
    std::vector<std::string> entries;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        const std::string text = *entry;
        const std::string name = text.substr(0, text.find('='));
        const bool replaced =
            std::any_of(request.environment.begin(), request.environment.end(),
                        [&name](const auto& variable) { return variable.first == name; });
        if (!replaced) entries.push_back(text);
    }
    for (const auto& [name, value] : request.environment) entries.push_back(name + "=" + value);
    return entries;
}

std::vector<char*> pointers_to(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (auto& text : texts) pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

// The started program until it is reaped: whatever way the caller leaves, the group is
// killed and the child waited for, so that no program and no zombie is left behind.
class Child {
public:
    explicit Child(pid_t pid) : pid_(pid) { track_process_group(pid_); }
    ~Child() {
        if (!reaped_) {
            end_group(SIGKILL);
            reap();
        }
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    pid_t pid() const { return pid_; }
    void end_group(int signal) const { kill(-pid_, signal); }
    // The program's wait status. Until the leader is reaped its id cannot be reused, so
    // the group is untracked first and only then the child reaped.
    int reap() {
        untrack_process_group(pid_);
        int status = 0;
        while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        reaped_ = true;
        return status;
    }

private:
    pid_t pid_;
    bool reaped_ = false;
};

// Waits until the program has ended (it is then a zombie, still unreaped) or ms have
// passed (-1: without limit); true when it has ended.
bool wait_for_end(const Child& child, int pidfd, int ms) {
    if (pidfd >= 0) {
        pollfd ready{pidfd, POLLIN, 0};
        const int result = poll(&ready, 1, ms);
        return result > 0;
    }
    const auto until = Clock::now() + std::chrono::milliseconds(ms < 0 ? 0 : ms);
    for (;;) {
        siginfo_t info{};
        if (waitid(P_PID, static_cast<id_t>(child.pid()), &info, WEXITED | WNOHANG | WNOWAIT) ==
                0 &&
            info.si_pid != 0)
            return true;
        if (ms >= 0 && Clock::now() >= until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(EXIT_POLL_MS));
    }
}

int open_process_descriptor(pid_t pid) {
#ifdef SYS_pidfd_open
    const long fd = syscall(SYS_pidfd_open, pid, 0);
    return fd < 0 ? -1 : static_cast<int>(fd);
#else
    (void)pid;
    return -1;
#endif
}

double seconds_since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

int milliseconds(double seconds) {
    return static_cast<int>(std::min(std::max(seconds, 0.0) * 1000.0 + 1.0, 1e9));
}

ProcessOutcome not_started(const std::string& why) {
    ProcessOutcome outcome;
    outcome.kind = ProcessOutcome::Kind::not_started;
    outcome.error = why;
    return outcome;
}

}  // namespace

std::string signal_name(int signal) {
    switch (signal) {
        case SIGHUP: return "SIGHUP";
        case SIGINT: return "SIGINT";
        case SIGQUIT: return "SIGQUIT";
        case SIGILL: return "SIGILL";
        case SIGTRAP: return "SIGTRAP";
        case SIGABRT: return "SIGABRT";
        case SIGBUS: return "SIGBUS";
        case SIGFPE: return "SIGFPE";
        case SIGKILL: return "SIGKILL";
        case SIGUSR1: return "SIGUSR1";
        case SIGSEGV: return "SIGSEGV";
        case SIGUSR2: return "SIGUSR2";
        case SIGPIPE: return "SIGPIPE";
        case SIGALRM: return "SIGALRM";
        case SIGTERM: return "SIGTERM";
        case SIGXCPU: return "SIGXCPU";
        case SIGXFSZ: return "SIGXFSZ";
        default: return "signal " + std::to_string(signal);
    }
}

std::string ProcessOutcome::describe() const {
    auto ended_by = [this] {
        return signal != 0 ? " (ended by " + signal_name(signal) + ")"
                           : " (then ended with exit status " + std::to_string(exit_status) + ")";
    };
    // "0.3", "600": a limit as the chemist gave it, without trailing zeros.
    auto plain = [](double value) {
        const std::string text = std::to_string(value);
        const auto last = text.find_last_not_of('0');
        return text.substr(0, text[last] == '.' ? last : last + 1);
    };
    switch (kind) {
        case Kind::exited: return "exit status " + std::to_string(exit_status);
        case Kind::signalled: return "killed by " + signal_name(signal);
        case Kind::timed_out:
            return "ran past the time limit of " + plain(time_limit) + " s" + ended_by();
        case Kind::stopped: return "stopped" + ended_by();
        case Kind::not_started: return "could not start: " + error;
    }
    return "";
}

std::string find_program(const std::string& name) {
    if (name.empty()) return "";
    if (name.find('/') != std::string::npos) return name;
    const char* path = std::getenv("PATH");
    const std::string folders = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
    std::size_t begin = 0;
    for (;;) {
        const std::size_t end = folders.find(':', begin);
        std::string folder = folders.substr(begin, end - begin);
        if (folder.empty()) folder = ".";
        const std::string candidate = folder + "/" + name;
        if (executable_file(candidate)) return candidate;
        if (end == std::string::npos) return "";
        begin = end + 1;
    }
}

ProcessOutcome run_process(const ProcessRequest& request, const StopFlag* stop) {
    if (request.argv.empty()) throw std::invalid_argument("run_process: no program given");
    const std::string path = find_program(request.argv.front());
    if (path.empty()) return not_started("no program " + request.argv.front() + " on the PATH");

    // Everything the child needs is made before the fork: after it, no allocation.
    std::vector<std::string> arguments = request.argv;
    std::vector<std::string> environment = environment_for(request);
    const std::vector<char*> argv = pointers_to(arguments);
    const std::vector<char*> envp = pointers_to(environment);

    const Descriptor input(open("/dev/null", O_RDONLY | O_CLOEXEC));
    const Descriptor output(open_output(request.stdout_file));
    if (output.get() < 0)
        return not_started("cannot write " + request.stdout_file + ": " + errno_text(errno));
    Descriptor error_output;
    if (request.stderr_file != request.stdout_file) {
        error_output.reset(open_output(request.stderr_file));
        if (error_output.get() < 0)
            return not_started("cannot write " + request.stderr_file + ": " + errno_text(errno));
    }
    if (input.get() < 0) return not_started("cannot read /dev/null: " + errno_text(errno));
    const int streams[3] = {input.get(), output.get(),
                            error_output.get() >= 0 ? error_output.get() : output.get()};
    int report_pipe[2];
    if (pipe2(report_pipe, O_CLOEXEC) != 0)
        return not_started("cannot make a pipe: " + errno_text(errno));
    Descriptor report_read(report_pipe[0]);
    Descriptor report_write(report_pipe[1]);
    const char* folder =
        request.working_directory.empty() ? nullptr : request.working_directory.c_str();

    const pid_t parent = getpid();
    const auto start = Clock::now();
    const pid_t pid = fork();
    if (pid < 0) return not_started("cannot fork: " + errno_text(errno));
    if (pid == 0)
        become_program(path.c_str(), argv.data(), envp.data(), folder, streams,
                       request.largest_stack, report_write.get(), parent);

    // Both sides set the group, so that it exists before the parent signals it.
    setpgid(pid, pid);
    Child child(pid);
    report_write.reset();
    ChildFailure failure{};
    ssize_t got = 0;
    do {
        got = read(report_read.get(), &failure, sizeof failure);
    } while (got < 0 && errno == EINTR);
    if (got == static_cast<ssize_t>(sizeof failure)) {
        child.reap();
        switch (failure.stage) {
            case ChildFailure::redirect:
                return not_started("cannot redirect its output: " + errno_text(failure.error));
            case ChildFailure::enter_folder:
                return not_started("cannot enter " + request.working_directory + ": " +
                                   errno_text(failure.error));
            case ChildFailure::execute:
                return not_started("cannot run " + path + ": " + errno_text(failure.error));
        }
    }

    const Descriptor pidfd(open_process_descriptor(pid));
    // How the program is being ended: by itself (exited) until the time limit or a stop
    // makes it timed_out or stopped; then SIGTERM, and SIGKILL once the grace is over.
    auto ending = ProcessOutcome::Kind::exited;
    bool killed = false;
    double grace_end = 0.0;
    for (;;) {
        const double now = seconds_since(start);
        double wait = NO_LIMIT;
        if (ending == ProcessOutcome::Kind::exited) {
            if (request.timeout_seconds > 0) wait = request.timeout_seconds - now;
            if (stop != nullptr) wait = std::min(wait, STOP_POLL_MS / 1000.0);
        } else if (!killed) {
            wait = grace_end - now;
        }
        if (wait_for_end(child, pidfd.get(), wait == NO_LIMIT ? -1 : milliseconds(wait))) break;
        const double later = seconds_since(start);
        if (ending == ProcessOutcome::Kind::exited) {
            if (stop != nullptr && stop->stopped())
                ending = ProcessOutcome::Kind::stopped;
            else if (request.timeout_seconds > 0 && later >= request.timeout_seconds)
                ending = ProcessOutcome::Kind::timed_out;
            if (ending != ProcessOutcome::Kind::exited) {
                child.end_group(SIGTERM);
                grace_end = later + request.grace_seconds;
            }
        } else if (!killed && later >= grace_end) {
            child.end_group(SIGKILL);
            killed = true;
        }
    }
    // Whatever the program left running in its group goes with it.
    child.end_group(SIGKILL);
    const int status = child.reap();

    // StopOnSignals ends every program the moment the signal comes, before this wait
    // sees the flag: a program that did not end well while a stop was asked was stopped,
    // not broken, and must run again on a restart.
    const bool clean = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (ending == ProcessOutcome::Kind::exited && !clean && stop != nullptr && stop->stopped())
        ending = ProcessOutcome::Kind::stopped;

    ProcessOutcome outcome;
    outcome.seconds = seconds_since(start);
    outcome.time_limit = request.timeout_seconds;
    outcome.kind = ending;
    if (WIFEXITED(status)) outcome.exit_status = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) outcome.signal = WTERMSIG(status);
    if (ending == ProcessOutcome::Kind::exited && WIFSIGNALED(status))
        outcome.kind = ProcessOutcome::Kind::signalled;
    return outcome;
}

}  // namespace confsearch
