// What the two sorters share: the options of the ensemble files and of --symmetry, the
// interchangeable atoms of the command line, the sorting and grouping of the results,
// and the writing of every result file.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "CConformer/basic_conformer.h"
#include "CConformer/conformer_identity.h"
#include "COutFile/result_list.h"
#include "cli.h"

namespace confsearch::sorting {

// The options of both sorters for their ensemble files.
inline const cli::Option NO_ENSEMBLE{"--no-ensemble", ""};
inline const cli::Option TEMPERATURE{"--temperature", "K"};
// The option of both sorters that finds interchangeable atoms from the molecule's bonds.
inline const cli::Option SYMMETRY{"--symmetry", ""};
// The options of the RMSD rule: best-fit RMSD over the heavy atoms (all with
// --all-atoms), mirror images of a chiral molecule merged with --mirror.
inline const cli::Option RMSD{"--rmsd", ""};
inline const cli::Option ALL_ATOMS{"--all-atoms", ""};
inline const cli::Option MIRROR{"--mirror", ""};

// The identity rule the options choose: whether --rmsd is given and its criteria with
// the RMSD tolerance (angstrom). Warns when --all-atoms or --mirror come without --rmsd,
// and notes that --symmetry has nothing to add to it.
struct RmsdChoice {
    bool wanted = false;
    IdentityCriteria criteria;
};
RmsdChoice rmsd_choice(const char* program, const cli::Options& options, double rmsd_tolerance);

// Under --rmsd the reference atom and interchangeable atoms are not needed: a note names
// those given (arguments first..argc-1) as ignored.
void note_ignored_atoms(const char* program, int argc, char* argv[], int first);

// Whether to write the ensemble files, and at which temperature (K).
struct EnsembleChoice {
    bool wanted = true;
    double temperature = 0.0;
};

// The choice that --no-ensemble and --temperature make: room temperature by default; a
// temperature that is not a positive number is refused with a Failure. Warns when
// --temperature comes with --no-ensemble.
EnsembleChoice ensemble_choice(const char* program, const cli::Options& options);

// The equivalence list of the interchangeable atoms given as arguments first..argc-1:
// element 0 the count, then the atoms in command-line order, each checked to lie in
// 1..last_atom.
std::vector<int> interchangeable_atoms(int argc, char* argv[], int first, int last_atom);

// The list as the library takes it: no list at all when it names no atom.
inline const int* equivalence(const std::vector<int>& atoms) {
    return atoms.empty() || atoms[0] <= 0 ? nullptr : atoms.data();
}

// Warns once for every atom that an equivalence list names more than once.
void warn_repeated_atoms(const char* program, const std::vector<int>& atoms);

// The interchangeable atoms of a run with --symmetry.
struct SymmetryGroups {
    // The symmetric terminal groups found (CH3, CH2, NH2, CF3, NO2), by centre atom.
    std::vector<std::vector<int>> found;
    // Those and the atoms given on the command line, as the filter matches them.
    InterchangeableGroups matched;
};

// Finds the groups of equal terminal atoms on one centre in the bonds of `molecule` (the
// lowest-energy result, called `name`) and prints them once on standard error:
// "<program>: interchangeable atoms found: 3 4 5 | 8 9 10", or "... found: none". The
// atoms given (an equivalence list) are one more group; a group found that shares atoms
// with it is joined into it, and when the atoms given change the groups, those matched
// are printed too ("<program>: interchangeable atoms matched: ..."). When the bonds
// cannot be perceived, warns and matches the atoms given only.
SymmetryGroups symmetry_groups(const char* program, const CBasicConformer& molecule,
                               const std::string& name, const std::vector<int>& given);

// Groups as "3 4 5 | 8 9 10"; "none" for no group.
std::string group_list(const std::vector<std::vector<int>>& groups);

// The duplicate test of a run.
struct Tolerances {
    double energy = 0.0;
    double dipole = 0.0;
    double geometry = 0.0;
};

// Sorts the results by energy and groups the duplicates. Under --symmetry (symmetry true)
// the interchangeable atoms are the groups found in the lowest-energy result with those
// given, handed to check_groups before the grouping; otherwise the atoms given as they
// are. What the geometry comparison throws is passed on.
void sort_and_group(const char* program, COutSortList& results, const Tolerances& tolerances,
                    int reference_atom, const std::vector<int>& given, bool symmetry,
                    const std::function<void(const SymmetryGroups&)>& check_groups);

// Sorts the results by energy and groups the duplicates by the RMSD rule, the molecule
// taken from the lowest-energy result; names on standard error each result that could
// not be compared. Refused with a Failure when the molecule's bonds cannot be perceived.
RmsdGrouping sort_and_group_by_rmsd(const char* program, COutSortList& results,
                                    double energy_tolerance, double dipole_tolerance,
                                    const IdentityCriteria& criteria);

// Writes "all_list2.txt" and "unique_list2.txt", then, when wanted, "ensemble.txt" and
// "unique_conformers.xyz", and under the RMSD rule (rmsd given) "duplicates.txt";
// energy_name names the energy ranked by ("HF", "G"). Throws a Failure naming a file that
// could not be written.
void write_result_files(const EnsembleChoice& choice, const COutSortList& results,
                        const std::string& energy_name, const RmsdGrouping* rmsd = nullptr);

}  // namespace confsearch::sorting
