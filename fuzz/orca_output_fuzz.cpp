// read_orca_output on one output file: refused with a reason, or read into a complete
// result (a geometry, as many positions as symbols, 3 frequencies per atom when it has
// them). Reading the file from its two ends in pieces of any size gives what reading its
// whole text at once gives, and never takes more bytes than the file holds.
//
// Input: the size of the first piece read from either end (one byte: 1..256), then the
// output file.

#include <string>

#include "COutFile/formats/orca_output.h"
#include "COutFile/formats/output_text.h"
#include "fuzz_support.h"
#include "output_fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::ScratchDirectory scratch;
    fuzz::Input input(data, size);
    const std::size_t piece = 1 + input.byte();
    fuzz::write_file("job.out", input.rest());

    confsearch::OutputText pieces;
    fuzz::check(pieces.open("job.out", piece).ok(), "a plain file cannot be opened");
    confsearch::OutputResult result;
    const confsearch::ReadError error = confsearch::read_orca_output(pieces, result);
    fuzz::check(pieces.bytes_read() <= input.rest().size(), "a byte of the file was read twice");

    confsearch::OutputText whole;
    whole.assign(std::string(input.rest()), "job.out");
    confsearch::OutputResult at_once;
    const confsearch::ReadError again = confsearch::read_orca_output(whole, at_once);

    fuzz::check_output_result(error, result, confsearch::OutputProgram::orca);
    fuzz::check_same_reading(error, result, again, at_once);
    return 0;
}
