#include "COutFile/formats/output_text.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "format_messages.h"

namespace confsearch {

namespace {

// Where the first occurrence of key starts in text; npos when there is none. glibc's
// memmem runs through a text several times faster than a search character by character,
// however common the key's characters (a long ORCA output is full of "C").
std::size_t first_in(std::string_view text, std::string_view key) {
    const void* hit = memmem(text.data(), text.size(), key.data(), key.size());
    return hit == nullptr ? std::string_view::npos
                          : static_cast<std::size_t>(static_cast<const char*>(hit) - text.data());
}

// Where the last occurrence of key starts in text; npos when there is none. A line end is
// found with memrchr; a longer key window by window from the end, each window searched
// forward with memmem, so that a key near the end costs little and a rare one a fast pass.
std::size_t last_in(std::string_view text, std::string_view key) {
    const std::size_t npos = std::string_view::npos;
    if (text.size() < key.size()) return npos;
    if (key.size() == 1) {
        const void* hit = memrchr(text.data(), key.front(), text.size());
        return hit == nullptr
                   ? npos
                   : static_cast<std::size_t>(static_cast<const char*>(hit) - text.data());
    }
    const std::size_t window = 64 * 1024;
    std::size_t hi = text.size();
    for (;;) {
        const std::size_t lo = hi > window ? hi - window : 0;
        std::size_t last = npos;
        for (std::size_t at = lo;;) {
            const std::size_t hit = first_in(text.substr(at, hi - at), key);
            if (hit == npos) break;
            last = at + hit;
            at = last + 1;
        }
        if (last != npos) return last;
        if (lo == 0) return npos;
        // The next window overlaps this one by enough to hold a key that crosses them.
        hi = lo + key.size() - 1;
    }
}

void append_utf8(std::string& out, unsigned code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// UTF-16 after its byte-order mark, as UTF-8. ORCA run on Windows writes its output so
// (H2O.out: FF FE, then "\r\0\n\0 \0 \0..."); a byte-wise search for "FINAL SINGLE POINT"
// finds nothing in it. A lone surrogate becomes U+FFFD; an odd last byte is dropped.
std::string utf16_to_utf8(std::string_view bytes, bool little_endian) {
    std::string out;
    out.reserve(bytes.size() / 2);
    const auto unit = [&](std::size_t i) {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        return little_endian ? (a | (b << 8)) : ((a << 8) | b);
    };
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const unsigned u = static_cast<unsigned>(unit(i));
        if (u >= 0xD800 && u < 0xDC00 && i + 3 < bytes.size()) {
            const unsigned low = static_cast<unsigned>(unit(i + 2));
            if (low >= 0xDC00 && low < 0xE000) {
                append_utf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                i += 2;
                continue;
            }
        }
        append_utf8(out, u >= 0xD800 && u < 0xE000 ? 0xFFFD : u);
    }
    return out;
}

// The text of bytes that begin with a UTF-16 byte-order mark; bytes as they are otherwise.
bool utf16(std::string_view bytes, bool& little_endian) {
    if (bytes.size() < 2) return false;
    const auto a = static_cast<unsigned char>(bytes[0]);
    const auto b = static_cast<unsigned char>(bytes[1]);
    little_endian = a == 0xFF && b == 0xFE;
    return little_endian || (a == 0xFE && b == 0xFF);
}

}  // namespace

ReadError OutputText::open(const std::string& file, std::size_t first_piece) {
    file_ = file;
    first_piece_ = std::max<std::size_t>(first_piece, 1);
    bytes_read_ = 0;
    read_failed_ = false;
    std::error_code ec;
    if (std::filesystem::is_directory(file, ec)) return {CANNOT_OPEN, 0};
    in_.open(file, std::ios::binary);
    if (!in_.is_open()) return {CANNOT_OPEN, 0};
    in_.seekg(0, std::ios::end);
    const std::streamoff end = in_.tellg();
    if (end < 0) return {CANNOT_OPEN, 0};
    size_ = tail_begin_ = static_cast<std::size_t>(end);
    head_end_ = 0;
    text_.clear();
    text_.resize(size_);
    // At least the two bytes of a byte-order mark.
    read_range(0, std::min(size_, std::max<std::size_t>(first_piece_, 2)));
    if (read_failed_) return {CANNOT_OPEN, 0};
    bool little_endian = false;
    if (utf16(view(0, head_end_), little_endian)) {
        read_range(head_end_, size_);
        hold(utf16_to_utf8(view(2, size_), little_endian));
    }
    return {};
}

void OutputText::assign(std::string bytes, const std::string& file) {
    file_ = file;
    bool little_endian = false;
    if (utf16(bytes, little_endian))
        hold(utf16_to_utf8(std::string_view(bytes).substr(2), little_endian));
    else
        hold(bytes);
    bytes_read_ = bytes.size();
    read_failed_ = false;
}

void OutputText::hold(std::string_view text) {
    text_.assign(text.begin(), text.end());
    size_ = head_end_ = tail_begin_ = text.size();
}

void OutputText::read_range(std::size_t from, std::size_t to) {
    if (to <= from) return;
    // A file stream reports a failed read of a directory or a disk by throwing from its
    // buffer; either way the bytes are not there. What is missing reads as NUL bytes.
    std::size_t got = 0;
    try {
        in_.clear();
        in_.seekg(static_cast<std::streamoff>(from));
        in_.read(text_.data() + from, static_cast<std::streamsize>(to - from));
        got = static_cast<std::size_t>(std::max<std::streamsize>(in_.gcount(), 0));
    } catch (const std::ios_base::failure&) {
        got = 0;
    }
    bytes_read_ += got;
    if (got < to - from) {
        read_failed_ = true;
        std::fill(text_.begin() + static_cast<std::ptrdiff_t>(from + got),
                  text_.begin() + static_cast<std::ptrdiff_t>(to), '\0');
    }
    if (from == head_end_) head_end_ = to;
    if (to == tail_begin_) tail_begin_ = from;
    join_if_met();
}

void OutputText::join_if_met() {
    if (head_end_ >= tail_begin_) head_end_ = tail_begin_ = size_;
}

void OutputText::grow_head() {
    read_range(head_end_, std::min(tail_begin_, head_end_ + std::max(first_piece_, head_end_)));
}

void OutputText::grow_tail() {
    const std::size_t piece = std::max(first_piece_, size_ - tail_begin_);
    read_range(std::max(head_end_, tail_begin_ > piece ? tail_begin_ - piece : 0), tail_begin_);
}

std::string_view OutputText::head(std::size_t n) {
    n = std::min(n, size_);
    while (head_end_ < n) grow_head();
    return view(0, n);
}

std::size_t OutputText::find(std::string_view key, std::size_t from, std::size_t to) {
    to = std::min(to, size_);
    if (key.empty() || from >= to || to - from < key.size()) return npos;
    // A start in the unread middle: read back to it from the end.
    while (from >= head_end_ && from < tail_begin_) grow_tail();
    if (from >= tail_begin_) {
        const std::size_t at = first_in(view(from, to), key);
        return at == npos ? npos : from + at;
    }
    std::size_t start = from;
    for (;;) {
        const std::size_t hi = std::min(to, head_end_);
        const std::size_t at = first_in(view(start, hi), key);
        if (at != npos) return start + at;
        if (hi == to) return npos;
        start = std::max(start, hi - std::min(hi, key.size() - 1));
        grow_head();
    }
}

std::size_t OutputText::rfind(std::string_view key, std::size_t before, std::size_t from) {
    before = std::min(before, size_);
    if (key.empty() || before < from || before - from < key.size()) return npos;
    while (before > head_end_ && tail_begin_ >= before) grow_tail();
    std::size_t hi = before;
    for (;;) {
        if (hi <= head_end_) {
            const std::size_t at = last_in(view(from, hi), key);
            return at == npos ? npos : from + at;
        }
        const std::size_t lo = std::max(from, tail_begin_);
        const std::size_t at = last_in(view(lo, hi), key);
        if (at != npos) return lo + at;
        if (lo == from) return npos;
        hi = std::min(hi, tail_begin_ + key.size() - 1);
        grow_tail();
    }
}

std::size_t OutputText::line_start(std::size_t pos) {
    const std::size_t end = rfind("\n", std::min(pos, size_));
    return end == npos ? 0 : end + 1;
}

std::size_t OutputText::next_line(std::size_t pos) {
    const std::size_t end = find("\n", pos);
    return end == npos ? size_ : end + 1;
}

std::string_view OutputText::line(std::size_t pos) {
    pos = std::min(pos, size_);
    const std::size_t start = line_start(pos);
    std::size_t end = find("\n", pos);
    if (end == npos) end = size_;
    // The two searches may have read in different directions: make one stretch of it.
    while (start < head_end_ && end > head_end_) grow_head();
    while (start >= head_end_ && start < tail_begin_) grow_tail();
    std::string_view text = view(start, end);
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    return text;
}

long OutputText::line_number(std::size_t pos) {
    pos = std::min(pos, size_);
    while (head_end_ < pos) grow_head();
    const std::string_view before = view(0, pos);
    return 1 + static_cast<long>(std::count(before.begin(), before.end(), '\n'));
}

bool OutputText::begins_line(std::size_t at) {
    // Back to the first character that is not a blank: a key found many times in one long
    // line costs a step each, not the line each.
    for (std::size_t p = std::min(at, size_); p > 0; --p) {
        while (p - 1 >= head_end_ && p - 1 < tail_begin_) grow_tail();
        const char c = text_[p - 1];
        if (c == '\n') return true;
        if (c != ' ' && c != '\t') return false;
    }
    return true;
}

std::size_t OutputText::find_line(std::string_view key, std::size_t from, std::size_t to) {
    for (;;) {
        const std::size_t at = find(key, from, to);
        if (at == npos || begins_line(at)) return at;
        from = at + 1;
    }
}

std::size_t OutputText::rfind_line(std::string_view key, std::size_t before, std::size_t from) {
    for (;;) {
        const std::size_t at = rfind(key, before, from);
        if (at == npos || begins_line(at)) return at;
        before = at + key.size() - 1;
    }
}

std::string_view OutputText::after(std::size_t at, std::size_t key_size) {
    const std::size_t start = line_start(at);
    const std::string_view text = line(at);
    return text.substr(std::min(text.size(), at - start + key_size));
}

}  // namespace confsearch
