#include <gtest/gtest.h>
#include "CConformer.h"

#include "ConformerSupport.h"

#include <string>
#include <vector>

using namespace confsearch;

namespace {

// The molecule with atom `atom` moved to `to` (angstrom).
CBasicConformer moved(const std::string& name, int atom, const CVECTOR& to) {
    CBasicConformer molecule = support::molecule(name);
    molecule.set_exyz(atom, molecule.get_element(atom), to);
    return molecule;
}

std::vector<std::string> described(const CBasicConformer& before, const CBasicConformer& after) {
    const CBondGraph a(before);
    const CBondGraph b(after);
    std::vector<std::string> lines;
    for (const auto& change : confsearch::bond_changes(a, b))
        lines.push_back(confsearch::describe(change, b));
    return lines;
}

}  // namespace

TEST(BondChanges, NameEveryBondBrokenOrFormed) {
    const CBasicConformer ethanol = support::molecule("ethanol");
    const CVECTOR oxygen = ethanol.get_vector(3);
    struct Case {
        std::string what;
        CBasicConformer after;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases = {
        {"unchanged", ethanol, {}},
        // A small turn of the hydroxyl keeps every bond.
        {"hydroxyl moved 0.1 A",
         moved("ethanol", 4, ethanol.get_vector(4) + CVECTOR(0, 0, 0.1)),
         {}},
        {"hydroxyl hydrogen gone 3 A away",
         moved("ethanol", 4, oxygen + CVECTOR(3.0, 0, 0)),
         {"bond 3-4 (O-H) broken"}},
    };
    for (const auto& c : cases) EXPECT_EQ(described(ethanol, c.after), c.expected) << c.what;

    // Water losing H2: a hydrogen 0.74 A from the other and 1.52 A from the oxygen.
    const CBasicConformer water = support::molecule("water");
    EXPECT_EQ(described(water, moved("water", 3, water.get_vector(2) + CVECTOR(0, 0, -0.74))),
              (std::vector<std::string>{"bond 1-3 (O-H) broken", "bond 2-3 (H-H) formed"}));

    EXPECT_THROW(
        confsearch::bond_changes(CBondGraph(ethanol), CBondGraph(support::molecule("water"))),
        std::invalid_argument);
}
