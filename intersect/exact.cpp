#include "intersect/exact.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "intersect/exact/implicit.h"
#include "intersect/exact/lines.h"

namespace {

constexpr int maxPoints = maxControlPoints;
constexpr double unitRoundoff = DBL_EPSILON;

// Pieces this short in parameter are not cut further: below the parameter spacing (about 3e-7) at which
// two crossings of a near-tangent pair still differ by more than rounding in position.
constexpr double tinyWidth = 1.0 / (1 << 26);
// A clip that keeps more than this share of a piece makes too little progress: halve instead.
constexpr double clipStall = 0.65;
// A clip that keeps more than this share of a piece is not worth cutting the piece for.
constexpr double narrowBelow = 0.95;
// Clipped ranges are widened by this much (in the piece's own parameter) against rounding in the clip.
constexpr double clipSlack = 1e-12;
// The work one intersection may do, in units of one control point through one de Casteljau level (a
// clipping round of two curves of n and m points costs about n^2 + m^2 units, a Newton step about 4 n).
// Ordinary pairs use a few thousand; curves that run within rounding distance of each other without
// coinciding would go on for ever. When it is spent the search stops descending and reports what it
// found, and the result says so. Spent in full it takes about a millisecond (bench/exact_bench).
constexpr long workLimit = exactWorkLimit;
// Results this close in both parameters are one meeting point.
constexpr double sameCrossing = 1e-9;
// Results this close are one meeting point when the curves stay within the tolerance between them.
constexpr double sameContact = 1e-3;
// Candidate ends of a shared stretch this close in a parameter give no stretch.
constexpr double sameTouch = 1e-6;
// Directions with a smaller sine count as one direction at a curve's end (touch, or a candidate end of a
// shared stretch).
constexpr double parallelSine = 1e-7;
// How far (in parameter) a Newton root may lie outside the box it was started in and still belong to it.
constexpr double boxSlack = 1e-12;
constexpr int newtonSteps = 24;
// A curve against a quadratic is answered by one polynomial of twice its degree, up to this many control
// points (the polynomial's degree stays within that of the largest curve).
constexpr int maxImplicitPoints = 16;
// A curve against a cubic is answered again by one polynomial of three times its degree, up to this many
// control points, where the search leaves a doubt.
constexpr int maxBezoutPoints = 11;
constexpr int touchSteps = 60;

// binomial coefficients C(n, k) for n below maxPoints, exact in double
struct Binomials {
    double c[maxPoints][maxPoints];
    Binomials() {
        for (int n = 0; n < maxPoints; ++n) {
            c[n][0] = c[n][n] = 1;
            for (int k = 1; k < n; ++k) c[n][k] = c[n - 1][k - 1] + c[n - 1][k];
            for (int k = n + 1; k < maxPoints; ++k) c[n][k] = 0;
        }
    }
};
const Binomials binomials;

// A polynomial curve of degree d as C(d, i) * P_i, ready for Horner evaluation in Bernstein form.
struct Horner {
    int d = -1;  // -1: the zero curve
    double x[maxPoints];
    double y[maxPoints];

    void set(const double* px, const double* py, int count) {
        d = count - 1;
        for (int i = 0; i < count; ++i) {
            x[i] = binomials.c[d][i] * px[i];
            y[i] = binomials.c[d][i] * py[i];
        }
    }

    // the curve at t (any real t), in the precision T
    template <class T>
    void at(T t, T& px, T& py) const {
        if (d < 0) {
            px = py = 0;
            return;
        }
        const bool nearStart = t <= T(0.5);
        // sum of C(d, i) P_i u^i with u = t / (1 - t), times (1 - t)^d; from the other end past the middle
        const T w = nearStart ? T(1) - t : t;
        const T u = nearStart ? t / w : (T(1) - t) / w;
        T ax, ay;
        sum(nearStart, u, ax, ay);
        T f = 1;
        for (int i = 0; i < d; ++i) f *= w;
        px = ax * f;
        py = ay * f;
    }

    template <class T>
    void sum(bool fromStart, T u, T& ax, T& ay) const {
        if (fromStart) {
            ax = x[d];
            ay = y[d];
            for (int i = d - 1; i >= 0; --i) {
                ax = ax * u + x[i];
                ay = ay * u + y[i];
            }
        } else {
            ax = x[0];
            ay = y[0];
            for (int i = 1; i <= d; ++i) {
                ax = ax * u + x[i];
                ay = ay * u + y[i];
            }
        }
    }
};

// A curve and its derivative at one parameter, sharing the work.
template <class T>
void pointAndVelocity(const Horner& position, const Horner& velocity, T t, T& px, T& py, T& vx, T& vy) {
    if (velocity.d < 0) {
        position.at(t, px, py);
        vx = vy = 0;
        return;
    }
    const bool nearStart = t <= T(0.5);
    const T w = nearStart ? T(1) - t : t;
    const T u = nearStart ? t / w : (T(1) - t) / w;
    T ax, ay, bx, by;
    position.sum(nearStart, u, ax, ay);
    velocity.sum(nearStart, u, bx, by);
    T f = 1;
    for (int i = 0; i < velocity.d; ++i) f *= w;
    vx = bx * f;
    vy = by * f;
    f *= w;
    px = ax * f;
    py = ay * f;
}

// One input curve in the local frame, with its derivatives.
struct Curve {
    int n = 0;  // control points
    double x[maxPoints];
    double y[maxPoints];
    Horner position;
    Horner velocity;      // first derivative
    Horner acceleration;  // second derivative

    void set(const double* px, const double* py, int count) {
        n = count;
        for (int i = 0; i < n; ++i) {
            x[i] = px[i];
            y[i] = py[i];
        }
        position.set(x, y, n);
        // hodograph: d (P[i + 1] - P[i]), then once more
        double dx[maxPoints], dy[maxPoints];
        const int d = n - 1;
        for (int i = 0; i < d; ++i) {
            dx[i] = d * (x[i + 1] - x[i]);
            dy[i] = d * (y[i + 1] - y[i]);
        }
        velocity.set(dx, dy, d);
        for (int i = 0; i + 1 < d; ++i) {
            dx[i] = (d - 1) * (dx[i + 1] - dx[i]);
            dy[i] = (d - 1) * (dy[i + 1] - dy[i]);
        }
        acceleration.set(dx, dy, d - 1);
    }
};

struct Vec {
    double x;
    double y;
};

// The work done so far against workLimit.
struct Work {
    long used = 0;
    long limit = workLimit;
    bool spent() const { return used > limit; }
};

// The checks of candidate stretches have a limit of their own: a check of two curves of 32 points takes
// about half a million units (sample points projected one by one), and a handful of them must fit.
constexpr long checkLimit = 4 * workLimit;

double cross(Vec a, Vec b) { return a.x * b.y - a.y * b.x; }
double dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y; }
double length(Vec a) { return std::sqrt(a.x * a.x + a.y * a.y); }
double distance(Vec a, Vec b) { return length(Vec{a.x - b.x, a.y - b.y}); }

