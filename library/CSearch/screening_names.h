// The files and folders of a screening's run folder and the words its summary and
// progress use: spelled once, here.
#pragma once

#include <string>

namespace confsearch {

// The run folder of a screening: <stem>_screen unless the chemist names one.
inline const std::string SCREEN_FOLDER_ENDING = "_screen";

// What the first start of a run records, so that every later start (and every task of a
// job array) optimises exactly the same: the conditions that fix an optimisation's result
// ("key value" lines), the input molecule (its bonds judge every optimised geometry, and
// the GFN-FF set-up is made from it) and every candidate, named, in order.
inline const std::string RUN_SETTINGS_FILE = "screening.txt";
inline const std::string RUN_MOLECULE_FILE = "molecule.xyz";
inline const std::string RUN_CANDIDATES_FILE = "candidates.xyz";
// The keys of RUN_SETTINGS_FILE.
inline const std::string SETTING_XTB = "xtb";
inline const std::string SETTING_LEVEL = "level";
inline const std::string SETTING_CHARGE = "charge";
inline const std::string SETTING_MULTIPLICITY = "multiplicity";
inline const std::string SETTING_SOLVENT = "solvent";
inline const std::string SETTING_CANDIDATES = "candidates";
inline const std::string SETTING_SOURCE = "made_by";

// One folder per optimisation stage, each holding xtb/<name>/ per candidate (see
// XTB_RESULTS_FOLDER), scratch/ while jobs run, and for GFN-FF the shared set-up. The GFN2
// stage after GFN-FF starts from the GFN-FF minima, so its results have a folder of their
// own, with the minima it started from in RUN_CANDIDATES_FILE.
inline const std::string GFN2_STAGE_FOLDER = "gfn2";
inline const std::string GFNFF_STAGE_FOLDER = "gfnff";
inline const std::string GFNFF_GFN2_STAGE_FOLDER = "gfnff_gfn2";

// Written by the ranking, whole or not at all, at every start: every candidate left out
// with its stage and reason (tab-separated), the summary printed on standard output, and
// the next level's inputs (<stem>_001.gjf the lowest).
inline const std::string FAILURES_FILE = "failures.txt";
inline const std::string SUMMARY_FILE = "summary.txt";
inline const std::string INPUTS_FOLDER = "inputs";

// The job array a cluster runs the optimisations of a stage by, a chunk of candidates per
// task.
inline const std::string SCREEN_SCRIPT_FILE = "screen.sbatch";

// The inputs are numbered by energy rank with at least this many digits (<stem>_001),
// more when the count needs them; candidates as the generator numbers them (<stem>_0001).
const int RANK_SERIAL_DIGITS = 3;

}  // namespace confsearch
