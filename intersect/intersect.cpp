#include "intersect/intersect.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>


#include "bezier/bezier.h"
#include "geometry/box.h"
#include "hull/hull.h"
#include "intersect/outline.h"

int intersectionCount = 0;

namespace {

double squaredLength(double x, double y) { return x * x + y * y; }

// Two parallel segments from p to q and from r to s, neither of zero length, given the first's float
// differences d1 and their squared length: collinear when r lies on the first's line by the relative
// tolerance of the angle, and then meeting where they overlap along x, or along y when the first is vertical
// (the first segment alone chooses the axis).
inline bool collinearAndOverlapping(double px, double py, double qx, double qy, double rx, double ry, double sx,
                                    double sy, double d1x, double d1y, double squaredLength1) {
    const double ex = rx - px;
    const double ey = ry - py;
    const double side = ex * d1y - ey * d1x;
    if (!(side * side <= parallelTolerance * squaredLength(ex, ey) * squaredLength1)) return false;
    const bool alongY = px == qx;
    const double p = alongY ? py : px;
    const double q = alongY ? qy : qx;
    const double r = alongY ? ry : rx;
    const double s = alongY ? sy : sx;
    // each segment's ends in order
    const double lo1 = p > q ? q : p, hi1 = p > q ? p : q;
    const double lo2 = r > s ? s : r, hi2 = r > s ? r : s;
    return lo2 < hi1 && lo1 <= hi2;
}

// whether p lies on the segment from a to b of non-zero length: on its line by the same relative tolerance
// as the collinearity test, and between its ends, both included
bool liesOnSegment(Point p, Point a, Point b) {
    const double dx = static_cast<double>(b.x) - a.x;
    const double dy = static_cast<double>(b.y) - a.y;
    const double ex = static_cast<double>(p.x) - a.x;
    const double ey = static_cast<double>(p.y) - a.y;
    const double side = ex * dy - ey * dx;
    if (!(side * side <= parallelTolerance * squaredLength(ex, ey) * squaredLength(dx, dy))) return false;
    const double along = ex * dx + ey * dy;
    return along >= 0 && along <= squaredLength(dx, dy);
}

}  // namespace

int segmentIntersection(Segment first, Segment second, float* point) {
    Point p = first.a;
    Point q = first.b;
    Point r = second.a;
    Point s = second.b;

    const float d1x = q.x - p.x;
    const float d1y = q.y - p.y;
    const float d2x = s.x - r.x;
    const float d2y = s.y - r.y;
    const double ex = static_cast<double>(r.x) - p.x;
    const double ey = static_cast<double>(r.y) - p.y;
    const float cross = static_cast<float>(static_cast<double>(d1x) * d2y - static_cast<double>(d1y) * d2x);

    // parallel when the squared sine of the angle is within the tolerance; zero length always is
    const double crossSquared = static_cast<double>(cross) * cross;
    if (!(crossSquared <= parallelTolerance * squaredLength(d1x, d1y) * squaredLength(d2x, d2y))) {
        // crossing: s along the first segment, t along the second, both as floats
        const float sAlong = static_cast<float>((ex * d2y - ey * d2x) / cross);
        const float tAlong = static_cast<float>((ex * d1y - ey * d1x) / cross);
        if (tAlong >= 0 && tAlong <= 1 && sAlong >= 0 && sAlong <= 1) {
            point[0] = static_cast<float>(p.x + static_cast<double>(sAlong) * d1x);
            point[1] = static_cast<float>(p.y + static_cast<double>(sAlong) * d1y);
            return 1;
        }
        return 0;
    }

    const bool firstIsPoint = d1x == 0 && d1y == 0;
    const bool secondIsPoint = d2x == 0 && d2y == 0;
    if (firstIsPoint && secondIsPoint) return p.x == r.x && p.y == r.y ? 2 : 0;  // two points meet when they coincide
    if (firstIsPoint) return liesOnSegment(p, r, s) ? 2 : 0;                     // a point meets a segment it lies on
    if (secondIsPoint) return liesOnSegment(r, p, q) ? 2 : 0;

    return collinearAndOverlapping(p.x, p.y, q.x, q.y, r.x, r.y, s.x, s.y, d1x, d1y, squaredLength(d1x, d1y)) ? 2 : 0;
}

