#include "cli.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <set>

#include "COutFile.h"

namespace cli {

namespace {

bool is_option(const char* argument) { return std::string(argument).rfind("--", 0) == 0; }

std::string option_list(const std::vector<Option>& known) {
    std::string list;
    for (const Option& option : known) {
        if (!list.empty()) list += ", ";
        list += option.name;
        if (!option.value.empty()) list += " " + option.value;
    }
    return list;
}

int print_help(const char* program, const Help& help) {
    std::cout << help.usage << "\n\n" << help.description << std::flush;
    if (std::cout) return EXIT_DONE;
    std::cerr << program << ": cannot write the help to standard output" << std::endl;
    return EXIT_FAILED;
}

}  // namespace

Options read_options(int argc, char* argv[], const std::vector<Option>& known,
                     const std::string& usage) {
    Options options;
    int i = 1;
    for (; i < argc && is_option(argv[i]); ++i) {
        const std::string name = argv[i];
        const auto option = std::find_if(known.begin(), known.end(),
                                         [&](const Option& o) { return o.name == name; });
        if (option == known.end())
            throw Failure{
                "unknown option " + name + " (the options are " + option_list(known) + ")",
                EXIT_REFUSED, usage};
        if (options.given.count(name) > 0)
            throw Failure{"option " + name + " is given twice", EXIT_REFUSED, usage};
        std::string value;
        if (!option->value.empty()) {
            if (i + 1 >= argc)
                throw Failure{"option " + name + " needs a value: " + name + " " + option->value,
                              EXIT_REFUSED, usage};
            value = argv[++i];
        }
        options.given[name] = value;
    }
    options.first = i;
    for (; i < argc; ++i)
        if (is_option(argv[i]))
            throw Failure{std::string("option ") + argv[i] +
                              " after the positional arguments: options go first",
                          EXIT_REFUSED, usage};
    return options;
}

EnsembleChoice ensemble_choice(const char* program, const Options& options) {
    EnsembleChoice choice;
    choice.wanted = !options.has(NO_ENSEMBLE);
    choice.temperature = ROOM_TEMPERATURE;
    if (!options.has(TEMPERATURE)) return choice;
    // The whole text must be the number: "300K" is refused, not read as 300.
    const std::string& text = options.value(TEMPERATURE);
    char* end = nullptr;
    const double kelvin = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !std::isfinite(kelvin) || !(kelvin > 0))
        throw Failure{"the temperature must be a positive number of kelvin, not " + text};
    choice.temperature = kelvin;
    if (!choice.wanted)
        warn(program, TEMPERATURE.name + " has no effect with " + NO_ENSEMBLE.name +
                          ": no populations are written");
    return choice;
}

void write_ensemble(const EnsembleChoice& choice, const COutSortList& list,
                    const std::string& energy_name) {
    if (!choice.wanted) return;
    const std::string unwritten = out_ensemble_files(list, choice.temperature, energy_name);
    if (!unwritten.empty()) throw Failure{"cannot create file: " + unwritten};
}

int whole_number(const char* text, int low, int high, const std::string& what) {
    const double value = std::trunc(std::atof(text));
    if (!(value >= low && value <= high))
        throw Failure{what + " must lie in " + std::to_string(low) + ".." + std::to_string(high) +
                      ", not " + text};
    return static_cast<int>(value);
}

std::vector<int> interchangeable_atoms(int argc, char* argv[], int first, int last_atom) {
    std::vector<int> atoms{argc > first ? argc - first : 0};
    for (int i = first; i < argc; ++i)
        atoms.push_back(whole_number(argv[i], 1, last_atom, "an interchangeable atom"));
    return atoms;
}

std::string group_list(const std::vector<std::vector<int>>& groups) {
    if (groups.empty()) return "none";
    std::string text;
    for (const std::vector<int>& group : groups) {
        if (!text.empty()) text += " |";
        for (const int atom : group) text += (text.empty() ? "" : " ") + std::to_string(atom);
    }
    return text;
}

SymmetryGroups symmetry_groups(const char* program, const CBasicConformer& molecule,
                               const std::string& name, const std::vector<int>& given) {
    SymmetryGroups groups;
    try {
        for (const TerminalGroup& group : find_terminal_groups(CBondGraph(molecule))) {
            groups.found.push_back(group.atoms);
            groups.matched.add(group.atoms);
        }
        std::cout.flush();
        std::cerr << program << ": interchangeable atoms found: " << group_list(groups.found)
                  << std::endl;
    } catch (const PerceptionError& error) {
        // The ranking itself does not need the bonds: it goes on without the groups.
        warn(program,
             SYMMETRY.name + " finds no interchangeable atoms in " + name + ": " + error.what());
    }
    if (given.size() > 1) {
        groups.matched.add(std::vector<int>(given.begin() + 1, given.end()));
        if (groups.matched.get_groups() != groups.found) {
            std::cout.flush();
            std::cerr << program << ": interchangeable atoms matched: "
                      << group_list(groups.matched.get_groups()) << std::endl;
        }
    }
    return groups;
}

void warn(const char* program, const std::string& what) {
    std::cout.flush();
    std::cerr << program << ": warning: " << what << std::endl;
}

void note(const char* program, const std::string& what) {
    std::cout.flush();
    std::cerr << program << ": note: " << what << std::endl;
}

void warn_repeated_atoms(const char* program, const std::vector<int>& atoms) {
    std::set<int> seen;
    std::set<int> warned;
    for (std::size_t j = 1; j < atoms.size(); ++j) {
        if (seen.insert(atoms[j]).second || !warned.insert(atoms[j]).second) continue;
        warn(program,
             "interchangeable atom " + std::to_string(atoms[j]) + " is listed more than once");
    }
}

int run_main(const char* program, const Help& help, int (*run)(int, char**), int argc,
             char* argv[]) {
    try {
        try {
            if (std::any_of(argv + std::min(argc, 1), argv + argc,
                            [](const char* argument) { return argument == HELP.name; }))
                return print_help(program, help);
            return run(argc, argv);
        } catch (const Failure& failure) {
            std::cout.flush();
            std::cerr << program << ": " << failure.why << std::endl;
            if (!failure.usage.empty()) std::cerr << failure.usage << std::endl;
            return failure.status;
        } catch (const std::exception& error) {
            std::cout.flush();
            std::cerr << program << ": unexpected failure: " << error.what() << std::endl;
        } catch (...) {
            std::cout.flush();
            std::cerr << program << ": unexpected failure" << std::endl;
        }
    } catch (...) {
        // Writing the message failed (a closed standard error); the status still tells.
    }
    return EXIT_REFUSED;
}

}  // namespace cli
