// Does sort_outputs read only the end of each output file? COutSort::get_info takes the
// energy, the dipole and the final geometry of a Gaussian optimisation output from its
// last kilobytes, so its time per file should not grow with the file's size:
//  - GetInfo: get_info on a 200 KB and on a 20 MB output of the same 20-atom molecule
//    that end in the same tail (final geometry, population analysis, archive);
//  - TailRead: the floor: open the file, seek to its last "Standard orientation:" table
//    and read every byte from there to the end (what `tail -c` of that many bytes costs);
//  - ReadFilelist: read_filelist over a list of 20 such files, as sort_outputs reads
//    them, reported per file.
// Expected: GetInfo/200000 and GetInfo/20000000 take about the same time, and both stay
// within 3 times TailRead. The files sit in the page cache (they are written once, then
// read over and over), so the figures are the CPU cost of reading, not disk seeks.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <streambuf>
#include <string>
#include <vector>

#include "COutFile.h"

namespace {

namespace fs = std::filesystem;

const int ATOMS = 20;
const int FILES_IN_LIST = 20;
const char* const TABLE_KEY = "Standard orientation:";

// ---------------------------------------------------------------- the output files

struct Atom {
    int number;
    double x;
    double y;
    double z;
};

// Hexanoic acid, C6H12O2: the carbon chain as a zigzag in the xy plane, the carboxyl
// oxygens (atoms 7, 8) at its end, then the hydrogens.
std::vector<Atom> hexanoic_acid() {
    std::vector<Atom> atoms;
    for (int i = 0; i < 6; ++i) atoms.push_back({6, 1.26 * i, i % 2 == 0 ? -0.435 : 0.435, 0.0});
    const Atom c6 = atoms[5];
    atoms.push_back({8, c6.x + 0.60, c6.y + 1.05, 0.0});  // C=O
    atoms.push_back({8, c6.x + 0.75, c6.y - 1.00, 0.0});  // C-OH
    const Atom c1 = atoms[0];
    atoms.push_back({1, c1.x - 1.02, c1.y - 0.10, 0.0});
    atoms.push_back({1, c1.x + 0.05, c1.y - 0.63, 0.89});
    atoms.push_back({1, c1.x + 0.05, c1.y - 0.63, -0.89});
    for (int i = 1; i <= 4; ++i) {
        const Atom c = atoms[static_cast<std::size_t>(i)];
        const double out = c.y > 0 ? 0.63 : -0.63;
        atoms.push_back({1, c.x, c.y + out, 0.89});
        atoms.push_back({1, c.x, c.y + out, -0.89});
    }
    const Atom o = atoms[7];
    atoms.push_back({1, o.x + 0.97, o.y - 0.05, 0.0});
    return atoms;
}

// The molecule a little off its final geometry, as at an earlier optimisation step.
std::vector<Atom> displaced(std::vector<Atom> atoms, int step) {
    const double amount = 0.05 / (1.0 + 0.01 * step);
    for (std::size_t i = 0; i < atoms.size(); ++i) {
        atoms[i].x += amount * std::sin(0.7 * static_cast<double>(i) + step);
        atoms[i].y += amount * std::cos(1.3 * static_cast<double>(i) + step);
        atoms[i].z += amount * std::sin(2.1 * static_cast<double>(i) - step);
    }
    return atoms;
}

const std::string rule = " " + std::string(69, '-') + "\n";

std::string orientation_table(const std::string& title, const std::vector<Atom>& atoms) {
    std::string text = std::string(25, ' ') + title + std::string(25, ' ') + "\n" + rule +
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

// One step of the optimisation before the last: both orientation tables, the SCF with
// its "IROHF=0." line, the forces with their "Dipole        =" line, the convergence test.
std::string optimisation_step(int step) {
    const std::vector<Atom> atoms = displaced(hexanoic_acid(), step);
    char line[160];
    std::string text =
        " GradGradGradGradGradGradGradGradGradGradGradGradGradGradGradGradGradGrad\n"
        " Berny optimization.\n"
        " Using GEDIIS/GDIIS optimizer.\n";
    text += orientation_table("Input orientation:", atoms);
    text += orientation_table(TABLE_KEY, atoms);
    text +=
        " Rotational constants (GHZ):      5.7264904      0.8849396      0.7966127\n"
        " Standard basis: 6-31G(d) (6D, 7F)\n"
        " There are   136 symmetry adapted cartesian basis functions of A   symmetry.\n"
        " Initial guess from the checkpoint file:  \"opt.chk\"\n"
        " B after Tr=     0.000000    0.000000    0.000000\n"
        " Copying SCF densities to generalized density rwf, IOpCl= 0 IROHF=0.\n"
        " Requested convergence on RMS density matrix=1.00D-08 within 128 cycles.\n"
        " Integral accuracy reduced to 1.0D-05 until final iterations.\n";
    std::snprintf(line, sizeof line,
                  " SCF Done:  E(RB3LYP) =  -386.%09d     A.U. after   %2d cycles\n",
                  720123456 - step % 1000, 8 + step % 5);
    text += line;
    text +=
        "            NFock=  9  Conv=0.37D-08     -V/T= 2.0089\n"
        " ***** Axes restored to original set *****\n" +
        rule.substr(0, 68) + "\n" +
        " Center     Atomic                   Forces (Hartrees/Bohr)\n"
        " Number     Number              X              Y              Z\n" +
        rule.substr(0, 68) + "\n";
    for (std::size_t i = 0; i < atoms.size(); ++i) {
        std::snprintf(line, sizeof line, " %6zu %8d      %14.9f %14.9f %14.9f\n", i + 1,
                      atoms[i].number, 1e-4 * std::sin(1.0 * i + step),
                      1e-4 * std::cos(2.0 * i + step), 1e-5 * std::sin(3.0 * i - step));
        text += line;
    }
    text += rule.substr(0, 68) + "\n" +
            " Cartesian Forces:  Max     0.000456789 RMS     0.000123456\n"
            " Dipole        = 1.23456789D-01-2.34567890D-01 3.45678901D-02\n"
            " Dipole        = 1.23456702D-01-2.34567811D-01 3.45678844D-02\n"
            "         Item               Value     Threshold  Converged?\n"
            " Maximum Force            0.000457     0.000450     NO \n"
            " RMS     Force            0.000123     0.000300     YES\n"
            " Maximum Displacement     0.004567     0.001800     NO \n"
            " RMS     Displacement     0.001234     0.001200     NO \n"
            " Predicted change in Energy=-1.234567D-07\n";
    return text;
}

const char* symbol_of(int number) {
    switch (number) {
        case 1: return "H";
        case 6: return "C";
        case 8: return "O";
        default: return "X";
    }
}

// The archive block, wrapped at 70 columns with a leading blank as Gaussian writes it.
std::string archive_block(const std::vector<Atom>& atoms, const std::string& energy) {
    std::string entries =
        "1\\1\\GINC-NODE7\\FOpt\\RB3LYP\\6-31G(d)\\C6H12O2\\BENCH\\08-Dec-2026"
        "\\0\\\\#p b3lyp/6-31g(d) opt\\\\hexanoic acid\\\\0,1";
    char field[96];
    for (const Atom& a : atoms) {
        std::snprintf(field, sizeof field, "\\%s,%.10f,%.10f,%.10f", symbol_of(a.number), a.x, a.y,
                      a.z);
        entries += field;
    }
    entries += "\\\\Version=ES64L-G16RevC.01\\State=1-A\\HF=" + energy +
               "\\RMSD=3.412e-09\\RMSF=2.118e-05\\Dipole=0.4123456,-0.7234567,0.1012345"
               "\\Quadrupole=-1.2,0.8,0.4,0.1,0.,0.\\PG=C01 [X(C6H12O2)]\\\\@";
    std::string text;
    for (std::size_t at = 0; at < entries.size(); at += 70)
        text += " " + entries.substr(at, 70) + "\n";
    return text;
}

// Everything from the last "Standard orientation:" table to the end of the file: the
// final geometry, the population analysis, the archive and the termination lines.
std::string final_tail(const std::string& energy) {
    const std::vector<Atom> atoms = hexanoic_acid();
    char line[160];
    std::string text = orientation_table(TABLE_KEY, atoms);
    text +=
        " Rotational constants (GHZ):      5.7264911      0.8849402      0.7966130\n"
        " ******************************************************************\n"
        " **********************************************************************\n"
        "            Population analysis using the SCF Density.\n"
        " **********************************************************************\n"
        " Orbital symmetries:\n";
    for (int i = 0; i < 30; ++i) text += "       (A) (A) (A) (A) (A) (A) (A) (A) (A) (A)\n";
    text += " The electronic state is 1-A.\n";
    for (int i = 0; i < 7; ++i) {
        std::snprintf(line, sizeof line,
                      " Alpha  occ. eigenvalues -- %10.5f%10.5f%10.5f%10.5f%10.5f\n", -19.2 + i,
                      -19.1 + i, -10.3 + i, -10.2 + 0.5 * i, -1.1 + 0.1 * i);
        text += line;
    }
    for (int i = 0; i < 20; ++i) {
        std::snprintf(line, sizeof line,
                      " Alpha virt. eigenvalues -- %10.5f%10.5f%10.5f%10.5f%10.5f\n", 0.01 + i,
                      0.05 + i, 0.08 + i, 0.11 + i, 0.13 + i);
        text += line;
    }
    text += "          Condensed to atoms (all electrons):\n";
    for (int block = 0; block < 4; ++block) {
        text += "              1          2          3          4          5          6\n";
        for (int i = 0; i < ATOMS; ++i) {
            std::snprintf(line, sizeof line,
                          " %4d  %s   %10.6f %10.6f %10.6f %10.6f %10.6f %10.6f\n", i + 1,
                          symbol_of(atoms[static_cast<std::size_t>(i)].number),
                          0.3 * std::sin(1.0 * i + block), 0.01 * i, -0.02 * block, 0.001 * i,
                          0.3 * std::cos(1.0 * i), 0.0);
            text += line;
        }
    }
    text += " Mulliken charges:\n               1\n";
    for (int i = 0; i < ATOMS; ++i) {
        std::snprintf(line, sizeof line, " %5d  %s   %10.6f\n", i + 1,
                      symbol_of(atoms[static_cast<std::size_t>(i)].number), 0.2 * std::sin(i));
        text += line;
    }
    text +=
        " Sum of Mulliken charges =   0.00000\n"
        " Electronic spatial extent (au):  <R**2>=           1856.4321\n"
        " Charge=              0.0000 electrons\n"
        " Dipole moment (field-independent basis, Debye):\n"
        "    X=              1.0481    Y=             -1.8390    Z=              0.2573"
        "  Tot=              2.1323\n"
        " Quadrupole moment (field-independent basis, Debye-Ang):\n"
        "   XX=            -45.1234   YY=            -48.2345   ZZ=            -52.3456\n"
        "   XY=              1.2345   XZ=              0.1234   YZ=             -0.0123\n"
        " N-N= 3.912345678901D+02 E-N=-1.612345678901D+03  KE= 3.831234567890D+02\n"
        " Optimization completed.\n"
        "    -- Stationary point found.\n";
    text += archive_block(atoms, energy);
    text += "\n\n AN EXPERT IS ONE WHO KNOWS MORE AND MORE ABOUT LESS AND LESS.\n";
    text += " Job cpu time:       0 days  1 hours 12 minutes 34.5 seconds.\n";
    text += " Normal termination of Gaussian 16 at Tue Dec  8 19:05:54 2026.\n";
    return text;
}

const std::string header =
    " Entering Gaussian System, Link 0=g16\n"
    " %chk=opt.chk\n"
    " #p b3lyp/6-31g(d) opt\n"
    " hexanoic acid\n"
    " Charge =  0 Multiplicity = 1\n";

// Energy text of file number i of a size: each file of a list differs in its energy.
std::string energy_of(int i) { return "-386.72" + std::to_string(10000 + i); }

const fs::path& output_dir() {
    static const fs::path dir = fs::temp_directory_path() / "conformer-bench-sort-outputs";
    return dir;
}

fs::path output_file(std::size_t size, int i) {
    return output_dir() / ("opt-" + std::to_string(size) + "-" + std::to_string(i) + ".log");
}

// Writes the FILES_IN_LIST outputs of about `size` bytes unless they are there from an
// earlier run. Each file is written under a temporary name and renamed when complete, so
// an interrupted run leaves no short file behind to be reused.
void make_outputs(std::size_t size) {
    bool present = true;
    for (int i = 1; i <= FILES_IN_LIST; ++i) present = present && fs::exists(output_file(size, i));
    if (present) return;
    fs::create_directories(output_dir());
    std::string middle = header;
    const std::size_t tail_size = final_tail(energy_of(1)).size();
    for (int step = 1; middle.size() + tail_size < size; ++step) middle += optimisation_step(step);
    for (int i = 1; i <= FILES_IN_LIST; ++i) {
        const fs::path file = output_file(size, i);
        const fs::path partial = fs::path(file).concat(".partial");
        {
            std::ofstream out(partial, std::ios::binary | std::ios::trunc);
            out << middle << final_tail(energy_of(i));
            if (!out) throw std::runtime_error("cannot write " + partial.string());
        }
        fs::rename(partial, file);
    }
}

// Offset of the last "Standard orientation:" in the file, found by reading its last
// megabyte; -1 when it is not there.
std::streamoff last_table_offset(const fs::path& file) {
    const auto size = static_cast<std::streamoff>(fs::file_size(file));
    const std::streamoff from = std::max<std::streamoff>(0, size - (1 << 20));
    std::ifstream in(file, std::ios::binary);
    in.seekg(from);
    std::string text(static_cast<std::size_t>(size - from), '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    const std::size_t at = text.rfind(TABLE_KEY);
    return at == std::string::npos ? -1 : from + static_cast<std::streamoff>(at);
}

// Checks once that get_info reads what the file holds; the message of a failure, or "".
std::string check_get_info(const fs::path& file, int i) {
    COutSort result;
    if (!result.get_info(file.string(), ATOMS)) return "get_info failed";
    if (std::fabs(result.energy - std::stod(energy_of(i))) > 1e-9) return "wrong energy";
    const double dipole =
        std::sqrt(0.4123456 * 0.4123456 + 0.7234567 * 0.7234567 + 0.1012345 * 0.1012345);
    if (std::fabs(result.dipole - dipole) > 1e-6) return "wrong dipole";
    const Atom last = hexanoic_acid().back();
    const CVECTOR read = result.conformer.get_vector(ATOMS);
    if (std::fabs(read.x - last.x) > 1e-5 || std::fabs(read.z - last.z) > 1e-5)
        return "wrong final geometry";
    return "";
}

// A stream buffer that swallows everything: read_filelist echoes every file name.
class NullBuffer : public std::streambuf {
protected:
    int overflow(int c) override { return traits_type::not_eof(c); }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

// ---------------------------------------------------------------- the benchmarks

void GetInfo(benchmark::State& state) {
    const auto size = static_cast<std::size_t>(state.range(0));
    make_outputs(size);
    const fs::path file = output_file(size, 1);
    const std::string problem = check_get_info(file, 1);
    if (!problem.empty()) {
        state.SkipWithError(problem.c_str());
        return;
    }
    const std::string name = file.string();
    // get_info reads files, so the call cannot be optimised away; its results are only
    // counted. (Google Benchmark 1.7's DoNotOptimize on a non-const int or bool loses the
    // value under GCC 12 -O3, so no value here passes through it.)
    COutSort result;
    int failed = 0;
    for (auto _ : state) {
        if (!result.get_info(name, ATOMS)) ++failed;
    }
    if (failed > 0) state.SkipWithError("get_info failed during the run");
    state.counters["file_MB"] = static_cast<double>(fs::file_size(file)) / 1e6;
}
BENCHMARK(GetInfo)
    ->Arg(200 * 1000)
    ->Arg(20 * 1000 * 1000)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();

void TailRead(benchmark::State& state) {
    const auto size = static_cast<std::size_t>(state.range(0));
    make_outputs(size);
    const fs::path file = output_file(size, 1);
    const std::streamoff offset = last_table_offset(file);
    if (offset < 0) {
        state.SkipWithError("no orientation table near the end");
        return;
    }
    const auto tail_bytes =
        static_cast<std::streamsize>(static_cast<std::streamoff>(fs::file_size(file)) - offset);
    std::vector<char> buffer(static_cast<std::size_t>(tail_bytes));
    const std::string name = file.string();
    for (auto _ : state) {
        std::ifstream in(name, std::ios::binary);
        in.seekg(offset);
        in.read(buffer.data(), tail_bytes);
        benchmark::DoNotOptimize(buffer.data());
        benchmark::ClobberMemory();
        if (in.gcount() != tail_bytes) {
            state.SkipWithError("short read");
            break;
        }
    }
    state.counters["tail_bytes"] = static_cast<double>(tail_bytes);
}
BENCHMARK(TailRead)
    ->Arg(200 * 1000)
    ->Arg(20 * 1000 * 1000)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();

void ReadFilelist(benchmark::State& state) {
    const auto size = static_cast<std::size_t>(state.range(0));
    make_outputs(size);
    // read_filelist reads "list.txt" and writes "errorfile.txt" in the working directory.
    const fs::path work = output_dir() / ("work-" + std::to_string(size));
    fs::create_directories(work);
    {
        std::ofstream list(work / "list.txt", std::ios::trunc);
        for (int i = 1; i <= FILES_IN_LIST; ++i) list << output_file(size, i).string() << '\n';
    }
    const fs::path previous = fs::current_path();
    fs::current_path(work);
    NullBuffer null;
    std::streambuf* const console = std::cout.rdbuf(&null);

    int read = 0;
    for (auto _ : state) {
        COutSortList results(ATOMS);
        results.read_filelist("list.txt");
        read = results.get_count();
    }

    std::cout.rdbuf(console);
    fs::current_path(previous);
    if (read != FILES_IN_LIST) state.SkipWithError("not every file was read");
    state.SetItemsProcessed(state.iterations() * FILES_IN_LIST);
    // Seconds per file, to set beside GetInfo.
    state.counters["per_file"] = benchmark::Counter(
        FILES_IN_LIST, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(ReadFilelist)
    ->Arg(200 * 1000)
    ->Arg(20 * 1000 * 1000)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
