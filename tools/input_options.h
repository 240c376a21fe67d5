// What the programs that write job inputs share (generate_conformers from one xyz file,
// prepare_inputs): the options of the inputs (format, route, charge and multiplicity,
// processors, memory, overwriting), their checked values, and the charge and multiplicity
// of a molecule.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "CSearch/input_files.h"
#include "cli.h"

namespace confsearch::inputs {

inline const cli::Option FORMAT{"--format", "gaussian|orca|xyz"};
inline const cli::Option ROUTE{"--route", "TEXT"};
inline const cli::Option CHARGE{"--charge", "Q"};
inline const cli::Option MULTIPLICITY{"--multiplicity", "M"};
inline const cli::Option NPROC{"--nproc", "N"};
inline const cli::Option MEM{"--mem", "SIZE"};
inline const cli::Option OVERWRITE{"--overwrite", ""};

// The options above, for read_options.
std::vector<cli::Option> options();
// Their lines of a program's help, each ending in a line end.
extern const char* const HELP_LINES;

// The inputs as the options ask for them.
struct Request {
    InputSettings settings;
    std::optional<int> charge;
    std::optional<int> multiplicity;
    bool overwrite = false;
    bool format_given = false;
};

// The input options of a command line, their values checked: a Failure (status 2) names
// the option and what it takes.
Request read_request(const cli::Options& options);

// The charge and multiplicity of a molecule: the options', else what its xyz comment line
// says (charge=, multiplicity=), else 0 and 1. A Failure (status 1) beginning with `where`
// when they cannot go with the atoms' electrons.
ElectronState electron_state(const Request& request, const std::string& comment,
                             const std::vector<int>& numbers, const std::string& where);

}  // namespace confsearch::inputs
