#include "COutFile/formats/gaussian_output.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <fstream>
#include <locale>
#include <sstream>
#include <string>

#include "COutFile/formats/output_tail.h"
#include "myfile.h"

namespace confsearch {

using detail::is_wrap;
using detail::Pos;
using detail::seek;
using detail::skip_line;
using detail::tell;

namespace {

// ---- Geometry tables ---------------------------------------------------------------

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

// ---- The archive block -------------------------------------------------------------

// Entries and key lengths beyond which the walk through the entries after "HF=" gives
// up: an archive section has a dozen entries of short keys.
const int MAX_ENTRIES_AFTER_ENERGY = 64;
const std::size_t MAX_KEY_LENGTH = 32;

// Archive keys of the correlated energies that Gaussian writes after "HF=", lowest level
// first:
//     \HF=-74.9643288\MP2=-75.0022821\RMSD=2.787e-10\Dipole=0.5025539,0.,0.3787015\...
//     \HF=-76.01\MP2=-76.19\MP3=-76.20\MP4D=...\MP4DQ=...\MP4SDQ=...\CCSD=...\CCSD(T)=...
// An unrestricted job writes spin entries (S2=0.7538, S2A=) and spin-projected energies
// (PUHF=, PMP2-0=) among them; those are not named.
bool is_post_hf_key(const std::string& key) {
    static const char* const KEYS[] = {
        "MP2",   "MP3",      "MP4D",      "MP4DQ", "MP4SDQ",  "MP4SDTQ", "MP5",   "CISD",
        "QCISD", "QCISD(T)", "QCISD(TQ)", "CCSD",  "CCSD(T)", "BD",      "BD(T)", "BD(TQ)",
    };
    return std::find(std::begin(KEYS), std::end(KEYS), key) != std::end(KEYS);
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
            } catch (const std::ios_base::failure&) {
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

}  // namespace

// ---- Geometry tables ---------------------------------------------------------------

GeometryTableStatus read_orientation_table(std::istream& in, const std::string& title, int atoms,
                                           std::vector<TableAtom>& rows) {
    rows.clear();
    // An optimisation prints one table per step; the last is the final geometry.
    if (!file_find_linux(in, title, -1, std::ios::end)) return {GeometryTableStatus::no_table, 0};
    for (int line = 0; line < ORIENTATION_HEAD_LINES; ++line) skip_line(in);

    // Only the atomic number names the element. Rows from Windows copies end in "\r",
    // which is white space here.
    int read = 0;
    std::string text;
    Row row;
    GeometryTableStatus status;
    while (read < atoms) {
        if (!std::getline(in, text)) {
            status = {GeometryTableStatus::cut_short, read};
            break;
        }
        if (read_row(text, row)) {
            ++read;
            rows.push_back({row.atomic_number, row.position});
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
    if (status.ok() && std::getline(in, text) && !is_rule(text)) {
        if (!read_row(text, row)) {
            status = {GeometryTableStatus::damaged_row, atoms + 1};
        } else {
            int more = atoms + 1;
            while (std::getline(in, text) && read_row(text, row)) ++more;
            status = {GeometryTableStatus::other_size, more};
        }
    }
    if (!status.ok()) rows.clear();
    return status;
}

// ---- The archive block -------------------------------------------------------------

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

double EnergyDipole::dipole_length() const {
    return CVECTOR(dipole[0], dipole[1], dipole[2]).module();
}

// The archive's last "HF=" is the final energy (a relaxed scan lists one value per point
// there, "HF=-382.3082666,-382.3081,...", and the first is read); the dipole is the first
// "Dipole=" after it, its components separated by commas: "Dipole=0.1,-0.2,0.3".
EnergyDipoleMissing read_energy_dipole(std::istream& in, bool whole_file, EnergyDipole& values) {
    if (!find_archive_entry(in, ARCHIVE_ENERGY, -1, std::ios_base::end, whole_file))
        return EnergyDipoleMissing::energy_entry;
    if (!read_number_ignore(in, values.energy)) return EnergyDipoleMissing::energy_number;
    values.energy_end = tell(in);
    if (!find_archive_entry(in, ARCHIVE_DIPOLE, 1, std::ios_base::cur, whole_file))
        return EnergyDipoleMissing::dipole_entry;
    std::array<double, 3>& d = values.dipole;
    if (!(read_number_ignore(in, d[0]) && in.ignore(1) && read_number_ignore(in, d[1]) &&
          in.ignore(1) && read_number_ignore(in, d[2])))
        return EnergyDipoleMissing::dipole_vector;
    // The archive goes on after the dipole ("\Quadrupole=...", at least "\@"): a vector
    // that runs into the end of the file was cut there, "Dipole=-0.5373697,0.2916534,-0.03",
    // and its last component may have lost digits.
    if (in.eof()) return EnergyDipoleMissing::dipole_vector;
    return EnergyDipoleMissing::none;
}

std::vector<std::string> post_hf_energies(std::istream& in, Pos from) {
    const Pos at_call = tell(in);
    seek(in, from);
    std::streambuf& text = *in.rdbuf();
    const int eof = std::char_traits<char>::eof();
    const auto separator = [](int c) { return c == '\\' || c == '|'; };
    std::vector<std::string> keys;
    int c = text.sbumpc();
    for (int entry = 0; entry < MAX_ENTRIES_AFTER_ENERGY; ++entry) {
        // The rest of a value: "-382.3082666,-382.3081,..." in a scan, "C01 [X(C6H12O2)]".
        while (c != eof && c != '@' && !separator(c)) c = text.sbumpc();
        if (!separator(c)) break;
        std::string key;
        for (c = text.sbumpc(); c != eof && c != '=' && !separator(c); c = text.sbumpc()) {
            if (!is_wrap(c)) key += static_cast<char>(c);
            if (key.size() > MAX_KEY_LENGTH) break;
        }
        // An empty entry, "\\", ends the section of the energies.
        if (c != '=' || key == "Dipole") break;
        if (is_post_hf_key(key)) keys.push_back(key);
        c = text.sbumpc();
    }
    seek(in, at_call);
    return keys;
}

bool read_level_of_theory(std::istream& in, std::string& method, std::string& basis) {
    // The header opens every archive block; a line wrap may fall anywhere in it, and
    // Gaussian 03 and older part its fields by "|":
    //  1\1\GINC-SHAS0303\FOpt\RM062X\def2TZVPP\C8H13N1O2\JVALEGRE@COLOSTATE.E
    //  DU\26-Jan-2019\0\\#p m062x/def2tzvpp opt\\...
    for (const char* const start : {"1\\1\\", "1|1|"}) {
        if (!file_find_ignore_linux(in, start, -1, std::ios_base::end)) continue;
        const char separator = start[1];
        std::vector<std::string> fields(1);
        for (int c = in.get(); c != EOF && fields.size() <= 4; c = in.get()) {
            if (c == separator)
                fields.emplace_back();
            else if (!is_wrap(c))
                fields.back() += static_cast<char>(c);
        }
        in.clear();
        // GINC-HOST, the job type, the method, the basis.
        if (fields.size() < 5) return false;
        method = fields[2];
        basis = fields[3];
        return !method.empty();
    }
    return false;
}

std::vector<double> read_imaginary_frequencies(std::istream& in, int count) {
    // Each frequency analysis lists the frequencies, lowest first, three to a line:
    //  Harmonic frequencies (cm**-1), IR intensities (KM/Mole), Raman scattering
    //  ...
    //  Frequencies --   -426.4133                38.9640                50.3832
    std::vector<double> found;
    if (count <= 0 || !file_find_linux(in, HARMONIC_FREQUENCIES, -1, std::ios_base::end))
        return found;
    while (static_cast<int>(found.size()) < count &&
           file_find_linux(in, FREQUENCIES_LINE, 1, std::ios_base::cur)) {
        std::string line;
        std::getline(in, line);
        std::istringstream values(line);
        values.imbue(std::locale::classic());
        for (double value = 0; static_cast<int>(found.size()) < count && values >> value;)
            if (value < 0) found.push_back(value);
    }
    in.clear();
    return found;
}

bool has_archive_entry(const std::string& file, const std::string& key) {
    std::ifstream in;
    if (!detail::open_readable(in, file)) return false;
    return read_from_end(in, [&](std::istream& text, bool whole_file) {
        return find_archive_entry(text, key + "=", -1, std::ios_base::end, whole_file);
    });
}

// ---- Thermochemistry ---------------------------------------------------------------

// The sums stand in the frequency section, often tens of kilobytes before the end (the
// force constants follow), and every frequency step of a file prints them; the last
// counts:
//  Sum of electronic and thermal Enthalpies=            -517.656256
//  Sum of electronic and thermal Free Energies=         -517.707550
bool read_line_number(std::istream& in, double& value) {
    std::string rest;
    if (!std::getline(in, rest)) return false;
    std::istringstream number(rest);
    number.imbue(std::locale::classic());
    if (!(number >> value)) return false;
    number >> std::ws;
    return number.eof();
}

// ---- The result a conformer is ranked by ------------------------------------------

namespace {

const ResultReadOptions DEFAULT_OPTIONS;

// Reads the chosen energy other than "HF=" into value; the reason it is missing otherwise.
ResultReadStatus::What read_chosen_energy(std::istream& in, const EnergyKind& kind, bool whole_file,
                                          double& value) {
    using Status = ResultReadStatus;
    if (kind.source == EnergyKind::archive_entry) {
        // The last entry of that key, read like "HF=": "\MP2=-7" / " 5.0022821\" wraps.
        if (!find_archive_entry(in, kind.keyword(), -1, std::ios_base::end, whole_file))
            return Status::no_chosen_energy;
        return read_number_ignore(in, value) ? Status::none : Status::no_chosen_number;
    }
    if (!file_find_linux(in, kind.keyword(), -1, std::ios_base::end))
        return Status::no_chosen_energy;
    return read_line_number(in, value) ? Status::none : Status::no_chosen_number;
}

// The last table of the title, or with input_orientation the last "Input orientation:"
// table of a file that has no "Standard orientation:" one. Only the whole file can tell
// that it has none: in its end the standard table may just lie further back.
ResultReadStatus read_geometry(std::istream& in, int atoms, bool whole_file, bool input_orientation,
                               std::vector<TableAtom>& rows) {
    using Status = ResultReadStatus;
    GeometryTableStatus table = read_orientation_table(in, STANDARD_ORIENTATION, atoms, rows);
    if (table.outcome == GeometryTableStatus::no_table && input_orientation) {
        if (!whole_file) return {Status::geometry, table};
        table = read_orientation_table(in, INPUT_ORIENTATION, atoms, rows);
        if (table.outcome == GeometryTableStatus::no_table) return {Status::no_orientation, table};
    }
    if (!table.ok()) return {Status::geometry, table};
    return {};
}

}  // namespace

// The energy, dipole and final geometry of an output file, from a stream holding the
// whole file or its end. The archive's last "HF=" is the final energy (a relaxed scan
// lists one value per point there, "HF=-382.3082666,-382.3081,...", and the first is
// read); the dipole is the first "Dipole=" after it, "Dipole=0.1,-0.2,0.3". Another
// energy chosen replaces the "HF=" value; the dipole is the same.

ResultReadStatus read_gaussian_result(std::istream& in, int atoms, bool whole_file,
                                      const ResultReadOptions& options, GaussianResult& result) {
    using Status = ResultReadStatus;
    EnergyDipole values;
    switch (read_energy_dipole(in, whole_file, values)) {
        case EnergyDipoleMissing::energy_entry: return {Status::no_energy_entry, {}};
        case EnergyDipoleMissing::energy_number: return {Status::no_energy_number, {}};
        case EnergyDipoleMissing::dipole_entry: return {Status::no_dipole_entry, {}};
        case EnergyDipoleMissing::dipole_vector: return {Status::no_dipole_vector, {}};
        case EnergyDipoleMissing::none: break;
    }
    // A frequency job's archive counts the imaginary frequencies after the dipole:
    //  ...\PG=C01 [X(C8H13N1O2)]\NImag=0\\0.05819207,...
    const Pos after_dipole = tell(in);
    int imaginary = 0;
    if (find_archive_entry(in, ARCHIVE_IMAGINARY, 1, std::ios_base::cur, whole_file) &&
        in >> imaginary && imaginary >= 0)
        result.imaginary_count = imaginary;
    seek(in, after_dipole);
    read_level_of_theory(in, result.method, result.basis);
    seek(in, after_dipole);

    Status status;
    const EnergyKind& kind = options.energy;
    if (kind.source == EnergyKind::archive_entry && kind.key == DEFAULT_OPTIONS.energy.key) {
        result.energy = values.energy;
        status.post_hf = post_hf_energies(in, values.energy_end);
    } else {
        status.what = read_chosen_energy(in, kind, whole_file, result.energy);
        if (!status.ok()) {
            status.energy = kind;
            return status;
        }
        // The sums follow the temperature they were computed at.
        double kelvin = 0.0;
        if (kind.source != EnergyKind::archive_entry &&
            file_find_linux(in, TEMPERATURE_LINE, -1, std::ios_base::cur) && in >> kelvin)
            result.temperature = kelvin;
        in.clear();
    }
    result.dipole = values.dipole_length();
    const Status geometry =
        read_geometry(in, atoms, whole_file, options.input_orientation, result.atoms);
    if (!geometry.ok()) return geometry;
    return status;
}

std::string EnergyKind::name() const {
    switch (source) {
        case free_energy: return "G";
        case enthalpy: return "H";
        case archive_entry: break;
    }
    return key;
}

std::string EnergyKind::keyword() const {
    switch (source) {
        case free_energy: return FREE_ENERGY_LINE;
        case enthalpy: return ENTHALPY_LINE;
        case archive_entry: break;
    }
    return key + "=";
}

bool EnergyKind::parse(const std::string& text, EnergyKind& kind) {
    if (text == "G" || text == "H") {
        kind = {text == "G" ? free_energy : enthalpy, ""};
        return true;
    }
    // An archive entry is a key, "=", a value, and the separator "\\" or "|".
    const bool key = !text.empty() && std::none_of(text.begin(), text.end(), [](char c) {
        return c == '=' || c == '\\' || c == '|' || c == ',' ||
               std::isspace(static_cast<unsigned char>(c)) ||
               std::iscntrl(static_cast<unsigned char>(c));
    });
    if (key) kind = {archive_entry, text};
    return key;
}

std::string ResultReadStatus::reason(int atoms) const {
    switch (what) {
        case none: return "read";
        case cannot_open: return "cannot open";
        case no_energy_entry:
            return "no \"HF=\" entry in an archive block (the job may have been killed "
                   "before it ended)";
        case no_energy_number: return "no number after \"HF=\"";
        case no_dipole_entry: return "no \"Dipole=\" entry after the last \"HF=\"";
        case no_dipole_vector: return "no dipole vector after \"Dipole=\"";
        case no_chosen_energy:
            if (energy.source == EnergyKind::archive_entry)
                return "no \"" + energy.keyword() + "\" entry in an archive block";
            return "no \"" + energy.keyword() + "\" line (not a frequency job)";
        case no_chosen_number: return "no number after \"" + energy.keyword() + "\"";
        case no_orientation:
            return "neither a \"Standard orientation:\" nor an \"Input orientation:\" table";
        case refused: return error.what;
        case geometry: break;
    }
    switch (table.outcome) {
        case GeometryTableStatus::no_table:
            return "no \"Standard orientation:\" table (a job run with nosym prints only "
                   "\"Input orientation:\")";
        case GeometryTableStatus::other_size:
            return "a final table of " + std::to_string(table.rows) + " atoms where " +
                   std::to_string(atoms) + " atoms were asked for";
        case GeometryTableStatus::cut_short:
            return "a table cut short after " + std::to_string(table.rows) + " of " +
                   std::to_string(atoms) + " atoms";
        case GeometryTableStatus::damaged_row:
            return "row " + std::to_string(table.rows) +
                   " of the final table is not three integers and three numbers";
        case GeometryTableStatus::none: break;
    }
    return "read";
}

// ---- The summary of a job ----------------------------------------------------------

namespace {

// Why a file gives no summary: the first required item it lacks.
const char* const CANNOT_READ = "cannot be read";
const char* const NO_NORMAL_TERMINATION = "no Normal termination";
const char* const NO_ROUTE = "no route line";
const char* const NO_ENERGY = "no HF= in the archive block";
const char* const NO_DIPOLE = "no Dipole= after the last HF=";
const char* const BAD_CPU_TIME = "unreadable cpu time";
const char* const NO_ROTATIONAL = "no Rotational constants (GHZ)";
const char* const NO_CHARGE = "no Charge =";
std::string no_geometry(int atoms) {
    return "no Standard orientation table of " + std::to_string(atoms) + " atoms";
}

const std::string NORMAL_TERMINATION = "Normal termination";
// A job of several steps (opt followed by freq) ends each step normally and goes on:
//  Normal termination of Gaussian 16 at Mon Dec 31 22:35:03 2018.
//  Link1:  Proceeding to internal job step number  2.
const std::string NEXT_JOB_STEP = "Proceeding to internal job step";
const std::string ROUTE_START = "#";
const std::string CPU_TIME = "cpu time:";
const std::string ROTATIONAL = "Rotational constants (GHZ):";
const std::string CHARGE = "Charge =";
const std::string MULTIPLICITY = "Multiplicity =";
// Characters of the route line kept.
const std::size_t ROUTE_LENGTH = 98;

// The route line is the first line of the file with a "#", " #p b3lyp/6-31g(d) opt"; a
// long route goes on over further lines, of which only the first is taken. The line end
// (with the carriage return of a Windows copy) is not part of it.
bool read_route(std::istream& in, std::string& route) {
    if (!file_find_linux(in, ROUTE_START, 1, std::ios::beg)) return false;
    seek(in, tell(in) - 1);
    char c = 0;
    while (route.size() < ROUTE_LENGTH && in.get(c) && c != '\n') route += c;
    if (!route.empty() && route.back() == '\r') route.pop_back();
    in.clear();
    return true;
}

// " Job cpu time:       0 days  9 hours 47 minutes 47.8 seconds.": the whole seconds
// are taken, the fraction dropped.
bool read_cpu_time(std::istream& in, int& seconds) {
    int days = 0;
    int hours = 0;
    int minutes = 0;
    int whole_seconds = 0;
    std::string unit;
    if (!(in >> days >> unit >> hours >> unit >> minutes >> unit >> whole_seconds)) return false;
    const long long total = days * 86400LL + hours * 3600LL + minutes * 60LL + whole_seconds;
    if (total < INT_MIN || total > INT_MAX) return false;
    seconds = static_cast<int>(total);
    return true;
}

// A long route goes on over further lines, each of a blank and the next 70 characters,
// cut wherever the 70 end; a rule of dashes closes it:
//  #opt=(maxcycles=200) freq=noraman def2tzvpp empiricaldispersion=gd3 m0
//  62x scrf=(solvent=Chloroform,smd)
//  ----------------------------------------------------------------------
void read_whole_route(std::istream& in, std::string& route) {
    const int most_lines = 40;
    if (!file_find_linux(in, ROUTE_START, 1, std::ios::beg)) return;
    seek(in, tell(in) - 1);
    std::string line;
    for (int n = 0; n < most_lines && std::getline(in, line); ++n) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::size_t first = line.find_first_not_of(' ');
        if (n > 0 && first != std::string::npos && line[first] == '-' &&
            line.find_first_not_of("- ", first) == std::string::npos)
            break;
        route += n == 0 ? line : line.substr(line.empty() ? 0 : 1);
    }
    in.clear();
}

// Every job step ends with its cpu time; the steps of an opt freq job add up.
void read_total_cpu_time(std::istream& in, int& total, int& steps) {
    long long sum = 0;
    seek(in, 0);
    for (int seconds = 0; file_find_linux(in, CPU_TIME, 1, std::ios::cur);) {
        if (!read_cpu_time(in, seconds)) break;
        sum += seconds;
        ++steps;
    }
    total = static_cast<int>(std::min<long long>(sum, INT_MAX));
    in.clear();
}

}  // namespace

int gaussian_atom_count(const std::string& file) {
    std::ifstream in;
    if (!detail::open_readable(in, file)) return 0;
    for (const std::string& title : {STANDARD_ORIENTATION, INPUT_ORIENTATION}) {
        if (!file_find_linux(in, title, -1, std::ios::end)) continue;
        for (int line = 0; line < ORIENTATION_HEAD_LINES; ++line) skip_line(in);
        int rows = 0;
        Row row;
        for (std::string text; std::getline(in, text) && read_row(text, row);) ++rows;
        return rows;
    }
    return 0;
}

ReadError read_gaussian_summary(const std::string& file, int atoms, GaussianSummary& summary) {
    std::ifstream in;
    if (!detail::open_readable(in, file)) return {CANNOT_READ};

    // A job that died (killed, out of time, an error exit) has no such line at its end;
    // one that died in a later step has it only for the steps before.
    if (!file_find_linux(in, NORMAL_TERMINATION, -1, std::ios::end) ||
        file_find_linux(in, NEXT_JOB_STEP, 1, std::ios::cur))
        return {NO_NORMAL_TERMINATION};
    if (!read_route(in, summary.route)) return {NO_ROUTE};
    read_whole_route(in, summary.whole_route);
    read_total_cpu_time(in, summary.total_cpu_seconds, summary.job_steps);

    switch (read_energy_dipole(in, true, summary.archive)) {
        case EnergyDipoleMissing::energy_entry:
        case EnergyDipoleMissing::energy_number: return {NO_ENERGY};
        case EnergyDipoleMissing::dipole_entry:
        case EnergyDipoleMissing::dipole_vector: return {NO_DIPOLE};
        case EnergyDipoleMissing::none: break;
    }

    // The cpu time of the job step that wrote the archive follows it. Not every job
    // needs one, but a line of another shape means the file is not what it seems.
    if (file_find_linux(in, CPU_TIME, 1, std::ios::cur) && !read_cpu_time(in, summary.cpu_seconds))
        return {BAD_CPU_TIME};

    // Only an MP2 job has this entry, beside "HF=": "\HF=-74.9643288\MP2=-75.0022821\".
    if (find_archive_entry(in, ARCHIVE_MP2, -1, std::ios::end, true))
        read_number_ignore(in, summary.mp2);

    auto& [a, b, c] = summary.rotational;
    if (!(file_find_linux(in, ROTATIONAL, -1, std::ios::end) && in >> a >> b >> c))
        return {NO_ROTATIONAL};

    // " Charge =  0 Multiplicity = 1", from the charge and multiplicity line near the start.
    if (!(file_find_linux(in, CHARGE, 1, std::ios::beg) && in >> summary.charge))
        return {NO_CHARGE};
    int multiplicity = 0;
    if (file_find_linux(in, MULTIPLICITY, 1, std::ios::cur) && in >> multiplicity)
        summary.multiplicity = multiplicity;

    in.clear();
    if (!read_orientation_table(in, STANDARD_ORIENTATION, atoms, summary.atoms).ok())
        return {no_geometry(atoms)};
    return {};
}

}  // namespace confsearch
