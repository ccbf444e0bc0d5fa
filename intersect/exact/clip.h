// Bezier clipping for the exact intersection: what a piece of one curve leaves of a piece of the other
// (its fat line), and the cones of control-polygon directions that tell when two pieces meet at most once.
#pragma once

#include "intersect/exact/piece.h"

namespace exactmode {

// Clipped ranges are widened by this much (in the piece's own parameter) against rounding in the clip.
constexpr double clipSlack = 1e-12;

// Whether the boxes of two pieces' control points come within margin of each other: when not, the
// pieces cannot meet.
bool boxesMeet(const ClipPiece& a, const ClipPiece& b, double margin);

// The part [u0, u1] of other's parameter range whose control points' convex hull, taken as the explicit
// curve (j / (m - 1), distance of point j to line's chord), lies in line's fat line: the band around the
// chord holding line's control points, widened by margin. False when nothing is left.
bool clipToFatLine(const ClipPiece& line, int n, const ClipPiece& other, int m, double margin, double& u0, double& u1);

// The direction cone of the piece's n control points whose coordinates carry a rounding error of err
// (the same err for every call on one piece: it is computed once and kept with the piece until it is cut).
const Cone& coneOf(const ClipPiece& p, int n, double err);

// Whether every control-polygon direction of one piece is strictly on one side of every direction of the
// other, beyond what a rounding error of err in each control point could change: then the pieces meet at
// most once.
bool directionsApart(const Cone& a, const Cone& b, double err);

}  // namespace exactmode
