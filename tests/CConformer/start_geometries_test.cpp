#include <gtest/gtest.h>
#include "CConformer.h"

#include "ConformerSupport.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

using namespace confsearch;

namespace {

using confsearch::AmineNitrogen;
using confsearch::Ring;
using confsearch::RingForm;
using confsearch::RingUnit;
using confsearch::StartGeometries;

struct Molecule {
    CBasicConformer geometry;
    CBondGraph graph;
    std::vector<Ring> rings;
};

Molecule load(const std::string& name) {
    Molecule m{support::molecule(name), {}, {}};
    m.graph = CBondGraph(m.geometry);
    m.rings = confsearch::find_rings(m.geometry, m.graph);
    return m;
}

CVECTOR at(const CBasicConformer& g, int atom) { return g.get_vector(atom); }

// Angle in degrees (0..90) between the bond a-b and the normal of the mean plane of the
// ring: near 0 for an axial substituent, near 70 for an equatorial one.
double axial_angle(const CBasicConformer& g, const std::vector<int>& ring, int a, int b) {
    CVECTOR centre;
    for (int atom : ring) centre = centre + at(g, atom);
    centre = centre / static_cast<double>(ring.size());
    CVECTOR normal;
    for (std::size_t k = 0; k < ring.size(); ++k)
        normal = normal + (at(g, ring[k]) - centre) % (at(g, ring[(k + 1) % ring.size()]) - centre);
    const double cosine = std::fabs((at(g, b) - at(g, a)) * normal) /
                          ((at(g, b) - at(g, a)).module() * normal.module());
    return degree(std::acos(cosine));
}

// The handedness of a centre: the sign of the triple product of its first three
// neighbours.
int handedness(const CBasicConformer& g, const CBondGraph& graph, int centre) {
    const auto& n = graph.get_neighbours(centre);
    const CVECTOR c = at(g, centre);
    const double volume = ((at(g, n[0]) - c) % (at(g, n[1]) - c)) * (at(g, n[2]) - c);
    return volume > 0 ? 1 : -1;
}

std::vector<double> torsions_in_degrees(const CBasicConformer& g, const Ring& ring) {
    std::vector<double> t;
    for (double radians : confsearch::ring_torsions(g, ring)) t.push_back(degree(radians));
    return t;
}

const RingUnit& unit_of_ring(const std::vector<RingUnit>& units, int ring) {
    for (const RingUnit& unit : units) {
        const auto& rings = unit.get_rings();
        if (std::find(rings.begin(), rings.end(), ring) != rings.end()) return unit;
    }
    throw std::logic_error("no unit");
}

const RingForm& form_named(const RingUnit& unit, const std::string& name) {
    for (const RingForm& form : unit.get_forms())
        if (form.name == name) return form;
    throw std::logic_error("no form " + name);
}

// Torsion patterns of the forms as published, bond by bond from one reference atom:
// cyclohexane's chair and twist-boat, the pseudorotation of cyclopentane (Altona and
// Sundaralingam: A cos(P + 144 j)), Hendrickson's twist-chair of cycloheptane and
// boat-chair and crown of cyclooctane.
const std::map<std::string, std::vector<double>>& published_patterns() {
    static const std::map<std::string, std::vector<double>> patterns = {
        {"chair", {55, -55, 55, -55, 55, -55}},
        {"twist-boat", {66, -33, -33, 66, -33, -33}},
        {"envelope", {0, -25.3, 40.9, -40.9, 25.3}},
        {"twist", {43, -34.8, 13.3, 13.3, -34.8}},
        {"twist-chair", {39.1, -88.1, 72.3, -54.3, 72.3, -88.1, 39.1}},
        {"boat-chair", {65.0, 44.7, -102.2, 65.0, -65.0, 102.2, -44.7, -65.0}},
        {"crown", {87.5, -87.5, 87.5, -87.5, 87.5, -87.5, 87.5, -87.5}},
    };
    return patterns;
}

// The largest deviation (degrees) of the torsions from the best placement of a published
// pattern on the ring (any starting bond, either sense), scaled to the ring's own pucker.
double distance_from_pattern(const std::vector<double>& torsions,
                             const std::vector<double>& pattern) {
    const std::size_t n = pattern.size();
    double best = 1e9;
    for (std::size_t shift = 0; shift < n; ++shift) {
        for (double sign : {1.0, -1.0}) {
            std::vector<double> p(n);
            double along = 0, square = 0;
            for (std::size_t j = 0; j < n; ++j) {
                p[j] = sign * pattern[(j + n - shift) % n];
                along += p[j] * torsions[j];
                square += p[j] * p[j];
            }
            double worst = 0;
            for (std::size_t j = 0; j < n; ++j)
                worst = std::max(worst, std::fabs(torsions[j] - p[j] * along / square));
            best = std::min(best, worst);
        }
    }
    return best;
}

std::string family_of(const std::string& name) {
    for (const char* family :
         {"twist-boat", "twist-chair", "boat-chair", "envelope", "twist", "crown"})
        if (name.rfind(family, 0) == 0) return family;
    return "chair";
}

}  // namespace

