// Z-matrix rows and their frame: creation, accessors, the stream formats, the readers of
// the two connectivity files and the check files.
#include "CMyMath/zmatrix.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <iostream>

#include "detail/text_io.h"

using namespace confsearch;

using confsearch::detail::skip_line;

namespace {

// Reads an int standing on the current line. Blanks, tabs and the carriage return of a
// Windows line end are passed over, the line break is not: a row whose line ends before
// its last number is short, not completed from the next row.
bool read_int_on_line(std::istream& in, int& value) {
    int c = in.peek();
    while (c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f') {
        in.get();
        c = in.peek();
    }
    if (c == '\n' || c == std::char_traits<char>::eof()) return false;
    return static_cast<bool>(in >> value);
}

// Reads count ints from the next line of a connectivity file and passes over the rest of
// the line, a remark of any length that may hold numbers of its own:
//     5 2    C5 on C2; the ring bond 5-10 is left out, so 10 hangs on C9
bool read_line(std::istream& in, int* values, int count) {
    bool complete = true;
    for (int k = 0; k < count && complete; ++k) complete = read_int_on_line(in, values[k]);
    skip_line(in);
    return complete;
}

}  // namespace

CZ_VECTOR::CZ_VECTOR(int bond_ref, double bond_length, int angle_ref, double bond_angle,
                     int dihedral_ref, double dihedral_angle)
    : bond_ref(bond_ref),
      bond_length(bond_length),
      angle_ref(angle_ref),
      bond_angle(bond_angle),
      dihedral_ref(dihedral_ref),
      dihedral_angle(dihedral_angle) {}

std::ostream& operator<<(std::ostream& out, const CZ_VECTOR& row) {
    return out << row.bond_ref << ' ' << row.bond_length << ' ' << row.angle_ref << ' '
               << row.bond_angle << ' ' << row.dihedral_ref << ' ' << row.dihedral_angle;
}

std::istream& operator>>(std::istream& in, CZ_VECTOR& row) {
    return in >> row.bond_ref >> row.bond_length >> row.angle_ref >> row.bond_angle >>
           row.dihedral_ref >> row.dihedral_angle;
}

CZMATRIX::CZMATRIX(int n) { reinstall(n); }

void CZMATRIX::reinstall(int n) {
    if (n < 0) throw n;
    const std::size_t entries = n > 0 ? static_cast<std::size_t>(n) + 1 : 0;
    rows.assign(entries, CZ_VECTOR());
    order.assign(entries, 0);
    links.assign(entries, std::array<int, MAX_LINKS>{});
    trig.assign(entries, RowTrig());
    size = n;
}

void CZMATRIX::clear() {
    if (size == 0) return;
    reinstall(size);
}

CZ_VECTOR& CZMATRIX::operator[](int i) {
    if (i < 1 || i > size) throw i;
    return rows[i];
}

const CZ_VECTOR& CZMATRIX::operator[](int i) const {
    if (i < 1 || i > size) throw i;
    return rows[i];
}

int CZMATRIX::get_order(int i) const {
    if (size == 0) throw 0;
    if (i < 1 || i > size) throw i;
    return order[i];
}

void CZMATRIX::set_order(int i, int k) {
    if (i < 1 || i > size || k < 1 || k > size) throw size;
    order[i] = k;
}

CVECTOR CZMATRIX::get_origin() const {
    if (size == 0) throw 0;
    return CVECTOR(rows[1].bond_length, rows[1].bond_angle, rows[1].dihedral_angle);
}

void CZMATRIX::set_origin(const CVECTOR& p) {
    if (size == 0) throw 0;
    rows[1].bond_length = p.x;
    rows[1].bond_angle = p.y;
    rows[1].dihedral_angle = p.z;
}

double CZMATRIX::get_alfa() const {
    if (size == 0) throw 0;
    return size >= 2 ? rows[2].bond_angle : 0.0;
}

double CZMATRIX::get_bata() const {
    if (size == 0) throw 0;
    return size >= 2 ? rows[2].dihedral_angle : 0.0;
}

double CZMATRIX::get_gama() const {
    if (size == 0) throw 0;
    return size >= 3 ? rows[3].dihedral_angle : 0.0;
}

void CZMATRIX::set_orientation(double alfa, double bata, double gama) {
    if (size < 2) throw size;
    rows[2].bond_angle = alfa;
    rows[2].dihedral_angle = bata;
    if (size >= 3) rows[3].dihedral_angle = gama;
}

// The flags live in row 0, which no atom uses: values in bond_ref, linked in angle_ref,
// standardized in dihedral_ref; order[0] is the reordered flag.
bool CZMATRIX::has_values() const { return size > 0 && rows[0].bond_ref == 1; }
bool CZMATRIX::is_linked() const { return size > 0 && rows[0].angle_ref == 1; }
bool CZMATRIX::is_standardized() const { return size > 0 && rows[0].dihedral_ref == 1; }
bool CZMATRIX::is_reordered() const { return size > 0 && order[0] == 1; }

