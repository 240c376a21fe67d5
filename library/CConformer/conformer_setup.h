// The generator's input derived from a bare geometry: the Z-matrix tree over the
// perceived bonds with its ring closures, the rotatable bonds with their steps, and the
// two files (Z-matrix, freedom) the generator reads. Every refusal is a PerceptionError.
#pragma once

#include "CConformer/basic_conformer.h"
#include "CConformer/bond_perception.h"
#include "CConformer/bonds.h"
#include "CConformer/generator.h"

#include <array>
#include <string>
#include <vector>

namespace confsearch {

// Written on the line between the link-matrix block and the contacts of a Z-matrix
// file; the reader skips it whatever it holds.
inline const std::string ZMATRIX_CONTACTS_LINE = "allowed contacts: the ring-closure bonds";

// The breadth-first tree of a connected molecule over its perceived bonds, in the order
// of the Z-matrix rows, with each row's bond, angle and dihedral reference atoms chosen so
// that one dihedral carries the torsion of each bond. Atoms keep their input numbers
// (1-based); rows are 1..n in tree order, row 1 the root.
class CZmatrixTree {
public:
    CZmatrixTree() = default;
    // Throws PerceptionError for an atom of more than four neighbours, a molecule in
    // several pieces, and reference atoms on one line (the Z-matrix could not rebuild
    // the geometry). graph must be that of conformer.
    CZmatrixTree(const CBasicConformer& conformer, const CBondGraph& graph);

    int get_size() const { return size; }
    int get_root() const { return get_atom(1); }
    // The atom of row i (1..n) and the row of atom a (1..n).
    int get_atom(int row) const { return atoms.at(static_cast<std::size_t>(row)); }
    int get_row(int atom) const { return rows.at(static_cast<std::size_t>(atom)); }
    // The tree parent of atom a; 0 for the root.
    int get_parent(int atom) const { return parents.at(static_cast<std::size_t>(atom)); }
    // The children of atom a in row order, at most three.
    const std::vector<int>& get_children(int atom) const {
        return children.at(static_cast<std::size_t>(atom));
    }
    // The element symbol of atom a.
    const std::string& get_symbol(int atom) const {
        return symbols.at(static_cast<std::size_t>(atom));
    }
    // Atom a and every atom below it in the tree: what turns with a torsion of the bond
    // from a's parent to a. Increasing atom numbers.
    std::vector<int> get_subtree(int atom) const;
    // Bond, angle and dihedral reference atoms of row i; 0 where the row has none (row 1
    // none, row 2 the bond only, row 3 bond and angle).
    const std::array<int, 3>& get_references(int row) const {
        return references.at(static_cast<std::size_t>(row));
    }
    bool is_tree_bond(int a, int b) const;
    // The perceived bonds that the tree leaves out, one per ring: atom1 < atom2, in bond
    // order. The generator's clash test must let these pairs come close.
    const std::vector<CBonds>& get_ring_closures() const { return ring_closures; }

    // The Z-matrix file: the atom count; one line per row, its atom, then its reference
    // atoms, then its element symbol as a remark; ZMATRIX_CONTACTS_LINE; the count of
    // ring closures and one "a b" line for each. Throws PerceptionError when the file
    // cannot be written.
    void write_zmatrix_file(const std::string& file) const;

private:
    int size = 0;
    // Indexed by row (atoms, references) or by atom (rows, parents, children, symbols);
    // n + 1 entries each, entry 0 unused.
    std::vector<int> atoms;
    std::vector<int> rows;
    std::vector<int> parents;
    std::vector<std::vector<int>> children;
    std::vector<std::array<int, 3>> references;
    std::vector<std::string> symbols;
    std::vector<CBonds> ring_closures;
};

// The shape around an atom, from its neighbours' count and positions.
enum class AtomShape {
    terminal,     // one neighbour (or none)
    linear,       // two neighbours at 170 degrees or more
    trigonal,     // three neighbours in a plane, or two with a multiple bond (an imine N)
    tetrahedral,  // four neighbours, three in a pyramid (an amine N), two bent (an ether O)
};
// Neighbours from graph, positions from conformer; atom is 1..n.
AtomShape atom_shape(const CBasicConformer& conformer, const CBondGraph& graph, int atom);

// Length in angstrom below which a bond between elements z1 and z2 is taken for a double,
// triple, aromatic or conjugated (amide) bond; 0 for pairs without such bonds.
double multiple_bond_limit(int z1, int z2);
bool is_multiple_bond(int z1, int z2, double length);

// The tree bonds outside rings that are single by their length, whose ends both have
// two neighbours or more, neither end linear nor the centre of three equal terminal atoms
// (CH3, CF3). Steps: 2 when both ends are trigonal (aryl-aryl, aryl-vinyl), 6 when one
// is, 3 otherwise. In row order of the moving atom; atom_b, on the moving side, hangs on
// atom_a in the tree, in the input geometry's numbers.
std::vector<CRotatableBond> choose_rotatable_bonds(const CBasicConformer& conformer,
                                                   const CBondGraph& graph,
                                                   const CZmatrixTree& tree);

// Everything the generator needs from one geometry, derived in one call.
class CConformerSetup {
public:
    // Throws PerceptionError: see CBondGraph and CZmatrixTree.
    explicit CConformerSetup(const CBasicConformer& conformer);

    const CBondGraph& get_bonds() const { return bonds; }
    const CZmatrixTree& get_tree() const { return tree; }
    const std::vector<CRotatableBond>& get_rotatable_bonds() const { return rotatable; }
    // Every rotatable bond gets this many steps; throws PerceptionError outside 1..9.
    void set_steps(int steps);

    void write_zmatrix_file(const std::string& file) const { tree.write_zmatrix_file(file); }
    // The freedom file: the bond count, an empty line, then "fixed-moving steps" per bond.
    // Throws PerceptionError for no rotatable bond or more than 20 (what the generator
    // turns), or when the file cannot be written.
    void write_freedom_file(const std::string& file) const;
    // One line per rotatable bond, "atom 2 (C) - atom 3 (O), 3 steps"; empty without any.
    std::string summary() const;

private:
    CBondGraph bonds;
    CZmatrixTree tree;
    std::vector<CRotatableBond> rotatable;
};

}  // namespace confsearch
