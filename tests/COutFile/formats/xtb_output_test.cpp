#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "COutFile/formats/xtb_output.h"
#include "TestSupport.h"

namespace fs = std::filesystem;
using confsearch::OutputResult;
using confsearch::ReadError;

namespace {

fs::path xtb_outputs() {
    const fs::path dir = XTB_OUTPUTS_DIR;
    return fs::is_directory(dir) ? dir : fs::path();
}

struct Atom {
    const char* symbol;
    double x, y, z;
};

// What a real file says, read by eye: the "TOTAL ENERGY" box, the dipole's "full:" line,
// the first and last rows of the final structure (of the coordinate file beside a single
// point or --hess run).
struct RealXtbOutput {
    const char* file;
    const char* version;
    double energy;
    std::array<double, 3> dipole;
    std::size_t atoms;
    Atom first, last;
    bool frequencies;
    std::vector<double> imaginary;
    std::optional<double> free_energy, enthalpy;
    int charge, multiplicity;
    const char* solvent;
};

const std::optional<double> NONE;
// xtb's own bohr, with which it converts its $coord blocks.
const double BOHR = 0.52917726;

// clang-format off
const std::vector<RealXtbOutput> REAL_FILES = {
    {"own_6.5.1/butan2ol_conf1_opt/butan2ol_conf1_opt.out", "6.5.1", -17.727816284356,
     {0.378, -0.459, -0.470}, 15, {"C", -1.31002809481323, -0.97457577076835, 0.10179423653762},
     {"H", 1.15526526391473, 2.18310852562468, 1.29966263905168}, false, {}, NONE, NONE, 0, 1, ""},
    // --ohess: the symmetry analysis prints inside the frequency list.
    {"own_6.5.1/butan2ol_conf1_ohess/butan2ol_conf1_ohess.out", "6.5.1", -17.727816284356,
     {0.378, -0.459, -0.470}, 15, {"C", -1.31002809481323, -0.97457577076835, 0.10179423653762},
     {"H", 1.15526526391473, 2.18310852562468, 1.29966263905168}, true, {}, -17.623345000371,
     -17.585806127811, 0, 1, ""},
    // Single points: the geometry of butan2ol_conf1.xyz beside them.
    {"own_6.5.1/butan2ol_conf1_sp/butan2ol_conf1_sp.out", "6.5.1", -17.725727286029,
     {0.307, -0.516, -0.492}, 15, {"C", -1.32484855, -0.96119089, 0.06568907},
     {"H", 1.31167390, 2.22802733, 1.17716814}, false, {}, NONE, NONE, 0, 1, ""},
    {"own_6.5.1/butan2ol_conf1_cation_sp/butan2ol_conf1_cation_sp.out", "6.5.1", -17.206935379722,
     {0.332, 0.256, 0.947}, 15, {"C", -1.32484855, -0.96119089, 0.06568907},
     {"H", 1.31167390, 2.22802733, 1.17716814}, false, {}, NONE, NONE, 1, 2, ""},
    {"own_6.5.1/butan2ol_conf1_opt_alpb_water/butan2ol_conf1_opt_alpb_water.out", "6.5.1",
     -17.733818609698, {0.391, -0.532, -0.584}, 15,
     {"C", -1.30775033286826, -0.97571188253486, 0.10689830963306},
     {"H", 1.15867072489814, 2.18080745602396, 1.33124197085804}, false, {}, NONE, NONE, 0, 1,
     "ALPB(water)"},
    // --hess on the eclipsed conformer: a saddle point.
    {"own_6.5.1/butan2ol_eclipsed_hess/butan2ol_eclipsed_hess.out", "6.5.1", -17.721200996539,
     {0.351, -0.510, -0.535}, 15, {"C", -1.36804569331228, -0.97613397358280, 0.07056159167374},
     {"H", 1.27007970299813, -1.96556456603427, 0.29125922314809}, true, {-117.30},
     -17.615111035597, -17.579818461439, 0, 1, ""},
    {"own_6.5.1/ethanediol_conf2_opt/ethanediol_conf2_opt.out", "6.5.1", -15.450812528717,
     {1.031, 0.302, -0.329}, 10, {"O", 1.26883806838022, -0.71941963648481, 0.26621222799657},
     {"H", -0.86182377491490, -0.98762690212021, 1.30366368887622}, false, {}, NONE, NONE, 0, 1, ""},
    {"cclib_6.6.1/dvb_ir/dvb_ir.out", "6.6.1", -26.438242468338, {0.000, -0.000, -0.000}, 20,
     {"C", 0.23214923366237, -1.39278258168054, -0.00000000000218},
     {"H", -1.41113387618862, -3.65666064903446, -0.00000000000036}, true, {}, -26.310999637373,
     -26.266467652754, 0, 1, ""},
    {"cclib_6.6.1/dvb_sp/dvb_sp.out", "6.6.1", -26.425939358406, {0.000, 0.000, 0.000}, 20,
     {"C", 0.27867948, -1.36683162, 0.00000000}, {"H", -1.43338788, -3.55272039, 0.00000000},
     false, {}, NONE, NONE, 0, 1, ""},
    // 6.1 beta: no "TOTAL ENERGY" box, a $coord final structure in bohr.
    {"autode/xtb_6_1_opt.out", "6.1 beta", -4.1752185, {0.000, 0.000, -0.000}, 5,
     {"C", 3.63746460959338 * BOHR, -1.13165722798251 * BOHR, 0.00000233068998 * BOHR},
     {"H", 2.95571846552127 * BOHR, -3.00481505685131 * BOHR, -0.45784527324106 * BOHR},
     false, {}, NONE, NONE, 0, 1, ""},
    {"autode/opt_xtb.out", "6.2.3", -36.990267613593, {-0.392, -0.061, 0.039}, 22,
     {"O", 0.98304903325486, 2.33985126217165, -1.66589058392014},
     {"H", 0.65888822324392, -1.94400517672247, -0.99571583815149}, false, {}, NONE, NONE, 0, 1, ""},
    // 6.3.2 prints the charge in its set-up only.
    {"autode/complex_conf0_opt_xtb.out", "6.3.2", -13.191985903586, {-6.205, 0.697, -5.011}, 6,
     {"F", 0.07047853711500, 0.35009201099883, 0.62268257218150},
     {"H", 2.03974235160772, 0.64641468438607, 0.93014804193213}, false, {}, NONE, NONE, -1, 1, ""},
    {"autode/mecl_conf0_opt_xtb.out", "6.4.1", -8.212672330438, {-0.870, -0.022, 0.017}, 5,
     {"Cl", 1.62930494746385, 0.04115841891261, -0.03145973767154},
     {"H", -0.51767328934309, 1.01760601506025, -0.05529465799890}, false, {}, NONE, NONE, 0, 1,
     "GBSA(Water)"},
    {"autode/C4H10_conf2_opt_xtb.out", "6.7.1", -13.665125931370, {0.000, 0.000, 0.000}, 14,
     {"C", 1.93934650930437, -0.02808070357004, 0.11258633890273},
     {"H", -2.16872926627078, -0.53811320231237, 0.78914491925454}, false, {}, NONE, NONE, 0, 1, ""},
};
// clang-format on

void expect_atom(const OutputResult& r, std::size_t i, const Atom& atom, const std::string& file) {
    ASSERT_LT(i, r.symbols.size()) << file;
    EXPECT_EQ(r.symbols[i], atom.symbol) << file << " atom " << i + 1;
    EXPECT_NEAR(r.positions[i].x, atom.x, 1e-12) << file << " atom " << i + 1;
    EXPECT_NEAR(r.positions[i].y, atom.y, 1e-12) << file << " atom " << i + 1;
    EXPECT_NEAR(r.positions[i].z, atom.z, 1e-12) << file << " atom " << i + 1;
}

}  // namespace

