// Output files written whole or not at all: the temporary file beside the target, its renaming, and what
// is left when a write is abandoned.
#include "app/output_file.h"

#include <sys/stat.h>

#include <sstream>
#include <string>
#include <vector>

#include "testing.h"

namespace {

// the names in a folder
std::vector<std::string> names(const std::string& folder) {
    std::vector<std::string> out;
    const ProcessResult r = runProgram("/bin/ls", folder, {"-A"});
    std::istringstream in(r.out);
    for (std::string name; std::getline(in, name);) out.push_back(name);
    return out;
}

TEST(OutputFile, TheTargetAppearsOnlyOnCommit) {
    TempDir dir;
    OutputFile file;
    std::string error;
    ASSERT_TRUE(file.open(dir.file("out.svg"), error)) << error;
    std::fputs("<svg/>\n", file.stream());
    EXPECT_NE(access(dir.file("out.svg").c_str(), F_OK), 0) << "the target exists before the commit";
    ASSERT_EQ(names(dir.path()).size(), 1u);
    EXPECT_EQ(names(dir.path())[0].rfind("out.svg.", 0), 0u);  // the temporary file, beside the target
    ASSERT_TRUE(file.commit(error)) << error;
    EXPECT_EQ(slurp(dir.file("out.svg")), "<svg/>\n");
    EXPECT_EQ(names(dir.path()), std::vector<std::string>{"out.svg"});
}

TEST(OutputFile, AnAbandonedFileLeavesTheOldOneAndNoTemporaryFile) {
    TempDir dir;
    dir.write("out.svg", "good\n");
    {
        OutputFile file;
        std::string error;
        ASSERT_TRUE(file.open(dir.file("out.svg"), error)) << error;
        std::fputs("half a pic", file.stream());
    }
    EXPECT_EQ(slurp(dir.file("out.svg")), "good\n");
    EXPECT_EQ(names(dir.path()), std::vector<std::string>{"out.svg"});
}

TEST(OutputFile, AFolderThatIsNotThereIsSaidAtOpen) {
    TempDir dir;
    OutputFile file;
    std::string error;
    EXPECT_FALSE(file.open(dir.file("none/out.svg"), error));
    EXPECT_EQ(error, "No such file or directory");
}

TEST(OutputFile, AFolderAsTargetCannotBeWritten) {
    TempDir dir;
    ASSERT_EQ(mkdir(dir.file("out.svg").c_str(), 0755), 0);
    OutputFile file;
    std::string error;
    EXPECT_FALSE(file.open(dir.file("out.svg"), error));
    EXPECT_EQ(error, "Is a directory");
}

TEST(OutputFile, AFullDeviceFailsTheCommit) {
    OutputFile file;
    std::string error;
    ASSERT_TRUE(file.open("/dev/full", error)) << error;
    std::fputs("anything\n", file.stream());
    EXPECT_FALSE(file.commit(error));
    EXPECT_EQ(error, "No space left on device");
    struct stat info;
    ASSERT_EQ(stat("/dev/full", &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));
}

TEST(OutputFile, DashIsStandardOutput) {
    OutputFile file;
    std::string error;
    ASSERT_TRUE(file.open("-", error));
    EXPECT_EQ(file.stream(), stdout);
}

}  // namespace
