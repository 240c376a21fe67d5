#include "COutFile/formats/output_tail.h"

#include <algorithm>
#include <array>

#include "detail/memory_buffer.h"
#include "detail/text_io.h"

namespace {

// The final geometry, the archive and what lies between fit in the last few kilobytes of
// an optimisation output, however long the optimisation ran. They are read from there
// in one piece; a file whose final table lies further back (a frequency job prints its
// long analysis after it) is searched as a whole.
const std::size_t TAIL_BYTES = 16 * 1024;

}  // namespace

namespace confsearch {

using detail::MemoryBuffer;
using detail::Pos;

bool read_from_end(std::ifstream& in,
                   const std::function<bool(std::istream&, bool whole_file)>& read) {
    in.seekg(0, std::ios::end);
    const Pos size = in.tellg();
    const Pos length = std::min(std::max<Pos>(size, 0), static_cast<Pos>(TAIL_BYTES));
    // The tail lives on the stack: no allocation, and no clearing of bytes that the read
    // overwrites anyway.
    std::array<char, TAIL_BYTES> tail;
    in.seekg(size - length);
    in.read(tail.data(), length);
    const bool have_tail = length > 0 && in.gcount() == length;
    const bool tail_is_file = have_tail && length == size;

    if (have_tail) {
        MemoryBuffer buffer(tail.data(), static_cast<std::size_t>(length));
        std::istream tail_in(&buffer);
        if (read(tail_in, tail_is_file)) return true;
    }
    if (tail_is_file) return false;
    in.clear();
    return read(in, true);
}

}  // namespace confsearch
