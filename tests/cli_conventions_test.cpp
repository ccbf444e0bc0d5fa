// The companion command's conventions as a user scripting it meets them: which stream carries what, the
// exit statuses, standard input and output as files, outputs that cannot be written (a full device, a
// read-only folder, a file size limit) and the warnings about files that read oddly.
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "testing.h"

namespace {

const char* const cli = GEOMETRIJA_CLI;
const std::string examples = GEOMETRIJA_EXAMPLES;
const std::string version = GEOMETRIJA_PROJECT_VERSION;
const char* const openError = "Greska pri otvaranju datoteke!\n";
const char* const hint = "Try 'geometrija-cli --help'.\n";

// How to run the command: where standard input comes from and standard output goes.
struct Call {
    Call(std::vector<std::string> arguments = {}) : args(std::move(arguments)) {}  // NOLINT: rows read better
    Call& from(const std::string& text) {
        input = text;
        hasInput = true;
        return *this;
    }
    Call& to(const std::string& target) {
        outputTarget = target;
        return *this;
    }

    std::vector<std::string> args;
    std::string input;         // standard input's text (from a file), when hasInput
    bool hasInput = false;     // otherwise standard input is /dev/null
    std::string outputTarget;  // a file or device standard output is opened on; empty: captured
    long fileSizeLimit = -1;   // RLIMIT_FSIZE in bytes, -1 for none
    bool asNobody = false;     // run as the user nobody when the test runs as root (setpriv)
};

// Runs the command in folder; standard output captured in out unless it goes to outputTarget.
ProcessResult runCli(const std::string& folder, const Call& run) {
    const std::string inFile = folder + "/.stdin";
    const std::string outFile = run.outputTarget.empty() ? folder + "/.stdout" : run.outputTarget;
    const std::string errFile = folder + "/.stderr";
    { std::ofstream(inFile, std::ios::binary) << run.input; }
    std::vector<std::string> argv;
    std::string program = cli;
    const bool dropToNobody = run.asNobody && geteuid() == 0;
    if (dropToNobody) {
        // setpriv (util-linux) drops to nobody, who may not reach the build folder: a copy of the command
        // beside the files runs instead (the test makes the files nobody must read readable)
        program = folder + "/.geometrija-cli";
        if (runProgram("/bin/cp", folder, {cli, program}).status != 0 || chmod(program.c_str(), 0755) != 0) {
            ADD_FAILURE() << "cannot copy the command to " << folder;
        }
        argv = {"/usr/bin/setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups", "--"};
    }
    argv.push_back(program);
    argv.insert(argv.end(), run.args.begin(), run.args.end());

    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(folder.c_str()) != 0) _exit(126);
        const int in = open(run.hasInput ? inFile.c_str() : "/dev/null", O_RDONLY);
        const int out = open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || out < 0 || err < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0) _exit(126);
        if (run.fileSizeLimit >= 0) {
            // beyond the limit a write fails with EFBIG instead of ending the process
            signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{static_cast<rlim_t>(run.fileSizeLimit), static_cast<rlim_t>(run.fileSizeLimit)};
            if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(126);
        }
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    ProcessResult result;
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status)) result.status = WEXITSTATUS(status);
    if (run.outputTarget.empty()) result.out = slurp(outFile);
    result.err = slurp(errFile);
    std::remove(inFile.c_str());
    if (run.outputTarget.empty()) std::remove(outFile.c_str());
    std::remove(errFile.c_str());
    if (dropToNobody) std::remove(program.c_str());
    return result;
}

// A scratch folder holding examples/default's pair, as kriva1.txt and kriva2.txt.
struct DefaultPair {
    TempDir dir;
    DefaultPair() {
        dir.write("kriva1.txt", slurp(examples + "/default/kriva1.txt"));
        dir.write("kriva2.txt", slurp(examples + "/default/kriva2.txt"));
    }
};

// the default output on examples/default
std::string defaultPoints() {
    static const std::string points = runProgram(cli, examples + "/default").out;
    return points;
}

// ---------------------------------------------------------------------------------------------------
// Streams and exit statuses

