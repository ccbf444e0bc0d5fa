// The companion command as a user runs it: its outputs read back and compared with the library's own
// results for the same files, its refusals and its usage errors.
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "app/reader.h"
#include "bezier/bezier.h"
#include "hull/hull.h"
#include "intersect/exact.h"
#include "intersect/intersect.h"
#include "scene/camera.h"
#include "testing.h"

namespace {

const char* const cli = GEOMETRIJA_CLI;
const std::string examples = GEOMETRIJA_EXAMPLES;
const char* const openError = "Greska pri otvaranju datoteke!\n";

// ---------------------------------------------------------------------------------------------------
// The command's document, read with a real JSON parser

using Json = nlohmann::json;

// the document, or a discarded value (and ok false) when the text is not one JSON value
Json parseJson(const std::string& text, bool& ok) {
    Json value = Json::parse(text, nullptr, false);
    ok = !value.is_discarded();
    return value;
}

// ---------------------------------------------------------------------------------------------------
// Helpers

// the control polygon of a file, read the way the program reads it
std::vector<Point> readPolygon(const std::string& fileName) {
    std::FILE* file = std::fopen(fileName.c_str(), "r");
    EXPECT_NE(file, nullptr) << fileName;
    Point* points = nullptr;
    int count = 0;
    EXPECT_EQ(scanControlPoints(file, points, count), readOk);
    std::fclose(file);
    std::vector<Point> polygon(points, points + (count > 0 ? count : 0));
    std::free(points);
    return polygon;
}

// the meeting points and statistics of the program's search on two polygons
std::vector<Point> searchPoints(const std::vector<Point>& a, const std::vector<Point>& b, SearchStats& stats) {
    std::vector<Point> found;
    intersectCurves(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), found, 0.01f, &stats);
    return found;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

// the first line of the usage text the command prints
const char* const usageStart =
    "usage: geometrija-cli [--json] [--exact | --unique] [--svg FILE] [--figure FILE [--labels]] [FIRST SECOND]\n";
// what follows a usage error's line
const char* const usageHint = "Try 'geometrija-cli --help'.\n";

ProcessResult runIn(const std::string& folder, const std::vector<std::string>& args) {
    return runProgram(cli, folder, args);
}

// ---------------------------------------------------------------------------------------------------
// Default output

// Each example: the points the window shows, in the order found, one "x y" per line, each number reading
// back to the very float the search recorded.
class CliPoints : public ::testing::TestWithParam<const char*> {};

TEST_P(CliPoints, PrintsTheSearchPointsInOrderAndTheyReadBackExactly) {
    const std::string folder = examples + "/" + GetParam();
    const ProcessResult r = runIn(folder, {});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    SearchStats stats;
    const std::vector<Point> want =
        searchPoints(readPolygon(folder + "/kriva1.txt"), readPolygon(folder + "/kriva2.txt"), stats);
    const std::vector<std::string> got = lines(r.out);
    ASSERT_EQ(got.size(), want.size()) << r.out;
    for (size_t i = 0; i < want.size(); ++i) {
        float x = 0;
        float y = 0;
        char rest = 0;
        ASSERT_EQ(std::sscanf(got[i].c_str(), "%f %f%c", &x, &y, &rest), 2) << got[i];
        EXPECT_EQ(x, want[i].x) << "line " << i;
        EXPECT_EQ(y, want[i].y) << "line " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Examples, CliPoints,
                         ::testing::Values("default", "lines", "apart", "horizontal", "nested", "many", "same", "tall",
                                           "far", "negative"),
                         ParamName());

TEST(CliPoints, NamedFilesAreReadInsteadOfTheDefaultOnes) {
    TempDir dir;
    dir.write("a.txt", "2 0 0 1 1");
    dir.write("b.txt", "2 0 1 1 0");
    dir.write("kriva1.txt", "2 5 5 6 6");  // would give no point at all
    dir.write("kriva2.txt", "2 0 0 1 1");
    const ProcessResult r = runIn(dir.path(), {"a.txt", "b.txt"});
    ASSERT_EQ(r.status, 0);
    // the two segments cross at the point where both are first halved: each of the four pairs of halves
    // records its own point
    EXPECT_EQ(r.out,
              "0.498046875 0.498046875\n0.498046875 0.498046875\n0.501953125 0.501953125\n"
              "0.501953125 0.501953125\n");
}

// ---------------------------------------------------------------------------------------------------
// JSON

std::vector<Point> jsonPoints(const Json& array) {
    std::vector<Point> out;
    for (const Json& p : array) {
        EXPECT_EQ(p.size(), 2u);
        out.push_back(Point(static_cast<float>(p[0].get<double>()), static_cast<float>(p[1].get<double>())));
    }
    return out;
}

void expectSamePoints(const std::vector<Point>& got, const std::vector<Point>& want, const std::string& what) {
    ASSERT_EQ(got.size(), want.size()) << what;
    for (size_t i = 0; i < want.size(); ++i) {
        EXPECT_TRUE(samePosition(got[i], want[i])) << what << " " << i << ": " << got[i] << " vs " << want[i];
    }
}

class CliJson : public ::testing::TestWithParam<const char*> {};

// The document read back holds what the library computes for the same files, to the last bit.
TEST_P(CliJson, HoldsTheWholeSceneAsTheLibraryBuildsIt) {
    const std::string folder = examples + "/" + GetParam();
    const ProcessResult r = runIn(folder, {"--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    bool ok = false;
    const Json doc = parseJson(r.out, ok);
    ASSERT_TRUE(ok) << r.out.substr(0, 400);

    const std::vector<Point> polygons[2] = {readPolygon(folder + "/kriva1.txt"), readPolygon(folder + "/kriva2.txt")};
    ASSERT_EQ(doc["curves"].size(), 2u);
    Point boxMin(1024, 700);
    Point boxMax(0, 0);
    Extent drawn;  // the same points without the box's starting corners
    const auto widen = [&](const Point& p) {
        boxMin.x = std::fmin(boxMin.x, p.x);
        boxMin.y = std::fmin(boxMin.y, p.y);
        boxMax.x = std::fmax(boxMax.x, p.x);
        boxMax.y = std::fmax(boxMax.y, p.y);
        drawn.min = drawn.empty ? p : Point(std::fmin(drawn.min.x, p.x), std::fmin(drawn.min.y, p.y));
        drawn.max = drawn.empty ? p : Point(std::fmax(drawn.max.x, p.x), std::fmax(drawn.max.y, p.y));
        drawn.empty = false;
    };
    for (int c = 0; c < 2; ++c) {
        const Json& curve = doc["curves"][static_cast<size_t>(c)];
        const std::vector<Point>& polygon = polygons[c];
        expectSamePoints(jsonPoints(curve["controlPoints"]), polygon, "control points");

        // 499 segments joining the samples at t = 0, 0.002, ..., 0.998 in a chain
        const Json& segments = curve["segments"];
        ASSERT_EQ(segments.size(), 499u);
        for (size_t i = 0; i < 499; ++i) {
            const std::vector<Point> ends = jsonPoints(segments[i]);
            const float t0 = static_cast<float>(static_cast<double>(i) * 0.002);
            const float t1 = static_cast<float>(static_cast<double>(i + 1) * 0.002);
            const Point a = bezierPoint(polygon.data(), static_cast<int>(polygon.size()), t0);
            const Point b = bezierPoint(polygon.data(), static_cast<int>(polygon.size()), t1);
            ASSERT_TRUE(samePosition(ends[0], a) && samePosition(ends[1], b)) << "segment " << i;
            widen(a);
            widen(b);
        }

        Point hull[maxControlPoints];
        const int m = convexHull(polygon.data(), static_cast<int>(polygon.size()), hull);
        expectSamePoints(jsonPoints(curve["hull"]), std::vector<Point>(hull, hull + m), "hull");
        // the outline of the hull is in the scene, so it widens the box too
        for (int i = 0; i < m; ++i) widen(hull[i]);
    }

    SearchStats stats;
    const std::vector<Point> found = searchPoints(polygons[0], polygons[1], stats);
    expectSamePoints(jsonPoints(doc["intersections"]), found, "intersections");
    for (const Point& p : found) widen(p);
    EXPECT_EQ(doc["search"]["calls"].get<double>(), static_cast<double>(stats.calls));
    EXPECT_EQ(doc["search"]["deepestLevel"].get<double>(), static_cast<double>(stats.deepestLevel));

    const std::vector<Point> box = {Point(static_cast<float>(doc["boundingBox"]["min"][0].get<double>()),
                                          static_cast<float>(doc["boundingBox"]["min"][1].get<double>())),
                                    Point(static_cast<float>(doc["boundingBox"]["max"][0].get<double>()),
                                          static_cast<float>(doc["boundingBox"]["max"][1].get<double>()))};
    expectSamePoints(box, {boxMin, boxMax}, "bounding box");
    const Camera camera = frameScene(boxMin, boxMax, drawn);
    ASSERT_EQ(camera.unitExponent, 0);
    EXPECT_EQ(static_cast<float>(doc["camera"]["cx"].get<double>()), camera.cx);
    EXPECT_EQ(static_cast<float>(doc["camera"]["cy"].get<double>()), camera.cy);
    EXPECT_EQ(static_cast<float>(doc["camera"]["e"].get<double>()), camera.e);
    EXPECT_EQ(doc["version"].is_number(), true);
    EXPECT_EQ(doc["version"].get<double>(), 1);
    EXPECT_FALSE(doc.contains("exact"));
    EXPECT_FALSE(doc.contains("uniqueIntersections"));
}

INSTANTIATE_TEST_SUITE_P(Examples, CliJson,
                         ::testing::Values("default", "lines", "apart", "horizontal", "nested", "many", "same", "tall",
                                           "far", "negative"),
                         ParamName());

// Coordinates near the float limit put the box's sizes beyond it: the camera still has a finite eye
// distance, and every end of both segments lies inside the picture with the framing margin.
TEST(CliJson, TheCameraAtTheFloatLimitStaysFiniteAndFramesEverything) {
    TempDir dir;
    dir.write("kriva1.txt", "2 -3.4e38 0 3.4e38 1");
    dir.write("kriva2.txt", "2 0 -1 0 2");
    const ProcessResult r = runIn(dir.path(), {"--json"});
    ASSERT_EQ(r.status, 0);
    bool ok = false;
    const Json doc = parseJson(r.out, ok);
    ASSERT_TRUE(ok) << r.out.substr(r.out.size() > 600 ? r.out.size() - 600 : 0);
    const Json& camera = doc["camera"];
    ASSERT_EQ(camera["e"].is_number(), true);
    ASSERT_EQ(camera["cx"].is_number(), true);
    ASSERT_EQ(camera["cy"].is_number(), true);
    const double e = camera["e"].get<double>();
    EXPECT_TRUE(std::isfinite(e) && e > 0) << e;
    // the 45-degree view at distance e, less 5% of the window on each side
    const double halfHeight = 0.9 * e * std::tan(22.5 * 3.14159265358979323846 / 180.0);
    const double halfWidth = halfHeight * 1024.0 / 700.0;
    const double ends[][2] = {{-3.4e38, 0}, {3.4e38, 1}, {0, -1}, {0, 2}};
    for (const auto& p : ends) {
        EXPECT_LE(std::fabs(static_cast<double>(static_cast<float>(p[0])) - camera["cx"].get<double>()), halfWidth)
            << p[0];
        EXPECT_LE(std::fabs(p[1] - camera["cy"].get<double>()), halfHeight) << p[1];
    }
    // and not from absurdly far: the extent takes more than half the window's width
    EXPECT_GT(6.8e38, halfWidth);
}

// A search cut short by its budget is a result of its own: a warning on standard error, and the document
// says so; an ordinary search says neither.
TEST(CliJson, ASearchCutShortByItsBudgetIsSaid) {
    std::string zigzag = "32";  // folded back and forth along one line, the same for both curves
    for (int i = 0; i < 32; ++i) zigzag += i % 2 ? " 10 0" : " " + std::to_string(i / 4.0) + " 0";
    for (const bool cut : {true, false}) {
        TempDir dir;
        dir.write("kriva1.txt", cut ? zigzag : "4 0 2 3 9.5 6 1.5 10 8");
        dir.write("kriva2.txt", cut ? zigzag : "4 0 7 4 0 7 11 10 2");
        const ProcessResult plain = runIn(dir.path(), {});
        const ProcessResult json = runIn(dir.path(), {"--json"});
        ASSERT_EQ(plain.status, 0);
        ASSERT_EQ(json.status, 0);
        bool ok = false;
        const Json doc = parseJson(json.out, ok);
        ASSERT_TRUE(ok);
        ASSERT_EQ(doc["search"]["budgetExhausted"].is_boolean(), true);
        EXPECT_EQ(doc["search"]["budgetExhausted"].get<bool>(), cut);
        for (const std::string& err : {plain.err, json.err}) {
            if (cut) {
                EXPECT_EQ(err.rfind("geometrija-cli: warning: the search was cut short by its budget after ", 0), 0u)
                    << err;
                EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
            } else {
                EXPECT_EQ(err, "");
            }
        }
    }
}

// Two 32-point curves one float step apart run within rounding of each other all along: the exact mode
// stops at its work limit and says so, on standard error and in the document; an ordinary pair is complete.
TEST(CliJson, AnExactIntersectionAtItsWorkLimitIsSaid) {
    std::string first = "32", second = "32";
    for (int i = 0; i < 32; ++i) {
        const float x = static_cast<float>(i / 3.0);
        const float y = static_cast<float>(4 * (i % 2) + 0.37 * std::sin(i));
        char pair[96];
        std::snprintf(pair, sizeof pair, " %.9g %.9g", static_cast<double>(x), static_cast<double>(y));
        first += pair;
        std::snprintf(pair, sizeof pair, " %.9g %.9g", static_cast<double>(x),
                      static_cast<double>(std::nextafter(y, INFINITY)));
        second += pair;
    }
    for (const bool nudged : {true, false}) {
        TempDir dir;
        dir.write("kriva1.txt", nudged ? first : "4 0 2 3 9.5 6 1.5 10 8");
        dir.write("kriva2.txt", nudged ? second : "4 0 7 4 0 7 11 10 2");
        const ProcessResult r = runIn(dir.path(), {"--exact", "--json"});
        ASSERT_EQ(r.status, 0);
        bool ok = false;
        const Json doc = parseJson(r.out, ok);
        ASSERT_TRUE(ok);
        EXPECT_EQ(doc["exact"]["complete"].get<bool>(), !nudged);
        EXPECT_EQ(
            r.err.find("geometrija-cli: warning: the exact intersection reached its work limit") != std::string::npos,
            nudged)
            << r.err;
    }
}

TEST(CliJson, ExactResultsJoinTheDocument) {
    TempDir dir;
    dir.write("kriva1.txt", "4 0 0 1 2 2 -1 3 1");
    dir.write("kriva2.txt", "4 0 1 1 -1 2 2 3 0");
    const ProcessResult r = runIn(dir.path(), {"--exact", "--json"});
    ASSERT_EQ(r.status, 0);
    bool ok = false;
    const Json doc = parseJson(r.out, ok);
    ASSERT_TRUE(ok);
    const Json& crossings = doc["exact"]["crossings"];
    ASSERT_EQ(crossings.size(), 3u);
    const double xs[] = {0.3381049961, 1.5, 2.6618950039};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_NEAR(crossings[i]["x"].get<double>(), xs[i], 1e-10);
        EXPECT_NEAR(crossings[i]["y"].get<double>(), 0.5, 1e-10);
        EXPECT_EQ(crossings[i]["t"].get<double>(), crossings[i]["s"].get<double>());  // the curves mirror each other
        EXPECT_EQ(crossings[i]["touch"].is_boolean(), true);
        EXPECT_FALSE(crossings[i]["touch"].get<bool>());
    }
    EXPECT_EQ(doc["exact"]["overlaps"].is_array(), true);
    EXPECT_TRUE(doc["exact"]["overlaps"].empty());
}

// --exact and --unique add a key each at the end; everything before it stays as it was, byte for byte.
TEST(CliJson, ExactAndUniqueResultsAreAddedAndTheRestIsUnchanged) {
    for (const char* example : {"default", "same"}) {
        const std::string folder = examples + "/" + example;
        const std::string plain = runIn(folder, {"--json"}).out;
        ASSERT_GT(plain.size(), 3u);
        const std::string body = plain.substr(0, plain.size() - 3);  // without the closing "\n}\n"
        for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
                 {"--json", "--exact"}, {"--json", "--unique"}, {"--unique", "--exact", "--json"}}) {
            const ProcessResult r = runIn(folder, args);
            ASSERT_EQ(r.status, 0);
            EXPECT_EQ(r.out.substr(0, body.size()), body) << example << " " << args[1];
            bool ok = false;
            const Json doc = parseJson(r.out, ok);
            ASSERT_TRUE(ok);
            const bool exact = std::find(args.begin(), args.end(), "--exact") != args.end();
            const bool unique = std::find(args.begin(), args.end(), "--unique") != args.end();
            EXPECT_EQ(doc.contains("exact"), exact);
            EXPECT_EQ(doc.contains("uniqueIntersections"), unique);
            if (unique) {
                EXPECT_EQ(doc["uniqueIntersections"].size(), lines(runIn(folder, {"--unique"}).out).size());
            }
        }
    }
}

// ---------------------------------------------------------------------------------------------------
// Unique points

// The search's points with those within 0.01 of an earlier one left out, in the order found.
class CliUnique : public ::testing::TestWithParam<const char*> {};

TEST_P(CliUnique, LeavesOutEveryPointNearAnEarlierOne) {
    const std::string folder = examples + "/" + GetParam();
    const ProcessResult all = runIn(folder, {});
    const ProcessResult unique = runIn(folder, {"--unique"});
    ASSERT_EQ(unique.status, 0);
    EXPECT_EQ(unique.err, "");
    const std::vector<std::string> allLines = lines(all.out);
    const std::vector<std::string> kept = lines(unique.out);
    // every kept line is one of the search's, in the same order, and every line left out lies near a kept one
    size_t next = 0;
    std::vector<Point> keptPoints;
    for (const std::string& line : allLines) {
        float x = 0;
        float y = 0;
        ASSERT_EQ(std::sscanf(line.c_str(), "%f %f", &x, &y), 2);
        bool near = false;
        for (const Point& k : keptPoints) {
            near = near || std::hypot(static_cast<double>(x) - k.x, static_cast<double>(y) - k.y) < 0.01f;
        }
        if (near) continue;
        ASSERT_LT(next, kept.size()) << line;
        EXPECT_EQ(kept[next++], line);
        keptPoints.push_back(Point(x, y));
    }
    EXPECT_EQ(next, kept.size());
}

INSTANTIATE_TEST_SUITE_P(Examples, CliUnique,
                         ::testing::Values("default", "lines", "apart", "horizontal", "nested", "many", "same", "tall",
                                           "far", "negative"),
                         ParamName());

TEST(CliUnique, RepeatsOfOneCrossingBecomeOnePoint) {
    TempDir dir;
    dir.write("a.txt", "2 0 0 1 1");
    dir.write("b.txt", "2 0 1 1 0");
    const ProcessResult r = runIn(dir.path(), {"--unique", "a.txt", "b.txt"});
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "0.498046875 0.498046875\n");
}

