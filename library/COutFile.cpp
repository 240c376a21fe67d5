#include "COutFile.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iostream>
#include <limits>
#include <sstream>
#include <utility>

#include "myfile.h"

namespace {

const std::string ENERGY_KEY = "HF=";
const std::string DIPOLE_KEY = "Dipole=";
const std::string COLLECTION_LABEL = "NAME_";
const std::string COLLECTION_RULE = "---------------------------------";  // then "@"
const char* const MSG_CANNOT_OPEN = "cannot open file : ";
const char* const MSG_BAD_RECORD = "cannot read record: ";
const char* const MSG_ADD_DIFFERENT = "Error for adding different conformer!";
const char* const MSG_ENERGY_DIFF = "Energy diff!";
const char* const MSG_IDENTICAL = "Identical !";

using Pos = std::streamoff;

void skip_line(std::istream& in) { in.ignore(std::numeric_limits<std::streamsize>::max(), '\n'); }

bool is_wrap(int c) { return c == ' ' || c == '\n' || c == '\r'; }

Pos tell(std::istream& in) {
    return in.rdbuf()->pubseekoff(0, std::ios_base::cur, std::ios_base::in);
}

void seek(std::istream& in, Pos p) {
    in.clear();
    in.rdbuf()->pubseekpos(p, std::ios_base::in);
}

// Hands out the characters of a file one by one going backward from a position.
class BackwardChars {
public:
    BackwardChars(std::istream& in, Pos from) : in_(in), pos_(from) {}

    // The next character toward the start of the file, or EOF there.
    int next() {
        if (left_ == 0) {
            if (pos_ <= 0) return std::char_traits<char>::eof();
            const Pos n = std::min<Pos>(pos_, 256);
            pos_ -= n;
            buf_.resize(static_cast<std::size_t>(n));
            seek(in_, pos_);
            // A failed read throws from the file buffer; it ends the walk like the file start.
            try {
                if (in_.rdbuf()->sgetn(buf_.data(), n) != n) return std::char_traits<char>::eof();
            } catch (...) {
                return std::char_traits<char>::eof();
            }
            left_ = static_cast<std::size_t>(n);
        }
        return static_cast<unsigned char>(buf_[--left_]);
    }

