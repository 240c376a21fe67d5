#include "CConformer/basic_conformer.h"

#include <cctype>
#include <fstream>
#include <locale>
#include <sstream>
#include <string>

#include "detail/text_io.h"
#include "myfile.h"

using detail::skip_line;

namespace {

// Lines between the title of an orientation table and its first atom row: the rest of
// the title line, a dashed rule, two heading lines, a second dashed rule.
//                          Standard orientation:
//  ---------------------------------------------------------------------
//  Center     Atomic      Atomic             Coordinates (Angstroms)
//  Number     Number       Type             X           Y           Z
//  ---------------------------------------------------------------------
const int ORIENTATION_HEAD_LINES = 5;

// One atom row: "      1          6           0        0.269481    1.410087    0.000000",
// centre number, atomic number, atomic type, then x, y, z in angstrom.
struct Row {
    int centre = 0;
    int atomic_number = 0;
    int atomic_type = 0;
    CVECTOR position;
};

// The reference reading of a row: three ints and three doubles as formatted extraction
// reads them in the classic locale (signs, exponents and underflow taken; no nan, inf or
// hexadecimal forms; numbers need not be parted by blanks: "-1000.123456-200.123456"
// are two), then nothing but white space before the line end.
bool read_row_exactly(const std::string& text, Row& row) {
    std::istringstream in(text);
    in.imbue(std::locale::classic());
    if (!(in >> row.centre >> row.atomic_number >> row.atomic_type >> row.position.x >>
          row.position.y >> row.position.z))
        return false;
    in >> std::ws;
    return in.eof();
}

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// Powers of ten that a double holds exactly.
const double EXACT_POWERS_OF_TEN[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                      1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
const int MAX_PLAIN_DIGITS = 15;

// A plain decimal such as "-1.064752" standing alone between blanks: its digits, read as
// one whole number, and a division by the power of ten of the point's place give the
// correctly rounded value (both are exact doubles below 10^15, and one division rounds
// once), the value strtod gives. Anything else (more digits, a sign '+', an exponent, a
// character that is not a blank after it) is left to the reference reading.
bool plain_decimal(const char*& p, const char* end, double& value) {
    const char* q = p;
    const bool negative = q < end && *q == '-';
    if (negative) ++q;
    long long digits = 0;
    int count = 0;
    int decimals = -1;
    for (; q < end; ++q) {
        if (*q >= '0' && *q <= '9') {
            if (++count > MAX_PLAIN_DIGITS) return false;
            digits = digits * 10 + (*q - '0');
            if (decimals >= 0) ++decimals;
        } else if (*q == '.' && decimals < 0) {
            decimals = 0;
        } else {
            break;
        }
    }
    if (count == 0 || (q < end && !is_blank(*q))) return false;
    const double magnitude =
        static_cast<double>(digits) / EXACT_POWERS_OF_TEN[decimals > 0 ? decimals : 0];
    value = negative ? -magnitude : magnitude;
    p = q;
    return true;
}

// A small unsigned whole number standing alone between blanks, as centre numbers,
// atomic numbers and types are.
bool plain_whole(const char*& p, const char* end, int& value) {
    const char* q = p;
    int whole = 0;
    int count = 0;
    while (q < end && *q >= '0' && *q <= '9' && count < 9) {
        whole = whole * 10 + (*q - '0');
        ++q;
        ++count;
    }
    if (count == 0 || (q < end && !is_blank(*q))) return false;
    value = whole;
    p = q;
    return true;
}

void skip_blanks(const char*& p, const char* end) {
    while (p < end && is_blank(*p)) ++p;
}

// Reads a row the fast way when every field is a plain number between blanks (the rows
// Gaussian writes), and the reference way otherwise; both give the same values.
bool read_row(const std::string& text, Row& row) {
    const char* p = text.data();
    const char* const end = p + text.size();
    bool plain = true;
    for (int* field : {&row.centre, &row.atomic_number, &row.atomic_type}) {
        skip_blanks(p, end);
        plain = plain && plain_whole(p, end, *field);
    }
    for (double* field : {&row.position.x, &row.position.y, &row.position.z}) {
        skip_blanks(p, end);
        plain = plain && plain_decimal(p, end, *field);
    }
    skip_blanks(p, end);
    if (plain && p == end) return true;
    return read_row_exactly(text, row);
}

// The dashed rule that closes a table (" ------...").
bool is_rule(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    return first != std::string::npos && text[first] == '-' &&
           text.find_first_not_of("- \t\r", first) == std::string::npos;
}

}  // namespace

GeometryTableStatus CBasicConformer::read_geometry_table(std::istream& in,
                                                         const std::string& title) {
    // An optimisation prints one table per step; the last is the final geometry.
    if (!file_find_linux(in, title, -1, std::ios::end)) return {GeometryTableStatus::no_table, 0};
    for (int line = 0; line < ORIENTATION_HEAD_LINES; ++line) skip_line(in);

    // Only the atomic number names the element. Rows from Windows copies end in "\r",
    // which is white space here.
    int read = 0;
    std::string text;
    Row row;
    GeometryTableStatus status;
    while (read < size) {
        if (!std::getline(in, text)) {
            status = {GeometryTableStatus::cut_short, read};
            break;
        }
        if (read_row(text, row)) {
            ++read;
            elements[read] = CELEMENT(row.atomic_number);
            xyz[read] = row.position;
            continue;
        }
        if (is_rule(text))
            status = {GeometryTableStatus::other_size, read};
        else if (in.eof())
            status = {GeometryTableStatus::cut_short, read};
        else
            status = {GeometryTableStatus::damaged_row, read + 1};
        break;
    }
    // After the last atom the table must close: more atom rows are another molecule, of
    // which these atoms would be only the first part. (A file that ends right after the
    // last row has lost its closing rule, not its atoms.)
    if (status.outcome == GeometryTableStatus::read && std::getline(in, text) && !is_rule(text)) {
        if (!read_row(text, row)) {
            status = {GeometryTableStatus::damaged_row, size + 1};
        } else {
            int rows = size + 1;
            while (std::getline(in, text) && read_row(text, row)) ++rows;
            status = {GeometryTableStatus::other_size, rows};
        }
    }
    if (status.outcome != GeometryTableStatus::read) reinstall(size);
    return status;
}

bool CBasicConformer::read_xyz_inout(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return in && read_xyz_inout(in);
}

bool CBasicConformer::read_xyz_inout(std::istream& in) {
    // A job run without symmetry prints only "Input orientation:" tables, and then there
    // is no geometry to take.
    return read_geometry_table(in, STANDARD_ORIENTATION).outcome == GeometryTableStatus::read;
}
