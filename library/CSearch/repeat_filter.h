// Repeats among the candidates of a run: a geometry that is the same as one kept before
// over the molecule's symmetry (the methyls of a tert-butyl group exchanged, a ring
// flipped, the two halves of a symmetric molecule swapped) is left out.
#pragma once

#include <array>
#include <cstdint>
#include <unordered_map>
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
    // The kept geometries in cells of the tolerance's size by their shape, so that only
    // those of the 27 cells around a new one's are looked at.
    std::unordered_map<std::uint64_t, std::vector<std::size_t>> cells;

    std::array<double, 3> shape(const Positions& positions) const;
    std::uint64_t cell(const std::array<long, 3>& index) const;
};

}  // namespace confsearch
