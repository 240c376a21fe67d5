// The one-file form's set-up: torsions, freedom file, listing and limit advice.
#include "CSearch/candidate_plan.h"

#include <algorithm>
#include <sstream>

#include "CConformer/perception_messages.h"
#include "detail/text_io.h"

namespace confsearch {

CandidatePlan::CandidatePlan(const CBasicConformer& molecule, const TorsionOptions& options)
    : molecule(molecule), options(options), setup(molecule) {
    torsions = choose_torsions(molecule, setup.get_bonds(), setup.get_tree(), options);
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
    return text.str();
}

LimitAdvice limit_advice(const CandidatePlan& plan, Combinations most) {
    LimitAdvice advice;
    const CZmatrixTree& tree = plan.get_setup().get_tree();
    const CBondGraph& graph = plan.get_setup().get_bonds();
    for (const int steps : {3, 2}) {
        TorsionOptions options = plan.get_options();
        options.steps = steps;
        const Combinations count =
            count_combinations(choose_torsions(plan.get_molecule(), graph, tree, options));
        (steps == 3 ? advice.three_steps : advice.two_steps) = count;
    }
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
        left = count_combinations(choose_torsions(plan.get_molecule(), graph, tree, options));
    }
    advice.after_fixing = left;
    return advice;
}

}  // namespace confsearch
