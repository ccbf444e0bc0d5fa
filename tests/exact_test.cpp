#include "intersect/exact.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "testing.h"
#include "tests/support/elevated.h"

namespace {

using Curve = std::vector<PointD>;

ExactIntersections intersect(const Curve& a, const Curve& b) {
    ExactIntersections r;
    intersectExact(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), r);
    return r;
}

std::string describe(const ExactIntersections& r) {
    std::string text;
    char line[200];
    for (const CurveCrossing& c : r.crossings) {
        std::snprintf(line, sizeof line, "  %s t=%.17g s=%.17g at (%.17g, %.17g)\n", c.touch ? "touch" : "crossing",
                      c.t, c.s, c.x, c.y);
        text += line;
    }
    for (const CurveOverlap& o : r.overlaps) {
        std::snprintf(line, sizeof line, "  overlap t=[%.17g, %.17g] s=[%.17g, %.17g]\n", o.t0, o.t1, o.s0, o.s1);
        text += line;
    }
    return text.empty() ? "  nothing\n" : text;
}

// ---------------------------------------------------------------------------------------------------
// An independent reference in long double: de Casteljau evaluation, dense sampling, root bracketing on
// the sampled polylines and Newton refinement.

struct PointL {
    long double x;
    long double y;
};

// the curve and its derivative at t by de Casteljau's construction
void evaluate(const Curve& c, long double t, PointL& point, PointL& velocity) {
    const int n = static_cast<int>(c.size());
    std::vector<PointL> level(c.size());
    for (int i = 0; i < n; ++i) level[i] = {c[i].x, c[i].y};
    velocity = {0, 0};
    for (int j = n - 1; j >= 1; --j) {
        if (j == 1) velocity = {(n - 1) * (level[1].x - level[0].x), (n - 1) * (level[1].y - level[0].y)};
        for (int k = 0; k < j; ++k) {
            level[k] = {(1 - t) * level[k].x + t * level[k + 1].x, (1 - t) * level[k].y + t * level[k + 1].y};
        }
    }
    point = level[0];
}

PointL at(const Curve& c, long double t) {
    PointL p, v;
    evaluate(c, t, p, v);
    return p;
}

long double crossL(PointL a, PointL b) { return a.x * b.y - a.y * b.x; }

struct Root {
    long double t;
    long double s;
    long double sine;  // of the angle between the curves there
};

// Newton on A(t) - B(s) = 0 in long double
bool refine(const Curve& a, const Curve& b, long double& t, long double& s) {
    for (int i = 0; i < 60; ++i) {
        PointL pa, va, pb, vb;
        evaluate(a, t, pa, va);
        evaluate(b, s, pb, vb);
        const PointL f{pa.x - pb.x, pa.y - pb.y};
        const long double det = -crossL(va, vb);
        if (det == 0) return false;
        const long double dt = crossL(f, vb) / det;
        const long double ds = -crossL(va, f) / det;
        t += dt;
        s += ds;
        if (std::fabs(dt) + std::fabs(ds) < 1e-17L) return true;
    }
    return std::isfinite(t) && std::isfinite(s);
}

// every crossing of the two curves' polylines of `samples` pieces, refined, each once
std::vector<Root> referenceCrossings(const Curve& a, const Curve& b, int samples) {
    std::vector<PointL> pa(samples + 1), pb(samples + 1);
    for (int i = 0; i <= samples; ++i) {
        pa[i] = at(a, static_cast<long double>(i) / samples);
        pb[i] = at(b, static_cast<long double>(i) / samples);
    }
    std::vector<Root> roots;
    for (int i = 0; i < samples; ++i) {
        const long double minAx = std::min(pa[i].x, pa[i + 1].x), maxAx = std::max(pa[i].x, pa[i + 1].x);
        const long double minAy = std::min(pa[i].y, pa[i + 1].y), maxAy = std::max(pa[i].y, pa[i + 1].y);
        for (int j = 0; j < samples; ++j) {
            if (std::max(pb[j].x, pb[j + 1].x) < minAx || std::min(pb[j].x, pb[j + 1].x) > maxAx ||
                std::max(pb[j].y, pb[j + 1].y) < minAy || std::min(pb[j].y, pb[j + 1].y) > maxAy) {
                continue;
            }
            // the two chords cross (ends included, so a crossing on a sample is seen from both sides)
            const PointL d1{pa[i + 1].x - pa[i].x, pa[i + 1].y - pa[i].y};
            const PointL d2{pb[j + 1].x - pb[j].x, pb[j + 1].y - pb[j].y};
            const PointL e{pb[j].x - pa[i].x, pb[j].y - pa[i].y};
            const long double den = crossL(d1, d2);
            if (den == 0) continue;
            const long double u = crossL(e, d2) / den;
            const long double v = crossL(e, d1) / den;
            if (u < -1e-9L || u > 1 + 1e-9L || v < -1e-9L || v > 1 + 1e-9L) continue;
            long double t = (i + u) / samples;
            long double s = (j + v) / samples;
            if (!refine(a, b, t, s)) continue;
            if (t < -1e-15L || t > 1 + 1e-15L || s < -1e-15L || s > 1 + 1e-15L) continue;
            t = std::min(1.0L, std::max(0.0L, t));
            s = std::min(1.0L, std::max(0.0L, s));
            PointL p, va, vb;
            evaluate(a, t, p, va);
            evaluate(b, s, p, vb);
            const long double sine =
                std::fabs(crossL(va, vb)) / std::sqrt((va.x * va.x + va.y * va.y) * (vb.x * vb.x + vb.y * vb.y));
            bool known = false;
            for (const Root& r : roots) known = known || (std::fabs(r.t - t) < 1e-9L && std::fabs(r.s - s) < 1e-9L);
            if (!known) roots.push_back({t, s, sine});
        }
    }
    std::sort(roots.begin(), roots.end(), [](const Root& p, const Root& q) { return p.t < q.t; });
    return roots;
}