namespace {

// The shortcuts of the overlap test. Each is argued where it is used.
constexpr double apartAlongX = 0.01;                  // gap along x, as a share of the common box's larger side
constexpr double apartAlongY = 0.1;                   // gap along y, for a first outline with no steep edge
constexpr double shallowSquaredCosine = 0.01;         // (|dx| / length)^2 of the steepest shallow edge: 84 degrees
constexpr double shortestEdgeSquared = 0x1p-100;      // edges this long have a normal float cross product
constexpr double largestShortcutCoordinate = 0x1p60;  // below it no difference overflows
constexpr double beyondOneMargin = 0x1p-20;           // a quotient this far above 1 still rounds above 1
constexpr double belowZeroMargin = 0x1p-60;           // a quotient this far below 0 still rounds below 0

enum RangeVerdict { inRange, outOfRange, closeCall };

// whether the sign bits of two doubles differ: for non-zero values, whether one is negative and the other
// positive
inline bool oppositeSigns(double u, double v) {
    std::uint64_t bitsU;
    std::uint64_t bitsV;
    std::memcpy(&bitsU, &u, sizeof bitsU);
    std::memcpy(&bitsV, &v, sizeof bitsV);
    return ((bitsU ^ bitsV) >> 63) != 0;
}

// Where the float rounding of numerator / denominator lies against [0, 1], told without dividing when
// it is far from both ends. The quotient is in [0, 1] when the two share a sign (or the numerator is zero)
// and |numerator| <= |denominator|; beyond 1 + 2^-20 or below -2^-60 its rounding stays outside. The
// denominator is never zero.
RangeVerdict unitRange(double numerator, double denominator) {
    const double a = std::fabs(numerator);
    const double b = std::fabs(denominator);
    if (oppositeSigns(numerator, denominator) && numerator != 0) {
        return a >= b * belowZeroMargin ? outOfRange : closeCall;
    }
    if (a <= b) return inRange;
    if (a >= b * (1 + beyondOneMargin)) return outOfRange;
    return closeCall;
}

// segmentIntersection(first, second) != 0 for two parallel edges, on the described edges where neither has
// zero length
bool parallelEdgesMeet(const OutlineEdge& first, const OutlineEdge& second) {
    if ((first.dx == 0 && first.dy == 0) || (second.dx == 0 && second.dy == 0)) {
        float scratch[2];
        return segmentIntersection(first.segment(), second.segment(), scratch) != 0;
    }
    return collinearAndOverlapping(first.fromX, first.fromY, first.toX, first.toY, second.fromX, second.fromY,
                                   second.toX, second.toY, first.dx, first.dy, first.squaredLength);
}

// segmentIntersection(first, second) != 0, with the crossing case's range tests done without division
// where the outcome is certain; close calls go to segmentIntersection itself, and the parallel case to
// parallelEdgesMeet. Inlined wherever it is used: the loops over edge pairs run it most of all.
[[gnu::always_inline]] inline bool edgesMeet(const OutlineEdge& first, const OutlineEdge& second) {
    const float cross = static_cast<float>(first.dx * second.dy - first.dy * second.dx);
    const double crossSquared = static_cast<double>(cross) * cross;
    if (crossSquared <= first.toleranceTimesSquaredLength * second.squaredLength) {
        return parallelEdgesMeet(first, second);
    }
    const double ex = second.fromX - first.fromX;
    const double ey = second.fromY - first.fromY;
    const RangeVerdict alongFirst = unitRange(ex * second.dy - ey * second.dx, cross);
    if (alongFirst == outOfRange) return false;
    const RangeVerdict alongSecond = unitRange(ex * first.dy - ey * first.dx, cross);
    if (alongSecond == outOfRange) return false;
    if (alongFirst == inRange && alongSecond == inRange) return true;
    float scratch[2];
    return segmentIntersection(first.segment(), second.segment(), scratch) != 0;
}

// The edges of an outline, from vertex i to i + 1 and the closing edge from the first vertex to the last;
// returns their number.
inline void describeEdge(const Point& from, const Point& to, OutlineEdge& e) {
    e.fromX = from.x;
    e.fromY = from.y;
    e.toX = to.x;
    e.toY = to.y;
    e.dx = to.x - from.x;  // in float
    e.dy = to.y - from.y;
    e.squaredLength = squaredLength(e.dx, e.dy);
    e.toleranceTimesSquaredLength = parallelTolerance * e.squaredLength;
}

// Outlines of more edges than this have the boxes of their edges described, for the shortcut on each edge
// pair, which pays only where both outlines have many edges.
constexpr int edgesWorthBoxes = 4;

// squared length 2^-100 or more
inline bool longEnough(const OutlineEdge& e) { return e.squaredLength >= shortestEdgeSquared; }

// |dx| / length at least 0.1
inline bool shallow(const OutlineEdge& e) { return e.dx * e.dx >= shallowSquaredCosine * e.squaredLength; }

// the distinct edges of an outline into edges, boxed where they are many; returns their number
int describeEdgesInto(const HullOutline& o, OutlineEdge* edges) {
    const Point* v = o.vertices;
    for (int i = 0; i + 1 < o.n; ++i) describeEdge(v[i], v[i + 1], edges[i]);
    if (o.n == 2) return 1;  // the closing edge is the one edge
    describeEdge(v[0], v[o.n - 1], edges[o.n - 1]);
    if (o.n > edgesWorthBoxes) {
        for (int i = 0; i < o.n; ++i) {
            OutlineEdge& e = edges[i];
            const float fromX = static_cast<float>(e.fromX);
            const float fromY = static_cast<float>(e.fromY);
            e.loX = std::min(fromX, e.toX);
            e.hiX = std::max(fromX, e.toX);
            e.loY = std::min(fromY, e.toY);
            e.hiY = std::max(fromY, e.toY);
        }
    }
    return o.n;
}

// every edge of squared length 2^-100 or more
bool hasLongEdges(const OutlineEdge* edges, int count) {
    for (int i = 0; i < count; ++i) {
        if (!longEnough(edges[i])) return false;
    }
    return true;
}

// no edge steeper than |dx| / length = 0.1
bool isShallow(const OutlineEdge* edges, int count) {
    for (int i = 0; i < count; ++i) {
        if (!shallow(edges[i])) return false;
    }
    return true;
}

// How the boxes of two outlines lie: apart along x by the share below, apart along y by its share (which
// counts for a first outline with no steep edge), or neither.
enum BoxVerdict { boxesMeet, boxesApartAlongX, boxesApartAlongY };

// Outlines separated along x by more than 1% of the larger side of their common box, or along y by more
// than 10% of it while no edge of the first is steeper than 84 degrees, share no meeting edge pair, and
// checking that costs a pass over each outline instead of one test per edge pair. Why, case by case:
// - crossing edges: with edges of squared length 2^-100 or more the float cross product is a normal number,
//   so the rounded parameters put the meeting point within 1e-6 of the box's side from both edges;
// - zero-length edges: none (that same length bound);
// - parallel edges on one line along y (the first edge vertical): their y ranges overlap, and the second
//   lies within 0.0032 (|R - P| + |S - R|) <= 0.009 of the box's side of the first edge's x;
// - parallel edges on one line along x: their x ranges overlap, and every point of the second lies within
//   0.009 of the box's side of the first edge's line, so within 0.009 / cos of the first edge's y range,
//   where cos = |dx| / length >= 0.1 below 84 degrees.
// Coordinates stay within 2^60, where no difference overflows and the float cross product stays finite.
// whether every coordinate of both outlines lies within 2^60
inline bool withinShortcutRange(const HullOutline& first, const HullOutline& second) {
    const double loX = std::min(first.loX, second.loX), hiX = std::max(first.hiX, second.hiX);
    const double loY = std::min(first.loY, second.loY), hiY = std::max(first.hiY, second.hiY);
    return std::max(-loX, hiX) <= largestShortcutCoordinate && std::max(-loY, hiY) <= largestShortcutCoordinate;
}

inline BoxVerdict boxVerdict(const HullOutline& first, const HullOutline& second) {
    const double loX = std::min(first.loX, second.loX), hiX = std::max(first.hiX, second.hiX);
    const double loY = std::min(first.loY, second.loY), hiY = std::max(first.hiY, second.hiY);
    if (!(std::max(-loX, hiX) <= largestShortcutCoordinate && std::max(-loY, hiY) <= largestShortcutCoordinate)) {
        return boxesMeet;
    }
    const double side = std::max(hiX - loX, hiY - loY);
    const double gapX = std::max(second.loX - first.hiX, first.loX - second.hiX);
    if (gapX > apartAlongX * side) return boxesApartAlongX;
    const double gapY = std::max(second.loY - first.hiY, first.loY - second.hiY);
    return gapY > apartAlongY * side ? boxesApartAlongY : boxesMeet;
}

// The shortcut above for two edges, each an outline of its own, whose coordinates lie within 2^60.
inline bool edgesSurelyApart(const OutlineEdge& a, const OutlineEdge& b) {
    if (!longEnough(a) || !longEnough(b)) return false;
    const double loX = std::min(a.loX, b.loX), hiX = std::max(a.hiX, b.hiX);
    const double loY = std::min(a.loY, b.loY), hiY = std::max(a.hiY, b.hiY);
    const double side = std::max(hiX - loX, hiY - loY);
    const double gapX = std::max(static_cast<double>(b.loX) - a.hiX, static_cast<double>(a.loX) - b.hiX);
    if (gapX > apartAlongX * side) return true;
    const double gapY = std::max(static_cast<double>(b.loY) - a.hiY, static_cast<double>(a.loY) - b.hiY);
    return gapY > apartAlongY * side && shallow(a);
}

// The shortcut above for one edge of a first outline, as an outline of its own, against the whole second
// outline, whose edges are all long enough; the coordinates of both lie within 2^60.
inline bool edgeSurelyApartFromOutline(const OutlineEdge& a, const HullOutline& second) {
    if (!longEnough(a)) return false;
    const double loX = std::min(static_cast<double>(a.loX), second.loX);
    const double hiX = std::max(static_cast<double>(a.hiX), second.hiX);
    const double loY = std::min(static_cast<double>(a.loY), second.loY);
    const double hiY = std::max(static_cast<double>(a.hiY), second.hiY);
    const double side = std::max(hiX - loX, hiY - loY);
    const double gapX = std::max(second.loX - a.hiX, a.loX - second.hiX);
    if (gapX > apartAlongX * side) return true;
    const double gapY = std::max(second.loY - a.hiY, a.loY - second.hiY);
    return gapY > apartAlongY * side && shallow(a);
}

// the shortcut above, on the outlines' edges formed beforehand
bool surelyApart(BoxVerdict boxes, const OutlineEdge* edges1, int count1, const OutlineEdge* edges2, int count2) {
    if (boxes == boxesMeet || (boxes == boxesApartAlongY && !isShallow(edges1, count1))) return false;
    return hasLongEdges(edges1, count1) && hasLongEdges(edges2, count2);
}

}  // namespace

