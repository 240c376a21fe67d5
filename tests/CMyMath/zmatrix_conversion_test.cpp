#include <gtest/gtest.h>
#include "CMyMath.h"

#include <cmath>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "CConformer.h"
#include "TestSupport.h"

using namespace confsearch;

namespace {

void expect_point(const CVECTOR& actual, const CVECTOR& expected, double tol = 1e-9) {
    EXPECT_NEAR(actual.x, expected.x, tol);
    EXPECT_NEAR(actual.y, expected.y, tol);
    EXPECT_NEAR(actual.z, expected.z, tol);
}

// A molecule as the generator gets it: coordinates in its own atom order and a
// link-relation file that puts its atoms into Z-matrix order.
struct Molecule {
    std::string name;
    CCLUSTER xyz;
    std::string relation;
};

CCLUSTER cluster_of(const std::vector<CVECTOR>& points) {
    CCLUSTER c(static_cast<int>(points.size()));
    for (std::size_t i = 0; i < points.size(); ++i) c[static_cast<int>(i) + 1] = points[i];
    return c;
}

// A zigzag chain of six atoms, out of plane, given to the Z-matrix from its far end:
// rows 1 to 6 are atoms 6 to 1.
Molecule reversed_chain() {
    return {"reversed chain",
            cluster_of({{0, 0, 0},
                        {1.5, 0, 0},
                        {2.0, 1.4, 0},
                        {3.5, 1.5, 0.3},
                        {4.1, 2.8, 0.9},
                        {5.6, 2.9, 0.6}}),
            "6\n6\n5 6\n4 5\n3 4\n2 3\n1 2\n"};
}

// Atom 1 carries two branches, 1-2-3-6 and 1-4-5. Row 4 hangs on atom 1 but takes its
// dihedral from atom 3, which hangs on atom 2.
Molecule branched() {
    return {"branched",
            cluster_of({{0, 0, 0},
                        {1.5, 0, 0},
                        {2.1, 1.3, 0.2},
                        {-0.6, 1.3, -0.4},
                        {-2.0, 1.4, -0.1},
                        {3.5, 1.4, 0.6}}),
            "6\n1\n2 1\n3 2\n4 1\n5 4\n6 3\n"};
}

// A link relation from bonding distances: rows in breadth-first order from the first atom
// with at most three bonded neighbours (a root has no parent, so three children at most),
// each row bonded to the row it was reached from.
std::string relation_from_bonds(const CBasicConformer& c) {
    const int n = c.get_size();
    auto bonded = [&](int i, int j) {
        return i != j && c.get_vector(i).distance(c.get_vector(j)) <=
                             c.get_element(i).bond_distance(c.get_element(j));
    };
    auto neighbours = [&](int i) {
        int count = 0;
        for (int j = 1; j <= n; ++j) count += bonded(i, j) ? 1 : 0;
        return count;
    };
    int root = 1;
    while (neighbours(root) > 3) ++root;
    std::vector<int> rows = {root};
    std::vector<bool> seen(static_cast<std::size_t>(n) + 1, false);
    seen[root] = true;
    std::string text = std::to_string(n) + "\n" + std::to_string(root) + "\n";
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (int j = 1; j <= n; ++j) {
            if (seen[j] || !bonded(rows[r], j)) continue;
            seen[j] = true;
            rows.push_back(j);
            text += std::to_string(j) + " " + std::to_string(rows[r]) + "\n";
        }
    }
    return text;
}

// Final geometries of real optimisations: the 24-atom aminoxylation catalyst, planar
// divinylbenzene and a 13-atom substrate.
std::vector<Molecule> real_molecules() {
    const struct {
        const char* file;
        int atoms;
    } outputs[] = {
        {"aminox_cat_conf65_S.log", 24},
        {"g16_dvb_gopt.out", 20},
        {"aminox_subs_conf713.log", 13},
    };
    std::vector<Molecule> molecules;
    for (const auto& output : outputs) {
        CBasicConformer conformer(output.atoms);
        const auto path = support::real_outputs_dir() / output.file;
        EXPECT_TRUE(conformer.read_xyz_inout(path.string())) << output.file;
        CCLUSTER xyz(output.atoms);
        for (int i = 1; i <= output.atoms; ++i) xyz[i] = conformer.get_vector(i);
        molecules.push_back({output.file, xyz, relation_from_bonds(conformer)});
    }
    return molecules;
}

// Reads the molecule's link relation into z and measures its values.
void load(const Molecule& m, CZMATRIX& z) {
    support::TempDir dir;
    dir.write("relation", m.relation);
    z.reinstall(m.xyz.get_size());
    ASSERT_TRUE(z.read_linkrelation(dir.file("relation"))) << m.relation;
    z.combine_zmatrix(m.xyz);
}

bool is_below(const CZMATRIX& z, int i, int b) {
    for (int up = z.get_linking(i, 0); up != 0; up = z.get_linking(up, 0)) {
        if (up == b) return true;
    }
    return false;
}

