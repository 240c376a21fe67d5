#include "CSearch/gfnff_setup.h"

#include "CSearch/done_marker.h"
#include "CSearch/job_folders.h"
#include "CSearch/search_messages.h"
#include "CSearch/search_names.h"
#include "CSearch/xtb_program.h"

#include <cmath>

namespace confsearch {

namespace fs = std::filesystem;

namespace {

// The input file of the set-up holds the molecule with 10 decimals.
const double SAME_POSITION = 1e-8;

bool same_molecule(const XyzGeometry& a, const XyzGeometry& b) {
    if (a.symbols != b.symbols || a.positions.size() != b.positions.size()) return false;
    for (std::size_t i = 0; i < a.positions.size(); ++i)
        if (a.positions[i].distance(b.positions[i]) > SAME_POSITION) return false;
    return true;
}

// The set-up an earlier start left in place, checked against this start's molecule and
// options. Throws DamagedFolder when it is not whole.
GfnffSetup earlier_setup(const fs::path& place, const XyzGeometry& molecule,
                         const std::string& options) {
    const DoneMarker marker = whole_folder_marker(place);
    const fs::path input = place / (GFNFF_SETUP_NAME + INPUT_ENDING);
    XyzGeometry made_from;
    const ReadError error = read_xyz_geometry(input.string(), made_from);
    if (!error.ok()) throw XtbError(error.message(input.string()));
    if (!same_molecule(made_from, molecule))
        throw XtbError(message::setup_of_other_molecule(place.string()));
    const std::string made_with = marker.get(MARKER_OPTIONS);
    if (made_with != options)
        throw XtbError(message::setup_of_other_options(place.string(), made_with, options));
    return {place / GFNFF_TOPOLOGY, molecule.symbols};
}

}  // namespace

GfnffSetup prepare_gfnff_setup(const XtbSettings& settings, const XyzGeometry& molecule,
                               const fs::path& run, const StopFlag* stop) {
    const std::vector<std::string> options = gfnff_setup_options(settings);
    const fs::path place = run / GFNFF_SETUP_FOLDER;
    const fs::path root =
        settings.scratch_root.empty() ? run / XTB_SCRATCH_FOLDER : settings.scratch_root;
    if (fs::exists(place)) {
        // Left behind by a kill right after the set-up was put in place.
        std::error_code ignored;
        fs::remove_all(root / GFNFF_SETUP_FOLDER, ignored);
        try {
            return earlier_setup(place, molecule, joined(options));
        } catch (const DamagedFolder&) {
            fs::remove_all(place);
        }
    }

    const ScratchFolder scratch(root / GFNFF_SETUP_FOLDER);
    const std::string input = GFNFF_SETUP_NAME + INPUT_ENDING;
    XyzGeometry start = molecule;
    if (start.comment.empty()) start.comment = "GFN-FF set-up";
    write_xyz_geometry((scratch.path() / input).string(), start);
    const ProcessOutcome outcome =
        run_process(xtb_request(settings, scratch.path(), input, options), stop);
    const fs::path topology = scratch.path() / GFNFF_TOPOLOGY;
    if (!outcome.succeeded() || !fs::exists(topology)) {
        const std::string said =
            xtb_failure_text(text_of_file(scratch.path() / (GFNFF_SETUP_NAME + OUTPUT_ENDING)),
                             text_of_file(scratch.path() / (GFNFF_SETUP_NAME + ERROR_ENDING)));
        const std::string how =
            outcome.succeeded() ? message::no_topology_written() : outcome.describe();
        throw XtbError(message::setup_failed("xtb " + input + " " + joined(options), how) +
                       (said.empty() ? "" : ": " + said));
    }
    StagedFolder setup(place);
    for (const std::string& name :
         {input, GFNFF_SETUP_NAME + OUTPUT_ENDING, GFNFF_SETUP_NAME + ERROR_ENDING, GFNFF_TOPOLOGY})
        setup.move_in(scratch.path() / name, name);
    DoneMarker marker;
    marker.set(MARKER_OPTIONS, joined(options));
    marker.set_outcome(outcome);
    setup.commit(marker);
    return {place / GFNFF_TOPOLOGY, molecule.symbols};
}

}  // namespace confsearch
