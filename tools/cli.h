// The command-line frame every program of the toolkit shares: the failure that ends a
// run with one line on standard error, options before the positional arguments, checked
// whole-number arguments, warnings and notes, the help, and the frame of main.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace confsearch::cli {

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
    std::vector<std::string> positional;       // the positional arguments, in order
    bool has(const Option& option) const { return given.count(option.name) > 0; }
    const std::string& value(const Option& option) const { return given.at(option.name); }
};

// Reads the options at the start of a command line: every argument beginning with "--"
// before the first that does not. Refused with a Failure that carries the usage line: an
// option not among known, one without its value, one given twice, and an argument
// beginning with "--" after the positional arguments.
Options read_options(int argc, char* argv[], const std::vector<Option>& known,
                     const std::string& usage);
// The same for a program whose options may stand anywhere, before, between or after its
// positional arguments ("prepare_inputs conformers.xyz --charge 1"); "--" ends the
// options, so that a file named "--x" can be given.
Options read_options_anywhere(int argc, char* argv[], const std::vector<Option>& known,
                              const std::string& usage);

// The positional arguments after the options, as argv[1], argv[2], ... (argv[0] is the
// program's own).
struct Positional {
    int argc = 0;
    char** argv = nullptr;
};
Positional positional(int argc, char* argv[], const Options& options);

// atof, then truncation toward zero (the argument conventions of the toolkit), refused
// with a Failure "<what> must lie in low..high, not <text>" outside low..high, before
// the conversion to int: a huge or non-numeric text must not wrap around.
int whole_number(const char* text, int low, int high, const std::string& what);

// "<program>: warning: <what>" on standard error, for a command line or input that runs
// but may not do what its user expects.
void warn(const char* program, const std::string& what);

// "<program>: note: <what>" on standard error, for what the user may want to know about
// a run that does what was asked.
void note(const char* program, const std::string& what);

// The names every program answers with its help.
inline const Option HELP{"--help", ""};
inline const char* const SHORT_HELP = "-h";

// What --help prints on standard output: the usage lines, an empty line, then a few lines
// on what the program reads, writes and takes (each line ending in a line end).
struct Help {
    const char* usage;
    const char* description;
};

// Runs run(argc, argv) and returns its status. With --help or -h anywhere on the command
// line only the help is printed, with status EXIT_DONE (EXIT_FAILED when standard output
// cannot take it). A Failure is printed as one line on standard error after everything
// written to standard output so far; any other thrown value as "<program>: unexpected
// failure: ..." with status EXIT_REFUSED. Nothing thrown leaves this function.
int run_main(const char* program, const Help& help, int (*run)(int, char**), int argc,
             char* argv[]);

}  // namespace confsearch::cli
