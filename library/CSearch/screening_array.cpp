#include "CSearch/screening_array.h"

#include "CSearch/job_folders.h"
#include "CSearch/screening_names.h"
#include "CSearch/xtb_job.h"
#include "whole_file.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

namespace confsearch {

namespace {

const ScreeningStage ALL_STAGES[] = {ScreeningStage::gfn2, ScreeningStage::gfnff,
                                     ScreeningStage::gfnff_gfn2};
const double TASK_OVERHEAD_SECONDS = 600.0;

// After the array's head: which candidates each task takes, the checks, and the program
// run in place of the shell so that SLURM's signals reach it directly; it ends its xtb
// jobs on SIGTERM and writes no result of a job it ended.
const char* const TASK_CHECKS = R"(if [[ ! -x $program ]]; then
    echo "$program: no such program on this node: give its path with --screen-program" >&2
    exit 127
fi
if [[ ! -f @RECORD@ ]]; then
    echo "$PWD holds no screening run: submit this script from its run folder" >&2
    exit 2
fi
)";

}  // namespace

std::optional<ScreeningStage> stage_named(const std::string& word) {
    for (const ScreeningStage stage : ALL_STAGES)
        if (word == stage_word(stage)) return stage;
    return std::nullopt;
}

std::string stage_word(ScreeningStage stage) { return stage_folder("", stage).filename().string(); }

std::vector<std::string> unfinished_candidates(const std::filesystem::path& run,
                                               ScreeningStage stage,
                                               const std::vector<ScreeningCandidate>& candidates) {
    const std::filesystem::path root = stage_folder(run, stage);
    std::vector<std::string> names;
    for (const ScreeningCandidate& candidate : candidates) {
        bool finished = false;
        try {
            finished = finished_xtb_job(root, candidate.name).has_value();
        } catch (const DamagedFolder&) {
            // A task killed while it wrote; the next one runs it again.
        }
        if (!finished) names.push_back(candidate.name);
    }
    return names;
}

std::vector<std::vector<std::string>> task_chunks(const std::vector<std::string>& names,
                                                  std::size_t per_task) {
    per_task = per_task == 0 ? 1 : per_task;
    std::vector<std::vector<std::string>> chunks;
    for (std::size_t i = 0; i < names.size(); i += per_task)
        chunks.emplace_back(
            names.begin() + static_cast<std::ptrdiff_t>(i),
            names.begin() + static_cast<std::ptrdiff_t>(std::min(names.size(), i + per_task)));
    return chunks;
}

std::string task_time_limit(std::size_t per_task, unsigned jobs, double timeout_seconds) {
    const std::size_t rounds = (per_task + (jobs == 0 ? 1 : jobs) - 1) / (jobs == 0 ? 1 : jobs);
    const long long total = static_cast<long long>(
        std::ceil(static_cast<double>(rounds) * timeout_seconds + TASK_OVERHEAD_SECONDS));
    const long long minutes = (total + 59) / 60;
    const long long days = minutes / (24 * 60);
    char text[64];
    if (days > 0)
        std::snprintf(text, sizeof text, "%lld-%02lld:%02lld:00", days, minutes / 60 % 24,
                      minutes % 60);
    else
        std::snprintf(text, sizeof text, "%lld:%02lld:00", minutes / 60, minutes % 60);
    return text;
}

std::string screening_array_script(const SlurmResources& resources, const std::string& program,
                                   const std::vector<std::string>& arguments,
                                   const std::vector<std::vector<std::string>>& chunks) {
    std::string checks = TASK_CHECKS;
    checks.replace(checks.find("@RECORD@"), 8, shell_word(RUN_SETTINGS_FILE));
    std::ostringstream script;
    script << sbatch_head(resources, chunks.size())
           << "#\n# xtb optimisations of a screening, a chunk of its candidates per task, each\n"
              "# result written into this run folder whole, as a run on one machine writes it.\n"
              "# Submit from this folder with sbatch; one task by hand: SLURM_ARRAY_TASK_ID=1\n"
              "# bash <this script>. A task that was killed leaves its unfinished candidates for\n"
              "# a later array of them.\n\nset -u\n\nprogram="
           << shell_word(program) << "\n\ntask=${SLURM_ARRAY_TASK_ID:-}\ncase $task in\n";
    for (std::size_t k = 0; k < chunks.size(); ++k) {
        script << "    " << k + 1 << ") names=(";
        for (std::size_t i = 0; i < chunks[k].size(); ++i)
            script << (i == 0 ? "" : " ") << shell_word(chunks[k][i]);
        script << ") ;;\n";
    }
    script << "    *) echo \"task \\\"$task\\\" is not one of 1.." << chunks.size()
           << ": submit this script with sbatch\" >&2\n       exit 2 ;;\nesac\n"
           << checks << "exec \"$program\"";
    for (const std::string& argument : arguments) script << ' ' << shell_word(argument);
    script << " \"${names[@]}\"\n";
    return script.str();
}

std::filesystem::path write_screening_array(const std::filesystem::path& run,
                                            const std::string& script) {
    const std::filesystem::path file = run / SCREEN_SCRIPT_FILE;
    replace_file(file, script);
    return file;
}

}  // namespace confsearch
