#include "CSearch/generated_candidates.h"

#include "CSearch/candidate_files.h"
#include "CSearch/repeat_filter.h"

namespace confsearch {

GeneratedCandidates generate_candidates(const CandidatePlan& plan, const std::string& stem,
                                        const std::string& origin,
                                        const std::function<void(Combinations)>& done) {
    const CBasicConformer& molecule = plan.get_molecule();
    const CConformerSetup& setup = plan.get_setup();
    const CandidateRun walk(molecule, setup.get_bonds(), setup.get_tree(), plan.get_torsions());
    const std::vector<TorsionChoice> turned = plan.get_turned();
    std::vector<std::string> symbols;
    for (int i = 1; i <= molecule.get_size(); ++i)
        symbols.push_back(molecule.get_element(i).get_symbol());
    const int width = serial_width(plan.get_combinations());
    RepeatFilter repeats(molecule, setup.get_bonds());
    GeneratedCandidates generated;
    generated.counts = walk.run(
        [&](const Candidate& candidate) {
            if (repeats.repeats(candidate.positions)) {
                ++generated.repeats;
                return;
            }
            ScreeningCandidate kept;
            kept.name = serial_name(stem, generated.candidates.size() + 1, width);
            kept.origin = origin;
            kept.geometry.symbols = symbols;
            kept.geometry.positions = candidate.positions;
            kept.geometry.comment = candidate_title(kept.name, turned, candidate.turns);
            generated.candidates.push_back(std::move(kept));
        },
        done);
    return generated;
}

}  // namespace confsearch
