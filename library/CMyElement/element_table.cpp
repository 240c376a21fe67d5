#include "CMyElement/element.h"

#include <array>
#include <ostream>

#include "detail/atomic_numbers.h"

using namespace confsearch;

namespace {

using confsearch::detail::LAST_ELEMENT;

// Row n holds element n; row 0 is the "no element" entry. Elements 112..118 keep the
// systematic placeholder symbols they carried before their names were approved.
// clang-format off
const std::array<const char*, LAST_ELEMENT + 1> SYMBOLS = {
    "",
    "H",   "He",  "Li",  "Be",  "B",   "C",   "N",   "O",   "F",   "Ne",
    "Na",  "Mg",  "Al",  "Si",  "P",   "S",   "Cl",  "Ar",  "K",   "Ca",
    "Sc",  "Ti",  "V",   "Cr",  "Mn",  "Fe",  "Co",  "Ni",  "Cu",  "Zn",
    "Ga",  "Ge",  "As",  "Se",  "Br",  "Kr",  "Rb",  "Sr",  "Y",   "Zr",
    "Nb",  "Mo",  "Tc",  "Ru",  "Rh",  "Pd",  "Ag",  "Cd",  "In",  "Sn",
    "Sb",  "Te",  "I",   "Xe",  "Cs",  "Ba",  "La",  "Ce",  "Pr",  "Nd",
    "Pm",  "Sm",  "Eu",  "Gd",  "Tb",  "Dy",  "Ho",  "Er",  "Tm",  "Yb",
    "Lu",  "Hf",  "Ta",  "W",   "Re",  "Os",  "Ir",  "Pt",  "Au",  "Hg",
    "Tl",  "Pb",  "Bi",  "Po",  "At",  "Rn",  "Fr",  "Ra",  "Ac",  "Th",
    "Pa",  "U",   "Np",  "Pu",  "Am",  "Cm",  "Bk",  "Cf",  "Es",  "Fm",
    "Md",  "No",  "Lr",  "Rf",  "Db",  "Sg",  "Bh",  "Hs",  "Mt",  "Ds",
    "Rg",  "Uub", "Uut", "Uuq", "Uup", "Uuh", "Uus", "Uuo",
};
// clang-format on

// Bonding radii in angstrom. Only the elements of organic conformers get one; every
// other element has radius 0, so it never counts as bonded by distance alone.
double bonding_radius(int n) {
    switch (n) {
        case detail::HYDROGEN: return 0.365;
        case detail::CARBON: return 0.885;
        case detail::NITROGEN: return 0.86;
        case detail::OXYGEN: return 0.84;
        case detail::PHOSPHORUS: return 1.22;
        case detail::SULFUR: return 1.17;
        default: return 0.0;
    }
}

bool in_table(int n) { return n >= 1 && n <= LAST_ELEMENT; }

}  // namespace

CELEMENT::CELEMENT(int n) { reinstall(n); }

CELEMENT::CELEMENT(const std::string& s) { reinstall(s); }

void CELEMENT::reinstall(int n) {
    number = in_table(n) ? n : 0;
    set_all_information(number);
}

void CELEMENT::reinstall(const std::string& s) {
    number = search_number(s);
    set_all_information(number);
}

int CELEMENT::search_number(const std::string& s) const {
    // Exact comparison: "cl", "CL" and " C" are not chlorine or carbon, so a malformed
    // geometry line is caught by the caller instead of being read as a wrong element.
    for (int n = 1; n <= LAST_ELEMENT; ++n) {
        if (s == SYMBOLS[n]) return n;
    }
    return 0;
}

void CELEMENT::set_all_information(int n) {
    if (in_table(n)) {
        symbol = SYMBOLS[n];
        radius = bonding_radius(n);
    } else {
        symbol.clear();
        radius = 0.0;
    }
}

double CELEMENT::bond_distance(const CELEMENT& other) const {
    return MIN_ELEMENT_DISTANCE + (radius + other.radius);
}

std::ostream& operator<<(std::ostream& out, const CELEMENT& element) {
    out << "atomic number: " << element.get_number() << std::endl;
    out << "atomic symbol: " << element.get_symbol() << std::endl;
    out << "atomic radius: " << element.get_radius() << std::endl;
    return out;
}