Vec pointAt(const Curve& c, double t) {
    Vec p;
    c.position.at(t, p.x, p.y);
    return p;
}
Vec velocityAt(const Curve& c, double t) {
    Vec p;
    c.velocity.at(t, p.x, p.y);
    return p;
}
Vec accelerationAt(const Curve& c, double t) {
    Vec p;
    c.acceleration.at(t, p.x, p.y);
    return p;
}

// Both coordinates of a point in one value, so that a de Casteljau step is one vector operation for both
// (GCC and Clang map it to SSE2 on x86-64 and to scalar code where there is no vector unit).
typedef double Pair __attribute__((vector_size(16)));

// The control polygon of a curve restricted to a parameter range.
struct Piece {
    Pair p[maxPoints];
    double minX, maxX, minY, maxY;  // box of the control points
    int generation;                 // cuts since it was last taken from the input curve

    double x(int i) const { return p[i][0]; }
    double y(int i) const { return p[i][1]; }
};

// Cuts before a piece is taken afresh from the input curve: each cut adds at most about n units of
// rounding at the frame's scale, so a piece's error stays below the margin the search allows for.
constexpr int freshAfter = 4;

void updateBox(Piece& piece, int n) {
    Pair lo = piece.p[0];
    Pair hi = lo;
    for (int i = 1; i < n; ++i) {
        lo = piece.p[i] < lo ? piece.p[i] : lo;
        hi = piece.p[i] > hi ? piece.p[i] : hi;
    }
    piece.minX = lo[0];
    piece.minY = lo[1];
    piece.maxX = hi[0];
    piece.maxY = hi[1];
}

// restricts the control polygon of n points to its part [u0, u1] (0 <= u0 <= u1 <= 1) by de Casteljau
void restrictTo(Pair* p, int n, double u0, double u1) {
    if (u1 < 1) {
        // keep [0, u1]: point k of the left part is the last of level k, built in place from the back
        const Pair v = {1 - u1, 1 - u1};
        const Pair u = {u1, u1};
        for (int j = 1; j < n; ++j) {
            for (int k = n - 1; k >= j; --k) p[k] = v * p[k - 1] + u * p[k];
        }
    }
    if (u0 > 0) {
        // keep [u0 / u1, 1] of what is left
        const double r = u0 / u1;
        const Pair v = {1 - r, 1 - r};
        const Pair u = {r, r};
        for (int j = 1; j < n; ++j) {
            for (int k = 0; k < n - j; ++k) p[k] = v * p[k] + u * p[k + 1];
        }
    }
}

// the control points of c on [t0, t1] (0 <= t0 <= t1 <= 1), taken from the input curve
void extract(const Curve& c, double t0, double t1, Piece& piece) {
    for (int i = 0; i < c.n; ++i) piece.p[i] = Pair{c.x[i], c.y[i]};
    restrictTo(piece.p, c.n, t0, t1);
    updateBox(piece, c.n);
    piece.generation = 0;
}

// piece, the piece of c on some range, cut down to its part [u0, u1], which is [t0, t1] on c
void narrow(const Curve& c, Piece& piece, double u0, double u1, double t0, double t1) {
    if (piece.generation >= freshAfter) {
        extract(c, t0, t1, piece);
        return;
    }
    restrictTo(piece.p, c.n, u0, u1);
    updateBox(piece, c.n);
    ++piece.generation;
}

// the two halves of piece, the piece of c on [t0, t1]
void halve(const Curve& c, const Piece& piece, double t0, double t1, Piece& left, Piece& right) {
    const double tm = 0.5 * (t0 + t1);
    if (piece.generation >= freshAfter) {
        extract(c, t0, tm, left);
        extract(c, tm, t1, right);
        return;
    }
    const int n = c.n;
    Pair q[maxPoints];
    for (int i = 0; i < n; ++i) q[i] = piece.p[i];
    left.p[0] = piece.p[0];
    right.p[n - 1] = piece.p[n - 1];
    const Pair half = {0.5, 0.5};
    for (int j = 1; j < n; ++j) {
        for (int k = 0; k < n - j; ++k) q[k] = half * q[k] + half * q[k + 1];
        left.p[j] = q[0];
        right.p[n - 1 - j] = q[n - 1 - j];
    }
    updateBox(left, n);
    updateBox(right, n);
    left.generation = right.generation = piece.generation + 1;
}

bool boxesMeet(const Piece& a, const Piece& b, double margin) {
    return a.minX <= b.maxX + margin && b.minX <= a.maxX + margin && a.minY <= b.maxY + margin &&
           b.minY <= a.maxY + margin;
}

