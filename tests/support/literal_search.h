// The search as a literal reading of its description writes it, kept as the baseline the benchmarks measure
// the real search against: every call takes its hull arrays and halves from the heap (zero-filled hulls,
// uninitialised halves), every de Casteljau level is an array of its own (zero-filled, as the description
// asks), every edge pair goes through segmentIntersection, and the hull evaluates the best candidate's angle
// again at every comparison it reaches. It makes the same decisions in the same arithmetic (pairs of pieces
// whose outline boxes lie apart by more than 2 (n1 + n2) limits dropped as the search drops them), so it finds
// the same points, bit for bit, on curves whose coordinates the search takes as they are (largest magnitude
// within [2^-40, 2^62]); the benchmarks check that before they time anything.
//
// Within those rules it is written to be as fast as such a reading can be, so that the benchmarks' ratios
// measure the search and not a slow baseline: each condition of the hull's walk is tested cheapest first (the
// threshold, then novelty, then the best's angle, so the best's angle is evaluated only for candidates that
// pass the others), each outline's box is found once per call and serves both the smallness and the apartness
// tests, the float resolution of a piece is found only when the tolerance alone does not decide, and plain
// comparisons stand where fmin and fmax would handle NaNs that finite pieces never have. Unlike the
// description it frees what it allocates, or a benchmark would run out of memory; freed blocks come back
// from the allocator's cache, the cheapest a heap array can be.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "geometry/geometry.h"
#include "hull/hull.h"
#include "intersect/intersect.h"

