#include "intersect/exact.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "intersect/exact/cubics.h"
#include "intersect/exact/curve.h"
#include "intersect/exact/implicit.h"
#include "intersect/exact/isolate.h"
#include "intersect/exact/lines.h"
#include "intersect/exact/newton.h"
#include "intersect/exact/stretches.h"

namespace exactmode {

namespace {

// A curve against a quadratic is answered by one polynomial of twice its degree, up to this many control
// points (the polynomial's degree stays within that of the largest curve).
constexpr int maxImplicitPoints = 16;
// A curve against a cubic is answered again by one polynomial of three times its degree, up to this many
// control points, where the search leaves a doubt.
constexpr int maxBezoutPoints = 11;
// Rounding of a piece's control points, in units of the rounding unit at the frame's scale: a few units
// per de Casteljau level (this many per control point), and a few more.
constexpr double roundingPerPoint = 8;
constexpr double roundingBase = 32;
// Curves closer than this many times that rounding meet.
constexpr double toleranceOverRounding = 2;
// A meeting point whose coordinate is smaller than this share of the frame's centre's is computed again
// from the control points as given: in the frame it would carry the rounding of the centre.
constexpr long double farFromCentre = 0x1p-20L;

// Working storage of one intersection, kept from one call to the next on a thread so that a call whose
// result storage has already grown allocates nothing: each user replaces the contents of its own vectors.
struct Scratch {
    std::vector<Candidate> found;     // meeting points as found, before one result per meeting
    std::vector<Candidate> ends;      // candidate ends of shared stretches
    std::vector<Candidate> merged;    // one result per meeting
    std::vector<double> parameters;   // points of one curve near a point
    std::vector<double> turns;        // where a curve turns back on itself
    std::vector<Stretch> candidates;  // shared stretches, before those inside others are dropped
    std::vector<Stretch> stretches;   // the shared stretches
    std::vector<MeetingParameters> meetings;
    std::vector<SharedStretch> shared;
};

// One pair of curves being intersected: the input, the curves in the local frame (centred on the box
// around both control polygons), the tolerances there, and the result.
struct ExactPair {
    const PointD* curve1;
    int n1;
    const PointD* curve2;
    int n2;
    double cx = 0;  // the frame's centre
    double cy = 0;
    Curve a;
    Curve b;
    double err = 0;        // rounding of a piece's control points
    double tolerance = 0;  // curves closer than this meet
    ExactIntersections* result;
    Scratch* scratch;
};

bool allAtOnePoint(const PointD* c, int n) {
    for (int i = 1; i < n; ++i) {
        if (c[i].x != c[0].x || c[i].y != c[0].y) return false;
    }
    return true;
}

bool finiteCurve(const PointD* curve, int n) {
    if (n < 1 || n > maxPoints) return false;
    for (int i = 0; i < n; ++i) {
        if (!std::isfinite(curve[i].x) || !std::isfinite(curve[i].y)) return false;
    }
    return true;
}

// Moves both curves into the local frame and sets the tolerances at its scale.
void placeInFrame(ExactPair& pair) {
    const PointD* curve1 = pair.curve1;
    const PointD* curve2 = pair.curve2;
    const int n1 = pair.n1;
    const int n2 = pair.n2;
    double minX = curve1[0].x, maxX = minX, minY = curve1[0].y, maxY = minY;
    const auto widen = [&](const PointD* c, int n) {
        for (int i = 0; i < n; ++i) {
            minX = std::min(minX, c[i].x);
            maxX = std::max(maxX, c[i].x);
            minY = std::min(minY, c[i].y);
            maxY = std::max(maxY, c[i].y);
        }
    };
    widen(curve1, n1);
    widen(curve2, n2);
    pair.cx = 0.5 * minX + 0.5 * maxX;
    pair.cy = 0.5 * minY + 0.5 * maxY;
    double scale = 0;
    double x[maxPoints], y[maxPoints];
    for (int i = 0; i < n1; ++i) {
        x[i] = curve1[i].x - pair.cx;
        y[i] = curve1[i].y - pair.cy;
        scale = std::max(scale, std::max(std::fabs(x[i]), std::fabs(y[i])));
    }
    pair.a.set(x, y, n1);
    for (int i = 0; i < n2; ++i) {
        x[i] = curve2[i].x - pair.cx;
        y[i] = curve2[i].y - pair.cy;
        scale = std::max(scale, std::max(std::fabs(x[i]), std::fabs(y[i])));
    }
    pair.b.set(x, y, n2);
    pair.err = std::max((roundingPerPoint * std::max(n1, n2) + roundingBase) * unitRoundoff * scale, DBL_MIN);
    pair.tolerance = toleranceOverRounding * pair.err;
}

// Adds the meeting point at (t, s), the point taken on the first curve.
void emit(ExactPair& pair, double t, double s, bool touch) {
    // in the frame, where the curve is near the origin; by de Casteljau on the control points as given
    // where the frame's centre is far larger than the point (a float-range curve meeting near zero)
    long double px, py;
    pair.a.position.at<long double>(t, px, py);
    long double x = px + pair.cx;
    long double y = py + pair.cy;
    if (std::fabs(x) < farFromCentre * std::fabs(pair.cx) || std::fabs(y) < farFromCentre * std::fabs(pair.cy)) {
        const int n1 = pair.n1;
        long double qx[maxPoints], qy[maxPoints];
        for (int i = 0; i < n1; ++i) {
            qx[i] = pair.curve1[i].x;
            qy[i] = pair.curve1[i].y;
        }
        for (int j = 1; j < n1; ++j) {
            for (int k = 0; k + j < n1; ++k) {
                qx[k] = (1 - static_cast<long double>(t)) * qx[k] + t * qx[k + 1];
                qy[k] = (1 - static_cast<long double>(t)) * qy[k] + t * qy[k + 1];
            }
        }
        x = qx[0];
        y = qy[0];
    }
    pair.result->crossings.push_back({t, s, static_cast<double>(x), static_cast<double>(y), touch});
}

// Adds the meeting points of a one-dimensional answer, ordered by t, then s.
void emitMeetings(ExactPair& pair, std::vector<MeetingParameters>& meetings) {
    std::sort(meetings.begin(), meetings.end(), [](const MeetingParameters& p, const MeetingParameters& q) {
        return p.t < q.t || (p.t == q.t && p.s < q.s);
    });
    for (const MeetingParameters& m : meetings) emit(pair, m.t, m.s, m.touch);
}

// Step 1: single points and curves on a straight line, a one-dimensional question answered without the
// search. True when the pair is answered.
bool answerPointsAndLines(ExactPair& pair) {
    const PointD* curve1 = pair.curve1;
    const PointD* curve2 = pair.curve2;
    const int n1 = pair.n1;
    const int n2 = pair.n2;
    ExactIntersections& result = *pair.result;
    // curves whose control points all coincide, exactly: single points
    const bool pointA = allAtOnePoint(curve1, n1);
    const bool pointB = allAtOnePoint(curve2, n2);
    if (pointA && pointB) {
        if (curve1[0].x == curve2[0].x && curve1[0].y == curve2[0].y) emit(pair, 0, 0, true);
        return true;
    }
    const bool straightA = onOneLine(curve1, n1);
    const bool straightB = onOneLine(curve2, n2);
    if ((pointA && !straightB) || (pointB && !straightA)) {
        // a point against a curve that is not straight: where the curve passes it within rounding
        const Curve& curve = pointA ? pair.b : pair.a;
        const Vec p = pointA ? Vec{pair.a.x[0], pair.a.y[0]} : Vec{pair.b.x[0], pair.b.y[0]};
        std::vector<double>& passes = pair.scratch->parameters;
        Work work;
        pointOnCurve(curve, p, pair.tolerance, pair.err, passes, work);
        for (double u : passes) emit(pair, pointA ? 0 : u, pointA ? u : 0, true);
        result.complete = !work.spent();
        result.work = work.used;
        return true;
    }
    if (!straightA && !straightB) return false;
    std::vector<MeetingParameters>& meetings = pair.scratch->meetings;
    std::vector<SharedStretch>& shared = pair.scratch->shared;
    meetings.clear();
    shared.clear();
    if (straightA && straightB && onOneLine(curve1, n1, curve2, n2)) {
        intersectOnOneLine(curve1, n1, curve2, n2, meetings, shared);
    } else if (straightB && !pointB) {
        intersectWithLine(curve1, n1, curve2, n2, meetings);
    } else {
        intersectWithLine(curve2, n2, curve1, n1, meetings);
        for (MeetingParameters& m : meetings) std::swap(m.t, m.s);
    }
    emitMeetings(pair, meetings);
    std::sort(shared.begin(), shared.end(), [](const SharedStretch& p, const SharedStretch& q) { return p.t0 < q.t0; });
    for (const SharedStretch& r : shared) result.overlaps.push_back({r.t0, r.t1, r.s0, r.s1});
    return true;
}

// Steps 2 and 5: a curve against a quadratic (order 3) or a cubic (order 4) of at most `most` control
// points, answered by the roots of the implicit equation along it; false where that equation vanishes
// along the curve, or the pair is not of that kind.
bool answerByImplicitEquation(ExactPair& pair, int order, int most) {
    std::vector<MeetingParameters>& meetings = pair.scratch->meetings;
    meetings.clear();
    const auto solve = order == 3 ? intersectWithQuadratic : intersectWithCubic;
    bool answered = false;
    if (pair.n2 == order && pair.n1 <= most) {
        answered = solve(pair.curve1, pair.n1, pair.curve2, meetings);
    } else if (pair.n1 == order && pair.n2 <= most) {
        answered = solve(pair.curve2, pair.n2, pair.curve1, meetings);
        for (MeetingParameters& m : meetings) std::swap(m.t, m.s);
    }
    if (!answered) return false;
    emitMeetings(pair, meetings);
    return true;
}

// Step 3: the meeting points at the curves' ends (put in the scratch's found) and the stretches the curves
// share (in its stretches).
void examineEndsAndStretches(const ExactPair& pair, Work& work, Work& checking) {
    Scratch& scratch = *pair.scratch;
    scratch.found.clear();
    scratch.ends.clear();
    examineEnds(pair.a, pair.b, false, pair.tolerance, pair.err, scratch.found, scratch.ends, scratch.parameters,
                scratch.turns, work);
    examineEnds(pair.b, pair.a, true, pair.tolerance, pair.err, scratch.found, scratch.ends, scratch.parameters,
                scratch.turns, work);
    sharedStretches(pair.a, pair.b, scratch.ends, pair.tolerance, checking, scratch.candidates, scratch.stretches);
}

// Step 5: one result per meeting point, none inside a shared stretch. Where double precision decided
// something only within its tolerance (a touch, pieces settled when too short to cut, or a search
// stopped short) and a cubic is involved, the cubic's implicit equation along the other curve answers the
// pair again, exactly.
void settleResults(ExactPair& pair, int settled, const Work& work, const Work& checking) {
    ExactIntersections& result = *pair.result;
    std::vector<Stretch>& stretches = pair.scratch->stretches;
    std::vector<Candidate>& merged = pair.scratch->merged;
    oneResultPerMeeting(pair.a, pair.b, pair.scratch->found, stretches, pair.tolerance, merged);
    result.complete = !work.spent() && !checking.spent();
    result.work = work.used + checking.used;

    bool doubtful = settled > 0 || !result.complete;
    for (const Candidate& c : merged) doubtful = doubtful || c.touch;
    if (doubtful && stretches.empty() && answerByImplicitEquation(pair, 4, maxBezoutPoints)) {
        result.complete = true;
        return;
    }

    std::sort(merged.begin(), merged.end(), parameterOrder);
    for (const Candidate& c : merged) emit(pair, c.t, c.s, c.touch);
    std::sort(stretches.begin(), stretches.end(), [](const Stretch& p, const Stretch& q) { return p.t0 < q.t0; });
    for (const Stretch& r : stretches) result.overlaps.push_back({r.t0, r.t1, r.s0, r.s1});
}

}  // namespace

}  // namespace exactmode

