// The one-file form's set-up of a molecule: its bonds and Z-matrix tree, the torsions it
// turns and keeps, the ring forms and nitrogen pyramids it starts from, the files and
// listing that show them, and what would bring a run that is too large under its limit.
#pragma once

#include <string>
#include <vector>

#include "CConformer/basic_conformer.h"
#include "CConformer/conformer_setup.h"
#include "CConformer/start_geometries.h"
#include "CConformer/torsion_choice.h"

namespace confsearch {

class CandidatePlan {
public:
    // Throws PerceptionError: see CBondGraph, CZmatrixTree and StartGeometries.
    CandidatePlan(const CBasicConformer& molecule, const TorsionOptions& options = {},
                  const StartOptions& start_options = {});

    const CBasicConformer& get_molecule() const { return molecule; }
    const CConformerSetup& get_setup() const { return setup; }
    const TorsionOptions& get_options() const { return options; }
    // Every bond listed, turned or kept, in row order of its moving atom.
    const std::vector<TorsionChoice>& get_torsions() const { return torsions; }
    // The turned ones, in the order the run places them.
    std::vector<TorsionChoice> get_turned() const;
    const StartOptions& get_start_options() const { return start_options; }
    // The ring forms and nitrogen pyramids, every combination of which the run starts
    // from (combination 0: the input).
    const StartGeometries& get_starts() const { return starts; }
    // The combinations of the turned bonds' positions, from one start geometry.
    Combinations get_torsion_combinations() const { return count_combinations(torsions); }
    // Every combination of the run: start geometries times torsion combinations
    // (saturating at the largest Combinations).
    Combinations get_combinations() const;

    // The Z-matrix file of the tree (see CZmatrixTree) and the freedom file of the turned
    // bonds with their steps per full turn, which the three-file form runs as written
    // (without the symmetry of their sides). Throw PerceptionError when a file cannot be
    // written or the freedom file would hold no bond or more than MAX_FREEDOM_NUMBER.
    void write_zmatrix_file(const std::string& file) const { setup.write_zmatrix_file(file); }
    void write_freedom_file(const std::string& file) const;

    // One line per listed bond, atoms in input numbers with their elements: "atom 7 (C) -
    // atom 9 (C), 6 steps: one trigonal end", "atom 1 (C) - atom 7 (C), 3 of 6 steps (a
    // side of 2-fold symmetry): one trigonal end", "atom 2 (C) - atom 4 (N), kept: amide
    // C-N, cis and trans are isomers"; then one per ring unit, "ring 1 (C1..C6): chair in
    // the input; 7 forms also taken: flipped chair; twist-boat C1-C2/C4-C5 +; ...",
    // "ring 2 (C8..C13), kept: aromatic", and one per invertible amine nitrogen, "atom 7
    // (N), pyramid as in the input and inverted".
    std::string listing() const;

private:
    CBasicConformer molecule;
    TorsionOptions options;
    StartOptions start_options;
    CConformerSetup setup;
    std::vector<TorsionChoice> torsions;
    StartGeometries starts;
};

// What would bring a run of more than `most` combinations under it: the combinations
// with every bond at three and at two steps per full turn, and the fewest bonds to keep
// (the ones of most positions first) with the combinations then left, all with the
// plan's start geometries; and the combinations without the ring forms and without the
// inverted nitrogens (the plan's own when it takes none).
struct LimitAdvice {
    Combinations three_steps = 0;
    Combinations two_steps = 0;
    std::vector<TorsionChoice> to_fix;
    Combinations after_fixing = 0;
    Combinations without_rings = 0;
    Combinations without_inversion = 0;
};
LimitAdvice limit_advice(const CandidatePlan& plan, Combinations most);

}  // namespace confsearch
