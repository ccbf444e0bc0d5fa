#include "intersect/intersect.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "bezier/bezier.h"
#include "hull/hull.h"
#include "testing.h"
#include "tests/support/literal_search.h"

namespace {

const float nan = std::numeric_limits<float>::quiet_NaN();

// ---------------------------------------------------------------------------------------------------
// Segment intersection

struct SegmentCase {
    const char* name;
    Segment first;
    Segment second;
    int result;
    Point point;  // the meeting point when the result is 1
};

Segment seg(float ax, float ay, float bx, float by) { return Segment(Point(ax, ay), Point(bx, by)); }

const SegmentCase segmentCases[] = {
    {"Crossing", seg(0, 0, 4, 4), seg(0, 4, 4, 0), 1, {2, 2}},
    {"MeetingAtAnEnd", seg(0, 0, 2, 0), seg(2, 0, 2, 3), 1, {2, 0}},
    {"LinesCrossOutsideFirst", seg(0, 0, 1, 0), seg(2, 1, 3, -1), 0, {}},
    {"ShallowButNotParallel", seg(0, 0, 10, 0), seg(0, -0.1f, 10, 0.1f), 1, {5, 0}},
    {"WithinParallelToleranceAndOffLine", seg(0, 0, 10, 0), seg(0, -0.01f, 10, 0.01f), 0, {}},
    {"ParallelOnDifferentLines", seg(0, 0, 2, 0), seg(0, 1, 2, 1), 0, {}},
    {"CollinearityIsByAngle", seg(0, 0, 2, 0), seg(0, 0.00001f, 2, 0.00001f), 0, {}},
    {"CollinearOverlapping", seg(0, 0, 2, 0), seg(1, 0, 3, 0), 2, {}},
    {"CollinearOverlappingReversed", seg(2, 0, 0, 0), seg(3, 0, 1, 0), 2, {}},
    {"CollinearApart", seg(0, 0, 2, 0), seg(3, 0, 4, 0), 0, {}},
    {"EndToEndFirstBelow", seg(0, 0, 2, 0), seg(2, 0, 3, 0), 0, {}},
    {"EndToEndFirstAbove", seg(2, 0, 3, 0), seg(0, 0, 2, 0), 2, {}},
    {"VerticalOverlapping", seg(0, 0, 0, 2), seg(0, 1, 0, 3), 2, {}},
    {"VerticalEndToEndFirstBelow", seg(0, 0, 0, 2), seg(0, 2, 0, 3), 0, {}},
    {"VerticalEndToEndFirstAbove", seg(0, 2, 0, 3), seg(0, 0, 0, 2), 2, {}},
    {"PointInsideSecond", seg(0, 0, 2, 0), seg(1, 0, 1, 0), 2, {}},
    {"PointAtStartOfFirst", seg(0, 0, 2, 0), seg(0, 0, 0, 0), 2, {}},
    // a point lies on a segment that ends at it
    {"PointAtEndOfFirst", seg(0, 0, 2, 0), seg(2, 0, 2, 0), 2, {}},
    {"PointBeyondFirst", seg(0, 0, 2, 0), seg(3, 0, 3, 0), 0, {}},
    {"PointBesideFirst", seg(0, 0, 2, 0), seg(1, 0.5f, 1, 0.5f), 0, {}},
    // a zero-length first segment is not "on one line" with everything whose extent covers it
    {"FirstPointOffSecond", seg(5, 1, 5, 1), seg(0, 0, 2, 2), 0, {}},
    {"FirstPointOnSecond", seg(1, 1, 1, 1), seg(0, 0, 2, 2), 2, {}},
    {"FirstPointAtEndOfSecond", seg(2, 2, 2, 2), seg(0, 0, 2, 2), 2, {}},
    {"TwoEqualPoints", seg(1, 1, 1, 1), seg(1, 1, 1, 1), 2, {}},
    {"TwoDifferentPoints", seg(1, 1, 1, 1), seg(1, 2, 1, 2), 0, {}},
    {"NanInFirst", seg(0, nan, 4, 4), seg(0, 4, 4, 0), 0, {}},
    {"NanInSecond", seg(0, 0, 4, 4), seg(nan, 4, 4, 0), 0, {}},
    {"NanPoint", seg(nan, nan, nan, nan), seg(nan, nan, nan, nan), 0, {}},
};

class SegmentIntersection : public ::testing::TestWithParam<SegmentCase> {};

TEST_P(SegmentIntersection, ClassifiesAndWritesPointOnlyForCrossings) {
    const SegmentCase& c = GetParam();
    float out[2] = {-7, -7};
    ASSERT_EQ(segmentIntersection(c.first, c.second, out), c.result);
    if (c.result == 1) {
        EXPECT_EQ(out[0], c.point.x);
        EXPECT_EQ(out[1], c.point.y);
    } else {
        EXPECT_EQ(out[0], -7.0f);
        EXPECT_EQ(out[1], -7.0f);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, SegmentIntersection, ::testing::ValuesIn(segmentCases), RowName());

TEST(SegmentIntersection, PointIsComputedAlongTheFirstSegment) {
    // the crossing is not exactly representable; each order puts it on its own first segment's line
    const Segment a = seg(0, 0, 3, 1);
    const Segment b = seg(0.1f, 1, 1, -2);
    float ab[2];
    float ba[2];
    ASSERT_EQ(segmentIntersection(a, b, ab), 1);
    ASSERT_EQ(segmentIntersection(b, a, ba), 1);
    EXPECT_NEAR(ab[1], ab[0] / 3.0, 1e-7);                    // on y = x / 3
    EXPECT_NEAR(ba[1], 1 - (ba[0] - 0.1f) * 3 / 0.9f, 1e-6);  // on the line of b
    EXPECT_NEAR(ab[0], ba[0], 1e-6);
    EXPECT_NEAR(ab[1], ba[1], 1e-6);
}

// ---------------------------------------------------------------------------------------------------
// Hull overlap

struct OverlapCase {
    const char* name;
    std::vector<Point> first;
    std::vector<Point> second;
    int result;
};

const OverlapCase overlapCases[] = {
    {"OverlappingSquares", {{0, 0}, {2, 0}, {2, 2}, {0, 2}}, {{1, 1}, {3, 1}, {3, 3}, {1, 3}}, 1},
    {"MeetOnlyAtClosingEdge", {{0, 0}, {2, 0}, {2, 2}, {0, 2}}, {{-1, 0.5f}, {1, 0.5f}, {1, 1.5f}, {-1, 1.5f}}, 1},
    {"InsideTheOtherOutlinesOnly", {{0, 0}, {10, 0}, {10, 10}, {0, 10}}, {{4, 4}, {6, 4}, {6, 6}, {4, 6}}, 0},
    {"Apart", {{0, 0}, {1, 0}, {1, 1}}, {{5, 5}, {6, 5}, {6, 6}}, 0},
    {"ShareOneVertex", {{0, 0}, {2, 0}, {2, 2}, {0, 2}}, {{2, 2}, {4, 2}, {4, 4}, {2, 4}}, 1},
    {"ShareAnEdge", {{0, 0}, {2, 0}, {2, 2}, {0, 2}}, {{2, 0}, {4, 0}, {4, 2}, {2, 2}}, 1},
    {"TwoVertexCross", {{0, 0}, {2, 2}}, {{0, 2}, {2, 0}}, 1},
    // two single vertices at one position now meet
    {"OneVertexEach", {{1, 1}}, {{1, 1}}, 1},
    {"OneVertexEachApart", {{1, 1}}, {{1, 2}}, 0},
    {"NoVertices", {}, {{1, 1}, {2, 2}}, 0},
    // along x the ranges overlap, so nearly vertical segments on one line meet however far apart along y
    {"SteepOnOneLineApartAlongY", {{0, 0}, {1e-6f, 10}}, {{0, 20}, {1e-6f, 30}}, 1},
    {"ShallowOnOneLineApartAlongX", {{0, 0}, {10, 1e-6f}}, {{20, 0}, {30, 1e-6f}}, 0},
    // beyond about 1e19 the float cross product overflows to infinity, and every crossing test passes
    {"CrossProductOverflows",
     {{6.20195208e+21f, -1.60624168e+22f}, {-1.76387184e+22f, -1.02623322e+22f}},
     {{-6.1923065e+21f, -4.32711594e+21f}, {6.75162768e+21f, 1.35876933e+22f}},
     1},
};

class HullsOverlap : public ::testing::TestWithParam<OverlapCase> {};

TEST_P(HullsOverlap, TestsEveryEdgePair) {
    const OverlapCase& c = GetParam();
    EXPECT_EQ(hullsOverlap(c.first.data(), static_cast<int>(c.first.size()), c.second.data(),
                           static_cast<int>(c.second.size())),
              c.result);
}

INSTANTIATE_TEST_SUITE_P(Cases, HullsOverlap, ::testing::ValuesIn(overlapCases), RowName());

// Every edge pair by segmentIntersection: what hullsOverlap answers, however it gets there.
int overlapByEveryEdgePair(const std::vector<Point>& hull1, const std::vector<Point>& hull2) {
    const int n1 = static_cast<int>(hull1.size());
    const int n2 = static_cast<int>(hull2.size());
    float scratch[2];
    for (int i = 0; i < n1; ++i) {
        const Segment e1 =
            i < n1 - 1 ? Segment(hull1[size_t(i)], hull1[size_t(i + 1)]) : Segment(hull1[0], hull1.back());
        for (int j = 0; j < n2; ++j) {
            const Segment e2 =
                j < n2 - 1 ? Segment(hull2[size_t(j)], hull2[size_t(j + 1)]) : Segment(hull2[0], hull2.back());
            if (segmentIntersection(e1, e2, scratch) != 0) return 1;
        }
    }
    return 0;
}

// Outlines that touch, nearly touch, share edges or lie along one line, at scales from 1e-30 to 1e30: hulls of
// random points moved by a few float steps against each other, and flat outlines of one or two vertices.
std::vector<Point> nearbyOutline(std::mt19937& rng, const std::vector<Point>& other, float scale) {
    std::uniform_real_distribution<float> u(-1, 1);
    std::vector<Point> pts(1 + rng() % 8);
    for (Point& p : pts) {
        if (!other.empty() && rng() % 2 == 0) {
            // a vertex of the other outline, or a point on one of its edges, moved by a float step or two
            const Point& a = other[rng() % other.size()];
            const Point& b = other[rng() % other.size()];
            const float along = static_cast<float>(rng() % 5) / 4;
            p = Point(a.x + along * (b.x - a.x), a.y + along * (b.y - a.y));
            for (int steps = static_cast<int>(rng() % 3); steps > 0; --steps) {
                p.x = std::nextafter(p.x, rng() % 2 ? 1e38f : -1e38f);
                p.y = std::nextafter(p.y, rng() % 2 ? 1e38f : -1e38f);
            }
        } else {
            p = Point(u(rng) * scale, u(rng) * scale);
        }
    }
    std::vector<Point> hull(pts.size());
    int m = convexHull(pts.data(), static_cast<int>(pts.size()), hull.data());
    if (m == 0) m = rng() % 2 ? 1 : std::min<int>(2, static_cast<int>(pts.size()));  // a point or a flat segment
    if (m == 2 && pts.size() >= 2 && hull[1].x == hull[0].x && hull[1].y == hull[0].y) hull[1] = pts[1];
    hull.resize(static_cast<size_t>(m));
    return hull;
}

TEST(HullsOverlapProperty, AgreesWithEveryEdgePairBySegmentIntersection) {
    std::mt19937 rng(77);
    int meeting = 0;
    for (int trial = 0; trial < 40000; ++trial) {
        const float scale = std::ldexp(1.0f, static_cast<int>(rng() % 200) - 100);
        const std::vector<Point> first = nearbyOutline(rng, {}, scale);
        const std::vector<Point> second = nearbyOutline(rng, first, scale);
        const int expected = overlapByEveryEdgePair(first, second);
        meeting += expected;
        ASSERT_EQ(
            hullsOverlap(first.data(), static_cast<int>(first.size()), second.data(), static_cast<int>(second.size())),
            expected)
            << "trial " << trial;
    }
    // both answers are well represented
    EXPECT_GT(meeting, 5000);
    EXPECT_LT(meeting, 35000);
}

TEST(InsideConvexPolygon, ClockwiseSquare) {
    const Point square[] = {{0, 0}, {0, 2}, {2, 2}, {2, 0}};  // clockwise with y up
    const struct {
        Point p;
        int inside;
    } rows[] = {{{1, 1}, 1}, {{0, 1}, 1}, {{2, 2}, 1}, {{3, 1}, 0}, {{1, -0.001f}, 0}, {{-1, -1}, 0}};
    for (const auto& row : rows) EXPECT_EQ(insideConvexPolygon(row.p, square, 4), row.inside) << row.p;
    EXPECT_EQ(insideConvexPolygon(Point(1, 1), square, 2), 0);  // two vertices have no interior
    // vertices on one line (a straight piece's hull) enclose nothing, not even the points of their line
    const Point vertical[] = {{5, 0}, {5, 1}, {5, 2}, {5, 3}};
    for (const Point p : {Point(5, 20), Point(5, 1.5f), Point(5, -4), Point(6, 1)}) {
        EXPECT_EQ(insideConvexPolygon(p, vertical, 4), 0) << p;
    }
    const Point slanted[] = {{0, 0}, {1, 1}, {2, 2}};
    EXPECT_EQ(insideConvexPolygon(Point(10, 10), slanted, 3), 0);
}

// ---------------------------------------------------------------------------------------------------
// The search

struct Found {
    std::vector<Point> points;
    SearchStats stats;
    int counted;  // growth of intersectionCount
};

Found search(const std::vector<Point>& a, const std::vector<Point>& b, float epsilon = 0.01f) {
    Found f;
    const int before = intersectionCount;
    intersectCurves(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), f.points, epsilon,
                    &f.stats);
    f.counted = intersectionCount - before;
    return f;
}

std::vector<Point> shifted(std::vector<Point> curve, float dx) {
    for (Point& p : curve) p.x += dx;
    return curve;
}

TEST(IntersectCurves, HullsApartEndAtOnce) {
    const Found f = search({{0, 0}, {1, 1}}, {{5, 0}, {6, 1}});
    EXPECT_TRUE(f.points.empty());
    EXPECT_EQ(f.counted, 0);
    EXPECT_EQ(f.stats.calls, 1);
}

TEST(IntersectCurves, OneCrossingAfterEightHalvings) {
    const Found f = search({{0, 0}, {1, 1}}, {{0.2f, 1}, {1, 0}});
    ASSERT_EQ(f.points.size(), 1u);
    EXPECT_EQ(f.points[0].x, 0.556640625f);
    EXPECT_EQ(f.points[0].y, 0.556640625f);
    EXPECT_EQ(f.points[0].color, BLACK);
    EXPECT_EQ(f.counted, 1);
    EXPECT_EQ(f.stats.deepestLevel, 8);
}

TEST(IntersectCurves, CrossingAtTheSplitPointIsFoundByEveryPairInOrder) {
    const std::vector<Point> a = {{0, 0}, {1, 1}};
    const std::vector<Point> b = {{0, 1}, {1, 0}};
    for (const float dx : {0.0f, 1000.0f}) {
        const Found f = search(shifted(a, dx), shifted(b, dx));
        const float lo = 0.498046875f;
        const float hi = 0.501953125f;
        const Point expected[] = {{lo + dx, lo}, {lo + dx, lo}, {hi + dx, hi}, {hi + dx, hi}};
        ASSERT_EQ(f.points.size(), 4u) << "shift " << dx;
        EXPECT_EQ(f.counted, 4);
        for (int i = 0; i < 4; ++i) EXPECT_TRUE(samePosition(f.points[i], expected[i])) << f.points[i];
    }
}

TEST(IntersectCurves, PointIsTakenFromTheFirstCurve) {
    const Found f = search({{0.2f, 1}, {1, 0}}, {{0, 0}, {1, 1}});
    ASSERT_EQ(f.points.size(), 1u);
    const Point& p = f.points[0];
    EXPECT_FALSE(samePosition(p, Point(0.556640625f, 0.556640625f)));
    EXPECT_NEAR(p.x, 5.0 / 9.0, 0.01);  // the lines cross at (5/9, 5/9)
    EXPECT_NEAR(p.y, 5.0 / 9.0, 0.01);
    EXPECT_NEAR(p.y, 1 - 1.25 * (p.x - 0.2), 1e-6);  // on the first curve
}

// Pairs whose crossings the outline test alone would miss or mishandle.
struct FaultCase {
    const char* name;
    std::vector<Point> first;
    std::vector<Point> second;
    std::vector<Point> crossings;  // every one is found, and every point found lies near one
    double within;
};

const FaultCase faultCases[] = {
    // the segment's hull lies inside the parabola's hull at the start
    {"NestedHulls", {{0, 0}, {10, 10}, {20, 0}}, {{10, 4}, {10, 6}}, {{10, 5}}, 0.02},
    {"NestedHullsSwapped", {{10, 4}, {10, 6}}, {{0, 0}, {10, 10}, {20, 0}}, {{10, 5}}, 0.02},
    // a horizontal control polygon has no hull of its own
    {"FlatFirst", {{0, 0}, {1, 0}}, {{0.5f, -1}, {0.5f, 1}}, {{0.5f, 0}}, 0.01},
    {"FlatSecond", {{0.5f, -1}, {0.5f, 1}}, {{0, 0}, {1, 0}}, {{0.5f, 0}}, 0.01},
    {"FlatThreePoints", {{0, 5}, {4, 5}, {10, 5}}, {{5, 0}, {5, 10}}, {{5, 5}}, 0.02},
    {"CurveThroughFlatSegment", {{0, -1}, {1, 3}, {2, -1}}, {{-1, 0}, {3, 0}}, {{0.2929f, 0}, {1.7071f, 0}}, 0.02},
    // one float step at 100000 is longer than the tolerance: the pieces stop shrinking
    {"LargeCoordinates",
     {{100000, 100000}, {100010, 100010}},
     {{100000, 100010}, {100010, 100000}},
     {{100005, 100005}},
     0.05},
    {"LargeCoordinatesOffCentre",
     {{100000, 100000}, {100010, 100012}},
     {{100000, 100011}, {100012, 100001}},
     {{100005.4098f, 100006.4918f}},
     0.05},
    // from +0 to -0 along x the hull's walk finds no way up: the vertical segment is still outlined whole
    {"VerticalFromPlusToMinusZero", {{0, 0}, {-0.0f, 2}}, {{-1, 1}, {1, 1}}, {{0, 1}}, 0.01},
    {"VerticalFromPlusToMinusZeroSecond", {{-1, 1}, {1, 1}}, {{0, 0}, {-0.0f, 2}}, {{0, 1}}, 0.01},
    {"CubicFromPlusToMinusZero", {{0, 0}, {-0.0f, 1}, {-0.0f, 2}, {0, 3}}, {{-1, 2.5f}, {1, 2.5f}}, {{0, 2.5f}}, 0.01},
    // a vertical straight curve and a horizontal one whose first point lies on its line, far beyond it
    {"VerticalAndHorizontalOnItsLine", {{5, 0}, {5, 5}, {5, 10}}, {{5, 20}, {10, 20}}, {}, 0.01},
    {"VerticalCrossedByHorizontal", {{5, 0}, {5, 5}, {5, 10}}, {{5, 7}, {10, 7}, {0, 7}}, {{5, 7}}, 0.02},
    // a first hull edge much shorter than its piece: control points bunched at the foot, or on one line
    {"BunchedAtTheFoot",
     {{0, 0}, {-0.001f, 0.001f}, {100, 100}},
     {{99, 98}, {98.999f, 98.001f}, {99, 100.5f}},
     {{98.9995f, 98.9996f}},
     0.02},
    {"OnOneLineBunchedAtTheFoot",
     {{-10, -10}, {-10, -10}, {-10, -10}, {-10, -10}, {-10, -10}, {-10, 5}},
     {{-20, -10}, {-10, -10}},
     {{-10, -10}},
     0.02},
    // a curve whose control points all lie at one place, on the other curve
    {"PointOnCubic",
     {{100, 100}, {100, 100}, {100, 100}},
     {{100, 100}, {300, 500}, {600, -200}, {900, 400}},
     {{100, 100}},
     0.01},
    {"CubicThroughPoint",
     {{0, 0}, {3, 9}, {7, 1}, {10, 8}},
     {{5, 4.75f}, {5, 4.75f}},
     {{5, 4.75f}},
     0.02},  // its point at t = 0.5
    // #18: segments on one nearly vertical line, 10 apart along it: the outline test compares them along x,
    // where they overlap, and every pair of pieces recorded a point (2,047 of them)
    {"SteepSegmentsApartAlongTheirLine", {{0, 0}, {1e-6f, 10}}, {{0, 20}, {1e-6f, 30}}, {}, 0.01},
    {"SteepSegmentsApartAlongTheirLineSwapped", {{0, 20}, {1e-6f, 30}}, {{0, 0}, {1e-6f, 10}}, {}, 0.01},
};

class IntersectFault : public ::testing::TestWithParam<FaultCase> {};

TEST_P(IntersectFault, FindsTheCrossing) {
    const FaultCase& c = GetParam();
    const Found f = search(c.first, c.second);
    const auto near = [&](const Point& p, const Point& q) { return std::hypot(p.x - q.x, p.y - q.y) <= c.within; };
    for (const Point& crossing : c.crossings) {
        EXPECT_TRUE(std::any_of(f.points.begin(), f.points.end(), [&](const Point& p) { return near(p, crossing); }))
            << "missed " << crossing;
    }
    for (const Point& p : f.points) {
        EXPECT_TRUE(std::any_of(c.crossings.begin(), c.crossings.end(), [&](const Point& q) { return near(p, q); }))
            << "stray " << p;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, IntersectFault, ::testing::ValuesIn(faultCases), RowName());

// A curve at one place halves into copies of itself; the search keeps it whole instead of repeating the
// same pairs for every copy, which doubled the points and calls at every level.
TEST(IntersectCurves, CurveAtOnePlaceIsNotHalved) {
    const std::vector<Point> point(5, Point(100, 100));
    const std::vector<Point> cubic = {{100, 100}, {300, 500}, {600, -200}, {900, 400}};
    for (const bool pointFirst : {true, false}) {
        const Found f = pointFirst ? search(point, cubic) : search(cubic, point);
        ASSERT_FALSE(f.points.empty());
        EXPECT_LE(f.points.size(), 4u);
        EXPECT_LE(f.stats.calls, 200);
        for (const Point& p : f.points) EXPECT_NEAR(std::hypot(p.x - 100, p.y - 100), 0, 0.02) << p;
    }
}

// A curve against itself meets it everywhere: a point for every pair of small pieces along it, every one
// recorded (none merged) and every one on the curve.
TEST(IntersectCurves, OverlappingCurvesKeepEveryPoint) {
    const std::vector<Point> cubic = {{1, 1}, {3, 9}, {7, 1}, {9, 8}};
    const Found f = search(cubic, cubic);
    EXPECT_EQ(f.points.size(), 3200u);
    EXPECT_EQ(f.stats.calls, 12741);
    EXPECT_EQ(f.counted, static_cast<int>(f.points.size()));
    std::vector<Point> samples;
    for (int i = 0; i <= 4000; ++i) samples.push_back(bezierPoint(cubic.data(), 4, static_cast<float>(i / 4000.0)));
    for (const Point& p : f.points) {
        double nearest = INFINITY;
        for (const Point& q : samples) nearest = std::fmin(nearest, std::hypot(p.x - q.x, p.y - q.y));
        ASSERT_LT(nearest, 0.02) << p;
    }
}

TEST(IntersectCurves, EndsWhereFloatResolutionStopsHalving) {
    // two cubics crossing three times, at growing scales: each search ends with its crossings found, and
    // never halves deeper than float resolution allows
    for (const float scale : {1.0f, 1e3f, 1e5f, 1e7f}) {
        std::vector<Point> a = {{0, 1}, {3, 11}, {6, 0}, {10, 9}};
        std::vector<Point> b = {{0, 7}, {4, 0}, {7, 11}, {10, 2}};
        for (Point& p : a) p = Point(p.x * scale, p.y * scale);
        for (Point& p : b) p = Point(p.x * scale, p.y * scale);
        const Found f = search(a, b);
        EXPECT_GE(f.points.size(), 3u) << scale;
        EXPECT_LE(f.stats.deepestLevel, 40) << scale;
        for (const double x : {1.858, 5.318, 7.651}) {  // where the crossings lie, at scale 1
            EXPECT_TRUE(std::any_of(f.points.begin(), f.points.end(),
                                    [&](const Point& p) { return std::fabs(p.x / scale - x) < 0.01; }))
                << "scale " << scale << ", crossing near x = " << x;
        }
    }
}

TEST(IntersectCurves, OverlapOfLargeCurvesIsResolvedToAShareOfTheirExtent) {
    // a segment along itself: pieces stop halving at 1/65536 of the extent, not at 0.01
    const std::vector<Point> a = {{0, 0}, {1e6f, 5e5f}};
    const Found f = search(a, a);
    EXPECT_GE(f.points.size(), 65536u / 2);
    EXPECT_LE(f.points.size(), 65536u * 8);
    EXPECT_LE(f.stats.deepestLevel, 18);
    for (const Point& p : f.points) ASSERT_NEAR(p.y, p.x / 2, 0.1) << p;
}

TEST(IntersectCurves, RefusesWhatItCannotSearch) {
    const std::vector<Point> ok = {{0, 0}, {1, 1}};
    const std::vector<Point> inf = {{0, 1}, {std::numeric_limits<float>::infinity(), 0}};
    const std::vector<Point> tooMany(maxControlPoints + 1, Point(0.5f, 0.5f));
    EXPECT_TRUE(search(ok, inf).points.empty());
    EXPECT_TRUE(search(ok, tooMany).points.empty());
    EXPECT_TRUE(search(ok, {}).points.empty());
    EXPECT_EQ(search(ok, {}).stats.calls, 0);
}

// ---------------------------------------------------------------------------------------------------
// Magnitude, the float limit and the budget

// #18 regression: from 1e20 up the float cross product of two edges overflowed, edges apart "crossed" at the
// first one's start and every pair was kept (5.3 s at 1e23, no end at 1e25); at 1e-23 it underflowed and the
// edges counted as parallel, so nothing was found.
TEST(IntersectCurvesScale, TheSameXCostsTheSameAtEveryMagnitudeAndFindsItsCrossing) {
    struct Row {
        float size;
        long calls;  // where 1/65536 of the extent decides smallness the calls are those at 1e5
        size_t points;
    };
    const Row rows[] = {{1e-30f, 1, 1},  {1e-23f, 1, 1},  {1e-12f, 1, 1},  {1, 117, 4},     {1e5f, 261, 4},
                        {1e19f, 261, 4}, {1e20f, 261, 4}, {1e23f, 261, 4}, {1e25f, 261, 4}, {3e38f, 261, 4}};
    for (const Row& row : rows) {
        const float s = row.size;
        const Found f = search({{0, 0}, {s, s}}, {{0, s}, {s, 0}});
        EXPECT_EQ(f.stats.calls, row.calls) << s;
        EXPECT_FALSE(f.stats.budgetExhausted) << s;
        ASSERT_EQ(f.points.size(), row.points) << s;
        // the tolerance, or 1/65536 of the extent where that is coarser, from the crossing at the centre
        const double limit = std::max(0.01, static_cast<double>(s) / 65536);
        for (const Point& p : f.points) {
            EXPECT_LE(std::hypot(p.x - s / 2.0, p.y - s / 2.0), limit) << s << ": " << p;
        }
    }
}

TEST(IntersectCurvesScale, HullsApartAtHugeMagnitudesEndAtOnce) {
    // #18 regression: two triangles wholly apart at 1e29 kept every pair of pieces (no end within 20 s, 1.5 GB)
    for (const float s : {1e19f, 1e29f, 1e37f}) {
        const Found f = search({{0, 0}, {s, 2 * s}, {2 * s, 0}}, {{5 * s, 0}, {6 * s, 2 * s}, {7 * s, 0}});
        EXPECT_EQ(f.stats.calls, 1) << s;
        EXPECT_TRUE(f.points.empty()) << s;
    }
}

TEST(IntersectCurvesScale, SegmentToTheFloatLimitIsMetWhereItCrossesTheVertical) {
    // #18 regression: the point recorded was (1.70141173e38, 0.5), half the float range from the crossing
    // near (1, 0): at the float limit the step to the next float is infinite, so every piece counted as small.
    const Found f = search({{0, 0}, {3.4028235e38f, 1}}, {{1, -1}, {1, 1}});
    ASSERT_FALSE(f.points.empty());
    const double limit = 3.4028235e38 / 65536;  // 1/65536 of the extent
    for (const Point& p : f.points) {
        EXPECT_LE(std::fabs(p.x - 1.0), limit) << p;
        EXPECT_NEAR(p.y, p.x / 3.4028235e38, 1e-6) << p;  // on the first segment
    }
}

// A segment across the whole float range against a unit vertical: scaled so that the long one reaches 2^0,
// the vertical sank to 2^-128, below the normal floats, its cross products with the long one's small pieces
// underflowed to 0 and the crossing at (0, 0.5) was lost. Scaled to just below 2^62 instead, both stay normal
// floats, and the crossing is found in either order, within the extent's limit of it.
TEST(IntersectCurvesScale, AUnitSegmentBesideTheFloatRangeKeepsItsCrossing) {
    const std::vector<Point> across = {{3.4e38f, 0}, {-3.4e38f, 1}};
    const std::vector<Point> vertical = {{0, -1}, {0, 2}};
    const double limit = 6.8e38 / 65536;  // 1/65536 of the extent
    for (const bool acrossFirst : {true, false}) {
        const Found f = acrossFirst ? search(across, vertical) : search(vertical, across);
        ASSERT_FALSE(f.points.empty()) << acrossFirst;
        EXPECT_FALSE(f.stats.budgetExhausted);
        for (const Point& p : f.points) {
            EXPECT_LE(std::fabs(p.x), 4 * limit) << p;
            EXPECT_NEAR(p.y, 0.5, 1e-3) << p;
        }
    }
}

TEST(IntersectCurvesScale, ScalingIsExactSoEveryPointScalesBack) {
    // a cubic pair at 1 and at 2^100 (outside the range searched as it is) finds the same points, times 2^100
    const std::vector<Point> a = {{0, 1}, {3, 11}, {6, 0}, {10, 9}};
    const std::vector<Point> b = {{0, 7}, {4, 0}, {7, 11}, {10, 2}};
    const auto times = [](std::vector<Point> c, int k) {
        for (Point& p : c) p = Point(std::ldexp(p.x, k), std::ldexp(p.y, k));
        return c;
    };
    // at 2^20 the extent's 1/65536 decides smallness, as it does at 2^100
    const Found plain = search(times(a, 20), times(b, 20));
    const Found huge = search(times(a, 100), times(b, 100));
    EXPECT_EQ(huge.stats.calls, plain.stats.calls);
    ASSERT_EQ(huge.points.size(), plain.points.size());
    for (size_t i = 0; i < plain.points.size(); ++i) {
        EXPECT_TRUE(
            samePosition(huge.points[i], Point(std::ldexp(plain.points[i].x, 80), std::ldexp(plain.points[i].y, 80))))
            << plain.points[i] << " " << huge.points[i];
    }
}

// 32 control points running back and forth along y = 0, and a reversed copy: every pass of one runs along
// every pass of the other (#18: 4 to 18 s and up to 1.5 million points before the budget)
std::vector<Point> zigzag() {
    std::vector<Point> c(32);
    for (size_t i = 0; i < c.size(); ++i) c[i] = Point(i % 2 ? 10.0f : static_cast<float>(i) / 4, 0);
    return c;
}

TEST(IntersectCurvesBudget, FoldedPolygonsAreCutShortAndSaySo) {
    const std::vector<Point> a = zigzag();
    const std::vector<Point> b(a.rbegin(), a.rend());
    for (const auto& [first, second] : {std::make_pair(a, b), std::make_pair(std::vector<Point>{{2, 0}, {3, 0}}, a)}) {
        const Found f = search(first, second);
        const long weight = searchCallWeight(static_cast<int>(first.size()), static_cast<int>(second.size()));
        EXPECT_TRUE(f.stats.budgetExhausted);
        EXPECT_LE(f.stats.calls * weight, searchCallBudget);
        EXPECT_GT((f.stats.calls + 1) * weight, searchCallBudget);  // it spent what it had
        EXPECT_LE(f.stats.deepestLevel, searchDepthCap);
        EXPECT_EQ(f.counted, static_cast<int>(f.points.size()));
        for (const Point& p : f.points) EXPECT_TRUE(p.y == 0 && p.x >= 0 && p.x <= 10) << p;
    }
}

TEST(IntersectCurvesBudget, ACutSearchFoundTheFirstPointsOfTheWholeSearch) {
    const std::vector<Point> cubic = {{1, 1}, {3, 9}, {7, 1}, {9, 8}};
    const Found whole = search(cubic, cubic);
    ASSERT_FALSE(whole.stats.budgetExhausted);
    const long weight = searchCallWeight(4, 4);
    for (const long calls : {1L, 2L, 100L, whole.stats.calls / 2, whole.stats.calls - 1, whole.stats.calls}) {
        Found cut;
        intersectCurves(cubic.data(), 4, cubic.data(), 4, cut.points, 0.01f, &cut.stats, calls * weight);
        EXPECT_EQ(cut.stats.calls, calls);
        EXPECT_EQ(cut.stats.budgetExhausted, calls < whole.stats.calls) << calls;
        ASSERT_LE(cut.points.size(), whole.points.size());
        for (size_t i = 0; i < cut.points.size(); ++i) ASSERT_TRUE(samePosition(cut.points[i], whole.points[i])) << i;
    }
    // a budget too small for the first pair examines nothing
    Found none;
    intersectCurves(cubic.data(), 4, cubic.data(), 4, none.points, 0.01f, &none.stats, weight - 1);
    EXPECT_EQ(none.stats.calls, 0);
    EXPECT_TRUE(none.stats.budgetExhausted);
    EXPECT_TRUE(none.points.empty());
}

TEST(IntersectCurvesBudget, OrdinaryPairsStayFarFromIt) {
    // the examples' costliest pair, a cubic against itself, and a crossing pair of 32 points
    const std::vector<Point> cubic = {{0, 2}, {3, 9.5f}, {6, 1.5f}, {10, 8}};
    const Found same = search(cubic, cubic);
    EXPECT_FALSE(same.stats.budgetExhausted);
    EXPECT_LT(same.stats.calls * searchCallWeight(4, 4), searchCallBudget / 10);
    std::mt19937 rng(18);
    std::uniform_real_distribution<float> u(0, 10);
    std::vector<Point> a(32), b(32);
    for (Point& p : a) p = Point(u(rng), u(rng));
    for (Point& p : b) p = Point(u(rng), u(rng));
    const Found crossing = search(a, b);
    EXPECT_FALSE(crossing.stats.budgetExhausted);
    EXPECT_LT(crossing.stats.calls * searchCallWeight(32, 32), searchCallBudget / 4);
}

// ---------------------------------------------------------------------------------------------------
// Property: random pairs that cross transversally, checked against crossings found independently

struct P2 {
    double x, y;
};

P2 evaluate(const std::vector<Point>& c, double t) {
    std::vector<P2> level(c.size());
    for (size_t i = 0; i < c.size(); ++i) level[i] = {c[i].x, c[i].y};
    for (size_t j = 1; j < c.size(); ++j) {
        for (size_t k = 0; k + j < c.size(); ++k) {
            level[k] = {(1 - t) * level[k].x + t * level[k + 1].x, (1 - t) * level[k].y + t * level[k + 1].y};
        }
    }
    return level[0];
}

P2 derivative(const std::vector<Point>& c, double t) {
    const double h = 1e-7;
    const P2 a = evaluate(c, std::max(0.0, t - h));
    const P2 b = evaluate(c, std::min(1.0, t + h));
    return {b.x - a.x, b.y - a.y};
}

struct TrueCrossing {
    P2 at;
    double sine;  // |sin| of the angle between the tangents
};

// crossings by dense sampling of both curves, refined by Newton's method on a(s) = b(t)
std::vector<TrueCrossing> trueCrossings(const std::vector<Point>& a, const std::vector<Point>& b) {
    const int n = 300;
    std::vector<P2> pa(n + 1);
    std::vector<P2> pb(n + 1);
    for (int i = 0; i <= n; ++i) {
        pa[static_cast<size_t>(i)] = evaluate(a, i / double(n));
        pb[static_cast<size_t>(i)] = evaluate(b, i / double(n));
    }
    std::vector<TrueCrossing> found;
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            const P2 p = pa[size_t(i)], q = pa[size_t(i + 1)], r = pb[size_t(j)], s = pb[size_t(j + 1)];
            const double d1x = q.x - p.x, d1y = q.y - p.y, d2x = s.x - r.x, d2y = s.y - r.y;
            const double den = d1x * d2y - d1y * d2x;
            if (den == 0) continue;
            const double ex = r.x - p.x, ey = r.y - p.y;
            const double u = (ex * d2y - ey * d2x) / den, v = (ex * d1y - ey * d1x) / den;
            if (u < 0 || u >= 1 || v < 0 || v >= 1) continue;
            double sa = (i + u) / n, tb = (j + v) / n;
            for (int it = 0; it < 30; ++it) {  // Newton on a(sa) - b(tb) = 0
                const P2 fa = evaluate(a, sa), fb = evaluate(b, tb), da = derivative(a, sa), db = derivative(b, tb);
                const double fx = fa.x - fb.x, fy = fa.y - fb.y;
                const double det = -da.x * db.y + da.y * db.x;  // of [da, -db]
                if (det == 0) break;
                sa -= (-db.y * fx + db.x * fy) / det * 2e-7;
                tb -= (-da.y * fx + da.x * fy) / det * 2e-7;
                sa = std::clamp(sa, 0.0, 1.0);
                tb = std::clamp(tb, 0.0, 1.0);
            }
            const P2 at = evaluate(a, sa);
            const P2 da = derivative(a, sa), db = derivative(b, tb);
            const double sine =
                std::fabs(da.x * db.y - da.y * db.x) / (std::hypot(da.x, da.y) * std::hypot(db.x, db.y));
            bool known = false;
            for (const TrueCrossing& c : found) known = known || std::hypot(c.at.x - at.x, c.at.y - at.y) < 1e-6;
            if (!known) found.push_back({at, sine});
        }
    }
    return found;
}

