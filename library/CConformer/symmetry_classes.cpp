// The symmetry classes of atoms and the correspondence of two atom orders.
#include "CConformer/symmetry_classes.h"

#include <map>
#include <numeric>
#include <utility>

#include "graph_search.h"

namespace confsearch {

namespace {

class UnionFind {
public:
    explicit UnionFind(int n) : parent(static_cast<std::size_t>(n)) {
        std::iota(parent.begin(), parent.end(), 0);
    }
    int find(int v) {
        while (parent[v] != v) v = parent[v] = parent[parent[v]];
        return v;
    }
    void join(int a, int b) {
        a = find(a);
        b = find(b);
        if (a != b) parent[std::max(a, b)] = std::min(a, b);
    }

private:
    std::vector<int> parent;
};

// An atom bonded to one atom that has other bonds: a hydrogen, a carbonyl oxygen.
bool is_terminal(const detail::LabelledGraph& g, int v) {
    return g.neighbours[v].size() == 1 && g.neighbours[g.neighbours[v][0]].size() >= 2;
}

}  // namespace

// Colour refinement alone (element, then the counts of neighbours of each colour, round
// after round) puts automorphic atoms in one colour, but it can also put atoms together
// that no automorphism exchanges: the carbons of a cyclohexane and of two cyclopropanes
// in one geometry all see two CH2 neighbours and two hydrogens. So each colour is
// confirmed by individualisation and refinement: for a representative r and another atom
// w of its colour, an exact search (detail::find_graph_map) looks for an automorphism
// taking r to w. When one is found, every atom joins the class of its image, which
// settles many pairs at once; when none exists, w starts a class of its own within the
// colour and is tested against the rest the same way. Terminal atoms need no search: two
// of one colour are exchangeable exactly when the atoms they hang on are (swapping two
// hydrogens of one carbon is always an automorphism).
SymmetryClasses::SymmetryClasses(const CBondGraph& graph) {
    const detail::LabelledGraph g = detail::labelled_graph(graph);
    const int n = g.size();
    const std::vector<int> colour = detail::refined_colours(g);
    std::map<int, std::vector<int>> cells;
    for (int v = 0; v < n; ++v) cells[colour[v]].push_back(v);

    UnionFind orbits(n);
    for (const auto& [c, cell] : cells) {
        if (cell.size() < 2 || is_terminal(g, cell.front())) continue;
        std::vector<int> open = cell;
        while (open.size() > 1) {
            const int r = open.front();
            for (std::size_t k = 1; k < open.size(); ++k) {
                const int w = open[k];
                if (orbits.find(w) == orbits.find(r)) continue;
                const auto map = detail::find_graph_map(g, g, {{r, w}});
                if (!map) continue;
                for (int v = 0; v < n; ++v) orbits.join(v, (*map)[v]);
            }
            std::vector<int> rest;
            for (int w : open)
                if (orbits.find(w) != orbits.find(r)) rest.push_back(w);
            open = std::move(rest);
        }
    }
    std::map<std::pair<int, int>, int> terminal_class;
    for (int v = 0; v < n; ++v) {
        if (!is_terminal(g, v)) continue;
        const std::pair<int, int> key{colour[v], orbits.find(g.neighbours[v][0])};
        const auto [place, fresh] = terminal_class.emplace(key, v);
        if (!fresh) orbits.join(v, place->second);
    }

    class_of.assign(static_cast<std::size_t>(n) + 1, 0);
    std::vector<int> number(static_cast<std::size_t>(n), 0);
    for (int v = 0; v < n; ++v) {
        const int root = orbits.find(v);
        if (number[root] == 0) {
            members.emplace_back();
            number[root] = static_cast<int>(members.size()) - 1;
        }
        class_of[static_cast<std::size_t>(v) + 1] = number[root];
        members[static_cast<std::size_t>(number[root])].push_back(v + 1);
    }
}

std::optional<std::vector<int>> atom_correspondence(const CBondGraph& reference,
                                                    const CBondGraph& other) {
    const auto map = detail::find_graph_map(detail::labelled_graph(reference),
                                            detail::labelled_graph(other), {});
    if (!map) return std::nullopt;
    std::vector<int> order(map->size() + 1, 0);
    for (std::size_t v = 0; v < map->size(); ++v) order[v + 1] = (*map)[v] + 1;
    return order;
}

}  // namespace confsearch
