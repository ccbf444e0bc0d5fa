#include "app/reader.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "testing.h"

namespace {

struct ScanCase {
    const char* name;
    const char* text;
    int status;
    int count;
    std::vector<Point> expected;  // positions expected in the array when accepted
};

// Scans text from an in-memory stream.
int scanText(const char* text, Point*& pts, int& count) {
    std::FILE* f = fmemopen(const_cast<char*>(text), std::strlen(text), "r");
    if (f == nullptr) f = std::tmpfile();  // fmemopen refuses an empty buffer on some libcs
    const int status = scanControlPoints(f, pts, count);
    std::fclose(f);
    return status;
}

const ScanCase scanCases[] = {
    {"ThreeLines", "3\n1 2\n3 4\n5 6\n", readOk, 3, {{1, 2}, {3, 4}, {5, 6}}},
    {"OneLine", "3 1 2 3 4 5 6", readOk, 3, {{1, 2}, {3, 4}, {5, 6}}},
    {"TabsAndBlanks", " \t3\t1\t2\n\n 3    4 \t5\r\n6", readOk, 3, {{1, 2}, {3, 4}, {5, 6}}},
    {"ShortFileRepeatsLastPair", "3\n1 2\n3 4\n", readOk, 3, {{1, 2}, {3, 4}, {3, 4}}},
    {"LetterStopsEveryLaterPair", "3\n1 2\n3a\n5 6\n", readOk, 3, {{1, 2}, {3, 2}, {3, 2}}},
    {"OctalCount", "010 0 0 1 1 2 2 3 3 4 4 5 5 6 6 7 7", readOk, 8,
     {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}, {6, 6}, {7, 7}}},
    {"HexCount", "0x0A 0 0 1 1 2 2 3 3 4 4 5 5 6 6 7 7 8 8 9 9", readOk, 10,
     {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}, {6, 6}, {7, 7}, {8, 8}, {9, 9}}},
    {"ZeroCount", "0 1 2", readOk, 0, {}},
    {"NegativeCount", "-2 1 2 3 4", readOk, -2, {}},
    {"ExtraNumbersIgnored", "2 1 2 3 4 5 6 nan", readOk, 2, {{1, 2}, {3, 4}}},
    {"EmptyFileMeansNoPoints", "", readOk, 0, {}},
    {"TextFirstMeansNoPoints", "abc 1 2", readOk, 0, {}},
    {"UnreadableFirstPairIsOrigin", "2 x 1 2", readOk, 2, {{0, 0}, {0, 0}}},
    {"FractionsAndExponents", "2 -1.5e1 .25 +3. 1E-2", readOk, 2, {{-15, 0.25f}, {3, 0.01f}}},
    {"LargestCountAccepted", "32", readOk, 32, std::vector<Point>(32, Point(0, 0))},
    {"CountAboveMaximum", "33 1 2", readTooManyPoints, 33, {}},
    {"HugeCount", "99999999999999999999", readTooManyPoints, 2147483647, {}},
    {"NanCoordinate", "2 1 2 nan 4", readBadCoordinate, 2, {}},
    {"InfinityCoordinate", "1 -inf 4", readBadCoordinate, 1, {}},
    {"CoordinateBeyondFloatRange", "2 1 2 3 1e39", readBadCoordinate, 2, {}},
};

class ReaderScan : public ::testing::TestWithParam<ScanCase> {};

TEST_P(ReaderScan, GivesPointsOrRefusal) {
    const ScanCase& c = GetParam();
    Point* pts = reinterpret_cast<Point*>(1);
    int count = -12345;
    EXPECT_EQ(scanText(c.text, pts, count), c.status);
    EXPECT_EQ(count, c.count);
    if (c.status != readOk) {
        EXPECT_EQ(pts, nullptr);
        return;
    }
    ASSERT_NE(pts, nullptr);
    for (size_t i = 0; i < c.expected.size(); ++i) {
        EXPECT_EQ(pts[i].x, c.expected[i].x) << "point " << i;
        EXPECT_EQ(pts[i].y, c.expected[i].y) << "point " << i;
        EXPECT_EQ(pts[i].color, BLACK) << "point " << i;
    }
    std::free(pts);
}

INSTANTIATE_TEST_SUITE_P(Cases, ReaderScan, ::testing::ValuesIn(scanCases),
                         RowName());

TEST(ReaderFile, ReadsByNameFromDisk) {
    TempDir dir;
    dir.write("kriva.txt", "3\n1 2\n3 4\n5 6\n");
    Point* pts = nullptr;
    ASSERT_EQ(readControlPoints(pts, dir.file("kriva.txt").c_str()), 3);
    EXPECT_TRUE(samePosition(pts[2], Point(5, 6)));
    std::free(pts);
}

TEST(ReaderFile, CoordinatesAreFloats) {
    TempDir dir;
    dir.write("kriva.txt", "1 0.1 16777217");
    Point* pts = nullptr;
    ASSERT_EQ(readControlPoints(pts, dir.file("kriva.txt").c_str()), 1);
    EXPECT_EQ(pts[0].x, 0.1f);
    EXPECT_EQ(pts[0].y, 16777216.0f);  // the nearest float
    std::free(pts);
}

}  // namespace
