// The refusals of the conformer identity test, spelled in one place. Atoms are named by
// their 1-based number, geometries of a list by their 1-based place in it.
#pragma once

#include <sstream>
#include <string>

namespace confsearch {
namespace detail {

inline std::string atom_count_message(int atoms, int expected) {
    return "the geometry has " + std::to_string(atoms) + " atoms, the molecule " +
           std::to_string(expected);
}

inline std::string other_element_message(int atom, const std::string& symbol,
                                         const std::string& expected) {
    return "atom " + std::to_string(atom) + " is " + (symbol.empty() ? "?" : symbol) +
           ", in the molecule it is " + expected +
           ": the atoms are listed in another order, or it is another molecule";
}

inline std::string not_finite_message(int atom) {
    return "atom " + std::to_string(atom) + " has a coordinate that is not a number";
}

inline std::string not_finite_energy_message() { return "the energy is not a number"; }

inline std::string stretched_bond_message(int a, int b, double distance) {
    std::ostringstream text;
    text << "atoms " << a << " and " << b << " are bonded in the molecule but " << distance
         << " angstrom apart here: the atoms are listed in another order, or a bond broke";
    return text.str();
}

inline std::string other_bonds_message() {
    return "the bonds perceived in this geometry are not those of the molecule: it is "
           "another molecule, or a bond broke or formed";
}

inline std::string foreign_geometry_message() {
    return "a geometry prepared for another molecule or rule was given to this one";
}

inline std::string criterion_message(const std::string& name, double value) {
    std::ostringstream text;
    text << "the " << name << " must be a number of 0 or more, not " << value;
    return text.str();
}

inline std::string energy_count_message(std::size_t energies, std::size_t geometries) {
    return std::to_string(energies) + " energies for " + std::to_string(geometries) +
           " geometries: give one energy per geometry, or none";
}

inline std::string geometry_message(std::size_t place, const std::string& what) {
    return "geometry " + std::to_string(place) + ": " + what;
}

}  // namespace detail
}  // namespace confsearch
