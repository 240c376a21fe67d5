#include "COutFile/collection_file.h"

#include <fstream>
#include <iostream>
#include <sstream>

#include "COutFile/result_list.h"
#include "detail/text_io.h"
#include "myfile.h"

namespace confsearch {

using confsearch::detail::open_readable;
using confsearch::detail::skip_line;

namespace {

const char* const MSG_CANNOT_OPEN = "cannot open file : ";
const char* const MSG_BAD_RECORD = "cannot read record: ";
const char* const MSG_CUT_RECORD = "the file ends inside this record: no separator line after it";

// The separator without its closing RECORD_END, at which the blocks are cut.
const std::string SEPARATOR_RULE = COLLECTION_SEPARATOR.substr(0, COLLECTION_SEPARATOR.size() - 1);

bool is_blank(const std::string& text) {
    return text.find_first_not_of(" \t\r\n") == std::string::npos;
}

// Reads the next block of a collection file: the text up to the separator
// "---------------------------------@" (excluded) and the rest of the separator's line.
// A record text never holds "@" (the collector cuts records there), so the separator is
// found even when a record did not end its last line. Returns false at the end of the
// file when nothing but white space is left; closed says whether the block ended at a
// separator rather than at the end of the file.
bool next_block(std::istream& in, std::string& block, bool& closed) {
    block.clear();
    closed = false;
    std::string piece;
    while (std::getline(in, piece, RECORD_END)) {
        block += piece;
        if (in.eof()) break;
        if (block.size() >= SEPARATOR_RULE.size() &&
            block.compare(block.size() - SEPARATOR_RULE.size(), SEPARATOR_RULE.size(),
                          SEPARATOR_RULE) == 0) {
            block.erase(block.size() - SEPARATOR_RULE.size());
            skip_line(in);
            closed = true;
            return true;
        }
        block += RECORD_END;
    }
    return !is_blank(block);
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
// Whether a line reads as an atom line: an element symbol and three numbers.
bool is_atom_line(const std::string& line) {
    std::istringstream in(line);
    std::string symbol;
    CVECTOR position;
    return in >> symbol >> position.x >> position.y >> position.z &&
           CELEMENT(symbol).get_number() != 0;
}

// The reason a record cannot be read, or "" when it was read.
std::string parse_record(const std::string& block, int atoms, COutSort& record) {
    std::istringstream in(block);
    std::string label;
    if (!(in >> label) || label.compare(0, COLLECTION_LABEL.size(), COLLECTION_LABEL) != 0)
        return "no " + COLLECTION_LABEL + " label";
    if (!(in >> record.name)) return "no record name";
    skip_line(in);
    skip_line(in);
    in.ignore(3);
    if (!(in >> record.energy)) return "no energy on the line of \"HF=\"";
    skip_line(in);
    skip_line(in);
    std::string token;
    CVECTOR moment;
    if (!(in >> token >> moment.x >> moment.y >> moment.z))
        return "no dipole vector on the line of \"Dipole=\"";
    record.dipole = moment.module();
    for (int line = 0; line < 3; ++line) skip_line(in);
    record.conformer.reinstall(atoms);
    for (int j = 1; j <= atoms; ++j) {
        std::string symbol;
        CVECTOR position;
        if (!(in >> symbol >> position.x >> position.y >> position.z))
            return "atom line " + std::to_string(j) + " of " + std::to_string(atoms) +
                   " cannot be read";
        record.conformer.set_exyz(j, CELEMENT(symbol), position);
    }
    // The atoms are followed by one free line before the separator; another atom line
    // there means a molecule with more atoms, of which these would be only a part.
    std::string next;
    skip_line(in);
    if (std::getline(in, next) && is_atom_line(next))
        return "more than " + std::to_string(atoms) + " atoms: an atom line follows atom " +
               std::to_string(atoms);
    return "";
}

// First token of a block, to name a record that could not be read.
std::string block_label(const std::string& block) {
    std::istringstream in(block);
    std::string label;
    in >> label;
    if (!label.empty() && label.back() == ':') label.pop_back();
    return label;
}

}  // namespace

}  // namespace confsearch

using namespace confsearch;
using confsearch::detail::open_readable;

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
    bool closed = false;
    int blocks = 0;
    while (next_block(in, block, closed))
        if (!is_blank(block)) ++blocks;
    reinstall(atoms, blocks);

    in.clear();
    in.seekg(0);
    left_out_list.clear();
    int read = 0;
    while (read < blocks && next_block(in, block, closed)) {
        if (is_blank(block)) continue;
        COutSort& record = entries[read + 1];
        std::string reason = parse_record(block, atoms, record);
        // The collector closes every block with its separator line: a last block without
        // one is a collection cut off, and its last number may have lost digits
        // ("H  -0.636879  -0.797906  1.325").
        if (!closed) reason = MSG_CUT_RECORD;
        if (reason.empty()) {
            ++read;
        } else {
            left_out_list.push_back({block_label(block), record.name, reason});
            record.clear();
            std::cout << MSG_BAD_RECORD << block_label(block) << std::endl;
        }
    }
    count = read;
    entries.resize(count > 0 ? static_cast<std::size_t>(count) + 1 : 0);
    return true;
}