void check_round_trip(const Molecule& m) {
    SCOPED_TRACE(m.name);
    CZMATRIX z;
    ASSERT_NO_FATAL_FAILURE(load(m, z));
    const int n = z.get_size();
    CCLUSTER rebuilt(n);
    z.translate(rebuilt);
    for (int i = 1; i <= n; ++i) expect_point(rebuilt[i], m.xyz[z.get_order(i)]);
    // Rebuilding everything below the root is a full translation.
    CCLUSTER quick(n);
    ASSERT_TRUE(z.quick_translate(quick, 0));
    for (int i = 1; i <= n; ++i) expect_point(quick[i], rebuilt[i], 0.0);
}

// Every bond whose far atom has children, turned by 0.7 rad: the atoms below the far
// atom turn rigidly about the bond, every other atom keeps its very coordinates, and the
// tree's bond lengths and angles stay those of the rows. Turning back restores all.
void check_torsions(const Molecule& m) {
    SCOPED_TRACE(m.name);
    CZMATRIX z;
    ASSERT_NO_FATAL_FAILURE(load(m, z));
    const int n = z.get_size();
    CCLUSTER start(n);
    z.translate(start);
    const double angle = 0.7;
    for (int b = 2; b <= n; ++b) {
        if (z.get_linking(b, 1) == 0) continue;
        const int a = z[b].bond_ref;
        SCOPED_TRACE("bond " + std::to_string(a) + "-" + std::to_string(b));
        CCLUSTER turned = start;
        ASSERT_TRUE(z.rotate(a, b, angle));
        ASSERT_TRUE(z.quick_translate(turned, b));
        for (int i = 1; i <= n; ++i) {
            if (is_below(z, i, b)) {
                expect_point(turned[i], start[i].rotate(start[a], start[b], angle));
            } else {
                EXPECT_EQ(turned[i].x, start[i].x) << "atom " << i;
                EXPECT_EQ(turned[i].y, start[i].y) << "atom " << i;
                EXPECT_EQ(turned[i].z, start[i].z) << "atom " << i;
            }
        }
        for (int i = 2; i <= n; ++i) {
            const CVECTOR& bonded = turned[z[i].bond_ref];
            EXPECT_NEAR(turned[i].distance(bonded), z[i].bond_length, 1e-9);
            if (i >= 3) {
                EXPECT_NEAR(bonded.p_angle(turned[i], turned[z[i].angle_ref]), z[i].bond_angle,
                            1e-9);
            }
        }
        ASSERT_TRUE(z.rotate(a, b, -angle));
        ASSERT_TRUE(z.quick_translate(turned, b));
        for (int i = 1; i <= n; ++i) expect_point(turned[i], start[i]);
    }
}

// Seven steps of a seventh of a turn about each bond bring the molecule back.
void check_full_turns(const Molecule& m) {
    SCOPED_TRACE(m.name);
    CZMATRIX z;
    ASSERT_NO_FATAL_FAILURE(load(m, z));
    const int n = z.get_size();
    CCLUSTER start(n);
    z.translate(start);
    const int steps = 7;
    for (int b = 2; b <= n; ++b) {
        if (z.get_linking(b, 1) == 0) continue;
        const int a = z[b].bond_ref;
        CCLUSTER turned = start;
        for (int s = 0; s < steps; ++s) {
            ASSERT_TRUE(z.rotate(a, b, 2 * PI / steps));
            ASSERT_TRUE(z.quick_translate(turned, b));
        }
        for (int i = 1; i <= n; ++i) expect_point(turned[i], start[i]);
    }
}

}  // namespace

TEST(ZmatrixConversion, CombineThenTranslateGivesBackCoordinatesInZmatrixOrder) {
    check_round_trip(reversed_chain());
    check_round_trip(branched());
}

TEST(ZmatrixConversion, TorsionStepTurnsOnlyTheFarSideRigidly) {
    check_torsions(reversed_chain());
    check_torsions(branched());
}

TEST(ZmatrixConversion, FullTurnInEqualStepsGivesBackTheGeometry) {
    check_full_turns(reversed_chain());
    check_full_turns(branched());
}

TEST(ZmatrixConversion, RealMoleculesSurviveRoundTripTorsionsAndFullTurns) {
    SKIP_WITHOUT_REAL_OUTPUTS();
    for (const Molecule& m : real_molecules()) {
        check_round_trip(m);
        check_torsions(m);
        check_full_turns(m);
    }
}

TEST(ZmatrixConversion, OrientationOfTheFirstBond) {
    const struct {
        CVECTOR atom2;
        double alfa;
        double bata;
        double length;
    } cases[] = {
        {{0, 0, 1.5}, 0.0, PI / 2, 1.5},  // along z: no azimuth, pi/2 by convention
        {{1, 0, 0}, PI / 2, 0.0, 1.0},
        {{0, -1, 0}, PI / 2, 3 * PI / 2, 1.0},
        {{0, 0, -2}, PI, PI / 2, 2.0},
    };
    support::TempDir dir;
    dir.write("pair", "2\n1\n2 1\n");
    for (const auto& c : cases) {
        const CVECTOR atom1(0.5, -1, 2);
        CZMATRIX z(2);
        ASSERT_TRUE(z.read_linkrelation(dir.file("pair")));
        z.combine_zmatrix(cluster_of({atom1, atom1 + c.atom2}));
        EXPECT_NEAR(z.get_alfa(), c.alfa, 1e-12);
        EXPECT_NEAR(z.get_bata(), c.bata, 1e-12);
        EXPECT_NEAR(z[2].bond_length, c.length, 1e-12);
        expect_point(z.get_origin(), atom1, 0.0);
        CCLUSTER back(2);
        z.translate(back);
        expect_point(back[2], atom1 + c.atom2, 1e-12);
    }
}

