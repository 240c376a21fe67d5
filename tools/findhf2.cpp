// sort_outputs: ranks the Gaussian output files named in "list.txt" by energy, groups the
// duplicate conformers and writes "all_list2.txt" (every result with its group) and
// "unique_list2.txt" (one result per group).
//
//   sort_outputs atoms energy_tol dipole_tol geometry_tol reference_atom [atom ...]

#include <cmath>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "COutFile.h"

namespace {

const char* const PROGRAM = "sort_outputs";
const char* const USAGE =
    "usage: sort_outputs atoms energy_tolerance dipole_tolerance geometry_tolerance "
    "reference_atom [interchangeable_atom ...]";
const char* const LIST_FILE = "list.txt";
const char* const MSG_CANNOT_OPEN_LIST = "Cannot open file: list.txt";

const int EXIT_DONE = 0;
const int EXIT_NO_LIST = 1;
const int EXIT_REFUSED = 2;

// A refusal or failure, reported on standard error as "sort_outputs: <why>".
struct Failure {
    std::string why;
};

// atof, then truncation toward zero, refused outside low..high before the conversion
// to int (a huge or non-numeric text must not wrap around).
int whole_number(const char* text, int low, int high, const std::string& what) {
    const double value = std::trunc(std::atof(text));
    if (!(value >= low && value <= high))
        throw Failure{what + " must lie in " + std::to_string(low) + ".." + std::to_string(high) +
                      ", not " + text};
    return static_cast<int>(value);
}

int run(int argc, char* argv[]) {
    if (argc < 6) {
        std::cerr << USAGE << std::endl;
        return EXIT_REFUSED;
    }
    const int atoms = whole_number(argv[1], 0, MAX_CONFORMER_SIZE, "the atom count");
    const double energy_tol = std::atof(argv[2]);
    const double dipole_tol = std::atof(argv[3]);
    const double geometry_tol = std::atof(argv[4]);
    // With 0 atoms no output file can be read; the list reader reports that below.
    const int last_atom = atoms > 0 ? atoms : MAX_CONFORMER_SIZE;
    const int reference_atom = whole_number(argv[5], 1, last_atom, "the reference atom");
    // Count first, then the interchangeable atoms in command-line order.
    std::vector<int> equivalence{argc - 6};
    for (int i = 6; i < argc; ++i)
        equivalence.push_back(whole_number(argv[i], 1, last_atom, "an interchangeable atom"));
    const int* equiv = equivalence[0] > 0 ? equivalence.data() : nullptr;

    COutSortList results(atoms);
    if (!results.read_filelist(LIST_FILE)) {
        std::cout << MSG_CANNOT_OPEN_LIST << std::endl;
        return EXIT_NO_LIST;
    }
    try {
        results.QuickSort(energy_tol, dipole_tol, geometry_tol, reference_atom, equiv);
    } catch (int) {
        throw Failure{"cannot superpose conformers of " + std::to_string(atoms) +
                      " atoms: at least 3 are needed"};
    } catch (double) {
        throw Failure{"degenerate geometry: anchor atoms of reference atom " +
                      std::to_string(reference_atom) +
                      " coincide or lie on one line; choose another reference atom"};
    }
    const std::string unwritten = out_result_files(results);
    if (!unwritten.empty()) throw Failure{"cannot create file: " + unwritten};
    return EXIT_DONE;
}

}  // namespace

int main(int argc, char* argv[]) {
    try {
        return run(argc, argv);
    } catch (const Failure& failure) {
        std::cout.flush();
        std::cerr << PROGRAM << ": " << failure.why << std::endl;
    } catch (const std::exception& error) {
        std::cerr << PROGRAM << ": " << error.what() << std::endl;
    } catch (...) {
        std::cerr << PROGRAM << ": unexpected failure" << std::endl;
    }
    return EXIT_REFUSED;
}
