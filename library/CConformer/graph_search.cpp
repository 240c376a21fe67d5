// Colour refinement and the individualisation-refinement search for graph maps.
#include "graph_search.h"

#include <algorithm>
#include <numeric>
#include <tuple>

namespace confsearch {
namespace detail {

namespace {

// The vertices of several graphs side by side as one graph: the colours of a joint
// refinement are comparable across them, because a colour is the rank of a signature
// that only the shape around a vertex decides.
using Adjacency = std::vector<std::vector<int>>;

// Refines `colour` (dense, 0..k-1) until stable: each round a vertex's colour becomes the
// rank of (its colour, the sorted colours of its neighbours). Refinement only splits, so
// a round that keeps the count of colours keeps the partition. Returns the count.
int refine(const Adjacency& adjacency, std::vector<int>& colour) {
    const std::size_t n = colour.size();
    std::vector<std::vector<int>> signature(n);
    std::vector<int> order(n);
    int count = n == 0 ? 0 : *std::max_element(colour.begin(), colour.end()) + 1;
    for (;;) {
        for (std::size_t v = 0; v < n; ++v) {
            std::vector<int>& s = signature[v];
            s.assign(1, colour[v]);
            for (int u : adjacency[v]) s.push_back(colour[static_cast<std::size_t>(u)]);
            std::sort(s.begin() + 1, s.end());
        }
        std::iota(order.begin(), order.end(), 0);
        std::sort(order.begin(), order.end(),
                  [&](int a, int b) { return signature[a] < signature[b]; });
        std::vector<int> next(n);
        int rank = 0;
        for (std::size_t k = 0; k < n; ++k) {
            if (k > 0 && signature[order[k]] != signature[order[k - 1]]) ++rank;
            next[static_cast<std::size_t>(order[k])] = rank;
        }
        const int refined = n == 0 ? 0 : rank + 1;
        colour = std::move(next);
        if (refined == count) return count;
        count = refined;
    }
}

class MapSearch {
public:
    MapSearch(const LabelledGraph& g, const LabelledGraph& h, const MapConstraint& constraint)
        : g(g), h(h), n(g.size()), constraint(constraint) {
        adjacency.resize(static_cast<std::size_t>(2 * n));
        for (int v = 0; v < n; ++v) {
            adjacency[v] = g.neighbours[v];
            for (int u : h.neighbours[v])
                adjacency[static_cast<std::size_t>(n + v)].push_back(n + u);
        }
        bonded_in_h.assign(static_cast<std::size_t>(n) * n, false);
        for (int v = 0; v < n; ++v)
            for (int u : h.neighbours[v]) bonded_in_h[static_cast<std::size_t>(v * n + u)] = true;
        priority.assign(static_cast<std::size_t>(n), false);
        for (int v : constraint.first) priority[v] = true;
    }

    std::optional<VertexMap> run(const std::vector<std::pair<int, int>>& fixed) {
        // Labels become dense colours shared by both graphs.
        std::vector<int> values = g.labels;
        values.insert(values.end(), h.labels.begin(), h.labels.end());
        std::sort(values.begin(), values.end());
        values.erase(std::unique(values.begin(), values.end()), values.end());
        std::vector<int> colour(static_cast<std::size_t>(2 * n));
        for (int v = 0; v < n; ++v) {
            colour[v] = rank_of(values, g.labels[v]);
            colour[static_cast<std::size_t>(n + v)] = rank_of(values, h.labels[v]);
        }
        int fresh = static_cast<int>(values.size());
        for (const auto& [x, y] : fixed) {
            if (colour[x] != colour[static_cast<std::size_t>(n + y)]) return std::nullopt;
            colour[x] = colour[static_cast<std::size_t>(n + y)] = fresh++;
        }
        return descend(std::move(colour));
    }

private:
    const LabelledGraph& g;
    const LabelledGraph& h;
    const int n;
    const MapConstraint& constraint;
    Adjacency adjacency;
    std::vector<bool> bonded_in_h;
    std::vector<bool> priority;

    static int rank_of(const std::vector<int>& values, int label) {
        return static_cast<int>(std::lower_bound(values.begin(), values.end(), label) -
                                values.begin());
    }

