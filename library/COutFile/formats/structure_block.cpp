#include "structure_block.h"

#include <utility>

#include "COutFile/formats/output_text.h"
#include "format_fields.h"
#include "format_messages.h"

namespace confsearch::detail {

namespace {

// xtb's bohr: coordinates of a $coord block are converted with its own constant, so that
// they agree with the angstrom it writes elsewhere.
const double BOHR = 0.52917726;

// Limits a count line to what a molecule can have; a damaged file cannot ask for more.
const int MAX_ATOMS = 1000000;

// A block that ends (in a blank line or the end of the text) before its row-th atom.
ReadError cut_short(OutputText& text, std::size_t p, int row, int count) {
    return {structure_cut_reason(row - 1, count), text.line_number(p)};
}

// xyz: the atom count, a comment line, then one row per atom:
//     15
//      xtb: 6.5.1 (unknown)
//     C           -1.31002809481323       -0.97457577076835        0.10179423653762
ReadError read_xyz(OutputText& text, std::size_t at, int count, Structure& structure) {
    std::size_t p = text.next_line(text.next_line(at));
    for (int row = 1; row <= count; ++row) {
        if (p >= text.size() || trim(text.line(p)).empty()) return cut_short(text, p, row, count);
        std::string symbol;
        CVECTOR position;
        if (!symbol_xyz_row(text.line(p), symbol, position))
            return {structure_row_reason(row, STRUCTURE_XYZ_ROW), text.line_number(p)};
        structure.symbols.push_back(std::move(symbol));
        structure.positions.push_back(position);
        p = text.next_line(p);
    }
    return {};
}

// Turbomole, in bohr with the element last, up to the next "$" line (6.1 beta prints its
// final structure so; xtb writes so for a coord input):
//     $coord
//         3.63746460959338   -1.13165722798251    0.00000233068998      C
//     $end
ReadError read_coord(OutputText& text, std::size_t at, Structure& structure) {
    std::size_t p = text.next_line(at);
    for (int row = 1;; ++row) {
        if (p >= text.size()) return {STRUCTURE_NO_END, text.line_number(p)};
        const std::string_view line = trim(text.line(p));
        if (starts_with(line, "$")) break;
        const std::vector<std::string_view> w = words(line);
        CVECTOR bohr;
        const std::string symbol = w.size() == 4 ? element_symbol(w[3]) : "";
        if (symbol.empty() || !parse_number(w[0], bohr.x) || !parse_number(w[1], bohr.y) ||
            !parse_number(w[2], bohr.z))
            return {structure_row_reason(row, STRUCTURE_COORD_ROW), text.line_number(p)};
        structure.symbols.push_back(symbol);
        structure.positions.push_back(bohr * BOHR);
        p = text.next_line(p);
    }
    if (structure.symbols.empty()) return {STRUCTURE_NO_ATOM, text.line_number(at)};
    return {};
}

// MDL molfile V2000 (xtb writes so for an sdf or mol input): three header lines, the
// counts line, then x y z and the symbol first on each atom row:
//      15  0  0     0  0            999 V2000
//        -1.3100   -0.9746    0.1018 C   0  0  0  0  0  0  0  0  0  0  0  0
ReadError read_molfile(OutputText& text, std::size_t counts_at, Structure& structure) {
    const std::string_view counts = text.line(counts_at);
    int count = 0;
    if (counts.size() < 3 || !parse_int(trim(counts.substr(0, 3)), count) || count < 1)
        return {STRUCTURE_NO_COUNT, text.line_number(counts_at)};
    std::size_t p = text.next_line(counts_at);
    for (int row = 1; row <= count; ++row) {
        if (p >= text.size() || trim(text.line(p)).empty()) return cut_short(text, p, row, count);
        const std::vector<std::string_view> w = words(text.line(p));
        CVECTOR position;
        const std::string symbol = w.size() >= 4 ? element_symbol(w[3]) : "";
        if (symbol.empty() || !parse_number(w[0], position.x) || !parse_number(w[1], position.y) ||
            !parse_number(w[2], position.z))
            return {structure_row_reason(row, STRUCTURE_COORD_ROW), text.line_number(p)};
        structure.symbols.push_back(symbol);
        structure.positions.push_back(position);
        p = text.next_line(p);
    }
    return {};
}

}  // namespace

bool same_structure(const Structure& a, const Structure& b) {
    if (a.symbols != b.symbols) return false;
    for (std::size_t i = 0; i < a.positions.size(); ++i)
        if (a.positions[i].x != b.positions[i].x || a.positions[i].y != b.positions[i].y ||
            a.positions[i].z != b.positions[i].z)
            return false;
    return true;
}

ReadError read_structure(OutputText& text, std::size_t at, Structure& structure) {
    structure = {};
    const std::string_view first = trim(text.line(at));
    if (first == "$coord") return read_coord(text, at, structure);
    int count = 0;
    if (parse_int(first, count)) {
        if (count < 1 || count > MAX_ATOMS)
            return {structure_count_reason(count), text.line_number(at)};
        return read_xyz(text, at, count, structure);
    }
    std::size_t counts_at = at;
    for (int i = 0; i < 3 && counts_at < text.size(); ++i) counts_at = text.next_line(counts_at);
    const std::string_view counts = trim(text.line(counts_at));
    if (counts.size() >= 5 && counts.substr(counts.size() - 5) == "V2000")
        return read_molfile(text, counts_at, structure);
    return {STRUCTURE_UNKNOWN_FORM, text.line_number(at)};
}

}  // namespace confsearch::detail
