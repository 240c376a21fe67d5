#include "CConformer/basic_conformer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <iostream>
#include <vector>

#include "pairing.h"

using namespace confsearch;

namespace {

const char* const ELEM_NOT_EQUAL = " elem not equal.  ";
const char* const ELEM_DIFFERENCE = " elem : ";
const char* const NO_MATCHING = " No matching!";

// The interchangeable atoms of an equivalence list: entry 0 holds the count, entries
// 1..count the atoms; a missing list or a count of 0 or less lists nothing.
int listed_count(const int* equiv) { return (equiv != nullptr && equiv[0] > 0) ? equiv[0] : 0; }

bool is_listed(int atom, const int* equiv) {
    const int count = listed_count(equiv);
    for (int j = 1; j <= count; ++j)
        if (equiv[j] == atom) return true;
    return false;
}

// Two positions count as the same when every coordinate differs by strictly less than
// tol: a box, not a sphere.
bool within_box(const CVECTOR& p, const CVECTOR& q, double tol) {
    return std::fabs(p.x - q.x) < tol && std::fabs(p.y - q.y) < tol && std::fabs(p.z - q.z) < tol;
}

bool within_window(double difference, double tol) { return -tol < difference && difference < tol; }

// Moves and turns `moving` rigidly so that its atom k coincides with other's atom k,
// its atom a lies on the ray from there through other's atom a, and its atom b lies in
// the half-plane, bounded by that ray, which holds other's atom b. Anchors a and b are
// taken a third and two thirds of the way round the atom list from k, so that any
// molecule of three or more atoms gives three distinct anchors.
// Marked inline: with both pairings calling it the compiler no longer inlines it by
// itself, and the call then costs the duplicate filter 0.3 % more instructions.
inline void superpose(CCLUSTER& moving, const CCLUSTER& other, int k) {
    const std::array<int, 3> anchors = superposition_anchors(k, moving.get_size());
    const int a = anchors[1];
    const int b = anchors[2];

    moving.move(other[k] - moving[k]);

    const CVECTOR pivot = moving[k];
    const CVECTOR mine_a = moving[a] - pivot;
    const CVECTOR theirs_a = other[a] - other[k];
    const CVECTOR axis = mine_a % theirs_a;
    if (axis.module() > DOUBLE_PRECISION) {
        const double angle = other[k].p_angle(moving[a], other[a]);
        moving.rotate(pivot, pivot + axis, angle);
    } else if (mine_a * theirs_a < 0) {
        // Atom a points exactly the opposite way: there is no axis from the cross
        // product, but a half turn about any line perpendicular to the ray brings it
        // round. Left unturned, a copy turned by exactly that half turn would count as
        // a different conformer.
        CVECTOR perpendicular = theirs_a % CVECTOR(1, 0, 0);
        if (perpendicular.module() <= DOUBLE_PRECISION) perpendicular = theirs_a % CVECTOR(0, 1, 0);
        moving.rotate(pivot, pivot + perpendicular, PI);
    }

    const CVECTOR hinge = moving[a];
    const double twist = moving[b].p_dihang(pivot, hinge, other[b]);
    moving.rotate(pivot, hinge, twist);
}

// Pairs each listed atom equiv[j], in list order, with the first still unused listed atom
// m of the other side for which same(equiv[j], m) holds. The pairing is greedy and never
// undone, so an atom taken early may be missed by a later one that needed it. Each pair
// is reported as "a<j> b<slot> of <atom> <partner> same " followed by what `detail` adds.
template <typename Same, typename Detail>
bool match_listed(const int* equiv, Same same, Detail detail) {
    const int count = listed_count(equiv);
    if (count == 0) return true;
    std::vector<int> pool(equiv, equiv + count + 1);
    for (int j = 1; j <= count; ++j) {
        bool found = false;
        for (int m = 1; m <= count && !found; ++m) {
            if (pool[m] == 0 || !same(equiv[j], pool[m])) continue;
            std::cout << "\n\ta" << j << " b" << m << " of " << equiv[j] << " " << pool[m]
                      << " same ";
            detail(equiv[j], pool[m]);
            pool[m] = 0;
            found = true;
        }
        if (!found) {
            std::cout << '\n' << equiv[j] << NO_MATCHING;
            return false;
        }
    }
    std::cout << '\n';
    return true;
}

// The interchangeable atoms of an equivalence list, paired greedily.
struct GreedyList {
    const int* equiv;

