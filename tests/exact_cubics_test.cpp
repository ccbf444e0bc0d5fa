// The algebraic answer for two cubics (intersect/exact/cubics.h) beside the clipping it stands in for: on
// pairs it takes, the same crossings; pairs it cannot certify (touches, meetings at or just beyond an end,
// shared stretches, near misses, a curve through the other's node) it declines.
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "intersect/exact.h"
#include "intersect/exact/cubics.h"
#include "intersect/exact/isolate.h"
#include "intersect/exact/stretches.h"
#include "testing.h"
#include "tests/support/elevated.h"

namespace {

using namespace exactmode;
using Polygon = std::vector<PointD>;

// The pair as the exact mode sets it up: both curves in one frame (here the plane itself: the test
// polygons lie around the origin), the tolerance of a pair of cubics at the frame's scale.
struct CubicPair {
    Curve a;
    Curve b;
    double err = 0;
    double tolerance = 0;
};

CubicPair makePair(const Polygon& p, const Polygon& q) {
    CubicPair pair;
    double x[4], y[4];
    double scale = 0;
    for (int i = 0; i < 4; ++i) {
        x[i] = p[i].x;
        y[i] = p[i].y;
        scale = std::max({scale, std::fabs(p[i].x), std::fabs(p[i].y), std::fabs(q[i].x), std::fabs(q[i].y)});
    }
    pair.a.set(x, y, 4);
    for (int i = 0; i < 4; ++i) {
        x[i] = q[i].x;
        y[i] = q[i].y;
    }
    pair.b.set(x, y, 4);
    pair.err = (8 * 4 + 32) * DBL_EPSILON * scale;
    pair.tolerance = 2 * pair.err;
    return pair;
}

// The clipping's crossings of the pair (no meetings at the ends known).
std::vector<Candidate> byClipping(const CubicPair& pair) {
    std::vector<Candidate> found;
    const std::vector<Stretch> none;
    Work work;
    isolateCrossings(pair.a, pair.b, pair.err, pair.tolerance, work, found, none);
    std::sort(found.begin(), found.end(), parameterOrder);
    return found;
}

std::string listed(const std::vector<Candidate>& found) {
    std::string text;
    char line[120];
    for (const Candidate& c : found) {
        std::snprintf(line, sizeof line, " (t=%.17g s=%.17g%s)", c.t, c.s, c.touch ? " touch" : "");
        text += line;
    }
    return text.empty() ? " none" : text;
}

// the point of the cubic at t, by de Casteljau in long double
PointD pointOf(const Polygon& c, long double t) {
    long double x[4], y[4];
    for (int i = 0; i < 4; ++i) {
        x[i] = c[i].x;
        y[i] = c[i].y;
    }
    for (int j = 1; j < 4; ++j) {
        for (int k = 0; k + j < 4; ++k) {
            x[k] = (1 - t) * x[k] + t * x[k + 1];
            y[k] = (1 - t) * y[k] + t * y[k + 1];
        }
    }
    return {static_cast<double>(x[0]), static_cast<double>(y[0])};
}

// A cubic whose point at 1/2 is (as nearly as doubles allow) `through`, bending across it: its last
// control point is solved for from the three others.
Polygon cubicThrough(PointD through, PointD p0, PointD p1, PointD p2) {
    const PointD p3{8 * through.x - p0.x - 3 * p1.x - 3 * p2.x, 8 * through.y - p0.y - 3 * p1.y - 3 * p2.y};
    return {p0, p1, p2, p3};
}

TEST(ExactCubicsAlgebraic, TakesOrdinaryPairsAndFindsWhatClippingFinds) {
    // seeded random cubics in [-1, 1), both as floats and as doubles
    for (const bool floats : {true, false}) {
        std::mt19937 random(floats ? 41u : 42u);
        std::uniform_real_distribution<double> coordinate(-1, 1);
        int taken = 0;
        const int pairs = 3000;
        for (int n = 0; n < pairs; ++n) {
            Polygon p(4), q(4);
            for (Polygon* c : {&p, &q}) {
                for (PointD& v : *c) {
                    v = {coordinate(random), coordinate(random)};
                    if (floats) v = {static_cast<float>(v.x), static_cast<float>(v.y)};
                }
            }
            const CubicPair pair = makePair(p, q);
            std::vector<Candidate> fast;
            Work work;
            if (crossCubics(pair.a, pair.b, pair.tolerance, false, work, fast) != CubicAnswer::answered) continue;
            ++taken;
            const std::vector<Candidate> clipped = byClipping(pair);
            ASSERT_EQ(fast.size(), clipped.size())
                << "pair " << n << ": algebraic" << listed(fast) << ", clipping" << listed(clipped);
            for (size_t i = 0; i < fast.size(); ++i) {
                EXPECT_FALSE(fast[i].touch);
                EXPECT_NEAR(fast[i].t, clipped[i].t, 1e-15) << "pair " << n;
                EXPECT_NEAR(fast[i].s, clipped[i].s, 1e-15) << "pair " << n;
            }
        }
        // most random pairs are ordinary: the algebraic answer is the one taken
        EXPECT_GT(taken, pairs * 9 / 10) << (floats ? "floats" : "doubles");
    }
}

TEST(ExactCubicsAlgebraic, FindsCrossingsAtDyadicParametersAndThreeAtOnce) {
    // the pair crossing three times, once at t = s = 1/2 (a point where intervals are often cut)
    const Polygon a = {{0, 0}, {1, 2}, {2, -1}, {3, 1}};
    const Polygon b = {{0, 1}, {1, -1}, {2, 2}, {3, 0}};
    // both curves are symmetric about (1.5, 0.5) (b is a turned about it): the crossings are at
    // t = s = 1/2 and at t = s = 1/2 -+ sqrt(15) / 10 (where y_a(t) = 1 - y_a(t), a cubic in t)
    const double r = std::sqrt(15.0) / 10;
    const double expected[3] = {0.5 - r, 0.5, 0.5 + r};
    const CubicPair pair = makePair(a, b);
    std::vector<Candidate> fast;
    Work work;
    ASSERT_EQ(crossCubics(pair.a, pair.b, pair.tolerance, true, work, fast), CubicAnswer::answered);
    ASSERT_EQ(fast.size(), 3u) << listed(fast);
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(fast[static_cast<size_t>(i)].t, expected[i], 4e-16);
        EXPECT_NEAR(fast[static_cast<size_t>(i)].s, expected[i], 4e-16);
    }
}

