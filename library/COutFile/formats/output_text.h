// The text of an output file, read from both ends as far as a reader asks: the head, where
// the programs print their banner and echo the input, and the end, where they print the
// result. A result near the end costs the head and the end only, and no byte is read twice.
#pragma once

#include <cstddef>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "myfile/read_error.h"

namespace confsearch {

namespace detail {

// Leaves the chars of a growing buffer unset: the file is read into the buffer where it
// belongs, and the pages of the part never read are never touched.
template <class T>
struct UnsetAllocator : std::allocator<T> {
    template <class U>
    struct rebind {
        using other = UnsetAllocator<U>;
    };
    UnsetAllocator() = default;
    template <class U>
    UnsetAllocator(const UnsetAllocator<U>&) noexcept {}
    template <class U>
    void construct(U* p) noexcept {
        ::new (static_cast<void*>(p)) U;
    }
    template <class U, class... Args>
    void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};

}  // namespace detail

// Positions are those of the text from its start; the text is held in one piece, the
// size of the file, of which only the parts read are filled. A view stays valid as long
// as the OutputText.
class OutputText {
public:
    static constexpr std::size_t npos = std::string_view::npos;

    // How much either end reads first; each further read doubles what that end holds.
    static constexpr std::size_t FIRST_PIECE = 64 * 1024;

    // Opens file and reads its head. A UTF-16 file (byte-order mark FF FE or FE FF, as
    // ORCA on Windows writes them) is read whole and held as UTF-8. The reason
    // "cannot open" when the file cannot be opened or read (a directory). Tests and fuzzing
    // give a small first_piece to read in many pieces.
    ReadError open(const std::string& file, std::size_t first_piece = FIRST_PIECE);
    // A text already in memory (converted like a file), named file in messages.
    void assign(std::string bytes, const std::string& file);

    const std::string& file() const { return file_; }
    // Length of the text (of a UTF-16 file: of its UTF-8 form).
    std::size_t size() const { return size_; }
    // Bytes taken from the file so far: never more than its size.
    std::size_t bytes_read() const { return bytes_read_; }
    // True when a read failed (the file shrank or the disk failed while it was read).
    bool read_failed() const { return read_failed_; }

    // The first n characters, fewer in a shorter text.
    std::string_view head(std::size_t n);
    // Start of the first occurrence of key that begins at or after from and ends at or
    // before to; npos when there is none.
    std::size_t find(std::string_view key, std::size_t from, std::size_t to = npos);
    // Start of the last occurrence of key that begins at or after from and ends at or
    // before `before`; npos when there is none.
    std::size_t rfind(std::string_view key, std::size_t before = npos, std::size_t from = 0);
    // The line that holds pos, without its line end ("\n" or "\r\n").
    std::string_view line(std::size_t pos);
    // Start of the line that holds pos.
    std::size_t line_start(std::size_t pos);
    // Start of the line after the one that holds pos; size() after the last line.
    std::size_t next_line(std::size_t pos);
    // The 1-based number of the line that holds pos (reads all the text before it).
    long line_number(std::size_t pos);

    // As find and rfind, for a key that begins its line after blanks or tabs only.
    std::size_t find_line(std::string_view key, std::size_t from, std::size_t to = npos);
    std::size_t rfind_line(std::string_view key, std::size_t before = npos, std::size_t from = 0);
    // The rest of the line after the key of length key_size found at `at`.
    std::string_view after(std::size_t at, std::size_t key_size);

private:
    std::ifstream in_;
    std::string file_;
    std::size_t size_ = 0;
    // Read: [0, head_end_) and [tail_begin_, size_). Once the two meet, both are size_.
    std::vector<char, detail::UnsetAllocator<char>> text_;
    std::size_t head_end_ = 0;
    std::size_t tail_begin_ = 0;
    std::size_t bytes_read_ = 0;
    std::size_t first_piece_ = FIRST_PIECE;
    bool read_failed_ = false;

    void read_range(std::size_t from, std::size_t to);
    void join_if_met();
    void hold(std::string_view text);
    void grow_head();
    void grow_tail();
    std::string_view view(std::size_t from, std::size_t to) const {
        return std::string_view(text_.data() + from, to - from);
    }
    // Whether only blanks or tabs stand before `at` on its line.
    bool begins_line(std::size_t at);
};

}  // namespace confsearch
