#include <gtest/gtest.h>
#include "CMyMath.h"

#include <string>
#include <vector>

#include "TestSupport.h"

using namespace confsearch;

namespace {

// One row as a connectivity file gives it: its atom number and its references, also
// atom numbers (0 where the row has none).
struct Row {
    int atom;
    int bond = 0;
    int angle = 0;
    int dihedral = 0;
};

CZMATRIX filled(const std::vector<Row>& rows) {
    CZMATRIX z(static_cast<int>(rows.size()));
    for (int i = 1; i <= z.get_size(); ++i) {
        const Row& r = rows[static_cast<std::size_t>(i) - 1];
        z.set_order(i, r.atom);
        z[i] = CZ_VECTOR(r.bond, 0, r.angle, 0, r.dihedral, 0);
    }
    return z;
}

// "2:1 3:2,1 4:3,2,1": the references of rows 2..n after standardization.
std::string references(const CZMATRIX& z) {
    std::string text;
    for (int i = 2; i <= z.get_size(); ++i) {
        text += (i > 2 ? " " : "") + std::to_string(i) + ":" + std::to_string(z[i].bond_ref);
        if (i >= 3) text += "," + std::to_string(z[i].angle_ref);
        if (i >= 4) text += "," + std::to_string(z[i].dihedral_ref);
    }
    return text;
}

// "0[0 1 0 0] 1[0 2 0 0] ...": every link entry, the root's first.
std::string link_entries(const CZMATRIX& z) {
    std::string text;
    for (int i = 0; i <= z.get_size(); ++i) {
        text += (i > 0 ? " " : "") + std::to_string(i) + "[";
        for (int k = 0; k < z.get_max_links(); ++k)
            text += (k > 0 ? " " : "") + std::to_string(z.get_linking(i, k));
        text += "]";
    }
    return text;
}

}  // namespace

