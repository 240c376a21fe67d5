#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "CSearch/input_files.h"

using namespace confsearch;

namespace {

InputJob water(const std::string& title = "water_0001 turns 1:2=60") {
    return {"water_0001",
            title,
            {0, 1},
            {"O", "H", "H"},
            {{0, 0, 0.1173}, {0, 0.7572, -0.4692}, {0, -0.7572, -0.4692}}};
}

const std::string ATOMS =
    "O       0.00000000      0.00000000      0.11730000\n"
    "H       0.00000000      0.75720000     -0.46920000\n"
    "H       0.00000000     -0.75720000     -0.46920000\n";

}  // namespace

// Each format's text, compared character by character.
TEST(InputFiles, GoldenTexts) {
    InputSettings gaussian;
    gaussian.processors = 4;
    gaussian.memory = job_memory("4GB");
    EXPECT_EQ(input_text(gaussian, water()),
              "%nprocshared=4\n"
              "%mem=4GB\n"
              "%chk=water_0001.chk\n"
              "#p PM7 opt\n"
              "\n"
              "water 0001 turns 1:2=60\n"
              "\n"
              "0 1\n" +
                  ATOMS + "\n\n");
    EXPECT_EQ(input_file_name(gaussian, water()), "water_0001.gjf");

    InputSettings orca;
    orca.format = InputFormat::orca;
    orca.processors = 4;
    orca.memory = job_memory("4GB");
    // 4096 MB, three quarters shared by four processes.
    EXPECT_EQ(input_text(orca, water()),
              "# water_0001 turns 1:2=60\n"
              "! HF-3c Opt\n"
              "%pal nprocs 4 end\n"
              "%maxcore 768\n"
              "\n"
              "* xyz 0 1\n" +
                  ATOMS + "*\n");
    EXPECT_EQ(input_file_name(orca, water()), "water_0001.inp");

    InputSettings xyz;
    xyz.format = InputFormat::xyz;
    EXPECT_EQ(input_text(xyz, water()), "3\nwater_0001 turns 1:2=60\n" + ATOMS);

    // Without the options: no %nprocshared, %mem, %pal or %maxcore lines; the route given;
    // a doublet cation.
    InputSettings plain;
    plain.route = "#p B3LYP/6-31G(d) opt freq";
    InputJob cation = water("water cation");
    cation.state = {1, 2};
    EXPECT_EQ(input_text(plain, cation),
              "%chk=water_0001.chk\n#p B3LYP/6-31G(d) opt freq\n\nwater cation\n\n1 2\n" + ATOMS +
                  "\n\n");
    plain.format = InputFormat::orca;
    plain.route = "! r2SCAN-3c Opt";
    EXPECT_EQ(input_text(plain, cation),
              "# water cation\n! r2SCAN-3c Opt\n\n* xyz 1 2\n" + ATOMS + "*\n");
}

// A Gaussian title holds none of @ # ! - _ \ or control characters (the manual says to
// avoid them); a long one is wrapped at 72 columns, five lines at most.
TEST(InputFiles, GaussianTitlesAreCleaned) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"conf01.log  E=-76.0107465  dE=0.0000  group=1",
         "conf01.log E=minus 76.0107465 dE=0.0000 group=1"},
        {"#1 of run_2 @ host!\\tmp\x07 a-b", "1 of run 2 host tmp a b"},
        {"", "candidate"},
    };
    for (const auto& [title, shown] : cases) {
        const std::string text = input_text(InputSettings{}, water(title));
        EXPECT_EQ(text.substr(text.find("opt\n\n") + 5, shown.size() + 3), shown + "\n\n0")
            << title;
    }
    std::string title = "x";
    for (int k = 1; k <= 100; ++k) title += " 12:13=240";
    const std::string text = input_text(InputSettings{}, water(title));
    const std::string section = text.substr(text.find("opt\n\n") + 5);
    const std::string lines = section.substr(0, section.find("\n\n"));
    int count = 1;
    for (const char c : lines) count += c == '\n' ? 1 : 0;
    EXPECT_EQ(count, 5);
    EXPECT_EQ(lines.substr(0, 72),
              "x 12:13=240 12:13=240 12:13=240 12:13=240 12:13=240 12:13=240 12:13=240\n");
}