struct Declined {
    std::string name;
    Polygon a;
    Polygon b;
};

// pairs the algebraic answer must hand on to the clipping
std::vector<Declined> declinedPairs() {
    std::vector<Declined> cases;
    // symmetric cubics touching at their middles: a's highest point (1.5 at x = 0) is b's lowest
    cases.push_back({"TouchAtTheMiddles", {{-2, 0}, {-1, 2}, {1, 2}, {2, 0}}, {{-3, 3}, {-1, 1}, {1, 1}, {3, 3}}});
    // the same touch moved apart by a few rounding units: closer than the tolerance, no crossing
    cases.push_back(
        {"NearMissWithinRounding",
         {{-2, 0}, {-1, 2}, {1, 2}, {2, 0}},
         {{-3, 3 + 4 * DBL_EPSILON}, {-1, 1 + 4 * DBL_EPSILON}, {1, 1 + 4 * DBL_EPSILON}, {3, 3 + 4 * DBL_EPSILON}}});
    // crossing at the first curve's start, and at the second's end
    const Polygon bent = {{-1, -1}, {-0.5, 1}, {0.5, -0.75}, {1, 0.5}};
    cases.push_back({"CrossingAtAStart", bent, cubicThrough(bent[0], {-1.5, 0.5}, {-1.25, 0.25}, {-0.5, -0.5})});
    cases.push_back({"CrossingAtAnEnd", cubicThrough(bent[3], {0.5, 1.5}, {0.75, 1}, {1.5, 0}), bent});
    // crossing the first curve's extension a hair before its start (t = -1e-9) and after its end
    cases.push_back({"CrossingJustBeforeAStart", bent,
                     cubicThrough(pointOf(bent, -1e-9L), {-1.5, 0.5}, {-1.25, 0.25}, {-0.5, -0.5})});
    cases.push_back(
        {"CrossingJustAfterAnEnd", bent, cubicThrough(pointOf(bent, 1 + 1e-9L), {0.5, 1.5}, {0.75, 1}, {1.5, 0})});
    // the first half of a cubic against the cubic: a shared stretch
    cases.push_back({"SharedStretch", {{-1, -1}, {-0.75, 0}, {-0.375, 0.0625}, {0, 0.03125}}, bent});
    // a cubic through the node of a loop: the loop has y = 6 t (1 - t), the same at t and 1 - t, and
    // x(t) - x(1 - t) = (2t - 1)(1 - 10 t (1 - t)) vanishes at t = (1 -+ sqrt(3/5)) / 2: it crosses itself
    // at (1/2, 3/5)
    const Polygon loop = {{0, 0}, {2, 2}, {-1, 2}, {1, 0}};
    const long double tn = (1 - std::sqrt(0.6L)) / 2;
    const PointD node = pointOf(loop, tn);
    cases.push_back(
        {"ThroughTheOthersNode", cubicThrough(node, {-1, node.y + 1}, {-0.5, node.y + 0.5}, {0, node.y}), loop});
    // a crossing at a sine of 0.013 next to a control point 6.5 from the frame's centre: a rounding unit of
    // that coordinate moves the crossing's parameters by about 2e-15, so Newton's result depends on where
    // it starts, and the clipping's start is not ours. The second cubic is built to pass the first's point
    // at t = 0.999 at s = 1/2.
    const auto hex = [](const char* x, const char* y) {
        return PointD{std::strtod(x, nullptr), std::strtod(y, nullptr)};
    };
    cases.push_back({"PoorlyConditionedCrossing",
                     {hex("-0x1.00f0aep-1", "0x1.6e6d4p-2"), hex("0x1.ca78p-5", "-0x1.e53acp-2"),
                      hex("-0x1.082c28p-3", "0x1.c50b5p-3"), hex("0x1.afe664p-1", "-0x1.77116cp-1")},
                     {hex("0x1.911dp-2", "0x1.e4f37p-3"), hex("0x1.c0b74p-3", "-0x1.1ded48p-1"),
                      hex("-0x1.08035p-2", "0x1.8974f4p-1"), hex("0x1.9cc60ddc2fa37p+2", "-0x1.ad1584767f552p+2")}});
    return cases;
}

