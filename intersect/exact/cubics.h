// Two cubics crossing only transversally, answered algebraically: the second cubic's implicit equation
// (the determinant of its Bezout matrix) along the first is a polynomial of degree 9, whose roots, isolated
// with certified signs, are the first cubic's parameters at the meetings; the second's is read off the
// matrix's kernel there, and both are polished by the same Newton's method the clipping uses. Takes only
// pairs it can certify; every other pair is left to the clipping.
#pragma once

#include <vector>

#include "intersect/exact/stretches.h"

namespace exactmode {

// What crossCubics made of a pair.
enum class CubicAnswer {
    answered,    // every meeting found
    declined,    // a meeting it cannot certify (or none where the curves come near each other)
    endsUnsure,  // asked to show the curves' ends off the other curve, it could not
};

// Appends to found every meeting of the cubics a and b (in the local frame) and answers, when each is a
// transversal crossing away from the curves' ends and from every other, and the curves come nowhere else
// near each other; otherwise leaves found as it was. Either no end of either curve lies on the other (the
// meetings at the ends are none, and so are the points where one turns back on the other), or, with
// showEndsOff, it shows first that every end lies off the other curve (further than twice the tolerance
// from its algebraic curve, so that no end meets it), and is endsUnsure where it cannot.
CubicAnswer crossCubics(const Curve& a, const Curve& b, double tolerance, bool showEndsOff, Work& work,
                        std::vector<Candidate>& found);

}  // namespace exactmode
