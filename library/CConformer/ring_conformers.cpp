// Ring units and their forms. A lone flexible ring is placed from every template of its
// size; a ring with a double or conjugated bond, fused to a rigid (aromatic, three- or
// four-membered) ring, or fused to other flexible rings is only flipped (every torsion of
// the unit reversed: the other half-chair of a cyclohexene or a tetralin, the other
// chair-chair of a cis-decalin), since the bonds it shares or holds flat allow nothing
// else; trans-fused systems fail the flip's checks and keep the input's shape. Either way
// the ring atoms are fitted to the target torsions with the input's bond lengths and
// angles, and every substituent is carried along rigidly in the local frame of its ring
// atom.
#include "CConformer/start_geometries.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <stdexcept>

#include "rigid_motion.h"
#include "ring_fit.h"
#include "ring_templates.h"
#include "start_geometry_messages.h"

namespace confsearch {

namespace {

using detail::FitOutcome;
using detail::FitProblem;
using detail::Placement;

const int SMALLEST_FLEXIBLE = 5;
const int LARGEST_FLEXIBLE = 8;
// Fused flexible rings of more atoms than this (more than a steroid's four rings) keep
// their shape: the fit's work grows with the cube of their count.
const std::size_t LARGEST_UNIT = 30;
// A form is kept when its fit holds every ring bond within FIT_BOND (angstrom), every
// angle within FIT_ANGLE and every torsion within FIT_TORSION of the template; a fused
// centre whose signed volume moved by more than FIT_VOLUME has been forced.
const double FIT_BOND = 0.01;
const double FIT_ANGLE = radian(6.0);
const double FIT_TORSION = radian(12.0);
const double FIT_VOLUME = 0.3;
// A form whose every ring torsion lies within this of the input's (or of a form already
// kept) is the same form.
const double SAME_FORM = radian(10.0);
const int FIT_ITERATIONS = 300;
// The flip of a fused unit is approached in steps of the torsion targets, so that each
// fit starts near its answer.
const int CONTINUATION_STEPS = 8;
const int STEP_ITERATIONS = 40;

std::vector<CVECTOR> positions_of(const CBasicConformer& geometry) {
    std::vector<CVECTOR> points(static_cast<std::size_t>(geometry.get_size()) + 1);
    for (int i = 1; i <= geometry.get_size(); ++i)
        points[static_cast<std::size_t>(i)] = geometry.get_vector(i);
    return points;
}

std::vector<CVECTOR> pick(const std::vector<CVECTOR>& points, const std::vector<int>& atoms) {
    std::vector<CVECTOR> picked;
    for (int atom : atoms) picked.push_back(points[static_cast<std::size_t>(atom)]);
    return picked;
}

std::string sorted_atoms_label(const CBondGraph& graph, const std::vector<int>& sorted) {
    if (sorted.back() - sorted.front() + 1 == static_cast<int>(sorted.size()))
        return atom_label(graph, sorted.front()) + ".." + atom_label(graph, sorted.back());
    std::string text;
    for (int atom : sorted) text += (text.empty() ? "" : " ") + atom_label(graph, atom);
    return text;
}

// Groups of rings that share bonds (two or more atoms), each increasing, ordered by first.
std::vector<std::vector<int>> ring_systems(const std::vector<Ring>& rings) {
    std::vector<int> group(rings.size());
    std::iota(group.begin(), group.end(), 0);
    auto root = [&](int r) {
        while (group[static_cast<std::size_t>(r)] != r) r = group[static_cast<std::size_t>(r)];
        return r;
    };
    for (std::size_t i = 0; i < rings.size(); ++i) {
        for (const auto* linked : {&rings[i].fused, &rings[i].bridged}) {
            for (int j : *linked) {
                const int a = root(static_cast<int>(i));
                const int b = root(j);
                group[static_cast<std::size_t>(std::max(a, b))] = std::min(a, b);
            }
        }
    }
    std::vector<std::vector<int>> systems;
    for (std::size_t i = 0; i < rings.size(); ++i) {
        const int r = root(static_cast<int>(i));
        auto found = std::find_if(systems.begin(), systems.end(),
                                  [&](const std::vector<int>& s) { return root(s.front()) == r; });
        if (found == systems.end()) {
            systems.push_back({static_cast<int>(i)});
        } else {
            found->push_back(static_cast<int>(i));
        }
    }
    return systems;
}

bool is_flexible(const Ring& ring) {
    return !ring.aromatic && ring.size() >= SMALLEST_FLEXIBLE && ring.size() <= LARGEST_FLEXIBLE;
}

std::vector<int> union_of(const std::vector<Ring>& rings, const std::vector<int>& chosen) {
    std::vector<int> atoms;
    for (int r : chosen) {
        const auto& ring = rings[static_cast<std::size_t>(r)].atoms;
        atoms.insert(atoms.end(), ring.begin(), ring.end());
    }
    std::sort(atoms.begin(), atoms.end());
    atoms.erase(std::unique(atoms.begin(), atoms.end()), atoms.end());
    return atoms;
}

// The chain of a ring built from its bond lengths and angles and a template's torsions: a
// start for the fit, which then closes the ring.
std::vector<CVECTOR> chain_from_torsions(const std::vector<double>& lengths,
                                         const std::vector<double>& angles,
                                         const std::vector<double>& torsions) {
    const std::size_t n = lengths.size();
    std::vector<CVECTOR> chain(n);
    chain[1] = CVECTOR(lengths[0], 0, 0);
    chain[2] = chain[1] + CVECTOR(-std::cos(angles[1]), std::sin(angles[1]), 0) * lengths[1];
    for (std::size_t k = 3; k < n; ++k) {
        chain[k] = detail::place_atom(chain[k - 3], chain[k - 2], chain[k - 1], lengths[k - 1],
                                      angles[k - 1], torsions[k - 2]);
    }
    return chain;
}

// The forms of one flexible unit.
class FormBuilder {
public:
    FormBuilder(const CBasicConformer& input, const CBondGraph& graph,
                const std::vector<Ring>& rings, const std::vector<int>& unit_rings,
                const detail::UnitLayout& layout)
        : input(input),
          graph(graph),
          rings(rings),
          unit_rings(unit_rings),
          layout(layout),
          points(positions_of(input)),
          contacts(input, graph),
          centres(input, graph, {}) {
        for (int r : unit_rings) {
            const Ring& ring = rings[static_cast<std::size_t>(r)];
            input_torsions.push_back(ring_torsions(input, ring));
        }
        build_base();
    }

