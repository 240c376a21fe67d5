// Start geometries that turning bonds cannot reach: the conformers of the molecule's rings
// (the flipped chair, twist-boats, envelopes, ...) and its amine nitrogens with their
// pyramid inverted, alone and in every combination, each checked for new clashes and for
// centres turned inside out.
#pragma once

#include "CConformer/basic_conformer.h"
#include "CConformer/bond_perception.h"
#include "CConformer/geometry_checks.h"
#include "CConformer/rings.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace confsearch {

enum class RingFormFamily {
    chair,        // six-membered, both chairs
    twist_boat,   // six-membered
    envelope,     // five-membered
    twist,        // five-membered
    twist_chair,  // seven-membered
    boat_chair,   // eight-membered
    crown,        // eight-membered
    flipped,      // a constrained or fused unit with its every torsion reversed
};

// One conformer of a ring unit other than the input's own.
struct RingForm {
    // "flipped chair", "twist-boat C1-C2/C4-C5 +", "envelope C3 up", "twist C1 up, C2 down",
    // "twist-chair C1 +", "boat-chair C1/C5 +", "crown", "flipped".
    std::string name;
    RingFormFamily family = RingFormFamily::flipped;
    // The whole molecule in this form, in the input's atom order, laid on the input.
    CBasicConformer geometry;
    // The unit's atoms (RingUnit::get_atoms order) in this form, in the input's frame.
    std::vector<CVECTOR> unit_positions;
};

namespace detail {

// How a ring unit's atoms move and what they carry: the unit's atoms (increasing) as the
// input holds them; for every atom 1..n whether it is one of the unit's moving atoms, the
// two unit neighbours its frame is built from, and the moving atom it hangs on (0: none).
struct UnitLayout {
    std::vector<int> atoms;
    std::vector<CVECTOR> input_positions;
    std::vector<bool> moving;
    std::vector<std::array<int, 2>> frame_neighbours;
    std::vector<int> hanging;

    // geometry (the unit a rigid image of the input's) with the unit's atoms moved to
    // form_positions (atoms order, the input's frame) and what hangs on each moving atom
    // turned with its frame.
    CBasicConformer carry(const CBasicConformer& geometry,
                          const std::vector<CVECTOR>& form_positions) const;
};

}  // namespace detail

// A ring, or rings sharing bonds, whose pucker changes as one; or a ring that keeps the
// input's shape (aromatic, a bridged cage, too small or too large), listed with the reason.
class RingUnit {
public:
    // 0-based places in the ring list, increasing.
    const std::vector<int>& get_rings() const { return rings; }
    // Every atom of those rings, increasing.
    const std::vector<int>& get_atoms() const { return layout.atoms; }
    // "ring 1 (C1..C6)", "rings 2, 3 (C1..C10)"; rings counted from 1.
    const std::string& get_label() const { return label; }
    // The input's form when it is one of the templates ("chair", "twist-boat ...",
    // "envelope C3 up") or a half-chair, else "planar" or "irregular"; empty for a unit
    // of several rings and for a ring that keeps its shape.
    const std::string& get_start_form() const { return start_form; }
    // Why the unit has no forms or fewer than its templates ("aromatic", "bridged ring
    // system (a rigid cage)", "forms dropped: 1 strained, 2 clashing"); empty otherwise.
    const std::string& get_note() const { return note; }
    // The forms that passed every check, not counting the input's own.
    const std::vector<RingForm>& get_forms() const { return forms; }

    // `geometry` with this unit in form k (0-based) and every substituent carried along
    // with its ring atom's local frame (an axial substituent stays axial to the ring).
    // geometry must hold the unit's atoms as the input does, up to a rigid motion: the
    // input itself, or the input after forms of other units and nitrogen inversions.
    // Throws std::out_of_range for k outside the forms.
    CBasicConformer apply(const CBasicConformer& geometry, int k) const;

private:
    friend std::vector<RingUnit> find_ring_units(const CBasicConformer&, const CBondGraph&,
                                                 const std::vector<Ring>&);
    std::vector<int> rings;
    std::string label;
    std::string start_form;
    std::string note;
    std::vector<RingForm> forms;
    detail::UnitLayout layout;
};

