#include "myfile/read_error.h"

#include <algorithm>

namespace confsearch {

std::string ReadError::message(const std::string& file) const {
    if (line > 0) return file + ", line " + std::to_string(line) + ": " + what;
    return file + ": " + what;
}

long line_at(const std::string& text, std::size_t offset) {
    const auto end = text.begin() + static_cast<std::ptrdiff_t>(std::min(offset, text.size()));
    return 1 + static_cast<long>(std::count(text.begin(), end, '\n'));
}

}  // namespace confsearch