    // Every placement of the templates of a lone ring.
    void from_templates() {
        const Ring& ring = rings[static_cast<std::size_t>(unit_rings.front())];
        const std::size_t n = ring.atoms.size();
        std::vector<double> lengths(n);
        std::vector<double> angles(n);
        for (std::size_t k = 0; k < n; ++k) {
            const CVECTOR& before = at(ring.atoms[(k + n - 1) % n]);
            const CVECTOR& here = at(ring.atoms[k]);
            const CVECTOR& after = at(ring.atoms[(k + 1) % n]);
            lengths[k] = here.distance(after);
            angles[k] = detail::bond_angle(before, here, after);
        }
        std::vector<std::string> labels;
        for (int atom : ring.atoms) labels.push_back(atom_label(graph, atom));
        for (const Placement& placement : detail::ring_placements(static_cast<int>(n))) {
            std::vector<double> torsions;
            for (double p : placement.pattern) torsions.push_back(placement.amplitude * p);
            const std::vector<CVECTOR> chain = chain_from_torsions(lengths, angles, torsions);
            const RigidFit onto = best_rigid_fit(pick(points, ring.atoms), chain);
            std::vector<CVECTOR> start = points;
            for (std::size_t k = 0; k < n; ++k)
                start[static_cast<std::size_t>(ring.atoms[k])] = onto.place(chain[k]);
            FitProblem problem = base;
            problem.amplitudes = {placement.amplitude};
            for (std::size_t j = 0; j < n; ++j) {
                problem.torsions[j].amplitude = 0;
                problem.torsions[j].pattern = placement.pattern[j];
            }
            const FitOutcome fitted = detail::fit_ring(problem, start, FIT_ITERATIONS);
            double correlation = 0.0;
            for (std::size_t j = 0; j < n; ++j)
                correlation += input_torsions[0][j] * placement.pattern[j];
            const std::string name = detail::form_name(
                placement, labels, pick(fitted.positions, ring.atoms), correlation);
            consider(fitted, name, placement.family);
        }
    }

