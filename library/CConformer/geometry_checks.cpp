// The contact test of changed geometries and the handedness of their centres.
#include "CConformer/geometry_checks.h"

#include <algorithm>
#include <cmath>
#include <queue>

#include "CConformer/vdw_radii.h"
#include "detail/atomic_numbers.h"
#include "rigid_motion.h"

namespace confsearch {

namespace {

using detail::HYDROGEN;

// Pairs this many bonds apart or fewer are held apart by their bonds and angles.
const int NEAR_IN_GRAPH = 2;
// A centre whose signed volume, taken with the sign it had in the input, falls below this
// has been turned inside out (or flattened).
const double KEPT_VOLUME = 0.1;

// A hydrogen on N, O or F facing an N, O or F.
bool is_hydrogen_bond(const CBondGraph& graph, int a, int b) {
    for (const auto& [h, acceptor] : {std::make_pair(a, b), std::make_pair(b, a)}) {
        if (graph.get_element(h) != HYDROGEN || graph.get_degree(h) != 1) continue;
        if (hydrogen_bond_pair(HYDROGEN, graph.get_element(acceptor),
                               graph.get_element(graph.get_neighbours(h).front())))
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

ContactCheck::ContactCheck(const CBasicConformer& input, const CBondGraph& graph)
    : size(graph.get_size()),
      limits(static_cast<std::size_t>(size) * static_cast<std::size_t>(size), 0.0) {
    for (int i = 1; i <= size; ++i) {
        const std::vector<int> near = graph_distances(graph, i, NEAR_IN_GRAPH);
        for (int j = i + 1; j <= size; ++j) {
            if (near[j] >= 0) continue;
            const double limit = physical_clash_limit(graph.get_element(i), graph.get_element(j),
                                                      is_hydrogen_bond(graph, i, j));
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
