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

namespace {

std::streamoff position(std::ifstream& in) { return in.tellg(); }

// The searches' contract written on a whole string, without windows: the reference the
// windowed searches must agree with wherever an occurrence falls.
bool is_wrap(char c) { return c == ' ' || c == '\n' || c == '\r'; }

long reference_forward(const std::string& text, long from, const std::string& key, bool skip) {
    for (long t = from; t < static_cast<long>(text.size()); ++t) {
        if (text[t] != key[0]) continue;
        long i = t;
        std::size_t k = 0;
        while (k < key.size() && i < static_cast<long>(text.size())) {
            if (text[i] == key[k]) {
                ++k;
                ++i;
            } else if (skip && is_wrap(text[i])) {
                ++i;
            } else {
                break;
            }
        }
        if (k == key.size()) return i;
    }
    return -1;
}

long reference_backward(const std::string& text, long before, const std::string& key, bool skip) {
    for (long e = std::min<long>(before, text.size()) - 1; e >= 0; --e) {
        if (text[e] != key.back()) continue;
        long i = e;
        std::size_t k = key.size();
        while (k > 0 && i >= 0) {
            if (text[i] == key[k - 1]) {
                --k;
                --i;
            } else if (skip && is_wrap(text[i])) {
                --i;
            } else {
                break;
            }
        }
        if (k == 0) return e + 1;
    }
    return -1;
}

}  // namespace

TEST(TextSearch, BackwardFromEndFindsLastOccurrence) {
    support::ScanFile f("HF=1\nHF=2\nHF=3\ntail");
    ASSERT_TRUE(file_find_linux(f.in, "HF=", -1, std::ios::end));
    EXPECT_EQ(position(f.in), 13);
    double v = 0;
    ASSERT_TRUE(read_number_ignore(f.in, v));
    EXPECT_EQ(v, 3);
}

TEST(TextSearch, ForwardFromCurrentSkipsEarlierOccurrences) {
    support::ScanFile f("key one key two");
    f.in.seekg(2);
    ASSERT_TRUE(file_find_linux(f.in, "key", 1, std::ios::cur));
    EXPECT_EQ(position(f.in), 11);
    // A backward search from the current position finds only what ends before it.
    f.in.seekg(10);
    ASSERT_TRUE(file_find_linux(f.in, "key", -1, std::ios::cur));
    EXPECT_EQ(position(f.in), 3);
}

TEST(TextSearch, OccurrenceAtTheVeryStartIsFoundBackward) {
    support::ScanFile f("HF=-1.5");
    f.in.seekg(3);
    ASSERT_TRUE(file_find_linux(f.in, "HF=", -1, std::ios::cur));
    EXPECT_EQ(position(f.in), 3);
}

TEST(TextSearch, MissRestoresPositionAndClearsState) {
    support::ScanFile f("short file");
    f.in.seekg(4);
    for (int direction : {1, -1}) {
        EXPECT_FALSE(
            file_find_linux(f.in, "a key longer than the whole file", direction, std::ios::beg));
        EXPECT_TRUE(f.in.good());
        EXPECT_EQ(position(f.in), 4);
        EXPECT_FALSE(file_find_ignore_linux(f.in, "absent", direction, std::ios::end));
        EXPECT_EQ(position(f.in), 4);
    }
}

TEST(TextSearch, FoundClearsEndOfFileState) {
    support::ScanFile f("x HF=-2");
    double v = 0;
    f.in.seekg(5);
    ASSERT_TRUE(read_number_ignore(f.in, v));
    EXPECT_TRUE(f.in.eof());
    ASSERT_TRUE(file_find_linux(f.in, "HF=", -1, std::ios::end));
    EXPECT_TRUE(f.in.good());
}

TEST(TextSearch, FailedStreamIsLeftAlone) {
    support::ScanFile f("HF=1");
    f.in.setstate(std::ios::failbit);
    EXPECT_FALSE(file_find_linux(f.in, "HF=", 1, std::ios::beg));
    EXPECT_FALSE(file_find_ignore_linux(f.in, "HF=", -1, std::ios::end));
    double v = 7;
    EXPECT_FALSE(read_number_ignore(f.in, v));
    EXPECT_EQ(v, 7);
    EXPECT_TRUE(f.in.fail());
}