// the control points of c on [t0, t1], by de Casteljau in long double
Curve piece(const Curve& c, long double t0, long double t1) {
    const int n = static_cast<int>(c.size());
    std::vector<PointL> p(c.size());
    for (int i = 0; i < n; ++i) p[i] = {c[i].x, c[i].y};
    for (int j = 1; j < n; ++j) {
        for (int k = n - 1; k >= j; --k) {
            p[k] = {(1 - t1) * p[k - 1].x + t1 * p[k].x, (1 - t1) * p[k - 1].y + t1 * p[k].y};
        }
    }
    const long double r = t0 / t1;
    for (int j = 1; j < n; ++j) {
        for (int k = 0; k < n - j; ++k) {
            p[k] = {(1 - r) * p[k].x + r * p[k + 1].x, (1 - r) * p[k].y + r * p[k + 1].y};
        }
    }
    Curve out(c.size());
    for (int i = 0; i < n; ++i) out[i] = {static_cast<double>(p[i].x), static_cast<double>(p[i].y)};
    return out;
}

Curve reversed(Curve c) {
    std::reverse(c.begin(), c.end());
    return c;
}

double distanceOnCurves(const Curve& a, const Curve& b, double t, double s) {
    const PointL p = at(a, t);
    const PointL q = at(b, s);
    return static_cast<double>(std::hypot(p.x - q.x, p.y - q.y));
}

// ---------------------------------------------------------------------------------------------------
// Named cases: what the result must be, each with its tolerance.

struct ExpectedCrossing {
    double t;
    double s;
    double x;
    double y;
    bool touch;
};

struct ExactCase {
    std::string name;
    Curve a;
    Curve b;
    std::vector<ExpectedCrossing> crossings;
    std::vector<CurveOverlap> overlaps;
    double parameterTolerance;
};

const Curve issueCubic1 = {{0, 0}, {1, 2}, {2, -1}, {3, 1}};
const Curve issueCubic2 = {{0, 1}, {1, -1}, {2, 2}, {3, 0}};
const double root15 = std::sqrt(0.15);  // the issue's cubics cross where t = s = 0.5 -+ sqrt(0.15)

// The curve x = y^30 over y in [-1, 1]: 31 control points, their y rounded to float as a file holds them.
Curve thirtiethPower() {
    Curve c;
    for (int k = 0; k <= 30; ++k) {
        c.push_back({k % 2 == 0 ? 1.0 : -1.0, static_cast<double>(static_cast<float>(-1 + 2.0 * k / 30))});
    }
    return c;
}

