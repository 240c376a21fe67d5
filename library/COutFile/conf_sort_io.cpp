#include "COutFile/conf_sort.h"

#include "COutFile/result_list.h"
#include "record_list.h"

using namespace confsearch;

bool CConfSortList::read_filelist(const std::string& file) {
    return detail::read_listed_outputs(
               file, ERROR_FILE, entries, count,
               [](CConfSort& result, const std::string& name) {
                   return result.get_info(name) ? ReadError{} : ReadError{"unreadable"};
               },
               [](const std::string&, const ReadError&) {})
        .listed;
}

bool CConfSortList::read_energylist(const std::string& file) {
    return detail::read_energy_list(file, entries, count);
}

void CConfSortList::out_all(const std::string& file) const {
    detail::write_all_records(file, entries, count);
}

bool CConfSortList::out_unique(const std::string& file) const {
    return detail::write_group_heads(file, entries, count);
}
