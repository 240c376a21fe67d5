#include "CSearch/xtb_settings.h"

#include "CSearch/search_messages.h"
#include "CSearch/search_names.h"

#include <algorithm>
#include <cctype>
#include <sstream>
#include <stdexcept>

namespace confsearch {

namespace {

const char* const LEVELS[] = {"crude",  "sloppy", "loose",  "lax",
                              "normal", "tight",  "vtight", "extreme"};
// Longest failure text kept in a reason, characters.
const std::size_t FAILURE_TEXT_LENGTH = 300;

std::vector<std::string> method_options(const XtbSettings& settings) {
    if (settings.multiplicity < 1)
        throw std::invalid_argument(message::bad_multiplicity(settings.multiplicity));
    const bool named = std::any_of(settings.solvent.begin(), settings.solvent.end(),
                                   [](unsigned char c) { return std::isalpha(c); });
    const bool blank = std::any_of(settings.solvent.begin(), settings.solvent.end(),
                                   [](unsigned char c) { return std::isspace(c); });
    if (!settings.solvent.empty() && (!named || blank))
        throw std::invalid_argument(message::bad_solvent(settings.solvent));
    std::vector<std::string> options;
    if (settings.method == XtbMethod::gfn2)
        options = {"--gfn", "2"};
    else
        options = {"--gfnff"};
    const std::vector<std::string> state = {"--chrg", std::to_string(settings.charge), "--uhf",
                                            std::to_string(settings.multiplicity - 1)};
    options.insert(options.end(), state.begin(), state.end());
    if (!settings.solvent.empty()) {
        options.push_back("--alpb");
        options.push_back(settings.solvent);
    }
    return options;
}

bool routine_note(const std::string& line) {
    // "Note: The following floating-point exceptions are signalling: IEEE_DENORMAL",
    // "normal termination of xtb" and gfortran's "ERROR STOP" carry no reason.
    return line.rfind("Note: The following floating-point", 0) == 0 ||
           line.find("termination of xtb") != std::string::npos || line == "ERROR STOP" ||
           line.find_first_not_of(" \t\r") == std::string::npos;
}

std::string shortened(std::string text) {
    if (text.size() > FAILURE_TEXT_LENGTH) text = text.substr(0, FAILURE_TEXT_LENGTH) + "...";
    return text;
}

std::string trimmed(const std::string& line) {
    const auto first = line.find_first_not_of(" \t\r");
    const auto last = line.find_last_not_of(" \t\r");
    return first == std::string::npos ? "" : line.substr(first, last - first + 1);
}

}  // namespace

std::vector<std::string> xtb_options(const XtbSettings& settings) {
    if (std::find(std::begin(LEVELS), std::end(LEVELS), settings.level) == std::end(LEVELS))
        throw std::invalid_argument(message::unknown_level(settings.level));
    if (settings.method == XtbMethod::gfnff && !settings.gfnff.ready())
        throw std::invalid_argument(message::no_gfnff_setup());
    std::vector<std::string> options = {"--opt", settings.level};
    const auto method = method_options(settings);
    options.insert(options.end(), method.begin(), method.end());
    return options;
}

std::vector<std::string> gfnff_setup_options(const XtbSettings& settings) {
    XtbSettings force_field = settings;
    force_field.method = XtbMethod::gfnff;
    return method_options(force_field);
}

std::string joined(const std::vector<std::string>& options) {
    std::string line;
    for (const auto& option : options) line += (line.empty() ? "" : " ") + option;
    return line;
}

ProcessRequest xtb_request(const XtbSettings& settings, const std::filesystem::path& folder,
                           const std::string& input, const std::vector<std::string>& options) {
    const std::string stem = std::filesystem::path(input).stem().string();
    ProcessRequest request;
    request.argv = {settings.program, input};
    request.argv.insert(request.argv.end(), options.begin(), options.end());
    request.working_directory = folder.string();
    request.environment = {{"OMP_NUM_THREADS", "1"},
                           {"MKL_NUM_THREADS", "1"},
                           {"OPENBLAS_NUM_THREADS", "1"},
                           {"OMP_STACKSIZE", XTB_STACK_SIZE}};
    request.environment.insert(request.environment.end(), settings.environment.begin(),
                               settings.environment.end());
    request.stdout_file = (folder / (stem + OUTPUT_ENDING)).string();
    request.stderr_file = (folder / (stem + ERROR_ENDING)).string();
    request.timeout_seconds = settings.timeout_seconds;
    request.grace_seconds = settings.grace_seconds;
    request.largest_stack = true;
    return request;
}

std::string xtb_failure_text(const std::string& output, const std::string& errors) {
    const auto start = output.rfind(XTB_ERROR_START);
    if (start != std::string::npos) {
        std::istringstream lines(output.substr(start));
        std::string line;
        std::getline(lines, line);
        std::string reasons;
        // "-2- reading geometry input 'bad.xyz' failed": a number between dashes, then words.
        while (std::getline(lines, line) && line.size() > 3 && line[0] == '-') {
            const auto close = line.find("- ", 1);
            if (close == std::string::npos) break;
            reasons += (reasons.empty() ? "" : "; ") + trimmed(line.substr(close + 2));
        }
        if (!reasons.empty()) return shortened(reasons);
    }
    std::istringstream lines(errors);
    for (std::string line; std::getline(lines, line);)
        if (!routine_note(line)) return shortened(trimmed(line));
    return "";
}

}  // namespace confsearch
