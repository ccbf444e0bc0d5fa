#include "app/reader.h"

#include <sys/stat.h>

#include <cerrno>
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

// A directory is no control-point file, though fopen opens it for reading.
TEST(ReaderFile, AFolderCannotBeOpened) {
    TempDir dir;
    ASSERT_EQ(mkdir(dir.file("kriva.txt").c_str(), 0755), 0);
    Point* pts = reinterpret_cast<Point*>(1);
    int count = -1;
    int error = 0;
    EXPECT_EQ(readControlPointFile(dir.file("kriva.txt").c_str(), pts, count, &error), readCannotOpen);
    EXPECT_EQ(pts, nullptr);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(error, EISDIR);
    EXPECT_EQ(openControlPointFile(dir.file("kriva.txt").c_str(), error), nullptr);
    EXPECT_EQ(error, EISDIR);
}

TEST(ReaderFile, AMissingFileCannotBeOpened) {
    TempDir dir;
    Point* pts = nullptr;
    int count = 0;
    int error = 0;
    EXPECT_EQ(readControlPointFile(dir.file("missing.txt").c_str(), pts, count, &error), readCannotOpen);
    EXPECT_EQ(error, ENOENT);
}

TEST(ReaderFile, LoadGivesTheRefusalsWithoutEndingTheProcess) {
    TempDir dir;
    dir.write("many.txt", "33");
    dir.write("nan.txt", "1 nan 0");
    Point* pts = nullptr;
    int count = 0;
    EXPECT_EQ(readControlPointFile(dir.file("many.txt").c_str(), pts, count), readTooManyPoints);
    EXPECT_EQ(readControlPointFile(dir.file("nan.txt").c_str(), pts, count), readBadCoordinate);
    EXPECT_EQ(pts, nullptr);
}

// ---------------------------------------------------------------------------------------------------
// Notes: where a scan met what the format reads without complaint but what is almost certainly a mistake

struct NotesCase {
    const char* name;
    const char* text;
    long countOffset;
    bool countMissing;
    int pairsRead;
    long failedPairOffset;
    bool failedAtEnd;
    long trailingOffset;
};

const NotesCase notesCases[] = {
    {"Plain", "3\n1 2\n3 4\n5 6\n", 0, false, 3, -1, false, -1},
    {"LeadingSpace", "  \n 2 1 2 3 4", 4, false, 2, -1, false, -1},
    {"EndsEarly", "3\n1 2\n3 4\n", 0, false, 2, 10, true, -1},
    {"LetterInAPair", "3\n1 2\n3a\n5 6\n", 0, false, 1, 6, false, -1},
    {"WordInsteadOfAPair", "2\nx 1 2", 0, false, 0, 2, false, -1},
    {"TextAfterTheLastPair", "1\n1 2\n\n  3 4\n", 0, false, 1, -1, false, 9},
    {"TextAfterACountOfZero", "0 1 2", 0, false, 0, -1, false, 2},
    // a negative count is odd enough on its own: what follows it is not looked at
    {"NegativeCountWithText", "-2 1 2", 0, false, 0, -1, false, -1},
    {"NoCount", "abc 1 2", 0, true, 0, -1, false, -1},
    {"EmptyText", "", 0, true, 0, -1, false, -1},
    {"OnlyWhiteSpace", "\n\n ", 3, true, 0, -1, false, -1},
};

class ReaderNotes : public ::testing::TestWithParam<NotesCase> {};

TEST_P(ReaderNotes, MarkWhereTheScanMetTheUnusual) {
    const NotesCase& c = GetParam();
    std::FILE* f = std::tmpfile();
    std::fputs(c.text, f);
    std::rewind(f);
    Point* pts = nullptr;
    int count = 0;
    ScanNotes notes;
    ASSERT_EQ(scanControlPoints(f, pts, count, &notes), readOk);
    std::fclose(f);
    std::free(pts);
    EXPECT_EQ(notes.countOffset, c.countOffset);
    EXPECT_EQ(notes.countMissing, c.countMissing);
    EXPECT_EQ(notes.pairsRead, c.pairsRead);
    EXPECT_EQ(notes.failedPairOffset, c.failedPairOffset);
    EXPECT_EQ(notes.failedAtEnd, c.failedAtEnd);
    EXPECT_EQ(notes.trailingOffset, c.trailingOffset);
}

INSTANTIATE_TEST_SUITE_P(Cases, ReaderNotes, ::testing::ValuesIn(notesCases), RowName());

// Taking notes changes nothing that the scan gives: the same status, count and points for every case.
TEST(ReaderNotes, LeaveTheResultsAsTheyAre) {
    for (const ScanCase& c : scanCases) {
        Point* plain = nullptr;
        int plainCount = 0;
        const int plainStatus = scanText(c.text, plain, plainCount);
        std::FILE* f = std::tmpfile();
        std::fputs(c.text, f);
        std::rewind(f);
        Point* noted = nullptr;
        int notedCount = 0;
        ScanNotes notes;
        EXPECT_EQ(scanControlPoints(f, noted, notedCount, &notes), plainStatus) << c.name;
        std::fclose(f);
        EXPECT_EQ(notedCount, plainCount) << c.name;
        for (int i = 0; plainStatus == readOk && i < plainCount; ++i) {
            EXPECT_TRUE(samePosition(noted[i], plain[i])) << c.name << " point " << i;
        }
        std::free(plain);
        std::free(noted);
    }
}

}  // namespace
