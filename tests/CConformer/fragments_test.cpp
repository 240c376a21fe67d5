#include <gtest/gtest.h>
#include "CConformer.h"

#include "TestSupport.h"

#include <cmath>
#include <string>
#include <vector>

using namespace confsearch;

namespace {

struct Placed {
    const char* symbol;
    CVECTOR at;
};

CBasicConformer molecule(const std::vector<Placed>& atoms, int size = 0) {
    CBasicConformer c(size > 0 ? size : static_cast<int>(atoms.size()));
    for (int i = 1; i <= static_cast<int>(atoms.size()); ++i)
        c.set_exyz(i, CELEMENT(atoms[i - 1].symbol), atoms[i - 1].at);
    return c;
}

// What a call threw: "int 6", "double", or "nothing".
template <typename F>
std::string thrown(F f) {
    try {
        f();
    } catch (int value) {
        return "int " + std::to_string(value);
    } catch (double) {
        return "double";
    }
    return "nothing";
}

void expect_atoms(const CBasicConformer& c, const std::vector<Placed>& atoms, double tol,
                  const std::string& label) {
    ASSERT_EQ(c.get_size(), static_cast<int>(atoms.size())) << label;
    for (int i = 1; i <= c.get_size(); ++i) {
        EXPECT_EQ(c.get_element(i).get_symbol(), atoms[i - 1].symbol) << label << " atom " << i;
        EXPECT_NEAR(c.get_vector(i).distance(atoms[i - 1].at), 0.0, tol) << label << " atom " << i;
    }
}

void expect_positions_unchanged(const CBasicConformer& c, const CBasicConformer& before,
                                const std::string& label) {
    ASSERT_EQ(c.get_size(), before.get_size()) << label;
    for (int i = 1; i <= c.get_size(); ++i)
        EXPECT_EQ(c.get_vector(i), before.get_vector(i)) << label << " atom " << i;
}

}  // namespace

// Atoms 1 and 2 lie on the z axis; the right-handed quarter turn about +z takes (x, y) to
// (-y, x), about -z to (y, -x).
TEST(PartRotation, TurnsOnlyListedAtomsAboutTheBond) {
    const std::vector<Placed> start = {{"C", {0, 0, 0}},
                                       {"C", {0, 0, 2}},
                                       {"H", {1, 0, 0.5}},
                                       {"O", {0, 2, 1.5}},
                                       {"N", {1, 1, 1}}};
    struct Case {
        int i;
        int j;
        double angle;
        std::vector<int> list;
        std::vector<Placed> expected;
    };
    const Case cases[] = {
        {1,
         2,
         PI,
         {2, 3, 4},
         {{"C", {0, 0, 0}},
          {"C", {0, 0, 2}},
          {"H", {-1, 0, 0.5}},
          {"O", {0, -2, 1.5}},
          {"N", {1, 1, 1}}}},
        {1,
         2,
         PI / 2,
         {2, 1, 5},
         {{"C", {0, 0, 0}},
          {"C", {0, 0, 2}},
          {"H", {1, 0, 0.5}},
          {"O", {0, 2, 1.5}},
          {"N", {-1, 1, 1}}}},
        {2,
         1,
         PI / 2,
         {1, 3},
         {{"C", {0, 0, 0}},
          {"C", {0, 0, 2}},
          {"H", {0, -1, 0.5}},
          {"O", {0, 2, 1.5}},
          {"N", {1, 1, 1}}}},
        {1, 2, PI / 2, {0}, start},
    };
    for (const Case& c : cases) {
        CBasicConformer m = molecule(start);
        m.part_rotate(c.i, c.j, c.angle, c.list.data());
        expect_atoms(m, c.expected, 1e-12, "list of " + std::to_string(c.list[0]));
    }
}

TEST(PartRotation, FailureLeavesEveryAtomInPlace) {
    const CBasicConformer start =
        molecule({{"C", {0, 0, 0}}, {"C", {0, 0, 2}}, {"H", {1, 0, 0.5}}});
    struct Case {
        int i;
        int j;
        std::vector<int> list;
        const char* thrown;
    };
    const Case cases[] = {
        {1, 2, {2, 3, 4}, "int 4"},
        {1, 2, {2, 3, 0}, "int 0"},
        {0, 2, {1, 3}, "int 0"},
        {1, 1, {1, 3}, "double"},  // no axis
    };
    for (const Case& c : cases) {
        CBasicConformer m(start);
        EXPECT_EQ(thrown([&] { m.part_rotate(c.i, c.j, 1.0, c.list.data()); }), c.thrown);
        expect_positions_unchanged(m, start, c.thrown);
    }
    CBasicConformer m(start);
    EXPECT_EQ(thrown([&] { m.part_rotate(1, 2, 1.0, nullptr); }), "nothing");
    expect_positions_unchanged(m, start, "no list");
}