// ---------------------------------------------------------------------------------------------------
// Exact output

struct ExactOutputCase {
    const char* name;
    const char* kriva1;
    const char* kriva2;
    std::vector<std::string> kinds;  // first word of each line
    std::vector<std::vector<double>> numbers;
    double tolerance;
};

const ExactOutputCase exactOutputs[] = {
    {"ThreeCrossings",
     "4 0 0 1 2 2 -1 3 1",
     "4 0 1 1 -1 2 2 3 0",
     {"crossing", "crossing", "crossing"},
     {{0.3381049961, 0.5, 0.5 - std::sqrt(0.15), 0.5 - std::sqrt(0.15)},
      {1.5, 0.5, 0.5, 0.5},
      {2.6618950039, 0.5, 0.5 + std::sqrt(0.15), 0.5 + std::sqrt(0.15)}},
     1e-10},
    {"Touch", "3 0 1 1 -1 2 1", "2 0 0 2 0", {"touch"}, {{1, 0, 0.5, 0.5}}, 1e-7},
    // the piece of the first cubic on [0.25, 0.75], whose control points are exact in float
    {"Overlap",
     "4 0 0 1 2 2 -1 3 1",
     "4 0.75 0.71875 1.25 0.78125 1.75 0.21875 2.25 0.28125",
     {"overlap"},
     {{0.25, 0.75, 0, 1}},
     1e-12},
    {"Nothing", "3 0 0 2 3 4 0", "3 6 0 8 3 10 0", {}, {}, 0},
};