// The part [u0, u1] of other's parameter range whose control points' convex hull, taken as the explicit
// curve (j / (m - 1), distance of point j to line's chord), lies in line's fat line: the band around the
// chord holding line's control points, widened by margin. False when nothing is left.
bool clipToFatLine(const Piece& line, int n, const Piece& other, int m, double margin, double& u0, double& u1) {
    u0 = 0;
    u1 = 1;
    double dx = line.x(n - 1) - line.x(0);
    double dy = line.y(n - 1) - line.y(0);
    double len = length(Vec{dx, dy});
    if (!(len > margin)) {
        // ends (nearly) together: take the direction to the control point farthest from the start
        int far = -1;
        double best = margin;
        for (int i = 1; i < n; ++i) {
            const double d = length(Vec{line.x(i) - line.x(0), line.y(i) - line.y(0)});
            if (d > best) {
                best = d;
                far = i;
            }
        }
        if (far < 0) return true;  // the piece is one point within rounding: the boxes alone decide
        dx = line.x(far) - line.x(0);
        dy = line.y(far) - line.y(0);
        len = best;
    }
    const double nx = -dy / len;
    const double ny = dx / len;
    double dmin = 0;
    double dmax = 0;
    for (int i = 1; i < n; ++i) {
        const double d = (line.x(i) - line.x(0)) * nx + (line.y(i) - line.y(0)) * ny;
        dmin = std::min(dmin, d);
        dmax = std::max(dmax, d);
    }
    dmin -= margin;
    dmax += margin;

    double e[maxPoints];
    bool allAbove = true;
    bool allBelow = true;
    for (int j = 0; j < m; ++j) {
        e[j] = (other.x(j) - line.x(0)) * nx + (other.y(j) - line.y(0)) * ny;
        allAbove = allAbove && e[j] > dmax;
        allBelow = allBelow && e[j] < dmin;
    }
    if (allAbove || allBelow) return false;
    // both ends inside the band: nothing to cut
    if (m == 1 || (e[0] >= dmin && e[0] <= dmax && e[m - 1] >= dmin && e[m - 1] <= dmax)) return true;

    // The convex hull of the points (j / (m - 1), e[j]) meets the band first where its lower chain comes
    // down into it (when the first point lies above the band) or its upper chain comes up into it (when
    // below); the same from the other end. Each chain is built only when it is needed.
    const double step = 1.0 / (m - 1);
    const auto turn = [&](int o, int a, int b) {
        return static_cast<double>(a - o) * (e[b] - e[o]) - (e[a] - e[o]) * static_cast<double>(b - o);
    };
    const auto chain = [&](bool lower, int* out) {
        int count = 0;
        for (int j = 0; j < m; ++j) {
            while (count >= 2 && (lower ? turn(out[count - 2], out[count - 1], j) <= 0
                                        : turn(out[count - 2], out[count - 1], j) >= 0)) {
                --count;
            }
            out[count++] = j;
        }
        return count;
    };
    // where the edge from point a to point b passes the level
    const auto at = [&](int a, int b, double level) { return (a + (level - e[a]) / (e[b] - e[a]) * (b - a)) * step; };
    int lowerChain[maxPoints];
    int upperChain[maxPoints];
    int nl = 0;
    int nu = 0;
    if (e[0] > dmax || e[m - 1] > dmax) nl = chain(true, lowerChain);
    if (e[0] < dmin || e[m - 1] < dmin) nu = chain(false, upperChain);

    double lo = 0;
    if (e[0] > dmax) {
        int i = 1;
        while (i < nl && e[lowerChain[i]] > dmax) ++i;
        if (i == nl) return false;
        lo = at(lowerChain[i - 1], lowerChain[i], dmax);
    } else if (e[0] < dmin) {
        int i = 1;
        while (i < nu && e[upperChain[i]] < dmin) ++i;
        if (i == nu) return false;
        lo = at(upperChain[i - 1], upperChain[i], dmin);
    }
    double hi = 1;
    if (e[m - 1] > dmax) {
        int i = nl - 2;
        while (i >= 0 && e[lowerChain[i]] > dmax) --i;
        if (i < 0) return false;
        hi = at(lowerChain[i], lowerChain[i + 1], dmax);
    } else if (e[m - 1] < dmin) {
        int i = nu - 2;
        while (i >= 0 && e[upperChain[i]] < dmin) --i;
        if (i < 0) return false;
        hi = at(upperChain[i], upperChain[i + 1], dmin);
    }
    if (lo > hi) return false;
    u0 = std::max(0.0, lo - clipSlack);
    u1 = std::min(1.0, hi + clipSlack);
    return true;
}

// The directions of a piece's control-polygon edges as a cone between two extreme edges, lo and hi
// counter-clockwise. False when the edges span half a turn or more (or none is longer than rounding),
// so that no such cone exists.
bool directionCone(const Piece& p, int n, double err, Vec& lo, Vec& hi) {
    bool any = false;
    for (int i = 0; i + 1 < n; ++i) {
        const Vec e{p.x(i + 1) - p.x(i), p.y(i + 1) - p.y(i)};
        // an edge within rounding of zero adds nothing to the cone
        if (std::fabs(e.x) + std::fabs(e.y) <= 4 * err) continue;
        if (!any) {
            lo = hi = e;
            any = true;
            continue;
        }
        const double beyondHi = cross(hi, e);
        const double beforeLo = cross(e, lo);
        if (beyondHi > 0 && beforeLo > 0) return false;  // past both extremes: half a turn or more
        if (beyondHi > 0) {
            hi = e;
        } else if (beforeLo > 0) {
            lo = e;
        } else if (beyondHi == 0 && beforeLo == 0 && dot(e, hi) < 0) {
            return false;  // straight back
        }
    }
    return any && cross(lo, hi) >= 0;
}

// The direction cone of a piece, when it has one.
struct Cone {
    bool valid;
    Vec lo;
    Vec hi;
};

Cone coneOf(const Piece& p, int n, double err) {
    Cone c;
    c.valid = n >= 2 && directionCone(p, n, err, c.lo, c.hi);
    return c;
}

// Whether every control-polygon direction of one piece is strictly on one side of every direction of the
// other, beyond what a rounding error of err in each control point could change: then the pieces meet at
// most once.
bool directionsApart(const Cone& a, const Cone& b, double err) {
    if (!a.valid || !b.valid) return false;
    // every edge is a positive mix of its cone's extremes, so the extremes decide
    int sign = 0;
    for (const Vec& u : {a.lo, a.hi}) {
        for (const Vec& v : {b.lo, b.hi}) {
            const double lu = length(u);
            const double lv = length(v);
            const double c = cross(u, v);
            const double bound = 2 * err * (lu + lv) + 8 * unitRoundoff * lu * lv;
            const int s = c > bound ? 1 : (c < -bound ? -1 : 0);
            if (s == 0 || (sign != 0 && s != sign)) return false;
            sign = s;
        }
    }
    return true;
}

struct Candidate {
    double t;
    double s;
    bool touch;
};

struct Stretch {
    double t0, t1, s0, s1;
};

// Newton's method on A(t) - B(s) = 0 from (t, s), in double until the step is below 1e-9 (from there one
// more step squares the error away), then a last step in long double. True when it settles; t and s then
// hold the root.
bool newtonCrossing(const Curve& a, const Curve& b, double& t, double& s) {
    double previous = INFINITY;
    for (int i = 0;; ++i) {
        if (i == newtonSteps) return false;
        Vec pa, pb, va, vb;
        pointAndVelocity(a.position, a.velocity, t, pa.x, pa.y, va.x, va.y);
        pointAndVelocity(b.position, b.velocity, s, pb.x, pb.y, vb.x, vb.y);
        const Vec f{pa.x - pb.x, pa.y - pb.y};
        const double det = -cross(va, vb);
        if (det == 0 || !std::isfinite(det)) return false;
        const double dt = cross(f, vb) / det;
        const double ds = -cross(va, f) / det;
        t += dt;
        s += ds;
        if (!(t > -1 && t < 2 && s > -1 && s < 2)) return false;  // wandered off both curves
        const double size = std::fabs(dt) + std::fabs(ds);
        // settled: small enough, or no longer shrinking once small (the rounding floor of a poorly
        // conditioned crossing)
        if (size <= 1e-9 || (size <= 1e-6 && size >= 0.5 * previous)) break;
        previous = size;
    }
    // the last step in long double, with the same coefficients
    long double ax, ay, bx, by, vax, vay, vbx, vby;
    pointAndVelocity<long double>(a.position, a.velocity, t, ax, ay, vax, vay);
    pointAndVelocity<long double>(b.position, b.velocity, s, bx, by, vbx, vby);
    const long double fx = ax - bx;
    const long double fy = ay - by;
    const long double det = -(vax * vby - vay * vbx);
    if (det != 0) {
        const long double dt = (fx * vby - fy * vbx) / det;
        const long double ds = -(vax * fy - vay * fx) / det;
        if (std::fabs(static_cast<double>(dt)) < 1e-6 && std::fabs(static_cast<double>(ds)) < 1e-6) {
            t = static_cast<double>(t + dt);
            s = static_cast<double>(s + ds);
        }
    }
    return true;
}

