#include "intersect/exact/isolate.h"

#include <algorithm>
#include <cmath>

#include "intersect/exact/clip.h"
#include "intersect/exact/newton.h"

namespace exactmode {

namespace {

// A clip that keeps more than this share of a piece makes too little progress: halve instead.
constexpr double clipStall = 0.65;
// A clip that keeps more than this share of a piece is not worth cutting the piece for.
constexpr double narrowBelow = 0.95;
// Clipping rounds on one pair before it is halved regardless: a round that keeps less than clipStall of
// both pieces shrinks them geometrically, so this is never reached short of the rounding floor.
constexpr int clipRounds = 64;
// How far (in parameter) a Newton root may lie outside the box it was started in and still belong to it.
constexpr double boxSlack = 1e-12;
// A touch found from a tiny pair belongs to it when it lies within this many of the pair's widths of its
// centre (a contact is flat, so Newton on it may settle a little way off).
constexpr double touchReach = 8;
// Boxes and fat lines are widened by this many times a piece's rounding: each of the two pieces may be off
// by err.
constexpr double boxMargin = 2;
// The work of a clipping round beyond its de Casteljau cuts, per control point (cones, fat lines, boxes).
constexpr long clipWorkPerPoint = 32;

// What the isolation of one pair of curves shares across its recursion.
struct Isolation {
    const Curve* a;
    const Curve* b;
    double err;        // rounding error of a piece's control points
    double tolerance;  // curves closer than this meet
    Work* work;
    std::vector<Candidate>* found;  // its first knownAtEnds entries are the meetings at the curves' ends
    size_t knownAtEnds;
    int settled;  // pairs settled when too short to cut
    const std::vector<Stretch>* stretches;
};

// Whether the pieces on [t0, t1] and [s0, s1] can meet only where they are the same points of a shared
// stretch: the box lies in the stretch's parameter rectangle, and the first curve runs one way (its
// control polygon's directions within half a turn) over a parameter range holding both its own piece and
// the part the second piece coincides with. A curve that runs one way does not cross itself, so no node
// of the shared curve lies in between.
bool onlyOnStretch(const Isolation& search, double t0, double t1, double s0, double s1) {
    const Curve& a = *search.a;
    const Curve& b = *search.b;
    for (const Stretch& r : *search.stretches) {
        const double lo = std::min(r.s0, r.s1);
        const double hi = std::max(r.s0, r.s1);
        if (!(t0 >= r.t0 && t1 <= r.t1 && s0 >= lo && s1 <= hi)) continue;
        const double u0 = alongStretch(b, a, r.s0, r.s1, r.t0, r.t1, s0);
        const double u1 = alongStretch(b, a, r.s0, r.s1, r.t0, r.t1, s1);
        const double from = std::max(r.t0, std::min(t0, std::min(u0, u1)) - sameTouch);
        const double to = std::min(r.t1, std::max(t1, std::max(u0, u1)) + sameTouch);
        search.work->used += a.n * a.n + clipWorkPerPoint * (a.n + b.n);  // two projections and one piece
        ClipPiece span;
        extract(a, from, to, span);
        if (coneOf(span, a.n, search.err).valid) return true;
    }
    return false;
}

// Keeps a meeting point, its parameters held to the curves.
void record(Isolation& search, double t, double s, bool touch) {
    search.found->push_back({std::min(1.0, std::max(0.0, t)), std::min(1.0, std::max(0.0, s)), touch});
}

// A pair of pieces too short to cut further that still meets: a touch, a crossing, or nothing.
void settleTinyPair(Isolation& search, double t0, double t1, double s0, double s1, bool apart) {
    const Curve& a = *search.a;
    const Curve& b = *search.b;
    search.work->used += (touchSteps + newtonSteps) * 2 * newtonStepWork * (a.n + b.n);
    ++search.settled;
    const double tc = 0.5 * (t0 + t1);
    const double sc = 0.5 * (s0 + s1);
    const double reach = touchReach * std::max(t1 - t0, s1 - s0);
    if (!apart) {
        double t = tc;
        double s = sc;
        if (newtonTouch(a, b, t, s) && std::fabs(t - tc) <= reach && std::fabs(s - sc) <= reach && t >= -boxSlack &&
            t <= 1 + boxSlack && s >= -boxSlack && s <= 1 + boxSlack) {
            const Vec pa = pointAt(a, t);
            const Vec pb = pointAt(b, s);
            if (pointsApart(pa, pb) <= search.tolerance) {
                record(search, t, s, true);
                return;
            }
        }
    }
    double t = tc;
    double s = sc;
    if (newtonCrossing(a, b, t, s) && t >= t0 - (t1 - t0) && t <= t1 + (t1 - t0) && s >= s0 - (s1 - s0) &&
        s <= s1 + (s1 - s0) && t >= -boxSlack && t <= 1 + boxSlack && s >= -boxSlack && s <= 1 + boxSlack) {
        record(search, t, s, false);
        return;
    }
    // no root to settle on (a contact of higher order): the centre, when the curves meet there
    const Vec pa = pointAt(a, tc);
    const Vec pb = pointAt(b, sc);
    if (!apart && pointsApart(pa, pb) <= search.tolerance) record(search, tc, sc, true);
}

// Clips other, the piece of c on [lo, hi], to the fat line of line (n control points; clips: line has a
// direction cone, else its fat line is too wide to cut anything worth the work), and cuts it down when
// that keeps less than narrowBelow of it. kept: the share of other's range kept. False when nothing is left.
bool clipPiece(const ClipPiece& line, int n, bool clips, const Curve& c, ClipPiece& other, double& lo, double& hi,
               double margin, double& kept) {
    double u0 = 0;
    double u1 = 1;
    if (clips && !clipToFatLine(line, n, other, c.n, margin, u0, u1)) return false;
    kept = u1 - u0;
    if (kept < narrowBelow) {
        const double w = hi - lo;
        const double n0 = lo + u0 * w;
        const double n1 = std::max(n0, u1 < 1 ? lo + u1 * w : hi);
        lo = n0;
        hi = n1;
        narrow(c, other, u0, u1, lo, hi);
    }
    return true;
}

// Isolates the meetings of the pieces pa of the first curve on [t0, t1] and pb of the second on [s0, s1].
void isolatePair(Isolation& search, ClipPiece& pa, double t0, double t1, ClipPiece& pb, double s0, double s1) {
    const Curve& a = *search.a;
    const Curve& b = *search.b;
    search.work->used += a.n + b.n;
    const double margin = boxMargin * search.err;
    if (!boxesMeet(pa, pb, margin)) return;

    bool triedNewton = false;
    bool apart = false;
    for (int round = 0; round < clipRounds; ++round) {
        if (search.work->spent()) return;  // the result says that the search stopped short
        if (onlyOnStretch(search, t0, t1, s0, s1)) return;
        search.work->used += a.n * a.n + b.n * b.n + clipWorkPerPoint * (a.n + b.n);
        const Cone coneA = coneOf(pa, a.n, search.err);
        const Cone coneB = coneOf(pb, b.n, search.err);
        apart = directionsApart(coneA, coneB, search.err);
        if (apart) {
            // at most one meeting here: when it is one found at a curve's end already, nothing is left
            for (size_t i = 0; i < search.knownAtEnds; ++i) {
                const Candidate& k = (*search.found)[i];
                if (k.t >= t0 - boxSlack && k.t <= t1 + boxSlack && k.s >= s0 - boxSlack && k.s <= s1 + boxSlack) {
                    return;
                }
            }
        }
        if (apart && !triedNewton) {
            // at most one crossing here: Newton from the centre finds it unless it starts too far out
            triedNewton = true;
            search.work->used += newtonSteps * newtonStepWork * (a.n + b.n);
            double t = 0.5 * (t0 + t1);
            double s = 0.5 * (s0 + s1);
            if (newtonCrossing(a, b, t, s) && pointsApart(pointAt(a, t), pointAt(b, s)) <= search.tolerance) {
                if (t >= t0 - boxSlack && t <= t1 + boxSlack && s >= s0 - boxSlack && s <= s1 + boxSlack) {
                    record(search, t, s, false);
                    return;
                }
            }
        }
        if (t1 - t0 <= tinyWidth && s1 - s0 <= tinyWidth) break;

        // clip each piece to the other's fat line; a piece that turns half a turn or more has a fat line
        // too wide to cut anything worth the work
        double keptB = 1;
        double keptA = 1;
        if (!clipPiece(pa, a.n, coneA.valid, b, pb, s0, s1, margin, keptB)) return;
        if (!clipPiece(pb, b.n, coneB.valid, a, pa, t0, t1, margin, keptA)) return;
        if (!boxesMeet(pa, pb, margin)) return;
        if (keptA > clipStall && keptB > clipStall) break;
    }

    const bool tinyA = t1 - t0 <= tinyWidth;
    const bool tinyB = s1 - s0 <= tinyWidth;
    if (tinyA && tinyB) {
        settleTinyPair(search, t0, t1, s0, s1, apart);
        return;
    }
    if (search.work->spent()) return;  // the result says that the search stopped short
    // halve the longer piece (one already too short to cut stays whole)
    ClipPiece first;
    ClipPiece second;
    if (tinyB || (!tinyA && extentOf(pa) >= extentOf(pb))) {
        const double tm = 0.5 * (t0 + t1);
        halve(a, pa, t0, t1, first, second);
        coneOf(pb, b.n, search.err);  // both halves' pairs look at it: computed once, the copy keeps it
        ClipPiece copy = pb;
        isolatePair(search, first, t0, tm, pb, s0, s1);
        isolatePair(search, second, tm, t1, copy, s0, s1);
    } else {
        const double sm = 0.5 * (s0 + s1);
        halve(b, pb, s0, s1, first, second);
        coneOf(pa, a.n, search.err);  // both halves' pairs look at it: computed once, the copy keeps it
        ClipPiece copy = pa;
        isolatePair(search, pa, t0, t1, first, s0, sm);
        isolatePair(search, copy, t0, t1, second, sm, s1);
    }
}

}  // namespace

int isolateCrossings(const Curve& a, const Curve& b, double err, double tolerance, Work& work,
                     std::vector<Candidate>& found, const std::vector<Stretch>& stretches) {
    Isolation search{&a, &b, err, tolerance, &work, &found, found.size(), 0, &stretches};
    ClipPiece wholeA;
    ClipPiece wholeB;
    extract(a, 0, 1, wholeA);
    extract(b, 0, 1, wholeB);
    isolatePair(search, wholeA, 0, 1, wholeB, 0, 1);
    return search.settled;
}

}  // namespace exactmode
