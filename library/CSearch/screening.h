// A screening of candidates with xtb, stage by stage: the optimisation of a chunk of
// candidates (what one local run or one task of a job array does), and what the run
// folder holds of each candidate of a stage, judged against the molecule's bonds.
#pragma once

#include "CConformer/bond_perception.h"
#include "COutFile/formats/output_result.h"
#include "CSearch/candidate_sources.h"
#include "CSearch/job_pool.h"
#include "CSearch/run_record.h"
#include "CSearch/stop_flag.h"
#include "CSearch/xtb_job.h"
#include "CSearch/xtb_settings.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace confsearch {

enum class ScreeningMethod {
    gfn2,             // every candidate with GFN2-xTB
    gfnff,            // every candidate with GFN-FF
    gfnff_then_gfn2,  // every candidate with GFN-FF, then the distinct minima within the
                      // first-stage window again with GFN2-xTB
};

// "gfn2", "gfnff", "gfnff-then-gfn2"; none for another word.
std::optional<ScreeningMethod> screening_method_named(const std::string& word);
const char* screening_method_name(ScreeningMethod method);

// One round of optimisations, with its own folder in the run folder.
enum class ScreeningStage {
    gfn2,        // GFN2-xTB from the candidates
    gfnff,       // GFN-FF from the candidates
    gfnff_gfn2,  // GFN2-xTB from the GFN-FF minima chosen by choose_for_gfn2
};

// The stages of a method in the order they run.
std::vector<ScreeningStage> screening_stages(ScreeningMethod method);
// "GFN2", "GFN-FF", "GFN2 from GFN-FF": how the summary and the progress name a stage.
const char* stage_title(ScreeningStage stage);
// What an energy of the stage is: "GFN2-xTB", "GFN-FF".
const char* stage_energy_name(ScreeningStage stage);
// <run>/gfn2, <run>/gfnff, <run>/gfnff_gfn2.
std::filesystem::path stage_folder(const std::filesystem::path& run, ScreeningStage stage);

// The settings of a stage's jobs from the run's conditions, the xtb program (find_xtb's
// path) and the time limit per job in seconds (0: none). A GFN-FF stage still needs its
// set-up: see prepare_stage.
XtbSettings stage_settings(const ScreeningConditions& conditions, ScreeningStage stage,
                           const std::string& xtb, double timeout_seconds);

// Makes a stage ready for its jobs and returns their settings: for GFN-FF, the run's one
// force-field set-up made from the molecule (prepare_gfnff_setup in the stage folder; an
// earlier start's is used again). Run it once before the jobs of a stage are spread over
// the tasks of a job array. Throws XtbError when the set-up fails.
XtbSettings prepare_stage(const std::filesystem::path& run, const RunRecord& record,
                          ScreeningStage stage, XtbSettings settings,
                          const StopFlag* stop = nullptr);

// The candidates a stage optimises: the run's for a first stage; for gfnff_gfn2 those
// that choose_for_gfn2 recorded in its stage folder (none before it did).
std::vector<ScreeningCandidate> stage_candidates(const std::filesystem::path& run,
                                                 const RunRecord& record, ScreeningStage stage);

struct ChunkOutcome {
    // One per candidate, in the order given; status stopped for one not run because the
    // run was stopped.
    std::vector<XtbJobResult> results;
    std::size_t reused = 0;  // finished in an earlier start, not run now
    // Run again: a result that ran past a shorter time limit than this start's, or a
    // damaged results folder.
    std::size_t redone = 0;
    bool stopped = false;
};

// Optimises every candidate of the chunk that the stage folder holds no result of, `jobs`
// at once (0: one per core), each xtb on one thread. progress gets the pool's reports
// (the jobs run now only, without the reused ones). A candidate that finished in an
// earlier start is never run again, except one that ran past a shorter time limit than
// settings gives. Nothing a job's xtb does makes this throw. Throws RunRefusal when a
// result found was optimised with other xtb options, std::invalid_argument for bad
// settings or candidates that are not the set-up's molecule, and
// std::filesystem::filesystem_error when the run folder cannot be written.
ChunkOutcome optimise_candidates(const std::filesystem::path& run, ScreeningStage stage,
                                 const XtbSettings& settings,
                                 const std::vector<ScreeningCandidate>& chunk, unsigned jobs = 0,
                                 const StopFlag* stop = nullptr,
                                 const JobPool::ProgressReport& progress = {});

// What became of a candidate in a stage.
enum class CandidateOutcome {
    optimised,
    failed,         // xtb failed: an error, a crash, a kill, garbage, no geometry
    not_converged,  // xtb gave up after its cycles
    timed_out,      // xtb ran past the time limit and was ended
    bonds_changed,  // a bond of the molecule broken or one formed
    not_finished,   // no result in the run folder (yet)
};
// "optimised", "xtb failed", "not converged", "past the time limit", "bonds changed",
// "not finished".
const char* outcome_name(CandidateOutcome outcome);

struct StageEntry {
    std::string name;
    std::string origin;
    CandidateOutcome outcome = CandidateOutcome::not_finished;
    // Why it is left out, one line with xtb's own words where it gave any.
    std::string reason;
    // Of an optimised candidate: energy (hartree), length of the dipole vector (atomic
    // units; 0 where xtb prints none, as for GFN-FF), the optimised geometry in the
    // molecule's atom order, and what else the output says (method, solvent, version;
    // its geometry left empty).
    double energy = 0.0;
    double dipole = 0.0;
    XyzGeometry geometry;
    OutputResult details;
    // xtb's wall time, seconds; 0 for one not finished.
    double seconds = 0.0;
};

struct StageResults {
    ScreeningStage stage = ScreeningStage::gfn2;
    std::vector<StageEntry> entries;  // one per candidate of the stage, in its order
    // Of the GFN2 stage after GFN-FF: the window (kcal/mol) within which its candidates
    // were chosen among the GFN-FF minima, for the summary; 0 otherwise.
    double chosen_within = 0.0;
    std::size_t count(CandidateOutcome outcome) const;
    // The wall time of every finished xtb job of the stage, summed, seconds.
    double xtb_seconds() const;
};

// What the stage folder holds of each candidate: its xtb output read by the toolkit's
// reader, the optimised geometry's bonds compared with those of the molecule (`bonds`,
// perceived from the run's molecule). Reads only; a candidate without a result is
// not_finished. Throws DamagedFolder for a results folder that is not whole.
StageResults collect_stage(const std::filesystem::path& run, ScreeningStage stage,
                           const std::vector<ScreeningCandidate>& candidates,
                           const CBondGraph& bonds);

}  // namespace confsearch
