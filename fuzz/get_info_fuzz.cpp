// COutSort::get_info and read_info on one output file, for any atom count: energy, dipole
// and final geometry, read from the file's tail or, failing that, the whole file. A bad
// atom count may be thrown back as the documented int; a failure leaves the record
// cleared and names a reason; a success holds a geometry of the atoms asked for. Whatever
// the tail gave, the result is the one the whole file gives when read at once.
//
// Input: the atom count (one byte: -1..101), then the output file.

#include <fstream>
#include <string>

#include "COutFile.h"
#include "COutFile/formats/gaussian_output.h"
#include "COutFile/formats/output_format.h"
#include "fuzz_support.h"

using namespace confsearch;

namespace {

// The reading of the whole file at once: the energy and dipole, then the last table.
ResultReadStatus read_whole(const std::string& file, int atoms, COutSort& result) {
    using Missing = EnergyDipoleMissing;
    std::ifstream in(file, std::ios::binary);
    EnergyDipole values;
    switch (read_energy_dipole(in, true, values)) {
        case Missing::energy_entry: return {ResultReadStatus::no_energy_entry, {}};
        case Missing::energy_number: return {ResultReadStatus::no_energy_number, {}};
        case Missing::dipole_entry: return {ResultReadStatus::no_dipole_entry, {}};
        case Missing::dipole_vector: return {ResultReadStatus::no_dipole_vector, {}};
        case Missing::none: break;
    }
    result.energy = values.energy;
    result.dipole = values.dipole_length();
    result.conformer.reinstall(atoms);
    const GeometryTableStatus table =
        result.conformer.read_geometry_table(in, STANDARD_ORIENTATION);
    if (table.outcome != GeometryTableStatus::none) return {ResultReadStatus::geometry, table};
    return {};
}

}  // namespace

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

    // What follows compares with the Gaussian reading; a file of no program is refused
    // before it.
    if (!input.rest().empty() && recognise_output_file("job.log") != OutputProgram::gaussian)
        return 0;
    COutSort whole;
    const ResultReadStatus expected = read_whole("job.log", atoms, whole);
    fuzz::check(status.what == expected.what && status.table.outcome == expected.table.outcome &&
                    status.table.rows == expected.table.rows,
                "the tail and the whole file give different outcomes");
    fuzz::check(!status.ok() || (record.energy == whole.energy && record.dipole == whole.dipole &&
                                 fuzz::same_geometry(record.conformer, whole.conformer)),
                "the tail and the whole file give different results");
    return 0;
}
