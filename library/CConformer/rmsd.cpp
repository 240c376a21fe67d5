// The best fit of one geometry on another over rigid motions, mirror images and the
// matchings of symmetry-equivalent atoms.
#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <utility>

#include "CConformer/conformer_identity.h"
#include "pairing.h"

namespace confsearch {

namespace {

// The alternation of matching and superposition never raises the deviation and has
// finitely many matchings, so it ends; it usually settles in two or three rounds.
const int MOST_ROUNDS = 30;
// Principal spreads closer than this fraction of the largest leave the principal axes
// free to turn (a symmetric top such as benzene or neopentane): anchor starts are added.
const double AMBIGUOUS_SPREAD = 0.05;
// Anchor triples of the second geometry whose sides differ from the first's by more than
// this (angstrom) are not tried, and no more than this many are.
const double ANCHOR_SLACK = 0.5;
const int MOST_ANCHOR_STARTS = 64;
// best_fit stops at a deviation this small (angstrom^2): nothing can fit better.
const double EXACT_MSD = 1e-16;

bool axes_free_to_turn(const PrincipalAxes& spread) {
    const double l1 = spread.values[0];
    const double l2 = spread.values[1];
    const double l3 = spread.values[2];
    // On a line only the line's direction counts, and the principal axes give it.
    if (!(l1 > 0.0) || l2 < 1e-6 * l1) return false;
    return l1 - l2 < AMBIGUOUS_SPREAD * l1 || l2 - l3 < AMBIGUOUS_SPREAD * l1;
}

}  // namespace

// One search over the starts for the pairs of two centred point sets p (the first
// geometry) and q (the second), matched within the identity's classes.
class ConformerIdentity::FitSearch {
public:
    FitSearch(const ConformerIdentity& identity, const std::vector<CVECTOR>& p,
              const std::vector<CVECTOR>& q, double squares, double stop)
        : identity(identity),
          p(p),
          q(q),
          squares(squares),
          stop(stop),
          moving(q),
          moved(q.size()),
          current(p.size()),
          next(p.size()) {
        best.msd = std::numeric_limits<double>::infinity();
    }

    // Fits q itself, or its mirror image (every point negated: an inversion, which any
    // improper motion is up to a rotation).
    void use_mirror_image(bool mirror) {
        mirrored = mirror;
        for (std::size_t i = 0; i < q.size(); ++i) moving[i] = mirror ? -q[i] : q[i];
    }

    // Each start returns whether the best so far is within the stop.
    bool from_atom_order() {
        std::iota(current.begin(), current.end(), 0);
        Matrix3 rotation{};
        const double msd = superpose(current, rotation);
        return descend(rotation, msd);
    }

    // The start that lays the atoms alone in their classes on each other: their matching
    // is certain whatever turned or flipped, so their fit is the molecule's when its
    // symmetric groups have moved.
    bool from_unique_atoms() {
        const std::vector<int>& unique = identity.unique_positions;
        if (unique.size() < 3) return false;
        CVECTOR cp;
        CVECTOR cq;
        for (int i : unique) {
            cp = cp + p[i];
            cq = cq + moving[i];
        }
        cp = cp / static_cast<double>(unique.size());
        cq = cq / static_cast<double>(unique.size());
        PairSums sums;
        for (int i : unique) sums.add(p[i] - cp, moving[i] - cq);
        Matrix3 start{};
        least_square_sum(sums, &start);
        return from_rotation(start);
    }

    bool from_rotation(const Matrix3& start) {
        assign(start, current);
        for (const auto& [mirror, seen] : converged)
            if (mirror == mirrored && seen == current) return false;
        Matrix3 rotation{};
        const double msd = superpose(current, rotation);
        return descend(rotation, msd);
    }

    // Starts that lay the principal axes of q on those of p, in the four ways that keep
    // the handedness of the frame.
    bool from_principal_axes(const PrincipalAxes& of_p, const PrincipalAxes& of_q) {
        static const int SIGNS[4][3] = {{1, 1, 1}, {1, -1, -1}, {-1, 1, -1}, {-1, -1, 1}};
        for (const auto& sign : SIGNS) {
            Matrix3 start{};
            for (std::size_t k = 0; k < 3; ++k) {
                const CVECTOR& u = of_p.axes[k];
                const CVECTOR& v = of_q.axes[k];
                const double uc[3] = {u.x, u.y, u.z};
                const double vc[3] = {v.x, v.y, v.z};
                for (std::size_t r = 0; r < 3; ++r)
                    for (std::size_t c = 0; c < 3; ++c) start[r * 3 + c] += sign[k] * uc[r] * vc[c];
            }
            if (from_rotation(start)) return true;
        }
        return false;
    }

