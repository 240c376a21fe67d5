// The set-up of the generator from one geometry: bonds, tree and rotatable bonds in one
// call, the freedom file and the summary of the bonds chosen.
#include "CConformer/conformer_setup.h"

#include <sstream>

#include "CConformer/generator.h"
#include "CConformer/perception_messages.h"
#include "detail/text_io.h"

namespace confsearch {

CConformerSetup::CConformerSetup(const CBasicConformer& conformer)
    : bonds(conformer), tree(conformer, bonds) {
    rotatable = choose_rotatable_bonds(conformer, bonds, tree);
}

void CConformerSetup::set_steps(int steps) {
    if (steps < 1 || steps > MAX_FREEDOM) {
        throw PerceptionError(steps_message(steps, MAX_FREEDOM));
    }
    for (auto& bond : rotatable) bond.steps = steps;
}

void CConformerSetup::write_freedom_file(const std::string& file) const {
    if (rotatable.empty()) throw PerceptionError(no_rotatable_bond_message());
    const int count = static_cast<int>(rotatable.size());
    if (count > MAX_FREEDOM_NUMBER) {
        throw PerceptionError(too_many_rotatable_message(count, MAX_FREEDOM_NUMBER));
    }
    // The fixed atom first: the moving atom's row hangs on it, so the reader keeps the
    // pair as written. "3-5 6": atom 5 and everything beyond it turn, in six steps.
    const bool written = detail::write_whole_file(file, [&](std::ostream& out) {
        out << count << "\n\n";
        for (const auto& bond : rotatable)
            out << bond.atom_a << '-' << bond.atom_b << ' ' << bond.steps << '\n';
    });
    if (!written) throw PerceptionError(cannot_write_message(file));
}

std::string CConformerSetup::summary() const {
    std::ostringstream text;
    for (const auto& bond : rotatable) {
        text << atom_name(bond.atom_a, tree.get_symbol(bond.atom_a)) << " - "
             << atom_name(bond.atom_b, tree.get_symbol(bond.atom_b)) << ", " << bond.steps
             << " steps\n";
    }
    return text.str();
}

}  // namespace confsearch
