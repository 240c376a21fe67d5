// What does reading an ORCA or xtb result cost, and does it stay within one reading of the
// file? read_output_file recognises the program from the file's head and reads the result
// from its end where the format allows:
//  - OrcaOptimisation: a 3 MB ORCA optimisation (50 cycles of a 20-atom molecule, then the
//    final energy evaluation, dipole and termination): read from the head and the end;
//  - OrcaFrequencies: a 3 MB ORCA frequency job, whose only geometry stands near the head:
//    the file is read whole, once;
//  - WholeFileRead: the ceiling: open the 3 MB file and read every byte into memory;
//  - XtbOptimisation: a 60 KB xtb optimisation of the same molecule;
//  - RealCompoundJob: orca_gemfi_alfa_minima_1.out (2.7 MB, ORCA 5), when the real outputs
//    are beside the checkout.
// Expected: OrcaOptimisation well below WholeFileRead (counter read_MB well below
// file_MB); OrcaFrequencies within 3 times WholeFileRead, with read_MB equal to file_MB.
// The files sit in the page cache, so the figures are the CPU cost of reading.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "COutFile/formats/orca_output.h"
#include "COutFile/formats/output_format.h"
#include "COutFile/formats/output_text.h"
#include "COutFile/formats/xtb_output.h"

namespace {

namespace fs = std::filesystem;

const std::size_t FILE_BYTES = 3 * 1000 * 1000;
const int ATOMS = 20;

std::string fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

// A 20-atom geometry (divinylbenzene-like), a little different at each step.
std::string geometry_block(int step) {
    std::string block =
        "---------------------------------\nCARTESIAN COORDINATES (ANGSTROEM)\n"
        "---------------------------------\n";
    for (int a = 0; a < ATOMS; ++a) {
        const double shift = 0.01 * std::sin(step + a);
        block += std::string(a < 10 ? "  C " : "  H ") + "    " +
                 fixed(1.4 * std::cos(a) + shift, 6) + "    " +
                 fixed(1.4 * std::sin(a) - shift, 6) + "    " + fixed(0.1 * a, 6) + "\n";
    }
    return block +
           "\n----------------------------\nCARTESIAN COORDINATES (A.U.)\n"
           "----------------------------\n";
}

// What ORCA prints between two geometries: SCF iterations, orbital energies, populations.
std::string scf_printout(std::size_t bytes, double energy) {
    std::string text =
        " Total Charge           Charge          ....    0\n"
        " Multiplicity           Mult            ....    1\n";
    for (int i = 0; text.size() < bytes; ++i)
        text += "  " + std::to_string(i % 80) + "   2.0000     " + fixed(-10.0 + 0.01 * i, 6) +
                "    " + fixed(-275.47 + 0.2 * i, 4) + "\n";
    return text +
           "-------------------------   --------------------\nFINAL SINGLE POINT ENERGY    " +
           fixed(energy, 12) + "\n-------------------------   --------------------\n";
}

const std::string HEAD =
    "\n                                 *****************\n"
    "                                 * O   R   C   A *\n"
    "                                 *****************\n\n"
    "                         Program Version 5.0.4 -  RELEASE  -\n\n"
    "================================================================================\n"
    "                                       INPUT FILE\n"
    "================================================================================\n"
    "NAME = dvb.inp\n|  1> ! B3LYP D3BJ def2-SVP Opt Freq\n|  2> * xyzfile 0 1 dvb.xyz\n"
    "|  3>                          ****END OF INPUT****\n";

const std::string END =
    "-------------\nDIPOLE MOMENT\n-------------\n"
    "Total Dipole Moment    :     -0.28224      -0.63333      -0.00021\n\n"
    "                             ****ORCA TERMINATED NORMALLY****\n"
    "TOTAL RUN TIME: 0 days 0 hours 52 minutes 52 seconds 153 msec\n";

// An optimisation of 50 cycles, then the final evaluation printed at length.
std::string orca_optimisation() {
    std::string text = HEAD;
    const int cycles = 50;
    const std::size_t per_cycle = FILE_BYTES / (cycles + 2);
    for (int step = 0; step < cycles; ++step)
        text += geometry_block(step) + scf_printout(per_cycle, -382.05 - 1e-5 * step);
    text += "        *** FINAL ENERGY EVALUATION AT THE STATIONARY POINT ***\n" +
            geometry_block(cycles) + scf_printout(2 * per_cycle, -382.0551333995) +
            "                                *** OPTIMIZATION RUN DONE ***\n";
    return text + END;
}

// A frequency job: one geometry near the head, the long analysis after it.
std::string orca_frequencies() {
    std::string text =
        HEAD + geometry_block(0) + scf_printout(FILE_BYTES / 2, -382.0551071076) + END;
    text.erase(text.size() - END.size() + END.find("\n                             ****"));
    text += "\n-----------------------\nVIBRATIONAL FREQUENCIES\n-----------------------\n\n";
    for (int mode = 0; mode < 3 * ATOMS; ++mode)
        text += "  " + std::to_string(mode) + ":  " + fixed(mode < 6 ? 0.0 : 40.0 * mode, 2) +
                " cm**-1\n";
    text += "\n\n------------\nNORMAL MODES\n------------\n";
    for (int i = 0; text.size() < FILE_BYTES; ++i)
        text +=
            "      " + std::to_string(i) + "      0.012345   -0.123456    0.234567   -0.003456\n";
    return text +
           "\n--------------------------\nTHERMOCHEMISTRY AT 298.15K\n"
           "--------------------------\n\nTemperature         ... 298.15 K\n"
           "Total Enthalpy                    ...   -381.86823509 Eh\n"
           "Final Gibbs free energy         ...   -381.91114546 Eh\n\n"
           "                             ****ORCA TERMINATED NORMALLY****\n";
}

std::string xtb_optimisation() {
    std::string text =
        "     |                           x T B                           |\n\n"
        "   * xtb version 6.5.1 (unknown) compiled by 'builduser@buildhost' on 2022-12-09\n"
        "          program call               : xtb dvb.xyz --opt\n"
        "          coordinate file            : dvb.xyz\n"
        "          |                 G F N 2 - x T B                 |\n";
    for (int cycle = 0; text.size() < 55000; ++cycle)
        text +=
            "   " + std::to_string(cycle) + "    -26.4382425 -0.264382E+02  0.114E-02   14.77  T\n";
    text +=
        "   *** GEOMETRY OPTIMIZATION CONVERGED AFTER 30 ITERATIONS ***\n\n"
        "================\n final structure:\n================\n" +
        std::to_string(ATOMS) + "\n xtb: 6.5.1 (unknown)\n";
    for (int a = 0; a < ATOMS; ++a)
        text += std::string(a < 10 ? "C " : "H ") + fixed(1.4 * std::cos(a), 14) + " " +
                fixed(1.4 * std::sin(a), 14) + " " + fixed(0.1 * a, 14) + "\n";
    return text +
           "\nmolecular dipole:\n                 x           y           z       tot (Debye)\n"
           " q only:        0.000       0.000       0.000\n"
           "   full:        0.000       0.000       0.000       0.000\n"
           "          | TOTAL ENERGY              -26.438242468348 Eh   |\n"
           " * finished run on 2026/12/09 at 15:24:35.974\n";
}

// The file of a generated text, written once per run.
fs::path written(const char* name, std::string (*make)()) {
    const fs::path file = fs::temp_directory_path() / "conformer-bench-formats" / name;
    if (fs::exists(file)) return file;
    fs::create_directories(file.parent_path());
    const fs::path partial = fs::path(file).concat(".partial");
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        out << make();
        if (!out) throw std::runtime_error("cannot write " + partial.string());
    }
    fs::rename(partial, file);
    return file;
}

