// The collection file: result records of many files joined into one, each block labelled
// "NAME_<n>:" and closed by a separator line, as collect_records writes it and
// COutSortList::read_collectf reads it.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace confsearch {

// Label that opens every block, followed by its running number and a colon.
inline const std::string COLLECTION_LABEL = "NAME_";
// Line that closes every block.
inline const std::string COLLECTION_SEPARATOR = "---------------------------------@";
// Character that ends a record in a record file.
const char RECORD_END = '@';

// File written by collect_records from the record files named in LIST_FILE.
inline const std::string COLLECTION_FILE = "all_collection.txt";

// How a collection run ended; file names the file concerned when it did not end well.
struct CollectOutcome {
    enum Status { none, list_unreadable, cannot_create, read_failed, write_failed };
    Status status = none;
    std::string file;
    // Names in the list that are the collection file itself, passed over unread.
    std::vector<std::string> passed_over{};

    bool ok() const { return status == none; }
};

// Copies the records of one record file to a collection stream. A record is a head word,
// its text and RECORD_END with the rest of that line; each becomes the block
// "NAME_<counter>:" + text + separator line, and counter counts on. Prints
// "<file_name>  <head word>" per record on standard output.
CollectOutcome::Status collect_record_file(std::istream& in, const std::string& file_name,
                                           std::ostream& out, unsigned long long& counter);

// Joins the records of the files named in list_file (one name per line) into
// collection_file, numbered from 1 across all files. A listed file that cannot be opened
// is reported as "cannot open file: <name>" on standard output and passed over; one that
// is collection_file itself is passed over with the rest of its line and named in the
// outcome.
CollectOutcome collect_records(const std::string& list_file, const std::string& collection_file);

}  // namespace confsearch
