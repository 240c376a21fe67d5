// What the programs that write SLURM job-array scripts share (prepare_inputs,
// screen_conformers): the options of the script (--slurm, the partition, account, time
// limit and tasks at once), their checked values, and their lines of the help.
#pragma once

#include <string>
#include <vector>

#include "CSearch/slurm_scripts.h"
#include "cli.h"

namespace confsearch::slurm {

inline const cli::Option SLURM{"--slurm", ""};
inline const cli::Option PARTITION{"--partition", "NAME"};
inline const cli::Option ACCOUNT{"--account", "NAME"};
inline const cli::Option TIME{"--time", "LIMIT"};
inline const cli::Option MAX_RUNNING{"--max-running", "M"};

// The options above, for read_options.
std::vector<cli::Option> options();
// Their lines of a program's help, each ending in a line end.
extern const char* const HELP_LINES;

// The resources the options ask for, on top of those given (the job's name, CPUs and
// memory are the program's). A Failure (status 2) names the option and what it takes, and
// refuses the script's options without --slurm.
SlurmResources read_resources(const cli::Options& options, SlurmResources resources);

}  // namespace confsearch::slurm
