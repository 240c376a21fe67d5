// read_xyz_geometry, the search engine's reader of the xyz files xtb writes, on any text.
// A read that fails names a line of the file (or none) and leaves the geometry as it
// was; one that succeeds holds as many atoms as the first line says, every coordinate
// finite, and reads back the same after write_xyz_geometry. conformer_of the result
// either throws std::invalid_argument or keeps every atom.
//
// Input: the xyz file.

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "CSearch/xyz_geometry.h"
#include "fuzz_support.h"

using namespace confsearch;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::ScratchDirectory scratch;
    fuzz::Input input(data, size);
    const std::string_view text = input.rest();
    fuzz::write_file("molecule.xyz", text);

    confsearch::XyzGeometry geometry;
    geometry.comment = "untouched";
    const confsearch::ReadError error = confsearch::read_xyz_geometry("molecule.xyz", geometry);
    if (!error.ok()) {
        const long lines = static_cast<long>(std::count(text.begin(), text.end(), '\n')) + 1;
        fuzz::check(error.line >= 0 && error.line <= lines, "the error names no line of the file");
        fuzz::check(geometry.comment == "untouched" && geometry.symbols.empty(),
                    "a failed read changed the geometry");
        return 0;
    }
    fuzz::check(!geometry.symbols.empty() && geometry.symbols.size() == geometry.positions.size(),
                "atoms without positions");
    for (const CVECTOR& p : geometry.positions)
        fuzz::check(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z),
                    "a coordinate is not finite");

    confsearch::write_xyz_geometry("again.xyz", geometry);
    confsearch::XyzGeometry again;
    fuzz::check(confsearch::read_xyz_geometry("again.xyz", again).ok(),
                "the written file does not read");
    fuzz::check(again.symbols == geometry.symbols, "the symbols changed on the way back");
    for (std::size_t i = 0; i < geometry.positions.size(); ++i) {
        const CVECTOR d = again.positions[i] - geometry.positions[i];
        const double scale = 1.0 + geometry.positions[i].module();
        fuzz::check(d.module() <= 1e-9 * scale, "a position changed on the way back");
    }
    try {
        const CBasicConformer conformer = confsearch::conformer_of(geometry);
        fuzz::check(conformer.get_size() == static_cast<int>(geometry.symbols.size()),
                    "the conformer lost atoms");
    } catch (const std::invalid_argument&) {
    }
    return 0;
}
