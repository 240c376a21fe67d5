// The bond tree of a Z-matrix: every row hangs on the earlier row it is bonded to. The
// tree is stored both ways (parent and children per row), connectivity read as atom
// numbers is turned into row numbers, and the angle and dihedral references are chosen
// so that exactly one dihedral carries each torsion.
#include "CMyMath/zmatrix.h"

#include <vector>

using namespace confsearch;

namespace {

// Places of a link entry.
const int PARENT = 0;
const int FIRST_CHILD = 1;
const int SECOND_CHILD = 2;

}  // namespace

bool CZMATRIX::check_order() {
    bool reordered = false;
    for (int i = 1; i <= size; ++i) reordered = reordered || order[i] != i;
    order[0] = reordered ? 1 : 0;

    // Atom numbers index nothing until each is known to be one of 1..n, used once.
    std::vector<bool> seen(static_cast<std::size_t>(size) + 1, false);
    for (int i = 1; i <= size; ++i) {
        const int atom = order[i];
        if (atom < 1 || atom > size || seen[atom]) return false;
        seen[atom] = true;
    }
    return true;
}

void CZMATRIX::make_link() {
    if (size == 0 || !is_standardized()) throw 0;
    for (auto& entry : links) entry.fill(0);
    for (int i = 1; i <= size; ++i) {
        // Row 1 hangs on the root, entry 0; every other row on an earlier row.
        const int parent = rows[i].bond_ref;
        if (parent < 0 || parent >= i) throw i;
        links[i][PARENT] = parent;
        int place = FIRST_CHILD;
        while (place < MAX_LINKS && links[parent][place] != 0) ++place;
        // Three children and the parent: four neighbours is all a row can have.
        if (place == MAX_LINKS) throw MAX_LINKS;
        links[parent][place] = i;
    }
}

bool CZMATRIX::make_linkmatrix() {
    if (size == 0 || !is_standardized()) throw 0;
    rows[0].angle_ref = 0;

    if (size > 2) {
        CZ_VECTOR& third = rows[3];
        if (third.bond_ref == 1) {
            third.angle_ref = 2;
        } else if (third.bond_ref == 2) {
            third.angle_ref = 1;
        } else {
            return false;
        }
    }

    // Row i hangs on b. Its angle goes to b's parent p where there is one, and its
    // dihedral to b's first child when i is a later child: all later children of b are
    // placed relative to the first, so the first child's dihedral alone carries the
    // torsion about p-b. The first child itself takes its dihedral from beyond p.
    for (int i = 4; i <= size; ++i) {
        const int b = rows[i].bond_ref;
        if (b < 1 || b >= i) return false;
        const int p = links[b][PARENT];
        const int c1 = links[b][FIRST_CHILD];
        const int c2 = links[b][SECOND_CHILD];
        int angle_ref = 0;
        int dihedral_ref = 0;
        if (p != 0 && p < i) {
            angle_ref = p;
            if (c1 != i) {
                if (c1 == 0 || c1 > i) return false;
                dihedral_ref = c1;
            } else if (links[p][PARENT] != 0) {
                dihedral_ref = links[p][PARENT];
            } else if (links[p][FIRST_CHILD] != 0 && links[p][FIRST_CHILD] != b) {
                dihedral_ref = links[p][FIRST_CHILD];
            } else if (links[p][SECOND_CHILD] != 0 && links[p][SECOND_CHILD] < i) {
                dihedral_ref = links[p][SECOND_CHILD];
            } else {
                return false;
            }
        } else if (c1 != 0 && c1 < i) {
            // Only atom 1 has no parent: its later children lean on its first child.
            angle_ref = c1;
            if (c2 != 0 && c2 < i) {
                dihedral_ref = c2;
            } else if (links[c1][FIRST_CHILD] != 0 && links[c1][FIRST_CHILD] < i) {
                dihedral_ref = links[c1][FIRST_CHILD];
            } else {
                return false;
            }
        } else {
            return false;
        }
        rows[i].angle_ref = angle_ref;
        rows[i].dihedral_ref = dihedral_ref;
    }
    rows[0].angle_ref = 1;
    return true;
}

// Both standardizations start by dropping the standardized and linked flags: a matrix
// that was linked before and now fails on new connectivity must not pass as linked.

