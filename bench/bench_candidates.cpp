// How long does the one-file form of generate_conformers take from a geometry to its
// candidates, and what do the physical clash test and the removal of repeats add? The
// molecules are (S)-ibuprofen (33 atoms, 648 combinations) and metoprolol (44 atoms,
// ten turned bonds, 39,366 combinations), xtb minima.
//  - Plan: the set-up, bonds, tree and torsions from the graph; figure: time per set-up;
//  - Run/0, Run/1: the walk counting its candidates with the bonding distance alone and
//    with the physical test on top; figure: time per run and per combination;
//  - RunWithRepeats: the walk with every accepted candidate through the repeat filter.
#include <benchmark/benchmark.h>

#include <string>

#include "CConformer.h"
#include "CSearch.h"

using namespace confsearch;

namespace {

CBasicConformer molecule(const std::string& name) {
    CBasicConformer m;
    const std::string file = name == "ibuprofen"
                                 ? std::string(EXAMPLES_DIR) + "/ibuprofen/ibuprofen.xyz"
                                 : std::string(MOLECULES_DIR) + "/" + name + ".xyz";
    if (!read_xyz_file(file, m).ok()) throw std::runtime_error("cannot read " + file);
    return m;
}

const char* name_of(int which) { return which == 0 ? "ibuprofen" : "metoprolol"; }

void Plan(benchmark::State& state) {
    const CBasicConformer m = molecule(name_of(static_cast<int>(state.range(0))));
    for (auto _ : state) {
        const CandidatePlan plan(m);
        benchmark::DoNotOptimize(plan.get_combinations());
    }
}
BENCHMARK(Plan)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// range(0): the molecule; range(1): the physical test on (1) or off (0).
void Run(benchmark::State& state) {
    const CBasicConformer m = molecule(name_of(static_cast<int>(state.range(0))));
    const CandidatePlan plan(m);
    CandidateRules rules;
    rules.physical_clashes = state.range(1) != 0;
    const CandidateRun run(m, plan.get_setup().get_bonds(), plan.get_setup().get_tree(),
                           plan.get_torsions(), rules);
    CandidateCounts counts;
    for (auto _ : state) counts = run.run([](const Candidate&) {});
    state.counters["combinations"] = static_cast<double>(counts.combinations);
    state.counters["accepted"] = static_cast<double>(counts.accepted);
    state.counters["per_combination"] = benchmark::Counter(
        static_cast<double>(counts.combinations),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(Run)->Args({0, 0})->Args({0, 1})->Args({1, 0})->Args({1, 1})->Unit(
    benchmark::kMillisecond);

void RunWithRepeats(benchmark::State& state) {
    const CBasicConformer m = molecule(name_of(static_cast<int>(state.range(0))));
    const CandidatePlan plan(m);
    const CandidateRun run(m, plan.get_setup().get_bonds(), plan.get_setup().get_tree(),
                           plan.get_torsions());
    std::size_t kept = 0;
    for (auto _ : state) {
        RepeatFilter filter(m, plan.get_setup().get_bonds());
        run.run([&](const Candidate& c) { filter.repeats(c.positions); });
        kept = filter.get_kept();
    }
    state.counters["kept"] = static_cast<double>(kept);
}
BENCHMARK(RunWithRepeats)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
