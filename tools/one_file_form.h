// generate_conformers from one xyz file: the set-up of the molecule (bonds, tree, the
// torsions a chemist turns, its ring forms and inverted nitrogens), its two files, the
// limit on the combinations, the run with its physical clash test and the candidates in
// the input's atom order, as Gaussian or ORCA inputs, xyz files or collection records
// under the molecule's name.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "CConformer/basic_conformer.h"
#include "CConformer/generator.h"
#include "CConformer/start_geometries.h"
#include "CSearch/candidate_plan.h"
#include "cli.h"
#include "input_options.h"

namespace confsearch::one_file {

inline const cli::Option STEPS{"--steps", "N"};
inline const cli::Option DRY_RUN{"--dry-run", ""};
inline const cli::Option MAX{"--max", "N"};
inline const cli::Option FIX{"--fix", "a-b,..."};
inline const cli::Option NO_RINGS{"--no-rings", ""};
inline const cli::Option NO_INVERSION{"--no-inversion", ""};

// The options of the one-file form, those of the inputs included.
std::vector<cli::Option> options();
// Their lines of the help, each ending in a line end.
extern const char* const HELP_LINES;
// The combinations a run may have unless --max says otherwise.
const Combinations DEFAULT_MAX = 5000;

// What becomes of each candidate.
enum class Output {
    inputs,      // one input file each, of the format asked for, in the folder
    xyz_files,   // one xyz file each, in the folder
    collection,  // one record each of <stem>_collection.txt
    count,       // nothing: counted in the log
};

struct Request {
    std::string geometry;
    Output output = Output::inputs;
    std::string folder;  // empty: <stem>_candidates
    int steps = 0;       // 0: each bond's own
    bool dry_run = false;
    Combinations max = DEFAULT_MAX;  // 0: no limit
    std::vector<std::pair<int, int>> fixed;
    StartOptions starts;  // the ring forms and inverted nitrogens taken
    inputs::Request inputs;
};

// The options of a command line in the request: values checked (a Failure of status 2
// naming the option), --format xyz and the mode word agreed.
void read_options(const cli::Options& options, Request& request);

// The set-up of the molecule read from request.geometry as the request asks for it,
// checked as a run checks it before anything is written: every --fix bond a bond of the
// molecule, a bond to turn and no more than the generator turns, the combinations within
// --max (the notes on what would bring them under it go to standard error under
// program's name). Every refusal is a Failure naming the file.
CandidatePlan checked_plan(const Request& request, const CBasicConformer& geometry,
                           const char* program);

// Sets up the molecule read from request.geometry, writes <stem>.zmat and <stem>.freedom
// into the working directory, lists the bonds on standard output and, unless a dry run,
// runs and writes the candidates. Every refusal is a Failure; returns the exit status.
int run(const Request& request, const CBasicConformer& geometry);

}  // namespace confsearch::one_file
