// Shared helpers for the test suites: scratch directories, file text, running the built programs.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "GaussianFixtures.h"

namespace support {

// A fresh directory under the system temporary folder, removed with everything in it
// when the object goes out of scope.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return dir_; }
    std::string file(const std::string& name) const { return (dir_ / name).string(); }
    void write(const std::string& name, const std::string& text) const;
    std::string read(const std::string& name) const;
    bool exists(const std::string& name) const;

private:
    std::filesystem::path dir_;
};

// Writes text to a scratch file and opens it for reading.
class ScanFile {
public:
    explicit ScanFile(const std::string& text) {
        dir_.write("scan.txt", text);
        in.open(dir_.file("scan.txt"), std::ios::binary);
    }
    std::ifstream in;

private:
    TempDir dir_;
};

// Makes a directory the working directory for the lifetime of the object.
class ScopedChdir {
public:
    explicit ScopedChdir(const std::filesystem::path& dir);
    ~ScopedChdir();
    ScopedChdir(const ScopedChdir&) = delete;
    ScopedChdir& operator=(const ScopedChdir&) = delete;

private:
    std::filesystem::path previous_;
};

std::string read_file(const std::filesystem::path& file);
void write_file(const std::filesystem::path& file, const std::string& text);

// What a finished program left behind. status is the exit status, or 128 plus the
// signal number when the program was killed by a signal.
struct RunResult {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs a built program with the arguments in the given working directory and waits for it.
RunResult run_program(const std::string& executable, const std::vector<std::string>& args,
                      const std::filesystem::path& workdir);

// Bounds on a run, so that a program that hangs or writes without end fails its test
// instead of stopping the suite or filling the disk: past seconds it is ended by SIGALRM,
// a file written beyond file_bytes by SIGXFSZ. 0 leaves a bound off.
struct RunLimits {
    unsigned seconds = 0;
    unsigned long long file_bytes = 0;
};

RunResult run_program(const std::string& executable, const std::vector<std::string>& args,
                      const std::filesystem::path& workdir, const RunLimits& limits);

// The value of type Thrown that action throws; fails the test when it throws nothing.
template <typename Thrown, typename Action>
Thrown thrown(Action action) {
    try {
        action();
    } catch (Thrown value) {
        return value;
    }
    ADD_FAILURE() << "nothing was thrown";
    return Thrown{};
}

// Expects action to throw exactly the value expected, of its type.
template <typename Thrown, typename Action>
void expect_thrown(Action action, Thrown expected) {
    EXPECT_EQ(thrown<Thrown>(action), expected);
}

// Folder of real Gaussian output files beside the checkout; empty when it is absent.
std::filesystem::path real_outputs_dir();
std::filesystem::path test_data_dir();

}  // namespace support

// Skips the current test when the real output files are not on this machine.
#define SKIP_WITHOUT_REAL_OUTPUTS()                                                \
    do {                                                                           \
        if (support::real_outputs_dir().empty())                                   \
            GTEST_SKIP() << "real Gaussian outputs not found beside the checkout"; \
    } while (0)
