// The refusals of bond perception and of the automatic set-up, spelled in one place.
// Atoms are named by their 1-based number and element symbol, "atom 5 (S)".
#pragma once

#include <sstream>
#include <string>
#include <vector>

namespace confsearch {

inline std::string atom_name(int atom, const std::string& symbol) {
    return "atom " + std::to_string(atom) + " (" + (symbol.empty() ? "?" : symbol) + ")";
}

inline std::string atom_list(const std::vector<int>& atoms) {
    std::string text;
    for (std::size_t k = 0; k < atoms.size(); ++k) {
        if (k > 0) text += ", ";
        text += std::to_string(atoms[k]);
    }
    return text;
}

inline std::string no_atoms_message() { return "the molecule has no atoms"; }

inline std::string unknown_element_message(int atom) {
    return "atom " + std::to_string(atom) +
           " has no known element (a dummy atom or a misspelt symbol): its bonds cannot be "
           "perceived";
}

inline std::string overlapping_atoms_message(int a, int b, double distance) {
    std::ostringstream text;
    text << "atoms " << a << " and " << b << " are " << distance
         << " angstrom apart: one atom given twice?";
    return text.str();
}

inline std::string too_many_neighbours_message(const std::string& atom,
                                               const std::vector<int>& neighbours) {
    return atom + " has " + std::to_string(neighbours.size()) + " neighbours (atoms " +
           atom_list(neighbours) + "); a Z-matrix tree allows at most four";
}

inline std::string ring_neighbours_message(const std::string& atom,
                                           const std::vector<int>& neighbours) {
    return atom + " has " + std::to_string(neighbours.size()) + " neighbours (atoms " +
           atom_list(neighbours) + "); ring perception allows at most six";
}

inline std::string pieces_message(const std::vector<std::vector<int>>& pieces) {
    std::string text =
        "the bonds found split the molecule into " + std::to_string(pieces.size()) + " pieces (";
    for (std::size_t k = 0; k < pieces.size(); ++k) {
        if (k > 0) text += "; ";
        text += std::to_string(pieces[k].size()) + " atoms from atom " +
                std::to_string(pieces[k].front());
    }
    return text + "); a Z-matrix needs one connected molecule";
}

inline std::string no_root_message() {
    return "every atom has four neighbours or more: no atom can start the Z-matrix tree";
}

inline std::string collinear_message(const std::string& atom, const std::vector<int>& line) {
    return "the Z-matrix cannot place " + atom + ": atoms " + atom_list(line) +
           " lie on one line (a linear group such as an alkyne or a nitrile has no dihedral "
           "there)";
}

inline std::string tree_references_message() {
    return "the Z-matrix finds no angle and dihedral references for this bond tree";
}

inline std::string round_trip_message(double deviation) {
    std::ostringstream text;
    text << "the Z-matrix rebuilds the molecule only within " << deviation
         << " angstrom: nearly linear reference atoms?";
    return text.str();
}

inline std::string cannot_write_message(const std::string& file) {
    return "cannot write file: " + file;
}

inline std::string no_rotatable_bond_message() {
    return "no rotatable bond found: the generator has nothing to turn";
}

inline std::string too_many_rotatable_message(int found, int most) {
    return std::to_string(found) + " rotatable bonds found; the generator turns at most " +
           std::to_string(most);
}

inline std::string steps_message(int steps, int most) {
    return "steps must lie in 1.." + std::to_string(most) + ", not " + std::to_string(steps);
}

}  // namespace confsearch
