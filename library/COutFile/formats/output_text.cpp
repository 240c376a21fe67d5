#include "COutFile/formats/output_text.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "COutFile/formats/format_messages.h"

namespace confsearch {

namespace {

// The first read of either end. Doubling from there, a search that runs back over a
// whole file reads it in a few dozen pieces.
const std::size_t FIRST_PIECE = 64 * 1024;

// Where the last occurrence of key starts in text; npos when there is none. memrchr
// finds the candidates many bytes at a time.
std::size_t last_in(std::string_view text, std::string_view key) {
    if (text.size() < key.size()) return std::string_view::npos;
    const char* base = text.data();
    std::size_t limit = text.size() - key.size() + 1;
    while (limit > 0) {
        const void* hit = memrchr(base, key.front(), limit);
        if (hit == nullptr) break;
        const auto at = static_cast<std::size_t>(static_cast<const char*>(hit) - base);
        if (std::memcmp(base + at, key.data(), key.size()) == 0) return at;
        limit = at;
    }
    return std::string_view::npos;
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

ReadError OutputText::open(const std::string& file) {
    file_ = file;
    head_.clear();
    tail_.clear();
    bytes_read_ = 0;
    read_failed_ = false;
    std::error_code ec;
    if (std::filesystem::is_directory(file, ec)) return {CANNOT_OPEN, 0};
    in_.open(file, std::ios::binary);
    if (!in_.is_open()) return {CANNOT_OPEN, 0};
    in_.seekg(0, std::ios::end);
    const std::streamoff end = in_.tellg();
    if (end < 0) return {CANNOT_OPEN, 0};
    size_ = static_cast<std::size_t>(end);
    tail_begin_ = size_;
    head_ = read_range(0, std::min(size_, FIRST_PIECE));
    if (read_failed_) return {CANNOT_OPEN, 0};
    bool little_endian = false;
    if (utf16(head_, little_endian)) {
        head_ += read_range(head_.size(), size_);
        head_ = utf16_to_utf8(std::string_view(head_).substr(2), little_endian);
        size_ = tail_begin_ = head_.size();
    }
    return {};
}

void OutputText::assign(std::string bytes, const std::string& file) {
    file_ = file;
    tail_.clear();
    bool little_endian = false;
    if (utf16(bytes, little_endian))
        head_ = utf16_to_utf8(std::string_view(bytes).substr(2), little_endian);
    else
        head_ = std::move(bytes);
    size_ = tail_begin_ = head_.size();
    bytes_read_ = size_;
    read_failed_ = false;
}

std::string OutputText::read_range(std::size_t from, std::size_t to) {
    std::string bytes(to - from, '\0');
    if (bytes.empty()) return bytes;
    // A file stream reports a failed read of a directory or a disk by throwing from its
    // buffer; either way the bytes are not there.
    try {
        in_.clear();
        in_.seekg(static_cast<std::streamoff>(from));
        in_.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        const auto got = static_cast<std::size_t>(std::max<std::streamsize>(in_.gcount(), 0));
        bytes_read_ += got;
        if (got < bytes.size()) read_failed_ = true;
    } catch (const std::ios_base::failure&) {
        read_failed_ = true;
    }
    return bytes;
}

void OutputText::join_if_met() {
    if (head_.size() < tail_begin_) return;
    head_ += tail_;
    tail_.clear();
    tail_.shrink_to_fit();
    tail_begin_ = size_;
}

void OutputText::grow_head() {
    const std::size_t to =
        std::min(tail_begin_, head_.size() + std::max(FIRST_PIECE, head_.size()));
    head_ += read_range(head_.size(), to);
    join_if_met();
}

void OutputText::grow_tail() {
    const std::size_t piece = std::max(FIRST_PIECE, size_ - tail_begin_);
    const std::size_t from = std::max(head_.size(), tail_begin_ > piece ? tail_begin_ - piece : 0);
    tail_.insert(0, read_range(from, tail_begin_));
    tail_begin_ = from;
    join_if_met();
}

std::string_view OutputText::view(std::size_t from, std::size_t to) const {
    if (to <= head_.size()) return std::string_view(head_).substr(from, to - from);
    return std::string_view(tail_).substr(from - tail_begin_, to - from);
}

std::string_view OutputText::head(std::size_t n) {
    n = std::min(n, size_);
    while (head_.size() < n) grow_head();
    return view(0, n);
}

std::size_t OutputText::find(std::string_view key, std::size_t from, std::size_t to) {
    to = std::min(to, size_);
    if (key.empty() || from >= to || to - from < key.size()) return npos;
    // A start in the unread middle: read back to it from the end.
    while (from >= head_.size() && from < tail_begin_) grow_tail();
    if (from >= tail_begin_) {
        const std::size_t at = view(from, to).find(key);
        return at == npos ? npos : from + at;
    }
    std::size_t start = from;
    for (;;) {
        const std::size_t hi = std::min(to, head_.size());
        const std::size_t at = view(start, hi).find(key);
        if (at != npos) return start + at;
        if (hi == to) return npos;
        start = std::max(start, hi - std::min(hi, key.size() - 1));
        grow_head();
    }
}

std::size_t OutputText::rfind(std::string_view key, std::size_t before, std::size_t from) {
    before = std::min(before, size_);
    if (key.empty() || before < from || before - from < key.size()) return npos;
    while (before > head_.size() && tail_begin_ >= before) grow_tail();
    std::size_t hi = before;
    for (;;) {
        if (hi <= head_.size()) {
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
    while (start < head_.size() && end > head_.size()) grow_head();
    while (start >= head_.size() && start < tail_begin_) grow_tail();
    std::string_view text = view(start, end);
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    return text;
}

long OutputText::line_number(std::size_t pos) {
    pos = std::min(pos, size_);
    while (head_.size() < pos) grow_head();
    const std::string_view before = view(0, pos);
    return 1 + static_cast<long>(std::count(before.begin(), before.end(), '\n'));
}

bool OutputText::begins_line(std::size_t at) {
    const std::size_t start = line_start(at);
    const std::string_view before = line(at).substr(0, at - start);
    return before.find_first_not_of(" \t") == std::string_view::npos;
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
