// Geometries of one molecule grouped into distinct conformers.
#include <algorithm>
#include <numeric>

#include "CConformer/conformer_identity.h"
#include "identity_messages.h"

namespace confsearch {

namespace {

template <typename Geometry>
ConformerGroups group_geometries(const ConformerIdentity& identity,
                                 const std::vector<Geometry>& geometries,
                                 const std::vector<double>& energies) {
    if (!energies.empty() && energies.size() != geometries.size())
        throw IdentityError(detail::energy_count_message(energies.size(), geometries.size()));
    std::vector<PreparedConformer> prepared;
    prepared.reserve(geometries.size());
    for (std::size_t k = 0; k < geometries.size(); ++k) {
        try {
            prepared.push_back(identity.prepare(
                geometries[k],
                energies.empty() ? std::nullopt : std::optional<double>(energies[k])));
        } catch (const IdentityError& error) {
            throw IdentityError(detail::geometry_message(k + 1, error.what()));
        }
    }
    // Lowest energy first, so that each group is headed by its lowest member and a
    // result is only ever compared with heads below it or level with it.
    std::vector<std::size_t> order(geometries.size());
    std::iota(order.begin(), order.end(), 0);
    if (!energies.empty())
        std::stable_sort(order.begin(), order.end(),
                         [&](std::size_t x, std::size_t y) { return energies[x] < energies[y]; });

    ConformerGroups groups;
    groups.group.assign(geometries.size(), 0);
    groups.rmsd.assign(geometries.size(), 0.0);
    groups.mirrored.assign(geometries.size(), false);
    ConformerGrouper grouper(identity);
    for (std::size_t k : order) {
        const ConformerGrouper::Placement placement = grouper.add(std::move(prepared[k]));
        if (placement.founded) groups.heads.push_back(static_cast<int>(k));
        groups.group[k] = placement.group;
        groups.rmsd[k] = placement.rmsd;
        groups.mirrored[k] = placement.mirrored;
    }
    return groups;
}

}  // namespace

ConformerGrouper::Placement ConformerGrouper::add(PreparedConformer conformer) {
    Placement placement;
    for (std::size_t g = 0; g < heads.size(); ++g) {
        const Comparison comparison = identity.compare(heads[g], conformer);
        if (!comparison.same()) continue;
        placement.group = static_cast<int>(g);
        placement.rmsd = comparison.rmsd.value_or(0.0);
        placement.mirrored = comparison.mirrored;
        return placement;
    }
    placement.group = static_cast<int>(heads.size());
    placement.founded = true;
    heads.push_back(std::move(conformer));
    return placement;
}

ConformerGroups distinct_conformers(const ConformerIdentity& identity,
                                    const std::vector<::CBasicConformer>& geometries,
                                    const std::vector<double>& energies) {
    return group_geometries(identity, geometries, energies);
}

ConformerGroups distinct_conformers(const ConformerIdentity& identity,
                                    const std::vector<Positions>& geometries,
                                    const std::vector<double>& energies) {
    return group_geometries(identity, geometries, energies);
}

ConformerGroups distinct_conformers(const std::vector<::CBasicConformer>& geometries,
                                    const std::vector<double>& energies,
                                    const IdentityCriteria& criteria) {
    if (geometries.empty()) return {};
    return distinct_conformers(ConformerIdentity(geometries.front(), criteria), geometries,
                               energies);
}

}  // namespace confsearch
