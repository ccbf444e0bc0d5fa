// Where two Bezier curves meet, exactly: every distinct crossing once, with its parameter on each curve,
// tangential touches marked as such, and stretches along which the curves coincide reported as parameter
// ranges. Works in double precision, with double-double and exact integer arithmetic where double cannot
// decide, for any number of control points from 1 to maxControlPoints.
//
// Method, and why: five steps, each answering the pair or handing it on to the next.
//
// 1. Single points and straight curves, exactly. Two curves whose control points all coincide meet where
//    the points are equal; a single point against a curve that is not straight meets it wherever the
//    curve passes it within rounding. Whether control points lie on one line is decided exactly (the
//    sign of each orientation summed without rounding). Two curves on one line are a one-dimensional
//    question: each runs one way between its turning points (the sign changes of its derivative, a
//    Bernstein polynomial whose coefficients are exact differences), and two such one-way stretches
//    share exactly the part of the line both cover; shared parts that continue one another through a
//    common turning point are one stretch, and ranges that meet in one value are a touch. A curve against
//    a curve on a line: its signed distance to the line is a polynomial whose Bernstein coefficients are
//    those of its control points; each root is a meeting point, a touch where its multiplicity exceeds
//    one (or where the line's curve stands still), found wherever the line's curve passes that point.
//
// 2. A curve against a quadratic (up to 16 control points): the quadratic lies on a parabola, whose
//    implicit equation (from the barycentric coordinates in the triangle of its control points) along
//    the curve is one polynomial of twice the curve's degree; its roots are handled as in 1, the
//    quadratic's parameter read off the barycentric coordinates. A curve on that parabola altogether is
//    left to the general method of 3 to 5.
//
//    Roots of one polynomial (in 1 and 2), certified. The polynomial's Bernstein coefficients are
//    computed in double-double with a bound on their rounding. Subdivision at midpoints counts sign
//    changes: none means no root, one means exactly one simple root (then refined by Newton's method kept
//    in a bracket), more means halving again. The subdivision and the first Newton steps run in double,
//    each coefficient and value with a bound on its error; where that bound does not decide a sign, the
//    interval is taken again in double-double. Where a double-double coefficient lies within the rounding
//    bound of zero, that interval is examined again in exact integer arithmetic on the dyadic inputs
//    (floats and doubles are integers times a power of two), so counts are never guessed: a root exactly
//    at a subdivision point shows as exact zeros of its exact multiplicity, curves 2^-48 apart are apart,
//    and two crossings 2^-25 apart are two. Roots closer than 2^-50 that are not exact are one root of
//    their combined multiplicity.
//
// 3. Ends and coincidence. Each end point of each curve is projected onto the other curve (subdivision
//    to isolate, then Newton on the squared distance), and so are points where a curve turns back on
//    itself. An end that lies on the other curve is a meeting point; where the directions agree (a sine
//    below 1e-7) it may also be the end of a shared stretch, accepted when deg1 * deg2 + 1 points (at
//    least 3) evenly spread between two such ends all lie on the other curve within rounding (two
//    different algebraic curves of these degrees share at most deg1 * deg2 points).
//    Searches that would find nothing are skipped where that is shown first: a curve turns back nowhere
//    when its hodograph, cut into at most 64 pieces, has each piece's control points on one side of a line
//    through zero, beyond twice the search's tolerance; for two cubics, an end lies off the other cubic
//    when that cubic's implicit equation there (below) exceeds twice the tolerance times a bound on the
//    equation's gradient nearby, plus its rounding.
//
// 4a. Two cubics with no meeting at an end, algebraically: the second cubic's implicit equation (the
//    determinant of its 3 x 3 Bezout matrix of lines through pairs of its control points) along the first
//    is a polynomial of degree 9, built in double with a bound on its rounding. Its roots in [0, 1] are
//    isolated by cutting the interval (a little before its middle, so that roots at dyadic parameters do
//    not fall on a cut) where the Bernstein coefficients' signs are not certain or change more than once,
//    and refined by Newton's method kept in the bracket; the second cubic's parameter at each is read off
//    the Bezout matrix's kernel there, ((1 - s)^2, s (1 - s), s^2) up to a factor, and both are polished by
//    the same Newton's method as in 4 (long double last step). This is taken only where it is certain and
//    agrees with 4: every root simple (one sign change) and at least 1e-6 from the others, from the ends
//    of both parameter ranges (inside or beyond), a sine of at least 1e-3 between the curves' directions,
//    a rounding unit of the largest Horner coefficient moving the parameters by at most 1e-14 (beyond
//    that, Newton's result depends on its start in more than the last bits), and the polynomial 64 times
//    its rounding away from zero wherever it has no root (the curves nowhere within about the tolerance
//    without crossing). Anything else (touches, near misses, roots at or near
//    the ends, a curve through the other's node, shared stretches) goes on to 4.
//
// 4. Isolation by Bezier clipping, in a local frame (both curves moved so that the box around their
//    control points is centred on the origin; every tolerance a multiple of the rounding unit times the
//    largest coordinate there). A pair of pieces is dropped when the boxes of their control points are
//    apart; otherwise each piece is clipped to the other's fat line; when that stops shrinking the pieces
//    (a clip keeps more than 65% of both), the longer is halved. Inside a shared stretch's parameter
//    rectangle a pair is dropped only when the first curve runs one way over both pieces' parameters (it
//    cannot cross itself there), so nodes of a shared curve, where it crosses itself, are still found as
//    crossings beside the stretch. When every edge direction of one piece's control polygon is strictly
//    on one side of every edge direction of the other's, the pieces meet at most once (Sederberg and
//    Meyers): that one is a meeting already found at an end, or Newton's method on A(t) - B(s) = 0 from
//    the centre finds it, accepted when the curves meet there and it lies in the pair's box, and polished
//    by one more step in long double (transversal crossings within about 1e-15 of the true parameters).
//    Pieces that stay parallel down to widths of 2^-26 (about 1.5e-8) are settled by Newton on the touch
//    system (A - B) . A' = 0, A' x B' = 0.
//
// 5. One result per meeting point. Results within 1e-9 of each other in both parameters, or within 1e-3
//    with the curves never apart between them, are one (a touch where they differ by more than rounding),
//    and results on a shared stretch's correspondence are left out. Where this decided something only
//    within double precision's tolerance (a touch, pieces settled when too short to cut, or the work
//    limit reached), no shared stretch was found and one curve is a cubic (the other of up to 11 control
//    points), the pair is answered again, exactly, by the roots along the other curve of the cubic's
//    Bezout determinant, as in 2.
//
// Bounded time: the general method counts its work (one control point through one de Casteljau level is
// one unit) and stops descending at exactWorkLimit, with `complete` false in the result; the checks of
// candidate stretches have a limit of their own, the root finding of 1 and 2 looks at no more than 4096
// intervals, and that of 4a at no more than 256 (cut at most 16 times deep). bench/exact_bench measures
// the costliest kinds of pairs of 32 points (a curve against itself run back; two curves one float step
// apart, which spend the whole limit): about 2 ms on this project's machine, every pair well within 10 ms.
//
// Not yet exact: pairs of curves of four or more control points where neither is a cubic that the second
// answer takes (two quartics, say) that touch with contact of higher order or come closer than rounding
// without meeting; and curves of four or more control points sharing a stretch up to rounding without
// coinciding, or sharing one shorter than about 1e-6 in parameter: these are decided within
// double-precision tolerances by 3 to 5.
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
    long work = 0;  // the work done, in the units of exactWorkLimit (at most exactWorkBound)
};