class CliExact : public ::testing::TestWithParam<ExactOutputCase> {};

TEST_P(CliExact, PrintsOneLinePerMeetingOrStretch) {
    const ExactOutputCase& c = GetParam();
    TempDir dir;
    dir.write("kriva1.txt", c.kriva1);
    dir.write("kriva2.txt", c.kriva2);
    const ProcessResult r = runIn(dir.path(), {"--exact"});
    ASSERT_EQ(r.status, 0);
    const std::vector<std::string> got = lines(r.out);
    ASSERT_EQ(got.size(), c.kinds.size()) << r.out;
    for (size_t i = 0; i < got.size(); ++i) {
        std::istringstream in(got[i]);
        std::string kind;
        in >> kind;
        EXPECT_EQ(kind, c.kinds[i]);
        for (double want : c.numbers[i]) {
            std::string word;
            in >> word;
            EXPECT_NEAR(std::strtod(word.c_str(), nullptr), want, c.tolerance) << got[i];
        }
        std::string extra;
        EXPECT_FALSE(in >> extra) << got[i];
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, CliExact, ::testing::ValuesIn(exactOutputs), RowName());

// ---------------------------------------------------------------------------------------------------
// SVG

size_t count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// The picture holds every scene element in the window's order; how it matches the window's own pixels is
// checked by rasterising it next to a screenshot (svg_window_test.sh).
TEST(CliSvg, DrawsEverySegmentWithItsDotsThenThePoints) {
    TempDir dir;
    const std::string folder = examples + "/default";
    const ProcessResult r = runIn(folder, {"--svg", dir.file("scene.svg")});
    ASSERT_EQ(r.status, 0);
    SearchStats stats;
    const std::vector<Point> found =
        searchPoints(readPolygon(folder + "/kriva1.txt"), readPolygon(folder + "/kriva2.txt"), stats);
    EXPECT_EQ(r.out, runIn(folder, {}).out);  // the points are printed as without --svg
    const std::string svg = slurp(dir.file("scene.svg"));
    ASSERT_EQ(svg.rfind("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"1024\" height=\"700\"", 0), 0u);
    // 998 curve segments and one per hull vertex, each a line and two dots
    Point hull[maxControlPoints];
    const std::vector<Point> a = readPolygon(folder + "/kriva1.txt");
    const std::vector<Point> b = readPolygon(folder + "/kriva2.txt");
    const size_t hullEdges = static_cast<size_t>(convexHull(a.data(), static_cast<int>(a.size()), hull) +
                                                 convexHull(b.data(), static_cast<int>(b.size()), hull));
    const size_t segmentCount = 998 + hullEdges;
    EXPECT_EQ(count(svg, "<polygon "), segmentCount);
    EXPECT_EQ(count(svg, "<rect "), 1 + 2 * segmentCount + found.size());
    EXPECT_EQ(count(svg, "fill=\"#ff0000\""), 3 * 998);
    EXPECT_EQ(count(svg, "fill=\"#ffff00\""), 3 * hullEdges);
    EXPECT_EQ(count(svg, "fill=\"#ffffff\""), found.size());
    // the white dots come last, after every segment
    EXPECT_GT(svg.find("fill=\"#ffffff\""), svg.rfind("fill=\"#ffff00\""));
    EXPECT_NE(svg.find("</svg>\n"), std::string::npos);
}

TEST(CliSvg, AFileThatCannotBeWrittenEndsWithStatusOne) {
    TempDir dir;
    dir.write("kriva1.txt", "2 0 0 1 1");
    dir.write("kriva2.txt", "2 0 1 1 0");
    const ProcessResult r = runIn(dir.path(), {"--svg", dir.file("no-such-folder/scene.svg")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err,
              "geometrija-cli: cannot write " + dir.file("no-such-folder/scene.svg") + ": No such file or directory\n");
}

// ---------------------------------------------------------------------------------------------------
// Refusals: the program's own lines, on standard output, exit status 1, whatever the options.

struct CliRefusal {
    const char* name;
    const char* first;  // null: the file is missing; folder: a directory of that name
    const char* second;
    std::vector<std::string> args;
    const char* out;
    const char* err;  // the command's own line on standard error
};

const char* const folder = "<a folder>";

const CliRefusal refusals[] = {
    {"FirstMissing", nullptr, "2 0 0 1 1", {}, openError, "geometrija-cli: cannot open kriva1.txt: no such file\n"},
    {"SecondMissing",
     "2 0 0 1 1",
     nullptr,
     {"--json"},
     openError,
     "geometrija-cli: cannot open kriva2.txt: no such file\n"},
    // a directory opens for reading, but it is no control-point file
    {"FirstIsAFolder",
     folder,
     "2 0 0 1 1",
     {},
     openError,
     "geometrija-cli: cannot open kriva1.txt: it is a directory\n"},
    {"SecondIsAFolder",
     "2 0 0 1 1",
     folder,
     {"--exact"},
     openError,
     "geometrija-cli: cannot open kriva2.txt: it is a directory\n"},
    {"TooManyPointsInFirst",
     "33",
     "2 0 0 1 1",
     {"--exact"},
     "Greska: previse kontrolnih tacaka u datoteci kriva1.txt!\n",
     ""},
    {"NanInSecond", "2 0 0 1 1", "2 0 0 nan 1", {}, "Greska: neispravna koordinata u datoteci kriva2.txt!\n", ""},
    {"OverflowInFirst",
     "2 0 0 1e39 1",
     "2 0 0 1 1",
     {"--svg", "x.svg"},
     "Greska: neispravna koordinata u datoteci kriva1.txt!\n",
     ""},
    // the message names the file as it was given
    {"NamedFileTooLong",
     "0x21",
     "2 0 0 1 1",
     {"one.txt", "two.txt"},
     "Greska: previse kontrolnih tacaka u datoteci one.txt!\n",
     ""},
    {"NamedFileMissing",
     "2 0 0 1 1",
     nullptr,
     {"one.txt", "two.txt"},
     openError,
     "geometrija-cli: cannot open two.txt: no such file\n"},
    {"NamedFileIsAFolder",
     folder,
     "2 0 0 1 1",
     {"one.txt", "two.txt", "--figure", "x.svg"},
     openError,
     "geometrija-cli: cannot open one.txt: it is a directory\n"},
};

class CliRefusals : public ::testing::TestWithParam<CliRefusal> {};

TEST_P(CliRefusals, PrintTheProgramsLineAndExitWithOne) {
    const CliRefusal& c = GetParam();
    TempDir dir;
    const bool named = !c.args.empty() && c.args[0] == "one.txt";
    const char* contents[2] = {c.first, c.second};
    const char* names[2] = {named ? "one.txt" : "kriva1.txt", named ? "two.txt" : "kriva2.txt"};
    for (int i = 0; i < 2; ++i) {
        if (contents[i] == folder) {
            ASSERT_EQ(mkdir(dir.file(names[i]).c_str(), 0755), 0);
        } else if (contents[i] != nullptr) {
            dir.write(names[i], contents[i]);
        }
    }
    const ProcessResult r = runIn(dir.path(), c.args);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, c.out);
    EXPECT_EQ(r.err, c.err);
    EXPECT_NE(access(dir.file("x.svg").c_str(), F_OK), 0) << "nothing is written before the files are read";
}

INSTANTIATE_TEST_SUITE_P(Cases, CliRefusals, ::testing::ValuesIn(refusals), RowName());

// ---------------------------------------------------------------------------------------------------
// Usage

struct UsageCase {
    const char* name;
    std::vector<std::string> args;
    const char* message;  // the first line on standard error
};

const UsageCase usageErrors[] = {
    {"UnknownOption", {"--xml"}, "geometrija-cli: unknown option '--xml'\n"},
    {"ShortOption", {"-j"}, "geometrija-cli: unknown option '-j'\n"},
    {"OneFile", {"kriva1.txt"}, "geometrija-cli: one file given: give two control-point files, or none\n"},
    {"ThreeFiles", {"a", "b", "c"}, "geometrija-cli: too many files: give two control-point files, or none\n"},
    {"SvgWithoutFile", {"--svg"}, "geometrija-cli: --svg needs a file name\n"},
    {"UnknownAfterGoodOnes", {"--json", "a", "b", "--fast"}, "geometrija-cli: unknown option '--fast'\n"},
};

class CliUsage : public ::testing::TestWithParam<UsageCase> {};

TEST_P(CliUsage, PrintsOneLineAndAHintAndExitsWithTwo) {
    const UsageCase& c = GetParam();
    TempDir dir;  // nothing to read: a usage error ends before any file is opened
    const ProcessResult r = runIn(dir.path(), c.args);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, std::string(c.message) + usageHint);
}

INSTANTIATE_TEST_SUITE_P(Cases, CliUsage, ::testing::ValuesIn(usageErrors), RowName());

TEST(CliUsage, HelpPrintsTheUsageAndReadsNothing) {
    TempDir dir;
    for (const char* help : {"--help", "-h"}) {
        const ProcessResult r = runIn(dir.path(), {help});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out.rfind(usageStart, 0), 0u);
        for (const char* option :
             {"--json", "--exact", "--unique", "--svg FILE", "--figure FILE", "--labels", "-h, --help", "--version"}) {
            EXPECT_NE(r.out.find(option), std::string::npos) << option;
        }
        EXPECT_EQ(r.err, "");
    }
}

TEST(CliUsage, FilesMayFollowADoubleDash) {
    TempDir dir;
    dir.write("-a.txt", "2 0 0 1 1");
    dir.write("-b.txt", "2 5 5 6 6");
    const ProcessResult r = runIn(dir.path(), {"--", "-a.txt", "-b.txt"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
}

}  // namespace
