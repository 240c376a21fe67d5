// Atomic numbers of the elements the conformer code treats by name.
#pragma once

namespace detail {

constexpr int HYDROGEN = 1;
constexpr int BORON = 5;
constexpr int CARBON = 6;
constexpr int NITROGEN = 7;
constexpr int OXYGEN = 8;
constexpr int PHOSPHORUS = 15;
constexpr int SULFUR = 16;

}  // namespace detail
