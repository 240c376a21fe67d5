// Bonds perceived from interatomic distances: covalent radii, the bond graph of a
// conformer with its rings, and the groups of equal terminal atoms on one centre.
#pragma once

#include "CConformer/basic_conformer.h"

#include <stdexcept>
#include <vector>

namespace confsearch {

// Two atoms are bonded when their distance is at most the sum of their covalent radii
// plus this tolerance, in angstrom.
const double BOND_TOLERANCE = 0.45;
// Two atoms closer than this (angstrom) are taken for one atom given twice.
const double MIN_ATOM_DISTANCE = 0.5;

// A molecule that bond perception or the automatic set-up cannot handle; what() is one
// line for the person at the terminal, naming the atoms (1-based) at fault.
class PerceptionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Covalent radius in angstrom of element z (1..118); 0 for any other z.
double covalent_radius(int z);
// Largest distance (angstrom) at which atoms of elements z1 and z2 count as bonded.
double bonding_limit(int z1, int z2);

// One perceived bond, atom1 < atom2 (1-based), its length in angstrom, and whether it
// lies in a ring (on a cycle of the bond graph).
struct PerceivedBond {
    int atom1 = 0;
    int atom2 = 0;
    double length = 0.0;
    bool in_ring = false;
};

// The bonds of one conformer, found from its distances. The conformer may be in several
// pieces; the graph then simply has more than one.
class CBondGraph {
public:
    CBondGraph() = default;
    // Throws PerceptionError for a conformer of no atoms, an atom whose element is
    // unknown (number 0), or two atoms closer than MIN_ATOM_DISTANCE.
    explicit CBondGraph(const CBasicConformer& conformer);

    int get_size() const { return size; }
    // Atomic number of atom i (1..size).
    int get_element(int i) const { return elements.at(static_cast<std::size_t>(i)); }
    // Every bond, ordered by atom1, then atom2.
    const std::vector<PerceivedBond>& get_bonds() const { return bonds; }
    // The atoms bonded to atom i (1..size), in increasing order.
    const std::vector<int>& get_neighbours(int i) const {
        return neighbours.at(static_cast<std::size_t>(i));
    }
    int get_degree(int i) const { return static_cast<int>(get_neighbours(i).size()); }
    // The bond between atoms a and b in either order; nullptr when they are not bonded.
    const PerceivedBond* find_bond(int a, int b) const;
    bool bonded(int a, int b) const { return find_bond(a, b) != nullptr; }
    // Number of rings: bonds beyond a spanning tree of each piece.
    int get_ring_count() const;
    // The connected pieces, each as its atoms in increasing order, ordered by first atom.
    std::vector<std::vector<int>> get_pieces() const;

private:
    int size = 0;
    // size + 1 entries each, entry 0 unused.
    std::vector<int> elements;
    std::vector<std::vector<int>> neighbours;
    std::vector<PerceivedBond> bonds;
};

// Two or more atoms of one element, each bonded to the centre and to nothing else: the
// hydrogens of CH3 or CH2, the fluorines of CF3, the oxygens of a nitro group.
struct TerminalGroup {
    int centre = 0;
    int element = 0;
    // Increasing atom numbers.
    std::vector<int> atoms;
};

// Every such group, ordered by centre, then element. A centre with terminal atoms of two
// elements (the H and the F's of CHF2) gives one group per element with two or more.
std::vector<TerminalGroup> find_terminal_groups(const CBondGraph& graph);
// Whether atom `centre`, seen from its neighbour `from`, carries `count` terminal atoms
// of one element and nothing else.
bool carries_equal_terminals(const CBondGraph& graph, int centre, int from, std::size_t count);
// Whether atom `centre`, seen from its neighbour `from`, carries three equal terminal
// atoms and nothing else: turning the bond from-centre only permutes them.
bool is_symmetric_terminal_centre(const CBondGraph& graph, int centre, int from);

}  // namespace confsearch