TEST(LinkRelation, ReferencesFollowTheTreeOrTheRelationIsRefused) {
    const struct {
        const char* name;
        std::vector<Row> rows;
        bool accepted;
        const char* refs;
    } cases[] = {
        {"chain", {{1}, {2, 1}, {3, 2}, {4, 3}}, true, "2:1 3:2,1 4:3,2,1"},
        // Later children of atom 2 hang their dihedral on its first child, atom 3.
        {"three on atom 2",
         {{1}, {2, 1}, {3, 2}, {4, 2}, {5, 2}},
         true,
         "2:1 3:2,1 4:2,1,3 5:2,1,3"},
        // Atom 1 has no parent: its later children lean on its first child.
        {"three on atom 1",
         {{1}, {2, 1}, {3, 1}, {4, 1}, {5, 2}, {6, 3}},
         true,
         "2:1 3:1,2 4:1,2,3 5:2,1,3 6:3,1,2"},
        {"two branches on atom 1", {{1}, {2, 1}, {3, 2}, {4, 1}}, true, "2:1 3:2,1 4:1,2,3"},
        // Atom numbers become row numbers: rows 1..3 are atoms 2, 1, 3.
        {"reordered", {{2}, {1, 2}, {3, 1}}, true, "2:1 3:2,1"},
        {"repeated atom", {{1}, {1, 1}, {3, 1}}, false, ""},
        {"partner is a later row", {{1}, {2, 1}, {3, 4}, {4, 2}}, false, ""},
        {"bonded to itself", {{1}, {2, 2}}, false, ""},
        {"no partner", {{1}, {2, 1}, {3, 0}}, false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CZMATRIX z = filled(c.rows);
        ASSERT_EQ(z.standardize_linkrelation(), c.accepted);
        EXPECT_EQ(z.is_linked(), c.accepted);
        if (c.accepted) {
            EXPECT_EQ(references(z), c.refs);
            EXPECT_EQ(z.is_reordered(), std::string(c.name) == "reordered");
        }
    }
}

TEST(LinkRelation, TreeHoldsParentsAndChildrenInRowOrder) {
    CZMATRIX chain = filled({{1}, {2, 1}, {3, 2}, {4, 3}});
    ASSERT_TRUE(chain.standardize_linkrelation());
    EXPECT_EQ(link_entries(chain), "0[0 1 0 0] 1[0 2 0 0] 2[1 3 0 0] 3[2 4 0 0] 4[3 0 0 0]");

    CZMATRIX star = filled({{1}, {2, 1}, {3, 2}, {4, 2}, {5, 2}});
    ASSERT_TRUE(star.standardize_linkrelation());
    EXPECT_EQ(link_entries(star),
              "0[0 1 0 0] 1[0 2 0 0] 2[1 3 4 5] 3[2 0 0 0] 4[2 0 0 0] 5[2 0 0 0]");
    EXPECT_TRUE(star.belinking(2, 5));
    EXPECT_TRUE(star.belinking(5, 2));
    EXPECT_FALSE(star.belinking(3, 4));
    EXPECT_FALSE(star.belinking(1, 0));
    EXPECT_FALSE(star.belinking(5, 6));
    support::expect_thrown([&] { star.get_linking(6, 0); }, 5);
    support::expect_thrown([&] { star.get_linking(1, 4); }, 5);
    EXPECT_EQ(CZMATRIX().get_linking(3, 9), 0);
}

TEST(LinkRelation, AFourthChildIsThrown) {
    CZMATRIX z = filled({{1}, {2, 1}, {3, 1}, {4, 1}, {5, 1}});
    support::expect_thrown([&] { z.standardize_linkrelation(); }, 4);
}

TEST(LinkRelation, TreeOperationsNeedStandardizedRows) {
    CZMATRIX z = filled({{1}, {2, 1}, {3, 2}});
    support::expect_thrown([&] { z.make_link(); }, 0);
    support::expect_thrown([&] { z.make_linkmatrix(); }, 0);
    support::expect_thrown([] { CZMATRIX().standardize_linkmatrix(); }, 0);
}

TEST(LinkMatrix, ReferencesMustBeTreeNeighboursWithOneTorsionPerBond) {
    // The chain 1-2-3-4 with atoms 5 and 6 on atom 4, then variants of rows 5 and 6.
    const std::vector<Row> chain = {{1}, {2, 1}, {3, 2, 1}, {4, 3, 2, 1}};
    auto with = [&](std::vector<Row> extra) {
        std::vector<Row> rows = chain;
        rows.insert(rows.end(), extra.begin(), extra.end());
        return rows;
    };
    const struct {
        const char* name;
        std::vector<Row> rows;
        bool accepted;
        const char* refs;
    } cases[] = {
        {"6 leans on 5", with({{5, 4, 3, 2}, {6, 4, 3, 5}}), true,
         "2:1 3:2,1 4:3,2,1 5:4,3,2 6:4,3,5"},
        {"two torsions about 3-4", with({{5, 4, 3, 2}, {6, 4, 3, 2}}), false, ""},
        {"angle partner not bonded to the bond partner", with({{5, 4, 2, 1}}), false, ""},
        {"dihedral partner bonded to neither", with({{5, 4, 3, 1}}), false, ""},
        {"a reference named twice", with({{5, 4, 4, 3}}), false, ""},
        {"a reference to a later row", with({{5, 4, 3, 6}, {6, 4, 3, 2}}), false, ""},
        {"row 2 not bonded to row 1", {{1}, {2, 3}, {3, 2, 1}}, false, ""},
        {"row 3 not bonded to rows 1 and 2", {{1}, {2, 1}, {3, 2, 3}}, false, ""},
        // Atom numbers become row numbers: the chain 1-2-3-4 given from atom 4.
        {"reversed chain", {{4}, {3, 4}, {2, 3, 4}, {1, 2, 3, 4}}, true, "2:1 3:2,1 4:3,2,1"},
        {"row 3 bonded to row 1",
         {{1}, {2, 1}, {3, 1, 2}, {4, 3, 1, 2}},
         true,
         "2:1 3:1,2 4:3,1,2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CZMATRIX z = filled(c.rows);
        ASSERT_EQ(z.standardize_linkmatrix(), c.accepted);
        EXPECT_EQ(z.is_linked(), c.accepted);
        if (c.accepted) {
            EXPECT_EQ(references(z), c.refs);
        }
    }
}

// Connectivity read into a matrix that was linked before must not leave it passing for
// linked when the new connectivity is refused half-way.
TEST(LinkMatrix, RefusedConnectivityDropsTheLinkedFlag) {
    CZMATRIX z = filled({{1}, {2, 1}, {3, 2, 1}, {4, 3, 2, 1}});
    ASSERT_TRUE(z.standardize_linkmatrix());
    z.set_order(3, 1);
    EXPECT_FALSE(z.standardize_linkmatrix());
    EXPECT_FALSE(z.is_linked());
    EXPECT_FALSE(z.is_standardized());
}
