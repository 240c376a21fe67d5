#include "CSearch/job_folders.h"

#include "CSearch/search_names.h"

#include <fcntl.h>
#include <stdio.h>

#include <cerrno>
#include <fstream>
#include <sstream>
#include <system_error>

namespace confsearch {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void fail(const std::string& what, const fs::path& file, int error) {
    throw fs::filesystem_error(what, file, std::error_code(error, std::generic_category()));
}

// rename(2) that never replaces: a plain rename would put a directory over an empty one.
void rename_without_replacing(const fs::path& from, const fs::path& to) {
#ifdef RENAME_NOREPLACE
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return;
    if (errno != EINVAL && errno != ENOSYS) fail("cannot rename", from, errno);
#endif
    if (fs::exists(to)) fail("cannot rename", to, EEXIST);
    if (rename(from.c_str(), to.c_str()) != 0) fail("cannot rename", from, errno);
}

}  // namespace

fs::path staging_path(const fs::path& place) {
    return place.parent_path() / (PARTIAL_PREFIX + place.filename().string() + PARTIAL_ENDING);
}

StagedFolder::StagedFolder(fs::path place)
    : place_(std::move(place)), staging_(staging_path(place_)) {
    fs::remove_all(staging_);
    fs::create_directories(staging_);
}

StagedFolder::~StagedFolder() {
    if (committed_) return;
    std::error_code ignored;
    fs::remove_all(staging_, ignored);
}

void StagedFolder::move_in(const fs::path& file, const std::string& name) const {
    const fs::path target = staging_ / name;
    std::error_code error;
    fs::rename(file, target, error);
    if (!error) return;
    if (error != std::errc::cross_device_link) fail("cannot move", file, error.value());
    fs::copy_file(file, target, fs::copy_options::overwrite_existing);
    fs::remove(file);
}

void StagedFolder::commit(DoneMarker marker) {
    std::string files;
    for (const auto& entry : fs::directory_iterator(staging_))
        files += (files.empty() ? "" : " ") + entry.path().filename().string() + "=" +
                 std::to_string(entry.file_size());
    // "job1.err=122 job1.out=29772 ...": what the folder holds when it is whole.
    marker.set(MARKER_FILES, files);
    const fs::path file = staging_ / DONE_MARKER;
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << marker.text();
    out.close();
    if (!out) fail("cannot write", file, EIO);
    rename_without_replacing(staging_, place_);
    committed_ = true;
}

DoneMarker whole_folder_marker(const fs::path& folder) {
    const fs::path file = folder / DONE_MARKER;
    if (!fs::exists(file)) throw DamagedFolder(file.string() + " is missing");
    DoneMarker marker;
    try {
        marker = DoneMarker::read(file);
        std::istringstream files(marker.get(MARKER_FILES));
        for (std::string entry; files >> entry;) {
            const auto equals = entry.rfind('=');
            const fs::path listed = folder / entry.substr(0, equals);
            const std::string size = entry.substr(equals + 1);
            std::error_code missing;
            const auto actual = fs::file_size(listed, missing);
            if (equals == std::string::npos || missing || std::to_string(actual) != size)
                throw DamagedFolder(listed.string() + " is not the file " + DONE_MARKER +
                                    " lists (" + size + " bytes)");
        }
    } catch (const DamagedFolder&) {
        throw;
    } catch (const std::runtime_error& damage) {
        throw DamagedFolder(damage.what());
    }
    return marker;
}

ScratchFolder::ScratchFolder(fs::path folder) : folder_(std::move(folder)) {
    fs::remove_all(folder_);
    fs::create_directories(folder_);
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
}

std::string text_of_file(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace confsearch
