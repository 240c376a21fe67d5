// The words the ring units, the nitrogens and the start geometries are listed and
// rejected with, spelled in one place.
#pragma once

#include <sstream>
#include <string>

namespace confsearch::detail {

// Why a ring unit has no forms.
inline const char* const NOTE_AROMATIC = "aromatic";
inline const char* const NOTE_BRIDGED = "bridged ring system (a rigid cage)";
inline const char* const NOTE_TOO_SMALL = "fewer than five atoms";
inline const char* const NOTE_TOO_LARGE = "more than eight atoms";
inline const char* const NOTE_LARGER_RING = "part of a larger ring";
inline const char* const NOTE_TOO_MANY_FUSED = "more than 30 atoms in fused rings";
inline const char* const NOTE_NO_FORM = "no form passed the checks";
inline const char* const NOTE_ONLY_INPUT = "no form other than the input's";

// Forms dropped, "2 strained, 1 clashing".
inline std::string dropped_note(int strained, int inverting, int clashing) {
    std::string text;
    auto add = [&](int count, const char* what) {
        if (count == 0) return;
        text += (text.empty() ? "" : ", ") + std::to_string(count) + " " + what;
    };
    add(strained, "strained");
    add(inverting, "inverting a centre");
    add(clashing, "clashing");
    return text.empty() ? text : "forms dropped: " + text;
}

inline const char* const FLIPPED = "flipped";

// Why a nitrogen's pyramid is not inverted.
inline const char* const NITROGEN_FOUR_NEIGHBOURS = "four neighbours";
inline const char* const NITROGEN_PLANAR = "planar";
inline const char* const NITROGEN_AROMATIC = "in an aromatic ring";
inline const char* const NITROGEN_CONJUGATED = "amide, aryl, vinyl or sulfonyl neighbour";
inline const char* const NITROGEN_SMALL_RING = "in a three-membered ring";
inline const char* const NITROGEN_RING_JUNCTION = "ring fusion or bridgehead";
inline const char* const NITROGEN_EQUAL_TERMINALS = "inverting only exchanges its two hydrogens";

// Names of the start geometries.
inline const char* const INPUT_NAME = "input";
inline const char* const INVERTED = "inverted";
inline const char* const PART_SEPARATOR = "; ";
inline const char* const NAME_SEPARATOR = ": ";

inline std::string unit_label(const std::string& rings, const std::string& atoms, bool several) {
    return std::string(several ? "rings " : "ring ") + rings + " (" + atoms + ")";
}

inline std::string clash_rejection(int a, int b, double distance, double limit) {
    std::ostringstream text;
    text.precision(3);
    text << "clash: atoms " << a << " and " << b << " at " << distance << " angstrom, least "
         << limit;
    return text.str();
}

inline std::string inverted_rejection(const std::string& centre) { return centre + " inverted"; }

}  // namespace confsearch::detail
