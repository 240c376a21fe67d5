#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "COutFile/formats/orca_output.h"
#include "COutFile/formats/output_text.h"
#include "TestSupport.h"
#include "orca_keywords.h"

namespace fs = std::filesystem;
using confsearch::OutputResult;
using confsearch::ReadError;

namespace {

fs::path orca_outputs() {
    const fs::path dir = ORCA_OUTPUTS_DIR;
    return fs::is_directory(dir) ? dir : fs::path();
}

struct Atom {
    const char* symbol;
    double x, y, z;
};

// What a real file says, read by eye from its last lines of each kind.
struct RealOrcaOutput {
    const char* file;
    const char* version;
    double energy;  // the last "FINAL SINGLE POINT ENERGY"
    std::array<double, 3> dipole;
    std::size_t atoms;
    Atom first, last;  // rows of the last "CARTESIAN COORDINATES (ANGSTROEM)" block
    bool frequencies;
    std::vector<double> imaginary;
    std::optional<double> gibbs, enthalpy;
    int charge, multiplicity;
    const char* method;
    const char* basis;
    const char* solvent;
};

const std::optional<double> NONE;

// clang-format off
const std::vector<RealOrcaOutput> REAL_FILES = {
    // 4.1 names G "Final Gibbs free enthalpy"; its "Total free energy" line is not G.
    {"AcOH_orca.out", "4.1.2", -229.121322423630, {-0.28224, -0.63333, -0.00021}, 8,
     {"C", 0.088083, 0.123070, -0.000075}, {"H", 1.710122, -0.804537, -0.000017},
     true, {}, -229.08534132, -229.05330337, 0, 1, "wB97X-D3", "def2-TZVP", ""},
    {"C4H10_conf0_sp_orca.out", "5.0.4", -158.103975513425, {-0.00078, -0.01934, -0.00738}, 14,
     {"C", 1.588476, 0.420012, 0.165116}, {"H", -1.748351, 0.176378, 1.185559},
     false, {}, NONE, NONE, 0, 1, "PBE-D3BJ", "def2-SVP", ""},
    // CR LF on every line; a converged optimisation with three imaginary modes.
    {"Errors_C20.out", "5.0.3", -760.453450097348, {-0.00001, -0.00002, -0.00000}, 20,
     {"C", -0.960406, -0.578356, 1.662369}, {"C", -3.376259, 0.206640, -1.662368},
     true, {-328.03, -324.57, -321.56}, -760.37297525, -760.33358726, 0, 1, "B3LYP", "DEF2-SVp", ""},
    // UTF-16LE with a byte-order mark, written on Windows.
    {"H2O.out", "5.0.4", -75.512580693592, {0.49287, 0.49716, 0.48854}, 3,
     {"O", -1.716694, 2.138680, -0.011880}, {"H", -2.009405, 2.802738, 0.640654},
     true, {}, -75.50662450, -75.48516509, 0, 1, "HF-3c", "", ""},
    // The linear O2 triplet: six rows, five of them zero.
    {"NoECP.out", "6.1.0", -150.322172479575, {-0.000000000, 0.000000000, 0.000000002}, 2,
     {"O", 0.0, 0.0, -0.000665}, {"O", 0.0, 0.0, 1.207665},
     true, {}, -150.33845717, -150.31517974, 0, 3, "B3LYP", "def-TZVP", ""},
    // OptTS with a start Hessian: the second frequency and thermochemistry blocks count.
    {"TS_NSm3Uf_ll_ad_0-5_0-1_optts_orca.out", "4.2.1", -599.487085118554,
     {1.51299, 0.01972, -0.00466}, 6, {"C", 4.647650, -0.051511, -0.002789},
     {"F", 2.606719, -0.101768, 0.002679}, true, {-497.41}, -599.47700095, -599.44467605, -1, 1,
     "PBE0-D3BJ", "def2-SVP", "CPCM(Water)"},
    // CR LF on the echoed input only.
    {"ibuprofen_nmr_orca.out", "4.0.1.2", -656.306067336866, {0.44353, -0.26711, 0.10491}, 33,
     {"C", -1.564947, -2.331309, 0.001199}, {"H", -4.202376, -4.334575, 2.594803},
     false, {}, NONE, NONE, 0, 1, "B3LYP", "cc-pvdz", ""},
    {"orca4.2_dvb_gopt.out", "4.2.0", -382.050786152348, {-0.00000, 0.00000, -0.00000}, 20,
     {"C", 1.436014, 0.002674, 0.000004}, {"H", 4.860005, 0.857600, -0.000012},
     false, {}, NONE, NONE, 0, 1, "b3lyp", "sto-3g", ""},
    {"orca4.2_dvb_ir.out", "4.2.0", -382.050758039646, {-0.00000, -0.00000, 0.00000}, 20,
     {"C", 1.433856, -0.000000, 0.000000}, {"H", 4.856245, 0.862014, 0.000000},
     true, {}, -381.90678131, -381.86389179, 0, 1, "b3lyp", "sto-3g", ""},
    {"orca5.0_dvb_gopt.out", "5.0.1", -382.055133372796, {-0.00000, 0.00000, 0.00000}, 20,
     {"C", -1.417672, 0.228782, -0.000000}, {"H", -4.934094, -0.068002, 0.000000},
     false, {}, NONE, NONE, 0, 1, "b3lyp", "sto-3g", ""},
    {"orca5.0_dvb_ir.out", "5.0.1", -382.055108614160, {-0.00000, -0.00000, 0.00000}, 20,
     {"C", -1.415253, 0.230222, 0.000000}, {"H", -4.931645, -0.071105, 0.000000},
     true, {}, -381.91112705, -381.86823907, 0, 1, "b3lyp", "sto-3g", ""},
    // The final energy includes the dispersion, unlike the SCF's "Total Energy".
    {"orca6.0_dvb_dispersion_bp86_d3zero.out", "6.0.1", -382.331679393002,
     {0.000000000, 0.000000000, -0.000000000}, 20, {"C", 0.278679, -1.366832, 0.000000},
     {"H", -1.433388, -3.552720, 0.000000}, false, {}, NONE, NONE, 0, 1, "bp86-d3zero", "sto-3g", ""},
    {"orca6.0_dvb_gopt.out", "6.0.0", -382.055133399486, {-0.000000000, 0.000000000, -0.000000000},
     20, {"C", -1.417709, 0.228462, 0.000000}, {"H", -4.934323, -0.067378, 0.000000},
     false, {}, NONE, NONE, 0, 1, "b3lyp", "sto-3g", ""},
    // With symmetry: an irrep column in the frequency rows.
    {"orca6.0_dvb_ir.out", "6.0.1", -382.055107107616, {-0.000000000, -0.000000000, -0.000000000},
     20, {"C", -1.415253, 0.230222, 0.000000}, {"H", -4.931645, -0.071105, 0.000000},
     true, {}, -381.91114546, -381.86823509, 0, 1, "b3lyp", "sto-3g", ""},
    {"orca6.0_dvb_sp_un_dft.out", "6.0.0", -381.831980903245, {0.0, 0.0, 0.0}, 20,
     {"C", -1.415253, 0.230222, 0.000000}, {"H", -4.931645, -0.071105, 0.000000},
     false, {}, NONE, NONE, 1, 2, "b3lyp", "sto-3g", ""},
    {"orca6.1_dvb_coupling_nmr.out", "6.1.0", -382.055109258623, {0.0, -0.0, 0.0}, 20,
     {"C", -1.415250, 0.230220, 0.000000}, {"H", -4.931640, -0.071110, 0.000000},
     false, {}, NONE, NONE, 0, 1, "b3lyp", "sto-3g", ""},
    {"orca_OptTs.out", "5.0.3", -226.223667168484, {0.00000, -0.20217, 0.65227}, 8,
     {"H", -0.000000, 0.585418, -2.009179}, {"H", -0.884482, -0.886637, 1.179850},
     true, {-2742.92, -25.93}, -226.18440122, -226.15400473, 0, 1, "hf-3c", "", ""},
    // A compound job: the last energy is the single point in the larger basis of step 2;
    // the frequencies and G of step 1 belong to the same geometry.
    {"orca_gemfi_alfa_minima_1.out", "5.0.3-f.1", -1494.296011093052, {-3.11059, -2.04419, 10.41082},
     58, {"C", -1.157212, 1.607717, -0.648779}, {"H", 2.335284, 0.534648, 3.029974},
     true, {-55.15}, -1493.47182452, -1493.38539502, -2, 1, "m062x", "6-311+G**", "CPCM"},
    {"sn2_TS.out", "4.2.1", -599.486615467270, {1.14324, 0.02718, -0.02729}, 6,
     {"F", -5.214898, 4.430415, 0.065706}, {"H", -3.283641, 5.540802, -0.047569},
     true, {-552.64}, -599.47644462, -599.44401714, -1, 1, "PBE0-D3BJ", "def2-SVP", "CPCM(Water)"},
    {"water_tmp_opt_orca.out", "5.0.2", -76.272683820817, {0.00060, -0.77606, -0.00000}, 3,
     {"O", -0.000316, 0.408676, 0.000000}, {"H", 0.757879, -0.203751, 0.000000},
     false, {}, NONE, NONE, 0, 1, "PBE", "def2-SVP", ""},
    {"orca6.0_water_hf_solvent_cpcm.log", "6.0.1", -74.967672596588,
     {-0.000000000, 0.679392731, -0.000000000}, 3, {"O", -0.000000, -0.119159, 0.000000},
     {"H", 0.790649, 0.476637, -0.000000}, false, {}, NONE, NONE, 0, 1, "HF", "STO-3G", "CPCM"},
};
// clang-format on

void expect_atom(const OutputResult& r, std::size_t i, const Atom& atom, const std::string& file) {
    ASSERT_LT(i, r.symbols.size()) << file;
    EXPECT_EQ(r.symbols[i], atom.symbol) << file << " atom " << i + 1;
    EXPECT_DOUBLE_EQ(r.positions[i].x, atom.x) << file << " atom " << i + 1;
    EXPECT_DOUBLE_EQ(r.positions[i].y, atom.y) << file << " atom " << i + 1;
    EXPECT_DOUBLE_EQ(r.positions[i].z, atom.z) << file << " atom " << i + 1;
}

}  // namespace