TEST(XtbOutput, ReadsEveryRealOutputAsPrinted) {
    if (xtb_outputs().empty()) GTEST_SKIP() << "real xtb outputs not found beside the checkout";
    for (const RealXtbOutput& expected : REAL_FILES) {
        const std::string file = (xtb_outputs() / expected.file).string();
        OutputResult r;
        const ReadError error = confsearch::read_xtb_output(file, r);
        ASSERT_TRUE(error.ok()) << error.message(file);
        EXPECT_EQ(r.program, confsearch::OutputProgram::xtb);
        EXPECT_EQ(r.version, expected.version) << file;
        EXPECT_DOUBLE_EQ(r.energy, expected.energy) << file;
        EXPECT_TRUE(r.has_dipole) << file;
        for (int k = 0; k < 3; ++k) EXPECT_DOUBLE_EQ(r.dipole[k], expected.dipole[k]) << file;
        EXPECT_TRUE(r.normal_termination) << file;
        ASSERT_EQ(r.symbols.size(), expected.atoms) << file;
        expect_atom(r, 0, expected.first, file);
        expect_atom(r, expected.atoms - 1, expected.last, file);
        EXPECT_EQ(r.has_frequencies, expected.frequencies) << file;
        EXPECT_EQ(r.imaginary_frequencies, expected.imaginary) << file;
        EXPECT_EQ(r.free_energy, expected.free_energy) << file;
        EXPECT_EQ(r.enthalpy, expected.enthalpy) << file;
        EXPECT_EQ(r.temperature, expected.free_energy ? std::optional<double>(298.15) : NONE)
            << file;
        EXPECT_EQ(r.charge, expected.charge) << file;
        EXPECT_EQ(r.multiplicity, expected.multiplicity) << file;
        EXPECT_EQ(r.method, "GFN2-xTB") << file;
        EXPECT_EQ(r.basis, "") << file;
        EXPECT_EQ(r.solvent, expected.solvent) << file;
    }
}

