// Small reading and writing helpers shared by the readers and writers of every module.
#pragma once

#include <fstream>
#include <istream>
#include <limits>
#include <ostream>
#include <string>
#include <string_view>

namespace confsearch::detail {

using Pos = std::streamoff;

// Characters that a Gaussian archive block may put inside a wrapped keyword or number.
// The block wraps at 70 columns and starts each continuation line with a blank:
//     ...\State=1-A\H
//      F=-517.8751652\RMSD=...
// Files copied from Windows machines carry CR LF line ends, so a carriage return is
// passed over like the line end itself.
inline bool is_wrap(int c) { return c == ' ' || c == '\n' || c == '\r'; }

// Discards everything up to and including the next '\n', however long the line. Lines
// written on Windows end in "\r\n"; the '\r' goes with the rest of the line.
inline void skip_line(std::istream& in) {
    in.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
}

// Opens a file for reading in binary mode and tells whether it can be read: a directory
// opens like a file on Linux and fails only at the first read. The stream is left
// at the start with its error state cleared.
inline bool open_readable(std::ifstream& in, const std::string& file) {
    in.open(file, std::ios::binary);
    if (!in.is_open()) return false;
    try {
        in.peek();
    } catch (const std::ios_base::failure&) {
        in.setstate(std::ios_base::badbit);
    }
    const bool readable = !in.bad();
    in.clear();
    return readable;
}

// The read position of a stream's buffer, and a move there that clears the error state.
inline Pos tell(std::istream& in) {
    return in.rdbuf()->pubseekoff(0, std::ios_base::cur, std::ios_base::in);
}

inline void seek(std::istream& in, Pos p) {
    in.clear();
    in.rdbuf()->pubseekpos(p, std::ios_base::in);
}

// Creates (or empties) a file and fills it with write(out). False when it cannot be
// created, or when a write or the closing fails (a full disk shows at the latest there).
template <class Write>
bool write_whole_file(const std::string& file, Write write) {
    std::ofstream out(file, std::ios::trunc);
    if (!out) return false;
    write(static_cast<std::ostream&>(out));
    out.close();
    return static_cast<bool>(out);
}

// A word of a file as a message shows it: at most 20 characters, a byte that is not
// printable text as "?" (a binary file must not write control codes to the terminal).
inline std::string shown_word(std::string_view word) {
    const std::size_t most = 20;
    std::string text;
    for (std::size_t i = 0; i < word.size() && i < most; ++i) {
        const unsigned char c = static_cast<unsigned char>(word[i]);
        text += c >= 0x20 && c < 0x7f ? static_cast<char>(c) : '?';
    }
    if (word.size() > most) text += "...";
    return text;
}

}  // namespace confsearch::detail
