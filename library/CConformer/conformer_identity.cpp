// The molecule of a conformer comparison: set-up, prepared geometries and the rule.
#include "CConformer/conformer_identity.h"

#include <algorithm>
#include <cmath>

#include "CMyElement/atomic_weights.h"
#include "detail/atomic_numbers.h"
#include "identity_messages.h"

namespace confsearch {

namespace {

void check_criterion(const char* name, double value) {
    if (!(value >= 0.0) || !std::isfinite(value))
        throw IdentityError(detail::criterion_message(name, value));
}

// The larger relative difference of two rotational constants; equal infinite constants
// (a linear molecule's A) agree.
double relative_difference(double a, double b) {
    if (a == b) return 0.0;
    const double larger = std::max(std::fabs(a), std::fabs(b));
    if (std::isinf(larger)) return std::numeric_limits<double>::infinity();
    return std::fabs(a - b) / larger;
}

}  // namespace

ConformerIdentity::ConformerIdentity(const ::CBasicConformer& reference,
                                     const IdentityCriteria& criteria)
    : ConformerIdentity(CBondGraph(reference), reference, criteria) {}

ConformerIdentity::ConformerIdentity(const CBondGraph& graph, const ::CBasicConformer& reference,
                                     const IdentityCriteria& criteria)
    : criteria(criteria), graph(graph), classes(graph) {
    check_criterion("RMSD tolerance", criteria.rmsd_tolerance);
    check_criterion("rotational-constant tolerance", criteria.rotational_tolerance);
    check_criterion("energy window", criteria.energy_window);
    if (reference.get_size() != graph.get_size())
        throw IdentityError(detail::atom_count_message(reference.get_size(), graph.get_size()));
    set_up(reference);
}

void ConformerIdentity::set_up(const ::CBasicConformer& reference) {
    stereocentres = find_stereocentres(graph, classes, reference);
    chiral = confsearch::is_chiral(graph, stereocentres);
    const int n = graph.get_size();
    std::vector<int> position(static_cast<std::size_t>(n) + 1, -1);
    for (int atom = 1; atom <= n; ++atom) {
        masses.push_back(standard_atomic_weight(graph.get_element(atom)));
        const bool heavy = graph.get_element(atom) != detail::HYDROGEN;
        std::vector<int>& list = heavy || criteria.all_atoms ? compared : left_out;
        position[atom] = static_cast<int>(list.size());
        list.push_back(atom);
    }
    class_of_position.assign(compared.size(), -1);
    for (int c = 1; c <= classes.get_count(); ++c) {
        const std::vector<int>& members = classes.get_members(c);
        std::vector<int> places;
        for (int atom : members) places.push_back(position[atom]);
        // A class is all hydrogen or all not, so it lies wholly on one side.
        const bool on_compared_side =
            compared.end() != std::find(compared.begin(), compared.end(), members.front());
        if (on_compared_side) {
            if (places.size() == 1) unique_positions.push_back(places.front());
            for (int place : places)
                class_of_position[static_cast<std::size_t>(place)] =
                    static_cast<int>(compared_classes.size());
            compared_classes.push_back(places);
        } else if (places.size() > 1) {
            left_out_classes.push_back(places);
        }
    }
    for (std::size_t c = 0; c < compared_classes.size(); ++c) {
        const std::vector<int>& places = compared_classes[c];
        if (places.size() < 2) continue;
        // Atoms of one class are all terminal or none are, and their parents share a class.
        const int first = compared[static_cast<std::size_t>(places.front())];
        const bool terminal =
            graph.get_degree(first) == 1 &&
            graph.get_degree(graph.get_neighbours(first).front()) >= 2 &&
            (criteria.all_atoms ||
             graph.get_element(graph.get_neighbours(first).front()) != detail::HYDROGEN);
        if (!terminal) {
            inner_classes.push_back(static_cast<int>(c));
            continue;
        }
        TerminalClass split;
        split.group_of_parent.assign(compared.size(), -1);
        for (int place : places) {
            const int atom = compared[static_cast<std::size_t>(place)];
            const int parent = position[graph.get_neighbours(atom).front()];
            int& group = split.group_of_parent[static_cast<std::size_t>(parent)];
            if (group < 0) {
                group = static_cast<int>(split.on_parent.size());
                split.on_parent.emplace_back();
                split.parents.push_back(parent);
            }
            split.on_parent[static_cast<std::size_t>(group)].push_back(place);
        }
        terminal_classes.push_back(std::move(split));
    }
}

Positions ConformerIdentity::positions_of(const ::CBasicConformer& geometry) const {
    const int n = get_size();
    if (geometry.get_size() != n)
        throw IdentityError(detail::atom_count_message(geometry.get_size(), n));
    Positions positions;
    positions.reserve(static_cast<std::size_t>(n));
    for (int atom = 1; atom <= n; ++atom) {
        const CELEMENT element = geometry.get_element(atom);
        if (element.get_number() != graph.get_element(atom))
            throw IdentityError(detail::other_element_message(
                atom, element.get_symbol(), CELEMENT(graph.get_element(atom)).get_symbol()));
        positions.push_back(geometry.get_vector(atom));
    }
    return positions;
}

PreparedConformer ConformerIdentity::prepare(const ::CBasicConformer& geometry,
                                             std::optional<double> energy) const {
    return prepare(positions_of(geometry), energy);
}

PreparedConformer ConformerIdentity::prepare(const Positions& positions,
                                             std::optional<double> energy) const {
    const int n = get_size();
    if (static_cast<int>(positions.size()) != n)
        throw IdentityError(detail::atom_count_message(static_cast<int>(positions.size()), n));
    for (int atom = 1; atom <= n; ++atom) {
        const CVECTOR& p = positions[static_cast<std::size_t>(atom - 1)];
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z))
            throw IdentityError(detail::not_finite_message(atom));
    }
    if (energy && !std::isfinite(*energy)) throw IdentityError(detail::not_finite_energy_message());
    for (const PerceivedBond& bond : graph.get_bonds()) {
        const double distance = positions[static_cast<std::size_t>(bond.atom1 - 1)].distance(
            positions[static_cast<std::size_t>(bond.atom2 - 1)]);
        if (distance > bonding_limit(graph.get_element(bond.atom1), graph.get_element(bond.atom2)))
            throw IdentityError(detail::stretched_bond_message(bond.atom1, bond.atom2, distance));
    }

    PreparedConformer prepared;
    prepared.energy = energy;
    prepared.rotational = rotational_constants(masses, positions);
    CVECTOR centre;
    for (int atom : compared) centre = centre + positions[static_cast<std::size_t>(atom - 1)];
    if (!compared.empty()) centre = centre / static_cast<double>(compared.size());
    prepared.points.reserve(compared.size());
    for (int atom : compared) {
        prepared.points.push_back(positions[static_cast<std::size_t>(atom - 1)] - centre);
        prepared.squares += prepared.points.back().square();
    }
    for (int atom : left_out)
        prepared.others.push_back(positions[static_cast<std::size_t>(atom - 1)] - centre);
    prepared.radii.reserve(compared.size());
    for (const std::vector<int>& places : compared_classes) {
        const std::size_t from = prepared.radii.size();
        for (int place : places)
            prepared.radii.push_back(prepared.points[static_cast<std::size_t>(place)].module());
        std::sort(prepared.radii.begin() + static_cast<std::ptrdiff_t>(from), prepared.radii.end());
    }
    Matrix3 spread{};
    for (const CVECTOR& p : prepared.points) {
        const double c[3] = {p.x, p.y, p.z};
        for (std::size_t r = 0; r < 3; ++r)
            for (std::size_t s = 0; s < 3; ++s) spread[r * 3 + s] += c[r] * c[s];
    }
    prepared.spread = principal_axes(spread);
    return prepared;
}

