#include "intersect/exact/newton.h"

#include <algorithm>
#include <cmath>

namespace exactmode {

namespace {

// Newton steps kept inside a bracket before the root of a piece's advance is taken as found: each step at
// least halves the bracket, so this is far more than double precision needs.
constexpr int bracketSteps = 100;
// A bracket this narrow, or a step this short, holds the root to the last bit of a parameter near 1.
constexpr double bracketWidth = 1e-16;
constexpr double bracketStep = 1e-17;
// A piece whose edges all lie within 60 degrees of its chord (cosine 0.5) advances along the chord.
constexpr double oneWayCosine = 0.5;
// Halvings before the projection stops isolating and lets Newton decide: past tinyWidth long before, only
// a bound for the count of steps.
constexpr int projectionDepth = 60;

// Appends to out the point of c nearest p from t on (when Newton settles within one width of the piece
// on [t0, t1]; else t itself), held to [0, 1], when it lies within tolerance of p.
void keepNearest(const Curve& c, Vec p, double tolerance, double t0, double t1, double t, std::vector<double>& out) {
    const double width = t1 - t0;
    double nearest = t;
    if (newtonProject(c, p, nearest) && nearest >= t0 - width && nearest <= t1 + width) t = nearest;
    t = std::min(1.0, std::max(0.0, t));
    if (pointsApart(pointAt(c, t), p) <= tolerance) out.push_back(t);
}

// Appends to out every parameter in [t0, t1] where c passes within tolerance of p; piece is c's piece on
// [t0, t1], its halves cut from it (and taken afresh from c every freshAfter cuts).
void findPointOnCurve(const Curve& c, Vec p, double tolerance, double err, double t0, double t1, const ClipPiece& piece,
                      std::vector<double>& out, int depth, Work& work) {
    work.used += c.n * c.n;
    if (p.x < piece.minX - tolerance || p.x > piece.maxX + tolerance || p.y < piece.minY - tolerance ||
        p.y > piece.maxY + tolerance) {
        return;
    }
    const int n = c.n;
    const Vec chord{piece.x(n - 1) - piece.x(0), piece.y(n - 1) - piece.y(0)};
    const double chordLength = length(chord);
    if (chordLength > directionlessEdge * err) {
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
    bool oneWay = chordLength > directionlessEdge * err;
    for (int i = 0; oneWay && i + 1 < n; ++i) {
        const Vec e{piece.x(i + 1) - piece.x(i), piece.y(i + 1) - piece.y(i)};
        oneWay = dot(e, chord) >= oneWayCosine * length(e) * chordLength;
    }
    const double width = t1 - t0;
    if (oneWay) {
        work.used += 2 * newtonSteps * newtonStepWork * c.n;  // a root of the advance, then the nearest point
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
            for (int i = 0; i < bracketSteps && hi - lo > bracketWidth; ++i) {
                Vec q, v;
                pointAndVelocity(c.position, c.velocity, t, q.x, q.y, v.x, v.y);
                const double h = dot(Vec{q.x - p.x, q.y - p.y}, direction);
                if (h == 0) break;
                (h < 0 ? lo : hi) = t;
                const double slope = dot(v, direction);
                double next = slope > 0 ? t - h / slope : 0.5 * (lo + hi);
                if (!(next > lo && next < hi)) next = 0.5 * (lo + hi);
                if (std::fabs(next - t) <= bracketStep) break;
                t = next;
            }
        }
        // then the nearest point from there
        keepNearest(c, p, tolerance, t0, t1, t, out);
        return;
    }
    if (width <= tinyWidth || depth > projectionDepth || work.spent()) {
        work.used += newtonSteps * newtonStepWork * c.n;
        double t = 0.5 * (t0 + t1);
        keepNearest(c, p, tolerance, t0, t1, t, out);
        return;
    }
    const double tm = 0.5 * (t0 + t1);
    ClipPiece left;
    ClipPiece right;
    halve(c, piece, t0, t1, left, right);
    findPointOnCurve(c, p, tolerance, err, t0, tm, left, out, depth + 1, work);
    findPointOnCurve(c, p, tolerance, err, tm, t1, right, out, depth + 1, work);
}

}  // namespace

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
        if (!(t > -offCurve && t < 1 + offCurve && s > -offCurve && s < 1 + offCurve))
            return false;  // wandered off both curves
        const double size = std::fabs(dt) + std::fabs(ds);
        // settled: small enough, or no longer shrinking once small (the rounding floor of a poorly
        // conditioned crossing)
        if (size <= crossingSettled || (size <= crossingFloor && size >= stalledShrink * previous)) break;
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
        if (std::fabs(static_cast<double>(dt)) < crossingFloor && std::fabs(static_cast<double>(ds)) < crossingFloor) {
            t = static_cast<double>(t + dt);
            s = static_cast<double>(s + ds);
        }
    }
    return true;
}

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
        if (!(t > -offCurve && t < 1 + offCurve && s > -offCurve && s < 1 + offCurve)) return false;
        const double size = std::fabs(dt) + std::fabs(ds);
        if (size <= touchSettled || (size <= touchFloor && size >= touchStalledShrink * previous)) return true;
        previous = size;
    }
    return previous <= touchFloor;
}

bool newtonProject(const Curve& c, Vec p, double& t) {
    double previous = INFINITY;
    for (int i = 0; i < newtonSteps; ++i) {
        Vec q, v, w;
        pointVelocityAcceleration(c, t, q, v, w);
        const Vec f{q.x - p.x, q.y - p.y};
        double second = dot(v, v) + dot(f, w);
        if (!(second > 0)) second = dot(v, v);  // away from a minimum: a plain gradient step
        if (!(second > 0)) return false;
        const double dt = -dot(f, v) / second;
        t += dt;
        if (!(t > -offCurve && t < 1 + offCurve)) return false;
        const double size = std::fabs(dt);
        if (size <= projectSettled || (size <= projectFloor && size >= stalledShrink * previous)) return true;
        previous = size;
    }
    return previous <= projectFloor;
}

void pointOnCurve(const Curve& c, Vec p, double tolerance, double err, std::vector<double>& out, Work& work) {
    out.clear();
    if (c.n < 1 || work.spent()) return;
    ClipPiece whole;
    extract(c, 0, 1, whole);
    findPointOnCurve(c, p, tolerance, err, 0, 1, whole, out, 0, work);
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end(), [](double u, double v) { return v - u <= sameCrossing; }), out.end());
}

}  // namespace exactmode