// Newton's method on (A(t) - B(s)) . A'(t) = 0, A'(t) x B'(s) = 0 from (t, s): where the curves have one
// direction and the chord between them is across it. True when it settles.
bool newtonTouch(const Curve& a, const Curve& b, double& t, double& s) {
    double previous = INFINITY;
    for (int i = 0; i < touchSteps; ++i) {
        const Vec pa = pointAt(a, t);
        const Vec pb = pointAt(b, s);
        const Vec va = velocityAt(a, t);
        const Vec vb = velocityAt(b, s);
        const Vec wa = accelerationAt(a, t);
        const Vec wb = accelerationAt(b, s);
        const Vec f{pa.x - pb.x, pa.y - pb.y};
        const double g1 = dot(f, va);
        const double g2 = cross(va, vb);
        const double j11 = dot(va, va) + dot(f, wa);
        const double j12 = -dot(vb, va);
        const double j21 = cross(wa, vb);
        const double j22 = cross(va, wb);
        const double det = j11 * j22 - j12 * j21;
        if (det == 0 || !std::isfinite(det)) return false;
        const double dt = -(g1 * j22 - j12 * g2) / det;
        const double ds = -(j11 * g2 - j21 * g1) / det;
        t += dt;
        s += ds;
        if (!(t > -1 && t < 2 && s > -1 && s < 2)) return false;
        const double size = std::fabs(dt) + std::fabs(ds);
        if (size <= 1e-15 || (size <= 1e-8 && size >= 0.7 * previous)) return true;
        previous = size;
    }
    return previous <= 1e-8;
}

// Newton's method on the squared distance from c(t) to p. True when it settles.
bool newtonProject(const Curve& c, Vec p, double& t) {
    double previous = INFINITY;
    for (int i = 0; i < newtonSteps; ++i) {
        const Vec q = pointAt(c, t);
        const Vec v = velocityAt(c, t);
        const Vec w = accelerationAt(c, t);
        const Vec f{q.x - p.x, q.y - p.y};
        double second = dot(v, v) + dot(f, w);
        if (!(second > 0)) second = dot(v, v);  // away from a minimum: a plain gradient step
        if (!(second > 0)) return false;
        const double dt = -dot(f, v) / second;
        t += dt;
        if (!(t > -1 && t < 2)) return false;
        const double size = std::fabs(dt);
        if (size <= 1e-15 || (size <= 1e-9 && size >= 0.5 * previous)) return true;
        previous = size;
    }
    return previous <= 1e-9;
}

struct Search {
    const Curve* a;
    const Curve* b;
    double err;        // rounding error of a piece's control points
    double tolerance;  // curves closer than this meet
    Work* work;
    std::vector<Candidate>* found;  // its first knownAtEnds entries are the meetings at the curves' ends
    size_t knownAtEnds;
    int settled;  // pairs settled when too short to cut
    const std::vector<Stretch>* stretches;
};

// Where the curve `to` is on a shared stretch when the curve `from` is at u; the stretch runs over
// [u0, u1] on `from` and [v0, v1] on `to`. Taken from the straight map between the ends, then projected.
double alongStretch(const Curve& from, const Curve& to, double u0, double u1, double v0, double v1, double u) {
    const double f = u1 != u0 ? std::min(1.0, std::max(0.0, (u - u0) / (u1 - u0))) : 0.0;
    const double lo = std::min(v0, v1);
    const double hi = std::max(v0, v1);
    const double guess = v0 + f * (v1 - v0);
    double v = guess;
    if (!newtonProject(to, pointAt(from, u), v) || v < lo - sameTouch || v > hi + sameTouch) v = guess;
    return std::min(hi, std::max(lo, v));
}

// Whether the pieces on [t0, t1] and [s0, s1] can meet only where they are the same points of a shared
// stretch: the box lies in the stretch's parameter rectangle, and the first curve runs one way (its
// control polygon's directions within half a turn) over a parameter range holding both its own piece and
// the part the second piece coincides with. A curve that runs one way does not cross itself, so no node
// of the shared curve lies in between.
bool onlyOnStretch(const Search& search, double t0, double t1, double s0, double s1) {
    const Curve& a = *search.a;
    const Curve& b = *search.b;
    for (const Stretch& r : *search.stretches) {
        const double lo = std::min(r.s0, r.s1);
        const double hi = std::max(r.s0, r.s1);
        if (!(t0 >= r.t0 && t1 <= r.t1 && s0 >= lo && s1 <= hi)) continue;
        const double u0 = alongStretch(b, a, r.s0, r.s1, r.t0, r.t1, s0);
        const double u1 = alongStretch(b, a, r.s0, r.s1, r.t0, r.t1, s1);
        const double from = std::max(r.t0, std::min(t0, std::min(u0, u1)) - sameTouch);
        const double to = std::min(r.t1, std::max(t1, std::max(u0, u1)) + sameTouch);
        search.work->used += a.n * a.n + 32 * (a.n + b.n);  // two projections and one piece
        Piece span;
        extract(a, from, to, span);
        if (coneOf(span, a.n, search.err).valid) return true;
    }
    return false;
}

void record(Search& search, double t, double s, bool touch) {
    search.found->push_back({std::min(1.0, std::max(0.0, t)), std::min(1.0, std::max(0.0, s)), touch});
}