    // The unit with every torsion reversed: from the mirror image of its moving atoms, and
    // when that fails its checks (a fused centre would turn inside out), by steps from the
    // input.
    void flip() {
        FitProblem problem = base;
        std::size_t term = 0;
        for (const auto& torsions : input_torsions) {
            for (double t : torsions) problem.torsions[term++].target = -t;
        }
        std::vector<CVECTOR> mirror = points;
        const std::vector<CVECTOR> unit_points = pick(points, layout.atoms);
        const CVECTOR normal = detail::plane_normal(unit_points);
        CVECTOR centre;
        for (const auto& p : unit_points) centre = centre + p;
        centre = centre / static_cast<double>(unit_points.size());
        for (int atom : layout.atoms) {
            const auto a = static_cast<std::size_t>(atom);
            if (layout.moving[a])
                mirror[a] = mirror[a] - normal * (2 * ((mirror[a] - centre) * normal));
        }
        if (consider(detail::fit_ring(problem, mirror, FIT_ITERATIONS), detail::FLIPPED,
                     RingFormFamily::flipped, false))
            return;
        std::vector<CVECTOR> path = points;
        for (int step = 1; step <= CONTINUATION_STEPS; ++step) {
            FitProblem partial = problem;
            const double share = static_cast<double>(step) / CONTINUATION_STEPS;
            term = 0;
            for (const auto& torsions : input_torsions) {
                for (double t : torsions) partial.torsions[term++].target = t - 2 * t * share;
            }
            path = detail::fit_ring(partial, path, STEP_ITERATIONS).positions;
        }
        consider(detail::fit_ring(problem, path, FIT_ITERATIONS), detail::FLIPPED,
                 RingFormFamily::flipped);
    }

    void finish() {
        unit_note = detail::dropped_note(strained, inverting, clashing);
        if (kept.empty() && unit_note.empty())
            unit_note = repeats > 0 ? detail::NOTE_ONLY_INPUT : detail::NOTE_NO_FORM;
    }

    std::vector<RingForm> kept;
    std::vector<std::vector<std::vector<double>>> kept_torsions;
    std::string unit_note;

private:
    const CBasicConformer& input;
    const CBondGraph& graph;
    const std::vector<Ring>& rings;
    const std::vector<int>& unit_rings;
    const detail::UnitLayout& layout;
    std::vector<CVECTOR> points;
    ContactCheck contacts;
    CentreCheck centres;
    std::vector<std::vector<double>> input_torsions;
    FitProblem base;
    int strained = 0;
    int inverting = 0;
    int clashing = 0;
    int repeats = 0;

    const CVECTOR& at(int atom) const { return points[static_cast<std::size_t>(atom)]; }
    bool is_moving(int atom) const { return layout.moving[static_cast<std::size_t>(atom)]; }
    bool in_unit(int atom) const {
        return std::binary_search(layout.atoms.begin(), layout.atoms.end(), atom);
    }

