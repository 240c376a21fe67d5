#include "slurm_options.h"

#include <cstdlib>

namespace confsearch::slurm {

namespace {

const long MOST_RUNNING = 100000;

}  // namespace

const char* const HELP_LINES =
    "  --slurm           write a SLURM job-array script too, and print how to submit it\n"
    "  --partition NAME  the script's partition (default: the cluster's)\n"
    "  --account NAME    the account its time is charged to (default: yours)\n"
    "  --time LIMIT      each task's time limit, 12:00:00 or 2-00:00:00 (default: the\n"
    "                    partition's)\n"
    "  --max-running M   at most M tasks of the array at once (default: no limit)\n";

std::vector<cli::Option> options() { return {SLURM, PARTITION, ACCOUNT, TIME, MAX_RUNNING}; }

SlurmResources read_resources(const cli::Options& options, SlurmResources resources) {
    if (!options.has(SLURM)) {
        for (const cli::Option& option : {PARTITION, ACCOUNT, TIME, MAX_RUNNING})
            if (options.has(option))
                throw cli::Failure{option.name + " goes with " + SLURM.name +
                                   ": it is an option of the job-array script"};
        return resources;
    }
    for (const cli::Option* option : {&PARTITION, &ACCOUNT}) {
        if (!options.has(*option)) continue;
        const std::string fault = slurm_name_fault(options.value(*option));
        if (!fault.empty()) throw cli::Failure{option->name + ": " + fault};
    }
    if (options.has(PARTITION)) resources.partition = options.value(PARTITION);
    if (options.has(ACCOUNT)) resources.account = options.value(ACCOUNT);
    if (options.has(TIME)) {
        const std::string fault = slurm_time_fault(options.value(TIME));
        if (!fault.empty()) throw cli::Failure{TIME.name + ": " + fault};
        resources.time = options.value(TIME);
    }
    if (options.has(MAX_RUNNING)) {
        const std::string& text = options.value(MAX_RUNNING);
        char* end = nullptr;
        const long value = std::strtol(text.c_str(), &end, 10);
        if (text.empty() || *end != '\0' || value < 1 || value > MOST_RUNNING)
            throw cli::Failure{MAX_RUNNING.name + " must be a whole number in 1.." +
                               std::to_string(MOST_RUNNING) + ", not \"" + text + "\""};
        resources.max_running = static_cast<int>(value);
    }
    return resources;
}

}  // namespace confsearch::slurm
