// summarize_output: tells at a glance whether Gaussian jobs ended normally and what they
// found. For each output file named, the summary report (route, energies, rotational
// constants, dipole, cpu time, charge and multiplicity, final geometry) on standard
// output; for a file without a complete summary, the report's error line and, on
// standard error, the first required item the file lacks.
//
//   summarize_output atoms file [file ...]

#include <iostream>
#include <string>

#include "COutFile.h"
#include "cli.h"

namespace {

using namespace confsearch;

const char* const PROGRAM = "summarize_output";
const char* const USAGE = "usage: summarize_output atoms file [file ...]";
const cli::Help HELP = {
    USAGE,
    "Tells whether Gaussian jobs of a molecule of the given number of atoms ended normally\n"
    "and what they found: for each output file, the route line, the archive energies, the\n"
    "rotational constants, the dipole, the cpu time, charge and multiplicity and the final\n"
    "geometry on standard output; for a file without all of them, a tab and \"Error!\"\n"
    "there and on standard error the first item it lacks. Writes no file.\n"
    "\n"
    "  -h, --help  print this help\n"};

int run(int argc, char* argv[]) {
    if (argc < 3) {
        std::cerr << USAGE << std::endl;
        return cli::EXIT_REFUSED;
    }
    int atoms = 0;
    try {
        atoms = cli::whole_number(argv[1], 1, MAX_CONFORMER_SIZE, "the atom count");
    } catch (const cli::Failure& failure) {
        std::cerr << PROGRAM << ": " << failure.why << '\n' << USAGE << std::endl;
        return cli::EXIT_REFUSED;
    }

    int status = cli::EXIT_DONE;
    COutInfo info;
    for (int i = 2; i < argc; ++i) {
        const std::string file = argv[i];
        const bool valid = info.get_info(file, atoms);
        std::cout << info;
        if (valid) continue;
        status = cli::EXIT_FAILED;
        // After the report, so that both streams on one terminal read in order.
        std::cout.flush();
        std::cerr << PROGRAM << ": " << file << ": " << info.first_missing() << std::endl;
    }
    std::cout.flush();
    return status;
}

}  // namespace

int main(int argc, char* argv[]) {
    return confsearch::cli::run_main(PROGRAM, HELP, run, argc, argv);
}