TEST(InputFiles, ChargeAndMultiplicityAgainstTheElectrons) {
    const std::vector<int> water_atoms = {8, 1, 1};                    // 10 electrons
    const std::vector<int> methylammonium = {6, 7, 1, 1, 1, 1, 1, 1};  // 19 electrons
    const std::vector<std::tuple<std::vector<int>, ElectronState, std::string>> cases = {
        {water_atoms, {0, 1}, ""},
        {water_atoms, {1, 2}, ""},
        {water_atoms, {0, 3}, ""},
        {water_atoms,
         {0, 2},
         "charge 0 and multiplicity 2 cannot go with 10 electrons: an even count needs an odd "
         "multiplicity (1 for a closed shell) or another charge"},
        {water_atoms,
         {1, 1},
         "charge 1 and multiplicity 1 cannot go with 9 electrons: an odd count needs an even "
         "multiplicity (2 for a radical) or another charge"},
        {methylammonium, {1, 1}, ""},
        {methylammonium,
         {0, 1},
         "charge 0 and multiplicity 1 cannot go with 19 electrons: an odd count needs an even "
         "multiplicity (2 for a radical) or another charge"},
        {{1}, {1, 1}, ""},  // a bare proton
        {{1, 1},
         {0, 5},
         "charge 0 and multiplicity 5 cannot go with 2 electrons: fewer electrons than unpaired "
         "ones"},
        {water_atoms, {0, 0}, "the multiplicity must be 1 or more, not 0"},
    };
    for (const auto& [numbers, state, fault] : cases)
        EXPECT_EQ(electron_state_fault(numbers, state), fault)
            << state.charge << " " << state.multiplicity;

    struct Said {
        std::string comment;
        std::optional<int> charge;
        std::optional<int> multiplicity;
    };
    const Said said[] = {
        {"phenethylammonium charge=1 multiplicity=1", 1, 1},
        {"Charge=-1 MULT=3 from a CREST run", -1, 3},
        {"charge=x multiplicity=2", std::nullopt, 2},
        {"conf01.log  E=-76.0107465  dE=0.0000  group=1", std::nullopt, std::nullopt},
    };
    for (const Said& k : said) {
        const StateWords words = state_words(k.comment);
        EXPECT_EQ(words.charge, k.charge) << k.comment;
        EXPECT_EQ(words.multiplicity, k.multiplicity) << k.comment;
    }
}

TEST(InputFiles, OptionValues) {
    const std::vector<std::pair<std::string, long>> memories = {
        {"4GB", 4096}, {"500MB", 500}, {"2gb", 2048}, {"4 GB", 0},
        {"4G", 0},     {"0GB", 0},     {"GB", 0},     {"-4GB", 0}};
    for (const auto& [text, megabytes] : memories) {
        const std::optional<JobMemory> memory = job_memory(text);
        EXPECT_EQ(memory ? memory->megabytes : 0, megabytes) << text;
        if (memory) {
            EXPECT_EQ(memory->text, text);
        }
    }
    EXPECT_EQ(route_fault(InputFormat::gaussian, "#p B3LYP/6-31G(d) opt"), "");
    EXPECT_EQ(route_fault(InputFormat::orca, "  ! HF-3c Opt"), "");
    EXPECT_EQ(route_fault(InputFormat::gaussian, "B3LYP/6-31G(d) opt"),
              "a Gaussian route begins with #: \"#p B3LYP/6-31G(d) opt\", not \"B3LYP/6-31G(d) "
              "opt\"");
    EXPECT_EQ(route_fault(InputFormat::orca, "#p HF"),
              "an ORCA route begins with !: \"! B3LYP D3BJ def2-SVP Opt\", not \"#p HF\"");
    EXPECT_EQ(route_fault(InputFormat::gaussian, "#p opt\n%mem=1GB"), "the route must be one line");
    EXPECT_EQ(input_format_named("orca"), InputFormat::orca);
    EXPECT_EQ(input_format_named("ORCA"), std::nullopt);
}
