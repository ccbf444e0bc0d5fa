// The box of a row of points, as the search and the splitting of curves find it.
#pragma once

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "geometry/geometry.h"

// The box of n >= 1 points (loX, hiX, loY, hiY), found in float and given in double: each bound is the first
// point's coordinate replaced by every later one strictly beyond it (so of +0 and -0 the earlier stays).
inline void boxOfPoints(const Point* points, int n, double box[4]) {
#if defined(__SSE2__)
    // x and y side by side; minps(p, lo) is p < lo ? p : lo, the same choice as std::min(lo, p)
    __m128 lo = _mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(&points[0].x)));
    __m128 hi = lo;
    for (int i = 1; i < n; ++i) {
        const __m128 p = _mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(&points[i].x)));
        lo = _mm_min_ps(p, lo);
        hi = _mm_max_ps(p, hi);
    }
    const __m128d loXY = _mm_cvtps_pd(lo);
    const __m128d hiXY = _mm_cvtps_pd(hi);
    _mm_storeu_pd(box, _mm_unpacklo_pd(loXY, hiXY));
    _mm_storeu_pd(box + 2, _mm_unpackhi_pd(loXY, hiXY));
#else
    float loX = points[0].x, hiX = loX, loY = points[0].y, hiY = loY;
    for (int i = 1; i < n; ++i) {
        loX = std::min(loX, points[i].x);
        hiX = std::max(hiX, points[i].x);
        loY = std::min(loY, points[i].y);
        hiY = std::max(hiY, points[i].y);
    }
    box[0] = loX;
    box[1] = hiX;
    box[2] = loY;
    box[3] = hiY;
#endif
}
