#include "hull/hull.h"

#include <cmath>
#include <cstdint>

namespace {

// Bounds of the directions each walk accepts: nothing below the horizontal on its own side.
constexpr float leftmostTurn = 270;  // the left walk goes at most straight -x
constexpr float rightmostTurn = 90;  // the right walk goes at most straight +x

// copies only the coordinates: the caller's colour in out stays
void writePosition(Point& entry, const Point& p) {
    entry.x = p.x;
    entry.y = p.y;
}

// The walks' ends: the first lowest and the first highest point, ties going to the lower index.
struct Extremes {
    int bottom = 0;
    int top = 0;

    // takes points[i] into account after every point before it
    void consider(const Point* points, int i) {
        if (points[i].y > points[top].y) top = i;
        if (points[i].y < points[bottom].y) bottom = i;
    }
};

// the ends of n >= 1 points
inline Extremes extremesOf(const Point* points, int n) {
    Extremes e;
    for (int i = 1; i < n; ++i) e.consider(points, i);
    return e;
}

// ---------------------------------------------------------------------------------------------------
// The walk by float angles: every comparison evaluates directionAngle.

// One step of the left walk: the index of the most counter-clockwise direction from points[cur] up to
// straight -x whose point is not yet in out (the top point is exempt); cur itself when none qualifies.
int nextLeftVertexByAngles(const Point* points, int n, int cur, int top, const Point* out, int k) {
    int best = cur;
    float bestAngle = 0;  // the angle from cur to itself
    for (int j = 0; j < n; ++j) {
        const float a = directionAngle(points[cur], points[j]);
        // strict: of several candidates in one direction the lowest index stays
        if (a > bestAngle && a <= leftmostTurn && (j == top || isNewPoint(points[j], out, k))) {
            best = j;
            bestAngle = a;
        }
    }
    return best;
}

// One step of the right walk: the index of the most clockwise direction from points[ref] down to
// straight +x whose point is not yet in out; the top index when nothing beats the direction to it.
int nextRightVertexByAngles(const Point* points, int n, int ref, int top, const Point* out, int k) {
    int best = top;
    float bestAngle = directionAngle(points[ref], points[top]);
    for (int j = 0; j < n; ++j) {
        const float a = directionAngle(points[ref], points[j]);
        // strict: a point on the ray towards the top never displaces the top
        if (a < bestAngle && a >= rightmostTurn && (j == top || isNewPoint(points[j], out, k))) {
            best = j;
            bestAngle = a;
        }
    }
    return best;
}

// ---------------------------------------------------------------------------------------------------
// The same walk deciding most comparisons without an arctangent.
//
// directionAngle is float(K atan(dy / dx) + 90 or 270) of the float differences (dx, dy). For dx != 0
// the double expression lies within 1e-13 degrees of its exact value V, and rounding it to float moves it
// by at most half a float step, 1.53e-5 below 512. So two directions whose exact V differ by more than
// 3.1e-5 compare as their V do; and V differ by K times the angle between the directions when dx has one
// sign in both, by K times the angle minus 3.74e-5 (the factor's 180 - K pi) when the two straddle the
// upward vertical. Only directions within sameAngleSine of each other (1e-5 radians, V apart by at least
// 5.7e-4: ten times the margin), or of the thresholds 0, 90 and 270, and exactly vertical ones, whose
// values depend on the sign of a zero dx, are left to directionAngle.

// the sine below which two directions count as a near-tie, and its square
constexpr double sameAngleSine = 1e-5;
constexpr double sameAngleSineSquared = sameAngleSine * sameAngleSine;
// coordinates up to this magnitude have float differences that never overflow
constexpr float largestPlainCoordinate = 1e38f;

// The two kinds of an open half-plane come first: compareByGeometry tells them from the others by order.
enum DirectionKind : int {
    rightward,    // dx > 0: the angle lies in (-0.0000187, 180.0000187)
    leftward,     // dx < 0: the angle lies in (179.9999813, 360.0000187)
    noDirection,  // dx = dy = 0: the angle is 0
    vertical,     // dx = +-0, dy != 0: the angle depends on the zero's sign
};

// A direction from a walk's current vertex to a candidate, with its float angle once it is needed.
struct Direction {
    const Point* from;
    const Point* to;
    float dx;  // the same float differences directionAngle forms
    float dy;
    int kind;
    double squaredLength;
    bool angleKnown;
    float angle;