    // Whether the walk has passed the first character of the stream.
    bool at_start() const { return pos_ <= 0 && left_ == 0; }

private:
    std::istream& in_;
    Pos pos_;
    std::string buf_;
    std::size_t left_ = 0;
};

// In the archive block at the end of an output file every entry follows the separator
// "\" ("|" in older versions), also where the block wraps:
//     \Version=ES64L-G16RevA.03\State=1-A\HF=-517.8751652\RMSD=4.413e-09\...
// The same letters occur elsewhere, inside other words:
//     Copying SCF densities to generalized density rwf, IOpCl= 0 IROHF=0.
//     Dipole        =-1.23456789D-01 ...        (force output)
// A job killed before it wrote its archive holds only those, so an occurrence ending at
// key_end counts only when the nearest character before it, wraps passed over, is a
// separator.
enum class Entry { yes, no, unknown };

// `whole_file` says whether the stream holds the whole file or only its end; in the
// latter the text before an occurrence may lie outside it, and then nothing is known.
Entry archive_entry(std::istream& in, Pos key_end, const std::string& key, bool whole_file) {
    BackwardChars text(in, key_end);
    const Entry cut_off = whole_file ? Entry::no : Entry::unknown;
    int c = 0;
    for (std::size_t k = key.size(); k > 0;) {
        c = text.next();
        if (c == std::char_traits<char>::eof()) return text.at_start() ? cut_off : Entry::no;
        if (c == static_cast<unsigned char>(key[k - 1]))
            --k;
        else if (!is_wrap(c))
            return Entry::no;
    }
    do {
        c = text.next();
    } while (is_wrap(c));
    if (c == '\\' || c == '|') return Entry::yes;
    return c == std::char_traits<char>::eof() && text.at_start() ? cut_off : Entry::no;
}

// Like file_find_ignore_linux, but passes over occurrences that are not archive entries.
// Gives up on an occurrence whose standing cannot be told.
bool find_archive_entry(std::istream& in, const std::string& key, int direction,
                        std::ios_base::seekdir start, bool whole_file) {
    if (in.fail()) return false;
    const Pos at_call = tell(in);
    std::ios_base::seekdir from = start;
    while (file_find_ignore_linux(in, key, direction, from)) {
        const Pos end = tell(in);
        const Entry entry = archive_entry(in, end, key, whole_file);
        if (entry == Entry::unknown) break;
        // Forward the search goes on after this occurrence; backward, it wants one that
        // ends before this one does.
        seek(in, entry == Entry::yes || direction == 1 ? end : end - 1);
        if (entry == Entry::yes) return true;
        from = std::ios_base::cur;
    }
    seek(in, at_call);
    return false;
}

// The energy, dipole and final geometry of an output file, from a stream holding the
// whole file or its end. The archive's last "HF=" is the final energy (a relaxed scan
// lists one value per point there, "HF=-382.3082666,-382.3081,...", and the first is
// read); the dipole is the first "Dipole=" after it, "Dipole=0.1,-0.2,0.3".
bool read_result(std::istream& in, int atoms, bool whole_file, COutSort& result) {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
    const bool values = find_archive_entry(in, ENERGY_KEY, -1, std::ios_base::end, whole_file) &&
                        read_number_ignore(in, result.energy) &&
                        find_archive_entry(in, DIPOLE_KEY, 1, std::ios_base::cur, whole_file) &&
                        read_number_ignore(in, x) && in.ignore(1) && read_number_ignore(in, y) &&
                        in.ignore(1) && read_number_ignore(in, z);
    if (!values) return false;
    result.dipole = std::sqrt(x * x + y * y + z * z);
    result.conformer.reinstall(atoms);
    return result.conformer.read_xyz_inout(in);
}

// The final geometry, the archive and what lies between fit in the last few kilobytes of
// an optimisation output, however long the optimisation ran. They are read from there
// in one piece; a file whose final table lies further back (a frequency job prints its
// long analysis after it) is searched as a whole.
const Pos TAIL_BYTES = 16 * 1024;

bool is_blank(const std::string& text) {
    return text.find_first_not_of(" \t\r\n") == std::string::npos;
}

// Reads the next block of a collection file: the text up to the separator
// "---------------------------------@" (excluded) and the rest of the separator's line.
// A record text never holds "@" (the collector cuts records there), so the separator is
// found even when a record did not end its last line. Returns false at the end of the
// file when nothing but white space is left.
bool next_block(std::istream& in, std::string& block) {
    block.clear();
    std::string piece;
    while (std::getline(in, piece, '@')) {
        block += piece;
        if (in.eof()) break;
        if (block.size() >= COLLECTION_RULE.size() &&
            block.compare(block.size() - COLLECTION_RULE.size(), COLLECTION_RULE.size(),
                          COLLECTION_RULE) == 0) {
            block.erase(block.size() - COLLECTION_RULE.size());
            skip_line(in);
            return true;
        }
        block += '@';
    }
    return !is_blank(block);
}

// Opens a file for reading and tells whether it can be read: a directory opens like a
// file on Linux and fails only at the first read.
bool open_readable(std::ifstream& in, const std::string& file) {
    in.open(file, std::ios::binary);
    if (!in.is_open()) return false;
    in.peek();
    const bool readable = !in.bad();
    in.clear();
    return readable;
}

// Reads one collection record laid out as the collector writes it:
//     NAME_3: conf03.log                 label and record name
//      B3LYP/6-31G(d) opt                (any text)
//     HF=-233.6604512                    three characters, then the energy
//      ...                               (any text)
//     Dipole= 0.2100 -0.4310 0.1020      a token, then the dipole vector
//      ...                               (two lines of any text)
//      ...
//     C   -1.234567   0.456789   0.012345   one line per atom
//      ...                               (any text)
bool parse_record(const std::string& block, int atoms, COutSort& record) {
    std::istringstream in(block);
    std::string label;
    if (!(in >> label) || label.compare(0, COLLECTION_LABEL.size(), COLLECTION_LABEL) != 0)
        return false;
    if (!(in >> record.name)) return false;
    skip_line(in);
    skip_line(in);
    in.ignore(3);
    if (!(in >> record.energy)) return false;
    skip_line(in);
    skip_line(in);
    std::string token;
    CVECTOR moment;
    if (!(in >> token >> moment.x >> moment.y >> moment.z)) return false;
    record.dipole = moment.module();
    for (int line = 0; line < 3; ++line) skip_line(in);
    record.conformer.reinstall(atoms);
    for (int j = 1; j <= atoms; ++j) {
        std::string symbol;
        CVECTOR position;
        if (!(in >> symbol >> position.x >> position.y >> position.z)) return false;
        record.conformer.set_exyz(j, CELEMENT(symbol), position);
    }
    return true;
}

// First token of a block, to name a record that could not be read.
std::string block_label(const std::string& block) {
    std::istringstream in(block);
    std::string label;
    in >> label;
    if (!label.empty() && label.back() == ':') label.pop_back();
    return label;
}

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

// ---------------------------------------------------------------- COutSort

COutSort::COutSort() { clear(); }

void COutSort::clear() {
    name.clear();
    energy = 0.0;
    dipole = 0.0;
    group = 0;
    conformer.reinstall(0);
}

bool COutSort::get_info(const std::string& file, int atoms) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return false;
    name = file;

