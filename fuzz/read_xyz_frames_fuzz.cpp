// read_xyz_frames on any text. A read that succeeds gives frames of one atom or more,
// each with as many elements (1..118, with the table's symbols) as finite positions, in
// increasing line order; one that fails leaves the list as it was and names a line within
// the file, or none.
//
// Input: the xyz file.

#include <cmath>
#include <string>
#include <vector>

#include "CMyElement/element.h"
#include "COutFile/formats/xyz_frames.h"
#include "fuzz_support.h"

using namespace confsearch;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::ScratchDirectory scratch;
    const std::string text(fuzz::Input(data, size).rest());
    fuzz::write_file("ensemble.xyz", text);

    std::vector<XyzFrame> frames(1);
    const ReadError error = read_xyz_frames("ensemble.xyz", frames);
    long lines = 1;
    for (const char c : text) lines += c == '\n' ? 1 : 0;
    if (!error.ok()) {
        fuzz::check(frames.size() == 1 && frames[0].positions.empty(),
                    "a refused file changed the frames");
        fuzz::check(error.line >= 0 && error.line <= lines, "the error names no line of the file");
        return 0;
    }
    fuzz::check(!frames.empty(), "a file read whole has no frame");
    long previous = 0;
    for (const XyzFrame& frame : frames) {
        fuzz::check(frame.line > previous && frame.line <= lines, "a frame's line is out of order");
        previous = frame.line;
        const std::size_t atoms = frame.positions.size();
        fuzz::check(atoms >= 1 && frame.numbers.size() == atoms && frame.symbols.size() == atoms,
                    "a frame's atoms, elements and symbols differ in number");
        for (std::size_t i = 0; i < atoms; ++i) {
            const CVECTOR& p = frame.positions[i];
            fuzz::check(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z),
                        "a position is not finite");
            fuzz::check(frame.numbers[i] >= 1 && frame.numbers[i] <= 118 &&
                            frame.symbols[i] == CELEMENT(frame.numbers[i]).get_symbol(),
                        "an atom has no element of the table");
        }
    }
    return 0;
}
