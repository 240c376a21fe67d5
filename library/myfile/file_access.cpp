#include "myfile.h"

#include <fstream>

#include "detail/text_io.h"

namespace confsearch {

bool readable_file(const std::string& file) {
    std::ifstream in;
    return detail::open_readable(in, file);
}

}  // namespace confsearch
