#include <gtest/gtest.h>
#include "CMyMath.h"

#include <filesystem>
#include <sstream>
#include <string>

#include "TestSupport.h"

using namespace confsearch;

namespace {

// Atoms 3, 1, 2, 5, 4 of the molecule 3-1-2 with atoms 5 and 4 on atom 2, as rows 1 to 5.
const char* const EXAMPLE_MATRIX = "5\n3\n1 3\n2 1 3\n5 2 1 3\n4 2 1 5\n";
const char* const EXAMPLE_RELATION = "5\n3\n1 3\n2 1\n5 2\n4 2\n";
// Both files give these rows, as check_linking.txt lists them.
const char* const EXAMPLE_LINKING = "5\n\n1 0 0 0\n2 1 0 0\n3 2 1 0\n4 3 2 1\n5 3 2 4\n";

// Every row line of a connectivity text followed by a remark (a long one, with numbers
// in it), and the line ends turned into Windows ones when asked.
std::string with_remarks(const std::string& text, bool crlf) {
    const std::string remark = "   row remark 7 8 9 " + std::string(300, 'x');
    std::istringstream in(text);
    std::string line;
    std::string out;
    bool first = true;
    while (std::getline(in, line)) {
        out += line + (first ? "  atoms" : remark) + (crlf ? "\r\n" : "\n");
        first = false;
    }
    return out;
}

std::string text_of(const CZMATRIX& z) {
    std::ostringstream out;
    out << z;
    return out.str();
}

// Reads a connectivity text with the reader for its kind, in a scratch directory.
bool read_text(CZMATRIX& z, const std::string& text, bool full_matrix) {
    support::TempDir dir;
    dir.write("links", text);
    return full_matrix ? z.read_linkmatrix(dir.file("links"))
                       : z.read_linkrelation(dir.file("links"));
}

std::string linking_file_of(const CZMATRIX& z) {
    support::TempDir dir;
    support::ScopedChdir here(dir.path());
    z.putout_check_linking();
    return dir.read(CHECK_LINKING_FILE);
}

}  // namespace

TEST(ZmatrixModel, CountsAndIndicesOutOfRangeAreThrown) {
    support::expect_thrown([] { CZMATRIX(-1); }, -1);
    CZMATRIX empty(0);
    support::expect_thrown([&] { empty.get_origin(); }, 0);
    support::expect_thrown([&] { text_of(empty); }, 0);
    support::expect_thrown([&] { empty.read_linkrelation("absent"); }, 0);
    support::expect_thrown([&] { empty.putout_check_zmatrix(); }, 0);

    CZMATRIX z(3);
    support::expect_thrown([&] { z.set_order(1, 0); }, 3);
    support::expect_thrown([&] { z.set_order(0, 1); }, 3);
    support::expect_thrown([&] { z.get_order(4); }, 4);
    support::expect_thrown([&] { z[0]; }, 0);
    // A refused count leaves the old matrix as it was.
    z.set_order(2, 3);
    support::expect_thrown([&] { z.reinstall(-2); }, -2);
    EXPECT_EQ(z.get_order(2), 3);

    // alfa and bata live in row 2, gama in row 3.
    CZMATRIX one(1);
    support::expect_thrown([&] { one.set_orientation(0.1, 0.2, 0.3); }, 1);
    EXPECT_EQ(one.get_alfa(), 0.0);
    CZMATRIX two(2);
    two.set_orientation(0.1, 0.2, 0.3);
    EXPECT_EQ(two[2].dihedral_angle, 0.2);
    EXPECT_EQ(two.get_gama(), 0.0);
    z.set_orientation(0.1, 0.2, 0.3);
    EXPECT_EQ(z[3].dihedral_angle, 0.3);
}

TEST(ZmatrixModel, StreamOutputIsCountFrameAndOneLinePerRow) {
    CZMATRIX z(4);
    z[2] = CZ_VECTOR(1, 1.09);
    z[3] = CZ_VECTOR(2, 1.53, 1, 1.91);
    z[4] = CZ_VECTOR(3, 1.43, 2, 1.87, 1, -1.05);
    z.set_origin(CVECTOR(1.5, 0, -2));
    z.set_orientation(0.5, PI / 2, 3);
    EXPECT_EQ(text_of(z),
              "4\n"
              "<1.5 0 -2>\t(0.5 1.5707963267949 3)\n"
              "1\t0 1.5 0 0 0 -2\n"
              "2\t1 1.09 0 0.5 0 1.5707963267949\n"
              "3\t2 1.53 1 1.91 0 3\n"
              "4\t3 1.43 2 1.87 1 -1.05\n");
}

TEST(ZmatrixModel, StreamInputRowsOverwriteTheFrameHeader) {
    CZMATRIX z(3);
    // Line breaks carry no meaning; the rows are read after the header and win.
    std::istringstream in(
        "3  9 9 9  7 7 7\n2 0 0.5 0 -1 0 2.5\n"
        "1 1 1.1 0 0.2 0 0.3\n3 2 1.4 1 1.9 0 4.0\n");
    in >> z;
    ASSERT_TRUE(in);
    EXPECT_EQ(z.get_origin().z, 2.5);
    EXPECT_EQ(z.get_alfa(), 0.2);
    EXPECT_EQ(z.get_gama(), 4.0);
    EXPECT_EQ(z.get_order(1), 2);
    EXPECT_EQ(z[3].bond_angle, 1.9);

    CZMATRIX four(4);
    std::istringstream wrong_count("3 0 0 0 0 0 0");
    support::expect_thrown([&] { wrong_count >> four; }, 4);
}

