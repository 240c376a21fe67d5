#include "TestSupport.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace support {

namespace fs = std::filesystem;

TempDir::TempDir() {
    std::string pattern = (fs::temp_directory_path() / "conformer-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot create a temporary directory");
    dir_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
}

void TempDir::write(const std::string& name, const std::string& text) const {
    write_file(dir_ / name, text);
}

std::string TempDir::read(const std::string& name) const { return read_file(dir_ / name); }

bool TempDir::exists(const std::string& name) const { return fs::exists(dir_ / name); }

ScopedChdir::ScopedChdir(const fs::path& dir) : previous_(fs::current_path()) {
    fs::current_path(dir);
}

ScopedChdir::~ScopedChdir() {
    std::error_code ignored;
    fs::current_path(previous_, ignored);
}

std::string read_file(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + file.string());
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void write_file(const fs::path& file, const std::string& text) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out) throw std::runtime_error("cannot write " + file.string());
}

RunResult run_program(const std::string& executable, const std::vector<std::string>& args,
                      const fs::path& workdir) {
    return run_program(executable, args, workdir, RunLimits{});
}

RunResult run_program(const std::string& executable, const std::vector<std::string>& args,
                      const fs::path& workdir, const RunLimits& limits) {
    TempDir capture;
    const std::string out_file = capture.file("stdout");
    const std::string err_file = capture.file("stderr");

    std::vector<std::string> argv_text;
    argv_text.push_back(executable);
    argv_text.insert(argv_text.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& word : argv_text) argv.push_back(word.data());
    argv.push_back(nullptr);

    const pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        const int out = open(out_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = open(err_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0 ||
            chdir(workdir.c_str()) != 0)
            _exit(127);
        if (limits.file_bytes != 0) {
            rlimit size{};
            const auto bytes = static_cast<rlim_t>(limits.file_bytes);
            if (getrlimit(RLIMIT_FSIZE, &size) != 0) _exit(127);
            size.rlim_cur = size.rlim_max == RLIM_INFINITY ? bytes : std::min(bytes, size.rlim_max);
            if (setrlimit(RLIMIT_FSIZE, &size) != 0) _exit(127);
        }
        // The alarm stays set across execv.
        if (limits.seconds != 0) alarm(limits.seconds);
        execv(executable.c_str(), argv.data());
        _exit(127);
    }
    int wstatus = 0;
    while (waitpid(pid, &wstatus, 0) < 0) {
        if (errno != EINTR) throw std::runtime_error("waitpid failed");
    }
    RunResult result;
    if (WIFEXITED(wstatus))
        result.status = WEXITSTATUS(wstatus);
    else if (WIFSIGNALED(wstatus))
        result.status = 128 + WTERMSIG(wstatus);
    result.out = read_file(out_file);
    result.err = read_file(err_file);
    return result;
}

fs::path real_outputs_dir() {
    const fs::path dir = REAL_OUTPUTS_DIR;
    return fs::is_directory(dir) ? dir : fs::path();
}

fs::path test_data_dir() { return TEST_DATA_DIR; }

}  // namespace support
