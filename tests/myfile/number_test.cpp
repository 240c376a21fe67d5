#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "TestSupport.h"
#include "myfile.h"

using namespace confsearch;

TEST(NumberReading, NumbersBrokenByWrapsReadWhole) {
    struct Case {
        const char* text;
        double value;
        int next;  // character the stream is left on, or EOF
    };
    const Case cases[] = {
        {"-152.\n 91\\", -152.91, '\\'},
        {"  \n  -12.50,3", -12.5, ','},
        {"1 2", 12, EOF},
        {"1.5D-03", 1.5, 'D'},
        {"-\\", 0, '\\'},
        {"+7.", 7, EOF},
        {".25", 0.25, EOF},
    };
    for (const Case& c : cases) {
        support::ScanFile f(c.text);
        double v = -1;
        ASSERT_TRUE(read_number_ignore(f.in, v)) << c.text;
        EXPECT_DOUBLE_EQ(v, c.value) << c.text;
        EXPECT_EQ(f.in.peek(), c.next) << c.text;
    }
}

TEST(NumberReading, TextThatIsNoNumberLeavesValueAndStream) {
    for (const char* text : {"Dipole", "  \n x1", ""}) {
        support::ScanFile f(text);
        double v = 42;
        EXPECT_FALSE(read_number_ignore(f.in, v)) << text;
        EXPECT_EQ(v, 42);
    }
    support::ScanFile f("  abc");
    double v = 0;
    EXPECT_FALSE(read_number_ignore(f.in, v));
    EXPECT_EQ(f.in.peek(), 'a');
}
