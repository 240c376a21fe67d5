// collect_records: joins the records of the files named in "list.txt" into the one
// collection file "all_collection.txt" that sort_collection reads, numbering them
// NAME_1, NAME_2, ... across all files.

#include <iostream>
#include <string>

#include "COutFile.h"
#include "cli.h"

namespace {

const char* const PROGRAM = "collect_records";

// Messages on standard output, exact texts: the first has a blank before its colon.
const char* const CANNOT_OPEN_LIST = "cannot open file : ";
const char* const CANNOT_CREATE = "cannot create file: ";
const char* const CANNOT_READ = "cannot read file: ";
const char* const CANNOT_WRITE = "cannot write file: ";

const char* message(CollectOutcome::Status status) {
    switch (status) {
        case CollectOutcome::list_unreadable: return CANNOT_OPEN_LIST;
        case CollectOutcome::cannot_create: return CANNOT_CREATE;
        case CollectOutcome::read_failed: return CANNOT_READ;
        case CollectOutcome::write_failed: return CANNOT_WRITE;
        case CollectOutcome::done: break;
    }
    return "";
}

int run(int, char*[]) {
    const CollectOutcome outcome = collect_records(RECORD_LIST_FILE, COLLECTION_FILE);
    for (const std::string& name : outcome.passed_over) {
        std::cout.flush();
        std::cerr << PROGRAM << ": " << name << " is the collection being written: it is not "
                  << "read as a record file" << std::endl;
    }
    if (outcome.status == CollectOutcome::done) return cli::EXIT_DONE;
    std::cout << message(outcome.status) << outcome.file << '\n';
    return cli::EXIT_FAILED;
}

}  // namespace

int main(int argc, char* argv[]) { return cli::run_main(PROGRAM, run, argc, argv); }
