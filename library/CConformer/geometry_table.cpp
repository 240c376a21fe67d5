#include "CConformer/basic_conformer.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <string>
#include <type_traits>

#include "detail/text_io.h"
#include "myfile.h"

using detail::skip_line;

namespace {

const char* const STANDARD_ORIENTATION = "Standard orientation:";

// Lines between "Standard orientation:" and the first atom row of the table:
// the rest of the title line, a dashed rule, two heading lines, a second dashed rule.
const int ORIENTATION_HEAD_LINES = 5;

// Powers of ten that a double holds exactly.
const double EXACT_POWERS_OF_TEN[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                      1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

// A geometry row holds plain decimals such as "-1.064752": their digits, read as one
// whole number, and a division by the power of ten of the point's place give the
// correctly rounded value (both are exact doubles below 10^15, and one division rounds
// once), the value any conversion gives. Anything else (more digits, an exponent) goes
// to from_chars.
bool plain_decimal(const char*& p, const char* end, double& value) {
    const char* q = p;
    const bool negative = q < end && *q == '-';
    if (negative) ++q;
    long long digits = 0;
    int count = 0;
    int decimals = -1;
    for (; q < end; ++q) {
        if (*q >= '0' && *q <= '9') {
            digits = digits * 10 + (*q - '0');
            ++count;
            if (decimals >= 0) ++decimals;
        } else if (*q == '.' && decimals < 0) {
            decimals = 0;
        } else {
            break;
        }
    }
    const bool exponent = q < end && (*q == 'e' || *q == 'E');
    if (count == 0 || count > 15 || exponent) return false;
    const double magnitude =
        static_cast<double>(digits) / EXACT_POWERS_OF_TEN[std::max(decimals, 0)];
    value = negative ? -magnitude : magnitude;
    p = q;
    return true;
}

// Reads the next number of a geometry row, after any white space; the number ends at the
// first character that cannot continue it, as with stream extraction.
template <class Number>
bool next_number(const char*& p, const char* end, Number& value) {
    while (p < end && (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n')) ++p;
    if constexpr (std::is_same_v<Number, double>) {
        if (plain_decimal(p, end, value)) return true;
    } else {
        // Centre numbers, atomic numbers and types are a few digits.
        int digits = 0;
        Number whole = 0;
        const char* q = p;
        while (q < end && *q >= '0' && *q <= '9' && digits < 9) {
            whole = whole * 10 + (*q - '0');
            ++q;
            ++digits;
        }
        if (digits > 0 && digits < 9 && (q == end || *q < '0' || *q > '9')) {
            value = whole;
            p = q;
            return true;
        }
    }
    const std::from_chars_result result = std::from_chars(p, end, value);
    if (result.ec != std::errc()) return false;
    p = result.ptr;
    return true;
}

}  // namespace

bool CBasicConformer::read_xyz_inout(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return in && read_xyz_inout(in);
}

bool CBasicConformer::read_xyz_inout(std::istream& in) {
    // An optimisation prints one table per step; the last is the final geometry. A job run
    // without symmetry prints only "Input orientation:" tables, and then there is no
    // geometry to take.
    if (!file_find_linux(in, STANDARD_ORIENTATION, -1, std::ios::end)) return false;
    //                          Standard orientation:
    //  ---------------------------------------------------------------------
    //  Center     Atomic      Atomic             Coordinates (Angstroms)
    //  Number     Number       Type             X           Y           Z
    //  ---------------------------------------------------------------------
    for (int line = 0; line < ORIENTATION_HEAD_LINES; ++line) skip_line(in);

    // "      1          6           0        0.269481    1.410087    0.000000":
    // centre number, atomic number, atomic type, then x, y, z. Only the atomic number
    // names the element. A table shorter than the molecule runs into the closing dashed
    // rule, where the row does not parse. Rows from Windows copies end in "\r", which is
    // white space here.
    int read = 0;
    std::string row;
    while (read < size && std::getline(in, row)) {
        const char* p = row.data();
        const char* const end = p + row.size();
        int centre = 0;
        int atomic_number = 0;
        int atomic_type = 0;
        CVECTOR position;
        if (!(next_number(p, end, centre) && next_number(p, end, atomic_number) &&
              next_number(p, end, atomic_type) && next_number(p, end, position.x) &&
              next_number(p, end, position.y) && next_number(p, end, position.z)))
            break;
        ++read;
        elements[read] = CELEMENT(atomic_number);
        xyz[read] = position;
    }
    if (read < size) {
        reinstall(size);
        return false;
    }
    return true;
}
