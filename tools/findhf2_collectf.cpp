// sort_collection: ranks the records of a collection file (written by collect_records)
// by energy, groups the duplicate conformers with fixed tolerances and writes
// "all_list2.txt" and "unique_list2.txt", then "ensemble.txt" and "unique_conformers.xyz".
//
//   sort_collection [--temperature K] [--no-ensemble] [--symmetry]
//                   collection_file atoms reference_atom [atom ...]

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "COutFile.h"
#include "cli.h"
#include "myfile.h"
#include "sorting.h"

namespace {

using namespace confsearch;

const char* const PROGRAM = "sort_collection";
const char* const USAGE =
    "usage: sort_collection collection_file atoms reference_atom [interchangeable_atom ...]";
const cli::Help HELP = {
    "usage: sort_collection [options] collection_file atoms reference_atom "
    "[interchangeable_atom ...]\n"
    "       sort_collection --rmsd [options] collection_file atoms",
    "Ranks the records of a collection file (as collect_records writes it) by energy and\n"
    "groups the duplicate conformers: energies within 2e-05, dipoles within 0.05, and the\n"
    "distance of every atom from the reference atom within 0.15 angstrom; interchangeable\n"
    "atoms are matched as a set. Writes all_list2.txt, unique_list2.txt, ensemble.txt and\n"
    "unique_conformers.xyz into the working directory.\n"
    "\n"
    "  --temperature K  temperature of the populations in ensemble.txt (298.15)\n"
    "  --no-ensemble    no ensemble.txt and unique_conformers.xyz\n"
    "  --symmetry       match the symmetric terminal groups found in the bonds\n"
    "  --rmsd           the same conformer: rotational constants within 1 % and best-fit\n"
    "                   RMSD of the heavy atoms, over the molecule's symmetry, within\n"
    "                   0.125 angstrom; no reference atom needed; writes duplicates.txt\n"
    "  --all-atoms      with --rmsd, the RMSD over every atom\n"
    "  --mirror         with --rmsd, a chiral molecule's mirror images count as the same\n"
    "  -h, --help       print this help\n"};
const std::vector<cli::Option> OPTIONS = {sorting::TEMPERATURE, sorting::NO_ENSEMBLE,
                                          sorting::SYMMETRY,    sorting::RMSD,
                                          sorting::ALL_ATOMS,   sorting::MIRROR};
// The energy of a collection record, from its "HF=" line.
const char* const ENERGY_NAME = "HF";

// Duplicates: energies within 2e-05, dipoles within 0.05, and every atom's distance from
// the reference atom within 0.15 angstrom.
const double ENERGY_TOLERANCE = 2e-05;
const double DIPOLE_TOLERANCE = 0.05;
const double GEOMETRY_TOLERANCE = 0.15;
// Under --rmsd: the best-fit RMSD within 0.125 angstrom, the value conformer tools use.
const double RMSD_TOLERANCE = DEFAULT_RMSD_TOLERANCE;

// Under --symmetry: distances are measured from the reference atom, so when it lies in a
// group found, a rotamer of that group changes the distances of all the others. Names the
// group and the first atom in no group matched; the reference atom given stays in use.
void warn_about_reference_in_group(int atoms, int reference_atom,
                                   const sorting::SymmetryGroups& groups) {
    const auto holding =
        std::find_if(groups.found.begin(), groups.found.end(), [&](const std::vector<int>& g) {
            return std::find(g.begin(), g.end(), reference_atom) != g.end();
        });
    if (holding == groups.found.end()) return;
    std::string advice = "every atom lies in a group";
    for (int k = 1; k <= atoms; ++k)
        if (!groups.matched.contains(k)) {
            advice =
                "atom " + std::to_string(k) + " lies in no group and can be the reference atom";
            break;
        }
    cli::warn(PROGRAM, "the reference atom " + std::to_string(reference_atom) +
                           " lies in the group found " + sorting::group_list({*holding}) +
                           ": distances are measured from it, so a rotamer of the group is not "
                           "matched; " +
                           advice);
}

// The result files would be written over the collection read from one of them, and a
// result file holds no record: the run could only destroy its input.
void refuse_result_file_as_collection(const std::string& collection,
                                      const sorting::EnsembleChoice& ensemble) {
    std::vector<std::string> written = {ALL_LIST_FILE, UNIQUE_LIST_FILE};
    if (ensemble.wanted) written.insert(written.end(), {ENSEMBLE_FILE, UNIQUE_CONFORMERS_FILE});
    for (const std::string& file : written) {
        std::error_code not_there;
        if (std::filesystem::equivalent(collection, file, not_there))
            throw cli::Failure{collection + " is " +
                               (collection == file ? "a result file" : "the result file " + file) +
                               " of this run, not a collection: it would be written over"};
    }
}

// A file without a single record label gives empty result files, as a collection of no
// record does; but one that holds text was most likely not the collection meant.
void warn_if_no_record(const std::string& collection) {
    std::error_code unknown;
    if (std::filesystem::file_size(collection, unknown) > 0 && !unknown)
        cli::warn(PROGRAM, collection + " holds no record (no \"" + COLLECTION_LABEL +
                               "<n>:\" label): the result files are empty");
}

// Interchangeable atoms given twice, or the reference atom among them.
void warn_about_atoms(int reference_atom, const std::vector<int>& equivalence) {
    sorting::warn_repeated_atoms(PROGRAM, equivalence);
    for (std::size_t j = 1; j < equivalence.size(); ++j)
        if (equivalence[j] == reference_atom) {
            cli::warn(PROGRAM, "the reference atom " + std::to_string(reference_atom) +
                                   " is listed as interchangeable: distances are measured "
                                   "from it");
            break;
        }
}

int run(int all_argc, char* all_argv[]) {
    const cli::Options options = cli::read_options(all_argc, all_argv, OPTIONS, USAGE);
    const auto [argc, argv] = cli::positional(all_argc, all_argv, options);
    // The RMSD rule needs no reference atom.
    if (argc < (options.has(sorting::RMSD) ? 3 : 4)) {
        std::cerr << USAGE << std::endl;
        return cli::EXIT_REFUSED;
    }
    const sorting::EnsembleChoice ensemble = sorting::ensemble_choice(PROGRAM, options);
    const sorting::RmsdChoice rmsd = sorting::rmsd_choice(PROGRAM, options, RMSD_TOLERANCE);
    const std::string collection = argv[1];
    // With no atoms every geometry would count as identical.
    const int atoms = cli::whole_number(argv[2], 1, MAX_CONFORMER_SIZE, "the atom count");
    int reference_atom = 0;
    std::vector<int> equivalence{0};
    if (rmsd.wanted) {
        sorting::note_ignored_atoms(PROGRAM, argc, argv, 3);
        equivalence[0] = argc > 4 ? argc - 4 : 0;
    } else {
        reference_atom = cli::whole_number(argv[3], 1, atoms, "the reference atom");
        equivalence = sorting::interchangeable_atoms(argc, argv, 4, atoms);
    }
    refuse_result_file_as_collection(collection, ensemble);
    if (!rmsd.wanted) warn_about_atoms(reference_atom, equivalence);
    std::cout << equivalence[0] << std::endl;

    COutSortList results(atoms);
    results.set_identity_rule(IdentityRule::distance_profile);
    results.set_progress_text(true);
    // A file without any record is read as an empty collection; only a file that cannot
    // be read at all ends the run before the result files are written.
    if (!results.read_collectf(collection, atoms)) {
        if (!readable_file(collection)) return cli::EXIT_FAILED;
        warn_if_no_record(collection);
    }
    for (const LeftOut& record : results.left_out()) {
        std::cerr << PROGRAM << ": " << record.label;
        if (!record.name.empty()) std::cerr << " (" << record.name << ")";
        std::cerr << ": " << record.reason << '\n';
    }
    if (rmsd.wanted) {
        const RmsdGrouping grouping = sorting::sort_and_group_by_rmsd(
            PROGRAM, results, ENERGY_TOLERANCE, DIPOLE_TOLERANCE, rmsd.criteria);
        sorting::write_result_files(ensemble, results, ENERGY_NAME, &grouping);
        return cli::EXIT_DONE;
    }
    // Every record has the atom count of the list and the reference atom lies within it,
    // so the comparison cannot throw.
    sorting::sort_and_group(
        PROGRAM, results, {ENERGY_TOLERANCE, DIPOLE_TOLERANCE, GEOMETRY_TOLERANCE}, reference_atom,
        equivalence, options.has(sorting::SYMMETRY), [&](const sorting::SymmetryGroups& groups) {
            warn_about_reference_in_group(atoms, reference_atom, groups);
        });
    sorting::write_result_files(ensemble, results, ENERGY_NAME);
    return cli::EXIT_DONE;
}

}  // namespace

int main(int argc, char* argv[]) {
    return confsearch::cli::run_main(PROGRAM, HELP, run, argc, argv);
}
