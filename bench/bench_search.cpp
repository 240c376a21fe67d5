// How fast the keyword searches are on large output files:
//  - a backward search from the end for a keyword in the last 10 KB, on a 200 KB and on a
//    200 MB file (the cost should not depend on the file size);
//  - a forward search through a 100 MB file (throughput from the page cache).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "myfile.h"

using namespace confsearch;

namespace {

namespace fs = std::filesystem;

// Optimisation-step text as a Gaussian output repeats it, without the searched keywords.
const std::string filler_block =
    " SCF Done:  E(RB3LYP) =  -382.308266567     A.U. after   10 cycles\n"
    "            NFock= 10  Conv=0.55D-08     -V/T= 2.0089\n"
    "      1          6           0        0.269481    1.410087    0.000000\n"
    "      2          6           0       -1.064752    0.920700    0.000000\n"
    " Rotational constants (GHZ):      4.6264904      0.6849396      0.5966127\n"
    " Leave Link  202 at Mon Sep  1 16:54:48 2014, MaxMem=   131072000 cpu:         0.0\n";

// A file of about `size` bytes whose last 10 KB hold the archive keyword "HF=".
fs::path make_output(std::size_t size) {
    const fs::path file =
        fs::temp_directory_path() / ("conformer-bench-" + std::to_string(size) + ".out");
    if (fs::exists(file) && fs::file_size(file) >= size) return file;
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    std::string tail = " 1\\1\\GINC-NODE\\FOpt\\RB3LYP\\6-31G(d)\\C10H10\\\\HF=-382.3082666\\\n";
    while (tail.size() < 5000) tail += filler_block;
    std::size_t written = 0;
    while (written + tail.size() * 2 < size) {
        out << filler_block;
        written += filler_block.size();
    }
    out << tail;
    for (std::size_t i = 0; i < 5000 / filler_block.size(); ++i) out << filler_block;
    return file;
}

void BackwardSearchNearEnd(benchmark::State& state) {
    const fs::path file = make_output(static_cast<std::size_t>(state.range(0)));
    std::ifstream in(file, std::ios::binary);
    for (auto _ : state) {
        const bool found = file_find_ignore_linux(in, "HF=", -1, std::ios::end);
        benchmark::DoNotOptimize(found);
        if (!found) state.SkipWithError("keyword not found");
    }
    state.counters["file_MB"] = static_cast<double>(fs::file_size(file)) / 1e6;
}
BENCHMARK(BackwardSearchNearEnd)->Arg(200 * 1000)->Arg(200 * 1000 * 1000)->UseRealTime();

void ForwardSearchThroughFile(benchmark::State& state) {
    const fs::path file = make_output(static_cast<std::size_t>(state.range(0)));
    const auto bytes = static_cast<int64_t>(fs::file_size(file));
    std::ifstream in(file, std::ios::binary);
    for (auto _ : state) {
        in.seekg(0);
        // "Normal termination" is absent: the search reads the whole file.
        const bool found = state.range(1) == 0
                               ? file_find_linux(in, "Normal termination", 1, std::ios::beg)
                               : file_find_ignore_linux(in, "Dipole=", 1, std::ios::beg);
        benchmark::DoNotOptimize(found);
    }
    state.SetBytesProcessed(state.iterations() * bytes);
}
BENCHMARK(ForwardSearchThroughFile)
    ->Args({100 * 1000 * 1000, 0})
    ->Args({100 * 1000 * 1000, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