TEST(OrcaOutput, ReadsEveryRealOutputAsPrinted) {
    if (orca_outputs().empty()) GTEST_SKIP() << "real ORCA outputs not found beside the checkout";
    for (const RealOrcaOutput& expected : REAL_FILES) {
        const std::string file = (orca_outputs() / expected.file).string();
        confsearch::OutputText text;
        ASSERT_TRUE(text.open(file).ok()) << file;
        OutputResult r;
        const ReadError error = confsearch::read_orca_output(text, r);
        ASSERT_TRUE(error.ok()) << error.message(file);
        EXPECT_LE(text.bytes_read(), fs::file_size(file)) << file << " was read more than once";
        EXPECT_EQ(r.program, confsearch::OutputProgram::orca);
        EXPECT_EQ(r.version, expected.version) << file;
        EXPECT_DOUBLE_EQ(r.energy, expected.energy) << file;
        EXPECT_TRUE(r.has_dipole) << file;
        for (int k = 0; k < 3; ++k) EXPECT_DOUBLE_EQ(r.dipole[k], expected.dipole[k]) << file;
        EXPECT_TRUE(r.normal_termination) << file;
        ASSERT_EQ(r.symbols.size(), expected.atoms) << file;
        ASSERT_EQ(r.positions.size(), expected.atoms) << file;
        expect_atom(r, 0, expected.first, file);
        expect_atom(r, expected.atoms - 1, expected.last, file);
        EXPECT_EQ(r.has_frequencies, expected.frequencies) << file;
        EXPECT_EQ(r.imaginary_frequencies, expected.imaginary) << file;
        EXPECT_EQ(r.free_energy, expected.gibbs) << file;
        EXPECT_EQ(r.enthalpy, expected.enthalpy) << file;
        EXPECT_EQ(r.temperature, expected.gibbs ? std::optional<double>(298.15) : NONE) << file;
        EXPECT_EQ(r.charge, expected.charge) << file;
        EXPECT_EQ(r.multiplicity, expected.multiplicity) << file;
        EXPECT_EQ(r.method, expected.method) << file;
        EXPECT_EQ(r.basis, expected.basis) << file;
        EXPECT_EQ(r.solvent, expected.solvent) << file;
    }
}

