#include "detail/archive_entry.h"

#include <algorithm>
#include <string>

#include "CMyMath/vector.h"
#include "detail/text_io.h"
#include "myfile.h"

using detail::is_wrap;
using detail::Pos;
using detail::seek;
using detail::tell;

namespace {

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

namespace detail {

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

}  // namespace detail

namespace detail {

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
    return EnergyDipoleMissing::nothing;
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

}  // namespace detail
