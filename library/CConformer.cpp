#include "CConformer.h"

#include "myfile.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <iostream>
#include <limits>
#include <type_traits>
#include <utility>

namespace {

// Text that the conformer prints or searches for, spelled exactly.
const char* const NO_CONFORMER_INFORMATION = "no conformer information!";
const char* const STANDARD_ORIENTATION = "Standard orientation:";
const char* const ELEM_NOT_EQUAL = " elem not equal.  ";
const char* const ELEM_DIFFERENCE = " elem : ";
const char* const NO_MATCHING = " No matching!";

// A bond list longer than this is taken for a corrupt file rather than a molecule.
const int MAX_BONDS = 200;

// Lines between "Standard orientation:" and the first atom row of the table:
// the rest of the title line, a dashed rule, two heading lines, a second dashed rule.
const int ORIENTATION_HEAD_LINES = 5;

// Discards everything up to and including the next '\n'. Output files written on
// Windows end their lines in "\r\n"; the '\r' is discarded with the rest of the line.
void skip_line(std::istream& in) { in.ignore(std::numeric_limits<std::streamsize>::max(), '\n'); }

// The interchangeable atoms of an equivalence list: entry 0 holds the count, entries
// 1..count the atoms; a missing list or a count of 0 or less lists nothing.
int listed_count(const int* equiv) { return (equiv != nullptr && equiv[0] > 0) ? equiv[0] : 0; }

bool is_listed(int atom, const int* equiv) {
    const int count = listed_count(equiv);
    for (int j = 1; j <= count; ++j)
        if (equiv[j] == atom) return true;
    return false;
}

// Two positions count as the same when every coordinate differs by strictly less than
// tol: a box, not a sphere.
bool within_box(const CVECTOR& p, const CVECTOR& q, double tol) {
    return std::fabs(p.x - q.x) < tol && std::fabs(p.y - q.y) < tol && std::fabs(p.z - q.z) < tol;
}

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

bool within_window(double difference, double tol) { return -tol < difference && difference < tol; }

// Moves and turns `moving` rigidly so that its atom k coincides with other's atom k,
// its atom a lies on the ray from there through other's atom a, and its atom b lies in
// the half-plane, bounded by that ray, which holds other's atom b. Anchors a and b are
// taken a third and two thirds of the way round the atom list from k, so that any
// molecule of three or more atoms gives three distinct anchors.
void superpose(CCLUSTER& moving, const CCLUSTER& other, int k) {
    const int n = moving.get_size();
    int a = k + n / 3;
    int b = k + 2 * (n / 3);
    if (a > n) a -= n;
    if (b > n) b -= n;

    moving.move(other[k] - moving[k]);

    const CVECTOR pivot = moving[k];
    const CVECTOR mine_a = moving[a] - pivot;
    const CVECTOR theirs_a = other[a] - other[k];
    const CVECTOR axis = mine_a % theirs_a;
    if (axis.module() > DOUBLE_PRECISION) {
        const double angle = other[k].p_angle(moving[a], other[a]);
        moving.rotate(pivot, pivot + axis, angle);
    } else if (mine_a * theirs_a < 0) {
        // Atom a points exactly the opposite way: there is no axis from the cross
        // product, but a half turn about any line perpendicular to the ray brings it
        // round. Left unturned, a copy turned by exactly that half turn would count as
        // a different conformer.
        CVECTOR perpendicular = theirs_a % CVECTOR(1, 0, 0);
        if (perpendicular.module() <= DOUBLE_PRECISION) perpendicular = theirs_a % CVECTOR(0, 1, 0);
        moving.rotate(pivot, pivot + perpendicular, PI);
    }

    const CVECTOR hinge = moving[a];
    const double twist = moving[b].p_dihang(pivot, hinge, other[b]);
    moving.rotate(pivot, hinge, twist);
}

// Pairs each listed atom equiv[j], in list order, with the first still unused listed atom
// m of the other side for which same(equiv[j], m) holds. The pairing is greedy and never
// undone, so an atom taken early may be missed by a later one that needed it. Each pair
// is reported as "a<j> b<slot> of <atom> <partner> same " followed by what `detail` adds.
template <typename Same, typename Detail>
bool match_listed(const int* equiv, Same same, Detail detail) {
    const int count = listed_count(equiv);
    if (count == 0) return true;
    std::vector<int> pool(equiv, equiv + count + 1);
    for (int j = 1; j <= count; ++j) {
        bool found = false;
        for (int m = 1; m <= count && !found; ++m) {
            if (pool[m] == 0 || !same(equiv[j], pool[m])) continue;
            std::cout << "\n\ta" << j << " b" << m << " of " << equiv[j] << " " << pool[m]
                      << " same ";
            detail(equiv[j], pool[m]);
            pool[m] = 0;
            found = true;
        }
        if (!found) {
            std::cout << '\n' << equiv[j] << NO_MATCHING;
            return false;
        }
    }
    std::cout << '\n';
    return true;
}

bool identical_by_superposition(const CCLUSTER& mine, const CCLUSTER& other, double tol, int k,
                                const int* equiv) {
    CCLUSTER moved = mine;
    superpose(moved, other, k);

    const int n = moved.get_size();
    for (int i = 1; i <= n; ++i) {
        if (is_listed(i, equiv)) continue;
        if (!within_box(other[i], moved[i], tol)) {
            std::cout << i << ELEM_NOT_EQUAL;
            return false;
        }
    }
    // Each listed atom of other takes a free listed atom of this conformer.
    return match_listed(
        equiv, [&](int theirs, int ours) { return within_box(moved[ours], other[theirs], tol); },
        [](int, int) {});
}

// Distances from the reference atom survive any rigid motion and also a reflection, so
// this rule cannot tell mirror images apart.
bool identical_by_distances(const CCLUSTER& mine, const CCLUSTER& other, double tol, int k,
                            const int* equiv) {
    const int n = mine.get_size();
    auto difference = [&](int ours, int theirs) {
        return mine[k].distance(mine[ours]) - other[k].distance(other[theirs]);
    };
    for (int i = 1; i <= n; ++i) {
        if (i == k || is_listed(i, equiv)) continue;
        const double d = difference(i, i);
        if (!within_window(d, tol)) {
            std::cout << i << ELEM_DIFFERENCE << d;
            return false;
        }
    }
    // Here it is this conformer's listed atom that takes a free atom of other.
    return match_listed(
        equiv, [&](int ours, int theirs) { return within_window(difference(ours, theirs), tol); },
        [&](int ours, int theirs) { std::cout << difference(ours, theirs); });
}

void throw_unless_valid_size(int n) {
    if (n < 0 || n > MAX_CONFORMER_SIZE) throw n;
}

}  // namespace