TEST(StandardFrame, AdjustPlacesThreeAtomsAndFailsWithoutChange) {
    CBasicConformer m = molecule({{"O", {1, 2, 1}}, {"C", {1, 1, 1}}, {"N", {3, 1, 1}}});
    m.adjust_xyz(2, 3, 1);
    expect_atoms(m, {{"O", {1, 0, 0}}, {"C", {0, 0, 0}}, {"N", {0, 0, 2}}}, 1e-12, "adjusted");

    // Atom 2 straight above atom 1: already on the z axis once atom 1 is at the origin.
    const CBasicConformer upright =
        molecule({{"O", {1, 1, 1}}, {"C", {1, 1, 3}}, {"N", {2, 1, 1}}});
    CBasicConformer copy(upright);
    EXPECT_EQ(thrown([&] { copy.adjust_xyz(1, 2, 3); }), "double");
    expect_positions_unchanged(copy, upright, "upright");
    EXPECT_EQ(thrown([&] { copy.adjust_xyz(1, 4, 3); }), "int 4");
    expect_positions_unchanged(copy, upright, "index 4");
    EXPECT_EQ(thrown([] { CBasicConformer(0).adjust_xyz(1, 2, 3); }), "int 0");
}

TEST(Mirror, ReflectionInPlaneOfThreeAtomsAndTwiceRestores) {
    const CBasicConformer start =
        molecule({{"C", {0, 0, 0}}, {"C", {1, 0, 0}}, {"C", {0, 1, 0}}, {"H", {0.3, 0.4, 5}}});
    CBasicConformer m(start);
    m.reflect(1, 2, 3);
    expect_atoms(m, {{"C", {0, 0, 0}}, {"C", {1, 0, 0}}, {"C", {0, 1, 0}}, {"H", {0.3, 0.4, -5}}},
                 1e-12, "mirrored");
    // Twice in an oblique plane, then back through the first one.
    m.reflect(4, 2, 3);
    m.reflect(4, 2, 3);
    m.reflect(1, 2, 3);
    expect_atoms(m, {{"C", {0, 0, 0}}, {"C", {1, 0, 0}}, {"C", {0, 1, 0}}, {"H", {0.3, 0.4, 5}}},
                 1e-12, "restored");

    CBasicConformer line =
        molecule({{"C", {0, 0, 0}}, {"C", {1, 0, 0}}, {"C", {2, 0, 0}}, {"H", {0, 1, 0}}});
    const CBasicConformer line_before(line);
    EXPECT_EQ(thrown([&] { line.reflect(1, 2, 3); }), "int 0");
    expect_positions_unchanged(line, line_before, "collinear");
    EXPECT_EQ(thrown([&] { line.reflect(1, 2, 5); }), "int 5");
    EXPECT_EQ(thrown([] { CBasicConformer(0).reflect(1, 2, 3); }), "int 0");
}

namespace {

// The fragment that moves, described in its own frame: origin at p2 (atom 2), first axis
// along the bond to p3 (atom 4), second axis towards p1 (atom 1). FRAGMENT_LOCAL gives each
// atom's coordinates along (bond, towards p1, bond x towards p1).
const char* const FRAGMENT_SYMBOLS[] = {"C", "C", "H", "O", "N"};
const CVECTOR FRAGMENT_LOCAL[] = {
    {0, 1, 0}, {0, 0, 0}, {0.3, 0.4, 0.5}, {1.5, 0, 0}, {-0.6, -0.2, 0.7}};

// The fragment set down at origin with its frame axes along u and v (unit, perpendicular).
CBasicConformer fragment(const CVECTOR& origin, const CVECTOR& u, const CVECTOR& v, int size = 5) {
    const CVECTOR w = u % v;
    std::vector<Placed> atoms;
    for (int i = 0; i < 5; ++i) {
        const CVECTOR& l = FRAGMENT_LOCAL[i];
        atoms.push_back({FRAGMENT_SYMBOLS[i], origin + u * l.x + v * l.y + w * l.z});
    }
    return molecule(atoms, size);
}

// The fixed fragment: q2 (atom 1) at (1, 1, 1) with q3 (atom 2) and q4 (atom 4) at
// different distances but symmetric about +y, so the bisector at q2 is +y; q1 (atom 5)
// lies towards +z off that line.
CBasicConformer acceptor(const char* q4_symbol, int size = 6) {
    return molecule({{"C", {1, 1, 1}},
                     {"H", {2.6, 2.2, 1}},
                     {"C", {1, 1, -1}},
                     {q4_symbol, {0.2, 1.6, 1}},
                     {"C", {1, 0.5, 2}},
                     {"O", {3, 3, 3}}},
                    size);
}

}  // namespace

