#include "TestSupport.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

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

namespace {

std::string orientation_table(const std::vector<Atom>& atoms) {
    const std::string rule = " " + std::string(69, '-') + "\n";
    std::string text = "                         Standard orientation:                         \n" +
                       rule +
                       " Center     Atomic      Atomic             Coordinates (Angstroms)\n"
                       " Number     Number       Type             X           Y           Z\n" +
                       rule;
    char line[128];
    for (std::size_t i = 0; i < atoms.size(); ++i) {
        std::snprintf(line, sizeof line, " %6zu %10d %11d %15.6f %11.6f %11.6f\n", i + 1,
                      atoms[i].number, 0, atoms[i].x, atoms[i].y, atoms[i].z);
        text += line;
    }
    return text + rule;
}

const char* symbol_of(int number) {
    switch (number) {
        case 1: return "H";
        case 6: return "C";
        case 7: return "N";
        case 8: return "O";
        default: return "X";
    }
}

std::string archive_block(const GaussianOutput& output) {
    std::string entries =
        "1\\1\\GINC-NODE7\\FOpt\\RB3LYP\\6-31G(d)\\C2H6O1\\TESTER\\08-Dec-2026"
        "\\0\\\\#p b3lyp/6-31g(d) opt\\\\conformer\\\\0,1";
    char field[96];
    for (const Atom& a : output.steps.back()) {
        std::snprintf(field, sizeof field, "\\%s,%.10f,%.10f,%.10f", symbol_of(a.number), a.x, a.y,
                      a.z);
        entries += field;
    }
    entries += "\\\\Version=ES64L-G16RevC.01\\State=1-A\\HF=" + output.energy +
               "\\RMSD=3.412e-09\\RMSF=2.118e-05\\Dipole=" + output.dipole +
               "\\Quadrupole=-1.2,0.8,0.4,0.1,0.,0.\\PG=C01 [X(C2H6O1)]\\\\@";
    std::string text;
    for (std::size_t at = 0; at < entries.size(); at += 70)
        text += " " + entries.substr(at, 70) + "\n";
    return text;
}

}  // namespace

std::string gaussian_output(const GaussianOutput& output) {
    std::string text =
        " Entering Gaussian System, Link 0=g16\n"
        " #p b3lyp/6-31g(d) opt\n"
        " Charge =  0 Multiplicity = 1\n";
    for (const auto& step : output.steps) {
        text += orientation_table(step);
        text += " Copying SCF densities to generalized density rwf, IOpCl= 0 IROHF=0.\n";
        text += " SCF Done:  E(RB3LYP) =  " + output.energy + "00     A.U. after   10 cycles\n";
        text += " Dipole        = 1.23456789D-01-2.34567890D-01 3.45678901D-02\n";
    }
    if (output.archive) {
        text += " Optimization completed.\n";
        text += archive_block(output);
        text += "\n\n AN EXPERT IS ONE WHO KNOWS MORE AND MORE ABOUT LESS AND LESS.\n";
        text += " Normal termination of Gaussian 16 at Tue Dec  8 19:05:54 2026.\n";
    }
    if (!output.crlf) return text;
    std::string windows;
    for (const char c : text) {
        if (c == '\n') windows += '\r';
        windows += c;
    }
    return windows;
}

std::vector<Atom> ethanol() {
    return {
        {6, -1.1685, -0.3884, 0.0}, {6, 0.0142, 0.5560, 0.0},      {8, 1.1849, -0.2540, 0.0},
        {1, 1.9492, 0.3350, 0.0},   {1, -0.0196, 1.2026, 0.8830},  {1, -0.0196, 1.2026, -0.8830},
        {1, -2.1024, 0.1754, 0.0},  {1, -1.1372, -1.0317, 0.8847}, {1, -1.1372, -1.0317, -0.8847}};
}

std::vector<Atom> turned(std::vector<Atom> atoms, double angle) {
    // Rodrigues' rotation about the unit axis (2, -1, 2) / 3, then a shift.
    const double n[3] = {2.0 / 3, -1.0 / 3, 2.0 / 3};
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    for (Atom& a : atoms) {
        const double v[3] = {a.x, a.y, a.z};
        const double dot = n[0] * v[0] + n[1] * v[1] + n[2] * v[2];
        const double cross[3] = {n[1] * v[2] - n[2] * v[1], n[2] * v[0] - n[0] * v[2],
                                 n[0] * v[1] - n[1] * v[0]};
        a.x = v[0] * c + cross[0] * s + n[0] * dot * (1 - c) + 3.0;
        a.y = v[1] * c + cross[1] * s + n[1] * dot * (1 - c) - 1.5;
        a.z = v[2] * c + cross[2] * s + n[2] * dot * (1 - c) + 0.25;
    }
    return atoms;
}

std::string record_body(const std::string& name, const std::string& energy,
                        const std::string& dipole, const std::vector<Atom>& atoms) {
    std::ostringstream text;
    text << " " << name << " opt\n B3LYP/6-31G(d)\nHF=" << energy << "\n SCF\nDipole= " << dipole
         << "\n Standard orientation\n ----\n";
    for (const Atom& a : atoms)
        text << symbol_of(a.number) << " " << a.x << " " << a.y << " " << a.z << "\n";
    text << " ----\n";
    return text.str();
}

std::string collection_block(int label, const std::string& body) {
    return "NAME_" + std::to_string(label) + ":" + body + "---------------------------------@\n";
}

fs::path real_outputs_dir() {
    const fs::path dir = REAL_OUTPUTS_DIR;
    return fs::is_directory(dir) ? dir : fs::path();
}

fs::path test_data_dir() { return TEST_DATA_DIR; }

}  // namespace support
