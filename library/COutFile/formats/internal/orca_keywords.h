// What the simple-input keywords of an ORCA job ("! B3LYP D3BJ def2-SVP Opt CPCM(Water)")
// say about its level of theory.
#pragma once

#include <string>
#include <vector>

namespace confsearch::detail {

struct OrcaLevel {
    std::string method;      // "B3LYP", "PBE-D3BJ", "HF-3c", as the input writes it
    std::string basis;       // "def2-SVP"; empty when no keyword names one
    std::string solvent;     // "CPCM(Water)", "CPCM"; empty in the gas phase
    bool own_basis = false;  // a composite or semi-empirical method that brings its basis
};

// The method is the first keyword that is neither a basis set, an auxiliary basis
// ("def2/J"), a dispersion correction, a solvation model nor one of ORCA's job, SCF,
// grid, approximation or print keywords; a dispersion correction is joined to it
// ("PBE D3BJ" gives "PBE-D3BJ"). The basis is the first keyword of a basis-set family
// ("def2-SVP", "6-31+G**", "cc-pVDZ", "STO-3G", ...).
OrcaLevel orca_level_of_theory(const std::vector<std::string>& keywords);

// Whether the keywords ask for a GOAT global optimisation ("GOAT", "GOAT-EXPLORE", ...).
bool orca_goat(const std::vector<std::string>& keywords);

}  // namespace confsearch::detail