// After the join p2 sits on q2 = (1, 1, 1), the bond to p3 points along +y and p1 is anti
// to q1 (towards -z), so the fragment's axes (bond, towards p1, their cross product) end up
// along +y, -z and -x: a local point (a, b, c) lands on q2 + (-c, a, -b), whatever the
// fragment's starting place.
TEST(FragmentJoin, JunctionGeometryHoldsFromAnyStartingOrientation) {
    const CVECTOR C1(1, 1, 0), H3(0.5, 1.3, 0.6), O4(1, 2.5, 1), N5(0.3, 0.4, 1.2);
    const std::vector<Placed> hydrogen_join = {
        {"C", C1},        {"H", H3},         {"O", O4},          {"N", N5},
        {"C", {1, 1, 1}}, {"C", {1, 1, -1}}, {"C", {1, 0.5, 2}}, {"O", {3, 3, 3}}};
    const std::vector<Placed> carbon_join = {{"C", C1},          {"H", H3},
                                             {"N", N5},          {"C", {1, 1, 1}},
                                             {"C", {1, 1, -1}},  {"C", {0.2, 1.6, 1}},
                                             {"C", {1, 0.5, 2}}, {"O", {3, 3, 3}}};
    struct Start {
        const char* name;
        CVECTOR origin;
        CVECTOR u;
        CVECTOR v;
    };
    const Start starts[] = {
        {"oblique", {-2, 3, 0.5}, CVECTOR(1, 2, 2) / 3, CVECTOR(2, 1, -2) / 3},
        // The bond already along the bisector, or against it, once p2 is on q2.
        {"along bisector", {4, -1, 0}, {0, 1, 0}, {1, 0, 0}},
        {"against bisector", {0, 0, 7}, {0, -1, 0}, {0, 0, 1}},
    };
    for (const Start& s : starts) {
        CBasicConformer mine = fragment(s.origin, s.u, s.v);
        mine.set_GaussionFile_head("#b3lyp/6-31g(d) opt\n\nfragment\n\n0 1\n");
        support::TempDir dir;
        dir.write("bonds", "2\n1 2\n2 4\n");
        ASSERT_TRUE(mine.read_bondlist(dir.file("bonds")));
        const CBasicConformer before(mine);

        for (const char* q4 : {"H", "C"}) {
            const CBasicConformer other = acceptor(q4);
            const CBasicConformer joined = mine.combine(other, 1, 2, 4, 5, 1, 2, 4);
            const std::string label = std::string(s.name) + ", q4 " + q4;
            expect_atoms(joined, q4 == std::string("H") ? hydrogen_join : carbon_join, 1e-9, label);
            EXPECT_EQ(joined.get_GaussionFile_head(), PM3_OPT) << label;
            EXPECT_TRUE(joined.get_bondlist().empty()) << label;
            expect_positions_unchanged(mine, before, label);
            EXPECT_EQ(mine.get_bondlist().size(), 3u) << label;
            EXPECT_EQ(mine.get_GaussionFile_head(), "#b3lyp/6-31g(d) opt\n\nfragment\n\n0 1\n");
        }
    }
}