void CZMATRIX::refresh_trig(int i) {
    RowTrig& t = trig[i];
    const CZ_VECTOR& row = rows[i];
    if (t.angle != row.bond_angle) {
        t.angle = row.bond_angle;
        t.cos_angle = std::cos(t.angle);
        t.sin_angle = std::sin(t.angle);
    }
    if (t.dihedral != row.dihedral_angle) {
        t.dihedral = row.dihedral_angle;
        t.cos_dihedral = std::cos(t.dihedral);
        t.sin_dihedral = std::sin(t.dihedral);
    }
}

void CZMATRIX::refresh_trig() {
    for (int i = 1; i <= size; ++i) refresh_trig(i);
}

std::ostream& operator<<(std::ostream& out, const CZMATRIX& matrix) {
    const int n = matrix.get_size();
    if (n == 0) throw 0;
    // The origin goes through the vector's own output, which leaves 15 significant
    // digits set on the stream for everything after it.
    out << n << '\n'
        << '<' << matrix.get_origin() << ">\t(" << matrix.get_alfa() << ' ' << matrix.get_bata()
        << ' ' << matrix.get_gama() << ")\n";
    for (int i = 1; i <= n; ++i) out << i << '\t' << matrix[i] << '\n';
    return out;
}

std::istream& operator>>(std::istream& in, CZMATRIX& matrix) {
    const int n = matrix.size;
    int count = 0;
    if (in >> count) {
        if (count != n) throw n;
        if (count <= 0) return in;
        // Origin and orientation come first, but the rows read after them hold the same
        // slots (row 1's values, row 2's angle and dihedral, row 3's dihedral): the rows win.
        CVECTOR origin;
        double alfa = 0.0;
        double bata = 0.0;
        double gama = 0.0;
        if (in >> origin >> alfa >> bata >> gama) {
            matrix.set_origin(origin);
            matrix.set_orientation(alfa, bata, gama);
            for (int i = 1; i <= n; ++i) {
                int atom = 0;
                if (!(in >> atom >> matrix.rows[i])) break;
                matrix.set_order(i, atom);
            }
        }
    }
    if (!in) {
        matrix.reinstall(n);
        std::cerr << ZMATRIX_INPUT_ERROR << '\n';
        return in;
    }
    matrix.refresh_trig();
    return in;
}

// Both connectivity files have the atom count on the first line, then one line per row:
// the row's atom number and its references as atom numbers, as many as the row has (a
// link matrix: none for row 1, one for row 2, two for row 3, three from row 4; a link
// relation: the bond partner only). Atoms 3, 1, 2, 5, 4 of the molecule 3-1-2, with 4
// and 5 on atom 2, as rows 1 to 5:
//     5
//     3
//     1 3
//     2 1 3        (a link relation stops after "2 1")
//     5 2 1 3
//     4 2 1 5
// References the file does not give are set to zero rather than kept from earlier
// contents of the matrix.
bool CZMATRIX::read_link_file(const std::string& file, bool full_matrix) {
    if (size == 0) throw 0;
    std::ifstream in;
    if (!detail::open_readable(in, file)) return false;
    int count = 0;
    if (!read_line(in, &count, 1) || count != size) return false;

    for (int i = 1; i <= size; ++i) {
        std::array<int, 4> numbers{};
        const int wanted = full_matrix ? std::min(i, 4) : std::min(i, 2);
        if (!read_line(in, numbers.data(), wanted)) {
            clear();
            return false;
        }
        order[i] = numbers[0];
        rows[i].bond_ref = numbers[1];
        rows[i].angle_ref = numbers[2];
        rows[i].dihedral_ref = numbers[3];
    }
    return full_matrix ? standardize_linkmatrix() : standardize_linkrelation();
}

bool CZMATRIX::read_linkmatrix(const std::string& file) { return read_link_file(file, true); }

bool CZMATRIX::read_linkrelation(const std::string& file) { return read_link_file(file, false); }

void CZMATRIX::putout_check_zmatrix() const {
    if (size == 0) throw 0;
    const bool written = detail::write_whole_file(CHECK_ZMATRIX_FILE, [&](std::ostream& out) {
        out << size << '\n';
        if (!has_values()) {
            out << ZMATRIX_NO_INFORMATION << '\n';
        } else {
            const CVECTOR origin = get_origin();
            out << '<' << origin.x << ' ' << origin.y << ' ' << origin.z << ">\t(" << get_alfa()
                << ' ' << get_bata() << ' ' << get_gama() << ")\n";
            for (int i = 1; i <= size; ++i) {
                const CZ_VECTOR& row = rows[i];
                out << i << '\t' << row.bond_ref << ' ' << row.bond_length << '\t' << row.angle_ref
                    << ' ' << row.bond_angle << '\t' << row.dihedral_ref << ' '
                    << row.dihedral_angle << '\n';
            }
        }
    });
    if (!written) throw 0;
}

void CZMATRIX::putout_check_linking() const {
    if (size == 0) throw 0;
    const bool written = detail::write_whole_file(CHECK_LINKING_FILE, [&](std::ostream& out) {
        out << size << "\n\n";
        if (!is_linked()) {
            out << ZMATRIX_NO_INFORMATION << '\n';
        } else {
            for (int i = 1; i <= size; ++i) {
                const CZ_VECTOR& row = rows[i];
                out << i << ' ' << row.bond_ref << ' ' << row.angle_ref << ' ' << row.dihedral_ref
                    << '\n';
            }
        }
    });
    if (!written) throw 0;
}
