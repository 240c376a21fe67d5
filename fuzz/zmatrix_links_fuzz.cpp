// CZMATRIX::read_linkmatrix and read_linkrelation on any text, into a Z-matrix of any size
// 1..100. The ints the link tree documents (4 for an atom given a fourth child, the row
// that is not bonded to an earlier one) are expected; a read that succeeds leaves a
// standardised, linked tree whose every link points at an earlier row or at a child.
//
// Input: which reader (one byte, even: link matrix, odd: link relation), the row count
// (one byte), then the connectivity file.

#include "CMyMath.h"
#include "fuzz_support.h"

using namespace confsearch;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::ScratchDirectory scratch;
    fuzz::Input input(data, size);
    const bool relation = (input.byte() % 2) == 1;
    const int rows = 1 + input.byte() % MAX_CONFORMER_SIZE;
    fuzz::write_file("links.txt", input.rest());

    CZMATRIX zmatrix(rows);
    bool read = false;
    try {
        read = relation ? zmatrix.read_linkrelation("links.txt")
                        : zmatrix.read_linkmatrix("links.txt");
    } catch (int thrown) {
        fuzz::check(thrown >= 1 && thrown <= rows, "threw the int " + std::to_string(thrown) +
                                                       " for " + std::to_string(rows) + " rows");
        return 0;
    }
    fuzz::check(zmatrix.get_size() == rows, "the read changed the row count");
    if (!read) return 0;
    fuzz::check(zmatrix.is_standardized() && zmatrix.is_linked(),
                "a read that succeeded left the tree unlinked");
    for (int i = 2; i <= rows; ++i) {
        const CZ_VECTOR& row = zmatrix[i];
        fuzz::check(row.bond_ref >= 1 && row.bond_ref < i,
                    "row " + std::to_string(i) + " is bonded to a later row");
        fuzz::check(zmatrix.belinking(i, row.bond_ref), "a bond of the tree is not linked");
        for (int k = 1; k < zmatrix.get_max_links(); ++k) {
            const int child = zmatrix.get_linking(i, k);
            fuzz::check(child == 0 || (child > i && zmatrix[child].bond_ref == i),
                        "a child of row " + std::to_string(i) + " does not hang on it");
        }
    }
    return 0;
}