TEST(RingForms, EachRingGetsTheFormsItsShapeAllows) {
    struct Case {
        std::string molecule;
        int ring;  // 0-based
        std::size_t forms;
        std::vector<std::string> names;  // some of them
        std::string note;
    };
    const std::vector<Case> cases = {
        // The chair's ring flip and the six twist-boats.
        {"cyclohexane", 0, 7, {"flipped chair", "twist-boat C1-C2/C4-C5 +"}, ""},
        // From a twist-boat both chairs and the five other twist-boats.
        {"morpholine_twist_boat", 0, 7, {"chair", "flipped chair"}, ""},
        // Ten envelopes and ten twists but the two nearest the input's twist.
        {"cyclopentane", 0, 18, {"envelope C3 up", "envelope C3 down", "twist C2 up, C3 down"}, ""},
        {"cycloheptane", 0, 13, {"twist-chair C2 +"}, ""},
        {"cyclooctane", 0, 17, {"crown", "flipped crown"}, ""},
        // A double bond or a fused benzene ring: only the other half-chair.
        {"cyclohexene", 0, 1, {"flipped"}, ""},
        {"tetralin", 0, 1, {"flipped"}, ""},
        {"tetralin", 1, 0, {}, "aromatic"},
        {"benzene", 0, 0, {}, "aromatic"},
        // cis-Decalin flips both chairs together; trans-decalin cannot flip.
        {"cis_decalin", 0, 1, {"flipped"}, ""},
        {"trans_decalin", 1, 0, {}, "forms dropped: 1 strained"},
        {"quinuclidine", 0, 0, {}, "bridged ring system (a rigid cage)"},
        // Spiro rings change independently.
        {"spirodecane", 1, 7, {"flipped chair"}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.molecule + " ring " + std::to_string(c.ring + 1));
        const Molecule m = load(c.molecule);
        const auto units = confsearch::find_ring_units(m.geometry, m.graph, m.rings);
        const RingUnit& unit = unit_of_ring(units, c.ring);
        EXPECT_EQ(unit.get_forms().size(), c.forms);
        EXPECT_EQ(unit.get_note(), c.note);
        for (const std::string& name : c.names) EXPECT_NO_THROW(form_named(unit, name)) << name;
        std::vector<std::string> names;
        for (const RingForm& form : unit.get_forms()) names.push_back(form.name);
        std::sort(names.begin(), names.end());
        EXPECT_EQ(std::adjacent_find(names.begin(), names.end()), names.end()) << "names repeat";
    }
}

TEST(RingForms, InputFormsAreNamed) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"methylcyclohexane_axial", "chair"},
        {"morpholine_twist_boat", "twist-boat C1-C2/C4-C5 +"},
        {"cyclohexene", "half-chair"},
        {"cycloheptane", "twist-chair C1 +"},
    };
    for (const auto& [name, form] : cases) {
        const Molecule m = load(name);
        EXPECT_EQ(confsearch::find_ring_units(m.geometry, m.graph, m.rings)[0].get_start_form(),
                  form)
            << name;
    }
}

