// Where two Bezier curves meet: segment intersection, the overlap test of two hull outlines, and the
// recursive search that halves both curves and follows only pairs of pieces whose hulls still meet.
#pragma once

#include <vector>

#include "geometry/geometry.h"

// Relative tolerance of the parallel and collinearity tests: it bounds the squared sine of the angle
// between two directions (about 0.18 degrees). The float nearest 1e-5.
constexpr float parallelTolerance = 1e-5f;

// Classifies two segments, the first from P = first.a to Q = first.b, the second from R to S:
//   1  not parallel and meeting at one point (ends included); point[0], point[1] receive its x and y,
//      always computed along the first segment;
//   2  parallel, on one line, and overlapping along it. Along the axis the first segment decides
//      (y when its x are equal, x otherwise) that means lo2 < hi1 and lo1 <= hi2, so collinear segments
//      sharing only an end give 0 when the first lies below the second and 2 when it lies above;
//   0  anything else; the point is written only for 1.
// A zero-length segment meets the other exactly when it lies on it (on the other's line within the
// tolerance, and within its extent, ends included), and two zero-length segments meet when they coincide;
// both count as 2. Any NaN coordinate gives 0.
int segmentIntersection(Segment first, Segment second, float* point);

// 1 when some edge of the first outline meets some edge of the second by segmentIntersection, else 0.
// Edges run from vertex i to i + 1, and the closing edge from the first vertex to the last; the first
// outline's edge always goes first. Outlines only: a polygon wholly inside the other gives 0. A count of
// 0 or less means no outline and gives 0.
int hullsOverlap(const Point* hull1, int n1, const Point* hull2, int n2);

// 1 when p lies inside or on the convex polygon of n >= 3 vertices in clockwise order, else 0. Vertices on
// one line enclose nothing: 0 for every point, on their line or not.
int insideConvexPolygon(Point p, const Point* polygon, int n);

// the Euclidean distance of two points, in double
double distance(Point a, Point b);

// The number of meeting points recorded by intersectCurves since the process started.
extern int intersectionCount;

// What one search did.
struct SearchStats {
    long calls = 0;                // pairs of pieces examined
    int deepestLevel = 0;          // most halvings of a piece (0: only the input curves)
    bool budgetExhausted = false;  // the call budget (or the depth cap) stopped the search: points may be missing
};

// What one search may spend: each pair of pieces it examines costs searchCallWeight(n1, n2) of it (see
// intersect.cpp for the figures behind both).
extern const long searchCallBudget;
// The most halvings of a piece; deeper branches end the search as the budget does.
extern const int searchDepthCap;
// What one pair of pieces of n1 and n2 control points counts against searchCallBudget: n1^2 + n2^2 +
// 4 (n1 + n2), as the time a pair takes grows.
long searchCallWeight(int n1, int n2);

// One pair of pieces as the search examined it, shown to an observer: the pieces' control polygons, the
// outlines they were tested by, and what the search decided. The arrays live only during the call.
struct SearchVisit {
    enum Verdict { dropped, recorded, halved };
    int level;  // halvings of the pieces so far (0: the input curves)
    const Point* piece1;
    int n1;
    const Point* outline1;
    int m1;
    const Point* piece2;
    int n2;
    const Point* outline2;
    int m2;
    Verdict verdict;  // dropped: the outlines share no point; recorded: both small, point recorded; halved
    Point point;      // the point recorded, for verdict recorded
};

// Called once for every pair the search examines, in the order it examines them.
using SearchObserver = void (*)(const SearchVisit& visit, void* context);

// Searches two curves, given by their control polygons of n1 and n2 points, for the points where they
// meet, appending each to result (x and y; colour BLACK) and raising intersectionCount by one for it.
//
// At each pair of pieces: the hulls of both control polygons (a polygon whose points share one height
// stands for the segment between its extreme points, or for its single point); a pair whose hulls share
// no point is dropped. A piece is small when its first hull edge is within the limit (epsilon, or 1/65536
// of the curves' extent, or the length below which float resolution stops an edge shrinking, whichever is
// coarsest) and its box within 2 (n - 1) such limits. A pair whose hulls' boxes lie more than 2 (n1 + n2)
// limits apart is dropped as well, whatever the outline test says (on one nearly vertical line it meets
// pieces however far apart along it). When both pieces are small, the midpoint of the first
// piece's hull closing edge (last vertex to vertex 0) is recorded; otherwise both pieces are halved (a
// piece whose points all lie at one place is kept whole) and the pairs searched in the order (left, left),
// (left, right), (right, left), (right, right). Equal or nearby points are not merged.
//
// Scale. Every step above is exact under scaling by a power of two while no float overflows or underflows,
// so curves whose largest coordinate lies outside [2^-40, 2^62] are searched scaled by a power of two that
// brings it into [1, 2), and the points found scaled back: the same curves at any magnitude take the same
// calls, as long as the same one of the limits above decides smallness. Inside that range nothing is
// scaled.
//
// Budget. A search stops before a pair of pieces would take its spending beyond budget (searchCallBudget
// unless a test asks for less), or a piece would be halved more than searchDepthCap times, and says so in
// stats->budgetExhausted; the points found by then are the first ones the whole search would have
// recorded, in the same order.
//
// Counts outside 1..maxControlPoints, or a non-finite coordinate, record nothing. No heap memory is used
// except for the growth of result. Returns 0. An observer, when given, sees every pair examined, in the
// curves' own coordinates; without one the search runs as it would with none compiled in.
int intersectCurves(const Point* curve1, int n1, const Point* curve2, int n2, std::vector<Point>& result, float epsilon,
                    SearchStats* stats = nullptr, long budget = searchCallBudget, SearchObserver observer = nullptr,
                    void* context = nullptr);
