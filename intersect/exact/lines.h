// Pairs with a straight curve, for the exact intersection: a curve whose control points all lie on one
// line runs along that line (possibly back and forth), so meeting it is a one-dimensional question. Both
// curves on one line: their stretches between turning points are compared as ranges along the line.
// A curve against a line: the roots of its signed distance to the line, a polynomial computed in
// double-double from the exact control points, each with its multiplicity.
#pragma once

#include <vector>

#include "intersect/exact.h"
#include "intersect/exact/polynomial.h"

namespace exactmode {

// A meeting point by its parameters: t on the first curve, s on the second.
struct MeetingParameters {
    double t;
    double s;
    bool touch;
};

// A stretch shared by the curves: t0 < t1; the second curve is at s0 where the first is at t0.
struct SharedStretch {
    double t0;
    double t1;
    double s0;
    double s1;
};

// Parameters this close are one meeting point (the ends of neighbouring stretches agree exactly; this
// only absorbs the rounding of a parameter solved for twice).
constexpr double sameParameter = 1e-12;

// Adds a meeting point unless one within sameParameter is known (a touch where either finding is one).
void addMeeting(std::vector<MeetingParameters>& meetings, const MeetingParameters& found);

// The exponent of the lowest bit among the coordinates of both point sets: scaled by 2^-exponent, all
// are integers.
int lowestExponent(const PointD* a, int na, const PointD* b, int nb);

// The control points' coordinates along one axis (0: x, 1: y) as a polynomial.
AxisPolynomial alongAxis(const PointD* p, int n, int axis);

// Whether every control point lies on one line (or all coincide), decided exactly.
bool onOneLine(const PointD* p, int n);

// Whether the control points of both curves lie on one line together, decided exactly.
bool onOneLine(const PointD* a, int na, const PointD* b, int nb);

// Both curves on one line (not both single points): the stretches they share and the points where they
// only meet (touches: on one line there is no crossing at an angle).
void intersectOnOneLine(const PointD* a, int na, const PointD* b, int nb, std::vector<MeetingParameters>& meetings,
                        std::vector<SharedStretch>& stretches);

// A curve against a curve on a line (not a single point, and not on the same line): every meeting point,
// t on the curve and s on the line. Where the curve meets the line more than simply, or the line's curve
// stands still there, it is a touch.
void intersectWithLine(const PointD* curve, int n, const PointD* line, int m, std::vector<MeetingParameters>& meetings);

}  // namespace exactmode