TEST(FragmentJoin, FailureLeavesBothFragmentsAsTheyWere) {
    struct Case {
        const char* name;
        CBasicConformer mine;
        CBasicConformer other;
        int p3;
        int q1;
        const char* thrown;
    };
    const CVECTOR oblique_u = CVECTOR(1, 2, 2) / 3;
    const CVECTOR oblique_v = CVECTOR(2, 1, -2) / 3;
    CBasicConformer collinear = fragment({4, -1, 0}, {0, 1, 0}, {1, 0, 0});
    collinear.set_exyz(1, CELEMENT(6), CVECTOR(4, -2, 0));  // p1 behind p2 on the p3 line
    CBasicConformer opposite = acceptor("H");
    opposite.set_exyz(4, CELEMENT(1), CVECTOR(-0.6, -0.2, 1));  // q4 straight across from q3
    Case cases[] = {
        {"q4 oxygen", fragment({-2, 3, 0.5}, oblique_u, oblique_v), acceptor("O"), 4, 5, "int 4"},
        {"p3 beyond", fragment({-2, 3, 0.5}, oblique_u, oblique_v), acceptor("H"), 6, 5, "int 6"},
        {"q1 zero", fragment({-2, 3, 0.5}, oblique_u, oblique_v), acceptor("H"), 4, 0, "int 0"},
        {"no bisector", fragment({-2, 3, 0.5}, oblique_u, oblique_v), opposite, 4, 5, "double"},
        {"p1 p2 p3 in line", collinear, acceptor("H"), 4, 5, "double"},
        {"q1 on new bond", fragment({-2, 3, 0.5}, oblique_u, oblique_v), acceptor("H"), 4, 1,
         "double"},
        // 60 + 50 - 3 atoms are more than a conformer holds.
        {"too many atoms", fragment({-2, 3, 0.5}, oblique_u, oblique_v, 60), acceptor("H", 50), 4,
         5, "int 107"},
    };
    for (Case& c : cases) {
        const CBasicConformer mine_before(c.mine);
        const CBasicConformer other_before(c.other);
        EXPECT_EQ(thrown([&] { c.mine.combine(c.other, 1, 2, c.p3, c.q1, 1, 2, 4); }), c.thrown)
            << c.name;
        expect_positions_unchanged(c.mine, mine_before, c.name);
        expect_positions_unchanged(c.other, other_before, c.name);
    }
}

// Water's hydrogen 2 takes the place of the terminal CH2 carbon of a vinyl group of
// divinylbenzene (C10, bonded to C9, with hydrogens 11 and 13): the oxygen replaces both
// hydrogens, at the O-H distance of water, on the bisector of H11-C10-H13.
TEST(FragmentJoin, WaterOntoVinylOfRealDivinylbenzene) {
    SKIP_WITHOUT_REAL_OUTPUTS();
    const auto dir = support::real_outputs_dir();
    CBasicConformer water(3);
    ASSERT_TRUE(water.read_xyz_inout((dir / "g16_water_mp2.log").string()));
    CBasicConformer dvb(20);
    ASSERT_TRUE(dvb.read_xyz_inout((dir / "g16_dvb_gopt.out").string()));
    ASSERT_EQ(water.get_element(1).get_symbol(), "O");
    ASSERT_EQ(dvb.get_element(10).get_symbol(), "C");
    ASSERT_EQ(dvb.get_element(13).get_symbol(), "H");

    const CBasicConformer joined = water.combine(dvb, 3, 2, 1, 9, 10, 11, 13);
    ASSERT_EQ(joined.get_size(), 20);
    const CVECTOR O = joined.get_vector(1);
    const CVECTOR H = joined.get_vector(2);
    EXPECT_EQ(joined.get_element(1).get_symbol(), "O");
    EXPECT_EQ(joined.get_element(2).get_symbol(), "H");
    const CVECTOR C9 = dvb.get_vector(9), C10 = dvb.get_vector(10);
    const CVECTOR H11 = dvb.get_vector(11), H13 = dvb.get_vector(13);

    EXPECT_NEAR(C10.distance(O), water.get_vector(1).distance(water.get_vector(2)), 1e-9);
    EXPECT_NEAR(O.distance(H), water.get_vector(1).distance(water.get_vector(3)), 1e-9);
    // The water angle H-O-H survives as H-O-C10.
    EXPECT_NEAR(O.p_angle(H, C10),
                water.get_vector(1).p_angle(water.get_vector(3), water.get_vector(2)), 1e-9);
    // On the bisector: in the plane of the molecule (the optimised divinylbenzene lies in
    // z = 0), halving the angle H11-C10-H13.
    EXPECT_NEAR(O.z, 0.0, 1e-9);
    EXPECT_NEAR(C10.p_angle(O, H11), C10.p_angle(H11, H13) / 2, 1e-9);
    EXPECT_NEAR(C10.p_angle(O, H13), C10.p_angle(H11, H13) / 2, 1e-9);
    // Water's free hydrogen anti to C9 about the new C-O bond.
    EXPECT_NEAR(std::fabs(H.p_dihang(C10, O, C9)), PI, 1e-9);

    // The rest of divinylbenzene stays where it was, in its order, without 11 and 13.
    int n = 2;
    for (int i = 1; i <= 20; ++i) {
        if (i == 11 || i == 13) continue;
        ++n;
        EXPECT_EQ(joined.get_element(n).get_number(), dvb.get_element(i).get_number()) << i;
        EXPECT_EQ(joined.get_vector(n), dvb.get_vector(i)) << i;
    }
}
