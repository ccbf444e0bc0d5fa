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
// Parameters this close are one meeting point (the ends of neighbouring stretches agree exactly; this
// only absorbs the rounding of a parameter solved for twice).
constexpr double sameParameter = 1e-12;

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
        if (orientation(l.low.x, l.low.y, l.high.x, l.high.y, p[i].x, p[i].y) != 0) return false;
    }
    return true;
}

AxisPolynomial alongAxis(const PointD* p, int n, int axis) {
    AxisPolynomial f;
    f.degree = n - 1;
    for (int i = 0; i < n; ++i) f.c[i] = axis == 0 ? p[i].x : p[i].y;
    return f;
}

double largestCoordinate(const AxisPolynomial& f) {
    double m = 0;
    for (int i = 0; i <= f.degree; ++i) m = std::max(m, std::fabs(f.c[i]));
    return m;
}

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

// the end of range r at the lower (or the higher) of its two values
double endAt(const MonotoneRange& r, bool lower) { return (r.v0 <= r.v1) == lower ? r.t0 : r.t1; }

}  // namespace

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
    std::vector<MonotoneRange> ra;
    std::vector<MonotoneRange> rb;
    fa.monotoneRanges(ra);
    fb.monotoneRanges(rb);

    // each pair of one-way stretches shares the part of the line both cover
    std::vector<MeetingParameters> touches;
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
    const ExactCoefficients exact = [&](std::vector<BigInteger>& out) {
        const int low = lowestExponent(curve, n, line, m);
        const BigInteger lx = exactInteger(l.low.x, low), ly = exactInteger(l.low.y, low);
        const BigInteger ex = exactInteger(l.high.x, low) - lx, ey = exactInteger(l.high.y, low) - ly;
        out.clear();
        for (int i = 0; i < n; ++i) {
            out.push_back(ex * (exactInteger(curve[i].y, low) - ly) - ey * (exactInteger(curve[i].x, low) - lx));
        }
    };
    std::vector<PolynomialRoot> roots;
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
    std::vector<MonotoneRange> ranges;
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

namespace {

// twice the signed area of the triangle a, b, c in double-double (the differences exact)
Twofold orientationOf(PointD a, PointD b, PointD c) {
    return twofoldDifference(b.x, a.x) * twofoldDifference(c.y, a.y) -
           twofoldDifference(b.y, a.y) * twofoldDifference(c.x, a.x);
}

long double orientationOf(long double ax, long double ay, PointD b, PointD c) {
    return (b.x - ax) * (c.y - ay) - (b.y - ay) * (c.x - ax);
}

// C(n, k) for n up to 30, exact in double
double choose(int n, int k) {
    double c = 1;
    for (int i = 1; i <= k; ++i) c = c * (n - k + i) / i;
    return c;
}

}  // namespace

