// The whole search on pairs of control polygons of 1 to 32 points at every magnitude from 1e-40 to the float
// limit: scattered, on a coarse grid (so often with many points on one line, running back and forth), with
// coordinates of mixed scales within one polygon, nearly the same curve, the same curve moved or reversed.
// Every input is fair game: the budget holds every search to about 100 ms. Per input:
// - the time bound, as a bound on work: the calls times their weight stay within searchCallBudget, the depth
//   within searchDepthCap, and a search that stopped early says so;
// - every recorded point is finite, lies within the first polygon's box, and lies near both curves: within a
//   few of the limits that end the halving (the tolerance, 1/65536 of the extent, or float resolution,
//   whichever is coarsest) of a point of each;
// - intersectionCount grows by the number of points;
// - within the range of magnitudes searched as it is, the literal baseline of the benchmarks finds the same
//   points bit for bit.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "app/pipeline.h"
#include "tests/support/literal_search.h"
#include "fuzz/check.h"
#include "intersect/intersect.h"

namespace {

constexpr long literalCallLimit = 20000;  // the literal baseline is compared on searches up to this size
// Points checked for nearness per input: all of them up to this many, an even sample of this many above
// (a search cut short by the budget may record hundreds of thousands, each as near as the others).
constexpr size_t nearnessChecks = 512;
// The largest magnitudes searched without scaling (the search's own range).
constexpr double smallestPlain = 0x1p-40;
constexpr double largestPlain = 0x1p62;

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

float clampCoordinate(double v) { return static_cast<float>(std::max(-double(FLT_MAX), std::min(double(FLT_MAX), v))); }

// A polygon of up to that many points; it ends early when the input does, rather than repeat one corner.
std::vector<Point> curve(FuzzedDataProvider& data, double scale) {
    const size_t n = data.ConsumeIntegralInRange<size_t>(1, maxControlPoints);
    const int layout = data.ConsumeIntegralInRange(0, 2);  // scattered, on a 17 x 17 grid, mixed scales
    std::vector<Point> c;
    while (c.size() < n && (c.empty() || data.remaining_bytes() > 0)) {
        Point& p = c.emplace_back();
        if (layout == 1) {
            p = Point(clampCoordinate(data.ConsumeIntegralInRange(-8, 8) * scale / 8),
                      clampCoordinate(data.ConsumeIntegralInRange(-8, 8) * scale / 8));
        } else {
            // each coordinate at the scale, or down to 1e-12 of it
            const double sx = layout == 2 ? std::pow(10.0, -data.ConsumeIntegralInRange(0, 12)) : 1;
            const double sy = layout == 2 ? std::pow(10.0, -data.ConsumeIntegralInRange(0, 12)) : 1;
            p = Point(clampCoordinate(data.ConsumeFloatingPointInRange<double>(-1, 1) * scale * sx),
                      clampCoordinate(data.ConsumeFloatingPointInRange<double>(-1, 1) * scale * sy));
        }
    }
    return c;
}

// the first curve again, moved, reversed, or with a few points moved a little: overlaps and near-tangencies
std::vector<Point> relative(FuzzedDataProvider& data, const std::vector<Point>& first, double scale) {
    std::vector<Point> c = first;
    if (data.ConsumeBool()) std::reverse(c.begin(), c.end());
    const double shiftX = data.ConsumeBool() ? 0.0 : data.ConsumeFloatingPointInRange<double>(-0.01, 0.01) * scale;
    const double shiftY = data.ConsumeBool() ? 0.0 : data.ConsumeFloatingPointInRange<double>(-0.01, 0.01) * scale;
    for (Point& p : c) {
        p = Point(clampCoordinate(p.x + shiftX), clampCoordinate(p.y + shiftY));
        const int change = data.ConsumeIntegralInRange(0, 7);
        if (change == 0) {
            p.x = clampCoordinate(p.x + data.ConsumeFloatingPointInRange<double>(-1e-3, 1e-3) * scale);
        } else if (change == 1) {  // a float step
            p.y = std::nextafter(p.y, data.ConsumeBool() ? FLT_MAX : -FLT_MAX);
        }
    }
    return c;
}

// Whether some point of the curve with these control points (in double) lies within `within` of (px, py):
// halving while the box of a piece's control points, which holds the piece, comes within reach.
bool nearCurve(const std::vector<double>& xs, const std::vector<double>& ys, double px, double py, double within,
               int depth) {
    const size_t n = xs.size();
    const double loX = *std::min_element(xs.begin(), xs.end()), hiX = *std::max_element(xs.begin(), xs.end());
    const double loY = *std::min_element(ys.begin(), ys.end()), hiY = *std::max_element(ys.begin(), ys.end());
    const double outX = std::max({loX - px, px - hiX, 0.0});
    const double outY = std::max({loY - py, py - hiY, 0.0});
    if (std::hypot(outX, outY) > within) return false;
    // the ends lie on the piece
    if (std::hypot(xs[0] - px, ys[0] - py) <= within || std::hypot(xs[n - 1] - px, ys[n - 1] - py) <= within)
        return true;
    if (depth >= 80 || std::hypot(hiX - loX, hiY - loY) <= within * 1e-3) return false;
    std::vector<double> lx(n), ly(n), rx(n), ry(n), wx = xs, wy = ys;
    for (size_t j = 0; j < n; ++j) {
        lx[j] = wx[0];
        ly[j] = wy[0];
        rx[n - 1 - j] = wx[n - 1 - j];
        ry[n - 1 - j] = wy[n - 1 - j];
        for (size_t k = 0; k + j + 1 < n; ++k) {
            wx[k] = 0.5 * wx[k] + 0.5 * wx[k + 1];
            wy[k] = 0.5 * wy[k] + 0.5 * wy[k + 1];
        }
    }
    return nearCurve(lx, ly, px, py, within, depth + 1) || nearCurve(rx, ry, px, py, within, depth + 1);
}

bool nearCurve(const std::vector<Point>& c, Point p, double within) {
    std::vector<double> xs, ys;
    for (const Point& q : c) {
        xs.push_back(q.x);
        ys.push_back(q.y);
    }
    return nearCurve(xs, ys, p.x, p.y, within, 0);
}

// the input of a failed nearness check, as two control-point files would hold it
void printPair(const std::vector<Point>& first, const std::vector<Point>& second, Point p, double within) {
    for (const std::vector<Point>* c : {&first, &second}) {
        std::fprintf(stderr, "%zu\n", c->size());
        for (const Point& q : *c) std::fprintf(stderr, "%.9g %.9g\n", double(q.x), double(q.y));
    }
    std::fprintf(stderr, "point %.9g %.9g not within %.9g of both curves\n", double(p.x), double(p.y), within);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    FuzzedDataProvider data(bytes, size);
    // 10^e from 1e-40 to 1e37, and the float limit itself
    const int exponent = data.ConsumeIntegralInRange(-40, 38);
    const double scale = exponent == 38 ? double(FLT_MAX) : std::pow(10.0, exponent);
    const std::vector<Point> first = curve(data, scale);
    const std::vector<Point> second =
        data.ConsumeIntegralInRange(0, 3) == 0 ? relative(data, first, scale) : curve(data, scale);
    const int n1 = static_cast<int>(first.size());
    const int n2 = static_cast<int>(second.size());

    std::vector<Point> found;
    SearchStats stats;
    const int before = intersectionCount;
    CHECK(intersectCurves(first.data(), n1, second.data(), n2, found, searchTolerance, &stats) == 0);
    CHECK(intersectionCount - before == static_cast<int>(found.size()));

    // the time bound, as work: what the calls cost stays within the budget, and a search that stopped says so
    const long weight = searchCallWeight(n1, n2);
    CHECK(stats.calls >= 1 && stats.calls * weight <= searchCallBudget);
    CHECK(stats.deepestLevel <= searchDepthCap);
    CHECK(stats.budgetExhausted || (stats.calls + 1) * weight <= searchCallBudget ||
          stats.deepestLevel < searchDepthCap);
    CHECK(static_cast<long>(found.size()) <= stats.calls);

    // The halving ends for a pair of pieces once both are small: the first hull edge within the limit and the
    // box within 2 (n - 1) limits, the limit being the tolerance, 1/65536 of the larger side of the box
    // around both polygons, or the float resolution of their coordinates, whichever is coarsest. The point
    // is recorded on the first piece's hull, which holds the piece and shares a point with the second's, so
    // it lies within 2 sqrt 2 (n1 + n2 - 2) limits of both curves; 3 (n1 + n2) limits leave room for the
    // parallel tolerance of the edge tests.
    const Box box1 = boxOf(first);
    const Box box2 = boxOf(second);
    const double width = std::max(box1.hiX, box2.hiX) - std::min(box1.loX, box2.loX);
    const double height = std::max(box1.hiY, box2.hiY) - std::min(box1.loY, box2.loY);
    float largest = 0;
    for (const std::vector<Point>* c : {&first, &second}) {
        for (const Point& p : *c) largest = std::max({largest, std::fabs(p.x), std::fabs(p.y)});
    }
    const double step = largest == FLT_MAX ? std::ldexp(1.0, 104) : std::nextafter(largest, INFINITY) - largest;
    const double floatLimit = 4.0 * std::max({n1 - 1, n2 - 1, 1}) * step;
    const double limit = std::max({double(searchTolerance), std::max(width, height) / 65536, floatLimit});
    const double within = 3.0 * (n1 + n2) * limit;
    for (const Point& p : found) {
        CHECK(std::isfinite(p.x) && std::isfinite(p.y) && p.color == BLACK);
        CHECK(p.x >= box1.loX - floatLimit && p.x <= box1.hiX + floatLimit);
        CHECK(p.y >= box1.loY - floatLimit && p.y <= box1.hiY + floatLimit);
    }
    const size_t stride = found.size() <= nearnessChecks ? 1 : found.size() / nearnessChecks;
    for (size_t i = 0; i < found.size(); i += stride) {
        const bool near = nearCurve(first, found[i], within) && nearCurve(second, found[i], within);
        if (!near) printPair(first, second, found[i], within);
        CHECK(near);
    }

    const bool plain = largest == 0 || (largest >= smallestPlain && largest <= largestPlain);
    if (plain && stats.calls <= literalCallLimit && !stats.budgetExhausted) {
        std::vector<Point> literalFound;
        CHECK(literal::intersectCurves(first.data(), n1, second.data(), n2, literalFound, searchTolerance) ==
              stats.calls);
        CHECK(literalFound.size() == found.size());
        CHECK(found.empty() || std::memcmp(found.data(), literalFound.data(), sizeof(Point) * found.size()) == 0);
    }
    return 0;
}
