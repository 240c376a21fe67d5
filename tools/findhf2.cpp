// sort_outputs: ranks the output files of Gaussian, ORCA or xtb named in "list.txt" by
// energy, groups the duplicate conformers and writes "all_list2.txt" (every result with
// its group) and "unique_list2.txt" (one result per group), then "ensemble.txt" (relative
// energies and populations of the distinct conformers) and "unique_conformers.xyz"; under
// --rmsd also "duplicates.txt".
//
//   sort_outputs [options] atoms energy_tol dipole_tol geometry_tol reference_atom [atom ...]
//   sort_outputs --rmsd [options] atoms energy_tol dipole_tol geometry_tol

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "COutFile.h"
#include "cli.h"
#include "myfile.h"
#include "sorting.h"

namespace {

using namespace confsearch;

const char* const PROGRAM = "sort_outputs";
const char* const USAGE =
    "usage: sort_outputs atoms energy_tolerance dipole_tolerance geometry_tolerance "
    "reference_atom [interchangeable_atom ...]";
const cli::Help HELP = {
    "usage: sort_outputs [options] atoms energy_tolerance dipole_tolerance geometry_tolerance "
    "reference_atom [interchangeable_atom ...]\n"
    "       sort_outputs --rmsd [options] atoms energy_tolerance dipole_tolerance "
    "geometry_tolerance",
    "Ranks the output files of Gaussian, ORCA or xtb named in list.txt (one name per line)\n"
    "by energy and groups the duplicate conformers: energies within energy_tolerance\n"
    "(hartree), dipoles within dipole_tolerance (atomic units), geometries superposed on\n"
    "the reference atom within geometry_tolerance (angstrom); interchangeable atoms are\n"
    "matched as a set. Writes errorfile.txt (the files that could not be read),\n"
    "all_list2.txt, unique_list2.txt, ensemble.txt and unique_conformers.xyz into the\n"
    "working directory.\n"
    "\n"
    "  --temperature K      temperature of the populations in ensemble.txt (298.15)\n"
    "  --no-ensemble        no ensemble.txt and unique_conformers.xyz\n"
    "  --energy KIND        rank by the final energy (HF, the default), an archive entry of\n"
    "                       Gaussian (MP2, ...), G or H\n"
    "  --input-orientation  read a job run with nosym from its Input orientation table\n"
    "  --symmetry           match the symmetric terminal groups found in the bonds\n"
    "  --minima             leave out saddle points (results with imaginary frequencies)\n"
    "  --rmsd               the same conformer: rotational constants within 1 % and best-fit\n"
    "                       RMSD of the heavy atoms, over the molecule's symmetry, within\n"
    "                       geometry_tolerance (0.125 is usual); no reference atom needed;\n"
    "                       writes duplicates.txt\n"
    "  --all-atoms          with --rmsd, the RMSD over every atom\n"
    "  --mirror             with --rmsd, a chiral molecule's mirror images count as the same\n"
    "  -h, --help           print this help\n"};
const cli::Option ENERGY{"--energy", "KIND"};
const cli::Option INPUT_ORIENTATION_OPTION{"--input-orientation", ""};
const cli::Option MINIMA{"--minima", ""};
const std::vector<cli::Option> OPTIONS = {sorting::TEMPERATURE,
                                          sorting::NO_ENSEMBLE,
                                          ENERGY,
                                          INPUT_ORIENTATION_OPTION,
                                          sorting::SYMMETRY,
                                          MINIMA,
                                          sorting::RMSD,
                                          sorting::ALL_ATOMS,
                                          sorting::MIRROR};
const char* const MSG_CANNOT_OPEN_LIST = "Cannot open file: list.txt";
const double DEBYE_PER_AU = 2.541746;  // debye in one atomic unit of dipole (e bohr)

// Whether atof finds a number at the start of text: "abc" and "" it reads as 0.
bool starts_with_number(const char* text) {
    char* end = nullptr;
    std::strtod(text, &end);
    return end != text;
}

// What atof leaves unread after the number at the start of text: "kcal" of "0.05kcal".
std::string number_rest(const char* text) {
    char* end = nullptr;
    std::strtod(text, &end);
    return end;
}

std::string shown_number(double value) {
    std::ostringstream text;
    text << value;
    return text.str();
}

// A tolerance in the units the comparison takes it in: the energy also in kcal/mol, the
// dipole also in debye.
std::string in_units(int tolerance, double value) {
    std::ostringstream text;
    text << std::setprecision(3);
    switch (tolerance) {
        case 0: text << value << " hartree = " << value * KCAL_PER_HARTREE << " kcal/mol"; break;
        case 1: text << value << " atomic units = " << value * DEBYE_PER_AU << " debye"; break;
        default: text << value << " angstrom"; break;
    }
    return text.str();
}

// Why read_filelist gave up, beyond what "Cannot open file: list.txt" says (that message
// stays the same whatever the cause); "" when list.txt is simply not there.
std::string list_failure(int atoms, const char* atoms_text) {
    if (atoms == 0 && !starts_with_number(atoms_text))
        return std::string("the atom count \"") + atoms_text +
               "\" is not a number and reads as 0: no output file can be read";
    if (atoms == 0) return "the atom count is 0: no output file can be read";
    if (!std::filesystem::exists(LIST_FILE)) return "";
    if (!readable_file(LIST_FILE)) return std::string(LIST_FILE) + " is not a readable file";
    return "cannot create file: " + ERROR_FILE;
}

std::string anchor_list(const std::array<int, 3>& anchors) {
    return "reference atom " + std::to_string(anchors[0]) + " and atoms " +
           std::to_string(anchors[1]) + ", " + std::to_string(anchors[2]);
}

// Tolerances that run but cannot do what their user expects.
void warn_about_tolerances(const double (&tolerances)[3], const char* const (&tolerance_texts)[3]) {
    const char* const names[] = {"energy", "dipole", "geometry"};
    for (int t = 0; t < 3; ++t)
        if (!starts_with_number(tolerance_texts[t]))
            cli::warn(PROGRAM, std::string("the ") + names[t] + " tolerance \"" +
                                   tolerance_texts[t] +
                                   "\" is not a number and reads as 0: only equal values match");
        else if (!number_rest(tolerance_texts[t]).empty())
            cli::warn(PROGRAM, std::string("the ") + names[t] + " tolerance \"" +
                                   tolerance_texts[t] + "\" is read as " +
                                   shown_number(tolerances[t]) + ", the rest (\"" +
                                   number_rest(tolerance_texts[t]) +
                                   "\") ignored: " + in_units(t, tolerances[t]));
        else if (tolerances[t] < 0)
            cli::warn(PROGRAM, std::string("the ") + names[t] +
                                   " tolerance is negative: no two results can be duplicates");
}

// Reference and interchangeable atoms that cannot do what their user expects.
void warn_about_atoms(int atoms, int reference_atom, const std::vector<int>& equivalence) {
    sorting::warn_repeated_atoms(PROGRAM, equivalence);
    if (atoms < 3) return;
    const std::array<int, 3> anchors = superposition_anchors(reference_atom, atoms);
    for (std::size_t j = 1; j < equivalence.size(); ++j)
        for (const int anchor : anchors)
            if (equivalence[j] == anchor) {
                cli::warn(PROGRAM, "interchangeable atom " + std::to_string(anchor) +
                                       " is a superposition anchor (" + anchor_list(anchors) +
                                       "): the geometries are laid on each other at it, so it "
                                       "cannot trade places with the others");
                break;
            }
}

// Under --symmetry: a superposition anchor inside a group found lays the molecule by an
// atom that a rotamer of the group has moved, so that no rotamer is matched. Names those
// anchors and the first reference atom whose anchors avoid every group matched; the
// reference atom given stays in use.
void warn_about_anchors_in_groups(int atoms, int reference_atom,
                                  const sorting::SymmetryGroups& groups) {
    if (atoms < 3) return;
    const std::array<int, 3> anchors = superposition_anchors(reference_atom, atoms);
    std::string inside;
    int count = 0;
    std::vector<std::vector<int>> holding;
    for (const int anchor : anchors)
        for (const std::vector<int>& group : groups.found) {
            if (std::find(group.begin(), group.end(), anchor) == group.end()) continue;
            inside += (count++ == 0 ? "" : ", ") + std::to_string(anchor);
            if (std::find(holding.begin(), holding.end(), group) == holding.end())
                holding.push_back(group);
        }
    if (count == 0) return;
    std::string advice = "no reference atom has its three anchors outside every group";
    for (int k = 1; k <= atoms; ++k) {
        const std::array<int, 3> other = superposition_anchors(k, atoms);
        if (std::none_of(other.begin(), other.end(),
                         [&](int anchor) { return groups.matched.contains(anchor); })) {
            advice = "reference atom " + std::to_string(k) + ", with anchors " +
                     std::to_string(other[0]) + ", " + std::to_string(other[1]) + ", " +
                     std::to_string(other[2]) + ", avoids every group";
            break;
        }
    }
    cli::warn(PROGRAM,
              std::string(count == 1 ? "superposition anchor " : "superposition anchors ") +
                  inside + " (" + anchor_list(anchors) + ") " + (count == 1 ? "lies" : "lie") +
                  (holding.size() == 1 ? " in the group found " : " in the groups found ") +
                  sorting::group_list(holding) +
                  ": a rotamer of the group then lays the molecule askew and is not "
                  "matched; " +
                  advice);
}

// How the output files are read: --energy and --input-orientation.
ResultReadOptions reading(const cli::Options& options) {
    ResultReadOptions read;
    read.input_orientation = options.has(INPUT_ORIENTATION_OPTION);
    read.minima_only = options.has(MINIMA);
    if (options.has(ENERGY) && !EnergyKind::parse(options.value(ENERGY), read.energy))
        throw cli::Failure{
            "the energy must be HF, another archive entry's key (MP2, CCSD(T), "
            "...), G or H, not " +
            options.value(ENERGY)};
    return read;
}

// The output files named in the list file, the first word of each line.
std::vector<std::string> listed_files() {
    std::ifstream list(LIST_FILE);
    std::vector<std::string> files;
    for (std::string line; std::getline(list, line);) {
        std::istringstream words(line);
        std::string name;
        if (words >> name) files.push_back(name);
    }
    return files;
}

// An energy key in the wrong case ("--energy g", "mp2") is found in no file and would
// leave every file out. When no listed file has the key as given, but the key in capitals
// names an energy (G, H) or an archive entry a file has, the run is refused with the
// key meant, before anything is written.
void refuse_miscased_energy(const EnergyKind& kind) {
    if (kind.source != EnergyKind::archive_entry) return;
    std::string capitals = kind.key;
    for (char& c : capitals) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (capitals == kind.key) return;
    const std::vector<std::string> files = listed_files();
    if (std::any_of(files.begin(), files.end(),
                    [&](const std::string& file) { return has_archive_entry(file, kind.key); }))
        return;
    const bool meant = capitals == "G" || capitals == "H" ||
                       std::any_of(files.begin(), files.end(), [&](const std::string& file) {
                           return has_archive_entry(file, capitals);
                       });
    if (meant)
        throw cli::Failure{"no file in " + LIST_FILE + " has an energy \"" + kind.key +
                           "\": did you mean " + capitals + "?"};
}

// Files ranked by "HF=" whose archive also holds a post-HF energy: the user may have
// meant that one.
void note_other_energies(const COutSortList& results) {
    for (const OtherEnergies& file : results.other_energies()) {
        std::string keys;
        for (const std::string& key : file.keys)
            keys += (keys.empty() ? "\"" : ", \"") + key + "=\"";
        const std::string& highest = file.keys.back();
        cli::note(PROGRAM, file.name + " was ranked by its \"HF=\" value; its archive also holds " +
                               keys +
                               (file.keys.size() == 1
                                    ? ": rank by it with " + ENERGY.name + " " + highest
                                    : ": rank by one of them with " + ENERGY.name + " " +
                                          ENERGY.value + ", e.g. " + ENERGY.name + " " + highest));
    }
}

// Free energies and enthalpies hold the thermal terms at the temperature of each file's
// frequency job; the populations are taken at another one without a word otherwise.
void warn_about_temperatures(const COutSortList& results, const EnergyKind& kind,
                             double temperature) {
    if (kind.source == EnergyKind::archive_entry) return;
    std::map<double, std::vector<std::string>> other;
    for (int i = 1; i <= results.get_count(); ++i) {
        const std::optional<double>& kelvin = results[i].details.temperature;
        if (kelvin && std::fabs(*kelvin - temperature) > 0.005)
            other[*kelvin].push_back(results[i].name);
    }
    for (const auto& [kelvin, files] : other)
        cli::warn(PROGRAM, "the " + kind.name() + " values of " + std::to_string(files.size()) +
                               (files.size() == 1 ? " file (" : " files (") + files.front() +
                               (files.size() > 1 ? ", ..." : "") + ") were computed at " +
                               shown_number(kelvin) + " K, the populations are taken at " +
                               shown_number(temperature) + " K (" + sorting::TEMPERATURE.name +
                               "); the " + kind.name() + " values stay those of the files");
}

// A result with imaginary frequencies is a saddle point, not a conformer: each is named
// (--minima leaves them out instead).
void warn_about_saddle_points(const COutSortList& results) {
    for (int i = 1; i <= results.get_count(); ++i) {
        const std::string text = saddle_point_text(results[i].details);
        if (!text.empty()) std::cerr << PROGRAM << ": " << results[i].name << ": " << text << '\n';
    }
}

// Results of different programs, methods or basis sets have energies on different
// scales; ranking them together may be meant, but is said once, group by group.
void warn_about_levels_of_theory(const COutSortList& results) {
    std::map<std::string, std::vector<std::string>> levels;
    std::set<OutputProgram> programs;
    for (int i = 1; i <= results.get_count(); ++i)
        if (!results[i].details.method.empty()) programs.insert(results[i].details.program);
    for (int i = 1; i <= results.get_count(); ++i) {
        const OutputResult& job = results[i].details;
        if (job.method.empty()) continue;
        std::string level = job.basis.empty() ? job.method : job.method + "/" + job.basis;
        if (programs.size() > 1) level = std::string(program_name(job.program)) + " " + level;
        levels[level].push_back(results[i].name);
    }
    if (levels.size() < 2) return;
    std::string groups;
    for (const auto& [level, files] : levels) {
        if (!groups.empty()) groups += "; ";
        groups += level + ": " + std::to_string(files.size()) +
                  (files.size() == 1 ? " file (" : " files (") + files.front() +
                  (files.size() > 1 ? ", ...)" : ")");
    }
    cli::warn(
        PROGRAM,
        "these results come from different levels of theory and are ranked together: " + groups);
}

// A file named twice in "list.txt" is read and ranked twice.
void warn_about_repeated_files(const COutSortList& results) {
    std::map<std::string, int> named;
    for (int i = 1; i <= results.get_count(); ++i) ++named[results[i].name];
    for (const LeftOut& file : results.left_out()) ++named[file.name];
    for (const auto& [name, times] : named)
        if (times > 1)
            cli::warn(PROGRAM, name + " is named " + std::to_string(times) + " times in " +
                                   LIST_FILE + " and read each time");
}

// The names of the unreadable files are the one record of what was left out.
int finish(const COutSortList& results) {
    if (!results.error_file_written())
        throw cli::Failure{"cannot write file: " + ERROR_FILE + " (" +
                               std::to_string(results.left_out().size()) +
                               " unreadable files were to be named there)",
                           cli::EXIT_FAILED};
    return cli::EXIT_DONE;
}

int run(int all_argc, char* all_argv[]) {
    const cli::Options options = cli::read_options(all_argc, all_argv, OPTIONS, USAGE);
    const auto [argc, argv] = cli::positional(all_argc, all_argv, options);
    // The RMSD rule needs no reference atom.
    if (argc < (options.has(sorting::RMSD) ? 5 : 6)) {
        std::cerr << USAGE << std::endl;
        return cli::EXIT_REFUSED;
    }
    const sorting::EnsembleChoice ensemble = sorting::ensemble_choice(PROGRAM, options);
    const ResultReadOptions read = reading(options);
    const int atoms = cli::whole_number(argv[1], 0, MAX_CONFORMER_SIZE, "the atom count");
    const char* const tolerance_texts[3] = {argv[2], argv[3], argv[4]};
    const double tolerances[3] = {std::atof(argv[2]), std::atof(argv[3]), std::atof(argv[4])};
    warn_about_tolerances(tolerances, tolerance_texts);
    const sorting::RmsdChoice rmsd = sorting::rmsd_choice(PROGRAM, options, tolerances[2]);
    // With 0 atoms no output file can be read; the list reader reports that below.
    const int last_atom = atoms > 0 ? atoms : MAX_CONFORMER_SIZE;
    int reference_atom = 0;
    std::vector<int> equivalence;
    if (rmsd.wanted) {
        sorting::note_ignored_atoms(PROGRAM, argc, argv, 5);
    } else {
        reference_atom = cli::whole_number(argv[5], 1, last_atom, "the reference atom");
        equivalence = sorting::interchangeable_atoms(argc, argv, 6, last_atom);
        warn_about_atoms(atoms, reference_atom, equivalence);
    }

    refuse_miscased_energy(read.energy);
    COutSortList results(atoms);
    results.set_read_options(read);
    if (!results.read_filelist(LIST_FILE)) {
        std::cout << MSG_CANNOT_OPEN_LIST << std::endl;
        const std::string why = list_failure(atoms, argv[1]);
        if (!why.empty()) std::cerr << PROGRAM << ": " << why << std::endl;
        return cli::EXIT_FAILED;
    }
    for (const LeftOut& file : results.left_out())
        std::cerr << PROGRAM << ": " << file.where() << ": " << file.reason << '\n';
    if (!options.has(ENERGY)) note_other_energies(results);
    warn_about_temperatures(results, read.energy, ensemble.temperature);
    warn_about_saddle_points(results);
    warn_about_levels_of_theory(results);
    warn_about_repeated_files(results);
    if (rmsd.wanted) {
        const RmsdGrouping grouping = sorting::sort_and_group_by_rmsd(
            PROGRAM, results, tolerances[0], tolerances[1], rmsd.criteria);
        sorting::write_result_files(ensemble, results, read.energy.name(), &grouping);
        return finish(results);
    }
    try {
        sorting::sort_and_group(PROGRAM, results, {tolerances[0], tolerances[1], tolerances[2]},
                                reference_atom, equivalence, options.has(sorting::SYMMETRY),
                                [&](const sorting::SymmetryGroups& groups) {
                                    warn_about_anchors_in_groups(atoms, reference_atom, groups);
                                });
    } catch (int) {
        throw cli::Failure{"cannot superpose conformers of " + std::to_string(atoms) +
                           " atoms: at least 3 are needed"};
    } catch (double) {
        throw cli::Failure{"degenerate geometry: anchor atoms of reference atom " +
                           std::to_string(reference_atom) +
                           " coincide or lie on one line; choose another reference atom"};
    }
    sorting::write_result_files(ensemble, results, read.energy.name());
    return finish(results);
}

}  // namespace

int main(int argc, char* argv[]) {
    return confsearch::cli::run_main(PROGRAM, HELP, run, argc, argv);
}
