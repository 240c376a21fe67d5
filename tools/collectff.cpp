// collect_records: joins the records of the files named in "list.txt" into the one
// collection file "all_collection.txt" that sort_collection reads, numbering them
// NAME_1, NAME_2, ... across all files.

#include <array>
#include <exception>
#include <fstream>
#include <iostream>
#include <limits>
#include <string>

namespace {

const char* const LIST_FILE = "list.txt";
const char* const COLLECTION_FILE = "all_collection.txt";

// sort_collection finds the record count from the number of the last label and the
// end of each block from the separator line, so both are spelled exactly.
const char* const LABEL = "NAME_";
const char* const SEPARATOR = "---------------------------------@";
const char RECORD_END = '@';

// Messages on standard output, exact texts: the first has a blank before its colon,
// the third has none.
const char* const CANNOT_OPEN_LIST = "cannot open file : ";
const char* const CANNOT_CREATE = "cannot create file: ";
const char* const CANNOT_OPEN = "cannot open file: ";
const char* const CANNOT_READ = "cannot read file: ";
const char* const CANNOT_WRITE = "cannot write file: ";
const char* const UNEXPECTED = "collect_records: unexpected failure: ";

const int EXIT_OK = 0;
const int EXIT_FILE_ERROR = 1;
const int EXIT_UNEXPECTED = 2;

enum class Outcome { done, read_failed, write_failed };

void say(const char* message, const std::string& name) { std::cout << message << name << '\n'; }

int fail(const char* message, const std::string& name) {
    say(message, name);
    return EXIT_FILE_ERROR;
}

// A directory opens like a file on Linux and fails only at the first read, so the
// first character is fetched here to tell a readable file from one that is not.
bool open_readable(std::ifstream& in, const std::string& name) {
    in.open(name, std::ios::binary);
    if (!in.is_open()) return false;
    in.peek();
    return !in.bad();
}

void skip_line(std::istream& in) { in.ignore(std::numeric_limits<std::streamsize>::max(), '\n'); }

// Copies the text up to the next "@" (left unread) or the end of the file piece by
// piece, so a record of any length is copied whole without being held in memory.
void copy_text(std::istream& in, std::ostream& out) {
    std::array<char, 4096> piece{};
    const auto piece_size = static_cast<std::streamsize>(piece.size());
    while (out && in.get(piece.data(), piece_size, RECORD_END))
        out.write(piece.data(), in.gcount());
}

// One record is a head word, its text and "@" with the rest of that line. The head
// word is only echoed as progress; the text (which begins with the rest of the head
// word's line) is what sort_collection reads.
Outcome copy_records(std::istream& in, const std::string& file_name, std::ostream& out,
                     unsigned long long& counter) {
    std::string head;
    while (in >> head) {
        // A token ends only at white space or at the end of the file, so a record
        // without text is a head word that the file ends on; it ends this file.
        if (in.peek() == std::istream::traits_type::eof()) break;

        std::cout << file_name << "  " << head << '\n';
        out << LABEL << counter << ':';
        copy_text(in, out);
        if (in.bad()) return Outcome::read_failed;
        out << SEPARATOR << '\n';
        if (!out) return Outcome::write_failed;
        ++counter;

        // Drops the "@" with the rest of its line. A last record that ran to the end
        // of the file without "@" leaves nothing to drop, and the next head word read
        // ends the loop.
        in.clear();
        skip_line(in);
    }
    return in.bad() ? Outcome::read_failed : Outcome::done;
}

Outcome collect_listed_files(std::istream& list, std::ostream& out, std::string& failed_file) {
    unsigned long long counter = 1;
    std::string name;
    while (list >> name) {
        std::ifstream records;
        // An unreadable file is passed over without skipping the rest of its list line,
        // so a second name on that line is tried next.
        if (!open_readable(records, name)) {
            say(CANNOT_OPEN, name);
            continue;
        }
        const Outcome outcome = copy_records(records, name, out, counter);
        if (outcome != Outcome::done) {
            failed_file = outcome == Outcome::read_failed ? name : COLLECTION_FILE;
            return outcome;
        }
        skip_line(list);
    }
    if (list.bad()) {
        failed_file = LIST_FILE;
        return Outcome::read_failed;
    }
    return Outcome::done;
}

int run() {
    std::ifstream list;
    if (!open_readable(list, LIST_FILE)) return fail(CANNOT_OPEN_LIST, LIST_FILE);

    std::ofstream out(COLLECTION_FILE, std::ios::binary | std::ios::trunc);
    if (!out) return fail(CANNOT_CREATE, COLLECTION_FILE);

    std::string failed_file;
    switch (collect_listed_files(list, out, failed_file)) {
        case Outcome::read_failed: return fail(CANNOT_READ, failed_file);
        case Outcome::write_failed: return fail(CANNOT_WRITE, failed_file);
        case Outcome::done: break;
    }
    // A full disk may only show when the last buffered block is flushed on closing.
    out.close();
    if (!out) return fail(CANNOT_WRITE, COLLECTION_FILE);
    return EXIT_OK;
}

}  // namespace

int main() {
    try {
        return run();
    } catch (const std::exception& error) {
        std::cerr << UNEXPECTED << error.what() << std::endl;
    } catch (...) {
        std::cerr << UNEXPECTED << "unknown error" << std::endl;
    }
    return EXIT_UNEXPECTED;
}
