#include "intersect/exact/lines.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <utility>

#include "intersect/exact/polynomial.h"

namespace exactmode {

namespace {

// Values along the line this close (in units of the largest coordinate) are one value: the rounding of
// a value at a turning point, computed in long double, is far below it.
constexpr double sameValue = 64 * DBL_EPSILON;

// The axis that runs along a set of points (0: x, 1: y), and the two points lowest and highest on it.
struct LineAxis {
    int axis = 0;
    PointD low{0, 0};
    PointD high{0, 0};
};

void widenAxis(const PointD* p, int n, bool& first, PointD& minX, PointD& maxX, PointD& minY, PointD& maxY) {
    for (int i = 0; i < n; ++i) {
        if (first) {
            minX = maxX = minY = maxY = p[i];
            first = false;
            continue;
        }
        if (p[i].x < minX.x) minX = p[i];
        if (p[i].x > maxX.x) maxX = p[i];
        if (p[i].y < minY.y) minY = p[i];
        if (p[i].y > maxY.y) maxY = p[i];
    }
}

LineAxis axisOf(const PointD* a, int na, const PointD* b, int nb) {
    bool first = true;
    PointD minX{0, 0}, maxX{0, 0}, minY{0, 0}, maxY{0, 0};
    widenAxis(a, na, first, minX, maxX, minY, maxY);
    widenAxis(b, nb, first, minX, maxX, minY, maxY);
    LineAxis l;
    // the wider extent: the line is not across that axis, so a point's coordinate on it places it
    if (maxX.x - minX.x >= maxY.y - minY.y) {
        l.axis = 0;
        l.low = minX;
        l.high = maxX;
    } else {
        l.axis = 1;
        l.low = minY;
        l.high = maxY;
    }
    return l;
}

bool allOnLine(const LineAxis& l, const PointD* p, int n) {
    for (int i = 0; i < n; ++i) {
        const bool end = (p[i].x == l.low.x && p[i].y == l.low.y) || (p[i].x == l.high.x && p[i].y == l.high.y);
        if (end) continue;  // on the line through it, exactly
        if (orientation(l.low.x, l.low.y, l.high.x, l.high.y, p[i].x, p[i].y) != 0) return false;
    }
    return true;
}

double largestCoordinate(const AxisPolynomial& f) {
    double m = 0;
    for (int i = 0; i <= f.degree; ++i) m = std::max(m, std::fabs(f.c[i]));
    return m;
}

// the end of range r at the lower (or the higher) of its two values
double endAt(const MonotoneRange& r, bool lower) { return (r.v0 <= r.v1) == lower ? r.t0 : r.t1; }

}  // namespace

// The exponent of the lowest bit among the coordinates of both point sets: scaled by it, all are integers.
int lowestExponent(const PointD* a, int na, const PointD* b, int nb) {
    int low = 0;
    bool any = false;
    for (const auto& [p, n] : {std::pair<const PointD*, int>{a, na}, std::pair<const PointD*, int>{b, nb}}) {
        for (int i = 0; i < n; ++i) {
            for (double v : {p[i].x, p[i].y}) {
                if (v == 0) continue;
                low = any ? std::min(low, lowestBitExponent(v)) : lowestBitExponent(v);
                any = true;
            }
        }
    }
    return low;
}

bool sameMeeting(const MeetingParameters& p, const MeetingParameters& q) {
    return std::fabs(p.t - q.t) <= sameParameter && std::fabs(p.s - q.s) <= sameParameter;
}

// adds a meeting point unless it is known (a touch where either finding is one)
void addMeeting(std::vector<MeetingParameters>& meetings, const MeetingParameters& found) {
    for (MeetingParameters& k : meetings) {
        if (sameMeeting(k, found)) {
            k.touch = k.touch || found.touch;
            return;
        }
    }
    meetings.push_back(found);
}

AxisPolynomial alongAxis(const PointD* p, int n, int axis) {
    AxisPolynomial f;
    f.degree = n - 1;
    for (int i = 0; i < n; ++i) f.c[i] = axis == 0 ? p[i].x : p[i].y;
    return f;
}

bool onOneLine(const PointD* p, int n) { return allOnLine(axisOf(p, n, p, 0), p, n); }

bool onOneLine(const PointD* a, int na, const PointD* b, int nb) {
    const LineAxis l = axisOf(a, na, b, nb);
    return allOnLine(l, a, na) && allOnLine(l, b, nb);
}

void intersectOnOneLine(const PointD* a, int na, const PointD* b, int nb, std::vector<MeetingParameters>& meetings,
                        std::vector<SharedStretch>& stretches) {
    meetings.clear();
    stretches.clear();
    const int axis = axisOf(a, na, b, nb).axis;
    const AxisPolynomial fa = alongAxis(a, na, axis);
    const AxisPolynomial fb = alongAxis(b, nb, axis);
    const double tolerance = sameValue * std::max(largestCoordinate(fa), largestCoordinate(fb));
    // (storage kept per thread)
    thread_local std::vector<MonotoneRange> ra;
    thread_local std::vector<MonotoneRange> rb;
    thread_local std::vector<MeetingParameters> touches;
    fa.monotoneRanges(ra);
    fb.monotoneRanges(rb);
    touches.clear();

    // each pair of one-way stretches shares the part of the line both cover
    for (const MonotoneRange& p : ra) {
        const long double loA = std::min(p.v0, p.v1), hiA = std::max(p.v0, p.v1);
        for (const MonotoneRange& q : rb) {
            const long double loB = std::min(q.v0, q.v1), hiB = std::max(q.v0, q.v1);
            const long double lo = std::max(loA, loB);
            const long double hi = std::min(hiA, hiB);
            if (hi - lo > tolerance) {
                // an end of the shared part is an end of one stretch (taken as it is) or lies inside it
                const double tLo = loA >= loB ? endAt(p, true) : fa.solveIn(p, lo);
                const double tHi = hiA <= hiB ? endAt(p, false) : fa.solveIn(p, hi);
                const double sLo = loB >= loA ? endAt(q, true) : fb.solveIn(q, lo);
                const double sHi = hiB <= hiA ? endAt(q, false) : fb.solveIn(q, hi);
                if (tLo < tHi) {
                    stretches.push_back({tLo, tHi, sLo, sHi});
                } else {
                    stretches.push_back({tHi, tLo, sHi, sLo});
                }
            } else if (hi - lo >= -tolerance) {
                // the two cover one common value: they meet there only
                const long double v = 0.5L * (lo + hi);
                touches.push_back({fa.solveIn(p, v), fb.solveIn(q, v), true});
            }
        }
    }

    // stretches that continue one another (both curves running on through the joint the same way) are one
    std::sort(stretches.begin(), stretches.end(),
              [](const SharedStretch& p, const SharedStretch& q) { return p.t0 < q.t0 || (p.t0 == q.t0 && p.s0 < q.s0); });
    for (bool joined = true; joined;) {
        joined = false;
        for (size_t i = 0; i < stretches.size() && !joined; ++i) {
            for (size_t j = 0; j < stretches.size() && !joined; ++j) {
                SharedStretch& p = stretches[i];
                const SharedStretch& q = stretches[j];
                if (i == j || p.t1 != q.t0 || p.s1 != q.s0 || (p.s1 > p.s0) != (q.s1 > q.s0)) continue;
                p.t1 = q.t1;
                p.s1 = q.s1;
                stretches.erase(stretches.begin() + static_cast<long>(j));
                joined = true;
            }
        }
    }

    // a meeting point at the end of a stretch belongs to the stretch; each other one is reported once
    for (const MeetingParameters& m : touches) {
        bool known = false;
        for (const SharedStretch& r : stretches) {
            known = known || sameMeeting(m, {r.t0, r.s0, true}) || sameMeeting(m, {r.t1, r.s1, true});
        }
        for (const MeetingParameters& k : meetings) known = known || sameMeeting(m, k);
        if (!known) meetings.push_back(m);
    }
}

void intersectWithLine(const PointD* curve, int n, const PointD* line, int m, std::vector<MeetingParameters>& meetings) {
    meetings.clear();
    const LineAxis l = axisOf(line, m, line, 0);
    // the curve's distance from the line, times the length of low-high, as a polynomial: its Bernstein
    // coefficients are those of the control points
    const Twofold dx = twofoldDifference(l.high.x, l.low.x);
    const Twofold dy = twofoldDifference(l.high.y, l.low.y);
    Twofold distance[32];
    for (int i = 0; i < n; ++i) {
        distance[i] = dx * twofoldDifference(curve[i].y, l.low.y) - dy * twofoldDifference(curve[i].x, l.low.x);
    }
    // the coefficients are exact unless a difference or a product needs more than double-double holds;
    // the products' size bounds the rounding, and the exact ones are at hand where a sign is in doubt
    double terms = 0;
    for (int i = 0; i < n; ++i) {
        terms = std::max(terms, std::fabs(dx.hi * (curve[i].y - l.low.y)) + std::fabs(dy.hi * (curve[i].x - l.low.x)));
    }
    // (storage kept per thread, for the exact coefficients and the roots)
    thread_local BigInteger lx, ly, ex, ey, coordinate, first, second;
    thread_local std::vector<PolynomialRoot> roots;
    const auto exact = [&](BigInteger* out) {
        const int low = lowestExponent(curve, n, line, m);
        setInteger(lx, l.low.x, low);
        setInteger(ly, l.low.y, low);
        setInteger(ex, l.high.x, low);
        subtract(ex, lx, ex);
        setInteger(ey, l.high.y, low);
        subtract(ey, ly, ey);
        for (int i = 0; i < n; ++i) {
            setInteger(coordinate, curve[i].y, low);
            subtract(coordinate, ly, coordinate);
            multiply(ex, coordinate, first);
            setInteger(coordinate, curve[i].x, low);
            subtract(coordinate, lx, coordinate);
            multiply(ey, coordinate, second);
            subtract(first, second, out[i]);
        }
    };
    roots.clear();
    bool point = true;
    for (int i = 1; i < n; ++i) point = point && curve[i].x == curve[0].x && curve[i].y == curve[0].y;
    if (point) {
        // a single point: on the line or not, decided exactly; it meets the line's curve at parameter 0
        if (orientation(l.low.x, l.low.y, l.high.x, l.high.y, curve[0].x, curve[0].y) == 0) {
            roots.push_back({0, n, false});
        }
    } else {
        bernsteinRoots(distance, n - 1, std::ldexp(terms, -90), exact, roots);
    }
    if (roots.empty()) return;

    const AxisPolynomial along = alongAxis(curve, n, l.axis);
    const AxisPolynomial fl = alongAxis(line, m, l.axis);
    const double scale = std::max(largestCoordinate(along), largestCoordinate(fl));
    const double tolerance = sameValue * scale;
    thread_local std::vector<MonotoneRange> ranges;
    fl.monotoneRanges(ranges);
    for (const PolynomialRoot& root : roots) {
        // where the curve is on the line, the line's curve passes it once on each stretch that covers it
        const long double v = along.at(root.t);
        const bool tangential = root.cluster || root.multiplicity > 1;
        for (const MonotoneRange& r : ranges) {
            if (v < std::min(r.v0, r.v1) - tolerance || v > std::max(r.v0, r.v1) + tolerance) continue;
            const double s = fl.solveIn(r, v);
            // the line's curve stands still where it turns back, and where its derivative vanishes at an end
            const bool still = (s == r.t0 && r.t0 > 0) || (s == r.t1 && r.t1 < 1) ||
                               std::fabs(fl.slopeAt(s)) <= tolerance * (m + 1);
            const MeetingParameters found{root.t, s, tangential || still};
            addMeeting(meetings, found);
        }
    }
    std::sort(meetings.begin(), meetings.end(), [](const MeetingParameters& p, const MeetingParameters& q) {
        return p.t < q.t || (p.t == q.t && p.s < q.s);
    });
}

}  // namespace exactmode