HullOutline::HullOutline(const Point* outline, int count) : vertices(outline), n(count) {
    double box[4];
    boxOfPoints(outline, count, box);
    loX = box[0];
    hiX = box[1];
    loY = box[2];
    hiY = box[3];
}

void describeEdges(HullOutline& outline, OutlineEdge* room) {
    describeEdgesInto(outline, room);
    outline.edges = room;
}

namespace {

// hullsOverlap of two outlines whose edges are described in edges1 and edges2
bool describedOutlinesOverlap(const HullOutline& first, const OutlineEdge* edges1, const HullOutline& second,
                              const OutlineEdge* edges2) {
    const int count1 = first.distinctEdges();
    const int count2 = second.distinctEdges();
    if (surelyApart(boxVerdict(first, second), edges1, count1, edges2, count2)) return false;
    // the same shortcut for each edge of the first outline against the whole second one (where the first
    // has its edge boxes and every edge of the second is long enough), and for each edge pair, as two
    // outlines of one edge each, where no coordinate is too large
    const bool inRange = count1 > edgesWorthBoxes && withinShortcutRange(first, second);
    const bool rowShortcuts = inRange && hasLongEdges(edges2, count2);
    const bool shortcuts = inRange && count2 > edgesWorthBoxes;
    for (int i = 0; i < count1; ++i) {
        if (rowShortcuts && edgeSurelyApartFromOutline(edges1[i], second)) continue;
        for (int j = 0; j < count2; ++j) {
            if (shortcuts && edgesSurelyApart(edges1[i], edges2[j])) continue;
            if (edgesMeet(edges1[i], edges2[j])) return true;
        }
    }
    return false;
}

// describedOutlinesOverlap of two outlines of two vertices each, whose one edge each is the whole test
inline bool segmentOutlinesOverlap(const HullOutline& first, const HullOutline& second) {
    const OutlineEdge& a = first.edges[0];
    const OutlineEdge& b = second.edges[0];
    const BoxVerdict boxes = boxVerdict(first, second);
    // surelyApart for one edge each
    if (boxes != boxesMeet && (boxes == boxesApartAlongX || shallow(a)) && longEnough(a) && longEnough(b)) {
        return false;
    }
    return edgesMeet(a, b);
}

// describedOutlinesOverlap of two outlines whose edges are described, two segments taking a way of their own
inline bool outlinesOverlap(const HullOutline& first, const HullOutline& second) {
    if (first.n == 2 && second.n == 2) return segmentOutlinesOverlap(first, second);
    return describedOutlinesOverlap(first, first.edges, second, second.edges);
}

}  // namespace

