// What every program of the toolkit shares: the failure that ends a run with one line on
// standard error, checked whole-number arguments, the list of interchangeable atoms, and
// the frame of main.
#pragma once

#include <string>
#include <vector>

namespace cli {

const int EXIT_DONE = 0;
const int EXIT_FAILED = 1;
const int EXIT_REFUSED = 2;

// A refusal or failure, reported on standard error as "<program>: <why>"; the program
// then exits with status.
struct Failure {
    std::string why;
    int status = EXIT_REFUSED;
};

// atof, then truncation toward zero (the argument conventions of the toolkit), refused
// with a Failure "<what> must lie in low..high, not <text>" outside low..high, before
// the conversion to int: a huge or non-numeric text must not wrap around.
int whole_number(const char* text, int low, int high, const std::string& what);

// The equivalence list of the interchangeable atoms given as arguments first..argc-1:
// element 0 the count, then the atoms in command-line order, each checked to lie in
// 1..last_atom.
std::vector<int> interchangeable_atoms(int argc, char* argv[], int first, int last_atom);

// The list as the library takes it: no list at all when it names no atom.
inline const int* equivalence(const std::vector<int>& atoms) {
    return atoms.empty() || atoms[0] <= 0 ? nullptr : atoms.data();
}

// "<program>: warning: <what>" on standard error, for a command line or input that runs
// but may not do what its user expects.
void warn(const char* program, const std::string& what);

// Warns once for every atom that an equivalence list names more than once.
void warn_repeated_atoms(const char* program, const std::vector<int>& atoms);

// Runs run(argc, argv) and returns its status. A Failure is printed as one line on
// standard error after everything written to standard output so far; any other thrown
// value as "<program>: unexpected failure: ..." with status EXIT_REFUSED. Nothing
// thrown leaves this function.
int run_main(const char* program, int (*run)(int, char**), int argc, char* argv[]);

}  // namespace cli
