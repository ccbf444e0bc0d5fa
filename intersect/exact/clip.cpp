#include "intersect/exact/clip.h"

#include <algorithm>
#include <cmath>
#include <type_traits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace exactmode {

namespace {

// The rounding of a cross product of two edges, in units of the rounding unit times their lengths (an
// edge's own error, err at each end, is bounded apart from it).
constexpr double crossRounding = 8;

// The directions of a piece's control-polygon edges as a cone between two extreme edges, lo and hi
// counter-clockwise. False when the edges span half a turn or more (or none is longer than rounding),
// so that no such cone exists. Compiled per count N of control points (n when N is 0).
template <int N>
bool directionCone(const ClipPiece& p, int count, double err, Vec& lo, Vec& hi) {
    const int n = N > 0 ? N : count;
    bool any = false;
#if defined(__SSE2__)
    {
        // The same operations as the form without SSE2 (after #else), both coordinates at once: an edge, its
        // size, and the products of the cross products two at a time (subpd and mulpd round as subsd and
        // mulsd). On a cone that does not exist, lo and hi are left as they were.
        const auto swapped = [](__m128d v) { return _mm_shuffle_pd(v, v, 1); };
        const auto firstOf = [](__m128d v) { return _mm_cvtsd_f64(v); };
        const auto secondOf = [](__m128d v) { return _mm_cvtsd_f64(_mm_unpackhi_pd(v, v)); };
        const __m128d sign = _mm_set1_pd(-0.0);
        const double negligible = directionlessEdge * err;
        __m128d l = _mm_setzero_pd();
        __m128d h = _mm_setzero_pd();
        __m128d previous = _mm_loadu_pd(&p.p[0].x);
#pragma GCC unroll 32
        for (int i = 0; i + 1 < n; ++i) {
            const __m128d next = _mm_loadu_pd(&p.p[i + 1].x);
            const __m128d e = _mm_sub_pd(next, previous);
            previous = next;
            // an edge within rounding of zero adds nothing to the cone
            const __m128d size = _mm_andnot_pd(sign, e);
            if (firstOf(size) + secondOf(size) <= negligible) continue;
            if (!any) {
                l = h = e;
                any = true;
                continue;
            }
            // (hi.x e.y, hi.y e.x) and (e.x lo.y, e.y lo.x): the signs of cross(hi, e) and cross(e, lo)
            const __m128d byHi = _mm_mul_pd(h, swapped(e));
            const __m128d byLo = _mm_mul_pd(e, swapped(l));
            const bool beyondHi = firstOf(byHi) > secondOf(byHi);
            const bool beforeLo = firstOf(byLo) > secondOf(byLo);
            if (beyondHi && beforeLo) return false;  // past both extremes: half a turn or more
            if (beyondHi) {
                h = e;
            } else if (beforeLo) {
                l = e;
            } else if (firstOf(byHi) == secondOf(byHi) && firstOf(byLo) == secondOf(byLo)) {
                const __m128d along = _mm_mul_pd(e, h);
                if (firstOf(along) + secondOf(along) < 0) return false;  // straight back
            }
        }
        _mm_storeu_pd(&lo.x, l);
        _mm_storeu_pd(&hi.x, h);
        const __m128d turn = _mm_mul_pd(l, swapped(h));
        return any && firstOf(turn) >= secondOf(turn);
    }
#else
#pragma GCC unroll 32
    for (int i = 0; i + 1 < n; ++i) {
        const Vec e{p.x(i + 1) - p.x(i), p.y(i + 1) - p.y(i)};
        // an edge within rounding of zero adds nothing to the cone
        if (std::fabs(e.x) + std::fabs(e.y) <= directionlessEdge * err) continue;
        if (!any) {
            lo = hi = e;
            any = true;
            continue;
        }
        // the signs of cross(hi, e) and cross(e, lo): a rounded difference of two rounded products has the
        // sign of their comparison
        const double hiE = hi.x * e.y;
        const double eHi = hi.y * e.x;
        const double eLo = e.x * lo.y;
        const double loE = e.y * lo.x;
        const bool beyondHi = hiE > eHi;
        const bool beforeLo = eLo > loE;
        if (beyondHi && beforeLo) return false;  // past both extremes: half a turn or more
        if (beyondHi) {
            hi = e;
        } else if (beforeLo) {
            lo = e;
        } else if (hiE == eHi && eLo == loE && dot(e, hi) < 0) {
            return false;  // straight back
        }
    }
    return any && lo.x * hi.y >= lo.y * hi.x;
#endif
}

}  // namespace

