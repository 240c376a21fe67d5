// The walk of the one-file generator: the pairs of atoms each bond's placing makes final,
// the start geometries checked once each for what no turn changes (the pairs no bond moves
// apart, the configured stereocentres), the geometry of every level turned from the level
// above (never step on step, so that rounding does not add up), side corrections chosen
// alike for a molecule and its mirror image, and the counts of the run.
#include "CSearch/candidate_run.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <limits>
#include <utility>

#include "CConformer/perception_messages.h"
#include "CConformer/vdw_radii.h"
#include "CMyMath/axes.h"

namespace confsearch {

namespace {

// Atoms this many bonds apart or more are tested; closer ones keep their distance under
// every turn (a bond length, or an angle's two ends).
const int TESTED_SEPARATION = 3;
// The side correction: up to this many sixths of a step either way, as the three-file
// generator turns a clashing bond aside.
const int MOST_CORRECTION = 3;
const int CORRECTION_UNITS = 6;

// The bonds between every atom and every other (graph distances), breadth first.
std::vector<std::vector<int>> separations(const CBondGraph& graph) {
    const int n = graph.get_size();
    std::vector<std::vector<int>> apart(static_cast<std::size_t>(n),
                                        std::vector<int>(static_cast<std::size_t>(n), -1));
    for (int start = 1; start <= n; ++start) {
        std::vector<int>& row = apart[start - 1];
        std::vector<int> queue = {start};
        row[start - 1] = 0;
        for (std::size_t k = 0; k < queue.size(); ++k)
            for (const int next : graph.get_neighbours(queue[k]))
                if (row[next - 1] < 0) {
                    row[next - 1] = row[queue[k] - 1] + 1;
                    queue.push_back(next);
                }
    }
    return apart;
}

// A turn of `angle` radians, right-handed about the direction from `from` to `to`.
class Turn {
public:
    Turn(const CVECTOR& from, const CVECTOR& to, double angle) : origin(from) {
        const CVECTOR k = (to - from).normal();
        const double c = std::cos(angle);
        const double s = std::sin(angle);
        const double t = 1 - c;
        m = {t * k.x * k.x + c,       t * k.x * k.y - s * k.z, t * k.x * k.z + s * k.y,
             t * k.x * k.y + s * k.z, t * k.y * k.y + c,       t * k.y * k.z - s * k.x,
             t * k.x * k.z - s * k.y, t * k.y * k.z + s * k.x, t * k.z * k.z + c};
    }
    CVECTOR operator()(const CVECTOR& p) const {
        const CVECTOR v = p - origin;
        return CVECTOR(m[0] * v.x + m[1] * v.y + m[2] * v.z, m[3] * v.x + m[4] * v.y + m[5] * v.z,
                       m[6] * v.x + m[7] * v.y + m[8] * v.z) +
               origin;
    }

private:
    CVECTOR origin;
    std::array<double, 9> m{};
};

std::string fixed3(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", value);
    return text;
}

// The words of the start geometries in the log.
const char* const START = "start ";
const char* const OF = " of ";
const char* const DROPPED = ": dropped: ";
const char* const INVERTED = " inverted";
const char* const CHANGED = " changed its configuration";

std::vector<CVECTOR> positions_of(const CBasicConformer& geometry) {
    std::vector<CVECTOR> positions;
    for (int i = 1; i <= geometry.get_size(); ++i) positions.push_back(geometry.get_vector(i));
    return positions;
}

std::string whole_degrees(double radians) {
    char text[32];
    std::snprintf(text, sizeof text, "%.0f", radians * 180 / PI);
    return text;
}

}  // namespace

CandidateRun::CandidateRun(const CBasicConformer& molecule, const CBondGraph& graph,
                           const CZmatrixTree& tree, const std::vector<TorsionChoice>& torsions,
                           const CandidateRules& rules, const StartOptions& start_options)
    : CandidateRun(molecule, graph, tree, torsions, rules,
                   StartGeometries(molecule, graph, start_options)) {}

CandidateRun::CandidateRun(const CandidatePlan& plan, const CandidateRules& rules)
    : CandidateRun(plan.get_molecule(), plan.get_setup().get_bonds(), plan.get_setup().get_tree(),
                   plan.get_torsions(), rules, plan.get_starts()) {}

CandidateRun::CandidateRun(const CBasicConformer& molecule, const CBondGraph& graph,
                           const CZmatrixTree& tree, const std::vector<TorsionChoice>& torsions,
                           const CandidateRules& rules, StartGeometries starts)
    : starts(std::move(starts)),
      graph(graph),
      classes(graph),
      centres(find_stereocentres(graph, classes, molecule)) {
    const int n = molecule.get_size();
    for (int i = 1; i <= n; ++i) {
        input.push_back(molecule.get_vector(i));
        symbols.push_back(molecule.get_element(i).get_symbol());
    }
    for (const TorsionChoice& torsion : torsions) {
        if (!torsion.turned()) continue;
        bonds.push_back(torsion);
        Bond bond{torsion.fixed_atom - 1, torsion.moving_atom - 1, {}, {}};
        for (const int atom : tree.get_subtree(torsion.moving_atom)) bond.side.push_back(atom - 1);
        walk_bonds.push_back(bond);
    }

    // A pair's distance is final once the last bond that turns one of its atoms and not
    // the other has its position; it is tested at that bond.
    const std::vector<std::vector<int>> apart = separations(graph);
    std::vector<std::vector<bool>> moves(walk_bonds.size(),
                                         std::vector<bool>(static_cast<std::size_t>(n), false));
    // The moving atom lies on the bond's axis: the turn leaves it in place.
    for (std::size_t k = 0; k < walk_bonds.size(); ++k)
        for (const int atom : walk_bonds[k].side) moves[k][atom] = atom != walk_bonds[k].moving;
    for (int a = 0; a < n; ++a) {
        for (int b = a + 1; b < n; ++b) {
            if (apart[a][b] >= 0 && apart[a][b] < TESTED_SEPARATION) continue;
            int last = -1;
            for (std::size_t k = 0; k < walk_bonds.size(); ++k)
                if (moves[k][a] != moves[k][b]) last = static_cast<int>(k);
            const CELEMENT ea = molecule.get_element(a + 1);
            const CELEMENT eb = molecule.get_element(b + 1);
            const double bonding = ea.bond_distance(eb);
            double limit = 0.0;
            if (rules.physical_clashes) {
                // A hydrogen's donor is its one neighbour.
                const auto donor = [&](int atom) {
                    const std::vector<int>& around = graph.get_neighbours(atom + 1);
                    return around.size() == 1 ? graph.get_element(around[0]) : 0;
                };
                const int za = ea.get_number();
                const int zb = eb.get_number();
                const bool hydrogen_bond =
                    hydrogen_bond_pair(za, zb, za == 1 ? donor(a) : donor(b));
                limit = physical_clash_limit(za, zb, hydrogen_bond);
            }
            const Pair pair{a, b, bonding * bonding, limit * limit, std::max(limit, bonding)};
            if (last >= 0) {
                walk_bonds[static_cast<std::size_t>(last)].pairs.push_back(pair);
            } else {
                const double square = (input[a] - input[b]).square();
                if (square >= pair.limit_square && square > pair.bonding_square)
                    fixed_pairs.push_back(pair);
            }
        }
    }
}

std::size_t CandidateRun::get_pair_count() const {
    std::size_t count = 0;
    for (const Bond& bond : walk_bonds) count += bond.pairs.size();
    return count;
}

Combinations CandidateRun::get_combinations() const {
    Combinations turns = 1;
    for (const TorsionChoice& bond : bonds) turns *= static_cast<Combinations>(bond.positions);
    return saturating_product(starts.count(), turns);
}

std::string CandidateRun::rejection(const StartGeometry& start,
                                    const std::vector<CVECTOR>& positions) const {
    const auto atom = [&](int number) {
        return atom_name(number, symbols[static_cast<std::size_t>(number - 1)]);
    };
    // A centre turned inside out (CH2 groups and pyramids included) stays so under every
    // turn; a clash the start's own check found may yet be turned away, and is left to
    // the walk and to the pairs below.
    if (start.inverted_centre != 0) return atom(start.inverted_centre) + INVERTED;
    const std::vector<Stereocentre> found = find_stereocentres(graph, classes, start.geometry);
    for (const Stereocentre& centre : centres) {
        const auto same = std::find_if(found.begin(), found.end(), [&](const Stereocentre& c) {
            return c.atom == centre.atom && c.handedness == centre.handedness;
        });
        if (same == found.end()) return atom(centre.atom) + CHANGED;
    }
    for (const Pair& p : fixed_pairs) {
        const double square = (positions[p.a] - positions[p.b]).square();
        if (square < p.limit_square || square <= p.bonding_square)
            return "atoms " + std::to_string(p.a + 1) + " and " + std::to_string(p.b + 1) + " " +
                   fixed3(std::sqrt(square)) + " angstrom apart (limit " + fixed3(p.limit) + ")";
    }
    return "";
}

class CandidateRun::Walk {
public:
    Walk(const CandidateRun& run, const std::function<void(const Candidate&)>& take,
         const std::function<void(Combinations)>& done,
         const std::function<void(const std::string&)>& log)
        : run(run), take(take), done(done), log(log) {
        const std::size_t levels = run.walk_bonds.size();
        geometries.assign(levels, run.input);
        positions.assign(levels, 0);
        candidate.turns.assign(levels, 0.0);
        below.assign(levels + 1, 1);
        for (std::size_t k = levels; k-- > 0;)
            below[k] = below[k + 1] * static_cast<Combinations>(run.bonds[k].positions);
        counts.starts = run.starts.count();
        counts.combinations = saturating_product(counts.starts, below[0]);
    }

