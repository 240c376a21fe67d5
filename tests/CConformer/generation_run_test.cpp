#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "CConformer.h"
#include "ConformerSupport.h"
#include "GeneratorSupport.h"

using namespace confsearch;

namespace {

using support::CollectedCandidate;
using support::TempDir;
using Bonds = std::vector<std::array<int, 3>>;

// What a run of the dial left behind.
struct Walk {
    std::string out;
    std::string log;
    std::vector<CollectedCandidate> candidates;
    CRunHeader header;
    bool back_at_input = false;
};

enum class RunKind { collect, test, test_twice };

Walk walk_dial(const std::vector<double>& blockers, const Bonds& bonds,
               RunKind kind = RunKind::collect) {
    TempDir dir;
    support::ScopedChdir here(dir.path());
    Walk w;
    {
        const support::TreeMolecule m = support::dial(blockers);
        CGenerateConformer g(static_cast<int>(m.atoms.size()));
        support::load(g, m, dir);
        dir.write("m.freedom", support::freedom_text(bonds));
        EXPECT_TRUE(g.read_freedom("m.freedom"));
        const CRotatableConformer input = g;
        testing::internal::CaptureStdout();
        if (kind == RunKind::collect) {
            g.collect_xyz();
        } else {
            g.generate_test();
            if (kind == RunKind::test_twice) g.generate_test();
        }
        w.out = testing::internal::GetCapturedStdout();
        w.header = g.get_header();
        w.back_at_input = true;
        for (int i = 1; i <= g.get_size(); ++i)
            w.back_at_input &= g.get_vector(i).distance(input.get_vector(i)) < 1e-9;
        if (kind == RunKind::collect)
            w.candidates =
                support::read_collection(dir.read(CANDIDATE_COLLECTION_FILE), g.get_size());
    }
    w.log = dir.read("GenerateConformer.log");
    return w;
}

std::vector<std::string> names(const Walk& w) {
    std::vector<std::string> list;
    for (const CollectedCandidate& c : w.candidates) list.push_back(c.name);
    return list;
}

std::string without_time(const std::string& out) {
    return std::regex_replace(out, std::regex("Time cost \\d+hours \\d+mins \\d+secs"), "TIME");
}

TEST(GenerationRun, OneBondWalksItsStepsAndEndsWhereItStarted) {
    const Walk w = walk_dial({}, {{2, 3, 3}});
    EXPECT_EQ(names(w), (std::vector<std::string>{"1", "2", "3"}));
    const double angles[] = {0, 120, 240};
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(w.candidates[k].serial, k + 1);
        EXPECT_NEAR(support::dial_angle(w.candidates[k].points[4]), angles[k], 1e-9);
    }
    EXPECT_EQ(without_time(w.out),
              "waiting>>>   \n\rSchedule  33.3333%     \rSchedule  66.6667%     "
              "\rSchedule  100%     \nMission completed!\nTIME\n");
    EXPECT_TRUE(w.back_at_input);
    EXPECT_EQ(w.header.generated, 3u);
}

// Bond 1 changes slowest; a bond of one step stays where the input has it.
TEST(GenerationRun, CandidatesComeInTheOrderOfTheirNames) {
    EXPECT_EQ(names(walk_dial({}, {{2, 3, 2}, {3, 4, 3}})),
              (std::vector<std::string>{"11", "12", "13", "21", "22", "23"}));
    const Walk one_step = walk_dial({}, {{2, 3, 3}, {3, 4, 1}});
    EXPECT_EQ(names(one_step), (std::vector<std::string>{"11", "21", "31"}));
    EXPECT_TRUE(one_step.back_at_input);
}

