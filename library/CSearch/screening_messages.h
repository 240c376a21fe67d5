// What a screening says to the chemist: why a source of candidates is refused, why a
// start does not fit the run folder, why a candidate is left out, the progress and the
// summary. Spelled in one place; included by the screening's sources only.
#pragma once

#include "CSearch/screening_names.h"

#include <cstddef>
#include <string>

namespace confsearch {
namespace message {

// Sources of candidates.
inline std::string cannot_read(const std::string& file) { return "cannot read " + file; }
inline std::string no_such_source(const std::string& path) { return path + " does not exist"; }
inline std::string at_line(const std::string& file, long line, const std::string& why) {
    return file + ", line " + std::to_string(line) + ": " + why;
}
inline std::string not_an_atom_line(const std::string& line) {
    return "an atom line must be an element and three numbers, not \"" + line + "\"";
}
inline std::string unknown_element(const std::string& word) {
    return "\"" + word + "\" is neither an element symbol nor an atomic number";
}
inline std::string not_a_record_label(const std::string& line) {
    return "a record must begin with \"NAME_<n>: <name>\", not \"" + line + "\"";
}
inline std::string record_not_closed() {
    return "the file ends inside a record (no closing line of dashes)";
}
inline std::string record_without_atoms() { return "a record without atoms"; }
inline std::string no_candidate_in(const std::string& file) { return file + " holds no candidate"; }
inline std::string no_xyz_file_in(const std::string& folder) {
    return folder + " holds no .xyz file";
}
inline std::string frame_origin(const std::string& file, std::size_t frame, long line) {
    return file + ", frame " + std::to_string(frame) + " (line " + std::to_string(line) + ")";
}
inline std::string record_origin(const std::string& file, std::size_t record, long line) {
    return file + ", record " + std::to_string(record) + " (line " + std::to_string(line) + ")";
}
inline std::string candidate_atom_count(const std::string& origin, std::size_t atoms,
                                        const std::string& molecule, std::size_t molecule_atoms) {
    return origin + ": " + std::to_string(atoms) + " atoms, " + molecule + " " +
           std::to_string(molecule_atoms) + ": a candidate must be the molecule itself";
}
inline std::string candidate_atom(const std::string& origin, std::size_t atom,
                                  const std::string& symbol, const std::string& molecule,
                                  const std::string& molecule_symbol) {
    return origin + ": atom " + std::to_string(atom) + " is " + symbol + ", in " + molecule + " " +
           molecule_symbol + ": a candidate must list the molecule's atoms in its order";
}

// The run folder against this start.
inline std::string run_folder_file(const std::string& folder, const std::string& file) {
    return folder + "/" + file;
}
inline std::string other_setting(const std::string& folder, const std::string& what,
                                 const std::string& recorded, const std::string& asked) {
    return folder + " holds a screening run with " + what + " " + recorded +
           "; this start asks for " + what + " " + asked +
           ", which would change its finished optimisations: start it with the same "
           "options, or give another run folder";
}
inline std::string other_candidate_count(const std::string& folder, std::size_t recorded,
                                         std::size_t asked) {
    return folder + " holds a screening run of " + std::to_string(recorded) +
           " candidates; this start has " + std::to_string(asked) +
           ": start it with the same candidates and generator options, or give another run "
           "folder";
}
inline std::string other_candidate(const std::string& folder, const std::string& name,
                                   const std::string& origin) {
    return folder + " holds a screening run whose candidate " + name + " is not " + origin +
           ": start it with the same candidates and generator options, or give another run "
           "folder";
}
inline std::string other_molecule(const std::string& folder) {
    return folder + " holds a screening run of another input molecule (" + RUN_MOLECULE_FILE +
           "): give another run folder";
}
inline std::string not_a_run_folder(const std::string& folder) {
    return folder + " holds no screening run (no " + RUN_SETTINGS_FILE + ")";
}
inline std::string damaged_run_record(const std::string& what) {
    return "the record of the run is damaged: " + what;
}
inline std::string optimised_with_other_options(const std::string& folder,
                                                const std::string& recorded,
                                                const std::string& asked) {
    return folder + " was optimised with xtb " + recorded + ", this start asks for " + asked;
}
inline std::string cannot_write(const std::string& file) { return "cannot write " + file; }

// Why an optimised candidate is left out.
inline std::string bonds_changed(const std::string& changes) {
    return "the optimisation changed the molecule's bonds: " + changes;
}
inline std::string output_unreadable(const std::string& why) {
    return "xtb's output cannot be read: " + why;
}
inline std::string geometry_refused(const std::string& why) {
    return "the optimised geometry cannot be compared: " + why;
}
inline std::string first_stage_unfinished(std::size_t unfinished) {
    return "the GFN2 stage needs every GFN-FF optimisation finished; " +
           std::to_string(unfinished) + " are not";
}

}  // namespace message
}  // namespace confsearch
