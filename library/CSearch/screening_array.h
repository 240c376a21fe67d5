// The job array of a screening: the stage it runs, the candidates cut into the tasks'
// chunks, the time a task needs, and the script whose every task runs the screening
// program on its chunk in the run folder.
#pragma once

#include "CSearch/run_record.h"
#include "CSearch/screening.h"
#include "CSearch/slurm_scripts.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace confsearch {

// The stage named as its folder is: "gfn2", "gfnff", "gfnff_gfn2"; none for another word.
std::optional<ScreeningStage> stage_named(const std::string& word);
// "gfn2", "gfnff", "gfnff_gfn2": how a task is told its stage.
std::string stage_word(ScreeningStage stage);

// The names of the candidates that the stage folder holds no result of, in their order; a
// damaged results folder counts as none.
std::vector<std::string> unfinished_candidates(const std::filesystem::path& run,
                                               ScreeningStage stage,
                                               const std::vector<ScreeningCandidate>& candidates);

// The names cut into chunks of per_task (at least 1) in their order, the last one shorter.
std::vector<std::vector<std::string>> task_chunks(const std::vector<std::string>& names,
                                                  std::size_t per_task);

// A task's time limit as sbatch takes it ("0:50:00", "1-02:10:00"): its chunk run `jobs`
// at once, each optimisation up to timeout_seconds, and ten minutes for starting, the
// GFN-FF set-up and writing, so that xtb's own limit always ends a job before SLURM ends
// the task.
std::string task_time_limit(std::size_t per_task, unsigned jobs, double timeout_seconds);

// The whole script: task k runs `program arguments... <the names of chunk k>` in the
// folder it is submitted from (the run folder), and refuses a task number outside the
// array and a program missing on the node.
std::string screening_array_script(const SlurmResources& resources, const std::string& program,
                                   const std::vector<std::string>& arguments,
                                   const std::vector<std::vector<std::string>>& chunks);

// Writes the script into the run folder as SCREEN_SCRIPT_FILE, whole or not at all, and
// returns its path. Throws std::runtime_error naming it when it cannot be written.
std::filesystem::path write_screening_array(const std::filesystem::path& run,
                                            const std::string& script);

}  // namespace confsearch
