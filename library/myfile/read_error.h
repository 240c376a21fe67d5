// Why a file could not be read, in words, with the line of the file at fault where the
// format allows one to be named.
#pragma once

#include <string>

namespace confsearch {

// What was wrong and the 1-based line of the file where it was found; line 0 when the
// fault has no line of its own (a keyword missing from the whole file). A default value
// is no error.
struct ReadError {
    std::string what;
    long line = 0;

    bool ok() const { return what.empty(); }
    // "conf07.log, line 18342: <what>", or "conf07.log: <what>" without a line.
    std::string message(const std::string& file) const;
};

// The 1-based number of the line that holds byte offset of a text (the line after the
// last '\n' before it).
long line_at(const std::string& text, std::size_t offset);

}  // namespace confsearch