    // Starts that lay three far-apart atoms of p on atoms of their classes in q that lie
    // about as far apart: where principal axes are free to turn, a triangle is not.
    bool from_anchors() {
        const std::size_t m = p.size();
        if (m < 3) return false;
        const auto farthest = [&](auto distance) {
            std::size_t best = 0;
            for (std::size_t i = 1; i < m; ++i)
                if (distance(i) > distance(best)) best = i;
            return best;
        };
        const std::size_t a1 = farthest([&](std::size_t i) { return p[i].square(); });
        const std::size_t a2 = farthest([&](std::size_t i) { return (p[i] - p[a1]).square(); });
        const CVECTOR side = p[a2] - p[a1];
        const std::size_t a3 =
            farthest([&](std::size_t i) { return ((p[i] - p[a1]) % side).square(); });
        if (((p[a3] - p[a1]) % side).module() < 1e-3) return false;
        const double d12 = p[a1].distance(p[a2]);
        const double d13 = p[a1].distance(p[a3]);
        const double d23 = p[a2].distance(p[a3]);
        const auto near = [&](int x, int y, double d) {
            return std::fabs(moving[x].distance(moving[y]) - d) <= ANCHOR_SLACK;
        };
        const auto& classes = identity.compared_classes;
        const auto& class_of = identity.class_of_position;
        int tried = 0;
        for (int b1 : classes[class_of[a1]]) {
            for (int b2 : classes[class_of[a2]]) {
                if (b2 == b1 || !near(b1, b2, d12)) continue;
                for (int b3 : classes[class_of[a3]]) {
                    if (b3 == b1 || b3 == b2 || !near(b1, b3, d13) || !near(b2, b3, d23)) continue;
                    const CVECTOR cp = (p[a1] + p[a2] + p[a3]) / 3.0;
                    const CVECTOR cq = (moving[b1] + moving[b2] + moving[b3]) / 3.0;
                    PairSums sums;
                    sums.add(p[a1] - cp, moving[b1] - cq);
                    sums.add(p[a2] - cp, moving[b2] - cq);
                    sums.add(p[a3] - cp, moving[b3] - cq);
                    Matrix3 start{};
                    least_square_sum(sums, &start);
                    if (from_rotation(start)) return true;
                    if (++tried >= MOST_ANCHOR_STARTS) return false;
                }
            }
        }
        return false;
    }

    const Fit& result() const { return best; }

private:
    const ConformerIdentity& identity;
    const std::vector<CVECTOR>& p;
    const std::vector<CVECTOR>& q;
    const double squares;
    const double stop;
    bool mirrored = false;
    std::vector<CVECTOR> moving;
    std::vector<CVECTOR> moved;
    std::vector<int> current;
    std::vector<int> next;
    std::vector<double> costs;
    std::vector<std::pair<bool, std::vector<int>>> converged;
    Fit best;

    // Pairs the atoms `from` of p with the atoms `to` of the turned q (equal counts) by
    // the least total squared distance. Two or three atoms (a methyl's hydrogens, a ring's
    // ortho pair: nearly every class) are paired here by trying their 2 or 6 pairings in
    // place, identity first as least_cost_pairing does, since this runs in the innermost
    // loop; larger classes go to least_cost_pairing (the Hungarian method).
    void pair(const std::vector<int>& from, const std::vector<int>& to,
              std::vector<int>& matching) {
        const std::size_t k = from.size();
        if (k == 1) {
            matching[from[0]] = to[0];
            return;
        }
        const auto cost = [&](std::size_t x, std::size_t y) {
            return (p[from[x]] - moved[to[y]]).square();
        };
        if (k == 2) {
            const bool swap = cost(0, 1) + cost(1, 0) < cost(0, 0) + cost(1, 1);
            matching[from[0]] = to[swap ? 1 : 0];
            matching[from[1]] = to[swap ? 0 : 1];
            return;
        }
        if (k == 3) {
            static const int PAIRINGS[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 0, 2},
                                               {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};
            double c[3][3];
            for (std::size_t x = 0; x < 3; ++x)
                for (std::size_t y = 0; y < 3; ++y) c[x][y] = cost(x, y);
            int best_pairing = 0;
            double least = std::numeric_limits<double>::infinity();
            for (int t = 0; t < 6; ++t) {
                const double total =
                    c[0][PAIRINGS[t][0]] + c[1][PAIRINGS[t][1]] + c[2][PAIRINGS[t][2]];
                if (total < least) {
                    least = total;
                    best_pairing = t;
                }
            }
            for (std::size_t x = 0; x < 3; ++x) matching[from[x]] = to[PAIRINGS[best_pairing][x]];
            return;
        }
        costs.resize(k * k);
        for (std::size_t x = 0; x < k; ++x)
            for (std::size_t y = 0; y < k; ++y) costs[x * k + y] = cost(x, y);
        const std::vector<int> partner = detail::least_cost_pairing(costs, static_cast<int>(k));
        for (std::size_t x = 0; x < k; ++x) matching[from[x]] = to[partner[x]];
    }