// The work the general method may do before it stops descending, in units of one control point through
// one de Casteljau level (a clipping round of two curves of n and m points costs about n^2 + m^2 units, a
// Newton step about 4 n). Ordinary pairs use a few thousand; curves that run within rounding distance of
// each other without coinciding would go on for ever. Spent in full it takes about a millisecond on this
// project's machine (bench/exact_bench measures the costliest kinds of pairs).
constexpr long exactWorkLimit = 1L << 22;
// The most work one intersection reports: the search's limit, the checks of candidate stretches (four
// times as much, a limit of their own), and the pairs of pieces under way when the search's limit is
// reached, each finishing its current step (at most one per level of halving, of at most 2 (32^2 + 64 * 32)
// units each).
constexpr long exactWorkBound = 6 * exactWorkLimit;

// Intersects two curves given by their control polygons of n1 and n2 points. A curve whose control points
// all coincide is a single point: where it lies on the other curve it meets it as a touch at parameter 0.
// Counts outside 1..maxControlPoints, or a coordinate that is not finite, give an empty result. The result
// is cleared first; its storage is reused, and so is working storage kept per thread (the root finder's
// intervals, at most three per level of halving, and the exact integers, each place in the work keeping
// its own), so that a pair of any kind allocates no heap memory once both have grown to what it needs.
void intersectExact(const PointD* curve1, int n1, const PointD* curve2, int n2, ExactIntersections& result);

// The same for control polygons as the program reads them (float coordinates, taken exactly).
void intersectExact(const Point* curve1, int n1, const Point* curve2, int n2, ExactIntersections& result);
