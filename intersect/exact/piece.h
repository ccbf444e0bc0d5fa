// A curve of the exact intersection restricted to a parameter range: the control polygon of that part,
// cut from the whole curve by de Casteljau's algorithm, with the box around it.
#pragma once

#include "intersect/exact/curve.h"

namespace exactmode {

// Both coordinates of a control point, cut together.
struct Pair {
    double x;
    double y;
};

// The direction cone of a piece: every edge direction of its control polygon is a positive mix of lo and
// hi (counter-clockwise from lo). Not valid when the edges span half a turn or more, or none is longer than
// rounding, so that the piece may turn back and cross itself.
struct Cone {
    bool valid;
    Vec lo;
    Vec hi;
};

// The control polygon of a curve restricted to a parameter range.
struct ClipPiece {
    Pair p[maxPoints];
    double minX, maxX, minY, maxY;  // box of the control points
    int generation;                 // cuts since it was last taken from the input curve
    // its direction cone, once computed (coneOf); every cut forgets it
    mutable bool hasCone;
    mutable Cone cone;

    double x(int i) const { return p[i].x; }
    double y(int i) const { return p[i].y; }
};

// Cuts before a piece is taken afresh from the input curve: each cut adds at most about n units of
// rounding at the frame's scale, so a piece's error stays below the margin the search allows for.
constexpr int freshAfter = 4;

// An edge or chord no longer than this many times a piece's rounding error has no direction to speak of.
constexpr double directionlessEdge = 4;

// Pieces this short in parameter are not cut further: below the parameter spacing (about 3e-7) at which
// two crossings of a near-tangent pair still differ by more than rounding in position.
constexpr double tinyWidth = 1.0 / (1 << 26);

// The piece of c on [t0, t1] (0 <= t0 <= t1 <= 1), taken from the input curve itself, so that it carries
// the rounding of one cut only.
void extract(const Curve& c, double t0, double t1, ClipPiece& piece);

// Cuts piece, the piece of c on some range, down to its part [u0, u1], which is [t0, t1] on c; taken
// afresh from c once it has been cut freshAfter times, so that rounding does not pile up.
void narrow(const Curve& c, ClipPiece& piece, double u0, double u1, double t0, double t1);

// The two halves of piece, the piece of c on [t0, t1]: one de Casteljau pass gives both.
void halve(const Curve& c, const ClipPiece& piece, double t0, double t1, ClipPiece& left, ClipPiece& right);

// The larger side of the piece's box: which of two pieces to halve.
double extentOf(const ClipPiece& p);

}  // namespace exactmode
