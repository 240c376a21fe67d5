#include "myfile.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "detail/memory_buffer.h"
#include "detail/text_io.h"

using namespace confsearch;

using confsearch::detail::is_wrap;
using confsearch::detail::MemoryBuffer;
using confsearch::detail::Pos;

namespace {

enum class Matching {
    exact,       // every key character must follow in order
    skip_wraps,  // blanks and line ends that do not match the key are passed over
    crlf,        // a line end of the key also matches a CR LF pair of the file
};

// A stretch [lo, hi) of the file's bytes, read straight from the stream buffer. Searches
// start with a small read and double it up to a cap, so a backward search for a keyword
// near the end of a large file reads little more than the tail it needs, while a long
// forward search reads big blocks. A stream over a MemoryBuffer is searched in place:
// the window is then the whole of it from the start.
class FileWindow {
public:
    FileWindow(std::streambuf& sb, Pos file_size) : sb_(sb), size_(file_size) {
        if (const auto* memory = dynamic_cast<const MemoryBuffer*>(&sb)) {
            in_place_ = true;
            data_ = memory->bytes();
            hi_ = std::min(memory->size(), size_);
        }
    }

    Pos lo() const { return lo_; }
    Pos hi() const { return hi_; }
    Pos size() const { return size_; }
    const char* data() const { return data_; }
    char at(Pos p) const { return data_[p - lo_]; }

    // Drops everything and holds the block that starts at from.
    bool load_from(Pos from) {
        if (in_place_) return from < hi_;
        lo_ = hi_ = from;
        buf_.clear();
        data_ = buf_.data();
        return append();
    }

    // Reads the block after hi, keeping [keep_from, hi).
    bool extend_forward(Pos keep_from) {
        if (in_place_) return false;
        buf_.erase(buf_.begin(), buf_.begin() + (keep_from - lo_));
        data_ = buf_.data();
        lo_ = keep_from;
        return append();
    }

    // Drops everything and holds the block that ends at to.
    bool load_before(Pos to) {
        if (in_place_) return to > 0;
        lo_ = hi_ = to;
        buf_.clear();
        data_ = buf_.data();
        return prepend();
    }

    // Reads the block before lo, keeping [lo, keep_to).
    bool extend_backward(Pos keep_to) {
        if (in_place_) return false;
        buf_.resize(static_cast<std::size_t>(keep_to - lo_));
        data_ = buf_.data();
        hi_ = keep_to;
        return prepend();
    }

private:
    static constexpr Pos first_chunk = 4096;
    static constexpr Pos max_chunk = 64 * 1024;

    std::streambuf& sb_;
    Pos size_;
    bool in_place_ = false;
    const char* data_ = nullptr;
    std::vector<char> buf_;
    Pos lo_ = 0;
    Pos hi_ = 0;
    Pos chunk_ = first_chunk;

    Pos next_chunk() {
        const Pos n = chunk_;
        chunk_ = std::min(chunk_ * 2, max_chunk);
        return n;
    }

    // Reads up to n bytes at `at`; returns how many arrived.
    Pos read_at(Pos at, char* dst, Pos n) {
        if (sb_.pubseekpos(at, std::ios_base::in) != at) return 0;
        return std::max<Pos>(sb_.sgetn(dst, n), 0);
    }

    bool append() {
        const Pos n = std::min(next_chunk(), size_ - hi_);
        if (n <= 0) return false;
        const std::size_t kept = buf_.size();
        buf_.resize(kept + static_cast<std::size_t>(n));
        const Pos got = read_at(hi_, buf_.data() + kept, n);
        buf_.resize(kept + static_cast<std::size_t>(got));
        data_ = buf_.data();
        hi_ += got;
        if (got < n) size_ = hi_;  // the file shrank while it was searched
        return got > 0;
    }

