// Which tree bonds the generator turns, and in how many steps: bond orders guessed from
// lengths, the shape around each atom, and the exclusion of torsions that only permute
// equal atoms.
#include "CConformer/conformer_setup.h"

#include <algorithm>

#include "detail/atomic_numbers.h"

namespace confsearch {

namespace {

using confsearch::detail::BORON;
using confsearch::detail::CARBON;
using confsearch::detail::NITROGEN;
using confsearch::detail::OXYGEN;
using confsearch::detail::PHOSPHORUS;
using confsearch::detail::SULFUR;

// A bond shorter than `limit` (angstrom) is taken for a double, triple, aromatic or
// conjugated one. Each limit lies between the shortest common single bond and the
// longest multiple one of the typical lengths in F. H. Allen, O. Kennard, D. G. Watson,
// L. Brammer, A. G. Orpen and R. Taylor, "Tables of bond lengths determined by X-ray and
// neutron diffraction", J. Chem. Soc., Perkin Trans. 2, 1987, S1-S19:
//   C-C  single 1.54 (sp3), 1.47-1.49 between two sp2 carbons (biphenyl, dienes,
//        styrene); aromatic 1.38-1.40, C=C 1.33, C#C 1.18.
//   C-N  single 1.47 (amine), 1.39-1.43 aryl-N; amide 1.33-1.35 (a partial double bond:
//        cis and trans amides do not interconvert at room temperature), C=N 1.28, C#N 1.14.
//   C-O  single 1.43 (alcohol, ether), 1.33-1.37 aryl-O, ester and acid C-O; C=O 1.21,
//        carboxylate 1.25.
//   C-S  single 1.82, aryl 1.77; C=S 1.67.   C-P  single 1.84, aryl 1.80; C=P 1.67.
//   N-N  single 1.45, hydrazide 1.40; N=N 1.25.
//   N-O  single 1.40-1.46 (hydroxylamine, oxime); nitro and nitroso N=O 1.21, N-oxide
//        and nitroxide 1.28-1.30.
//   O-O  single 1.47; O=O 1.21.   S-S  single 2.05; S=S 1.89.
//   S-O  single 1.57-1.60 (sulfonate ester); S=O 1.43-1.50.
//   S-N  single 1.63 (sulfonamide); S=N 1.54.   P-O  single 1.59; P=O 1.45-1.49.
//   P-N  single 1.65-1.70; P=N 1.57.   B-N  single 1.58; aminoborane B=N 1.40.
// Pairs not listed (C-H, C-halogen, C-Si, ...) have no multiple bonds in organic molecules.
struct MultipleBondLimit {
    int z1;  // z1 <= z2
    int z2;
    double limit;
};
const MultipleBondLimit MULTIPLE_BOND_LIMITS[] = {
    {BORON, NITROGEN, 1.48},    {CARBON, CARBON, 1.42},     {CARBON, NITROGEN, 1.38},
    {CARBON, OXYGEN, 1.30},     {CARBON, PHOSPHORUS, 1.74}, {CARBON, SULFUR, 1.72},
    {NITROGEN, NITROGEN, 1.32}, {NITROGEN, OXYGEN, 1.34},   {NITROGEN, PHOSPHORUS, 1.61},
    {NITROGEN, SULFUR, 1.58},   {OXYGEN, OXYGEN, 1.30},     {OXYGEN, PHOSPHORUS, 1.53},
    {OXYGEN, SULFUR, 1.52},     {SULFUR, SULFUR, 1.97},
};

// A two-coordinate atom this straight has no torsion about its bonds: turning a bond to
// it only spins the straight line.
const double LINEAR_ANGLE = radian(170.0);
// A three-coordinate atom whose three angles add up to this much is planar (sp2: an aryl
// or carbonyl carbon, an amide or enamine nitrogen); an amine nitrogen, a pyramid, adds
// up to about 330 degrees.
const double PLANAR_ANGLE_SUM = radian(350.0);

const int STEPS_TWO_TRIGONAL = 2;
const int STEPS_ONE_TRIGONAL = 6;
const int STEPS_TETRAHEDRAL = 3;

double angle_at(const CBasicConformer& conformer, int centre, int a, int b) {
    return conformer.get_vector(centre).p_angle(conformer.get_vector(a), conformer.get_vector(b));
}

}  // namespace

double multiple_bond_limit(int z1, int z2) {
    if (z1 > z2) std::swap(z1, z2);
    for (const auto& entry : MULTIPLE_BOND_LIMITS) {
        if (entry.z1 == z1 && entry.z2 == z2) return entry.limit;
    }
    return 0.0;
}

bool is_multiple_bond(int z1, int z2, double length) {
    return length < multiple_bond_limit(z1, z2);
}

AtomShape atom_shape(const CBasicConformer& conformer, const CBondGraph& graph, int atom) {
    const std::vector<int>& around = graph.get_neighbours(atom);
    switch (around.size()) {
        case 0:
        case 1: return AtomShape::terminal;
        case 2: {
            if (angle_at(conformer, atom, around[0], around[1]) >= LINEAR_ANGLE) {
                return AtomShape::linear;
            }
            for (int next : around) {
                if (is_multiple_bond(graph.get_element(atom), graph.get_element(next),
                                     graph.find_bond(atom, next)->length))
                    return AtomShape::trigonal;
            }
            return AtomShape::tetrahedral;
        }
        case 3: {
            const double sum = angle_at(conformer, atom, around[0], around[1]) +
                               angle_at(conformer, atom, around[1], around[2]) +
                               angle_at(conformer, atom, around[0], around[2]);
            return sum >= PLANAR_ANGLE_SUM ? AtomShape::trigonal : AtomShape::tetrahedral;
        }
        default: return AtomShape::tetrahedral;
    }
}

std::vector<CRotatableBond> choose_rotatable_bonds(const CBasicConformer& conformer,
                                                   const CBondGraph& graph,
                                                   const CZmatrixTree& tree) {
    std::vector<CRotatableBond> chosen;
    for (int row = 2; row <= tree.get_size(); ++row) {
        const int moving = tree.get_atom(row);
        const int fixed = tree.get_parent(moving);
        const PerceivedBond& bond = *graph.find_bond(fixed, moving);
        if (bond.in_ring) continue;
        if (graph.get_degree(fixed) < 2 || graph.get_degree(moving) < 2) continue;
        if (is_multiple_bond(graph.get_element(fixed), graph.get_element(moving), bond.length))
            continue;
        if (is_symmetric_terminal_centre(graph, fixed, moving) ||
            is_symmetric_terminal_centre(graph, moving, fixed))
            continue;
        const AtomShape a = atom_shape(conformer, graph, fixed);
        const AtomShape b = atom_shape(conformer, graph, moving);
        if (a == AtomShape::linear || b == AtomShape::linear) continue;
        const int trigonal =
            (a == AtomShape::trigonal ? 1 : 0) + (b == AtomShape::trigonal ? 1 : 0);
        const int steps = trigonal == 2   ? STEPS_TWO_TRIGONAL
                          : trigonal == 1 ? STEPS_ONE_TRIGONAL
                                          : STEPS_TETRAHEDRAL;
        // The half turn of a bond to two equal terminal atoms (the oxygens of a nitro
        // group, the hydrogens of a planar NH2) only swaps them.
        if (steps == STEPS_TWO_TRIGONAL && (carries_equal_terminals(graph, fixed, moving, 2) ||
                                            carries_equal_terminals(graph, moving, fixed, 2)))
            continue;
        chosen.emplace_back(fixed, moving, steps, 1, 0);
    }
    return chosen;
}

}  // namespace confsearch
