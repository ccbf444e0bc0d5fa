#include "bezier/bezier.h"

#include <cmath>
#include <cstdint>
#include <iterator>
#include <random>
#include <vector>

#include "testing.h"

namespace {

Point colored(float x, float y, int color) {
    Point p(x, y);
    p.color = color;
    return p;
}

// de Casteljau in long double, independent of the code under test: the curve point at t, and (optionally)
// the first and last point of every level, which are the control points of the two halves
struct Wide {
    long double x, y;
};
Wide reference(const std::vector<Point>& p, long double t, std::vector<Wide>* left = nullptr,
               std::vector<Wide>* right = nullptr) {
    std::vector<Wide> row;
    for (const Point& q : p) row.push_back({q.x, q.y});
    for (size_t size = row.size(); size > 0; --size) {
        if (left) left->push_back(row[0]);
        if (right) right->push_back(row[size - 1]);
        for (size_t k = 0; k + 1 < size; ++k) {
            row[k] = {(1 - t) * row[k].x + t * row[k + 1].x, (1 - t) * row[k].y + t * row[k + 1].y};
        }
    }
    return row[0];
}

bool equals(const Point& p, const Wide& w) { return p.x == w.x && p.y == w.y; }
bool near(const Wide& a, const Wide& b, long double tolerance) {
    return std::fabs(a.x - b.x) <= tolerance && std::fabs(a.y - b.y) <= tolerance;
}
bool near(const Point& p, const Wide& w, long double tolerance) { return near(Wide{p.x, p.y}, w, tolerance); }

// n points with integer coordinates in [-amplitude, amplitude]: dyadic arithmetic on them stays exact
std::vector<Point> integerPolygon(int n, int amplitude) {
    std::vector<Point> p;
    for (int k = 0; k < n; ++k) {
        p.push_back(Point(static_cast<float>((k * 7 + 3) % (2 * amplitude + 1) - amplitude),
                          static_cast<float>((k * k * 5 + 1) % (2 * amplitude + 1) - amplitude)));
    }
    return p;
}

// n points with non-dyadic coordinates in [-amplitude, amplitude], first point GREEN, last point CYAN
std::vector<Point> wavyPolygon(int n, float amplitude) {
    std::vector<Point> p;
    for (int k = 0; k < n; ++k) {
        p.push_back(Point(amplitude * static_cast<float>(std::sin(k * 1.7 + 0.3)),
                          amplitude * static_cast<float>(std::cos(k * 2.3))));
    }
    p.front().color = GREEN;
    p.back().color = CYAN;
    return p;
}

TEST(BezierFactorial, SmallArgumentsAndBelowOne) {
    const int rows[][2] = {{-3, 1}, {0, 1}, {1, 1}, {5, 120}, {10, 3628800}, {12, 479001600}};
    for (const auto& row : rows) EXPECT_EQ(factorial(row[0]), row[1]) << row[0] << "!";
}

// at t = 1/2 every basis value is C(n, i) / 2^n exactly, so this checks every coefficient a polygon of up
// to maxControlPoints points can need, on both sides of the switch from 32-bit factorials to 64-bit
TEST(BezierBernstein, CoefficientsAtHalfAreBinomials) {
    std::vector<std::uint64_t> pascal = {1};
    for (int n = 0; n < maxControlPoints; ++n) {
        for (int i = 0; i <= n; ++i) {
            EXPECT_EQ(bernstein(n, i, 0.5f), std::ldexp(static_cast<double>(pascal[i]), -n)) << n << " " << i;
        }
        std::vector<std::uint64_t> next(pascal.size() + 1, 1);
        for (size_t i = 1; i < pascal.size(); ++i) next[i] = pascal[i - 1] + pascal[i];
        pascal = next;
    }
    EXPECT_EQ(bernstein(5, -1, 0.5f), 0.0);  // no basis function of these indices
    EXPECT_EQ(bernstein(5, 6, 0.5f), 0.0);
}

TEST(BezierBernstein, DegreeTwelveCentreCoefficientIs924) {
    EXPECT_EQ(bernstein(12, 6, 0.5f), 924.0 / 4096.0);
    EXPECT_EQ(bernstein(12, 6, 0.25f), 924.0 * 729.0 / 16777216.0);  // 924 (3/4)^6 (1/4)^6
}

// 2^-25 is below half an ulp of 1 in float: 1 - t would round to 1 if it were formed in float
TEST(BezierBernstein, OneMinusTIsFormedInDouble) {
    const float t = std::ldexp(1.0f, -25);
    EXPECT_EQ(bernstein(1, 0, t), 1.0 - std::ldexp(1.0, -25));
    EXPECT_EQ(bernstein(1, 1, t), std::ldexp(1.0, -25));
}

// at t = 1/2 the terms are 1, 2^-24 and 2^-24: each addition to 1 is a tie that rounds back to 1, whereas one
// rounding of the whole sum (or summing from the last term) would give 1 + 2^-23
TEST(BezierPoint, SumIsRoundedAfterEveryTerm) {
    const Point p[] = {Point(4, 0), Point(std::ldexp(1.0f, -23), 0), Point(std::ldexp(1.0f, -22), 0)};
    EXPECT_EQ(bezierPoint(p, 3, 0.5f).x, 1.0f);
}

TEST(BezierPoint, EndsAreTheEndControlPoints) {
    for (int n : {1, 2, 7, 13, 14, 20, 32}) {
        const std::vector<Point> p = wavyPolygon(n, 7.3f);
        const Point start = bezierPoint(p.data(), n, 0.0f);
        const Point end = bezierPoint(p.data(), n, 1.0f);
        EXPECT_TRUE(samePosition(start, p.front())) << n << " points: " << start;
        EXPECT_TRUE(samePosition(end, p.back())) << n << " points: " << end;
        EXPECT_EQ(start.color, BLACK);
        EXPECT_EQ(end.color, BLACK);
    }
}

// integer control points at t = 1/2: every term and every partial sum is exact in float
TEST(BezierPoint, DyadicCurvesAreExactAtHalf) {
    for (int n : {3, 12, 13, 14, 16}) {
        const std::vector<Point> p = integerPolygon(n, 100);
        const Point m = bezierPoint(p.data(), n, 0.5f);
        EXPECT_TRUE(equals(m, reference(p, 0.5L))) << n << " points: " << m;
    }
}

struct SplitCase {
    std::string name;
    std::vector<Point> input;
    float t;
    std::vector<Point> left;
    std::vector<Point> right;
};

const SplitCase splitCases[] = {
    {"OnePoint", {colored(2.5f, -1, GREEN)}, 0.5f, {colored(2.5f, -1, GREEN)}, {colored(2.5f, -1, GREEN)}},
    {"TwoPointsAtHalf",
     {colored(1, 2, BLUE), colored(4, -6, CYAN)},
     0.5f,
     {colored(1, 2, BLUE), colored(2.5f, -2, 0)},
     {colored(4, -6, CYAN), colored(2.5f, -2, 0)}},
    {"ThreePointsAtHalf",
     {colored(0, 0, GREEN), colored(2, 4, MAGENTA), colored(4, 0, ORANGE)},
     0.5f,
     {colored(0, 0, GREEN), colored(1, 2, 0), colored(2, 2, 0)},
     {colored(4, 0, ORANGE), colored(3, 2, 0), colored(2, 2, 0)}},
    // off the middle, so t and 1 - t cannot be mistaken for each other
    {"ThreePointsAtQuarter",
     {colored(0, 0, GREEN), colored(4, 8, MAGENTA), colored(8, 0, ORANGE)},
     0.25f,
     {colored(0, 0, GREEN), colored(1, 2, 0), colored(2, 3, 0)},
     {colored(8, 0, ORANGE), colored(5, 6, 0), colored(2, 3, 0)}},
    {"FourPointsAtZero",
     {colored(0.1f, -3.7f, GREEN), colored(1.3f, 2.9f, BLUE), colored(-4.1f, 0.7f, WHITE), colored(5.5f, 6.1f, CYAN)},
     0.0f,
     {colored(0.1f, -3.7f, GREEN), colored(0.1f, -3.7f, 0), colored(0.1f, -3.7f, 0), colored(0.1f, -3.7f, 0)},
     {colored(5.5f, 6.1f, CYAN), colored(-4.1f, 0.7f, 0), colored(1.3f, 2.9f, 0), colored(0.1f, -3.7f, 0)}},
    {"FourPointsAtOne",
     {colored(0.1f, -3.7f, GREEN), colored(1.3f, 2.9f, BLUE), colored(-4.1f, 0.7f, WHITE), colored(5.5f, 6.1f, CYAN)},
     1.0f,
     {colored(0.1f, -3.7f, GREEN), colored(1.3f, 2.9f, 0), colored(-4.1f, 0.7f, 0), colored(5.5f, 6.1f, 0)},
     {colored(5.5f, 6.1f, CYAN), colored(5.5f, 6.1f, 0), colored(5.5f, 6.1f, 0), colored(5.5f, 6.1f, 0)}},
};

class SplitBezierCases : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitBezierCases, GivesBothHalvesWithColourCodes) {
    const SplitCase& c = GetParam();
    const int n = static_cast<int>(c.input.size());
    std::vector<Point> left(n), right(n);
    EXPECT_EQ(splitBezier(c.input.data(), n, c.t, left.data(), right.data()), 1);
    for (int j = 0; j < n; ++j) {
        EXPECT_TRUE(samePosition(left[j], c.left[j]) && left[j].color == c.left[j].color) << j << ": " << left[j];
        EXPECT_TRUE(samePosition(right[j], c.right[j]) && right[j].color == c.right[j].color) << j << ": " << right[j];
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, SplitBezierCases, ::testing::ValuesIn(splitCases), RowName());

// integer control points at dyadic t: every level is exact in float, so the halves must match exactly
TEST(SplitBezier, DyadicSplitsAreExact) {
    struct Row {
        int n;
        float t;
        int amplitude;  // small enough that numerators over 2^(levels * bits of t) fit in 24 bits
    };
    const Row rows[] = {{10, 0.5f, 50}, {10, 0.25f, 50}, {20, 0.5f, 20}};
    for (const Row& row : rows) {
        std::vector<Point> p = integerPolygon(row.n, row.amplitude);
        p.front().color = BLUE;
        p.back().color = PURPLE;
        std::vector<Point> left(row.n), right(row.n);
        std::vector<Wide> wantLeft, wantRight;
        reference(p, row.t, &wantLeft, &wantRight);
        splitBezier(p.data(), row.n, row.t, left.data(), right.data());
        for (int j = 0; j < row.n; ++j) {
            EXPECT_TRUE(equals(left[j], wantLeft[j])) << row.n << " at " << row.t << ", left " << j << left[j];
            EXPECT_TRUE(equals(right[j], wantRight[j])) << row.n << " at " << row.t << ", right " << j << right[j];
            EXPECT_EQ(left[j].color, j == 0 ? BLUE : 0);
            EXPECT_EQ(right[j].color, j == 0 ? PURPLE : 0);
        }
    }
}

// two points a, b: the split point t b + (1 - t) a is formed in double and rounded to float once
TEST(SplitBezier, SplitPointIsRoundedOnce) {
    struct Row {
        const char* why;
        float a, b, t, split;
    };
    const Row rows[] = {
        // 3/4 a = 3/4 + 1.5 ulp and b/4 = -0.25 ulp: rounding the product first would give 3/4 + 2 ulp
        {"products in double", 1.0f + std::ldexp(1.0f, -23), -std::ldexp(1.0f, -24), 0.25f,
         0.75f + std::ldexp(1.0f, -24)},
        // exact 1 + 2^-24 is a tie that rounds to 1; with 1 - t rounded to 1 in float, 1 + 0.75 ulp rounds up
        {"1 - t in double", 1.0f, 3.0f, std::ldexp(1.0f, -25), 1.0f},
    };
    for (const Row& row : rows) {
        const Point p[] = {Point(row.a, 0), Point(row.b, 0)};
        Point left[2], right[2];
        splitBezier(p, 2, row.t, left, right);
        EXPECT_EQ(left[1].x, row.split) << row.why;
        EXPECT_EQ(right[1].x, row.split) << row.why;
    }
}

TEST(SplitBezier, CountsOutsideTheRangeWriteNothing) {
    const std::vector<Point> p = wavyPolygon(maxControlPoints + 1, 1.0f);
    const Point sentinel = colored(99, 99, MAGENTA);
    for (int n : {0, -3, maxControlPoints + 1}) {
        std::vector<Point> left(p.size(), sentinel), right(p.size(), sentinel);
        EXPECT_EQ(splitBezier(p.data(), n, 0.5f, left.data(), right.data()), n > 0 ? 0 : 1) << n;
        for (size_t j = 0; j < p.size(); ++j) {
            EXPECT_TRUE(samePosition(left[j], sentinel) && left[j].color == MAGENTA) << n;
            EXPECT_TRUE(samePosition(right[j], sentinel) && right[j].color == MAGENTA) << n;
        }
    }
}

// Every point of every level is t b + (1 - t) a of the two points below it, formed in double and rounded to
// float before the next level reads it, for x and y alike: random polygons of every count, split at a half
// and elsewhere, against that rule followed one coordinate at a time.
TEST(SplitBezier, EveryLevelRoundsEachCoordinateOnce) {
    std::mt19937 rng(2026);
    std::uniform_real_distribution<float> coordinate(-1000, 1000);
    for (int trial = 0; trial < 3000; ++trial) {
        const int n = 1 + trial % maxControlPoints;
        const float t = trial % 3 == 0 ? 0.5f : std::uniform_real_distribution<float>(-0.5f, 1.5f)(rng);
        std::vector<Point> p(static_cast<size_t>(n));
        for (Point& q : p) q = Point(coordinate(rng), coordinate(rng) * (trial % 5 == 0 ? 1e-30f : 1.0f));
        std::vector<float> x, y;
        for (const Point& q : p) {
            x.push_back(q.x);
            y.push_back(q.y);
        }
        std::vector<Point> left(p.size()), right(p.size());
        ASSERT_EQ(splitBezier(p.data(), n, t, left.data(), right.data()), 1);
        const double td = t;
        for (int level = 0; level < n; ++level) {
            const size_t last = static_cast<size_t>(n - 1 - level);
            ASSERT_EQ(left[size_t(level)].x, x[0]) << "trial " << trial << " level " << level;
            ASSERT_EQ(left[size_t(level)].y, y[0]) << "trial " << trial << " level " << level;
            ASSERT_EQ(right[size_t(level)].x, x[last]) << "trial " << trial << " level " << level;
            ASSERT_EQ(right[size_t(level)].y, y[last]) << "trial " << trial << " level " << level;
            for (size_t k = 0; k < last; ++k) {
                x[k] = static_cast<float>(td * x[k + 1] + (1.0 - td) * x[k]);
                y[k] = static_cast<float>(td * y[k + 1] + (1.0 - td) * y[k]);
            }
        }
    }
}

// The boxes given with the halves are those of the halves' points, each bound the first point's coordinate
// replaced by every later one strictly beyond it: of +0 and -0 the earlier stays, which a box made by
// comparisons in another order could miss.
TEST(SplitBezier, BoxesAreThoseOfTheHalves) {
    // the box of n points, by the rule above, one coordinate at a time
    const auto boxOf = [](const std::vector<Point>& p, int n, double box[4]) {
        float loX = p[0].x, hiX = p[0].x, loY = p[0].y, hiY = p[0].y;
        for (size_t i = 1; i < static_cast<size_t>(n); ++i) {
            if (p[i].x < loX) loX = p[i].x;
            if (p[i].x > hiX) hiX = p[i].x;
            if (p[i].y < loY) loY = p[i].y;
            if (p[i].y > hiY) hiY = p[i].y;
        }
        box[0] = loX;
        box[1] = hiX;
        box[2] = loY;
        box[3] = hiY;
    };
    std::mt19937 rng(8);
    std::uniform_int_distribution<int> grid(-2, 2);
    for (int trial = 0; trial < 4000; ++trial) {
        const int n = 1 + trial % maxControlPoints;
        std::vector<Point> p(static_cast<size_t>(n));
        for (Point& q : p) {
            // coarse values, many of them zeros of either sign, and now and then a wide spread
            q = Point(static_cast<float>(grid(rng)) * (trial % 7 == 0 ? 1e20f : 0.5f), static_cast<float>(grid(rng)));
            if (q.x == 0 && rng() % 2) q.x = -0.0f;
            if (q.y == 0 && rng() % 2) q.y = -0.0f;
        }
        std::vector<Point> left(p.size()), right(p.size()), plainLeft(p.size()), plainRight(p.size());
        double leftBox[4], rightBox[4], expectedLeft[4], expectedRight[4];
        ASSERT_EQ(splitBezier(p.data(), n, 0.5f, left.data(), right.data(), leftBox, rightBox), 1);
        splitBezier(p.data(), n, 0.5f, plainLeft.data(), plainRight.data());
        boxOf(left, n, expectedLeft);
        boxOf(right, n, expectedRight);
        for (int k = 0; k < 4; ++k) {
            ASSERT_EQ(std::signbit(leftBox[k]), std::signbit(expectedLeft[k])) << "trial " << trial << " bound " << k;
            ASSERT_EQ(leftBox[k], expectedLeft[k]) << "trial " << trial << " bound " << k;
            ASSERT_EQ(std::signbit(rightBox[k]), std::signbit(expectedRight[k])) << "trial " << trial << " bound " << k;
            ASSERT_EQ(rightBox[k], expectedRight[k]) << "trial " << trial << " bound " << k;
        }
        for (size_t i = 0; i < p.size(); ++i) {  // the halves themselves as without the boxes
            ASSERT_TRUE(samePosition(left[i], plainLeft[i]) && samePosition(right[i], plainRight[i])) << trial;
        }
    }
}

TEST(SplitBezier, EitherHalfMayOverwriteTheInput) {
    const std::vector<Point> p = wavyPolygon(maxControlPoints, 3.0f);
    std::vector<Point> left(p.size()), right(p.size());
    splitBezier(p.data(), maxControlPoints, 0.3f, left.data(), right.data());
    std::vector<Point> inPlace = p, other(p.size());
    splitBezier(inPlace.data(), maxControlPoints, 0.3f, inPlace.data(), other.data());
    for (int j = 0; j < maxControlPoints; ++j) EXPECT_TRUE(samePosition(inPlace[j], left[j])) << j;
    inPlace = p;
    splitBezier(inPlace.data(), maxControlPoints, 0.3f, other.data(), inPlace.data());
    for (int j = 0; j < maxControlPoints; ++j) EXPECT_TRUE(samePosition(inPlace[j], right[j])) << j;
}

// Beyond the exact cases: polygons up to maxControlPoints points with non-dyadic coordinates, against the
// long double construction. Every float store rounds by at most 2^-24 of a value no larger than the
// amplitude (all weights are non-negative and sum to 1), and there are fewer than n stores on any path, so
// n * amplitude * 2^-22 leaves a factor of four.
struct DegreeCase {
    std::string name;
    int n;
    float amplitude;
};

class BezierHighDegree : public ::testing::TestWithParam<DegreeCase> {
protected:
    std::vector<Point> p = wavyPolygon(GetParam().n, GetParam().amplitude);
    long double tolerance =
        std::ldexp(static_cast<long double>(GetParam().n) * static_cast<long double>(GetParam().amplitude), -22);
};

TEST_P(BezierHighDegree, EvaluationFollowsTheCurve) {
    for (float t : {0.002f, 0.1f, 0.3f, 0.5f, 0.77f, 0.998f}) {
        const Point b = bezierPoint(p.data(), GetParam().n, t);
        EXPECT_TRUE(near(b, reference(p, t), tolerance)) << "t = " << t << ": " << b;
    }
}

TEST_P(BezierHighDegree, HalvesReproduceTheCurve) {
    const int n = GetParam().n;
    for (float t : {0.5f, 0.3f, 0.875f}) {
        std::vector<Point> left(n), right(n);
        std::vector<Wide> wantLeft, wantRight;
        reference(p, t, &wantLeft, &wantRight);
        splitBezier(p.data(), n, t, left.data(), right.data());
        EXPECT_TRUE(samePosition(left[0], p.front()) && samePosition(right[0], p.back()));
        EXPECT_TRUE(samePosition(left[n - 1], right[n - 1])) << "both halves end in the split point";
        EXPECT_EQ(left[0].color, GREEN);
        EXPECT_EQ(right[0].color, CYAN);
        for (int j = 0; j < n; ++j) {
            EXPECT_TRUE(near(left[j], wantLeft[j], tolerance)) << "t = " << t << ", left " << j << left[j];
            EXPECT_TRUE(near(right[j], wantRight[j], tolerance)) << "t = " << t << ", right " << j << right[j];
        }
        // the left half at u is the curve at t u; the right half, from the far end, is the curve at 1 - (1 - t) u
        for (long double u : {0.0L, 0.2L, 0.5L, 0.9L, 1.0L}) {
            EXPECT_TRUE(near(reference(left, u), reference(p, t * u), tolerance)) << "t = " << t << ", u = " << u;
            EXPECT_TRUE(near(reference(right, u), reference(p, 1 - (1 - t) * u), tolerance))
                << "t = " << t << ", u = " << u;
        }
    }
}

const DegreeCase degreeCases[] = {
    {"Points13", 13, 10.0f},
    {"Points20", 20, 10.0f},
    {"Points32", maxControlPoints, 100.0f},
};

INSTANTIATE_TEST_SUITE_P(Cases, BezierHighDegree, ::testing::ValuesIn(degreeCases), RowName());

// the 499 segments in the scene, checked to be one continuous red chain of BLACK-ended segments
std::vector<Segment> curveChain(const std::vector<Point>& p) {
    clearScene();
    addBezierCurve(p.data(), static_cast<int>(p.size()));
    const std::vector<Segment> chain(segments.begin(), segments.end());
    EXPECT_EQ(chain.size(), 499u);
    for (size_t k = 0; k < chain.size(); ++k) {
        EXPECT_EQ(chain[k].color, RED) << k;
        EXPECT_EQ(chain[k].a.color, BLACK) << k;
        EXPECT_EQ(chain[k].b.color, BLACK) << k;
        if (k > 0) {
            EXPECT_TRUE(samePosition(chain[k - 1].b, chain[k].a)) << k;
        }
    }
    return chain;
}

TEST(AddBezierCurve, LineSamplesAreTheParameters) {
    const std::vector<Segment> chain = curveChain({colored(0, 0, GREEN), colored(1, 0, BLUE)});
    for (size_t k = 0; k < chain.size(); ++k) {
        const float t = static_cast<float>(static_cast<double>(k) * 0.002);
        EXPECT_TRUE(samePosition(chain[k].a, Point(t, 0))) << k << ": " << chain[k].a;
    }
    EXPECT_TRUE(samePosition(chain.back().b, Point(0.998f, 0))) << "the chain stops short of t = 1";
    EXPECT_TRUE(samePosition(maxCorner, Point(0.998f, 0)));
}

TEST(AddBezierCurve, FirstSampleIsTheFirstControlPointAndSample250IsAtHalf) {
    const std::vector<Point> p = {Point(0.1f, -3.7f), Point(2, 4), Point(4.1f, 0)};
    const std::vector<Segment> chain = curveChain(p);
    EXPECT_TRUE(samePosition(chain.front().a, p.front())) << chain.front().a;
    EXPECT_TRUE(samePosition(chain[250].a, bezierPoint(p.data(), 3, 0.5f))) << chain[250].a;
    // a parabola whose middle point is exact: ((0 + 2 * 2 + 4) / 4, (0 + 2 * 4 + 0) / 4)
    EXPECT_TRUE(samePosition(curveChain({Point(0, 0), Point(2, 4), Point(4, 0)})[250].a, Point(2, 2)));
}

TEST(AddBezierCurve, DegenerateCountsGiveZeroLengthChains) {
    struct Row {
        std::vector<Point> input;
        Point at;  // where every sample lies
        Point min, max;
    };
    const Row rows[] = {
        {{colored(3.25f, -7.5f, YELLOW)}, Point(3.25f, -7.5f), Point(3.25f, -7.5f), Point(3.25f, 0)},
        {{}, Point(0, 0), Point(0, 0), Point(0, 0)},  // no control points: the origin enters the box
    };
    for (const Row& row : rows) {
        for (const Segment& s : curveChain(row.input)) {
            ASSERT_TRUE(samePosition(s.a, row.at) && samePosition(s.b, row.at)) << s.a << " " << s.b;
        }
        EXPECT_TRUE(samePosition(minCorner, row.min)) << minCorner;
        EXPECT_TRUE(samePosition(maxCorner, row.max)) << maxCorner;
    }
}

}  // namespace