    // The matching of least total squared distance with q turned by `rotation`, class by
    // class; atoms alone in their class keep their place. Terminal atoms come last: those
    // on one parent go to the atoms on the parent's partner (a methyl's hydrogens to the
    // hydrogens of the methyl it was matched with), which keeps bonds whole and turns a
    // class of nine tert-butyl hydrogens into three small pairings.
    void assign(const Matrix3& rotation, std::vector<int>& matching) {
        std::iota(matching.begin(), matching.end(), 0);
        for (std::size_t j = 0; j < moving.size(); ++j) moved[j] = rotated(rotation, moving[j]);
        for (int c : identity.inner_classes) {
            const std::vector<int>& members =
                identity.compared_classes[static_cast<std::size_t>(c)];
            pair(members, members, matching);
        }
        for (const TerminalClass& terminal : identity.terminal_classes) {
            for (std::size_t g = 0; g < terminal.on_parent.size(); ++g) {
                const int mate = matching[static_cast<std::size_t>(terminal.parents[g])];
                const int other = terminal.group_of_parent[static_cast<std::size_t>(mate)];
                pair(terminal.on_parent[g], terminal.on_parent[static_cast<std::size_t>(other)],
                     matching);
            }
        }
    }

    // The least mean square deviation for a matching, and its rotation.
    double superpose(const std::vector<int>& matching, Matrix3& rotation) const {
        PairSums sums;
        for (std::size_t i = 0; i < p.size(); ++i) sums.add_correlation(p[i], moving[matching[i]]);
        sums.squares = squares;
        return least_square_sum(sums, &rotation) / static_cast<double>(p.size());
    }

    // Alternates matching and superposition from `current` until the matching stays.
    bool descend(Matrix3 rotation, double msd) {
        for (int round = 0; round < MOST_ROUNDS; ++round) {
            assign(rotation, next);
            if (next == current) break;
            Matrix3 turned{};
            const double value = superpose(next, turned);
            if (value >= msd) break;
            current.swap(next);
            rotation = turned;
            msd = value;
        }
        if (msd < best.msd) best = {msd, mirrored, rotation, current};
        converged.emplace_back(mirrored, current);
        return best.msd <= stop;
    }
};

// The starts, cheapest and likeliest first: the atoms alone in their classes laid on
// each other, and all atoms in their given order (a geometry whose symmetric groups
// turned - a methyl, a phenyl flipped, a tert-butyl turned - still lies on the other at
// its unique atoms and mostly in atom order, and the matching then corrects the groups);
// then the principal axes laid on each other, which find the fit whatever the
// numbering when the molecule's shape fixes its axes; then, for a symmetric top, anchor
// triangles. Each start with its own handedness and, when mirror images count, with the
// mirror image too.
ConformerIdentity::Fit ConformerIdentity::search(const PreparedConformer& a,
                                                 const PreparedConformer& b,
                                                 double stop_msd) const {
    if (a.points.empty()) return Fit{};
    FitSearch search(*this, a.points, b.points, a.squares + b.squares, stop_msd);
    std::vector<bool> hands = {false};
    if (compares_mirror_images()) hands.push_back(true);
    const auto finish = [&]() { return search.result(); };
    for (bool mirror : hands) {
        search.use_mirror_image(mirror);
        if (search.from_unique_atoms() || search.from_atom_order()) return finish();
    }
    for (bool mirror : hands) {
        search.use_mirror_image(mirror);
        if (search.from_principal_axes(a.spread, b.spread)) return finish();
    }
    if (axes_free_to_turn(a.spread) || axes_free_to_turn(b.spread)) {
        for (bool mirror : hands) {
            search.use_mirror_image(mirror);
            if (search.from_anchors()) return finish();
        }
    }
    return finish();
}

BestFit ConformerIdentity::best_fit(const PreparedConformer& a, const PreparedConformer& b) const {
    check_prepared(a, b);
    const Fit fit = search(a, b, EXACT_MSD);
    BestFit result;
    result.rmsd = std::sqrt(fit.msd);
    result.mirrored = fit.mirrored;
    result.partner.assign(static_cast<std::size_t>(get_size()) + 1, 0);
    for (std::size_t i = 0; i < fit.matching.size(); ++i)
        result.partner[static_cast<std::size_t>(compared[i])] =
            compared[static_cast<std::size_t>(fit.matching[i])];
    for (int atom : left_out) result.partner[static_cast<std::size_t>(atom)] = atom;
    // The atoms left out of the fit follow it: matched within their classes by the least
    // squared distance once the compared atoms are laid on each other.
    const double sign = fit.mirrored ? -1.0 : 1.0;
    std::vector<double> costs;
    for (const std::vector<int>& c : left_out_classes) {
        costs.assign(c.size() * c.size(), 0.0);
        for (std::size_t x = 0; x < c.size(); ++x)
            for (std::size_t y = 0; y < c.size(); ++y)
                costs[x * c.size() + y] =
                    (a.others[c[x]] - rotated(fit.rotation, b.others[c[y]] * sign)).square();
        const std::vector<int> partner =
            detail::least_cost_pairing(costs, static_cast<int>(c.size()));
        for (std::size_t x = 0; x < c.size(); ++x)
            result.partner[static_cast<std::size_t>(left_out[c[x]])] = left_out[c[partner[x]]];
    }
    return result;
}

}  // namespace confsearch
