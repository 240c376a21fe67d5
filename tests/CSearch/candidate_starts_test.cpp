#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "CConformer.h"
#include "CSearch.h"
#include "ConformerSupport.h"

using namespace confsearch;

namespace {

struct Walked {
    CandidateCounts counts;
    std::vector<Candidate> candidates;
    Combinations turns = 0;  // the torsion combinations of one start
};

Walked walk(const CBasicConformer& molecule, const StartOptions& starts) {
    const CandidatePlan plan(molecule, {}, starts);
    Walked w;
    w.turns = plan.get_torsion_combinations();
    w.counts = CandidateRun(plan).run([&](const Candidate& c) { w.candidates.push_back(c); });
    return w;
}

CBasicConformer geometry_of(const CBasicConformer& molecule, const Positions& positions) {
    CBasicConformer g = molecule;
    for (int i = 1; i <= g.get_size(); ++i)
        g.set_exyz(i, g.get_element(i), positions[static_cast<std::size_t>(i - 1)]);
    return g;
}

const CVECTOR& at(const Positions& p, int atom) { return p[static_cast<std::size_t>(atom - 1)]; }

// The signed dihedral a-b-c-d in degrees.
double dihedral(const Positions& p, int a, int b, int c, int d) {
    const CVECTOR b1 = at(p, b) - at(p, a);
    const CVECTOR b2 = at(p, c) - at(p, b);
    const CVECTOR b3 = at(p, d) - at(p, c);
    const CVECTOR n1 = b1 % b2;
    const CVECTOR n2 = b2 % b3;
    return std::atan2(((n1 % n2) * b2) / b2.module(), n1 * n2) * 180 / PI;
}

// A chair: every ring torsion between 40 and 75 degrees, neighbouring ones of opposite
// sign (a twist-boat has two of about 30 and one of about 70 of one sign in a row).
bool chair(const Positions& p, const std::vector<int>& ring) {
    const std::size_t n = ring.size();
    double last = dihedral(p, ring[n - 1], ring[0], ring[1], ring[2]);
    for (std::size_t k = 0; k < n; ++k) {
        const double t =
            dihedral(p, ring[k], ring[(k + 1) % n], ring[(k + 2) % n], ring[(k + 3) % n]);
        if (std::fabs(t) < 40 || std::fabs(t) > 75 || t * last > 0) return false;
        last = t;
    }
    return true;
}

// Degrees between the bond a-b and the normal of the ring's mean plane: near 0 for an
// axial substituent, near 70 for an equatorial one.
double from_normal(const Positions& p, const std::vector<int>& ring, int a, int b) {
    CVECTOR centre;
    for (int atom : ring) centre = centre + at(p, atom);
    centre = centre / static_cast<double>(ring.size());
    CVECTOR normal;
    for (std::size_t k = 0; k < ring.size(); ++k)
        normal = normal + (at(p, ring[k]) - centre) % (at(p, ring[(k + 1) % ring.size()]) - centre);
    const CVECTOR bond = at(p, b) - at(p, a);
    return std::acos(std::fabs(bond * normal) / (bond.module() * normal.module())) * 180 / PI;
}

// The sign of the triple product of the directions from atom to three neighbours.
int pyramid(const Positions& p, int atom, const std::vector<int>& around) {
    const CVECTOR c = at(p, atom);
    return ((at(p, around[0]) - c) % (at(p, around[1]) - c)) * (at(p, around[2]) - c) > 0 ? 1 : -1;
}

std::vector<int> ring_with(const CBasicConformer& molecule, int atom) {
    const CBondGraph graph(molecule);
    for (const Ring& ring : find_rings(molecule, graph))
        if (ring.contains(atom)) return ring.atoms;
    return {};
}

}  // namespace

