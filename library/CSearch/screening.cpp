#include "CSearch/screening.h"

#include "CConformer/bond_changes.h"
#include "COutFile/formats/xtb_output.h"
#include "CSearch/gfnff_setup.h"
#include "CSearch/job_folders.h"
#include "CSearch/screening_messages.h"
#include "CSearch/screening_names.h"
#include "CSearch/search_names.h"

#include <cmath>
#include <utility>

namespace confsearch {

namespace fs = std::filesystem;

namespace {

const std::pair<ScreeningMethod, const char*> METHOD_NAMES[] = {
    {ScreeningMethod::gfn2, "gfn2"},
    {ScreeningMethod::gfnff, "gfnff"},
    {ScreeningMethod::gfnff_then_gfn2, "gfnff-then-gfn2"},
};

struct StageNames {
    ScreeningStage stage;
    const std::string& folder;
    const char* title;
    const char* energy;
};
const StageNames STAGES[] = {
    {ScreeningStage::gfn2, GFN2_STAGE_FOLDER, "GFN2", "GFN2-xTB"},
    {ScreeningStage::gfnff, GFNFF_STAGE_FOLDER, "GFN-FF", "GFN-FF"},
    {ScreeningStage::gfnff_gfn2, GFNFF_GFN2_STAGE_FOLDER, "GFN2 from GFN-FF", "GFN2-xTB"},
};

const StageNames& names_of(ScreeningStage stage) {
    for (const StageNames& names : STAGES)
        if (names.stage == stage) return names;
    return STAGES[0];
}

const std::pair<CandidateOutcome, const char*> OUTCOME_NAMES[] = {
    {CandidateOutcome::optimised, "optimised"},
    {CandidateOutcome::failed, "xtb failed"},
    {CandidateOutcome::not_converged, "not converged"},
    {CandidateOutcome::timed_out, "past the time limit"},
    {CandidateOutcome::bonds_changed, "bonds changed"},
    {CandidateOutcome::not_finished, "not finished"},
};

// A result that ran past its time limit is run again when this start allows more time.
bool ran_past_shorter_limit(const XtbJobResult& found, const XtbSettings& settings) {
    if (found.status != XtbJobStatus::failed ||
        found.process.kind != ProcessOutcome::Kind::timed_out)
        return false;
    return settings.timeout_seconds <= 0.0 || found.process.time_limit < settings.timeout_seconds;
}

JobStatus job_status(XtbJobStatus status) {
    switch (status) {
        case XtbJobStatus::optimised: return JobStatus::succeeded;
        case XtbJobStatus::stopped: return JobStatus::stopped;
        case XtbJobStatus::not_converged:
        case XtbJobStatus::failed: break;
    }
    return JobStatus::failed;
}

// The bonds the optimised geometry broke or formed, "; "-joined; empty when none.
std::string changed_bonds(const CBondGraph& bonds, const XyzGeometry& optimised) {
    const CBondGraph after(conformer_of(optimised));
    std::string changes;
    for (const BondChange& change : bond_changes(bonds, after))
        changes += (changes.empty() ? "" : "; ") + describe(change, after);
    return changes;
}

// Reads an optimised candidate's output into the entry and judges its bonds.
void read_optimised(const XtbJobResult& result, const ScreeningCandidate& candidate,
                    const CBondGraph& bonds, StageEntry& entry) {
    auto leave_out = [&entry](CandidateOutcome outcome, const std::string& reason) {
        entry.outcome = outcome;
        entry.reason = reason;
    };
    OutputResult read;
    const ReadError error = read_xtb_output(result.output().string(), read);
    if (!error.ok())
        return leave_out(CandidateOutcome::failed,
                         message::output_unreadable(error.message(result.output().string())));
    if (read.symbols != candidate.geometry.symbols)
        return leave_out(CandidateOutcome::failed,
                         message::output_unreadable(result.output().string() +
                                                    ": its final structure has other atoms "
                                                    "than the candidate"));
    entry.geometry.symbols = std::move(read.symbols);
    entry.geometry.positions = std::move(read.positions);
    entry.geometry.comment = candidate.name;
    read.symbols.clear();
    read.positions.clear();
    entry.energy = read.energy;
    if (read.has_dipole)
        entry.dipole = std::sqrt(read.dipole[0] * read.dipole[0] + read.dipole[1] * read.dipole[1] +
                                 read.dipole[2] * read.dipole[2]);
    entry.details = std::move(read);
    try {
        const std::string changes = changed_bonds(bonds, entry.geometry);
        if (!changes.empty())
            return leave_out(CandidateOutcome::bonds_changed, message::bonds_changed(changes));
    } catch (const std::exception& refusal) {
        // Atoms pushed onto each other, or bonds perceived from an unknown element.
        return leave_out(CandidateOutcome::bonds_changed, message::bonds_changed(refusal.what()));
    }
    entry.outcome = CandidateOutcome::optimised;
}

}  // namespace

std::optional<ScreeningMethod> screening_method_named(const std::string& word) {
    for (const auto& [method, name] : METHOD_NAMES)
        if (word == name) return method;
    return std::nullopt;
}

const char* screening_method_name(ScreeningMethod method) {
    for (const auto& [value, name] : METHOD_NAMES)
        if (value == method) return name;
    return "";
}

std::vector<ScreeningStage> screening_stages(ScreeningMethod method) {
    switch (method) {
        case ScreeningMethod::gfn2: return {ScreeningStage::gfn2};
        case ScreeningMethod::gfnff: return {ScreeningStage::gfnff};
        case ScreeningMethod::gfnff_then_gfn2:
            return {ScreeningStage::gfnff, ScreeningStage::gfnff_gfn2};
    }
    return {};
}

const char* stage_title(ScreeningStage stage) { return names_of(stage).title; }

const char* stage_energy_name(ScreeningStage stage) { return names_of(stage).energy; }

fs::path stage_folder(const fs::path& run, ScreeningStage stage) {
    return run / names_of(stage).folder;
}

XtbSettings stage_settings(const ScreeningConditions& conditions, ScreeningStage stage,
                           const std::string& xtb, double timeout_seconds) {
    XtbSettings settings;
    settings.program = xtb;
    settings.method = stage == ScreeningStage::gfnff ? XtbMethod::gfnff : XtbMethod::gfn2;
    settings.level = conditions.level;
    settings.charge = conditions.charge;
    settings.multiplicity = conditions.multiplicity;
    settings.solvent = conditions.solvent;
    settings.timeout_seconds = timeout_seconds;
    return settings;
}

XtbSettings prepare_stage(const fs::path& run, const RunRecord& record, ScreeningStage stage,
                          XtbSettings settings, const StopFlag* stop) {
    const fs::path folder = stage_folder(run, stage);
    fs::create_directories(folder);
    if (settings.method == XtbMethod::gfnff)
        settings.gfnff = prepare_gfnff_setup(settings, record.molecule, folder, stop);
    return settings;
}

std::vector<ScreeningCandidate> stage_candidates(const fs::path& run, const RunRecord& record,
                                                 ScreeningStage stage) {
    if (stage != ScreeningStage::gfnff_gfn2) return record.candidates;
    const fs::path file = stage_folder(run, stage) / RUN_CANDIDATES_FILE;
    if (!fs::exists(file)) return {};
    return read_candidates_file(file);
}

ChunkOutcome optimise_candidates(const fs::path& run, ScreeningStage stage,
                                 const XtbSettings& settings,
                                 const std::vector<ScreeningCandidate>& chunk, unsigned jobs,
                                 const StopFlag* stop, const JobPool::ProgressReport& progress) {
    const fs::path root = stage_folder(run, stage);
    const std::string options = joined(xtb_options(settings));
    fs::create_directories(root);
    ChunkOutcome outcome;
    outcome.results.resize(chunk.size());
    std::vector<std::size_t> to_run;
    for (std::size_t i = 0; i < chunk.size(); ++i) {
        std::optional<XtbJobResult> found;
        try {
            found = finished_xtb_job(root, chunk[i].name);
        } catch (const DamagedFolder&) {
            // run_xtb_job clears it, runs the job again and says why.
        }
        if (found && found->options != options)
            throw RunRefusal(message::optimised_with_other_options(found->folder.string(),
                                                                   found->options, options));
        if (found && ran_past_shorter_limit(*found, settings)) {
            fs::remove_all(found->folder);
            ++outcome.redone;
            found.reset();
        }
        if (found) {
            outcome.results[i] = std::move(*found);
            ++outcome.reused;
        } else {
            to_run.push_back(i);
        }
    }

    JobPool pool(jobs);
    for (const std::size_t i : to_run)
        pool.add([&, i](const StopFlag& pool_stop) {
            const XtbCandidate candidate{chunk[i].name, chunk[i].geometry};
            outcome.results[i] =
                run_xtb_job(settings, candidate, root, stop != nullptr ? stop : &pool_stop);
            return job_status(outcome.results[i].status);
        });
    const std::vector<JobReport> reports = pool.run(progress);
    for (std::size_t k = 0; k < to_run.size(); ++k) {
        XtbJobResult& result = outcome.results[to_run[k]];
        if (!result.redone.empty()) ++outcome.redone;
        if (reports[k].status == JobStatus::not_run || result.name.empty()) {
            // Not started, or the job threw before it had a result.
            result.name = chunk[to_run[k]].name;
            result.status = reports[k].status == JobStatus::failed ? XtbJobStatus::failed
                                                                   : XtbJobStatus::stopped;
            result.reason = reports[k].error;
        }
        if (result.status == XtbJobStatus::stopped) outcome.stopped = true;
    }
    // The jobs' scratch folders are gone; their root goes too once it is empty.
    std::error_code ignored;
    fs::remove(settings.scratch_root.empty() ? root / XTB_SCRATCH_FOLDER : settings.scratch_root,
               ignored);
    return outcome;
}

const char* outcome_name(CandidateOutcome outcome) {
    for (const auto& [value, name] : OUTCOME_NAMES)
        if (value == outcome) return name;
    return "";
}

std::size_t StageResults::count(CandidateOutcome outcome) const {
    std::size_t n = 0;
    for (const StageEntry& entry : entries) n += entry.outcome == outcome ? 1 : 0;
    return n;
}

double StageResults::xtb_seconds() const {
    double seconds = 0.0;
    for (const StageEntry& entry : entries) seconds += entry.seconds;
    return seconds;
}

StageResults collect_stage(const fs::path& run, ScreeningStage stage,
                           const std::vector<ScreeningCandidate>& candidates,
                           const CBondGraph& bonds) {
    const fs::path root = stage_folder(run, stage);
    StageResults results;
    results.stage = stage;
    for (const ScreeningCandidate& candidate : candidates) {
        StageEntry entry;
        entry.name = candidate.name;
        entry.origin = candidate.origin;
        const std::optional<XtbJobResult> found = finished_xtb_job(root, candidate.name);
        if (found) {
            entry.seconds = found->process.seconds;
            entry.reason = found->reason;
            switch (found->status) {
                case XtbJobStatus::optimised:
                    read_optimised(*found, candidate, bonds, entry);
                    break;
                case XtbJobStatus::not_converged:
                    entry.outcome = CandidateOutcome::not_converged;
                    break;
                case XtbJobStatus::failed:
                case XtbJobStatus::stopped:
                    entry.outcome = found->process.kind == ProcessOutcome::Kind::timed_out
                                        ? CandidateOutcome::timed_out
                                        : CandidateOutcome::failed;
                    break;
            }
        }
        results.entries.push_back(std::move(entry));
    }
    return results;
}

}  // namespace confsearch
