// summarize_output: tells at a glance whether quantum-chemistry jobs (Gaussian, ORCA,
// xtb) ended normally and what they found. For each output file named, its report on
// standard output; for a file without a complete report, the error line there and, on
// standard error, what the file lacks.
//
//   summarize_output atoms file [file ...]

#include <cctype>
#include <filesystem>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>

#include "COutFile.h"
#include "COutFile/formats/output_format.h"
#include "cli.h"
#include "myfile.h"

namespace {

using namespace confsearch;

const char* const PROGRAM = "summarize_output";
const char* const USAGE = "usage: summarize_output atoms file [file ...]";
const cli::Help HELP = {
    USAGE,
    "Tells whether quantum-chemistry jobs of a molecule of the given number of atoms (0: as\n"
    "many as each file's final geometry holds) ended normally and what they found. For a\n"
    "Gaussian output: the route line, the archive energies, the rotational constants, the\n"
    "dipole, the cpu time, charge and multiplicity and the final geometry, with the whole\n"
    "route and the cpu time of all job steps where they say more; for an ORCA or xtb\n"
    "output: the program, method and basis, the energies, dipole, imaginary frequencies,\n"
    "charge and multiplicity and the final geometry. For a file without all of them, a tab\n"
    "and \"Error!\" there and on standard error what it lacks. Writes no file.\n"
    "\n"
    "  -h, --help  print this help\n"};

// The report of a Gaussian output, with the lines that say more than the specified report:
// the route when it runs over more than its first line, the cpu time of all job steps when
// there were several.
std::string gaussian_report(const COutInfo& info) {
    std::ostringstream text;
    text << info;
    std::istringstream lines(text.str());
    std::string report;
    std::string line;
    for (int n = 1; std::getline(lines, line); ++n) {
        report += line + '\n';
        if (n == 2 && info.whole_route != info.route)
            report += "whole route: " + info.whole_route + '\n';
        if (line.rfind("cpu time: ", 0) == 0 && info.job_steps > 1)
            report += "cpu time of all " + std::to_string(info.job_steps) +
                      " job steps: " + std::to_string(info.total_cpu_seconds) + " secs\n";
    }
    return report;
}

// One file: its report on standard output; what it lacks on standard error. False for a
// file without a complete report.
bool summarize(const std::string& file, int atoms) {
    const std::optional<OutputProgram> program = recognise_output_file(file);
    // A file no program's banner opens is refused as the sorter refuses it; an empty one
    // (a job killed at once) and one that cannot be read take the Gaussian report's words.
    std::error_code unknown;
    if (!program && readable_file(file) && std::filesystem::file_size(file, unknown) > 0) {
        std::cout << COutInfo();
        std::cout.flush();
        OutputResult none;
        std::cerr << PROGRAM << ": " << read_output_file(file, none).message(file) << std::endl;
        return false;
    }
    if (program && *program != OutputProgram::gaussian) {
        OutputResult result;
        ReadError error = read_output_file(file, result);
        if (error.ok() && atoms != 0 && static_cast<int>(result.symbols.size()) != atoms)
            error = {"a final geometry of " + std::to_string(result.symbols.size()) +
                     " atoms where " + std::to_string(atoms) + " atoms were asked for"};
        if (error.ok()) {
            write_output_report(std::cout, file, result);
            return true;
        }
        std::cout << COutInfo();
        std::cout.flush();
        std::cerr << PROGRAM << ": " << error.message(file) << std::endl;
        return false;
    }
    COutInfo info;
    const int count = atoms != 0 ? atoms : gaussian_atom_count(file);
    const bool valid = info.get_info(file, count);
    std::cout << (valid ? gaussian_report(info) : "\tError!\n");
    if (valid) return true;
    // After the report, so that both streams on one terminal read in order.
    std::cout.flush();
    std::cerr << PROGRAM << ": " << file << ": " << info.first_missing() << std::endl;
    return false;
}

int run(int argc, char* argv[]) {
    if (argc < 3) {
        std::cerr << USAGE << std::endl;
        return cli::EXIT_REFUSED;
    }
    int atoms = 0;
    try {
        atoms = cli::whole_number(argv[1], 0, MAX_CONFORMER_SIZE, "the atom count");
        // A word reads as 0, which would take the count from each file unasked.
        if (atoms == 0 && !std::isdigit(static_cast<unsigned char>(argv[1][0])))
            throw cli::Failure{"the atom count must lie in 0.." +
                               std::to_string(MAX_CONFORMER_SIZE) + ", not " + argv[1]};
    } catch (const cli::Failure& failure) {
        std::cerr << PROGRAM << ": " << failure.why << '\n' << USAGE << std::endl;
        return cli::EXIT_REFUSED;
    }
    int status = cli::EXIT_DONE;
    for (int i = 2; i < argc; ++i)
        if (!summarize(argv[i], atoms)) status = cli::EXIT_FAILED;
    std::cout.flush();
    return status;
}

}  // namespace

int main(int argc, char* argv[]) {
    return confsearch::cli::run_main(PROGRAM, HELP, run, argc, argv);
}
