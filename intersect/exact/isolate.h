// The recursive isolation of the exact intersection's general method: pairs of pieces dropped when their
// boxes are apart, clipped to each other's fat lines, halved when clipping stalls, and settled by Newton's
// method where they meet at most once or are too short to cut.
#pragma once

#include <vector>

#include "intersect/exact/stretches.h"

namespace exactmode {

// Adds to found every crossing of a and b over the parameter square that is not already among found (its
// entries so far are the meetings at the curves' ends; a pair that meets at most once, at one of those,
// is done). Pairs of pieces on a shared stretch's correspondence are dropped. Returns how many pairs were
// settled when too short to cut (where double precision decided only within its tolerance).
int isolateCrossings(const Curve& a, const Curve& b, double err, double tolerance, Work& work,
                     std::vector<Candidate>& found, const std::vector<Stretch>& stretches);

}  // namespace exactmode