struct StreamCase {
    const char* name;
    Call run;
    int status;
    std::string outStart;  // standard output starts with this ("" with outEmpty: nothing at all)
    bool outEmpty;
    std::string err;  // standard error, exactly
};

const StreamCase streamCases[] = {
    {"VersionOnStandardOutput", Call({"--version"}), 0, "geometrija-cli " + version + "\n", false, ""},
    {"ShortHelp", Call({"-h"}), 0, "usage: geometrija-cli ", false, ""},
    {"LongHelp", Call({"--help"}), 0, "usage: geometrija-cli ", false, ""},
    {"HelpWinsOverLaterErrors", Call({"--help", "--xml"}), 0, "usage: geometrija-cli ", false, ""},
    {"UnknownOption", Call({"--xml"}), 2, "", true, std::string("geometrija-cli: unknown option '--xml'\n") + hint},
    {"UnknownShortOption", Call({"-x"}), 2, "", true, std::string("geometrija-cli: unknown option '-x'\n") + hint},
    {"FigureWithoutFile", Call({"--figure"}), 2, "", true,
     std::string("geometrija-cli: --figure needs a file name\n") + hint},
    {"LabelsWithoutFigure", Call({"--labels"}), 2, "", true,
     std::string("geometrija-cli: --labels goes with --figure\n") + hint},
    {"StandardInputTwice", Call({"-", "-"}), 2, "", true,
     std::string("geometrija-cli: standard input can be read for one of the two files only\n") + hint},
    {"ExactAndUniqueAsText", Call({"--exact", "--unique"}), 2, "", true,
     std::string("geometrija-cli: --exact and --unique print different lists: give one, or both with --json\n") + hint},
    {"TwoOutputsOnStandardOutput", Call({"--svg", "-", "--figure", "-"}), 2, "", true,
     std::string("geometrija-cli: --svg - and --figure - cannot both write to standard output\n") + hint},
    {"SvgAndJsonOnStandardOutput", Call({"--svg", "-", "--json"}), 2, "", true,
     std::string("geometrija-cli: --svg - takes standard output: --json, --exact and --unique print there too\n") +
         hint},
    {"PointsOnStandardOutput", Call(), 0, "1.91674376 4.96533489\n", false, ""},
    {"SvgToStandardOutput", Call({"--svg", "-"}), 0, "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"1024\"", false,
     ""},
    {"FigureToStandardOutput", Call({"--figure", "-"}), 0, "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"", false,
     ""},
    {"JsonStartsWithItsVersion", Call({"--json"}), 0, "{\n  \"version\": 1,\n  \"curves\": [\n", false, ""},
    // a full device: the output is lost, and the command says so instead of ending with 0
    {"PointsToFullDevice", Call().to("/dev/full"), 1, "", true,
     "geometrija-cli: cannot write standard output: No space left on device\n"},
    {"JsonToFullDevice", Call({"--json", "--exact"}).to("/dev/full"), 1, "", true,
     "geometrija-cli: cannot write standard output: No space left on device\n"},
    {"SvgOnStandardOutputToFullDevice", Call({"--svg", "-"}).to("/dev/full"), 1, "", true,
     "geometrija-cli: cannot write standard output: No space left on device\n"},
    {"HelpToFullDevice", Call({"--help"}).to("/dev/full"), 1, "", true,
     "geometrija-cli: cannot write standard output: No space left on device\n"},
    {"VersionToFullDevice", Call({"--version"}).to("/dev/full"), 1, "", true,
     "geometrija-cli: cannot write standard output: No space left on device\n"},
    {"SvgFileOnFullDevice", Call({"--svg", "/dev/full"}), 1, "", true,
     "geometrija-cli: cannot write /dev/full: No space left on device\n"},
    {"FigureFileOnFullDevice", Call({"--figure", "/dev/full"}), 1, "", true,
     "geometrija-cli: cannot write /dev/full: No space left on device\n"},
    // a device that takes everything is written in place, never replaced
    {"SvgFileOnNullDevice", Call({"--svg", "/dev/null"}), 0, "1.91674376 4.96533489\n", false, ""},
};

class CliStreams : public ::testing::TestWithParam<StreamCase> {};