// Curves folded along one line, ends and points that stand still, contact of higher order, meetings
// closer than double precision resolves, nodes of a shared curve: each with its exact answer.
void addFoldsStillPointsAndContacts(std::vector<ExactCase>& cases) {
    const double third = 1.0 / 3;
    const double apart = std::ldexp(1.0, -48);  // a segment this far from a parabola's vertex
    const Curve loop = {{0, 0}, {2, 2}, {-1, 2}, {1, 0}};
    const double node = (5 - std::sqrt(15.0)) / 10;  // where the loop passes its node first
    // #17: a polygon running back and forth along a line, (1 - 3t)^6 along it: a stretch to its turning
    // point at t = 1/3 and one back from there (this did not finish within 300 s)
    cases.push_back({"FoldedPolygonAlongSegment",
                     {{1, 0}, {-2, 0}, {4, 0}, {-8, 0}, {16, 0}, {-32, 0}, {64, 0}},
                     {{0, 0}, {64, 0}},
                     {},
                     {{0, third, 1.0 / 64, 0}, {third, 1, 0, 1}},
                     2e-16});
    // #17: y = 105 (3t - 1)^7 and x = 105 (3t - 1)^6: a cusp touching the axis at t = 1/3 (over a minute)
    cases.push_back(
        {"CuspOnTheAxis",
         {{105, -105}, {-165, 210}, {240, -420}, {-300, 840}, {240, -1680}, {240, 3360}, {-1920, -6720}, {6720, 13440}},
         {{0, 0}, {1000, 0}},
         {{third, 0, 0, 0, true}},
         {},
         2e-16});
    // #17: a stretch ending where the second curve stands still; with both ends still (30,858 results)
    cases.push_back({"StretchToAStationaryEnd",
                     {{0, 0}, {1, 0}, {2, 0}, {4, 0}},
                     {{0, 0}, {1, 0}, {1, 0}},
                     {},
                     {{0, 0.32218535462608559, 0, 1}},
                     1e-16});
    cases.push_back({"StretchBetweenStationaryEnds",
                     {{0, 0}, {0, 0}, {3, -2}, {7.5, -5}},
                     {{0, 0}, {3, -2}, {3, -2}},
                     {},
                     {{0, 0.60909369796845685, 0, 1}},
                     1e-16});
    // #17: the second curve turns back at x = 7.125 (s = 0.875): two stretches, none across the turn
    cases.push_back({"SegmentOnAFoldedLine",
                     {{4, 0}, {8, 0}},
                     {{1, 0}, {8, 0}, {7, 0}},
                     {},
                     {{0, 0.78125, 0.25, 0.875}, {0.75, 0.78125, 1, 0.875}},
                     1e-16});
    // #17: a short stretch, a millionth of the second curve
    cases.push_back({"ShortStretch", {{1, 0}, {2, 0}}, {{0, 0}, {1e6, 0}}, {}, {{0, 1, 1e-6, 2e-6}}, 1e-21});
    // #17: a loop against itself crosses itself at (0.5, 0.6) beside the stretch; and against itself run back
    cases.push_back({"NodeOfASharedLoop",
                     loop,
                     loop,
                     {{node, 1 - node, 0.5, 0.6, false}, {1 - node, node, 0.5, 0.6, false}},
                     {{0, 1, 0, 1}},
                     1e-15});
    cases.push_back({"NodeOfASharedLoopRunBack",
                     loop,
                     reversed(loop),
                     {{node, node, 0.5, 0.6, false}, {1 - node, 1 - node, 0.5, 0.6, false}},
                     {{0, 1, 1, 0}},
                     1e-15});
    // #17: contact of order three (x, x^4), two ((x, x^3), crossing but tangential) and four (x, x^5) with
    // the axis, and of order three between (3u, 3u^2 + 3u^4) and the parabola (3u, 3u^2): one touch each
    cases.push_back({"FourfoldContactWithALine",
                     {{-1, 1}, {-0.5, -1}, {0, 1}, {0.5, -1}, {1, 1}},
                     {{-1, 0}, {1, 0}},
                     {{0.5, 0.5, 0, 0, true}},
                     {},
                     1e-16});
    cases.push_back({"ThreefoldContactWithALine",
                     {{-1, -1}, {-1.0 / 3, 1}, {1.0 / 3, -1}, {1, 1}},
                     {{-1, 0}, {1, 0}},
                     {{0.5, 0.5, 0, 0, true}},
                     {},
                     1e-16});
    cases.push_back({"FivefoldContactWithALine",
                     {{-1, -1}, {-0.6, 1}, {-0.2, -1}, {0.2, 1}, {0.6, -1}, {1, 1}},
                     {{-1, 0}, {1, 0}},
                     {{0.5, 0.5, 0, 0, true}},
                     {},
                     1e-16});
    cases.push_back({"FourfoldContactWithAParabola",
                     {{-3, 6}, {-1.5, -3}, {0, 2}, {1.5, -3}, {3, 6}},
                     {{-3, 3}, {0, -3}, {3, 3}},
                     {{0.5, 0.5, 0, 0, true}},
                     {},
                     1e-16});
    // #17: two cubics with contact of order two, (3u, 3u^3) and (3u, 6u^3): one touch at their middles
    // (off by 9e-7 before)
    cases.push_back({"ThreefoldContactOfCubics",
                     {{-3, -3}, {-1, 3}, {1, -3}, {3, 3}},
                     {{-3, -6}, {-1, 6}, {1, -6}, {3, 6}},
                     {{0.5, 0.5, 0, 0, true}},
                     {},
                     1e-16});
    // #17: the parabola (2t, (1 - 2t)^2) against a segment 2^-48 below its vertex: apart; 2^-48 above:
    // two crossings at t = 1/2 -+ 2^-25 (one touch before)
    cases.push_back({"JustApart", {{0, 1}, {1, -1}, {2, 1}}, {{-1, -apart}, {3, -apart}}, {}, {}, 0});
    cases.push_back({"TwoCrossingsCloserThanFloats",
                     {{0, 1}, {1, -1}, {2, 1}},
                     {{-1, apart}, {3, apart}},
                     {{0.5 - std::ldexp(1.0, -25), 0.5 - std::ldexp(1.0, -26), 1 - std::ldexp(1.0, -24), apart, false},
                      {0.5 + std::ldexp(1.0, -25), 0.5 + std::ldexp(1.0, -26), 1 + std::ldexp(1.0, -24), apart, false}},
                     {},
                     1e-17});
    // #17: a start point written twice, and six times: one meeting there, a touch (no direction there)
    cases.push_back(
        {"StartWrittenTwice", {{0, 0}, {0, 0}, {10, 10}, {20, 0}}, {{-5, 5}, {5, -5}}, {{0, 0.5, 0, 0, true}}, {}, 0});
    cases.push_back({"StartWrittenSixTimes",
                     {{0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {10, 10}, {20, 0}},
                     {{-5, 5}, {5, -5}},
                     {{0, 0.5, 0, 0, true}},
                     {},
                     0});
    cases.push_back({"StartWrittenTwiceOnACubic",
                     {{0, 0}, {0, 0}, {10, 10}, {20, 0}},
                     {{-4, 4}, {-2, -1}, {2, 1}, {4, -4}},
                     {{0, 0.5, 0, 0, true}},
                     {},
                     1e-15});
    // a segment across the float range against a short vertical one: they cross at x = 1, t = 1 / 3.4e38
    // (it was taken for a point at that scale, meeting at its start)
    cases.push_back({"FloatRangeSegmentAcrossAShortOne",
                     {{0, 0}, {3.4028234663852886e38, 1}},
                     {{1, -1}, {1, 1}},
                     {{1 / 3.4028234663852886e38, 0.5, 1, 1 / 3.4028234663852886e38, false}},
                     {},
                     1e-50});
    // #17: x = y^30 meets the line x = 0 at its middle only, with contact of order 29 (nothing before)
    cases.push_back(
        {"ThirtiethPowerAgainstItsAxis", thirtiethPower(), {{0, -2}, {0, 2}}, {{0.5, 0.5, 0, 0, true}}, {}, 1e-16});
}

std::vector<ExactCase> exactCases() {
    std::vector<ExactCase> cases;
    // three crossings; the middle one lies exactly at both curves' halving point
    cases.push_back({"CubicsCrossThreeTimes",
                     issueCubic1,
                     issueCubic2,
                     {{0.5 - root15, 0.5 - root15, 0.3381049961, 0.5, false},
                      {0.5, 0.5, 1.5, 0.5, false},
                      {0.5 + root15, 0.5 + root15, 2.6618950039, 0.5, false}},
                     {},
                     1e-12});
    cases.push_back(
        {"QuadraticTouchesSegment", {{0, 1}, {1, -1}, {2, 1}}, {{0, 0}, {2, 0}}, {{0.5, 0.5, 1, 0, true}}, {}, 1e-7});
    cases.push_back(
        {"CubicAndItsMiddlePiece", issueCubic1, piece(issueCubic1, 0.25L, 0.75L), {}, {{0.25, 0.75, 0, 1}}, 1e-12});
    cases.push_back({"SameCurveTwice",
                     {{1, 1}, {3, 9}, {7, 1}, {9, 8}},
                     {{1, 1}, {3, 9}, {7, 1}, {9, 8}},
                     {},
                     {{0, 1, 0, 1}},
                     1e-12});
    cases.push_back({"SameCurveRunningBack",
                     {{1, 1}, {3, 9}, {7, 1}, {9, 8}},
                     {{9, 8}, {7, 1}, {3, 9}, {1, 1}},
                     {},
                     {{0, 1, 1, 0}},
                     1e-12});
    // the same cubic given with five control points
    cases.push_back({"CubicAndItsElevatedPiece",
                     issueCubic1,
                     elevated(piece(issueCubic1, 0.5L, 1.0L)),
                     {},
                     {{0.5, 1, 0, 1}},
                     1e-12});
    // shared ends of a stretch on both curves
    cases.push_back({"PiecesOverlappingAtTheirEnds",
                     piece(issueCubic1, 0.0L, 0.6L),
                     piece(issueCubic1, 0.4L, 1.0L),
                     {},
                     {{2.0 / 3, 1, 0, 1.0 / 3}},
                     1e-12});
    cases.push_back({"CollinearSegments", {{0, 0}, {2, 0}}, {{1, 0}, {3, 0}}, {}, {{0.5, 1, 0, 0.5}}, 1e-12});
    // a quadratic that runs out along a line and back: two stretches meeting where it turns
    cases.push_back({"CurveTurningBackAlongSegment",
                     {{0, 0}, {2, 0}, {0, 0}},
                     {{0, 0}, {2, 0}},
                     {},
                     {{0, 0.5, 0, 0.5}, {0.5, 1, 0.5, 0}},
                     1e-12});
    cases.push_back({"SegmentsCrossing",
                     {{0, 0}, {10, 8}},
                     {{1, 9}, {9, 1}},
                     {{5.0 / 9, 41.0 / 72, 50.0 / 9, 40.0 / 9, false}},
                     {},
                     1e-15});
    // one curve ends on the other
    cases.push_back(
        {"EndOnTheOtherCurve", {{0, 1}, {1, 1}, {2, 0}}, {{0, 0}, {4, 0}}, {{1, 0.5, 2, 0, false}}, {}, 1e-15});
    cases.push_back(
        {"SharedEndAtAnAngle", {{0, 0}, {1, 1}, {2, 0}}, {{2, 0}, {3, 2}}, {{1, 0, 2, 0, false}}, {}, 1e-15});
    // one curve continues the other with the same direction: they meet once, as a touch
    cases.push_back(
        {"SmoothJoint", {{0, 0}, {1, 1}, {2, 1}}, {{2, 1}, {3, 1}, {4, 0}}, {{1, 0, 2, 1, true}}, {}, 1e-12});
    // an inflection point touching its tangent line: tangential, though the curve crosses the line
    cases.push_back({"InflectionOnItsTangent",
                     {{-1, -1}, {-1.0 / 3, 1}, {1.0 / 3, -1}, {1, 1}},
                     {{-2, 0}, {2, 0}},
                     {{0.5, 0.5, 0, 0, true}},
                     {},
                     1e-5});
    cases.push_back({"Apart", {{0, 0}, {2, 3}, {4, 0}}, {{6, 0}, {8, 3}, {10, 0}}, {}, {}, 0});
    cases.push_back({"PointOnCurve", {{1, 0}}, {{0, 0}, {2, 0}}, {{0, 0.5, 1, 0, true}}, {}, 1e-12});
    cases.push_back({"PointOffCurve", {{0, 0}, {1, 1}, {2, 0}}, {{1, 2}, {1, 2}, {1, 2}}, {}, {}, 0});
    cases.push_back({"TwoEqualPoints", {{3, 4}}, {{3, 4}}, {{0, 0, 3, 4, true}}, {}, 0});
    // far from the origin: the local frame keeps the parameters as they are near it
    cases.push_back({"FarFromTheOrigin",
                     {{1e6, 1e6}, {1e6 + 1, 1e6 + 2}, {1e6 + 2, 1e6 - 1}, {1e6 + 3, 1e6 + 1}},
                     {{1e6, 1e6 + 1}, {1e6 + 1, 1e6 - 1}, {1e6 + 2, 1e6 + 2}, {1e6 + 3, 1e6}},
                     {{0.5 - root15, 0.5 - root15, 1e6 + 0.3381049961, 1e6 + 0.5, false},
                      {0.5, 0.5, 1e6 + 1.5, 1e6 + 0.5, false},
                      {0.5 + root15, 0.5 + root15, 1e6 + 2.6618950039, 1e6 + 0.5, false}},
                     {},
                     1e-12});
    addFoldsStillPointsAndContacts(cases);
    return cases;
}

void PrintTo(const ExactCase& c, std::ostream* os) { *os << c.name; }

class ExactCases : public ::testing::TestWithParam<ExactCase> {};

TEST_P(ExactCases, FindsEachMeetingOnceAndEachStretchAsOne) {
    const ExactCase& c = GetParam();
    const ExactIntersections r = intersect(c.a, c.b);
    SCOPED_TRACE("found:\n" + describe(r));
    ASSERT_EQ(r.crossings.size(), c.crossings.size());
    ASSERT_EQ(r.overlaps.size(), c.overlaps.size());
    for (size_t i = 0; i < c.crossings.size(); ++i) {
        const CurveCrossing& got = r.crossings[i];
        const ExpectedCrossing& want = c.crossings[i];
        EXPECT_NEAR(got.t, want.t, c.parameterTolerance) << "crossing " << i;
        EXPECT_NEAR(got.s, want.s, c.parameterTolerance) << "crossing " << i;
        // the points are given to ten digits; a point is known as well as its parameter
        const double pointTolerance = std::max(1e-9, 4 * c.parameterTolerance);
        EXPECT_NEAR(got.x, want.x, pointTolerance * std::max(1.0, std::fabs(want.x))) << "crossing " << i;
        EXPECT_NEAR(got.y, want.y, pointTolerance * std::max(1.0, std::fabs(want.y))) << "crossing " << i;
        EXPECT_EQ(got.touch, want.touch) << "crossing " << i;
    }
    for (size_t i = 0; i < c.overlaps.size(); ++i) {
        EXPECT_NEAR(r.overlaps[i].t0, c.overlaps[i].t0, c.parameterTolerance) << "overlap " << i;
        EXPECT_NEAR(r.overlaps[i].t1, c.overlaps[i].t1, c.parameterTolerance) << "overlap " << i;
        EXPECT_NEAR(r.overlaps[i].s0, c.overlaps[i].s0, c.parameterTolerance) << "overlap " << i;
        EXPECT_NEAR(r.overlaps[i].s1, c.overlaps[i].s1, c.parameterTolerance) << "overlap " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ExactCases, ::testing::ValuesIn(exactCases()), RowName());

TEST(ExactIntersection, SwappingTheCurvesSwapsTheParameters) {
    const ExactIntersections forward = intersect(issueCubic1, issueCubic2);
    const ExactIntersections backward = intersect(issueCubic2, issueCubic1);
    ASSERT_EQ(forward.crossings.size(), 3u);
    ASSERT_EQ(backward.crossings.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_NEAR(forward.crossings[i].t, backward.crossings[i].s, 1e-14);
        EXPECT_NEAR(forward.crossings[i].s, backward.crossings[i].t, 1e-14);
    }
}

TEST(ExactIntersection, FloatControlPointsAreTakenExactly) {
    const Point a[] = {Point(0, 0), Point(1, 2), Point(2, -1), Point(3, 1)};
    const Point b[] = {Point(0, 1), Point(1, -1), Point(2, 2), Point(3, 0)};
    ExactIntersections r;
    intersectExact(a, 4, b, 4, r);
    const ExactIntersections d = intersect(issueCubic1, issueCubic2);
    ASSERT_EQ(r.crossings.size(), d.crossings.size());
    for (size_t i = 0; i < d.crossings.size(); ++i) {
        EXPECT_EQ(r.crossings[i].t, d.crossings[i].t);
        EXPECT_EQ(r.crossings[i].s, d.crossings[i].s);
    }
}

// #18 regression: the frame centred on the box moved x = 1 to 1 - 1.7e38 = -1.7e38, onto the first segment's
// start, and the one meeting was reported at (0, 0), which does not lie on the second segment. Beside a
// coordinate at the float limit the second segment is shorter than the rounding of the frame, so it counts
// as one point, met as a touch; where the first segment passes it is now right to the last bit.
TEST(ExactIntersection, SegmentToTheFloatLimitMeetsTheVerticalWhereItCrossesIt) {
    for (const bool swapped : {false, true}) {
        const Curve toTheLimit = {{0, 0}, {3.4028234663852886e38, 1}};
        const Curve vertical = {{1, -1}, {1, 1}};
        const ExactIntersections r = swapped ? intersect(vertical, toTheLimit) : intersect(toTheLimit, vertical);
        ASSERT_EQ(r.crossings.size(), 1u) << describe(r);
        EXPECT_TRUE(r.overlaps.empty());
        const CurveCrossing& c = r.crossings[0];
        EXPECT_NEAR(c.x, 1, 1e-12) << describe(r);  // on the vertical
        // the point is taken on the first curve: on the segment to the limit exactly where it crosses x = 1;
        // on the vertical at t = 0.5, the nearest double to 0.5 + 1.5e-39, whose y is 0
        EXPECT_NEAR(c.y, swapped ? 0 : 1 / 3.4028234663852886e38, 1e-50) << describe(r);
        EXPECT_NEAR(swapped ? c.s : c.t, 1 / 3.4028234663852886e38, 1e-50) << describe(r);
        EXPECT_EQ(swapped ? c.t : c.s, 0.5) << describe(r);
    }
}

TEST(ExactIntersection, RefusesCountsOutsideTheLimitAndNonFiniteCoordinates) {
    const Curve ok = {{0, 0}, {1, 1}};
    const Curve tooMany(maxControlPoints + 1, PointD{0, 0});
    const Curve notANumber = {{0, 0}, {std::numeric_limits<double>::quiet_NaN(), 1}};
    const Curve infinite = {{0, 0}, {std::numeric_limits<double>::infinity(), 1}};
    ExactIntersections r;
    r.crossings.push_back({});  // a result is cleared first
    intersectExact(ok.data(), 2, ok.data(), 0, r);
    EXPECT_TRUE(r.crossings.empty() && r.overlaps.empty());
    for (const Curve* bad : {&tooMany, &notANumber, &infinite}) {
        intersectExact(ok.data(), 2, bad->data(), static_cast<int>(bad->size()), r);
        EXPECT_TRUE(r.crossings.empty() && r.overlaps.empty());
    }
}

// A curve of the largest supported degree: a sine-like wave of 32 control points against its axis.
TEST(ExactIntersection, HandlesTheLargestNumberOfControlPoints) {
    Curve wave;
    for (int i = 0; i < maxControlPoints; ++i)
        wave.push_back({i / 31.0, (i % 2 == 0 ? 1.0 : -1.0) * (i % 4 < 2 ? 1 : -1)});
    const Curve axis = {{-0.5, 0.01}, {1.5, 0.01}};
    const ExactIntersections r = intersect(wave, axis);
    const std::vector<Root> reference = referenceCrossings(wave, axis, 4096);
    SCOPED_TRACE(describe(r));
    ASSERT_EQ(r.crossings.size(), reference.size());
    ASSERT_GT(reference.size(), 3u);
    for (size_t i = 0; i < reference.size(); ++i) {
        EXPECT_NEAR(r.crossings[i].t, static_cast<double>(reference[i].t), 1e-12);
        EXPECT_NEAR(r.crossings[i].s, static_cast<double>(reference[i].s), 1e-12);
    }
}

// ---------------------------------------------------------------------------------------------------
// Random pairs of degrees 1 to 9 against the reference.

Curve randomCurve(std::mt19937& random, int n) {
    std::uniform_real_distribution<double> coordinate(-1.0, 1.0);
    Curve c(static_cast<size_t>(n));
    for (PointD& p : c) p = {coordinate(random), coordinate(random)};
    return c;
}

// Transversal crossings: the reference finds them by sampling, so pairs where it could miss one (two
// crossings within a few samples, or a crossing at a very small angle) are skipped and counted.
TEST(ExactIntersectionRandom, MatchesTheReferenceForDegreesOneToNine) {
    std::mt19937 random(20240607);
    std::uniform_int_distribution<int> points(2, 10);
    constexpr int pairs = 400;
    constexpr int samples = 512;
    int checked = 0;
    int crossingsSeen = 0;
    double worst = 0;
    for (int k = 0; k < pairs; ++k) {
        const Curve a = randomCurve(random, points(random));
        const Curve b = randomCurve(random, points(random));
        const std::vector<Root> reference = referenceCrossings(a, b, samples);
        bool clear = true;
        for (size_t i = 0; i < reference.size(); ++i) {
            clear = clear && reference[i].sine > 1e-3L;
            if (i > 0) {
                clear = clear && (reference[i].t - reference[i - 1].t > 8.0L / samples ||
                                  std::fabs(reference[i].s - reference[i - 1].s) > 8.0L / samples);
            }
        }
        if (!clear) continue;
        ++checked;
        const ExactIntersections r = intersect(a, b);
        SCOPED_TRACE("pair " + std::to_string(k) + " of " + std::to_string(a.size()) + " and " +
                     std::to_string(b.size()) + " points; found:\n" + describe(r));
        ASSERT_EQ(r.crossings.size(), reference.size());
        EXPECT_TRUE(r.overlaps.empty());
        for (size_t i = 0; i < reference.size(); ++i) {
            const double dt = std::fabs(r.crossings[i].t - static_cast<double>(reference[i].t));
            const double ds = std::fabs(r.crossings[i].s - static_cast<double>(reference[i].s));
            EXPECT_LE(dt, 1e-12) << "crossing " << i;
            EXPECT_LE(ds, 1e-12) << "crossing " << i;
            EXPECT_FALSE(r.crossings[i].touch) << "crossing " << i;
            worst = std::max(worst, std::max(dt, ds));
        }
        crossingsSeen += static_cast<int>(reference.size());
    }
    // nearly every pair is clear enough to check, and they cross often enough to matter
    EXPECT_GE(checked, pairs * 9 / 10);
    EXPECT_GE(crossingsSeen, pairs);
    std::printf("checked %d of %d pairs, %d crossings, largest parameter error %.3g\n", checked, pairs, crossingsSeen,
                worst);
}

// A curve with control points on a grid of 1/16 (so that everything built from it below is exact in
// double), cut from a random one.
Curve gridCurve(std::mt19937& random, int n) {
    Curve c = randomCurve(random, n);
    for (PointD& p : c) p = {std::round(p.x * 16) / 16, std::round(p.y * 16) / 16};
    return c;
}

// the largest power of two not above v (v > 0)
long double powerOfTwoBelow(long double v) { return std::exp2(std::floor(std::log2(v))); }

// A quadratic or a cubic built tangent to a random curve at a parameter k / 16, curving away from it: it
// touches there once, exactly (the construction is exact: grid points, a dyadic parameter, the curve's own derivative
// as the tangent); everything else matches the reference.
TEST(ExactIntersectionRandom, TangentsBuiltOnPurposeAreOneTouch) {
    std::mt19937 random(77);
    std::uniform_int_distribution<int> points(2, 10);
    std::uniform_int_distribution<int> where(3, 13);
    std::uniform_int_distribution<int> bend(2, 8);
    int touches = 0;
    for (int k = 0; k < 150; ++k) {
        const Curve a = gridCurve(random, points(random) + 1);
        const double tTouch = where(random) / 16.0;
        PointL p, v;
        evaluate(a, tTouch, p, v);
        const long double speed = std::hypot(v.x, v.y);
        if (speed < 0.2L) continue;
        // the tangent and the normal scaled by a power of two, so that they stay exact
        const long double unit = powerOfTwoBelow(speed);
        const PointL tangent{v.x / unit, v.y / unit};
        const PointL normal{-tangent.y, tangent.x};
        // a's own turn at the touch, so that the quadratic bends clearly more, or the other way
        PointL a2;
        {
            const long double h = 1e-4L;
            PointL p1, p2, v1, v2;
            evaluate(a, tTouch - h, p1, v1);
            evaluate(a, tTouch + h, p2, v2);
            a2 = {(v2.x - v1.x) / (2 * h), (v2.y - v1.y) / (2 * h)};
        }
        const long double curvatureA = (v.x * a2.y - v.y * a2.x) / (speed * speed * speed);
        const long double sign = curvatureA > 0 ? -1 : 1;
        const long double c = sign * bend(random) / 32.0L;
        const long double half = 0.25L;  // the quadratic's half length along the tangent, about
        const auto at = [&](long double along, long double across) {
            return PointD{static_cast<double>(p.x + along * tangent.x + across * normal.x),
                          static_cast<double>(p.y + along * tangent.y + across * normal.y)};
        };
        // a quadratic, or (every other pair) a cubic with the same middle point and direction there
        const Curve b = k % 2 == 0 ? Curve{at(-half, c), at(0, -c), at(half, c)}
                                   : Curve{at(-2 * half, 3 * c), at(-half, -c), at(half, -c), at(2 * half, 3 * c)};
        const ExactIntersections r = intersect(a, b);
        SCOPED_TRACE("pair " + std::to_string(k) + ", touch at t=" + std::to_string(tTouch) + "; found:\n" +
                     describe(r));
        // exactly one result near the touch, marked as one, at the exact parameters
        int near = 0;
        for (const CurveCrossing& x : r.crossings) {
            if (std::fabs(x.t - tTouch) < 1e-3 && std::fabs(x.s - 0.5) < 1e-3) {
                ++near;
                EXPECT_TRUE(x.touch);
                EXPECT_NEAR(x.t, tTouch, 1e-12);
                EXPECT_NEAR(x.s, 0.5, 1e-12);
            }
        }
        EXPECT_EQ(near, 1);
        // the other meetings are the reference's transversal crossings away from the touch
        const std::vector<Root> reference = referenceCrossings(a, b, 512);
        std::vector<Root> others;
        for (const Root& x : reference) {
            if (std::fabs(x.t - tTouch) > 1e-3L || std::fabs(x.s - 0.5L) > 1e-3L) others.push_back(x);
        }
        bool clear = true;
        for (const Root& x : others) clear = clear && x.sine > 1e-3L;
        if (clear) {
            EXPECT_EQ(r.crossings.size(), others.size() + 1);
        }
        ++touches;
    }
    EXPECT_GE(touches, 100);
}

// A random curve against a piece of itself (possibly running back, possibly given with one control point
// more): one stretch with the piece's ends, and any other meeting point really on both curves; inside
// the stretch only where the curve crosses itself.
TEST(ExactIntersectionRandom, OverlapsBuiltOnPurposeAreOneStretch) {
    std::mt19937 random(4242);
    std::uniform_int_distribution<int> points(2, 9);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int k = 0; k < 150; ++k) {
        Curve a = randomCurve(random, points(random));
        double lo = unit(random);
        double hi = unit(random);
        if (hi < lo) std::swap(lo, hi);
        if (hi - lo < 0.05) continue;
        const bool exactOnly = a.size() <= 3;
        if (exactOnly) {
            // a segment or a quadratic shares a stretch only with a piece lying exactly on it (their
            // meetings are decided exactly): coordinates on a grid of 1/1024 and ends at multiples of 1/64
            // make the piece exact
            for (PointD& p : a) p = {std::round(p.x * 1024) / 1024, std::round(p.y * 1024) / 1024};
            lo = std::floor(lo * 64) / 64;
            hi = std::ceil(hi * 64) / 64;
        }
        Curve b = piece(a, lo, hi);
        const bool back = k % 2 == 1;
        if (back) b = reversed(b);
        if (k % 3 == 0 && (!exactOnly || a.size() == 2)) b = elevated(b);  // exact for a segment only
        const ExactIntersections r = intersect(a, b);
        SCOPED_TRACE("pair " + std::to_string(k) + " of " + std::to_string(a.size()) + " points, piece [" +
                     std::to_string(lo) + ", " + std::to_string(hi) + "]; found:\n" + describe(r));
        ASSERT_EQ(r.overlaps.size(), 1u);
        const CurveOverlap& o = r.overlaps[0];
        EXPECT_NEAR(o.t0, lo, 1e-9);
        EXPECT_NEAR(o.t1, hi, 1e-9);
        EXPECT_NEAR(o.s0, back ? 1.0 : 0.0, 1e-9);
        EXPECT_NEAR(o.s1, back ? 0.0 : 1.0, 1e-9);
        for (const CurveCrossing& x : r.crossings) {
            EXPECT_LE(distanceOnCurves(a, b, x.t, x.s), 1e-12) << "t=" << x.t << " s=" << x.s;
            // inside the stretch only a node of the shared curve: the second curve is there at a parameter
            // that does not correspond to t, and the curves cross
            if (x.t > lo + 1e-6 && x.t < hi - 1e-6 && x.s > 1e-6 && x.s < 1 - 1e-6) {
                const double corresponding = lo + (back ? 1 - x.s : x.s) * (hi - lo);
                EXPECT_GT(std::fabs(corresponding - x.t), 1e-6) << "on the stretch: t=" << x.t;
                EXPECT_FALSE(x.touch) << "t=" << x.t;
            }
        }
    }
}

// (60 f, 60 f^2) for the cubic f of Bernstein coefficients c: a curve of 7 control points (exact: 60 is a
// multiple of every C(6, k) that the product's coefficients are divided by) on the parabola y = x^2 / 60,
// which stands still and turns back where f does
Curve onParabola(const double (&c)[4]) {
    const double cubic[4] = {1, 3, 3, 1};
    const double sextic[7] = {1, 6, 15, 20, 15, 6, 1};
    Curve p(7);
    for (int k = 0; k <= 6; ++k) {
        double x = 0;
        double y = 0;
        for (int i = std::max(0, k - 3); i <= std::min(3, k); ++i) {
            x += cubic[i] * cubic[k - i] * c[i];
            y += cubic[i] * cubic[k - i] * c[i] * c[k - i];
        }
        p[static_cast<size_t>(k)] = {60 / sextic[k] * x, 60 / sextic[k] * y};
    }
    return p;
}

// Two curves on one parabola, each running out and turning back, with neither's ends on the other: the
// first covers [60 min f, 60 max f] along it, the second [60 min g, 60 max g], and they share the part
// between the second's turn (min g) and the first's (max f). Only the points where they turn back bound
// the stretches they share.
TEST(ExactIntersectionRandom, CurvesTurningBackOnOneParabolaShareTheStretchBetweenTheirTurns) {
    struct Folds {
        double f[4];
        double g[4];
    };
    const Folds folds[] = {{{-1, 2, 2, -0.5}, {2, -1, -1, 1.5}}, {{-1, 1.5, 2.5, -0.75}, {1.75, -0.75, -1.25, 2}}};
    for (const Folds& fold : folds) {
        const auto range = [](const double(&c)[4]) {
            double lo = INFINITY;
            double hi = -INFINITY;
            for (int i = 0; i <= 1000; ++i) {
                const double t = i / 1000.0;
                const double u = 1 - t;
                const double v = u * u * u * c[0] + 3 * u * u * t * c[1] + 3 * u * t * t * c[2] + t * t * t * c[3];
                lo = std::min(lo, v);
                hi = std::max(hi, v);
            }
            return std::pair<double, double>{60 * lo, 60 * hi};
        };
        const auto [fLo, fHi] = range(fold.f);
        const auto [gLo, gHi] = range(fold.g);
        // the ends of each lie beyond the other's range, and the ranges overlap
        ASSERT_LT(60 * std::max(fold.f[0], fold.f[3]), gLo - 1);
        ASSERT_GT(60 * std::min(fold.g[0], fold.g[3]), fHi + 1);
        ASSERT_LT(gLo, fHi - 1);
        const Curve a = onParabola(fold.f);
        const Curve b = onParabola(fold.g);
        for (const bool swapped : {false, true}) {
            const ExactIntersections r = swapped ? intersect(b, a) : intersect(a, b);
            SCOPED_TRACE(std::string(swapped ? "swapped" : "in order") + "; found:\n" + describe(r));
            ASSERT_FALSE(r.overlaps.empty());
            const Curve& first = swapped ? b : a;
            const Curve& second = swapped ? a : b;
            for (const CurveOverlap& o : r.overlaps) {
                EXPECT_LT(o.t0, o.t1);
                EXPECT_LE(distanceOnCurves(first, second, o.t0, o.s0), 1e-9);
                EXPECT_LE(distanceOnCurves(first, second, o.t1, o.s1), 1e-9);
                // along the part both cover (the sampled ranges miss the extremes by at most
                // 60 |f''| / 2 (1 / 2000)^2, below 0.01)
                for (const double t : {o.t0, 0.5 * (o.t0 + o.t1), o.t1}) {
                    const double x = static_cast<double>(at(first, t).x);
                    EXPECT_GE(x, gLo - 0.01) << "t=" << t;
                    EXPECT_LE(x, fHi + 0.01) << "t=" << t;
                }
            }
        }
    }
}

}  // namespace
