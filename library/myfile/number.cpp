#include "myfile.h"

#include <charconv>
#include <cstdlib>
#include <string>

#include "detail/text_io.h"

using namespace confsearch;

using confsearch::detail::is_wrap;

namespace {

// Longest number text taken; anything longer is not a number of an output file.
const std::size_t max_number_text = 4096;

// Takes digits, passing over blanks and line ends, up to the first other character.
int take_digits(std::streambuf& sb, int c, std::string& text) {
    while (c != std::char_traits<char>::eof()) {
        if (is_figure(static_cast<char>(c)))
            text += static_cast<char>(c);
        else if (!is_wrap(c))
            break;
        if (text.size() > max_number_text) break;
        c = sb.snextc();
    }
    return c;
}

bool read_number(std::istream& in, double& value) {
    std::streambuf& sb = *in.rdbuf();
    const int eof = std::char_traits<char>::eof();

    int c = sb.sgetc();
    while (c != eof && is_wrap(c)) c = sb.snextc();

    std::string text;
    if (c == '-' || c == '+') {
        text += static_cast<char>(c);
        c = sb.snextc();
    }
    c = take_digits(sb, c, text);
    if (c == '.') {
        text += '.';
        c = take_digits(sb, sb.snextc(), text);
    }
    if (c == eof) in.setstate(std::ios_base::eofbit);
    if (text.empty() || text.size() > max_number_text) return false;
    // The text is a sign, digits and a point: from_chars gives the value atof would, the
    // correctly rounded one, without the locale machinery; what it refuses ("+7", a lone
    // sign or point) goes to atof, which reads a lone sign as 0.
    const char* const first = text.data() + (text[0] == '+' ? 1 : 0);
    const char* const last = text.data() + text.size();
    const std::from_chars_result result = std::from_chars(first, last, value);
    if (result.ec != std::errc() || result.ptr != last) value = std::atof(text.c_str());
    return true;
}

}  // namespace

bool is_figure(char c) { return c >= '0' && c <= '9'; }

bool read_number_ignore(std::istream& in, double& value) {
    if (in.fail() || in.rdbuf() == nullptr) return false;
    try {
        return read_number(in, value);
    } catch (const std::ios_base::failure&) {
        in.setstate(std::ios_base::badbit);
        return false;
    }
}