double distanceToCurve(const std::vector<Point>& c, Point p) {
    double best = 1e300;
    const int n = 2000;
    P2 prev = evaluate(c, 0);
    for (int i = 1; i <= n; ++i) {
        const P2 next = evaluate(c, i / double(n));
        const double dx = next.x - prev.x, dy = next.y - prev.y;
        const double len2 = dx * dx + dy * dy;
        double u = len2 > 0 ? ((p.x - prev.x) * dx + (p.y - prev.y) * dy) / len2 : 0;
        u = std::clamp(u, 0.0, 1.0);
        best = std::min(best, std::hypot(prev.x + u * dx - p.x, prev.y + u * dy - p.y));
        prev = next;
    }
    return best;
}

TEST(IntersectCurvesProperty, RandomTransversalPairsFindEveryCrossingAndNothingElse) {
    std::mt19937 rng(20261207);
    std::uniform_real_distribution<float> coordinate(0, 10);
    std::uniform_int_distribution<int> count(2, 10);
    int checkedPairs = 0;
    int checkedCrossings = 0;
    while (checkedPairs < 60) {
        std::vector<Point> a(static_cast<size_t>(count(rng)));
        std::vector<Point> b(static_cast<size_t>(count(rng)));
        for (Point& p : a) p = Point(coordinate(rng), coordinate(rng));
        for (Point& p : b) p = Point(coordinate(rng), coordinate(rng));
        const std::vector<TrueCrossing> truth = trueCrossings(a, b);
        // transversal only: every crossing at a clear angle, and no near-touch between crossings
        if (std::any_of(truth.begin(), truth.end(), [](const TrueCrossing& c) { return c.sine < 0.2; })) continue;
        const Found f = search(a, b);
        const double tolerance = 0.05;
        for (const TrueCrossing& c : truth) {
            const bool near = std::any_of(f.points.begin(), f.points.end(), [&](const Point& p) {
                return std::hypot(p.x - c.at.x, p.y - c.at.y) <= tolerance;
            });
            EXPECT_TRUE(near) << "crossing at (" << c.at.x << ", " << c.at.y << ") missed, pair " << checkedPairs;
        }
        for (const Point& p : f.points) {
            const bool nearCrossing = std::any_of(truth.begin(), truth.end(), [&](const TrueCrossing& c) {
                return std::hypot(p.x - c.at.x, p.y - c.at.y) <= tolerance;
            });
            EXPECT_TRUE(nearCrossing || (distanceToCurve(a, p) <= tolerance && distanceToCurve(b, p) <= tolerance))
                << "stray point " << p << ", pair " << checkedPairs;
        }
        ++checkedPairs;
        checkedCrossings += static_cast<int>(truth.size());
    }
    EXPECT_GT(checkedCrossings, 60);  // the pairs really cross, most of them more than once
}