bool hullsOverlap(const HullOutline& first, const HullOutline& second) {
    if (first.edges != nullptr && second.edges != nullptr) {
        return describedOutlinesOverlap(first, first.edges, second, second.edges);
    }
    // the edges of either described here
    OutlineEdge local1[maxControlPoints];
    OutlineEdge local2[maxControlPoints];
    HullOutline described1 = first;
    HullOutline described2 = second;
    if (first.edges == nullptr) describeEdges(described1, local1);
    if (second.edges == nullptr) describeEdges(described2, local2);
    return describedOutlinesOverlap(described1, described1.edges, described2, described2.edges);
}

int hullsOverlap(const Point* hull1, int n1, const Point* hull2, int n2) {
    if (n1 <= 0 || n2 <= 0) return 0;  // no outline
    if (n1 > maxControlPoints || n2 > maxControlPoints || !allFinite(hull1, n1) || !allFinite(hull2, n2)) {
        // beyond the working storage, or with a NaN or infinity: every edge pair by segmentIntersection
        float scratch[2] = {0, 0};
        for (int i = 0; i < n1; ++i) {
            const Segment edge1 = i < n1 - 1 ? Segment(hull1[i], hull1[i + 1]) : Segment(hull1[0], hull1[n1 - 1]);
            for (int j = 0; j < n2; ++j) {
                const Segment edge2 = j < n2 - 1 ? Segment(hull2[j], hull2[j + 1]) : Segment(hull2[0], hull2[n2 - 1]);
                if (segmentIntersection(edge1, edge2, scratch) != 0) return 1;
            }
        }
        return 0;
    }
    return hullsOverlap(HullOutline(hull1, n1), HullOutline(hull2, n2)) ? 1 : 0;
}

int insideConvexPolygon(Point p, const Point* polygon, int n) {
    if (n < 3) return 0;  // no interior
    bool rightOfSomeEdge = false;
    for (int i = 0; i < n; ++i) {
        const Point& a = polygon[i];
        const Point& b = polygon[i + 1 < n ? i + 1 : 0];
        const double side = (static_cast<double>(b.x) - a.x) * (static_cast<double>(p.y) - a.y) -
                            (static_cast<double>(b.y) - a.y) * (static_cast<double>(p.x) - a.x);
        if (side > 0) return 0;  // left of a clockwise edge: outside
        rightOfSomeEdge = rightOfSomeEdge || side < 0;
    }
    // on the line of every edge: the vertices lie on one line, which encloses nothing
    return rightOfSomeEdge ? 1 : 0;
}

double distance(Point a, Point b) {
    const double dx = static_cast<double>(a.x) - b.x;
    const double dy = static_cast<double>(a.y) - b.y;
    return std::sqrt(dx * dx + dy * dy);
}

