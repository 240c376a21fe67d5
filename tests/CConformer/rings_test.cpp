#include <gtest/gtest.h>
#include "CConformer.h"

#include "ConformerSupport.h"
#include "PerceptionSupport.h"

#include <cmath>
#include <string>
#include <vector>

using namespace confsearch;

namespace {

using confsearch::find_rings;
using confsearch::Ring;

// What a chemist says of one ring: its size, whether it is aromatic, whether it holds a
// double (or aromatic) bond, and how many rings it shares a bond, three or more atoms, or
// one atom with.
struct Seen {
    int size;
    bool aromatic;
    bool double_bond;
    std::size_t fused;
    std::size_t bridged;
    std::size_t spiro;
};

void expect_rings(const std::string& name, const std::vector<Seen>& expected) {
    SCOPED_TRACE(name);
    const CBasicConformer molecule = support::molecule(name);
    const CBondGraph graph(molecule);
    const std::vector<Ring> rings = find_rings(molecule, graph);
    ASSERT_EQ(rings.size(), expected.size());
    for (std::size_t k = 0; k < rings.size(); ++k) {
        SCOPED_TRACE("ring " + std::to_string(k + 1));
        const Ring& ring = rings[k];
        EXPECT_EQ(ring.size(), expected[k].size);
        EXPECT_EQ(ring.aromatic, expected[k].aromatic);
        EXPECT_EQ(ring.double_bond, expected[k].double_bond);
        EXPECT_EQ(ring.fused.size(), expected[k].fused);
        EXPECT_EQ(ring.bridged.size(), expected[k].bridged);
        EXPECT_EQ(ring.spiro.size(), expected[k].spiro);
        // In ring order: each atom bonded to the next, the lowest first.
        for (int j = 0; j < ring.size(); ++j) {
            EXPECT_TRUE(graph.bonded(ring.atoms[static_cast<std::size_t>(j)],
                                     ring.atoms[static_cast<std::size_t>((j + 1) % ring.size())]));
            EXPECT_LE(ring.atoms.front(), ring.atoms[static_cast<std::size_t>(j)]);
        }
        EXPECT_LT(ring.atoms[1], ring.atoms.back());
    }
}

CBasicConformer mirrored(const CBasicConformer& molecule) {
    CBasicConformer image(molecule);
    for (int i = 1; i <= molecule.get_size(); ++i) {
        const CVECTOR p = molecule.get_vector(i);
        image.set_exyz(i, molecule.get_element(i), CVECTOR(-p.x, p.y, p.z));
    }
    return image;
}

}  // namespace

TEST(RingPerception, FindsTheRingsAChemistSees) {
    const Seen saturated6 = {6, false, false, 0, 0, 0};
    const Seen aromatic6 = {6, true, true, 0, 0, 0};
    expect_rings("butane", {});
    expect_rings("cyclohexane", {saturated6});
    expect_rings("morpholine_twist_boat", {saturated6});
    expect_rings("benzene", {aromatic6});
    expect_rings("biphenyl", {aromatic6, aromatic6});
    // The O of furan is two-coordinate, between two sp2 carbons.
    expect_rings("furan", {{5, true, true, 0, 0, 0}});
    expect_rings("cyclohexene", {{6, false, true, 0, 0, 0}});
    // Tetralin's saturated ring shares an aromatic bond with benzene.
    expect_rings("tetralin", {{6, false, true, 1, 0, 0}, {6, true, true, 1, 0, 0}});
    expect_rings("cis_decalin", {{6, false, false, 1, 0, 0}, {6, false, false, 1, 0, 0}});
    // Bicyclo[2.2.2]: two six-membered rings of the smallest set share N1, C2, C3, C4.
    expect_rings("quinuclidine", {{6, false, false, 0, 1, 0}, {6, false, false, 0, 1, 0}});
    expect_rings("spirodecane", {{5, false, false, 0, 0, 1}, {6, false, false, 0, 0, 1}});
}

TEST(RingPerception, RingsComeInRingOrderWithLabels) {
    const CBasicConformer tetralin = support::molecule("tetralin");
    const CBondGraph graph(tetralin);
    const std::vector<Ring> rings = find_rings(tetralin, graph);
    ASSERT_EQ(rings.size(), 2u);
    EXPECT_EQ(rings[0].atoms, (std::vector<int>{1, 2, 3, 4, 9, 10}));
    EXPECT_EQ(confsearch::ring_atoms_label(rings[0], graph), "C1 C2 C3 C4 C9 C10");
    EXPECT_EQ(confsearch::ring_atoms_label(rings[1], graph), "C4..C9");
    EXPECT_EQ(confsearch::atom_label(graph, 4), "C4");
    // The half-chair: the torsion about the aromatic bond C4-C9 stays near zero.
    const std::vector<double> torsions = confsearch::ring_torsions(tetralin, rings[0]);
    EXPECT_LT(std::fabs(degree(torsions[3])), 5.0);
    EXPECT_GT(std::fabs(degree(torsions[0])), 50.0);
}

TEST(RingPerception, MirrorImageHasTheSameRings) {
    const CBasicConformer menthol = support::molecule("menthol");
    const CBasicConformer image = mirrored(menthol);
    const std::vector<Ring> rings = find_rings(menthol, CBondGraph(menthol));
    const std::vector<Ring> mirror_rings = find_rings(image, CBondGraph(image));
    ASSERT_EQ(rings.size(), 1u);
    ASSERT_EQ(mirror_rings.size(), 1u);
    EXPECT_EQ(rings[0].atoms, mirror_rings[0].atoms);
    const std::vector<double> torsions = confsearch::ring_torsions(menthol, rings[0]);
    const std::vector<double> mirror_torsions = confsearch::ring_torsions(image, rings[0]);
    for (std::size_t j = 0; j < torsions.size(); ++j)
        EXPECT_NEAR(mirror_torsions[j], -torsions[j], 1e-9);
}

TEST(RingPerception, RefusesAnAtomOfTooManyNeighbours) {
    // A carbon with seven hydrogens 1.05 angstrom around it: no molecule, but a cluster of
    // atoms in bonding distance that ring perception must not try to search.
    std::vector<support::Atom> atoms = {{6, 0, 0, 0}};
    for (int k = 0; k < 7; ++k) {
        const double angle = 2 * PI * k / 7;
        atoms.push_back({1, 1.05 * std::cos(angle), 1.05 * std::sin(angle), 0.3 * (k % 2)});
    }
    const CBasicConformer cluster = support::conformer_of(atoms);
    const std::string message = support::refusal([&] { find_rings(cluster, CBondGraph(cluster)); });
    EXPECT_NE(message.find("atom 1 (C) has"), std::string::npos) << message;
    EXPECT_NE(message.find("at most six"), std::string::npos) << message;
}
