// The keyword searches (plain, across line wraps, over CR LF line ends) and the number
// read behind the place found. Each search runs twice, on a file stream, which it reads
// in growing blocks, and on a stream over the same bytes in memory, which it searches in
// place; both must agree with each other and with a search of the whole text at once.
//
// Input: a control byte (search, direction, start point), the key length and key, two
// bytes of start position for a search from the current position, then the file text.

#include <fstream>
#include <istream>
#include <string>
#include <string_view>

#include "detail/memory_buffer.h"
#include "fuzz_support.h"
#include "myfile.h"

using namespace confsearch;

namespace {

constexpr std::size_t npos = std::string_view::npos;

enum class Search { plain, skip_wraps, crlf };

// The text searched is a file of the output kind; a key is a keyword such as "HF=" or
// "Rotational constants (GHZ):", never longer than this.
const std::size_t MAX_KEY = 40;

// Longest number text that read_number_ignore takes.
const std::size_t MAX_NUMBER_TEXT = 4096;

bool is_wrap(char c) { return c == ' ' || c == '\n' || c == '\r'; }

// Whether key matches the text forward from t; end is then the position after the match.
// A wrap that does not match the next key character is passed over when skipping wraps;
// a line end of the key matches "\r\n" as well in a CR LF search.
bool matches_from(std::string_view text, std::size_t t, std::string_view key, Search how,
                  std::size_t& end) {
    std::size_t i = t;
    for (std::size_t k = 0; k < key.size();) {
        if (i >= text.size()) return false;
        if (text[i] == key[k]) {
            ++i;
            ++k;
        } else if (how == Search::skip_wraps && is_wrap(text[i])) {
            ++i;
        } else if (how == Search::crlf && key[k] == '\n' && text.substr(i, 2) == "\r\n") {
            i += 2;
            ++k;
        } else {
            return false;
        }
    }
    end = i;
    return true;
}

// Whether key matches the text backward so that its last character stands at e.
bool matches_to(std::string_view text, std::size_t e, std::string_view key, Search how) {
    std::size_t i = e + 1;
    for (std::size_t k = key.size(); k > 0;) {
        if (i == 0) return false;
        const char c = text[i - 1];
        if (c == key[k - 1]) {
            --i;
            --k;
            if (how == Search::crlf && c == '\n' && i > 0 && text[i - 1] == '\r') --i;
        } else if (how == Search::skip_wraps && is_wrap(c)) {
            --i;
        } else {
            return false;
        }
    }
    return true;
}

// The position just after the occurrence the search must find, or npos: forward the first
// that begins at or after from, backward the last that ends at or before it.
std::size_t expected_end(std::string_view text, std::string_view key, Search how, bool forward,
                         std::size_t from) {
    if (key.empty()) return npos;
    if (forward) {
        for (std::size_t t = from; t < text.size(); ++t) {
            std::size_t end = 0;
            if (text[t] == key.front() && matches_from(text, t, key, how, end)) return end;
        }
        return npos;
    }
    for (std::size_t e = std::min(from, text.size()); e-- > 0;)
        if (text[e] == key.back() && matches_to(text, e, key, how)) return e + 1;
    return npos;
}

// What read_number_ignore must do at p: the number text it takes and where it stops.
struct Number {
    bool read = false;
    double value = 0.0;
    std::size_t stop = 0;
    bool too_long = false;
};

Number expected_number(std::string_view text, std::size_t p) {
    auto digits = [&](std::string& taken) {
        while (p < text.size() && (is_figure(text[p]) || is_wrap(text[p]))) {
            if (is_figure(text[p])) taken += text[p];
            ++p;
        }
    };
    while (p < text.size() && is_wrap(text[p])) ++p;
    std::string taken;
    if (p < text.size() && (text[p] == '-' || text[p] == '+')) taken += text[p++];
    digits(taken);
    if (p < text.size() && text[p] == '.') {
        taken += text[p++];
        digits(taken);
    }
    Number number;
    number.too_long = taken.size() > MAX_NUMBER_TEXT;
    number.read = !taken.empty() && !number.too_long;
    if (number.read) number.value = std::strtod(taken.c_str(), nullptr);
    number.stop = p;
    return number;
}

std::streamoff position(std::istream& in) {
    return in.rdbuf()->pubseekoff(0, std::ios_base::cur, std::ios_base::in);
}

struct Outcome {
    bool found = false;
    std::streamoff at = 0;
    bool number_read = false;
    double value = 0.0;
    std::streamoff after_number = 0;
};

const double UNTOUCHED = -7777.25;

Outcome run(std::istream& in, Search how, const std::string& key, int direction,
            std::ios_base::seekdir start, std::streamoff at_call) {
    in.seekg(at_call);
    Outcome outcome;
    switch (how) {
        case Search::plain: outcome.found = file_find_linux(in, key, direction, start); break;
        case Search::skip_wraps:
            outcome.found = file_find_ignore_linux(in, key, direction, start);
            break;
        case Search::crlf: outcome.found = file_find_win(in, key, direction, start); break;
    }
    fuzz::check(!in.fail(), "the search left the stream failed");
    outcome.at = position(in);
    outcome.value = UNTOUCHED;
    outcome.number_read = read_number_ignore(in, outcome.value);
    outcome.after_number = position(in);
    return outcome;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::ScratchDirectory scratch;
    fuzz::Input input(data, size);
    const std::uint8_t control = input.byte();
    const auto how = static_cast<Search>(control % 3);
    const int direction = (control & 0x04) != 0 ? 1 : -1;
    const std::ios_base::seekdir starts[] = {std::ios_base::beg, std::ios_base::cur,
                                             std::ios_base::end};
    const std::ios_base::seekdir start = starts[(control >> 3) % 3];
    const std::string key(input.take(input.byte() % (MAX_KEY + 1)));
    const unsigned short offset = input.word();
    const std::string text(input.rest());
    const auto at_call = static_cast<std::streamoff>(offset % (text.size() + 1));

    fuzz::write_file("text.txt", text);
    std::ifstream file("text.txt", std::ios::binary);
    const Outcome from_file = run(file, how, key, direction, start, at_call);
    std::string bytes = text;
    detail::MemoryBuffer buffer(bytes.data(), bytes.size());
    std::istream memory(&buffer);
    const Outcome in_memory = run(memory, how, key, direction, start, at_call);

    fuzz::check(from_file.found == in_memory.found && from_file.at == in_memory.at,
                "a file stream and a stream in memory found different places");
    fuzz::check(from_file.number_read == in_memory.number_read &&
                    from_file.after_number == in_memory.after_number &&
                    (!from_file.number_read || from_file.value == in_memory.value),
                "a file stream and a stream in memory read different numbers");

    std::size_t from = static_cast<std::size_t>(at_call);
    if (start == std::ios_base::beg) from = 0;
    if (start == std::ios_base::end) from = text.size();
    // A key with a carriage return of its own is no line end of either form: a CR LF
    // search for one is not defined, and no reader makes one.
    if (how != Search::crlf || key.find('\r') == std::string::npos) {
        const std::size_t end = expected_end(text, key, how, direction == 1, from);
        fuzz::check(from_file.found == (end != npos), "the search result is wrong");
        fuzz::check(from_file.at == static_cast<std::streamoff>(end != npos ? end : at_call),
                    "the search left the stream in the wrong place");
    }

    const Number number = expected_number(text, static_cast<std::size_t>(from_file.at));
    if (!number.too_long) {
        fuzz::check(from_file.number_read == number.read, "a number was or was not read wrongly");
        fuzz::check(
            from_file.number_read ? from_file.value == number.value : from_file.value == UNTOUCHED,
            "the number read has the wrong value");
        fuzz::check(from_file.after_number == static_cast<std::streamoff>(number.stop),
                    "the number read stopped in the wrong place");
    }
    return 0;
}