namespace {

// A piece also counts as small once its first hull edge is within this share of the curves' extent: 1/64 of
// a pixel when the curves fill the window. It only matters for curves larger than epsilon * 65536 (655
// units at 0.01), where it keeps curves that run along each other from being cut into millions of pieces.
constexpr double extentResolution = 1.0 / 65536;

// Float steps per control-polygon edge below which an edge may stop shrinking: halving rounds each new
// point once, so neighbouring points can stay a few steps apart however often a piece is halved.
constexpr double resolutionStepsPerEdge = 4.0;
// Smallness limits a small piece's box may span per control-polygon edge: halving spreads the points of a
// smooth piece about evenly, so its box is no more than about twice its first hull edge per edge.
constexpr double boxLimitsPerEdge = 2.0;
// Smallness limits per control point that two pieces' boxes may lie apart and still share a point as the
// outline test sees it: about what two small pieces may span together.
constexpr double apartLimitsPerPoint = 2.0;

struct Search {
    std::vector<Point>* result;
    double epsilon;  // the caller's tolerance, or the extent's resolution when that is coarser
    long weight;     // what each pair counts against the budget
    long budget;     // what the pairs may count together
    long spent;      // what the pairs so far counted
    SearchStats stats;
    double apartLimits;  // 2 (n1 + n2): the limits two pieces' boxes may lie apart
    double apartGap;     // apartLimits * epsilon
};

// The segment from the leftmost of n points to the rightmost (the first of each), or the one point when those
// share their x; returns the count.
inline int segmentOutline(const Point* curve, int n, Point* outline) {
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

// The outline of points not all at one height: their hull, or, where the walk gives no polygon, the hull of
// the points with every zero made +0, or else the segment from the leftmost point to the rightmost.
int hullOutline(const Point* curve, int n, Point* outline, bool* spansControlBox) {
    const int m = convexHullOfPlainPoints(curve, n, outline);
    *spansControlBox = m == n;  // every control position a vertex
    if (m > 0) return m;
    Point unsignedZeros[maxControlPoints];
    for (int i = 0; i < n; ++i) {
        unsignedZeros[i].x = curve[i].x + 0.0f;  // -0 + +0 is +0; every other value stays
        unsignedZeros[i].y = curve[i].y + 0.0f;
    }
    const int retried = convexHullOfPlainPoints(unsignedZeros, n, outline);
    *spansControlBox = retried == n;
    if (retried > 0) return retried;
    *spansControlBox = false;
    return segmentOutline(curve, n, outline);
}

// The outline the search tests a piece by, from its points and their box (loX, hiX, loY, hiY): its convex
// hull, or, when all its points share one height, the segment between its leftmost and rightmost points (one
// point when those coincide). The hull's walk gives no polygon either when a difference along x comes out as
// -0 (from +0 to -0), which points straight down; such a piece is outlined by the hull of its points with
// every zero made +0. Returns the count, and tells whether the outline's box is the box of all the control
// points (every position a vertex, or one height).
int pieceOutline(const Point* curve, int n, const double controlBox[4], Point* outline, bool* spansControlBox) {
    if (n == 2 && curve[0].y != curve[1].y) {
        // the hull of two points at two heights: the lower, then the higher, unless the difference along x is
        // -0 (below, with the zeros made +0)
        const Point& bottom = curve[curve[1].y < curve[0].y ? 1 : 0];
        const Point& top = curve[curve[1].y < curve[0].y ? 0 : 1];
        const float dx = static_cast<float>(static_cast<double>(top.x) - static_cast<double>(bottom.x));
        if (!(dx == 0 && std::signbit(dx))) {
            outline[0].x = bottom.x;
            outline[0].y = bottom.y;
            outline[1].x = top.x;
            outline[1].y = top.y;
            *spansControlBox = true;
            return 2;
        }
    }
    // the hull gives no polygon for points at one height, where the segment replaces it; the points share one
    // height exactly when the lowest is as high as the highest
    if (controlBox[2] != controlBox[3]) return hullOutline(curve, n, outline, spansControlBox);
    *spansControlBox = true;
    return segmentOutline(curve, n, outline);
}

// the largest coordinate magnitude of n finite points (0 for none)
float largestMagnitude(const Point* curve, int n) {
    float largest = 0;
    for (int i = 0; i < n; ++i) largest = std::max(largest, std::max(std::fabs(curve[i].x), std::fabs(curve[i].y)));
    return largest;
}

// the step from a finite v >= 0 to the next float up (to infinity from the largest float): its bits plus one
float stepUp(float v) {
    std::uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    ++bits;
    float next;
    std::memcpy(&next, &bits, sizeof next);
    return next - v;
}

// resolutionLimit of n points whose largest coordinate magnitude is known
double resolutionOf(float largest, int n) { return resolutionStepsPerEdge * (n > 1 ? n - 1 : 1) * stepUp(largest); }

// Below this length a piece's hull edge may never shrink further: halving a control polygon whose
// neighbouring points lie within a couple of float steps only shuffles rounding.
double resolutionLimit(const Point* curve, int n) { return resolutionOf(largestMagnitude(curve, n), n); }

// Room for up to Capacity points, left unset: whoever fills it writes each point it holds, whole, before
// anything reads it. Bytes, not Points, so that the room costs nothing to make; the Points begin to exist as
// they are written.
template <int Capacity>
struct PointRoom {
    alignas(Point) unsigned char bytes[sizeof(Point) * Capacity];
    Point* points() { return reinterpret_cast<Point*>(bytes); }
};

// A piece of a curve in the search: its control polygon, their box, and the outline it is tested by. The
// outline is found the first time a pair needs it, once for the two pairs the piece takes part in: a pair
// whose control boxes already lie apart never does.
class Piece {
public:
    const Point* curve;
    int n;
    double controlBox[4];  // loX, hiX, loY, hiY of the control points
    // resolutionLimit of the whole curve the piece comes from, never below the piece's own: halving keeps
    // every coordinate within the largest of its polygon's (each point rounds a value between two of them)
    double resolutionCeiling;

    // the outline goes into room and its edges into edgeRoom, which hold count of them and outlive the piece
    Piece(const Point* c, int count, double ceiling, Point* room, OutlineEdge* edgeRoom)
        : curve(c), n(count), resolutionCeiling(ceiling), m(0), outlineRoom(room), outlineEdgeRoom(edgeRoom) {
        boxOfPoints(c, count, controlBox);
    }
    // with the control box known
    Piece(const Point* c, int count, const double box[4], double ceiling, Point* room, OutlineEdge* edgeRoom)
        : curve(c),
          n(count),
          controlBox{box[0], box[1], box[2], box[3]},
          resolutionCeiling(ceiling),
          m(0),
          outlineRoom(room),
          outlineEdgeRoom(edgeRoom) {}

    // the outline (found now if not yet) and its count, 1 or more: the curves searched have finite points
    const HullOutline& outline() const {
        if (m == 0) {
            bool spansControlBox;
            m = pieceOutline(curve, n, controlBox, outlineRoom, &spansControlBox);
            described.vertices = outlineRoom;
            described.n = m;
            boxIsControlBox = spansControlBox;
            if (spansControlBox) {
                described.loX = controlBox[0];
                described.hiX = controlBox[1];
                described.loY = controlBox[2];
                described.hiY = controlBox[3];
            } else {
                described = HullOutline(outlineRoom, m);
            }
            if (m == 2) {  // the one edge, from the first vertex to the last
                describeEdge(outlineRoom[0], outlineRoom[1], outlineEdgeRoom[0]);
                described.edges = outlineEdgeRoom;
            } else {
                describeEdges(described, outlineEdgeRoom);
            }
        }
        return described;
    }
    const Point* vertices() const { return outline().vertices; }
    int count() const { return outline().n; }
    // whether the outline's box is the control box (once the outline is found)
    bool outlineBoxIsControlBox() const { return boxIsControlBox; }
    // resolutionLimit of the piece's own points, found the first time it is asked for
    double ownResolution() const {
        if (ownLimit < 0) ownLimit = resolutionLimit(curve, n);
        return ownLimit;
    }

private:
    mutable double ownLimit = -1;  // below 0 until found
    mutable int m;                 // 0 until the outline is found
    mutable bool boxIsControlBox = false;
    Point* outlineRoom;
    OutlineEdge* outlineEdgeRoom;
    mutable HullOutline described;
};

// the limit a piece's smallness is judged by: epsilon, or the float limit where that is coarser
double smallnessLimit(const Search& search, const Piece& piece) {
    if (piece.resolutionCeiling <= search.epsilon) return search.epsilon;  // the max below, without the pass
    return std::max(search.epsilon, piece.ownResolution());
}

// Whether a piece counts as small: its first hull edge within the limit (epsilon, or the float limit where
// that is coarser), and its box within 2 (n - 1) limits. The first edge alone can be short while the piece
// is long, when control points bunch at its foot or lie on one line, and the point recorded for such a
// piece could lie far from where the curves meet. Halving spreads a piece's control points about evenly,
// so for the pieces of a smooth curve the box test holds as soon as the edge test does.
bool isSmall(const Search& search, const Piece& piece) {
    const HullOutline& o = piece.outline();
    const double side = std::max(o.hiX - o.loX, o.hiY - o.loY);
    const double sides = boxLimitsPerEdge * (piece.n > 1 ? piece.n - 1 : 1);  // limits the box may span
    // the first edge's length, found only where the box passes
    const auto firstEdge = [&o] { return o.n >= 2 ? distance(o.vertices[0], o.vertices[1]) : 0.0; };
    if (side <= sides * search.epsilon && firstEdge() <= search.epsilon) return true;
    if (piece.resolutionCeiling <= search.epsilon) return false;  // the limit is epsilon: the same test
    const double limit = smallnessLimit(search, piece);
    return side <= sides * limit && firstEdge() <= limit;
}

// The search without an observer: every call to it compiles away.
struct NoObserver {
    void operator()(int, const Piece&, const Piece&, SearchVisit::Verdict, Point) const {}
};

// the control points times 2^k, each rounded once (exactly, unless it falls below the normal floats)
void scaleCurve(const Point* curve, int n, int k, Point* scaled) {
    for (int i = 0; i < n; ++i) scaled[i] = Point(std::ldexp(curve[i].x, k), std::ldexp(curve[i].y, k));
}

// Shows each verdict to the caller's observer, in the curves' own coordinates: a search of curves scaled
// by 2^k has its pieces, outlines and point scaled back first.
struct CallbackObserver {
    SearchObserver observer;
    void* context;
    int k;
    void operator()(int level, const Piece& piece1, const Piece& piece2, SearchVisit::Verdict verdict,
                    Point point) const {
        if (k == 0) {
            observer(SearchVisit{level, piece1.curve, piece1.n, piece1.vertices(), piece1.count(), piece2.curve,
                                 piece2.n, piece2.vertices(), piece2.count(), verdict, point},
                     context);
            return;
        }
        Point curve1[maxControlPoints], outline1[maxControlPoints], curve2[maxControlPoints],
            outline2[maxControlPoints];
        scaleCurve(piece1.curve, piece1.n, -k, curve1);
        scaleCurve(piece1.vertices(), piece1.count(), -k, outline1);
        scaleCurve(piece2.curve, piece2.n, -k, curve2);
        scaleCurve(piece2.vertices(), piece2.count(), -k, outline2);
        observer(SearchVisit{level, curve1, piece1.n, outline1, piece1.count(), curve2, piece2.n, outline2,
                             piece2.count(), verdict, Point(std::ldexp(point.x, -k), std::ldexp(point.y, -k))},
                 context);
    }
};

// Boxes (loX, hiX, loY, hiY) of two pieces of n1 and n2 points apart by more than 2 (n1 + n2) limits.
inline bool boxesApart(const Search& search, const double a[4], const Piece& piece1, const double b[4],
                       const Piece& piece2) {
    const double gap = std::max(std::max(b[0] - a[1], a[0] - b[1]), std::max(b[2] - a[3], a[2] - b[3]));
    if (!(gap > search.apartGap)) return false;
    return gap > search.apartLimits * std::max(smallnessLimit(search, piece1), smallnessLimit(search, piece2));
}

// Pieces whose outline boxes lie apart by more than 2 (n1 + n2) limits (about what two small pieces may span
// together) share no point, whatever the outline test says: with a nearly vertical first edge it compares
// edges on one line along x, where they overlap however far apart they lie along y, and every pair of pieces
// along such a line would record a point. Pieces that meet by the parallel tolerance elsewhere, such as
// curves touching, lie far closer.
bool outlinesApart(const Search& search, const Piece& piece1, const Piece& piece2) {
    // outline boxes that are the control boxes were found not apart before either outline
    if (piece1.outlineBoxIsControlBox() && piece2.outlineBoxIsControlBox()) return false;
    const HullOutline& a = piece1.outline();
    const HullOutline& b = piece2.outline();
    const double boxA[4] = {a.loX, a.hiX, a.loY, a.hiY};
    const double boxB[4] = {b.loX, b.hiX, b.loY, b.hiY};
    return boxesApart(search, boxA, piece1, boxB, piece2);
}

// The outline's vertices are control points, so its box lies within the control box, and the gap between
// two outline boxes is at least that between the control boxes (every difference and maximum of the test
// keeps that order when rounded): control boxes apart mean outline boxes apart, and the pair is dropped
// without finding either outline.
inline bool controlBoxesApart(const Search& search, const Piece& piece1, const Piece& piece2) {
    return boxesApart(search, piece1.controlBox, piece1, piece2.controlBox, piece2);
}

// De Casteljau halves of a piece of at most Capacity points, and their pieces, with room for their outlines.
template <int Capacity>
struct Halves {
    PointRoom<Capacity> left;
    PointRoom<Capacity> right;
    PointRoom<Capacity> leftOutline;
    PointRoom<Capacity> rightOutline;
    OutlineEdge leftEdges[Capacity];
    OutlineEdge rightEdges[Capacity];
    Piece l;
    Piece r;

    explicit Halves(const Piece& piece) : Halves(piece, Boxes(piece, left, right)) {}

private:
    // the halves into the rooms, and the boxes of their points
    struct Boxes {
        double left[4];
        double right[4];
        Boxes(const Piece& piece, PointRoom<Capacity>& leftRoom, PointRoom<Capacity>& rightRoom) {
            splitBezier(piece.curve, piece.n, 0.5f, leftRoom.points(), rightRoom.points(), left, right);
        }
    };

    Halves(const Piece& piece, const Boxes& boxes)
        : l(left.points(), piece.n, boxes.left, piece.resolutionCeiling, leftOutline.points(), leftEdges),
          r(right.points(), piece.n, boxes.right, piece.resolutionCeiling, rightOutline.points(), rightEdges) {}
};

// whether two pieces hold the same control points, bit for bit (colours included)
bool sameControlPoints(const Piece& piece1, const Piece& piece2) {
    return piece1.n == piece2.n && piece1.curve[0].x == piece2.curve[0].x &&  // most pairs differ at once
           std::memcmp(piece1.curve, piece2.curve, sizeof(Point) * static_cast<size_t>(piece1.n)) == 0;
}

template <int Capacity, class Observe>
void searchOutlines(Search& search, const Piece& piece1, const Piece& piece2, int level, const Observe& observe);

// The search of one pair of pieces of at most Capacity points each, and of their halves. The pairs dropped
// by their control boxes, which need no outline, end here without a call of their own.
template <int Capacity, class Observe>
inline void searchPair(Search& search, const Piece& piece1, const Piece& piece2, int level, const Observe& observe) {
    // once cut short, every pair still waiting is left unexamined
    if (search.stats.budgetExhausted) return;
    if (search.spent + search.weight > search.budget || level > searchDepthCap) {
        search.stats.budgetExhausted = true;
        return;
    }
    search.spent += search.weight;
    ++search.stats.calls;
    if (level > search.stats.deepestLevel) search.stats.deepestLevel = level;

    if (controlBoxesApart(search, piece1, piece2)) {
        observe(level, piece1, piece2, SearchVisit::dropped, Point());
        return;
    }
    searchOutlines<Capacity>(search, piece1, piece2, level, observe);
}

// The rest of searchPair, for a pair whose control boxes do not lie apart: the outlines decide.
template <int Capacity, class Observe>
void searchOutlines(Search& search, const Piece& piece1, const Piece& piece2, int level, const Observe& observe) {
    const HullOutline& outline1 = piece1.outline();
    const HullOutline& outline2 = piece2.outline();
    const Point* hull1 = outline1.vertices;
    const Point* hull2 = outline2.vertices;
    const int m1 = outline1.n;
    const int m2 = outline2.n;

    // Drop the pair unless the hulls share a point: outlines meeting, or one hull inside the other. A piece
    // paired with itself (a curve searched against itself) always meets: the first edge lies on itself, which
    // segmentIntersection takes as collinear and overlapping, and the boxes coincide.
    const bool same = &piece1 == &piece2;
    const bool meet = same || ((outlinesOverlap(outline1, outline2) ||
                                (m2 >= 3 && insideConvexPolygon(hull1[0], hull2, m2)) ||
                                (m1 >= 3 && insideConvexPolygon(hull2[0], hull1, m1))) &&
                               !outlinesApart(search, piece1, piece2));
    if (!meet) {
        observe(level, piece1, piece2, SearchVisit::dropped, Point());
        return;
    }

    if (isSmall(search, piece1) && (same || isSmall(search, piece2))) {
        // the midpoint of the first hull's closing edge, from its last vertex back to vertex 0
        const Point& last = hull1[m1 - 1];
        const Point point(static_cast<float>((static_cast<double>(last.x) + hull1[0].x) * 0.5),
                          static_cast<float>((static_cast<double>(last.y) + hull1[0].y) * 0.5));
        search.result->push_back(point);
        ++intersectionCount;
        observe(level, piece1, piece2, SearchVisit::recorded, point);
        return;
    }
    observe(level, piece1, piece2, SearchVisit::halved, Point());

    // A piece outlined by one point has all its control points at one place: its halves would be two copies
    // of it, each repeating the other's search and points. It stays whole against both halves of the other.
    // (Two such pieces are both small, and never get here.)
    if (m1 == 1 || m2 == 1) {
        const Piece& whole = m1 == 1 ? piece1 : piece2;
        const Halves<Capacity> other(m1 == 1 ? piece2 : piece1);
        if (m1 == 1) {
            searchPair<Capacity>(search, whole, other.l, level + 1, observe);
            searchPair<Capacity>(search, whole, other.r, level + 1, observe);
        } else {
            searchPair<Capacity>(search, other.l, whole, level + 1, observe);
            searchPair<Capacity>(search, other.r, whole, level + 1, observe);
        }
        return;
    }

    // every half meets both halves of the other curve, so each half's outline is found once, here; two
    // pieces with the same control points (a curve searched against itself) have the same halves
    const Halves<Capacity> halves1(piece1);
    if (sameControlPoints(piece1, piece2)) {
        searchPair<Capacity>(search, halves1.l, halves1.l, level + 1, observe);
        searchPair<Capacity>(search, halves1.l, halves1.r, level + 1, observe);
        searchPair<Capacity>(search, halves1.r, halves1.l, level + 1, observe);
        searchPair<Capacity>(search, halves1.r, halves1.r, level + 1, observe);
        return;
    }
    const Halves<Capacity> halves2(piece2);
    searchPair<Capacity>(search, halves1.l, halves2.l, level + 1, observe);
    searchPair<Capacity>(search, halves1.l, halves2.r, level + 1, observe);
    searchPair<Capacity>(search, halves1.r, halves2.l, level + 1, observe);
    searchPair<Capacity>(search, halves1.r, halves2.r, level + 1, observe);
}

// What the search needs to know of an input curve before it starts, from one pass over its points.
struct CurveSummary {
    bool finite;    // no NaN or infinite coordinate
    double box[4];  // loX, hiX, loY, hiY (of finite points)
    float largest;  // the largest coordinate magnitude (of finite points)
};

CurveSummary summarize(const Point* curve, int n) {
    CurveSummary summary;
    summary.finite = n >= 1 && allFinite(curve, n);
    if (!summary.finite) return summary;
    boxOfPoints(curve, n, summary.box);
    summary.largest = largestMagnitude(curve, n);
    return summary;
}

bool isSearchable(const CurveSummary& summary, int n) { return n >= 1 && n <= maxControlPoints && summary.finite; }

// the larger side of the box around both control polygons, whose points are finite
double extent(const CurveSummary& first, const CurveSummary& second) {
    const double minX = std::min(first.box[0], second.box[0]), maxX = std::max(first.box[1], second.box[1]);
    const double minY = std::min(first.box[2], second.box[2]), maxY = std::max(first.box[3], second.box[3]);
    return std::max(maxX - minX, maxY - minY);
}

// Coordinates whose largest magnitude lies in this range are searched as they are. Above it the float cross
// product of two edges can overflow (beyond about 2^63.5), and at the float limit the step to the next float
// is infinite; below it the cross product of two edges underflows (below about 2^-63) and loses its digits
// on the way there.
constexpr float smallestPlainMagnitude = 0x1p-40f;
constexpr float largestPlainMagnitude = 0x1p62f;

// The power of two that brings the largest magnitude of finite coordinates into the plain range when it lies
// outside it, else 0: a larger one just below the range's top, [2^61, 2^62), so that the other coordinates
// of the pair, however much smaller, keep as many digits as the range allows (a unit segment beside one
// reaching the float limit stays of normal floats, instead of sinking to 2^-128 and losing its cross
// products); a smaller one into [1, 2).
int scaleExponent(const CurveSummary& first, const CurveSummary& second) {
    const float largest = std::max(first.largest, second.largest);
    if (largest == 0 || (largest >= smallestPlainMagnitude && largest <= largestPlainMagnitude)) return 0;
    if (largest > largestPlainMagnitude) return std::ilogb(largestPlainMagnitude) - 1 - std::ilogb(largest);
    return -std::ilogb(largest);
}

}  // namespace

// The budget, in units of searchCallWeight. On a 2.6 GHz core a pair of pieces takes 3.5 to 6.5 ns per unit
// for most shapes (87 ns for two segments, 0.9 us for two pieces of 7 points, 13 us for two of 32), and up to
// 8.5 ns where the hulls' angle comparisons fall back on the arctangent (coordinates of 1e-8 beside 1e4 in
// one polygon: the slowest input the adversarial hunt found), so the budget holds a search to about 100 ms:
// 500,000 pairs of segments, 5,208 pairs of 32-point pieces. The ordinary searches stay well below it: the
// examples spend at most 6.8% of it (`same`, a cubic against itself, 12,741 calls), and the crossing and
// touching curves of the stress program at most 31%; only curves that share a stretch (or polygons folded
// onto one line) reach it.
const long searchCallBudget = 12000000;
// Halving brings every piece within 1/65536 of the curves' extent, or within float resolution, in 18 to 30
// levels (the stress program's deepest is 21); the cap keeps the stack of a search within 64 frames
// whatever happens: about 12 KiB each for curves of more than 10 points, 4 KiB up to 10, 2 KiB up to 4.
const int searchDepthCap = 64;

// what a pair costs: splitting both pieces and wrapping their halves, which grows with the square of their
// points, and as much again per point for the rest
long searchCallWeight(int n1, int n2) {
    return static_cast<long>(n1) * n1 + static_cast<long>(n2) * n2 + 4L * (n1 + n2);
}

// the search from the input pair, observed or not
template <int Capacity, class Observe>
void searchFrom(Search& search, const Point* curve1, int n1, const CurveSummary& summary1, const Point* curve2, int n2,
                const CurveSummary& summary2, const Observe& observe) {
    search.apartLimits = apartLimitsPerPoint * (n1 + n2);  // every piece keeps its curve's count
    search.apartGap = search.apartLimits * search.epsilon;
    PointRoom<Capacity> outline1;
    PointRoom<Capacity> outline2;
    OutlineEdge edges1[Capacity];
    OutlineEdge edges2[Capacity];
    searchPair<Capacity>(search,
                         Piece(curve1, n1, summary1.box, resolutionOf(summary1.largest, n1), outline1.points(), edges1),
                         Piece(curve2, n2, summary2.box, resolutionOf(summary2.largest, n2), outline2.points(), edges2),
                         0, observe);
}

// The search with rooms of the smallest of a few sizes that holds both curves: its frames stay small, and
// the few cache lines a frame touches lie close together.
template <class Observe>
void searchFrom(Search& search, const Point* curve1, int n1, const CurveSummary& summary1, const Point* curve2, int n2,
                const CurveSummary& summary2, const Observe& observe) {
    const int n = std::max(n1, n2);
    if (n <= 4) {
        searchFrom<4>(search, curve1, n1, summary1, curve2, n2, summary2, observe);
    } else if (n <= 10) {
        searchFrom<10>(search, curve1, n1, summary1, curve2, n2, summary2, observe);
    } else {
        searchFrom<maxControlPoints>(search, curve1, n1, summary1, curve2, n2, summary2, observe);
    }
}

int intersectCurves(const Point* curve1, int n1, const Point* curve2, int n2, std::vector<Point>& result, float epsilon,
                    SearchStats* stats, long budget, SearchObserver observer, void* context) {
    Search search{&result, epsilon, 1, budget, 0, SearchStats(), 0, 0};
    const CurveSummary summary1 = summarize(curve1, n1);
    const CurveSummary summary2 = summarize(curve2, n2);
    if (isSearchable(summary1, n1) && isSearchable(summary2, n2)) {
        search.weight = searchCallWeight(n1, n2);
        const int k = scaleExponent(summary1, summary2);
        if (k == 0) {
            search.epsilon = std::fmax(epsilon, extent(summary1, summary2) * extentResolution);
            if (observer == nullptr) {
                searchFrom(search, curve1, n1, summary1, curve2, n2, summary2, NoObserver());
            } else {
                searchFrom(search, curve1, n1, summary1, curve2, n2, summary2, CallbackObserver{observer, context, 0});
            }
        } else {
            // the same search on the curves scaled by 2^k, and its points scaled back
            Point scaled1[maxControlPoints];
            Point scaled2[maxControlPoints];
            scaleCurve(curve1, n1, k, scaled1);
            scaleCurve(curve2, n2, k, scaled2);
            const CurveSummary scaledSummary1 = summarize(scaled1, n1);
            const CurveSummary scaledSummary2 = summarize(scaled2, n2);
            search.epsilon = std::fmax(std::ldexp(static_cast<double>(epsilon), k),
                                       extent(scaledSummary1, scaledSummary2) * extentResolution);
            const size_t first = result.size();
            if (observer == nullptr) {
                searchFrom(search, scaled1, n1, scaledSummary1, scaled2, n2, scaledSummary2, NoObserver());
            } else {
                searchFrom(search, scaled1, n1, scaledSummary1, scaled2, n2, scaledSummary2,
                           CallbackObserver{observer, context, k});
            }
            for (size_t i = first; i < result.size(); ++i) {
                result[i] = Point(std::ldexp(result[i].x, -k), std::ldexp(result[i].y, -k));
            }
        }
    }
    if (stats != nullptr) *stats = search.stats;
    return 0;
}
