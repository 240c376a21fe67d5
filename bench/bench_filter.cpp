// How long does the duplicate filter take on a large search? filter_old walks a list of
// results sorted by energy and compares each group head with every later result inside
// the energy window (superposition of the two geometries, then the dipole). With a narrow
// window of 2e-5 hartree, 10,000 results of a 20-atom molecule should be grouped in well
// under a second. How does the time grow from 1,000 to 10,000 results?
//  - FilterOld/<N>: filter_old on a list sorted once beforehand;
//  - SortAndFilter/<N>: QuickSort (sort by energy, then filter_old) on the list as read.
// The results spread their energies evenly over 10 millihartree, so the number of
// results inside one window grows with N, and so does the number of comparisons. The
// counters give the groups found (it should equal the distinct conformers made) and the
// comparisons per run (the filter prints one line per comparison; standard output goes
// to a null buffer during the run, which counts the lines).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <iostream>
#include <map>
#include <random>
#include <streambuf>
#include <string>
#include <vector>

#include "COutFile.h"
#include "GaussianFixtures.h"

using namespace confsearch;

namespace {

const int ATOMS = 20;
// Window and tolerances as sort_outputs is run on B3LYP searches.
const double ENERGY_TOL = 2e-05;
const double DIPOLE_TOL = 0.05;
const double GEOMETRY_TOL = 0.15;
const int REFERENCE_ATOM = 1;
// One result in five is found again by the search: the same conformer moved and turned.
const double DUPLICATE_SHARE = 0.2;

struct Atom {
    int number;
    CVECTOR position;
};

std::vector<Atom> hexanoic_acid() {
    std::vector<Atom> atoms;
    for (const support::Atom& a : support::hexanoic_acid())
        atoms.push_back({a.number, CVECTOR(a.x, a.y, a.z)});
    return atoms;
}

// Rodrigues' rotation of p about the unit axis n by angle.
CVECTOR turn(const CVECTOR& p, const CVECTOR& n, double angle) {
    const double c = std::cos(angle);
    return p * c + (n % p) * std::sin(angle) + n * ((n * p) * (1 - c));
}

struct Lists {
    COutSortList unsorted;
    COutSortList sorted;
    int conformers = 0;  // distinct conformers among the results
};

// n results of one search: distinct conformers (the molecule with every atom moved by up
// to 0.4 angstrom, energies spread evenly over 10 millihartree above -500, dipoles of
// 0.5 to 3 atomic units) and, one in five, a duplicate of an earlier one: the same geometry
// moved and turned as a whole, with a little noise, an energy within 1e-6 and a dipole
// within 0.01 of it.
Lists make_results(int n) {
    std::mt19937 rng(20261208u + static_cast<unsigned>(n));
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    auto between = [&](double low, double high) { return low + (high - low) * unit(rng); };
    const std::vector<Atom> molecule = hexanoic_acid();

    Lists lists;
    lists.unsorted.reinstall(ATOMS, n);
    std::vector<int> originals;
    for (int i = 1; i <= n; ++i) {
        COutSort& result = lists.unsorted[i];
        result.name = "conf" + std::to_string(i) + ".log";
        result.conformer.reinstall(ATOMS);
        if (!originals.empty() && unit(rng) < DUPLICATE_SHARE) {
            const COutSort& original = lists.unsorted[originals[static_cast<std::size_t>(
                unit(rng) * static_cast<double>(originals.size()))]];
            const CVECTOR axis = CVECTOR(between(-1, 1), between(-1, 1), between(0.1, 1)).normal();
            const double angle = between(0, 2 * PI);
            const CVECTOR shift(between(-5, 5), between(-5, 5), between(-5, 5));
            for (int a = 1; a <= ATOMS; ++a) {
                const CVECTOR noise(between(-0.002, 0.002), between(-0.002, 0.002),
                                    between(-0.002, 0.002));
                result.conformer.set_exyz(
                    a, original.conformer.get_element(a),
                    turn(original.conformer.get_vector(a) + noise, axis, angle) + shift);
            }
            result.energy = original.energy + between(-1e-6, 1e-6);
            result.dipole = original.dipole + between(-0.01, 0.01);
        } else {
            for (int a = 1; a <= ATOMS; ++a) {
                const Atom& atom = molecule[static_cast<std::size_t>(a - 1)];
                const CVECTOR moved(between(-0.4, 0.4), between(-0.4, 0.4), between(-0.4, 0.4));
                result.conformer.set_exyz(a, CELEMENT(atom.number), atom.position + moved);
            }
            result.energy = -500.0 + between(0.0, 0.01);
            result.dipole = between(0.5, 3.0);
            originals.push_back(i);
        }
    }
    lists.conformers = static_cast<int>(originals.size());
    lists.sorted = lists.unsorted;
    lists.sorted.QSort(1, n);
    return lists;
}

// Lists are made once per size and shared by both benchmarks.
const Lists& results(int n) {
    static std::map<int, Lists> made;
    auto found = made.find(n);
    if (found == made.end()) found = made.emplace(n, make_results(n)).first;
    return found->second;
}

int groups(const COutSortList& list) {
    int most = 0;
    for (int i = 1; i <= list.get_count(); ++i) most = std::max(most, list[i].group);
    return most;
}

// Swallows standard output and counts its lines: the filter prints one per comparison.
class CountingNullBuffer : public std::streambuf {
public:
    long long lines = 0;

protected:
    int overflow(int c) override {
        if (c == '\n') ++lines;
        return traits_type::not_eof(c);
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        lines += std::count(s, s + n, '\n');
        return n;
    }
};

// Standard output goes to a counting null buffer while the object lives.
class SilentConsole {
public:
    SilentConsole() : console_(std::cout.rdbuf(&null_)) {}
    ~SilentConsole() { std::cout.rdbuf(console_); }
    SilentConsole(const SilentConsole&) = delete;
    SilentConsole& operator=(const SilentConsole&) = delete;
    long long lines() const { return null_.lines; }

private:
    CountingNullBuffer null_;
    std::streambuf* console_;
};

// Runs filter_old (sorted input) or QuickSort (unsorted input) on a fresh copy of the
// list in every iteration; the copy is not timed.
void run(benchmark::State& state, bool sort_first) {
    const int n = static_cast<int>(state.range(0));
    const Lists& lists = results(n);
    const COutSortList& input = sort_first ? lists.unsorted : lists.sorted;
    COutSortList work;
    int found = 0;
    long long lines = 0;
    {
        SilentConsole silent;
        for (auto _ : state) {
            state.PauseTiming();
            work = input;
            state.ResumeTiming();
            if (sort_first)
                work.QuickSort(ENERGY_TOL, DIPOLE_TOL, GEOMETRY_TOL, REFERENCE_ATOM, nullptr);
            else
                work.filter_old(ENERGY_TOL, DIPOLE_TOL, GEOMETRY_TOL, REFERENCE_ATOM, nullptr);
            benchmark::ClobberMemory();
        }
        found = groups(work);
        lines = silent.lines();
    }
    state.counters["groups"] = found;
    state.counters["conformers"] = lists.conformers;
    state.counters["comparisons"] =
        static_cast<double>(lines) / static_cast<double>(state.iterations());
}

void FilterOld(benchmark::State& state) { run(state, false); }
BENCHMARK(FilterOld)
    ->Arg(1000)
    ->Arg(3000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void SortAndFilter(benchmark::State& state) { run(state, true); }
BENCHMARK(SortAndFilter)
    ->Arg(1000)
    ->Arg(3000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
