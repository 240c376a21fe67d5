// Edmonds' blossom method: augmenting paths found by a breadth-first search that
// contracts odd cycles (blossoms) into their base.
#include "max_matching.h"

#include <queue>

namespace confsearch::detail {

namespace {

class Blossom {
public:
    Blossom(int n, const std::vector<std::pair<int, int>>& edges)
        : n(n), adjacent(static_cast<std::size_t>(n)), mate(static_cast<std::size_t>(n), -1) {
        for (const auto& [a, b] : edges) {
            if (a < 0 || b < 0 || a >= n || b >= n || a == b) continue;
            adjacent[a].push_back(b);
            adjacent[b].push_back(a);
        }
    }

    int run() {
        int size = 0;
        for (int v = 0; v < n; ++v) {
            if (mate[v] != -1) continue;
            int u = augmenting_path(v);
            if (u == -1) continue;
            ++size;
            // Flip the path from its free end back to the root.
            while (u != -1) {
                const int parent = before[u];
                const int next = mate[parent];
                mate[u] = parent;
                mate[parent] = u;
                u = next;
            }
        }
        return size;
    }

private:
    int n;
    std::vector<std::vector<int>> adjacent;
    std::vector<int> mate;
    std::vector<int> before;  // the tree predecessor of an odd vertex
    std::vector<int> base;    // the base of the blossom a vertex lies in
    std::vector<bool> reached;
    std::vector<bool> in_blossom;

    int common_base(int a, int b) {
        std::vector<bool> seen(static_cast<std::size_t>(n), false);
        while (true) {
            a = base[a];
            seen[a] = true;
            if (mate[a] == -1) break;
            a = before[mate[a]];
        }
        while (true) {
            b = base[b];
            if (seen[b]) return b;
            b = before[mate[b]];
        }
    }

    void mark_path(int v, int stem, int child) {
        while (base[v] != stem) {
            in_blossom[base[v]] = in_blossom[base[mate[v]]] = true;
            before[v] = child;
            child = mate[v];
            v = before[mate[v]];
        }
    }

    // The free vertex at the end of an augmenting path from root; -1 when there is none.
    int augmenting_path(int root) {
        before.assign(static_cast<std::size_t>(n), -1);
        reached.assign(static_cast<std::size_t>(n), false);
        base.resize(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i) base[i] = i;
        reached[root] = true;
        std::queue<int> queue;
        queue.push(root);
        while (!queue.empty()) {
            const int v = queue.front();
            queue.pop();
            for (const int to : adjacent[v]) {
                if (base[v] == base[to] || mate[v] == to) continue;
                if (to == root || (mate[to] != -1 && before[mate[to]] != -1)) {
                    const int stem = common_base(v, to);
                    in_blossom.assign(static_cast<std::size_t>(n), false);
                    mark_path(v, stem, to);
                    mark_path(to, stem, v);
                    for (int i = 0; i < n; ++i) {
                        if (!in_blossom[base[i]]) continue;
                        base[i] = stem;
                        if (!reached[i]) {
                            reached[i] = true;
                            queue.push(i);
                        }
                    }
                } else if (before[to] == -1) {
                    before[to] = v;
                    if (mate[to] == -1) return to;
                    reached[mate[to]] = true;
                    queue.push(mate[to]);
                }
            }
        }
        return -1;
    }
};

}  // namespace

int maximum_matching(int n, const std::vector<std::pair<int, int>>& edges) {
    if (n <= 0) return 0;
    return Blossom(n, edges).run();
}

}  // namespace confsearch::detail
