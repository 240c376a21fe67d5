// The rotatable conformer: its Z-matrix file with the allowed contacts, the torsion move
// and the clash test.
#include "CConformer/rotatable_conformer.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <limits>
#include <sstream>

#include "detail/text_io.h"

using namespace confsearch;

using confsearch::detail::skip_line;

namespace {

// The bound of a pair that the clash test never reports: no squared distance lies below.
const double NEVER_CLASHES = -1.0;

// The smallest squared distance s with sqrt(s) > limit: a pair clashes exactly when its
// squared distance lies below it, so that comparing squares decides every pair, to the
// last bit, as comparing the distance with the bonding distance would (limit * limit
// alone can round to either side).
double squared_bound(double limit) {
    const double up = std::numeric_limits<double>::infinity();
    double s = limit * limit;
    while (s > 0 && std::sqrt(s) > limit) s = std::nextafter(s, 0.0);
    while (std::sqrt(s) <= limit) s = std::nextafter(s, up);
    return s;
}

// The sign bit of a difference: a - b is negative exactly when a < b, since rounding
// never carries a difference across zero.
std::uint64_t sign_of(double difference) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &difference, sizeof bits);
    return bits;
}

}  // namespace

CRotatableConformer::CRotatableConformer(int n) : CBasicConformer(n), zmatrix(n) {}

void CRotatableConformer::reinstall(int n) {
    CBasicConformer::reinstall(n);
    zmatrix.reinstall(n);
    clear_generator_state();
}

void CRotatableConformer::clear_generator_state() {
    contact_count = 0;
    contacts.clear();
    xhy_table.clear();
    hbonds.clear();
    clash_elements.clear();
    clash_bounds.clear();
}

int CRotatableConformer::current_number(int input_number) const {
    for (int j = 1; j <= size; ++j)
        if (zmatrix.get_order(j) == input_number) return j;
    return input_number;
}

bool CRotatableConformer::read_Zmatrix(const std::string& file) {
    return read_Zmatrix_file(file).outcome == ZmatrixFileStatus::none;
}

ZmatrixFileStatus CRotatableConformer::read_Zmatrix_file(const std::string& file) {
    if (!zmatrix.read_linkmatrix(file)) {
        // The reader does not say why; the count line tells a file of another molecule
        // from a block that is broken.
        std::ifstream in;
        if (!detail::open_readable(in, file)) return {ZmatrixFileStatus::cannot_open, 0};
        std::string line;
        std::getline(in, line);
        std::istringstream count_line(line);
        int atoms = 0;
        if (!(count_line >> atoms) || atoms != size) return {ZmatrixFileStatus::other_size, atoms};
        return {ZmatrixFileStatus::links_refused, size};
    }
    zmatrix.combine_zmatrix(xyz);
    zmatrix.translate(xyz);
    // Point i is now the atom of row i; its element follows it.
    const std::vector<CELEMENT> input_elements = elements;
    for (int i = 1; i <= size; ++i) elements[i] = input_elements[zmatrix.get_order(i)];

    // Contacts, donor table and hydrogen bonds of any earlier numbering are void.
    clear_generator_state();
    const bool contacts_read = read_contacts(file);
    build_clash_table();
    if (!contacts_read) return {ZmatrixFileStatus::contacts_unreadable, size};
    return {ZmatrixFileStatus::none, size};
}

// After the link-matrix block (the count line and one line per atom) comes one separator
// line, then the contacts in the geometry file's numbers, line breaks free:
//     ----
//     2
//     5 12   8 14
// A file that ends after the block, or whose count is 0 or negative, has no contacts.
bool CRotatableConformer::read_contacts(const std::string& file) {
    std::ifstream in(file);
    for (int line = 0; line < size + 2; ++line) skip_line(in);
    int count = 0;
    if (!(in >> count) || count <= 0) return true;
    // The list grows with the pairs actually there: a damaged count asks for no storage.
    std::vector<std::array<int, 2>> pairs(1);
    for (int k = 1; k <= count; ++k) {
        int a = 0;
        int b = 0;
        if (!(in >> a >> b)) return false;
        pairs.push_back({current_number(a), current_number(b)});
    }
    contacts = std::move(pairs);
    contact_count = count;
    return true;
}

bool CRotatableConformer::rotate(int a, int b, double angle) {
    if (!zmatrix.rotate(a, b, angle)) return false;
    zmatrix.quick_translate(xyz, b);
    return true;
}

bool CRotatableConformer::is_contact(int i, int j) const {
    for (int k = 1; k <= contact_count; ++k) {
        const std::array<int, 2>& c = contacts[k];
        if ((c[0] == i && c[1] == j) || (c[0] == j && c[1] == i)) return true;
    }
    return false;
}

Clash CRotatableConformer::first_clash() const {
    for (int i = 1; i <= size; ++i) {
        for (int j = i + 1; j <= size; ++j) {
            if (zmatrix.belinking(i, j)) continue;
            const double distance = xyz[i].distance(xyz[j]);
            const double bonding = elements[i].bond_distance(elements[j]);
            if (distance <= bonding && !is_contact(i, j)) return {i, j, distance, bonding};
        }
    }
    return {};
}

void CRotatableConformer::build_clash_table() {
    clash_elements.assign(static_cast<std::size_t>(size) + 1, 0);
    for (int i = 1; i <= size; ++i) clash_elements[i] = elements[i].get_number();
    clash_bounds.clear();
    clash_bounds.reserve(static_cast<std::size_t>(size) * (size - 1) / 2);
    for (int i = 1; i <= size; ++i) {
        for (int j = i + 1; j <= size; ++j) {
            const bool exempt = zmatrix.belinking(i, j) || is_contact(i, j);
            clash_bounds.push_back(exempt ? NEVER_CLASHES
                                          : squared_bound(elements[i].bond_distance(elements[j])));
        }
    }
}

bool CRotatableConformer::clash_table_fits() const {
    if (clash_elements.size() != static_cast<std::size_t>(size) + 1) return false;
    for (int i = 1; i <= size; ++i)
        if (clash_elements[i] != elements[i].get_number()) return false;
    return true;
}

bool CRotatableConformer::conformer_legit() const {
    if (!clash_table_fits()) return first_clash().first == 0;
    if (size < 2) return true;
    // A run tests every geometry on its way through the combinations. The pairs come from
    // the table one atom's row of partners at a time, on the points in place; the signs of
    // the differences are gathered without a branch, so that the row is worked through two
    // pairs at once.
    const CVECTOR* point = &xyz[1] - 1;
    const double* bound = clash_bounds.data();
    for (int i = 1; i < size; ++i) {
        const CVECTOR p = point[i];
        const CVECTOR* partner = point + i + 1;
        const int partners = size - i;
        std::uint64_t signs = 0;
        for (int j = 0; j < partners; ++j) {
            const double dx = partner[j].x - p.x;
            const double dy = partner[j].y - p.y;
            const double dz = partner[j].z - p.z;
            signs |= sign_of(dx * dx + dy * dy + dz * dz - bound[j]);
        }
        if (signs >> 63 != 0) return false;
        bound += partners;
    }
    return true;
}

void CRotatableConformer::check_Zmatrix() const { zmatrix.putout_check_zmatrix(); }

void CRotatableConformer::check_linking() const { zmatrix.putout_check_linking(); }
