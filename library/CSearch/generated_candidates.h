// The one-file generator's candidates of a molecule in memory, as a screening takes them:
// every combination of the turned bonds that passes the clash tests, in the input's atom
// order, repeats over the molecule's symmetry left out, named as generate_conformers
// names its files.
#pragma once

#include "CSearch/candidate_plan.h"
#include "CSearch/candidate_run.h"
#include "CSearch/candidate_sources.h"

#include <functional>
#include <string>
#include <vector>

namespace confsearch {

struct GeneratedCandidates {
    // Named "<stem>_0001", ... (serial_name, as wide as the combinations need), each
    // geometry's comment its candidate_title (the turn of every bond); origin says where
    // the molecule came from.
    std::vector<ScreeningCandidate> candidates;
    CandidateCounts counts;
    Combinations repeats = 0;  // left out as the same geometry as one kept before
};

// Runs the plan's walk over the molecule it was made from. done gets the combinations
// walked so far, as CandidateRun::run gives them.
GeneratedCandidates generate_candidates(const CandidatePlan& plan, const std::string& stem,
                                        const std::string& origin,
                                        const std::function<void(Combinations)>& done = {});

}  // namespace confsearch
