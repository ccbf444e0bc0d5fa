// Where two Bezier curves meet, exactly: every distinct crossing once, with its parameter on each curve,
// tangential touches marked as such, and stretches along which the curves coincide reported as parameter
// ranges. Works in double precision (long double for the last Newton step) for any number of control
// points from 1 to maxControlPoints.
//
// Method, and why:
//
// 1. Local frame. Both curves are moved so that the box around their control points is centred on the
//    origin (exact for float input), and every tolerance is a multiple of the double rounding unit times
//    the largest coordinate S in that frame: rounding is what they absorb, nothing coarser.
//
// 2. Ends and coincidence first. Each end point of each curve is projected onto the other curve
//    (subdivision to isolate, then Newton on the squared distance). An end that lies on the other curve
//    is a meeting point found exactly at the curve's end, where a subdivision search is weakest. Where the
//    directions there agree it may also be the end of a shared stretch: two polynomial curves that share
//    a stretch share it up to an end of one of them (or up to a point where one turns back on itself,
//    which is also collected: a zero of its derivative lying on the other curve). Candidate ends are
//    paired and a pair is accepted as a stretch when deg1 * deg2 + 1 points evenly spread between them
//    on the first curve all lie on the second (two different algebraic curves of these degrees share at
//    most deg1 * deg2 points). The parameter rectangles of the stretches are then left out of step 3,
//    which would otherwise cut a shared stretch into ever more pieces.
//
// 3. Isolation by Bezier clipping. A pair of pieces (parameter intervals of both curves) is dropped when
//    the boxes of their control points are apart; otherwise each piece is clipped to the part that can
//    lie in the other's fat line (the band around its chord holding its control polygon, widened by the
//    rounding margin). Clipping converges quadratically onto a transversal crossing and drops empty
//    regions fast; when it stops shrinking the pieces by a fifth, the longer piece is halved. Each piece
//    is always re-extracted from the input curve, so its rounding error stays at a few units of S.
//
// 4. Uniqueness, then Newton. When no direction of one piece's control polygon is parallel to any
//    direction of the other's (all edge cross products share one sign, beyond their rounding), the pieces
//    meet at most once: a chord joining two meeting points would have to lie in both direction cones
//    (Sederberg and Meyers). Newton's method on A(t) - B(s) = 0 from the pair's centre is then tried; a
//    root inside the pair's parameter box is that one crossing, polished by one more step in long double,
//    which puts transversal crossings within about 1e-15 of the true parameters.
//
// 5. Tangency. Where the pieces stay parallel down to parameter widths of about 1.5e-8 the curves touch
//    (or come closer than rounding allows to tell). There Newton is run on the regular system
//    (A(t) - B(s)) . A'(t) = 0, A'(t) x B'(s) = 0 (a point with parallel directions and a chord across
//    them; its Jacobian is regular wherever the two curvatures differ), and the point is a touch when the
//    curves are within the rounding margin there. A crossing pair closer than about 3e-7 in parameter
//    is thus one touch, as double arithmetic cannot tell it from one.
//
// 6. Duplicates. A crossing exactly on a split parameter (for instance at both curves' halving point) is
//    found in each neighbouring pair; results within 1e-9 in both parameters (1e-6 when a touch is
//    involved) are one crossing, and results inside a shared stretch belong to the stretch.
//
// A pair of cubics crossing three times costs a few dozen clipping steps and three Newton solves.
// Curves that run within rounding distance of each other without coinciding cannot be told apart in
// double precision; the search gives up descending after a fixed number of steps there (about a million),
// so it always ends.
#pragma once

#include <vector>

#include "geometry/geometry.h"

// A point in double precision.
struct PointD {
    double x;
    double y;
};

// One point where the two curves meet.
struct CurveCrossing {
    double t;  // parameter on the first curve, 0..1
    double s;  // parameter on the second curve, 0..1
    double x;  // the point, on the first curve
    double y;
    bool touch;  // tangential: both curves have one direction there (or one of them has none)
};

// A stretch along which the curves coincide: t0 < t1 on the first curve; the second curve is at s0 where
// the first is at t0 and at s1 where it is at t1 (s1 < s0 when it runs the other way).
struct CurveOverlap {
    double t0;
    double t1;
    double s0;
    double s1;
};

// Everything one exact intersection found.
struct ExactIntersections {
    std::vector<CurveCrossing> crossings;  // ordered by t, then s
    std::vector<CurveOverlap> overlaps;    // ordered by t0
    // False when the work limit stopped the search short (curves that run within rounding distance of
    // each other over a stretch without coinciding there): what was found is given, more may be missing.
    bool complete = true;
    long work = 0;  // the work done, in the units of the limit (at most exactWorkLimit plus one clipping pair)
};

// The most work one intersection does: about 10 ms of this project's machine for curves of 32 points.
constexpr long exactWorkLimit = 1L << 20;

// Intersects two curves given by their control polygons of n1 and n2 points. A curve whose control points
// all coincide is a single point: where it lies on the other curve it meets it as a touch at parameter 0.
// Counts outside 1..maxControlPoints, or a coordinate that is not finite, give an empty result. The result
// is cleared first; its storage is reused.
void intersectExact(const PointD* curve1, int n1, const PointD* curve2, int n2, ExactIntersections& result);

// The same for control polygons as the program reads them (float coordinates, taken exactly).
void intersectExact(const Point* curve1, int n1, const Point* curve2, int n2, ExactIntersections& result);
