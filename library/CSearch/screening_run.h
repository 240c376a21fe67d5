// A whole screening on one machine, and the ranking of whatever a run folder holds, which
// a plain second start and the collection after a job array do alike.
#pragma once

#include "CSearch/job_pool.h"
#include "CSearch/run_record.h"
#include "CSearch/screening.h"
#include "CSearch/screening_results.h"
#include "CSearch/stop_flag.h"

#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace confsearch {

// The GFN-FF minima within this of the lowest (kcal/mol) are optimised again with GFN2
// unless the chemist says otherwise: GFN-FF ranks conformers a few kcal/mol apart from
// GFN2, so the GFN2 window needs a wider one behind it.
const double DEFAULT_GFNFF_WINDOW = 12.0;

// How a run folder is screened and ranked; what fixes the optimisations' results is in
// the run's record (record_run), not here.
struct ScreeningRequest {
    ScreeningMethod method = ScreeningMethod::gfn2;
    std::string xtb = "xtb";  // the path find_xtb gave
    double timeout_seconds = 600.0;
    unsigned jobs = 0;  // at once; 0: one per core
    RankingOptions ranking;
    double gfnff_window = DEFAULT_GFNFF_WINDOW;
    ScreeningOutput output;
    // Set for every xtb on top of the one-thread settings (the tests' stand-in reads it).
    std::vector<std::pair<std::string, std::string>> environment;
};

// Progress of the stage running, as the job pool reports it.
using StageProgress = std::function<void(ScreeningStage, const JobProgress&)>;

// Runs the optimisations of every stage of the method on the run recorded in run (see
// record_run), `jobs` at once, then ranks the results with rank_screening. A candidate
// optimised by an earlier start is not run again. When the stop flag is set the jobs
// running are ended and nothing is ranked (report.stopped). Throws as optimise_candidates
// and rank_screening do, and XtbError when a GFN-FF set-up fails.
ScreeningReport run_screening(const std::filesystem::path& run, const ScreeningRequest& request,
                              const StopFlag* stop = nullptr, const StageProgress& progress = {});

// The GFN2 stage's candidates after GFN-FF, chosen from the GFN-FF results in the run
// folder with the request's ranking options and GFN-FF window, and recorded for the
// stage (choose_for_gfn2). Throws RunRefusal when a GFN-FF optimisation has not finished.
std::vector<ScreeningCandidate> choose_gfn2_candidates(const std::filesystem::path& run,
                                                       const RunRecord& record,
                                                       const ScreeningRequest& request);

// Ranks what the run folder holds, running nothing: the results of each stage collected
// (a candidate without one named as not finished), the last stage's optimised candidates
// grouped, and the files of write_screening_results written. Throws RunRefusal for a
// folder without a whole record, and std::runtime_error naming a file that cannot be
// written.
ScreeningReport rank_screening(const std::filesystem::path& run, const ScreeningRequest& request);

}  // namespace confsearch