// The final geometry, energy and dipole of an optimisation stand in its last few hundred
// kilobytes: the file is read from its two ends, not whole.
TEST(OrcaOutput, AnOptimisationIsReadFromItsEnds) {
    if (orca_outputs().empty()) GTEST_SKIP() << "real ORCA outputs not found beside the checkout";
    for (const char* name : {"orca4.2_dvb_gopt.out", "orca_gemfi_alfa_minima_1.out"}) {
        const fs::path file = orca_outputs() / name;
        confsearch::OutputText text;
        ASSERT_TRUE(text.open(file.string()).ok());
        OutputResult r;
        ASSERT_TRUE(confsearch::read_orca_output(text, r).ok()) << name;
        EXPECT_LT(text.bytes_read(), fs::file_size(file)) << name;
    }
}

TEST(OrcaOutput, RealRunsWithoutOneResultAreRefused) {
    if (orca_outputs().empty()) GTEST_SKIP() << "real ORCA outputs not found beside the checkout";
    const std::map<std::string, ReadError> refusals = {
        {"Errors_cpcm_opt.out",
         {"ORCA stopped with an error: ORCA finished by error termination in SCF", 21588}},
        {"GOAT_1_3-dichloropropane.out",
         {"a GOAT global optimisation: its result is an ensemble of conformers (the "
          ".finalensemble.xyz file), not one structure",
          0}},
    };
    for (const auto& [name, expected] : refusals) {
        OutputResult r;
        const ReadError error = confsearch::read_orca_output((orca_outputs() / name).string(), r);
        EXPECT_EQ(error.what, expected.what) << name;
        EXPECT_EQ(error.line, expected.line) << name;
        EXPECT_TRUE(r.symbols.empty()) << name;
    }
}

