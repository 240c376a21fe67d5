// Intramolecular hydrogen bonds X-H...Y between nitrogen and oxygen atoms, found from the
// Z-matrix tree (which hydrogens sit on which heavy atom) and the current coordinates.
#include "CConformer/rotatable_conformer.h"

#include <array>
#include <vector>

#include "detail/atomic_numbers.h"

using namespace confsearch;

namespace {

using confsearch::detail::HYDROGEN;
using confsearch::detail::NITROGEN;
using confsearch::detail::OXYGEN;

// The X-H...Y angle at the hydrogen must be wider than this, for every element pair.
const double HbondAng = PI * 100 / 180;

bool donor_or_acceptor(int element) { return element == NITROGEN || element == OXYGEN; }

struct HbondRule {
    double length;
    double energy;
};

HbondRule rule_for(int donor, int acceptor) {
    if (donor == NITROGEN) {
        return acceptor == NITROGEN ? HbondRule{HbondLen_NHN, HbondEn_NHN}
                                    : HbondRule{HbondLen_NHO, HbondEn_NHO};
    }
    return acceptor == NITROGEN ? HbondRule{HbondLen_OHN, HbondEn_OHN}
                                : HbondRule{HbondLen_OHO, HbondEn_OHO};
}

}  // namespace

void CRotatableConformer::search_XHY() {
    xhy_table.clear();
    std::vector<int> heavy;
    for (int i = 1; i <= size; ++i)
        if (donor_or_acceptor(elements[i].get_number())) heavy.push_back(i);
    if (heavy.empty()) return;

    const int m = static_cast<int>(heavy.size());
    xhy_table.assign(static_cast<std::size_t>(m) + 1, {});
    xhy_table[0][0] = m;
    for (int r = 1; r <= m; ++r) {
        std::array<int, MAX_LINKS + 1>& row = xhy_table[r];
        row[0] = heavy[r - 1];
        // Parent first, then the children: an N-H or O-H hydrogen is usually a leaf
        // hanging on its heavy atom, but the tree may also start from it.
        int place = 1;
        for (int s = 0; s < zmatrix.get_max_links(); ++s) {
            const int neighbour = zmatrix.get_linking(row[0], s);
            if (neighbour != 0 && elements[neighbour].get_number() == HYDROGEN)
                row[place++] = neighbour;
        }
    }
}

bool CRotatableConformer::find_Hbond() {
    if (size == 0) return false;
    if (xhy_table.empty()) search_XHY();
    hbonds.assign(1, CHbond());
    const int m = xhy_table.empty() ? 0 : xhy_table[0][0];
    for (int i = 1; i <= m; ++i) {
        const std::array<int, MAX_LINKS + 1>& row = xhy_table[i];
        const int x = row[0];
        for (int j = 1; j <= m; ++j) {
            if (j == i) continue;
            const int y = xhy_table[j][0];
            const HbondRule rule = rule_for(elements[x].get_number(), elements[y].get_number());
            if (!(xyz[x].distance(xyz[y]) < rule.length)) continue;
            for (int place = 1; place <= MAX_LINKS && row[place] != 0; ++place) {
                const int h = row[place];
                if (xyz[h].p_angle(xyz[x], xyz[y]) > HbondAng)
                    hbonds.emplace_back(x, h, y, rule.energy);
            }
        }
    }
    CHbond& header = hbonds[0];
    header.donor = static_cast<int>(hbonds.size()) - 1;
    for (std::size_t k = 1; k < hbonds.size(); ++k) header.energy += hbonds[k].energy;
    return true;
}

int CRotatableConformer::get_Hbond_number() {
    if (hbonds.empty() && !find_Hbond()) return 0;
    return hbonds[0].donor;
}

double CRotatableConformer::get_Hbond_energy(int k) {
    if (hbonds.empty() && !find_Hbond()) return 0.0;
    if (k < 0 || k > hbonds[0].donor) return 0.0;
    return hbonds[k].energy;
}