TEST(RingForms, FormsKeepBondLengthsCentresAndTheirTemplates) {
    // Molecule and its configured stereocentres.
    const std::vector<std::pair<std::string, std::vector<int>>> cases = {
        {"cyclohexane", {}},
        {"methylcyclohexane_axial", {}},
        {"cis_dimethylcyclohexane", {1, 7}},
        {"methylpiperidine_twist_boat", {1}},
        {"menthol", {2, 4, 8}},
        {"cyclopentane", {}},
        {"cycloheptane", {}},
        {"cyclooctane", {}},
        {"cis_decalin", {1, 6}},
        {"tetralin", {}},
        {"spirodecane", {}},
    };
    for (const auto& [name, stereocentres] : cases) {
        SCOPED_TRACE(name);
        const Molecule m = load(name);
        for (const RingUnit& unit : confsearch::find_ring_units(m.geometry, m.graph, m.rings)) {
            for (const RingForm& form : unit.get_forms()) {
                SCOPED_TRACE(form.name);
                for (const PerceivedBond& bond : m.graph.get_bonds()) {
                    EXPECT_NEAR(
                        at(form.geometry, bond.atom1).distance(at(form.geometry, bond.atom2)),
                        bond.length, 0.01);
                }
                for (int centre : stereocentres)
                    EXPECT_EQ(handedness(form.geometry, m.graph, centre),
                              handedness(m.geometry, m.graph, centre))
                        << centre;
                if (unit.get_rings().size() > 1 || form.name == "flipped") continue;
                const auto torsions =
                    torsions_in_degrees(form.geometry, m.rings[unit.get_rings()[0]]);
                const std::string family = family_of(form.name);
                EXPECT_LT(distance_from_pattern(torsions, published_patterns().at(family)), 4.0);
            }
        }
    }
}

TEST(RingForms, ChairFlipExchangesAxialAndEquatorial) {
    struct Case {
        std::string molecule;
        int from;
        int to;
        bool axial;  // in the input
    };
    const std::vector<Case> cases = {
        {"methylcyclohexane_axial", 1, 7, true},
        {"n_methylpiperidine_axial", 1, 7, true},
        {"cis_dimethylcyclohexane", 1, 2, true},
        {"cis_dimethylcyclohexane", 7, 8, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.molecule + " " + std::to_string(c.from) + "-" + std::to_string(c.to));
        const Molecule m = load(c.molecule);
        const auto units = confsearch::find_ring_units(m.geometry, m.graph, m.rings);
        const RingForm& flipped = form_named(units[0], "flipped chair");
        const std::vector<int>& ring = m.rings[0].atoms;
        const double before = axial_angle(m.geometry, ring, c.from, c.to);
        const double after = axial_angle(flipped.geometry, ring, c.from, c.to);
        EXPECT_EQ(before < 30, c.axial) << before;
        EXPECT_EQ(after < 30, !c.axial) << after;
        EXPECT_GT(std::fabs(after - before), 50.0);
    }
}

TEST(RingForms, EnvelopesAreNamedByTheirFlap) {
    const Molecule m = load("cyclopentane");
    const auto units = confsearch::find_ring_units(m.geometry, m.graph, m.rings);
    int envelopes = 0;
    for (const RingForm& form : units[0].get_forms()) {
        if (form.name.rfind("envelope C", 0) != 0) continue;
        ++envelopes;
        // Cyclopentane's ring is C1..C5 in order: the flap faces the bond across the ring,
        // two places on, whose torsion is zero.
        const int flap = std::stoi(form.name.substr(10));
        const auto torsions = torsions_in_degrees(form.geometry, m.rings[0]);
        EXPECT_LT(std::fabs(torsions[static_cast<std::size_t>((flap - 1 + 2) % 5)]), 3.0)
            << form.name;
    }
    EXPECT_GE(envelopes, 9);
}

TEST(RingForms, FlippedTetralinKeepsItsBenzeneRing) {
    const Molecule m = load("tetralin");
    const auto units = confsearch::find_ring_units(m.geometry, m.graph, m.rings);
    const RingForm& flipped = form_named(unit_of_ring(units, 0), "flipped");
    const auto before = torsions_in_degrees(m.geometry, m.rings[0]);
    const auto after = torsions_in_degrees(flipped.geometry, m.rings[0]);
    for (std::size_t j = 0; j < before.size(); ++j) EXPECT_NEAR(after[j], -before[j], 2.0);
    // The benzene ring and its hydrogens do not move against each other.
    for (int a = 4; a <= 9; ++a) {
        for (int b = a + 1; b <= 9; ++b) {
            EXPECT_NEAR(at(flipped.geometry, a).distance(at(flipped.geometry, b)),
                        at(m.geometry, a).distance(at(m.geometry, b)), 1e-6);
        }
    }
}

