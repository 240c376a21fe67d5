// read_xtb_output on one output file and the coordinate file a single point names
// ("start.xyz" beside it): refused with a reason, or read into a complete result.
// Reading the output from its two ends in pieces of any size gives what reading its
// whole text at once gives, and never takes more bytes than the file holds.
//
// Input: the size of the first piece read from either end (one byte: 1..256), then the
// output file and the coordinate file, parted by fuzz::FILE_SEPARATOR.

#include <string>

#include "COutFile/formats/output_text.h"
#include "COutFile/formats/xtb_output.h"
#include "fuzz_support.h"
#include "output_fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::ScratchDirectory scratch;
    fuzz::Input input(data, size);
    const std::size_t piece = 1 + input.byte();
    const std::vector<std::string_view> files = input.files(fuzz::FILE_SEPARATOR, 2);
    fuzz::write_file("job.out", files[0]);
    if (files.size() > 1) fuzz::write_file("start.xyz", files[1]);

    confsearch::OutputText pieces;
    fuzz::check(pieces.open("job.out", piece).ok(), "a plain file cannot be opened");
    confsearch::OutputResult result;
    const confsearch::ReadError error = confsearch::read_xtb_output(pieces, result);
    fuzz::check(pieces.bytes_read() <= files[0].size(), "a byte of the file was read twice");

    confsearch::OutputText whole;
    whole.assign(std::string(files[0]), "job.out");
    confsearch::OutputResult at_once;
    const confsearch::ReadError again = confsearch::read_xtb_output(whole, at_once);

    fuzz::check_output_result(error, result, confsearch::OutputProgram::xtb);
    fuzz::check_same_reading(error, result, again, at_once);
    return 0;
}