    bool contains(int atom) const { return is_listed(atom, equiv); }
    template <typename Same, typename Cost, typename Detail>
    bool pair(Same same, Cost, Detail detail) const {
        return match_listed(equiv, same, detail);
    }
};

// The interchangeable atoms in groups, each paired within its group by the least total
// cost(atom, partner). A pair that fails same(atom, partner) costs more than any pairing
// whose pairs all pass could: the penalty exceeds n times the largest cost. So the pairing
// found keeps every atom within tolerance whenever one exists, and among those it is the
// one of least total cost.
//
// The pairs are reported as the greedy pairing reports them, as if the groups stood one
// after the other in one list: "a<j> b<m> of <atom> <partner> same ", j and m the places
// of the atom and its partner in that list. At the first atom whose partner fails, the
// report ends with "<atom> No matching!".
struct OptimalGroups {
    const InterchangeableGroups& groups;

    bool contains(int atom) const { return groups.contains(atom); }
    template <typename Same, typename Cost, typename Report>
    bool pair(Same same, Cost cost, Report report) const {
        if (groups.empty()) return true;
        int offset = 0;
        for (const std::vector<int>& group : groups.get_groups()) {
            const int n = static_cast<int>(group.size());
            std::vector<double> costs(static_cast<std::size_t>(n) * group.size());
            double largest = 0.0;
            for (int p = 0; p < n; ++p)
                for (int q = 0; q < n; ++q) {
                    const double c = cost(group[p], group[q]);
                    costs[static_cast<std::size_t>(p * n + q)] = c;
                    largest = std::max(largest, c);
                }
            const double penalty = 1.0 + n * largest;
            for (int p = 0; p < n; ++p)
                for (int q = 0; q < n; ++q)
                    if (!same(group[p], group[q]))
                        costs[static_cast<std::size_t>(p * n + q)] += penalty;
            const std::vector<int> partner = detail::least_cost_pairing(costs, n);
            for (int p = 0; p < n; ++p) {
                const int atom = group[p];
                const int mate = group[partner[p]];
                if (!same(atom, mate)) {
                    std::cout << '\n' << atom << NO_MATCHING;
                    return false;
                }
                std::cout << "\n\ta" << offset + p + 1 << " b" << offset + partner[p] + 1 << " of "
                          << atom << " " << mate << " same ";
                report(atom, mate);
            }
            offset += n;
        }
        std::cout << '\n';
        return true;
    }
};

template <typename Listed>
bool identical_by_superposition(const CCLUSTER& mine, const CCLUSTER& other, double tol, int k,
                                const Listed& listed) {
    CCLUSTER moved = mine;
    superpose(moved, other, k);

    const int n = moved.get_size();
    for (int i = 1; i <= n; ++i) {
        if (listed.contains(i)) continue;
        if (!within_box(other[i], moved[i], tol)) {
            std::cout << i << ELEM_NOT_EQUAL;
            return false;
        }
    }
    // Each listed atom of other takes a listed atom of this conformer.
    return listed.pair(
        [&](int theirs, int ours) { return within_box(moved[ours], other[theirs], tol); },
        [&](int theirs, int ours) { return (moved[ours] - other[theirs]).square(); },
        [](int, int) {});
}

// Distances from the reference atom survive any rigid motion and also a reflection, so
// this rule cannot tell mirror images apart.
template <typename Listed>
bool identical_by_distances(const CCLUSTER& mine, const CCLUSTER& other, double tol, int k,
                            const Listed& listed) {
    const int n = mine.get_size();
    auto difference = [&](int ours, int theirs) {
        return mine[k].distance(mine[ours]) - other[k].distance(other[theirs]);
    };
    for (int i = 1; i <= n; ++i) {
        if (i == k || listed.contains(i)) continue;
        const double d = difference(i, i);
        if (!within_window(d, tol)) {
            std::cout << i << ELEM_DIFFERENCE << d;
            return false;
        }
    }
    // Here it is this conformer's listed atom that takes an atom of other.
    return listed.pair(
        [&](int ours, int theirs) { return within_window(difference(ours, theirs), tol); },
        [&](int ours, int theirs) {
            const double d = difference(ours, theirs);
            return d * d;
        },
        [&](int ours, int theirs) { std::cout << difference(ours, theirs); });
}

}  // namespace

