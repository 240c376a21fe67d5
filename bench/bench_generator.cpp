// How many combinations of bond positions does a generation run get through per second,
// and what does writing the candidate files add? The molecule is nonan-1-ol, C9H19OH (30
// atoms), turned about its five bonds O-C1 to C4-C5 in six steps each: 7,776
// combinations, each met with one torsion step and about one clash test.
//  - GenerateTest: generate_test(), standard output sent to a stream that discards it
//    (the progress line is still formatted); figure: combinations per second;
//  - Generate: generate(), one Gaussian input file per candidate; figure: time per
//    combination;
//  - ClashTest: one conformer_legit() of the 30-atom molecule (435 pairs), for scale.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <streambuf>
#include <string>
#include <vector>

#include "CConformer.h"

using namespace confsearch;

namespace {

namespace fs = std::filesystem;

// One atom of the molecule, built in row order: symbol, the row it is bonded to and its
// internal coordinates (angstrom, degrees) as make_linkmatrix reads them.
struct Atom {
    const char* symbol;
    int parent;
    double length;
    double angle;
    double dihedral;
};

// Nonan-1-ol from its hydroxyl hydrogen: H, O, C1, then for each carbon the next carbon
// (anti) and the carbon's two hydrogens; C9 carries three. O is row 2, C1 row 3, C2 row
// 4, C3 row 7, C4 row 10, C5 row 13.
std::vector<Atom> nonanol() {
    std::vector<Atom> atoms = {{"H", 0, 0, 0, 0}, {"O", 1, 0.96, 0, 0}, {"C", 2, 1.43, 108.5, 0}};
    int carbon = 3;
    for (int k = 1; k <= 8; ++k) {
        const int next = static_cast<int>(atoms.size()) + 1;
        atoms.push_back({"C", carbon, 1.53, 109.5, 180});
        atoms.push_back({"H", carbon, 1.09, 109.5, 120});
        atoms.push_back({"H", carbon, 1.09, 109.5, -120});
        carbon = next;
    }
    for (const double dihedral : {180.0, 120.0, -120.0})
        atoms.push_back({"H", carbon, 1.09, 109.5, dihedral});
    return atoms;
}

// A scratch working directory holding the molecule's geometry, Z-matrix and freedom
// files; the generator's log and candidates go there too.
class Workdir {
public:
    Workdir() : previous_(fs::current_path()) {
        std::string pattern = (fs::temp_directory_path() / "bench-generator-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no scratch folder");
        dir_ = pattern;
        fs::current_path(dir_);
        write_files(nonanol());
    }
    ~Workdir() {
        fs::current_path(previous_);
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }
    Workdir(const Workdir&) = delete;
    Workdir& operator=(const Workdir&) = delete;

    static int atoms() { return static_cast<int>(nonanol().size()); }

private:
    fs::path previous_;
    fs::path dir_;

    static void write_files(const std::vector<Atom>& atoms) {
        const int n = static_cast<int>(atoms.size());
        CZMATRIX z(n);
        for (int i = 1; i <= n; ++i) {
            z.set_order(i, i);
            z[i].bond_ref = atoms[i - 1].parent;
        }
        if (!z.standardize_linkrelation()) throw std::runtime_error("tree refused");
        for (int i = 2; i <= n; ++i) {
            z[i].bond_length = atoms[i - 1].length;
            z[i].bond_angle = radian(atoms[i - 1].angle);
            z[i].dihedral_angle = radian(atoms[i - 1].dihedral);
        }
        z.set_origin(CVECTOR(0.3, -0.2, 0.1));
        z.set_orientation(1.0, 0.5, 0.3);
        CCLUSTER xyz(n);
        z.translate(xyz);

        std::ofstream geometry("nonanol.xyz");
        geometry.precision(15);
        geometry << n << "\nnonan-1-ol\n";
        for (int i = 1; i <= n; ++i)
            geometry << atoms[i - 1].symbol << ' ' << xyz[i].x << ' ' << xyz[i].y << ' ' << xyz[i].z
                     << '\n';
        std::ofstream links("nonanol.zmat");
        links << n << '\n';
        for (int i = 1; i <= n; ++i) {
            links << i;
            const int refs[] = {z[i].bond_ref, z[i].angle_ref, z[i].dihedral_ref};
            for (int k = 0; k < 3 && k < i - 1; ++k) links << ' ' << refs[k];
            links << '\n';
        }
        links << "----\n0\n";
        std::ofstream("nonanol.freedom") << "5\n2-3 6\n3-4 6\n4-7 6\n7-10 6\n10-13 6\n";
    }
};

// Accepts and drops every character, as a terminal nobody reads would.
class NullBuffer : public std::streambuf {
protected:
    int_type overflow(int_type c) override { return traits_type::not_eof(c); }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

class SilentOutput {
public:
    SilentOutput() : saved_(std::cout.rdbuf(&null_)) {}
    ~SilentOutput() { std::cout.rdbuf(saved_); }
    SilentOutput(const SilentOutput&) = delete;
    SilentOutput& operator=(const SilentOutput&) = delete;

private:
    NullBuffer null_;
    std::streambuf* saved_;
};

void load(CGenerateConformer& g) {
    if (!g.read_xyz("nonanol.xyz") || !g.read_Zmatrix("nonanol.zmat") ||
        !g.read_freedom("nonanol.freedom"))
        throw std::runtime_error("the benchmark molecule is refused");
}

void report(benchmark::State& state, const CGenerateConformer& g) {
    const CRunHeader& h = g.get_header();
    state.counters["generated"] = static_cast<double>(h.generated);
    state.counters["ignored"] = static_cast<double>(h.ignored);
}

void GenerateTest(benchmark::State& state) {
    Workdir dir;
    CGenerateConformer g(Workdir::atoms());
    load(g);
    const double combinations = static_cast<double>(g.get_header().total);
    {
        SilentOutput silent;
        for (auto _ : state) g.generate_test();
    }
    report(state, g);
    state.counters["combinations_per_s"] = benchmark::Counter(
        combinations * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(GenerateTest)->Unit(benchmark::kMillisecond);

void Generate(benchmark::State& state) {
    Workdir dir;
    CGenerateConformer g(Workdir::atoms());
    load(g);
    const double combinations = static_cast<double>(g.get_header().total);
    {
        SilentOutput silent;
        for (auto _ : state) g.generate();
    }
    report(state, g);
    state.counters["s_per_combination"] = benchmark::Counter(
        combinations, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(Generate)->Unit(benchmark::kMillisecond)->Iterations(3);

void ClashTest(benchmark::State& state) {
    Workdir dir;
    CGenerateConformer g(Workdir::atoms());
    load(g);
    for (auto _ : state) benchmark::DoNotOptimize(g.conformer_legit());
}
BENCHMARK(ClashTest);

}  // namespace

BENCHMARK_MAIN();