bool CZMATRIX::standardize_linkrelation() {
    if (size == 0) throw 0;
    rows[0].angle_ref = 0;
    rows[0].dihedral_ref = 0;
    if (!check_order()) return false;

    for (int i = 2; i <= size; ++i) {
        CZ_VECTOR& row = rows[i];
        row.angle_ref = 0;
        row.dihedral_ref = 0;
        int partner = 0;
        for (int j = 1; j < i && partner == 0; ++j) {
            if (order[j] == row.bond_ref) partner = j;
        }
        // A partner that is not an earlier row, or no atom at all.
        if (partner == 0) return false;
        row.bond_ref = partner;
    }
    rows[0].dihedral_ref = 1;
    make_link();
    return make_linkmatrix();
}

bool CZMATRIX::standardize_linkmatrix() {
    if (size == 0) throw 0;
    rows[0].angle_ref = 0;
    rows[0].dihedral_ref = 0;
    if (!check_order()) return false;

    if (size > 1) {
        if (rows[2].bond_ref != order[1]) return false;
        rows[2].bond_ref = 1;
    }
    if (size > 2) {
        CZ_VECTOR& third = rows[3];
        if (third.bond_ref == order[1] && third.angle_ref == order[2]) {
            third.bond_ref = 1;
            third.angle_ref = 2;
        } else if (third.bond_ref == order[2] && third.angle_ref == order[1]) {
            third.bond_ref = 2;
            third.angle_ref = 1;
        } else {
            return false;
        }
    }
    for (int i = 4; i <= size; ++i) {
        CZ_VECTOR& row = rows[i];
        std::array<int*, 3> refs = {&row.bond_ref, &row.angle_ref, &row.dihedral_ref};
        std::array<bool, 3> converted = {false, false, false};
        // Each earlier row converts at most one reference, so a reference named twice
        // is left over.
        for (int j = 1; j < i; ++j) {
            for (int r = 0; r < 3; ++r) {
                if (!converted[r] && *refs[r] == order[j]) {
                    *refs[r] = j;
                    converted[r] = true;
                    break;
                }
            }
        }
        if (!converted[0] || !converted[1] || !converted[2]) return false;
        if (row.bond_ref == row.angle_ref || row.bond_ref == row.dihedral_ref ||
            row.angle_ref == row.dihedral_ref)
            return false;
    }
    rows[0].dihedral_ref = 1;
    make_link();

    // The angle partner must be a neighbour of the bond partner, and the dihedral
    // partner a neighbour of one of the two.
    for (int i = 4; i <= size; ++i) {
        const CZ_VECTOR& row = rows[i];
        if (!belinking(row.bond_ref, row.angle_ref)) return false;
        if (!belinking(row.dihedral_ref, row.bond_ref) &&
            !belinking(row.dihedral_ref, row.angle_ref))
            return false;
    }

    // One torsion per bond j-k: among the children of k and the other children of j, at
    // most one row may take its dihedral across the bond. With two, turning the bond
    // would turn the two groups by different amounts.
    for (int j = 1; j < size; ++j) {
        for (int place = FIRST_CHILD; place < MAX_LINKS && links[j][place] != 0; ++place) {
            const int k = links[j][place];
            int torsions = 0;
            for (int q = FIRST_CHILD; q < MAX_LINKS && links[k][q] != 0; ++q) {
                if (belinking(rows[links[k][q]].dihedral_ref, j)) ++torsions;
            }
            for (int q = FIRST_CHILD; q < MAX_LINKS && links[j][q] != 0; ++q) {
                const int m = links[j][q];
                if (m != k && belinking(rows[m].dihedral_ref, k)) ++torsions;
            }
            if (torsions > 1) return false;
        }
    }
    rows[0].angle_ref = 1;
    return true;
}

bool CZMATRIX::belinking(int a, int b) const {
    if (a < 1 || a > size || b < 1 || b > size) return false;
    return rows[a].bond_ref == b || rows[b].bond_ref == a;
}

int CZMATRIX::get_linking(int i, int k) const {
    if (links.empty()) return 0;
    if (i < 0 || i > size || k < 0 || k >= MAX_LINKS) throw size;
    return links[i][k];
}
