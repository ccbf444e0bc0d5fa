// segmentIntersection and hullsOverlap. Results stay in {0, 1, 2}; the point is written only for 1; a crossing
// point lies within both segments' boxes up to rounding; a crossing or a miss that is clear of every
// tolerance (not nearly parallel, parameters away from 0 and 1) stays one when the arguments are swapped or
// a segment is reversed, and the two crossing points agree; hullsOverlap answers what every edge pair by
// segmentIntersection answers, with the outlines in either order.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "fuzz/check.h"
#include "hull/hull.h"
#include "intersect/intersect.h"

namespace {

float coordinate(FuzzedDataProvider& data, float scale, const std::vector<float>& earlier) {
    switch (data.ConsumeIntegralInRange(0, 4)) {
        case 0:
            if (!earlier.empty()) {
                float v = earlier[data.ConsumeIntegralInRange<size_t>(0, earlier.size() - 1)];
                for (int steps = data.ConsumeIntegralInRange(0, 2); steps > 0; --steps) {
                    v = std::nextafter(v, data.ConsumeBool() ? 1e38f : -1e38f);
                }
                return v;
            }
            return 0;
        case 1:
            return static_cast<float>(data.ConsumeIntegralInRange(-4, 4)) * scale;
        case 2: {
            static const float special[] = {0.0f,
                                            -0.0f,
                                            1e-45f,
                                            3.4e38f,
                                            -3.4e38f,
                                            std::numeric_limits<float>::infinity(),
                                            std::numeric_limits<float>::quiet_NaN()};
            return special[data.ConsumeIntegralInRange<size_t>(0, 6)];
        }
        default:
            return data.ConsumeFloatingPointInRange<float>(-1, 1) * scale;
    }
}

Segment segment(FuzzedDataProvider& data, float scale, std::vector<float>& earlier) {
    Segment s;
    for (Point* p : {&s.a, &s.b}) {
        p->x = coordinate(data, scale, earlier);
        p->y = coordinate(data, scale, earlier);
        earlier.push_back(p->x);
        earlier.push_back(p->y);
    }
    return s;
}

int overlapByEveryEdgePair(const std::vector<Point>& h1, const std::vector<Point>& h2) {
    const int n1 = static_cast<int>(h1.size());
    const int n2 = static_cast<int>(h2.size());
    float scratch[2];
    for (int i = 0; i < n1; ++i) {
        const Segment e1 = i < n1 - 1 ? Segment(h1[size_t(i)], h1[size_t(i + 1)]) : Segment(h1[0], h1.back());
        for (int j = 0; j < n2; ++j) {
            const Segment e2 = j < n2 - 1 ? Segment(h2[size_t(j)], h2[size_t(j + 1)]) : Segment(h2[0], h2.back());
            if (segmentIntersection(e1, e2, scratch) != 0) return 1;
        }
    }
    return 0;
}

struct Exact {
    double s, t;           // the meeting point's place along each segment, in double from the float ends
    double cross;          // the cross product of the two directions
    double sine2;          // squared sine of the angle between the segments
    double length2First;   // the first segment's squared length
    double length2Second;  // the second's
    double shortest2;      // the shorter one's
    double extent;         // the larger side of the box around all four ends
    double ulp;            // a float step at the largest coordinate
};

Exact exactly(const Segment& f, const Segment& g) {
    const double d1x = double(f.b.x) - f.a.x, d1y = double(f.b.y) - f.a.y;
    const double d2x = double(g.b.x) - g.a.x, d2y = double(g.b.y) - g.a.y;
    const double ex = double(g.a.x) - f.a.x, ey = double(g.a.y) - f.a.y;
    const double cross = d1x * d2y - d1y * d2x;
    Exact e{};
    e.s = (ex * d2y - ey * d2x) / cross;
    e.t = (ex * d1y - ey * d1x) / cross;
    e.cross = cross;
    e.sine2 = cross * cross / ((d1x * d1x + d1y * d1y) * (d2x * d2x + d2y * d2y));
    e.length2First = d1x * d1x + d1y * d1y;
    e.length2Second = d2x * d2x + d2y * d2y;
    e.shortest2 = std::min(e.length2First, e.length2Second);
    const double xs[] = {f.a.x, f.b.x, g.a.x, g.b.x};
    const double ys[] = {f.a.y, f.b.y, g.a.y, g.b.y};
    e.extent = std::max(*std::max_element(xs, xs + 4) - *std::min_element(xs, xs + 4),
                        *std::max_element(ys, ys + 4) - *std::min_element(ys, ys + 4));
    float largest = 0;
    for (const float v : {f.a.x, f.a.y, f.b.x, f.b.y, g.a.x, g.a.y, g.b.x, g.b.y})
        largest = std::max(largest, std::fabs(v));
    e.ulp = double(std::nextafter(largest, 1e38f)) - largest;
    return e;
}

bool withinBox(const float* point, const Segment& s, double slack) {
    return point[0] >= std::min(s.a.x, s.b.x) - slack && point[0] <= std::max(s.a.x, s.b.x) + slack &&
           point[1] >= std::min(s.a.y, s.b.y) - slack && point[1] <= std::max(s.a.y, s.b.y) + slack;
}

bool plain(const Segment& s) {
    // within 2^60 no difference overflows and the float cross product stays finite
    for (const float v : {s.a.x, s.a.y, s.b.x, s.b.y}) {
        if (!(std::fabs(v) <= 0x1p60f)) return false;
    }
    return true;
}

void checkSegments(const Segment& first, const Segment& second) {
    float point[2] = {-12345, 54321};
    const int r = segmentIntersection(first, second, point);
    CHECK(r == 0 || r == 1 || r == 2);
    if (r != 1) {
        CHECK(point[0] == -12345 && point[1] == 54321);
        return;
    }
    if (!plain(first) || !plain(second)) return;
    const Exact e = exactly(first, second);
    // a float cross product near the subnormal range has no useful rounding bound
    if (!(std::fabs(e.cross) >= 0x1p-100)) return;
    const double slack = 1e-5 * e.extent + 4 * e.ulp;
    CHECK(withinBox(point, first, slack));
    CHECK(withinBox(point, second, slack));
}

// A crossing or a miss clear of the tolerances keeps its answer under swapping and reversal.
void checkSymmetry(const Segment& first, const Segment& second) {
    if (!plain(first) || !plain(second)) return;
    const Exact e = exactly(first, second);
    if (!(e.sine2 > 4 * parallelTolerance) || !(e.shortest2 >= 0x1p-90)) return;
    // The float differences and quotients move s and t by a few float steps of the lengths involved: of the
    // gap between the starts (|R - P| up to the box's diagonal) and of both directions, divided by the cross
    // product. Measured along a short segment beside a long one that is many times its own length, so the
    // margins grow with the box over each segment's length.
    const double sine = std::sqrt(e.sine2);
    const double rounding = 64 * 0x1p-24 * 2 * e.extent / sine;
    const double marginS = 1e-3 + rounding / std::sqrt(e.length2First);
    const double marginT = 1e-3 + rounding / std::sqrt(e.length2Second);
    const bool inside = e.s > marginS && e.s < 1 - marginS && e.t > marginT && e.t < 1 - marginT;
    const bool outside = e.s < -marginS || e.s > 1 + marginS || e.t < -marginT || e.t > 1 + marginT;
    if (!inside && !outside) return;
    const Segment reversed(first.b, first.a);
    float p[2], q[2], u[2];
    const int straight = segmentIntersection(first, second, p);
    const int swapped = segmentIntersection(second, first, q);
    const int turned = segmentIntersection(reversed, second, u);
    CHECK(straight == (inside ? 1 : 0));
    CHECK(swapped == straight && turned == straight);
    if (inside) {
        // each point is within one of those rounding steps of the true crossing
        const double slack = 1e-5 * e.extent + 4 * e.ulp + 2 * rounding;
        CHECK(std::fabs(p[0] - q[0]) <= slack && std::fabs(p[1] - q[1]) <= slack);
        CHECK(std::fabs(p[0] - u[0]) <= slack && std::fabs(p[1] - u[1]) <= slack);
    }
}

std::vector<Point> outline(FuzzedDataProvider& data, float scale, std::vector<float>& earlier) {
    std::vector<Point> pts(data.ConsumeIntegralInRange<size_t>(1, maxControlPoints));
    for (Point& p : pts) {
        p.x = coordinate(data, scale, earlier);
        p.y = coordinate(data, scale, earlier);
        earlier.push_back(p.x);
        earlier.push_back(p.y);
    }
    if (data.ConsumeBool()) return pts;  // any polygon, not only a hull
    std::vector<Point> hull(pts.size());
    const int m = convexHull(pts.data(), static_cast<int>(pts.size()), hull.data());
    if (m == 0)
        return std::vector<Point>(pts.begin(),
                                  pts.begin() + (pts.size() < 2 ? static_cast<std::ptrdiff_t>(pts.size()) : 2));
    hull.resize(static_cast<size_t>(m));
    return hull;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    FuzzedDataProvider data(bytes, size);
    const float scale = std::ldexp(1.0f, data.ConsumeIntegralInRange(-60, 70));
    std::vector<float> earlier;
    if (data.ConsumeBool()) {
        const Segment first = segment(data, scale, earlier);
        const Segment second = segment(data, scale, earlier);
        checkSegments(first, second);
        checkSegments(second, first);
        checkSymmetry(first, second);
    } else {
        const std::vector<Point> first = outline(data, scale, earlier);
        const std::vector<Point> second = outline(data, scale, earlier);
        const int n1 = static_cast<int>(first.size());
        const int n2 = static_cast<int>(second.size());
        CHECK(hullsOverlap(first.data(), n1, second.data(), n2) == overlapByEveryEdgePair(first, second));
        CHECK(hullsOverlap(second.data(), n2, first.data(), n1) == overlapByEveryEdgePair(second, first));
    }
    return 0;
}
