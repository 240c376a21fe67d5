#include "CSearch/xyz_geometry.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace confsearch {

namespace {

// The words of a line, split at blanks and tabs.
std::vector<std::string> words_of(const std::string& line) {
    std::vector<std::string> words;
    std::istringstream in(line);
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

// A finite number and nothing else: "nan" and "inf" are no coordinates.
bool read_number(const std::string& word, double& value) {
    const char* end = word.data() + word.size();
    const auto [stop, error] = std::from_chars(word.data(), end, value);
    return error == std::errc() && stop == end && std::isfinite(value);
}

bool blank(const std::string& line) { return line.find_first_not_of(" \t\r") == std::string::npos; }

// "Cl" from "CL" or "cl": element symbols are one capital and lower-case letters.
std::string proper_case(const std::string& symbol) {
    std::string proper = symbol;
    for (std::size_t i = 0; i < proper.size(); ++i) {
        const auto letter = static_cast<unsigned char>(proper[i]);
        proper[i] = static_cast<char>(i == 0 ? std::toupper(letter) : std::tolower(letter));
    }
    return proper;
}

// Right-aligned in 17 columns with 10 decimals, as wide as a value needs.
std::string coordinate(double value) {
    const int width = std::snprintf(nullptr, 0, "%17.10f", value);
    std::string text(static_cast<std::size_t>(width) + 1, '\0');
    std::snprintf(text.data(), text.size(), "%17.10f", value);
    text.pop_back();
    return text;
}

}  // namespace

std::string xyz_atom_lines(const XyzGeometry& geometry) {
    std::string text;
    for (std::size_t i = 0; i < geometry.symbols.size(); ++i) {
        const CVECTOR& p = geometry.positions.at(i);
        text += geometry.symbols[i] + " " + coordinate(p.x) + " " + coordinate(p.y) + " " +
                coordinate(p.z) + "\n";
    }
    return text;
}

void write_xyz_geometry(const std::string& file, const XyzGeometry& geometry) {
    std::string comment = geometry.comment;
    for (char& c : comment)
        if (c == '\n' || c == '\r') c = ' ';
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << geometry.symbols.size() << '\n' << comment << '\n' << xyz_atom_lines(geometry);
    out.close();
    if (!out) throw std::runtime_error("cannot write " + file);
}

ReadError read_xyz_geometry(const std::string& file, XyzGeometry& geometry) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return {"cannot be read", 0};
    std::string line;
    if (!std::getline(in, line)) return {"is empty", 0};
    const auto count_words = words_of(line);
    long count = 0;
    const std::string count_text = count_words.size() == 1 ? count_words[0] : "";
    const auto [stop, error] =
        std::from_chars(count_text.data(), count_text.data() + count_text.size(), count);
    if (count_text.empty() || error != std::errc() ||
        stop != count_text.data() + count_text.size() || count <= 0)
        return {"the first line must be the number of atoms, not \"" + line + "\"", 1};
    XyzGeometry read;
    if (!std::getline(in, line)) return {"ends before its comment line", 1};
    read.comment = line;
    for (long atom = 1; atom <= count; ++atom) {
        const long number = atom + 2;
        if (!std::getline(in, line))
            return {"ends after " + std::to_string(atom - 1) + " of " + std::to_string(count) +
                        " atoms",
                    number - 1};
        const auto words = words_of(line);
        CVECTOR position;
        if (words.size() < 4 || !read_number(words[1], position.x) ||
            !read_number(words[2], position.y) || !read_number(words[3], position.z))
            return {"an atom line must be a symbol and three numbers, not \"" + line + "\"",
                    number};
        read.symbols.push_back(words[0]);
        read.positions.push_back(position);
    }
    long number = count + 2;
    while (std::getline(in, line)) {
        ++number;
        if (!blank(line))
            return {"holds more than the " + std::to_string(count) + " atoms its first line gives",
                    number};
    }
    geometry = std::move(read);
    return {};
}

CBasicConformer conformer_of(const XyzGeometry& geometry) {
    const auto size = static_cast<int>(geometry.symbols.size());
    if (size == 0 || size > MAX_CONFORMER_SIZE ||
        geometry.positions.size() != geometry.symbols.size())
        throw std::invalid_argument("a geometry of " + std::to_string(size) +
                                    " atoms cannot be a conformer (1.." +
                                    std::to_string(MAX_CONFORMER_SIZE) + ")");
    CBasicConformer conformer(size);
    for (int i = 1; i <= size; ++i) {
        const std::string& symbol = geometry.symbols[static_cast<std::size_t>(i - 1)];
        const CELEMENT element(proper_case(symbol));
        if (element.get_number() == 0)
            throw std::invalid_argument("atom " + std::to_string(i) + ": unknown element \"" +
                                        symbol + "\"");
        conformer.set_exyz(i, element, geometry.positions[static_cast<std::size_t>(i - 1)]);
    }
    return conformer;
}

}  // namespace confsearch
