// The whole search on pairs of control polygons of 1 to 32 points with coordinates up to 1e7 in size, from
// 1e-3 to 1e7 in scale: scattered, on a coarse grid, nearly the same curve, the same curve moved or reversed.
// Every search ends within the stated bounds of calls and depth, every recorded point is finite, lies within
// the first polygon's box and within a tolerance of the second's, intersectionCount grows by the number of
// points, and the literal baseline of the benchmarks finds the same points bit for bit.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "app/pipeline.h"
#include "bench/literal_search.h"
#include "fuzz/check.h"
#include "intersect/intersect.h"

namespace {

constexpr float largestCoordinate = 1e7f;
// The costliest searches are of a curve against itself: every piece meets its twin and its neighbours until
// its first hull edge is within 1/65536 of the extent, so a search records about one point for each such
// stretch of the curve, a few calls each. A control polygon of 32 points in its box is at most 31 diagonals
// long: some 44 * 65536 * 4 = 1.2e7 calls. Searches of the same curve take under 1e6 in practice.
constexpr long callBound = 20000000;
constexpr int depthBound = 64;
constexpr long literalCallLimit = 20000;  // the literal baseline is compared on searches up to this size

struct Box {
    double loX, hiX, loY, hiY;
};

Box boxOf(const std::vector<Point>& c) {
    Box b{c[0].x, c[0].x, c[0].y, c[0].y};
    for (const Point& p : c) {
        b.loX = std::min(b.loX, double(p.x));
        b.hiX = std::max(b.hiX, double(p.x));
        b.loY = std::min(b.loY, double(p.y));
        b.hiY = std::max(b.hiY, double(p.y));
    }
    return b;
}

float clampCoordinate(double v) {
    return static_cast<float>(std::max(-double(largestCoordinate), std::min(double(largestCoordinate), v)));
}

// A polygon of up to that many points; it ends early when the input does, rather than repeat one corner.
std::vector<Point> curve(FuzzedDataProvider& data, float scale) {
    const size_t n = data.ConsumeIntegralInRange<size_t>(1, maxControlPoints);
    const bool grid = data.ConsumeBool();
    std::vector<Point> c;
    while (c.size() < n && (c.empty() || data.remaining_bytes() > 0)) {
        Point& p = c.emplace_back();
        if (grid) {
            p = Point(clampCoordinate(data.ConsumeIntegralInRange(-8, 8) * double(scale) / 8),
                      clampCoordinate(data.ConsumeIntegralInRange(-8, 8) * double(scale) / 8));
        } else {
            p = Point(clampCoordinate(data.ConsumeFloatingPointInRange<double>(-1, 1) * scale),
                      clampCoordinate(data.ConsumeFloatingPointInRange<double>(-1, 1) * scale));
        }
    }
    return c;
}

// the first curve again, moved, reversed, or with a few points moved a little: overlaps and near-tangencies
std::vector<Point> relative(FuzzedDataProvider& data, const std::vector<Point>& first, float scale) {
    std::vector<Point> c = first;
    if (data.ConsumeBool()) std::reverse(c.begin(), c.end());
    const double shiftX = data.ConsumeBool() ? 0.0 : data.ConsumeFloatingPointInRange<double>(-0.01, 0.01) * scale;
    const double shiftY = data.ConsumeBool() ? 0.0 : data.ConsumeFloatingPointInRange<double>(-0.01, 0.01) * scale;
    for (Point& p : c) {
        p = Point(clampCoordinate(p.x + shiftX), clampCoordinate(p.y + shiftY));
        if (data.ConsumeIntegralInRange(0, 7) == 0) {
            p.x = clampCoordinate(p.x + data.ConsumeFloatingPointInRange<double>(-1e-3, 1e-3) * scale);
        }
    }
    return c;
}

// The most distinct control points of one polygon on one line (exact: float coordinates up to 1e7 make
// every difference and product below exact in double).
int mostOnOneLine(const std::vector<Point>& c) {
    int most = std::min<int>(2, static_cast<int>(c.size()));
    for (size_t i = 0; i < c.size(); ++i) {
        for (size_t j = i + 1; j < c.size(); ++j) {
            const double dx = double(c[j].x) - c[i].x, dy = double(c[j].y) - c[i].y;
            if (dx == 0 && dy == 0) continue;
            std::vector<Point> on;
            for (const Point& p : c) {
                const bool onLine = (double(p.x) - c[i].x) * dy - (double(p.y) - c[i].y) * dx == 0;
                bool seen = false;
                for (const Point& q : on) seen = seen || (q.x == p.x && q.y == p.y);
                if (onLine && !seen) on.push_back(p);
            }
            most = std::max(most, static_cast<int>(on.size()));
        }
    }
    return most;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    FuzzedDataProvider data(bytes, size);
    const float scale = static_cast<float>(std::pow(10.0, data.ConsumeIntegralInRange(-3, 7)));
    const std::vector<Point> first = curve(data, scale);
    const std::vector<Point> second =
        data.ConsumeIntegralInRange(0, 3) == 0 ? relative(data, first, scale) : curve(data, scale);
    const int n1 = static_cast<int>(first.size());
    const int n2 = static_cast<int>(second.size());

    // A control polygon that runs back and forth along one line makes a curve that overlaps itself there,
    // pass after pass, and the search records a point every resolution step of every pass against every
    // other pass of both curves: with 23 of 26 points on x = -1e7 (fuzz/reproducers) that is 2 s without
    // sanitizers, a hundred times the usual input. Up to three points on a line (two passes) the costliest
    // search, a curve against itself, stays near 4e6 calls; polygons with more are left to the stress
    // program, which times them.
    if (mostOnOneLine(first) > 3 || mostOnOneLine(second) > 3) return 0;

    std::vector<Point> found;
    SearchStats stats;
    const int before = intersectionCount;
    CHECK(intersectCurves(first.data(), n1, second.data(), n2, found, searchTolerance, &stats) == 0);
    CHECK(intersectionCount - before == static_cast<int>(found.size()));
    CHECK(stats.calls >= 1 && stats.calls <= callBound);
    CHECK(stats.deepestLevel <= depthBound);

    const Box box1 = boxOf(first);
    const Box box2 = boxOf(second);
    const double width = std::max(box1.hiX, box2.hiX) - std::min(box1.loX, box2.loX);
    const double height = std::max(box1.hiY, box2.hiY) - std::min(box1.loY, box2.loY);
    // A point is recorded on the first piece's outline once both pieces are small: the first hull edge
    // within the limit (the tolerance, 1/65536 of the larger side of the box around both polygons, or the
    // float resolution of the first polygon's coordinates, whichever is coarsest) and the piece's box within
    // 2 (n1 - 1) limits. The two pieces' outlines share a point, so the point recorded lies within about
    // 3 n1 limits of the second piece, plus what the parallel tolerance of the edge tests allows.
    float largest1 = 0;
    for (const Point& p : first) largest1 = std::max(largest1, std::max(std::fabs(p.x), std::fabs(p.y)));
    const double floatLimit = 4.0 * std::max(n1 - 1, 1) * (std::nextafter(largest1, INFINITY) - largest1);
    const double limit = std::max({double(searchTolerance), std::max(width, height) / 65536, floatLimit});
    const double tolerance = 0.01 * (width + height) + 3 * n1 * limit;
    for (const Point& p : found) {
        CHECK(std::isfinite(p.x) && std::isfinite(p.y) && p.color == BLACK);
        CHECK(p.x >= box1.loX && p.x <= box1.hiX && p.y >= box1.loY && p.y <= box1.hiY);
        CHECK(p.x >= box2.loX - tolerance && p.x <= box2.hiX + tolerance);
        CHECK(p.y >= box2.loY - tolerance && p.y <= box2.hiY + tolerance);
    }

    if (stats.calls <= literalCallLimit) {
        std::vector<Point> literalFound;
        CHECK(literal::intersectCurves(first.data(), n1, second.data(), n2, literalFound, searchTolerance) ==
              stats.calls);
        CHECK(literalFound.size() == found.size());
        CHECK(found.empty() || std::memcmp(found.data(), literalFound.data(), sizeof(Point) * found.size()) == 0);
    }
    return 0;
}
