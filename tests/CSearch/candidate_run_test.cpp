#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "CConformer.h"
#include "CSearch.h"
#include "ConformerSupport.h"

using namespace confsearch;

namespace {

CBasicConformer example(const std::string& path) {
    CBasicConformer molecule;
    EXPECT_TRUE(read_xyz_file(std::string(EXAMPLES_DIR) + "/" + path, molecule).ok()) << path;
    return molecule;
}

CBasicConformer mirrored(const CBasicConformer& molecule) {
    CBasicConformer m = molecule;
    for (int i = 1; i <= m.get_size(); ++i) {
        const CVECTOR p = m.get_vector(i);
        m.set_exyz(i, m.get_element(i), CVECTOR(-p.x, p.y, p.z));
    }
    return m;
}

struct Outcome {
    CandidateCounts counts;
    std::vector<Candidate> candidates;
};

Outcome run(const CBasicConformer& molecule, const CandidateRules& rules = {}) {
    const CandidatePlan plan(molecule);
    const CConformerSetup& setup = plan.get_setup();
    const CandidateRun walk(molecule, setup.get_bonds(), setup.get_tree(), plan.get_torsions(),
                            rules);
    Outcome result;
    result.counts = walk.run([&](const Candidate& c) { result.candidates.push_back(c); });
    return result;
}

// Bonds between every two atoms, by breadth-first search from each.
std::vector<std::vector<int>> bonds_apart(const CBondGraph& graph) {
    const int n = graph.get_size();
    std::vector<std::vector<int>> apart(n + 1, std::vector<int>(n + 1, -1));
    for (int a = 1; a <= n; ++a) {
        std::vector<int> queue = {a};
        apart[a][a] = 0;
        for (std::size_t k = 0; k < queue.size(); ++k)
            for (const int b : graph.get_neighbours(queue[k]))
                if (apart[a][b] < 0) {
                    apart[a][b] = apart[a][queue[k]] + 1;
                    queue.push_back(b);
                }
    }
    return apart;
}

}  // namespace

// Every candidate lists the input's atoms in the input's order, keeps every bond at its
// length, and holds every two atoms three or more bonds apart at 0.7 of their van der
// Waals radii or more (an O-H...O or N-H...O hydrogen bond at 1.5 angstrom). Every
// combination is accepted or counted as skipped.
TEST(CandidateRun, CandidatesKeepBondsOrderAndRoom) {
    for (const std::string path : {"generator/leucine.xyz", "ibuprofen/ibuprofen.xyz"}) {
        const CBasicConformer molecule = example(path);
        const CBondGraph graph(molecule);
        const std::vector<std::vector<int>> apart = bonds_apart(graph);
        const Outcome r = run(molecule);
        EXPECT_EQ(r.counts.accepted + r.counts.clashing_bonding + r.counts.clashing_vdw,
                  r.counts.combinations)
            << path;
        EXPECT_EQ(r.candidates.size(), r.counts.accepted) << path;
        EXPECT_GT(r.counts.clashing_vdw, 0u) << path;
        const int n = molecule.get_size();
        for (const Candidate& c : r.candidates) {
            ASSERT_EQ(c.positions.size(), static_cast<std::size_t>(n));
            for (const PerceivedBond& bond : graph.get_bonds())
                ASSERT_NEAR(c.positions[bond.atom1 - 1].distance(c.positions[bond.atom2 - 1]),
                            bond.length, 1e-6)
                    << path << " bond " << bond.atom1 << "-" << bond.atom2;
            for (int a = 1; a <= n; ++a)
                for (int b = a + 1; b <= n; ++b) {
                    if (apart[a][b] < 3) continue;
                    const int za = graph.get_element(a);
                    const int zb = graph.get_element(b);
                    const int hydrogen = za == 1 ? a : b;
                    const int donor = graph.get_element(graph.get_neighbours(hydrogen)[0]);
                    const double limit =
                        physical_clash_limit(za, zb, hydrogen_bond_pair(za, zb, donor));
                    ASSERT_GE(c.positions[a - 1].distance(c.positions[b - 1]), limit)
                        << path << " atoms " << a << " and " << b;
                }
        }
    }
}

// Without the physical test only the generator's own rule (the bonding distance) skips:
// more candidates, none counted as a van der Waals clash.
TEST(CandidateRun, BondingDistanceAloneLetsMoreThrough) {
    const CBasicConformer ibuprofen = example("ibuprofen/ibuprofen.xyz");
    CandidateRules loose;
    loose.physical_clashes = false;
    const Outcome without = run(ibuprofen, loose);
    const Outcome with = run(ibuprofen);
    // The three-file generator turns every combination of ibuprofen's length-based bonds
    // clear of the bonding distances; so does this run with its own bonds (an atom on a
    // bond's axis, the hydroxyl O of 9-11, is tested where it last moves, at 7-9).
    EXPECT_EQ(without.counts.clashing_vdw, 0u);
    EXPECT_EQ(without.counts.clashing_bonding, 0u);
    EXPECT_EQ(without.counts.accepted, 648u);
    EXPECT_GT(without.counts.accepted, with.counts.accepted);
}

