#include "CSearch/xtb_job.h"

#include "CSearch/done_marker.h"
#include "CSearch/job_folders.h"
#include "CSearch/search_messages.h"
#include "CSearch/search_names.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

namespace confsearch {

namespace fs = std::filesystem;

namespace {

const std::pair<XtbJobStatus, const char*> STATUS_NAMES[] = {
    {XtbJobStatus::optimised, "optimised"},
    {XtbJobStatus::not_converged, "not converged"},
    {XtbJobStatus::failed, "failed"},
    {XtbJobStatus::stopped, "stopped"},
};

void check_name(const std::string& name) {
    const bool fit = !name.empty() && name.front() != '.' &&
                     std::all_of(name.begin(), name.end(), [](unsigned char c) {
                         return std::isalnum(c) || c == '_' || c == '-' || c == '+' || c == '.';
                     });
    if (!fit) throw std::invalid_argument(message::bad_job_name(name));
}

void check_atoms_of_setup(const XtbSettings& settings, const XtbCandidate& candidate) {
    if (settings.method == XtbMethod::gfnff && settings.gfnff.symbols != candidate.geometry.symbols)
        throw std::invalid_argument(message::other_atoms_than_setup(candidate.name));
}

// Why the geometry xtb wrote is not an optimised geometry of the candidate; empty when it is.
std::string fault_of_geometry(const fs::path& file, const XyzGeometry& candidate) {
    if (!fs::exists(file)) return message::no_optimised_geometry();
    XyzGeometry optimised;
    const ReadError error = read_xyz_geometry(file.string(), optimised);
    if (!error.ok()) return error.message(XTB_OPTIMISED_GEOMETRY);
    if (optimised.symbols.size() != candidate.symbols.size())
        return message::other_atom_count(optimised.symbols.size(), candidate.symbols.size());
    for (std::size_t i = 0; i < optimised.symbols.size(); ++i)
        if (optimised.symbols[i] != candidate.symbols[i])
            return message::other_element(i + 1, optimised.symbols[i], candidate.symbols[i]);
    return "";
}

// Sets status and reason from what the finished program left in the scratch folder.
void judge(XtbJobResult& result, const fs::path& scratch, const XtbSettings& settings,
           const XtbCandidate& candidate) {
    const ProcessOutcome& process = result.process;
    const std::string output = text_of_file(scratch / (candidate.name + OUTPUT_ENDING));
    const std::string errors = text_of_file(scratch / (candidate.name + ERROR_ENDING));
    const std::string said = xtb_failure_text(output, errors);
    auto fail = [&result, &said](const std::string& why) {
        result.status = XtbJobStatus::failed;
        result.reason = said.empty() ? why : why + ": " + said;
    };
    switch (process.kind) {
        case ProcessOutcome::Kind::not_started:
            return fail(message::xtb_not_started(process.describe()));
        case ProcessOutcome::Kind::timed_out:
            return fail(message::xtb_timed_out(process.describe()));
        case ProcessOutcome::Kind::signalled: return fail(message::xtb_killed(process.describe()));
        case ProcessOutcome::Kind::stopped: return fail(message::xtb_killed(process.describe()));
        case ProcessOutcome::Kind::exited:
            if (process.exit_status != 0) return fail(message::xtb_exit_status(process.describe()));
            break;
    }
    const std::string fault =
        fault_of_geometry(scratch / XTB_OPTIMISED_GEOMETRY, candidate.geometry);
    if (!fault.empty()) return fail(fault);
    if (settings.method == XtbMethod::gfnff && output.find(XTB_TOPOLOGY_READ) == std::string::npos)
        return fail(message::setup_not_taken());
    if (output.find(XTB_NOT_CONVERGED) != std::string::npos ||
        fs::exists(scratch / XTB_NOT_CONVERGED_FILE)) {
        result.status = XtbJobStatus::not_converged;
        result.reason = message::not_converged(settings.level);
        return;
    }
    result.status = XtbJobStatus::optimised;
}

XtbJobStatus status_named(const std::string& name) {
    for (const auto& [status, text] : STATUS_NAMES)
        if (name == text && status != XtbJobStatus::stopped) return status;
    throw std::runtime_error(message::unknown_status(name));
}

}  // namespace

const char* status_name(XtbJobStatus status) {
    for (const auto& [value, text] : STATUS_NAMES)
        if (value == status) return text;
    return "";
}

fs::path XtbJobResult::output() const { return folder / (name + OUTPUT_ENDING); }

fs::path XtbJobResult::geometry() const { return folder / XTB_OPTIMISED_GEOMETRY; }

fs::path xtb_result_folder(const fs::path& run, const std::string& name) {
    return run / XTB_RESULTS_FOLDER / name;
}

std::optional<XtbJobResult> finished_xtb_job(const fs::path& run, const std::string& name) {
    check_name(name);
    const fs::path folder = xtb_result_folder(run, name);
    if (!fs::exists(folder)) return std::nullopt;
    const DoneMarker marker = whole_folder_marker(folder);
    XtbJobResult result;
    try {
        result.status = status_named(marker.get(MARKER_STATUS));
        result.process = marker.get_outcome();
        result.reason = marker.get(MARKER_REASON);
        result.options = marker.get(MARKER_OPTIONS);
    } catch (const std::runtime_error& damage) {
        throw DamagedFolder(damage.what());
    }
    result.name = name;
    result.folder = folder;
    result.reused = true;
    return result;
}

XtbJobResult run_xtb_job(const XtbSettings& settings, const XtbCandidate& candidate,
                         const fs::path& run, const StopFlag* stop) {
    check_name(candidate.name);
    const std::vector<std::string> options = xtb_options(settings);
    check_atoms_of_setup(settings, candidate);
    const fs::path root =
        settings.scratch_root.empty() ? run / XTB_SCRATCH_FOLDER : settings.scratch_root;
    const fs::path place = xtb_result_folder(run, candidate.name);
    std::string redone;
    try {
        if (auto finished = finished_xtb_job(run, candidate.name)) {
            // A kill between the results' rename and the scratch folder's removal leaves
            // that folder behind.
            std::error_code ignored;
            fs::remove_all(root / candidate.name, ignored);
            return *finished;
        }
    } catch (const DamagedFolder& damage) {
        redone = damage.what();
        fs::remove_all(place);
    }

    XtbJobResult result;
    result.redone = redone;
    result.name = candidate.name;
    result.options = joined(options);
    if (stop != nullptr && stop->stopped()) {
        result.status = XtbJobStatus::stopped;
        result.process.error = message::stopped_before_start();
        result.reason = result.process.error;
        return result;
    }
    const ScratchFolder scratch(root / candidate.name);
    const std::string input = candidate.name + INPUT_ENDING;
    XyzGeometry start = candidate.geometry;
    if (start.comment.empty()) start.comment = candidate.name;
    write_xyz_geometry((scratch.path() / input).string(), start);
    if (settings.method == XtbMethod::gfnff)
        fs::copy_file(settings.gfnff.topology, scratch.path() / GFNFF_TOPOLOGY);

    result.process = run_process(xtb_request(settings, scratch.path(), input, options), stop);
    if (result.process.kind == ProcessOutcome::Kind::stopped) {
        result.status = XtbJobStatus::stopped;
        result.reason = message::stopped();
        return result;
    }
    judge(result, scratch.path(), settings, candidate);

    StagedFolder results(place);
    for (const std::string& name : {input, candidate.name + OUTPUT_ENDING,
                                    candidate.name + ERROR_ENDING, XTB_OPTIMISED_GEOMETRY})
        if (fs::exists(scratch.path() / name)) results.move_in(scratch.path() / name, name);
    DoneMarker marker;
    marker.set(MARKER_STATUS, status_name(result.status));
    marker.set(MARKER_REASON, result.reason);
    marker.set(MARKER_OPTIONS, result.options);
    marker.set_outcome(result.process);
    results.commit(marker);
    result.folder = place;
    return result;
}

}  // namespace confsearch
