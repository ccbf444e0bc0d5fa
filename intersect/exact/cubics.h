// Two cubics crossing only transversally, answered algebraically: the second cubic's implicit equation
// (the determinant of its Bezout matrix) along the first is a polynomial of degree 9, whose roots, isolated
// with certified signs, are the first cubic's parameters at the meetings; the second's is read off the
// matrix's kernel there, and both are polished by the same Newton's method the clipping uses. Takes only
// pairs it can certify; every other pair is left to the clipping.
#pragma once

#include <vector>

#include "intersect/exact/stretches.h"

namespace exactmode {

// Appends to found every meeting of the cubics a and b (in the local frame) and returns true, when each is
// a transversal crossing away from the curves' ends and from every other, and the curves come nowhere else
// near each other; otherwise returns false and leaves found as it was. Called only when no end of either
// curve and no point where one turns back lies on the other (the meetings at the ends are none).
bool crossCubics(const Curve& a, const Curve& b, double tolerance, Work& work, std::vector<Candidate>& found);

// Whether every end of the cubics a and b is shown to lie off the other cubic (further than twice the
// tolerance from its algebraic curve): then no end meets the other curve.
bool endsOffCubics(const Curve& a, const Curve& b, double tolerance);

}  // namespace exactmode
