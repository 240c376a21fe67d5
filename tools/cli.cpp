#include "cli.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <exception>
#include <iostream>

namespace confsearch::cli {

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

namespace {

// Reads the option at argv[i] (and its value) into options; i is left on its last word.
void read_option(int argc, char* argv[], int& i, const std::vector<Option>& known,
                 const std::string& usage, Options& options) {
    const std::string name = argv[i];
    const auto option =
        std::find_if(known.begin(), known.end(), [&](const Option& o) { return o.name == name; });
    if (option == known.end())
        throw Failure{"unknown option " + name + " (the options are " + option_list(known) + ")",
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

}  // namespace

Options read_options(int argc, char* argv[], const std::vector<Option>& known,
                     const std::string& usage) {
    Options options;
    int i = 1;
    for (; i < argc && is_option(argv[i]); ++i) read_option(argc, argv, i, known, usage, options);
    options.first = i;
    for (; i < argc; ++i) {
        if (is_option(argv[i]))
            throw Failure{std::string("option ") + argv[i] +
                              " after the positional arguments: options go first",
                          EXIT_REFUSED, usage};
        options.positional.push_back(argv[i]);
    }
    return options;
}

Options read_options_anywhere(int argc, char* argv[], const std::vector<Option>& known,
                              const std::string& usage) {
    Options options;
    bool ended = false;
    for (int i = 1; i < argc; ++i) {
        if (!ended && std::string(argv[i]) == "--")
            ended = true;
        else if (!ended && is_option(argv[i]))
            read_option(argc, argv, i, known, usage, options);
        else
            options.positional.push_back(argv[i]);
    }
    options.first = argc - static_cast<int>(options.positional.size());
    return options;
}

Positional positional(int argc, char* argv[], const Options& options) {
    return {argc - options.first + 1, argv + options.first - 1};
}

int whole_number(const char* text, int low, int high, const std::string& what) {
    const double value = std::trunc(std::atof(text));
    if (!(value >= low && value <= high))
        throw Failure{what + " must lie in " + std::to_string(low) + ".." + std::to_string(high) +
                      ", not " + text};
    return static_cast<int>(value);
}

void warn(const char* program, const std::string& what) {
    std::cout.flush();
    std::cerr << program << ": warning: " << what << std::endl;
}

void note(const char* program, const std::string& what) {
    std::cout.flush();
    std::cerr << program << ": note: " << what << std::endl;
}

int run_main(const char* program, const Help& help, int (*run)(int, char**), int argc,
             char* argv[]) {
    try {
        try {
            if (std::any_of(argv + std::min(argc, 1), argv + argc, [](const char* argument) {
                    return argument == HELP.name || argument == std::string(SHORT_HELP);
                }))
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

}  // namespace confsearch::cli
