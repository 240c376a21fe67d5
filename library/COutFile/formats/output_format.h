// Which program wrote an output file, told from its content, and the reading of an ORCA
// or xtb output file by that program's reader.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "COutFile/formats/output_result.h"
#include "myfile/read_error.h"

namespace confsearch {

class OutputText;

// How much of a file's head is searched for a program's banner.
inline constexpr std::size_t RECOGNITION_BYTES = 64 * 1024;

// The program whose banner comes first in the head of an output file: ORCA's
// "* O   R   C   A *", xtb's "x T B", Gaussian's "Entering Gaussian System"; nullopt for
// none of them. Each program prints its banner before anything it runs, so an ORCA GOAT
// run, which prints fifty xtb outputs inside its own, is ORCA's. The Gaussian-98-style
// frequency file that xtb writes (g98.out) is none of them.
std::optional<OutputProgram> recognise_output(std::string_view head);
// The same for the first RECOGNITION_BYTES of an opened text.
std::optional<OutputProgram> recognise_output(OutputText& text);
// The same for a file, from its first few kilobytes where the banner stands, or its
// first RECOGNITION_BYTES when batch-script lines come before it; nullopt also for a file
// that cannot be read.
std::optional<OutputProgram> recognise_output_file(const std::string& file);

// Reads the result of an ORCA or xtb output file with the reader of the program that
// wrote it. A Gaussian output is recognised but not read here: until the Gaussian reader
// joins this folder, Gaussian outputs are read by COutSort::read_info, and this function
// refuses them with GAUSSIAN_READ_ELSEWHERE and result.program set to gaussian, so that
// a caller can send them there. A file of none of the three is refused with
// "not an output of Gaussian, ORCA or xtb".
ReadError read_output_file(const std::string& file, OutputResult& result);

}  // namespace confsearch
