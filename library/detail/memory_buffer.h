// A read-only, seekable stream buffer over bytes held in memory (which must outlive it),
// such as the tail of an output file read in one piece. The keyword searches work on a
// stream over it in place, without copying.
#pragma once

#include <cstddef>
#include <ios>
#include <streambuf>

namespace confsearch::detail {

class MemoryBuffer : public std::streambuf {
public:
    MemoryBuffer(char* bytes, std::size_t size) { setg(bytes, bytes, bytes + size); }

    const char* bytes() const { return eback(); }
    std::streamoff size() const { return egptr() - eback(); }

protected:
    pos_type seekoff(off_type off, std::ios_base::seekdir dir, std::ios_base::openmode) override {
        off_type base = 0;
        if (dir == std::ios_base::cur) base = gptr() - eback();
        if (dir == std::ios_base::end) base = size();
        const off_type target = base + off;
        if (target < 0 || target > size()) return pos_type(off_type(-1));
        setg(eback(), eback() + target, egptr());
        return pos_type(target);
    }

    pos_type seekpos(pos_type pos, std::ios_base::openmode which) override {
        return seekoff(off_type(pos), std::ios_base::beg, which);
    }
};

}  // namespace confsearch::detail
