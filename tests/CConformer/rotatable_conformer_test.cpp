#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "CConformer.h"
#include "ConformerSupport.h"
#include "GeneratorSupport.h"

using namespace confsearch;

namespace {

using support::TempDir;
using support::TreeMolecule;

// Propan-1-ol's heavy atoms and hydroxyl hydrogen, C3-C2-C1-O-H, listed in the geometry
// file as O, C1, C2, C3, H and put into the Z-matrix from C3: rows 4, 3, 2, 1, 5.
TreeMolecule propanol() {
    TreeMolecule m;
    m.atoms = {{"O", {1.30, 1.19, 0.20}, 2},
               {"C", {0.0, 0.60, -0.10}, 3},
               {"C", {0.0, -0.90, 0.05}, 4},
               {"C", {-1.40, -1.45, -0.25}, 0},
               {"H", {1.25, 2.15, 0.05}, 1}};
    m.rows = {4, 3, 2, 1, 5};
    return m;
}

TEST(RotatableConformer, ReadingTheZmatrixRenumbersAtomsIntoRowOrder) {
    TempDir dir;
    const TreeMolecule m = propanol();
    CRotatableConformer c(5);
    support::load(c, m, dir);
    for (int row = 1; row <= 5; ++row) {
        const support::TreeAtom& atom = m.atoms[m.rows[row - 1] - 1];
        EXPECT_EQ(c.get_zmatrix().get_order(row), m.rows[row - 1]);
        EXPECT_EQ(c.get_element(row).get_symbol(), atom.symbol) << row;
        EXPECT_NEAR(c.get_vector(row).distance(atom.at), 0.0, 1e-12) << row;
    }
    // Row 4, the oxygen, hangs on row 3, C1: the measured C-O bond.
    EXPECT_NEAR(c.get_zmatrix()[4].bond_length, m.atoms[0].at.distance(m.atoms[1].at), 1e-12);
}

// After the block come one separator line of any length and the contacts; a file may
// stop anywhere before the pairs. Only a file whose block was taken renumbers the atoms.
TEST(RotatableConformer, ZmatrixFilesAreReadOrRefusedForACause) {
    const std::string block = "5\n4\n3 4\n2 3 4\n1 2 3 4\n5 1 2 3\n";
    struct Case {
        std::string text;
        ZmatrixFileStatus::Outcome outcome;
        int atoms_or_contacts;
    };
    const Case cases[] = {
        {block, ZmatrixFileStatus::none, 0},
        {block + "----\n0\n", ZmatrixFileStatus::none, 0},
        {block + "----\n-3\n1 5\n", ZmatrixFileStatus::none, 0},
        {block + std::string(3000, '-') + "\n1\n1 5\n", ZmatrixFileStatus::none, 1},
        {block + "----\n2\n1 5\n2\n5\n", ZmatrixFileStatus::none, 2},
        {"4\n4\n3 4\n2 3 4\n1 2 3 4\n", ZmatrixFileStatus::other_size, 4},
        {"four atoms\n", ZmatrixFileStatus::other_size, 0},
        {"5\n4\n3 4\n2 3\n1 2 3 4\n5 1 2 3\n", ZmatrixFileStatus::links_refused, 5},
        {"5\n4\n3 4\n2 3 4\n1 2 3 4\n1 1 2 3\n", ZmatrixFileStatus::links_refused, 5},
        {block + "--\n2\n1 5\n", ZmatrixFileStatus::contacts_unreadable, 5},
        {block + "--\n1\n1\n", ZmatrixFileStatus::contacts_unreadable, 5},
    };
    TempDir dir;
    dir.write("m.xyz", support::xyz_text(propanol()));
    for (const Case& k : cases) {
        dir.write("m.zmat", k.text);
        CRotatableConformer c(5);
        ASSERT_TRUE(c.read_xyz(dir.file("m.xyz")));
        const ZmatrixFileStatus status = c.read_Zmatrix_file(dir.file("m.zmat"));
        EXPECT_EQ(status.outcome, k.outcome) << k.text;
        const bool read = k.outcome == ZmatrixFileStatus::none;
        EXPECT_EQ(read ? c.get_contact_count() : status.atoms, k.atoms_or_contacts) << k.text;
        const bool renumbered = read || k.outcome == ZmatrixFileStatus::contacts_unreadable;
        EXPECT_EQ(c.get_element(1).get_symbol(), renumbered ? "C" : "O") << k.text;
    }
    CRotatableConformer c(5);
    ASSERT_TRUE(c.read_xyz(dir.file("m.xyz")));
    EXPECT_FALSE(c.read_Zmatrix(dir.file("none.zmat")));
    EXPECT_EQ(c.read_Zmatrix_file(dir.file("none.zmat")).outcome, ZmatrixFileStatus::cannot_open);
    CRotatableConformer empty(0);
    support::expect_thrown([&] { empty.read_Zmatrix(dir.file("m.zmat")); }, 0);
}

// Hydrogen D of the dial, 0.35 angstrom from a blocker at 10 degrees; the geometry file
// lists the blocker first, so the pair is (1, 5) there and (6, 4) in rows.
TEST(RotatableConformer, ContactsNameAtomsOfTheGeometryFile) {
    TreeMolecule m = support::dial({10});
    std::rotate(m.atoms.begin(), m.atoms.end() - 1, m.atoms.end());
    for (support::TreeAtom& a : m.atoms)
        if (a.parent != 0) a.parent = a.parent % 6 + 1;
    m.rows = {2, 3, 4, 5, 6, 1};
    TempDir dir;
    for (const auto& contacts :
         std::vector<std::vector<std::array<int, 2>>>{{}, {{1, 5}}, {{5, 1}}}) {
        m.contacts = contacts;
        CRotatableConformer c(6);
        support::load(c, m, dir);
        EXPECT_EQ(c.conformer_legit(), !contacts.empty());
        const Clash clash = c.first_clash();
        EXPECT_EQ(clash.first, contacts.empty() ? 4 : 0);
        EXPECT_EQ(clash.second, contacts.empty() ? 6 : 0);
    }
}

// Bonded pairs never clash, however close; any other pair clashes up to and including its
// bonding distance, to the last bit, along any direction.
TEST(RotatableConformer, ClashTestDecidesAtTheBondingDistance) {
    TempDir dir;
    CRotatableConformer c(6);
    support::load(c, support::dial({90}), dir);
    ASSERT_TRUE(c.conformer_legit());
    const CELEMENT carbon("C");
    const CELEMENT hydrogen("H");
    c.set_exyz(4, hydrogen, CVECTOR(0.05, 0, 0));  // D on its bonded carbon
    EXPECT_TRUE(c.conformer_legit());

    // Blocker 6 against D, an H-H pair: 0.73 angstrom. Both put where the differences of
    // their coordinates are exact.
    const CVECTOR e(0, 2, 0);
    c.set_exyz(6, hydrogen, e);
    const double limit = hydrogen.bond_distance(hydrogen);
    const double inf = std::numeric_limits<double>::infinity();
    c.set_exyz(4, hydrogen, e + CVECTOR(limit, 0, 0));
    EXPECT_FALSE(c.conformer_legit());
    c.set_exyz(4, hydrogen, e + CVECTOR(std::nextafter(limit, inf), 0, 0));
    EXPECT_TRUE(c.conformer_legit());
    for (int k = 0; k < 400; ++k) {
        const CVECTOR direction = CVECTOR(std::cos(k * 0.7), std::sin(k * 1.3), std::cos(k * 0.31));
        const double length = limit * (1 + (k % 41 - 20) * 1e-16);
        c.set_exyz(4, hydrogen, e + direction.normal() * length);
        const bool clear = c.get_vector(4).distance(e) > limit;
        ASSERT_EQ(c.conformer_legit(), clear) << k;
        ASSERT_EQ(c.first_clash().first == 0, clear) << k;
    }
    // A conformer whose elements change after the Z-matrix is read keeps its clash test:
    // a carbon D is 1.25 angstrom from a hydrogen.
    c.set_exyz(4, hydrogen, e + CVECTOR(1.0, 0, 0));
    EXPECT_TRUE(c.conformer_legit());
    c.set_exyz(4, carbon, e + CVECTOR(1.0, 0, 0));
    EXPECT_FALSE(c.conformer_legit());
}

TEST(RotatableConformer, RotateTurnsOnlyTheFarSideAndTurnsBack) {
    TempDir dir;
    CRotatableConformer c(7);
    support::load(c, support::dial({90, 180}), dir);
    const CRotatableConformer before = c;
    ASSERT_TRUE(c.rotate(2, 3, PI / 2));
    EXPECT_NEAR(support::dial_angle(c.get_vector(4)), 90, 1e-9);
    for (const int fixed : {1, 2, 3, 6, 7})
        EXPECT_EQ(c.get_vector(fixed), before.get_vector(fixed));
    // F turns with D: its distance to the axis and height stay.
    EXPECT_NEAR(c.get_vector(5).z, before.get_vector(5).z, 1e-12);
    EXPECT_NEAR(c.get_vector(5).x, -before.get_vector(5).y, 1e-12);
    EXPECT_NEAR(c.get_vector(5).y, before.get_vector(5).x, 1e-12);
    ASSERT_TRUE(c.rotate(2, 3, -PI / 2));
    support::expect_same_geometry(c, before, 1e-12);

    EXPECT_FALSE(c.rotate(3, 2, 0.5));
    EXPECT_FALSE(c.rotate(1, 3, 0.5));
    support::expect_same_geometry(c, before, 0.0);
}

}  // namespace
