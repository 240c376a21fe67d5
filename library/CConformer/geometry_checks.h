// The checks a changed geometry of a molecule must pass before it is used as a start:
// no new contact closer than the van der Waals radii allow, and every centre with the
// handedness the input gave it.
#pragma once

#include "CConformer/basic_conformer.h"
#include "CConformer/bond_perception.h"

#include <optional>
#include <vector>

namespace confsearch {

// A centre whose neighbours' signed volume (detail::signed_volume) is smaller than this is
// planar and has no handedness to keep.
const double PLANAR_VOLUME = 0.25;

// Two atoms too close, 1-based, atom1 < atom2, with their distance and the least distance
// allowed (angstrom).
struct Contact {
    int atom1 = 0;
    int atom2 = 0;
    double distance = 0.0;
    double limit = 0.0;
};

// The clash test against an input geometry: a pair already too close in the input is the
// input's own affair and is never held against a changed geometry.
class ContactCheck {
public:
    // graph must be the input's.
    ContactCheck(const CBasicConformer& input, const CBondGraph& graph);
    // The first clashing pair (by atom1, then atom2) of a geometry of the same molecule.
    std::optional<Contact> first_clash(const CBasicConformer& geometry) const;

private:
    int size = 0;
    // size * size entries: the least distance of each pair, 0 for a pair never tested
    // (fewer than three bonds apart, or already too close in the input).
    std::vector<double> limits;
};

// The handedness of every non-planar centre of three or four neighbours in the input,
// to find a changed geometry that inverted one: every configured stereocentre is among
// them (and so are CH2 groups and pyramidal atoms, which no ring or nitrogen move may
// turn inside out either).
class CentreCheck {
public:
    // Atoms in `exempt` (the nitrogens whose pyramid may invert) are not checked.
    CentreCheck(const CBasicConformer& input, const CBondGraph& graph,
                const std::vector<int>& exempt);
    // The centres checked, increasing.
    std::vector<int> get_centres() const;
    // The first centre whose handedness differs from the input's; 0 when none does.
    int first_inverted(const CBasicConformer& geometry) const;

private:
    struct Centre {
        int atom;
        int a;
        int b;
        int c;
        bool positive;
    };
    std::vector<Centre> centres;
};

}  // namespace confsearch
