// The repeat filter: the kept geometries indexed by their shape, each newcomer compared
// with the few near it, over the heavy atoms first and then over all atoms.
#include "CSearch/repeat_filter.h"

#include <algorithm>
#include <cmath>

#include "CMyMath/superposition.h"
#include "detail/atomic_numbers.h"

namespace confsearch {

namespace {

// The rotational constants decide nothing here: the RMSD does. Their difference, a
// fraction of the larger constant, never exceeds 1.
IdentityCriteria criteria(double tolerance, bool all_atoms) {
    IdentityCriteria c;
    c.rmsd_tolerance = tolerance;
    c.rotational_tolerance = 1.0;
    c.all_atoms = all_atoms;
    return c;
}

}  // namespace

RepeatFilter::RepeatFilter(const CBasicConformer& molecule, const CBondGraph& graph,
                           double tolerance)
    : heavy(graph, molecule, criteria(tolerance, false)),
      all(graph, molecule, criteria(tolerance, true)),
      tolerance(tolerance) {
    for (int i = 1; i <= graph.get_size(); ++i)
        heavy_atom.push_back(graph.get_element(i) != detail::HYDROGEN);
    // A molecule of hydrogens alone is compared over all its atoms.
    bool any = false;
    for (const bool h : heavy_atom) any = any || h;
    if (!any) heavy_atom.assign(heavy_atom.size(), true);
}

// The heavy atoms' spread along their principal axes: the square roots of the
// eigenvalues of their scatter about the centroid, per atom, largest first. They are the
// singular values of the centred coordinates over the square root of the atom count, which
// no rotation, reflection or renumbering changes, and by Mirsky's theorem two geometries
// of best-fit RMSD r (matched or not) have shape vectors at most r apart.
std::array<double, 3> RepeatFilter::shape(const Positions& positions) const {
    CVECTOR centre;
    int count = 0;
    for (std::size_t i = 0; i < positions.size(); ++i)
        if (heavy_atom[i]) {
            centre = centre + positions[i];
            ++count;
        }
    centre = centre / count;
    Matrix3 scatter{};
    for (std::size_t i = 0; i < positions.size(); ++i) {
        if (!heavy_atom[i]) continue;
        const CVECTOR d = positions[i] - centre;
        const double v[3] = {d.x, d.y, d.z};
        for (int a = 0; a < 3; ++a)
            for (int b = 0; b < 3; ++b) scatter[3 * a + b] += v[a] * v[b] / count;
    }
    const PrincipalAxes axes = principal_axes(scatter);
    std::array<double, 3> values{};
    for (int k = 0; k < 3; ++k) values[k] = std::sqrt(std::max(axes.values[k], 0.0));
    return values;
}

// Shape values lie between 0 and a few angstrom; 21 bits a coordinate hold them at any
// tolerance down to a thousandth of an angstrom.
std::uint64_t RepeatFilter::cell(const std::array<long, 3>& index) const {
    const std::uint64_t mask = (1u << 21) - 1;
    return (static_cast<std::uint64_t>(index[0]) & mask) << 42 |
           (static_cast<std::uint64_t>(index[1]) & mask) << 21 |
           (static_cast<std::uint64_t>(index[2]) & mask);
}

bool RepeatFilter::repeats(const Positions& positions) {
    Kept candidate{shape(positions), heavy.prepare(positions), all.prepare(positions)};
    std::array<long, 3> home{};
    for (int a = 0; a < 3; ++a)
        home[a] = static_cast<long>(std::floor(candidate.shape[a] / tolerance));
    for (long i = -1; i <= 1; ++i)
        for (long j = -1; j <= 1; ++j)
            for (long k = -1; k <= 1; ++k) {
                const auto near = cells.find(cell({home[0] + i, home[1] + j, home[2] + k}));
                if (near == cells.end()) continue;
                for (const std::size_t index : near->second) {
                    const Kept& other = kept[index];
                    double apart = 0.0;
                    for (int a = 0; a < 3; ++a)
                        apart += (other.shape[a] - candidate.shape[a]) *
                                 (other.shape[a] - candidate.shape[a]);
                    if (apart > tolerance * tolerance) continue;
                    if (heavy.compare(other.heavy, candidate.heavy).same() &&
                        all.compare(other.all, candidate.all).same())
                        return true;
                }
            }
    cells[cell(home)].push_back(kept.size());
    kept.push_back(std::move(candidate));
    return false;
}

}  // namespace confsearch