bool intersectWithQuadratic(const PointD* curve, int n, const PointD* quadratic,
                            std::vector<MeetingParameters>& meetings) {
    meetings.clear();
    const PointD p0 = quadratic[0], p1 = quadratic[1], p2 = quadratic[2];
    // A point's barycentric coordinates in the triangle of the quadratic's control points, times twice
    // its area: a0, a1, a2. On the quadratic at s they are proportional to (1 - s)^2, 2 s (1 - s), s^2,
    // so a1^2 - 4 a0 a2 vanishes there, and only on the parabola through it. Along the curve each is a
    // polynomial with the values at its control points as Bernstein coefficients.
    const int d = n - 1;
    Twofold a0[16], a1[16], a2[16];
    for (int i = 0; i < n; ++i) {
        a0[i] = orientationOf(curve[i], p1, p2);
        a1[i] = orientationOf(p0, curve[i], p2);
        a2[i] = orientationOf(p0, p1, curve[i]);
    }
    // the product of Bernstein polynomials of degree d: degree 2d, weights C(d, i) C(d, j) / C(2d, k);
    // all multiplied by the least common multiple of the C(2d, k), so that no division rounds (an exact
    // multiple root then shows as exact zeros)
    double multiple = 1;  // lcm(1, ..., 2d + 1) / (2d + 1), below 2^53 for 2d up to 30
    for (int i = 2; i <= 2 * d + 1; ++i) {
        double a = multiple, b = i;
        while (b != 0) {
            const double r = std::fmod(a, b);
            a = b;
            b = r;
        }
        multiple = multiple / a * i;
    }
    multiple /= 2 * d + 1;
    Twofold f[32];
    for (int k = 0; k <= 2 * d; ++k) {
        Twofold sum;
        for (int i = std::max(0, k - d); i <= std::min(d, k); ++i) {
            const int j = k - i;
            const Twofold term = a1[i] * a1[j] - Twofold{4, 0} * (a0[i] * a2[j]);
            sum = sum + term * Twofold{choose(d, i) * choose(d, j), 0};
        }
        f[k] = sum * Twofold{multiple / choose(2 * d, k), 0};
    }
    // the size of the terms bounds the rounding of the coefficients; the exact ones where a sign is in doubt
    double terms = 0;
    for (int k = 0; k <= 2 * d; ++k) {
        double sum = 0;
        for (int i = std::max(0, k - d); i <= std::min(d, k); ++i) {
            const int j = k - i;
            sum += (std::fabs(a1[i].hi * a1[j].hi) + 4 * std::fabs(a0[i].hi * a2[j].hi)) * choose(d, i) * choose(d, j);
        }
        terms = std::max(terms, sum * multiple / choose(2 * d, k));
    }
    std::vector<BigInteger> exactF;
    const auto makeExact = [&]() {
        const int low = lowestExponent(curve, n, quadratic, 3);
        const auto at = [&](PointD p) { return std::pair<BigInteger, BigInteger>{exactInteger(p.x, low), exactInteger(p.y, low)}; };
        const auto orient = [](const std::pair<BigInteger, BigInteger>& a, const std::pair<BigInteger, BigInteger>& b,
                               const std::pair<BigInteger, BigInteger>& c) {
            return (b.first - a.first) * (c.second - a.second) - (b.second - a.second) * (c.first - a.first);
        };
        const auto q0 = at(p0), q1 = at(p1), q2 = at(p2);
        std::vector<BigInteger> e0, e1, e2;
        for (int i = 0; i < n; ++i) {
            const auto x = at(curve[i]);
            e0.push_back(orient(x, q1, q2));
            e1.push_back(orient(q0, x, q2));
            e2.push_back(orient(q0, q1, x));
        }
        const BigInteger four = exactInteger(4, 0);
        exactF.clear();
        for (int k = 0; k <= 2 * d; ++k) {
            BigInteger sum;
            for (int i = std::max(0, k - d); i <= std::min(d, k); ++i) {
                const int j = k - i;
                const BigInteger term = e1[static_cast<size_t>(i)] * e1[static_cast<size_t>(j)] -
                                        four * (e0[static_cast<size_t>(i)] * e2[static_cast<size_t>(j)]);
                sum = sum + term * exactInteger(choose(d, i) * choose(d, j), 0);
            }
            exactF.push_back(sum * exactInteger(multiple / choose(2 * d, k), 0));
        }
    };
    // a curve on the parabola: every coefficient zero, exactly
    bool vanishes = true;
    for (int k = 0; k <= 2 * d; ++k) vanishes = vanishes && std::fabs(f[k].hi) <= std::ldexp(terms, -90);
    if (vanishes) {
        makeExact();
        for (const BigInteger& v : exactF) vanishes = vanishes && v.sign() == 0;
        if (vanishes) return false;
    }
    const ExactCoefficients exact = [&](std::vector<BigInteger>& out) {
        if (exactF.empty()) makeExact();
        out = exactF;
    };
    std::vector<PolynomialRoot> roots;
    bernsteinRoots(f, 2 * d, std::ldexp(terms, -90), exact, roots);

    // where the curve is on the parabola, the quadratic's parameter is its share a2 + a1 / 2
    const AxisPolynomial x = alongAxis(curve, n, 0);
    const AxisPolynomial y = alongAxis(curve, n, 1);
    for (const PolynomialRoot& root : roots) {
        const long double px = x.at(root.t);
        const long double py = y.at(root.t);
        const long double b0 = orientationOf(px, py, p1, p2);
        const long double b2 = (p1.x - p0.x) * (py - p0.y) - (p1.y - p0.y) * (px - p0.x);
        const long double b1 = (px - p0.x) * (p2.y - p0.y) - (py - p0.y) * (p2.x - p0.x);
        const long double total = b0 + b1 + b2;
        if (total == 0) continue;
        const long double s = (b2 + 0.5L * b1) / total;
        if (s < -sameParameter || s > 1 + sameParameter) continue;  // on the parabola beyond the quadratic
        const MeetingParameters found{root.t, static_cast<double>(std::min(1.0L, std::max(0.0L, s))),
                                      root.cluster || root.multiplicity > 1};
        addMeeting(meetings, found);
    }
    return true;
}

}  // namespace exactmode