void read_result(benchmark::State& state, const fs::path& file) {
    const std::string name = file.string();
    confsearch::OutputResult result;
    {
        const confsearch::ReadError error = confsearch::read_output_file(name, result);
        if (!error.ok()) {
            state.SkipWithError(error.message(name).c_str());
            return;
        }
    }
    // What read_output_file does, with the text at hand to count the bytes it read.
    std::size_t bytes = 0;
    int failed = 0;
    for (auto _ : state) {
        confsearch::OutputText text;
        confsearch::ReadError error = text.open(name);
        const auto program = confsearch::recognise_output(text);
        if (error.ok())
            error = program == confsearch::OutputProgram::orca
                        ? confsearch::read_orca_output(text, result)
                        : confsearch::read_xtb_output(text, result);
        if (!error.ok()) ++failed;
        bytes = text.bytes_read();
    }
    if (failed > 0) state.SkipWithError("a read failed during the run");
    state.counters["file_MB"] = static_cast<double>(fs::file_size(file)) / 1e6;
    state.counters["read_MB"] = static_cast<double>(bytes) / 1e6;
}

void OrcaOptimisation(benchmark::State& state) {
    read_result(state, written("orca_opt.out", orca_optimisation));
}
BENCHMARK(OrcaOptimisation)->Unit(benchmark::kMicrosecond)->UseRealTime();

void OrcaFrequencies(benchmark::State& state) {
    read_result(state, written("orca_freq.out", orca_frequencies));
}
BENCHMARK(OrcaFrequencies)->Unit(benchmark::kMicrosecond)->UseRealTime();

void WholeFileRead(benchmark::State& state) {
    const fs::path file = written("orca_opt.out", orca_optimisation);
    std::string bytes(fs::file_size(file), '\0');
    for (auto _ : state) {
        std::ifstream in(file, std::ios::binary);
        in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        benchmark::DoNotOptimize(bytes.data());
        benchmark::ClobberMemory();
    }
    state.counters["file_MB"] = static_cast<double>(bytes.size()) / 1e6;
}
BENCHMARK(WholeFileRead)->Unit(benchmark::kMicrosecond)->UseRealTime();

void XtbOptimisation(benchmark::State& state) {
    read_result(state, written("xtb_opt.out", xtb_optimisation));
}
BENCHMARK(XtbOptimisation)->Unit(benchmark::kMicrosecond)->UseRealTime();

void RealCompoundJob(benchmark::State& state) {
    const fs::path file = fs::path(ORCA_OUTPUTS_DIR) / "orca_gemfi_alfa_minima_1.out";
    if (!fs::exists(file)) {
        state.SkipWithError("the real ORCA outputs are not beside the checkout");
        return;
    }
    read_result(state, file);
}
BENCHMARK(RealCompoundJob)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