// Under the best fit the two centroids coincide, and no rotation, reflection or matching
// changes an atom's distance from the centroid; a matched pair is therefore at least the
// difference of those distances apart. Within a class, pairing the sorted distances
// makes the sum of squared differences least. So this is a true lower bound on the RMSD,
// in O(n) with no fit.
double ConformerIdentity::radial_bound(const PreparedConformer& a,
                                       const PreparedConformer& b) const {
    if (a.radii.empty()) return 0.0;
    double sum = 0.0;
    for (std::size_t k = 0; k < a.radii.size(); ++k) {
        const double d = a.radii[k] - b.radii[k];
        sum += d * d;
    }
    return std::sqrt(sum / static_cast<double>(a.radii.size()));
}

void ConformerIdentity::check_prepared(const PreparedConformer& a,
                                       const PreparedConformer& b) const {
    for (const PreparedConformer* c : {&a, &b})
        if (c->points.size() != compared.size() || c->others.size() != left_out.size())
            throw IdentityError(detail::foreign_geometry_message());
}

Comparison ConformerIdentity::compare(const PreparedConformer& a,
                                      const PreparedConformer& b) const {
    check_prepared(a, b);
    Comparison result;
    if (a.energy && b.energy && !(std::fabs(*a.energy - *b.energy) <= criteria.energy_window)) {
        result.verdict = IdentityVerdict::energy_differs;
        return result;
    }
    double difference = 0.0;
    for (std::size_t k = 0; k < 3; ++k)
        difference = std::max(difference, relative_difference(a.rotational[k], b.rotational[k]));
    result.rotational_difference = difference;
    if (difference > criteria.rotational_tolerance) {
        result.verdict = IdentityVerdict::rotational_constants_differ;
        return result;
    }
    const double tolerance = criteria.rmsd_tolerance;
    const double bound = radial_bound(a, b);
    if (bound > tolerance) {
        result.verdict = IdentityVerdict::rmsd_too_large;
        result.rmsd = bound;
        result.rmsd_is_bound = true;
        return result;
    }
    const Fit fit = search(a, b, tolerance * tolerance);
    result.rmsd = std::sqrt(fit.msd);
    result.mirrored = fit.mirrored;
    result.verdict =
        fit.msd <= tolerance * tolerance ? IdentityVerdict::same : IdentityVerdict::rmsd_too_large;
    return result;
}

