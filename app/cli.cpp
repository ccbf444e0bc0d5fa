// geometrija-cli: the program's scene without a window. Builds the scene from two control-point files exactly
// as the program does, then prints the meeting points the window shows, or the whole scene as JSON, or the
// curves' exact meeting points, and can write the window's picture as SVG and the scene as a figure.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/figure.h"
#include "app/output_file.h"
#include "app/pipeline.h"
#include "app/reader.h"
#include "app/scene_export.h"
#include "intersect/exact.h"
#include "scene/camera.h"
#include "scene/scene.h"

#ifndef GEOMETRIJA_VERSION
#define GEOMETRIJA_VERSION "unknown"
#endif

namespace {

constexpr const char* programName = "geometrija-cli";
constexpr int refusedStatus = 1;             // a control-point file refused, or an output that cannot be written
constexpr int usageStatus = 2;               // an unknown option, a missing value, a wrong number of files
constexpr const char* standardStream = "-";  // as a file name: standard input, as an output: standard output

constexpr const char* usage =
    "usage: geometrija-cli [--json] [--exact | --unique] [--svg FILE] [--figure FILE [--labels]] [FIRST SECOND]\n"
    "\n"
    "Reads two control-point files (FIRST and SECOND, by default kriva1.txt and kriva2.txt; - reads one of\n"
    "them from standard input), builds the scene the program geometrija shows, and prints the points the\n"
    "window marks, one \"x y\" per line: the points the halving search found, in the order it found them,\n"
    "each within about the search tolerance (0.01) of a true meeting point and one meeting often more than\n"
    "once. --unique leaves out the repeats; --exact prints the meeting points themselves.\n"
    "\n"
    "  --unique       print the search's points with those closer than 0.01 to an earlier one left out\n"
    "  --exact        print every distinct meeting point of the two curves once instead, in double\n"
    "                 precision with its parameter on each curve: \"crossing x y t s\", \"touch x y t s\"\n"
    "                 where the curves touch, and \"overlap t0 t1 s0 s1\" for a stretch they share\n"
    "  --json         print the whole scene as one JSON document instead: control points, sampled\n"
    "                 segments and hull of each curve, meeting points, bounding box, camera and search\n"
    "                 statistics; with --exact or --unique their results join it under keys of their own\n"
    "  --svg FILE     also write the picture the window shows (1024 x 700 pixels) to FILE as SVG\n"
    "  --figure FILE  also write the scene as a vector figure for reports to FILE as SVG\n"
    "  --labels       write the coordinates of the meeting points beside them in the figure\n"
    "  -h, --help     print this and exit\n"
    "  --version      print the version and exit\n"
    "\n"
    "An output FILE of - is standard output, which then carries nothing else. A file is written whole or\n"
    "not at all. Warnings about control-point files that read oddly, and errors, go to standard error.\n"
    "Exit status: 0 when all went well, 1 when a control-point file is refused (with the program's own\n"
    "line on standard output) or an output cannot be written, 2 for a usage error.\n";

struct Options {
    bool json = false;
    bool exact = false;
    bool unique = false;
    bool labels = false;
    const char* svg = nullptr;
    const char* figure = nullptr;
    const char* first = "kriva1.txt";
    const char* second = "kriva2.txt";
};

// the command's own diagnostics: one line on standard error, "geometrija-cli: " and the message
void complain(const std::string& message) { std::fprintf(stderr, "%s: %s\n", programName, message.c_str()); }

int usageError(const std::string& message) {
    complain(message);
    std::fprintf(stderr, "Try '%s --help'.\n", programName);
    return usageStatus;
}

// Ends what went to standard output; exit status 0, or 1 with a message when it could not be written.
int finishOutput() {
    std::string error;
    if (finishStandardOutput(error)) return 0;
    complain("cannot write standard output: " + error);
    return refusedStatus;
}

bool isStandardStream(const char* name) { return std::strcmp(name, standardStream) == 0; }

// Fills options from the arguments; returns -1 to go on, otherwise the exit status.
int parseArguments(int argc, char** argv, Options& options) {
    const char* files[2];
    int fileCount = 0;
    bool onlyFiles = false;  // after "--" every argument is a file
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (!onlyFiles && arg[0] == '-' && arg[1] != '\0') {
            if (std::strcmp(arg, "--") == 0) {
                onlyFiles = true;
            } else if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
                std::fputs(usage, stdout);
                return finishOutput();
            } else if (std::strcmp(arg, "--version") == 0) {
                std::printf("%s %s\n", programName, GEOMETRIJA_VERSION);
                return finishOutput();
            } else if (std::strcmp(arg, "--json") == 0) {
                options.json = true;
            } else if (std::strcmp(arg, "--exact") == 0) {
                options.exact = true;
            } else if (std::strcmp(arg, "--unique") == 0) {
                options.unique = true;
            } else if (std::strcmp(arg, "--labels") == 0) {
                options.labels = true;
            } else if (std::strcmp(arg, "--svg") == 0 || std::strcmp(arg, "--figure") == 0) {
                if (i + 1 >= argc) return usageError(std::string(arg) + " needs a file name");
                (arg[2] == 's' ? options.svg : options.figure) = argv[++i];
            } else if (std::strncmp(arg, "--svg=", 6) == 0 && arg[6] != '\0') {
                options.svg = arg + 6;
            } else if (std::strncmp(arg, "--figure=", 9) == 0 && arg[9] != '\0') {
                options.figure = arg + 9;
            } else {
                return usageError(std::string("unknown option '") + arg + "'");
            }
            continue;
        }
        if (fileCount == 2) return usageError("too many files: give two control-point files, or none");
        files[fileCount++] = arg;
    }
    if (fileCount == 1) return usageError("one file given: give two control-point files, or none");
    if (fileCount == 2) {
        options.first = files[0];
        options.second = files[1];
    }
    if (isStandardStream(options.first) && isStandardStream(options.second)) {
        return usageError("standard input can be read for one of the two files only");
    }
    if (options.labels && options.figure == nullptr) return usageError("--labels goes with --figure");
    if (options.exact && options.unique && !options.json) {
        return usageError("--exact and --unique print different lists: give one, or both with --json");
    }
    const bool svgOut = options.svg != nullptr && isStandardStream(options.svg);
    const bool figureOut = options.figure != nullptr && isStandardStream(options.figure);
    if (svgOut && figureOut) return usageError("--svg - and --figure - cannot both write to standard output");
    if ((svgOut || figureOut) && (options.json || options.exact || options.unique)) {
        return usageError(std::string(svgOut ? "--svg -" : "--figure -") +
                          " takes standard output: --json, --exact and --unique print there too");
    }
    return -1;
}