namespace literal {

inline long allocations = 0;  // heap blocks taken by the literal search since the process started

inline Point* zeroFilled(int n) {
    ++allocations;
    return static_cast<Point*>(std::calloc(static_cast<size_t>(n > 0 ? n : 1), sizeof(Point)));
}

inline Point* uninitialised(int n) {
    ++allocations;
    return static_cast<Point*>(std::malloc(sizeof(Point) * static_cast<size_t>(n > 0 ? n : 1)));
}

// gift wrapping with every angle, the best candidate's included, evaluated where it is compared (after the
// cheaper conditions)
inline int convexHull(const Point* points, int n, Point* out) {
    if (n <= 0) return 0;
    int top = 0;
    int bottom = 0;
    for (int i = 1; i < n; ++i) {
        if (points[i].y > points[top].y) top = i;
        if (points[i].y < points[bottom].y) bottom = i;
    }
    out[0].x = points[bottom].x;
    out[0].y = points[bottom].y;
    int k = 1;
    if (bottom == top) return 0;
    int cur = bottom;
    for (;;) {
        int best = cur;
        for (int j = 0; j < n; ++j) {
            const float a = directionAngle(points[cur], points[j]);
            if (a <= 270 && (j == top || isNewPoint(points[j], out, k)) &&
                a > directionAngle(points[cur], points[best])) {
                best = j;
            }
        }
        if (best == cur || k == n) return 0;
        out[k].x = points[best].x;
        out[k].y = points[best].y;
        ++k;
        if (best == top) break;
        cur = best;
    }
    const int k1 = k;
    int ref = bottom;
    while (k < n) {
        int best = top;
        for (int j = 0; j < n; ++j) {
            const float a = directionAngle(points[ref], points[j]);
            if (a >= 90 && (j == top || isNewPoint(points[j], out, k)) &&
                a < directionAngle(points[ref], points[best])) {
                best = j;
            }
        }
        if (best == top) break;
        out[k].x = points[best].x;
        out[k].y = points[best].y;
        ++k;
        ref = best;
    }
    for (int i = k1, j = k - 1; i < j; ++i, --j) {
        const Point right = out[i];
        out[i].x = out[j].x;
        out[i].y = out[j].y;
        out[j].x = right.x;
        out[j].y = right.y;
    }
    return k;
}

// de Casteljau with a zero-filled array per level
inline void splitBezier(const Point* controlPoints, int n, float t, Point* left, Point* right) {
    Point* level[maxControlPoints];
    level[0] = uninitialised(n);
    for (int k = 0; k < n; ++k) level[0][k] = controlPoints[k];
    const double td = t;
    for (int j = 1; j < n; ++j) {
        level[j] = zeroFilled(n - j);
        const double oneMinusT = 1.0 - td;
        for (int k = 0; k < n - j; ++k) {
            level[j][k].x = static_cast<float>(td * level[j - 1][k + 1].x + oneMinusT * level[j - 1][k].x);
            level[j][k].y = static_cast<float>(td * level[j - 1][k + 1].y + oneMinusT * level[j - 1][k].y);
        }
    }
    for (int j = 0; j < n; ++j) {
        left[j] = level[j][0];
        right[j] = level[j][n - 1 - j];
    }
    for (int j = 0; j < n; ++j) std::free(level[j]);
}

// every edge of the first outline against every edge of the second, each pair by segmentIntersection
inline int hullsOverlap(const Point* hull1, int n1, const Point* hull2, int n2) {
    if (n1 <= 0 || n2 <= 0) return 0;
    Point scratch;
    for (int i = 0; i < n1; ++i) {
        const Segment edge1 = i < n1 - 1 ? Segment(hull1[i], hull1[i + 1]) : Segment(hull1[0], hull1[n1 - 1]);
        for (int j = 0; j < n2; ++j) {
            const Segment edge2 = j < n2 - 1 ? Segment(hull2[j], hull2[j + 1]) : Segment(hull2[0], hull2[n2 - 1]);
            if (segmentIntersection(edge1, edge2, &scratch.x) != 0) return 1;
        }
    }
    return 0;
}

// the hull, or the segment between the extreme points of a piece whose points share one height
inline int pieceOutline(const Point* curve, int n, Point* outline) {
    const int m = literal::convexHull(curve, n, outline);
    if (m > 0 || n <= 0) return m;
    bool oneHeight = true;
    for (int i = 1; i < n; ++i) oneHeight = oneHeight && curve[i].y == curve[0].y;
    if (!oneHeight) {  // the walk met a -0 difference along x: the hull of the points with unsigned zeros
        Point* unsignedZeros = uninitialised(n);
        for (int i = 0; i < n; ++i) {
            unsignedZeros[i].x = curve[i].x + 0.0f;
            unsignedZeros[i].y = curve[i].y + 0.0f;
        }
        const int retried = literal::convexHull(unsignedZeros, n, outline);
        std::free(unsignedZeros);
        if (retried > 0) return retried;
    }
    int left = 0;
    int right = 0;
    for (int i = 1; i < n; ++i) {
        if (curve[i].x < curve[left].x) left = i;
        if (curve[i].x > curve[right].x) right = i;
    }
    outline[0].x = curve[left].x;
    outline[0].y = curve[left].y;
    if (curve[right].x == curve[left].x) return 1;
    outline[1].x = curve[right].x;
    outline[1].y = curve[right].y;
    return 2;
}

inline double resolutionLimit(const Point* curve, int n) {
    float largest = 0;
    for (int i = 0; i < n; ++i) {
        const float x = std::fabs(curve[i].x);
        const float y = std::fabs(curve[i].y);
        if (x > largest) largest = x;
        if (y > largest) largest = y;
    }
    const float step = std::nextafter(largest, INFINITY) - largest;
    return 4.0 * (n > 1 ? n - 1 : 1) * step;
}

// the box of an outline's vertices
struct Box {
    double loX, hiX, loY, hiY;

