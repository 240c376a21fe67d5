#include <gtest/gtest.h>
#include "CConformer.h"

#include "ConformerSupport.h"
#include "PerceptionSupport.h"
#include "TestSupport.h"

#include <fstream>
#include <string>
#include <vector>

using namespace confsearch;

namespace {

const char* const FIXTURES[] = {"water",        "ethanol",          "butane",
                                "benzene",      "cyclohexane",      "biphenyl",
                                "nitrobenzene", "n_ethylacetamide", "trifluoroethanol"};

// The written file read back as the generator reads it: the link-matrix block must be
// accepted, the Z-matrix measured from the input must rebuild it, and the contacts after
// the separator line must be the ring closures, in input numbers.
void expect_file_rebuilds(const CBasicConformer& molecule, const std::string& name) {
    SCOPED_TRACE(name);
    const int n = molecule.get_size();
    const CBondGraph graph(molecule);
    const CZmatrixTree tree(molecule, graph);
    support::TempDir dir;
    tree.write_zmatrix_file(dir.file("m.zmat"));

    CZMATRIX z(n);
    ASSERT_TRUE(z.read_linkmatrix(dir.file("m.zmat")));
    ASSERT_TRUE(z.is_linked());
    CCLUSTER input(n);
    for (int i = 1; i <= n; ++i) input[i] = molecule.get_vector(i);
    CCLUSTER rebuilt(n);
    z.combine_zmatrix(input);
    z.translate(rebuilt);
    for (int row = 1; row <= n; ++row) {
        EXPECT_EQ(z.get_order(row), tree.get_atom(row));
        EXPECT_NEAR(rebuilt[row].distance(input[z.get_order(row)]), 0.0, 1e-9) << row;
    }

    std::ifstream in(dir.file("m.zmat"));
    std::string line;
    for (int k = 0; k < n + 2; ++k) std::getline(in, line);
    EXPECT_EQ(line, ZMATRIX_CONTACTS_LINE);
    int count = -1;
    in >> count;
    ASSERT_EQ(count, graph.get_ring_count());
    for (const auto& closure : tree.get_ring_closures()) {
        int a = 0;
        int b = 0;
        in >> a >> b;
        EXPECT_EQ(std::make_pair(a, b), std::make_pair(closure.atom1, closure.atom2));
        EXPECT_TRUE(graph.bonded(a, b));
        EXPECT_FALSE(tree.is_tree_bond(a, b));
    }

    // Every perceived bond is a tree bond or a ring closure; no atom has four children.
    int tree_bonds = 0;
    for (const auto& bond : graph.get_bonds()) {
        if (tree.is_tree_bond(bond.atom1, bond.atom2)) {
            ++tree_bonds;
            EXPECT_TRUE(z.belinking(tree.get_row(bond.atom1), tree.get_row(bond.atom2)));
        }
    }
    EXPECT_EQ(tree_bonds, n - 1);
    for (int i = 1; i <= n; ++i) EXPECT_LE(tree.get_children(i).size(), 3u) << i;
}

}  // namespace

TEST(ZmatrixTree, WrittenFileRebuildsTheMolecule) {
    for (const char* name : FIXTURES) expect_file_rebuilds(support::molecule(name), name);
    expect_file_rebuilds(support::butan_2_ol(), "butan-2-ol");
}

TEST(ZmatrixTree, WrittenFileRebuildsRealOutputs) {
    SKIP_WITHOUT_REAL_OUTPUTS();
    for (const auto& output :
         {support::DIVINYLBENZENE, support::AMINOX_CATALYST, support::WATER_MP2}) {
        expect_file_rebuilds(support::real_output(output), output.file);
    }
}

TEST(ZmatrixTree, WaterFileIsExact) {
    const CBasicConformer water = support::molecule("water");
    const CZmatrixTree tree(water, CBondGraph(water));
    support::TempDir dir;
    tree.write_zmatrix_file(dir.file("water.zmat"));
    EXPECT_EQ(dir.read("water.zmat"),
              "3\n1  O\n2 1  H\n3 1 2  H\nallowed contacts: the ring-closure bonds\n0\n");
}

TEST(ZmatrixTree, RootSitsAtTheCentralHeavyAtom) {
    // The central heavy atom is the root, or, when it has four neighbours, the root's
    // only neighbour: the tree is entered through one of its terminal atoms.
    const std::vector<std::pair<std::string, std::vector<int>>> cases = {
        {"water", {1}},       {"ethanol", {2}},          {"butane", {2, 3}},
        {"biphenyl", {1, 7}}, {"n_ethylacetamide", {4}},
    };
    for (const auto& [name, central] : cases) {
        const CBasicConformer molecule = support::molecule(name);
        const CBondGraph graph(molecule);
        const CZmatrixTree tree(molecule, graph);
        int atom = tree.get_root();
        if (graph.get_degree(atom) == 1) atom = graph.get_neighbours(atom)[0];
        EXPECT_NE(std::find(central.begin(), central.end(), atom), central.end()) << name;
    }
}

TEST(ZmatrixTree, RefusesWhatNoZmatrixTreeHolds) {
    // SF6 at 1.56 angstrom; two waters 3 angstrom apart; acetylene on the x axis.
    std::vector<support::Atom> sf6 = {{16, 0, 0, 0}};
    for (const auto& [x, y, z] : {std::tuple{1.56, 0.0, 0.0},
                                  {-1.56, 0.0, 0.0},
                                  {0.0, 1.56, 0.0},
                                  {0.0, -1.56, 0.0},
                                  {0.0, 0.0, 1.56},
                                  {0.0, 0.0, -1.56}})
        sf6.push_back({9, x, y, z});
    const std::vector<std::pair<CBasicConformer, std::string>> cases = {
        {support::conformer_of(sf6),
         "atom 1 (S) has 6 neighbours (atoms 2, 3, 4, 5, 6, 7); a Z-matrix tree allows at most "
         "four"},
        {support::conformer_of({{8, 0, 0, 0.117},
                                {1, 0, 0.757, -0.469},
                                {1, 0, -0.757, -0.469},
                                {8, 3, 0, 0.117},
                                {1, 3, 0.757, -0.469},
                                {1, 3, -0.757, -0.469}}),
         "the bonds found split the molecule into 2 pieces (3 atoms from atom 1; 3 atoms from "
         "atom 4); a Z-matrix needs one connected molecule"},
        {support::conformer_of(
             {{1, -1.66, 0, 0}, {6, -0.6, 0, 0}, {6, 0.6, 0, 0}, {1, 1.66, 0, 0}}),
         "lie on one line"},
    };
    for (const auto& [molecule, message] : cases) {
        const std::string why =
            support::refusal([&] { CZmatrixTree tree(molecule, CBondGraph(molecule)); });
        EXPECT_NE(why.find(message), std::string::npos) << why;
    }
}