// Started with the substituent axial, in a twist-boat or with the wrong nitrogen pyramid,
// the run reaches the chair with the substituent equatorial and the other pyramid only
// from the start geometries: turning bonds alone never does.
TEST(CandidateStarts, StartsReachWhatTurnsCannot) {
    using Shape = std::function<bool(const CBasicConformer& input, const Positions&)>;
    // Atom b on ring atom a equatorial, the ring a chair.
    const auto equatorial_chair = [](int a, int b) -> Shape {
        return [a, b](const CBasicConformer& input, const Positions& p) {
            const std::vector<int> ring = ring_with(input, a);
            return chair(p, ring) && from_normal(p, ring, a, b) > 50;
        };
    };
    const auto inverted = [](int nitrogen) -> Shape {
        return [nitrogen](const CBasicConformer& input, const Positions& p) {
            const std::vector<int> around = CBondGraph(input).get_neighbours(nitrogen);
            Positions start;
            for (int i = 1; i <= input.get_size(); ++i) start.push_back(input.get_vector(i));
            return pyramid(p, nitrogen, around) != pyramid(start, nitrogen, around);
        };
    };
    struct Case {
        std::string molecule;
        StartOptions starts;
        Shape sought;
        bool found;
    };
    const Case cases[] = {
        {"methylcyclohexane_axial", {true, true}, equatorial_chair(1, 7), true},
        {"methylcyclohexane_axial", {false, true}, equatorial_chair(1, 7), false},
        // The phenyl's C4 on the ring's N7.
        {"phenylmorpholine_twist_boat", {true, true}, equatorial_chair(7, 4), true},
        {"phenylmorpholine_twist_boat", {false, true}, equatorial_chair(7, 4), false},
        // Inverting the ring nitrogen alone takes its methyl equatorial.
        {"n_methylpiperidine_axial", {false, true}, equatorial_chair(1, 7), true},
        {"n_methylpiperidine_axial", {true, false}, inverted(1), false},
        {"methylaminopropanol_inverted", {true, true}, inverted(5), true},
        {"methylaminopropanol_inverted", {true, false}, inverted(5), false},
    };
    for (const Case& k : cases) {
        const CBasicConformer input = support::molecule(k.molecule);
        const Walked w = walk(input, k.starts);
        bool found = false;
        for (const Candidate& c : w.candidates) found = found || k.sought(input, c.positions);
        EXPECT_EQ(found, k.found) << k.molecule << " rings " << k.starts.rings << " inversion "
                                  << k.starts.inversion;
    }
}

// Every start is counted (the input's forms and pyramids worked out by hand: a six-ring
// takes its flipped chair and six twist-boats, an invertible nitrogen doubles), every
// combination is accepted, skipped or dropped with its start, and the input's own
// candidates come first, exactly those of the torsions alone.
TEST(CandidateStarts, EveryCombinationCountedAndTheInputsWalkUnchanged) {
    struct Case {
        std::string molecule;
        std::uint64_t starts;
    };
    const Case cases[] = {
        {"menthol", 8},
        {"n_methylpiperidine_axial", 16},
        {"methylaminopropanol_inverted", 2},
        {"methylpiperidine_twist_boat", 16},
    };
    for (const Case& k : cases) {
        const CBasicConformer input = support::molecule(k.molecule);
        const Walked alone = walk(input, {false, false});
        const Walked all = walk(input, {});
        EXPECT_EQ(alone.counts.starts, 1u) << k.molecule;
        EXPECT_EQ(alone.counts.combinations, alone.turns) << k.molecule;
        EXPECT_EQ(all.counts.starts, k.starts) << k.molecule;
        EXPECT_EQ(all.counts.combinations, k.starts * all.turns) << k.molecule;
        EXPECT_EQ(all.counts.accepted + all.counts.clashing_bonding + all.counts.clashing_vdw +
                      all.counts.dropped,
                  all.counts.combinations)
            << k.molecule;
        ASSERT_GT(all.candidates.size(), alone.candidates.size()) << k.molecule;
        for (std::size_t n = 0; n < alone.candidates.size(); ++n) {
            const Candidate& c = all.candidates[n];
            EXPECT_EQ(c.start, 0u) << k.molecule;
            EXPECT_EQ(c.start_name, "input") << k.molecule;
            for (std::size_t i = 0; i < c.positions.size(); ++i)
                ASSERT_EQ(c.positions[i].distance(alone.candidates[n].positions[i]), 0.0)
                    << k.molecule << " candidate " << n;
        }
        EXPECT_NE(all.candidates.back().start, 0u) << k.molecule;
    }
}

