#include "CSearch/candidate_sources.h"

#include "CMyElement/element.h"
#include "COutFile/formats/xyz_frames.h"
#include "CSearch/candidate_files.h"
#include "CSearch/screening_messages.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <fstream>
#include <sstream>

namespace confsearch {

namespace fs = std::filesystem;

namespace {

// The label that opens a record of the generator's collection file: "NAME_12: 1132".
const std::string RECORD_LABEL = "NAME_";
const std::string XYZ_ENDING = ".xyz";

std::vector<std::string> words_of(const std::string& line) {
    std::vector<std::string> words;
    std::istringstream in(line);
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

// No word on it: blanks, tabs, form feeds and the like only.
bool blank(const std::string& line) {
    return std::all_of(line.begin(), line.end(),
                       [](unsigned char c) { return std::isspace(c) != 0; });
}

std::string without_line_end(std::string line) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

// A finite number and nothing else: "nan" and "inf" are no coordinates.
bool read_number(const std::string& word, double& value) {
    const char* end = word.data() + word.size();
    const auto [stop, error] = std::from_chars(word.data(), end, value);
    return error == std::errc() && stop == end && std::isfinite(value);
}

bool read_count(const std::string& word, long& count) {
    const char* end = word.data() + word.size();
    const auto [stop, error] = std::from_chars(word.data(), end, count);
    return error == std::errc() && stop == end && count > 0;
}

// The element table's symbol of a symbol in any case ("CL", "cl") or of an atomic number
// ("17"); empty for neither.
std::string element_symbol(const std::string& word) {
    long number = 0;
    if (read_count(word, number))
        return number < 200 ? CELEMENT(static_cast<int>(number)).get_symbol() : "";
    std::string proper = word;
    for (std::size_t i = 0; i < proper.size(); ++i) {
        const auto letter = static_cast<unsigned char>(proper[i]);
        proper[i] = static_cast<char>(i == 0 ? std::toupper(letter) : std::tolower(letter));
    }
    return CELEMENT(proper).get_symbol();
}

// One atom line: an element and three finite numbers, more columns allowed. Empty when it
// is one, else why not.
std::string read_atom(const std::string& line, XyzGeometry& geometry) {
    const std::vector<std::string> words = words_of(line);
    CVECTOR position;
    if (words.size() < 4 || !read_number(words[1], position.x) ||
        !read_number(words[2], position.y) || !read_number(words[3], position.z))
        return message::not_an_atom_line(line);
    const std::string symbol = element_symbol(words[0]);
    if (symbol.empty()) return message::unknown_element(words[0]);
    geometry.symbols.push_back(symbol);
    geometry.positions.push_back(position);
    return "";
}

// Lines of a file with their numbers, for readers that report where a fault lies.
class Lines {
public:
    explicit Lines(const fs::path& file) : file_(file), in_(file, std::ios::binary) {
        std::error_code error;
        if (!in_ || fs::is_directory(file, error))
            throw CandidateError(message::cannot_read(file.string()));
    }
    bool next(std::string& line) {
        if (!std::getline(in_, line)) return false;
        line = without_line_end(line);
        ++number_;
        return true;
    }
    long number() const { return number_; }
    [[noreturn]] void fail(const std::string& why) const {
        throw CandidateError(message::at_line(file_.string(), number_, why));
    }

private:
    fs::path file_;
    std::ifstream in_;
    long number_ = 0;
};

// Every frame of an xyz file, through the toolkit's reader of multi-structure xyz files.
void read_frame_file(const fs::path& file, const std::string& shown,
                     std::vector<ScreeningCandidate>& candidates) {
    std::vector<XyzFrame> frames;
    const ReadError error = read_xyz_frames(file.string(), frames);
    if (!error.ok()) throw CandidateError(error.message(shown));
    for (std::size_t k = 0; k < frames.size(); ++k) {
        ScreeningCandidate candidate;
        // A folder's file of one frame is named by the file alone.
        candidate.origin =
            frames.size() == 1 ? shown : message::frame_origin(shown, k + 1, frames[k].line);
        candidate.geometry.comment = std::move(frames[k].comment);
        candidate.geometry.symbols = std::move(frames[k].symbols);
        candidate.geometry.positions = std::move(frames[k].positions);
        candidates.push_back(std::move(candidate));
    }
}

bool is_record_end(const std::string& line) {
    const std::string text = line.substr(0, line.find_last_not_of(" \t") + 1);
    return text.size() >= 3 && text.find_first_not_of('-') == std::string::npos;
}

// The generator's collection: "NAME_<n>: <name>", an atom line per atom ("C\t0.51 0.05
// -0.33"), then a line of dashes closing the record.
void read_collection(const fs::path& file, std::vector<ScreeningCandidate>& candidates) {
    Lines lines(file);
    std::size_t records = 0;
    std::string line;
    while (lines.next(line)) {
        if (blank(line)) continue;
        if (line.rfind(RECORD_LABEL, 0) != 0) lines.fail(message::not_a_record_label(line));
        const long label_line = lines.number();
        ScreeningCandidate candidate;
        // The record's name, after the colon, is the candidate's title.
        const std::size_t colon = line.find(':');
        if (colon != std::string::npos) {
            const std::vector<std::string> name = words_of(line.substr(colon + 1));
            if (!name.empty()) candidate.geometry.comment = name.front();
        }
        for (;;) {
            if (!lines.next(line)) lines.fail(message::record_not_closed());
            if (is_record_end(line)) break;
            const std::string fault = read_atom(line, candidate.geometry);
            if (!fault.empty()) lines.fail(fault);
        }
        if (candidate.geometry.symbols.empty()) lines.fail(message::record_without_atoms());
        candidate.origin = message::record_origin(file.string(), ++records, label_line);
        candidates.push_back(std::move(candidate));
    }
    if (records == 0) throw CandidateError(message::no_candidate_in(file.string()));
}

// Names with their runs of digits compared as numbers: "c2.xyz" before "c10.xyz".
bool natural_less(const std::string& a, const std::string& b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        const bool digit_a = std::isdigit(static_cast<unsigned char>(a[i])) != 0;
        const bool digit_b = std::isdigit(static_cast<unsigned char>(b[j])) != 0;
        if (digit_a && digit_b) {
            const std::size_t end_a = a.find_first_not_of("0123456789", i);
            const std::size_t end_b = b.find_first_not_of("0123456789", j);
            std::string number_a = a.substr(i, end_a == std::string::npos ? end_a : end_a - i);
            std::string number_b = b.substr(j, end_b == std::string::npos ? end_b : end_b - j);
            number_a.erase(0, std::min(number_a.find_first_not_of('0'), number_a.size() - 1));
            number_b.erase(0, std::min(number_b.find_first_not_of('0'), number_b.size() - 1));
            if (number_a.size() != number_b.size()) return number_a.size() < number_b.size();
            if (number_a != number_b) return number_a < number_b;
            i = end_a == std::string::npos ? a.size() : end_a;
            j = end_b == std::string::npos ? b.size() : end_b;
        } else {
            if (a[i] != b[j]) return a[i] < b[j];
            ++i;
            ++j;
        }
    }
    if (a.size() - i != b.size() - j) return a.size() - i < b.size() - j;
    return a < b;
}

bool xyz_ending(const fs::path& file) {
    std::string ending = file.extension().string();
    std::transform(ending.begin(), ending.end(), ending.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ending == XYZ_ENDING;
}

void read_folder(const fs::path& folder, std::vector<ScreeningCandidate>& candidates) {
    std::vector<std::string> names;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error))
        if (xyz_ending(entry.path()) && entry.is_regular_file(error))
            names.push_back(entry.path().filename().string());
    if (error) throw CandidateError(message::cannot_read(folder.string()));
    if (names.empty()) throw CandidateError(message::no_xyz_file_in(folder.string()));
    std::sort(names.begin(), names.end(), natural_less);
    for (const std::string& name : names)
        read_frame_file(folder / name, (folder / name).string(), candidates);
}

}  // namespace

