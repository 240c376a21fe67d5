// The one-file generator's run: every combination of the positions of the turned bonds,
// the atoms in the input's order throughout, each geometry tested against the clash
// rules as the bonds are placed, a clashing bond turned aside by up to half a step or the
// combinations below it skipped, and every accepted candidate handed on.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "CConformer/basic_conformer.h"
#include "CConformer/bond_perception.h"
#include "CConformer/conformer_setup.h"
#include "CConformer/torsion_choice.h"

namespace confsearch {

// The tests every candidate passes.
struct CandidateRules {
    // Atoms three or more bonds apart at least VDW_CLASH_FRACTION of their van der Waals
    // radii apart (hydrogen bonds: HYDROGEN_BOND_CLASH_DISTANCE), on top of the
    // generator's own test (beyond the sum of their bonding radii).
    bool physical_clashes = true;
};

// One accepted combination: the atoms in the input's order (0-based) and, bond by bond in
// the run's order, the turn from the input, radians in [0, 2 pi), side correction
// included.
struct Candidate {
    std::vector<CVECTOR> positions;
    std::vector<double> turns;
};

struct CandidateCounts {
    Combinations combinations = 0;
    // Combinations skipped because no side correction freed them: two atoms within their
    // bonding distance, or (only) within the van der Waals limit.
    Combinations clashing_bonding = 0;
    Combinations clashing_vdw = 0;
    // Bonds turned aside to free a position, and the candidates accepted.
    Combinations corrections = 0;
    Combinations accepted = 0;
};

class CandidateRun {
public:
    // The turned bonds of torsions, in their order; graph and tree must be those of
    // molecule.
    CandidateRun(const CBasicConformer& molecule, const CBondGraph& graph, const CZmatrixTree& tree,
                 const std::vector<TorsionChoice>& torsions, const CandidateRules& rules = {});

    const std::vector<TorsionChoice>& get_bonds() const { return bonds; }
    // The pairs of atoms whose distance the turns change, which the run tests.
    std::size_t get_pair_count() const;

    // Walks every combination in order, the last bond fastest; take gets each accepted
    // candidate, done the combinations walked so far (accepted and skipped) after each,
    // log one line per side correction and per skipped block, atoms in input numbers.
    CandidateCounts run(const std::function<void(const Candidate&)>& take,
                        const std::function<void(Combinations)>& done = {},
                        const std::function<void(const std::string&)>& log = {}) const;

private:
    struct Pair {
        int a;  // 0-based
        int b;
        double bonding_square;  // a pair at or within the bonding distance clashes
        double limit_square;    // a pair closer than the limit clashes
        double limit;
    };
    struct Bond {
        int fixed;  // 0-based
        int moving;
        std::vector<int> side;    // the atoms that turn, 0-based
        std::vector<Pair> pairs;  // the pairs this bond's placing makes final
    };

    std::vector<CVECTOR> input;
    std::vector<std::string> symbols;
    std::vector<TorsionChoice> bonds;
    std::vector<Bond> walk_bonds;

    class Walk;
};

}  // namespace confsearch
