// The multi-structure xyz reader: frames read line by line, every fault named by its line.
#include "COutFile/formats/xyz_frames.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string_view>

#include "CMyElement/element.h"
#include "detail/atomic_numbers.h"
#include "detail/text_io.h"

namespace confsearch {

namespace {

// The lines of a text without their line ends; a Windows "\r\n" loses its '\r' too.
std::vector<std::string_view> lines_of(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t begin = 0;
    while (begin < text.size()) {
        std::size_t end = text.find('\n', begin);
        const std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(begin, end - begin);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        begin = next;
    }
    return lines;
}

bool blank(std::string_view line) {
    for (const char c : line)
        if (!std::isspace(static_cast<unsigned char>(c))) return false;
    return true;
}

// The words of a line, split at blanks and tabs.
std::vector<std::string_view> words_of(std::string_view line) {
    std::vector<std::string_view> words;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) ++i;
        const std::size_t begin = i;
        while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i]))) ++i;
        if (i > begin) words.push_back(line.substr(begin, i - begin));
    }
    return words;
}

// A whole word as a whole number within 1..most; 0 when it is not one.
long whole_count(std::string_view word, long most) {
    if (word.empty() || word.size() > 9) return 0;
    long value = 0;
    for (const char c : word) {
        if (c < '0' || c > '9') return 0;
        value = value * 10 + (c - '0');
    }
    return value <= most ? value : 0;
}

bool finite_number(std::string_view word, double& value) {
    const std::string text(word);
    char* end = nullptr;
    errno = 0;
    value = std::strtod(text.c_str(), &end);
    return end == text.c_str() + text.size() && !text.empty() && errno != ERANGE &&
           std::isfinite(value);
}

// The element a word names: "C", "cl", "CL" or "17"; 0 for none.
int element_of(std::string_view word) {
    if (!word.empty() && std::isdigit(static_cast<unsigned char>(word[0]))) {
        const long z = whole_count(word, detail::LAST_ELEMENT);
        return static_cast<int>(z);
    }
    if (word.size() > 3) return 0;
    std::string symbol(word);
    for (std::size_t i = 0; i < symbol.size(); ++i)
        symbol[i] = static_cast<char>(i == 0 ? std::toupper(static_cast<unsigned char>(symbol[i]))
                                             : std::tolower(static_cast<unsigned char>(symbol[i])));
    return CELEMENT(symbol).get_number();
}

}  // namespace

ReadError parse_xyz_frames(const std::string& text, std::vector<XyzFrame>& frames) {
    const std::vector<std::string_view> lines = lines_of(text);
    std::vector<XyzFrame> read;
    std::size_t at = 0;
    while (true) {
        while (at < lines.size() && blank(lines[at])) ++at;
        if (at == lines.size()) break;
        const long count_line = static_cast<long>(at) + 1;
        const std::string frame = "frame " + std::to_string(read.size() + 1);
        // Frames are read atom line by atom line, so a damaged count asks for no storage:
        // it ends the file early instead.
        const std::vector<std::string_view> count_words = words_of(lines[at]);
        const long atoms = whole_count(count_words.front(), 999999999);
        if (atoms == 0)
            return {frame + ": the atom count must be a whole number of at least 1, not \"" +
                        detail::shown_word(count_words.front()) + "\"",
                    count_line};
        XyzFrame f;
        f.line = count_line;
        ++at;
        if (at == lines.size()) return {frame + ": the file ends before its comment line", 0};
        f.comment = std::string(lines[at]);
        ++at;
        for (long k = 1; k <= atoms; ++k, ++at) {
            const long line = static_cast<long>(at) + 1;
            if (at == lines.size())
                return {frame + ": the file ends after " + std::to_string(k - 1) + " of its " +
                            std::to_string(atoms) + " atoms",
                        0};
            const std::vector<std::string_view> words = words_of(lines[at]);
            if (words.size() < 4)
                return {frame + ", atom " + std::to_string(k) +
                            ": not an atom line (an element and three numbers)",
                        line};
            const int z = element_of(words[0]);
            if (z == 0)
                return {frame + ", atom " + std::to_string(k) + ": \"" +
                            detail::shown_word(words[0]) + "\" is no element",
                        line};
            CVECTOR p;
            if (!finite_number(words[1], p.x) || !finite_number(words[2], p.y) ||
                !finite_number(words[3], p.z))
                return {
                    frame + ", atom " + std::to_string(k) + ": a coordinate is not a finite number",
                    line};
            f.numbers.push_back(z);
            f.symbols.push_back(CELEMENT(z).get_symbol());
            f.positions.push_back(p);
        }
        read.push_back(std::move(f));
    }
    if (read.empty()) return {"no frame: the file is empty or blank", 0};
    frames = std::move(read);
    return {};
}

ReadError read_xyz_frames(const std::string& file, std::vector<XyzFrame>& frames) {
    std::ifstream in;
    if (!detail::open_readable(in, file)) return {"cannot read file"};
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) return {"cannot read file"};
    return parse_xyz_frames(text, frames);
}

}  // namespace confsearch
