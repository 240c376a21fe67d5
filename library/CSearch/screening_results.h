// The optimised candidates of a stage ranked as distinct conformers, the GFN-FF minima
// chosen for the GFN2 stage, and what a screening leaves in its run folder: the result
// files of the sorters, the list of failures, the inputs of the next level and the
// summary.
#pragma once

#include "CConformer/conformer_identity.h"
#include "COutFile/ensemble.h"
#include "CSearch/screening.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace confsearch {

struct RankingOptions {
    // When two optimised geometries are one conformer; its energy window in hartree.
    IdentityCriteria identity;
    // The distinct conformers kept: those within this of the lowest, kcal/mol.
    double window = 6.0;
    double temperature = ROOM_TEMPERATURE;  // K, for the populations
};

// The optimised candidates of a stage grouped into distinct conformers.
struct StageRanking {
    // Positions in the stage's entries, in the order of the result list: group by group,
    // each group's lowest (its head) first, then its other members by energy.
    std::vector<std::size_t> order;
    std::vector<int> group;  // of order[k], 1-based
    // The heads (entry positions) by ascending energy, and each one's energy above the
    // lowest, kcal/mol.
    std::vector<std::size_t> heads;
    std::vector<double> relative;
    // heads[0 .. within_window) lie within the window.
    std::size_t within_window = 0;
};

// Groups the optimised entries by the identity's rule, in ascending energy (equal
// energies in candidate order), each joining the first group whose head it matches. An
// entry whose geometry the identity refuses is left out (outcome failed, the reason
// given) in results.
StageRanking rank_stage(StageResults& results, const ConformerIdentity& identity,
                        const RankingOptions& options);

// The candidates of the GFN2 stage after GFN-FF: the distinct GFN-FF minima within the
// ranking's window, each its GFN-FF geometry under its candidate's name, recorded in the
// gfnff_gfn2 stage folder (whole; replacing an earlier choice), where stage_candidates and
// every task of a job array find them.
std::vector<ScreeningCandidate> choose_for_gfn2(const std::filesystem::path& run,
                                                const StageResults& gfnff,
                                                const StageRanking& ranking);

// One input of the next level: its file name (in the inputs folder) and its text.
struct NextLevelInput {
    std::string file;
    std::string text;
};
// Makes the input of a ranked conformer from its name ("<stem>_001"), a title line and its
// geometry.
using InputMaker = std::function<NextLevelInput(const std::string& name, const std::string& title,
                                                const XyzGeometry& geometry)>;

struct ScreeningOutput {
    std::string stem;   // names the inputs: <stem>_001 is the lowest
    InputMaker inputs;  // none: no inputs are written
};

// A stage in the summary.
struct StageSummary {
    ScreeningStage stage = ScreeningStage::gfn2;
    std::size_t candidates = 0;
    std::size_t optimised = 0;
    std::size_t failed = 0;
    std::size_t not_converged = 0;
    std::size_t timed_out = 0;
    std::size_t bonds_changed = 0;
    std::size_t not_finished = 0;
    double xtb_seconds = 0.0;
    // Of the GFN2 stage after GFN-FF: the first stage's window, kcal/mol.
    double chosen_within = 0.0;
};

struct ScreeningReport {
    std::filesystem::path run;
    std::size_t candidates = 0;
    std::vector<StageSummary> stages;
    std::size_t distinct = 0;
    std::size_t within_window = 0;
    double window = 0.0;
    std::size_t inputs = 0;
    std::filesystem::path inputs_folder;
    // "ibuprofen_0042 (GFN2): past the time limit: xtb ran past ..." per candidate left
    // out, stage by stage in candidate order.
    std::vector<std::string> left_out;
    // The candidates of the last stage without a result yet.
    std::vector<std::string> not_finished;
    // Optimisations this start found finished by an earlier one (run_screening only).
    std::size_t reused = 0;
    // The run was stopped before its optimisations were done: nothing was ranked.
    bool stopped = false;
};

// Writes the results of the final stage into the run folder, each file whole or not at
// all: all_list2.txt and unique_list2.txt (every optimised candidate, and the distinct
// conformers, in the sorters' format), ensemble.txt and unique_conformers.xyz (the
// distinct conformers within the window), failures.txt (every candidate left out by any
// stage), the inputs folder (one input per distinct conformer within the window, by
// energy rank; replaced whole) and summary.txt. Returns the report they show. Throws
// std::runtime_error naming a file that cannot be written.
ScreeningReport write_screening_results(const std::filesystem::path& run,
                                        const std::vector<StageResults>& stages,
                                        const StageRanking& ranking, const RankingOptions& options,
                                        const ScreeningOutput& output);

// The summary: candidates; per stage the candidates, optimised, left out by reason and
// not finished; distinct conformers; those within the window; inputs written. One
// "what: count" line each.
std::string summary_text(const ScreeningReport& report);

}  // namespace confsearch