TEST(TextSearch, KeywordWrappedInArchiveBlockIsFound) {
    // The archive block wraps at 70 columns and indents each continuation line by one blank.
    support::ScanFile f("\\State=1-A1\\H\n F=-76.0107\\RMSD=1e-9\\Dipo\n le=0.1,-0.2\n ,0.3\\");
    EXPECT_FALSE(file_find_linux(f.in, "HF=", -1, std::ios::end));
    ASSERT_TRUE(file_find_ignore_linux(f.in, "HF=", -1, std::ios::end));
    double v = 0;
    ASSERT_TRUE(read_number_ignore(f.in, v));
    EXPECT_DOUBLE_EQ(v, -76.0107);
    ASSERT_TRUE(file_find_ignore_linux(f.in, "Dipole=", 1, std::ios::cur));
    double x = 0, y = 0, z = 0;
    ASSERT_TRUE(read_number_ignore(f.in, x));
    f.in.ignore(1);
    ASSERT_TRUE(read_number_ignore(f.in, y));
    f.in.ignore(1);
    ASSERT_TRUE(read_number_ignore(f.in, z));
    EXPECT_DOUBLE_EQ(x, 0.1);
    EXPECT_DOUBLE_EQ(y, -0.2);
    EXPECT_DOUBLE_EQ(z, 0.3);
}

TEST(TextSearch, CarriageReturnsOfWindowsCopiesArePassedOver) {
    // A dipole wrapped at a CR LF line end must read whole, not as its tail.
    support::ScanFile f("\\Dipole=1.00\r\n 93782,-1.9\\");
    ASSERT_TRUE(file_find_ignore_linux(f.in, "Dipole=", 1, std::ios::beg));
    double v = 0;
    ASSERT_TRUE(read_number_ignore(f.in, v));
    EXPECT_DOUBLE_EQ(v, 1.0093782);
    // A tab is text, not a wrap.
    support::ScanFile g("HF=\t-1.5");
    ASSERT_TRUE(file_find_linux(g.in, "HF=", 1, std::ios::beg));
    EXPECT_FALSE(read_number_ignore(g.in, v));
    EXPECT_EQ(g.in.peek(), '\t');
}

TEST(TextSearch, WindowsSearchTreatsCrLfAsOneLineEnd) {
    support::ScanFile f("first\r\nSCF Done\r\nsecond\r\nSCF Done");
    ASSERT_TRUE(file_find_win(f.in, "Done\nsecond", 1, std::ios::beg));
    EXPECT_EQ(position(f.in), 23);
    ASSERT_TRUE(file_find_win(f.in, "SCF Done", -1, std::ios::end));
    EXPECT_EQ(position(f.in), 33);
    ASSERT_TRUE(file_find_win(f.in, "first\nSCF", -1, std::ios::end));
    EXPECT_EQ(position(f.in), 10);
}

TEST(TextSearch, AnyBytesAreSearched) {
    std::string text = "abc";
    text += '\0';
    text += static_cast<char>(255);
    text += "HF=-3.25";
    text += static_cast<char>(255);
    text += '\0';
    support::ScanFile f(text);
    ASSERT_TRUE(file_find_linux(f.in, "HF=", 1, std::ios::beg));
    double v = 0;
    ASSERT_TRUE(read_number_ignore(f.in, v));
    EXPECT_DOUBLE_EQ(v, -3.25);
    ASSERT_TRUE(file_find_ignore_linux(f.in, "HF=", -1, std::ios::end));
    EXPECT_EQ(position(f.in), 8);
}

