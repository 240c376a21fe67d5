// The one-file generator's run: from every start geometry (the input, its ring forms and
// inverted nitrogens), every combination of the positions of the turned bonds, the atoms
// in the input's order throughout, each geometry tested against the clash rules as the
// bonds are placed, a clashing bond turned aside by up to half a step or the combinations
// below it skipped, and every accepted candidate handed on.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "CConformer/basic_conformer.h"
#include "CConformer/bond_perception.h"
#include "CConformer/conformer_setup.h"
#include "CConformer/start_geometries.h"
#include "CConformer/symmetry_classes.h"
#include "CConformer/torsion_choice.h"
#include "CSearch/candidate_plan.h"

namespace confsearch {

// The tests every candidate passes.
struct CandidateRules {
    // Atoms three or more bonds apart at least VDW_CLASH_FRACTION of their van der Waals
    // radii apart (hydrogen bonds: HYDROGEN_BOND_CLASH_DISTANCE), on top of the
    // generator's own test (beyond the sum of their bonding radii).
    bool physical_clashes = true;
};

// One accepted combination: the atoms in the input's order (0-based), the start geometry
// it was turned from and, bond by bond in the run's order, the turn from that start,
// radians in [0, 2 pi), side correction included.
struct Candidate {
    std::vector<CVECTOR> positions;
    std::vector<double> turns;
    // The start's combination (0: the input) and name (StartGeometries::name: "input",
    // "ring 1 (C1..C6): flipped chair; N7: inverted").
    std::uint64_t start = 0;
    std::string start_name;
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
    // The start geometries, those dropped (a centre turned inside out, or two atoms that
    // no turn moves too close), and the combinations the dropped ones would have given.
    std::uint64_t starts = 0;
    std::uint64_t dropped_starts = 0;
    Combinations dropped = 0;
};

class CandidateRun {
public:
    // The turned bonds of torsions, in their order, from every start geometry that
    // start_options ask for; graph and tree must be those of molecule. Throws
    // PerceptionError (see StartGeometries).
    CandidateRun(const CBasicConformer& molecule, const CBondGraph& graph, const CZmatrixTree& tree,
                 const std::vector<TorsionChoice>& torsions, const CandidateRules& rules = {},
                 const StartOptions& start_options = {});
    // The plan's turned bonds from the plan's start geometries.
    explicit CandidateRun(const CandidatePlan& plan, const CandidateRules& rules = {});

    const std::vector<TorsionChoice>& get_bonds() const { return bonds; }
    const StartGeometries& get_starts() const { return starts; }
    // The pairs of atoms whose distance the turns change, which the run tests.
    std::size_t get_pair_count() const;
    // Every combination: start geometries times the combinations of the turned bonds.
    Combinations get_combinations() const;

    // Walks every start geometry in order and from each every combination in order, the
    // last bond fastest; take gets each accepted candidate, done the combinations walked
    // so far (accepted, skipped and dropped) after each, log one line per start geometry
    // (when there are several), per side correction and per skipped block, atoms in
    // input numbers. Each start is built as the walk reaches it; its turns are measured
    // from it, as a Z-matrix of the input's tree read from it would turn them.
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
    StartGeometries starts;
    // Pairs whose distance no turn changes: a start geometry that brings one too close
    // is dropped whole. Pairs the input already holds too close are left out.
    std::vector<Pair> fixed_pairs;
    CBondGraph graph;
    SymmetryClasses classes;
    std::vector<Stereocentre> centres;

    CandidateRun(const CBasicConformer& molecule, const CBondGraph& graph, const CZmatrixTree& tree,
                 const std::vector<TorsionChoice>& torsions, const CandidateRules& rules,
                 StartGeometries starts);
    // Why a start geometry is dropped; empty when it is walked.
    std::string rejection(const StartGeometry& start, const std::vector<CVECTOR>& positions) const;

    class Walk;
};

}  // namespace confsearch
