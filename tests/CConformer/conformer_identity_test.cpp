#include <gtest/gtest.h>
#include "CConformer.h"

#include <cmath>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "ConformerSupport.h"
#include "IdentitySupport.h"
#include "PerceptionSupport.h"

using namespace confsearch;

using confsearch::ConformerIdentity;
using confsearch::IdentityCriteria;
using confsearch::IdentityError;
using confsearch::IdentityVerdict;

namespace {

IdentityCriteria all_atoms() {
    IdentityCriteria criteria;
    criteria.all_atoms = true;
    return criteria;
}

IdentityCriteria with_mirror() {
    IdentityCriteria criteria;
    criteria.mirror = true;
    return criteria;
}

// Butane turned about C2-C3 from anti (180 degrees) by `turn` degrees (C3's substituents
// turn together): +120 gives gauche at +60, -120 gauche at -60, the mirror image of the
// first.
CBasicConformer butane(double turn) {
    CBasicConformer c = support::molecule("butane");
    const int moving[] = {6, 4, 10, 11, 12, 13, 14};
    c.part_rotate(2, 3, radian(turn), moving);
    return c;
}

// Every atom shifted by a small fixed pattern of at most 0.01 angstrom per coordinate.
CBasicConformer jiggled(const CBasicConformer& c) {
    CBasicConformer m(c);
    for (int i = 1; i <= c.get_size(); ++i) {
        const CVECTOR d(0.01 * std::sin(i * 1.3), 0.01 * std::cos(i * 2.1),
                        -0.01 * std::sin(i * 0.7));
        m.set_exyz(i, c.get_element(i), c.get_vector(i) + d);
    }
    return m;
}

// The last "Rotational constants (GHZ):" line of a Gaussian output.
std::array<double, 3> printed_constants(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::string line;
    std::string last;
    while (std::getline(in, line))
        if (line.find("Rotational constants (GHZ):") != std::string::npos) last = line;
    std::istringstream numbers(last.substr(last.find(':') + 1));
    std::array<double, 3> constants{};
    numbers >> constants[0] >> constants[1] >> constants[2];
    return constants;
}

std::string refusal(const std::function<void()>& action) {
    try {
        action();
    } catch (const IdentityError& error) {
        return error.what();
    }
    ADD_FAILURE() << "nothing was refused";
    return "";
}

}  // namespace

// Each pair is one geometry and the same geometry with symmetric atoms moved onto each
// other's places. In atom order they lie apart: the turned or exchanged atoms move by 1.8
// to 2.5 angstrom (a methyl hydrogen 1.03 angstrom off its axis moves by sqrt(3) times that
// in a third of a turn; a tert-butyl carbon 1.44 angstrom off its axis, 2.50; a ring
// carbon flipped across the axis, 2 x 1.20; an isopropyl carbon, to its twin 2.5 away),
// too far for any superposition to bring the RMSD within the tolerance.
TEST(BestFit, SymmetricGroupsMovedOntoEachOtherAreRmsdZeroOnlyWithMatching) {
    CBasicConformer isopropyl_exchanged =
        support::renumbered(support::propan_2_ol(), {1, 2, 4, 3, 5, 6, 10, 11, 12, 7, 8, 9});
    const std::vector<std::tuple<std::string, CBasicConformer, CBasicConformer, IdentityCriteria>>
        cases = {
            {"methyl turned by 120 degrees, all atoms", support::toluene(), support::toluene(120),
             all_atoms()},
            {"tert-butyl turned by 120 degrees", support::tert_butyl_methyl_ether(),
             support::tert_butyl_methyl_ether(120), IdentityCriteria{}},
            {"tert-butyl turned by 240 degrees, all atoms", support::tert_butyl_methyl_ether(),
             support::tert_butyl_methyl_ether(240), all_atoms()},
            {"phenyl flipped by 180 degrees", support::ethylbenzene(), support::ethylbenzene(true),
             IdentityCriteria{}},
            {"phenyl flipped, all atoms", support::ethylbenzene(), support::ethylbenzene(true),
             all_atoms()},
            {"phenyl flipped and methyl turned, all atoms", support::toluene(),
             support::toluene(240, true), all_atoms()},
            {"isopropyl methyls exchanged", support::propan_2_ol(), isopropyl_exchanged,
             IdentityCriteria{}},
            {"isopropyl methyls exchanged, all atoms", support::propan_2_ol(), isopropyl_exchanged,
             all_atoms()},
        };
    for (const auto& [name, first, second, criteria] : cases) {
        SCOPED_TRACE(name);
        const ConformerIdentity identity(first, criteria);
        const auto a = identity.prepare(first);
        const auto b = identity.prepare(support::moved(second));
        const confsearch::BestFit fit = identity.best_fit(a, b);
        // These molecules are achiral, and some of the moves equal a reflection (the
        // exchanged methyls of propan-2-ol lie mirror-symmetric), so the fit found may be
        // the mirror image's: either way the RMSD is 0.
        EXPECT_NEAR(fit.rmsd, 0.0, 1e-6);
        EXPECT_GT(identity.fixed_order_rmsd(a, b), confsearch::DEFAULT_RMSD_TOLERANCE);
        EXPECT_TRUE(identity.compare(a, b).same());
        // The partner of each atom is an atom of its own class, each taken once.
        std::vector<int> taken(fit.partner.size(), 0);
        for (int i = 1; i <= first.get_size(); ++i) {
            EXPECT_EQ(identity.get_classes().get_class(fit.partner[i]),
                      identity.get_classes().get_class(i))
                << i;
            ++taken[static_cast<std::size_t>(fit.partner[i])];
        }
        for (int i = 1; i <= first.get_size(); ++i) EXPECT_EQ(taken[i], 1) << i;
    }
}

