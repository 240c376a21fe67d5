// Repeats among the candidates of a run: a geometry that is the same as one kept before
// over the molecule's symmetry (the methyls of a tert-butyl group exchanged, a ring
// flipped, the two halves of a symmetric molecule swapped) is left out.
#pragma once

#include <array>
#include <map>
#include <utility>
#include <vector>

#include "CConformer/basic_conformer.h"
#include "CConformer/bond_perception.h"
#include "CConformer/conformer_identity.h"

namespace confsearch {

// Two candidates are the same geometry within this best-fit RMSD (angstrom), over the
// heavy atoms and over all atoms.
const double REPEAT_RMSD = 0.1;

class RepeatFilter {
public:
    // graph must be that of molecule; its symmetry classes and chirality decide which
    // atoms may trade places and whether mirror images are compared (those of an achiral
    // molecule are one conformer).
    RepeatFilter(const CBasicConformer& molecule, const CBondGraph& graph,
                 double tolerance = REPEAT_RMSD);

    // Whether positions (the molecule's atom order, angstrom) are the same geometry as one
    // kept before, both over the heavy atoms and over all atoms; one that is not is kept.
    bool repeats(const Positions& positions);
    std::size_t get_kept() const { return kept.size(); }

private:
    struct Kept {
        std::array<double, 3> shape;
        PreparedConformer heavy;
        PreparedConformer all;
    };
    ConformerIdentity heavy;
    ConformerIdentity all;
    double tolerance;
    std::vector<bool> heavy_atom;
    std::vector<Kept> kept;
    // The kept geometries by the first of their shape values, so that only those whose
    // shape lies within the tolerance of a new one's are compared with it.
    std::multimap<double, std::size_t> by_shape;

    std::array<double, 3> shape(const Positions& positions) const;
};

}  // namespace confsearch