// Turning atom 2's azimuth (the "bond" from the root to atom 1) and re-placing everything
// below atom 1 turns the whole molecule about the z axis through atom 1. Row 4 hangs on
// atom 1 but leans on atom 3, so it must be placed after atom 3, not right after atom 2.
TEST(ZmatrixConversion, TurningTheAzimuthTurnsTheWholeMoleculeAboutZ) {
    const Molecule m = branched();
    CZMATRIX z;
    ASSERT_NO_FATAL_FAILURE(load(m, z));
    ASSERT_EQ(z[4].dihedral_ref, 3);
    CCLUSTER xyz(6);
    z.translate(xyz);
    const CCLUSTER start = xyz;
    ASSERT_TRUE(z.rotate(0, 1, 0.4));
    ASSERT_TRUE(z.quick_translate(xyz, 1));
    for (int i = 1; i <= 6; ++i)
        expect_point(xyz[i], start[i].rotate(start[1], start[1] + CVECTOR(0, 0, 1), 0.4));
}

TEST(ZmatrixConversion, RotateKeepsTheDihedralWithinOneTurn) {
    const struct {
        double dihedral;
        double delta;
        double expected;
    } cases[] = {
        {6.0, 0.5, 6.5 - 2 * PI},
        {-6.0, -0.5, -6.5 + 2 * PI},
        {1.0, 0.5, 1.5},
        {-1.0, -4.0, -5.0},
    };
    CZMATRIX z;
    ASSERT_NO_FATAL_FAILURE(load(reversed_chain(), z));
    for (const auto& c : cases) {
        // The bond 3-4 is carried by the dihedral of row 5, atom 4's first child.
        z[5].dihedral_angle = c.dihedral;
        ASSERT_TRUE(z.rotate(3, 4, c.delta));
        EXPECT_NEAR(z[5].dihedral_angle, c.expected, 1e-12);
    }
}

TEST(ZmatrixConversion, EditsOfBondsOutsideTheTreeChangeNothing) {
    CZMATRIX z;
    ASSERT_NO_FATAL_FAILURE(load(reversed_chain(), z));
    std::ostringstream before;
    before << z;
    // Reversed bond, atoms not bonded, row numbers outside 1..n (row 0 holds flags).
    const std::pair<int, int> bonds[] = {{4, 3}, {2, 5}, {1, 0}, {0, 0}, {6, 7}, {-1, 1}};
    for (const auto& [a, b] : bonds) {
        EXPECT_FALSE(z.rotate(a, b, 0.3)) << a << "-" << b;
        EXPECT_FALSE(z.librate(a, b, 0.3)) << a << "-" << b;
    }
    std::ostringstream after;
    after << z;
    EXPECT_EQ(after.str(), before.str());
}

// The far side of a stretched bond moves along the bond, once it is re-placed.
TEST(ZmatrixConversion, LibrateStretchesOneBond) {
    CZMATRIX z;
    ASSERT_NO_FATAL_FAILURE(load(reversed_chain(), z));
    CCLUSTER xyz(6);
    z.translate(xyz);
    const CCLUSTER start = xyz;
    ASSERT_TRUE(z.librate(3, 4, 0.25));
    ASSERT_TRUE(z.quick_translate(xyz, 3));
    const CVECTOR shift = (start[4] - start[3]).normal() * 0.25;
    for (int i = 1; i <= 6; ++i) expect_point(xyz[i], i >= 4 ? start[i] + shift : start[i]);
}

TEST(ZmatrixConversion, RefusalsAreThrown) {
    CZMATRIX z;
    ASSERT_NO_FATAL_FAILURE(load(reversed_chain(), z));
    CCLUSTER five(5), six(6), none(0);
    support::expect_thrown([&] { z.translate(five); }, 6);
    support::expect_thrown([&] { z.quick_translate(six, 7); }, 6);
    EXPECT_FALSE(z.quick_translate(six, -1));
    CZMATRIX empty;
    support::expect_thrown([&] { empty.quick_translate(none, 0); }, 0);

    // Atoms 1, 2 and 3 in a line leave row 4 no plane for its dihedral.
    z[3].bond_angle = PI;
    z[4].bond_length = 1.25;
    support::expect_thrown([&] { z.translate(six); }, 1.25);

    z.clear();
    support::expect_thrown([&] { z.translate(six); }, 0);
    support::expect_thrown([&] { z.combine_zmatrix(six); }, 0);
}