TEST(NitrogenInversion, InvertsAminesButNotAmidesAnilinesOrBridgeheads) {
    struct Case {
        std::string molecule;
        int atom;
        bool invertible;
        int moving;
    };
    const std::vector<Case> cases = {
        {"n_methylpiperidine_axial", 1, true, 7},      // the ring N's exocyclic methyl
        {"morpholine_twist_boat", 6, true, 15},        // the N-H
        {"methylpiperidine_twist_boat", 7, true, 20},  // the N-H
        {"dimethylethylamine", 2, true, 1},            // the smaller methyl of two
        {"quinuclidine", 1, false, 0},                 // bridgehead
        {"n_methylaniline", 2, false, 0},              // aryl neighbour
        {"n_ethylacetamide", 4, false, 0},             // amide
        {"nitrobenzene", 7, false, 0},                 // planar
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.molecule);
        const Molecule m = load(c.molecule);
        const auto nitrogens = confsearch::find_amine_nitrogens(m.geometry, m.graph, m.rings);
        const auto found = std::find_if(nitrogens.begin(), nitrogens.end(),
                                        [&](const AmineNitrogen& n) { return n.atom == c.atom; });
        ASSERT_NE(found, nitrogens.end());
        EXPECT_EQ(found->invertible, c.invertible) << found->reason;
        EXPECT_EQ(found->moving, c.moving);
        EXPECT_EQ(found->reason.empty(), c.invertible);
    }
}

TEST(NitrogenInversion, TheHydrogenCrossesTheCNCPlane) {
    // 2-Methylpiperidine: N7 between C1 and C6, its hydrogen H20.
    const Molecule m = load("methylpiperidine_twist_boat");
    const auto nitrogens = confsearch::find_amine_nitrogens(m.geometry, m.graph, m.rings);
    ASSERT_EQ(nitrogens.size(), 1u);
    const CBasicConformer inverted = confsearch::invert_nitrogen(m.geometry, m.graph, nitrogens[0]);
    auto side = [](const CBasicConformer& g) {
        const CVECTOR n = at(g, 7);
        return ((at(g, 1) - n) % (at(g, 6) - n)) * (at(g, 20) - n);
    };
    EXPECT_LT(side(m.geometry) * side(inverted), 0);
    EXPECT_NEAR(at(inverted, 7).distance(at(inverted, 20)),
                at(m.geometry, 7).distance(at(m.geometry, 20)), 1e-9);
    EXPECT_NEAR(at(inverted, 7).p_angle(at(inverted, 1), at(inverted, 20)),
                at(m.geometry, 7).p_angle(at(m.geometry, 1), at(m.geometry, 20)), 1e-9);
    EXPECT_EQ(handedness(inverted, m.graph, 1), handedness(m.geometry, m.graph, 1));
    AmineNitrogen amide;
    amide.reason = "amide";
    EXPECT_THROW(confsearch::invert_nitrogen(m.geometry, m.graph, amide), std::invalid_argument);
}

TEST(NitrogenInversion, AnInvertedMethylStaysStaggered) {
    // N-Methylpiperidine: methyl C7 on N1 between C2 and C6, its hydrogens H18-H20. The
    // pyramid passing through the plane reverses the methyl's torsions: staggered before,
    // staggered after.
    const Molecule m = load("n_methylpiperidine_axial");
    const auto nitrogens = confsearch::find_amine_nitrogens(m.geometry, m.graph, m.rings);
    const CBasicConformer inverted = confsearch::invert_nitrogen(m.geometry, m.graph, nitrogens[0]);
    auto torsion = [](const CBasicConformer& g, int h) {
        return degree(at(g, 2).p_dihang(at(g, 1), at(g, 7), at(g, h)));
    };
    for (int h = 18; h <= 20; ++h) {
        EXPECT_GT(std::fabs(std::remainder(torsion(m.geometry, h), 120.0)), 50.0) << h;
        EXPECT_GT(std::fabs(std::remainder(torsion(inverted, h), 120.0)), 50.0) << h;
    }
    EXPECT_NEAR(torsion(inverted, 18), -torsion(m.geometry, 18), 1e-6);
}

TEST(StartGeometries, CombinesRingFormsWithNitrogenPyramids) {
    const CBasicConformer input = support::molecule("n_methylpiperidine_axial");
    const CBondGraph graph(input);
    const StartGeometries starts(input, graph);
    // Eight ring shapes (the input's chair and seven forms) times two pyramids.
    ASSERT_EQ(starts.count(), 16u);
    EXPECT_EQ(starts.name(0), "input");
    EXPECT_EQ(starts.name(1), "N1: inverted");
    EXPECT_EQ(starts.name(2), "ring 1 (N1..C6): flipped chair");
    EXPECT_EQ(starts.name(3), "ring 1 (N1..C6): flipped chair; N1: inverted");
    EXPECT_THROW(starts.build(16), std::out_of_range);
    // The methyl goes equatorial by either move alone and comes back axial by both.
    const std::vector<int>& ring = starts.get_rings()[0].atoms;
    const std::vector<bool> axial = {true, false, false, true};
    for (std::uint64_t k = 0; k < 4; ++k) {
        const auto start = starts.build(k);
        EXPECT_TRUE(start.accepted()) << start.rejection;
        EXPECT_EQ(axial_angle(start.geometry, ring, 1, 7) < 30, axial[k]) << start.name;
    }
    EXPECT_EQ(starts.build_accepted().size(), 16u);
    EXPECT_EQ(StartGeometries(input, graph, {false, true}).count(), 2u);
    EXPECT_EQ(StartGeometries(input, graph, {true, false}).count(), 8u);
}