// A water optimisation and frequency job, and the same file as ORCA on Windows writes it
// (UTF-16LE with a byte-order mark and CR LF): read alike. Its "Total free energy" line
// (ORCA 5's thermal energy) is not G.
TEST(OrcaOutput, ReadsTheSmallJobAndItsWindowsCopyAlike) {
    for (const char* name : {"orca_water_optfreq.out", "orca_water_optfreq_utf16.out"}) {
        OutputResult r;
        const std::string file = (support::test_data_dir() / "outputs" / name).string();
        const ReadError error = confsearch::read_orca_output(file, r);
        ASSERT_TRUE(error.ok()) << error.message(file);
        EXPECT_EQ(r.version, "5.0.4");
        EXPECT_DOUBLE_EQ(r.energy, -76.329521148023);
        EXPECT_EQ(r.dipole, (std::array<double, 3>{0.0, 0.0, 0.79540}));
        ASSERT_EQ(r.symbols, (std::vector<std::string>{"O", "H", "H"}));
        EXPECT_DOUBLE_EQ(r.positions[1].y, 0.762376);
        EXPECT_DOUBLE_EQ(r.positions[2].z, -0.482463);
        EXPECT_TRUE(r.has_frequencies);
        EXPECT_TRUE(r.imaginary_frequencies.empty());
        EXPECT_EQ(r.free_energy, -76.32107215);
        EXPECT_EQ(r.enthalpy, -76.29969013);
        EXPECT_EQ(r.temperature, 298.15);
        EXPECT_EQ(r.method, "B3LYP-D3BJ");
        EXPECT_EQ(r.basis, "def2-SVP");
        EXPECT_EQ(r.solvent, "CPCM(Water)");
    }
}

