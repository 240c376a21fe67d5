#include "COutFile/result_list.h"

#include <iostream>

#include "detail/record_list.h"

namespace {

const char* const MSG_ADD_DIFFERENT = "Error for adding different conformer!";

}  // namespace

COutSortList::COutSortList(int confsize, int count) { reinstall(confsize, count); }

COutSortList& COutSortList::operator=(const COutSortList& other) {
    if (this == &other) return *this;
    count = other.count;
    confsize = other.confsize;
    identity_rule = other.identity_rule;
    progress_text = other.progress_text;
    read_options = other.read_options;
    entries.clear();
    if (count > 0) {
        entries.resize(static_cast<std::size_t>(count) + 1);
        for (int i = 1; i <= count; ++i) entries[i] = other.entries[i];
    }
    return *this;
}

void COutSortList::reinstall(int new_confsize, int new_count) {
    if (new_count < 0) throw new_count;
    confsize = new_confsize;
    count = new_count;
    entries.clear();
    if (count > 0) entries.resize(static_cast<std::size_t>(count) + 1);
}

COutSortList COutSortList::operator+(const COutSortList& other) const {
    if (confsize != other.confsize) {
        std::cout << MSG_ADD_DIFFERENT << std::endl;
        throw confsize;
    }
    COutSortList sum(*this);
    sum.reinstall(confsize, count + other.count);
    for (int i = 1; i <= count; ++i) sum.entries[i] = entries[i];
    for (int i = 1; i <= other.count; ++i) sum.entries[count + i] = other.entries[i];
    return sum;
}

COutSortList& COutSortList::operator+=(const COutSortList& other) {
    *this = *this + other;
    return *this;
}

COutSort& COutSortList::operator[](int i) {
    if (i < 1 || i > count) throw i;
    return entries[i];
}

const COutSort& COutSortList::operator[](int i) const {
    if (i < 1 || i > count) throw i;
    return entries[i];
}

std::ostream& operator<<(std::ostream& out, const COutSortList& list) {
    detail::write_records(out, list.entries, list.count);
    return out;
}