    bool prepend() {
        const Pos n = std::min(next_chunk(), lo_);
        if (n <= 0) return false;
        buf_.insert(buf_.begin(), static_cast<std::size_t>(n), '\0');
        data_ = buf_.data();
        if (read_at(lo_ - n, buf_.data(), n) != n) {
            buf_.erase(buf_.begin(), buf_.begin() + n);
            data_ = buf_.data();
            return false;
        }
        lo_ -= n;
        return true;
    }
};

// Tries to match key forward from position t, where the first key character stands.
// Returns the position just after the last matched key character, or -1.
Pos attempt_forward(FileWindow& w, Pos t, const std::string& key, Matching how) {
    Pos i = t;
    std::size_t k = 0;
    while (k < key.size()) {
        if (i >= w.hi() && !w.extend_forward(t)) return -1;
        const char c = w.at(i);
        if (c == key[k]) {
            ++k;
            ++i;
        } else if (how == Matching::skip_wraps && is_wrap(c)) {
            ++i;
        } else if (how == Matching::crlf && key[k] == '\n' && c == '\r') {
            if (i + 1 >= w.hi() && !w.extend_forward(t)) return -1;
            if (w.at(i + 1) != '\n') return -1;
            ++k;
            i += 2;
        } else {
            return -1;
        }
    }
    return i;
}

// Tries to match key backward from position e, where the last key character stands.
bool attempt_backward(FileWindow& w, Pos e, const std::string& key, Matching how) {
    Pos i = e;
    std::size_t k = key.size();
    while (k > 0) {
        if (i < 0) return false;
        if (i < w.lo() && !w.extend_backward(e + 1)) return false;
        const char c = w.at(i);
        if (c == key[k - 1]) {
            --k;
            --i;
            if (how == Matching::crlf && c == '\n' && i >= 0) {
                if (i < w.lo() && !w.extend_backward(e + 1)) return false;
                if (w.at(i) == '\r') --i;
            }
        } else if (how == Matching::skip_wraps && is_wrap(c)) {
            --i;
        } else {
            return false;
        }
    }
    return true;
}

// First occurrence whose first key character is at or after from. Every occurrence
// begins with the key's first character (a blank or line end before it adds nothing
// to the match), so only those places are tried.
Pos find_forward(FileWindow& w, Pos from, const std::string& key, Matching how) {
    const char first = key.front();
    Pos scan = from;
    for (;;) {
        if (scan >= w.hi() || scan < w.lo()) {
            if (!w.load_from(scan)) return -1;
        }
        const char* base = w.data();
        const auto* hit = static_cast<const char*>(
            std::memchr(base + (scan - w.lo()), first, static_cast<std::size_t>(w.hi() - scan)));
        if (hit == nullptr) {
            scan = w.hi();
            continue;
        }
        const Pos t = w.lo() + (hit - base);
        const Pos end = attempt_forward(w, t, key, how);
        if (end >= 0) return end;
        scan = t + 1;
    }
}

// Last occurrence that ends at or before `before`; returns the position just after it.
Pos find_backward(FileWindow& w, Pos before, const std::string& key, Matching how) {
    const char last = key.back();
    Pos scan_end = std::min(before, w.size());
    for (;;) {
        if (scan_end <= w.lo() || scan_end > w.hi()) {
            if (!w.load_before(scan_end)) return -1;
        }
        const char* base = w.data();
        Pos e = scan_end - 1;
        while (e >= w.lo() && base[e - w.lo()] != last) --e;
        if (e < w.lo()) {
            scan_end = w.lo();
            if (scan_end <= 0) return -1;
            continue;
        }
        if (attempt_backward(w, e, key, how)) return e + 1;
        scan_end = e;
    }
}

// The plain backward search takes the stretch it has read as one block: every place in it
// where the key's first character stands is found with memchr and tried, and the last
// match wins; only when the block holds none does it read the stretch before. memchr runs
// many bytes at a time, which a byte-by-byte walk toward the start cannot.
Pos find_backward_exact(FileWindow& w, Pos before, const std::string& key) {
    const auto m = static_cast<Pos>(key.size());
    // Places where a match may begin: those below limit end at or before `before`.
    Pos limit = std::min(before, w.size()) - m + 1;
    if (limit <= 0 || !w.load_before(limit + m - 1)) return -1;
    for (;;) {
        const char* base = w.data();
        Pos last = -1;
        for (Pos s = w.lo(); s < limit;) {
            const auto* hit = static_cast<const char*>(
                std::memchr(base + (s - w.lo()), key[0], static_cast<std::size_t>(limit - s)));
            if (hit == nullptr) break;
            if (std::memcmp(hit, key.data(), key.size()) == 0) last = w.lo() + (hit - base);
            s = w.lo() + (hit - base) + 1;
        }
        if (last >= 0) return last + m;
        limit = w.lo();
        if (limit <= 0 || !w.extend_backward(limit + m - 1)) return -1;
    }
}

bool search_buffer(std::istream& in, const std::string& key, int direction,
                   std::ios_base::seekdir start, Matching how) {
    std::streambuf* sb = in.rdbuf();
    if (sb == nullptr) return false;
    const Pos at_call = sb->pubseekoff(0, std::ios_base::cur, std::ios_base::in);
    if (at_call < 0) return false;
    const Pos size = sb->pubseekoff(0, std::ios_base::end, std::ios_base::in);

    Pos found = -1;
    if (size >= 0 && !key.empty()) {
        Pos from = at_call;
        if (start == std::ios_base::beg) from = 0;
        if (start == std::ios_base::end) from = size;
        FileWindow window(*sb, size);
        if (direction == 1)
            found = find_forward(window, from, key, how);
        else if (how == Matching::exact)
            found = find_backward_exact(window, from, key);
        else
            found = find_backward(window, from, key, how);
    }
    in.clear();
    sb->pubseekpos(found >= 0 ? found : at_call, std::ios_base::in);
    return found >= 0;
}

// A file stream reports a failed read (a directory opened by name, a disk error) by
// throwing from its buffer; the stream is then marked bad and the search has failed.
bool search(std::istream& in, const std::string& key, int direction, std::ios_base::seekdir start,
            Matching how) {
    if (in.fail()) return false;
    try {
        return search_buffer(in, key, direction, start, how);
    } catch (const std::ios_base::failure&) {
        in.setstate(std::ios_base::badbit);
        return false;
    }
}

}  // namespace

bool file_find_linux(std::istream& in, const std::string& key, int direction,
                     std::ios_base::seekdir start) {
    return search(in, key, direction, start, Matching::exact);
}

bool file_find_ignore_linux(std::istream& in, const std::string& key, int direction,
                            std::ios_base::seekdir start) {
    return search(in, key, direction, start, Matching::skip_wraps);
}

bool file_find_win(std::istream& in, const std::string& key, int direction,
                   std::ios_base::seekdir start) {
    return search(in, key, direction, start, Matching::crlf);
}
