// The one-file generator's candidates of a molecule, named and titled: every combination
// of the turned bonds, from every ring form and nitrogen pyramid the plan takes, that
// passes the clash tests, in the input's atom order, repeats over
// the molecule's symmetry left out, named as generate_conformers names its files; handed
// on one by one (to a writer of files) or kept in memory (for a screening).
#pragma once

#include "CSearch/candidate_plan.h"
#include "CSearch/candidate_run.h"
#include "CSearch/candidate_sources.h"

#include <functional>
#include <string>
#include <vector>

namespace confsearch {

// One kept candidate: "<stem>_0001" (serial_name, as wide as the combinations need), its
// candidate_title (the start geometry and the turn of every bond) and its positions (angstrom),
// symbols as the molecule's.
struct NamedCandidate {
    const std::string& name;
    const std::string& title;
    const std::vector<std::string>& symbols;
    const std::vector<CVECTOR>& positions;
};

struct WalkCounts {
    CandidateCounts counts;
    Combinations repeats = 0;  // left out as the same geometry as one kept before
    Combinations kept = 0;
};

// Runs the plan's walk over the molecule it was made from and hands on every candidate
// kept. done gets the combinations walked so far and log the walk's lines, as
// CandidateRun::run gives them.
WalkCounts walk_named_candidates(const CandidatePlan& plan, const std::string& stem,
                                 const std::function<void(const NamedCandidate&)>& take,
                                 const std::function<void(Combinations)>& done = {},
                                 const std::function<void(const std::string&)>& log = {});

struct GeneratedCandidates {
    // Each geometry's comment its title; origin says where the molecule came from.
    std::vector<ScreeningCandidate> candidates;
    WalkCounts walk;
};

// The candidates of walk_named_candidates, kept in memory.
GeneratedCandidates generate_candidates(const CandidatePlan& plan, const std::string& stem,
                                        const std::string& origin,
                                        const std::function<void(Combinations)>& done = {});

}  // namespace confsearch
