// Reading the results at the end of an output file: the tail of the file read in
// one piece and searched in place, with the whole file as the fallback.
#pragma once

#include <fstream>
#include <functional>
#include <istream>

namespace confsearch {

// Runs read(stream, whole_file) on a stream over the last few kilobytes of an open file;
// when that fails and the tail is not the whole file, runs it again on the file itself.
// whole_file tells read whether its stream holds the whole file or only its end. False
// when read fails both times.
bool read_from_end(std::ifstream& in,
                   const std::function<bool(std::istream&, bool whole_file)>& read);

}  // namespace confsearch