// ---------------------------------------------------------------------------------------------------
// The literal baseline: every call takes its storage from the heap, every edge pair goes through
// segmentIntersection. Ordinary pairs find the same points, bit for bit, with the same calls.

TEST(IntersectCurvesBaseline, SeededRandomPairsMatchTheLiteralSearchBitForBit) {
    std::mt19937 rng(1807);
    std::uniform_int_distribution<int> count(2, 10);
    std::uniform_real_distribution<double> unit(-1, 1);
    std::uniform_real_distribution<double> exponent(-3, 7);
    long calls = 0;
    size_t points = 0;
    for (int pair = 0; pair < 300; ++pair) {
        // a size from 1e-3 to 1e7, sometimes far from the origin; every fifth pair a curve and a copy of
        // it moved a little, which run along each other
        const double size = std::pow(10.0, exponent(rng));
        const double cx = pair % 3 == 0 ? std::pow(10.0, exponent(rng)) * unit(rng) : 0;
        std::vector<Point> a(static_cast<size_t>(count(rng)));
        std::vector<Point> b(static_cast<size_t>(count(rng)));
        for (Point& p : a) p = Point(static_cast<float>(cx + size * unit(rng)), static_cast<float>(size * unit(rng)));
        for (Point& p : b) p = Point(static_cast<float>(cx + size * unit(rng)), static_cast<float>(size * unit(rng)));
        if (pair % 5 == 4) {
            b = a;
            for (Point& p : b) p.y = static_cast<float>(p.y + size * 1e-3);
        }
        const Found f = search(a, b);
        std::vector<Point> literalPoints;
        const long literalCalls = literal::intersectCurves(a.data(), static_cast<int>(a.size()), b.data(),
                                                           static_cast<int>(b.size()), literalPoints, 0.01f);
        ASSERT_FALSE(f.stats.budgetExhausted) << "pair " << pair;
        ASSERT_EQ(f.stats.calls, literalCalls) << "pair " << pair;
        ASSERT_EQ(f.points.size(), literalPoints.size()) << "pair " << pair;
        for (size_t i = 0; i < f.points.size(); ++i) {
            ASSERT_TRUE(samePosition(f.points[i], literalPoints[i])) << "pair " << pair << ", point " << i;
        }
        calls += literalCalls;
        points += f.points.size();
    }
    EXPECT_GT(points, 300u);  // the pairs meet, most of them more than once
    EXPECT_GT(calls, 30000);
}

}  // namespace
