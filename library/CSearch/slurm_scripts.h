// Job-array scripts for the SLURM batch scheduler: the resources asked of it, checked as
// sbatch takes them, the #SBATCH head of a script, and the script that runs one Gaussian or
// ORCA input per task with its output beside the input.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "CSearch/input_files.h"

namespace confsearch {

// A job-array script's ending: "butanol_inputs/butanol.sbatch".
inline const std::string SBATCH_ENDING = ".sbatch";
// An output while its program runs ("butanol_001.log.partial"); it takes its own name only
// when the program has ended by itself, so that no sorter ever reads a cut output.
inline const std::string RUNNING_OUTPUT_ENDING = ".partial";
// Where SLURM writes what a task prints, in the folder it was submitted from. Not ".out",
// which is ORCA's own ending.
inline const std::string SLURM_LOG_PATTERN = "slurm-%A_%a.txt";
// The highest task number a cluster takes under SLURM's default MaxArraySize (1001).
inline const std::size_t SLURM_DEFAULT_MOST_TASK = 1000;

// What every task of an array asks of SLURM.
struct SlurmResources {
    std::string job_name;   // --job-name
    int tasks = 1;          // --ntasks, on one node: the MPI processes of a job
    int cpus_per_task = 1;  // --cpus-per-task: the threads of each process
    long megabytes = 0;     // --mem, per node; 0: no line, the partition's default
    std::string time;       // --time, as sbatch takes it; empty: the partition's default
    std::string partition;  // empty: the cluster's default
    std::string account;    // empty: the user's default
    int max_running = 0;    // tasks running at once, the %M of --array; 0: no limit
};

// Why sbatch would refuse the text as a time limit; empty when it takes it: minutes,
// minutes:seconds, hours:minutes:seconds, days-hours, days-hours:minutes or
// days-hours:minutes:seconds ("90", "12:00:00", "2-00:00:00").
std::string slurm_time_fault(const std::string& time);
// Why the text cannot name a partition or an account; empty when it can: letters, digits
// and _ . - , only (partitions may be given as a list, "short,long").
std::string slurm_name_fault(const std::string& name);

// The word as bash reads it back unchanged: as it is when bash leaves all its characters
// alone, else with a backslash before each one it would not (in single quotes when it
// holds a control character).
std::string shell_word(const std::string& word);

// The head of a job-array script of tasks 1..tasks: "#!/bin/bash", then the #SBATCH lines
// of the resources, each of a value given (the job's name with "_" for any character but
// letters, digits and _ . -).
std::string sbatch_head(const SlurmResources& resources, std::size_t tasks);

// The program that runs a format's inputs when none is named: "g16", "orca".
std::string default_program(InputFormat format);
// The output of an input file: Gaussian's "<stem>.log", ORCA's "<stem>.out".
std::string program_output_name(InputFormat format, const std::string& input);
// The resources of one Gaussian or ORCA job: Gaussian's shared-memory threads as the
// CPUs of one task, ORCA's MPI processes as tasks on one node; the memory asked of SLURM
// is Gaussian's %mem and 1 GB for what lies outside it, or ORCA's whole memory, of which
// %maxcore already holds a quarter back.
SlurmResources program_resources(const InputSettings& settings, SlurmResources resources);

// The whole job-array script that runs program (a name on the PATH or a path) on the
// inputs, one per task in their order, in the folder the script is submitted from: Gaussian
// as "g16 < input > output", ORCA by its full path as "orca input > output".
std::string program_array_script(const SlurmResources& resources, InputFormat format,
                                 const std::string& program,
                                 const std::vector<std::string>& inputs);

// Writes program_array_script into folder as script, and beside it the sorters' list.txt
// of the outputs, one name a line. Returns the file that could not be written whole;
// empty when both are.
std::string write_program_array(const std::string& folder, const std::string& script,
                                const SlurmResources& resources, InputFormat format,
                                const std::string& program, const std::vector<std::string>& inputs);

// The command that submits a script written into folder: "cd my\ inputs && sbatch x.sbatch".
std::string sbatch_command(const std::string& folder, const std::string& script);

}  // namespace confsearch