// Position 2 of the dial (120 degrees) is blocked; the corrections are tried at 140, 160,
// 180, then 100, 80, 60 degrees, and the first free one is taken for candidate 2 only.
TEST(GenerationRun, ClashIsCorrectedBySixthsOfAStepEitherWay) {
    struct Case {
        std::vector<double> blockers;
        double corrected;
        int units;
    };
    const Case cases[] = {
        {{110}, 140, 1},          {{128, 150}, 180, 3},         {{128, 150, 172}, 100, 1},
        {{110, 150, 180}, 80, 2}, {{110, 150, 180, 85}, 60, 3},
    };
    for (const Case& k : cases) {
        const Walk w = walk_dial(k.blockers, {{2, 3, 3}});
        const std::string label = "corrected to " + std::to_string(k.corrected);
        ASSERT_EQ(names(w), (std::vector<std::string>{"1", "2", "3"})) << label;
        EXPECT_NEAR(support::dial_angle(w.candidates[1].points[4]), k.corrected, 1e-9) << label;
        // The correction is taken back: the next position is on the grid again.
        EXPECT_NEAR(support::dial_angle(w.candidates[2].points[4]), 240, 1e-9) << label;
        const std::string line =
            "2: bond 2-3,correction succeeded!\tcorrect step " + std::to_string(k.units) + "\n";
        EXPECT_NE(w.log.find(line), std::string::npos) << label << "\n" << w.log;
        EXPECT_EQ(w.header.ignored, 0u) << label;
        EXPECT_TRUE(w.back_at_input) << label;
    }
}

// Blockers at 70, 110, 150 and 180 degrees leave position 2 no way out: the block of
// combinations below it is skipped and counted, once per run.
TEST(GenerationRun, UncorrectableClashSkipsTheBlockBelowIt) {
    const std::vector<double> blockers = {70, 110, 150, 180};
    const Walk one = walk_dial(blockers, {{2, 3, 3}});
    EXPECT_EQ(names(one), (std::vector<std::string>{"1", "3"}));
    EXPECT_NE(one.log.find("2: bond 2-3,correction failed!\tignore 1 conformers\n"),
              std::string::npos);

    const Walk three = walk_dial(blockers, {{2, 3, 3}, {3, 4, 3}, {4, 5, 2}}, RunKind::test);
    EXPECT_EQ(three.header.generated, 12u);
    EXPECT_EQ(three.header.ignored, 6u);
    EXPECT_NE(three.log.find("2??: bond 2-3,correction failed!\tignore 6 conformers\n"),
              std::string::npos);
    EXPECT_NE(three.log.find("Generate: 12\nIgnore: 6\n"), std::string::npos);
    EXPECT_TRUE(three.back_at_input);

    // A second run counts its skipped candidates on top of the first run's.
    const Walk twice = walk_dial(blockers, {{2, 3, 3}}, RunKind::test_twice);
    EXPECT_EQ(twice.header.generated, 2u);
    EXPECT_EQ(twice.header.ignored, 2u);
    EXPECT_NE(twice.out.find("\rSchedule  133.333%     \n"), std::string::npos);
}

TEST(GenerationRun, ClashingInputGivesAnEmptyRun) {
    const Walk collected = walk_dial({5}, {{2, 3, 3}});
    EXPECT_TRUE(collected.candidates.empty());
    EXPECT_EQ(without_time(collected.out), "waiting>>>   \n\nMission completed!\nTIME\n");
    const Walk counted = walk_dial({5}, {{2, 3, 3}}, RunKind::test);
    EXPECT_NE(counted.log.find("Generate: 0\nIgnore: 3\n"), std::string::npos);
    EXPECT_EQ(counted.header.ignored, 0u);
}

TEST(GenerationRun, LevelsOutsideTheWalkAreThrown) {
    TempDir dir;
    support::ScopedChdir here(dir.path());
    CGenerateConformer g(5);
    support::load(g, support::dial({}), dir);
    dir.write("m.freedom", support::freedom_text({{2, 3, 3}, {3, 4, 2}}));
    ASSERT_TRUE(g.read_freedom("m.freedom"));
    support::expect_thrown([&] { g.generate_test(0); }, 0);
    support::expect_thrown([&] { g.generate(-2); }, -2);
    support::expect_thrown([&] { g.collect_xyz(4); }, 4);
    support::expect_thrown([&] { g.correct(3); }, 3);
    support::expect_thrown([&] { g.reposit(-1); }, -1);
}

