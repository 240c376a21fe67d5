// The one-file form's set-up: torsions, start geometries, freedom file, listing and limit
// advice.
#include "CSearch/candidate_plan.h"

#include <algorithm>
#include <limits>
#include <sstream>

#include "CConformer/perception_messages.h"
#include "CConformer/rings.h"
#include "detail/text_io.h"

namespace confsearch {

namespace {

// The listing's words for rings and nitrogens.
const char* const INPUT_FORM = " in the input; ";
const char* const ONE_FORM = " form also taken: ";
const char* const FORMS = " forms also taken: ";
const char* const KEPT = ", kept: ";
const char* const ON_REQUEST = "on request";
const char* const BOTH_PYRAMIDS = ", pyramid as in the input and inverted";
const char* const PYRAMID_KEPT = ", pyramid kept: ";

}  // namespace

CandidatePlan::CandidatePlan(const CBasicConformer& molecule, const TorsionOptions& options,
                             const StartOptions& start_options)
    : molecule(molecule),
      options(options),
      start_options(start_options),
      setup(molecule),
      torsions(choose_torsions(molecule, setup.get_bonds(), setup.get_tree(), options)),
      starts(molecule, setup.get_bonds(), start_options) {}

Combinations CandidatePlan::get_combinations() const {
    return saturating_product(starts.count(), get_torsion_combinations());
}

std::vector<TorsionChoice> CandidatePlan::get_turned() const {
    std::vector<TorsionChoice> turned;
    for (const TorsionChoice& t : torsions)
        if (t.turned()) turned.push_back(t);
    return turned;
}

void CandidatePlan::write_freedom_file(const std::string& file) const {
    const std::vector<TorsionChoice> turned = get_turned();
    if (turned.empty()) throw PerceptionError(no_rotatable_bond_message());
    const int count = static_cast<int>(turned.size());
    if (count > MAX_FREEDOM_NUMBER)
        throw PerceptionError(too_many_rotatable_message(count, MAX_FREEDOM_NUMBER));
    const bool written = detail::write_whole_file(file, [&](std::ostream& out) {
        out << count << "\n\n";
        for (const TorsionChoice& t : turned)
            out << t.fixed_atom << '-' << t.moving_atom << ' ' << t.steps << '\n';
    });
    if (!written) throw PerceptionError(cannot_write_message(file));
}

std::string CandidatePlan::listing() const {
    std::ostringstream text;
    const auto name = [&](int atom) {
        return atom_name(atom, molecule.get_element(atom).get_symbol());
    };
    for (const TorsionChoice& t : torsions) {
        text << name(t.fixed_atom) << " - " << name(t.moving_atom);
        if (t.kind == TorsionKind::symmetric)
            text << ", kept: its " << t.steps << " steps repeat a side of " << t.symmetry
                 << "-fold symmetry\n";
        if (t.kind == TorsionKind::symmetric) continue;
        if (!t.turned())
            text << ", kept: ";
        else if (t.positions < t.steps)
            text << ", " << t.positions << " of " << t.steps << " steps (a side of " << t.symmetry
                 << "-fold symmetry): ";
        else
            text << ", " << t.steps << " steps: ";
        text << describe(t.kind) << '\n';
    }
    const CBondGraph& graph = setup.get_bonds();
    if (start_options.rings) {
        for (const RingUnit& unit : starts.get_ring_units()) {
            text << unit.get_label();
            if (unit.get_forms().empty()) {
                text << KEPT << unit.get_note() << '\n';
                continue;
            }
            text << ": ";
            if (!unit.get_start_form().empty()) text << unit.get_start_form() << INPUT_FORM;
            if (!unit.get_note().empty()) text << unit.get_note() << "; ";
            const std::vector<RingForm>& forms = unit.get_forms();
            text << forms.size() << (forms.size() == 1 ? ONE_FORM : FORMS);
            // A form's name may hold a comma ("twist C1 up, C2 down").
            for (std::size_t k = 0; k < forms.size(); ++k)
                text << (k == 0 ? "" : "; ") << forms[k].name;
            text << '\n';
        }
    } else {
        const std::vector<Ring>& rings = starts.get_rings();
        for (std::size_t k = 0; k < rings.size(); ++k)
            text << "ring " << k + 1 << " (" << ring_atoms_label(rings[k], graph) << ")" << KEPT
                 << ON_REQUEST << '\n';
    }
    for (const AmineNitrogen& nitrogen : starts.get_nitrogens()) {
        if (!nitrogen.invertible) continue;
        text << name(nitrogen.atom)
             << (start_options.inversion ? BOTH_PYRAMIDS : std::string(PYRAMID_KEPT) + ON_REQUEST)
             << '\n';
    }
    return text.str();
}

LimitAdvice limit_advice(const CandidatePlan& plan, Combinations most) {
    LimitAdvice advice;
    const CZmatrixTree& tree = plan.get_setup().get_tree();
    const CBondGraph& graph = plan.get_setup().get_bonds();
    const Combinations starts = plan.get_starts().count();
    for (const int steps : {3, 2}) {
        TorsionOptions options = plan.get_options();
        options.steps = steps;
        const Combinations count = saturating_product(
            starts, count_combinations(choose_torsions(plan.get_molecule(), graph, tree, options)));
        (steps == 3 ? advice.three_steps : advice.two_steps) = count;
    }
    const StartOptions& taken = plan.get_start_options();
    const auto without = [&](bool rings, bool inversion) {
        if (rings == taken.rings && inversion == taken.inversion) return plan.get_combinations();
        const StartGeometries fewer(plan.get_molecule(), graph, StartOptions{rings, inversion});
        return saturating_product(fewer.count(), plan.get_torsion_combinations());
    };
    advice.without_rings = without(false, taken.inversion);
    advice.without_inversion = without(taken.rings, false);
    // The bonds of most positions first, of equal ones the first in the run; the count
    // is taken again after each, since a bond kept changes what turns rigidly with a
    // symmetric side.
    std::vector<TorsionChoice> turned = plan.get_turned();
    std::stable_sort(
        turned.begin(), turned.end(),
        [](const TorsionChoice& a, const TorsionChoice& b) { return a.positions > b.positions; });
    TorsionOptions options = plan.get_options();
    Combinations left = plan.get_combinations();
    for (const TorsionChoice& t : turned) {
        if (left <= most) break;
        advice.to_fix.push_back(t);
        options.fixed.emplace_back(t.fixed_atom, t.moving_atom);
        left = saturating_product(
            starts, count_combinations(choose_torsions(plan.get_molecule(), graph, tree, options)));
    }
    advice.after_fixing = left;
    return advice;
}

}  // namespace confsearch
