// What a generation run leaves behind: the candidate files (Gaussian input, xyz, records
// of the collection file) and the run log with its begin, correction and end entries.
#include "CConformer/generator.h"

#include <ctime>
#include <iostream>
#include <sstream>

#include "detail/text_io.h"

using namespace confsearch;

namespace {

const char* const RECORD_LABEL = "NAME_";
const char* const RECORD_END = "---------------------------------------------";
const char* const UNWRITTEN_NOTE =
    ": cannot be written; the run goes on and counts the candidates not written";

// The text of a file as a whole, then written in one piece: the conformer's atom listing
// ends each line with a flush, which would otherwise reach the disk line by line.
bool write_file(const std::string& file, const std::string& text) {
    return detail::write_whole_file(file, [&](std::ostream& out) { out << text; });
}

}  // namespace

std::ostream& writetime(std::ostream& out) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    out << local.tm_year + 1900 << '.' << local.tm_mon + 1 << '.' << local.tm_mday << ' '
        << local.tm_hour << ':' << local.tm_min << ':' << local.tm_sec;
    return out;
}

std::string confsearch::time_cost(std::time_t seconds) {
    const std::time_t hours = seconds / 3600;
    const std::time_t minutes = (seconds - 3600 * hours) / 60;
    return "Time cost " + std::to_string(hours) + "hours " + std::to_string(minutes) + "mins " +
           std::to_string(seconds % 60) + "secs";
}

std::string CGenerateConformer::candidate_path(const char* extension) const {
    return folder + SLASH + name + extension;
}

bool CGenerateConformer::putout_GaussionFile() {
    modify_name();
    // The atom lines are the tab-separated fixed listing, 6 decimals, not the 15 digits of
    // putout_GaussianFile.
    std::ostringstream text;
    text << GaussionFile_head << *this << '\n' << '\n';
    return write_file(candidate_path(".txt"), text.str());
}

bool CGenerateConformer::putout_xyzfile() {
    modify_name();
    std::ostringstream text;
    text << size << '\n' << '\n' << *this;
    return write_file(candidate_path(".xyz"), text.str());
}

bool CGenerateConformer::push_xyz() {
    modify_name();
    if (!collection.good()) return false;
    collection << RECORD_LABEL << header.generated << ": " << name << '\n';
    for (int i = 1; i <= size; ++i)
        collection << elements[i].get_symbol() << '\t' << xyz[i] << '\n';
    // Flushed record by record, so that a full disk shows at the record it cut.
    collection << RECORD_END << std::endl;
    return collection.good();
}

void CGenerateConformer::note_unwritten(const std::string& file) {
    // Named once per run; the end entry and get_unwritten give the count.
    if (unwritten++ != 0) return;
    std::cout.flush();
    std::cerr << file << UNWRITTEN_NOTE << std::endl;
    logfile << file << UNWRITTEN_NOTE << std::endl;
}

std::string CGenerateConformer::steps_text() const {
    std::string text;
    for (int i = 1; i <= freedom_number; ++i) text += std::to_string(freedom[i].steps);
    return text;
}

void CGenerateConformer::log_begin() {
    writetime(logfile) << '\n';
    logfile << size << " atoms\n";
    logfile << "Freedom: " << steps_text() << '\n';
    logfile << "Total :" << header.total << '\n';
    logfile << "Saved in floder " << folder << '\n';
    logfile << "Origin conformer is :\n";
    logfile << *this << std::endl;
}

void CGenerateConformer::log_end() {
    writetime(logfile) << '\n';
    logfile << size << " atoms\n";
    logfile << "Freedom: " << steps_text() << '\n';
    logfile << "Total :" << header.total << '\n';
    logfile << "Generate: " << header.generated << '\n';
    logfile << "Ignore: " << header.total - header.generated << '\n';
    if (unwritten != 0) logfile << "Unwritten: " << unwritten << '\n';
    logfile.flush();
}

// Correction lines reach the file at once, so that the log of a long run can be watched.
void CGenerateConformer::log_correction(const CRotatableBond& bond, int units) {
    logfile << name << ": bond " << bond.atom_a << '-' << bond.atom_b << ','
            << "correction succeeded!\tcorrect step " << units << std::endl;
}

void CGenerateConformer::log_failed_correction(const CRotatableBond& bond) {
    logfile << name << ": bond " << bond.atom_a << '-' << bond.atom_b << ','
            << "correction failed!\tignore " << header.pending << " conformers" << std::endl;
}
