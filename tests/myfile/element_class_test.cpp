#include <gtest/gtest.h>

#include "myfile.h"

using namespace confsearch;

TEST(ElementClasses, OneLetterSymbolsMapBothWays) {
    EXPECT_EQ(index('V'), 13);
    EXPECT_EQ(name(13), 'V');
    EXPECT_EQ(index('H'), 1);
    EXPECT_EQ(index('O'), 4);
    EXPECT_EQ(index('c'), 0);
    EXPECT_EQ(index('\0'), 0);
    EXPECT_EQ(index('X'), 0);
    for (int k = 1; k <= 14; ++k) EXPECT_EQ(index(name(k)), k);
    EXPECT_EQ(name(0), '\0');
    EXPECT_EQ(name(15), '\0');
    EXPECT_EQ(name(-1), '\0');
    EXPECT_TRUE(is_figure('0'));
    EXPECT_TRUE(is_figure('9'));
    EXPECT_FALSE(is_figure('.'));
    EXPECT_FALSE(is_figure('a'));
}
