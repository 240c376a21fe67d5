// confsearch::StartGeometries on any xyz text read into a conformer of any size 0..100:
// ring perception, the ring forms, the nitrogen inversions and a few of their
// combinations. Perception may refuse the molecule (PerceptionError); otherwise every
// form and every combination built keeps every bond of the input at its length, as the
// moves promise (rigid carries, reflections and fits held to 0.01 angstrom).
//
// Input: the atom count of the conformer (one byte), then the xyz file.

#include <algorithm>
#include <cmath>
#include <string>

#include "CConformer.h"
#include "fuzz_support.h"

using namespace confsearch;

namespace {

// The fit holds ring bonds within 0.01 angstrom; a little more for rounding.
const double BOND_KEPT = 0.0101;

void check_bonds(const CBondGraph& graph, const CBasicConformer& input,
                 const CBasicConformer& moved, const std::string& what) {
    fuzz::check(moved.get_size() == input.get_size(), what + " changed the atom count");
    for (const PerceivedBond& bond : graph.get_bonds()) {
        const double length = moved.get_vector(bond.atom1).distance(moved.get_vector(bond.atom2));
        fuzz::check(std::fabs(length - bond.length) <= BOND_KEPT,
                    what + " changed the bond " + std::to_string(bond.atom1) + "-" +
                        std::to_string(bond.atom2));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::ScratchDirectory scratch;
    fuzz::Input input(data, size);
    const int atoms = input.molecule_size();
    fuzz::write_file("molecule.xyz", input.rest());
    CBasicConformer molecule(atoms);
    if (!molecule.read_xyz("molecule.xyz")) return 0;
    try {
        const CBondGraph graph(molecule);
        const confsearch::StartGeometries starts(molecule, graph);
        for (const confsearch::RingUnit& unit : starts.get_ring_units()) {
            for (const confsearch::RingForm& form : unit.get_forms())
                check_bonds(graph, molecule, form.geometry, unit.get_label() + " " + form.name);
        }
        for (const confsearch::AmineNitrogen& nitrogen : starts.get_nitrogens()) {
            if (!nitrogen.invertible) continue;
            check_bonds(graph, molecule, confsearch::invert_nitrogen(molecule, graph, nitrogen),
                        "inverting " + std::to_string(nitrogen.atom));
        }
        const std::uint64_t count = starts.count();
        fuzz::check(count >= 1, "no combination at all");
        const confsearch::StartGeometry first = starts.build(0);
        fuzz::check(first.accepted() && first.name == "input" &&
                        fuzz::same_geometry(first.geometry, molecule),
                    "combination 0 is not the input");
        for (std::uint64_t k : {std::uint64_t{1}, std::uint64_t{2}, count / 2, count - 1}) {
            if (k >= count) continue;
            const confsearch::StartGeometry start = starts.build(k);
            fuzz::check(!start.name.empty(), "a combination without a name");
            check_bonds(graph, molecule, start.geometry, start.name);
        }
    } catch (const PerceptionError&) {
        // Atoms too close or of unknown elements, or an atom of too many neighbours.
    }
    return 0;
}