    CandidateCounts walk() {
        for (std::uint64_t s = 0; s < counts.starts; ++s) {
            candidate.start = s;
            std::vector<CVECTOR> base = run.input;
            std::string why;
            if (s == 0) {
                candidate.start_name = run.starts.name(0);
            } else {
                const StartGeometry start = run.starts.build(s);
                candidate.start_name = start.name;
                base = positions_of(start.geometry);
                why = run.rejection(start, base);
            }
            if (log && counts.starts > 1)
                log(START + std::to_string(s + 1) + OF + std::to_string(counts.starts) + ": " +
                    candidate.start_name + (why.empty() ? "" : DROPPED + why));
            if (!why.empty()) {
                ++counts.dropped_starts;
                counts.dropped += below[0];
                walked += below[0];
                if (done) done(walked);
            } else if (run.walk_bonds.empty()) {
                candidate.positions = base;
                accept();
            } else {
                level(0, base);
            }
        }
        return counts;
    }

private:
    const CandidateRun& run;
    const std::function<void(const Candidate&)>& take;
    const std::function<void(Combinations)>& done;
    const std::function<void(const std::string&)>& log;
    std::vector<std::vector<CVECTOR>> geometries;
    std::vector<int> positions;
    std::vector<Combinations> below;
    Candidate candidate;
    CandidateCounts counts;
    Combinations walked = 0;

