// Atomic numbers of the elements the code treats by name, and the last element of the
// periodic table that the element tables cover.
#pragma once

namespace confsearch::detail {

constexpr int LAST_ELEMENT = 118;

constexpr int HYDROGEN = 1;
constexpr int BORON = 5;
constexpr int CARBON = 6;
constexpr int NITROGEN = 7;
constexpr int OXYGEN = 8;
constexpr int PHOSPHORUS = 15;
constexpr int SULFUR = 16;

}  // namespace confsearch::detail