    Direction(const Point& f, const Point& t)
        : from(&f),
          to(&t),
          dx(static_cast<float>(static_cast<double>(t.x) - static_cast<double>(f.x))),
          dy(static_cast<float>(static_cast<double>(t.y) - static_cast<double>(f.y))),
          kind(dx > 0 ? rightward : dx < 0 ? leftward : dy != 0 ? vertical : noDirection),
          squaredLength(static_cast<double>(dx) * dx + static_cast<double>(dy) * dy),
          angleKnown(kind == noDirection),
          angle(0) {}

    float exactAngle() {
        if (!angleKnown) {
            angle = directionAngle(*from, *to);
            angleKnown = true;
        }
        return angle;
    }
};

constexpr int undecided = 2;

// whether a direction's angle is surely above 0: leftward, or rightward at least 1e-5 radians off straight
// down (V >= 5.5e-4)
bool surelyAboveZero(const Direction& d) {
    return d.kind == leftward ||
           (d.kind == rightward && (d.dy >= 0 || -static_cast<double>(d.dy) * sameAngleSine <= d.dx));
}

// compareByGeometry for directions of different kinds
int compareAcrossKinds(const Direction& u, const Direction& v) {
    if (u.kind == vertical || v.kind == vertical) return undecided;
    if (u.kind == noDirection || v.kind == noDirection) {
        if (u.kind == v.kind) return 0;
        if (u.kind == noDirection) return surelyAboveZero(v) ? -1 : undecided;
        return surelyAboveZero(u) ? 1 : undecided;
    }
    // one on each side of the vertical: the rightward one is below unless both point nearly straight up
    const Direction& r = u.kind == rightward ? u : v;
    const Direction& l = u.kind == rightward ? v : u;
    if (r.dy <= 0 || l.dy <= 0 || r.dx > sameAngleSine * r.dy || -static_cast<double>(l.dx) > sameAngleSine * l.dy) {
        return u.kind == rightward ? -1 : 1;
    }
    return undecided;
}

// The sign of angle(u) - angle(v) as the float angles give it (-1, 0, 1) when the geometry alone
// decides it, otherwise undecided.
inline int compareByGeometry(const Direction& u, const Direction& v) {
    if (u.kind != v.kind || u.kind > leftward) return compareAcrossKinds(u, v);
    // one open half-plane: the angles grow counter-clockwise. The products of floats are exact, so the
    // cross product's sign is exact, and zero only for one direction, whose quotient and angle are one.
    const double cross = static_cast<double>(u.dx) * v.dy - static_cast<double>(u.dy) * v.dx;
    if (cross * cross > sameAngleSineSquared * u.squaredLength * v.squaredLength) return cross > 0 ? -1 : 1;
    return cross == 0 ? 0 : undecided;
}

inline bool angleAbove(Direction& u, Direction& v) {
    const int c = compareByGeometry(u, v);
    return c != undecided ? c > 0 : u.exactAngle() > v.exactAngle();
}

inline bool angleBelow(Direction& u, Direction& v) {
    const int c = compareByGeometry(u, v);
    return c != undecided ? c < 0 : u.exactAngle() < v.exactAngle();
}

// angle <= 270: only a leftward direction pointing below the horizontal can exceed it
inline bool withinLeftmostTurn(Direction& d) {
    if (d.kind != leftward || d.dy >= 0) return true;
    if (-static_cast<double>(d.dy) > sameAngleSine * -static_cast<double>(d.dx)) return false;
    return d.exactAngle() <= leftmostTurn;
}

// angle >= 90: a rightward direction at or above the horizontal, or any leftward one
inline bool withinRightmostTurn(Direction& d) {
    if (d.kind == leftward) return true;
    if (d.kind == noDirection) return false;
    if (d.kind == rightward) {
        if (d.dy >= 0) return true;
        if (-static_cast<double>(d.dy) > sameAngleSine * d.dx) return false;
    }
    return d.exactAngle() >= rightmostTurn;
}

int nextLeftVertex(const Point* points, int n, int cur, int top, const Point* out, int k) {
    int best = cur;
    Direction bestDirection(points[cur], points[cur]);  // no direction: angle 0
    for (int j = 0; j < n; ++j) {
        Direction d(points[cur], points[j]);
        if (withinLeftmostTurn(d) && angleAbove(d, bestDirection) && (j == top || isNewPoint(points[j], out, k))) {
            best = j;
            bestDirection = d;
        }
    }
    return best;
}

int nextRightVertex(const Point* points, int n, int ref, int top, const Point* out, int k) {
    int best = top;
    Direction bestDirection(points[ref], points[top]);
    for (int j = 0; j < n; ++j) {
        Direction d(points[ref], points[j]);
        if (withinRightmostTurn(d) && angleBelow(d, bestDirection) && (j == top || isNewPoint(points[j], out, k))) {
            best = j;
            bestDirection = d;
        }
    }
    return best;
}

// whether every coordinate is finite and small enough for the float differences to stay finite
bool hasPlainCoordinates(const Point* points, int n) {
    for (int i = 0; i < n; ++i) {
        if (!(std::fabs(points[i].x) <= largestPlainCoordinate && std::fabs(points[i].y) <= largestPlainCoordinate)) {
            return false;
        }
    }
    return true;
}

// Two points: the lower, then the higher; one height gives no polygon. A difference of -0 along x (from +0
// up to -0) points straight down, and there the walk finds no way up: no polygon either.
int wrapTwoPoints(const Point* points, Point* out) {
    const int bottom = points[1].y < points[0].y ? 1 : 0;
    writePosition(out[0], points[bottom]);
    if (points[0].y == points[1].y) return 0;
    const Point& top = points[1 - bottom];
    const float dx = static_cast<float>(static_cast<double>(top.x) - static_cast<double>(points[bottom].x));
    if (dx == 0 && std::signbit(dx)) return 0;
    writePosition(out[1], top);
    return 2;
}

// Three points at one height give no polygon. Otherwise, with three different x, the walks' outcome follows
// from one comparison of the directions from the (first) lowest point:
// - the middle point turning further left than the top point: the left walk goes through it, then to the
//   top, and the right walk finds nothing; turning further right: the left walk goes straight to the top
//   and the right walk through the middle point (also when the middle point is as high as the top);
// - two at the lowest height: the other low point lies straight +x (angle 90) or straight -x (270) of the
//   first, and the top point strictly between. To the left, the left walk takes the other low point, then
//   the top; to the right, the left walk goes straight to the top and the right walk takes the other.
// Every other case (a shared float angle, whose tie goes to the lower index, or a zero difference along x,
// whose sign matters) returns -1 and takes the full walk.
int wrapThreePoints(const Point* points, Point* out) {
    const auto [bottom, top] = extremesOf(points, 3);
    const int middle = 3 - bottom - top;
    if (bottom == top) {  // one height: no polygon
        writePosition(out[0], points[bottom]);
        return 0;
    }
    if (points[0].x == points[1].x || points[1].x == points[2].x || points[0].x == points[2].x) return -1;
    Direction toMiddle(points[bottom], points[middle]);
    Direction toTop(points[bottom], points[top]);
    bool middleSecond;  // the order after the lowest point: middle then top, or top then middle
    if (points[middle].y == points[bottom].y) {
        middleSecond = points[middle].x < points[bottom].x;
        if (middleSecond ? !angleBelow(toTop, toMiddle) : !angleAbove(toTop, toMiddle)) return -1;
    } else if (angleAbove(toMiddle, toTop)) {
        middleSecond = true;
    } else if (angleBelow(toMiddle, toTop)) {
        middleSecond = false;
    } else {
        return -1;
    }
    writePosition(out[0], points[bottom]);
    writePosition(out[1], points[middleSecond ? middle : top]);
    writePosition(out[2], points[middleSecond ? top : middle]);
    return 3;
}

// ---------------------------------------------------------------------------------------------------
// The walk by orientation: every comparison a cross product of the float differences, certified as
// compareByGeometry certifies it, and the vertices kept as indices until the end. In walks of more than four
// points a near-tie between two sideways directions is decided by their float angles, as angleAbove and
// angleBelow decide it. Any other decision the geometry leaves open (an exactly vertical direction, a
// direction near a threshold or near straight down, and near-ties among four points or fewer) gives up, and
// the caller takes the walk above, which decides it by the arctangent; nothing is written to out before the
// walk is certain.

// The float differences from one point to another, as directionAngle forms them (held in double, where every
// product below is formed), and their squared length.
struct Difference {
    double dx;
    double dy;
    double squaredLength;
};

inline Difference differenceOf(const Point& from, const Point& to) {
    const double dx = static_cast<float>(static_cast<double>(to.x) - static_cast<double>(from.x));
    const double dy = static_cast<float>(static_cast<double>(to.y) - static_cast<double>(from.y));
    return Difference{dx, dy, dx * dx + dy * dy};
}

// The sign of angle(u) - angle(v) for two directions with dx != 0 (rightward or leftward), as
// compareByGeometry gives it, otherwise undecided.
inline int compareSideways(const Difference& u, const Difference& v) {
    const bool uRight = u.dx > 0;
    if (uRight == (v.dx > 0)) {
        const double cross = static_cast<double>(u.dx) * v.dy - static_cast<double>(u.dy) * v.dx;
        if (cross * cross > sameAngleSineSquared * u.squaredLength * v.squaredLength) return cross > 0 ? -1 : 1;
        return cross == 0 ? 0 : undecided;
    }
    // one on each side of the vertical: the rightward one is below unless both point nearly straight up
    const Difference r = uRight ? u : v;
    const Difference l = uRight ? v : u;
    if (r.dy <= 0 || l.dy <= 0 || r.dx > sameAngleSine * r.dy || -static_cast<double>(l.dx) > sameAngleSine * l.dy) {
        return uRight ? -1 : 1;
    }
    return undecided;
}

// The indices a step of the walk may take, one bit each: every point whose position is not yet a vertex
// (isNewPoint on the output to be). The top leaves only when the left walk ends there, and the right walk
// starts from it as its best. A step visits the candidates in index order, lowest bit first.
using Candidates = std::uint64_t;
static_assert(maxControlPoints <= 64, "one bit per point");

inline Candidates bitOf(int i) { return Candidates{1} << i; }

inline int lowestIndex(Candidates c) { return __builtin_ctzll(c); }

// drops every point at the position of points[v], a vertex just found: v alone unless another candidate
// may share its position
inline void takePosition(const Point* points, int n, int v, bool shared, Candidates& candidates) {
    if (!shared) {
        candidates &= ~bitOf(v);
        return;
    }
    for (int i = 0; i < n; ++i) {
        if (points[i].x == points[v].x && points[i].y == points[v].y) candidates &= ~bitOf(i);
    }
}

constexpr int givesUp = -1;

// The float angle of the best direction so far, found only when a near-tie needs it.
class LazyAngle {
public:
    float of(const Point& from, const Point& to) {
        if (!known) {
            angle = directionAngle(from, to);
            known = true;
        }
        return angle;
    }
    void set(float a) {
        angle = a;
        known = true;
    }
    void forget() { known = false; }

private:
    bool known = false;
    float angle = 0;
};

// nextLeftVertex decided by orientation, or givesUp. Candidates at cur's own position (angle 0) never
// beat the start; vertical ones give up. shared tells whether another candidate lies at the chosen point's
// position: the lowest index wins among equal angles, so such a point comes later, with exactly the same
// difference, and meets the chosen point as the best so far in a cross product of zero.
template <bool decideNearTies>
int nextLeftVertexByOrientation(const Point* points, int cur, Candidates candidates, bool& shared) {
    int best = cur;
    Difference bestDifference{0, 0, 0};
    LazyAngle bestAngle;
    shared = false;
    // a position already taken never qualifies, cur's own included; each turn drops a bit
    for (Candidates rest = candidates; rest != 0; rest &= rest - 1) {
        const int j = lowestIndex(rest);
        const Difference d = differenceOf(points[cur], points[j]);
        if (d.dx == 0) {
            if (d.dy == 0) continue;
            return givesUp;
        }
        if (d.dx < 0 && d.dy < 0) {  // beyond 270 when clearly below the horizontal
            if (-static_cast<double>(d.dy) > sameAngleSine * -static_cast<double>(d.dx)) continue;
            return givesUp;
        }
        if (best == cur) {  // above 0: leftward, or rightward clearly off straight down
            if (!(d.dx < 0 || d.dy >= 0 || -static_cast<double>(d.dy) * sameAngleSine <= d.dx)) return givesUp;
        } else {
            const int c = compareSideways(d, bestDifference);
            if (c == undecided) {
                if (!decideNearTies) return givesUp;
                // a near-tie: the float angles decide, as they do in the walk above
                const float angle = directionAngle(points[cur], points[j]);
                if (!(angle > bestAngle.of(points[cur], points[best]))) continue;
                best = j;
                bestDifference = d;
                bestAngle.set(angle);
                shared = false;
                continue;
            }
            if (c <= 0) {
                if (c == 0 && d.dx == bestDifference.dx && d.dy == bestDifference.dy) shared = true;
                continue;
            }
        }
        best = j;
        bestDifference = d;
        bestAngle.forget();
        shared = false;
    }
    return best;
}

// nextRightVertex decided by orientation, or givesUp; shared as for the left walk.
template <bool decideNearTies>
int nextRightVertexByOrientation(const Point* points, int ref, int top, Candidates candidates, bool& shared) {
    int best = top;
    Difference bestDifference = differenceOf(points[ref], points[top]);
    if (bestDifference.dx == 0) return givesUp;
    LazyAngle bestAngle;
    shared = false;
    // a position already taken never qualifies, the left side's included; each turn drops a bit
    for (Candidates rest = candidates; rest != 0; rest &= rest - 1) {
        const int j = lowestIndex(rest);
        const Difference d = differenceOf(points[ref], points[j]);
        if (d.dx == 0) {
            if (d.dy == 0) continue;  // angle 0: below 90
            return givesUp;
        }
        if (d.dx > 0 && d.dy < 0) {  // below 90 when clearly below the horizontal
            if (-static_cast<double>(d.dy) > sameAngleSine * d.dx) continue;
            return givesUp;
        }
        const int c = compareSideways(d, bestDifference);
        if (c == undecided) {
            if (!decideNearTies) return givesUp;
            // a near-tie: the float angles decide, as they do in the walk above
            const float angle = directionAngle(points[ref], points[j]);
            if (!(angle < bestAngle.of(points[ref], points[best]))) continue;
            best = j;
            bestDifference = d;
            bestAngle.set(angle);
            shared = false;
            continue;
        }
        if (c >= 0) {
            if (c == 0 && d.dx == bestDifference.dx && d.dy == bestDifference.dy) shared = true;
            continue;
        }
        best = j;
        bestDifference = d;
        bestAngle.forget();
        shared = false;
    }
    return best;
}

// The walk of wrap() by orientation for n >= 1 points of plain coordinates: its count and out, or givesUp
// with out untouched. Near-ties give up too unless decideNearTies, which pays where they are common: among
// the many nearly collinear control points of long pieces.
template <bool decideNearTies>
int wrapByOrientation(const Point* points, int n, Point* out) {
    const auto [bottom, top] = extremesOf(points, n);
    if (bottom == top) {
        writePosition(out[0], points[bottom]);
        return 0;
    }
    int chosen[maxControlPoints];
    Candidates candidates = ~Candidates{0} >> (64 - n);
    chosen[0] = bottom;
    takePosition(points, n, bottom, true, candidates);  // no step reports the lowest point's twins
    bool shared = false;
    int k = 1;
    // each step takes a point whose position is not yet chosen (or the top), which keeps k within n
    int cur = bottom;
    for (;;) {
        const int best = nextLeftVertexByOrientation<decideNearTies>(points, cur, candidates, shared);
        if (best == givesUp || best == cur || k == n) return givesUp;
        chosen[k++] = best;
        takePosition(points, n, best, shared, candidates);
        if (best == top) break;
        cur = best;
    }
    const int k1 = k;
    int ref = bottom;
    while (k < n) {
        const int best = nextRightVertexByOrientation<decideNearTies>(points, ref, top, candidates, shared);
        if (best == givesUp) return givesUp;
        if (best == top) break;
        chosen[k++] = best;
        takePosition(points, n, best, shared, candidates);
        ref = best;
    }
    // the left side in order, then the right side from the top downwards
    for (int i = 0; i < k1; ++i) writePosition(out[i], points[chosen[i]]);
    for (int i = k1; i < k; ++i) writePosition(out[i], points[chosen[k - 1 - (i - k1)]]);
    return k;
}

// The walk over four points with four different x, which keeps every direction off the vertical and every
// position apart. From the lowest point every direction lies between 90 and 270, within both walks' limits,
// and the directions to the other two points against the one to the top place each on the left of the top,
// on its ray or on its right:
// - a point on the left: the left walk goes through it (through the one turning further left, or the lower
//   index on a tie, when both are), and from there takes the other point only if it turns further left
//   than the top; otherwise the right walk takes the other point if it lies on the right from the lowest
//   point, and it lies inside if not;
// - none on the left: a point on the ray to the top with a lower index than the top's is taken by the left
//   walk as above; otherwise the left walk goes straight to the top, and the right walk takes the one on
//   the right turning further right (the lower index on a tie), then the other only if it turns further
//   right than the top from there.
// Any comparison the geometry leaves open gives up.
namespace four {

// The left walk's step from its second vertex, where only the other point and the top remain: 1 when it
// takes the other point, 0 when it goes to the top, givesUp when the geometry leaves that open. A shared
// float angle goes to the lower index.
inline int leftStepTakesOther(const Difference& other, const Difference& toTop, bool otherBeforeTop) {
    if (other.dx < 0 && other.dy < 0) {  // beyond 270 when clearly below the horizontal
        return -other.dy > sameAngleSine * -other.dx ? 0 : givesUp;
    }
    const int c = compareSideways(other, toTop);
    if (c == undecided) return givesUp;
    return c > 0 || (c == 0 && otherBeforeTop) ? 1 : 0;
}

// The right walk's step from its first vertex: 1 when it takes the other point, 0 when it goes to the top
// (also on the ray to the top, which never displaces it), givesUp when the geometry leaves that open.
inline int rightStepTakesOther(const Difference& other, const Difference& toTop) {
    if (other.dx > 0 && other.dy < 0) {  // below 90 when clearly below the horizontal
        return -other.dy > sameAngleSine * other.dx ? 0 : givesUp;
    }
    const int c = compareSideways(other, toTop);
    return c == undecided ? givesUp : c < 0 ? 1 : 0;
}

}  // namespace four

// The walk of wrap() over four points of plain coordinates: its count and out, or givesUp with out untouched.
int wrapFourPoints(const Point* points, Point* out) {
    Extremes ends;  // written out: the loop over three points is not unrolled by the compiler
    ends.consider(points, 1);
    ends.consider(points, 2);
    ends.consider(points, 3);
    const int bottom = ends.bottom;
    const int top = ends.top;
    if (bottom == top) {  // one height: no polygon
        writePosition(out[0], points[bottom]);
        return 0;
    }
    const float x0 = points[0].x;
    const float x1 = points[1].x;
    const float x2 = points[2].x;
    const float x3 = points[3].x;
    if (x0 == x1 || x0 == x2 || x0 == x3 || x1 == x2 || x1 == x3 || x2 == x3) return givesUp;
    // the other two, in index order
    int p = 0;
    while (p == bottom || p == top) ++p;
    const int q = 6 - bottom - top - p;
    const Point& low = points[bottom];
    const Difference toP = differenceOf(low, points[p]);
    const Difference toQ = differenceOf(low, points[q]);
    const Difference toTop = differenceOf(low, points[top]);
    const int sideP = compareSideways(toP, toTop);  // 1 on the left of the top's direction, 0 on it, -1 right
    const int sideQ = compareSideways(toQ, toTop);
    if (sideP == undecided || sideQ == undecided) return givesUp;
    // the left walk's second vertex, or else the right walk's first: the other is then the only point left
    int first;
    bool leftWalk = true;
    if (sideP > 0 && sideQ > 0) {
        const int c = compareSideways(toP, toQ);
        if (c == undecided) return givesUp;
        first = c >= 0 ? p : q;
    } else if (sideP > 0 || sideQ > 0) {
        first = sideP > 0 ? p : q;
    } else if ((sideP == 0 && p < top) || (sideQ == 0 && q < top)) {
        first = sideP == 0 && p < top ? p : q;
    } else {
        leftWalk = false;
        if (sideP < 0 && sideQ < 0) {
            const int c = compareSideways(toP, toQ);
            if (c == undecided) return givesUp;
            first = c <= 0 ? p : q;
        } else if (sideP < 0 || sideQ < 0) {
            first = sideP < 0 ? p : q;
        } else {  // both on the ray to the top, after it: the top alone
            writePosition(out[0], low);
            writePosition(out[1], points[top]);
            return 2;
        }
    }
    const int other = p + q - first;
    const Point& firstPoint = points[first];
    const Difference firstToOther = differenceOf(firstPoint, points[other]);
    const Difference firstToTop = differenceOf(firstPoint, points[top]);
    if (!leftWalk) {
        const int takesOther = four::rightStepTakesOther(firstToOther, firstToTop);
        if (takesOther == givesUp) return givesUp;
        writePosition(out[0], low);
        writePosition(out[1], points[top]);
        if (!takesOther) {
            writePosition(out[2], firstPoint);
            return 3;
        }
        writePosition(out[2], points[other]);
        writePosition(out[3], firstPoint);
        return 4;
    }
    const int takesOther = four::leftStepTakesOther(firstToOther, firstToTop, other < top);
    if (takesOther == givesUp) return givesUp;
    writePosition(out[0], low);
    writePosition(out[1], firstPoint);
    if (takesOther) {
        writePosition(out[2], points[other]);
        writePosition(out[3], points[top]);
        return 4;
    }
    writePosition(out[2], points[top]);
    if ((other == p ? sideP : sideQ) >= 0) return 3;  // the right walk finds nothing below the top
    writePosition(out[3], points[other]);
    return 4;
}

using NextVertex = int (*)(const Point*, int, int, int, const Point*, int);

// The gift-wrapping walk, with the step functions of one way of comparing angles.
template <NextVertex nextLeft, NextVertex nextRight>
int wrap(const Point* points, int n, Point* out) {
    if (n <= 0) return 0;

    const auto [bottom, top] = extremesOf(points, n);

    writePosition(out[0], points[bottom]);
    int k = 1;
    if (bottom == top) return 0;  // one point, or all at one height: no polygon

    // left walk, from the bottom point up to the top point. With finite coordinates the top point always
    // qualifies from cur; a step that finds nothing can only come from a NaN or an infinity, and would
    // otherwise write cur again and again, so it gives no polygon. Each step writes a point not yet in out,
    // which keeps k within n; the bound on k states that without relying on it.
    int cur = bottom;
    for (;;) {
        const int best = nextLeft(points, n, cur, top, out, k);
        if (best == cur || k == n) return 0;
        writePosition(out[k++], points[best]);
        if (best == top) break;
        cur = best;
    }
    const int k1 = k;

    // right walk, from the bottom point up to just below the top point, which is not written again
    int ref = bottom;
    while (k < n) {
        const int best = nextRight(points, n, ref, top, out, k);
        if (best == top) break;
        writePosition(out[k++], points[best]);
        ref = best;
    }

    // the right side was found from the bottom upwards; clockwise order wants it from the top downwards
    for (int i = k1, j = k - 1; i < j; ++i, --j) {
        const Point right = out[i];
        writePosition(out[i], out[j]);
        writePosition(out[j], right);
    }
    return k;
}

}  // namespace

