#include <gtest/gtest.h>
#include "CMyElement.h"

#include <sstream>
#include <string>

namespace {

void expect_no_element(const CELEMENT& e) {
    EXPECT_EQ(e.get_number(), 0);
    EXPECT_EQ(e.get_symbol(), "");
    EXPECT_EQ(e.get_radius(), 0.0);
}

TEST(ElementTable, NumbersOutsideTheTableGiveNoElement) {
    for (const int n : {0, -5, 119}) expect_no_element(CELEMENT(n));
    const CELEMENT last(118);
    EXPECT_EQ(last.get_symbol(), "Uuo");
    EXPECT_EQ(last.get_radius(), 0.0);
    EXPECT_EQ(CELEMENT(112).get_symbol(), "Uub");
}

TEST(ElementTable, SymbolLookupIsExactAndInvertsTheTable) {
    for (int n = 1; n <= 118; ++n)
        EXPECT_EQ(CELEMENT(CELEMENT(n).get_symbol()).get_number(), n) << n;
    EXPECT_EQ(CELEMENT("Cl").get_number(), 17);
    for (const char* text : {"cl", "CL", "C ", " C", "", "Uuuo"}) {
        SCOPED_TRACE(text);
        expect_no_element(CELEMENT(std::string(text)));
    }
}

TEST(ElementTable, OnlyOrganicElementsHaveABondingRadius) {
    int with_radius = 0;
    for (int n = 1; n <= 118; ++n) with_radius += CELEMENT(n).get_radius() != 0.0;
    EXPECT_EQ(with_radius, 6);
    EXPECT_DOUBLE_EQ(CELEMENT("N").get_radius(), 0.86);
    EXPECT_DOUBLE_EQ(CELEMENT("P").get_radius(), 1.22);
    EXPECT_DOUBLE_EQ(CELEMENT("S").get_radius(), 1.17);

    const CELEMENT h("H"), c("C"), o("O"), fe("Fe");
    EXPECT_DOUBLE_EQ(h.bond_distance(h), 0.73);
    EXPECT_DOUBLE_EQ(c.bond_distance(h), 1.25);
    EXPECT_DOUBLE_EQ(c.bond_distance(c), 1.77);
    EXPECT_DOUBLE_EQ(o.bond_distance(o), 1.68);
    EXPECT_DOUBLE_EQ(fe.bond_distance(h), 0.365);
    EXPECT_DOUBLE_EQ(fe.bond_distance(CELEMENT()), 0.0);
}

TEST(ElementTable, ResettingKeepsSymbolAndRadiusInStep) {
    CELEMENT e("S");
    e.reinstall(8);
    EXPECT_EQ(e.get_symbol(), "O");
    EXPECT_DOUBLE_EQ(e.get_radius(), 0.84);
    e.reinstall("fe");
    expect_no_element(e);

    // set_all_information fills symbol and radius only; the number stays.
    e.reinstall(6);
    e.set_all_information(16);
    EXPECT_EQ(e.get_number(), 6);
    EXPECT_EQ(e.get_symbol(), "S");
    e.set_all_information(0);
    EXPECT_EQ(e.get_number(), 6);
    EXPECT_EQ(e.get_symbol(), "");
    EXPECT_EQ(e.get_radius(), 0.0);
}

TEST(ElementTable, PrintsThreeLabelledLinesInTheStreamFormat) {
    std::ostringstream out;
    out << CELEMENT(8);
    EXPECT_EQ(out.str(), "atomic number: 8\natomic symbol: O\natomic radius: 0.84\n");

    std::ostringstream fixed;
    fixed << std::fixed;
    fixed.precision(4);
    fixed << CELEMENT("X");
    EXPECT_EQ(fixed.str(), "atomic number: 0\natomic symbol: \natomic radius: 0.0000\n");
}

}  // namespace