TEST(BestFit, RotatedTranslatedAndRenumberedIsRmsdZero) {
    const std::vector<std::pair<std::string, CBasicConformer>> cases = {
        {"tert-butyl methyl ether", support::tert_butyl_methyl_ether()},
        {"toluene", support::toluene(30)},
        {"butan-2-ol (chiral)", support::butan_2_ol()},
        // Symmetric tops: the principal axes do not fix the orientation.
        {"benzene", support::molecule("benzene")},
        {"neopentane", support::neopentane()},
    };
    for (const auto& [name, molecule] : cases) {
        for (const IdentityCriteria& criteria : {IdentityCriteria{}, all_atoms()}) {
            SCOPED_TRACE(name + (criteria.all_atoms ? ", all atoms" : ", heavy atoms"));
            const ConformerIdentity identity(molecule, criteria);
            const CBasicConformer copy = support::renumbered(
                support::moved(molecule), support::scrambled(molecule.get_size()));
            const CBasicConformer ordered = identity.in_reference_order(copy);
            const confsearch::BestFit fit = identity.best_fit(molecule, ordered);
            EXPECT_NEAR(fit.rmsd, 0.0, 1e-6);
            // Laid on each other (an achiral molecule perhaps on its mirror image), every
            // atom meets its partner.
            const confsearch::RigidFit check = [&] {
                std::vector<CVECTOR> target, moving;
                for (int i = 1; i <= molecule.get_size(); ++i) {
                    target.push_back(molecule.get_vector(i));
                    moving.push_back(ordered.get_vector(fit.partner[i]) *
                                     (fit.mirrored ? -1.0 : 1.0));
                }
                return confsearch::best_rigid_fit(target, moving);
            }();
            EXPECT_NEAR(check.rmsd, 0.0, 1e-6);
        }
    }
}

