// collect_records: joins the records of the files named in "list.txt" into the one
// collection file "all_collection.txt" that sort_collection reads, numbering them
// NAME_1, NAME_2, ... across all files.
//
//   collect_records

#include <iostream>
#include <string>

#include "COutFile.h"
#include "cli.h"

namespace {

using namespace confsearch;

const char* const PROGRAM = "collect_records";
const char* const USAGE = "usage: collect_records";
const cli::Help HELP = {
    USAGE,
    "Joins the records of the files named in list.txt (one name per line) into\n"
    "all_collection.txt, numbered NAME_1, NAME_2, ... across all files, for\n"
    "sort_collection. A record is a head word, its text and a line holding \"@\". Takes no\n"
    "argument.\n"
    "\n"
    "  -h, --help  print this help\n"};

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
        case CollectOutcome::none: break;
    }
    return "";
}

// The program has always run whatever its arguments, and scripts may pass some: they are
// still ignored, with a word. An option is refused as in every other program, since
// whoever gives one expects it to change the run.
void check_arguments(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i)
        if (std::string(argv[i]).rfind("--", 0) == 0)
            throw cli::Failure{std::string("unknown option ") + argv[i] + " (there is none but " +
                                   cli::HELP.name + ")",
                               cli::EXIT_REFUSED, USAGE};
    if (argc > 1)
        cli::warn(PROGRAM, "the arguments are ignored: the record files are named in " + LIST_FILE);
}

int run(int argc, char* argv[]) {
    check_arguments(argc, argv);
    const CollectOutcome outcome = collect_records(LIST_FILE, COLLECTION_FILE);
    for (const std::string& name : outcome.passed_over) {
        std::cout.flush();
        std::cerr << PROGRAM << ": " << name << " is the collection being written: it is not "
                  << "read as a record file" << std::endl;
    }
    if (outcome.status == CollectOutcome::none) return cli::EXIT_DONE;
    std::cout << message(outcome.status) << outcome.file << '\n';
    return cli::EXIT_FAILED;
}

}  // namespace

int main(int argc, char* argv[]) {
    return confsearch::cli::run_main(PROGRAM, HELP, run, argc, argv);
}
