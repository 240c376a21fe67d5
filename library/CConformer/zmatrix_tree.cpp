// The Z-matrix tree of a perceived molecule: its root, the breadth-first tree, the
// reference atoms of every row, the check that the rows rebuild the geometry, and the
// Z-matrix file.
#include "CConformer/conformer_setup.h"

#include <algorithm>
#include <limits>

#include "CConformer/perception_messages.h"
#include "CMyMath/zmatrix.h"
#include "detail/atomic_numbers.h"
#include "detail/text_io.h"

namespace confsearch {

namespace {

using confsearch::detail::HYDROGEN;

// A Z-matrix row hangs on one parent and carries at most three children.
const int MAX_NEIGHBOURS = MAX_LINKS;
const int MAX_ROOT_NEIGHBOURS = MAX_LINKS - 1;
// How far (angstrom) the rows may rebuild an atom from where it was.
const double ROUND_TRIP_TOLERANCE = 1e-6;

double distance_to(const CBasicConformer& conformer, int atom, const CVECTOR& point) {
    return conformer.get_vector(atom).distance(point);
}

// The centre of the heavy atoms (of all atoms when there are only hydrogens): the root
// is chosen near it so that the side of the molecule beyond each bond stays small.
CVECTOR heavy_centre(const CBasicConformer& conformer, const CBondGraph& graph) {
    CVECTOR sum;
    int count = 0;
    for (int pass = 0; pass < 2 && count == 0; ++pass) {
        for (int i = 1; i <= graph.get_size(); ++i) {
            if (pass == 0 && graph.get_element(i) == HYDROGEN) continue;
            sum = sum + conformer.get_vector(i);
            ++count;
        }
    }
    return sum / count;
}

// The atom among those `allowed` nearest the point; 0 when none is allowed. Ties go to
// the lower number.
template <typename Allowed>
int nearest_atom(const CBasicConformer& conformer, const CBondGraph& graph, const CVECTOR& point,
                 Allowed allowed) {
    int best = 0;
    double best_distance = std::numeric_limits<double>::infinity();
    for (int i = 1; i <= graph.get_size(); ++i) {
        if (!allowed(i)) continue;
        const double d = distance_to(conformer, i, point);
        if (d < best_distance) {
            best = i;
            best_distance = d;
        }
    }
    return best;
}

// The root has no parent, so at most three neighbours. The heavy atom nearest the
// centre is taken when it has three or fewer; a four-coordinate one (the CH2 of a chain)
// is entered from one of its terminal atoms instead, which keeps the tree centred on it;
// failing that (a quaternary carbon) the nearest atom of three neighbours or fewer,
// heavy atoms first.
int choose_root(const CBasicConformer& conformer, const CBondGraph& graph) {
    const CVECTOR centre = heavy_centre(conformer, graph);
    const bool any_heavy = nearest_atom(conformer, graph, centre, [&](int i) {
                               return graph.get_element(i) != HYDROGEN;
                           }) != 0;
    const auto heavy = [&](int i) { return !any_heavy || graph.get_element(i) != HYDROGEN; };
    const int central = nearest_atom(conformer, graph, centre, heavy);
    if (graph.get_degree(central) <= MAX_ROOT_NEIGHBOURS) return central;
    for (int next : graph.get_neighbours(central)) {
        if (graph.get_degree(next) == 1) return next;
    }
    const auto few = [&](int i) { return graph.get_degree(i) <= MAX_ROOT_NEIGHBOURS; };
    const int heavy_root =
        nearest_atom(conformer, graph, centre, [&](int i) { return few(i) && heavy(i); });
    return heavy_root != 0 ? heavy_root : nearest_atom(conformer, graph, centre, few);
}

void check_neighbour_counts(const CBasicConformer& conformer, const CBondGraph& graph) {
    for (int i = 1; i <= graph.get_size(); ++i) {
        if (graph.get_degree(i) > MAX_NEIGHBOURS) {
            throw PerceptionError(too_many_neighbours_message(
                atom_name(i, conformer.get_element(i).get_symbol()), graph.get_neighbours(i)));
        }
    }
}

bool collinear(const CBasicConformer& conformer, int a, int b, int c) {
    return conformer.get_vector(a).p_online(conformer.get_vector(b), conformer.get_vector(c));
}

// A row from the fourth on whose atom lies on the line of its bond and angle references,
// or whose dihedral reference does, has no dihedral: the conversion from coordinates
// would fail there. (The third row has no dihedral: a straight O=C=O is fine.)
void check_no_collinear_references(const CBasicConformer& conformer, const std::vector<int>& atoms,
                                   const std::vector<std::array<int, 3>>& references) {
    for (std::size_t row = 4; row < atoms.size(); ++row) {
        const int atom = atoms[row];
        const auto [bond, angle, dihedral] = references[row];
        std::vector<int> line;
        if (collinear(conformer, atom, bond, angle)) {
            line = {atom, bond, angle};
        } else if (collinear(conformer, dihedral, bond, angle)) {
            line = {bond, angle, dihedral};
        }
        if (!line.empty()) {
            throw PerceptionError(
                collinear_message(atom_name(atom, conformer.get_element(atom).get_symbol()), line));
        }
    }
}

// The rows written as a link-matrix file would give: order and references as atom numbers.
bool accepted_as_link_matrix(const std::vector<int>& atoms,
                             const std::vector<std::array<int, 3>>& references, CZMATRIX& z) {
    for (std::size_t row = 1; row < atoms.size(); ++row) {
        const int i = static_cast<int>(row);
        z.set_order(i, atoms[row]);
        z[i].bond_ref = references[row][0];
        z[i].angle_ref = references[row][1];
        z[i].dihedral_ref = references[row][2];
    }
    return z.standardize_linkmatrix();
}

// Largest distance between an atom and where the Z-matrix measured from the geometry
// puts it back.
double round_trip_deviation(const CBasicConformer& conformer, CZMATRIX& z) {
    const int n = conformer.get_size();
    CCLUSTER input(n);
    for (int i = 1; i <= n; ++i) input[i] = conformer.get_vector(i);
    CCLUSTER rebuilt(n);
    try {
        z.combine_zmatrix(input);
        z.translate(rebuilt);
    } catch (double) {
        return std::numeric_limits<double>::infinity();
    }
    double worst = 0.0;
    for (int row = 1; row <= n; ++row) {
        const double d = rebuilt[row].distance(input[z.get_order(row)]);
        // A NaN from a degenerate frame must not pass as 0.
        worst = d <= worst ? worst : d;
    }
    return worst;
}

}  // namespace

CZmatrixTree::CZmatrixTree(const CBasicConformer& conformer, const CBondGraph& graph)
    : size(graph.get_size()) {
    check_neighbour_counts(conformer, graph);
    const auto pieces = graph.get_pieces();
    if (pieces.size() > 1) throw PerceptionError(pieces_message(pieces));

    const std::size_t entries = static_cast<std::size_t>(size) + 1;
    atoms.assign(1, 0);
    rows.assign(entries, 0);
    parents.assign(entries, 0);
    children.assign(entries, {});
    symbols.assign(entries, "");
    for (int i = 1; i <= size; ++i) symbols[i] = conformer.get_element(i).get_symbol();

    // Breadth first, each atom's neighbours in increasing order: rows are numbered so
    // that every atom comes after its parent, and the root's children are rows 2, 3, 4.
    const int root = choose_root(conformer, graph);
    if (root == 0) throw PerceptionError(no_root_message());
    atoms.push_back(root);
    rows[root] = 1;
    for (std::size_t k = 1; k < atoms.size(); ++k) {
        const int atom = atoms[k];
        for (int next : graph.get_neighbours(atom)) {
            if (rows[next] != 0) continue;
            atoms.push_back(next);
            rows[next] = static_cast<int>(atoms.size()) - 1;
            parents[next] = atom;
            children[atom].push_back(next);
        }
    }
    for (const auto& bond : graph.get_bonds()) {
        if (!is_tree_bond(bond.atom1, bond.atom2))
            ring_closures.emplace_back(bond.atom1, bond.atom2);
    }

    // The angle and dihedral references are those the Z-matrix itself chooses for a bare
    // tree: the first child of an atom takes its dihedral from beyond the parent, every
    // later child from that first child, so one dihedral carries each torsion.
    CZMATRIX chosen(size);
    for (int row = 1; row <= size; ++row) {
        chosen.set_order(row, atoms[row]);
        chosen[row].bond_ref = parents[atoms[row]];
    }
    if (!chosen.standardize_linkrelation()) {
        throw PerceptionError(tree_references_message());
    }
    references.assign(entries, {0, 0, 0});
    for (int row = 2; row <= size; ++row) {
        const CZ_VECTOR& r = chosen[row];
        const auto atom_of = [&](int ref) { return ref == 0 ? 0 : chosen.get_order(ref); };
        references[row] = {atom_of(r.bond_ref), atom_of(r.angle_ref), atom_of(r.dihedral_ref)};
    }

    check_no_collinear_references(conformer, atoms, references);
    CZMATRIX written(size);
    if (!accepted_as_link_matrix(atoms, references, written)) {
        throw PerceptionError(tree_references_message());
    }
    const double deviation = round_trip_deviation(conformer, written);
    if (!(deviation <= ROUND_TRIP_TOLERANCE)) {
        throw PerceptionError(round_trip_message(deviation));
    }
}

std::vector<int> CZmatrixTree::get_subtree(int atom) const {
    std::vector<int> below = {atom};
    for (std::size_t k = 0; k < below.size(); ++k) {
        for (int child : get_children(below[k])) below.push_back(child);
    }
    std::sort(below.begin(), below.end());
    return below;
}

bool CZmatrixTree::is_tree_bond(int a, int b) const {
    return get_parent(a) == b || get_parent(b) == a;
}

void CZmatrixTree::write_zmatrix_file(const std::string& file) const {
    // "5 2 1 3  C": the row's atom, its references, its element for the reader's eye
    // (the reader skips whatever follows the numbers a row needs).
    const bool written = detail::write_whole_file(file, [&](std::ostream& out) {
        out << size << '\n';
        for (int row = 1; row <= size; ++row) {
            out << atoms[row];
            for (int ref : references[row]) {
                if (ref != 0) out << ' ' << ref;
            }
            out << "  " << symbols[atoms[row]] << '\n';
        }
        out << ZMATRIX_CONTACTS_LINE << '\n' << ring_closures.size() << '\n';
        for (const auto& pair : ring_closures) out << pair.atom1 << ' ' << pair.atom2 << '\n';
    });
    if (!written) throw PerceptionError(cannot_write_message(file));
}

}  // namespace confsearch