    std::optional<VertexMap> descend(std::vector<int> colour) {
        const int count = refine(adjacency, colour);
        std::vector<std::vector<int>> in_g(static_cast<std::size_t>(count));
        std::vector<std::vector<int>> in_h(static_cast<std::size_t>(count));
        for (int v = 0; v < n; ++v) {
            in_g[colour[v]].push_back(v);
            in_h[colour[static_cast<std::size_t>(n + v)]].push_back(v);
        }
        // A colour held by more vertices of one graph than of the other: no map here.
        for (int c = 0; c < count; ++c)
            if (in_g[c].size() != in_h[c].size()) return std::nullopt;

        VertexMap map(static_cast<std::size_t>(n), -1);
        for (int c = 0; c < count; ++c)
            if (in_g[c].size() == 1) map[in_g[c][0]] = in_h[c][0];
        if (constraint.partial && !constraint.partial(map)) return std::nullopt;

        const int cell = branching_cell(in_g);
        if (cell < 0) return accepted(map);
        if (only_terminal_cells(in_g, colour)) {
            // Atoms of one colour bonded to nothing but one fixed atom are bonded to the
            // same atom (the colour records the neighbour's), so any pairing of them keeps
            // the bonds: a methyl's hydrogens, a nitro group's oxygens.
            VertexMap whole = map;
            for (int c = 0; c < count; ++c)
                for (std::size_t k = 0; k < in_g[c].size(); ++k) whole[in_g[c][k]] = in_h[c][k];
            if (auto found = accepted(whole)) return found;
        }
        const std::vector<int>& members = in_g[static_cast<std::size_t>(cell)];
        int x = members.front();
        for (int v : members)
            if (priority[v]) {
                x = v;
                break;
            }
        for (int y : in_h[static_cast<std::size_t>(cell)]) {
            std::vector<int> split = colour;
            split[x] = split[static_cast<std::size_t>(n + y)] = count;
            if (auto found = descend(std::move(split))) return found;
        }
        return std::nullopt;
    }

    // The cell to split next: one holding a vertex the constraint asked for first, else
    // one of the vertices of most bonds (they carry the most structure), the smallest such.
    int branching_cell(const std::vector<std::vector<int>>& in_g) const {
        int best = -1;
        std::tuple<bool, std::size_t, int> best_key{};
        for (std::size_t c = 0; c < in_g.size(); ++c) {
            if (in_g[c].size() < 2) continue;
            bool wanted = false;
            for (int v : in_g[c]) wanted = wanted || priority[v];
            const std::tuple<bool, std::size_t, int> key{
                wanted, g.neighbours[in_g[c].front()].size(), -static_cast<int>(in_g[c].size())};
            if (best < 0 || key > best_key) {
                best = static_cast<int>(c);
                best_key = key;
            }
        }
        return best;
    }

    bool only_terminal_cells(const std::vector<std::vector<int>>& in_g,
                             const std::vector<int>& colour) const {
        std::vector<int> cell_size(in_g.size());
        for (std::size_t c = 0; c < in_g.size(); ++c)
            cell_size[c] = static_cast<int>(in_g[c].size());
        for (const auto& members : in_g) {
            if (members.size() < 2) continue;
            for (int v : members) {
                if (priority[v] || g.neighbours[v].size() != 1) return false;
                if (cell_size[colour[static_cast<std::size_t>(g.neighbours[v][0])]] != 1)
                    return false;
            }
        }
        return true;
    }

    std::optional<VertexMap> accepted(const VertexMap& map) const {
        for (int v = 0; v < n; ++v) {
            if (g.labels[v] != h.labels[map[v]]) return std::nullopt;
            for (int u : g.neighbours[v])
                if (!bonded_in_h[static_cast<std::size_t>(map[v] * n + map[u])])
                    return std::nullopt;
        }
        if (constraint.complete && !constraint.complete(map)) return std::nullopt;
        return map;
    }
};

}  // namespace

std::vector<int> refined_colours(const LabelledGraph& g) {
    std::vector<int> values = g.labels;
    std::sort(values.begin(), values.end());
    values.erase(std::unique(values.begin(), values.end()), values.end());
    std::vector<int> colour(g.labels.size());
    for (std::size_t v = 0; v < colour.size(); ++v)
        colour[v] = static_cast<int>(std::lower_bound(values.begin(), values.end(), g.labels[v]) -
                                     values.begin());
    refine(g.neighbours, colour);
    return colour;
}

std::optional<VertexMap> find_graph_map(const LabelledGraph& g, const LabelledGraph& h,
                                        const std::vector<std::pair<int, int>>& fixed,
                                        const MapConstraint& constraint) {
    if (g.size() != h.size()) return std::nullopt;
    return MapSearch(g, h, constraint).run(fixed);
}

}  // namespace detail
}  // namespace confsearch
