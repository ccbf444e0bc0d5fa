// Curves against a quadratic or a cubic, for the exact intersection: the quadratic or cubic lies on an
// algebraic curve whose implicit equation, taken along the other curve, is one polynomial in that curve's
// parameter. Its roots, found with certified counts, are the meeting points; a root of more than simple
// multiplicity is a touch.
#pragma once

#include <vector>

#include "intersect/exact/lines.h"

namespace exactmode {

// A curve of at most 16 control points against a quadratic (three control points, not on one line):
// every meeting point, t on the curve and s on the quadratic, from the roots of the quadratic's implicit
// equation (a parabola's) along the curve, a polynomial of twice the curve's degree. False when the curve
// lies on the parabola altogether (the polynomial vanishes): that is a question of shared stretches.
bool intersectWithQuadratic(const PointD* curve, int n, const PointD* quadratic,
                            std::vector<MeetingParameters>& meetings);

// A curve of at most 11 control points against a cubic (four control points, not on one line): the same
// with the cubic's implicit equation (the determinant of its 3 x 3 Bezout matrix, whose entries are
// lines through pairs of its control points), a polynomial of three times the curve's degree. False
// when the curve lies on the cubic's algebraic curve altogether.
bool intersectWithCubic(const PointD* curve, int n, const PointD* cubic, std::vector<MeetingParameters>& meetings);

}  // namespace exactmode