// Occurrences placed on both sides of every read boundary, in long files, found in both
// directions exactly where the whole-string reference finds them.
TEST(TextSearch, AgreesWithWholeTextReferenceAcrossReadBoundaries) {
    std::mt19937 random(20261208);
    // Dense text gives many near misses; sparse text sends the searches across many reads.
    const std::string dense = "HF=F H\n\r xD=";
    const std::string sparse = std::string(3000, 'x') + " \n\r  \n\n" + "HF=";
    const std::pair<std::size_t, const std::string*> texts[] = {
        {100, &dense}, {5000, &sparse}, {70000, &dense}, {300000, &sparse}, {1000000, &sparse}};
    for (const auto& [length, chosen] : texts) {
        const std::string& alphabet = *chosen;
        std::string text(length, ' ');
        for (auto& c : text) c = alphabet[random() % alphabet.size()];
        support::ScanFile f(text);
        for (const std::string key : {"HF=", "F=H", "= H", "HF=HF"}) {
            for (int trial = 0; trial < 40; ++trial) {
                const long start = static_cast<long>(random() % (length + 1));
                for (const bool skip : {false, true}) {
                    for (const int direction : {1, -1}) {
                        f.in.clear();
                        f.in.seekg(start);
                        const bool found =
                            skip ? file_find_ignore_linux(f.in, key, direction, std::ios::cur)
                                 : file_find_linux(f.in, key, direction, std::ios::cur);
                        const long expected = direction == 1
                                                  ? reference_forward(text, start, key, skip)
                                                  : reference_backward(text, start, key, skip);
                        ASSERT_EQ(found, expected >= 0)
                            << "length " << length << " key '" << key << "' start " << start
                            << " skip " << skip << " direction " << direction;
                        ASSERT_EQ(position(f.in), found ? expected : start);
                    }
                }
            }
        }
    }
}

TEST(TextSearch, LongRunOfBlanksInsideAKeywordIsPassedOver) {
    std::string text = "xx H" + std::string(200000, ' ') + "\n F=-9.5";
    support::ScanFile f(text);
    ASSERT_TRUE(file_find_ignore_linux(f.in, "HF=", 1, std::ios::beg));
    double v = 0;
    ASSERT_TRUE(read_number_ignore(f.in, v));
    EXPECT_DOUBLE_EQ(v, -9.5);
    ASSERT_TRUE(file_find_ignore_linux(f.in, "HF=", -1, std::ios::end));
    EXPECT_EQ(position(f.in), static_cast<std::streamoff>(text.size() - 4));
}

// The archive of every real output file, read the way the result reader reads it, against
// the values found in the file's text once its line wraps are removed.
TEST(RealOutputs, ArchiveValuesAndGeometryTablesOfEveryFile) {
    SKIP_WITHOUT_REAL_OUTPUTS();
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(support::real_outputs_dir())) {
        const std::string file = entry.path().filename().string();
        std::string text = support::read_file(entry.path());
        text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
        std::string unwrapped;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\n' && i + 1 < text.size() && text[i + 1] == ' ')
                ++i;
            else
                unwrapped += text[i];
        }
        const std::size_t energy_at = unwrapped.rfind("HF=");
        ASSERT_NE(energy_at, std::string::npos) << file;
        const std::size_t dipole_at = unwrapped.find("Dipole=", energy_at);

        std::ifstream in(entry.path(), std::ios::binary);
        ASSERT_TRUE(file_find_ignore_linux(in, "HF=", -1, std::ios::end)) << file;
        double energy = 0;
        ASSERT_TRUE(read_number_ignore(in, energy)) << file;
        EXPECT_EQ(energy, std::strtod(unwrapped.c_str() + energy_at + 3, nullptr)) << file;
        const bool dipole = file_find_ignore_linux(in, "Dipole=", 1, std::ios::cur);
        EXPECT_EQ(dipole, dipole_at != std::string::npos) << file;
        if (dipole) {
            double x = 0;
            ASSERT_TRUE(read_number_ignore(in, x)) << file;
            EXPECT_EQ(x, std::strtod(unwrapped.c_str() + dipole_at + 7, nullptr)) << file;
            EXPECT_EQ(in.peek(), ',') << file;
        }
        const bool table = file_find_linux(in, "Standard orientation:", -1, std::ios::end);
        EXPECT_EQ(table, text.find("Standard orientation:") != std::string::npos) << file;
        if (table) {
            std::string line;
            for (int i = 0; i < 5; ++i) std::getline(in, line);
            int centre = 0;
            in >> centre;
            EXPECT_EQ(centre, 1) << file;
        }
        ++files;
    }
    EXPECT_GT(files, 0);
}