TEST(ZmatrixModel, UnreadableStreamLeavesAZeroMatrixAndSaysSo) {
    CZMATRIX z(3);
    z.set_origin(CVECTOR(1, 2, 3));
    z.set_order(1, 2);
    std::istringstream in("3 0 0 0 0 0 0\n1 0 0 0 0 0 0\n2 1 1.1 zero 0 0 0\n");
    testing::internal::CaptureStderr();
    in >> z;
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "ZMatrix error input!\n");
    EXPECT_EQ(z.get_size(), 3);
    EXPECT_EQ(z.get_origin().x, 0.0);
    EXPECT_EQ(z.get_order(1), 0);
}

TEST(ZmatrixModel, BothConnectivityFilesGiveTheSameRows) {
    for (const bool full_matrix : {true, false}) {
        for (const int variant : {0, 1, 2}) {
            SCOPED_TRACE(std::string(full_matrix ? "link matrix" : "link relation") +
                         (variant == 0   ? ""
                          : variant == 1 ? ", remarks"
                                         : ", remarks, CR LF"));
            const std::string plain = full_matrix ? EXAMPLE_MATRIX : EXAMPLE_RELATION;
            const std::string text = variant == 0 ? plain : with_remarks(plain, variant == 2);
            CZMATRIX z(5);
            ASSERT_TRUE(read_text(z, text, full_matrix));
            EXPECT_EQ(linking_file_of(z), EXAMPLE_LINKING);
            const int order[] = {3, 1, 2, 5, 4};
            for (int i = 1; i <= 5; ++i) EXPECT_EQ(z.get_order(i), order[i - 1]);
            EXPECT_TRUE(z.is_reordered());
            EXPECT_TRUE(z.is_linked());
        }
    }
}

TEST(ZmatrixModel, BadConnectivityFilesAreRefused) {
    enum Outcome { untouched, cleared, refused };
    const struct {
        const char* name;
        const char* text;
        Outcome outcome;
    } cases[] = {
        {"empty file", "", untouched},
        {"count of another molecule", "6\n3\n1 3\n2 1\n5 2\n4 2\n6 4\n", untouched},
        {"no count", "atoms\n3\n1 3\n2 1\n5 2\n4 2\n", untouched},
        {"too few rows", "5\n3\n1 3\n2 1\n", cleared},
        {"row without its partner", "5\n3\n1 3\n2\n5 2\n4 2\n", cleared},
        {"atom number beyond the molecule", "5\n3\n1 3\n2 9\n5 2\n4 2\n", refused},
        {"row atom beyond the molecule", "5\n3\n1 3\n7 1\n5 2\n4 2\n", refused},
        {"atom given twice", "5\n3\n1 3\n1 1\n5 2\n4 2\n", refused},
        {"partner is a later row", "5\n3\n1 3\n2 4\n5 2\n4 2\n", refused},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CZMATRIX z(5);
        ASSERT_TRUE(read_text(z, EXAMPLE_RELATION, false));
        const std::string before = text_of(z);
        EXPECT_FALSE(read_text(z, c.text, false));
        EXPECT_EQ(z.get_size(), 5);
        if (c.outcome == untouched) {
            EXPECT_EQ(text_of(z), before);
            EXPECT_TRUE(z.is_linked());
        } else {
            EXPECT_FALSE(z.is_linked());
        }
        if (c.outcome == cleared) {
            EXPECT_EQ(z.get_order(1), 0);
        }
    }
    CZMATRIX z(5);
    EXPECT_FALSE(z.read_linkmatrix("no such file"));
    EXPECT_FALSE(z.read_linkmatrix(support::TempDir().path().string()));
}

// Before connectivity and values exist the check files say so. Then atom 2 straight
// above atom 1, atom 3 at right angles to the bond 2-1: alfa 0, the azimuth of a bond
// along z is pi/2 by convention, and turning atom 3 from the y-z plane (where alfa and
// bata put it) onto the x axis is a turn of 3pi/2 about z.
TEST(ZmatrixModel, CheckFilesListFrameAndRowsOnceThereAreAny) {
    support::TempDir dir;
    support::ScopedChdir here(dir.path());
    CZMATRIX z(3);
    z.putout_check_linking();
    z.putout_check_zmatrix();
    EXPECT_EQ(dir.read(CHECK_LINKING_FILE), "3\n\nNo information of the zmatrix!\n");
    EXPECT_EQ(dir.read(CHECK_ZMATRIX_FILE), "3\nNo information of the zmatrix!\n");

    ASSERT_TRUE(read_text(z, "3\n1\n2 1\n3 2\n", false));
    CCLUSTER xyz(3);
    xyz[2] = CVECTOR(0, 0, 1);
    xyz[3] = CVECTOR(1, 0, 1);
    z.combine_zmatrix(xyz);
    z.putout_check_zmatrix();
    EXPECT_EQ(dir.read(CHECK_ZMATRIX_FILE),
              "3\n"
              "<0 0 0>\t(0 1.5708 4.71239)\n"
              "1\t0 0\t0 0\t0 0\n"
              "2\t1 1\t0 0\t0 1.5708\n"
              "3\t2 1\t1 1.5708\t0 4.71239\n");
    // A directory in the way of the file.
    std::filesystem::remove(CHECK_LINKING_FILE);
    std::filesystem::create_directory(CHECK_LINKING_FILE);
    support::expect_thrown([&] { z.putout_check_linking(); }, 0);
}
