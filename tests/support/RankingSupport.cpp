#include "RankingSupport.h"

#include "ConformerSupport.h"

using namespace confsearch;

namespace support {

COutSort result(const std::string& name, double energy, double dipole,
                const std::vector<Atom>& atoms) {
    COutSort r;
    r.name = name;
    r.energy = energy;
    r.dipole = dipole;
    r.conformer = conformer_of(atoms);
    return r;
}

COutSortList list_of(const std::vector<COutSort>& results) {
    COutSortList list(ETHANOL_ATOMS, static_cast<int>(results.size()));
    for (std::size_t i = 0; i < results.size(); ++i) list[static_cast<int>(i) + 1] = results[i];
    return list;
}

std::string names_and_groups(const COutSortList& list) {
    std::string text;
    for (int i = 1; i <= list.get_count(); ++i)
        text += list[i].name + ":" + std::to_string(list[i].group) + " ";
    return text;
}

void write_output(const TempDir& dir, const std::string& name, GaussianOutput output) {
    if (output.steps.empty()) output.steps = {ethanol()};
    dir.write(name, gaussian_output(output));
}

}  // namespace support