TEST_P(CliStreams, ExitStatusAndWhatGoesWhere) {
    const StreamCase& c = GetParam();
    DefaultPair pair;
    const ProcessResult r = runCli(pair.dir.path(), c.run);
    EXPECT_EQ(r.status, c.status);
    if (c.outEmpty) {
        EXPECT_EQ(r.out, "");
    } else {
        EXPECT_EQ(r.out.substr(0, c.outStart.size()), c.outStart);
    }
    EXPECT_EQ(r.err, c.err);
}

INSTANTIATE_TEST_SUITE_P(Cases, CliStreams, ::testing::ValuesIn(streamCases), RowName());

TEST(CliStreams, NullDeviceIsStillThere) {
    struct stat info;
    ASSERT_EQ(stat("/dev/null", &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode)) << "a test replaced /dev/null";
}

// ---------------------------------------------------------------------------------------------------
// Standard input and output as files

struct StdinCase {
    const char* name;
    std::vector<std::string> args;
    const char* fileOnInput;  // the file of examples/default that goes to standard input
};

const StdinCase stdinCases[] = {
    {"FirstCurve", {"-", "kriva2.txt"}, "kriva1.txt"},
    {"SecondCurve", {"kriva1.txt", "-"}, "kriva2.txt"},
    {"FirstCurveAfterDoubleDash", {"--", "-", "kriva2.txt"}, "kriva1.txt"},
};

class CliStandardInput : public ::testing::TestWithParam<StdinCase> {};

TEST_P(CliStandardInput, ReadsTheCurveAsFromItsFile) {
    const StdinCase& c = GetParam();
    DefaultPair pair;
    Call run(c.args);
    run.input = slurp(pair.dir.file(c.fileOnInput));
    run.hasInput = true;
    const ProcessResult r = runCli(pair.dir.path(), run);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, defaultPoints());
    EXPECT_EQ(r.err, "");
    // the JSON document too, to the last bit
    run.args.insert(run.args.begin(), "--json");
    EXPECT_EQ(runCli(pair.dir.path(), run).out, runProgram(cli, pair.dir.path(), {"--json"}).out);
}

INSTANTIATE_TEST_SUITE_P(Cases, CliStandardInput, ::testing::ValuesIn(stdinCases), RowName());

TEST(CliStandardInput, RefusalsNameStandardInputAsGiven) {
    DefaultPair pair;
    Call run = Call({"kriva1.txt", "-"}).from("33\n");
    const ProcessResult r = runCli(pair.dir.path(), run);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "Greska: previse kontrolnih tacaka u datoteci -!\n");
    EXPECT_EQ(r.err, "");
}

TEST(CliStandardOutput, SvgOnStandardOutputIsTheFileAndNothingElse) {
    DefaultPair pair;
    const ProcessResult toFile = runCli(pair.dir.path(), Call({"--svg", "picture.svg"}));
    ASSERT_EQ(toFile.status, 0);
    const ProcessResult toOutput = runCli(pair.dir.path(), Call({"--svg", "-"}));
    EXPECT_EQ(toOutput.status, 0);
    EXPECT_EQ(toOutput.out, slurp(pair.dir.file("picture.svg")));
    const ProcessResult figureFile = runCli(pair.dir.path(), Call({"--figure", "figure.svg", "--labels"}));
    ASSERT_EQ(figureFile.status, 0);
    EXPECT_EQ(runCli(pair.dir.path(), Call({"--figure", "-", "--labels"})).out, slurp(pair.dir.file("figure.svg")));
}

TEST(CliStandardOutput, OutputIntoAFileIsTheSameAsIntoAPipe) {
    DefaultPair pair;
    Call run({"--json", "--exact", "--unique"});
    run.outputTarget = pair.dir.file("out.json");
    EXPECT_EQ(runCli(pair.dir.path(), run).status, 0);
    EXPECT_EQ(slurp(pair.dir.file("out.json")), runProgram(cli, pair.dir.path(), run.args).out);
}

// ---------------------------------------------------------------------------------------------------
// Files written whole or not at all

// the names in a folder, but for the runner's own files
std::vector<std::string> listFolder(const std::string& folder) {
    std::vector<std::string> names;
    const ProcessResult r = runProgram("/bin/ls", folder, {"-A"});
    std::istringstream in(r.out);
    for (std::string name; std::getline(in, name);) {
        if (name != ".stdout" && name != ".stderr" && name != ".stdin") names.push_back(name);
    }
    return names;
}