// A run stopped by --cycles 3 looks finished in every other way (xtbopt.xyz, .xtboptok);
// an ORCA GOAT run holds fifty complete xtb outputs, but is ORCA's.
TEST(XtbOutput, RealRunsWithoutOneResultAreRefused) {
    if (xtb_outputs().empty()) GTEST_SKIP() << "real xtb outputs not found beside the checkout";
    OutputResult r;
    const std::string cycles3 =
        (xtb_outputs() / "own_6.5.1/butan2ol_conf1_opt_cycles3/butan2ol_conf1_opt_cycles3.out")
            .string();
    ReadError error = confsearch::read_xtb_output(cycles3, r);
    EXPECT_EQ(error.what,
              "the geometry optimisation did not converge: *** FAILED TO CONVERGE GEOMETRY "
              "OPTIMIZATION IN 3 ITERATIONS ***");
    EXPECT_EQ(error.line, 288);

    const fs::path goat = xtb_outputs().parent_path() / "orca" / "GOAT_1_3-dichloropropane.out";
    if (!fs::exists(goat)) return;
    error = confsearch::read_xtb_output(goat.string(), r);
    EXPECT_EQ(error.what, "not an xtb output (ORCA wrote it)");
    EXPECT_TRUE(r.symbols.empty());
}

// Trimmed outputs of xtb 6.5.1 on water: --ohess in ALPB water, and a single point on the
// cation whose geometry is the file it names, beside it.
TEST(XtbOutput, ReadsTheSmallRunsWithTheirGeometry) {
    const fs::path outputs = support::test_data_dir() / "outputs";
    OutputResult r;
    ReadError error = confsearch::read_xtb_output((outputs / "xtb_water_ohess.out").string(), r);
    ASSERT_TRUE(error.ok()) << error.what;
    EXPECT_DOUBLE_EQ(r.energy, -5.085021084243);
    EXPECT_EQ(r.dipole, (std::array<double, 3>{-0.0, -0.0, -0.974}));
    ASSERT_EQ(r.symbols, (std::vector<std::string>{"O", "H", "H"}));
    EXPECT_DOUBLE_EQ(r.positions[1].y, 0.77456921884066);
    EXPECT_TRUE(r.has_frequencies);
    EXPECT_EQ(r.free_energy, -5.082960928930);
    EXPECT_EQ(r.enthalpy, -5.061550324525);
    EXPECT_EQ(r.solvent, "ALPB(water)");

    error = confsearch::read_xtb_output((outputs / "xtb_water_cation_sp.out").string(), r);
    ASSERT_TRUE(error.ok()) << error.what;
    EXPECT_DOUBLE_EQ(r.energy, -4.396978956367);
    ASSERT_EQ(r.symbols.size(), 3u);
    EXPECT_DOUBLE_EQ(r.positions[2].y, -0.757200);
    EXPECT_FALSE(r.has_frequencies);
    EXPECT_EQ(r.charge, 1);
    EXPECT_EQ(r.multiplicity, 2);
    EXPECT_EQ(r.solvent, "");
}