// Every ring of `rings` in exactly one unit: each flexible ring system (rings of 5 to 8
// atoms, not aromatic, sharing bonds with each other) as one unit with its forms, and each
// other ring or ring system with a note. input must be the geometry graph and rings were
// perceived from.
std::vector<RingUnit> find_ring_units(const CBasicConformer& input, const CBondGraph& graph,
                                      const std::vector<Ring>& rings);

// A nitrogen of three or four neighbours and whether its pyramid is also taken inverted.
struct AmineNitrogen {
    int atom = 0;
    bool invertible = false;
    // The neighbour that moves across when the pyramid inverts: the N-H hydrogen, a ring
    // nitrogen's exocyclic substituent, otherwise the smallest substituent. 0 when not
    // invertible.
    int moving = 0;
    // Why not ("planar", "amide, aryl, vinyl or sulfonyl neighbour", "ring fusion or
    // bridgehead", ...); empty when invertible.
    std::string reason;
};

// Every nitrogen of three or four neighbours, increasing. rings as find_rings gives them.
std::vector<AmineNitrogen> find_amine_nitrogens(const CBasicConformer& input,
                                                const CBondGraph& graph,
                                                const std::vector<Ring>& rings);
// `geometry` with the nitrogen's pyramid inverted: its moving neighbour reflected through
// the plane of the nitrogen and its other two neighbours, the moving neighbour's side of
// the molecule turned rigidly with it (bond lengths and every centre on that side kept)
// and about its bond to the nitrogen so that its torsion there is reversed (a staggered
// methyl stays staggered). Throws std::invalid_argument for a nitrogen that is not
// invertible.
CBasicConformer invert_nitrogen(const CBasicConformer& geometry, const CBondGraph& graph,
                                const AmineNitrogen& nitrogen);

// What StartGeometries varies.
struct StartOptions {
    bool rings = true;
    bool inversion = true;
};

// One combination of ring forms and nitrogen pyramids.
struct StartGeometry {
    std::uint64_t index = 0;
    // "input", or the changes: "ring 1 (C1..C6): flipped chair; N7: inverted".
    std::string name;
    CBasicConformer geometry;
    // Why the combination was dropped ("clash: atoms 9 and 17 at 1.21 angstrom, least
    // 1.54", "C3 inverted"); empty when it passed.
    std::string rejection;
    // The centre it turned inside out (the first), 0 when none: a rejection no turn of a
    // bond can undo, where a clash may be.
    int inverted_centre = 0;

    bool accepted() const { return rejection.empty(); }
};

// The start geometries of one molecule: combination k takes, for each ring unit with
// forms, the input's pucker (digit 0) or form d (digit d), and for each invertible
// nitrogen the input's pyramid (0) or the inverted one (1); the units' digits are the more
// significant, in unit order, then the nitrogens' in atom order. Combination 0 is the
// input.
class StartGeometries {
public:
    // Throws PerceptionError for a molecule whose rings cannot be perceived (see
    // CBondGraph); graph must be the input's.
    StartGeometries(const CBasicConformer& input, const CBondGraph& graph,
                    const StartOptions& options = {});

    const std::vector<Ring>& get_rings() const { return rings; }
    // Every unit, with or without forms.
    const std::vector<RingUnit>& get_ring_units() const { return units; }
    // Every nitrogen of three or four neighbours.
    const std::vector<AmineNitrogen>& get_nitrogens() const { return nitrogens; }
    // The number of combinations, the input included, before any is built:
    // prod(1 + forms of each unit) * 2^(invertible nitrogens); UINT64_MAX when larger
    // (the combinations past it are then out of reach).
    std::uint64_t count() const;
    // The name of combination k without building it. Throws std::out_of_range for
    // k >= count().
    std::string name(std::uint64_t k) const;
    // Builds and checks combination k. Throws std::out_of_range for k >= count().
    StartGeometry build(std::uint64_t k) const;
    // Every combination that passes its checks, in index order (count() of them at most).
    std::vector<StartGeometry> build_accepted() const;

private:
    CBasicConformer input;
    CBondGraph graph;
    std::vector<Ring> rings;
    std::vector<RingUnit> units;
    std::vector<AmineNitrogen> nitrogens;
    // Indices into units and nitrogens of what varies.
    std::vector<std::size_t> varied_units;
    std::vector<std::size_t> varied_nitrogens;
    ContactCheck contacts;
    CentreCheck centres;

    // The digit of each varied unit, then of each varied nitrogen.
    std::vector<int> digits(std::uint64_t k) const;
};

}  // namespace confsearch
