// The one-file form's set-up of a molecule: its bonds and Z-matrix tree, the torsions it
// turns and keeps, the files and listing that show them, and what would bring a run that
// is too large under its limit.
#pragma once

#include <string>
#include <vector>

#include "CConformer/basic_conformer.h"
#include "CConformer/conformer_setup.h"
#include "CConformer/torsion_choice.h"

namespace confsearch {

class CandidatePlan {
public:
    // Throws PerceptionError: see CBondGraph and CZmatrixTree.
    CandidatePlan(const CBasicConformer& molecule, const TorsionOptions& options = {});

    const CBasicConformer& get_molecule() const { return molecule; }
    const CConformerSetup& get_setup() const { return setup; }
    const TorsionOptions& get_options() const { return options; }
    // Every bond listed, turned or kept, in row order of its moving atom.
    const std::vector<TorsionChoice>& get_torsions() const { return torsions; }
    // The turned ones, in the order the run places them.
    std::vector<TorsionChoice> get_turned() const;
    Combinations get_combinations() const { return count_combinations(torsions); }

    // The Z-matrix file of the tree (see CZmatrixTree) and the freedom file of the turned
    // bonds with their steps per full turn, which the three-file form runs as written
    // (without the symmetry of their sides). Throw PerceptionError when a file cannot be
    // written or the freedom file would hold no bond or more than MAX_FREEDOM_NUMBER.
    void write_zmatrix_file(const std::string& file) const { setup.write_zmatrix_file(file); }
    void write_freedom_file(const std::string& file) const;

    // One line per listed bond, atoms in input numbers with their elements: "atom 7 (C) -
    // atom 9 (C), 6 steps: one trigonal end", "atom 1 (C) - atom 7 (C), 3 of 6 steps (a
    // side of 2-fold symmetry): one trigonal end", "atom 2 (C) - atom 4 (N), kept: amide
    // C-N, cis and trans are isomers".
    std::string listing() const;

private:
    CBasicConformer molecule;
    TorsionOptions options;
    CConformerSetup setup;
    std::vector<TorsionChoice> torsions;
};

// What would bring a run of more than `most` combinations under it: the combinations
// with every bond at three and at two steps per full turn, and the fewest bonds to keep
// (the ones of most positions first) with the combinations then left.
struct LimitAdvice {
    Combinations three_steps = 0;
    Combinations two_steps = 0;
    std::vector<TorsionChoice> to_fix;
    Combinations after_fixing = 0;
};
LimitAdvice limit_advice(const CandidatePlan& plan, Combinations most);

}  // namespace confsearch
