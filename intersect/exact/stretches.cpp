#include "intersect/exact/stretches.h"

#include <algorithm>
#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "intersect/exact/newton.h"

namespace exactmode {

namespace {

// Results up to sameContact apart are one meeting point when the curves stay within the tolerance of
// each other at this many evenly spaced steps between them.
constexpr int contactSamples = 8;
// A derivative shorter than this many times n err (the rounding of a derivative of a curve of n points)
// is taken as zero: the curve stands still and has every direction.
constexpr double standingStill = 8;
// The hodograph's control points are (n - 1) differences: twice the rounding of the curve's per degree.
constexpr double hodographRounding = 2;
// Two different algebraic curves of degrees d1 and d2 share at most d1 d2 points: d1 d2 + 1 samples on
// both decide, but never fewer than this.
constexpr int fewestSamples = 3;
// The work of one projection onto a curve, per control point: a few Newton steps.
constexpr long projectionWork = 16;

// The derivative is shown to stay away from zero on pieces of the hodograph halved at most this many
// times (up to 2^6 pieces, 2^7 - 1 looked at); where that does not settle it, the search for where it
// vanishes decides.
constexpr int clearDepth = 6;
// A piece of the hodograph is clear of zero when its control points lie beyond this many times the
// tolerance of that search (and this many times its rounding) on one side of a line through zero: far
// more than the rounding of the pieces and of evaluating the hodograph, so the search would find nothing.
constexpr double clearMargin = 2;
constexpr double clearRounding = 8;

// Whether the hodograph's control points h[0..k) (a curve's derivative), cut in halves up to `depth` more
// times, are each on one side of a line through zero, beyond bound: then the derivative is longer than
// bound all along, and the curve nowhere turns back on itself. The lines tried: the axes (the box around
// the control points), the line across their mean direction, and the line along the chord from the first
// control point to the last.
template <int K>
bool derivativeClearN(const Vec* h, int count, double bound, int depth) {
    const int k = K > 0 ? K : count;
    double loX = h[0].x, hiX = h[0].x, loY = h[0].y, hiY = h[0].y;
    Vec mean{0, 0};
#if defined(__SSE2__)
    // both coordinates at once: minpd(q, lo) is std::min(lo, q), maxpd(q, hi) is std::max(hi, q), and
    // addpd adds as addsd, for each coordinate
    __m128d lo = _mm_loadu_pd(&h[0].x);
    __m128d hi = lo;
    __m128d sum = _mm_setzero_pd();
#pragma GCC unroll 32
    for (int i = 0; i < k; ++i) {
        const __m128d q = _mm_loadu_pd(&h[i].x);
        lo = _mm_min_pd(q, lo);
        hi = _mm_max_pd(q, hi);
        sum = _mm_add_pd(sum, q);
    }
    loX = _mm_cvtsd_f64(lo);
    loY = _mm_cvtsd_f64(_mm_unpackhi_pd(lo, lo));
    hiX = _mm_cvtsd_f64(hi);
    hiY = _mm_cvtsd_f64(_mm_unpackhi_pd(hi, hi));
    mean.x = _mm_cvtsd_f64(sum);
    mean.y = _mm_cvtsd_f64(_mm_unpackhi_pd(sum, sum));
#else
#pragma GCC unroll 32
    for (int i = 0; i < k; ++i) {
        loX = std::min(loX, h[i].x);
        hiX = std::max(hiX, h[i].x);
        loY = std::min(loY, h[i].y);
        hiY = std::max(hiY, h[i].y);
        mean.x += h[i].x;
        mean.y += h[i].y;
    }
#endif
    if (loX > bound || hiX < -bound || loY > bound || hiY < -bound) return true;
    // every control point beyond bound along the unit direction of the mean
    const double m = length(mean);
    if (m > 0) {
        bool clear = true;
#pragma GCC unroll 32
        for (int i = 0; i < k; ++i) clear = clear && dot(h[i], mean) > bound * m;
        if (clear) return true;
    }
    // every control point beyond bound on one side of the line through zero along the chord from the
    // first control point to the last: for a short piece, nearly straight, the line the mean's direction
    // misses when the piece passes zero at an angle
    const Vec chord{h[k - 1].x - h[0].x, h[k - 1].y - h[0].y};
    const double c = length(chord);
    if (c > 0) {
        const Vec normal{-chord.y, chord.x};
        bool left = true;
        bool right = true;
#pragma GCC unroll 32
        for (int i = 0; i < k; ++i) {
            const double d = dot(h[i], normal);
            left = left && d > bound * c;
            right = right && d < -bound * c;
        }
        if (left || right) return true;
    }
    if (depth == 0) return false;
    // the levels built in place in right: point i is last set at level k - 1 - i, the right half's point i
    Vec left[K > 0 ? K : maxPoints], right[K > 0 ? K : maxPoints];
    for (int i = 0; i < k; ++i) right[i] = h[i];
    left[0] = h[0];
#pragma GCC unroll 32
    for (int j = 1; j < k; ++j) {
#pragma GCC unroll 32
        for (int i = 0; i < k - j; ++i) {
            right[i] = Vec{0.5 * right[i].x + 0.5 * right[i + 1].x, 0.5 * right[i].y + 0.5 * right[i + 1].y};
        }
        left[j] = right[0];
    }
    return derivativeClearN<K>(left, k, bound, depth - 1) && derivativeClearN<K>(right, k, bound, depth - 1);
}

bool derivativeClear(const Vec* h, int k, double bound, int depth) {
    return byCount(k, [&](auto K) { return derivativeClearN<decltype(K)::value>(h, k, bound, depth); });
}

// The hodograph of a (its control points d (P[i + 1] - P[i])), and the tolerance and rounding of the
// search for where it vanishes.
struct Hodograph {
    int d;
    double hx[maxPoints];
    double hy[maxPoints];
    double tolerance;
    double err;
};

Hodograph hodographOf(const Curve& a, double tolerance, double err) {
    Hodograph h;
    h.d = a.n - 1;
    for (int i = 0; i < h.d; ++i) {
        h.hx[i] = h.d * (a.x[i + 1] - a.x[i]);
        h.hy[i] = h.d * (a.y[i + 1] - a.y[i]);
    }
    h.tolerance = 2.0 * hodographRounding * h.d * tolerance;
    h.err = hodographRounding * h.d * err;
    return h;
}

// Whether the hodograph is shown to stay clear of zero: the search for where it vanishes would find nothing.
bool hodographClear(const Hodograph& h, Work& work) {
    Vec v[maxPoints];
    for (int i = 0; i < h.d; ++i) v[i] = Vec{h.hx[i], h.hy[i]};
    work.used += (2 << clearDepth) * h.d * h.d;  // each piece looked at, and halved
    return derivativeClear(v, h.d, clearMargin * h.tolerance + clearRounding * h.err, clearDepth);
}

// Whether the curves have one direction at (t, s); a vanishing derivative has every direction.
bool parallelAt(const Curve& a, double t, const Curve& b, double s, double err) {
    const Vec va = velocityAt(a, t);
    const Vec vb = velocityAt(b, s);
    const double la = length(va);
    const double lb = length(vb);
    if (la <= standingStill * a.n * err || lb <= standingStill * b.n * err) return true;
    return std::fabs(cross(va, vb)) <= parallelSine * la * lb;
}

// Whether the curves coincide all the way between the meeting points p and q (p.t < q.t): sample points
// of the first curve between them, projected onto the second within the s-range, all lie on it.
bool coincideBetween(const Curve& a, const Curve& b, Candidate p, Candidate q, double tolerance, Work& work) {
    const int samples = std::max(fewestSamples, (a.n - 1) * (b.n - 1) + 1);
    const double lo = std::min(p.s, q.s) - sameCrossing;
    const double hi = std::max(p.s, q.s) + sameCrossing;
    const double direction = q.s > p.s ? 1 : -1;
    double previous = p.s;
    for (int j = 1; j <= samples; ++j) {
        const double f = static_cast<double>(j) / (samples + 1);
        const double t = p.t + f * (q.t - p.t);
        // start from where a linear map between the ends puts it, or from the last sample when further on
        double s = p.s + f * (q.s - p.s);
        if ((s - previous) * direction < 0) s = previous;
        const Vec point = pointAt(a, t);
        work.used += projectionWork * b.n;  // a projection takes a few Newton steps
        if (!newtonProject(b, point, s)) return false;
        if (s < lo || s > hi || (s - previous) * direction < -sameCrossing) return false;
        const Vec on = pointAt(b, s);
        if (pointsApart(on, point) > tolerance) return false;
        previous = s;
    }
    return true;
}

// Whether two results are one meeting point: equal within rounding, or near each other with the curves
// staying within the tolerance of each other all the way between them.
bool oneMeeting(const Curve& a, const Curve& b, Candidate p, Candidate q, double tolerance) {
    const double dt = q.t - p.t;
    const double ds = q.s - p.s;
    if (std::fabs(dt) <= sameCrossing && std::fabs(ds) <= sameCrossing) return true;
    if (std::fabs(dt) > sameContact || std::fabs(ds) > sameContact) return false;
    for (int j = 1; j < contactSamples; ++j) {
        const double f = j / static_cast<double>(contactSamples);
        if (pointsApart(pointAt(a, p.t + f * dt), pointAt(b, p.s + f * ds)) > tolerance) return false;
    }
    return true;
}

}  // namespace

double alongStretch(const Curve& from, const Curve& to, double u0, double u1, double v0, double v1, double u) {
    const double f = u1 != u0 ? std::min(1.0, std::max(0.0, (u - u0) / (u1 - u0))) : 0.0;
    const double lo = std::min(v0, v1);
    const double hi = std::max(v0, v1);
    const double guess = v0 + f * (v1 - v0);
    double v = guess;
    if (!newtonProject(to, pointAt(from, u), v) || v < lo - sameTouch || v > hi + sameTouch) v = guess;
    return std::min(hi, std::max(lo, v));
}

void examineEnds(const Curve& a, const Curve& b, bool swapped, double tolerance, double err,
                 std::vector<Candidate>& meetings, std::vector<Candidate>& stretchEnds, std::vector<double>& scratch,
                 std::vector<double>& turns, Work& work) {
    const auto add = [&](double t, double s, bool touch, bool meeting) {
        const Candidate c = swapped ? Candidate{s, t, touch} : Candidate{t, s, touch};
        if (meeting) meetings.push_back(c);
        if (touch) stretchEnds.push_back(c);
    };
    // the ends of a
    for (double t : {0.0, 1.0}) {
        pointOnCurve(b, pointAt(a, t), tolerance, err, scratch, work);
        for (double s : scratch) add(t, s, parallelAt(a, t, b, s, err), true);
    }
    // where a turns back on itself (its derivative vanishes) on b
    if (a.n >= 3) {
        const Hodograph h = hodographOf(a, tolerance, err);
        if (hodographClear(h, work)) return;
        Curve hodograph;
        hodograph.set(h.hx, h.hy, h.d);
        pointOnCurve(hodograph, Vec{0, 0}, h.tolerance, h.err, turns, work);
        for (double t : turns) {
            if (work.spent()) break;  // a derivative within rounding of zero all along: the result says so
            pointOnCurve(b, pointAt(a, t), tolerance, err, scratch, work);
            for (double s : scratch) add(t, s, true, false);
        }
    }
}

bool turnsNowhere(const Curve& a, double tolerance, double err, Work& work) {
    return a.n < 3 || hodographClear(hodographOf(a, tolerance, err), work);
}

void sharedStretches(const Curve& a, const Curve& b, std::vector<Candidate>& ends, double tolerance, Work& checking,
                     std::vector<Stretch>& stretches, std::vector<Stretch>& kept) {
    stretches.clear();
    std::sort(ends.begin(), ends.end(), parameterOrder);
    for (size_t i = 0; i < ends.size(); ++i) {
        for (size_t j = i + 1; j < ends.size(); ++j) {
            const Candidate& p = ends[i];
            const Candidate& q = ends[j];
            if (q.t - p.t <= sameTouch || std::fabs(q.s - p.s) <= sameTouch) continue;
            if (!checking.spent() && coincideBetween(a, b, p, q, tolerance, checking))
                stretches.push_back({p.t, q.t, p.s, q.s});
        }
    }
    // keep the longest of stretches that contain one another
    std::sort(stretches.begin(), stretches.end(),
              [](const Stretch& p, const Stretch& q) { return p.t1 - p.t0 > q.t1 - q.t0; });
    kept.clear();
    for (const Stretch& r : stretches) {
        bool inside = false;
        for (const Stretch& k : kept) {
            inside = inside || (r.t0 >= k.t0 - sameTouch && r.t1 <= k.t1 + sameTouch &&
                                std::min(r.s0, r.s1) >= std::min(k.s0, k.s1) - sameTouch &&
                                std::max(r.s0, r.s1) <= std::max(k.s0, k.s1) + sameTouch);
        }
        if (!inside) kept.push_back(r);
    }
}

void oneResultPerMeeting(const Curve& a, const Curve& b, std::vector<Candidate>& found,
                         const std::vector<Stretch>& stretches, double tolerance, std::vector<Candidate>& merged) {
    // (a node of the shared curve lies in a stretch's rectangle too, but away from its correspondence)
    const auto onStretch = [&](const Candidate& c) {
        for (const Stretch& r : stretches) {
            if (c.t < r.t0 - sameTouch || c.t > r.t1 + sameTouch) continue;
            const double s = alongStretch(a, b, r.t0, r.t1, r.s0, r.s1, std::min(r.t1, std::max(r.t0, c.t)));
            if (std::fabs(c.s - s) <= sameTouch) return true;
        }
        return false;
    };
    std::sort(found.begin(), found.end(), parameterOrder);
    merged.clear();
    for (const Candidate& c : found) {
        if (onStretch(c)) continue;
        bool same = false;
        for (Candidate& m : merged) {
            if (oneMeeting(a, b, m, c, tolerance)) {
                same = true;
                // two results apart by more than rounding that the curves never leave between: a contact
                // double precision cannot resolve further, a touch
                const bool distinct = std::fabs(c.t - m.t) > sameCrossing || std::fabs(c.s - m.s) > sameCrossing;
                if (c.touch && !m.touch) {
                    m = c;
                } else if (distinct) {
                    m.touch = true;
                }
                break;
            }
        }
        if (!same) merged.push_back(c);
    }
}

}  // namespace exactmode