// ---------------------------------------------------------------------------------------------------
// Reading

// the name of an input in the command's messages
std::string inputLabel(const char* fileName) {
    return isStandardStream(fileName) ? std::string("standard input") : std::string(fileName);
}

// why a file could not be opened, for people
std::string openFailure(int error) {
    switch (error) {
        case ENOENT:
            return "no such file";
        case EISDIR:
            return "it is a directory";
        case EACCES:
            return "not readable (permission denied)";
        default:
            return std::strerror(error);
    }
}

// The whole text of an open stream; false when reading failed part of the way.
bool slurp(std::FILE* file, std::string& text) {
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, n);
    return std::ferror(file) == 0;
}

// the 1-based line of a byte offset in text
long lineAt(const std::string& text, long offset) {
    long line = 1;
    for (long i = 0; i < offset && i < static_cast<long>(text.size()); ++i) {
        if (text[static_cast<size_t>(i)] == '\n') ++line;
    }
    return line;
}

// what stands at offset, up to the end of its line and at most 24 characters, for quoting
std::string quoteAt(const std::string& text, long offset) {
    std::string word;
    for (size_t i = static_cast<size_t>(offset); i < text.size() && text[i] != '\n' && text[i] != '\r'; ++i) {
        if (word.size() == 24) {
            word += "...";
            break;
        }
        const unsigned char c = static_cast<unsigned char>(text[i]);
        word += c >= 0x20 && c < 0x7f ? static_cast<char>(c) : '?';
    }
    while (!word.empty() && (word.back() == ' ' || word.back() == '\t')) word.pop_back();
    return "'" + word + "'";
}

