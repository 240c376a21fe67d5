#include "COutFile/result_list.h"

#include <cmath>
#include <iomanip>
#include <iostream>
#include <optional>
#include <set>
#include <sstream>
#include <string>

#include "record_list.h"

using namespace confsearch;

using confsearch::detail::group_duplicates;
using confsearch::detail::GroupMessages;

int COutSortList::Partition(int low, int high) {
    return detail::partition_by_energy(entries, low, high);
}

void COutSortList::QSort(int low, int high) { detail::sort_by_energy(entries, low, high); }

void COutSortList::QuickSort(double energy_tol, double dipole_tol, double geometry_tol,
                             int reference_atom, const int* equiv) {
    QSort(1, count);
    filter_old(energy_tol, dipole_tol, geometry_tol, reference_atom, equiv);
}

namespace {

// The grouping of filter_old: the results differ when same_geometry(candidate, head) says
// no, or when their dipoles differ by more than dipole_tol.
template <class Record, class SameGeometry>
void group_by_geometry(std::vector<Record>& entries, int count, double energy_tol,
                       double dipole_tol, bool progress_text, SameGeometry same_geometry) {
    group_duplicates(entries, count, energy_tol,
                     progress_text ? GroupMessages::progress : GroupMessages::verdicts,
                     [&](const Record& candidate, const Record& head) {
                         if (!same_geometry(candidate.conformer, head.conformer)) return true;
                         return std::fabs(candidate.dipole - head.dipole) > dipole_tol;
                     });
}

}  // namespace

void COutSortList::filter_old(double energy_tol, double dipole_tol, double geometry_tol,
                              int reference_atom, const int* equiv) {
    const IdentityRule rule = identity_rule;
    group_by_geometry(entries, count, energy_tol, dipole_tol, progress_text,
                      [&](const CBasicConformer& candidate, const CBasicConformer& head) {
                          return candidate.identical_xyz(head, geometry_tol, reference_atom, equiv,
                                                         rule);
                      });
}

void COutSortList::filter_old(double energy_tol, double dipole_tol, double geometry_tol,
                              int reference_atom, const InterchangeableGroups& groups) {
    const IdentityRule rule = identity_rule;
    group_by_geometry(entries, count, energy_tol, dipole_tol, progress_text,
                      [&](const CBasicConformer& candidate, const CBasicConformer& head) {
                          return candidate.identical_xyz(head, geometry_tol, reference_atom, groups,
                                                         rule);
                      });
}

void COutSortList::filter(double energy_tol, double dipole_tol, double geometry_tol,
                          int /*reference_atom*/, const int* /*equiv*/) {
    group_duplicates(entries, count, energy_tol, GroupMessages::verdicts,
                     [&](const COutSort& candidate, const COutSort& head) {
                         if (std::fabs(candidate.dipole - head.dipole) > dipole_tol) return true;
                         return !candidate.equal_D(head, geometry_tol);
                     });
}

namespace {

// A result's geometry made ready for the identity: as listed, or renumbered where
// another program lists the atoms in another order; none when it is no geometry of the
// molecule, with the reason.
std::optional<PreparedConformer> prepared(const ConformerIdentity& identity,
                                          const CBasicConformer& geometry, std::string& why) {
    try {
        return identity.prepare(geometry);
    } catch (const IdentityError& error) {
        why = error.what();
    }
    try {
        return identity.prepare(identity.in_reference_order(geometry));
    } catch (const std::runtime_error&) {
        return std::nullopt;
    }
}

std::string fixed3(double value) {
    std::ostringstream text;
    text << std::fixed << std::setprecision(3) << value;
    return text.str();
}

}  // namespace

RmsdGrouping COutSortList::filter_rmsd(double energy_tol, double dipole_tol,
                                       const ConformerIdentity& identity) {
    RmsdGrouping found;
    std::set<std::string> named;
    const auto prepare = [&](const COutSort& result) {
        std::string why;
        std::optional<PreparedConformer> ready = prepared(identity, result.conformer, why);
        if (!ready && named.insert(result.name).second)
            found.incomparable.push_back({"", result.name, why});
        return ready;
    };
    // Each comparison prints what decided it before the verdict of the grouping pass:
    // "RMSD 0.034  Identical !", "RMSD 0.512", "rotational constants 2.34 % apart".
    group_duplicates(entries, count, energy_tol,
                     progress_text ? GroupMessages::progress : GroupMessages::verdicts,
                     [&](const COutSort& candidate, const COutSort& head) {
                         const std::optional<PreparedConformer> a = prepare(head);
                         const std::optional<PreparedConformer> b = prepare(candidate);
                         if (!a || !b) {
                             std::cout << "not comparable";
                             return true;
                         }
                         const Comparison c = identity.compare(*a, *b);
                         if (c.verdict == IdentityVerdict::rotational_constants_differ) {
                             std::cout << "rotational constants " << std::fixed
                                       << std::setprecision(1)
                                       << 100 * c.rotational_difference.value_or(0) << " % apart"
                                       << std::defaultfloat;
                             return true;
                         }
                         const double rmsd = c.rmsd.value_or(0);
                         std::cout << "RMSD " << (c.rmsd_is_bound ? "> " : "") << fixed3(rmsd);
                         if (!c.same()) return true;
                         const double dipoles = std::fabs(candidate.dipole - head.dipole);
                         if (dipoles > dipole_tol) {
                             std::cout << ", dipoles " << fixed3(dipoles) << " apart";
                             return true;
                         }
                         std::cout << "  ";
                         found.duplicates.push_back({candidate.name, head.name, rmsd, c.mirrored});
                         return false;
                     });
    return found;
}
