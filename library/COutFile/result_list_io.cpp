#include "COutFile/result_list.h"

#include <fstream>
#include <iostream>
#include <sstream>

#include "detail/text_io.h"

using detail::open_readable;
using detail::skip_line;

bool COutSortList::read_filelist(const std::string& file) {
    if (confsize <= 0) return false;
    std::ifstream list;
    if (!open_readable(list, file)) return false;

    int lines = 0;
    while (list.peek() != std::char_traits<char>::eof()) {
        skip_line(list);
        ++lines;
    }
    reinstall(confsize, lines);
    list.clear();
    list.seekg(0);

    std::ofstream errors(ERROR_FILE, std::ios::trunc);
    if (!errors) return false;
    left_out_list.clear();

    int i = 1;
    while (i <= count) {
        std::string output;
        const bool named = static_cast<bool>(list >> output);
        std::cout << output << '\n';
        skip_line(list);
        if (!named) break;
        const ResultReadStatus status = entries[i].read_info(output, confsize);
        if (status.ok()) {
            ++i;
        } else {
            errors << output << '\n';
            left_out_list.push_back({"", output, status.reason(confsize)});
        }
        if (list.peek() == std::char_traits<char>::eof()) break;
    }
    // A full disk shows at the latest when the last buffered names are written out.
    errors.close();
    error_file_complete = !errors.fail();
    count = i - 1;
    entries.resize(count > 0 ? static_cast<std::size_t>(count) + 1 : 0);
    std::cout.flush();
    return true;
}

bool COutSortList::read_energylist(const std::string& file) {
    count = 0;
    entries.clear();
    if (file.empty()) return false;
    std::ifstream in(file);
    if (!in) return false;

    int lines = 0;
    std::string line;
    while (std::getline(in, line)) ++lines;
    reinstall(confsize, lines);
    in.clear();
    in.seekg(0);

    // One result per line: name, energy, dipole; the group column and the rest are
    // ignored. The list ends at the first line without them.
    int read = 0;
    while (read < lines && std::getline(in, line)) {
        std::istringstream fields(line);
        COutSort& result = entries[read + 1];
        if (!(fields >> result.name >> result.energy >> result.dipole)) {
            result.clear();
            break;
        }
        ++read;
    }
    count = read;
    entries.resize(count > 0 ? static_cast<std::size_t>(count) + 1 : 0);
    return true;
}

void COutSortList::out_all(const std::string& file) const {
    std::ofstream out(file, std::ios::trunc);
    if (!out) throw count;
    out << *this;
    out.close();
    if (!out) throw count;
}

bool COutSortList::out_unique(const std::string& file) const {
    if (file.empty()) return false;
    std::ofstream out(file, std::ios::trunc);
    if (!out) return false;
    int wanted = 1;
    for (int i = 1; i <= count; ++i) {
        if (entries[i].group == wanted) {
            out << entries[i];
            ++wanted;
        }
    }
    out.close();
    return static_cast<bool>(out);
}

std::string out_result_files(const COutSortList& list) {
    try {
        list.out_all(ALL_LIST_FILE);
    } catch (int) {
        return ALL_LIST_FILE;
    }
    return list.out_unique(UNIQUE_LIST_FILE) ? "" : UNIQUE_LIST_FILE;
}
