#include "CSearch/screening_results.h"

#include "COutFile/result_list.h"
#include "CSearch/candidate_files.h"
#include "CSearch/run_record.h"
#include "CSearch/screening_messages.h"
#include "CSearch/screening_names.h"
#include "whole_file.h"

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <sstream>

namespace confsearch {

namespace fs = std::filesystem;

namespace {

// The endings of the input files the next level's writers give.
const char* const INPUT_ENDINGS[] = {".gjf", ".com", ".inp", ".xyz"};

const CandidateOutcome LEFT_OUT[] = {CandidateOutcome::failed, CandidateOutcome::not_converged,
                                     CandidateOutcome::timed_out, CandidateOutcome::bonds_changed};

bool left_out(CandidateOutcome outcome) {
    return std::find(std::begin(LEFT_OUT), std::end(LEFT_OUT), outcome) != std::end(LEFT_OUT);
}

std::string fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

// "6", "0.5": a window as the chemist wrote it.
std::string short_number(double value) {
    std::ostringstream text;
    text << value;
    return text.str();
}

// The optimised entries at positions in the sorters' list, 1-based, with their groups.
COutSortList result_list(const StageResults& results, const std::vector<std::size_t>& positions,
                         const std::vector<int>& groups) {
    const int atoms =
        positions.empty()
            ? 0
            : static_cast<int>(results.entries[positions.front()].geometry.symbols.size());
    COutSortList list(atoms, static_cast<int>(positions.size()));
    for (std::size_t k = 0; k < positions.size(); ++k) {
        const StageEntry& entry = results.entries[positions[k]];
        COutSort& result = list[static_cast<int>(k) + 1];
        result.name = entry.name;
        result.energy = entry.energy;
        result.dipole = entry.dipole;
        result.group = groups[k];
        result.conformer = conformer_of(entry.geometry);
        result.details = entry.details;
    }
    return list;
}

// A file of the run folder written whole by write(out).
template <class Write>
void write_run_file(const fs::path& file, Write write) {
    std::ostringstream out;
    write(out);
    replace_file(file, out.str());
}

// A result file written by one of the list's own writers, which take a file name.
template <class Write>
void write_list_file(const fs::path& file, Write write) {
    const fs::path partial = partial_file(file);
    if (!write(partial.string())) throw std::runtime_error(message::cannot_write(file.string()));
    fs::rename(partial, file);
}

StageSummary summary_of(const StageResults& results) {
    StageSummary summary;
    summary.stage = results.stage;
    summary.candidates = results.entries.size();
    summary.optimised = results.count(CandidateOutcome::optimised);
    summary.failed = results.count(CandidateOutcome::failed);
    summary.not_converged = results.count(CandidateOutcome::not_converged);
    summary.timed_out = results.count(CandidateOutcome::timed_out);
    summary.bonds_changed = results.count(CandidateOutcome::bonds_changed);
    summary.not_finished = results.count(CandidateOutcome::not_finished);
    summary.xtb_seconds = results.xtb_seconds();
    summary.chosen_within = results.chosen_within;
    return summary;
}

std::string failures_text(const std::vector<StageResults>& stages) {
    std::string text = "# candidate\tstage\toutcome\treason\torigin\n";
    for (const StageResults& stage : stages)
        for (const StageEntry& entry : stage.entries)
            if (left_out(entry.outcome))
                text += entry.name + "\t" + stage_title(stage.stage) + "\t" +
                        outcome_name(entry.outcome) + "\t" + entry.reason + "\t" + entry.origin +
                        "\n";
    return text;
}

// Whether a file of the inputs folder is an input an earlier ranking wrote: <stem>_<rank>
// with an input's ending. Anything else there (the outputs of jobs run in the folder, their
// checkpoint files) is the chemist's.
bool earlier_input(const fs::path& file, const std::string& stem) {
    const std::string name = file.stem().string();
    const std::string ending = file.extension().string();
    const bool input_ending = std::find(std::begin(INPUT_ENDINGS), std::end(INPUT_ENDINGS),
                                        ending) != std::end(INPUT_ENDINGS);
    return input_ending && name.size() > stem.size() + 1 &&
           name.compare(0, stem.size(), stem) == 0 && name[stem.size()] == '_' &&
           name.find_first_not_of("0123456789", stem.size() + 1) == std::string::npos;
}

// The inputs of the distinct conformers within the window, by rank, into a new folder
// that replaces the old one whole; what else the old one held moves over to it.
std::size_t write_inputs(const fs::path& folder, const StageResults& results,
                         const StageRanking& ranking, const ScreeningOutput& output) {
    const fs::path filled = partial_file(folder);
    fs::remove_all(filled);
    fs::create_directories(filled);
    const int width = serial_width(ranking.within_window, RANK_SERIAL_DIGITS);
    for (std::size_t rank = 0; rank < ranking.within_window; ++rank) {
        const StageEntry& entry = results.entries[ranking.heads[rank]];
        const std::string name = serial_name(output.stem, rank + 1, width);
        const std::string title = name + " from " + entry.name + ", " +
                                  stage_energy_name(results.stage) + " " + fixed(entry.energy, 8) +
                                  " Eh, " + fixed(ranking.relative[rank], 2) + " kcal/mol";
        const NextLevelInput input = output.inputs(name, title, entry.geometry);
        replace_file(filled / input.file, input.text);
    }
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error))
        if (!earlier_input(entry.path(), output.stem) &&
            !fs::exists(filled / entry.path().filename()))
            fs::rename(entry.path(), filled / entry.path().filename());
    replace_folder(folder, filled);
    return ranking.within_window;
}

}  // namespace

