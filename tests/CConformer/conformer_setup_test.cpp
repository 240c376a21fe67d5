#include <gtest/gtest.h>
#include "CConformer.h"

#include "ConformerSupport.h"
#include "PerceptionSupport.h"
#include "TestSupport.h"

#include <fstream>
#include <string>
#include <vector>

using namespace confsearch;

TEST(ConformerSetup, FreedomFileAndSummaryOfButan2ol) {
    const CConformerSetup setup(support::butan_2_ol());
    support::TempDir dir;
    setup.write_freedom_file(dir.file("m.freedom"));
    EXPECT_EQ(dir.read("m.freedom"), "2\n\n1-6 3\n1-11 3\n");
    EXPECT_EQ(setup.summary(),
              "atom 1 (C) - atom 6 (C), 3 steps\natom 1 (C) - atom 11 (O), 3 steps\n");
}

TEST(ConformerSetup, FreedomBondsAreZmatrixBondsInTheReadersDirection) {
    // The freedom file names the fixed atom first; the reader keeps the pair as written
    // when the moving atom's row hangs on the fixed atom's row.
    for (const char* name : {"butane", "biphenyl", "n_ethylacetamide", "trifluoroethanol"}) {
        const CBasicConformer molecule = support::molecule(name);
        const CConformerSetup setup(molecule);
        support::TempDir dir;
        setup.write_zmatrix_file(dir.file("m.zmat"));
        setup.write_freedom_file(dir.file("m.freedom"));
        CZMATRIX z(molecule.get_size());
        ASSERT_TRUE(z.read_linkmatrix(dir.file("m.zmat"))) << name;
        const auto row_of = [&](int atom) {
            for (int row = 1; row <= z.get_size(); ++row)
                if (z.get_order(row) == atom) return row;
            return 0;
        };
        std::ifstream in(dir.file("m.freedom"));
        int count = 0;
        in >> count;
        ASSERT_EQ(count, static_cast<int>(setup.get_rotatable_bonds().size())) << name;
        for (int k = 0; k < count; ++k) {
            int a = 0;
            int b = 0;
            int steps = 0;
            char separator = 0;
            in >> a >> separator >> b >> steps;
            EXPECT_EQ(separator, '-');
            EXPECT_EQ(z[row_of(b)].bond_ref, row_of(a)) << name << " " << a << "-" << b;
            EXPECT_GE(steps, 1);
            EXPECT_LE(steps, 9);
        }
    }
}

TEST(ConformerSetup, StepsSetForEveryBond) {
    CConformerSetup setup(support::butan_2_ol());
    setup.set_steps(4);
    for (const auto& bond : setup.get_rotatable_bonds()) EXPECT_EQ(bond.steps, 4);
    for (int steps : {0, 10}) {
        EXPECT_EQ(support::refusal([&] { setup.set_steps(steps); }),
                  "steps must lie in 1..9, not " + std::to_string(steps));
    }
}

TEST(ConformerSetup, FreedomFileRefusals) {
    support::TempDir dir;
    const CConformerSetup benzene(support::molecule("benzene"));
    EXPECT_EQ(support::refusal([&] { benzene.write_freedom_file(dir.file("b.freedom")); }),
              "no rotatable bond found: the generator has nothing to turn");
    EXPECT_FALSE(dir.exists("b.freedom"));

    const CConformerSetup tetracosane(support::alkane(24));
    EXPECT_EQ(tetracosane.get_rotatable_bonds().size(), 21u);
    EXPECT_EQ(support::refusal([&] { tetracosane.write_freedom_file(dir.file("t.freedom")); }),
              "21 rotatable bonds found; the generator turns at most 20");

    const CConformerSetup icosane(support::alkane(20));
    EXPECT_EQ(icosane.get_rotatable_bonds().size(), 17u);
    const std::string unwritable = (dir.path() / "no_such_folder" / "m.zmat").string();
    EXPECT_EQ(support::refusal([&] { icosane.write_zmatrix_file(unwritable); }),
              "cannot write file: " + unwritable);
    EXPECT_EQ(support::refusal([&] { icosane.write_freedom_file(unwritable); }),
              "cannot write file: " + unwritable);
}
