#include "hull/hull.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <vector>

#include "bezier/bezier.h"
#include "testing.h"

namespace {

const float qnan = std::numeric_limits<float>::quiet_NaN();
const float inf = std::numeric_limits<float>::infinity();

// --- direction angles ---

struct AngleCase {
    const char* name;
    Point from;
    Point to;
    float expected;  // the exact float result
};

// Straight down prints as -0.0000187 in short form; the float itself is -1.8723973e-05.
const AngleCase angleCases[] = {
    {"PlusX", {0, 0}, {1, 0}, 90.0f},
    {"UpRight", {0, 0}, {1, 1}, 135.000015f},
    {"Up", {0, 0}, {0, 1}, 180.000015f},
    {"UpLeft", {0, 0}, {-1, 1}, 224.999985f},
    {"MinusX", {0, 0}, {-1, 0}, 270.0f},
    {"DownLeft", {0, 0}, {-1, -1}, 315.0f},
    {"Down", {0, 0}, {0, -1}, -1.8723973e-05f},
    {"DownRight", {0, 0}, {1, -1}, 44.9999924f},
    {"SamePoint", {0, 0}, {0, 0}, 0.0f},
    {"SamePointAwayFromOrigin", {3.5f, -7}, {3.5f, -7}, 0.0f},
    {"ShiftedUpRight", {1, 2}, {4, 5}, 135.000015f},
    {"LongUp", {2, -1}, {2, 1000}, 180.000015f},
    // -0 - 0 is -0: the quotient is -inf, and dx < 0 is false, so up comes out as down
    {"UpWithNegativeZeroDx", {0, 0}, {-0.0f, 1}, -1.8723973e-05f},
    // differences beyond the float range: inf / inf has no direction
    {"OverflowingDifferences", {-3e38f, -3e38f}, {3e38f, 3e38f}, qnan},
    {"NanCoordinate", {0, 0}, {qnan, 1}, qnan},
};

class HullDirectionAngle : public ::testing::TestWithParam<AngleCase> {};

TEST_P(HullDirectionAngle, IsTheRoundedDoubleResult) {
    const AngleCase& c = GetParam();
    const float a = directionAngle(c.from, c.to);
    if (std::isnan(c.expected)) {
        EXPECT_TRUE(std::isnan(a)) << a;
    } else {
        EXPECT_EQ(a, c.expected);
        EXPECT_EQ(std::signbit(a), std::signbit(c.expected));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, HullDirectionAngle, ::testing::ValuesIn(angleCases), RowName());

// --- novelty test ---

TEST(HullIsNewPoint, ComparesExactPositionsAmongTheFirstCount) {
    Point sameSpotOtherColour(2, 3);
    sameSpotOtherColour.color = WHITE;
    const Point entries[] = {{0, 0}, sameSpotOtherColour, {-0.0f, 5}, {7, 7}};
    struct Row {
        Point p;
        int count;
        int expected;
    };
    const Row rows[] = {
        {{2, 3}, 0, 1},           // nothing to compare with
        {{2, 3}, -1, 1},          // a negative count is none
        {{2, 3}, 1, 1},           // the match lies beyond count
        {{2, 3}, 2, 0},           // same x and y, colour differs
        {{2, 3.0000002f}, 4, 1},  // one float step away
        {{3, 2}, 4, 1},           // x and y swapped
        {{0, 5}, 4, 0},           // +0 equals -0
        {{7, 7}, 4, 0},           // the last counted entry
        {{7, 7}, 3, 1},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(isNewPoint(r.p, entries, r.count), r.expected) << r.p << " among " << r.count;
    }
    EXPECT_EQ(isNewPoint(Point(1, 1), nullptr, 0), 1);
    const Point nanEntry(qnan, 1);
    EXPECT_EQ(isNewPoint(nanEntry, &nanEntry, 1), 1);  // NaN equals nothing, not even itself
}

// --- hull cases ---

struct HullCase {
    const char* name;
    std::vector<Point> input;
    int count;
    std::vector<Point> expected;  // out's first entries; with count 0, out[0] alone (none when input is empty)
};

const HullCase hullCases[] = {
    {"TriangleLeftCornerFirst", {{0, 0}, {2, 0}, {1, 2}}, 3, {{0, 0}, {1, 2}, {2, 0}}},
    {"TriangleRightCornerFirst", {{2, 0}, {0, 0}, {1, 2}}, 3, {{2, 0}, {0, 0}, {1, 2}}},
    {"StartInsideBottomEdge", {{2, 0}, {0, 0}, {4, 0}, {4, 4}, {0, 4}}, 5, {{2, 0}, {0, 0}, {0, 4}, {4, 4}, {4, 0}}},
    {"MidBottomPointLast", {{0, 0}, {4, 0}, {4, 4}, {0, 4}, {2, 0}}, 4, {{0, 0}, {0, 4}, {4, 4}, {4, 0}}},
    {"Square", {{0, 0}, {0, 2}, {2, 2}, {2, 0}}, 4, {{0, 0}, {0, 2}, {2, 2}, {2, 0}}},
    {"Diamond", {{1, 0}, {0, 1}, {2, 1}, {1, 2}}, 4, {{1, 0}, {0, 1}, {1, 2}, {2, 1}}},
    {"PointInside", {{0, 0}, {2, 0}, {1, 2}, {1, 0.5f}}, 3, {{0, 0}, {1, 2}, {2, 0}}},
    {"Duplicates", {{0, 0}, {2, 0}, {1, 2}, {1, 2}, {0, 0}}, 3, {{0, 0}, {1, 2}, {2, 0}}},
    {"RepeatedTopPoint", {{1, 0}, {0, 1}, {0, 1}}, 2, {{1, 0}, {0, 1}}},
    {"RepeatedTopPointAbove", {{0, 0}, {0, 2}, {0, 2}}, 2, {{0, 0}, {0, 2}}},
    {"CollinearNearPointFirst", {{0, 0}, {1, 1}, {2, 2}, {2, 0}}, 4, {{0, 0}, {1, 1}, {2, 2}, {2, 0}}},
    {"CollinearFarPointFirst", {{0, 0}, {2, 2}, {1, 1}, {2, 0}}, 3, {{0, 0}, {2, 2}, {2, 0}}},
    {"VerticalNearPointFirst", {{0, 0}, {0, 1}, {0, 2}}, 3, {{0, 0}, {0, 1}, {0, 2}}},
    {"VerticalFarPointFirst", {{0, 0}, {0, 2}, {0, 1}}, 2, {{0, 0}, {0, 2}}},
    {"TwoPointsLowFirst", {{0, 0}, {1, 1}}, 2, {{0, 0}, {1, 1}}},
    {"TwoPointsHighFirst", {{1, 1}, {0, 0}}, 2, {{0, 0}, {1, 1}}},
    // on the right side too the lowest index on a ray wins, and a point on the ray to the top never does
    {"RightSideNearPointFirst", {{0, 0}, {0, 4}, {1, 1}, {2, 2}, {1, 3}}, 4, {{0, 0}, {0, 4}, {2, 2}, {1, 1}}},
    {"RightSideFarPointFirst", {{0, 0}, {0, 4}, {2, 2}, {1, 1}, {1, 3}}, 3, {{0, 0}, {0, 4}, {2, 2}}},
    // a horizontal top edge: the left walk runs along it at exactly 90 when the first top point is its right end
    {"TopEdgeRightCornerFirst", {{0, 0}, {2, 2}, {0, 2}}, 3, {{0, 0}, {0, 2}, {2, 2}}},
    {"TopEdgeLeftCornerFirst", {{0, 0}, {0, 2}, {2, 2}}, 3, {{0, 0}, {0, 2}, {2, 2}}},
    {"OnePoint", {{3, 4}}, 0, {{3, 4}}},
    {"AllAtOneHeight", {{0, 0}, {1, 0}, {2, 0}}, 0, {{0, 0}}},
    {"AllAtOneHeightRightFirst", {{2, 0}, {1, 0}, {0, 0}}, 0, {{2, 0}}},
    {"OnePositionTwice", {{1, 1}, {1, 1}}, 0, {{1, 1}}},
    {"NoPoints", {}, 0, {}},
};

constexpr int guardCount = 3;  // entries past out's required size that must stay untouched

Point untouched() {
    Point p(-777, 555);
    p.color = MAGENTA;
    return p;
}

class HullConvexHull : public ::testing::TestWithParam<HullCase> {};

TEST_P(HullConvexHull, GivesTheCornersClockwise) {
    const HullCase& c = GetParam();
    std::vector<Point> input = c.input;
    for (Point& p : input) p.color = CYAN;  // input colours never reach out
    const std::vector<Point> before = input;
    const int n = static_cast<int>(input.size());
    std::vector<Point> out(input.size() + guardCount, untouched());

    const int count = convexHull(input.empty() ? nullptr : input.data(), n, out.data());

    ASSERT_EQ(count, c.count);
    for (size_t i = 0; i < out.size(); ++i) {
        const Point& want = i < c.expected.size() ? c.expected[i] : untouched();
        EXPECT_TRUE(samePosition(out[i], want)) << "entry " << i << ": " << out[i] << ", expected " << want;
        EXPECT_EQ(out[i].color, MAGENTA) << "entry " << i;
    }
    for (size_t i = 0; i < input.size(); ++i) {
        EXPECT_TRUE(samePosition(input[i], before[i]) && input[i].color == CYAN) << "input " << i << " changed";
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, HullConvexHull, ::testing::ValuesIn(hullCases), RowName());

TEST(HullConvexHull, NegativeCountReadsAndWritesNothing) {
    Point out = untouched();
    EXPECT_EQ(convexHull(nullptr, -3, &out), 0);
    EXPECT_TRUE(samePosition(out, untouched()));
}

// --- general position against an independent hull ---

double cross(const Point& o, const Point& a, const Point& b) {
    return (static_cast<double>(a.x) - o.x) * (static_cast<double>(b.y) - o.y) -
           (static_cast<double>(a.y) - o.y) * (static_cast<double>(b.x) - o.x);
}

double distance(const Point& a, const Point& b) {
    return std::hypot(static_cast<double>(a.x) - b.x, static_cast<double>(a.y) - b.y);
}

// Andrew's monotone chain over distinct positions: the strict corners, counter-clockwise.
std::vector<Point> monotoneChainCorners(std::vector<Point> pts) {
    std::sort(pts.begin(), pts.end(),
              [](const Point& a, const Point& b) { return a.x < b.x || (a.x == b.x && a.y < b.y); });
    pts.erase(std::unique(pts.begin(), pts.end(), samePosition), pts.end());
    if (pts.size() < 3) return pts;
    std::vector<Point> hull(2 * pts.size());
    size_t k = 0;
    for (size_t i = 0; i < pts.size(); ++i) {
        while (k >= 2 && cross(hull[k - 2], hull[k - 1], pts[i]) <= 0) --k;
        hull[k++] = pts[i];
    }
    for (size_t i = pts.size() - 1, lower = k + 1; i-- > 0;) {
        while (k >= lower && cross(hull[k - 2], hull[k - 1], pts[i]) <= 0) --k;
        hull[k++] = pts[i];
    }
    hull.resize(k - 1);
    return hull;
}

// Random points, no two at one position and no three close to one line (the angle between any two
// directions from a point stays far above the float resolution of the angles), some on a coarse grid so
// that pairs share a height.
std::vector<Point> generalPosition(std::mt19937& rng, int n) {
    const bool grid = rng() % 2 == 0;
    std::uniform_real_distribution<float> coordinate(-100, 100);
    std::uniform_int_distribution<int> gridCoordinate(0, 40);
    std::vector<Point> pts;
    while (static_cast<int>(pts.size()) < n) {
        const Point p = grid ? Point(static_cast<float>(gridCoordinate(rng)), static_cast<float>(gridCoordinate(rng)))
                             : Point(coordinate(rng), coordinate(rng));
        bool fits = true;
        for (size_t i = 0; i < pts.size() && fits; ++i) {
            if (samePosition(p, pts[i])) fits = false;
            for (size_t j = i + 1; j < pts.size() && fits; ++j) {
                const Point* t[3] = {&p, &pts[i], &pts[j]};
                for (int o = 0; o < 3 && fits; ++o) {
                    const Point& a = *t[o];
                    const Point& b = *t[(o + 1) % 3];
                    const Point& c = *t[(o + 2) % 3];
                    fits = std::fabs(cross(a, b, c)) > 1e-3 * distance(a, b) * distance(a, c);
                }
            }
        }
        if (fits) pts.push_back(p);
    }
    return pts;
}

double signedArea(const Point* p, int count) {
    double twice = 0;
    for (int i = 0; i < count; ++i) {
        const Point& a = p[i];
        const Point& b = p[(i + 1) % count];
        twice += static_cast<double>(a.x) * b.y - static_cast<double>(b.x) * a.y;
    }
    return twice / 2;
}

TEST(HullConvexHullProperty, GeneralPositionGivesExactlyTheCornersClockwise) {
    std::mt19937 rng(20240605);
    for (int trial = 0; trial < 3000; ++trial) {
        std::vector<Point> pts = generalPosition(rng, 3 + static_cast<int>(rng() % 30));
        const std::vector<Point> corners = monotoneChainCorners(pts);
        // every other trial repeats some points at random places: positions, not indices, make the hull
        if (trial % 2 == 1) {
            for (int extra = 1 + static_cast<int>(rng() % 4); extra > 0; --extra) {
                const Point copy = pts[rng() % pts.size()];
                pts.insert(pts.begin() + static_cast<long>(rng() % (pts.size() + 1)), copy);
            }
        }
        const int n = static_cast<int>(pts.size());
        const Point firstLowest =
            *std::min_element(pts.begin(), pts.end(), [](const Point& a, const Point& b) { return a.y < b.y; });

        std::vector<Point> out(pts.size());
        const int count = convexHull(pts.data(), n, out.data());

        SCOPED_TRACE(::testing::Message() << "trial " << trial << ", " << n << " points");
        ASSERT_EQ(count, static_cast<int>(corners.size()));
        EXPECT_TRUE(samePosition(out[0], firstLowest)) << out[0] << " instead of " << firstLowest;
        EXPECT_LT(signedArea(out.data(), count), 0);
        // the corners clockwise, turned to begin where out begins: each corner once, none else, in order
        std::vector<Point> clockwise(corners.rbegin(), corners.rend());
        const auto start =
            std::find_if(clockwise.begin(), clockwise.end(), [&](const Point& c) { return samePosition(c, out[0]); });
        ASSERT_NE(start, clockwise.end());
        std::rotate(clockwise.begin(), start, clockwise.end());
        for (int i = 0; i < count; ++i) EXPECT_TRUE(samePosition(out[i], clockwise[i])) << "entry " << i;
    }
}

// --- non-finite input ---

// Same position, NaN matching NaN: what a written entry must be, bit for bit where it counts.
bool sameCoordinates(const Point& a, const Point& b) {
    auto same = [](float u, float v) { return u == v || (std::isnan(u) && std::isnan(v)); };
    return same(a.x, b.x) && same(a.y, b.y);
}

// Runs the hull into a guarded array and into one of exactly n entries (the latter checked by the address
// sanitizer); returns the count after checking the bounds every input must keep.
int guardedHull(const std::vector<Point>& pts, std::vector<Point>& out) {
    const int n = static_cast<int>(pts.size());
    out.assign(pts.size() + guardCount, untouched());
    const int count = convexHull(pts.data(), n, out.data());
    EXPECT_TRUE(count == 0 || (count >= 2 && count <= n)) << "count " << count << " of " << n;
    for (size_t i = pts.size(); i < out.size(); ++i) {
        EXPECT_TRUE(samePosition(out[i], untouched())) << "guard entry " << i << " overwritten: " << out[i];
    }
    for (int i = 0; i < std::min(count, n); ++i) {
        EXPECT_TRUE(std::any_of(pts.begin(), pts.end(), [&](const Point& p) { return sameCoordinates(p, out[i]); }))
            << out[i] << " is no input point";
    }
    std::unique_ptr<Point[]> exact(new Point[pts.size()]);
    EXPECT_EQ(convexHull(pts.data(), n, exact.get()), count);
    return count;
}

struct NonFiniteCase {
    const char* name;
    std::vector<Point> input;
    int count;
    std::vector<Point> expected;  // the first count entries
};

const NonFiniteCase nonFiniteCases[] = {
    // regression: with the top point's x NaN, the left walk found nothing from (1, 1) and wrote it forever
    {"NanTopPointStallsLeftWalk", {{0, 0}, {1, 1}, {qnan, 2}}, 0, {}},
    {"NanYFirstIsTopAndBottom", {{0, qnan}, {0, 0}, {1, 1}}, 0, {}},
    {"NanYLaterIsIgnored", {{0, 0}, {1, qnan}, {1, 2}, {2, 0}}, 3, {{0, 0}, {1, 2}, {2, 0}}},
    {"NanBottomPoint", {{qnan, 0}, {1, 1}, {2, 2}}, 0, {}},
    // the top straight above the start qualifies (inf / 0 is inf); from (1, 1) nothing beats it
    {"InfiniteTopPoint", {{0, 0}, {1, 1}, {0, inf}}, 3, {{0, 0}, {0, inf}, {1, 1}}},
    {"InfiniteXStillWraps", {{0, 0}, {1, 1}, {inf, 0.5f}}, 3, {{0, 0}, {1, 1}, {inf, 0.5f}}},
    // from an infinitely low start every direction looks straight up: the walks no longer wind clockwise
    {"MinusInfiniteBottom", {{0, -inf}, {1, 1}, {-1, 2}}, 3, {{0, -inf}, {1, 1}, {-1, 2}}},
    // finite, but the difference overflows: inf / inf has no direction, so the top never qualifies
    {"OverflowingDifference", {{-3e38f, -3e38f}, {3e38f, 3e38f}}, 0, {}},
};

class HullNonFinite : public ::testing::TestWithParam<NonFiniteCase> {};

TEST_P(HullNonFinite, EndsWithinTheOutput) {
    const NonFiniteCase& c = GetParam();
    std::vector<Point> out;
    ASSERT_EQ(guardedHull(c.input, out), c.count);
    for (int i = 0; i < c.count; ++i) EXPECT_TRUE(sameCoordinates(out[i], c.expected[i])) << "entry " << i;
}

INSTANTIATE_TEST_SUITE_P(Cases, HullNonFinite, ::testing::ValuesIn(nonFiniteCases), RowName());

TEST(HullNonFinite, RandomMixturesEndWithinTheOutput) {
    const float values[] = {0, 1, -1, 2, 0.5f, qnan, inf, -inf, 3e38f, -3e38f, -0.0f};
    std::mt19937 rng(7);
    for (int trial = 0; trial < 20000; ++trial) {
        std::vector<Point> pts(1 + rng() % 10);
        for (Point& p : pts) p = Point(values[rng() % 11], values[rng() % 11]);
        std::vector<Point> out;
        SCOPED_TRACE(::testing::Message() << "trial " << trial);
        guardedHull(pts, out);
        if (::testing::Test::HasFailure()) break;
    }
}

// --- the walk without arctangents against the walk by float angles ---

// Both walks into outputs filled alike: the same count and the same bits in every entry, guards included.
void expectSameAsWalkByAngles(const std::vector<Point>& pts) {
    const int n = static_cast<int>(pts.size());
    std::vector<Point> fast(pts.size() + guardCount, untouched());
    std::vector<Point> byAngles(pts.size() + guardCount, untouched());
    const int fastCount = convexHull(pts.data(), n, fast.data());
    const int angleCount = convexHullByAngles(pts.data(), n, byAngles.data());
    const bool same = fastCount == angleCount && std::memcmp(fast.data(), byAngles.data(), sizeof(Point) * fast.size()) == 0;
    if (same) return;
    ::testing::Message input;
    for (const Point& p : pts) input << "\n  " << ::testing::PrintToString(p.x) << ", " << ::testing::PrintToString(p.y);
    ADD_FAILURE() << "count " << fastCount << " instead of " << angleCount << " for" << input;
}

// a float a few steps from v
float stepsAway(float v, int steps) {
    for (; steps > 0; --steps) v = std::nextafter(v, inf);
    for (; steps < 0; ++steps) v = std::nextafter(v, -inf);
    return v;
}

float randomScale(std::mt19937& rng) { return std::ldexp(1.0f, static_cast<int>(rng() % 81) - 40); }

// Families of point sets built to bring angle comparisons near a tie.
struct TieFamily {
    const char* name;
    std::vector<Point> (*make)(std::mt19937& rng, int n);
};

const TieFamily tieFamilies[] = {
    {"Scattered",
     [](std::mt19937& rng, int n) {
         std::uniform_real_distribution<float> u(-1, 1);
         const float s = randomScale(rng);
         std::vector<Point> pts(static_cast<size_t>(n));
         for (Point& p : pts) p = Point(u(rng) * s, u(rng) * s);
         return pts;
     }},
    // duplicates, collinear runs, shared heights and exactly equal angles
    {"SmallGrid",
     [](std::mt19937& rng, int n) {
         const float s = randomScale(rng);
         std::vector<Point> pts(static_cast<size_t>(n));
         for (Point& p : pts) p = Point(static_cast<float>(rng() % 5) * s - 2 * s, static_cast<float>(rng() % 5) * s - 2 * s);
         return pts;
     }},
    // coordinates a few float steps apart: directions within rounding of vertical, horizontal and each other
    {"FewStepsApart",
     [](std::mt19937& rng, int n) {
         const float bx = (rng() % 2 ? 1 : -1) * randomScale(rng) * 1.5f;
         const float by = rng() % 3 == 0 ? 0.0f : (rng() % 2 ? 1 : -1) * randomScale(rng);
         const bool wideX = rng() % 3 == 0;
         const bool wideY = rng() % 3 == 0;
         std::uniform_real_distribution<float> u(-1, 1);
         std::vector<Point> pts(static_cast<size_t>(n));
         for (Point& p : pts) {
             p = Point(wideX ? u(rng) : stepsAway(bx, static_cast<int>(rng() % 9) - 4),
                       wideY ? u(rng) : stepsAway(by, static_cast<int>(rng() % 9) - 4));
         }
         return pts;
     }},
    // points along a few rays from one point, each moved by a float step or two: equal and nearly equal angles
    {"RaysFromOnePoint",
     [](std::mt19937& rng, int n) {
         std::uniform_real_distribution<float> u(-1, 1);
         const float s = randomScale(rng);
         const Point origin(u(rng) * s, u(rng) * s);
         const int rays = 1 + static_cast<int>(rng() % 3);
         std::vector<Point> directions;
         for (int r = 0; r < rays; ++r) {
             // exactly vertical or horizontal rays now and then, and their neighbours
             const int kind = static_cast<int>(rng() % 4);
             directions.push_back(kind == 0 ? Point(0, u(rng)) : kind == 1 ? Point(u(rng), 0) : Point(u(rng), u(rng)));
         }
         std::vector<Point> pts(static_cast<size_t>(n));
         for (Point& p : pts) {
             const Point& d = directions[rng() % directions.size()];
             const float along = static_cast<float>(1 + rng() % 1000) * 0.37f * s;
             p = Point(stepsAway(origin.x + along * d.x, static_cast<int>(rng() % 5) - 2),
                       stepsAway(origin.y + along * d.y, static_cast<int>(rng() % 5) - 2));
         }
         return pts;
     }},
    // control polygons of deep halves of random curves: nearly straight, as the search meets them
    {"DeepHalves",
     [](std::mt19937& rng, int n) {
         std::uniform_real_distribution<float> u(-1, 1);
         const float s = randomScale(rng);
         std::vector<Point> pts(static_cast<size_t>(n));
         for (Point& p : pts) p = Point(u(rng) * s, u(rng) * s);
         std::vector<Point> left(pts.size());
         std::vector<Point> right(pts.size());
         for (int level = static_cast<int>(rng() % 30); level > 0; --level) {
             splitBezier(pts.data(), n, 0.5f, left.data(), right.data());
             pts = rng() % 2 ? left : right;
         }
         return pts;
     }},
    // beyond 1e38 the differences may overflow, and subnormal differences are the smallest there are
    {"HugeAndTiny",
     [](std::mt19937& rng, int n) {
         const float values[] = {3.4e38f, -3.4e38f, 1e38f, -1e38f, 9.9e37f, 1e-45f, -1e-45f, 3e-45f, 0, -0.0f, 1};
         std::vector<Point> pts(static_cast<size_t>(n));
         for (Point& p : pts) p = Point(values[rng() % 11], values[rng() % 11]);
         return pts;
     }},
};

std::ostream& operator<<(std::ostream& os, const TieFamily& f) { return os << f.name; }

class HullWithoutArctangents : public ::testing::TestWithParam<TieFamily> {};

TEST_P(HullWithoutArctangents, MatchesTheWalkByAnglesBitForBit) {
    std::mt19937 rng(4242);
    for (int trial = 0; trial < 2000; ++trial) {
        expectSameAsWalkByAngles(GetParam().make(rng, 1 + static_cast<int>(rng() % maxControlPoints)));
        if (::testing::Test::HasFailure()) break;
    }
}

// Three points take a shortcut of their own when their heights differ: every family, three points at a time.
TEST_P(HullWithoutArctangents, MatchesTheWalkByAnglesOnThreePoints) {
    std::mt19937 rng(333);
    for (int trial = 0; trial < 20000; ++trial) {
        expectSameAsWalkByAngles(GetParam().make(rng, 3));
        if (::testing::Test::HasFailure()) break;
    }
}

// Four points take a shortcut of their own in general position, certified for the whole set: every family,
// four points at a time, near ties of directions and of corners included.
TEST_P(HullWithoutArctangents, MatchesTheWalkByAnglesOnFourPoints) {
    std::mt19937 rng(4444);
    for (int trial = 0; trial < 20000; ++trial) {
        expectSameAsWalkByAngles(GetParam().make(rng, 4));
        if (::testing::Test::HasFailure()) break;
    }
}

INSTANTIATE_TEST_SUITE_P(Families, HullWithoutArctangents, ::testing::ValuesIn(tieFamilies),
                         [](const ::testing::TestParamInfo<TieFamily>& f) { return std::string(f.param.name); });

// Every set of three and of four points on a small grid whose values hold both zeros, a value one float step
// from another and values whose directions tie exactly or within rounding: duplicates, collinear runs, shared
// heights, vertical and horizontal directions, and every order of them. Each goes through the walk by
// orientation first, which must give up on every close call it cannot decide.
TEST(HullWithoutArctangents, MatchesOnEverySmallGridSet) {
    const float xs[] = {-1, -0.0f, 0, 1, stepsAway(1, 1), 3};
    const float ys[] = {0, 1, stepsAway(1, 1), 2};
    std::vector<Point> grid;
    for (float x : xs) {
        for (float y : ys) grid.push_back(Point(x, y));
    }
    const size_t g = grid.size();
    for (size_t a = 0; a < g; ++a) {
        for (size_t b = 0; b < g; ++b) {
            for (size_t c = 0; c < g; ++c) {
                expectSameAsWalkByAngles({grid[a], grid[b], grid[c]});
                for (size_t d = 0; d < g; ++d) expectSameAsWalkByAngles({grid[a], grid[b], grid[c], grid[d]});
                if (::testing::Test::HasFailure()) return;
            }
        }
    }
}

// Five to twelve points on a coarse grid, each coordinate moved by up to a float step now and then: the ties
// and near-ties of larger sets, with the lowest index deciding between points on one ray near and far.
TEST(HullWithoutArctangents, MatchesOnGridSetsOfUpToTwelvePoints) {
    std::mt19937 rng(2718);
    const float values[] = {-2, -1, -0.0f, 0, 1, 2};
    for (int trial = 0; trial < 200000; ++trial) {
        const int n = 5 + static_cast<int>(rng() % 8);
        std::vector<Point> pts(static_cast<size_t>(n));
        for (Point& p : pts) {
            p = Point(values[rng() % 6], values[rng() % 6]);
            if (rng() % 4 == 0) p.x = stepsAway(p.x, static_cast<int>(rng() % 3) - 1);
            if (rng() % 4 == 0) p.y = stepsAway(p.y, static_cast<int>(rng() % 3) - 1);
        }
        expectSameAsWalkByAngles(pts);
        if (::testing::Test::HasFailure()) break;
    }
}

TEST(HullWithoutArctangents, MatchesAtNamedTies) {
    const std::vector<std::vector<Point>> sets = {
        // (1, 1) and (16777215, 16777216) differ by 3e-8 radians: one float angle, so the lower index stays
        {{0, 0}, {16777215, 16777216}, {1, 1}, {-1, 2e7f}},
        {{0, 0}, {1, 1}, {16777215, 16777216}, {-1, 2e7f}},
        // just left and just right of straight up: the conversion factor puts left below right
        {{0, 0}, {1e-6f, 1}, {-1e-6f, 1}, {0, 2}},
        {{0, 0}, {-1e-6f, 1}, {1e-6f, 1}, {0, 2}},
        {{0, 0}, {1e-7f, 1}, {-1e-7f, 1}, {1, 1}, {-1, 1}},
        // straight up with a negative zero difference counts as straight down
        {{0, 0}, {-0.0f, 1}, {1, 0.5f}, {-1, 0.5f}},
        {{-0.0f, 0}, {0, 1}, {1, 0.5f}, {-1, 0.5f}},
        // just below the horizontal to the left and to the right: at the walks' limits 270 and 90
        {{0, 0}, {1, 2}, {-1, 1e-8f}, {-1, -1e-8f}, {1, -1e-8f}},
        {{0, 1e-8f}, {-1, 0}, {1, 0}, {0, 1}},
        {{0, -1e-8f}, {-1, 0}, {1, 0}, {0, 1}},
        // nearly straight down from a vertex of the right walk
        {{0, 0}, {1e-7f, -1}, {1, 1}, {0, 3}, {1e-7f, 2}},
        // a second point at the lowest position: from the far left corner at the top's height it has the top's
        // float angle and a lower index, so only leaving out the positions already taken keeps it out
        {{0, 0}, {0, 0}, {1e8f, 1}, {-1e8f, 1}, {3, 0.5f}},
    };
    for (const std::vector<Point>& pts : sets) expectSameAsWalkByAngles(pts);
}

TEST(HullWithoutArctangents, MatchesOnTwoPointsInEveryOrder) {
    const std::vector<std::vector<Point>> pairs = {
        {{0, 0}, {1, 2}}, {{0, 0}, {-1, 2}}, {{0, 0}, {1, 0}}, {{0, 0}, {0, 2}},
        {{0, 0}, {-0.0f, 2}},  // the difference along x is -0: straight down, and the walk gives no polygon
        {{-0.0f, 0}, {0, 2}}, {{2, 2}, {2, 2}},
    };
    for (const std::vector<Point>& pts : pairs) {
        expectSameAsWalkByAngles(pts);
        expectSameAsWalkByAngles({pts[1], pts[0]});
    }
}

TEST(HullWithoutArctangents, MatchesOnThreePointsInEveryOrder) {
    const std::vector<std::vector<Point>> triangles = {
        {{0, 0}, {-1, 1}, {0.5f, 2}},           // middle point on the left
        {{0, 0}, {1, 1}, {-0.5f, 2}},           // middle point on the right
        {{0, 0}, {1, 1}, {2, 2}},               // one line: one float angle
        {{0, 0}, {1, 1}, {16777215, 16777216}}, // one float angle, different directions
        {{0, 0}, {1, 1e-7f}, {-1, 2e-7f}},      // nearly horizontal on both sides
        {{0, 0}, {0, 1}, {1, 2}},               // middle point straight above the lowest
        {{0, 0}, {-0.0f, 1}, {1, 2}},           // the same with a negative zero
        {{0, 0}, {1, 1}, {0, 2}},               // top point straight above the lowest
        {{0, 0}, {1, 0}, {0.5f, 2}},            // two at the bottom height
        {{0, 0}, {-1, 0}, {-5, 1e-7f}},         // two at the bottom, the top nearly straight -x of the first
        {{0, 0}, {1, 0}, {5, 1e-7f}},           // two at the bottom, the top nearly straight +x
        {{0, 0}, {-1, 0}, {3, 1e-30f}},         // the top nearly straight +x, the other low point to the left
        {{0, 0}, {1, 2}, {-1, 2}},              // two at the top height
        {{3, 3}, {3, 3}, {4, 5}},               // a repeated point
        {{1, 0}, {0, 1}, {-0.0f, 2}},           // zeros of both signs along x
    };
    for (std::vector<Point> pts : triangles) {
        std::sort(pts.begin(), pts.end(), [](const Point& a, const Point& b) {
            return a.x != b.x ? a.x < b.x : a.y < b.y;
        });
        do {
            expectSameAsWalkByAngles(pts);
        } while (std::next_permutation(pts.begin(), pts.end(), [](const Point& a, const Point& b) {
            return a.x != b.x ? a.x < b.x : a.y < b.y;
        }));
    }
}

// Four points take their own walk when their x all differ: shapes from the lowest point with the other two on
// either side of the top's direction or on it, each in all 24 orders and mirrored left for right, so that
// every tie between indices and every branch of that walk is met.
TEST(HullWithoutArctangents, MatchesOnFourPointsInEveryOrder) {
    const std::vector<std::vector<Point>> quadrilaterals = {
        {{0, 0}, {1, 0.5f}, {2, 0.5f}, {3, 1}},         // thin, one point on each side of the diagonal
        {{0, 0}, {1, 0.6f}, {2, 0.9f}, {3, 1}},         // both on one side, both corners
        {{0, 0}, {1, 0.6f}, {2, 0.75f}, {3, 1}},        // both on one side, the farther one inside
        {{0, 0}, {1, 0.1f}, {2, 0.4f}, {3, 1}},         // both on one side, bent the other way
        {{0, 0}, {1, 1}, {2, 2}, {3, 3}},               // one line: one float angle from every point
        {{0, 0}, {1, 1}, {2, 2.5f}, {3, 3}},            // two on the ray to the top, one off it
        {{0, 0}, {1, 1}, {2, 1.5f}, {3, 3}},
        {{0, 0}, {1, 1}, {2, 3}, {-1, 2}},              // the top between the others
        {{0, 0}, {2, 0}, {1, 1}, {3, 1.5f}},            // two at the lowest height
        {{0, 0}, {3, 0}, {1, 1}, {2, 1}},               // two at the lowest and two at the highest
        {{0, 0}, {1, 2}, {2, 2}, {3, 1}},               // two at the highest height
        {{0, 0}, {1, 1e-7f}, {2, 3e-7f}, {3, 3e-7f}},   // nearly flat
        {{0, 0}, {1, 1}, {16777215, 16777216}, {-1, 2e7f}},  // one float angle, different directions
        // a deep piece of a curve far from the origin, on the float grid there: its collinear control points
        {{0x1.86a174p+16f, 0x1.86a502p+16f},
         {0x1.86a192p+16f, 0x1.86a4f8p+16f},
         {0x1.86a1bp+16f, 0x1.86a4eep+16f},
         {0x1.86a1cep+16f, 0x1.86a4e6p+16f}},
        // rounded differences put the other point a little below the horizontal from the second corner, where
        // only its float angle tells whether it lies within the walk's limit
        {{1e38f, -1e38f}, {1, 1e-45f}, {1e-45f, -1e-45f}, {0, 1e38f}},
        {{-1e38f, 1}, {0, 3e-45f}, {1e38f, -1e38f}, {1, -0.0f}},
    };
    for (const std::vector<Point>& shape : quadrilaterals) {
        for (const float mirror : {1.0f, -1.0f}) {
            int order[] = {0, 1, 2, 3};
            do {
                std::vector<Point> pts;
                for (int i : order) {
                    const Point& p = shape[static_cast<size_t>(i)];
                    pts.push_back(Point(mirror * p.x, p.y));
                }
                expectSameAsWalkByAngles(pts);
            } while (std::next_permutation(order, order + 4));
        }
    }
}

}  // namespace
