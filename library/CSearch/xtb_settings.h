// How xtb is run for a screening: the method and its options, the environment of one
// thread, the command of a job, and xtb's own words when it fails.
#pragma once

#include "CSearch/process.h"

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace confsearch {

enum class XtbMethod { gfn2, gfnff };

// The force field of a GFN-FF run, made once from the input molecule (prepare_gfnff_setup):
// GFN-FF derives it from the geometry it is started from, so without one shared set-up
// the same minimum reached from two candidates can get energies tenths of a kcal/mol or
// more apart (10 for ethanol started with a C-O bond of 1.8 angstrom), which no energy
// test for duplicates survives.
struct GfnffSetup {
    std::filesystem::path topology;    // xtb's gfnff_topo
    std::vector<std::string> symbols;  // the atoms it was made for, in order
    bool ready() const { return !topology.empty(); }
};

struct XtbSettings {
    std::string program = "xtb";  // the path find_xtb gave
    XtbMethod method = XtbMethod::gfn2;
    // The optimisation level: crude, sloppy, loose, lax, normal, tight, vtight, extreme.
    std::string level = "normal";
    int charge = 0;
    // Spin multiplicity 2S+1; xtb takes the number of unpaired electrons, --uhf 2S.
    int multiplicity = 1;
    // An implicit solvent by its xtb name ("water", "thf"): --alpb NAME; empty: gas phase.
    std::string solvent;
    // Per job, seconds (0: no limit); then SIGTERM, and SIGKILL after the grace.
    double timeout_seconds = 600.0;
    double grace_seconds = 2.0;
    // The folder under which each job gets its scratch folder; empty: <run>/scratch. On
    // another file system (a node's local disk) the results are copied back.
    std::filesystem::path scratch_root;
    // Set for xtb on top of the one-thread settings (OMP_NUM_THREADS=1 and the like);
    // the tests choose the stand-in's behaviour this way.
    std::vector<std::pair<std::string, std::string>> environment;
    // Required for GFN-FF.
    GfnffSetup gfnff;
};

// xtb's options for an optimisation: {"--opt", level, "--gfn", "2" | "--gfnff", "--chrg",
// c, "--uhf", m-1} and {"--alpb", solvent} when one is given. Throws std::invalid_argument
// for a level xtb does not know, a multiplicity below 1, a solvent name that is empty of
// letters or holds a blank, or a GFN-FF run without its set-up.
std::vector<std::string> xtb_options(const XtbSettings& settings);
// The options of the GFN-FF set-up's single point: method, charge, unpaired electrons,
// solvent, as above without --opt.
std::vector<std::string> gfnff_setup_options(const XtbSettings& settings);
// Options as one line, as the done markers record them.
std::string joined(const std::vector<std::string>& options);

// The request that runs xtb on input (a file name in folder) with these options: one
// thread, the largest stack, standard output and error into <stem>.out and <stem>.err in
// folder.
ProcessRequest xtb_request(const XtbSettings& settings, const std::filesystem::path& folder,
                           const std::string& input, const std::vector<std::string>& options);

// What xtb said about its failure, one line: the reasons it lists after "[ERROR]" in its
// output, innermost last, joined by "; "; else the first line of standard error that is
// not one of its routine notes; empty when it said nothing.
std::string xtb_failure_text(const std::string& output, const std::string& errors);

}  // namespace confsearch