// A pair of pieces too short to cut further that still meets: a touch, a crossing, or nothing.
void settleTinyPair(Search& search, double t0, double t1, double s0, double s1, bool apart) {
    const Curve& a = *search.a;
    const Curve& b = *search.b;
    search.work->used += (touchSteps + newtonSteps) * 8 * (a.n + b.n);
    ++search.settled;
    const double tc = 0.5 * (t0 + t1);
    const double sc = 0.5 * (s0 + s1);
    const double reach = 8 * std::max(t1 - t0, s1 - s0);
    if (!apart) {
        double t = tc;
        double s = sc;
        if (newtonTouch(a, b, t, s) && std::fabs(t - tc) <= reach && std::fabs(s - sc) <= reach && t >= -boxSlack &&
            t <= 1 + boxSlack && s >= -boxSlack && s <= 1 + boxSlack) {
            const Vec pa = pointAt(a, t);
            const Vec pb = pointAt(b, s);
            if (distance(pa, pb) <= search.tolerance) {
                record(search, t, s, true);
                return;
            }
        }
    }
    double t = tc;
    double s = sc;
    if (newtonCrossing(a, b, t, s) && t >= t0 - (t1 - t0) && t <= t1 + (t1 - t0) && s >= s0 - (s1 - s0) &&
        s <= s1 + (s1 - s0) && t >= -boxSlack && t <= 1 + boxSlack && s >= -boxSlack && s <= 1 + boxSlack) {
        record(search, t, s, false);
        return;
    }
    // no root to settle on (a contact of higher order): the centre, when the curves meet there
    const Vec pa = pointAt(a, tc);
    const Vec pb = pointAt(b, sc);
    if (!apart && distance(pa, pb) <= search.tolerance) record(search, tc, sc, true);
}

double extentOf(const Piece& p) { return std::max(p.maxX - p.minX, p.maxY - p.minY); }

// Searches the pieces pa of the first curve on [t0, t1] and pb of the second on [s0, s1].
void searchPair(Search& search, Piece& pa, double t0, double t1, Piece& pb, double s0, double s1) {
    const Curve& a = *search.a;
    const Curve& b = *search.b;
    search.work->used += a.n + b.n;
    const double margin = 2 * search.err;
    if (!boxesMeet(pa, pb, margin)) return;

    bool triedNewton = false;
    bool apart = false;
    for (int round = 0; round < 64; ++round) {
        if (search.work->spent()) return;  // the result says that the search stopped short
        if (onlyOnStretch(search, t0, t1, s0, s1)) return;
        search.work->used += a.n * a.n + b.n * b.n + 32 * (a.n + b.n);
        const Cone coneA = coneOf(pa, a.n, search.err);
        const Cone coneB = coneOf(pb, b.n, search.err);
        apart = directionsApart(coneA, coneB, search.err);
        if (apart) {
            // at most one meeting here: when it is one found at a curve's end already, nothing is left
            for (size_t i = 0; i < search.knownAtEnds; ++i) {
                const Candidate& k = (*search.found)[i];
                if (k.t >= t0 - boxSlack && k.t <= t1 + boxSlack && k.s >= s0 - boxSlack && k.s <= s1 + boxSlack) {
                    return;
                }
            }
        }
        if (apart && !triedNewton) {
            // at most one crossing here: Newton from the centre finds it unless it starts too far out
            triedNewton = true;
            search.work->used += newtonSteps * 4 * (a.n + b.n);
            double t = 0.5 * (t0 + t1);
            double s = 0.5 * (s0 + s1);
            if (newtonCrossing(a, b, t, s) && distance(pointAt(a, t), pointAt(b, s)) <= search.tolerance) {
                if (t >= t0 - boxSlack && t <= t1 + boxSlack && s >= s0 - boxSlack && s <= s1 + boxSlack) {
                    record(search, t, s, false);
                    return;
                }
            }
        }
        if (t1 - t0 <= tinyWidth && s1 - s0 <= tinyWidth) break;

        // clip each piece to the other's fat line; a piece that turns half a turn or more has a fat line
        // too wide to cut anything worth the work
        double u0 = 0;
        double u1 = 1;
        if (coneA.valid && !clipToFatLine(pa, a.n, pb, b.n, margin, u0, u1)) return;
        const double keptB = u1 - u0;
        if (keptB < narrowBelow) {
            const double w = s1 - s0;
            const double n0 = s0 + u0 * w;
            const double n1 = std::max(n0, u1 < 1 ? s0 + u1 * w : s1);
            s0 = n0;
            s1 = n1;
            narrow(b, pb, u0, u1, s0, s1);
        }
        u0 = 0;
        u1 = 1;
        if (coneB.valid && !clipToFatLine(pb, b.n, pa, a.n, margin, u0, u1)) return;
        const double keptA = u1 - u0;
        if (keptA < narrowBelow) {
            const double w = t1 - t0;
            const double n0 = t0 + u0 * w;
            const double n1 = std::max(n0, u1 < 1 ? t0 + u1 * w : t1);
            t0 = n0;
            t1 = n1;
            narrow(a, pa, u0, u1, t0, t1);
        }
        if (!boxesMeet(pa, pb, margin)) return;
        if (keptA > clipStall && keptB > clipStall) break;
    }

    const bool tinyA = t1 - t0 <= tinyWidth;
    const bool tinyB = s1 - s0 <= tinyWidth;
    if (tinyA && tinyB) {
        settleTinyPair(search, t0, t1, s0, s1, apart);
        return;
    }
    if (search.work->spent()) return;  // the result says that the search stopped short
    // halve the longer piece (one already too short to cut stays whole)
    Piece first;
    Piece second;
    if (tinyB || (!tinyA && extentOf(pa) >= extentOf(pb))) {
        const double tm = 0.5 * (t0 + t1);
        halve(a, pa, t0, t1, first, second);
        Piece copy = pb;
        searchPair(search, first, t0, tm, pb, s0, s1);
        searchPair(search, second, tm, t1, copy, s0, s1);
    } else {
        const double sm = 0.5 * (s0 + s1);
        halve(b, pb, s0, s1, first, second);
        Piece copy = pa;
        searchPair(search, pa, t0, t1, first, s0, sm);
        searchPair(search, copy, t0, t1, second, sm, s1);
    }
}