// No candidate of a chiral ring inverts a configured stereocentre: menthol's three
// carbons, 2-methylpiperidine's carbon (its N-H pyramid inverts, a conformation).
TEST(CandidateStarts, StereocentresNeverChange) {
    for (const std::string name : {"menthol", "methylpiperidine_twist_boat"}) {
        const CBasicConformer input = support::molecule(name);
        const CBondGraph graph(input);
        const SymmetryClasses classes(graph);
        const std::vector<Stereocentre> centres = find_stereocentres(graph, classes, input);
        ASSERT_FALSE(centres.empty()) << name;
        std::size_t from_other_starts = 0;
        for (const Candidate& c : walk(input, {}).candidates) {
            from_other_starts += c.start != 0;
            const std::vector<Stereocentre> found =
                find_stereocentres(graph, classes, geometry_of(input, c.positions));
            ASSERT_EQ(found.size(), centres.size()) << name << ": " << c.start_name;
            for (std::size_t k = 0; k < centres.size(); ++k) {
                EXPECT_EQ(found[k].atom, centres[k].atom) << name << ": " << c.start_name;
                EXPECT_EQ(found[k].handedness, centres[k].handedness)
                    << name << ": " << c.start_name << ", atom " << centres[k].atom;
            }
        }
        EXPECT_GT(from_other_starts, 0u) << name;
    }
}

// The listing names every ring by its atoms and every invertible nitrogen with what is
// taken of it; the limit advice counts the run without each.
TEST(CandidateStarts, ListingAndAdviceNameRingsAndNitrogens) {
    struct Case {
        std::string molecule;
        StartOptions starts;
        std::vector<std::string> lines;  // each a whole line of the listing
        std::string absent;
        Combinations combinations;
        Combinations without_rings;
        Combinations without_inversion;
    };
    const Case cases[] = {
        {"n_methylpiperidine_axial",
         {},
         {"ring 1 (N1..C6): chair in the input; 7 forms also taken: flipped chair; "
          "twist-boat N1-C2/C4-C5 +; twist-boat N1-C2/C4-C5 -; twist-boat C2-C3/C5-C6 +; "
          "twist-boat C2-C3/C5-C6 -; twist-boat C3-C4/C6-N1 +; twist-boat C3-C4/C6-N1 -",
          "atom 1 (N), pyramid as in the input and inverted"},
         "",
         16,
         2,
         8},
        {"n_methylpiperidine_axial",
         {false, false},
         {"ring 1 (N1..C6), kept: on request", "atom 1 (N), pyramid kept: on request"},
         "",
         1,
         1,
         1},
        // The anilino N is planar by conjugation: not listed.
        {"phenylmorpholine_twist_boat",
         {},
         {"ring 1 (C1..C6), kept: aromatic"},
         "atom 7 (N), pyramid",
         8,
         1,
         8},
        {"methylaminopropanol_inverted",
         {},
         {"atom 5 (N), pyramid as in the input and inverted"},
         "ring",
         54,
         54,
         27},
    };
    for (const Case& k : cases) {
        const CandidatePlan plan(support::molecule(k.molecule), {}, k.starts);
        const std::string listing = "\n" + plan.listing();
        for (const std::string& line : k.lines)
            EXPECT_NE(listing.find("\n" + line + "\n"), std::string::npos)
                << k.molecule << ": " << line << "\n"
                << listing;
        if (!k.absent.empty()) {
            EXPECT_EQ(listing.find(k.absent), std::string::npos) << listing;
        }
        EXPECT_EQ(plan.get_combinations(), k.combinations) << k.molecule;
        const LimitAdvice advice = limit_advice(plan, 0);
        EXPECT_EQ(advice.without_rings, k.without_rings) << k.molecule;
        EXPECT_EQ(advice.without_inversion, k.without_inversion) << k.molecule;
    }
}
