#include "input_options.h"

#include <cstdlib>

namespace confsearch::inputs {

namespace {

const int MOST_PROCESSORS = 1024;
const int MOST_MULTIPLICITY = 99;
const int MOST_CHARGE = 99;

// The whole text a whole number within low..high; a Failure naming the option otherwise.
int whole_option(const cli::Option& option, const std::string& text, int low, int high) {
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || value < low || value > high)
        throw cli::Failure{option.name + " must be a whole number in " + std::to_string(low) +
                           ".." + std::to_string(high) + ", not \"" + text + "\""};
    return static_cast<int>(value);
}

}  // namespace

const char* const HELP_LINES =
    "  --format F        gaussian (.gjf, the default), orca (.inp) or xyz files\n"
    "  --route TEXT      the route: Gaussian \"#p PM7 opt\", ORCA \"! HF-3c Opt\" by default\n"
    "  --charge Q        the charge; default: charge= on the xyz comment line, else 0\n"
    "  --multiplicity M  the multiplicity; default: multiplicity= there, else 1\n"
    "  --nproc N         processors per job (Gaussian %nprocshared, ORCA %pal)\n"
    "  --mem SIZE        memory per job, 4GB or 500MB (Gaussian %mem; ORCA %maxcore gets\n"
    "                    3/4 of it per processor)\n"
    "  --overwrite       remove the files of an earlier run from the folder first\n";

std::vector<cli::Option> options() {
    return {FORMAT, ROUTE, CHARGE, MULTIPLICITY, NPROC, MEM, OVERWRITE};
}

Request read_request(const cli::Options& options) {
    Request request;
    if (options.has(FORMAT)) {
        const std::optional<InputFormat> format = input_format_named(options.value(FORMAT));
        if (!format)
            throw cli::Failure{FORMAT.name + " must be gaussian, orca or xyz, not \"" +
                               options.value(FORMAT) + "\""};
        request.settings.format = *format;
        request.format_given = true;
    }
    if (options.has(ROUTE)) {
        if (request.settings.format == InputFormat::xyz)
            throw cli::Failure{ROUTE.name +
                               " goes with --format gaussian or orca: an xyz file "
                               "has no route"};
        const std::string fault = route_fault(request.settings.format, options.value(ROUTE));
        if (!fault.empty()) throw cli::Failure{ROUTE.name + ": " + fault};
        request.settings.route = options.value(ROUTE);
    }
    if (options.has(CHARGE))
        request.charge = whole_option(CHARGE, options.value(CHARGE), -MOST_CHARGE, MOST_CHARGE);
    if (options.has(MULTIPLICITY))
        request.multiplicity =
            whole_option(MULTIPLICITY, options.value(MULTIPLICITY), 1, MOST_MULTIPLICITY);
    if (options.has(NPROC))
        request.settings.processors = whole_option(NPROC, options.value(NPROC), 1, MOST_PROCESSORS);
    if (options.has(MEM)) {
        request.settings.memory = job_memory(options.value(MEM));
        if (!request.settings.memory)
            throw cli::Failure{MEM.name +
                               " must be a whole number of MB or GB (4GB, 500MB), not \"" +
                               options.value(MEM) + "\""};
    }
    request.overwrite = options.has(OVERWRITE);
    return request;
}

ElectronState electron_state(const Request& request, const std::string& comment,
                             const std::vector<int>& numbers, const std::string& where) {
    const StateWords said = state_words(comment);
    ElectronState state;
    state.charge = request.charge ? *request.charge : said.charge.value_or(0);
    state.multiplicity =
        request.multiplicity ? *request.multiplicity : said.multiplicity.value_or(1);
    const std::string fault = electron_state_fault(numbers, state);
    if (!fault.empty())
        throw cli::Failure{where + ": " + fault + " (--charge, --multiplicity)", cli::EXIT_FAILED};
    return state;
}

}  // namespace confsearch::inputs
