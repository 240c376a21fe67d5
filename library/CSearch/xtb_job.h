// One xtb geometry optimisation of one candidate: run in a scratch folder of its own,
// its files moved whole into the run folder, found there again on a restart.
#pragma once

#include "CSearch/job_folders.h"
#include "CSearch/process.h"
#include "CSearch/stop_flag.h"
#include "CSearch/xtb_settings.h"
#include "CSearch/xyz_geometry.h"

#include <filesystem>
#include <optional>
#include <string>

namespace confsearch {

struct XtbCandidate {
    // Names the files and folders of the job: letters, digits, '_', '-', '+' and '.',
    // not beginning with '.'. The comment line of its xyz input is geometry.comment, or
    // the name when that is empty.
    std::string name;
    XyzGeometry geometry;
};

enum class XtbJobStatus {
    optimised,      // exit status 0 and an optimised geometry of the candidate's atoms
    not_converged,  // xtb gave up after its cycles; its last geometry is kept
    failed,         // reason says why
    stopped,        // the run was stopped while the job ran: nothing kept, run it again
};

// "optimised", "not converged", "failed", "stopped".
const char* status_name(XtbJobStatus status);

struct XtbJobResult {
    std::string name;
    XtbJobStatus status = XtbJobStatus::failed;
    ProcessOutcome process;
    // Why it is not optimised, one line, with xtb's own words where it gave any; empty
    // for an optimised job.
    std::string reason;
    // The xtb options the job ran with (joined xtb_options), to refuse a restart that
    // asks for others.
    std::string options;
    // The candidate's results folder <run>/xtb/<name>; empty for a stopped job.
    std::filesystem::path folder;
    // Found in the run folder from an earlier start, not run now.
    bool reused = false;
    // Why the results an earlier start left were thrown away and the job run again (a
    // folder damaged by a power cut or by hand); empty when there were none.
    std::string redone;

    // xtb's standard output and the optimised geometry in the results folder.
    std::filesystem::path output() const;
    std::filesystem::path geometry() const;
};

// Where the results of candidate name go: <run>/xtb/<name>.
std::filesystem::path xtb_result_folder(const std::filesystem::path& run, const std::string& name);

// The result of a job that finished in an earlier start, from its done marker (reused is
// set); none when the run folder has no results for the name. Throws DamagedFolder
// naming the file at fault when the folder is not whole.
std::optional<XtbJobResult> finished_xtb_job(const std::filesystem::path& run,
                                             const std::string& name);

// Optimises the candidate with xtb, or returns the result found from an earlier start
// (whatever the settings: compare options with xtb_options to refuse other ones); a
// damaged folder found is removed and the job run again (redone). A job that ends in
// any way but a stop leaves its folder complete with a done marker; a stopped one leaves
// nothing, its scratch folder removed. Nothing xtb does makes it throw: a failure is in
// the result. Throws std::invalid_argument for a bad name, bad settings, or a candidate
// whose atoms are not those of the GFN-FF set-up, and std::filesystem::filesystem_error
// when the run folder cannot be written.
XtbJobResult run_xtb_job(const XtbSettings& settings, const XtbCandidate& candidate,
                         const std::filesystem::path& run, const StopFlag* stop = nullptr);

}  // namespace confsearch