// Every broken output of tests/data/bad/orca is refused for its reason, at its line.
TEST(OrcaOutput, EveryBrokenOutputIsRefusedForItsReason) {
    const std::string geometry = "\"CARTESIAN COORDINATES (ANGSTROEM)\" block";
    const std::string killed =
        "no \"****ORCA TERMINATED NORMALLY****\" line (the job may have been killed before it "
        "ended)";
    const std::map<std::string, ReadError> reasons = {
        {"killed_during_frequencies.out", {killed, 0}},
        {"utf16_killed.out", {killed, 0}},
        {"error_termination.out",
         {"ORCA stopped with an error: ORCA finished by error termination in SCF", 118}},
        {"unconverged_final_energy.out",
         {"the final energy comes from an SCF that did not converge (\"(Wavefunction not fully "
          "converged!)\")",
          66}},
        {"energy_with_unit.out", {"unexpected text after the final energy: \"Eh\"", 66}},
        {"energy_without_number.out", {"no number after \"FINAL SINGLE POINT ENERGY\"", 66}},
        {"no_final_energy.out", {"no \"FINAL SINGLE POINT ENERGY\" line", 0}},
        {"no_geometry.out", {"no " + geometry, 0}},
        {"geometry_row_with_letters.out",
         {"row 2 of the last " + geometry + " is not an element symbol and three numbers", 51}},
        {"geometry_row_of_an_unknown_element.out",
         {"row 1 of the last " + geometry + " is not an element symbol and three numbers", 50}},
        {"empty_geometry_block.out", {"the last " + geometry + " holds no atom", 48}},
        {"geometry_without_energy.out",
         {"no \"FINAL SINGLE POINT ENERGY\" after the last " + geometry +
              " (the job ended before the energy of its last geometry)",
          70}},
        {"dipole_of_two_numbers.out", {"no three numbers after \"Total Dipole Moment :\"", 78}},
        {"goat_search.out",
         {"a GOAT global optimisation: its result is an ensemble of conformers (the "
          ".finalensemble.xyz file), not one structure",
          0}},
        {"frequency_row_damaged.out",
         {"row 8 of the last \"VIBRATIONAL FREQUENCIES\" block is not its index, a number and "
          "\"cm**-1\"",
          96}},
        {"frequencies_of_two_atoms.out",
         {"the last \"VIBRATIONAL FREQUENCIES\" block lists 8 modes where 9 (3 per atom of the "
          "final geometry) were expected",
          84}},
        {"gibbs_energy_without_number.out", {"no number after \"Final Gibbs free energy\"", 116}},
        {"no_charge_and_multiplicity.out",
         {"no charge and multiplicity (neither \"Total Charge\" and \"Multiplicity\" lines nor "
          "an input line \"* xyz <charge> <multiplicity>\")",
          0}},
    };
    int files = 0;
    for (const auto& entry : fs::directory_iterator(support::test_data_dir() / "bad" / "orca")) {
        const std::string name = entry.path().filename().string();
        ++files;
        ASSERT_EQ(reasons.count(name), 1u) << name << " needs its reason in this table";
        OutputResult r;
        const ReadError error = confsearch::read_orca_output(entry.path().string(), r);
        EXPECT_EQ(error.what, reasons.at(name).what) << name;
        EXPECT_EQ(error.line, reasons.at(name).line) << name;
        EXPECT_TRUE(r.symbols.empty() && r.energy == 0.0) << name << " left a result behind";
    }
    EXPECT_EQ(files, static_cast<int>(reasons.size()));
}

// The method and basis set as the input names them, whatever else the keyword line asks.
TEST(OrcaOutput, KeywordsNameTheMethodAndTheBasisSet) {
    struct Case {
        std::vector<std::string> keywords;
        const char* method;
        const char* basis;
        const char* solvent;
    };
    const std::vector<Case> cases = {
        {{"OptTS", "Freq", "PBE0", "RIJCOSX", "D3BJ", "def2-SVP", "def2/J", "CPCM(Water)"},
         "PBE0-D3BJ",
         "def2-SVP",
         "CPCM(Water)"},
        {{"OPT", "wB97X", "D4", "def2-SVP", "def2/J", "defgrid2", "XYZFILE"},
         "wB97X-D4",
         "def2-SVP",
         ""},
        {{"PAL8", "NormalPrint", "TightOpt", "wB97M-V", "def2-QZVPP"}, "wB97M-V", "def2-QZVPP", ""},
        {{"RI-MP2", "cc-pVTZ", "cc-pVTZ/C", "VeryTightSCF", "SlowConv"}, "RI-MP2", "cc-pVTZ", ""},
        {{"DLPNO-CCSD(T)", "aug-cc-pVTZ", "aug-cc-pVTZ/C", "Grid5", "FinalGrid6"},
         "DLPNO-CCSD(T)",
         "aug-cc-pVTZ",
         ""},
        {{"B3LYP/G", "6-31G(d)", "SMD(chloroform)"}, "B3LYP/G", "6-31G(d)", "SMD(chloroform)"},
        // Composite and semi-empirical methods bring their basis.
        {{"optts", "freq", "hf-3c"}, "hf-3c", "", ""},
        {{"r2SCAN-3c", "Opt", "def2-SVP"}, "r2SCAN-3c", "", ""},
        {{"XTB2", "ALPB(water)", "Opt"}, "XTB2", "", "ALPB(water)"},
        {{"Opt", "Freq"}, "", "", ""},
    };
    for (const Case& c : cases) {
        const auto level = confsearch::detail::orca_level_of_theory(c.keywords);
        EXPECT_EQ(level.method, c.method) << c.keywords.front();
        EXPECT_EQ(level.basis, c.basis) << c.keywords.front();
        EXPECT_EQ(level.solvent, c.solvent) << c.keywords.front();
    }
}
