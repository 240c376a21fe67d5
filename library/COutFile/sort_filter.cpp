#include "COutFile/result_list.h"

#include <cmath>

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
