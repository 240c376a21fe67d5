// Which bonds the generator's one-file form turns, through how many positions, and why:
// the chemistry of each bond read from the bond graph (amides and esters kept, aryl-aryl
// and aryl-carbonyl bonds through both twist senses, an acid's O-H syn and anti), and the
// turns that a symmetric side (tert-butyl, a phenyl ring, a para-phenylene) makes
// repeats of, left out.
#pragma once

#include "CConformer/basic_conformer.h"
#include "CConformer/bond_perception.h"
#include "CConformer/conformer_setup.h"

#include <string>
#include <utility>
#include <vector>

namespace confsearch {

// What a bond is, as far as turning it goes.
enum class TorsionKind {
    // Turned:
    single,           // two tetrahedral ends (sp3-sp3, an amine N, an ether O): 3 positions
    trigonal_single,  // one trigonal end (aryl-CH2, C(=O)-CH, amide N-alkyl): 6
    conjugated,       // two trigonal ends (diene, styrene, enone, anilide): 2, the planar pair
    aryl_aryl,        // 4: both senses of the twist
    aryl_carbonyl,    // 4: both senses of the twist (benzophenone, acetophenone, benzamide)
    aryl_ether,       // aryl or vinyl to OH or O-alkyl: 2, in the plane either way
    acid_hydroxyl,    // the O-H of C(=O)OH: 2, syn and anti
    sulfonamide,      // S(=O)2-N: 3, or 6 with a trigonal nitrogen
    // Kept as in the input:
    amide,        // C(=O)-N, C(=S)-N, urea and carbamate C-N: cis and trans do not interconvert
    ester,        // C(=O)-O-C, C(=O)-S-C, carbamate and carbonate C(=O)-O: the Z form kept
    double_bond,  // a C=C, C=N or N=N outside rings
    symmetric,    // every position the steps give repeats one already taken (tBu on sp3)
    fixed,        // kept on request
};

struct TorsionChoice {
    // Input atom numbers; the moving atom hangs on the fixed one in the Z-matrix tree.
    int fixed_atom = 0;
    int moving_atom = 0;
    TorsionKind kind = TorsionKind::single;
    // Steps per full turn (0 for a bond kept); the turn of 360/symmetry degrees gives the
    // same geometry again, so the bond takes `positions` positions, one step apart from
    // the input's, within that turn.
    int steps = 0;
    int symmetry = 1;
    int positions = 1;

    bool turned() const { return positions > 1; }
    // One step, radians.
    double step() const;
};

// A chemist's words for a kind ("aryl-carbonyl, both twist senses").
std::string describe(TorsionKind kind);

struct TorsionOptions {
    // Steps per full turn of every turned bond; 0: the steps of its kind.
    int steps = 0;
    // Bonds kept as in the input, either way round (input numbers).
    std::vector<std::pair<int, int>> fixed;
};

// The tree bonds outside rings between atoms of two neighbours or more, neither end linear
// nor the centre of three equal terminal atoms, each with its kind, steps and positions;
// the bonds kept are listed too. In row order of the moving atom. The same for a geometry
// and its mirror image. graph and tree must be those of conformer.
std::vector<TorsionChoice> choose_torsions(const CBasicConformer& conformer,
                                           const CBondGraph& graph, const CZmatrixTree& tree,
                                           const TorsionOptions& options = {});

// The number of combinations of the turned bonds' positions.
Combinations count_combinations(const std::vector<TorsionChoice>& torsions);

}  // namespace confsearch
