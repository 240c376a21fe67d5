// The energy-list readers of both result lists on any text. Both read the same results,
// one per line from the first, each with a name, up to the first line without all three
// fields.
//
// Input: the energy list.

#include <string>

#include "COutFile.h"
#include "fuzz_support.h"

using namespace confsearch;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::ScratchDirectory scratch;
    const std::string_view text = fuzz::Input(data, size).rest();
    fuzz::write_file("all_list2.txt", text);

    COutSortList with_geometry(3);
    CConfSortList without;
    fuzz::check(
        with_geometry.read_energylist("all_list2.txt") && without.read_energylist("all_list2.txt"),
        "a readable energy list was not read");
    fuzz::check(with_geometry.get_count() == without.get_count(),
                "the two lists read different numbers of results");
    std::size_t lines = 0;
    for (const char c : text) lines += c == '\n';
    fuzz::check(static_cast<std::size_t>(without.get_count()) <= lines + 1,
                "more results than lines");
    for (int i = 1; i <= without.get_count(); ++i)
        fuzz::check(!without[i].name.empty() && without[i].name == with_geometry[i].name &&
                        without[i].energy == with_geometry[i].energy &&
                        without[i].dipole == with_geometry[i].dipole,
                    "result " + std::to_string(i) + " differs between the lists");
    return 0;
}
