// Shared helpers for the test suites: scratch directories, file text, running the built programs.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

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

// One atom of a geometry table: atomic number and position in angstrom.
struct Atom {
    int number;
    double x;
    double y;
    double z;
};

// What a written Gaussian optimisation output holds. Every file carries the decoys of a
// real output: "IROHF=0." in the SCF set-up and "Dipole        =" in the force output.
struct GaussianOutput {
    // One "Standard orientation:" table per optimisation step; the last is the final one.
    std::vector<std::vector<Atom>> steps;
    std::string energy = "-154.9876543";  // text after "HF=" in the archive
    std::string dipole = "0.1,-0.2,0.3";  // text after "Dipole=" in the archive
    bool archive = true;                  // false: the job was killed before its archive
    bool crlf = false;                    // Windows line ends throughout
};

// The text of such a file; the archive block is wrapped at 70 columns with a leading
// blank on every line, as Gaussian writes it.
std::string gaussian_output(const GaussianOutput& output);

// Anti ethanol with its atoms numbered C C O H(O) H H H H H (methyl hydrogens 7-9).
std::vector<Atom> ethanol();
// Every atom turned about an oblique axis by angle (radians) and shifted.
std::vector<Atom> turned(std::vector<Atom> atoms, double angle);

// The text of one result record as collect_records copies it: from the blank before the
// record name through the line after the atoms, e.g.
//      conf01.log opt
//      B3LYP/6-31G(d)
//     HF=-154.98
//      SCF
//     Dipole= 0.1 0.2 0.2
//      Standard orientation
//      ----
//     C -1.1685 -0.3884 0
//     ...
//      ----
// A collection block is "NAME_<n>:" + body + "---------------------------------@\n";
// a record file holds "<head word>" + body + "@\n".
std::string record_body(const std::string& name, const std::string& energy,
                        const std::string& dipole, const std::vector<Atom>& atoms);
std::string collection_block(int label, const std::string& body);

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
