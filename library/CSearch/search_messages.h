// What the search engine says to the chemist: why a job failed, why xtb or a setting is
// refused. Spelled in one place; included by the engine's sources only.
#pragma once

#include "CSearch/search_names.h"

#include <string>

namespace confsearch {
namespace message {

inline const std::string INSTALL = "; install it with: " + INSTALL_XTB;

// Refusals of find_xtb.
inline std::string xtb_not_on_path() { return "xtb is not on the PATH" + INSTALL; }
inline std::string xtb_missing(const std::string& path) {
    return path + " does not exist" + INSTALL;
}
inline std::string xtb_does_not_run(const std::string& path, const std::string& how) {
    return path + " --version did not run: " + how + INSTALL;
}
inline std::string not_xtb(const std::string& path) {
    return path + " does not print xtb's version line (\"" + XTB_VERSION_LINE +
           "...\"): it is not xtb" + INSTALL;
}

// Settings and names xtb cannot be run with.
inline std::string unknown_level(const std::string& level) {
    return "xtb knows no optimisation level \"" + level + "\"";
}
inline std::string bad_multiplicity(int multiplicity) {
    return "the multiplicity must be 1 or more, not " + std::to_string(multiplicity);
}
inline std::string bad_solvent(const std::string& solvent) {
    return "\"" + solvent + "\" is not a solvent name";
}
inline std::string no_gfnff_setup() {
    return "a GFN-FF optimisation needs the run's GFN-FF set-up";
}
inline std::string bad_job_name(const std::string& name) {
    return "\"" + name +
           "\" cannot name a job: letters, digits and _-+. only, not beginning with a point";
}
inline std::string other_atoms_than_setup(const std::string& name) {
    return "candidate " + name + " does not have the atoms of the GFN-FF set-up";
}

// Why a job is not optimised; xtb's own words follow after ": " where it gave any.
inline std::string xtb_not_started(const std::string& how) { return "xtb " + how; }
inline std::string xtb_timed_out(const std::string& how) { return "xtb " + how; }
inline std::string xtb_killed(const std::string& how) { return "xtb was " + how; }
inline std::string xtb_exit_status(const std::string& how) { return "xtb ended with " + how; }
inline std::string no_optimised_geometry() {
    return "xtb wrote no optimised geometry (" + XTB_OPTIMISED_GEOMETRY + ")";
}
inline std::string other_atom_count(std::size_t written, std::size_t candidate) {
    return XTB_OPTIMISED_GEOMETRY + " holds " + std::to_string(written) + " atoms, the candidate " +
           std::to_string(candidate);
}
inline std::string other_element(std::size_t atom, const std::string& written,
                                 const std::string& candidate) {
    return "atom " + std::to_string(atom) + " is " + written + " in " + XTB_OPTIMISED_GEOMETRY +
           ", " + candidate + " in the candidate";
}
inline std::string setup_not_taken() {
    return "xtb did not take the run's GFN-FF set-up (" + GFNFF_TOPOLOGY + ")";
}
inline std::string not_converged(const std::string& level) {
    return "the geometry optimisation did not converge (--opt " + level + ")";
}
inline std::string stopped_before_start() { return "the run was stopped before the job's turn"; }
inline std::string stopped() { return "the run was stopped"; }
inline std::string unknown_status(const std::string& status) {
    return DONE_MARKER + " gives the unknown status \"" + status + "\"";
}

// Refusals of the GFN-FF set-up.
inline std::string setup_of_other_molecule(const std::string& folder) {
    return "the GFN-FF set-up in " + folder + " was made from another molecule than this run's";
}
inline std::string setup_of_other_options(const std::string& folder, const std::string& made_with,
                                          const std::string& asked) {
    return "the GFN-FF set-up in " + folder + " was made with \"" + made_with +
           "\", this run asks for \"" + asked + "\"";
}
inline std::string setup_failed(const std::string& command, const std::string& how) {
    return "the GFN-FF set-up (" + command + ") failed: " + how;
}
inline std::string no_topology_written() { return "wrote no " + GFNFF_TOPOLOGY; }

}  // namespace message
}  // namespace confsearch
