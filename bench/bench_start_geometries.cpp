// How long do the ring forms and start geometries of a molecule take? Each lone ring fits
// every template of its size (8 for a cyclohexane, 20 for a cyclopentane, 18 for a
// cyclooctane) and a fused unit its flip, a few milliseconds in all; building one
// combination is a rigid move per ring and nitrogen and the checks, a few microseconds.
//  - RingForms: rings perceived and every unit's forms fitted and checked;
//  - BuildEveryStart: every combination of spiro[4.5]decane's two rings (20 x 8) built
//    and checked.
// The molecules are those of tests/data/molecules.
#include <benchmark/benchmark.h>

#include <fstream>
#include <stdexcept>
#include <string>

#include "CConformer.h"

using namespace confsearch;

namespace {

CBasicConformer molecule(const std::string& name) {
    const std::string file = std::string(MOLECULES_DIR) + "/" + name + ".xyz";
    std::ifstream in(file);
    int atoms = 0;
    in >> atoms;
    CBasicConformer conformer(atoms);
    if (!conformer.read_xyz(file)) throw std::runtime_error("cannot read " + file);
    return conformer;
}

const char* const MOLECULES[] = {"cyclohexane", "cyclopentane", "cyclooctane", "cis_decalin",
                                 "menthol"};

void RingForms(benchmark::State& state) {
    const CBasicConformer input = molecule(MOLECULES[state.range(0)]);
    const CBondGraph graph(input);
    std::size_t forms = 0;
    for (auto _ : state) {
        const auto rings = confsearch::find_rings(input, graph);
        forms = 0;
        for (const auto& unit : confsearch::find_ring_units(input, graph, rings))
            forms += unit.get_forms().size();
        benchmark::DoNotOptimize(forms);
    }
    state.SetLabel(MOLECULES[state.range(0)]);
    state.counters["forms"] = static_cast<double>(forms);
}
BENCHMARK(RingForms)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

void BuildEveryStart(benchmark::State& state) {
    const CBasicConformer input = molecule("spirodecane");
    const CBondGraph graph(input);
    const confsearch::StartGeometries starts(input, graph);
    std::size_t accepted = 0;
    for (auto _ : state) {
        accepted = starts.build_accepted().size();
        benchmark::DoNotOptimize(accepted);
    }
    state.counters["combinations"] = static_cast<double>(starts.count());
    state.counters["accepted"] = static_cast<double>(accepted);
}
BENCHMARK(BuildEveryStart)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
