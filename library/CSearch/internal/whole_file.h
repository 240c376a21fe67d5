// Files of a run folder that are written whole or not at all: their text goes into a
// temporary file beside them, which is then renamed over them, so that a kill at any
// moment leaves either the old file or the new one.
#pragma once

#include <filesystem>
#include <string>

namespace confsearch {

// The temporary name of a file being replaced: ".<name>.partial" beside it.
std::filesystem::path partial_file(const std::filesystem::path& file);

// Replaces the file's text (creating it). Throws std::runtime_error "cannot write <file>"
// when it cannot be written whole; the old text is then left as it was.
void replace_file(const std::filesystem::path& file, const std::string& text);

// A folder's new content replaces its old one in two renames: the old folder moved aside,
// the new one moved in, the old one removed. A kill between them leaves the new folder
// under its temporary name and the old one under ".<name>.old", which the next call clears.
void replace_folder(const std::filesystem::path& folder, const std::filesystem::path& filled);

}  // namespace confsearch