void intersectExact(const PointD* curve1, int n1, const PointD* curve2, int n2, ExactIntersections& result) {
    using namespace exactmode;
    result.crossings.clear();
    result.overlaps.clear();
    result.complete = true;
    result.work = 0;
    if (!finiteCurve(curve1, n1) || !finiteCurve(curve2, n2)) return;
    ExactPair pair;
    pair.curve1 = curve1;
    pair.n1 = n1;
    pair.curve2 = curve2;
    pair.n2 = n2;
    pair.result = &result;
    thread_local Scratch scratch;
    pair.scratch = &scratch;
    placeInFrame(pair);

    if (answerPointsAndLines(pair)) return;                            // 1
    if (answerByImplicitEquation(pair, 3, maxImplicitPoints)) return;  // 2
    Work work;
    Work checking;
    checking.limit = checkLimit;
    // 3 and 4 for two cubics: where no end lies on the other curve and neither turns back on itself (shown
    // without searching), the ends have nothing to add; then the crossings algebraically where that is
    // certain. Otherwise the ends are searched, and the crossings taken algebraically (when no end meets
    // the other curve) or by clipping.
    CubicAnswer answer = CubicAnswer::endsUnsure;
    if (n1 == 4 && n2 == 4 && turnsNowhere(pair.a, pair.tolerance, pair.err, work) &&
        turnsNowhere(pair.b, pair.tolerance, pair.err, work)) {
        scratch.found.clear();
        scratch.ends.clear();
        scratch.stretches.clear();
        answer = crossCubics(pair.a, pair.b, pair.tolerance, true, work, scratch.found);
    }
    if (answer != CubicAnswer::answered) {
        examineEndsAndStretches(pair, work, checking);  // 3
        if (n1 == 4 && n2 == 4 && answer == CubicAnswer::endsUnsure && scratch.found.empty() && scratch.ends.empty()) {
            answer = crossCubics(pair.a, pair.b, pair.tolerance, false, work, scratch.found);
        }
    }
    const bool algebraic = answer == CubicAnswer::answered;
    const int settled = algebraic ? 0
                                  : isolateCrossings(pair.a, pair.b, pair.err, pair.tolerance, work, scratch.found,
                                                     scratch.stretches);  // 4
    settleResults(pair, settled, work, checking);                         // 5
}

void intersectExact(const Point* curve1, int n1, const Point* curve2, int n2, ExactIntersections& result) {
    PointD a[exactmode::maxPoints];
    PointD b[exactmode::maxPoints];
    const bool fits = n1 >= 1 && n1 <= exactmode::maxPoints && n2 >= 1 && n2 <= exactmode::maxPoints;
    if (!fits) {
        result.crossings.clear();
        result.overlaps.clear();
        return;
    }
    for (int i = 0; i < n1; ++i) a[i] = {curve1[i].x, curve1[i].y};
    for (int i = 0; i < n2; ++i) b[i] = {curve2[i].x, curve2[i].y};
    intersectExact(a, n1, b, n2, result);
}