TEST(StartGeometries, SpiroRingsChangeOneAfterTheOther) {
    const CBasicConformer input = support::molecule("spirodecane");
    const CBondGraph graph(input);
    const StartGeometries starts(input, graph);
    const auto& units = starts.get_ring_units();
    ASSERT_EQ(units.size(), 2u);
    const std::uint64_t six_forms = units[1].get_forms().size() + 1;
    EXPECT_EQ(starts.count(), (units[0].get_forms().size() + 1) * six_forms);
    // The first form of each ring together: each ring as its own form has it.
    const auto both = starts.build(six_forms + 1);
    for (std::size_t u = 0; u < 2; ++u) {
        const Ring& ring = starts.get_rings()[u];
        const auto expected = torsions_in_degrees(units[u].get_forms()[0].geometry, ring);
        const auto got = torsions_in_degrees(both.geometry, ring);
        for (std::size_t j = 0; j < got.size(); ++j) EXPECT_NEAR(got[j], expected[j], 1e-6);
    }
}

TEST(GeometryChecks, NewContactsClashButHydrogenBondsAndTheInputsOwnDoNot) {
    const CBasicConformer ethanol = support::molecule("ethanol");
    const CBondGraph graph(ethanol);
    const confsearch::ContactCheck check(ethanol, graph);
    EXPECT_FALSE(check.first_clash(ethanol));
    // Water dimer at a hydrogen bond of 1.6 angstrom: no clash; the two oxygens at 2.0: a
    // clash (0.7 x 3.04 = 2.13).
    const CBasicConformer dimer = support::conformer_of({{8, 0, 0, 0},
                                                         {1, 0.96, 0, 0},
                                                         {1, -0.24, 0.93, 0},
                                                         {8, 3.5, 0, 0},
                                                         {1, 3.8, 0.9, 0},
                                                         {1, 3.8, -0.9, 0}});
    const CBondGraph dimer_graph(dimer);
    const confsearch::ContactCheck dimer_check(dimer, dimer_graph);
    auto moved = [&](double x) {
        CBasicConformer g(dimer);
        for (int i = 4; i <= 6; ++i)
            g.set_exyz(i, g.get_element(i), at(dimer, i) - CVECTOR(3.5 - x, 0, 0));
        return g;
    };
    EXPECT_FALSE(dimer_check.first_clash(moved(2.56)));  // H2...O4 1.60
    const auto clash = dimer_check.first_clash(moved(2.0));
    ASSERT_TRUE(clash);
    EXPECT_EQ(clash->atom1, 1);
    EXPECT_EQ(clash->atom2, 4);
    EXPECT_NEAR(clash->limit, 0.7 * 3.04, 1e-12);
    // What is already too close in the input stays allowed.
    const confsearch::ContactCheck tight(moved(2.0), dimer_graph);
    EXPECT_FALSE(tight.first_clash(moved(2.0)));
}

TEST(GeometryChecks, MirrorImageInvertsEveryStereocentre) {
    const CBasicConformer menthol = support::molecule("menthol");
    const CBondGraph graph(menthol);
    CBasicConformer image(menthol);
    for (int i = 1; i <= menthol.get_size(); ++i) {
        const CVECTOR p = at(menthol, i);
        image.set_exyz(i, menthol.get_element(i), CVECTOR(p.x, p.y, -p.z));
    }
    const confsearch::CentreCheck check(menthol, graph, {});
    const std::vector<int> centres = check.get_centres();
    for (int stereocentre : {2, 4, 8})
        EXPECT_NE(std::find(centres.begin(), centres.end(), stereocentre), centres.end());
    EXPECT_EQ(check.first_inverted(menthol), 0);
    EXPECT_EQ(check.first_inverted(image), centres.front());
}