TEST(CliOutputFile, AFailedWriteLeavesTheOldFileAndNoTemporaryOne) {
    DefaultPair pair;
    pair.dir.write("picture.svg", "a good picture\n");
    // the picture is some hundred kilobytes: the limit stops it part of the way
    Call run({"--svg", "picture.svg"});
    run.fileSizeLimit = 8192;
    const ProcessResult r = runCli(pair.dir.path(), run);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "geometrija-cli: cannot write picture.svg: " + std::string(std::strerror(EFBIG)) + "\n");
    EXPECT_EQ(slurp(pair.dir.file("picture.svg")), "a good picture\n");
    EXPECT_EQ(listFolder(pair.dir.path()), (std::vector<std::string>{"kriva1.txt", "kriva2.txt", "picture.svg"}));
}

TEST(CliOutputFile, AFigureThatFailsLeavesTheOldOne) {
    DefaultPair pair;
    pair.dir.write("figure.svg", "a good figure\n");
    Call run({"--figure", "figure.svg", "--labels"});
    run.fileSizeLimit = 1024;
    const ProcessResult r = runCli(pair.dir.path(), run);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "geometrija-cli: cannot write figure.svg: " + std::string(std::strerror(EFBIG)) + "\n");
    EXPECT_EQ(slurp(pair.dir.file("figure.svg")), "a good figure\n");
    EXPECT_EQ(listFolder(pair.dir.path()), (std::vector<std::string>{"figure.svg", "kriva1.txt", "kriva2.txt"}));
}

