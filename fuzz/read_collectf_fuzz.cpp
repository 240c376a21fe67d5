// COutSortList::read_collectf on any collection file, for any atom count. Every block of
// the file is either a result of the atoms asked for or left out with its reason: none is
// lost.
//
// Input: the atom count (one byte: -1..101), then the collection file.

#include <string>

#include "COutFile.h"
#include "fuzz_support.h"

using namespace confsearch;

namespace {

// Blocks of a collection that hold more than white space: the text before each separator
// line (whose rest of line goes with it), and the text after the last one.
std::size_t blocks(std::string_view text) {
    std::size_t count = 0;
    for (;;) {
        const std::size_t separator = text.find(COLLECTION_SEPARATOR);
        const std::string_view block = text.substr(0, separator);
        if (block.find_first_not_of(" \t\r\n") != std::string_view::npos) ++count;
        if (separator == std::string_view::npos) return count;
        const std::size_t line_end = text.find('\n', separator);
        if (line_end == std::string_view::npos) return count;
        text.remove_prefix(line_end + 1);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::ScratchDirectory scratch;
    fuzz::Input input(data, size);
    const int atoms = input.atom_count();
    fuzz::write_file("all_collection.txt", input.rest());

    COutSortList results;
    bool read = false;
    if (!fuzz::runs_unless_bad_count(
            atoms, [&] { read = results.read_collectf("all_collection.txt", atoms); }))
        return 0;
    if (!read) {
        fuzz::check(input.rest().find(COLLECTION_LABEL) == std::string_view::npos,
                    "a collection with a label was refused");
        return 0;
    }
    for (int i = 1; i <= results.get_count(); ++i)
        fuzz::check(results[i].conformer.get_size() == atoms && !results[i].name.empty(),
                    "result " + std::to_string(i) + " is not a record of the atoms asked for");
    for (const LeftOut& refused : results.left_out())
        fuzz::check(!refused.reason.empty(), "a record left out without reason");
    fuzz::check(results.get_count() + results.left_out().size() == blocks(input.rest()),
                "a block was neither read nor left out");
    return 0;
}