StageRanking rank_stage(StageResults& results, const ConformerIdentity& identity,
                        const RankingOptions& options) {
    std::vector<std::size_t> optimised;
    for (std::size_t i = 0; i < results.entries.size(); ++i)
        if (results.entries[i].outcome == CandidateOutcome::optimised) optimised.push_back(i);
    std::stable_sort(optimised.begin(), optimised.end(), [&](std::size_t a, std::size_t b) {
        return results.entries[a].energy < results.entries[b].energy;
    });

    ConformerGrouper grouper(identity);
    std::vector<std::vector<std::size_t>> members;
    for (const std::size_t i : optimised) {
        StageEntry& entry = results.entries[i];
        PreparedConformer prepared;
        try {
            prepared = identity.prepare(entry.geometry.positions, entry.energy);
        } catch (const IdentityError& refusal) {
            entry.outcome = CandidateOutcome::failed;
            entry.reason = message::geometry_refused(refusal.what());
            continue;
        }
        const ConformerGrouper::Placement placement = grouper.add(std::move(prepared));
        if (placement.founded) members.emplace_back();
        members[static_cast<std::size_t>(placement.group)].push_back(i);
    }

    StageRanking ranking;
    for (std::size_t g = 0; g < members.size(); ++g) {
        for (const std::size_t i : members[g]) {
            ranking.order.push_back(i);
            ranking.group.push_back(static_cast<int>(g) + 1);
        }
        ranking.heads.push_back(members[g].front());
    }
    for (const std::size_t head : ranking.heads) {
        const double relative =
            (results.entries[head].energy - results.entries[ranking.heads.front()].energy) *
            KCAL_PER_HARTREE;
        ranking.relative.push_back(relative);
        if (relative <= options.window) ++ranking.within_window;
    }
    return ranking;
}

std::vector<ScreeningCandidate> choose_for_gfn2(const fs::path& run, const StageResults& gfnff,
                                                const StageRanking& ranking) {
    std::vector<ScreeningCandidate> chosen;
    for (std::size_t rank = 0; rank < ranking.within_window; ++rank) {
        const StageEntry& entry = gfnff.entries[ranking.heads[rank]];
        ScreeningCandidate candidate;
        candidate.name = entry.name;
        candidate.origin = entry.origin;
        candidate.geometry = entry.geometry;
        candidate.geometry.comment = entry.name + " GFN-FF minimum";
        chosen.push_back(std::move(candidate));
    }
    const fs::path folder = stage_folder(run, ScreeningStage::gfnff_gfn2);
    fs::create_directories(folder);
    replace_file(folder / RUN_CANDIDATES_FILE, candidates_text(chosen));
    // Read back as a task of a job array reads them: positions to the 10 decimals kept.
    return read_candidates_file(folder / RUN_CANDIDATES_FILE);
}

