#include "CConformer/basic_conformer.h"

#include <algorithm>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

#include "detail/text_io.h"

using namespace confsearch;

using confsearch::detail::skip_line;

namespace {

// A bond list longer than this is taken for a corrupt file rather than a molecule.
const int MAX_BONDS = 200;

}  // namespace

bool CBasicConformer::read_xyz(const std::string& file) {
    std::ifstream in(file);
    if (!in) return false;
    // The count line may carry more words ("3  water") and the title line may be of any
    // length ("water, B3LYP/6-31G(d) optimised, run 42 ..."): both are skipped whole.
    int count = 0;
    if (!(in >> count) || count != size) return false;
    skip_line(in);
    skip_line(in);

    // One atom per line, "O   0.000000   0.000000   0.117300". An unknown symbol (a
    // dummy atom "X") gives element 0 rather than a failure. A file that ends after fewer
    // atoms than expected, even right after a complete line, has failed: no atom may be
    // left silently at the origin.
    int read = 0;
    while (read < size) {
        std::string symbol;
        double x = 0.0;
        double y = 0.0;
        double z = 0.0;
        if (!(in >> symbol >> x >> y >> z)) break;
        ++read;
        elements[read] = CELEMENT(symbol);
        xyz[read] = CVECTOR(x, y, z);
    }
    if (read < size) {
        reinstall(size);
        return false;
    }
    return true;
}

void CBasicConformer::putout_xyz(const std::string& file) const {
    if (!detail::write_whole_file(file, [&](std::ostream& out) {
            out << size << '\n' << '\n' << *this;
        }))
        throw size;
}

void CBasicConformer::check_xyz(const std::string& file) const { putout_xyz(file); }

void CBasicConformer::write_GaussianFile(std::ostream& out) const {
    out << GaussionFile_head;
    for (int i = 1; i <= size; ++i) out << elements[i].get_symbol() << '\t' << xyz[i] << '\n';
    // Gaussian takes atom lines up to the first blank line, and some versions stop with
    // an error when the file ends without one.
    out << '\n' << '\n';
}

void CBasicConformer::putout_GaussianFile(const std::string& file) const {
    if (!detail::write_whole_file(file, [&](std::ostream& out) { write_GaussianFile(out); }))
        throw size;
}

void CBasicConformer::check_GaussionFile() const { putout_GaussianFile(CHECK_GAUSSIAN_FILE); }

void CBasicConformer::checkout_GaussionFile() const {
    std::cout << GaussionFile_head << *this << '\n' << '\n';
}

bool CBasicConformer::read_bondlist(const std::string& file) {
    std::ifstream in(file);
    if (!in) return false;
    int count = 0;
    if (!(in >> count) || count < 0 || count > MAX_BONDS) return false;
    bondlist.assign(count + 1, CBonds());
    bondlist[0].atom1 = count;

    // "2\n3 1\n2 5": the pairs come in either order and are kept as (lower, higher).
    // A bond that fails half-way leaves the entries read so far in place.
    for (int i = 1; i <= count; ++i) {
        int a = 0;
        int b = 0;
        if (!(in >> a >> b)) return false;
        bondlist[i] = (a <= b) ? CBonds(a, b) : CBonds(b, a);
        if (a == b) return false;
    }
    return true;
}

GeometryTableStatus CBasicConformer::read_geometry_table(std::istream& in,
                                                         const std::string& title) {
    std::vector<TableAtom> rows;
    const GeometryTableStatus status = read_orientation_table(in, title, size, rows);
    // A file without such a table leaves the conformer as it was; a table that is there
    // but unfit empties it.
    if (status.outcome == GeometryTableStatus::no_table) return status;
    if (!status.ok()) {
        reinstall(size);
        return status;
    }
    for (int i = 1; i <= size; ++i) {
        elements[i] = CELEMENT(rows[i - 1].atomic_number);
        xyz[i] = rows[i - 1].position;
    }
    return status;
}

bool CBasicConformer::read_xyz_inout(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return in && read_xyz_inout(in);
}

bool CBasicConformer::read_xyz_inout(std::istream& in) {
    // A job run without symmetry prints only "Input orientation:" tables, and then there
    // is no geometry to take.
    return read_geometry_table(in, STANDARD_ORIENTATION).ok();
}

namespace {

// Whether a line is one more atom: a word and three numbers, "H  0.0  0.0  1.09".
bool is_atom_line(const std::string& line) {
    std::istringstream words(line);
    std::string symbol;
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
    return static_cast<bool>(words >> symbol >> x >> y >> z);
}

}  // namespace

ReadError confsearch::read_xyz_file(const std::string& file, CBasicConformer& conformer) {
    std::ifstream in;
    if (!detail::open_readable(in, file)) return {"cannot read file"};
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};

    // "22" or "22  leucine" on the first line.
    std::istringstream first_line(text.substr(0, text.find('\n')));
    int atoms = 0;
    if (!(first_line >> atoms) || atoms < 1 || atoms > MAX_CONFORMER_SIZE) {
        std::istringstream again(text.substr(0, text.find('\n')));
        std::string first;
        again >> first;
        return {"the atom count on the first line must lie in 1.." +
                    std::to_string(MAX_CONFORMER_SIZE) + ", not \"" + detail::shown_word(first) +
                    "\"",
                1};
    }
    conformer.reinstall(atoms);

    // The atoms after the title line, read as read_xyz reads them.
    const std::size_t title_end = text.find('\n', text.find('\n') + 1);
    const std::size_t body = title_end == std::string::npos ? text.size() : title_end + 1;
    std::istringstream atom_lines(text.substr(body));
    for (int i = 1; i <= atoms; ++i) {
        std::string symbol;
        CVECTOR position;
        if (!(atom_lines >> symbol >> position.x >> position.y >> position.z)) {
            atom_lines.clear();
            const auto at =
                static_cast<std::size_t>(std::max<std::streamoff>(atom_lines.tellg(), 0));
            conformer.reinstall(atoms);
            return {"not a geometry of " + std::to_string(atoms) +
                        " atoms: an atom line is missing or holds a field that is not a number",
                    line_at(text, body + at)};
        }
        conformer.set_exyz(i, CELEMENT(symbol), position);
    }

    // A count too small for the atom lines that follow would make a molecule of the
    // first atoms only.
    std::istringstream lines(text);
    std::string line;
    for (int skipped = 0; skipped < atoms + 2; ++skipped) std::getline(lines, line);
    if (std::getline(lines, line) && is_atom_line(line)) {
        conformer.reinstall(atoms);
        return {"more than the " + std::to_string(atoms) +
                    " atoms of its first line: an atom line follows atom " + std::to_string(atoms),
                atoms + 3};
    }
    return {};
}
