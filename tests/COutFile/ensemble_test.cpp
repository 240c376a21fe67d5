#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "COutFile.h"
#include "ConformerSupport.h"
#include "RankingSupport.h"
#include "TestSupport.h"

using namespace confsearch;

namespace {

using support::Atom;

// A filtered list: name, energy (hartree), group and geometry of each result in list order.
struct Ranked {
    std::string name;
    double energy;
    int group;
    std::vector<Atom> atoms;
};

COutSortList filtered(const std::vector<Ranked>& ranked) {
    std::vector<COutSort> results;
    for (const Ranked& r : ranked) {
        results.push_back(support::result(r.name, r.energy, 0.5, r.atoms));
        results.back().group = r.group;
    }
    return support::list_of(results);
}

}  // namespace

// Worked out by hand: R T ln 2 above another state halves the weight; equal energies share
// equally; 1000 kcal/mol above leaves no share and no NaN; at twice the temperature a
// weight of 1/3 becomes 1/sqrt(3).
TEST(Ensemble, BoltzmannPopulationsOfHandWorkedCases) {
    const double r = 1.987204259e-3;
    const double half = r * 298.15 * std::log(2.0);
    const double third = r * 300 * std::log(3.0);
    const double s3 = std::sqrt(3.0);
    struct Case {
        std::vector<double> energies;  // kcal/mol
        double temperature;
        std::vector<double> percent;
    };
    const Case cases[] = {
        {{12.25}, 298.15, {100}},
        {{0, 0, half}, 298.15, {40, 40, 20}},
        {{0, half, 2 * half, 3 * half}, 298.15, {800.0 / 15, 400.0 / 15, 200.0 / 15, 100.0 / 15}},
        {{1000, 0}, 298.15, {0, 100}},
        {{0, 1e300}, 298.15, {100, 0}},
        {{0, third}, 300, {75, 25}},
        {{0, third}, 600, {100 * s3 / (s3 + 1), 100 / (s3 + 1)}},
    };
    for (const Case& c : cases) {
        const std::vector<double> p = boltzmann_populations(c.energies, c.temperature);
        ASSERT_EQ(p.size(), c.percent.size());
        for (std::size_t k = 0; k < p.size(); ++k) EXPECT_NEAR(p[k], c.percent[k], 1e-9) << k;
    }
    EXPECT_TRUE(boltzmann_populations({}, 298.15).empty());
    support::expect_thrown([] { boltzmann_populations({0}, 0.0); }, 0.0);
}

// Group heads in list order with the sizes of their groups; two equal energies share the
// population, one 2 hartree (1255.018948 kcal/mol) above has none.
TEST(Ensemble, TableGoldenText) {
    const auto anti = support::ethanol();
    const COutSortList list = filtered({{"a.log", -154.0, 1, anti},
                                        {"a2.log", -153.99999, 1, anti},
                                        {"b.log", -154.0, 2, support::gauche_ethanol()},
                                        {"c.log", -152.0, 3, anti}});
    std::ostringstream out;
    write_ensemble_table(out, list, ensemble_of(list, 298.15), "G");
    EXPECT_EQ(out.str(),
              "# group\tname\tenergy (G, hartree)\tdE (kcal/mol)\tpopulation (% at 298.15 K)\t"
              "results\n"
              "1\ta.log\t-154\t0.0000\t50.00\t2\n"
              "2\tb.log\t-154\t0.0000\t50.00\t1\n"
              "3\tc.log\t-152\t1255.0189\t0.00\t1\n"
              "# distinct conformers: 3, results: 4\n");

    std::ostringstream empty;
    write_ensemble_table(empty, COutSortList(9), ensemble_of(COutSortList(9), 77.5), "HF");
    EXPECT_EQ(empty.str(),
              "# group\tname\tenergy (HF, hartree)\tdE (kcal/mol)\tpopulation (% at 77.5 K)\t"
              "results\n# distinct conformers: 0, results: 0\n");
}

// One frame per group head; each frame, cut out and read with the library's xyz reader,
// is the head's geometry. An atom the element table does not know is written "X".
TEST(Ensemble, XyzFramesReadBackOneByOne) {
    auto dummy = support::ethanol();
    dummy[3].number = 0;
    const COutSortList list = filtered({{"anti.log", -154.0, 1, support::ethanol()},
                                        {"anti2.log", -154.0, 1, support::ethanol()},
                                        {"gauche.log", -153.999, 2, support::gauche_ethanol()},
                                        {"turned.log", -153.99, 3, support::turned(dummy, 2.0)}});
    std::ostringstream out;
    write_unique_conformers(out, list, ensemble_of(list, 298.15));
    const std::string text = out.str();
    EXPECT_EQ(text.substr(0, text.find("\nO")),
              "9\nanti.log  E=-154  dE=0.0000  group=1\n"
              "C     -1.168500    -0.388400     0.000000\n"
              "C      0.014200     0.556000     0.000000");

    const char* const comments[] = {"anti.log  E=-154  dE=0.0000  group=1",
                                    "gauche.log  E=-153.999  dE=0.6275  group=2",
                                    "turned.log  E=-153.99  dE=6.2751  group=3"};
    const int heads[] = {1, 3, 4};
    std::istringstream in(text);
    support::TempDir dir;
    for (int frame = 0; frame < 3; ++frame) {
        std::string lines;
        std::string line;
        for (int k = 0; k < 11 && std::getline(in, line); ++k) lines += line + "\n";
        EXPECT_EQ(lines.substr(2, lines.find('\n', 2) - 2), comments[frame]);
        dir.write("frame.xyz", lines);
        CBasicConformer read(9);
        ASSERT_TRUE(read.read_xyz(dir.file("frame.xyz"))) << lines;
        support::expect_same_geometry(read, list[heads[frame]].conformer, 1e-6);
    }
    EXPECT_EQ(in.peek(), std::char_traits<char>::eof());
}

// Both files in the working directory; one that cannot be written is named.
TEST(Ensemble, FilesThatCannotBeWrittenAreNamed) {
    support::TempDir dir;
    support::ScopedChdir here(dir.path());
    const COutSortList list = filtered({{"a.log", -154.0, 1, support::ethanol()}});
    EXPECT_EQ(out_ensemble_files(COutSortList(9), 298.15, "HF"), "");
    EXPECT_EQ(dir.read("unique_conformers.xyz"), "");
    std::filesystem::remove(dir.path() / "unique_conformers.xyz");
    std::filesystem::create_directory(dir.path() / "unique_conformers.xyz");
    EXPECT_EQ(out_ensemble_files(list, 298.15, "HF"), "unique_conformers.xyz");
    EXPECT_NE(dir.read("ensemble.txt").find("\n1\ta.log\t-154\t0.0000\t100.00\t1\n"),
              std::string::npos);
    if (!std::filesystem::exists("/dev/full")) return;
    std::filesystem::remove(dir.path() / "ensemble.txt");
    std::filesystem::create_symlink("/dev/full", dir.path() / "ensemble.txt");
    EXPECT_EQ(out_ensemble_files(list, 298.15, "HF"), "ensemble.txt");
}