// Appends to out every parameter in [t0, t1] where c passes within tolerance of p.
void findPointOnCurve(const Curve& c, Vec p, double tolerance, double err, double t0, double t1,
                      std::vector<double>& out, int depth, Work& work) {
    work.used += c.n * c.n;
    Piece piece;
    extract(c, t0, t1, piece);
    if (p.x < piece.minX - tolerance || p.x > piece.maxX + tolerance || p.y < piece.minY - tolerance ||
        p.y > piece.maxY + tolerance) {
        return;
    }
    const int n = c.n;
    const Vec chord{piece.x(n - 1) - piece.x(0), piece.y(n - 1) - piece.y(0)};
    const double chordLength = length(chord);
    if (chordLength > 4 * err) {
        // the box around the control points turned to the chord: p must lie in it, widened by the tolerance
        const Vec along{chord.x / chordLength, chord.y / chordLength};
        const Vec across{-along.y, along.x};
        double lo = 0, hi = 0, left = 0, right = 0;
        for (int i = 1; i < n; ++i) {
            const Vec q{piece.x(i) - piece.x(0), piece.y(i) - piece.y(0)};
            lo = std::min(lo, dot(q, along));
            hi = std::max(hi, dot(q, along));
            left = std::min(left, dot(q, across));
            right = std::max(right, dot(q, across));
        }
        const Vec q{p.x - piece.x(0), p.y - piece.y(0)};
        const double a = dot(q, along);
        const double d = dot(q, across);
        if (a < lo - tolerance || a > hi + tolerance || d < left - tolerance || d > right + tolerance) return;
    }
    // a piece that runs one way along its chord passes p at most once within the tolerance: Newton decides
    bool oneWay = chordLength > 4 * err;
    for (int i = 0; oneWay && i + 1 < n; ++i) {
        const Vec e{piece.x(i + 1) - piece.x(i), piece.y(i + 1) - piece.y(i)};
        oneWay = dot(e, chord) >= 0.5 * length(e) * chordLength;
    }
    const double width = t1 - t0;
    if (oneWay) {
        work.used += 2 * newtonSteps * 4 * c.n;  // a root of the advance, then the nearest point
        // the piece advances along its chord: where its advance equals p's, it is as near p as anywhere
        // within a factor of two, so one root of the advance decides
        const Vec direction{chord.x / chordLength, chord.y / chordLength};
        const auto advance = [&](double t) {
            const Vec q = pointAt(c, t);
            return dot(Vec{q.x - p.x, q.y - p.y}, direction);
        };
        double lo = t0;
        double hi = t1;
        double t;
        if (advance(lo) >= 0) {
            t = lo;
        } else if (advance(hi) <= 0) {
            t = hi;
        } else {
            // Newton kept inside the bracket, halving when it would leave it
            t = 0.5 * (lo + hi);
            for (int i = 0; i < 100 && hi - lo > 1e-16; ++i) {
                const double h = advance(t);
                if (h == 0) break;
                (h < 0 ? lo : hi) = t;
                const double slope = dot(velocityAt(c, t), direction);
                double next = slope > 0 ? t - h / slope : 0.5 * (lo + hi);
                if (!(next > lo && next < hi)) next = 0.5 * (lo + hi);
                if (std::fabs(next - t) <= 1e-17) break;
                t = next;
            }
        }
        // then the nearest point from there
        double nearest = t;
        if (newtonProject(c, p, nearest) && nearest >= t0 - width && nearest <= t1 + width) t = nearest;
        t = std::min(1.0, std::max(0.0, t));
        if (distance(pointAt(c, t), p) <= tolerance) out.push_back(t);
        return;
    }
    if (width <= tinyWidth || depth > 60 || work.spent()) {
        work.used += newtonSteps * 4 * c.n;
        double t = 0.5 * (t0 + t1);
        double nearest = t;
        if (newtonProject(c, p, nearest) && nearest >= t0 - width && nearest <= t1 + width) t = nearest;
        t = std::min(1.0, std::max(0.0, t));
        if (distance(pointAt(c, t), p) <= tolerance) out.push_back(t);
        return;
    }
    const double tm = 0.5 * (t0 + t1);
    findPointOnCurve(c, p, tolerance, err, t0, tm, out, depth + 1, work);
    findPointOnCurve(c, p, tolerance, err, tm, t1, out, depth + 1, work);
}

// every parameter where c passes within tolerance of p, each once, in increasing order
void pointOnCurve(const Curve& c, Vec p, double tolerance, double err, std::vector<double>& out, Work& work) {
    out.clear();
    if (c.n < 1 || work.spent()) return;
    findPointOnCurve(c, p, tolerance, err, 0, 1, out, 0, work);
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end(), [](double u, double v) { return v - u <= sameCrossing; }), out.end());
}

// whether the curves have one direction at (t, s); a vanishing derivative has every direction
bool parallelAt(const Curve& a, double t, const Curve& b, double s, double err) {
    const Vec va = velocityAt(a, t);
    const Vec vb = velocityAt(b, s);
    const double la = length(va);
    const double lb = length(vb);
    if (la <= 8 * a.n * err || lb <= 8 * b.n * err) return true;
    return std::fabs(cross(va, vb)) <= parallelSine * la * lb;
}

// Whether the curves coincide all the way between the meeting points p and q (p.t < q.t): sample points
// of the first curve between them, projected onto the second within the s-range, all lie on it.
bool coincideBetween(const Curve& a, const Curve& b, Candidate p, Candidate q, double tolerance, Work& work) {
    const int samples = std::max(3, (a.n - 1) * (b.n - 1) + 1);
    const double lo = std::min(p.s, q.s) - sameCrossing;
    const double hi = std::max(p.s, q.s) + sameCrossing;
    const double direction = q.s > p.s ? 1 : -1;
    double previous = p.s;
    for (int j = 1; j <= samples; ++j) {
        const double f = static_cast<double>(j) / (samples + 1);
        const double t = p.t + f * (q.t - p.t);
        // start from where a linear map between the ends puts it, or from the last sample when further on
        double s = p.s + f * (q.s - p.s);
        if ((s - previous) * direction < 0) s = previous;
        const Vec point = pointAt(a, t);
        work.used += 16 * b.n;  // a projection takes a few Newton steps
        if (!newtonProject(b, point, s)) return false;
        if (s < lo || s > hi || (s - previous) * direction < -sameCrossing) return false;
        const Vec on = pointAt(b, s);
        if (distance(on, point) > tolerance) return false;
        previous = s;
    }
    return true;
}

// Whether two results are one meeting point: equal within rounding, or near each other with the curves
// staying within the tolerance of each other all the way between them.
bool oneMeeting(const Curve& a, const Curve& b, Candidate p, Candidate q, double tolerance) {
    const double dt = q.t - p.t;
    const double ds = q.s - p.s;
    if (std::fabs(dt) <= sameCrossing && std::fabs(ds) <= sameCrossing) return true;
    if (std::fabs(dt) > sameContact || std::fabs(ds) > sameContact) return false;
    for (int j = 1; j < 8; ++j) {
        const double f = j / 8.0;
        if (distance(pointAt(a, p.t + f * dt), pointAt(b, p.s + f * ds)) > tolerance) return false;
    }
    return true;
}

bool allAtOnePoint(const PointD* c, int n) {
    for (int i = 1; i < n; ++i) {
        if (c[i].x != c[0].x || c[i].y != c[0].y) return false;
    }
    return true;
}

bool finiteCurve(const PointD* curve, int n) {
    if (n < 1 || n > maxPoints) return false;
    for (int i = 0; i < n; ++i) {
        if (!std::isfinite(curve[i].x) || !std::isfinite(curve[i].y)) return false;
    }
    return true;
}

