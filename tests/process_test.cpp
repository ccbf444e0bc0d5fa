// The built program as a user runs it, for every way it refuses to start.
#include <sys/stat.h>

#include "testing.h"

namespace {

const char* const program = GEOMETRIJA_BINARY;
const char* const openError = "Greska pri otvaranju datoteke!\n";

struct RefusalCase {
    const char* name;
    const char* kriva1;  // null: the file is missing; folder: a directory of that name
    const char* kriva2;
    const char* out;     // the exact standard output
};

const char* const folder = "<a folder>";

const RefusalCase refusals[] = {
    {"FirstFileMissing", nullptr, "2 0 0 1 1", openError},
    {"SecondFileMissing", "2 0 0 1 1", nullptr, openError},
    {"BothFilesMissing", nullptr, nullptr, openError},
    {"TooManyPointsInFirst", "33", "2 0 0 1 1", "Greska: previse kontrolnih tacaka u datoteci kriva1.txt!\n"},
    {"TooManyPointsInSecond", "2 0 0 1 1", "0x7fffffff", "Greska: previse kontrolnih tacaka u datoteci kriva2.txt!\n"},
    {"NanInFirst", "2 0 0 nan 1", "2 0 0 1 1", "Greska: neispravna koordinata u datoteci kriva1.txt!\n"},
    {"InfinityInSecond", "2 0 0 1 1", "2 0 0 1 inf", "Greska: neispravna koordinata u datoteci kriva2.txt!\n"},
    {"OverflowInSecond", "2 0 0 1 1", "2 0 0 1e300 1", "Greska: neispravna koordinata u datoteci kriva2.txt!\n"},
    // a directory opens for reading on Linux but holds no text: refused as a file that cannot be opened
    {"FirstFileIsAFolder", folder, "2 0 0 1 1", openError},
    {"SecondFileIsAFolder", "2 0 0 1 1", folder, openError},
    // the first file is read completely, and refused, before the second is looked at
    {"FirstRefusedBeforeSecondMissing", "40", nullptr, "Greska: previse kontrolnih tacaka u datoteci kriva1.txt!\n"},
};

class ProgramRefusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(ProgramRefusal, PrintsOneLineAndExitsWithOne) {
    const RefusalCase& c = GetParam();
    TempDir dir;
    const char* contents[2] = {c.kriva1, c.kriva2};
    const char* names[2] = {"kriva1.txt", "kriva2.txt"};
    for (int i = 0; i < 2; ++i) {
        if (contents[i] == folder) {
            ASSERT_EQ(mkdir(dir.file(names[i]).c_str(), 0755), 0);
        } else if (contents[i] != nullptr) {
            dir.write(names[i], contents[i]);
        }
    }
    // no display: should the program ever get as far as a window, it could not open one quietly
    const ProcessResult r = runProgram(program, dir.path(), {"-display", ":-1"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, c.out);
    EXPECT_EQ(r.err, "");
}

INSTANTIATE_TEST_SUITE_P(Cases, ProgramRefusal, ::testing::ValuesIn(refusals),
                         RowName());

// A named pipe blocks whoever opens it for reading until a writer appears, so a program that opened
// kriva2.txt here would hang instead of exiting.
TEST(ProgramRefusal, SecondFileNeverOpenedWhenFirstIsMissing) {
    TempDir dir;
    ASSERT_EQ(mkfifo(dir.file("kriva2.txt").c_str(), 0600), 0);
    const ProcessResult r = runProgram(program, dir.path(), {}, 10);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, openError);
}

// #18: a search cut short by its budget is said in one line on standard error, before the window opens (here
// it cannot: no display), and standard output stays empty. An ordinary search says nothing.
TEST(ProgramSearchBudget, ACutShortSearchIsOneLineOnStandardError) {
    std::string zigzag = "32";
    for (int i = 0; i < 32; ++i) zigzag += i % 2 ? " 10 0" : " " + std::to_string(i / 4.0) + " 0";
    const std::string warning = "Upozorenje: pretraga preseka prekinuta posle ";
    for (const bool cut : {true, false}) {
        TempDir dir;
        dir.write("kriva1.txt", cut ? zigzag : "4 0 2 3 9.5 6 1.5 10 8");
        dir.write("kriva2.txt", cut ? zigzag : "4 0 7 4 0 7 11 10 2");
        const ProcessResult r = runProgram(program, dir.path(), {"-display", ":-1"});
        EXPECT_EQ(r.out, "");
        if (cut) {
            ASSERT_EQ(r.err.rfind(warning, 0), 0u) << r.err;  // the first line
            EXPECT_NE(r.err.find(" poziva; neke tacke preseka mozda nedostaju.\n"), std::string::npos) << r.err;
        } else {
            EXPECT_EQ(r.err.find(warning), std::string::npos) << r.err;
        }
    }
}

}  // namespace
