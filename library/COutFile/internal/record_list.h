// What the two result lists (with and without geometry) do alike, over any record with a
// name, an energy, a dipole length, a group and the one-line text form: the energy sort,
// the grouping pass, the result files and the readers of list files and energy lists.
// Lists keep their records 1-based in a vector whose entry 0 is the sort's scratch slot.
#pragma once

#include <cmath>
#include <fstream>
#include <iostream>
#include <ostream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "detail/text_io.h"
#include "myfile/read_error.h"

namespace confsearch::detail {

// The storage of a list of count records: entries 0..count, or none for an empty list.
// A negative count is thrown before anything changes.
template <class Record>
void size_records(std::vector<Record>& entries, int count) {
    if (count < 0) throw count;
    entries.clear();
    if (count > 0) entries.resize(static_cast<std::size_t>(count) + 1);
}

// Records 1..count of from, as the whole storage of to.
template <class Record>
void copy_records(std::vector<Record>& to, const std::vector<Record>& from, int count) {
    size_records(to, count);
    for (int i = 1; i <= count; ++i) to[i] = from[i];
}

// Records 1..more of from appended to the count records of entries; count grows by more.
// from may be entries itself: its records 1..more lie before the ones written.
template <class Record>
void append_records(std::vector<Record>& entries, int& count, const std::vector<Record>& from,
                    int more) {
    const int total = count + more;
    if (total > 0) entries.resize(static_cast<std::size_t>(total) + 1);
    for (int i = 1; i <= more; ++i) entries[static_cast<std::size_t>(count + i)] = from[i];
    count = total;
}

// Record i of a list of count, 1-based; a position outside 1..count is thrown.
template <class Records>
auto& record_at(Records& entries, int count, int i) {
    if (i < 1 || i > count) throw i;
    return entries[static_cast<std::size_t>(i)];
}

// One partitioning step of the energy sort on positions low..high; returns the pivot's
// final position. The order of equal energies is the one these exact steps give.
template <class Record>
int partition_by_energy(std::vector<Record>& entries, int low, int high) {
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

// Sorts positions low..high by ascending energy; not stable.
template <class Record>
void sort_by_energy(std::vector<Record>& entries, int low, int high) {
    // Recursing into the shorter side only keeps the stack shallow even for lists of
    // equal energies; the two sides are disjoint, so the order is the same.
    while (low < high) {
        const int p = partition_by_energy(entries, low, high);
        if (p - low < high - p) {
            sort_by_energy(entries, low, p - 1);
            low = p + 1;
        } else {
            sort_by_energy(entries, p + 1, high);
            high = p - 1;
        }
    }
}

// What the grouping pass prints on standard output per comparison.
enum class GroupMessages {
    none,
    // "Energy diff!" at the end of a group's window, an empty line for a different
    // result, "Identical !" for a duplicate.
    verdicts,
    // The same, each after "<j>(<group>)  <name j>  <name of head>  ".
    progress,
};

inline const char* const MSG_ENERGY_DIFF = "Energy diff!";
inline const char* const MSG_IDENTICAL = "Identical !";

// The grouping pass on a list sorted by ascending energy: each head collects the later
// results within energy_tol of it that differ(candidate, head) does not tell apart; the
// others are held back and put behind the duplicates in the order met, and the first of
// them heads the next group. Groups are numbered 1, 2, ... in list order.
template <class Record, class Differ>
void group_duplicates(std::vector<Record>& entries, int count, double energy_tol,
                      GroupMessages messages, Differ differ) {
    const bool verdicts = messages != GroupMessages::none;
    std::vector<Record> held;
    held.reserve(static_cast<std::size_t>(count));
    int g = 1;
    int i = 1;
    while (i <= count) {
        entries[i].group = g;
        held.clear();
        int k = 0;
        int j = i + 1;
        for (; j <= count; ++j) {
            if (messages == GroupMessages::progress)
                std::cout << j << "(" << g << ")  " << entries[j].name << "  " << entries[i].name
                          << "  ";
            if (std::fabs(entries[j].energy - entries[i].energy) > energy_tol) {
                if (verdicts) std::cout << MSG_ENERGY_DIFF << '\n';
                break;
            }
            if (differ(entries[j], entries[i])) {
                if (verdicts) std::cout << '\n';
                ++k;
                held.push_back(std::move(entries[j]));
            } else {
                if (k > 0) entries[j - k] = std::move(entries[j]);
                if (verdicts) std::cout << MSG_IDENTICAL << '\n';
                entries[j - k].group = g;
            }
        }
        for (int m = 1; m <= k; ++m) entries[j - m] = std::move(held[k - m]);
        ++g;
        i = j - k;
    }
    if (verdicts) std::cout.flush();
}

// The result-file line: name, tab, energy, tab, dipole, tab, group, line end, doubles with
// 12 significant digits (the precision stays set on the stream); flushed.
template <class Record>
std::ostream& write_result_line(std::ostream& out, const Record& result) {
    out.precision(12);
    out << result.name << '\t' << result.energy << '\t' << result.dipole << '\t' << result.group
        << std::endl;
    return out;
}

// Results 1..count, one result-file line each.
template <class Record>
void write_records(std::ostream& out, const std::vector<Record>& entries, int count) {
    for (int i = 1; i <= count; ++i) out << entries[i];
}

// The file of every result; throws the int count when it cannot be created or written.
template <class Record>
void write_all_records(const std::string& file, const std::vector<Record>& entries, int count) {
    if (!write_whole_file(file, [&](std::ostream& out) { write_records(out, entries, count); }))
        throw count;
}

// The positions of the first result of every group, the distinct conformers: going
// through the list, a result is taken when its group is the next one wanted.
template <class GroupOf>
std::vector<int> group_heads(int count, GroupOf group_of) {
    std::vector<int> heads;
    int wanted = 1;
    for (int i = 1; i <= count; ++i) {
        if (group_of(i) == wanted) {
            heads.push_back(i);
            ++wanted;
        }
    }
    return heads;
}

// The file of the first result of every group. False for a file that cannot be created
// or written.
template <class Record>
bool write_group_heads(const std::string& file, const std::vector<Record>& entries, int count) {
    return write_whole_file(file, [&](std::ostream& out) {
        for (const int i : group_heads(count, [&](int k) { return entries[k].group; }))
            out << entries[static_cast<std::size_t>(i)];
    });
}

// Lines of an open file, a last line without a line end included, however long they are.
inline int count_lines(std::istream& in) {
    int lines = 0;
    while (in.peek() != std::char_traits<char>::eof()) {
        skip_line(in);
        ++lines;
    }
    return lines;
}

// How the reading of a list of output files ended.
struct ListedOutputs {
    bool listed = false;              // the list was read and the error file created
    bool error_file_complete = true;  // every refused name was written to it
};

// Fills entries 1.. from the output files named in a list file, the first word of each
// line; read_one(record, name) reads one and returns why it was refused (a ReadError,
// ok() when it was read). Every name is echoed on standard output; refused ones are
// written to error_file, handed to refused(name, error), and their slot is reused. The list ends at
// the first line without a word. Sets count to the results read.
template <class Record, class ReadOne, class Refused>
ListedOutputs read_listed_outputs(const std::string& file, const std::string& error_file,
                                  std::vector<Record>& entries, int& count, ReadOne read_one,
                                  Refused refused) {
    std::ifstream list;
    if (!open_readable(list, file)) return {};
    const int lines = count_lines(list);
    count = lines;
    entries.assign(lines > 0 ? static_cast<std::size_t>(lines) + 1 : 0, Record());
    list.clear();
    list.seekg(0);

    std::ofstream errors(error_file, std::ios::trunc);
    if (!errors) return {};

    int i = 1;
    while (i <= count) {
        std::string output;
        const bool named = static_cast<bool>(list >> output);
        std::cout << output << '\n';
        skip_line(list);
        if (!named) break;
        const ReadError error = read_one(entries[i], output);
        if (error.ok()) {
            ++i;
        } else {
            errors << output << '\n';
            refused(output, error);
        }
        if (list.peek() == std::char_traits<char>::eof()) break;
    }
    count = i - 1;
    entries.resize(count > 0 ? static_cast<std::size_t>(count) + 1 : 0);
    std::cout.flush();
    // A full disk shows at the latest when the last buffered names are written out.
    errors.close();
    return {true, !errors.fail()};
}

// Fills names, energies and dipoles from an energy list: one result per line, a name,
// the energy and the dipole length, the rest of the line ignored (a result file's group
// column). The list ends at the first line without all three. Sets count to the results
// read (0 on failure); false for an empty name or a file that cannot be read.
template <class Record>
bool read_energy_list(const std::string& file, std::vector<Record>& entries, int& count) {
    count = 0;
    entries.clear();
    if (file.empty()) return false;
    std::ifstream in;
    if (!open_readable(in, file)) return false;

    const int lines = count_lines(in);
    entries.assign(lines > 0 ? static_cast<std::size_t>(lines) + 1 : 0, Record());
    in.clear();
    in.seekg(0);

    // A carriage return before the line end is white space to the extraction.
    int read = 0;
    std::string line;
    while (read < lines && std::getline(in, line)) {
        std::istringstream fields(line);
        Record& result = entries[read + 1];
        if (!(fields >> result.name >> result.energy >> result.dipole)) break;
        ++read;
    }
    count = read;
    entries.resize(count > 0 ? static_cast<std::size_t>(count) + 1 : 0);
    return true;
}

}  // namespace confsearch::detail
