// Convex hull of a point set by gift wrapping driven by direction angles in degrees.
#pragma once

#include "geometry/geometry.h"

// Degrees in a conversion factor of 180 / 3.141592 (not 180 / pi): a quarter turn of the arctangent
// is worth 90.0000187 degrees, so straight up and straight down land slightly off 180 and 0.
constexpr double degreesPerRadian = 57.29579143313326;

// The angle of the direction from one point to another, in float degrees counted counter-clockwise from
// straight down: +x is 90, -x is 270, up 180.000015, down -0.0000187; the point itself gives 0. Computed as
// atan(dy / dx) (one-argument arctangent of the float differences) times the factor, plus 270 when dx < 0
// and plus 90 otherwise, in double, rounded to float once.
float directionAngle(Point from, Point to);

// 0 when one of the first count entries has exactly p's x and y (colour not compared), otherwise 1
int isNewPoint(Point p, const Point* points, int count);

// Writes the hull's vertices into out, clockwise with y up, starting at the first lowest input point, each
// position once, and returns their number: 0 (no polygon: no points, one point, or all at one height,
// although out[0] then holds the first lowest point) or 2..n. Tie-breaks: among points on one ray the one
// with the lowest index wins; horizontal edges are taken; a later point at the top point's position is
// never taken. out needs room for n points and only the x and y of its entries are written.
//
// A NaN or infinite coordinate, or a coordinate difference beyond the float range, never makes the call loop
// or write more than n entries. A direction angle whose difference is NaN (a NaN coordinate, inf - inf) or
// whose quotient is inf / inf is NaN, and no candidate with a NaN angle is ever taken; a NaN y makes a point
// neither the top nor the bottom, unless it is the first point, when both are the first point and the result
// is 0. If the walk up the left side then reaches a vertex from which no point qualifies (with differences in
// the float range the top point always does), the result is 0, no polygon, with some entries of out written.
// Otherwise the result is the walks' count as for finite input: 2..n, never 1.
//
// Most angle comparisons are decided by exact cross products, without an arctangent; only near-ties,
// exactly vertical directions and coordinates beyond 1e38 or non-finite ones take directionAngle. The
// result, out included, is the same as convexHullByAngles gives for every input.
int convexHull(const Point* points, int n, Point* out);

// convexHull for 1..maxControlPoints points whose coordinates are all finite and at most 1e38 in magnitude,
// which it takes on trust: the same result, without the pass that checks them.
int convexHullOfPlainPoints(const Point* points, int n, Point* out);

// The same walk comparing every direction by its float angle from directionAngle; the reference the
// faster convexHull is checked against.
int convexHullByAngles(const Point* points, int n, Point* out);
