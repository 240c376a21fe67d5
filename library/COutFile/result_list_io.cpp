#include "COutFile/result_list.h"

#include "detail/record_list.h"

bool COutSortList::read_filelist(const std::string& file) {
    if (confsize <= 0) return false;
    return detail::read_listed_outputs(file, ERROR_FILE, entries, count,
                                       [this](COutSort& result, const std::string& name) {
                                           return result.get_info(name, confsize);
                                       });
}

bool COutSortList::read_energylist(const std::string& file) {
    return detail::read_energy_list(file, entries, count);
}

void COutSortList::out_all(const std::string& file) const {
    detail::write_all_records(file, entries, count);
}

bool COutSortList::out_unique(const std::string& file) const {
    return detail::write_group_heads(file, entries, count);
}

std::string out_result_files(const COutSortList& list) {
    try {
        list.out_all(ALL_LIST_FILE);
    } catch (int) {
        return ALL_LIST_FILE;
    }
    return list.out_unique(UNIQUE_LIST_FILE) ? "" : UNIQUE_LIST_FILE;
}
