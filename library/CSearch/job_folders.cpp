#include "CSearch/job_folders.h"

#include "CSearch/search_names.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

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

// The data of a file, or the entries of a folder, on disk: without it a power cut right
// after the rename could leave the complete-looking folder with empty files.
void flush_to_disk(const fs::path& file) {
    const int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) fail("cannot open", file, errno);
    const int result = fsync(fd);
    const int error = errno;
    close(fd);
    if (result != 0) fail("cannot flush", file, error);
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

void StagedFolder::write(const std::string& name, const std::string& text) const {
    const fs::path file = staging_ / name;
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) fail("cannot write", file, EIO);
}

void StagedFolder::commit() {
    for (const auto& entry : fs::directory_iterator(staging_))
        if (entry.is_regular_file()) flush_to_disk(entry.path());
    flush_to_disk(staging_);
    rename_without_replacing(staging_, place_);
    committed_ = true;
    flush_to_disk(place_.has_parent_path() ? place_.parent_path() : fs::path("."));
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
