#include "COutFile/ensemble.h"

#include <algorithm>
#include <cmath>
#include <iomanip>
#include <ostream>
#include <sstream>

#include "record_list.h"

namespace confsearch {

namespace {

// Symbol of an atom that the element table does not name (a dummy or ghost atom of a
// geometry table): "X", which xyz readers take for a dummy atom.
const std::string UNKNOWN_SYMBOL = "X";

// A number in general notation with 12 significant digits, as the result files write
// energies: -233.6618425, -233.659773.
std::string general(double value) {
    std::ostringstream text;
    text.precision(12);
    text << value;
    return text.str();
}

// A number in fixed notation, at least width characters wide: 0.5371, -1.168500.
std::string fixed(double value, int decimals, int width = 0) {
    std::ostringstream text;
    text << std::fixed << std::setprecision(decimals) << std::setw(width) << value;
    return text.str();
}

template <class Write>
std::string write_file(const std::string& file, Write write) {
    return detail::write_whole_file(file, write) ? "" : file;
}

}  // namespace

std::vector<double> boltzmann_populations(const std::vector<double>& energies, double temperature) {
    if (!(temperature > 0)) throw temperature;
    std::vector<double> populations;
    if (energies.empty()) return populations;
    const double lowest = *std::min_element(energies.begin(), energies.end());
    const double rt = GAS_CONSTANT * temperature;
    // Every weight lies in [0, 1] and the lowest state's is 1, so the sum lies in [1, n]:
    // nothing overflows, and a state far above underflows harmlessly to 0.
    double sum = 0.0;
    for (const double energy : energies) {
        const double above = energy - lowest;
        const double weight = above == 0.0 ? 1.0 : std::exp(-above / rt);
        populations.push_back(weight);
        sum += weight;
    }
    for (double& population : populations) population = 100.0 * population / sum;
    return populations;
}

Ensemble ensemble_of(const COutSortList& list, double temperature) {
    Ensemble ensemble;
    ensemble.temperature = temperature;
    ensemble.results = list.get_count();
    std::vector<int> in_group(static_cast<std::size_t>(list.get_count()) + 1, 0);
    for (int i = 1; i <= list.get_count(); ++i) {
        const int group = list[i].group;
        if (group >= 1 && group <= list.get_count()) ++in_group[static_cast<std::size_t>(group)];
    }
    // The distinct conformers as out_unique writes them.
    for (const int i : detail::group_heads(list.get_count(), [&](int k) { return list[k].group; }))
        ensemble.members.push_back({i, list[i].group, 0, 0.0, 0.0});
    if (ensemble.members.empty()) return ensemble;

    double lowest = list[ensemble.members.front().position].energy;
    for (const EnsembleMember& m : ensemble.members)
        lowest = std::min(lowest, list[m.position].energy);
    std::vector<double> relative;
    for (EnsembleMember& m : ensemble.members) {
        m.results = in_group[static_cast<std::size_t>(m.group)];
        m.relative = (list[m.position].energy - lowest) * KCAL_PER_HARTREE;
        relative.push_back(m.relative);
    }
    const std::vector<double> populations = boltzmann_populations(relative, temperature);
    for (std::size_t k = 0; k < populations.size(); ++k)
        ensemble.members[k].population = populations[k];
    return ensemble;
}

void write_ensemble_table(std::ostream& out, const COutSortList& list, const Ensemble& ensemble,
                          const std::string& energy_name) {
    // The count of imaginary frequencies of each conformer, where its job computed
    // frequencies: a column only when some job of the list did.
    bool frequencies = false;
    for (int i = 1; i <= list.get_count(); ++i)
        frequencies = frequencies || list[i].details.has_frequencies;
    out << "# group\tname\tenergy (" << energy_name
        << ", hartree)\tdE (kcal/mol)\tpopulation (% at " << general(ensemble.temperature)
        << " K)\tresults" << (frequencies ? "\timaginary frequencies" : "") << "\n";
    for (const EnsembleMember& m : ensemble.members) {
        const COutSort& head = list[m.position];
        out << m.group << '\t' << head.name << '\t' << general(head.energy) << '\t'
            << fixed(m.relative, 4) << '\t' << fixed(m.population, 2) << '\t' << m.results;
        if (frequencies) {
            out << '\t';
            if (head.details.has_frequencies) out << head.details.imaginary_frequencies.size();
        }
        out << '\n';
    }
    out << "# distinct conformers: " << ensemble.members.size() << ", results: " << ensemble.results
        << '\n';
}

void write_unique_conformers(std::ostream& out, const COutSortList& list,
                             const Ensemble& ensemble) {
    for (const EnsembleMember& m : ensemble.members) {
        const COutSort& head = list[m.position];
        const CBasicConformer& c = head.conformer;
        out << c.get_size() << '\n'
            << head.name << "  E=" << general(head.energy) << "  dE=" << fixed(m.relative, 4)
            << "  group=" << m.group << '\n';
        for (int a = 1; a <= c.get_size(); ++a) {
            const CVECTOR p = c.get_vector(a);
            // "C      0.516989     0.055064    -0.330058"
            std::string symbol = c.get_element(a).get_symbol();
            if (symbol.empty()) symbol = UNKNOWN_SYMBOL;
            if (symbol.size() < 2) symbol.resize(2, ' ');
            out << symbol << ' ' << fixed(p.x, 6, 12) << ' ' << fixed(p.y, 6, 12) << ' '
                << fixed(p.z, 6, 12) << '\n';
        }
    }
}

std::string out_ensemble_files(const COutSortList& list, double temperature,
                               const std::string& energy_name) {
    const Ensemble ensemble = ensemble_of(list, temperature);
    const std::string table = write_file(ENSEMBLE_FILE, [&](std::ostream& out) {
        write_ensemble_table(out, list, ensemble, energy_name);
    });
    if (!table.empty()) return table;
    return write_file(UNIQUE_CONFORMERS_FILE,
                      [&](std::ostream& out) { write_unique_conformers(out, list, ensemble); });
}

}  // namespace confsearch
