// read_candidates, the screening's reader of multi-structure xyz files and of the
// generator's collection file, on any text; then the run's record of what it read. A
// refusal is a CandidateError naming the file; a read gives candidates of known elements
// and finite positions, named in order, which the record's candidates file gives back
// with the same names, atoms and positions (10 decimals).
//
// Input: the source file.

#include <cmath>
#include <string>

#include "CSearch/candidate_files.h"
#include "CSearch/candidate_sources.h"
#include "CSearch/run_record.h"
#include "fuzz_support.h"

using namespace confsearch;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::ScratchDirectory scratch;
    fuzz::Input input(data, size);
    fuzz::write_file("source", input.rest());

    std::vector<ScreeningCandidate> candidates;
    try {
        candidates = read_candidates("source", "m");
    } catch (const CandidateError& refusal) {
        fuzz::check(std::string(refusal.what()).rfind("source", 0) == 0,
                    "a refusal does not name the file");
        return 0;
    }
    fuzz::check(!candidates.empty(), "a read without candidates");
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        const XyzGeometry& g = candidates[i].geometry;
        fuzz::check(candidates[i].name == serial_name("m", i + 1, serial_width(candidates.size())),
                    "candidates are not named in order");
        fuzz::check(!g.symbols.empty() && g.symbols.size() == g.positions.size(),
                    "atoms without positions");
        for (const std::string& symbol : g.symbols)
            fuzz::check(CELEMENT(symbol).get_number() > 0, "an unknown element was taken");
        for (const CVECTOR& p : g.positions)
            fuzz::check(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z),
                        "a coordinate is not finite");
    }

    fuzz::write_file("recorded.xyz", candidates_text(candidates));
    const std::vector<ScreeningCandidate> again = read_candidates_file("recorded.xyz");
    fuzz::check(again.size() == candidates.size(), "the record lost candidates");
    for (std::size_t i = 0; i < again.size(); ++i) {
        fuzz::check(again[i].name == candidates[i].name, "a name changed in the record");
        fuzz::check(again[i].geometry.symbols == candidates[i].geometry.symbols,
                    "the atoms changed in the record");
        for (std::size_t a = 0; a < again[i].geometry.positions.size(); ++a) {
            const CVECTOR& p = candidates[i].geometry.positions[a];
            const double scale = 1.0 + std::fabs(p.x) + std::fabs(p.y) + std::fabs(p.z);
            fuzz::check((again[i].geometry.positions[a] - p).module() <= 1e-9 * scale,
                        "a position changed in the record");
        }
    }
    return 0;
}
