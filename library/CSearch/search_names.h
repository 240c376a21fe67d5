// The files and folders a screening run writes into its run folder, the lines of xtb's
// output it looks for, and its messages: spelled once, here.
#pragma once

#include <string>

namespace confsearch {

// <run>/xtb/<name>/ holds one candidate's results: <name>.xyz (the start geometry),
// <name>.out and <name>.err (xtb's standard output and error), xtbopt.xyz and the done
// marker. It appears whole, by a rename of <run>/xtb/.<name>.partial.
inline const std::string XTB_RESULTS_FOLDER = "xtb";
inline const std::string PARTIAL_PREFIX = ".";
inline const std::string PARTIAL_ENDING = ".partial";
inline const std::string DONE_MARKER = "done";
inline const std::string INPUT_ENDING = ".xyz";
inline const std::string OUTPUT_ENDING = ".out";
inline const std::string ERROR_ENDING = ".err";
// The keys of a done marker: the job's status, why it failed, the xtb options it ran
// with, how xtb ended (kind, exit status, signal), its wall time and time limit in
// seconds, why it could not start, and every file of the folder with its size.
inline const std::string MARKER_STATUS = "status";
inline const std::string MARKER_REASON = "reason";
inline const std::string MARKER_OPTIONS = "options";
inline const std::string MARKER_PROCESS = "process";
inline const std::string MARKER_SECONDS = "seconds";
inline const std::string MARKER_TIME_LIMIT = "time_limit";
inline const std::string MARKER_ERROR = "error";
inline const std::string MARKER_FILES = "files";
// Where xtb runs, one folder per candidate, removed when its results are in place.
inline const std::string XTB_SCRATCH_FOLDER = "scratch";
// The one GFN-FF set-up of a run: the input molecule and the topology made from it.
inline const std::string GFNFF_SETUP_FOLDER = "gfnff_setup";
inline const std::string GFNFF_SETUP_NAME = "input";

// What xtb itself reads and writes in its working folder.
inline const std::string XTB_OPTIMISED_GEOMETRY = "xtbopt.xyz";
inline const std::string GFNFF_TOPOLOGY = "gfnff_topo";
// Newer versions leave this file when an optimisation did not converge; 6.5.1 only says so.
inline const std::string XTB_NOT_CONVERGED_FILE = "NOT_CONVERGED";
// "   *** FAILED TO CONVERGE GEOMETRY OPTIMIZATION IN 3 ITERATIONS ***" (exit status 0).
inline const std::string XTB_NOT_CONVERGED = "FAILED TO CONVERGE GEOMETRY OPTIMIZATION";
// "          GFN-FF topology read from file successfully!"; without it xtb made a topology
// of its own from the candidate.
inline const std::string XTB_TOPOLOGY_READ = "GFN-FF topology read from file successfully!";
// "[ERROR] Program stopped due to fatal error", then the reasons, innermost last:
// "-2- reading geometry input 'bad.xyz' failed", "-1- Error: Cannot map symbol ...".
inline const std::string XTB_ERROR_START = "[ERROR]";
// "   * xtb version 6.5.1 (unknown) compiled by 'builduser@buildhost' on 2022-12-09"
inline const std::string XTB_VERSION_LINE = "xtb version ";

// Every xtb job runs on one thread (the pool runs one job per core). xtb's set-up notes
// ask for large stacks: its main stack is raised to the hard limit (ProcessRequest), and
// this sizes the stacks of OpenMP's own threads, should a job ever be given more than one.
inline const std::string XTB_STACK_SIZE = "1G";

inline const std::string INSTALL_XTB = "sudo apt-get install xtb";

}  // namespace confsearch
