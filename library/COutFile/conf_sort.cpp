#include "COutFile/conf_sort.h"

#include <cmath>
#include <fstream>
#include <ostream>

#include "COutFile/formats/gaussian_output.h"
#include "COutFile/formats/output_tail.h"
#include "record_list.h"

using namespace confsearch;

void CConfSort::clear() {
    name.clear();
    energy = 0.0;
    dipole = 0.0;
    group = 0;
}

bool CConfSort::get_info(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return false;
    name = file;
    const bool valid = read_from_end(in, [this](std::istream& text, bool whole_file) {
        EnergyDipole values;
        if (read_energy_dipole(text, whole_file, values) != EnergyDipoleMissing::none) return false;
        energy = values.energy;
        dipole = values.dipole_length();
        return true;
    });
    if (!valid) clear();
    return valid;
}

std::ostream& operator<<(std::ostream& out, const CConfSort& result) {
    return detail::write_result_line(out, result);
}

CConfSortList::CConfSortList(int count) { reinstall(count); }

CConfSortList& CConfSortList::operator=(const CConfSortList& other) {
    if (this == &other) return *this;
    count = other.count;
    detail::copy_records(entries, other.entries, count);
    return *this;
}

void CConfSortList::reinstall(int new_count) {
    detail::size_records(entries, new_count);
    count = new_count;
}

CConfSortList CConfSortList::operator+(const CConfSortList& other) const {
    CConfSortList sum(*this);
    sum += other;
    return sum;
}

CConfSortList& CConfSortList::operator+=(const CConfSortList& other) {
    detail::append_records(entries, count, other.entries, other.count);
    return *this;
}

CConfSort& CConfSortList::operator[](int i) { return detail::record_at(entries, count, i); }

const CConfSort& CConfSortList::operator[](int i) const {
    return detail::record_at(entries, count, i);
}

void CConfSortList::QuickSort() { QSort(1, count); }

void CConfSortList::QSort(int low, int high) { detail::sort_by_energy(entries, low, high); }

int CConfSortList::Partition(int low, int high) {
    return detail::partition_by_energy(entries, low, high);
}

void CConfSortList::filter(double energy_tol, double dipole_tol) {
    detail::group_duplicates(entries, count, energy_tol, detail::GroupMessages::none,
                             [dipole_tol](const CConfSort& candidate, const CConfSort& head) {
                                 return std::fabs(candidate.dipole - head.dipole) > dipole_tol;
                             });
}

std::ostream& operator<<(std::ostream& out, const CConfSortList& list) {
    detail::write_records(out, list.entries, list.count);
    return out;
}