// Every broken output of tests/data/bad/xtb (the .out files; the .xyz files are the
// coordinate files they name) is refused for its reason, at its line.
TEST(XtbOutput, EveryBrokenOutputIsRefusedForItsReason) {
    const std::string structure = "the \"final structure:\" block: ";
    const std::map<std::string, ReadError> reasons = {
        {"killed_during_hessian.out",
         {"no \"* finished run on\" line (xtb was stopped before it ended)", 0}},
        {"fatal_error.out",
         {"xtb stopped with an error: xtb_calculator_newXTBCalculator: Parameter file "
          "param_gfn0-xtb.txt not found!",
          29}},
        {"optimisation_not_converged.out",
         {"the geometry optimisation did not converge: *** FAILED TO CONVERGE GEOMETRY "
          "OPTIMIZATION IN 3 ITERATIONS ***",
          55}},
        {"no_total_energy.out", {"no \"| TOTAL ENERGY\" line", 0}},
        {"total_energy_without_number.out", {"no number after \"| TOTAL ENERGY\"", 99}},
        {"optimisation_without_final_structure.out",
         {"an optimisation without a \"final structure:\" block", 0}},
        {"final_structure_row_damaged.out",
         {structure + "row 2 is not an element symbol and three numbers", 63}},
        {"final_structure_cut_short.out", {structure + "the atoms end after 2 of 3", 64}},
        {"final_structure_in_another_form.out",
         {structure + "a form not read here (xyz, Turbomole $coord and MDL molfile V2000 are)",
          60}},
        {"dipole_without_numbers.out", {"no three numbers of the dipole after its title", 81}},
        {"frequencies_of_two_atoms.out",
         {"the last \"projected vibrational frequencies\" list holds 8 values where 9 (3 per "
          "atom) were expected",
          89}},
        {"frequency_not_a_number.out",
         {"a line of the last \"projected vibrational frequencies\" list is not \"eigval :\" and "
          "numbers",
          91}},
        {"single_point_without_coordinate_file.out",
         {"no geometry: neither a \"final structure:\" block nor a \"coordinate file\" line", 0}},
        {"single_point_of_a_missing_file.out",
         {"no geometry: the output has no \"final structure:\" block and names its geometry by "
          "the file \"water_gone.xyz\", which is not beside it",
          0}},
        {"single_point_of_another_molecule.out",
         {"no geometry: the coordinate file \"methanol.xyz\" beside the output holds another "
          "molecule than the job's (6 atoms, the job's 3)",
          0}},
        {"single_point_of_a_damaged_file.out",
         {"no geometry: the coordinate file \"water_damaged.xyz\" beside the output cannot be "
          "read: line 4: row 2 is not an element symbol and three numbers",
          0}},
    };
    int files = 0;
    for (const auto& entry : fs::directory_iterator(support::test_data_dir() / "bad" / "xtb")) {
        if (entry.path().extension() != ".out") continue;
        const std::string name = entry.path().filename().string();
        ++files;
        ASSERT_EQ(reasons.count(name), 1u) << name << " needs its reason in this table";
        OutputResult r;
        const ReadError error = confsearch::read_xtb_output(entry.path().string(), r);
        EXPECT_EQ(error.what, reasons.at(name).what) << name;
        EXPECT_EQ(error.line, reasons.at(name).line) << name;
        EXPECT_TRUE(r.symbols.empty() && r.energy == 0.0) << name << " left a result behind";
    }
    EXPECT_EQ(files, static_cast<int>(reasons.size()));
}