TEST(BestFit, MirrorImagesDependOnChirality) {
    struct Case {
        std::string name;
        CBasicConformer first;
        CBasicConformer second;
        IdentityCriteria criteria;
        bool same;
    };
    const CBasicConformer butanol = support::butan_2_ol();
    const CBasicConformer rr_diol = support::butane_2_3_diol(false);
    const std::vector<Case> cases = {
        {"butan-2-ol and its mirror image", butanol, support::moved(butanol, true), {}, false},
        {"the same when mirror images are allowed", butanol, support::moved(butanol, true),
         with_mirror(), true},
        {"(R,R)-butane-2,3-diol and its mirror image",
         rr_diol,
         support::moved(rr_diol, true),
         {},
         false},
        {"meso-butane-2,3-diol and its mirror image",
         support::butane_2_3_diol(true),
         support::moved(support::butane_2_3_diol(true), true),
         {},
         true},
        // Butane is achiral: gauche at +60 and at -60 degrees are one conformer.
        {"gauche+ and gauche- butane", butane(120), butane(-120), {}, true},
        {"gauche+ and gauche- butane, all atoms", butane(120), butane(-120), all_atoms(), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ConformerIdentity identity(c.first, c.criteria);
        const auto a = identity.prepare(c.first);
        const auto b = identity.prepare(c.second);
        const confsearch::Comparison comparison = identity.compare(a, b);
        EXPECT_EQ(comparison.same(), c.same);
        const confsearch::BestFit fit = identity.best_fit(a, b);
        if (c.same) {
            EXPECT_NEAR(fit.rmsd, 0.0, 1e-6);
        } else {
            EXPECT_EQ(comparison.verdict, IdentityVerdict::rmsd_too_large);
            EXPECT_GT(fit.rmsd, 0.3);
        }
    }
    // The gauche pair needs the mirror image: no rotation lays one chain on the other.
    const ConformerIdentity identity(butane(120));
    EXPECT_TRUE(identity.best_fit(butane(120), butane(-120)).mirrored);
    EXPECT_FALSE(identity.best_fit(butane(120), support::moved(butane(120))).mirrored);
}

TEST(BestFit, GaucheAndAntiButaneAreFarApart) {
    // C1...C4 is 3.90 angstrom in anti and 3.03 in gauche. A fit that moves C1 and C4 by
    // d1 and d4 changes that distance by at most d1 + d4 <= sqrt(2 (d1^2 + d4^2)) <=
    // sqrt(2 x 4) RMSD over the four carbons (whichever end goes where), so the RMSD is at
    // least 0.87 / 2.83 = 0.31; with the hydrogens it is larger still.
    const CBasicConformer anti = butane(0);
    const CBasicConformer gauche = butane(120);
    EXPECT_NEAR(anti.get_vector(1).distance(anti.get_vector(4)), 3.90, 0.005);
    EXPECT_NEAR(gauche.get_vector(1).distance(gauche.get_vector(4)), 3.03, 0.005);
    for (const IdentityCriteria& criteria : {IdentityCriteria{}, all_atoms()}) {
        const ConformerIdentity identity(anti, criteria);
        EXPECT_GT(identity.best_fit(anti, gauche).rmsd, 0.31);
        EXPECT_FALSE(identity.compare(identity.prepare(anti), identity.prepare(gauche)).same());
    }
}

TEST(Comparison, CheapestTestDecidesAndTheRadialBoundNeverExceedsTheFit) {
    const CBasicConformer anti = butane(0);
    const ConformerIdentity identity(anti);
    const double window = identity.get_criteria().energy_window;

    // Energies too far apart: nothing else is looked at.
    auto c = identity.compare(identity.prepare(anti, -158.0),
                              identity.prepare(anti, -158.0 + 2 * window));
    EXPECT_EQ(c.verdict, IdentityVerdict::energy_differs);
    EXPECT_FALSE(c.rotational_difference.has_value());
    EXPECT_FALSE(c.rmsd.has_value());

    // Within the window but another shape: the rotational constants already differ.
    c = identity.compare(identity.prepare(anti, -158.0),
                         identity.prepare(butane(120), -158.0 + window / 2));
    EXPECT_EQ(c.verdict, IdentityVerdict::rotational_constants_differ);
    EXPECT_GT(*c.rotational_difference, 0.01);
    EXPECT_FALSE(c.rmsd.has_value());

    // A slightly distorted copy: every test passes, and the RMSD found is small.
    c = identity.compare(identity.prepare(anti, -158.0),
                         identity.prepare(support::moved(jiggled(anti)), -158.0));
    EXPECT_EQ(c.verdict, IdentityVerdict::same);
    EXPECT_LT(*c.rmsd, 0.02);
    EXPECT_LT(*c.rotational_difference, 0.01);

    // With the rotational test switched off, the RMSD test decides; a bound that stops it
    // early must lie below the least RMSD.
    IdentityCriteria loose;
    loose.rotational_tolerance = 1e9;
    const ConformerIdentity any_shape(anti, loose);
    for (double turn : {30.0, 60.0, 120.0, -120.0}) {
        const auto a = any_shape.prepare(anti);
        const auto b = any_shape.prepare(butane(turn));
        c = any_shape.compare(a, b);
        EXPECT_EQ(c.verdict, IdentityVerdict::rmsd_too_large) << turn;
        EXPECT_LE(*c.rmsd, any_shape.best_fit(a, b).rmsd + 1e-9) << turn;
    }
}

TEST(RotationalConstants, FromGeometryAndStandardAtomicWeights) {
    // N2 at 1.0977 angstrom: I = (14.007 / 2) x 1.0977^2 = 8.4389 dalton angstrom^2 and
    // B = 505.379 / I = 59.887 GHz (observed: 59.65); a linear molecule has no A.
    const auto n2 =
        confsearch::rotational_constants(support::conformer_of({{7, 0, 0, 0}, {7, 0, 0, 1.0977}}));
    EXPECT_TRUE(std::isinf(n2[0]));
    EXPECT_NEAR(n2[1], 59.887, 0.002);
    EXPECT_NEAR(n2[2], 59.887, 0.002);
    // Water in the xy plane, O at the origin, H at (+-0.75, 0.6): the centre of mass lies
    // at y = 2 x 1.008 x 0.6 / 18.015 = 0.067144. About x: I = 15.999 x 0.067144^2 +
    // 2 x 1.008 x 0.532856^2 = 0.644543; about y: 2 x 1.008 x 0.75^2 = 1.134; about z the
    // sum, 1.778543. A = 505.379 / 0.644543 = 784.09, B = 445.66, C = 284.15 GHz.
    const auto water = confsearch::rotational_constants(
        support::conformer_of({{8, 0, 0, 0}, {1, 0.75, 0.6, 0}, {1, -0.75, 0.6, 0}}));
    EXPECT_NEAR(water[0], 784.09, 0.02);
    EXPECT_NEAR(water[1], 445.66, 0.02);
    EXPECT_NEAR(water[2], 284.15, 0.02);
    EXPECT_THROW(confsearch::rotational_constants({1.0}, {}), IdentityError);
}

TEST(RotationalConstants, AgreeWithGaussiansForRealOutputs) {
    SKIP_WITHOUT_REAL_OUTPUTS();
    // Gaussian uses the mass of each element's commonest isotope (12C = 12 exactly),
    // standard atomic weights are up to 0.1 % heavier for these elements.
    for (const auto& output :
         {support::AMINOX_CATALYST, support::DIVINYLBENZENE, support::WATER_MP2}) {
        const auto ours = confsearch::rotational_constants(support::real_output(output));
        const auto theirs = printed_constants(support::real_outputs_dir() / output.file);
        for (std::size_t k = 0; k < 3; ++k)
            EXPECT_NEAR(ours[k] / theirs[k], 0.999, 0.002) << output.file;
    }
}

TEST(DistinctConformers, GroupsByEnergyThenShape) {
    // Anti and gauche butane, each more than once: turned, jiggled, mirrored.
    const std::vector<CBasicConformer> geometries = {
        butane(120),                         // 0: gauche+
        butane(0),                           // 1: anti
        support::moved(jiggled(butane(0))),  // 2: anti
        butane(-120),                        // 3: gauche-, the mirror image of 0
        support::moved(butane(120)),         // 4: gauche+
        butane(0),                           // 5: anti, but far above in energy
    };
    const std::vector<double> energies = {-158.0010,  -158.0020,  -158.00199,
                                          -158.00098, -158.00099, -157.5};
    const auto by_energy = confsearch::distinct_conformers(geometries, energies);
    EXPECT_EQ(by_energy.heads, (std::vector<int>{1, 0, 5}));
    EXPECT_EQ(by_energy.group, (std::vector<int>{1, 0, 0, 1, 1, 2}));
    EXPECT_EQ(by_energy.mirrored, (std::vector<bool>{false, false, false, true, false, false}));
    EXPECT_LT(by_energy.rmsd[2], 0.02);
    EXPECT_EQ(by_energy.rmsd[1], 0.0);

    const auto by_shape = confsearch::distinct_conformers(geometries);
    EXPECT_EQ(by_shape.heads, (std::vector<int>{0, 1}));
    EXPECT_EQ(by_shape.group, (std::vector<int>{0, 1, 1, 0, 0, 1}));

    // Positions alone, in the molecule's order, give the same groups.
    const ConformerIdentity identity(geometries.front());
    std::vector<confsearch::Positions> positions;
    for (const CBasicConformer& g : geometries) {
        positions.emplace_back();
        for (int i = 1; i <= g.get_size(); ++i) positions.back().push_back(g.get_vector(i));
    }
    EXPECT_EQ(confsearch::distinct_conformers(identity, positions, energies).group,
              by_energy.group);
    EXPECT_TRUE(confsearch::distinct_conformers({}).heads.empty());
}

TEST(DistinctConformers, RefusesGeometriesThatDoNotFitTheMolecule) {
    const CBasicConformer anti = butane(0);
    CBasicConformer not_a_number = anti;
    not_a_number.set_exyz(3, anti.get_element(3), CVECTOR(0, std::nan(""), 0));
    const CBasicConformer scrambled = support::renumbered(anti, support::scrambled(14));
    const std::vector<std::pair<std::vector<CBasicConformer>, std::string>> cases = {
        {{anti, support::molecule("ethanol")},
         "geometry 2: the geometry has 9 atoms, the molecule 14"},
        {{anti, not_a_number}, "geometry 2: atom 3 has a coordinate that is not a number"},
        {{anti, anti, scrambled}, "geometry 3: atom 2 is H, in the molecule it is C"},
    };
    for (const auto& [geometries, message] : cases) {
        const std::string why = refusal([&] { confsearch::distinct_conformers(geometries); });
        EXPECT_NE(why.find(message), std::string::npos) << why;
    }
    // Same elements in the same places, other numbering: a bond of the molecule is broken.
    const CBasicConformer carbons_swapped =
        support::renumbered(anti, {4, 2, 3, 1, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14});
    EXPECT_NE(refusal([&] {
                  confsearch::distinct_conformers({anti, carbons_swapped});
              }).find("geometry 2: atoms 1 and 2 are bonded in the molecule but"),
              std::string::npos);
    EXPECT_NE(refusal([&] {
                  confsearch::distinct_conformers({anti, anti}, {1.0});
              }).find("1 energies for 2 geometries"),
              std::string::npos);
    IdentityCriteria negative;
    negative.rmsd_tolerance = -0.1;
    EXPECT_NE(refusal([&] { ConformerIdentity identity(anti, negative); }).find("RMSD tolerance"),
              std::string::npos);
    const ConformerIdentity identity(anti);
    const ConformerIdentity every_atom(anti, all_atoms());
    EXPECT_NE(refusal([&] {
                  identity.compare(identity.prepare(anti), every_atom.prepare(anti));
              }).find("prepared for another molecule"),
              std::string::npos);
    // Isobutane: the atoms of butane, other bonds.
    support::Builder isobutane;
    const int centre = isobutane.add(6, CVECTOR(0, 0, 0));
    const int first = isobutane.add(6, CVECTOR(1.53, 0, 0));
    const int second =
        isobutane.place(6, centre, first, isobutane.ghost(CVECTOR(0, 1, 0)), 1.53, 109.5, 0);
    const int third = isobutane.place(6, centre, first, second, 1.53, 109.5, 120);
    isobutane.place(1, centre, first, second, 1.10, 109.5, -120);
    for (const auto& [c, ref] : {std::pair{first, second}, {second, third}, {third, first}})
        isobutane.methyl_hydrogens(c, centre, ref);
    EXPECT_NE(refusal([&] {
                  identity.in_reference_order(isobutane.conformer());
              }).find("not those of the molecule"),
              std::string::npos);
}

TEST(DistinctConformers, RealAminoxConformersAndRenumberedCopies) {
    SKIP_WITHOUT_REAL_OUTPUTS();
    std::vector<CBasicConformer> geometries;
    for (const char* file :
         {"aminox_cat_conf65_S.log", "aminox_cat_conf212_S.log", "aminox_cat_conf280_R.log"})
        geometries.push_back(support::real_output({file, 24}));
    const ConformerIdentity identity(geometries.front());
    EXPECT_TRUE(identity.is_chiral());
    for (std::size_t k = 0; k < 3; ++k)
        geometries.push_back(identity.in_reference_order(
            support::renumbered(support::moved(geometries[k]), support::scrambled(24))));
    for (const IdentityCriteria& criteria : {IdentityCriteria{}, all_atoms()}) {
        const ConformerIdentity rule(geometries.front(), criteria);
        const auto groups = confsearch::distinct_conformers(rule, geometries);
        EXPECT_EQ(groups.group, (std::vector<int>{0, 1, 2, 0, 1, 2}));
        for (std::size_t k = 3; k < 6; ++k) EXPECT_LT(groups.rmsd[k], 1e-4);
        for (std::size_t a = 0; a < 3; ++a)
            for (std::size_t b = a + 1; b < 3; ++b)
                EXPECT_GT(rule.best_fit(geometries[a], geometries[b]).rmsd, 0.125) << a << " " << b;
    }
}