    // Bonds and angles at their input values, the handedness of every fused moving atom,
    // and one torsion term per ring bond, its target set by the caller.
    void build_base() {
        for (int atom : layout.atoms)
            if (is_moving(atom)) base.moving.push_back(atom);
        for (const PerceivedBond& bond : graph.get_bonds()) {
            if (in_unit(bond.atom1) && in_unit(bond.atom2) &&
                (is_moving(bond.atom1) || is_moving(bond.atom2)))
                base.bonds.push_back({bond.atom1, bond.atom2, bond.length});
        }
        for (int centre : layout.atoms) {
            const auto& around = graph.get_neighbours(centre);
            for (std::size_t i = 0; i < around.size(); ++i) {
                for (std::size_t j = i + 1; j < around.size(); ++j) {
                    const int a = around[i];
                    const int b = around[j];
                    // At a moving atom the angles between unit atoms (its substituents
                    // follow its frame); at a fixed one every angle to a moving atom.
                    const bool wanted =
                        is_moving(centre) ? in_unit(a) && in_unit(b) : is_moving(a) || is_moving(b);
                    if (wanted)
                        base.angles.push_back(
                            {a, centre, b, detail::bond_angle(at(a), at(centre), at(b))});
                }
            }
            std::vector<int> inside;
            for (int next : around)
                if (in_unit(next)) inside.push_back(next);
            if (is_moving(centre) && inside.size() >= 3) {
                base.volumes.push_back({centre, inside[0], inside[1], inside[2],
                                        detail::signed_volume(at(centre), at(inside[0]),
                                                              at(inside[1]), at(inside[2]))});
            }
        }
        for (int r : unit_rings) {
            const auto& ring = rings[static_cast<std::size_t>(r)].atoms;
            const std::size_t n = ring.size();
            for (std::size_t j = 0; j < n; ++j) {
                base.torsions.push_back(
                    {ring[(j + n - 1) % n], ring[j], ring[(j + 1) % n], ring[(j + 2) % n]});
            }
        }
    }

    std::vector<std::vector<double>> torsions_of(const CBasicConformer& geometry) const {
        std::vector<std::vector<double>> all;
        for (int r : unit_rings)
            all.push_back(ring_torsions(geometry, rings[static_cast<std::size_t>(r)]));
        return all;
    }

    static bool same_form(const std::vector<std::vector<double>>& a,
                          const std::vector<std::vector<double>>& b) {
        for (std::size_t r = 0; r < a.size(); ++r)
            for (std::size_t j = 0; j < a[r].size(); ++j)
                if (std::fabs(detail::wrap_angle(a[r][j] - b[r][j])) > SAME_FORM) return false;
        return true;
    }

