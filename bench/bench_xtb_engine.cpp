// What does the search engine add to xtb's own run time, and how much faster do two
// workers go than one on two cores? Runs the installed xtb (skipped without one).
//  - StartProgram: run_process of /bin/true: a start, a wait and a reap, for scale;
//  - XtbJob/<molecule>/<method>: one run_xtb_job of the molecule from its xyz file into a
//    fresh results folder; figures: xtb_s, xtb's wall time as run_process measured it,
//    and engine_ms, the rest of the job (input written, topology copied, five files moved,
//    renamed into place, scratch removed) and its share of xtb_s;
//  - Screen/<molecule>/<method>/<workers>: 8 jobs of the molecule through a JobPool of
//    1 or 2 workers; figures: wall time per screen (the speed-up is the ratio of the
//    two), xtb's own time per job, and engine_%, the wall time beyond the sum of xtb's
//    times shared out over the workers. On a machine others use too, xtb_s_per_job rises
//    with the workers: the second core was not free.
// Molecules: ethanol (9 atoms, tests/data) and ibuprofen (33 atoms, examples/).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "CSearch.h"

namespace {

namespace fs = std::filesystem;
using namespace confsearch;

const int SCREEN_JOBS = 8;

fs::path molecule_file(const std::string& name) {
    if (name == "ibuprofen") return fs::path(EXAMPLES_DIR) / "ibuprofen" / "ibuprofen.xyz";
    return fs::path(TEST_DATA_DIR) / "molecules" / (name + ".xyz");
}

XyzGeometry geometry_of(const std::string& name) {
    XyzGeometry geometry;
    const ReadError error = read_xyz_geometry(molecule_file(name).string(), geometry);
    if (!error.ok()) throw std::runtime_error(error.message(molecule_file(name).string()));
    return geometry;
}

// A run folder under the temporary folder, removed on scope exit.
class RunFolder {
public:
    RunFolder() {
        std::string pattern = (fs::temp_directory_path() / "bench-xtb-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no temporary folder");
        folder_ = pattern;
    }
    ~RunFolder() { fs::remove_all(folder_); }
    const fs::path& path() const { return folder_; }

private:
    fs::path folder_;
};

// Settings for the installed xtb and the method, with the GFN-FF set-up made in run.
XtbSettings settings_for(XtbMethod method, const XyzGeometry& molecule, const fs::path& run) {
    XtbSettings settings;
    settings.program = find_xtb().path;
    settings.method = method;
    if (method == XtbMethod::gfnff) settings.gfnff = prepare_gfnff_setup(settings, molecule, run);
    return settings;
}

bool have_xtb(benchmark::State& state) {
    if (!find_program("xtb").empty()) return true;
    state.SkipWithError("no xtb on the PATH");
    return false;
}

void StartProgram(benchmark::State& state) {
    ProcessRequest request;
    request.argv = {"true"};
    for (auto _ : state)
        if (!run_process(request).succeeded()) state.SkipWithError("true failed");
}
BENCHMARK(StartProgram)->Unit(benchmark::kMillisecond);

void XtbJob(benchmark::State& state, const std::string& molecule, XtbMethod method) {
    if (!have_xtb(state)) return;
    const RunFolder run;
    const XyzGeometry geometry = geometry_of(molecule);
    const XtbSettings settings = settings_for(method, geometry, run.path());
    double xtb_seconds = 0.0;
    double job_seconds = 0.0;
    int number = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const XtbJobResult result =
            run_xtb_job(settings, {"job" + std::to_string(++number), geometry}, run.path());
        job_seconds +=
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (result.status != XtbJobStatus::optimised) state.SkipWithError(result.reason.c_str());
        xtb_seconds += result.process.seconds;
    }
    state.counters["xtb_s"] = xtb_seconds / number;
    state.counters["engine_ms"] = 1000.0 * (job_seconds - xtb_seconds) / number;
    state.counters["engine_%"] = 100.0 * (job_seconds - xtb_seconds) / xtb_seconds;
}
BENCHMARK_CAPTURE(XtbJob, ethanol / gfn2, std::string("ethanol"), XtbMethod::gfn2)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(XtbJob, ethanol / gfnff, std::string("ethanol"), XtbMethod::gfnff)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(XtbJob, ibuprofen / gfn2, std::string("ibuprofen"), XtbMethod::gfn2)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
BENCHMARK_CAPTURE(XtbJob, ibuprofen / gfnff, std::string("ibuprofen"), XtbMethod::gfnff)
    ->Unit(benchmark::kMillisecond);

void Screen(benchmark::State& state, const std::string& molecule, XtbMethod method) {
    if (!have_xtb(state)) return;
    const XyzGeometry geometry = geometry_of(molecule);
    const auto workers = static_cast<unsigned>(state.range(0));
    double xtb_seconds = 0.0;
    double wall_seconds = 0.0;
    for (auto _ : state) {
        state.PauseTiming();
        const RunFolder run;
        const XtbSettings settings = settings_for(method, geometry, run.path());
        JobPool pool(workers);
        std::vector<XtbJobResult> results(SCREEN_JOBS);
        for (int i = 0; i < SCREEN_JOBS; ++i)
            pool.add([&, i](const StopFlag& stop) {
                const auto k = static_cast<std::size_t>(i);
                results[k] =
                    run_xtb_job(settings, {"c" + std::to_string(i), geometry}, run.path(), &stop);
                return results[k].status == XtbJobStatus::optimised ? JobStatus::succeeded
                                                                    : JobStatus::failed;
            });
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        for (const auto& report : pool.run())
            if (report.status != JobStatus::succeeded) state.SkipWithError("a job failed");
        wall_seconds +=
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.PauseTiming();
        for (const auto& result : results) xtb_seconds += result.process.seconds;
        state.ResumeTiming();
    }
    state.counters["xtb_s_per_job"] =
        xtb_seconds / (static_cast<double>(state.iterations()) * SCREEN_JOBS);
    // The wall time beyond xtb's own, spread evenly over the workers.
    state.counters["engine_%"] = 100.0 * (wall_seconds * workers / xtb_seconds - 1.0);
}
BENCHMARK_CAPTURE(Screen, ethanol / gfn2, std::string("ethanol"), XtbMethod::gfn2)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(Screen, ibuprofen / gfn2, std::string("ibuprofen"), XtbMethod::gfn2)
    ->Arg(1)
    ->Arg(2)
    ->Iterations(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(Screen, ibuprofen / gfnff, std::string("ibuprofen"), XtbMethod::gfnff)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
