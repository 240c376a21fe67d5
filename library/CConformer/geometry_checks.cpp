// Van der Waals radii, the contact test of changed geometries and the handedness of their
// centres.
#include "CConformer/geometry_checks.h"

#include <algorithm>
#include <cmath>
#include <queue>

#include "detail/atomic_numbers.h"
#include "rigid_motion.h"

namespace confsearch {

namespace {

using detail::HYDROGEN;
using detail::NITROGEN;
using detail::OXYGEN;
const int FLUORINE = 9;

const double DEFAULT_RADIUS = 2.0;
// Pairs this many bonds apart or fewer are held apart by their bonds and angles.
const int NEAR_IN_GRAPH = 2;
// A centre whose signed volume, taken with the sign it had in the input, falls below this
// has been turned inside out (or flattened).
const double KEPT_VOLUME = 0.1;

struct Radius {
    int z;
    double radius;
};
// clang-format off
const Radius RADII[] = {
    // Bondi 1964, hydrogen Rowland and Taylor 1996.
    {1, 1.10},  {2, 1.40},  {3, 1.82},  {6, 1.70},  {7, 1.55},  {8, 1.52},  {9, 1.47},
    {10, 1.54}, {11, 2.27}, {12, 1.73}, {14, 2.10}, {15, 1.80}, {16, 1.80}, {17, 1.75},
    {18, 1.88}, {19, 2.75}, {28, 1.63}, {29, 1.40}, {30, 1.39}, {31, 1.87}, {33, 1.85},
    {34, 1.90}, {35, 1.85}, {36, 2.02}, {46, 1.63}, {47, 1.72}, {48, 1.58}, {49, 1.93},
    {50, 2.17}, {52, 2.06}, {53, 1.98}, {54, 2.16}, {78, 1.72}, {79, 1.66}, {80, 1.55},
    {81, 1.96}, {82, 2.02}, {92, 1.86},
    // Mantina et al. 2009.
    {4, 1.53},  {5, 1.92},  {13, 1.84}, {20, 2.31}, {32, 2.11}, {37, 3.03}, {38, 2.49},
    {51, 2.06}, {55, 3.43}, {56, 2.68}, {83, 2.07}, {84, 1.97}, {85, 2.02}, {86, 2.20},
    {87, 3.48}, {88, 2.83},
};
// clang-format on

bool is_hydrogen_bond_element(int z) { return z == NITROGEN || z == OXYGEN || z == FLUORINE; }

// A hydrogen on N, O or F facing an N, O or F.
bool is_hydrogen_bond(const CBondGraph& graph, int a, int b) {
    for (const auto& [h, acceptor] : {std::make_pair(a, b), std::make_pair(b, a)}) {
        if (graph.get_element(h) != HYDROGEN || graph.get_degree(h) != 1) continue;
        if (is_hydrogen_bond_element(graph.get_element(graph.get_neighbours(h).front())) &&
            is_hydrogen_bond_element(graph.get_element(acceptor)))
            return true;
    }
    return false;
}

// Bond counts from `start`, up to `limit`; atoms farther away keep -1.
std::vector<int> graph_distances(const CBondGraph& graph, int start, int limit) {
    std::vector<int> distance(static_cast<std::size_t>(graph.get_size()) + 1, -1);
    std::queue<int> queue;
    distance[start] = 0;
    queue.push(start);
    while (!queue.empty()) {
        const int atom = queue.front();
        queue.pop();
        if (distance[atom] == limit) continue;
        for (int next : graph.get_neighbours(atom)) {
            if (distance[next] >= 0) continue;
            distance[next] = distance[atom] + 1;
            queue.push(next);
        }
    }
    return distance;
}

}  // namespace

double van_der_waals_radius(int z) {
    for (const auto& entry : RADII)
        if (entry.z == z) return entry.radius;
    return DEFAULT_RADIUS;
}

ContactCheck::ContactCheck(const CBasicConformer& input, const CBondGraph& graph)
    : size(graph.get_size()),
      limits(static_cast<std::size_t>(size) * static_cast<std::size_t>(size), 0.0) {
    for (int i = 1; i <= size; ++i) {
        const std::vector<int> near = graph_distances(graph, i, NEAR_IN_GRAPH);
        for (int j = i + 1; j <= size; ++j) {
            if (near[j] >= 0) continue;
            double limit = CONTACT_SHARE * (van_der_waals_radius(graph.get_element(i)) +
                                            van_der_waals_radius(graph.get_element(j)));
            if (is_hydrogen_bond(graph, i, j)) limit = std::min(limit, HYDROGEN_BOND_CONTACT);
            if (input.get_vector(i).distance(input.get_vector(j)) < limit) continue;
            limits[static_cast<std::size_t>((i - 1) * size + (j - 1))] = limit;
        }
    }
}

std::optional<Contact> ContactCheck::first_clash(const CBasicConformer& geometry) const {
    for (int i = 1; i <= size; ++i) {
        const CVECTOR p = geometry.get_vector(i);
        for (int j = i + 1; j <= size; ++j) {
            const double limit = limits[static_cast<std::size_t>((i - 1) * size + (j - 1))];
            if (limit == 0.0) continue;
            const double square = (geometry.get_vector(j) - p).square();
            if (square < limit * limit) return Contact{i, j, std::sqrt(square), limit};
        }
    }
    return std::nullopt;
}

CentreCheck::CentreCheck(const CBasicConformer& input, const CBondGraph& graph,
                         const std::vector<int>& exempt) {
    for (int atom = 1; atom <= graph.get_size(); ++atom) {
        const auto& around = graph.get_neighbours(atom);
        if (around.size() < 3 || around.size() > 4) continue;
        if (std::find(exempt.begin(), exempt.end(), atom) != exempt.end()) continue;
        const double volume =
            detail::signed_volume(input.get_vector(atom), input.get_vector(around[0]),
                                  input.get_vector(around[1]), input.get_vector(around[2]));
        if (std::fabs(volume) < PLANAR_VOLUME) continue;
        centres.push_back({atom, around[0], around[1], around[2], volume > 0});
    }
}

std::vector<int> CentreCheck::get_centres() const {
    std::vector<int> atoms;
    for (const auto& centre : centres) atoms.push_back(centre.atom);
    return atoms;
}

int CentreCheck::first_inverted(const CBasicConformer& geometry) const {
    for (const auto& centre : centres) {
        const double volume =
            detail::signed_volume(geometry.get_vector(centre.atom), geometry.get_vector(centre.a),
                                  geometry.get_vector(centre.b), geometry.get_vector(centre.c));
        if ((centre.positive ? volume : -volume) < KEPT_VOLUME) return centre.atom;
    }
    return 0;
}

}  // namespace confsearch
