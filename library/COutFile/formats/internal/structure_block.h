// A molecule's atoms written as a block of text in one of the forms xtb writes and reads:
// xyz, Turbomole $coord and MDL molfile (V2000).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "CMyMath/vector.h"
#include "myfile/read_error.h"

namespace confsearch {
class OutputText;
}

namespace confsearch::detail {

// Element symbols and positions in angstrom, in the block's atom order.
struct Structure {
    std::vector<std::string> symbols;
    std::vector<CVECTOR> positions;
};

// Same elements and positions, exactly.
bool same_structure(const Structure& a, const Structure& b);

// Reads the block whose first line starts at `at`, in whichever of the three forms it is
// written. The reason it cannot ("row 3 is not an element symbol and three numbers",
// "the atoms end after 12 of 15", ...) with the line at fault.
ReadError read_structure(OutputText& text, std::size_t at, Structure& structure);

}  // namespace confsearch::detail