// On the example molecule: every candidate keeps the bond lengths and angles of the tree;
// each rotatable bond's dihedral is the input one plus its steps and the side correction
// that the log reports for the candidate's prefix; nothing is lost from the count.
TEST(ExampleMolecule, CandidatesTurnOnlyTheirRotatableBonds) {
    const std::filesystem::path example = std::filesystem::path(EXAMPLES_DIR) / "generator";
    TempDir dir;
    support::ScopedChdir here(dir.path());
    const int atoms = 22;
    CGenerateConformer g(atoms);
    ASSERT_TRUE(g.read_xyz((example / "leucine.xyz").string()));
    ASSERT_TRUE(g.read_Zmatrix((example / "leucine.zmat").string()));
    ASSERT_TRUE(g.read_freedom((example / "leucine.freedom").string()));
    const CRotatableConformer input = g;
    testing::internal::CaptureStdout();
    g.collect_xyz();
    testing::internal::GetCapturedStdout();
    const std::vector<CollectedCandidate> candidates =
        support::read_collection(dir.read(CANDIDATE_COLLECTION_FILE), atoms);
    const CRunHeader& header = g.get_header();
    EXPECT_EQ(candidates.size(), header.generated);
    EXPECT_EQ(header.generated + header.ignored, header.total);
    EXPECT_EQ(header.total, 3u * 3 * 6 * 2);

    const CZMATRIX& z = g.get_zmatrix();
    const int n = g.get_freedom_number();
    const auto dihedral = [&](const std::vector<CVECTOR>& p, const CRotatableBond& bond) {
        const int c = z.get_linking(bond.atom_b, 1);
        return p[c].p_dihang(p[bond.atom_b], p[bond.atom_a], p[z[c].dihedral_ref]);
    };
    std::vector<CVECTOR> start(1);
    for (int i = 1; i <= atoms; ++i) start.push_back(input.get_vector(i));
    const std::string log = dir.read("GenerateConformer.log");
    int corrected = 0;
    for (const CollectedCandidate& candidate : candidates) {
        const std::vector<CVECTOR>& p = candidate.points;
        for (int i = 2; i <= atoms; ++i) {
            const int b = z[i].bond_ref;
            ASSERT_NEAR(p[i].distance(p[b]), start[i].distance(start[b]), 1e-6);
            if (i < 3) continue;
            const int a = z[i].angle_ref;
            ASSERT_NEAR(p[b].p_angle(p[i], p[a]), start[b].p_angle(start[i], start[a]), 1e-6);
        }
        for (int k = 1; k <= n; ++k) {
            const CRotatableBond& bond = g.get_bond(k);
            const double step = 2 * PI / bond.steps;
            // A correction of bond k was logged under the name its candidates start with.
            const std::string prefix = candidate.name.substr(0, static_cast<std::size_t>(k)) +
                                       std::string(static_cast<std::size_t>(n - k), '1');
            std::smatch m;
            const std::regex line(prefix + ": bond " + std::to_string(bond.atom_a) + "-" +
                                  std::to_string(bond.atom_b) +
                                  ",correction succeeded!\tcorrect step (\\d)\n");
            const int units = std::regex_search(log, m, line) ? std::stoi(m[1]) : 0;
            corrected += units != 0 ? 1 : 0;
            const double turned = dihedral(p, bond) - dihedral(start, bond);
            const double grid = (candidate.name[k - 1] - '1') * step;
            bool matches = false;
            for (const int sign : {1, -1}) {
                const double off = std::remainder(turned - grid - sign * units * step / 6, 2 * PI);
                matches |= std::fabs(off) < 1e-6;
            }
            EXPECT_TRUE(matches) << candidate.name << " bond " << k << " turned " << turned;
        }
    }
    EXPECT_GT(corrected, 0) << "the example exercises no side correction";
}

}  // namespace
