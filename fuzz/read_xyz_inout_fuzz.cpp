// The final geometry table of an output file: CBasicConformer::read_xyz_inout by file
// name, and read_geometry_table for either title on a file stream and on a stream over
// the bytes in memory (the way the result readers hand it the tail of a file). All must
// tell the same story; a table that is not read leaves the conformer emptied.
//
// Input: the atom count (one byte), the title (one byte: even for "Standard orientation:",
// odd for "Input orientation:"), then the output file.

#include <fstream>
#include <istream>
#include <string>

#include "CConformer.h"
#include "detail/memory_buffer.h"
#include "fuzz_support.h"

using namespace confsearch;

namespace {

void check_status(const GeometryTableStatus& status, const CBasicConformer& conformer, int atoms) {
    using Status = GeometryTableStatus;
    fuzz::check(conformer.get_size() == atoms, "the read changed the atom count");
    switch (status.outcome) {
        case Status::none: fuzz::check(status.rows == 0, "a read table reports rows"); return;
        case Status::no_table: fuzz::check(status.rows == 0, "no table, but rows"); break;
        case Status::other_size:
            fuzz::check(status.rows != atoms, "a table of the right size is of another size");
            break;
        case Status::cut_short:
            fuzz::check(status.rows >= 0 && status.rows < atoms, "a cut table of too many rows");
            break;
        case Status::damaged_row:
            fuzz::check(status.rows >= 1 && status.rows <= atoms + 1, "a damaged row outside");
            break;
    }
    fuzz::check(fuzz::same_geometry(conformer, CBasicConformer(atoms)),
                "a table not read left atoms filled");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::ScratchDirectory scratch;
    fuzz::Input input(data, size);
    const int atoms = input.molecule_size();
    const std::string& title = input.byte() % 2 == 0 ? STANDARD_ORIENTATION : INPUT_ORIENTATION;
    std::string text(input.rest());
    fuzz::write_file("job.log", text);

    CBasicConformer by_name(atoms);
    const bool read_by_name = by_name.read_xyz_inout("job.log");

    CBasicConformer from_file(atoms);
    std::ifstream file("job.log", std::ios::binary);
    const GeometryTableStatus file_status = from_file.read_geometry_table(file, title);
    check_status(file_status, from_file, atoms);

    CBasicConformer in_memory(atoms);
    detail::MemoryBuffer buffer(text.data(), text.size());
    std::istream memory(&buffer);
    const GeometryTableStatus memory_status = in_memory.read_geometry_table(memory, title);
    check_status(memory_status, in_memory, atoms);

    fuzz::check(file_status.outcome == memory_status.outcome &&
                    file_status.rows == memory_status.rows &&
                    fuzz::same_geometry(from_file, in_memory),
                "a file stream and a stream in memory read different tables");
    if (title == STANDARD_ORIENTATION)
        fuzz::check(read_by_name == (file_status.outcome == GeometryTableStatus::none) &&
                        fuzz::same_geometry(by_name, from_file),
                    "read_xyz_inout and read_geometry_table disagree");
    return 0;
}