ScreeningReport write_screening_results(const fs::path& run,
                                        const std::vector<StageResults>& stages,
                                        const StageRanking& ranking, const RankingOptions& options,
                                        const ScreeningOutput& output) {
    ScreeningReport report;
    report.run = run;
    report.window = options.window;
    for (const StageResults& stage : stages) {
        report.stages.push_back(summary_of(stage));
        for (const StageEntry& entry : stage.entries)
            if (left_out(entry.outcome))
                report.left_out.push_back(entry.name + " (" + stage_title(stage.stage) + "): " +
                                          outcome_name(entry.outcome) + ": " + entry.reason);
    }
    if (stages.empty()) return report;
    report.candidates = stages.front().entries.size();
    const StageResults& last = stages.back();
    for (const StageEntry& entry : last.entries)
        if (entry.outcome == CandidateOutcome::not_finished)
            report.not_finished.push_back(entry.name);
    report.distinct = ranking.heads.size();
    report.within_window = ranking.within_window;

    const COutSortList all = result_list(last, ranking.order, ranking.group);
    write_list_file(run / ALL_LIST_FILE, [&](const std::string& file) {
        try {
            all.out_all(file);
        } catch (int) {
            return false;
        }
        return true;
    });
    write_list_file(run / UNIQUE_LIST_FILE,
                    [&](const std::string& file) { return all.out_unique(file); });

    // The groups within the window are the first ones of the list.
    std::size_t kept = 0;
    while (kept < ranking.order.size() &&
           static_cast<std::size_t>(ranking.group[kept]) <= ranking.within_window)
        ++kept;
    const std::vector<std::size_t> kept_order(ranking.order.begin(),
                                              ranking.order.begin() + static_cast<long>(kept));
    const COutSortList window = result_list(last, kept_order, ranking.group);
    const Ensemble ensemble = ensemble_of(window, options.temperature);
    write_run_file(run / ENSEMBLE_FILE, [&](std::ostream& out) {
        write_ensemble_table(out, window, ensemble, stage_energy_name(last.stage));
    });
    write_run_file(run / UNIQUE_CONFORMERS_FILE,
                   [&](std::ostream& out) { write_unique_conformers(out, window, ensemble); });
    replace_file(run / FAILURES_FILE, failures_text(stages));
    if (output.inputs) {
        report.inputs_folder = run / INPUTS_FOLDER;
        report.inputs = write_inputs(report.inputs_folder, last, ranking, output);
    }
    replace_file(run / SUMMARY_FILE, summary_text(report));
    return report;
}

std::string summary_text(const ScreeningReport& report) {
    std::string text = "candidates: " + std::to_string(report.candidates) + "\n";
    for (const StageSummary& stage : report.stages) {
        text += std::string(stage_title(stage.stage)) + ": " + std::to_string(stage.candidates) +
                " candidates";
        if (stage.chosen_within > 0.0)
            text += " (the distinct GFN-FF minima within " + short_number(stage.chosen_within) +
                    " kcal/mol)";
        const std::size_t out =
            stage.failed + stage.not_converged + stage.timed_out + stage.bonds_changed;
        text += ", " + std::to_string(stage.optimised) + " optimised, " + std::to_string(out) +
                " left out";
        std::string reasons;
        const std::pair<std::size_t, CandidateOutcome> counts[] = {
            {stage.failed, CandidateOutcome::failed},
            {stage.not_converged, CandidateOutcome::not_converged},
            {stage.timed_out, CandidateOutcome::timed_out},
            {stage.bonds_changed, CandidateOutcome::bonds_changed}};
        for (const auto& [count, outcome] : counts)
            if (count > 0)
                reasons += (reasons.empty() ? "" : ", ") + std::to_string(count) + " " +
                           outcome_name(outcome);
        if (!reasons.empty()) text += " (" + reasons + ")";
        if (stage.not_finished > 0)
            text += ", " + std::to_string(stage.not_finished) + " " +
                    outcome_name(CandidateOutcome::not_finished);
        text += "\n";
    }
    text += "distinct conformers: " + std::to_string(report.distinct) + "\n";
    text += "within " + short_number(report.window) +
            " kcal/mol: " + std::to_string(report.within_window) + "\n";
    text += "inputs written: " + std::to_string(report.inputs);
    if (!report.inputs_folder.empty()) text += " in " + report.inputs_folder.string();
    return text + "\n";
}

}  // namespace confsearch