float directionAngle(Point from, Point to) {
    const float dx = static_cast<float>(static_cast<double>(to.x) - static_cast<double>(from.x));
    const float dy = static_cast<float>(static_cast<double>(to.y) - static_cast<double>(from.y));
    if (dx == 0 && dy == 0) return 0;  // no direction at all
    // one-argument arctangent: with dx = 0 the quotient is a signed infinity and t is +-90.0000187
    const double t = std::atan(static_cast<double>(dy) / static_cast<double>(dx)) * degreesPerRadian;
    return static_cast<float>(dx < 0 ? t + 270.0 : t + 90.0);
}

int isNewPoint(Point p, const Point* points, int count) {
    for (int i = 0; i < count; ++i) {
        if (points[i].x == p.x && points[i].y == p.y) return 0;
    }
    return 1;
}

int convexHull(const Point* points, int n, Point* out) {
    // non-finite and huge coordinates take the plain walk, which the geometric shortcuts do not cover
    if (n <= 0 || !hasPlainCoordinates(points, n))
        return wrap<nextLeftVertexByAngles, nextRightVertexByAngles>(points, n, out);
    return convexHullOfPlainPoints(points, n, out);
}

int convexHullOfPlainPoints(const Point* points, int n, Point* out) {
    switch (n) {
        case 1:
            writePosition(out[0], points[0]);
            return 0;
        case 2:
            return wrapTwoPoints(points, out);
        case 3: {
            const int k = wrapThreePoints(points, out);
            if (k >= 0) return k;
            break;
        }
        case 4: {
            const int k = wrapFourPoints(points, out);
            if (k != givesUp) return k;
            break;
        }
        default:
            break;
    }
    if (n <= maxControlPoints) {
        const int k = n > 4 ? wrapByOrientation<true>(points, n, out) : wrapByOrientation<false>(points, n, out);
        if (k != givesUp) return k;
    }
    return wrap<nextLeftVertex, nextRightVertex>(points, n, out);
}

int convexHullByAngles(const Point* points, int n, Point* out) {
    return wrap<nextLeftVertexByAngles, nextRightVertexByAngles>(points, n, out);
}