bool boxesMeet(const ClipPiece& a, const ClipPiece& b, double margin) {
    return a.minX <= b.maxX + margin && b.minX <= a.maxX + margin && a.minY <= b.maxY + margin &&
           b.minY <= a.maxY + margin;
}

namespace {

// clipToFatLine for M control points of other (m when M is 0), and as many of line when sameCount
template <int M, bool sameCount>
bool clipToFatLineN(const ClipPiece& line, int lineCount, const ClipPiece& other, int points, double margin, double& u0,
                    double& u1) {
    const int m = M > 0 ? M : points;
    const int n = sameCount && M > 0 ? M : lineCount;
    u0 = 0;
    u1 = 1;
    double dx = line.x(n - 1) - line.x(0);
    double dy = line.y(n - 1) - line.y(0);
    double len = length(Vec{dx, dy});
    if (!(len > margin)) {
        // ends (nearly) together: take the direction to the control point farthest from the start
        int far = -1;
        double best = margin;
        for (int i = 1; i < n; ++i) {
            const double d = length(Vec{line.x(i) - line.x(0), line.y(i) - line.y(0)});
            if (d > best) {
                best = d;
                far = i;
            }
        }
        if (far < 0) return true;  // the piece is one point within rounding: the boxes alone decide
        dx = line.x(far) - line.x(0);
        dy = line.y(far) - line.y(0);
        len = best;
    }
    const double nx = -dy / len;
    const double ny = dx / len;
    // the distance of q from the line: (q.x - start.x) nx + (q.y - start.y) ny
#if defined(__SSE2__)
    // both coordinates at once (subpd and mulpd round as subsd and mulsd)
    const __m128d start = _mm_loadu_pd(&line.p[0].x);
    const __m128d normal = _mm_set_pd(ny, nx);
    const auto distance = [&](const Pair& q) {
        const __m128d d = _mm_mul_pd(_mm_sub_pd(_mm_loadu_pd(&q.x), start), normal);
        return _mm_cvtsd_f64(_mm_add_sd(d, _mm_unpackhi_pd(d, d)));
    };
#else
    const auto distance = [&](const Pair& q) { return (q.x - line.x(0)) * nx + (q.y - line.y(0)) * ny; };
#endif
    double dmin = 0;
    double dmax = 0;
#pragma GCC unroll 32
    for (int i = 1; i < n; ++i) {
        const double d = distance(line.p[i]);
        dmin = std::min(dmin, d);
        dmax = std::max(dmax, d);
    }
    dmin -= margin;
    dmax += margin;

    if (m < 1) return false;  // no points: none in the band
    double e[maxPoints];
    // the nearest and farthest of other's points: all beyond the band when one of them is
    double lowest = INFINITY;
    double highest = -INFINITY;
#pragma GCC unroll 32
    for (int j = 0; j < m; ++j) {
        e[j] = distance(other.p[j]);
        lowest = std::min(lowest, e[j]);
        highest = std::max(highest, e[j]);
    }
    if (lowest > dmax || highest < dmin) return false;
    // both ends inside the band: nothing to cut
    if (m == 1 || (e[0] >= dmin && e[0] <= dmax && e[m - 1] >= dmin && e[m - 1] <= dmax)) return true;

    // The convex hull of the points (j / (m - 1), e[j]) meets the band first where its lower chain comes
    // down into it (when the first point lies above the band) or its upper chain comes up into it (when
    // below); the same from the other end. Each chain is built only when it is needed.
    const double step = 1.0 / (m - 1);
    // The chain turns the wrong way at a (and a is dropped) when turn(o, a, b) = (a - o) (e[b] - e[o]) -
    // (e[a] - e[o]) (b - o) is at most 0 (lower) or at least 0 (upper): the rounded difference of two
    // rounded products has the sign of their comparison, so the products are compared.
    const auto chain = [&](auto side, int* out) {
        constexpr bool lower = decltype(side)::value;
        int count = 0;
#pragma GCC unroll 32
        for (int j = 0; j < m; ++j) {
            while (count >= 2) {
                const int o = out[count - 2];
                const int a = out[count - 1];
                const double p = static_cast<double>(a - o) * (e[j] - e[o]);
                const double q = (e[a] - e[o]) * static_cast<double>(j - o);
                if (lower ? !(p <= q) : !(p >= q)) break;
                --count;
            }
            out[count++] = j;
        }
        return count;
    };
    // where the edge from point a to point b passes the level
    const auto at = [&](int a, int b, double level) { return (a + (level - e[a]) / (e[b] - e[a]) * (b - a)) * step; };
    int lowerChain[maxPoints];
    int upperChain[maxPoints];
    int nl = 0;
    int nu = 0;
    if (e[0] > dmax || e[m - 1] > dmax) nl = chain(std::true_type{}, lowerChain);
    if (e[0] < dmin || e[m - 1] < dmin) nu = chain(std::false_type{}, upperChain);

    double lo = 0;
    if (e[0] > dmax) {
        int i = 1;
        while (i < nl && e[lowerChain[i]] > dmax) ++i;
        if (i == nl) return false;
        lo = at(lowerChain[i - 1], lowerChain[i], dmax);
    } else if (e[0] < dmin) {
        int i = 1;
        while (i < nu && e[upperChain[i]] < dmin) ++i;
        if (i == nu) return false;
        lo = at(upperChain[i - 1], upperChain[i], dmin);
    }
    double hi = 1;
    if (e[m - 1] > dmax) {
        int i = nl - 2;
        while (i >= 0 && e[lowerChain[i]] > dmax) --i;
        if (i < 0) return false;
        hi = at(lowerChain[i], lowerChain[i + 1], dmax);
    } else if (e[m - 1] < dmin) {
        int i = nu - 2;
        while (i >= 0 && e[upperChain[i]] < dmin) --i;
        if (i < 0) return false;
        hi = at(upperChain[i], upperChain[i + 1], dmin);
    }
    if (lo > hi) return false;
    u0 = std::max(0.0, lo - clipSlack);
    u1 = std::min(1.0, hi + clipSlack);
    return true;
}

}  // namespace

