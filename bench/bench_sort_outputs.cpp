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
#include "GaussianFixtures.h"

using namespace confsearch;

namespace {

namespace fs = std::filesystem;
using support::Atom;

const int ATOMS = 20;
const int FILES_IN_LIST = 20;
const char* const TABLE_KEY = "Standard orientation:";

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

// Energy text of file number i of a size: each file of a list differs in its energy.
std::string energy_of(int i) { return "-386.72" + std::to_string(10000 + i); }

const char* const DIPOLE = "0.4123456,-0.7234567,0.1012345";

// A hexanoic acid optimisation of `steps` steps before the final one, each printing its
// input and standard orientation, SCF and forces; population analysis after the final
// geometry, then the archive.
std::string optimisation_output(int steps, int i) {
    support::GaussianOutput output;
    for (int step = 1; step <= steps; ++step)
        output.steps.push_back(displaced(support::hexanoic_acid(), step));
    output.steps.push_back(support::hexanoic_acid());
    output.energy = energy_of(i);
    output.dipole = DIPOLE;
    output.orientation = support::GaussianOutput::input_and_standard;
    output.title = "hexanoic acid";
    output.formula = "C6H12O2";
    output.population_analysis = true;
    return support::gaussian_output(output);
}

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
    // Steps to reach the size: one step's share is the growth from one step to two.
    const std::size_t one = optimisation_output(1, 1).size();
    const std::size_t per_step = optimisation_output(2, 1).size() - one;
    const int steps = 1 + static_cast<int>(size > one ? (size - one) / per_step : 0);
    for (int i = 1; i <= FILES_IN_LIST; ++i) {
        const fs::path file = output_file(size, i);
        const fs::path partial = fs::path(file).concat(".partial");
        {
            std::ofstream out(partial, std::ios::binary | std::ios::trunc);
            out << optimisation_output(steps, i);
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
    const Atom last = support::hexanoic_acid().back();
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