TEST(ExactCubicsAlgebraic, DeclinesWhatItCannotCertify) {
    for (const Declined& c : declinedPairs()) {
        const CubicPair pair = makePair(c.a, c.b);
        std::vector<Candidate> found = {{0.25, 0.75, false}};  // left as it was when declined
        Work work;
        for (const bool showEndsOff : {false, true}) {
            EXPECT_NE(crossCubics(pair.a, pair.b, pair.tolerance, showEndsOff, work, found), CubicAnswer::answered)
                << c.name << ":" << listed(found);
            EXPECT_EQ(found.size(), 1u) << c.name;
        }
    }
}

TEST(ExactCubicsAlgebraic, DeclinedPairsAreStillAnsweredInFull) {
    // through the whole exact mode, the declined pairs keep their answers from the clipping and the ends
    const auto count = [](const Declined& c) {
        ExactIntersections r;
        intersectExact(c.a.data(), 4, c.b.data(), 4, r);
        return r;
    };
    for (const Declined& c : declinedPairs()) {
        const ExactIntersections r = count(c);
        if (c.name == "TouchAtTheMiddles" || c.name == "NearMissWithinRounding") {
            ASSERT_EQ(r.crossings.size(), 1u) << c.name;
            EXPECT_TRUE(r.crossings[0].touch) << c.name;
            EXPECT_NEAR(r.crossings[0].t, 0.5, 1e-6) << c.name;
        } else if (c.name == "CrossingAtAStart") {
            ASSERT_GE(r.crossings.size(), 1u) << c.name;
            EXPECT_EQ(r.crossings[0].t, 0) << c.name;
            EXPECT_NEAR(r.crossings[0].s, 0.5, 1e-12) << c.name;
        } else if (c.name == "CrossingAtAnEnd") {
            ASSERT_GE(r.crossings.size(), 1u) << c.name;
            bool atEnd = false;
            for (const CurveCrossing& x : r.crossings) atEnd = atEnd || (x.s == 1 && std::fabs(x.t - 0.5) < 1e-12);
            EXPECT_TRUE(atEnd) << c.name;
        } else if (c.name == "SharedStretch") {
            ASSERT_EQ(r.overlaps.size(), 1u) << c.name;
            EXPECT_NEAR(r.overlaps[0].s1 - r.overlaps[0].s0, 0.5, 1e-9) << c.name;
        } else if (c.name == "PoorlyConditionedCrossing") {
            ASSERT_EQ(r.crossings.size(), 1u) << c.name;
            EXPECT_NEAR(r.crossings[0].t, 0.999, 1e-13) << c.name;
            EXPECT_NEAR(r.crossings[0].s, 0.5, 1e-13) << c.name;
            EXPECT_FALSE(r.crossings[0].touch) << c.name;
        } else if (c.name == "ThroughTheOthersNode") {
            // the line meets the loop twice at its node (once on each branch)
            int atNode = 0;
            for (const CurveCrossing& x : r.crossings) atNode += std::fabs(x.t - 0.5) < 1e-6 ? 1 : 0;
            EXPECT_EQ(atNode, 2) << c.name;
        }
    }
}

}  // namespace

