#include "COutFile/result_list.h"

#include <cmath>
#include <iostream>
#include <utility>
#include <vector>

namespace {

const char* const MSG_ENERGY_DIFF = "Energy diff!";
const char* const MSG_IDENTICAL = "Identical !";

// The grouping pass shared by both filters: each head collects the later results in its
// energy window that do not differ from it; the others are held back and put behind.
template <class Differ>
void group_duplicates(std::vector<COutSort>& entries, int count, double energy_tol,
                      bool progress_text, Differ differ) {
    std::vector<COutSort> held;
    held.reserve(static_cast<std::size_t>(count));
    int g = 1;
    int i = 1;
    while (i <= count) {
        entries[i].group = g;
        held.clear();
        int k = 0;
        int j = i + 1;
        for (; j <= count; ++j) {
            if (progress_text)
                std::cout << j << "(" << g << ")  " << entries[j].name << "  " << entries[i].name
                          << "  ";
            if (std::fabs(entries[j].energy - entries[i].energy) > energy_tol) {
                std::cout << MSG_ENERGY_DIFF << '\n';
                break;
            }
            if (differ(entries[j], entries[i])) {
                std::cout << '\n';
                ++k;
                held.push_back(std::move(entries[j]));
            } else {
                if (k > 0) entries[j - k] = std::move(entries[j]);
                std::cout << MSG_IDENTICAL << '\n';
                entries[j - k].group = g;
            }
        }
        for (int m = 1; m <= k; ++m) entries[j - m] = std::move(held[k - m]);
        ++g;
        i = j - k;
    }
    std::cout.flush();
}

}  // namespace

int COutSortList::Partition(int low, int high) {
    // Median of three energies as the pivot.
    const int mid = (low + high) / 2;
    const double a = entries[low].energy;
    const double b = entries[mid].energy;
    const double c = entries[high].energy;
    int chosen = low;
    if (b >= a)
        chosen = c >= b ? mid : (c >= a ? high : low);
    else
        chosen = b >= c ? mid : (a >= c ? high : low);

    // The pivot waits in the scratch slot; the entry at low takes its place. Every move
    // below fills the hole left by the previous one, so records are moved, not copied;
    // a moved-from record keeps its energy.
    entries[0] = std::move(entries[chosen]);
    if (chosen != low) entries[chosen] = std::move(entries[low]);
    const double pivot = entries[0].energy;
    while (low < high) {
        while (low < high && entries[high].energy >= pivot) --high;
        if (low != high) entries[low] = std::move(entries[high]);
        while (low < high && entries[low].energy <= pivot) ++low;
        if (low != high) entries[high] = std::move(entries[low]);
    }
    entries[low] = std::move(entries[0]);
    return low;
}

void COutSortList::QSort(int low, int high) {
    // Recursing into the shorter side only keeps the stack shallow even for lists of
    // equal energies; the two sides are disjoint, so the order is the same.
    while (low < high) {
        const int p = Partition(low, high);
        if (p - low < high - p) {
            QSort(low, p - 1);
            low = p + 1;
        } else {
            QSort(p + 1, high);
            high = p - 1;
        }
    }
}

void COutSortList::QuickSort(double energy_tol, double dipole_tol, double geometry_tol,
                             int reference_atom, const int* equiv) {
    QSort(1, count);
    filter_old(energy_tol, dipole_tol, geometry_tol, reference_atom, equiv);
}

void COutSortList::filter_old(double energy_tol, double dipole_tol, double geometry_tol,
                              int reference_atom, const int* equiv) {
    const IdentityRule rule = identity_rule;
    group_duplicates(entries, count, energy_tol, progress_text,
                     [&](const COutSort& candidate, const COutSort& head) {
                         if (!candidate.conformer.identical_xyz(head.conformer, geometry_tol,
                                                                reference_atom, equiv, rule))
                             return true;
                         return std::fabs(candidate.dipole - head.dipole) > dipole_tol;
                     });
}

void COutSortList::filter(double energy_tol, double dipole_tol, double geometry_tol,
                          int /*reference_atom*/, const int* /*equiv*/) {
    group_duplicates(entries, count, energy_tol, false,
                     [&](const COutSort& candidate, const COutSort& head) {
                         if (std::fabs(candidate.dipole - head.dipole) > dipole_tol) return true;
                         return !candidate.equal_D(head, geometry_tol);
                     });
}