    Box(const Point* hull, int m) : loX(hull[0].x), hiX(loX), loY(hull[0].y), hiY(loY) {
        for (int i = 1; i < m; ++i) {
            if (hull[i].x < loX) loX = hull[i].x;
            if (hull[i].x > hiX) hiX = hull[i].x;
            if (hull[i].y < loY) loY = hull[i].y;
            if (hull[i].y > hiY) hiY = hull[i].y;
        }
    }
};

// the first hull edge within the limit (epsilon, or the float resolution where that is coarser), and the
// outline's box within 2 (n - 1) limits
inline bool isSmall(double epsilon, double firstEdge, const Box& box, const Point* curve, int n) {
    const double side = std::max(box.hiX - box.loX, box.hiY - box.loY);
    const double sides = 2.0 * (n > 1 ? n - 1 : 1);
    if (firstEdge <= epsilon && side <= sides * epsilon) return true;
    const double limit = std::max(epsilon, resolutionLimit(curve, n));
    return firstEdge <= limit && side <= sides * limit;
}

// whether the boxes of two outlines lie apart by more than 2 (n1 + n2) limits of both pieces (no shared point,
// whatever the outline test says about edges on one nearly vertical line)
inline bool boxesApart(double epsilon, const Box& a, const Point* curve1, int n1, const Box& b, const Point* curve2,
                       int n2) {
    const double gap = std::max(std::max(b.loX - a.hiX, a.loX - b.hiX), std::max(b.loY - a.hiY, a.loY - b.hiY));
    const double limits = 2.0 * (n1 + n2);
    return gap > limits * epsilon && gap > limits * std::max(resolutionLimit(curve1, n1), resolutionLimit(curve2, n2));
}

struct Search {
    std::vector<Point>* result;
    double epsilon;
    long calls;
};

inline void searchPair(Search& search, const Point* curve1, int n1, const Point* curve2, int n2) {
    ++search.calls;
    Point* hull1 = zeroFilled(n1);
    Point* hull2 = zeroFilled(n2);
    const int m1 = pieceOutline(curve1, n1, hull1);
    const int m2 = pieceOutline(curve2, n2, hull2);
    const Box box1(hull1, m1);
    const Box box2(hull2, m2);
    const bool meet = (literal::hullsOverlap(hull1, m1, hull2, m2) || insideConvexPolygon(hull1[0], hull2, m2) ||
                       insideConvexPolygon(hull2[0], hull1, m1)) &&
                      !boxesApart(search.epsilon, box1, curve1, n1, box2, curve2, n2);
    if (meet) {
        const double d1 = m1 >= 2 ? distance(hull1[0], hull1[1]) : 0.0;
        const double d2 = m2 >= 2 ? distance(hull2[0], hull2[1]) : 0.0;
        if (isSmall(search.epsilon, d1, box1, curve1, n1) && isSmall(search.epsilon, d2, box2, curve2, n2)) {
            const Point& last = hull1[m1 - 1];
            search.result->push_back(Point(static_cast<float>((static_cast<double>(last.x) + hull1[0].x) * 0.5),
                                           static_cast<float>((static_cast<double>(last.y) + hull1[0].y) * 0.5)));
        } else if (m1 == 1 || m2 == 1) {  // a piece at one place stays whole against the other's halves
            const Point* whole = m1 == 1 ? curve1 : curve2;
            const Point* other = m1 == 1 ? curve2 : curve1;
            const int n = m1 == 1 ? n2 : n1;
            Point* left = uninitialised(n);
            Point* right = uninitialised(n);
            literal::splitBezier(other, n, 0.5f, left, right);
            if (m1 == 1) {
                searchPair(search, whole, n1, left, n2);
                searchPair(search, whole, n1, right, n2);
            } else {
                searchPair(search, left, n1, whole, n2);
                searchPair(search, right, n1, whole, n2);
            }
            std::free(left);
            std::free(right);
        } else {
            Point* left1 = uninitialised(n1);
            Point* right1 = uninitialised(n1);
            Point* left2 = uninitialised(n2);
            Point* right2 = uninitialised(n2);
            literal::splitBezier(curve1, n1, 0.5f, left1, right1);
            literal::splitBezier(curve2, n2, 0.5f, left2, right2);
            searchPair(search, left1, n1, left2, n2);
            searchPair(search, left1, n1, right2, n2);
            searchPair(search, right1, n1, left2, n2);
            searchPair(search, right1, n1, right2, n2);
            std::free(left1);
            std::free(right1);
            std::free(left2);
            std::free(right2);
        }
    }
    std::free(hull1);
    std::free(hull2);
}

// The literal search on two finite control polygons of 1..maxControlPoints points; returns the calls made.
inline long intersectCurves(const Point* curve1, int n1, const Point* curve2, int n2, std::vector<Point>& result,
                            float epsilon) {
    double minX = curve1[0].x, maxX = minX, minY = curve1[0].y, maxY = minY;
    for (const auto& [curve, n] : {std::make_pair(curve1, n1), std::make_pair(curve2, n2)}) {
        const Box box(curve, n);
        minX = std::min(minX, box.loX);
        maxX = std::max(maxX, box.hiX);
        minY = std::min(minY, box.loY);
        maxY = std::max(maxY, box.hiY);
    }
    Search search{&result, std::fmax(epsilon, std::fmax(maxX - minX, maxY - minY) / 65536), 0};
    searchPair(search, curve1, n1, curve2, n2);
    return search.calls;
}

}  // namespace literal
