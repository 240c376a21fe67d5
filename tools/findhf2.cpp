// sort_outputs: ranks the Gaussian output files named in "list.txt" by energy, groups the
// duplicate conformers and writes "all_list2.txt" (every result with its group) and
// "unique_list2.txt" (one result per group).
//
//   sort_outputs atoms energy_tol dipole_tol geometry_tol reference_atom [atom ...]

#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "COutFile.h"
#include "cli.h"

namespace {

const char* const USAGE =
    "usage: sort_outputs atoms energy_tolerance dipole_tolerance geometry_tolerance "
    "reference_atom [interchangeable_atom ...]";
const char* const LIST_FILE = "list.txt";
const char* const MSG_CANNOT_OPEN_LIST = "Cannot open file: list.txt";

int run(int argc, char* argv[]) {
    if (argc < 6) {
        std::cerr << USAGE << std::endl;
        return cli::EXIT_REFUSED;
    }
    const int atoms = cli::whole_number(argv[1], 0, MAX_CONFORMER_SIZE, "the atom count");
    const double energy_tol = std::atof(argv[2]);
    const double dipole_tol = std::atof(argv[3]);
    const double geometry_tol = std::atof(argv[4]);
    // With 0 atoms no output file can be read; the list reader reports that below.
    const int last_atom = atoms > 0 ? atoms : MAX_CONFORMER_SIZE;
    const int reference_atom = cli::whole_number(argv[5], 1, last_atom, "the reference atom");
    const std::vector<int> equivalence = cli::interchangeable_atoms(argc, argv, 6, last_atom);

    COutSortList results(atoms);
    if (!results.read_filelist(LIST_FILE)) {
        std::cout << MSG_CANNOT_OPEN_LIST << std::endl;
        return cli::EXIT_FAILED;
    }
    try {
        results.QuickSort(energy_tol, dipole_tol, geometry_tol, reference_atom,
                          cli::equivalence(equivalence));
    } catch (int) {
        throw cli::Failure{"cannot superpose conformers of " + std::to_string(atoms) +
                           " atoms: at least 3 are needed"};
    } catch (double) {
        throw cli::Failure{"degenerate geometry: anchor atoms of reference atom " +
                           std::to_string(reference_atom) +
                           " coincide or lie on one line; choose another reference atom"};
    }
    const std::string unwritten = out_result_files(results);
    if (!unwritten.empty()) throw cli::Failure{"cannot create file: " + unwritten};
    return cli::EXIT_DONE;
}

}  // namespace

int main(int argc, char* argv[]) { return cli::run_main("sort_outputs", run, argc, argv); }