    in.seekg(0, std::ios::end);
    const Pos size = in.tellg();
    const Pos length = std::min(std::max<Pos>(size, 0), TAIL_BYTES);
    // One scratch buffer serves every file of a run: sizing it afresh for each would clear
    // it first, which costs as much as reading it.
    static thread_local std::string tail;
    tail.resize(static_cast<std::size_t>(length));
    in.seekg(size - length);
    in.read(tail.data(), length);
    const bool have_tail = length > 0 && in.gcount() == length;
    const bool tail_is_file = have_tail && length == size;

    bool valid = false;
    if (have_tail) {
        MemoryBuffer buffer(tail.data(), tail.size());
        std::istream tail_in(&buffer);
        valid = read_result(tail_in, atoms, tail_is_file, *this);
    }
    if (!valid && !tail_is_file) {
        in.clear();
        valid = read_result(in, atoms, true, *this);
    }
    if (!valid) clear();
    return valid;
}

void COutSort::calc_D(int reference_atom) {
    class_count = 4;
    std::array<int, 15> atoms_in_class{};
    D.fill(0.0);
    const CVECTOR c = conformer.get_vector(reference_atom);
    for (int a = 1; a <= conformer.get_size(); ++a) {
        const std::string symbol = conformer.get_element(a).get_symbol();
        const int k = symbol.empty() ? 0 : index(symbol[0]);
        const CVECTOR d = conformer.get_vector(a) - c;
        ++atoms_in_class[k];
        D[k] += (d.x * d.x + d.y * d.y) + d.z * d.z;
    }
    for (int k = 1; k <= class_count; ++k)
        if (atoms_in_class[k] > 0) D[k] /= atoms_in_class[k];
}

bool COutSort::equal_D(const COutSort& other, double tolerance) const {
    for (int k = 1; k <= class_count; ++k)
        if (std::fabs(D[k] - other.D[k]) > tolerance) return false;
    return true;
}

std::ostream& operator<<(std::ostream& out, const COutSort& result) {
    out.precision(12);
    out << result.name << '\t' << result.energy << '\t' << result.dipole << '\t' << result.group
        << std::endl;
    return out;
}

// ---------------------------------------------------------------- COutSortList

COutSortList::COutSortList(int confsize, int count) { reinstall(confsize, count); }

COutSortList& COutSortList::operator=(const COutSortList& other) {
    if (this == &other) return *this;
    count = other.count;
    confsize = other.confsize;
    identity_rule = other.identity_rule;
    progress_text = other.progress_text;
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

    int i = 1;
    while (i <= count) {
        std::string output;
        const bool named = static_cast<bool>(list >> output);
        std::cout << output << '\n';
        skip_line(list);
        if (!named) break;
        if (entries[i].get_info(output, confsize))
            ++i;
        else
            errors << output << '\n';
        if (list.peek() == std::char_traits<char>::eof()) break;
    }
    count = i - 1;
    entries.resize(count > 0 ? static_cast<std::size_t>(count) + 1 : 0);
    std::cout.flush();
    return true;
}

bool COutSortList::read_collectf(const std::string& file, int atoms) {
    std::ifstream in;
    if (!open_readable(in, file)) {
        std::cout << MSG_CANNOT_OPEN << file << std::endl;
        return false;
    }
    if (!file_find_linux(in, COLLECTION_LABEL, -1, std::ios_base::end)) return false;

    // Every block is read, whatever the labels' numbers say: two collections joined into
    // one file restart their numbering, and no record may be lost for it.
    in.seekg(0);
    std::string block;
    int blocks = 0;
    while (next_block(in, block))
        if (!is_blank(block)) ++blocks;
    reinstall(atoms, blocks);

    in.clear();
    in.seekg(0);
    int read = 0;
    while (read < blocks && next_block(in, block)) {
        if (is_blank(block)) continue;
        COutSort& record = entries[read + 1];
        if (parse_record(block, atoms, record)) {
            ++read;
        } else {
            record.clear();
            std::cout << MSG_BAD_RECORD << block_label(block) << std::endl;
        }
    }
    count = read;
    entries.resize(count > 0 ? static_cast<std::size_t>(count) + 1 : 0);
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
    entries[low] = entries[0];
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

std::ostream& operator<<(std::ostream& out, const COutSortList& list) {
    for (int i = 1; i <= list.count; ++i) out << list.entries[i];
    return out;
}

std::string out_result_files(const COutSortList& list) {
    try {
        list.out_all(ALL_LIST_FILE);
    } catch (int) {
        return ALL_LIST_FILE;
    }
    return list.out_unique(UNIQUE_LIST_FILE) ? "" : UNIQUE_LIST_FILE;
}
