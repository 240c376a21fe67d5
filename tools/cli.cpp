#include "cli.h"

#include <cmath>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <set>

namespace cli {

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

void warn(const char* program, const std::string& what) {
    std::cout.flush();
    std::cerr << program << ": warning: " << what << std::endl;
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

int run_main(const char* program, int (*run)(int, char**), int argc, char* argv[]) {
    try {
        try {
            return run(argc, argv);
        } catch (const Failure& failure) {
            std::cout.flush();
            std::cerr << program << ": " << failure.why << std::endl;
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
