// The distinct conformers of a ranked list as an ensemble: their energies above the
// lowest, their Boltzmann populations, and the two files that show them.
#pragma once

#include "COutFile/result_list.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace confsearch {

// Files written beside the result lists.
inline const std::string ENSEMBLE_FILE = "ensemble.txt";
inline const std::string UNIQUE_CONFORMERS_FILE = "unique_conformers.xyz";

const double GAS_CONSTANT = 1.987204259e-3;  // R in kcal/(mol K)
const double ROOM_TEMPERATURE = 298.15;      // K

// Boltzmann populations in percent of states at the energies (kcal/mol, any origin) at a
// temperature in kelvin: exp(-dE / (R T)), dE measured from the lowest, normalised to
// 100. Never NaN: the lowest state has weight 1, a far one weight 0. Empty for no states.
std::vector<double> boltzmann_populations(const std::vector<double>& energies, double temperature);

// One distinct conformer: the head of a duplicate group.
struct EnsembleMember {
    int position = 0;         // of the head in the list, 1-based
    int group = 0;            // its duplicate group
    int results = 0;          // results in that group
    double relative = 0.0;    // kcal/mol above the lowest distinct conformer
    double population = 0.0;  // percent at the ensemble's temperature
};

// The distinct conformers of a filtered list in the order of "unique_list2.txt".
struct Ensemble {
    double temperature = ROOM_TEMPERATURE;  // K
    int results = 0;                        // every result of the list
    std::vector<EnsembleMember> members;
};

// The ensemble of a list after the filter; its energies in hartree.
Ensemble ensemble_of(const COutSortList& list, double temperature);

// "ensemble.txt": a "#" line naming the columns, the energy (energy_name: "HF", "G", ...)
// and the temperature; per distinct conformer group, name, energy, dE (kcal/mol),
// population (%), the results of its group and, when any job of the list computed
// frequencies, the count of imaginary ones (empty for a job without), tab-separated; a
// "#" line with the counts.
void write_ensemble_table(std::ostream& out, const COutSortList& list, const Ensemble& ensemble,
                          const std::string& energy_name);
// "unique_conformers.xyz": one xyz frame per distinct conformer, its comment line
// "name  E=<energy>  dE=<kcal/mol>  group=<g>".
void write_unique_conformers(std::ostream& out, const COutSortList& list, const Ensemble& ensemble);

// Writes both files in the working directory. Returns the name of a file that could not
// be written, or "" when both were.
std::string out_ensemble_files(const COutSortList& list, double temperature,
                               const std::string& energy_name);

}  // namespace confsearch
