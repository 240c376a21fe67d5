#include "CConformer/basic_conformer.h"

#include <initializer_list>
#include <utility>

#include "CMyMath/axes.h"
#include "detail/atomic_numbers.h"

using namespace confsearch;

namespace {

using confsearch::detail::CARBON;
using confsearch::detail::HYDROGEN;

using confsearch::ORIGIN;

void check_atom(int i, int size) {
    if (i < 1 || i > size) throw i;
}

// The junction atoms of a join (1-based): p1, p2, p3 of the fragment that moves, q1..q4
// of the one that stays.
struct Junction {
    int p1, p2, p3, q1, q2, q3, q4;
};

// The moving fragment's positions carried rigidly onto the fixed one: p2 on q2, the bond
// p2-p3 along the bisector of the bonds q2-q3 and q2-q4, and p1 anti to q1 about the new
// bond q2-p3. Throws a double when the junction is degenerate.
CCLUSTER laid_on(const CCLUSTER& moving, const CCLUSTER& fixed, const Junction& at) {
    CCLUSTER placed = moving;
    const CVECTOR q2 = fixed[at.q2];
    placed.move(q2 - placed[at.p2]);

    // normal() throws its length for atoms at one place, and for q3 and q4 exactly
    // opposite about q2, where the bisector vanishes.
    const CVECTOR bisector = ((fixed[at.q3] - q2).normal() + (fixed[at.q4] - q2).normal()).normal();
    CVECTOR bond = (placed[at.p3] - placed[at.p2]).normal();
    CVECTOR axis = bond % bisector;
    if (axis == ORIGIN) {
        // The bond lies along the bisector or against it, and the cross product gives no
        // axis. A quarter turn about p2-p1 takes it off that line; with p1, p2 and p3 on
        // one line the axis stays zero and the turn below throws.
        placed.rotate(placed[at.p2], placed[at.p1], PI / 2);
        bond = (placed[at.p3] - placed[at.p2]).normal();
        axis = bond % bisector;
    }
    placed.rotate(q2, q2 + axis, bond.angle(bisector));

    // Turning p1 about q2-p3 by t lowers the dihedral p1-q2-p3-q1 by t: a turn by
    // (dihedral - pi) leaves it at pi.
    const CVECTOR p3 = placed[at.p3];
    const double dihedral = placed[at.p1].p_dihang(q2, p3, fixed[at.q1]);
    placed.rotate(q2, p3, dihedral - PI);
    return placed;
}

}  // namespace

void CBasicConformer::part_rotate(int i, int j, double angle, const int* list) {
    const int count = list != nullptr ? list[0] : 0;
    if (count <= 0) return;
    // Turned in a copy, so that a bad index or a degenerate axis met half-way through the
    // list leaves the molecule as it was.
    CCLUSTER turned = xyz;
    for (int l = 1; l <= count; ++l) {
        CVECTOR& p = turned[list[l]];
        p = p.rotate(turned[i], turned[j], angle);
    }
    xyz = std::move(turned);
}

void CBasicConformer::adjust_xyz(int i, int j, int k) {
    if (size == 0) throw 0;
    // The alignment moves the points before it can find j or k on the z axis.
    CCLUSTER adjusted = xyz;
    adjusted.adjust(i, j, k);
    xyz = std::move(adjusted);
}

void CBasicConformer::reflect(int i, int j, int k) {
    if (size == 0) throw 0;
    xyz.reflect(xyz[i], xyz[j], xyz[k]);
}

CBasicConformer CBasicConformer::combine(const CBasicConformer& other, int p1, int p2, int p3,
                                         int q1, int q2, int q3, int q4) const {
    for (int p : {p1, p2, p3}) check_atom(p, size);
    for (int q : {q1, q2, q3, q4}) check_atom(q, other.size);
    // Only a copy of this fragment's positions moves: this stays as it was whether the
    // join succeeds or throws.
    const CCLUSTER placed = laid_on(xyz, other.xyz, Junction{p1, p2, p3, q1, q2, q3, q4});

    CBasicConformer joined(size + other.size - 3);
    const int q4_number = other.elements[q4].get_number();
    if (q4_number != HYDROGEN && q4_number != CARBON) throw q4;
    // With a hydrogen at q4, p3 takes the place of the two atoms q3 and q4 as q2's partner
    // and p2 merges into q2; with a carbon, q3 and this fragment's p2 and p3 go.
    const bool hydrogen = q4_number == HYDROGEN;
    auto left_out_of_this = [&](int i) { return i == p2 || (!hydrogen && i == p3); };
    auto left_out_of_other = [&](int i) { return i == q3 || (hydrogen && i == q4); };

    // set_exyz throws should q3 and q4 be one atom, which leaves one atom too many.
    int n = 0;
    for (int i = 1; i <= size; ++i)
        if (!left_out_of_this(i)) joined.set_exyz(++n, elements[i], placed[i]);
    for (int i = 1; i <= other.size; ++i)
        if (!left_out_of_other(i)) joined.set_exyz(++n, other.elements[i], other.xyz[i]);
    return joined;
}
