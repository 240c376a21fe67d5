// The one-file form's choice of torsions: each chain bond's kind from the bond graph, its
// steps, and the positions that the symmetry of its sides leaves.
#include "CConformer/torsion_choice.h"

#include <algorithm>
#include <numeric>

#include "CConformer/bond_chemistry.h"
#include "CMyMath/axes.h"
#include "detail/atomic_numbers.h"
#include "side_symmetry.h"

namespace confsearch {

namespace {

using detail::HYDROGEN;
using detail::NITROGEN;
using detail::OXYGEN;
using detail::SULFUR;

const int STEPS_SINGLE = 3;
const int STEPS_TRIGONAL = 6;
const int STEPS_PLANAR = 2;
const int STEPS_TWISTED = 4;

int element(const CBondGraph& graph, int atom) { return graph.get_element(atom); }

int count_neighbours(const CBondGraph& graph, int atom, int z, int degree) {
    int count = 0;
    for (const int next : graph.get_neighbours(atom))
        if (element(graph, next) == z && graph.get_degree(next) == degree) ++count;
    return count;
}

// The neighbour of a two-coordinate atom other than `from`.
int other_neighbour(const CBondGraph& graph, int atom, int from) {
    for (const int next : graph.get_neighbours(atom))
        if (next != from) return next;
    return 0;
}

bool sulfonyl(const CBondGraph& graph, int atom) {
    return element(graph, atom) == SULFUR && count_neighbours(graph, atom, OXYGEN, 1) >= 2;
}

// The kind of the bond a-b by the chemistry of its two ends; steps 0 for a bond kept.
struct Verdict {
    TorsionKind kind;
    int steps;
};

Verdict judge(const BondChemistry& chemistry, int a, int b) {
    const CBondGraph& graph = chemistry.get_graph();
    if (chemistry.is_double(a, b)) return {TorsionKind::double_bond, 0};
    for (const auto& [c, x] : {std::make_pair(a, b), std::make_pair(b, a)}) {
        if (!chemistry.is_carbonyl(c)) continue;
        const int z = element(graph, x);
        // An amide's C-N is a partial double bond (15-20 kcal/mol to turn): the cis and
        // trans forms are isomers, not conformers. A nitro group's nitrogen is no amide's.
        if (z == NITROGEN && graph.get_degree(x) == 3 && count_neighbours(graph, x, OXYGEN, 1) == 0)
            return {TorsionKind::amide, 0};
        if ((z == OXYGEN || z == SULFUR) && graph.get_degree(x) == 2) {
            // An acid's O-H stands syn to the C=O, or anti where a hydrogen bond holds it
            // (the amino acids); an ester's alkyl stays Z, 3-8 kcal/mol below E.
            if (element(graph, other_neighbour(graph, x, c)) == HYDROGEN)
                return {TorsionKind::acid_hydroxyl, STEPS_PLANAR};
            return {TorsionKind::ester, 0};
        }
    }
    const AtomShape sa = chemistry.shape(a);
    const AtomShape sb = chemistry.shape(b);
    const bool trigonal_a = sa == AtomShape::trigonal;
    const bool trigonal_b = sb == AtomShape::trigonal;
    if ((sulfonyl(graph, a) && element(graph, b) == NITROGEN) ||
        (sulfonyl(graph, b) && element(graph, a) == NITROGEN))
        return {TorsionKind::sulfonamide, trigonal_a || trigonal_b ? STEPS_TRIGONAL : STEPS_SINGLE};
    if (chemistry.is_aryl(a) && chemistry.is_aryl(b))
        return {TorsionKind::aryl_aryl, STEPS_TWISTED};
    if ((chemistry.is_aryl(a) && chemistry.is_carbonyl(b)) ||
        (chemistry.is_aryl(b) && chemistry.is_carbonyl(a)))
        return {TorsionKind::aryl_carbonyl, STEPS_TWISTED};
    if (trigonal_a && trigonal_b) return {TorsionKind::conjugated, STEPS_PLANAR};
    // Anisole, phenol, an enol ether: the oxygen's lone pair keeps its other bond in the
    // plane of the ring or double bond. An aryl ester or a diaryl ether twists instead.
    for (const auto& [c, x] : {std::make_pair(a, b), std::make_pair(b, a)}) {
        if (!(chemistry.is_pi_atom(c) && element(graph, x) == OXYGEN && graph.get_degree(x) == 2))
            continue;
        if (!chemistry.is_pi_atom(other_neighbour(graph, x, c)))
            return {TorsionKind::aryl_ether, STEPS_PLANAR};
    }
    if (trigonal_a || trigonal_b) return {TorsionKind::trigonal_single, STEPS_TRIGONAL};
    return {TorsionKind::single, STEPS_SINGLE};
}

bool named(const std::vector<std::pair<int, int>>& pairs, int a, int b) {
    for (const auto& [p, q] : pairs)
        if ((p == a && q == b) || (p == b && q == a)) return true;
    return false;
}

}  // namespace

double TorsionChoice::step() const { return steps > 0 ? FULL_TURN / steps : 0.0; }

std::string describe(TorsionKind kind) {
    switch (kind) {
        case TorsionKind::single: return "tetrahedral ends, staggered";
        case TorsionKind::trigonal_single: return "one trigonal end";
        case TorsionKind::conjugated: return "conjugated, the two planar forms";
        case TorsionKind::aryl_aryl: return "aryl-aryl, both twist senses";
        case TorsionKind::aryl_carbonyl: return "aryl-carbonyl, both twist senses";
        case TorsionKind::aryl_ether: return "aryl or vinyl ether, in the plane";
        case TorsionKind::acid_hydroxyl: return "carboxylic acid O-H, syn and anti";
        case TorsionKind::sulfonamide: return "sulfonamide S-N";
        case TorsionKind::amide: return "amide C-N, cis and trans are isomers";
        case TorsionKind::ester: return "ester C(=O)-O, the Z form";
        case TorsionKind::double_bond: return "double bond";
        case TorsionKind::symmetric: return "every step repeats a symmetric side";
        case TorsionKind::fixed: return "on request";
    }
    return "";
}

std::vector<TorsionChoice> choose_torsions(const CBasicConformer& conformer,
                                           const CBondGraph& graph, const CZmatrixTree& tree,
                                           const TorsionOptions& options) {
    const BondChemistry chemistry(conformer, graph);
    std::vector<TorsionChoice> chosen;
    for (int row = 2; row <= tree.get_size(); ++row) {
        const int moving = tree.get_atom(row);
        const int fixed = tree.get_parent(moving);
        if (graph.find_bond(fixed, moving)->in_ring) continue;
        if (graph.get_degree(fixed) < 2 || graph.get_degree(moving) < 2) continue;
        if (chemistry.shape(fixed) == AtomShape::linear ||
            chemistry.shape(moving) == AtomShape::linear)
            continue;
        // Turning a CH3, CF3 or NH3+ only permutes its equal atoms.
        if (is_symmetric_terminal_centre(graph, fixed, moving) ||
            is_symmetric_terminal_centre(graph, moving, fixed))
            continue;
        const Verdict verdict = judge(chemistry, fixed, moving);
        TorsionChoice choice;
        choice.fixed_atom = fixed;
        choice.moving_atom = moving;
        choice.kind = verdict.kind;
        choice.steps = verdict.steps;
        if (choice.steps > 0 && named(options.fixed, fixed, moving)) {
            choice.kind = TorsionKind::fixed;
            choice.steps = 0;
        }
        if (choice.steps > 0 && options.steps > 0) choice.steps = options.steps;
        choice.positions = std::max(choice.steps, 1);
        chosen.push_back(choice);
    }

    // A side that a turn of 360/k degrees carries onto itself makes every position k
    // times over: the bond needs only those within 360/k. A rigid part gives its symmetry
    // to one bond only; a para-phenylene gives it to one of its two bonds, whose turn the
    // other's positions then make up.
    const auto turned_steps = [&](int a, int b) {
        for (const TorsionChoice& c : chosen)
            if ((c.fixed_atom == a && c.moving_atom == b) ||
                (c.fixed_atom == b && c.moving_atom == a))
                return c.steps;
        return 0;
    };
    std::vector<int> claimed;
    std::vector<TorsionChoice> result = chosen;
    for (TorsionChoice& choice : result) {
        if (choice.steps == 0) continue;
        int order = 1;
        for (const auto& [from, atom] : {std::make_pair(choice.fixed_atom, choice.moving_atom),
                                         std::make_pair(choice.moving_atom, choice.fixed_atom)}) {
            const detail::SideSymmetry side =
                detail::side_symmetry(conformer, chemistry, from, atom, turned_steps);
            if (side.order == 1 ||
                std::find(claimed.begin(), claimed.end(), side.unit) != claimed.end())
                continue;
            claimed.push_back(side.unit);
            order = std::lcm(order, side.order);
        }
        choice.symmetry = order;
        choice.positions = (choice.steps + order - 1) / order;
        if (choice.positions <= 1) {
            choice.kind = TorsionKind::symmetric;
            choice.positions = 1;
        }
    }
    return result;
}

Combinations count_combinations(const std::vector<TorsionChoice>& torsions) {
    Combinations total = 1;
    for (const TorsionChoice& t : torsions)
        if (t.turned()) total *= static_cast<Combinations>(t.positions);
    return total;
}

}  // namespace confsearch
