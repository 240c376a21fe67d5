#include "COutFile/collection_file.h"

#include <array>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <utility>
#include <vector>

#include "detail/text_io.h"

namespace confsearch {

using confsearch::detail::open_readable;
using confsearch::detail::skip_line;

namespace {

const char* const MSG_CANNOT_OPEN = "cannot open file: ";

// Copies the text up to the next RECORD_END (left unread) or the end of the file piece
// by piece, so a record of any length is copied whole without being held in memory.
void copy_text(std::istream& in, std::ostream& out) {
    std::array<char, 4096> piece{};
    const auto piece_size = static_cast<std::streamsize>(piece.size());
    while (out && in.get(piece.data(), piece_size, RECORD_END))
        out.write(piece.data(), in.gcount());
}

CollectOutcome collect_listed_files(std::istream& list, std::ostream& out,
                                    const std::string& list_file,
                                    const std::string& collection_file,
                                    std::vector<std::string>& passed_over) {
    unsigned long long counter = 1;
    std::string name;
    while (list >> name) {
        // A list made with "ls > list.txt" after an earlier run names the collection
        // itself; read while it is written, it would grow without end.
        std::error_code not_found;
        if (std::filesystem::equivalent(name, collection_file, not_found)) {
            passed_over.push_back(name);
            skip_line(list);
            continue;
        }
        std::ifstream records;
        // An unreadable file is passed over without skipping the rest of its list line,
        // so a second name on that line is tried next.
        if (!open_readable(records, name)) {
            std::cout << MSG_CANNOT_OPEN << name << '\n';
            continue;
        }
        const CollectOutcome::Status status = collect_record_file(records, name, out, counter);
        if (status == CollectOutcome::read_failed) return {status, name};
        if (status != CollectOutcome::none) return {status, collection_file};
        skip_line(list);
    }
    if (list.bad()) return {CollectOutcome::read_failed, list_file};
    return {};
}

}  // namespace

// The head word is only echoed as progress; the text (which begins with the rest of the
// head word's line) is what sort_collection reads.
CollectOutcome::Status collect_record_file(std::istream& in, const std::string& file_name,
                                           std::ostream& out, unsigned long long& counter) {
    std::string head;
    while (in >> head) {
        // A token ends only at white space or at the end of the file, so a record
        // without text is a head word that the file ends on; it ends this file.
        if (in.peek() == std::istream::traits_type::eof()) break;

        std::cout << file_name << "  " << head << '\n';
        out << COLLECTION_LABEL << counter << ':';
        copy_text(in, out);
        if (in.bad()) return CollectOutcome::read_failed;
        out << COLLECTION_SEPARATOR << '\n';
        if (!out) return CollectOutcome::write_failed;
        ++counter;

        // Drops the RECORD_END with the rest of its line. A last record that ran to the
        // end of the file without one leaves nothing to drop, and the next head word
        // read ends the loop.
        in.clear();
        skip_line(in);
    }
    return in.bad() ? CollectOutcome::read_failed : CollectOutcome::none;
}

CollectOutcome collect_records(const std::string& list_file, const std::string& collection_file) {
    std::ifstream list;
    if (!open_readable(list, list_file)) return {CollectOutcome::list_unreadable, list_file};

    std::ofstream out(collection_file, std::ios::binary | std::ios::trunc);
    if (!out) return {CollectOutcome::cannot_create, collection_file};

    std::vector<std::string> passed_over;
    CollectOutcome outcome =
        collect_listed_files(list, out, list_file, collection_file, passed_over);
    outcome.passed_over = std::move(passed_over);
    if (outcome.status != CollectOutcome::none) return outcome;
    // A full disk may only show when the last buffered block is flushed on closing.
    out.close();
    if (!out) {
        outcome.status = CollectOutcome::write_failed;
        outcome.file = collection_file;
    }
    return outcome;
}

}  // namespace confsearch
