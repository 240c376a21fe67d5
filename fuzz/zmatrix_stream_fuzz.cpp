// The Z-matrix stream input on any text, into a Z-matrix of any size 0..100. The ints it
// documents (the row count when the text's count differs, 1 for a matrix of one row
// whose orientation cannot be stored, the row count for an order value outside 1..n)
// are expected; a failed read leaves the size as it was.
//
// Input: the row count (one byte), then the text.

#include <sstream>
#include <string>

#include "CMyMath.h"
#include "fuzz_support.h"

using namespace confsearch;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input input(data, size);
    const int rows = input.molecule_size();
    std::istringstream text{std::string(input.rest())};

    CZMATRIX zmatrix(rows);
    static fuzz::NullBuffer null_buffer;
    std::streambuf* const errors = std::cerr.rdbuf(&null_buffer);
    try {
        text >> zmatrix;
    } catch (int thrown) {
        std::cerr.rdbuf(errors);
        fuzz::check(thrown == rows || thrown == 1, "threw the int " + std::to_string(thrown) +
                                                       " for " + std::to_string(rows) + " rows");
        return 0;
    }
    std::cerr.rdbuf(errors);
    fuzz::check(zmatrix.get_size() == rows, "the read changed the row count");
    return 0;
}
