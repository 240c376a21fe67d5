#include "whole_file.h"

#include "CSearch/screening_messages.h"

#include <fstream>
#include <stdexcept>
#include <system_error>

namespace confsearch {

namespace fs = std::filesystem;

namespace {

const std::string OLD_ENDING = ".old";

fs::path beside(const fs::path& path, const std::string& ending) {
    return path.parent_path() / ("." + path.filename().string() + ending);
}

}  // namespace

fs::path partial_file(const fs::path& file) { return beside(file, ".partial"); }

void replace_file(const fs::path& file, const std::string& text) {
    const fs::path partial = partial_file(file);
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        out << text;
        out.close();
        if (!out) {
            std::error_code ignored;
            fs::remove(partial, ignored);
            throw std::runtime_error(message::cannot_write(file.string()));
        }
    }
    std::error_code error;
    fs::rename(partial, file, error);
    if (error) {
        fs::remove(partial, error);
        throw std::runtime_error(message::cannot_write(file.string()));
    }
}

void replace_folder(const fs::path& folder, const fs::path& filled) {
    const fs::path old = beside(folder, OLD_ENDING);
    fs::remove_all(old);
    if (fs::exists(folder)) fs::rename(folder, old);
    fs::rename(filled, folder);
    fs::remove_all(old);
}

}  // namespace confsearch
