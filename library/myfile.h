// Pulling values out of large text files (Gaussian output above all): keyword search
// forwards and backwards, also across line wraps, reading the number that follows, and
// the one-letter element classes.
#pragma once

#include <istream>
#include <string>

#include "myfile/read_error.h"

// True exactly for the characters '0' to '9'.
bool is_figure(char c);

// Reads a decimal number at the current position, passing over blanks and line ends
// (also inside the number, where an output file wrapped it). There is no exponent part.
// Sets value and returns true when a sign, digit or point was taken; otherwise false,
// value unchanged, the stream left on the offending character.
bool read_number_ignore(std::istream& in, double& value);

// Searches the stream for key. direction 1 searches forward for the first occurrence
// that begins at or after the start point; any other direction backward for the last
// occurrence that ends at or before it. start is std::ios::beg, std::ios::end or
// std::ios::cur. Found: the stream stands just after the occurrence, its error state
// cleared. Not found: the error state is cleared and the position at the call restored.
// A stream already failed gives false at once.
bool file_find_linux(std::istream& in, const std::string& key, int direction,
                     std::ios_base::seekdir start);
// As file_find_linux, but blanks, line ends and carriage returns in the text that do not
// match the next key character are passed over (a keyword broken by a line wrap).
bool file_find_ignore_linux(std::istream& in, const std::string& key, int direction,
                            std::ios_base::seekdir start);
// As file_find_linux, for files with two-character (CR LF) line ends: a line end in the
// key matches either form; positions are those of the file.
bool file_find_win(std::istream& in, const std::string& key, int direction,
                   std::ios_base::seekdir start);

// Element class 1..14 of a one-letter symbol's letter (H C N O S P K B F I W U V Y);
// 0 for every other character.
int index(char letter);
// The letter of an element class, or the character with code 0 outside 1..14.
char name(int element_class);

namespace confsearch {

// True when the file opens and its first byte can be read (or it is empty): a directory
// opens like a file on Linux and fails only at the first read.
bool readable_file(const std::string& file);

}  // namespace confsearch
