#include "orca_keywords.h"

#include <algorithm>
#include <array>
#include <set>
#include <string_view>

#include "format_fields.h"

namespace confsearch::detail {

namespace {

// Keywords (lower case) that set how a job runs, not its level of theory: job types,
// references, SCF convergence and guesses, integration grids, the RI and COSX
// approximations, symmetry, print levels and files, parallel runs.
const std::set<std::string, std::less<>> OPTIONS = {
    "sp",          "energy",    "engrad",       "numgrad",      "opt",         "copt",
    "zopt",        "gdiis-opt", "optts",        "scants",       "irc",         "neb",
    "neb-ts",      "neb-ci",    "zoom-neb-ts",  "md",           "freq",        "numfreq",
    "anfreq",      "nmr",       "epr",          "mossbauer",    "hyperpol",    "polar",
    "rhf",         "uhf",       "rohf",         "rks",          "uks",         "roks",
    "cis",         "slowconv",  "veryslowconv", "kdiis",        "soscf",       "nososcf",
    "trah",        "notrah",    "diis",         "nodiis",       "damp",        "nodamp",
    "lshift",      "nolshift",  "moread",       "autostart",    "noautostart", "noiter",
    "hueckel",     "pmodel",    "patom",        "hcore",        "ri",          "rijcosx",
    "rijk",        "rijonx",    "nori",         "nocosx",       "cosx",        "autoaux",
    "usesym",      "nousesym",  "frozencore",   "nofrozencore", "printbasis",  "printmos",
    "nopop",       "allpop",    "mulliken",     "loewdin",      "hirshfeld",   "chelpg",
    "mbis",        "nbo",       "xyzfile",      "pdbfile",      "keepdens",    "keepints",
    "nopropfile",  "uno",       "uco",          "qro",          "bohrs",       "angs",
    "nofinalgrid", "nogridx",   "largeprint",   "smallprint",   "miniprint",   "normalprint",
    "noprintmos",  "tightopt",  "looseopt",     "verytightopt", "normalopt",   "noautoaux",
};

// Families of option keywords by their start or end: "TightSCF", "DefGrid2", "PAL8".
const std::array<std::string_view, 4> OPTION_ENDS = {"scf", "opt", "freq", "print"};
const std::array<std::string_view, 6> OPTION_STARTS = {"grid",  "finalgrid", "defgrid",
                                                       "gridx", "pal",       "scfconv"};

// Grimme's and the nonlocal dispersion corrections, joined to the method.
const std::set<std::string, std::less<>> DISPERSION = {
    "d2", "d3", "d3bj", "d3zero", "d3(bj)", "d3(0)", "d3tz", "d4", "nl", "scnl", "abc",
};

// Implicit solvation models; the solvent may follow in brackets: "CPCM(Water)".
const std::array<std::string_view, 7> SOLVATION = {"cpcm",  "smd",  "alpb", "ddcosmo",
                                                   "cosmo", "gbsa", "cpcmc"};

// Basis-set families by the start of their names, and the short names of the Ahlrichs
// and minimal sets.
const std::array<std::string_view, 27> BASIS_STARTS = {
    "sto-",      "3-21",    "4-31",   "6-31",  "def2-",   "def-",    "ma-def2-",
    "dkh-def2-", "zora-",   "sarc-",  "cc-p",  "aug-cc-", "jun-cc-", "jul-cc-",
    "may-cc-",   "apr-cc-", "d-aug-", "pc-",   "pcseg-",  "pcsseg-", "aug-pc",
    "pcj-",      "pcx-",    "ano-",   "saug-", "x2c-",    "lanl",
};
const std::set<std::string, std::less<>> BASIS_NAMES = {
    "sv",   "svp",   "sv(p)", "tzv",  "tzvp", "tzv(p)", "tzvpp",  "qzvp",    "qzvpp",
    "mini", "minis", "minix", "midi", "d95",  "d95p",   "epr-ii", "epr-iii",
};

// The xtb methods inside ORCA and the "3c" composite methods, which bring their basis.
const std::set<std::string, std::less<>> OWN_BASIS = {
    "xtb",      "xtb0",   "xtb1",  "xtb2",           "gfn0-xtb",        "gfn1-xtb",
    "gfn2-xtb", "gfn-ff", "xtbff", "native-gfn-xtb", "native-gfn1-xtb", "native-gfn2-xtb",
};

template <class Words>
bool any_start(std::string_view word, const Words& starts) {
    return std::any_of(starts.begin(), starts.end(),
                       [&](std::string_view s) { return starts_with(word, s); });
}

bool ends_with(std::string_view word, std::string_view end) {
    return word.size() >= end.size() && word.substr(word.size() - end.size()) == end;
}

bool is_option(const std::string& word) {
    if (OPTIONS.count(word) > 0) return true;
    if (std::any_of(OPTION_ENDS.begin(), OPTION_ENDS.end(),
                    [&](std::string_view e) { return ends_with(word, e); }))
        return true;
    return any_start(word, OPTION_STARTS) && word.find_first_of("0123456789") != std::string::npos;
}

// An auxiliary basis: "def2/J", "def2/JK", "def2-TZVP/C", "cc-pVTZ/C" (but "B3LYP/G" is a
// functional).
bool is_auxiliary_basis(const std::string& word) {
    const std::size_t slash = word.rfind('/');
    if (slash == std::string::npos) return false;
    const std::string_view fit = std::string_view(word).substr(slash + 1);
    return fit == "j" || fit == "jk" || fit == "c" || fit == "jkfit" || fit == "cfit";
}

bool is_basis(const std::string& word) {
    return BASIS_NAMES.count(word) > 0 || any_start(word, BASIS_STARTS);
}

bool is_solvation(const std::string& word) {
    return std::any_of(SOLVATION.begin(), SOLVATION.end(), [&](std::string_view model) {
        return word == model || starts_with(word, std::string(model) + "(");
    });
}

}  // namespace

OrcaLevel orca_level_of_theory(const std::vector<std::string>& keywords) {
    OrcaLevel level;
    std::string dispersion;
    for (const std::string& keyword : keywords) {
        const std::string word = lower(keyword);
        if (is_auxiliary_basis(word) || is_option(word)) continue;
        if (DISPERSION.count(word) > 0) {
            if (dispersion.empty()) dispersion = keyword;
        } else if (is_solvation(word)) {
            if (level.solvent.empty()) level.solvent = keyword;
        } else if (is_basis(word)) {
            if (level.basis.empty()) level.basis = keyword;
        } else if (level.method.empty()) {
            level.method = keyword;
            level.own_basis = OWN_BASIS.count(word) > 0 || ends_with(word, "-3c");
        }
    }
    if (!dispersion.empty() && !level.method.empty()) level.method += "-" + dispersion;
    if (level.own_basis) level.basis.clear();
    return level;
}

bool orca_goat(const std::vector<std::string>& keywords) {
    return std::any_of(keywords.begin(), keywords.end(),
                       [](const std::string& k) { return starts_with(lower(k), "goat"); });
}

}  // namespace confsearch::detail
