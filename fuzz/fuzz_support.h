// What every fuzz target shares: a scratch working directory of its own, standard output
// silenced, the fuzzed bytes taken apart and written to files there, and the line between
// an outcome the library documents (a bare int thrown for a bad count) and a finding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <streambuf>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include <unistd.h>

#include "CConformer.h"

namespace fuzz {

// A stream buffer that takes every character and keeps none: many readers print their
// progress, which would cost more than the reading itself.
class NullBuffer : public std::streambuf {
protected:
    int_type overflow(int_type c) override { return traits_type::not_eof(c); }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

// Reports a fault that no sanitizer sees (a reader's result that misrepresents its input)
// and aborts, so that libFuzzer keeps the input as a crash.
[[noreturn]] inline void fail(const std::string& what) {
    std::fprintf(stderr, "fuzz finding: %s\n", what.c_str());
    std::fflush(stderr);
    std::abort();
}

inline void check(bool holds, const std::string& what) {
    if (!holds) fail(what);
}

namespace detail {

inline std::filesystem::path& scratch_dir() {
    static std::filesystem::path dir;
    return dir;
}

inline void remove_scratch() {
    std::error_code ignored;
    std::filesystem::remove_all(scratch_dir(), ignored);
}

// A directory of this process under TMPDIR, made once: parallel fuzzing processes must
// not meet there. Standard output is silenced at the same time.
inline const std::filesystem::path& make_scratch() {
    if (!scratch_dir().empty()) return scratch_dir();
    std::string pattern = std::filesystem::temp_directory_path() / "conformer-fuzz-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) fail("cannot create a scratch directory");
    scratch_dir() = pattern;
    std::atexit(remove_scratch);

    static NullBuffer null_buffer;
    std::cout.rdbuf(&null_buffer);
    return scratch_dir();
}

}  // namespace detail

// The working directory of one input, emptied first, so that each input meets the same
// files whatever the inputs before it left behind: readers open files by relative name
// and write their error files beside them. The directory the fuzzer was started in is
// the working directory again afterwards, where libFuzzer keeps its corpus and findings
// by the paths it was given.
class ScratchDirectory {
public:
    ScratchDirectory() : previous_(std::filesystem::current_path()) {
        const std::filesystem::path& dir = detail::make_scratch();
        for (const auto& entry : std::filesystem::directory_iterator(dir))
            std::filesystem::remove_all(entry.path());
        std::filesystem::current_path(dir);
    }
    ~ScratchDirectory() { std::filesystem::current_path(previous_); }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

private:
    std::filesystem::path previous_;
};

inline void write_file(const std::string& name, std::string_view bytes) {
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    check(static_cast<bool>(out), "cannot write the scratch file " + name);
}

// Copies a file of the bundled examples into the working directory under name. Through
// streams, which retry a read or write that a signal interrupts: libFuzzer's timeout
// alarm does, and std::filesystem::copy_file then fails with "Interrupted system call".
inline void copy_example(const std::string& example, const std::string& name) {
    std::ifstream in(std::filesystem::path(EXAMPLES_DIR) / example, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    check(static_cast<bool>(in) || in.eof(), "cannot read the example " + example);
    write_file(name, text);
}

// The fuzzed bytes, taken from the front a field at a time; what is left is file text.
class Input {
public:
    Input(const std::uint8_t* data, std::size_t size)
        : rest_(reinterpret_cast<const char*>(data), size) {}

    // One byte, 0 when the input is used up.
    std::uint8_t byte() {
        if (rest_.empty()) return 0;
        const auto b = static_cast<std::uint8_t>(rest_.front());
        rest_.remove_prefix(1);
        return b;
    }
    // Two bytes, low byte first.
    unsigned short word() {
        const unsigned low = byte();
        return static_cast<unsigned short>(low | (static_cast<unsigned>(byte()) << 8));
    }
    // The atom count of a conformer to read into: 0..MAX_CONFORMER_SIZE.
    int molecule_size() { return byte() % (MAX_CONFORMER_SIZE + 1); }
    // An atom count for a reader that takes one: mostly 0..MAX_CONFORMER_SIZE, the range a
    // molecule may have, and sometimes one just outside it at either end.
    int atom_count() { return byte() % (MAX_CONFORMER_SIZE + 3) - 1; }
    // Up to n bytes.
    std::string_view take(std::size_t n) {
        const std::string_view part = rest_.substr(0, n);
        rest_.remove_prefix(part.size());
        return part;
    }
    std::string_view rest() const { return rest_; }

    // The rest cut at every separator byte into at most parts pieces (the last piece keeps
    // any further separators): the files of a reader that reads one file named in another.
    std::vector<std::string_view> files(char separator, std::size_t parts) const {
        std::vector<std::string_view> pieces;
        std::string_view text = rest_;
        while (pieces.size() + 1 < parts) {
            const std::size_t cut = text.find(separator);
            if (cut == std::string_view::npos) break;
            pieces.push_back(text.substr(0, cut));
            text.remove_prefix(cut + 1);
        }
        pieces.push_back(text);
        return pieces;
    }

private:
    std::string_view rest_;
};

// The byte that parts the files of one input (the list file first): a control character
// that the readers' text formats never hold.
const char FILE_SEPARATOR = '\x1e';

// Same atom count, elements and positions, exactly.
inline bool same_geometry(const CBasicConformer& a, const CBasicConformer& b) {
    if (a.get_size() != b.get_size()) return false;
    for (int i = 1; i <= a.get_size(); ++i) {
        const CVECTOR p = a.get_vector(i);
        const CVECTOR q = b.get_vector(i);
        if (a.get_element(i).get_number() != b.get_element(i).get_number() || p.x != q.x ||
            p.y != q.y || p.z != q.z)
            return false;
    }
    return true;
}

// Runs a reader whose only documented throw is the bare int of a bad atom count: the
// count itself, and only when it lies outside 0..MAX_CONFORMER_SIZE. Returns whether the reader
// returned (rather than threw).
template <class Read>
bool runs_unless_bad_count(int atoms, Read read) {
    try {
        read();
        return true;
    } catch (int thrown) {
        check(thrown == atoms && (atoms < 0 || atoms > MAX_CONFORMER_SIZE),
              "threw the int " + std::to_string(thrown) + " for the atom count " +
                  std::to_string(atoms));
    }
    return false;
}

}  // namespace fuzz
