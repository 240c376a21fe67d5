// Input files of quantum-chemistry jobs: Gaussian (.gjf), ORCA (.inp) and plain xyz, with
// the route, charge and multiplicity, processors and memory the chemist chose, and the
// check of a charge and multiplicity against the molecule's electrons.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "CMyMath/vector.h"

namespace confsearch {

enum class InputFormat { gaussian, orca, xyz };

// The format a word names: "gaussian", "orca", "xyz"; none for any other word.
std::optional<InputFormat> input_format_named(const std::string& word);
// ".gjf", ".inp", ".xyz".
std::string input_extension(InputFormat format);
// The route a format's files carry when none is given: a cheap optimisation, "#p PM7 opt"
// for Gaussian (PM7 since Gaussian 09 D.01) and "! HF-3c Opt" for ORCA (since ORCA 4.0);
// empty for xyz.
std::string default_route(InputFormat format);

struct ElectronState {
    int charge = 0;
    int multiplicity = 1;
};

// What an xyz comment line says of the state: its words "charge=1" and
// "multiplicity=2" (any case, anywhere in the line; "mult=" too). A word of that form
// whose value is no whole number is ignored.
struct StateWords {
    std::optional<int> charge;
    std::optional<int> multiplicity;
};
StateWords state_words(const std::string& comment);

// Why a charge and multiplicity cannot go with atoms of these atomic numbers; empty when
// they can: the electrons (atomic numbers less the charge) must be at least the unpaired
// ones (multiplicity - 1), and odd exactly when the multiplicity is even.
std::string electron_state_fault(const std::vector<int>& numbers, const ElectronState& state);

// The memory of one job: megabytes, and the text as given ("4GB", "500MB").
struct JobMemory {
    long megabytes = 0;
    std::string text;
};
// A whole number of 1 or more followed by MB or GB (any case): "4GB", "1500MB"; none for
// anything else.
std::optional<JobMemory> job_memory(const std::string& text);

struct InputSettings {
    InputFormat format = InputFormat::gaussian;
    std::string route;   // empty: default_route(format)
    int processors = 0;  // Gaussian %nprocshared, ORCA %pal; 0: no line, one processor
    // Gaussian %mem as given; ORCA %maxcore, megabytes per process: three quarters of the
    // memory shared among the processors, as the ORCA manual advises. None: no line.
    std::optional<JobMemory> memory;
};

// Why a route cannot head a file of the format; empty when it can: one line, beginning
// with "#" for Gaussian, "!" for ORCA.
std::string route_fault(InputFormat format, const std::string& route);

// One job: its name (the file's stem and, for Gaussian, the checkpoint file's), a title,
// the state and the atoms, positions in angstrom, one symbol per position.
struct InputJob {
    std::string name;
    std::string title;
    ElectronState state;
    std::vector<std::string> symbols;
    std::vector<CVECTOR> positions;
};

// The whole text of the job's input file.
//   Gaussian: %nprocshared, %mem, %chk=<name>.chk, the route, an empty line, the title
//   (characters Gaussian's title must not hold, @ # ! _ \ and control characters, as
//   blanks, a "-" as "minus" before a number and as a blank elsewhere; up to five lines of
//   at most 72 characters), an empty line, "charge multiplicity", the atoms, two empty
//   lines.
//   ORCA: the title as "# " comment lines, the route, %pal nprocs N end, %maxcore M, an
//   empty line, "* xyz charge multiplicity", the atoms, "*".
//   xyz: the atom count, the title on one line, the atoms.
// Atom lines: the symbol, then x, y, z with 8 decimals in fields of 15.
std::string input_text(const InputSettings& settings, const InputJob& job);
// The file name of the job's input: <name><extension>.
std::string input_file_name(const InputSettings& settings, const InputJob& job);

}  // namespace confsearch