// ends of shared stretches and meeting points at the curves' ends
void examineEnds(const Curve& a, const Curve& b, bool swapped, double tolerance, double err,
                 std::vector<Candidate>& meetings, std::vector<Candidate>& stretchEnds, std::vector<double>& scratch,
                 Work& work) {
    const auto add = [&](double t, double s, bool touch, bool meeting) {
        const Candidate c = swapped ? Candidate{s, t, touch} : Candidate{t, s, touch};
        if (meeting) meetings.push_back(c);
        if (touch) stretchEnds.push_back(c);
    };
    // the ends of a
    for (double t : {0.0, 1.0}) {
        pointOnCurve(b, pointAt(a, t), tolerance, err, scratch, work);
        for (double s : scratch) add(t, s, parallelAt(a, t, b, s, err), true);
    }
    // where a turns back on itself (its derivative vanishes) on b
    if (a.n >= 3) {
        Curve hodograph;
        double hx[maxPoints], hy[maxPoints];
        const int d = a.n - 1;
        for (int i = 0; i < d; ++i) {
            hx[i] = d * (a.x[i + 1] - a.x[i]);
            hy[i] = d * (a.y[i + 1] - a.y[i]);
        }
        hodograph.set(hx, hy, d);
        std::vector<double> turns;
        pointOnCurve(hodograph, Vec{0, 0}, 4.0 * d * tolerance, 2.0 * d * err, turns, work);
        for (double t : turns) {
            if (work.spent()) break;  // a derivative within rounding of zero all along: the result says so
            pointOnCurve(b, pointAt(a, t), tolerance, err, scratch, work);
            for (double s : scratch) add(t, s, true, false);
        }
    }
}

}  // namespace

