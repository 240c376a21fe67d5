// Amine nitrogens whose pyramid is taken both ways, and the inversion itself.
//
// Every pyramidal amine nitrogen inverts fast at room temperature (barriers of 5 to
// 10 kcal/mol), so its pyramid is a conformation, not a configuration, and turning bonds
// never reaches the other one. Left out are the nitrogens that cannot invert or have no
// pyramid to invert: four neighbours (ammonium), in an aromatic ring, bonded to a carbonyl,
// aryl, vinyl, sulfonyl, phosphoryl or boron neighbour (amides, anilines, enamines,
// sulfonamides: planar or nearly so, their lone pair in conjugation), planar by their
// angles, in a three-membered ring (aziridines invert slowly, barriers near 19 kcal/mol),
// with three ring bonds (ring fusions and bridgeheads such as quinuclidine's, which would
// need the rings to change with them), and NH2 groups, whose inversion only exchanges two
// hydrogens.
#include "CConformer/start_geometries.h"

#include <algorithm>
#include <stdexcept>

#include "CConformer/conformer_setup.h"
#include "CMyMath/rotation.h"
#include "detail/atomic_numbers.h"
#include "rigid_motion.h"
#include "start_geometry_messages.h"

namespace confsearch {

namespace {

using detail::BORON;
using detail::CARBON;
using detail::HYDROGEN;
using detail::NITROGEN;
using detail::OXYGEN;
using detail::PHOSPHORUS;
using detail::SULFUR;

// An aziridine nitrogen inverts too slowly to count as a conformation.
const int AZIRIDINE = 3;
// Below this the two sides of the reflection are taken for one direction.
const double PARALLEL = 1e-9;

bool in_aromatic_ring(const std::vector<Ring>& rings, int atom) {
    return std::any_of(rings.begin(), rings.end(),
                       [&](const Ring& ring) { return ring.aromatic && ring.contains(atom); });
}

bool carries_terminal_oxygen(const CBondGraph& graph, int atom) {
    const auto& around = graph.get_neighbours(atom);
    return std::any_of(around.begin(), around.end(), [&](int next) {
        const int z = graph.get_element(next);
        return graph.get_degree(next) == 1 && (z == OXYGEN || z == SULFUR);
    });
}

// A neighbour that draws the nitrogen's lone pair into conjugation.
bool conjugates(const CBasicConformer& input, const CBondGraph& graph,
                const std::vector<Ring>& rings, int neighbour) {
    const int z = graph.get_element(neighbour);
    if (z == BORON || in_aromatic_ring(rings, neighbour)) return true;
    if ((z == CARBON || z == SULFUR || z == PHOSPHORUS) &&
        carries_terminal_oxygen(graph, neighbour))
        return true;
    return (z == CARBON || z == NITROGEN) &&
           atom_shape(input, graph, neighbour) == AtomShape::trigonal;
}

int ring_bonds(const CBondGraph& graph, int atom) {
    int count = 0;
    for (int next : graph.get_neighbours(atom))
        count += graph.find_bond(atom, next)->in_ring ? 1 : 0;
    return count;
}

bool in_ring_of_size(const std::vector<Ring>& rings, int atom, int size) {
    return std::any_of(rings.begin(), rings.end(), [&](const Ring& ring) {
        return ring.size() == size && ring.contains(atom);
    });
}

// The atoms on the far side of the bond from `from` to `to`, `to` included; the bond must
// not be in a ring.
std::vector<int> side_of(const CBondGraph& graph, int from, int to) {
    std::vector<int> side = {to};
    std::vector<bool> seen(static_cast<std::size_t>(graph.get_size()) + 1, false);
    seen[static_cast<std::size_t>(from)] = true;
    seen[static_cast<std::size_t>(to)] = true;
    for (std::size_t k = 0; k < side.size(); ++k) {
        for (int next : graph.get_neighbours(side[k])) {
            if (seen[static_cast<std::size_t>(next)]) continue;
            seen[static_cast<std::size_t>(next)] = true;
            side.push_back(next);
        }
    }
    return side;
}

// The N-H hydrogen; else the one substituent outside the ring; else the smallest
// substituent (the lower-numbered of equals).
int moving_neighbour(const CBondGraph& graph, int atom) {
    const auto& around = graph.get_neighbours(atom);
    std::vector<int> hydrogens;
    for (int next : around)
        if (graph.get_element(next) == HYDROGEN) hydrogens.push_back(next);
    if (hydrogens.size() == 1) return hydrogens.front();
    if (ring_bonds(graph, atom) == 2) {
        for (int next : around)
            if (!graph.find_bond(atom, next)->in_ring) return next;
    }
    int best = 0;
    std::size_t best_size = 0;
    for (int next : around) {
        const std::size_t size = side_of(graph, atom, next).size();
        if (best == 0 || size < best_size) {
            best = next;
            best_size = size;
        }
    }
    return best;
}

const char* refusal(const CBasicConformer& input, const CBondGraph& graph,
                    const std::vector<Ring>& rings, int atom) {
    const auto& around = graph.get_neighbours(atom);
    if (around.size() == 4) return detail::NITROGEN_FOUR_NEIGHBOURS;
    if (in_aromatic_ring(rings, atom)) return detail::NITROGEN_AROMATIC;
    if (std::any_of(around.begin(), around.end(),
                    [&](int next) { return conjugates(input, graph, rings, next); }))
        return detail::NITROGEN_CONJUGATED;
    if (atom_shape(input, graph, atom) != AtomShape::tetrahedral) return detail::NITROGEN_PLANAR;
    if (in_ring_of_size(rings, atom, AZIRIDINE)) return detail::NITROGEN_SMALL_RING;
    if (ring_bonds(graph, atom) == 3) return detail::NITROGEN_RING_JUNCTION;
    if (std::any_of(around.begin(), around.end(),
                    [&](int next) { return carries_equal_terminals(graph, atom, next, 2); }))
        return detail::NITROGEN_EQUAL_TERMINALS;
    return nullptr;
}

}  // namespace

std::vector<AmineNitrogen> find_amine_nitrogens(const CBasicConformer& input,
                                                const CBondGraph& graph,
                                                const std::vector<Ring>& rings) {
    std::vector<AmineNitrogen> found;
    for (int atom = 1; atom <= graph.get_size(); ++atom) {
        const int degree = graph.get_degree(atom);
        if (graph.get_element(atom) != NITROGEN || degree < 3 || degree > 4) continue;
        AmineNitrogen nitrogen;
        nitrogen.atom = atom;
        const char* why = refusal(input, graph, rings, atom);
        if (why == nullptr) {
            nitrogen.invertible = true;
            nitrogen.moving = moving_neighbour(graph, atom);
        } else {
            nitrogen.reason = why;
        }
        found.push_back(nitrogen);
    }
    return found;
}

CBasicConformer invert_nitrogen(const CBasicConformer& geometry, const CBondGraph& graph,
                                const AmineNitrogen& nitrogen) {
    if (!nitrogen.invertible) throw std::invalid_argument(nitrogen.reason);
    const int atom = nitrogen.atom;
    std::vector<int> others;
    for (int next : graph.get_neighbours(atom))
        if (next != nitrogen.moving) others.push_back(next);
    const CVECTOR centre = geometry.get_vector(atom);
    const CVECTOR bond = geometry.get_vector(nitrogen.moving) - centre;
    CVECTOR normal =
        (geometry.get_vector(others[0]) - centre) % (geometry.get_vector(others[1]) - centre);
    // Two neighbours in line with the nitrogen leave no plane to reflect through.
    if (normal.module() < PARALLEL) return geometry;
    normal = normal / normal.module();
    const CVECTOR reflected = bond - normal * (2 * (bond * normal));
    CVECTOR axis = bond % reflected;
    // A bond perpendicular to the plane reflects straight back: any axis in the plane
    // turns it across.
    if (axis.module() < PARALLEL * bond.square())
        axis = normal % (geometry.get_vector(others[0]) - centre);
    const Rotation turn(axis, bond.angle(reflected));
    const std::vector<int> side = side_of(graph, atom, nitrogen.moving);
    CBasicConformer result(geometry);
    for (int moved : side) {
        result.set_exyz(moved, geometry.get_element(moved),
                        centre + turn.turn(geometry.get_vector(moved) - centre));
    }
    // The turn alone would leave the moving group's torsion about its bond to the nitrogen
    // where it was, a staggered methyl eclipsed; a pyramid passing through the plane
    // reverses it. So the group is turned about that bond until the torsion of its first
    // atom beyond, seen from the nitrogen's first other neighbour, is the input's negated.
    const int beyond = side.size() > 1 ? side[1] : 0;
    if (beyond == 0) return result;
    auto torsion = [&](const CBasicConformer& g, int from) {
        return detail::dihedral(g.get_vector(others[0]), g.get_vector(atom),
                                g.get_vector(nitrogen.moving), g.get_vector(from));
    };
    const CVECTOR moved_to = result.get_vector(nitrogen.moving);
    const Rotation twist(moved_to - centre, -torsion(geometry, beyond) - torsion(result, beyond));
    for (std::size_t k = 1; k < side.size(); ++k) {
        const int moved = side[k];
        result.set_exyz(moved, geometry.get_element(moved),
                        moved_to + twist.turn(result.get_vector(moved) - moved_to));
    }
    return result;
}

}  // namespace confsearch