std::string pointText(const Point& p) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "(%.9g, %.9g)", static_cast<double>(p.x), static_cast<double>(p.y));
    return buffer;
}

// Warns on standard error, naming the file and the line, about what the reader took as the format says
// but what is almost certainly a mistake; the points stay as read.
void warnAboutOddities(const std::string& label, const std::string& text, const ScanNotes& notes, const Point* points,
                       int count) {
    const auto warn = [&](long offset, const std::string& message) {
        const long line = offset >= 0 ? lineAt(text, offset) : 1;
        complain(label + ":" + std::to_string(line) + ": warning: " + message);
    };
    if (notes.countMissing) {
        const bool blank = notes.countOffset < 0 || static_cast<size_t>(notes.countOffset) >= text.size();
        if (blank) {
            warn(0, text.empty() ? "the file is empty: read as no points"
                                 : "the file holds only white space: read as no points");
        } else {
            warn(notes.countOffset,
                 "the point count cannot be read at " + quoteAt(text, notes.countOffset) + ": read as no points");
        }
        return;
    }
    if (count < 0) {
        warn(notes.countOffset, "negative point count " + std::to_string(count) + ": read as no points");
        return;
    }
    if (notes.failedPairOffset >= 0 && notes.pairsRead < count) {
        const int first = notes.pairsRead + 1;
        const std::string which =
            first == count ? "point " + std::to_string(first) + " is "
                           : "points " + std::to_string(first) + " to " + std::to_string(count) + " are all ";
        const std::string repeated = which + pointText(points[count - 1]) + ", the last coordinates read";
        if (notes.failedAtEnd) {
            warn(notes.countOffset, "the count is " + std::to_string(count) + " but the file ends after " +
                                        std::to_string(notes.pairsRead) + (notes.pairsRead == 1 ? " pair" : " pairs") +
                                        ": " + repeated);
        } else {
            warn(notes.failedPairOffset, "pair " + std::to_string(first) + " of " + std::to_string(count) +
                                             " cannot be read at " + quoteAt(text, notes.failedPairOffset) + ": " +
                                             repeated);
        }
    }
    if (notes.trailingOffset >= 0) {
        const std::string after = count == 0
                                      ? std::string("the count of 0")
                                      : "the last of " + std::to_string(count) + (count == 1 ? " pair" : " pairs");
        warn(notes.trailingOffset, "text after " + after + " is not read: " + quoteAt(text, notes.trailingOffset));
    }
}

// Reads one control-point file (standard input for "-") as the program's reader does, with the same
// refusals: the program's line on standard output and exit status 1, and on standard error which file it
// was and why it could not be opened. Warns about oddities; returns the count as read.
int readCurve(const char* fileName, Point*& points) {
    const std::string label = inputLabel(fileName);
    std::string text;
    bool readWhole = true;
    if (isStandardStream(fileName)) {
        readWhole = slurp(stdin, text);
    } else {
        int error = 0;
        std::FILE* file = openControlPointFile(fileName, error);
        if (file == nullptr) {
            std::fputs(refusalMessage(readCannotOpen, fileName).c_str(), stdout);
            std::fflush(stdout);
            complain("cannot open " + label + ": " + openFailure(error));
            std::exit(refusedStatus);
        }
        readWhole = slurp(file, text);
        std::fclose(file);
    }
    if (!readWhole) complain(label + ": warning: reading failed part of the way: " + std::strerror(errno));

    // the text is scanned from memory exactly as the reader scans a file: the same conversions, the same results
    std::FILE* memory = text.empty() ? std::tmpfile() : fmemopen(&text[0], text.size(), "r");
    if (memory == nullptr) {
        complain(label + ": " + std::strerror(errno));
        std::exit(refusedStatus);
    }
    ScanNotes notes;
    int count = 0;
    const int status = scanControlPoints(memory, points, count, &notes);
    std::fclose(memory);
    if (status != readOk) {
        std::fputs(refusalMessage(status, fileName).c_str(), stdout);
        std::exit(refusedStatus);
    }
    warnAboutOddities(label, text, notes, points, count);
    return count;
}