    // The geometry of level k with its bond turned by angle from base.
    const std::vector<CVECTOR>& place(std::size_t k, const std::vector<CVECTOR>& base,
                                      double angle) {
        const Bond& bond = run.walk_bonds[k];
        std::vector<CVECTOR>& g = geometries[k];
        g = base;
        const Turn turn(base[bond.fixed], base[bond.moving], angle);
        for (const int atom : bond.side) g[atom] = turn(base[atom]);
        return g;
    }

    // The first clashing pair of those bond k makes final; nullptr when none clashes.
    const Pair* clash(std::size_t k, const std::vector<CVECTOR>& g) const {
        for (const Pair& p : run.walk_bonds[k].pairs) {
            const double square = (g[p.a] - g[p.b]).square();
            if (square < p.limit_square || square <= p.bonding_square) return &p;
        }
        return nullptr;
    }

    // How far the closest pair stays beyond its limit (angstrom): the better of two side
    // corrections that both free a bond.
    double margin(std::size_t k, const std::vector<CVECTOR>& g) const {
        double least = std::numeric_limits<double>::infinity();
        for (const Pair& p : run.walk_bonds[k].pairs)
            least = std::min(least, g[p.a].distance(g[p.b]) - p.limit);
        return least;
    }

    std::string atom(int index) const {
        return std::to_string(index + 1) + " (" + run.symbols[static_cast<std::size_t>(index)] +
               ")";
    }
    std::string combination(std::size_t k) const {
        std::string text;
        for (std::size_t j = 0; j < positions.size(); ++j)
            text += j <= k ? static_cast<char>('1' + positions[j]) : '?';
        return text;
    }
    std::string bond_name(std::size_t k) const {
        const TorsionChoice& t = run.bonds[k];
        return std::to_string(t.fixed_atom) + "-" + std::to_string(t.moving_atom);
    }