CBasicConformer::CBasicConformer(int n) { reinstall(n); }

CBasicConformer::CBasicConformer(const CBasicConformer& other)
    : size(other.size), elements(other.elements), xyz(other.xyz) {}

// The moved-from conformer is left a valid one of 0 atoms.
CBasicConformer::CBasicConformer(CBasicConformer&& other) noexcept { *this = std::move(other); }

CBasicConformer& CBasicConformer::operator=(const CBasicConformer& other) {
    if (this == &other) return *this;
    std::vector<CELEMENT> new_elements = other.elements;
    CCLUSTER new_xyz = other.xyz;
    size = other.size;
    elements = std::move(new_elements);
    xyz = std::move(new_xyz);
    bondlist.clear();
    return *this;
}

CBasicConformer& CBasicConformer::operator=(CBasicConformer&& other) noexcept {
    if (this == &other) return *this;
    size = std::exchange(other.size, 0);
    elements = std::move(other.elements);
    other.elements.clear();
    xyz = std::move(other.xyz);  // leaves other's point set empty
    bondlist.clear();
    return *this;
}

void CBasicConformer::reinstall(int n) {
    throw_unless_valid_size(n);
    xyz.reinstall(n);
    elements.assign(n > 0 ? n + 1 : 0, CELEMENT());
    size = n;
    GaussionFile_head = PM3_OPT;
    bondlist.clear();
}

