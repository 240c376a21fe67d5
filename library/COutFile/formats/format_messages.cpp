#include "format_messages.h"

namespace confsearch {

std::string wrong_program_reason(OutputProgram expected, std::optional<OutputProgram> found) {
    std::string reason = std::string("not an ") + program_name(expected) + " output";
    if (found) reason += std::string(" (") + program_name(*found) + " wrote it)";
    return reason;
}

std::string orca_geometry_row_reason(int row) {
    return "row " + std::to_string(row) +
           " of the last \"CARTESIAN COORDINATES (ANGSTROEM)\" block is not an element symbol "
           "and three numbers";
}

std::string orca_frequency_row_reason(int row) {
    return "row " + std::to_string(row) +
           " of the last \"VIBRATIONAL FREQUENCIES\" block is not its index, a number and "
           "\"cm**-1\"";
}

std::string orca_frequency_count_reason(std::size_t modes, std::size_t atoms) {
    return "the last \"VIBRATIONAL FREQUENCIES\" block lists " + std::to_string(modes) +
           " modes where " + std::to_string(3 * atoms) +
           " (3 per atom of the final geometry) "
           "were expected";
}

std::string no_number_after(std::string_view keyword) {
    return "no number after \"" + std::string(keyword) + "\"";
}

std::string xtb_input_missing_reason(std::string_view name) {
    return "no geometry: the output has no \"final structure:\" block and names its geometry "
           "by the file \"" +
           std::string(name) + "\", which is not beside it";
}

std::string xtb_input_unreadable_reason(std::string_view name, std::string_view why) {
    return "no geometry: the coordinate file \"" + std::string(name) +
           "\" beside the output cannot be read: " + std::string(why);
}

std::string xtb_input_other_molecule_reason(std::string_view name, std::string_view how) {
    return "no geometry: the coordinate file \"" + std::string(name) +
           "\" beside the output holds another molecule than the job's (" + std::string(how) + ")";
}

std::string xtb_structure_reason(std::string_view what) {
    return "the \"final structure:\" block: " + std::string(what);
}

std::string xtb_frequency_count_reason(std::size_t modes, std::size_t atoms) {
    return "the last \"projected vibrational frequencies\" list holds " + std::to_string(modes) +
           " values where " + std::to_string(3 * atoms) + " (3 per atom) were expected";
}

std::string structure_row_reason(int row, const std::string& form) {
    return "row " + std::to_string(row) + " is not " + form;
}

std::string structure_cut_reason(int atoms, int count) {
    return "the atoms end after " + std::to_string(atoms) + " of " + std::to_string(count);
}

std::string structure_count_reason(int count) {
    return "an atom count of " + std::to_string(count);
}

}  // namespace confsearch
