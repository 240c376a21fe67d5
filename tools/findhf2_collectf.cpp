// sort_collection: ranks the records of a collection file (written by collect_records)
// by energy, groups the duplicate conformers with fixed tolerances and writes
// "all_list2.txt" and "unique_list2.txt".
//
//   sort_collection collection_file atoms reference_atom [atom ...]

#include <cmath>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "COutFile.h"

namespace {

const char* const PROGRAM = "sort_collection";
const char* const USAGE =
    "usage: sort_collection collection_file atoms reference_atom [interchangeable_atom ...]";

// Duplicates: energies within 2e-05, dipoles within 0.05, and every atom's distance from
// the reference atom within 0.15 angstrom.
const double ENERGY_TOLERANCE = 2e-05;
const double DIPOLE_TOLERANCE = 0.05;
const double GEOMETRY_TOLERANCE = 0.15;

const int EXIT_DONE = 0;
const int EXIT_NO_COLLECTION = 1;
const int EXIT_REFUSED = 2;

// A refusal or failure, reported on standard error as "sort_collection: <why>".
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

// A directory opens like a file on Linux and fails only at the first read.
bool readable(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    in.peek();
    return in.is_open() && !in.bad();
}

int run(int argc, char* argv[]) {
    if (argc < 4) {
        std::cerr << USAGE << std::endl;
        return EXIT_REFUSED;
    }
    const std::string collection = argv[1];
    // With no atoms every geometry would count as identical.
    const int atoms = whole_number(argv[2], 1, MAX_CONFORMER_SIZE, "the atom count");
    const int reference_atom = whole_number(argv[3], 1, atoms, "the reference atom");
    std::vector<int> equivalence{argc - 4};
    for (int i = 4; i < argc; ++i)
        equivalence.push_back(whole_number(argv[i], 1, atoms, "an interchangeable atom"));
    const int* equiv = equivalence[0] > 0 ? equivalence.data() : nullptr;
    std::cout << equivalence[0] << std::endl;

    COutSortList results(atoms);
    results.set_identity_rule(IdentityRule::distance_profile);
    results.set_progress_text(true);
    if (!results.read_collectf(collection, atoms) && !readable(collection))
        return EXIT_NO_COLLECTION;
    try {
        results.QuickSort(ENERGY_TOLERANCE, DIPOLE_TOLERANCE, GEOMETRY_TOLERANCE, reference_atom,
                          equiv);
    } catch (int) {
        throw Failure{"cannot compare conformers of different sizes"};
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