TEST(CliOutputFile, ReplacesAFileKeepingItsPermissions) {
    DefaultPair pair;
    pair.dir.write("picture.svg", "old\n");
    ASSERT_EQ(chmod(pair.dir.file("picture.svg").c_str(), 0604), 0);
    ASSERT_EQ(runCli(pair.dir.path(), Call({"--svg", "picture.svg"})).status, 0);
    struct stat info;
    ASSERT_EQ(stat(pair.dir.file("picture.svg").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0604u);
    EXPECT_EQ(slurp(pair.dir.file("picture.svg")).rfind("<svg ", 0), 0u);
}

TEST(CliOutputFile, ANewFileGetsThePermissionsTheUmaskAllows) {
    DefaultPair pair;
    const mode_t mask = umask(022);
    const ProcessResult r = runCli(pair.dir.path(), Call({"--figure", "figure.svg"}));
    umask(mask);
    ASSERT_EQ(r.status, 0);
    struct stat info;
    ASSERT_EQ(stat(pair.dir.file("figure.svg").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0644u);
}

TEST(CliOutputFile, ALinkIsFollowedAndKept) {
    DefaultPair pair;
    pair.dir.write("real.svg", "old\n");
    ASSERT_EQ(symlink("real.svg", pair.dir.file("link.svg").c_str()), 0);
    ASSERT_EQ(runCli(pair.dir.path(), Call({"--svg", "link.svg"})).status, 0);
    struct stat info;
    ASSERT_EQ(lstat(pair.dir.file("link.svg").c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_EQ(slurp(pair.dir.file("real.svg")).rfind("<svg ", 0), 0u);
}

// A folder its user may not write into: as root every folder is writable, so the command runs as nobody.
TEST(CliOutputFile, AReadOnlyFolderLeavesItsFileAsItWas) {
    TempDir dir;
    const std::string folder = dir.file("read-only");
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    dir.write("kriva1.txt", slurp(examples + "/default/kriva1.txt"));
    dir.write("kriva2.txt", slurp(examples + "/default/kriva2.txt"));
    dir.write("read-only/picture.svg", "a good picture\n");
    for (const char* name : {"kriva1.txt", "kriva2.txt", "read-only/picture.svg"}) {
        ASSERT_EQ(chmod(dir.file(name).c_str(), 0644), 0);
    }
    ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
    ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);

    Call run({"--svg", "read-only/picture.svg"});
    run.asNobody = true;
    const ProcessResult r = runCli(dir.path(), run);
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "geometrija-cli: cannot write read-only/picture.svg: Permission denied\n");
    EXPECT_EQ(slurp(dir.file("read-only/picture.svg")), "a good picture\n");
    EXPECT_EQ(listFolder(folder), std::vector<std::string>{"picture.svg"});

    // a new file there fails the same way, and the figure too
    run.args = {"--figure", "read-only/figure.svg"};
    const ProcessResult figure = runCli(dir.path(), run);
    EXPECT_EQ(figure.status, 1);
    EXPECT_EQ(figure.err, "geometrija-cli: cannot write read-only/figure.svg: Permission denied\n");
    EXPECT_EQ(listFolder(folder), std::vector<std::string>{"picture.svg"});
    ASSERT_EQ(chmod(folder.c_str(), 0755), 0);  // so that the folder can be removed
}

// ---------------------------------------------------------------------------------------------------
// Files the reader refuses: the program's line on standard output; the command adds which file and why

struct OpenCase {
    const char* name;
    std::vector<std::string> args;
    const char* err;
};

const OpenCase openCases[] = {
    {"MissingFirst", {"missing.txt", "kriva2.txt"}, "geometrija-cli: cannot open missing.txt: no such file\n"},
    {"FolderFirst", {"folder.txt", "kriva2.txt"}, "geometrija-cli: cannot open folder.txt: it is a directory\n"},
    {"FolderSecond", {"kriva1.txt", "folder.txt"}, "geometrija-cli: cannot open folder.txt: it is a directory\n"},
    {"DefaultNameIsAFolder", {}, "geometrija-cli: cannot open kriva1.txt: it is a directory\n"},
    {"Unreadable",
     {"kriva1.txt", "secret.txt"},
     "geometrija-cli: cannot open secret.txt: not readable (permission denied)\n"},
};

class CliOpenRefusal : public ::testing::TestWithParam<OpenCase> {};

TEST_P(CliOpenRefusal, ProgramsLineOnOutputReasonOnError) {
    const OpenCase& c = GetParam();
    TempDir dir;
    const bool defaultIsFolder = c.args.empty();
    if (defaultIsFolder) {
        ASSERT_EQ(mkdir(dir.file("kriva1.txt").c_str(), 0755), 0);
    } else {
        dir.write("kriva1.txt", "2 0 0 1 1");
    }
    dir.write("kriva2.txt", "2 0 1 1 0");
    dir.write("secret.txt", "2 0 1 1 0");
    ASSERT_EQ(chmod(dir.file("secret.txt").c_str(), 0200), 0);
    ASSERT_EQ(mkdir(dir.file("folder.txt").c_str(), 0755), 0);
    ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
    Call run(c.args);
    run.asNobody = true;  // root reads any file
    if (geteuid() == 0) {
        for (const char* name : {"kriva1.txt", "kriva2.txt"}) (void)chmod(dir.file(name).c_str(), 0644);
        (void)chown(dir.file("secret.txt").c_str(), 65534, 65534);
    }
    const ProcessResult r = runCli(dir.path(), run);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, openError);
    EXPECT_EQ(r.err, c.err);
}

INSTANTIATE_TEST_SUITE_P(Cases, CliOpenRefusal, ::testing::ValuesIn(openCases), RowName());

// ---------------------------------------------------------------------------------------------------
// Odd files read exactly as plain ones, with a warning

struct OddFileCase {
    const char* name;
    const char* odd;    // what the first file holds
    const char* plain;  // a file without the oddity that the reader takes for the very same points
    const char* warning;
};

const OddFileCase oddFiles[] = {
    {"FewerPairsThanTheCount", "4\n0 2\n3 9.5\n", "4\n0 2\n3 9.5\n3 9.5\n3 9.5\n",
     "geometrija-cli: FILE:1: warning: the count is 4 but the file ends after 2 pairs: points 3 to 4 are all "
     "(3, 9.5), the last coordinates read\n"},
    {"OnePairTooFew", "3\n0 2\n3 9.5\n", "3\n0 2\n3 9.5\n3 9.5\n",
     "geometrija-cli: FILE:1: warning: the count is 3 but the file ends after 2 pairs: point 3 is (3, 9.5), the "
     "last coordinates read\n"},
    {"TextWherePairsShouldBe", "4\n0 2\n3a\n6 1.5\n10 8\n", "4\n0 2\n3 2\n3 2\n3 2\n",
     "geometrija-cli: FILE:3: warning: pair 2 of 4 cannot be read at '3a': points 2 to 4 are all (3, 2), the "
     "last coordinates read\n"},
    {"TextAfterTheLastPair", "4\n0 2\n3 9.5\n6 1.5\n10 8\n\n5 5 # a fifth point?\n", "4\n0 2\n3 9.5\n6 1.5\n10 8\n",
     "geometrija-cli: FILE:7: warning: text after the last of 4 pairs is not read: '5 5 # a fifth point?'\n"},
    {"TextAfterACountOfZero", "0\n1 2\n", "0\n",
     "geometrija-cli: FILE:2: warning: text after the count of 0 is not read: '1 2'\n"},
    {"NegativeCount", "-3\n0 2\n3 9.5\n6 1.5\n", "0\n",
     "geometrija-cli: FILE:1: warning: negative point count -3: read as no points\n"},
    {"CountThatCannotBeRead", "\n  four\n0 2\n", "0\n",
     "geometrija-cli: FILE:2: warning: the point count cannot be read at 'four': read as no points\n"},
    {"EmptyFile", "", "0\n", "geometrija-cli: FILE:1: warning: the file is empty: read as no points\n"},
    {"OnlyWhiteSpace", "\n \n\t\n", "0\n",
     "geometrija-cli: FILE:1: warning: the file holds only white space: read as no points\n"},
};

class CliOddFile : public ::testing::TestWithParam<OddFileCase> {};

// The warning names the file and the line; the scene is the one the plain file gives, to the last bit.
TEST_P(CliOddFile, IsReadAsAPlainFileWithAWarning) {
    const OddFileCase& c = GetParam();
    TempDir dir;
    dir.write("odd.txt", c.odd);
    dir.write("plain.txt", c.plain);
    dir.write("kriva2.txt", slurp(examples + "/default/kriva2.txt"));
    const ProcessResult odd = runCli(dir.path(), Call({"--json", "odd.txt", "kriva2.txt"}));
    const ProcessResult plain = runCli(dir.path(), Call({"--json", "plain.txt", "kriva2.txt"}));
    EXPECT_EQ(odd.status, 0);
    EXPECT_EQ(plain.status, 0);
    EXPECT_EQ(odd.out, plain.out);
    std::string warning = c.warning;
    warning.replace(warning.find("FILE"), 4, "odd.txt");
    EXPECT_EQ(odd.err, warning);
    EXPECT_EQ(plain.err, "");

    // from standard input, as the second file: the same warning, naming standard input
    Call run = Call({"kriva2.txt", "-"}).from(c.odd);
    const ProcessResult piped = runCli(dir.path(), run);
    EXPECT_EQ(piped.status, 0);
    warning = c.warning;
    warning.replace(warning.find("FILE"), 4, "standard input");
    EXPECT_EQ(piped.err, warning);
}

INSTANTIATE_TEST_SUITE_P(Cases, CliOddFile, ::testing::ValuesIn(oddFiles), RowName());

TEST(CliOddFile, PlainExamplesGiveNoWarning) {
    for (const char* example :
         {"default", "lines", "apart", "horizontal", "nested", "many", "same", "tall", "far", "negative"}) {
        const ProcessResult r = runProgram(cli, examples + "/" + example, {"--unique"});
        EXPECT_EQ(r.status, 0) << example;
        EXPECT_EQ(r.err, "") << example;
    }
}

TEST(CliOddFile, BothFilesWarnFirstFileFirst) {
    TempDir dir;
    dir.write("a.txt", "2 0 0 1 1 extra");
    dir.write("b.txt", "-1");
    const ProcessResult r = runCli(dir.path(), Call({"a.txt", "b.txt"}));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err,
              "geometrija-cli: a.txt:1: warning: text after the last of 2 pairs is not read: 'extra'\n"
              "geometrija-cli: b.txt:1: warning: negative point count -1: read as no points\n");
}

}  // namespace
