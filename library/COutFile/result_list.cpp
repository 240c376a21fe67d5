#include "COutFile/result_list.h"

#include <iostream>

#include "record_list.h"

using namespace confsearch;

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
    detail::copy_records(entries, other.entries, count);
    return *this;
}

void COutSortList::reinstall(int new_confsize, int new_count) {
    detail::size_records(entries, new_count);
    confsize = new_confsize;
    count = new_count;
}

COutSortList COutSortList::operator+(const COutSortList& other) const {
    COutSortList sum(*this);
    sum += other;
    return sum;
}

COutSortList& COutSortList::operator+=(const COutSortList& other) {
    if (confsize != other.confsize) {
        std::cout << MSG_ADD_DIFFERENT << std::endl;
        throw confsize;
    }
    detail::append_records(entries, count, other.entries, other.count);
    return *this;
}

COutSort& COutSortList::operator[](int i) { return detail::record_at(entries, count, i); }

const COutSort& COutSortList::operator[](int i) const {
    return detail::record_at(entries, count, i);
}

std::ostream& operator<<(std::ostream& out, const COutSortList& list) {
    detail::write_records(out, list.entries, list.count);
    return out;
}

std::string confsearch::LeftOut::where() const {
    return line > 0 ? name + ", line " + std::to_string(line) : name;
}