// ---------------------------------------------------------------------------------------------------
// Writing

enum class FileKind { picture, figure };

// Writes one output file through a temporary one; false, with a message, when it cannot be written.
bool writeOutputFile(const char* name, FileKind kind, const SceneBuild& build, const Camera& camera,
                     const std::vector<Point>& unique, bool labels, const Options& options) {
    OutputFile file;
    std::string error;
    const std::string label = isStandardStream(name) ? std::string("standard output") : std::string(name);
    if (!file.open(name, error)) {
        complain("cannot write " + label + ": " + error);
        return false;
    }
    if (kind == FileKind::picture) {
        writeSceneSvg(file.stream(), camera);
    } else {
        const std::string title = "geometrija: " + inputLabel(options.first) + " and " + inputLabel(options.second);
        writeFigure(file.stream(), build, unique, labels, title.c_str());
    }
    if (!file.commit(error)) {
        complain("cannot write " + label + ": " + error);
        return false;
    }
    return true;
}

void printPoints(const std::vector<Point>& pts) {
    for (const Point& p : pts) std::printf("%.9g %.9g\n", static_cast<double>(p.x), static_cast<double>(p.y));
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    const int status = parseArguments(argc, argv, options);
    if (status >= 0) return status;

    // kept for the whole process, like the program's scene: the control polygons it holds are never released;
    // the first file is read completely before the second is opened
    static SceneBuild build;
    build.count1 = readCurve(options.first, build.curve1);
    build.count2 = readCurve(options.second, build.curve2);
    fillScene(build);
    if (build.stats.budgetExhausted) {
        complain("warning: the search was cut short by its budget after " + std::to_string(build.stats.calls) +
                 " calls; meeting points after the first " + std::to_string(build.intersections.size()) +
                 " found may be missing (--exact looks for the meeting points themselves)");
    }
    // the camera the window fits to the finished scene
    const Camera camera = frameScene(minCorner, maxCorner, drawnExtent);

    ExactIntersections exact;
    if (options.exact) {
        intersectExact(build.curve1, build.count1, build.curve2, build.count2, exact);
        if (!exact.complete) {
            complain(
                "warning: the exact intersection reached its work limit; curves that run within rounding "
                "distance of each other may have meeting points it did not tell apart");
        }
    }
    const std::vector<Point> unique = uniquePoints(build.intersections, searchTolerance);

    if (options.svg != nullptr &&
        !writeOutputFile(options.svg, FileKind::picture, build, camera, unique, false, options)) {
        return refusedStatus;
    }
    if (options.figure != nullptr &&
        !writeOutputFile(options.figure, FileKind::figure, build, camera, unique, options.labels, options)) {
        return refusedStatus;
    }
    const bool outputTaken = (options.svg != nullptr && isStandardStream(options.svg)) ||
                             (options.figure != nullptr && isStandardStream(options.figure));
    if (outputTaken) return 0;  // committed, and so flushed and checked, above
    if (options.json) {
        writeSceneJson(stdout, build, camera, options.exact ? &exact : nullptr, options.unique ? &unique : nullptr);
    } else if (options.exact) {
        writeExactText(stdout, exact);
    } else {
        printPoints(options.unique ? unique : build.intersections);
    }
    return finishOutput();
}