bool CBasicConformer::right_size(int n) const { return n >= 1 && n <= MAX_CONFORMER_SIZE; }

CELEMENT CBasicConformer::get_element(int i) const {
    if (i < 1 || i > size) return CELEMENT();
    return elements[i];
}

CVECTOR CBasicConformer::get_vector(int i) const {
    if (i < 1 || i > size) return CVECTOR();
    return xyz[i];
}

void CBasicConformer::set_GaussionFile_head(const std::string& head) { GaussionFile_head = head; }

void CBasicConformer::set_exyz(int i, const CELEMENT& e, const CVECTOR& v) {
    if (i < 1 || i > size) throw i;
    elements[i] = e;
    xyz[i] = v;
}

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

void CBasicConformer::putout_xyz(const std::string& file) const {
    std::ofstream out(file);
    if (!out) throw size;
    out << size << '\n' << '\n' << *this;
    out.close();
    if (!out) throw size;
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
    std::ofstream out(file);
    if (!out) throw size;
    write_GaussianFile(out);
    out.close();
    if (!out) throw size;
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

bool CBasicConformer::identical_xyz(const CBasicConformer& other, double tol, int k,
                                    const int* equiv, IdentityRule rule) const {
    if (rule == IdentityRule::distance_profile) {
        if (other.size != size) throw size;
        return identical_by_distances(xyz, other.xyz, tol, k, equiv);
    }
    // Three anchors are needed to fix the orientation.
    if (other.size != size || size <= 2) throw size;
    return identical_by_superposition(xyz, other.xyz, tol, k, equiv);
}

bool CBasicConformer::match(const CBasicConformer& other, const int* map, double tol, int k,
                            const int* equiv, IdentityRule rule) const {
    if (map == nullptr) return identical_xyz(other, tol, k, equiv, rule);

    const int wanted = map[0];
    if (wanted > other.size || size < other.size) throw size;
    for (int i = 1; i <= size; ++i)
        if (map[i] > other.size) throw size;

    CBasicConformer mine_part(wanted);
    CBasicConformer other_part(wanted);
    // The reference atom and the listed atoms are numbered as in other; they follow
    // their atoms to the new numbering. Unmapped entries keep their old numbers.
    int part_k = k;
    const int count = listed_count(equiv);
    std::vector<int> part_equiv;
    if (equiv != nullptr) part_equiv.assign(equiv, equiv + count + 1);

    int placed = 0;
    for (int i = 1; i <= size && placed < wanted; ++i) {
        const int counterpart = map[i];
        if (counterpart <= 0) continue;
        ++placed;
        mine_part.set_exyz(placed, elements[i], xyz[i]);
        other_part.set_exyz(placed, other.elements[counterpart], other.xyz[counterpart]);
        if (counterpart == k) part_k = placed;
        for (int j = 1; j <= count; ++j)
            if (equiv[j] == counterpart) part_equiv[j] = placed;
    }
    return mine_part.identical_xyz(other_part, tol, part_k,
                                   equiv != nullptr ? part_equiv.data() : nullptr, rule);
}

std::ostream& operator<<(std::ostream& out, const CBasicConformer& conformer) {
    if (conformer.size == 0) {
        out << NO_CONFORMER_INFORMATION << std::endl;
        return out;
    }
    out << std::fixed;
    for (int i = 1; i <= conformer.size; ++i) {
        const CVECTOR& p = conformer.xyz[i];
        out << conformer.elements[i].get_symbol() << '\t' << p.x << '\t' << p.y << '\t' << p.z
            << std::endl;
    }
    return out;
}
