#include "CSearch/screening_run.h"

#include "CSearch/screening_messages.h"

namespace confsearch {

namespace fs = std::filesystem;

namespace {

// The molecule's identity rule, made once per ranking: its bonds judge every optimised
// geometry, its symmetry the RMSD.
ConformerIdentity identity_of(const RunRecord& record, const RankingOptions& options) {
    return ConformerIdentity(conformer_of(record.molecule), options.identity);
}

StageResults collected(const fs::path& run, const RunRecord& record, ScreeningStage stage,
                       const ConformerIdentity& identity, const ScreeningRequest& request) {
    StageResults results =
        collect_stage(run, stage, stage_candidates(run, record, stage), identity.get_graph());
    if (stage == ScreeningStage::gfnff_gfn2) results.chosen_within = request.gfnff_window;
    return results;
}

}  // namespace

std::vector<ScreeningCandidate> choose_gfn2_candidates(const fs::path& run, const RunRecord& record,
                                                       const ScreeningRequest& request) {
    const ConformerIdentity identity = identity_of(record, request.ranking);
    StageResults gfnff = collected(run, record, ScreeningStage::gfnff, identity, request);
    const std::size_t unfinished = gfnff.count(CandidateOutcome::not_finished);
    if (unfinished > 0) throw RunRefusal(message::first_stage_unfinished(unfinished));
    RankingOptions options = request.ranking;
    options.window = request.gfnff_window;
    return choose_for_gfn2(run, gfnff, rank_stage(gfnff, identity, options));
}

ScreeningReport run_screening(const fs::path& run, const ScreeningRequest& request,
                              const StopFlag* stop, const StageProgress& progress) {
    const RunRecord record = read_run_record(run);
    std::size_t reused = 0;
    for (const ScreeningStage stage : screening_stages(request.method)) {
        const std::vector<ScreeningCandidate> candidates =
            stage == ScreeningStage::gfnff_gfn2 ? choose_gfn2_candidates(run, record, request)
                                                : record.candidates;
        XtbSettings settings =
            stage_settings(record.conditions, stage, request.xtb, request.timeout_seconds);
        settings.environment = request.environment;
        settings = prepare_stage(run, record, stage, settings, stop);
        JobPool::ProgressReport report;
        if (progress) report = [&progress, stage](const JobProgress& now) { progress(stage, now); };
        const ChunkOutcome outcome =
            optimise_candidates(run, stage, settings, candidates, request.jobs, stop, report);
        reused += outcome.reused;
        if (outcome.stopped || (stop != nullptr && stop->stopped())) {
            ScreeningReport stopped;
            stopped.run = run;
            stopped.stopped = true;
            return stopped;
        }
    }
    ScreeningReport report = rank_screening(run, request);
    report.reused = reused;
    return report;
}

ScreeningReport rank_screening(const fs::path& run, const ScreeningRequest& request) {
    const RunRecord record = read_run_record(run);
    const ConformerIdentity identity = identity_of(record, request.ranking);
    std::vector<StageResults> stages;
    for (const ScreeningStage stage : screening_stages(request.method))
        stages.push_back(collected(run, record, stage, identity, request));
    const StageRanking ranking = rank_stage(stages.back(), identity, request.ranking);
    return write_screening_results(run, stages, ranking, request.ranking, request.output);
}

}  // namespace confsearch