bool clipToFatLine(const ClipPiece& line, int n, const ClipPiece& other, int m, double margin, double& u0, double& u1) {
    return byCount(m, [&](auto M) {
        return n == m ? clipToFatLineN<decltype(M)::value, true>(line, n, other, m, margin, u0, u1)
                      : clipToFatLineN<decltype(M)::value, false>(line, n, other, m, margin, u0, u1);
    });
}

const Cone& coneOf(const ClipPiece& p, int n, double err) {
    if (!p.hasCone) {
        Cone& c = p.cone;
        c.valid =
            n >= 2 && byCount(n, [&](auto N) { return directionCone<decltype(N)::value>(p, n, err, c.lo, c.hi); });
        p.hasCone = true;
    }
    return p.cone;
}

bool directionsApart(const Cone& a, const Cone& b, double err) {
    if (!a.valid || !b.valid) return false;
    // every edge is a positive mix of its cone's extremes, so the extremes decide
    int sign = 0;
    const Vec us[2] = {a.lo, a.hi};
    const Vec vs[2] = {b.lo, b.hi};
    const double lus[2] = {length(a.lo), length(a.hi)};
    const double lvs[2] = {length(b.lo), length(b.hi)};
    for (int i = 0; i < 2; ++i) {
        for (int k = 0; k < 2; ++k) {
            const Vec& u = us[i];
            const Vec& v = vs[k];
            const double lu = lus[i];
            const double lv = lvs[k];
            const double c = cross(u, v);
            const double bound = 2 * err * (lu + lv) + crossRounding * unitRoundoff * lu * lv;
            const int s = c > bound ? 1 : (c < -bound ? -1 : 0);
            if (s == 0 || (sign != 0 && s != sign)) return false;
            sign = s;
        }
    }
    return true;
}

}  // namespace exactmode