std::array<int, 3> confsearch::superposition_anchors(int k, int n) {
    int a = k + n / 3;
    int b = k + 2 * (n / 3);
    if (a > n) a -= n;
    if (b > n) b -= n;
    return {k, a, b};
}

bool confsearch::InterchangeableGroups::add(const std::vector<int>& atoms) {
    std::vector<int> joined = atoms;
    if (joined.empty()) return false;
    std::vector<std::vector<int>> kept;
    std::size_t place = groups.size();
    bool any = false;
    for (std::vector<int>& group : groups) {
        const bool shares = std::any_of(group.begin(), group.end(), [&](int atom) {
            return std::find(atoms.begin(), atoms.end(), atom) != atoms.end();
        });
        if (!shares) {
            kept.push_back(std::move(group));
            continue;
        }
        if (!any) place = kept.size();
        any = true;
        joined.insert(joined.end(), group.begin(), group.end());
    }
    std::sort(joined.begin(), joined.end());
    joined.erase(std::unique(joined.begin(), joined.end()), joined.end());
    if (!any) place = kept.size();
    kept.insert(kept.begin() + static_cast<std::ptrdiff_t>(place), std::move(joined));
    groups = std::move(kept);
    return any;
}

bool confsearch::InterchangeableGroups::contains(int atom) const {
    for (const std::vector<int>& group : groups)
        if (std::find(group.begin(), group.end(), atom) != group.end()) return true;
    return false;
}

bool CBasicConformer::identical_xyz(const CBasicConformer& other, double tol, int k,
                                    const int* equiv, IdentityRule rule) const {
    if (rule == IdentityRule::distance_profile) {
        if (other.size != size) throw size;
        return identical_by_distances(xyz, other.xyz, tol, k, GreedyList{equiv});
    }
    // Three anchors are needed to fix the orientation.
    if (other.size != size || size <= 2) throw size;
    return identical_by_superposition(xyz, other.xyz, tol, k, GreedyList{equiv});
}

bool CBasicConformer::identical_xyz(const CBasicConformer& other, double tol, int k,
                                    const InterchangeableGroups& groups, IdentityRule rule) const {
    for (const std::vector<int>& group : groups.get_groups())
        for (const int atom : group)
            if (atom < 1 || atom > size) throw size;
    if (rule == IdentityRule::distance_profile) {
        if (other.size != size) throw size;
        return identical_by_distances(xyz, other.xyz, tol, k, OptimalGroups{groups});
    }
    if (other.size != size || size <= 2) throw size;
    return identical_by_superposition(xyz, other.xyz, tol, k, OptimalGroups{groups});
}

bool CBasicConformer::match(const CBasicConformer& other, const int* map, double tol, int k,
                            const int* equiv, IdentityRule rule) const {
    if (map == nullptr) return identical_xyz(other, tol, k, equiv, rule);

    const int wanted = map[0];
    if (wanted > other.size || size < other.size) throw size;
    for (int i = 1; i <= size; ++i)
        if (map[i] > other.size) throw size;

    CBasicConformer mine_part(wanted);
    CBasicConformer other_part(wanted);
    // The reference atom and the listed atoms are numbered as in other; they follow
    // their atoms to the new numbering. Unmapped entries keep their old numbers.
    int part_k = k;
    const int count = listed_count(equiv);
    std::vector<int> part_equiv;
    if (equiv != nullptr) part_equiv.assign(equiv, equiv + count + 1);

    int placed = 0;
    for (int i = 1; i <= size && placed < wanted; ++i) {
        const int counterpart = map[i];
        if (counterpart <= 0) continue;
        ++placed;
        mine_part.set_exyz(placed, elements[i], xyz[i]);
        other_part.set_exyz(placed, other.elements[counterpart], other.xyz[counterpart]);
        if (counterpart == k) part_k = placed;
        for (int j = 1; j <= count; ++j)
            if (equiv[j] == counterpart) part_equiv[j] = placed;
    }
    return mine_part.identical_xyz(other_part, tol, part_k,
                                   equiv != nullptr ? part_equiv.data() : nullptr, rule);
}
