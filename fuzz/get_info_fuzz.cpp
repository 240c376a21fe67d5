// COutSort::get_info and read_info on one output file, for any atom count: energy, dipole
// and final geometry, read from the file's tail or, failing that, the whole file. A bad
// atom count may be thrown back as the documented int; a failure leaves the record
// cleared and names a reason; a success holds a geometry of the atoms asked for.
//
// Input: the atom count (one byte: -1..101), then the output file.

#include <string>

#include "COutFile.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::ScratchDirectory scratch;
    fuzz::Input input(data, size);
    const int atoms = input.atom_count();
    fuzz::write_file("job.log", input.rest());

    COutSort record;
    ResultReadStatus status;
    if (!fuzz::runs_unless_bad_count(atoms, [&] { status = record.read_info("job.log", atoms); }))
        return 0;
    if (status.ok()) {
        fuzz::check(record.name == "job.log" && record.conformer.get_size() == atoms,
                    "a result read without its name or geometry");
    } else {
        fuzz::check(status.what != ResultReadStatus::cannot_open, "a plain file cannot be opened");
        fuzz::check(!status.reason(atoms).empty() && record.name.empty() && record.energy == 0 &&
                        record.conformer.get_size() == 0,
                    "a refused file left a record behind");
    }

    COutSort again;
    bool read_again = false;
    fuzz::runs_unless_bad_count(atoms, [&] { read_again = again.get_info("job.log", atoms); });
    fuzz::check(
        read_again == status.ok() && again.energy == record.energy && again.dipole == record.dipole,
        "get_info and read_info disagree");
    return 0;
}
