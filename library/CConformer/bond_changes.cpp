#include "CConformer/bond_changes.h"

#include "CMyElement/element.h"

#include <algorithm>
#include <stdexcept>

namespace confsearch {

std::vector<BondChange> bond_changes(const CBondGraph& before, const CBondGraph& after) {
    bool same_atoms = before.get_size() == after.get_size();
    for (int i = 1; same_atoms && i <= before.get_size(); ++i)
        same_atoms = before.get_element(i) == after.get_element(i);
    if (!same_atoms)
        throw std::invalid_argument(
            "bonds can only be compared between geometries of the same atoms");
    std::vector<BondChange> changes;
    for (int a = 1; a <= before.get_size(); ++a) {
        // Neighbour lists are in increasing order: every bond once, from its lower atom.
        for (int b : before.get_neighbours(a))
            if (b > a && !after.bonded(a, b)) changes.push_back({a, b, false});
        for (int b : after.get_neighbours(a))
            if (b > a && !before.bonded(a, b)) changes.push_back({a, b, true});
    }
    std::sort(changes.begin(), changes.end(), [](const BondChange& x, const BondChange& y) {
        return x.atom1 != y.atom1 ? x.atom1 < y.atom1 : x.atom2 < y.atom2;
    });
    return changes;
}

std::string describe(const BondChange& change, const CBondGraph& graph) {
    return "bond " + std::to_string(change.atom1) + "-" + std::to_string(change.atom2) + " (" +
           CELEMENT(graph.get_element(change.atom1)).get_symbol() + "-" +
           CELEMENT(graph.get_element(change.atom2)).get_symbol() + ") " +
           (change.formed ? "formed" : "broken");
}

}  // namespace confsearch
