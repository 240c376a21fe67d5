// The refusals of the candidate files and job inputs, spelled in one place.
#pragma once

#include <string>

namespace confsearch::detail {

inline std::string electron_count(long electrons) {
    return std::to_string(electrons) + (electrons == 1 ? " electron" : " electrons");
}

inline std::string state_pair(int charge, int multiplicity) {
    return "charge " + std::to_string(charge) + " and multiplicity " + std::to_string(multiplicity);
}

inline std::string bad_multiplicity_message(int multiplicity) {
    return "the multiplicity must be 1 or more, not " + std::to_string(multiplicity);
}

inline std::string too_few_electrons_message(int charge, int multiplicity, long electrons) {
    return state_pair(charge, multiplicity) + " cannot go with " + electron_count(electrons) +
           ": fewer electrons than unpaired ones";
}

inline std::string wrong_parity_message(int charge, int multiplicity, long electrons) {
    const bool odd = electrons % 2 != 0;
    return state_pair(charge, multiplicity) + " cannot go with " + electron_count(electrons) +
           ": an " +
           (odd ? "odd count needs an even multiplicity (2 for a radical)"
                : "even count needs an odd multiplicity (1 for a closed shell)") +
           " or another charge";
}

inline std::string route_lines_message() { return "the route must be one line"; }

inline std::string gaussian_route_message(const std::string& route) {
    return "a Gaussian route begins with #: \"#p B3LYP/6-31G(d) opt\", not \"" + route + "\"";
}

inline std::string orca_route_message(const std::string& route) {
    return "an ORCA route begins with !: \"! B3LYP D3BJ def2-SVP Opt\", not \"" + route + "\"";
}

inline std::string not_a_folder_message(const std::string& folder) {
    return folder + " is not a folder";
}

inline std::string foreign_file_message(const std::string& folder, const std::string& file) {
    return folder + " holds " + file +
           ", which no run of this program wrote; it is never deleted: move it or write into "
           "another folder";
}

inline std::string earlier_run_message(const std::string& folder, std::size_t files) {
    return folder + " holds " + std::to_string(files) +
           " files of an earlier run; --overwrite removes them first";
}

inline std::string folder_error_message(const std::string& what, const std::string& path,
                                        const std::string& error) {
    return "cannot " + what + " " + path + ": " + error;
}

}  // namespace confsearch::detail
