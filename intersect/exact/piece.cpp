#include "intersect/exact/piece.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace exactmode {

namespace {

// Each function taking a template count N works on N control points, or on n when N is 0.
template <int N>
void updateBox(ClipPiece& piece, int n) {
    const int count = N > 0 ? N : n;
#if defined(__SSE2__)
    // both coordinates at once: minpd(q, lo) is q < lo ? q : lo, as below, for each coordinate
    __m128d lo = _mm_loadu_pd(&piece.p[0].x);
    __m128d hi = lo;
#pragma GCC unroll 32
    for (int i = 1; i < count; ++i) {
        const __m128d q = _mm_loadu_pd(&piece.p[i].x);
        lo = _mm_min_pd(q, lo);
        hi = _mm_max_pd(q, hi);
    }
    piece.minX = _mm_cvtsd_f64(lo);
    piece.minY = _mm_cvtsd_f64(_mm_unpackhi_pd(lo, lo));
    piece.maxX = _mm_cvtsd_f64(hi);
    piece.maxY = _mm_cvtsd_f64(_mm_unpackhi_pd(hi, hi));
#else
    Pair lo = piece.p[0];
    Pair hi = lo;
#pragma GCC unroll 32
    for (int i = 1; i < count; ++i) {
        const Pair& q = piece.p[i];
        lo.x = q.x < lo.x ? q.x : lo.x;
        lo.y = q.y < lo.y ? q.y : lo.y;
        hi.x = q.x > hi.x ? q.x : hi.x;
        hi.y = q.y > hi.y ? q.y : hi.y;
    }
    piece.minX = lo.x;
    piece.minY = lo.y;
    piece.maxX = hi.x;
    piece.maxY = hi.y;
#endif
}

// v a + u b, for each coordinate
Pair mix(double v, const Pair& a, double u, const Pair& b) { return Pair{v * a.x + u * b.x, v * a.y + u * b.y}; }

// restricts the control polygon of n points to its part [u0, u1] (0 <= u0 <= u1 <= 1) by de Casteljau
// (levels below First of the first pass, when u1 < 1, already built)
template <int N, int First = 1>
void restrictTo(Pair* p, int count, double u0, double u1) {
    const int n = N > 0 ? N : count;
    if (u1 < 1) {
        // keep [0, u1]: point k of the left part is the last of level k, built in place from the back
        const double v = 1 - u1;
#pragma GCC unroll 32
        for (int j = First; j < n; ++j) {
#pragma GCC unroll 32
            for (int k = n - 1; k >= j; --k) p[k] = mix(v, p[k - 1], u1, p[k]);
        }
    }
    if (u0 > 0) {
        // keep [u0 / u1, 1] of what is left
        const double r = u0 / u1;
        const double v = 1 - r;
#pragma GCC unroll 32
        for (int j = 1; j < n; ++j) {
#pragma GCC unroll 32
            for (int k = 0; k < n - j; ++k) p[k] = mix(v, p[k], r, p[k + 1]);
        }
    }
}

template <int N>
void extractN(const Curve& c, double t0, double t1, ClipPiece& piece) {
    const int n = N > 0 ? N : c.n;
    if (t1 < 1 && n > 1) {
        // the first level of restrictTo's first pass read from the curve itself, the rest in place
        const double v = 1 - t1;
        piece.p[0] = Pair{c.x[0], c.y[0]};
#pragma GCC unroll 32
        for (int k = n - 1; k >= 1; --k) piece.p[k] = mix(v, Pair{c.x[k - 1], c.y[k - 1]}, t1, Pair{c.x[k], c.y[k]});
        restrictTo<N, 2>(piece.p, n, t0, t1);
    } else {
        for (int i = 0; i < n; ++i) piece.p[i] = Pair{c.x[i], c.y[i]};
        restrictTo<N>(piece.p, n, t0, t1);
    }
    updateBox<N>(piece, n);
    piece.generation = 0;
    piece.hasCone = false;
}

template <int N>
void narrowN(const Curve& c, ClipPiece& piece, double u0, double u1, double t0, double t1) {
    if (piece.generation >= freshAfter) {
        extractN<N>(c, t0, t1, piece);
        return;
    }
    restrictTo<N>(piece.p, c.n, u0, u1);
    updateBox<N>(piece, c.n);
    ++piece.generation;
    piece.hasCone = false;
}

template <int N>
void halveN(const Curve& c, const ClipPiece& piece, double t0, double t1, ClipPiece& left, ClipPiece& right) {
    const double tm = 0.5 * (t0 + t1);
    if (piece.generation >= freshAfter) {
        extractN<N>(c, t0, tm, left);
        extractN<N>(c, tm, t1, right);
        return;
    }
    // the levels built in place in right: point k is last set at level n - 1 - k, the right half's point k
    const int n = N > 0 ? N : c.n;
    Pair* q = right.p;
    if constexpr (N > 1) {
        // the first level read from the piece itself, the others in place (for a count known only at run
        // time, copying the piece first compiles better)
        const Pair* from = piece.p;
        left.p[0] = from[0];
        q[n - 1] = from[n - 1];
#pragma GCC unroll 32
        for (int k = 0; k < n - 1; ++k) q[k] = mix(0.5, from[k], 0.5, from[k + 1]);
        left.p[1] = q[0];
#pragma GCC unroll 32
        for (int j = 2; j < n; ++j) {
#pragma GCC unroll 32
            for (int k = 0; k < n - j; ++k) q[k] = mix(0.5, q[k], 0.5, q[k + 1]);
            left.p[j] = q[0];
        }
    } else {
        for (int i = 0; i < n; ++i) q[i] = piece.p[i];
        left.p[0] = piece.p[0];
#pragma GCC unroll 32
        for (int j = 1; j < n; ++j) {
#pragma GCC unroll 32
            for (int k = 0; k < n - j; ++k) q[k] = mix(0.5, q[k], 0.5, q[k + 1]);
            left.p[j] = q[0];
        }
    }
    updateBox<N>(left, n);
    updateBox<N>(right, n);
    left.generation = right.generation = piece.generation + 1;
    left.hasCone = right.hasCone = false;
}

}  // namespace

void extract(const Curve& c, double t0, double t1, ClipPiece& piece) {
    byCount(c.n, [&](auto N) { extractN<decltype(N)::value>(c, t0, t1, piece); });
}

void narrow(const Curve& c, ClipPiece& piece, double u0, double u1, double t0, double t1) {
    byCount(c.n, [&](auto N) { narrowN<decltype(N)::value>(c, piece, u0, u1, t0, t1); });
}

void halve(const Curve& c, const ClipPiece& piece, double t0, double t1, ClipPiece& left, ClipPiece& right) {
    byCount(c.n, [&](auto N) { halveN<decltype(N)::value>(c, piece, t0, t1, left, right); });
}

double extentOf(const ClipPiece& p) { return std::max(p.maxX - p.minX, p.maxY - p.minY); }

}  // namespace exactmode
