// Entries of the archive block that ends a Gaussian output file.
#pragma once

#include <istream>
#include <string>

namespace detail {

// Like file_find_ignore_linux, but passes over occurrences of key that are not entries
// of the archive block (the nearest character before them, wraps passed over, is not
// "\\" or "|"). whole_file says whether the stream holds the whole file or only its end;
// an occurrence whose standing cannot be told in a tail ends the search with false.
bool find_archive_entry(std::istream& in, const std::string& key, int direction,
                        std::ios_base::seekdir start, bool whole_file);

}  // namespace detail
