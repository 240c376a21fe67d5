// The folders of a job: the scratch folder xtb runs in, and the results folder that
// appears whole or not at all (filled under a temporary name on the same file system,
// then renamed into place).
#pragma once

#include "CSearch/done_marker.h"

#include <filesystem>
#include <stdexcept>
#include <string>

namespace confsearch {

// A folder being filled for `place`. Whoever looks at `place` finds nothing until
// commit() and then every file; a kill at any moment leaves at most a partial folder
// under the temporary name, which the next StagedFolder for the same place clears.
// Filesystem failures throw std::filesystem::filesystem_error.
class StagedFolder {
public:
    // Makes the temporary folder ".<name>.partial" beside place.
    explicit StagedFolder(std::filesystem::path place);
    // Removes the temporary folder unless committed.
    ~StagedFolder();
    StagedFolder(const StagedFolder&) = delete;
    StagedFolder& operator=(const StagedFolder&) = delete;

    const std::filesystem::path& path() const { return staging_; }
    // Moves a file in under name: renamed, or copied and removed when it lies on another
    // file system (a node-local scratch disk).
    void move_in(const std::filesystem::path& file, const std::string& name) const;
    // Writes the marker as the folder's done marker, with the size of every file in it
    // (key "files"), then renames the folder into place; a place already taken is never
    // replaced (std::filesystem::filesystem_error, EEXIST). Nothing is flushed to disk:
    // after a power cut the sizes tell a folder whose data never reached it.
    void commit(DoneMarker marker);

private:
    std::filesystem::path place_;
    std::filesystem::path staging_;
    bool committed_ = false;
};

// A results folder that is not whole: its done marker is missing or damaged, or a file
// has not the size the marker gives; what() names the file.
class DamagedFolder : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The done marker of a folder that StagedFolder put in place, once every file it lists
// has its size. Throws DamagedFolder otherwise.
DoneMarker whole_folder_marker(const std::filesystem::path& folder);

// The temporary name of place while it is being filled.
std::filesystem::path staging_path(const std::filesystem::path& place);

// An empty folder for one run of a program, removed with everything in it on scope exit
// (a leftover of a killed earlier run of the same job is cleared first).
class ScratchFolder {
public:
    explicit ScratchFolder(std::filesystem::path folder);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::filesystem::path& path() const { return folder_; }

private:
    std::filesystem::path folder_;
};

// The whole text of a file; empty when it cannot be read.
std::string text_of_file(const std::filesystem::path& file);

}  // namespace confsearch
