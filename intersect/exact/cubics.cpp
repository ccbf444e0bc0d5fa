#include "intersect/exact/cubics.h"

#include <algorithm>
#include <cmath>

#include "intersect/exact/newton.h"

namespace exactmode {

namespace {

// The polynomial's degree (three times three) and its count of coefficients.
constexpr int degree = 9;
constexpr int coefficients = degree + 1;
// The rounding of a coefficient computed in double, in units of the rounding unit times the largest sum of
// the absolute values of the terms of any coefficient: each term is a product of three differences of
// differences, and a coefficient sums a few hundred of them (bounds of this kind grow with the count of
// operations, about 40 here; this leaves a margin of six).
constexpr double coefficientRounding = 256;
// A coefficient counts as clear of zero beyond this many times its rounding: where the polynomial is that
// large, the first curve is far more than the tolerance away from the second's algebraic curve (the
// tolerance, 2 (8 n + 32) rounding units of the frame's scale, corresponds to a few times the rounding of
// the coefficients), so the clipping would find no meeting there either.
constexpr double clearOfZero = 64;
// Cuts of the parameter range, one inside another, before a root still not isolated hands the pair on
// (roots closer than about 5e-5, or a polynomial near zero without a sign change: the curves nearly
// touching).
constexpr int maxDepth = 16;
// Intervals are cut a little before their middle: a root exactly at a middle (1/2, 1/4, ..., common in
// symmetric figures) would leave a coefficient within rounding of zero on both sides.
constexpr double splitAt = 0.4609375;  // 59/128
// Intervals looked at before the pair is handed on: a polynomial of degree 9 has at most 9 roots, so an
// ordinary pair needs a few dozen.
constexpr int maxIntervals = 256;
// Roots of the polynomial, and the second curve's parameters at them, this close to an end of [0, 1]
// (inside or beyond) hand the pair on: there the clipping's handling of ends decides.
constexpr double endMargin = 1e-6;
// Crossings closer than this in the first parameter hand the pair on.
constexpr double apartCrossings = 1e-6;
// A crossing whose directions have a smaller sine is too near a touch to be taken here.
constexpr double transversalSine = 1e-3;
// Newton's method settles a crossing only as far as the curves' evaluation allows: a rounding unit of the
// largest Horner coefficient moves the point, and so the parameters by that over the rate at which the
// curves part (|A' x B'| / |B'| for t). Where that spread exceeds this, the parameter the clipping finds
// (from a Newton start of its own) may differ from ours in more than the last bits: the pair is handed on.
constexpr double crossingSpread = 1e-14;
// The kernel of the Bezout matrix at a point is read off the cross product of two of its rows; where that
// is shorter than this share of the rows' lengths, the point is near the cubic's singular point and the
// pair is handed on.
constexpr double kernelQuality = 1e-6;
// A root whose point's parameter on the second cubic, read off the kernel, is further than this beyond
// [0, 1] is on the cubic's algebraic curve past its ends: no meeting.
constexpr double farBeyond = 0.25;
// Newton's method on the first curve's parameter, polished by newtonCrossing, may move it this far.
constexpr double polishReach = 1e-6;
// Steps of Newton's method kept in a root's bracket: each step at least halves the bracket or converges.
constexpr int rootSteps = 64;
// Newton's method on a root of the polynomial stops after a step this short (in the interval's parameter):
// that step leaves an error of about its square, and newtonCrossing, started there, settles the crossing
// to the last bit in a step or two.
constexpr double rootSettled = 1e-9;
// The work of the algebraic answer, in the units of exactWorkLimit: building the polynomial (about 300
// products), and each interval and root.
constexpr long polynomialWork = 600;
constexpr long intervalWork = 100;
constexpr long rootWork = 200;

// The rounding of the implicit equation at a point, in units of the rounding unit times the sum of its six
// products' sizes: each entry carries a few roundings, each product and sum one more.
constexpr double pointRounding = 64;
// A curve's end lies on the other curve when it is within the tolerance; the certificate that it is not
// asks for twice that distance, for the rounding of the distance as evaluated.
constexpr double endDistance = 2;

constexpr double cubicBinomial[4] = {1, 3, 3, 1};
constexpr double ninthBinomial[coefficients] = {1, 9, 36, 84, 126, 126, 84, 36, 9, 1};
constexpr double eighthBinomial[degree] = {1, 8, 28, 56, 70, 56, 28, 8, 1};
// The six lines through pairs of the cubic's control points: L01, L02, L03, L12, L13, L23.
constexpr int linePairs[6][2] = {{0, 1}, {0, 2}, {0, 3}, {1, 2}, {1, 3}, {2, 3}};

// Products of polynomials in the scaled Bernstein basis (coefficient i times C(degree, i)): convolutions.
template <int M, int N>
void multiply(const double* p, const double* q, double* r) {
    for (int k = 0; k <= M + N; ++k) r[k] = 0;
#pragma GCC unroll 4
    for (int i = 0; i <= M; ++i) {
#pragma GCC unroll 7
        for (int j = 0; j <= N; ++j) r[i + j] += p[i] * q[j];
    }
}

template <int M>
void combine(const double* p, const double* q, double sign, double* r) {
    for (int k = 0; k <= M; ++k) r[k] = p[k] + sign * q[k];
}

// The cubic b's implicit equation along the cubic a, in Bernstein form, and in size the largest sum of the
// absolute values of each line's terms at a's control points; returns a bound on the size of
// every coefficient's terms (each line's largest value taken with its terms' absolute values summed, the
// products of those for the determinant's six products: a Bernstein product's coefficients are weighted
// means of products of the factors' coefficients).
double bezoutAlong(const Curve& a, const Curve& b, double* out, double* size) {
    double l[6][4];
    for (int p = 0; p < 6; ++p) {
        const int k = linePairs[p][0];
        const int m = linePairs[p][1];
        size[p] = 0;
        for (int i = 0; i < 4; ++i) {
            const double ux = b.x[k] - a.x[i], uy = b.y[k] - a.y[i];
            const double vx = b.x[m] - a.x[i], vy = b.y[m] - a.y[i];
            const double weight = cubicBinomial[k] * cubicBinomial[m];
            l[p][i] = weight * cubicBinomial[i] * (ux * vy - uy * vx);
            size[p] = std::max(size[p], weight * (std::fabs(ux * vy) + std::fabs(uy * vx)));
        }
    }
    const double* A = l[0];  // L01
    const double* B = l[1];  // L02
    const double* C = l[2];  // L03
    double E[4];             // L03 + L12
    combine<3>(l[2], l[3], 1, E);
    const double* F = l[4];  // L13
    const double* G = l[5];  // L23
    double x[7], y[7], inner[7], first[10], second[10], third[10];
    multiply<3, 3>(E, G, x);
    multiply<3, 3>(F, F, y);
    combine<6>(x, y, -1, inner);
    multiply<3, 6>(A, inner, first);
    multiply<3, 3>(B, G, x);
    multiply<3, 3>(F, C, y);
    combine<6>(x, y, -1, inner);
    multiply<3, 6>(B, inner, second);
    multiply<3, 3>(B, F, x);
    multiply<3, 3>(E, C, y);
    combine<6>(x, y, -1, inner);
    multiply<3, 6>(C, inner, third);
    for (int k = 0; k < coefficients; ++k) out[k] = (first[k] - second[k] + third[k]) / ninthBinomial[k];
    const double sA = size[0], sB = size[1], sC = size[2], sE = size[2] + size[3], sF = size[4], sG = size[5];
    return sA * (sE * sG + sF * sF) + sB * (sB * sG + sF * sC) + sC * (sB * sF + sE * sC);
}

// The Bernstein polynomial b (of degree 9) at u, by de Casteljau (any u, also just beyond [0, 1]).
double valueAt(const double* b, double u) {
    double q[coefficients];
    for (int k = 0; k < coefficients; ++k) q[k] = b[k];
    for (int j = 1; j < coefficients; ++j) {
        for (int k = 0; k + j < coefficients; ++k) q[k] = (1 - u) * q[k] + u * q[k + 1];
    }
    return q[0];
}

// The Bernstein polynomial of degree 9 and its derivative (of degree 8), given by their scaled
// coefficients, at u in [0, 1]: Horner's rule in u / (1 - u) or its reciprocal, sharing the powers.
void valueAndSlopeAt(const double* scaled, const double* slope, double u, double& value, double& derivative) {
    const bool nearStart = u <= 0.5;
    const double w = nearStart ? 1 - u : u;
    const double r = nearStart ? u / w : (1 - u) / w;
    double v, d;
    if (nearStart) {
        v = scaled[degree];
        d = slope[degree - 1];
#pragma GCC unroll 9
        for (int i = degree - 1; i >= 0; --i) v = v * r + scaled[i];
#pragma GCC unroll 9
        for (int i = degree - 2; i >= 0; --i) d = d * r + slope[i];
    } else {
        v = scaled[0];
        d = slope[0];
#pragma GCC unroll 9
        for (int i = 1; i <= degree; ++i) v = v * r + scaled[i];
#pragma GCC unroll 9
        for (int i = 1; i < degree; ++i) d = d * r + slope[i];
    }
    double f = 1;
    for (int i = 1; i < degree; ++i) f *= w;
    derivative = d * f;
    value = v * (f * w);
}

// The one root in (0, 1) of the Bernstein polynomial b, whose end coefficients have opposite signs:
// Newton's method kept in the bracket.
double rootBetween(const double* b) {
    double scaled[coefficients], slope[degree];
    for (int k = 0; k < coefficients; ++k) scaled[k] = ninthBinomial[k] * b[k];
    for (int k = 0; k < degree; ++k) slope[k] = eighthBinomial[k] * degree * (b[k + 1] - b[k]);
    const bool startNegative = b[0] < 0;
    double lo = 0;
    double hi = 1;
    // from where the control polygon crosses zero (once: its signs change once)
    int k = 0;
    while (k + 1 < degree && (b[k + 1] < 0) == startNegative) ++k;
    double u = (k + b[k] / (b[k] - b[k + 1])) / degree;
    if (!(u > 0 && u < 1)) u = 0.5;
    for (int i = 0; i < rootSteps && hi - lo > rootSettled; ++i) {
        double v, d;
        valueAndSlopeAt(scaled, slope, u, v, d);
        if (v == 0) break;
        ((v < 0) == startNegative ? lo : hi) = u;
        const double step = v / d;
        if (std::fabs(step) <= rootSettled) {
            // the last step squares the error away
            if (u - step > lo && u - step < hi) u -= step;
            break;
        }
        // (where d is 0 the step is not finite, and the bracket's middle is taken)
        double next = u - step;
        if (!(next > lo && next < hi)) next = 0.5 * (lo + hi);
        u = next;
    }
    return u;
}

// The second cubic's parameter at a point on its algebraic curve, read off the kernel of its Bezout matrix
// there, which is ((1 - s)^2, s (1 - s), s^2) up to a factor. False where the kernel is not well defined
// (the point is near the cubic's singular point).
bool parameterAt(const Curve& b, Vec p, double& s) {
    double l[6];
    for (int q = 0; q < 6; ++q) {
        const int k = linePairs[q][0];
        const int m = linePairs[q][1];
        const double ux = b.x[k] - p.x, uy = b.y[k] - p.y;
        const double vx = b.x[m] - p.x, vy = b.y[m] - p.y;
        l[q] = cubicBinomial[k] * cubicBinomial[m] * (ux * vy - uy * vx);
    }
    const double rows[3][3] = {{l[0], l[1], l[2]}, {l[1], l[2] + l[3], l[4]}, {l[2], l[4], l[5]}};
    double best = -1;
    double kernel[3] = {0, 0, 0};
    double rowsSize = 0;
    for (int i = 0; i < 3; ++i) {
        for (int j = i + 1; j < 3; ++j) {
            const double* r = rows[i];
            const double* q = rows[j];
            const double k[3] = {r[1] * q[2] - r[2] * q[1], r[2] * q[0] - r[0] * q[2], r[0] * q[1] - r[1] * q[0]};
            const double size = k[0] * k[0] + k[1] * k[1] + k[2] * k[2];
            if (size > best) {
                best = size;
                for (int c = 0; c < 3; ++c) kernel[c] = k[c];
                rowsSize = (r[0] * r[0] + r[1] * r[1] + r[2] * r[2]) * (q[0] * q[0] + q[1] * q[1] + q[2] * q[2]);
            }
        }
    }
    if (!(best > kernelQuality * kernelQuality * rowsSize)) return false;
    const double whole = kernel[0] + 2 * kernel[1] + kernel[2];  // (1 - s + s)^2 times the factor
    s = (kernel[1] + kernel[2]) / whole;
    if (!std::isfinite(s)) s = INFINITY;
    return true;
}

// The largest of the entries of the cubic c's Bezout matrix M whose lines' terms are at most size[q] in
// absolute value, summed.
double largestEntry(const double* size) {
    double largest = size[2] + size[3];  // L03 + L12
    for (int q = 0; q < 6; ++q) largest = std::max(largest, size[q]);
    return largest;
}

// A bound on the gradient of the cubic c's implicit equation f = det M within `distance` of a point where
// the lines' terms are at most size[q] in absolute value. Each entry of M is a sum of lines Lkl (an affine
// function of the point, with gradient C(3, k) C(3, l) (Pk - Pl) turned a quarter); f's gradient is the
// sum over the entries of their cofactors (each a difference of two products of entries) times their
// gradients.
double gradientBound(const Curve& c, const double* size, double distance) {
    double slope[6];
    double steepest = 0;
    for (int q = 0; q < 6; ++q) {
        const int k = linePairs[q][0];
        const int m = linePairs[q][1];
        slope[q] = cubicBinomial[k] * cubicBinomial[m] * (std::fabs(c.x[k] - c.x[m]) + std::fabs(c.y[k] - c.y[m]));
        steepest = std::max(steepest, slope[q]);
    }
    // entries within `distance` of the point are at most this large
    const double reach = largestEntry(size) + 2 * distance * steepest;
    // the entries L01 L02 L03 / L03 + L12 L13 / L23, the off-diagonal ones twice
    const double entrySlopes = slope[0] + slope[2] + slope[3] + slope[5] + 2 * (slope[1] + slope[2] + slope[4]);
    return 2 * reach * reach * entrySlopes;
}

// Whether the point p is further than `distance` from the cubic c's algebraic curve, and so from every
// point of c: the implicit equation there, f(p) = det M(p), exceeds distance times a bound on its gradient
// near p, plus its rounding.
bool awayFromCubic(const Curve& c, Vec p, double distance) {
    double line[6], size[6];
    for (int q = 0; q < 6; ++q) {
        const int k = linePairs[q][0];
        const int m = linePairs[q][1];
        const double ux = c.x[k] - p.x, uy = c.y[k] - p.y;
        const double vx = c.x[m] - p.x, vy = c.y[m] - p.y;
        const double weight = cubicBinomial[k] * cubicBinomial[m];
        line[q] = weight * (ux * vy - uy * vx);
        size[q] = weight * (std::fabs(ux * vy) + std::fabs(uy * vx));
    }
    // the entries of M (symmetric): L01 L02 L03 / L03 + L12 L13 / L23
    const double m11 = line[0], m12 = line[1], m13 = line[2], m22 = line[2] + line[3], m23 = line[4], m33 = line[5];
    const double f = m11 * (m22 * m33 - m23 * m23) - m12 * (m12 * m33 - m23 * m13) + m13 * (m12 * m23 - m22 * m13);
    // six products of three entries, each entry within a few roundings of its size
    const double largest = largestEntry(size);
    const double rounding = pointRounding * unitRoundoff * 6 * largest * largest * largest;
    return std::fabs(f) > distance * gradientBound(c, size, distance) + rounding;
}

// One interval of the search for roots: the polynomial's Bernstein coefficients on [lo, hi], with a bound
// on their rounding.
struct Interval {
    double b[coefficients];
    double lo, hi;
    double rounding;
    int depth;
};

}  // namespace

CubicAnswer crossCubics(const Curve& a, const Curve& b, double tolerance, bool showEndsOff, Work& work,
                        std::vector<Candidate>& found) {
    if (a.n != 4 || b.n != 4) return CubicAnswer::endsUnsure;
    const double distance = endDistance * tolerance;
    if (showEndsOff &&
        !(awayFromCubic(a, Vec{b.x[0], b.y[0]}, distance) && awayFromCubic(a, Vec{b.x[3], b.y[3]}, distance))) {
        return CubicAnswer::endsUnsure;
    }
    work.used += polynomialWork;
    Interval whole;
    double lineSize[6];
    whole.rounding = coefficientRounding * unitRoundoff * bezoutAlong(a, b, whole.b, lineSize);
    whole.lo = 0;
    whole.hi = 1;
    whole.depth = 0;
    if (showEndsOff) {
        // the polynomial's end coefficients are b's implicit equation at a's ends
        const double beyond = distance * gradientBound(b, lineSize, distance) + whole.rounding;
        if (!(std::fabs(whole.b[0]) > beyond && std::fabs(whole.b[degree]) > beyond)) return CubicAnswer::endsUnsure;
    }

    // no root at or near either end, inside or just beyond
    const double clear = clearOfZero * whole.rounding;
    if (!(std::fabs(whole.b[0]) > clear && std::fabs(whole.b[degree]) > clear)) return CubicAnswer::declined;
    // the derivative is at most 2 degree times the largest coefficient (a little more just beyond [0, 1]):
    // an end value larger than it can change over endMargin keeps its sign there; else the value just
    // beyond decides
    double greatest = 0;
    for (int k = 0; k < coefficients; ++k) greatest = std::max(greatest, std::fabs(whole.b[k]));
    const double reach = 2.5 * degree * endMargin * greatest + 2 * whole.rounding;
    if (!(std::fabs(whole.b[0]) > reach)) {
        const double before = valueAt(whole.b, -endMargin);
        if (!((before < 0) == (whole.b[0] < 0) && std::fabs(before) > 2 * whole.rounding)) return CubicAnswer::declined;
    }
    if (!(std::fabs(whole.b[degree]) > reach)) {
        const double after = valueAt(whole.b, 1 + endMargin);
        if (!((after < 0) == (whole.b[degree] < 0) && std::fabs(after) > 2 * whole.rounding))
            return CubicAnswer::declined;
    }

    // roots isolated by halving: depth first, so that at most one interval per level waits
    Interval stack[maxDepth + 2];
    int waiting = 0;
    stack[waiting++] = whole;
    double roots[degree];
    int rootCount = 0;
    for (int looked = 0; waiting > 0; ++looked) {
        if (looked == maxIntervals) return CubicAnswer::declined;
        const Interval piece = stack[--waiting];
        work.used += intervalWork;
        double largest = 0;
        bool certain = true;
        bool allClear = true;
        int changes = 0;
#pragma GCC unroll 10
        for (int k = 0; k < coefficients; ++k) {
            const double c = piece.b[k];
            largest = std::max(largest, std::fabs(c));
            certain = certain && std::fabs(c) > piece.rounding;
            allClear = allClear && std::fabs(c) > clearOfZero * piece.rounding;
            if (k > 0 && (c < 0) != (piece.b[k - 1] < 0)) ++changes;
        }
        if (certain && changes == 0 && allClear) continue;  // no root, and far from zero
        const bool endsClear = std::fabs(piece.b[0]) > clearOfZero * piece.rounding &&
                               std::fabs(piece.b[degree]) > clearOfZero * piece.rounding;
        if (certain && changes == 1 && endsClear) {
            // exactly one root, a simple one (Descartes' rule of signs in the Bernstein basis)
            if (rootCount == degree) return CubicAnswer::declined;
            roots[rootCount++] = piece.lo + rootBetween(piece.b) * (piece.hi - piece.lo);
            continue;
        }
        if (piece.depth == maxDepth) return CubicAnswer::declined;
        // the two parts, by de Casteljau at splitAt; each level adds at most two roundings of the largest
        Interval left, right;
        double q[coefficients];
        for (int k = 0; k < coefficients; ++k) q[k] = piece.b[k];
        left.b[0] = q[0];
        right.b[degree] = q[degree];
#pragma GCC unroll 9
        for (int j = 1; j < coefficients; ++j) {
#pragma GCC unroll 9
            for (int k = 0; k + j < coefficients; ++k) q[k] = (1 - splitAt) * q[k] + splitAt * q[k + 1];
            left.b[j] = q[0];
            right.b[degree - j] = q[degree - j];
        }
        const double middle = piece.lo + splitAt * (piece.hi - piece.lo);
        left.lo = piece.lo;
        left.hi = right.lo = middle;
        right.hi = piece.hi;
        left.rounding = right.rounding = piece.rounding + 2 * degree * unitRoundoff * largest;
        left.depth = right.depth = piece.depth + 1;
        stack[waiting++] = right;
        stack[waiting++] = left;
    }

    // each root's point on the second cubic, polished as the clipping polishes its crossings
    double largestCoefficient = 0;
    for (const Curve* c : {&a, &b}) {
        for (int i = 0; i < 4; ++i) {
            largestCoefficient =
                std::max({largestCoefficient, std::fabs(c->position.xy[i][0]), std::fabs(c->position.xy[i][1])});
        }
    }
    const double moved = unitRoundoff * largestCoefficient;
    Candidate crossings[degree];
    int crossingCount = 0;
    for (int i = 0; i < rootCount; ++i) {
        work.used += rootWork;
        const double root = roots[i];
        double s;
        if (!parameterAt(b, pointAt(a, root), s)) return CubicAnswer::declined;
        if (!(s >= -farBeyond && s <= 1 + farBeyond)) continue;  // past the second cubic's ends
        double t = root;
        if (!newtonCrossing(a, b, t, s) || std::fabs(t - root) > polishReach) return CubicAnswer::declined;
        if (s < -endMargin || s > 1 + endMargin) continue;
        if (s < endMargin || s > 1 - endMargin || t < endMargin || t > 1 - endMargin) return CubicAnswer::declined;
        Vec pa, pb, va, vb;
        pointAndVelocity(a.position, a.velocity, t, pa.x, pa.y, va.x, va.y);
        pointAndVelocity(b.position, b.velocity, s, pb.x, pb.y, vb.x, vb.y);
        if (pointsApart(pa, pb) > tolerance) return CubicAnswer::declined;  // (the points as pointAt gives them)
        const double parting = std::fabs(cross(va, vb));
        const double la = length(va), lb = length(vb);
        if (!(parting >= transversalSine * la * lb)) return CubicAnswer::declined;
        if (!(moved * std::max(la, lb) <= crossingSpread * parting)) return CubicAnswer::declined;
        crossings[crossingCount++] = Candidate{t, s, false};
    }
    // in order (at most 9: insertion)
    for (int i = 1; i < crossingCount; ++i) {
        for (int j = i; j > 0 && parameterOrder(crossings[j], crossings[j - 1]); --j) {
            std::swap(crossings[j], crossings[j - 1]);
        }
    }
    for (int i = 1; i < crossingCount; ++i) {
        if (crossings[i].t - crossings[i - 1].t < apartCrossings) return CubicAnswer::declined;
    }
    found.insert(found.end(), crossings, crossings + crossingCount);
    return CubicAnswer::answered;
}

}  // namespace exactmode
