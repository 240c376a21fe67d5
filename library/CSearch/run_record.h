// The record a screening keeps in its run folder: the conditions that fix every
// optimisation's result, the input molecule and the candidates. The first start writes
// it; every later start is checked against it, and a task of a job array reads the whole
// run from it.
#pragma once

#include "CSearch/candidate_sources.h"
#include "CSearch/xyz_geometry.h"

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace confsearch {

// What an optimisation's result depends on besides its start geometry and its method.
// The method is not among them: each has its own stage folder. Nor is the time limit: a
// candidate that ran past a shorter one is run again under a longer one.
struct ScreeningConditions {
    std::string xtb_version;  // as xtb prints it: "6.5.1 (unknown)"
    std::string level = "normal";
    int charge = 0;
    int multiplicity = 1;
    std::string solvent;  // xtb's name, for --alpb; empty: gas phase
};

struct RunRecord {
    ScreeningConditions conditions;
    // The input molecule (or the first candidate when only candidates were given), its
    // comment line naming where it was read.
    XyzGeometry molecule;
    std::vector<ScreeningCandidate> candidates;
    // How the candidates were made, in the chemist's words: "the generator --steps 3",
    // "--candidates". A later start that makes them otherwise is refused by this name
    // before its candidates are compared one by one.
    std::string source = "--candidates";
};

// A start that does not fit the run folder, or a run folder that holds no whole record;
// what() names the folder and the option, molecule or candidate that differs.
class RunRefusal : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Records a new run in folder (created when missing), or checks this start against the
// run recorded there: every condition, the molecule and each candidate (name, atoms and
// positions to 1e-10 angstrom) must be the same. Throws RunRefusal for the first that
// differs (the source first) and for a folder that holds files of no screening run;
// std::runtime_error when a file cannot be written. Each file is written whole, the settings file
// last, so that a start killed on the way leaves no record that could pass for a whole one.
void record_run(const std::filesystem::path& folder, const RunRecord& record);

// The run recorded in folder, with the candidates' positions as recorded (10 decimals,
// as every job's xtb input holds them). Throws RunRefusal for a folder without a whole
// record.
RunRecord read_run_record(const std::filesystem::path& folder);

// The text of a multi-structure xyz file of the candidates: each frame's comment line the
// name, the origin and the source's comment, tab-separated; positions with 10 decimals.
std::string candidates_text(const std::vector<ScreeningCandidate>& candidates);
// The candidates of a file that candidates_text wrote. Throws RunRefusal for one that is
// not whole.
std::vector<ScreeningCandidate> read_candidates_file(const std::filesystem::path& file);

}  // namespace confsearch
