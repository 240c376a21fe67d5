// The RMSD rule of both sorters (--rmsd): the same conformer over the molecule's symmetry,
// whatever the atom numbering or orientation; the RMSD of every comparison on standard
// output, the duplicates in duplicates.txt.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "CConformer.h"
#include "RankingSupport.h"
#include "TestSupport.h"

using namespace confsearch;

namespace {

using support::Atom;
using support::RunResult;

std::string output_of(const std::vector<Atom>& atoms, const std::string& energy,
                      const std::string& dipole) {
    support::GaussianOutput out;
    out.steps = {atoms};
    out.energy = energy;
    out.dipole = dipole;
    return support::gaussian_output(out);
}

// Ethanol's atoms listed in another order: the hydroxyl H last, the carbons swapped.
std::vector<Atom> renumbered(const std::vector<Atom>& atoms) {
    return {atoms[1], atoms[0], atoms[2], atoms[4], atoms[5],
            atoms[6], atoms[7], atoms[8], atoms[3]};
}

// Ethanol's methyl hydrogens (7, 8, 9) traded round: the methyl turned by 120 degrees.
std::vector<Atom> methyl_turned(std::vector<Atom> atoms) {
    std::rotate(atoms.begin() + 6, atoms.begin() + 7, atoms.end());
    return atoms;
}

}  // namespace

TEST(RmsdRule, RenumberedTurnedAndRotatedCopiesJoinTheirConformer) {
    support::TempDir dir;
    const std::vector<Atom> anti = support::ethanol();
    dir.write("anti.log", output_of(anti, "-154.9876543", "0.,0.3,0.4"));
    dir.write("renumbered.log",
              output_of(support::turned(renumbered(anti), 1.3), "-154.9876540", "0.3,0.4,0."));
    dir.write("methyl.log", output_of(methyl_turned(anti), "-154.9876541", "0.4,0.,0.3"));
    dir.write("gauche.log", output_of(support::gauche_ethanol(), "-154.9876542", "0.,0.,0.5"));
    dir.write("list.txt", "anti.log\nrenumbered.log\nmethyl.log\ngauche.log\n");

    // The copies join anti; gauche, its OH hydrogen elsewhere, has other rotational
    // constants, over the heavy atoms as over all.
    for (const bool all_atoms : {false, true}) {
        std::vector<std::string> args = {"--rmsd", "9", "2e-5", "0.05", "0.125"};
        if (all_atoms) args.insert(args.begin(), "--all-atoms");
        const RunResult r = support::run_program(SORT_OUTPUTS_EXE, args, dir.path());
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(dir.read("unique_list2.txt"),
                  "anti.log\t-154.9876543\t0.5\t1\ngauche.log\t-154.9876542\t0.5\t2\n");
        const std::string duplicates = dir.read("duplicates.txt");
        EXPECT_EQ(duplicates,
                  "# duplicate\tgroup head\tRMSD (angstrom)\n"
                  "methyl.log\tanti.log\t0.0000\nrenumbered.log\tanti.log\t0.0000\n");
        EXPECT_NE(r.out.find("RMSD 0.000  Identical !\n"), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("rotational constants "), std::string::npos) << r.out;
    }
    RunResult r;

    // The anchor rule, atom by atom, takes the renumbered copy for another conformer.
    r = support::run_program(SORT_OUTPUTS_EXE, {"9", "2e-5", "0.05", "0.125", "1"}, dir.path());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(dir.read("unique_list2.txt").find("renumbered.log"), std::string::npos);
}

