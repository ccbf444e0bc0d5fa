#include "hull/hull.h"

#include <cmath>

namespace {

// Bounds of the directions each walk accepts: nothing below the horizontal on its own side.
constexpr float leftmostTurn = 270;  // the left walk goes at most straight -x
constexpr float rightmostTurn = 90;  // the right walk goes at most straight +x

// copies only the coordinates: the caller's colour in out stays
void writePosition(Point& entry, const Point& p) {
    entry.x = p.x;
    entry.y = p.y;
}

// One step of the left walk: the index of the most counter-clockwise direction from points[cur] up to
// straight -x whose point is not yet in out (the top point is exempt); cur itself when none qualifies.
int nextLeftVertex(const Point* points, int n, int cur, int top, const Point* out, int k) {
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
int nextRightVertex(const Point* points, int n, int ref, int top, const Point* out, int k) {
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
    if (n <= 0) return 0;

    // first highest and first lowest point: ties go to the lower index
    int top = 0;
    int bottom = 0;
    for (int i = 1; i < n; ++i) {
        if (points[i].y > points[top].y) top = i;
        if (points[i].y < points[bottom].y) bottom = i;
    }

    writePosition(out[0], points[bottom]);
    int k = 1;
    if (bottom == top) return 0;  // one point, or all at one height: no polygon

    // left walk, from the bottom point up to the top point. With finite coordinates the top point always
    // qualifies from cur; a step that finds nothing can only come from a NaN or an infinity, and would
    // otherwise write cur again and again, so it gives no polygon. Each step writes a point not yet in out,
    // which keeps k within n; the bound on k states that without relying on it.
    int cur = bottom;
    for (;;) {
        const int best = nextLeftVertex(points, n, cur, top, out, k);
        if (best == cur || k == n) return 0;
        writePosition(out[k++], points[best]);
        if (best == top) break;
        cur = best;
    }
    const int k1 = k;

    // right walk, from the bottom point up to just below the top point, which is not written again
    int ref = bottom;
    while (k < n) {
        const int best = nextRightVertex(points, n, ref, top, out, k);
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