// Butane's central bond: the input and the two turns of 120 degrees, in that order; the
// C-C-C-C dihedral moves with the turn.
TEST(CandidateRun, TurnsAreMeasuredFromTheInput) {
    const CBasicConformer butane = support::molecule("butane");
    const Outcome r = run(butane);
    ASSERT_EQ(r.candidates.size(), 3u);
    const double dihedral = butane.get_vector(1).p_dihang(
        butane.get_vector(2), butane.get_vector(3), butane.get_vector(4));
    for (std::size_t k = 0; k < 3; ++k) {
        const Candidate& c = r.candidates[k];
        ASSERT_EQ(c.turns.size(), 1u);
        EXPECT_NEAR(c.turns[0], k * 2 * PI / 3, 1e-12);
        const double turned =
            c.positions[0].p_dihang(c.positions[1], c.positions[2], c.positions[3]);
        EXPECT_NEAR(std::remainder(turned - dihedral - c.turns[0], 2 * PI), 0.0, 1e-9) << k;
    }
}

// The mirror image of a molecule gives the mirror images of its candidates, side
// corrections included, when every bond turns through the full circle (lidocaine, whose
// substituted ring is kept, and leucine).
TEST(CandidateRun, MirrorImageGivesMirroredCandidates) {
    for (const CBasicConformer& molecule :
         {support::molecule("lidocaine"), example("generator/leucine.xyz")}) {
        const Outcome original = run(molecule);
        const Outcome image = run(mirrored(molecule));
        EXPECT_EQ(image.counts.accepted, original.counts.accepted);
        EXPECT_EQ(image.counts.corrections, original.counts.corrections);
        std::size_t found = 0;
        for (const Candidate& c : original.candidates) {
            for (const Candidate& m : image.candidates) {
                bool same = true;
                for (std::size_t i = 0; i < c.positions.size() && same; ++i) {
                    const CVECTOR p(-c.positions[i].x, c.positions[i].y, c.positions[i].z);
                    same = p.distance(m.positions[i]) < 1e-6;
                }
                if (same) {
                    ++found;
                    break;
                }
            }
        }
        EXPECT_EQ(found, original.candidates.size());
    }
}

// The turns of a para-phenylene ring's two bonds by half a turn each give the same
// geometry with the ring atoms renamed: of the four combinations two are repeats. A
// geometry moved as a whole is a repeat, a turned one is not.
TEST(RepeatFilter, RingFlipsAndRigidMotionsRepeat) {
    const CBasicConformer ibuprofen = example("ibuprofen/ibuprofen.xyz");
    const CConformerSetup setup(ibuprofen);
    std::vector<TorsionChoice> flips;
    for (const auto& [a, b] : {std::pair{1, 7}, std::pair{4, 12}}) {
        TorsionChoice t;
        t.fixed_atom = setup.get_tree().get_parent(b) == a ? a : b;
        t.moving_atom = t.fixed_atom == a ? b : a;
        t.steps = 2;
        t.positions = 2;
        flips.push_back(t);
    }
    CandidateRules loose;
    loose.physical_clashes = false;
    const CandidateRun walk(ibuprofen, setup.get_bonds(), setup.get_tree(), flips, loose);
    RepeatFilter filter(ibuprofen, setup.get_bonds());
    std::vector<bool> repeated;
    std::vector<Positions> geometries;
    walk.run([&](const Candidate& c) {
        repeated.push_back(filter.repeats(c.positions));
        geometries.push_back(c.positions);
    });
    EXPECT_EQ(repeated, (std::vector<bool>{false, false, true, true}));
    EXPECT_EQ(filter.get_kept(), 2u);

    // The second candidate turned by 90 degrees about z and moved: a repeat.
    Positions moved = geometries[1];
    for (CVECTOR& p : moved) p = CVECTOR(-p.y + 3.0, p.x - 1.0, p.z + 0.5);
    EXPECT_TRUE(filter.repeats(moved));
}

// The mirror image of a molecule gives the mirror images of its candidates, up to the
// molecule's symmetry: a ring's bond that takes only half a turn starts its steps from the
// input either way round.
TEST(RepeatFilter, MirrorImageCandidatesMatchUpToSymmetry) {
    const CBasicConformer ibuprofen = example("ibuprofen/ibuprofen.xyz");
    const CBasicConformer image = mirrored(ibuprofen);
    const Outcome original = run(ibuprofen);
    const Outcome reflected = run(image);
    ASSERT_EQ(reflected.counts.accepted, original.counts.accepted);
    const CBondGraph graph(image);
    RepeatFilter filter(image, graph, 1e-3);
    for (const Candidate& c : original.candidates) {
        Positions p = c.positions;
        for (CVECTOR& v : p) v.x = -v.x;
        filter.repeats(p);
    }
    const std::size_t distinct = filter.get_kept();
    for (const Candidate& c : reflected.candidates) EXPECT_TRUE(filter.repeats(c.positions));
    EXPECT_EQ(filter.get_kept(), distinct);
}