double ConformerIdentity::fixed_order_rmsd(const PreparedConformer& a,
                                           const PreparedConformer& b) const {
    check_prepared(a, b);
    if (a.points.empty()) return 0.0;
    PairSums sums;
    for (std::size_t i = 0; i < a.points.size(); ++i) sums.add(a.points[i], b.points[i]);
    return std::sqrt(least_square_sum(sums) / static_cast<double>(a.points.size()));
}

::CBasicConformer ConformerIdentity::in_reference_order(const ::CBasicConformer& geometry) const {
    const int n = get_size();
    if (geometry.get_size() != n)
        throw IdentityError(detail::atom_count_message(geometry.get_size(), n));
    const auto order = atom_correspondence(graph, CBondGraph(geometry));
    if (!order) throw IdentityError(detail::other_bonds_message());
    ::CBasicConformer renumbered(n);
    for (int atom = 1; atom <= n; ++atom) {
        const int source = (*order)[static_cast<std::size_t>(atom)];
        renumbered.set_exyz(atom, geometry.get_element(source), geometry.get_vector(source));
    }
    return renumbered;
}

BestFit ConformerIdentity::best_fit(const ::CBasicConformer& a, const ::CBasicConformer& b) const {
    return best_fit(prepare(a), prepare(b));
}

BestFit best_fit_rmsd(const ::CBasicConformer& a, const ::CBasicConformer& b,
                      const IdentityCriteria& criteria) {
    return ConformerIdentity(a, criteria).best_fit(a, b);
}

}  // namespace confsearch
