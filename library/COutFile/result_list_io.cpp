#include "COutFile/result_list.h"

#include <iomanip>
#include <utility>

#include "record_list.h"

using namespace confsearch;

bool COutSortList::read_filelist(const std::string& file) {
    if (confsize <= 0) return false;
    left_out_list.clear();
    other_energies_list.clear();
    const detail::ListedOutputs listed = detail::read_listed_outputs(
        file, ERROR_FILE, entries, count,
        [this](COutSort& result, const std::string& name) {
            ResultReadStatus status = result.read_info(name, confsize, read_options);
            if (!status.ok()) return ReadError{status.reason(confsize), status.line()};
            if (!status.post_hf.empty())
                other_energies_list.push_back({name, std::move(status.post_hf)});
            return ReadError{};
        },
        [this](const std::string& name, const ReadError& error) {
            left_out_list.push_back({"", name, error.what, error.line});
        });
    error_file_complete = listed.error_file_complete;
    return listed.listed;
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

std::string confsearch::out_result_files(const COutSortList& list) {
    try {
        list.out_all(ALL_LIST_FILE);
    } catch (int) {
        return ALL_LIST_FILE;
    }
    return list.out_unique(UNIQUE_LIST_FILE) ? "" : UNIQUE_LIST_FILE;
}

bool confsearch::write_duplicates(const std::string& file,
                                  const std::vector<Duplicate>& duplicates) {
    return detail::write_whole_file(file, [&](std::ostream& out) {
        out << "# duplicate\tgroup head\tRMSD (angstrom)\n" << std::fixed << std::setprecision(4);
        for (const Duplicate& d : duplicates)
            out << d.name << '\t' << d.head << '\t' << d.rmsd
                << (d.mirrored ? "\tmirror image" : "") << '\n';
    });
}
