#include "CConformer/basic_conformer.h"

#include <algorithm>
#include <iostream>

using namespace confsearch;

namespace {

// A failing pair is reported as "1 2: 1.3 > 1.25" (bonded, but farther apart than the
// bonding distance) or "1 2: 0.7 <= 0.73" (not bonded, but within it).
const char* const ATOM_SEPARATOR = " ";
const char* const DISTANCE_INTRO = ": ";
const char* const TOO_LONG_FOR_BOND = " > ";
const char* const TOO_SHORT_FOR_NON_BOND = " <= ";

}  // namespace

bool CBasicConformer::bebonding(int i, int j) const {
    if (bondlist.empty()) throw i;
    const int low = std::min(i, j);
    const int high = std::max(i, j);
    // Entry 0 holds the count, not a bond.
    return std::any_of(bondlist.begin() + 1, bondlist.end(),
                       [&](const CBonds& bond) { return bond.atom1 == low && bond.atom2 == high; });
}

bool CBasicConformer::legit_bonding(int i, int j) const {
    // The point access throws an index outside 1..size before the elements are read.
    const double d = xyz[i].distance(xyz[j]);
    const double r = elements[i].bond_distance(elements[j]);
    // Elements without a radius give r = 0: such a pair passes at any distance when not
    // bonded, and only at distance 0 when bonded.
    if (bebonding(i, j)) {
        if (d <= r) return true;
        std::cout << i << ATOM_SEPARATOR << j << DISTANCE_INTRO << d << TOO_LONG_FOR_BOND << r
                  << std::endl;
        return false;
    }
    if (d > r) return true;
    std::cout << i << ATOM_SEPARATOR << j << DISTANCE_INTRO << d << TOO_SHORT_FOR_NON_BOND << r
              << '\n';
    return false;
}

bool CBasicConformer::islegit() const {
    for (int i = 1; i <= size; ++i)
        for (int j = i + 1; j <= size; ++j)
            if (!legit_bonding(i, j)) return false;
    return true;
}