TEST(RmsdRule, ReferenceAtomsAreIgnoredWithANoteAndTheCollectionSorterTakesTheRule) {
    support::TempDir dir;
    const std::vector<Atom> anti = support::ethanol();
    dir.write("anti.log", output_of(anti, "-154.9876543", "0.,0.3,0.4"));
    dir.write("methyl.log", output_of(methyl_turned(anti), "-154.9876541", "0.4,0.,0.3"));
    dir.write("list.txt", "anti.log\nmethyl.log\n");
    const RunResult r = support::run_program(
        SORT_OUTPUTS_EXE, {"--rmsd", "--symmetry", "9", "2e-5", "0.05", "0.125", "1", "7", "8"},
        dir.path());
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err,
              "sort_outputs: note: --symmetry has nothing to add to --rmsd: the RMSD rule matches "
              "every group of equal atoms\n"
              "sort_outputs: note: the reference and interchangeable atoms (1 7 8) are not needed "
              "by --rmsd and are ignored\n");
    EXPECT_EQ(dir.read("unique_list2.txt"), "anti.log\t-154.9876543\t0.5\t1\n");

    const RunResult warned = support::run_program(
        SORT_OUTPUTS_EXE, {"--mirror", "9", "2e-5", "0.05", "0.125", "1"}, dir.path());
    EXPECT_EQ(warned.err, "sort_outputs: warning: --mirror has no effect without --rmsd\n");

    // The same two results as collection records.
    dir.write(
        "all_collection.txt",
        support::collection_block(
            1, support::record_body("anti.log", "-154.9876543", "0. 0.3 0.4", anti)) +
            support::collection_block(2, support::record_body("methyl.log", "-154.9876541",
                                                              "0.4 0. 0.3", methyl_turned(anti))));
    const RunResult c = support::run_program(SORT_COLLECTION_EXE,
                                             {"--rmsd", "all_collection.txt", "9"}, dir.path());
    EXPECT_EQ(c.status, 0) << c.err;
    EXPECT_EQ(c.out.substr(0, 2), "0\n");
    EXPECT_EQ(dir.read("unique_list2.txt"), "anti.log\t-154.9876543\t0.5\t1\n");
    EXPECT_NE(dir.read("duplicates.txt").find("methyl.log\tanti.log\t"), std::string::npos);
}

// The three catalyst conformers stay three, and a copy of each with its atoms listed
// backwards joins its original.
TEST(RmsdRuleOnRealFiles, CatalystConformersAndTheirRenumberedCopies) {
    SKIP_WITHOUT_REAL_OUTPUTS();
    support::TempDir dir;
    std::string list;
    int k = 0;
    for (const char* name :
         {"aminox_cat_conf65_S.log", "aminox_cat_conf212_S.log", "aminox_cat_conf280_R.log"}) {
        CBasicConformer molecule(24);
        ASSERT_TRUE(molecule.read_xyz_inout((support::real_outputs_dir() / name).string()));
        std::vector<Atom> atoms;
        for (int i = 1; i <= 24; ++i) {
            const CVECTOR p = molecule.get_vector(i);
            atoms.push_back({molecule.get_element(i).get_number(), p.x, p.y, p.z});
        }
        // The copy a microhartree above its original.
        const std::string energy = "-517.87" + std::to_string(10 + k);
        dir.write(std::string("c") + std::to_string(k) + ".log",
                  output_of(atoms, energy + "2", "0.,0.,1."));
        std::reverse(atoms.begin(), atoms.end());
        dir.write(std::string("c") + std::to_string(k) + "_copy.log",
                  output_of(support::turned(atoms, 0.4), energy + "1", "0.,0.,1."));
        list += "c" + std::to_string(k) + ".log\nc" + std::to_string(k) + "_copy.log\n";
        ++k;
    }
    dir.write("list.txt", list);
    // One energy window for all six, so that only the geometry can tell them apart.
    const RunResult r = support::run_program(SORT_OUTPUTS_EXE,
                                             {"--rmsd", "24", "0.1", "0.05", "0.125"}, dir.path());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const std::string unique = dir.read("unique_list2.txt");
    EXPECT_EQ(std::count(unique.begin(), unique.end(), '\n'), 3) << unique;
    const std::string duplicates = dir.read("duplicates.txt");
    for (int c = 0; c < 3; ++c) {
        const std::string name = "c" + std::to_string(c);
        EXPECT_NE(duplicates.find(name + "_copy.log\t" + name + ".log\t"), std::string::npos)
            << duplicates;
    }
}