void intersectExact(const PointD* curve1, int n1, const PointD* curve2, int n2, ExactIntersections& result) {
    result.crossings.clear();
    result.overlaps.clear();
    result.complete = true;
    result.work = 0;
    if (!finiteCurve(curve1, n1) || !finiteCurve(curve2, n2)) return;

    // the local frame: centred on the box around both control polygons
    double minX = curve1[0].x, maxX = minX, minY = curve1[0].y, maxY = minY;
    const auto widen = [&](const PointD* c, int n) {
        for (int i = 0; i < n; ++i) {
            minX = std::min(minX, c[i].x);
            maxX = std::max(maxX, c[i].x);
            minY = std::min(minY, c[i].y);
            maxY = std::max(maxY, c[i].y);
        }
    };
    widen(curve1, n1);
    widen(curve2, n2);
    const double cx = 0.5 * minX + 0.5 * maxX;
    const double cy = 0.5 * minY + 0.5 * maxY;
    Curve a;
    Curve b;
    double scale = 0;
    {
        double x[maxPoints], y[maxPoints];
        for (int i = 0; i < n1; ++i) {
            x[i] = curve1[i].x - cx;
            y[i] = curve1[i].y - cy;
            scale = std::max(scale, std::max(std::fabs(x[i]), std::fabs(y[i])));
        }
        a.set(x, y, n1);
        for (int i = 0; i < n2; ++i) {
            x[i] = curve2[i].x - cx;
            y[i] = curve2[i].y - cy;
            scale = std::max(scale, std::max(std::fabs(x[i]), std::fabs(y[i])));
        }
        b.set(x, y, n2);
    }
    // rounding of a piece's control points: a few units per de Casteljau level, at the frame's scale
    const double err = std::max((8.0 * std::max(n1, n2) + 32) * unitRoundoff * scale, DBL_MIN);
    const double tolerance = 2 * err;

    const auto emit = [&](double t, double s, bool touch) {
        // in the frame, where the curve is near the origin; by de Casteljau on the control points as given
        // where the frame's centre is far larger than the point (a float-range curve meeting near zero)
        long double px, py;
        a.position.at<long double>(t, px, py);
        long double x = px + cx;
        long double y = py + cy;
        if (std::fabs(x) < 0x1p-20L * std::fabs(cx) || std::fabs(y) < 0x1p-20L * std::fabs(cy)) {
            long double qx[maxPoints], qy[maxPoints];
            for (int i = 0; i < n1; ++i) {
                qx[i] = curve1[i].x;
                qy[i] = curve1[i].y;
            }
            for (int j = 1; j < n1; ++j) {
                for (int k = 0; k + j < n1; ++k) {
                    qx[k] = (1 - static_cast<long double>(t)) * qx[k] + t * qx[k + 1];
                    qy[k] = (1 - static_cast<long double>(t)) * qy[k] + t * qy[k + 1];
                }
            }
            x = qx[0];
            y = qy[0];
        }
        result.crossings.push_back({t, s, static_cast<double>(x), static_cast<double>(y), touch});
    };

    // A curve against a quadratic (order 3) or a cubic (order 4) of at most `most` control points: answered
    // by the roots of the implicit equation along it; false where that equation vanishes along the curve.
    const auto answerByImplicitEquation = [&](int order, int most) {
        std::vector<exactmode::MeetingParameters> meetings;
        const auto solve = order == 3 ? exactmode::intersectWithQuadratic : exactmode::intersectWithCubic;
        bool answered = false;
        if (n2 == order && n1 <= most) {
            answered = solve(curve1, n1, curve2, meetings);
        } else if (n1 == order && n2 <= most) {
            answered = solve(curve2, n2, curve1, meetings);
            for (exactmode::MeetingParameters& m : meetings) std::swap(m.t, m.s);
        }
        if (!answered) return false;
        std::sort(meetings.begin(), meetings.end(),
                  [](const exactmode::MeetingParameters& p, const exactmode::MeetingParameters& q) {
                      return p.t < q.t || (p.t == q.t && p.s < q.s);
                  });
        for (const exactmode::MeetingParameters& m : meetings) emit(m.t, m.s, m.touch);
        return true;
    };

    // curves that are single points
    // curves whose control points all coincide, exactly: single points
    const bool pointA = allAtOnePoint(curve1, n1);
    const bool pointB = allAtOnePoint(curve2, n2);
    std::vector<double> scratch;
    Work work;
    if (pointA && pointB) {
        if (curve1[0].x == curve2[0].x && curve1[0].y == curve2[0].y) emit(0, 0, true);
        return;
    }
    const bool straightA = exactmode::onOneLine(curve1, n1);
    const bool straightB = exactmode::onOneLine(curve2, n2);
    if ((pointA && !straightB) || (pointB && !straightA)) {
        // a point against a curve that is not straight: where the curve passes it within rounding
        const Curve& curve = pointA ? b : a;
        const Vec p = pointA ? Vec{a.x[0], a.y[0]} : Vec{b.x[0], b.y[0]};
        pointOnCurve(curve, p, tolerance, err, scratch, work);
        for (double u : scratch) emit(pointA ? 0 : u, pointA ? u : 0, true);
        result.complete = !work.spent();
        result.work = work.used;
        return;
    }

    // a curve on a straight line: a one-dimensional question, answered without the search
    if (straightA || straightB) {
        std::vector<exactmode::MeetingParameters> meetings;
        std::vector<exactmode::SharedStretch> shared;
        if (straightA && straightB && exactmode::onOneLine(curve1, n1, curve2, n2)) {
            exactmode::intersectOnOneLine(curve1, n1, curve2, n2, meetings, shared);
        } else if (straightB && !pointB) {
            exactmode::intersectWithLine(curve1, n1, curve2, n2, meetings);
        } else {
            exactmode::intersectWithLine(curve2, n2, curve1, n1, meetings);
            for (exactmode::MeetingParameters& m : meetings) std::swap(m.t, m.s);
        }
        std::sort(meetings.begin(), meetings.end(),
                  [](const exactmode::MeetingParameters& p, const exactmode::MeetingParameters& q) {
                      return p.t < q.t || (p.t == q.t && p.s < q.s);
                  });
        for (const exactmode::MeetingParameters& m : meetings) emit(m.t, m.s, m.touch);
        std::sort(shared.begin(), shared.end(),
                  [](const exactmode::SharedStretch& p, const exactmode::SharedStretch& q) { return p.t0 < q.t0; });
        for (const exactmode::SharedStretch& r : shared) result.overlaps.push_back({r.t0, r.t1, r.s0, r.s1});
        return;
    }

    // a curve against a quadratic: the roots of one polynomial
    if (answerByImplicitEquation(3, maxImplicitPoints)) return;

    // meeting points at the curves' ends, and candidate ends of shared stretches
    std::vector<Candidate> found;
    std::vector<Candidate> ends;
    examineEnds(a, b, false, tolerance, err, found, ends, scratch, work);
    examineEnds(b, a, true, tolerance, err, found, ends, scratch, work);

    // shared stretches: pairs of candidate ends with the curves coinciding between them
    std::vector<Stretch> stretches;
    Work checking;
    checking.limit = checkLimit;
    std::sort(ends.begin(), ends.end(),
              [](const Candidate& p, const Candidate& q) { return p.t < q.t || (p.t == q.t && p.s < q.s); });
    for (size_t i = 0; i < ends.size(); ++i) {
        for (size_t j = i + 1; j < ends.size(); ++j) {
            const Candidate& p = ends[i];
            const Candidate& q = ends[j];
            if (q.t - p.t <= sameTouch || std::fabs(q.s - p.s) <= sameTouch) continue;
            if (!checking.spent() && coincideBetween(a, b, p, q, tolerance, checking)) stretches.push_back({p.t, q.t, p.s, q.s});
        }
    }
    // keep the longest of stretches that contain one another
    std::sort(stretches.begin(), stretches.end(),
              [](const Stretch& p, const Stretch& q) { return p.t1 - p.t0 > q.t1 - q.t0; });
    std::vector<Stretch> kept;
    for (const Stretch& r : stretches) {
        bool inside = false;
        for (const Stretch& k : kept) {
            inside = inside || (r.t0 >= k.t0 - sameTouch && r.t1 <= k.t1 + sameTouch &&
                                std::min(r.s0, r.s1) >= std::min(k.s0, k.s1) - sameTouch &&
                                std::max(r.s0, r.s1) <= std::max(k.s0, k.s1) + sameTouch);
        }
        if (!inside) kept.push_back(r);
    }

    // the crossings inside the parameter square
    Search search{&a, &b, err, tolerance, &work, &found, found.size(), 0, &kept};
    Piece wholeA;
    Piece wholeB;
    extract(a, 0, 1, wholeA);
    extract(b, 0, 1, wholeB);
    searchPair(search, wholeA, 0, 1, wholeB, 0, 1);

    // one result per meeting point, none inside a shared stretch
    // (a node of the shared curve lies in a stretch's rectangle too, but away from its correspondence)
    const auto onStretch = [&](const Candidate& c) {
        for (const Stretch& r : kept) {
            if (c.t < r.t0 - sameTouch || c.t > r.t1 + sameTouch) continue;
            const double s = alongStretch(a, b, r.t0, r.t1, r.s0, r.s1, std::min(r.t1, std::max(r.t0, c.t)));
            if (std::fabs(c.s - s) <= sameTouch) return true;
        }
        return false;
    };
    std::sort(found.begin(), found.end(),
              [](const Candidate& p, const Candidate& q) { return p.t < q.t || (p.t == q.t && p.s < q.s); });
    std::vector<Candidate> merged;
    for (const Candidate& c : found) {
        if (onStretch(c)) continue;
        bool same = false;
        for (Candidate& m : merged) {
            if (oneMeeting(a, b, m, c, tolerance)) {
                same = true;
                // two results apart by more than rounding that the curves never leave between: a contact
                // double precision cannot resolve further, a touch
                const bool distinct = std::fabs(c.t - m.t) > sameCrossing || std::fabs(c.s - m.s) > sameCrossing;
                if (c.touch && !m.touch) {
                    m = c;
                } else if (distinct) {
                    m.touch = true;
                }
                break;
            }
        }
        if (!same) merged.push_back(c);
    }
    result.complete = !work.spent() && !checking.spent();
    result.work = work.used + checking.used;

    // Where double precision decided something only within its tolerance (a touch, pieces settled when
    // too short to cut, or a search stopped short) and a cubic is involved, the cubic's implicit equation
    // along the other curve answers the pair again, exactly.
    bool doubtful = search.settled > 0 || !result.complete;
    for (const Candidate& c : merged) doubtful = doubtful || c.touch;
    if (doubtful && kept.empty() && answerByImplicitEquation(4, maxBezoutPoints)) {
        result.complete = true;
        return;
    }

    std::sort(merged.begin(), merged.end(),
              [](const Candidate& p, const Candidate& q) { return p.t < q.t || (p.t == q.t && p.s < q.s); });
    for (const Candidate& c : merged) emit(c.t, c.s, c.touch);
    std::sort(kept.begin(), kept.end(), [](const Stretch& p, const Stretch& q) { return p.t0 < q.t0; });
    for (const Stretch& r : kept) result.overlaps.push_back({r.t0, r.t1, r.s0, r.s1});
}

void intersectExact(const Point* curve1, int n1, const Point* curve2, int n2, ExactIntersections& result) {
    PointD a[maxPoints];
    PointD b[maxPoints];
    const bool fits = n1 >= 1 && n1 <= maxPoints && n2 >= 1 && n2 <= maxPoints;
    if (!fits) {
        result.crossings.clear();
        result.overlaps.clear();
        return;
    }
    for (int i = 0; i < n1; ++i) a[i] = {curve1[i].x, curve1[i].y};
    for (int i = 0; i < n2; ++i) b[i] = {curve2[i].x, curve2[i].y};
    intersectExact(a, n1, b, n2, result);
}