    void accept() {
        ++counts.accepted;
        take(candidate);
        ++walked;
        if (done) done(walked);
    }

    // The side correction that frees bond k, in units of a sixth of a step: the smallest
    // turn aside that does, of two equal ones the one that leaves more room (a mirror
    // image then gets the mirror image's correction); 0 when none does.
    int correction(std::size_t k, const std::vector<CVECTOR>& base, double angle) {
        const double unit = run.bonds[k].step() / CORRECTION_UNITS;
        for (int size = 1; size <= MOST_CORRECTION; ++size) {
            const bool forward = clash(k, place(k, base, angle + size * unit)) == nullptr;
            const double forward_margin = forward ? margin(k, geometries[k]) : 0.0;
            const bool backward = clash(k, place(k, base, angle - size * unit)) == nullptr;
            if (forward && backward)
                return margin(k, geometries[k]) > forward_margin ? -size : size;
            if (forward) return size;
            if (backward) return -size;
        }
        return 0;
    }

    void level(std::size_t k, const std::vector<CVECTOR>& base) {
        const TorsionChoice& bond = run.bonds[k];
        const double step = bond.step();
        for (int position = 0; position < bond.positions; ++position) {
            positions[k] = position;
            double angle = position * step;
            const Pair* first = clash(k, place(k, base, angle));
            if (first != nullptr) {
                const Pair found = *first;
                const double distance = geometries[k][found.a].distance(geometries[k][found.b]);
                const int units = correction(k, base, angle);
                if (units == 0) {
                    skip(k, found, distance);
                    continue;
                }
                angle += units * step / CORRECTION_UNITS;
                place(k, base, angle);
                ++counts.corrections;
                if (log)
                    log(combination(k) + ": bond " + bond_name(k) + " turned " +
                        whole_degrees(units * step / CORRECTION_UNITS) +
                        " degrees aside to free atoms " + atom(found.a) + " and " + atom(found.b));
            }
            candidate.turns[k] = angle;
            if (k + 1 == run.walk_bonds.size()) {
                candidate.positions = geometries[k];
                accept();
            } else {
                level(k + 1, geometries[k]);
            }
        }
    }

    void skip(std::size_t k, const Pair& found, double distance) {
        const Combinations skipped = below[k + 1];
        const bool bonding = distance * distance <= found.bonding_square;
        (bonding ? counts.clashing_bonding : counts.clashing_vdw) += skipped;
        if (log)
            log(combination(k) + ": bond " + bond_name(k) + ": atoms " + atom(found.a) + " and " +
                atom(found.b) + " " + fixed3(distance) + " angstrom apart (limit " +
                fixed3(found.limit) + "); " + std::to_string(skipped) +
                (skipped == 1 ? " combination" : " combinations") + " skipped");
        walked += skipped;
        if (done) done(walked);
    }
};

CandidateCounts CandidateRun::run(const std::function<void(const Candidate&)>& take,
                                  const std::function<void(Combinations)>& done,
                                  const std::function<void(const std::string&)>& log) const {
    return Walk(*this, take, done, log).walk();
}

}  // namespace confsearch
