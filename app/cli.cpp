// geometrija-cli: the program's scene without a window. Builds the scene from two control-point files exactly
// as the program does, then prints the meeting points the window shows, or the whole scene as JSON, or the
// curves' exact meeting points, and can write the window's picture as SVG.
#include <cstdio>
#include <cstring>
#include <string>

#include "app/pipeline.h"
#include "app/scene_export.h"
#include "intersect/exact.h"
#include "scene/camera.h"
#include "scene/scene.h"

namespace {

constexpr const char* programName = "geometrija-cli";
constexpr int usageStatus = 2;  // an unknown option or a wrong number of files

constexpr const char* usage =
    "usage: geometrija-cli [--json] [--exact] [--svg FILE] [FIRST SECOND]\n"
    "\n"
    "Reads two control-point files (FIRST and SECOND, by default kriva1.txt and kriva2.txt), builds the\n"
    "scene the program geometrija shows, and prints the meeting points it shows, one \"x y\" per line, in\n"
    "the order they were found.\n"
    "\n"
    "  --json      print the whole scene as one JSON document instead: control points, sampled segments\n"
    "              and hull of each curve, meeting points, bounding box, camera and search statistics\n"
    "  --exact     print every distinct meeting point of the two curves instead, in double precision with\n"
    "              its parameter on each curve: \"crossing x y t s\", \"touch x y t s\" for a tangential\n"
    "              one, and \"overlap t0 t1 s0 s1\" for a stretch the curves share (with --json: added to\n"
    "              the document)\n"
    "  --svg FILE  also write the picture the window shows (1024 x 700 pixels) to FILE as SVG\n"
    "  --help      print this and exit\n";

struct Options {
    bool json = false;
    bool exact = false;
    const char* svg = nullptr;
    const char* first = "kriva1.txt";
    const char* second = "kriva2.txt";
};

int usageError(const std::string& message) {
    std::fprintf(stderr, "%s: %s\n%s", programName, message.c_str(), usage);
    return usageStatus;
}

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
            } else if (std::strcmp(arg, "--help") == 0) {
                std::fputs(usage, stdout);
                return 0;
            } else if (std::strcmp(arg, "--json") == 0) {
                options.json = true;
            } else if (std::strcmp(arg, "--exact") == 0) {
                options.exact = true;
            } else if (std::strcmp(arg, "--svg") == 0) {
                if (i + 1 >= argc) return usageError("--svg needs a file name");
                options.svg = argv[++i];
            } else if (std::strncmp(arg, "--svg=", 6) == 0 && arg[6] != '\0') {
                options.svg = arg + 6;
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
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    const int status = parseArguments(argc, argv, options);
    if (status >= 0) return status;

    // kept for the whole process, like the program's scene: the control polygons it holds are never released
    static SceneBuild build;
    buildScene(options.first, options.second, build);
    // the camera the window fits to the finished scene
    const Camera camera = frameScene(minCorner, maxCorner, drawnExtent);

    ExactIntersections exact;
    if (options.exact) intersectExact(build.curve1, build.count1, build.curve2, build.count2, exact);

    if (options.svg != nullptr && !writeSceneSvg(options.svg, camera)) {
        std::fprintf(stderr, "%s: cannot write %s\n", programName, options.svg);
        return 1;
    }
    if (options.json) {
        writeSceneJson(stdout, build, camera, options.exact ? &exact : nullptr);
    } else if (options.exact) {
        writeExactText(stdout, exact);
    } else {
        for (const Point& p : build.intersections) {
            std::printf("%.9g %.9g\n", static_cast<double>(p.x), static_cast<double>(p.y));
        }
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}