namespace {

TEST(ExactCubicsEnds, AnEndOnOrWithinRoundingOfTheOtherCurveIsNeverShownOff) {
    const Polygon bent = {{-1, -1}, {-0.5, 1}, {0.5, -0.75}, {1, 0.5}};
    const PointD onBent = pointOf(bent, 0.375L);  // a dyadic parameter: the point is exact
    // the end of a short cubic placed on the bent one, exactly and then a few rounding units short of it
    // (across its direction there, so that the curves do not cross)
    const Polygon exact = {
        {onBent.x - 1, onBent.y + 1}, {onBent.x - 0.5, onBent.y + 1}, {onBent.x - 0.25, onBent.y + 0.5}, onBent};
    struct Case {
        std::string name;
        Polygon a;
        Polygon b;
    };
    std::vector<Case> cases = {{"StartOnTheOther", bent, Polygon(exact.rbegin(), exact.rend())},
                               {"EndOnTheOther", exact, bent},
                               {"SharedStart", bent, {bent[0], {0, 1}, {1, 1}, {1, 0}}},
                               {"SameCurve", bent, bent}};
    Polygon near = exact;
    near[3].y += 8 * DBL_EPSILON;  // a few rounding units off the bent curve: within the tolerance
    cases.push_back({"EndJustOffTheOther", near, bent});
    for (const Case& c : cases) {
        for (const bool swapped : {false, true}) {
            const CubicPair pair = swapped ? makePair(c.b, c.a) : makePair(c.a, c.b);
            std::vector<Candidate> found;
            Work work;
            EXPECT_EQ(crossCubics(pair.a, pair.b, pair.tolerance, true, work, found), CubicAnswer::endsUnsure)
                << c.name << (swapped ? " swapped" : "");
            EXPECT_TRUE(found.empty()) << c.name;
        }
    }
    // ordinary pairs: their ends are off the other curve, and shown to be so
    std::mt19937 random(43);
    std::uniform_real_distribution<float> coordinate(-1, 1);
    int shown = 0;
    for (int n = 0; n < 500; ++n) {
        Polygon p(4), q(4);
        for (Polygon* poly : {&p, &q}) {
            for (PointD& v : *poly) v = {coordinate(random), coordinate(random)};
        }
        const CubicPair pair = makePair(p, q);
        std::vector<Candidate> found;
        Work work;
        shown += crossCubics(pair.a, pair.b, pair.tolerance, true, work, found) != CubicAnswer::endsUnsure ? 1 : 0;
    }
    EXPECT_GT(shown, 450);
}

TEST(ExactCubicsEnds, ACurveWithACuspIsNeverShownToTurnNowhere) {
    Work work;
    // (0,0) (1,1) (0,1) (1,0): its derivative, the quadratic of (3,3) (-3,0) (3,-3), vanishes at 1/2
    const CubicPair cusp = makePair({{0, 0}, {1, 1}, {0, 1}, {1, 0}}, {{0, 0}, {1, 2}, {2, -1}, {3, 1}});
    EXPECT_FALSE(turnsNowhere(cusp.a, cusp.tolerance, cusp.err, work));
    // the other, an S-curve whose derivative stays right of zero (x' = 3 throughout), turns nowhere
    EXPECT_TRUE(turnsNowhere(cusp.b, cusp.tolerance, cusp.err, work));
    // a near cusp: the middle control points moved apart by a rounding unit leave a derivative far shorter
    // than anything the clipping could tell from zero
    const CubicPair nearCusp = makePair({{0, 0}, {1, 1}, {DBL_EPSILON, 1}, {1, 0}}, {{0, 0}, {1, 2}, {2, -1}, {3, 1}});
    EXPECT_FALSE(turnsNowhere(nearCusp.a, nearCusp.tolerance, nearCusp.err, work));
}

// The curve of count points in the frame, with the rounding and tolerance the exact intersection gives a
// pair of curves of that many points at that scale.
struct FramedCurve {
    Curve curve;
    double err = 0;
    double tolerance = 0;
};

FramedCurve frame(const Polygon& p) {
    FramedCurve f;
    double x[maxPoints], y[maxPoints];
    double scale = 0;
    for (size_t i = 0; i < p.size(); ++i) {
        x[i] = p[i].x;
        y[i] = p[i].y;
        scale = std::max({scale, std::fabs(p[i].x), std::fabs(p[i].y)});
    }
    const int n = static_cast<int>(p.size());
    f.curve.set(x, y, n);
    f.err = (8 * n + 32) * DBL_EPSILON * scale;
    f.tolerance = 2 * f.err;
    return f;
}

// the part [t0, t1] of a cubic, by de Casteljau
Polygon partOf(const Polygon& p, double t0, double t1) {
    const auto split = [](Polygon c, double t, bool keepLeft) {
        Polygon left(c.size()), right(c.size());
        const size_t n = c.size();
        left[0] = c[0];
        right[n - 1] = c[n - 1];
        for (size_t j = 1; j < n; ++j) {
            for (size_t k = 0; k + j < n; ++k)
                c[k] = {(1 - t) * c[k].x + t * c[k + 1].x, (1 - t) * c[k].y + t * c[k + 1].y};
            left[j] = c[0];
            right[n - 1 - j] = c[n - 1 - j];
        }
        return keepLeft ? left : right;
    };
    return split(split(p, t1, true), t0 / t1, false);
}

// Where a curve stops and turns back (a cusp: its derivative vanishes), the search for such points has work
// to do, whatever the count of control points, the direction the cusp points in, and where along the curve
// it lies; curves whose derivative stays far from zero are shown to turn nowhere.
TEST(ExactCubicsEnds, CuspsOfLongerCurvesAreNeverShownToTurnNowhere) {
    const Polygon cusp = {{0, 0}, {1, 1}, {0, 1}, {1, 0}};  // derivative zero at 1/2
    // x' = 3 (1 - t)^2 + 6 t^2 > 1 all along: an S-curve that never stands still
    const Polygon ess = {{0, 0}, {1, 2}, {1, -1}, {3, 1}};
    struct Part {
        double t0, t1;  // the cusp at (1/2 - t0) / (t1 - t0)
    };
    for (const Part part : {Part{0, 1}, Part{0, 0.75}, Part{0.3125, 1}, Part{0.125, 0.5625}}) {
        for (int k = 0; k < 7; ++k) {
            const double angle = k * 0.4487989505128276;  // k pi / 7
            const double c = std::cos(angle);
            const double s = std::sin(angle);
            const auto turned = [&](const Polygon& p) {
                Polygon q = p;
                for (PointD& v : q) v = {c * v.x - s * v.y + 2, s * v.x + c * v.y - 1};
                return q;
            };
            Polygon withCusp = turned(partOf(cusp, part.t0, part.t1));
            Polygon smooth = turned(partOf(ess, part.t0, part.t1));
            for (int n = 4; n <= 10; ++n) {
                Work work;
                const FramedCurve f = frame(withCusp);
                EXPECT_FALSE(turnsNowhere(f.curve, f.tolerance, f.err, work))
                    << n << " points, part " << part.t0 << ".." << part.t1 << ", turned by " << k << " pi / 7";
                const FramedCurve g = frame(smooth);
                EXPECT_TRUE(turnsNowhere(g.curve, g.tolerance, g.err, work))
                    << "smooth, " << n << " points, part " << part.t0 << ".." << part.t1 << ", turned by " << k
                    << " pi / 7";
                withCusp = elevated(withCusp);
                smooth = elevated(smooth);
            }
        }
    }
}

}  // namespace
