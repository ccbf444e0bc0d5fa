// Newton's methods of the exact intersection's general method: a crossing of two curves, a touch of two
// curves, the point of a curve nearest a given point, and from that every place a curve passes a point.
#pragma once

#include <vector>

#include "intersect/exact/piece.h"

namespace exactmode {

// Steps before Newton's method on a crossing or a projection gives up: a start inside a piece that meets
// the other at most once settles in a handful.
constexpr int newtonSteps = 24;
// Steps before Newton's method on a touch gives up: it converges only linearly where the contact is of
// higher order.
constexpr int touchSteps = 60;
// A Newton iterate further than this outside [0, 1] in a parameter has wandered off the curve.
constexpr double offCurve = 1;
// A crossing's step below this is settled: one more step squares the error away.
constexpr double crossingSettled = 1e-9;
// A crossing's step below this that no longer shrinks has hit the rounding floor of a poorly conditioned
// crossing; the last step in long double is taken only when it is this small.
constexpr double crossingFloor = 1e-6;
// Once small, a step that shrinks by less than this factor has stopped converging.
constexpr double stalledShrink = 0.5;
// A touch's step below touchSettled is settled; below touchFloor and no longer shrinking by
// touchStalledShrink it is as settled as rounding allows (contacts converge slowly).
constexpr double touchSettled = 1e-15;
constexpr double touchFloor = 1e-8;
constexpr double touchStalledShrink = 0.7;
// The same for a projection.
constexpr double projectSettled = 1e-15;
constexpr double projectFloor = 1e-9;
// Results this close in both parameters are one meeting point.
constexpr double sameCrossing = 1e-9;

// Newton's method on A(t) - B(s) = 0 from (t, s), in double until the step is below crossingSettled, then
// a last step in long double. True when it settles; t and s then hold the root.
bool newtonCrossing(const Curve& a, const Curve& b, double& t, double& s);

// Newton's method on (A(t) - B(s)) . A'(t) = 0, A'(t) x B'(s) = 0 from (t, s): where the curves have one
// direction and the chord between them is across it. True when it settles.
bool newtonTouch(const Curve& a, const Curve& b, double& t, double& s);

// Newton's method on the squared distance from c(t) to p, falling back to a gradient step away from a
// minimum. True when it settles; t then holds the nearest parameter.
bool newtonProject(const Curve& c, Vec p, double& t);

// Every parameter where c passes within tolerance of p, each once, in increasing order (err: the rounding
// of a piece's control points). Subdivides until a piece runs one way, so that Newton finds each passage.
void pointOnCurve(const Curve& c, Vec p, double tolerance, double err, std::vector<double>& out, Work& work);

}  // namespace exactmode