    // Keeps a fitted form that passes every check; counts why one does not. With
    // `count_failures` false a failure is left for a second attempt to count.
    bool consider(const FitOutcome& fitted, const std::string& name, RingFormFamily family,
                  bool count_failures = true) {
        const bool volumes_kept =
            std::all_of(base.volumes.begin(), base.volumes.end(), [&](const auto& v) {
                const double now =
                    detail::signed_volume(fitted.positions[static_cast<std::size_t>(v.centre)],
                                          fitted.positions[static_cast<std::size_t>(v.a)],
                                          fitted.positions[static_cast<std::size_t>(v.b)],
                                          fitted.positions[static_cast<std::size_t>(v.c)]);
                return now * v.value > 0 && std::fabs(now - v.value) <= FIT_VOLUME;
            });
        // Written so that a fit that ran into NaN (a degenerate input) fails too.
        const bool fits = fitted.worst_bond <= FIT_BOND && fitted.worst_angle <= FIT_ANGLE &&
                          fitted.worst_torsion <= FIT_TORSION && volumes_kept;
        if (!fits) {
            strained += count_failures ? 1 : 0;
            return false;
        }
        RingForm form;
        form.name = name;
        form.family = family;
        form.unit_positions = pick(fitted.positions, layout.atoms);
        form.geometry = layout.carry(input, form.unit_positions);
        const auto torsions = torsions_of(form.geometry);
        const bool repeated =
            same_form(torsions, input_torsions) ||
            std::any_of(kept_torsions.begin(), kept_torsions.end(),
                        [&](const auto& other) { return same_form(torsions, other); });
        if (repeated) {
            ++repeats;
            return true;
        }
        if (centres.first_inverted(form.geometry) != 0) {
            inverting += count_failures ? 1 : 0;
            return false;
        }
        if (contacts.first_clash(form.geometry)) {
            clashing += count_failures ? 1 : 0;
            return false;
        }
        kept.push_back(form);
        kept_torsions.push_back(torsions);
        return true;
    }
};

}  // namespace

CBasicConformer detail::UnitLayout::carry(const CBasicConformer& geometry,
                                          const std::vector<CVECTOR>& form_positions) const {
    const RigidFit onto = best_rigid_fit(pick(positions_of(geometry), atoms), input_positions);
    std::vector<CVECTOR> placed(static_cast<std::size_t>(geometry.get_size()) + 1);
    for (std::size_t i = 0; i < atoms.size(); ++i)
        placed[static_cast<std::size_t>(atoms[i])] = onto.place(form_positions[i]);
    CBasicConformer result(geometry);
    for (int atom = 1; atom <= geometry.get_size(); ++atom) {
        const auto a = static_cast<std::size_t>(atom);
        if (moving[a]) {
            result.set_exyz(atom, geometry.get_element(atom), placed[a]);
            continue;
        }
        const auto on = static_cast<std::size_t>(hanging[a]);
        if (on == 0) continue;
        const auto& pair = frame_neighbours[on];
        const CVECTOR before = geometry.get_vector(hanging[a]);
        const Matrix3 frame_before =
            detail::local_frame(before, geometry.get_vector(pair[0]), geometry.get_vector(pair[1]));
        const Matrix3 frame_after =
            detail::local_frame(placed[on], placed[static_cast<std::size_t>(pair[0])],
                                placed[static_cast<std::size_t>(pair[1])]);
        const CVECTOR moved = placed[on] + rotated(detail::frame_change(frame_before, frame_after),
                                                   geometry.get_vector(atom) - before);
        result.set_exyz(atom, geometry.get_element(atom), moved);
    }
    return result;
}

CBasicConformer RingUnit::apply(const CBasicConformer& geometry, int k) const {
    return layout.carry(geometry, forms.at(static_cast<std::size_t>(k)).unit_positions);
}

namespace {

std::string rings_label(const std::vector<int>& chosen) {
    std::string text;
    for (int r : chosen) text += (text.empty() ? "" : ", ") + std::to_string(r + 1);
    return text;
}

// Which moving atom every other atom hangs on: each piece of the molecule left when the
// unit's atoms are taken away hangs on the one moving atom it is bonded to, or stays with
// the fixed atoms. False when a piece is bonded to a moving atom and to another unit atom
// (it closes a larger ring through the unit).
bool hang_pieces(const CBondGraph& graph, detail::UnitLayout& layout) {
    const std::size_t n = static_cast<std::size_t>(graph.get_size()) + 1;
    auto in_unit = [&](int atom) {
        return std::binary_search(layout.atoms.begin(), layout.atoms.end(), atom);
    };
    std::vector<bool> seen(n, false);
    for (int start = 1; start <= graph.get_size(); ++start) {
        if (seen[static_cast<std::size_t>(start)] || in_unit(start)) continue;
        std::vector<int> piece = {start};
        std::vector<int> attached;
        seen[static_cast<std::size_t>(start)] = true;
        for (std::size_t k = 0; k < piece.size(); ++k) {
            for (int next : graph.get_neighbours(piece[k])) {
                if (in_unit(next)) {
                    attached.push_back(next);
                } else if (!seen[static_cast<std::size_t>(next)]) {
                    seen[static_cast<std::size_t>(next)] = true;
                    piece.push_back(next);
                }
            }
        }
        std::sort(attached.begin(), attached.end());
        attached.erase(std::unique(attached.begin(), attached.end()), attached.end());
        const bool on_moving = std::any_of(attached.begin(), attached.end(), [&](int atom) {
            return layout.moving[static_cast<std::size_t>(atom)];
        });
        if (!on_moving) continue;
        if (attached.size() != 1) return false;
        for (int atom : piece) layout.hanging[static_cast<std::size_t>(atom)] = attached.front();
    }
    return true;
}

}  // namespace

std::vector<RingUnit> find_ring_units(const CBasicConformer& input, const CBondGraph& graph,
                                      const std::vector<Ring>& rings) {
    std::vector<RingUnit> units;
    auto listed = [&](const std::vector<int>& chosen, const std::string& note) {
        RingUnit unit;
        unit.rings = chosen;
        unit.layout.atoms = union_of(rings, chosen);
        const std::string atoms =
            chosen.size() == 1
                ? ring_atoms_label(rings[static_cast<std::size_t>(chosen.front())], graph)
                : sorted_atoms_label(graph, unit.layout.atoms);
        unit.label = detail::unit_label(rings_label(chosen), atoms, chosen.size() > 1);
        unit.note = note;
        return unit;
    };
    for (const std::vector<int>& system : ring_systems(rings)) {
        const bool bridged = std::any_of(system.begin(), system.end(), [&](int r) {
            return !rings[static_cast<std::size_t>(r)].bridged.empty();
        });
        if (bridged) {
            units.push_back(listed(system, detail::NOTE_BRIDGED));
            continue;
        }
        std::vector<int> flexible;
        std::vector<int> rigid_atoms;
        for (int r : system) {
            const Ring& ring = rings[static_cast<std::size_t>(r)];
            if (is_flexible(ring)) {
                flexible.push_back(r);
                continue;
            }
            rigid_atoms.insert(rigid_atoms.end(), ring.atoms.begin(), ring.atoms.end());
            units.push_back(listed({r}, ring.aromatic ? detail::NOTE_AROMATIC
                                        : ring.size() < SMALLEST_FLEXIBLE
                                            ? detail::NOTE_TOO_SMALL
                                            : detail::NOTE_TOO_LARGE));
        }
        if (flexible.empty()) continue;

        RingUnit unit = listed(flexible, "");
        detail::UnitLayout& layout = unit.layout;
        const std::size_t n = static_cast<std::size_t>(graph.get_size()) + 1;
        layout.moving.assign(n, false);
        layout.frame_neighbours.assign(n, {0, 0});
        layout.hanging.assign(n, 0);
        for (int atom : layout.atoms) {
            const bool rigid =
                std::find(rigid_atoms.begin(), rigid_atoms.end(), atom) != rigid_atoms.end();
            layout.moving[static_cast<std::size_t>(atom)] = !rigid;
        }
        // Each atom's frame from its two neighbours in the first of the unit's rings that
        // holds it.
        for (auto r = flexible.rbegin(); r != flexible.rend(); ++r) {
            const auto& ring = rings[static_cast<std::size_t>(*r)].atoms;
            for (std::size_t k = 0; k < ring.size(); ++k) {
                layout.frame_neighbours[static_cast<std::size_t>(ring[k])] = {
                    ring[(k + ring.size() - 1) % ring.size()], ring[(k + 1) % ring.size()]};
            }
        }
        for (int atom : layout.atoms) layout.input_positions.push_back(input.get_vector(atom));
        if (flexible.size() == 1) {
            const Ring& ring = rings[static_cast<std::size_t>(flexible.front())];
            std::vector<std::string> labels;
            std::vector<CVECTOR> positions;
            for (int atom : ring.atoms) {
                labels.push_back(atom_label(graph, atom));
                positions.push_back(input.get_vector(atom));
            }
            unit.start_form =
                detail::start_form_name(ring.size(), ring_torsions(input, ring), labels, positions);
        }
        if (layout.atoms.size() > LARGEST_UNIT) {
            unit.note = detail::NOTE_TOO_MANY_FUSED;
            units.push_back(unit);
            continue;
        }
        if (!hang_pieces(graph, layout)) {
            unit.note = detail::NOTE_LARGER_RING;
            units.push_back(unit);
            continue;
        }
        FormBuilder builder(input, graph, rings, unit.rings, layout);
        const Ring& first = rings[static_cast<std::size_t>(flexible.front())];
        const bool lone = flexible.size() == 1 && rigid_atoms.empty() && !first.double_bond;
        if (lone) {
            builder.from_templates();
        } else {
            builder.flip();
        }
        builder.finish();
        unit.forms = builder.kept;
        unit.note = builder.unit_note;
        units.push_back(unit);
    }
    std::sort(units.begin(), units.end(), [](const RingUnit& a, const RingUnit& b) {
        return a.get_rings().front() < b.get_rings().front();
    });
    return units;
}

}  // namespace confsearch
