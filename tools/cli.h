// What every program of the toolkit shares: the failure that ends a run with one line on
// standard error, options before the positional arguments, checked whole-number
// arguments, the list of interchangeable atoms and the groups that --symmetry finds, the
// ensemble files of the two sorters, and the frame of main.
#pragma once

#include "CConformer.h"

#include <map>
#include <string>
#include <vector>

class COutSortList;

namespace cli {

const int EXIT_DONE = 0;
const int EXIT_FAILED = 1;
const int EXIT_REFUSED = 2;

// A refusal or failure, reported on standard error as "<program>: <why>", then the usage
// line when there is one; the program then exits with status.
struct Failure {
    std::string why;
    int status = EXIT_REFUSED;
    std::string usage{};
};

// An option of a command line: a name beginning with "--" ("--no-ensemble"), and for one
// that takes the next argument as its value, what that value is ("K").
struct Option {
    std::string name;
    std::string value;
};

// The options given on a command line and where its positional arguments begin.
struct Options {
    std::map<std::string, std::string> given;  // name -> value ("" for an option without one)
    int first = 1;                             // index in argv of the first positional argument
    bool has(const Option& option) const { return given.count(option.name) > 0; }
    const std::string& value(const Option& option) const { return given.at(option.name); }
};

// Reads the options at the start of a command line: every argument beginning with "--"
// before the first that does not. Refused with a Failure that carries the usage line: an
// option not among known, one without its value, one given twice, and an argument
// beginning with "--" after the positional arguments.
Options read_options(int argc, char* argv[], const std::vector<Option>& known,
                     const std::string& usage);

// The options of both sorters for their ensemble files.
inline const Option NO_ENSEMBLE{"--no-ensemble", ""};
inline const Option TEMPERATURE{"--temperature", "K"};

// Whether to write the ensemble files, and at which temperature (K).
struct EnsembleChoice {
    bool wanted = true;
    double temperature = 0.0;
};

// The choice that --no-ensemble and --temperature make: room temperature by default; a
// temperature that is not a positive number is refused with a Failure. Warns when
// --temperature comes with --no-ensemble.
EnsembleChoice ensemble_choice(const char* program, const Options& options);

// Writes "ensemble.txt" and "unique_conformers.xyz" of a filtered list when they are
// wanted; energy_name names the energy ranked by ("HF", "G"). Throws a Failure naming a
// file that could not be written.
void write_ensemble(const EnsembleChoice& choice, const COutSortList& list,
                    const std::string& energy_name);

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

// The option of both sorters that finds interchangeable atoms from the molecule's bonds.
inline const Option SYMMETRY{"--symmetry", ""};

// The interchangeable atoms of a run with --symmetry.
struct SymmetryGroups {
    // The symmetric terminal groups found (CH3, CH2, NH2, CF3, NO2), by centre atom.
    std::vector<std::vector<int>> found;
    // Those and the atoms given on the command line, as the filter matches them.
    InterchangeableGroups matched;
};

// Finds the groups of equal terminal atoms on one centre in the bonds of `molecule` (the
// lowest-energy result, called `name`) and prints them once on standard error:
// "<program>: interchangeable atoms found: 3 4 5 | 8 9 10", or "... found: none". The
// atoms given (an equivalence list) are one more group; a group found that shares atoms
// with it is joined into it, and when the atoms given change the groups, those matched
// are printed too ("<program>: interchangeable atoms matched: ..."). When the bonds
// cannot be perceived, warns and matches the atoms given only.
SymmetryGroups symmetry_groups(const char* program, const CBasicConformer& molecule,
                               const std::string& name, const std::vector<int>& given);

// Groups as "3 4 5 | 8 9 10"; "none" for no group.
std::string group_list(const std::vector<std::vector<int>>& groups);

// "<program>: warning: <what>" on standard error, for a command line or input that runs
// but may not do what its user expects.
void warn(const char* program, const std::string& what);

// "<program>: note: <what>" on standard error, for what the user may want to know about
// a run that does what was asked.
void note(const char* program, const std::string& what);

// Warns once for every atom that an equivalence list names more than once.
void warn_repeated_atoms(const char* program, const std::vector<int>& atoms);

// The name every program answers with its help.
inline const Option HELP{"--help", ""};

// What --help prints on standard output: the usage lines, an empty line, then a few lines
// on what the program reads, writes and takes (each line ending in a line end).
struct Help {
    const char* usage;
    const char* description;
};

// Runs run(argc, argv) and returns its status. With --help anywhere on the command line
// only the help is printed, with status EXIT_DONE (EXIT_FAILED when standard output
// cannot take it). A Failure is printed as one line on standard error after everything
// written to standard output so far; any other thrown value as "<program>: unexpected
// failure: ..." with status EXIT_REFUSED. Nothing thrown leaves this function.
int run_main(const char* program, const Help& help, int (*run)(int, char**), int argc,
             char* argv[]);

}  // namespace cli
