#include "format_fields.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "CMyElement/element.h"

namespace confsearch::detail {

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Digits from i on; returns how many.
std::size_t digits(std::string_view text, std::size_t& i) {
    const std::size_t from = i;
    while (i < text.size() && is_digit(text[i])) ++i;
    return i - from;
}

}  // namespace

std::string_view trim(std::string_view text) {
    while (!text.empty() && is_blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && is_blank(text.back())) text.remove_suffix(1);
    return text;
}

std::vector<std::string_view> words(std::string_view line) {
    std::vector<std::string_view> result;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && is_blank(line[i])) ++i;
        const std::size_t from = i;
        while (i < line.size() && !is_blank(line[i])) ++i;
        if (i > from) result.push_back(line.substr(from, i - from));
    }
    return result;
}

std::string lower(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return result;
}

bool starts_with(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

bool parse_number(std::string_view word, double& value) {
    std::size_t i = 0;
    if (i < word.size() && (word[i] == '-' || word[i] == '+')) ++i;
    std::size_t figures = digits(word, i);
    if (i < word.size() && word[i] == '.') {
        ++i;
        figures += digits(word, i);
    }
    if (figures == 0) return false;
    if (i < word.size() && (word[i] == 'e' || word[i] == 'E')) {
        ++i;
        if (i < word.size() && (word[i] == '-' || word[i] == '+')) ++i;
        if (digits(word, i) == 0) return false;
    }
    if (i != word.size()) return false;
    // from_chars takes no leading '+'; the text is otherwise exactly its grammar.
    const std::size_t skip = word[0] == '+' ? 1 : 0;
    double parsed = 0.0;
    const auto result = std::from_chars(word.data() + skip, word.data() + word.size(), parsed);
    if (result.ec != std::errc() || !std::isfinite(parsed)) return false;
    value = parsed;
    return true;
}

bool parse_int(std::string_view word, int& value) {
    std::size_t i = 0;
    if (i < word.size() && (word[i] == '-' || word[i] == '+')) ++i;
    if (digits(word, i) == 0 || i != word.size()) return false;
    const std::size_t skip = word[0] == '+' ? 1 : 0;
    int parsed = 0;
    const auto result = std::from_chars(word.data() + skip, word.data() + word.size(), parsed);
    if (result.ec != std::errc()) return false;
    value = parsed;
    return true;
}

bool after_dots(std::string_view line, double& value) {
    const std::vector<std::string_view> w = words(line);
    const auto dots = std::find(w.begin(), w.end(), "...");
    if (dots == w.end() || dots + 1 == w.end() || w.end() - dots > 3) return false;
    return parse_number(*(dots + 1), value);
}

std::string element_symbol(std::string_view word) {
    if (word.empty() || word.size() > 3) return "";
    int number = 0;
    if (parse_int(word, number)) return number > 0 ? CELEMENT(number).get_symbol() : "";
    std::string symbol = lower(word);
    if (symbol[0] < 'a' || symbol[0] > 'z') return "";
    symbol[0] = static_cast<char>(symbol[0] - 'a' + 'A');
    return CELEMENT(symbol).get_number() == 0 ? "" : symbol;
}

bool symbol_xyz_row(std::string_view line, std::string& symbol, CVECTOR& position) {
    const std::vector<std::string_view> w = words(line);
    if (w.size() != 4) return false;
    symbol = element_symbol(w[0]);
    return !symbol.empty() && parse_number(w[1], position.x) && parse_number(w[2], position.y) &&
           parse_number(w[3], position.z);
}

}  // namespace confsearch::detail