std::string job_stem(const std::string& stem) {
    std::string name = stem.empty() ? "molecule" : stem;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '-' && c != '+' &&
            c != '.')
            c = '_';
    if (name.front() == '.') name.front() = '_';
    return name;
}

CandidateSource candidate_source_kind(const fs::path& source) {
    std::error_code error;
    if (fs::is_directory(source, error)) return CandidateSource::xyz_folder;
    std::ifstream in(source, std::ios::binary);
    std::string line;
    while (std::getline(in, line))
        if (!blank(line))
            return line.rfind(RECORD_LABEL, 0) == 0 ? CandidateSource::collection
                                                    : CandidateSource::xyz_file;
    return CandidateSource::xyz_file;
}

std::vector<ScreeningCandidate> read_candidates(const fs::path& source, const std::string& stem) {
    std::error_code error;
    if (!fs::exists(source, error)) throw CandidateError(message::no_such_source(source.string()));
    std::vector<ScreeningCandidate> candidates;
    switch (candidate_source_kind(source)) {
        case CandidateSource::xyz_folder: read_folder(source, candidates); break;
        case CandidateSource::collection: read_collection(source, candidates); break;
        case CandidateSource::xyz_file: read_frame_file(source, source.string(), candidates); break;
    }
    const std::string prefix = job_stem(stem);
    const int width = serial_width(candidates.size());
    for (std::size_t i = 0; i < candidates.size(); ++i)
        candidates[i].name = serial_name(prefix, i + 1, width);
    return candidates;
}

void check_candidate_atoms(const XyzGeometry& molecule, const std::string& molecule_name,
                           const std::vector<ScreeningCandidate>& candidates) {
    for (const ScreeningCandidate& candidate : candidates) {
        const std::vector<std::string>& symbols = candidate.geometry.symbols;
        if (symbols.size() != molecule.symbols.size())
            throw CandidateError(message::candidate_atom_count(
                candidate.origin, symbols.size(), molecule_name, molecule.symbols.size()));
        for (std::size_t i = 0; i < symbols.size(); ++i)
            if (symbols[i] != molecule.symbols[i])
                throw CandidateError(message::candidate_atom(candidate.origin, i + 1, symbols[i],
                                                             molecule_name, molecule.symbols[i]));
    }
}

}  // namespace confsearch
