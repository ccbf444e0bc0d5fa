// Meeting points at the curves' ends and the stretches the curves share, for the exact intersection's
// general method: candidate ends, the check that the curves coincide between two of them, and the
// merging of results that are one meeting point.
#pragma once

#include <vector>

#include "intersect/exact/curve.h"

namespace exactmode {

// A meeting point found by the general method: t on the first curve, s on the second.
struct Candidate {
    double t;
    double s;
    bool touch;
};

// A stretch both curves run along: [t0, t1] on the first, from s0 to s1 on the second.
struct Stretch {
    double t0, t1, s0, s1;
};

// Results this close are one meeting point when the curves stay within the tolerance between them.
constexpr double sameContact = 1e-3;
// Candidate ends of a shared stretch this close in a parameter give no stretch.
constexpr double sameTouch = 1e-6;
// Directions with a smaller sine count as one direction at a curve's end (touch, or a candidate end of a
// shared stretch).
constexpr double parallelSine = 1e-7;

// The order results are given in: by t, then s.
inline bool parameterOrder(const Candidate& p, const Candidate& q) { return p.t < q.t || (p.t == q.t && p.s < q.s); }

// Where the curve `to` is on a shared stretch when the curve `from` is at u; the stretch runs over
// [u0, u1] on `from` and [v0, v1] on `to`. Taken from the straight map between the ends, then projected.
double alongStretch(const Curve& from, const Curve& to, double u0, double u1, double v0, double v1, double u);

// The meeting points at the ends of a (and where a turns back on itself) on b, added to meetings, and the
// candidate ends of shared stretches among them (where the curves have one direction), added to
// stretchEnds; swapped: a is the second curve, so the parameters are stored the other way round. scratch
// and turns are working storage, their contents replaced.
void examineEnds(const Curve& a, const Curve& b, bool swapped, double tolerance, double err,
                 std::vector<Candidate>& meetings, std::vector<Candidate>& stretchEnds, std::vector<double>& scratch,
                 std::vector<double>& turns, Work& work);

// Whether a is shown to turn back on itself nowhere (its derivative stays away from zero): then examineEnds
// finds no such points.
bool turnsNowhere(const Curve& a, double tolerance, double err, Work& work);

// The stretches between pairs of candidate ends (sorted here) along which the curves coincide, the
// longest of those that contain one another, checked within checking's limit: put in kept (its contents
// replaced; all is working storage, its contents replaced).
void sharedStretches(const Curve& a, const Curve& b, std::vector<Candidate>& ends, double tolerance, Work& checking,
                     std::vector<Stretch>& all, std::vector<Stretch>& kept);

// One result per meeting point of found (sorted here), none on a shared stretch's correspondence: results
// within sameCrossing, or near each other with the curves never apart between them, are one (a touch
// where they are not equal, or where either is). Put in merged, its contents replaced.
void oneResultPerMeeting(const Curve& a, const Curve& b, std::vector<Candidate>& found,
                         const std::vector<Stretch>& stretches, double tolerance, std::vector<Candidate>& merged);

}  // namespace exactmode
