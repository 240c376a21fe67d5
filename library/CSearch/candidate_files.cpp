// Candidate names, titles, the folder check and the writer of candidate files and records.
#include "CSearch/candidate_files.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "CMyMath/axes.h"
#include "candidate_messages.h"
#include "detail/text_io.h"

namespace confsearch {

namespace {

namespace fs = std::filesystem;

const char* const RECORD_LABEL = "NAME_";
const char* const RECORD_END = "---------------------------------------------";
// What a run leaves in its folder: "<stem>_<serial>" inputs of every format. Anything
// else there (an output, a checkpoint file, the molecule's own xyz file, a folder) is the
// chemist's.
const char* const RUN_ENDINGS[] = {".gjf", ".inp", ".xyz"};
const std::size_t LEAST_SERIAL_DIGITS = 3;

std::string turn_text(double radians) {
    double degrees = radians * 180 / PI;
    degrees = std::fmod(std::fmod(degrees, 360.0) + 360.0, 360.0);
    char text[32];
    const double rounded = std::round(degrees * 10) / 10;
    if (rounded >= 360.0) return "0";
    if (rounded == std::round(rounded))
        std::snprintf(text, sizeof text, "%.0f", rounded);
    else
        std::snprintf(text, sizeof text, "%.1f", rounded);
    return text;
}

bool from_a_run(const fs::path& file) {
    const std::string ending = file.extension().string();
    bool known = false;
    for (const char* run : RUN_ENDINGS) known = known || ending == run;
    const std::string stem = file.stem().string();
    const std::size_t cut = stem.rfind('_');
    if (!known || cut == std::string::npos || stem.size() - cut - 1 < LEAST_SERIAL_DIGITS)
        return false;
    return stem.find_first_not_of("0123456789", cut + 1) == std::string::npos;
}

}  // namespace

int serial_width(unsigned long long most, int least) {
    int width = 1;
    for (unsigned long long value = most; value >= 10; value /= 10) ++width;
    return width > least ? width : least;
}

std::string serial_name(const std::string& stem, unsigned long long serial, int width) {
    std::string digits = std::to_string(serial);
    if (static_cast<int>(digits.size()) < width)
        digits.insert(0, static_cast<std::size_t>(width) - digits.size(), '0');
    return stem + "_" + digits;
}

std::string candidate_title(const std::string& name, const std::vector<TorsionChoice>& bonds,
                            const std::vector<double>& turns) {
    std::string title = name + " turns";
    for (std::size_t k = 0; k < bonds.size() && k < turns.size(); ++k)
        title += " " + std::to_string(bonds[k].fixed_atom) + ":" +
                 std::to_string(bonds[k].moving_atom) + "=" + turn_text(turns[k]);
    return title;
}

std::string folder_fault(const std::string& folder, bool overwrite) {
    std::error_code error;
    const fs::path path(folder);
    if (!fs::exists(path, error)) return "";
    if (!fs::is_directory(path, error)) return detail::not_a_folder_message(folder);
    std::size_t earlier = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(path, error)) {
        if (!entry.is_regular_file(error) || !from_a_run(entry.path()))
            return detail::foreign_file_message(folder, entry.path().filename().string());
        ++earlier;
    }
    if (error) return detail::folder_error_message("read folder", folder, error.message());
    if (earlier != 0 && !overwrite) return detail::earlier_run_message(folder, earlier);
    return "";
}

std::string prepare_folder(const std::string& folder, bool overwrite) {
    const std::string fault = folder_fault(folder, overwrite);
    if (!fault.empty()) return fault;
    std::error_code error;
    const fs::path path(folder);
    if (!fs::exists(path, error)) {
        fs::create_directories(path, error);
        if (error) return detail::folder_error_message("create folder", folder, error.message());
        return "";
    }
    std::vector<fs::path> earlier;
    for (const fs::directory_entry& entry : fs::directory_iterator(path, error))
        earlier.push_back(entry.path());
    for (const fs::path& file : earlier) {
        fs::remove(file, error);
        if (error) return detail::folder_error_message("remove", file.string(), error.message());
    }
    return "";
}

CandidateWriter::CandidateWriter(const std::string& folder, const InputSettings& settings)
    : folder(folder), settings(settings) {}

CandidateWriter::CandidateWriter(const std::string& collection)
    : collection_file(collection), collection(collection, std::ios::trunc) {
    if (!this->collection) first_failure = collection;
}

bool CandidateWriter::write(const InputJob& job) {
    if (collection_file.empty()) {
        const std::string file = (fs::path(folder) / input_file_name(settings, job)).string();
        const bool written = detail::write_whole_file(
            file, [&](std::ostream& out) { out << input_text(settings, job); });
        if (!written && first_failure.empty()) first_failure = file;
        return written;
    }
    if (!collection.good()) return false;
    collection << RECORD_LABEL << ++records << ": " << job.name << '\n';
    collection.precision(15);
    for (std::size_t i = 0; i < job.positions.size(); ++i)
        collection << job.symbols[i] << '\t' << job.positions[i].x << ' ' << job.positions[i].y
                   << ' ' << job.positions[i].z << '\n';
    // Flushed record by record, so that a full disk shows at the record it cut.
    collection << RECORD_END << std::endl;
    if (!collection.good() && first_failure.empty()) first_failure = collection_file;
    return collection.good();
}

bool CandidateWriter::close() {
    if (collection_file.empty()) return first_failure.empty();
    collection.close();
    return !collection.fail() && first_failure.empty();
}

}  // namespace confsearch
