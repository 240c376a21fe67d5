#include "CSearch/generated_candidates.h"

#include "CSearch/candidate_files.h"
#include "CSearch/repeat_filter.h"

namespace confsearch {

WalkCounts walk_named_candidates(const CandidatePlan& plan, const std::string& stem,
                                 const std::function<void(const NamedCandidate&)>& take,
                                 const std::function<void(Combinations)>& done,
                                 const std::function<void(const std::string&)>& log) {
    const CBasicConformer& molecule = plan.get_molecule();
    const CConformerSetup& setup = plan.get_setup();
    const CandidateRun walk(plan);
    const std::vector<TorsionChoice> turned = plan.get_turned();
    std::vector<std::string> symbols;
    for (int i = 1; i <= molecule.get_size(); ++i)
        symbols.push_back(molecule.get_element(i).get_symbol());
    const int width = serial_width(plan.get_combinations());
    RepeatFilter repeats(molecule, setup.get_bonds());
    WalkCounts counts;
    counts.counts = walk.run(
        [&](const Candidate& candidate) {
            if (repeats.repeats(candidate.positions)) {
                ++counts.repeats;
                return;
            }
            const std::string name = serial_name(stem, ++counts.kept, width);
            // The input's own pucker and pyramids go unnamed.
            const std::string start = candidate.start == 0 ? "" : candidate.start_name;
            const std::string title = candidate_title(name, turned, candidate.turns, start);
            take(NamedCandidate{name, title, symbols, candidate.positions});
        },
        done, log);
    return counts;
}

GeneratedCandidates generate_candidates(const CandidatePlan& plan, const std::string& stem,
                                        const std::string& origin,
                                        const std::function<void(Combinations)>& done) {
    GeneratedCandidates generated;
    generated.walk = walk_named_candidates(
        plan, stem,
        [&](const NamedCandidate& candidate) {
            ScreeningCandidate kept;
            kept.name = candidate.name;
            kept.origin = origin;
            kept.geometry.symbols = candidate.symbols;
            kept.geometry.positions = candidate.positions;
            kept.geometry.comment = candidate.title;
            generated.candidates.push_back(std::move(kept));
        },
        done);
    return generated;
}

}  // namespace confsearch
