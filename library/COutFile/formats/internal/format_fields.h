// Taking the lines of program outputs apart: words, numbers written as the programs write
// them, element symbols and the geometry rows that hold them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "CMyMath/vector.h"

namespace confsearch::detail {

// The text without blanks, tabs and carriage returns at either end.
std::string_view trim(std::string_view text);
// The words of a line, split at blanks and tabs.
std::vector<std::string_view> words(std::string_view line);
// A lower-case copy.
std::string lower(std::string_view text);
bool starts_with(std::string_view text, std::string_view prefix);

// A decimal number as the programs print them: an optional sign, digits with an optional
// point, an optional exponent ("-0.525E-07"). Nothing else: no "nan", "inf", hexadecimal
// or trailing letters. False (value unchanged) otherwise.
bool parse_number(std::string_view word, double& value);
// An optional sign and digits, in the range of int.
bool parse_int(std::string_view word, int& value);

// The number after the word "..." of a line, alone or followed by a unit:
// "Total Enthalpy                    ...   -381.86823509 Eh".
bool after_dots(std::string_view line, double& value);

// The chemical symbol of an element given in any case ("C", "cl", "CL") or by its atomic
// number ("17"), as the periodic table writes it ("Cl"); empty when it names no element.
std::string element_symbol(std::string_view word);

// An atom row of symbol and three coordinates, "  C     -1.417709    0.228462    0.000000",
// with nothing after them.
bool symbol_xyz_row(std::string_view line, std::string& symbol, CVECTOR& position);

}  // namespace confsearch::detail
