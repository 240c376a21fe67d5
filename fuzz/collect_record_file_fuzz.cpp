// The record splitting of collect_records, collect_record_file, on any record file. Each
// record becomes one block of the collection, labelled with the next number and closed by
// the separator line; what it copies is the file's text, never more. The collection then
// reads back with COutSortList::read_collectf, each block a result or left out, as
// sort_collection reads it.
//
// Input: the atom count of the records (one byte: 0..100), then the record file.

#include <fstream>
#include <sstream>
#include <string>

#include "COutFile.h"
#include "fuzz_support.h"

using namespace confsearch;

namespace {

std::size_t occurrences(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::ScratchDirectory scratch;
    fuzz::Input input(data, size);
    const int atoms = input.molecule_size();
    const std::string_view text = input.rest();
    fuzz::write_file("batch.txt", text);

    std::ifstream in("batch.txt", std::ios::binary);
    std::ostringstream out;
    const unsigned long long first = 1;
    unsigned long long counter = first;
    const CollectOutcome::Status status = collect_record_file(in, "batch.txt", out, counter);
    fuzz::check(status == CollectOutcome::none, "a plain record file was not read");

    const std::string collection = out.str();
    const unsigned long long blocks = counter - first;
    fuzz::check(occurrences(collection, COLLECTION_SEPARATOR + "\n") == blocks,
                "the blocks written are not closed once each");
    // The blocks hold the text of the records: labels and separators aside, nothing that
    // the file does not have.
    fuzz::check(collection.size() <= text.size() + blocks * (COLLECTION_LABEL.size() + 22 +
                                                             COLLECTION_SEPARATOR.size() + 1),
                "the collection holds more than the records");
    fuzz::check(blocks == 0 || collection.compare(0, COLLECTION_LABEL.size() + 2,
                                                  COLLECTION_LABEL + "1:") == 0,
                "the first block is not labelled 1");

    fuzz::write_file(COLLECTION_FILE, collection);
    COutSortList results;
    const bool read = results.read_collectf(COLLECTION_FILE, atoms);
    fuzz::check(read == (blocks > 0), "the collection was or was not read wrongly");
    fuzz::check(results.get_count() + results.left_out().size() == blocks,
                "a record was neither read nor left out");
    return 0;
}
