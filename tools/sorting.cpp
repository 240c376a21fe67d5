#include "sorting.h"

#include <cmath>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <set>
#include <stdexcept>

#include "CConformer/bond_perception.h"
#include "COutFile.h"

namespace confsearch::sorting {

EnsembleChoice ensemble_choice(const char* program, const cli::Options& options) {
    EnsembleChoice choice;
    choice.wanted = !options.has(NO_ENSEMBLE);
    choice.temperature = ROOM_TEMPERATURE;
    if (!options.has(TEMPERATURE)) return choice;
    // The whole text must be the number: "300K" is refused, not read as 300.
    const std::string& text = options.value(TEMPERATURE);
    char* end = nullptr;
    const double kelvin = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !std::isfinite(kelvin) || !(kelvin > 0))
        throw cli::Failure{"the temperature must be a positive number of kelvin, not " + text};
    choice.temperature = kelvin;
    if (!choice.wanted)
        cli::warn(program, TEMPERATURE.name + " has no effect with " + NO_ENSEMBLE.name +
                               ": no populations are written");
    return choice;
}

std::vector<int> interchangeable_atoms(int argc, char* argv[], int first, int last_atom) {
    std::vector<int> atoms{argc > first ? argc - first : 0};
    for (int i = first; i < argc; ++i)
        atoms.push_back(cli::whole_number(argv[i], 1, last_atom, "an interchangeable atom"));
    return atoms;
}

std::string group_list(const std::vector<std::vector<int>>& groups) {
    if (groups.empty()) return "none";
    std::string text;
    for (const std::vector<int>& group : groups) {
        if (!text.empty()) text += " |";
        for (const int atom : group) text += (text.empty() ? "" : " ") + std::to_string(atom);
    }
    return text;
}

SymmetryGroups symmetry_groups(const char* program, const CBasicConformer& molecule,
                               const std::string& name, const std::vector<int>& given) {
    SymmetryGroups groups;
    try {
        for (const TerminalGroup& group : find_terminal_groups(CBondGraph(molecule))) {
            groups.found.push_back(group.atoms);
            groups.matched.add(group.atoms);
        }
        std::cout.flush();
        std::cerr << program << ": interchangeable atoms found: " << group_list(groups.found)
                  << std::endl;
    } catch (const PerceptionError& error) {
        // The ranking itself does not need the bonds: it goes on without the groups.
        cli::warn(program, SYMMETRY.name + " finds no interchangeable atoms in " + name + ": " +
                               error.what());
    }
    if (given.size() > 1) {
        groups.matched.add(std::vector<int>(given.begin() + 1, given.end()));
        if (groups.matched.get_groups() != groups.found) {
            std::cout.flush();
            std::cerr << program << ": interchangeable atoms matched: "
                      << group_list(groups.matched.get_groups()) << std::endl;
        }
    }
    return groups;
}

void warn_repeated_atoms(const char* program, const std::vector<int>& atoms) {
    std::set<int> seen;
    std::set<int> warned;
    for (std::size_t j = 1; j < atoms.size(); ++j) {
        if (seen.insert(atoms[j]).second || !warned.insert(atoms[j]).second) continue;
        cli::warn(program,
                  "interchangeable atom " + std::to_string(atoms[j]) + " is listed more than once");
    }
}

void sort_and_group(const char* program, COutSortList& results, const Tolerances& tolerances,
                    int reference_atom, const std::vector<int>& given, bool symmetry,
                    const std::function<void(const SymmetryGroups&)>& check_groups) {
    if (!symmetry) {
        results.QuickSort(tolerances.energy, tolerances.dipole, tolerances.geometry, reference_atom,
                          equivalence(given));
        return;
    }
    // The groups come from the bonds of the lowest-energy result, the first after the
    // sort; the sort and the filter are those of QuickSort.
    results.QSort(1, results.get_count());
    SymmetryGroups groups;
    if (results.get_count() > 0) {
        groups = symmetry_groups(program, results[1].conformer, results[1].name, given);
        check_groups(groups);
    }
    results.filter_old(tolerances.energy, tolerances.dipole, tolerances.geometry, reference_atom,
                       groups.matched);
}

void write_result_files(const EnsembleChoice& choice, const COutSortList& results,
                        const std::string& energy_name, const RmsdGrouping* rmsd) {
    std::string unwritten = out_result_files(results);
    if (unwritten.empty() && choice.wanted)
        unwritten = out_ensemble_files(results, choice.temperature, energy_name);
    if (unwritten.empty() && rmsd && !write_duplicates(DUPLICATES_FILE, rmsd->duplicates))
        unwritten = DUPLICATES_FILE;
    if (!unwritten.empty()) throw cli::Failure{"cannot create file: " + unwritten};
}

RmsdChoice rmsd_choice(const char* program, const cli::Options& options, double rmsd_tolerance) {
    RmsdChoice choice;
    choice.wanted = options.has(RMSD);
    choice.criteria.rmsd_tolerance = rmsd_tolerance;
    choice.criteria.all_atoms = options.has(ALL_ATOMS);
    choice.criteria.mirror = options.has(MIRROR);
    for (const cli::Option& option : {ALL_ATOMS, MIRROR})
        if (options.has(option) && !choice.wanted)
            cli::warn(program, option.name + " has no effect without " + RMSD.name);
    if (choice.wanted && options.has(SYMMETRY))
        cli::note(program, SYMMETRY.name + " has nothing to add to " + RMSD.name +
                               ": the RMSD rule matches every group of equal atoms");
    return choice;
}

void note_ignored_atoms(const char* program, int argc, char* argv[], int first) {
    if (argc <= first) return;
    std::string atoms;
    for (int i = first; i < argc; ++i) atoms += std::string(atoms.empty() ? "" : " ") + argv[i];
    cli::note(program, "the reference and interchangeable atoms (" + atoms +
                           ") are not needed by " + RMSD.name + " and are ignored");
}

RmsdGrouping sort_and_group_by_rmsd(const char* program, COutSortList& results,
                                    double energy_tolerance, double dipole_tolerance,
                                    const IdentityCriteria& criteria) {
    results.QSort(1, results.get_count());
    if (results.get_count() == 0) return {};
    std::optional<ConformerIdentity> identity;
    try {
        identity.emplace(results[1].conformer, criteria);
    } catch (const std::runtime_error& error) {
        throw cli::Failure{"the molecule of " + results[1].name +
                           " cannot be compared by RMSD: " + error.what()};
    }
    RmsdGrouping grouping = results.filter_rmsd(energy_tolerance, dipole_tolerance, *identity);
    for (const LeftOut& result : grouping.incomparable)
        std::cerr << program << ": " << result.name << ": " << result.reason
                  << ": kept as a conformer of its own" << std::endl;
    return grouping;
}

}  // namespace confsearch::sorting
