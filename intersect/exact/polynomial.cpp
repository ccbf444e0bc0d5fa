#include "intersect/exact/polynomial.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace exactmode {

namespace {

// binomial coefficients C(n, k) for n up to 31, exact in double
struct Binomials {
    double c[32][32];
    Binomials() {
        for (int n = 0; n < 32; ++n) {
            for (int k = 0; k < 32; ++k) c[n][k] = 0;
            c[n][0] = c[n][n] = 1;
            for (int k = 1; k < n; ++k) c[n][k] = c[n - 1][k - 1] + c[n - 1][k];
        }
    }
};
const Binomials binomials;

// The smallest sum of magnitudes of the two products the orientation trusts double with: far above the
// normal range's floor, so that what a product loses below it is nothing beside the bound.
constexpr double orientationFilterFloor = 0x1p-900;

// Intervals the root finder looks at, at most: 50 levels of at most 31 live intervals, with room.
constexpr int rootIntervalBudget = 4096;

}  // namespace

Twofold operator/(Twofold a, Twofold b) {
    const double q1 = a.hi / b.hi;
    Twofold r = a - b * Twofold{q1, 0};
    const double q2 = r.hi / b.hi;
    r = r - b * Twofold{q2, 0};
    const double q3 = r.hi / b.hi;
    return quickSum(q1, q2) + Twofold{q3, 0};
}

int orientation(double ax, double ay, double bx, double by, double cx, double cy) {
    // First in double: with u the unit roundoff (DBL_EPSILON / 2), the rounded differences and products
    // give p and q each within (3u + 3u^2 + u^3) of their magnitude of the true products, and rounding
    // their difference keeps its sign; so a computed value further from zero than 4u (|p| + |q|) has the
    // true sign. Sums that overflow, or small enough that a product may have lost bits below the normal
    // range, go on to the exact sum, as does everything nearer zero.
    {
        const double p = (bx - ax) * (cy - ay);
        const double q = (by - ay) * (cx - ax);
        const double magnitude = std::fabs(p) + std::fabs(q);
        const double value = p - q;
        if (magnitude >= orientationFilterFloor && magnitude <= DBL_MAX &&
            std::fabs(value) > 2 * DBL_EPSILON * magnitude) {
            return value > 0 ? 1 : -1;
        }
    }
    // (b - a) and (c - a) exactly as two doubles each; the cross product is then a sum of sixteen exact
    // products, summed without rounding into an expansion whose largest part carries the sign
    const Twofold ux = twofoldDifference(bx, ax);
    const Twofold uy = twofoldDifference(by, ay);
    const Twofold vx = twofoldDifference(cx, ax);
    const Twofold vy = twofoldDifference(cy, ay);
    double terms[16];
    int count = 0;
    const double u1[2] = {ux.hi, ux.lo};
    const double u2[2] = {uy.hi, uy.lo};
    const double v1[2] = {vx.hi, vx.lo};
    const double v2[2] = {vy.hi, vy.lo};
    for (int i = 0; i < 2; ++i) {
        for (int j = 0; j < 2; ++j) {
            const Twofold p = twofoldProduct(u1[i], v2[j]);
            const Twofold q = twofoldProduct(u2[i], v1[j]);
            terms[count++] = p.hi;
            terms[count++] = p.lo;
            terms[count++] = -q.hi;
            terms[count++] = -q.lo;
        }
    }
    // grow an expansion (components in increasing magnitude, none overlapping) one term at a time
    double expansion[17];
    int length = 0;
    for (int k = 0; k < count; ++k) {
        double q = terms[k];
        int kept = 0;
        for (int i = 0; i < length; ++i) {
            const Twofold s = twofoldSum(q, expansion[i]);
            q = s.hi;
            if (s.lo != 0) expansion[kept++] = s.lo;
        }
        if (q != 0) expansion[kept++] = q;
        length = kept;
    }
    if (length == 0) return 0;
    return expansion[length - 1] > 0 ? 1 : -1;
}

Twofold bernsteinAt(const Twofold* c, int degree, double t) {
    if (degree == 0) return c[0];
    // sum of C(n, i) c_i u^i with u = t / (1 - t), times (1 - t)^n; from the other end past the middle
    const bool nearStart = t <= 0.5;
    const Twofold w = nearStart ? twofoldDifference(1, t) : Twofold{t, 0};
    const Twofold v = nearStart ? Twofold{t, 0} : twofoldDifference(1, t);
    const Twofold u = v / w;
    const double* binomial = binomials.c[degree];
    Twofold sum = c[nearStart ? degree : 0] * Twofold{binomial[degree], 0};
    for (int k = degree - 1; k >= 0; --k) {
        const int i = nearStart ? k : degree - k;
        sum = sum * u + c[i] * Twofold{binomial[i], 0};
    }
    Twofold f = w;
    for (int i = 1; i < degree; ++i) f = f * w;
    return sum * f;
}

namespace {

// Half a unit in the last place of 1: a rounded sum or product is within this share of its magnitude.
constexpr double roundingUnit = DBL_EPSILON / 2;
// What one operation can lose where its result is below the normal range, at most.
constexpr double subnormalStep = 0x1p-1074;
// Coefficients larger than this are not subdivided in double (so that no sum overflows).
constexpr double plainLimit = 0x1p1000;

int signChanges(const Twofold* c, int degree) {
    int changes = 0;
    int last = 0;
    for (int i = 0; i <= degree; ++i) {
        const int s = signOf(c[i]);
        if (s == 0) continue;
        if (last != 0 && s != last) ++changes;
        last = s;
    }
    return changes;
}

int signChanges(const BigInteger* e, int degree) {
    int changes = 0;
    int last = 0;
    for (int i = 0; i <= degree; ++i) {
        const int s = e[i].sign();
        if (s == 0) continue;
        if (last != 0 && s != last) ++changes;
        last = s;
    }
    return changes;
}

int firstSign(const Twofold* c, int degree) {
    for (int i = 0; i <= degree; ++i) {
        if (signOf(c[i]) != 0) return signOf(c[i]);
    }
    return 0;
}

int firstSign(const BigInteger* e, int degree) {
    for (int i = 0; i <= degree; ++i) {
        if (e[i].sign() != 0) return e[i].sign();
    }
    return 0;
}

// Coefficients in double, d[i] within e[i] of the true ones: the sign changes of the true coefficients, or
// -1 where a coefficient is too near zero for its sign to be certain.
int plainSignChanges(const double* d, const double* e, int degree) {
    int changes = 0;
    int last = 0;
    for (int i = 0; i <= degree; ++i) {
        if (!(std::fabs(d[i]) > e[i])) return -1;
        const int s = d[i] > 0 ? 1 : -1;
        if (last != 0 && s != last) ++changes;
        last = s;
    }
    return changes;
}

// The coefficients of both halves of the interval of d, in double, with bounds on their errors: each
// midpoint (p + q) / 2 is rounded once (halving is exact above the subnormal range), so its error is at
// most the mean of p's and q's plus a rounding unit of its magnitude; the factor 1 + 8u and the subnormal
// steps keep the bound itself (rounded four times, each time by at most a factor 1 - u) above that.
void splitPlain(const double* d, const double* e, int n, double* leftD, double* leftE, double* rightD, double* rightE) {
    double q[32], qe[32];
    for (int i = 0; i <= n; ++i) {
        q[i] = d[i];
        qe[i] = e[i];
    }
    leftD[0] = q[0];
    leftE[0] = qe[0];
    rightD[n] = q[n];
    rightE[n] = qe[n];
    for (int j = 1; j <= n; ++j) {
        for (int k = 0; k <= n - j; ++k) {
            const double v = 0.5 * (q[k] + q[k + 1]);
            qe[k] =
                (0.5 * (qe[k] + qe[k + 1]) + roundingUnit * std::fabs(v)) * (1 + 8 * roundingUnit) + 4 * subnormalStep;
            q[k] = v;
        }
        leftD[j] = q[0];
        leftE[j] = qe[0];
        rightD[n - j] = q[n - j];
        rightE[n - j] = qe[n - j];
    }
}

Twofold halved(Twofold v) { return {0.5 * v.hi, 0.5 * v.lo}; }

// the double-double coefficients on both halves of c's interval
void splitTwofold(const Twofold* c, int n, Twofold* left, Twofold* right) {
    Twofold q[32];
    for (int i = 0; i <= n; ++i) q[i] = c[i];
    left[0] = q[0];
    right[n] = q[n];
    for (int j = 1; j <= n; ++j) {
        for (int k = 0; k <= n - j; ++k) q[k] = halved(q[k] + q[k + 1]);
        left[j] = q[0];
        right[n - j] = q[n - j];
    }
}

// the double-double coefficients on [a, b], reached from [0, 1] by halving (at most 52 times: a and b are
// ends of intervals halved from [0, 1])
void twofoldOn(const Twofold* whole, int n, double a, double b, Twofold* out) {
    for (int i = 0; i <= n; ++i) out[i] = whole[i];
    double lo = 0, hi = 1;
    Twofold left[32], right[32];
    while ((lo != a || hi != b) && hi - lo > b - a) {
        const double m = 0.5 * (lo + hi);
        splitTwofold(out, n, left, right);
        const Twofold* half = a < m ? left : right;
        for (int i = 0; i <= n; ++i) out[i] = half[i];
        (a < m ? hi : lo) = m;
    }
}

// Integers kept per thread for the exact subdivision. Vectors only ever grow, so that their integers keep
// their storage; integers are copied from one to another, never swapped, so that each place in the work
// (an entry of the stack, a half) has storage of its own, grown to what it needed before.
void reserveIntegers(std::vector<BigInteger>& v, int n) {
    if (v.size() < static_cast<size_t>(n)) v.resize(static_cast<size_t>(n));
}

// out[0..n] = from[0..n] (each entry of out keeps its storage, so that the same work repeated allocates nothing)
void copyIntegers(const std::vector<BigInteger>& from, int n, std::vector<BigInteger>& out) {
    reserveIntegers(out, n + 1);
    for (int i = 0; i <= n; ++i) copyInteger(from[static_cast<size_t>(i)], out[static_cast<size_t>(i)]);
}

// the exact coefficients on both halves of e's interval, both multiplied by 2^degree (q: room for n + 1)
void splitExact(const BigInteger* e, int n, BigInteger* left, BigInteger* right, BigInteger* q) {
    for (int i = 0; i <= n; ++i) copyInteger(e[i], q[i]);
    shiftLeft(e[0], n, left[0]);
    shiftLeft(e[n], n, right[n]);
    for (int j = 1; j <= n; ++j) {
        // level j holds 2^j times the de Casteljau points
        for (int k = 0; k + j <= n; ++k) add(q[k], q[k + 1], q[k]);
        shiftLeft(q[0], n - j, left[j]);
        shiftLeft(q[n - j], n - j, right[n - j]);
    }
}

// An interval [a, b] with the polynomial's Bernstein coefficients on it, in the arithmetic `kind`: in double
// with bounds on their errors, in double-double, or exactly (all multiplied by one power of two); or, where
// a == b, a root exactly at a subdivision point, of the multiplicity `zeros`, waiting for the roots left of
// it to be reported.
enum class Arithmetic { plain, twofold, exact };

struct RootInterval {
    double a;
    double b;
    int zeros;
    Arithmetic kind;
    double d[32];
    double e[32];
    Twofold c[32];
    std::vector<BigInteger> exact;  // (at least degree + 1 entries when kind is exact)
};

// Working storage of the root finder, kept per thread: the stack of intervals (depth first: at most three
// entries per level of halving, 52 levels) and the exact coefficients it works with.
struct RootScratch {
    std::vector<RootInterval> stack;
    std::vector<BigInteger> whole;  // on [0, 1], once made
    std::vector<BigInteger> piece;  // on the interval at hand
    std::vector<BigInteger> left;
    std::vector<BigInteger> right;
    std::vector<BigInteger> q;
    std::vector<BigInteger> onLeft;  // for reaching an interval from [0, 1]
    std::vector<BigInteger> onRight;
    // the interval at hand and its halves, in double and double-double
    double d[32], e[32], leftD[32], leftE[32], rightD[32], rightE[32];
    Twofold c[32], leftC[32], rightC[32];
};

thread_local RootScratch rootScratch;

// the exact coefficients on [a, b], reached from [0, 1] by halving, into s.piece
void exactOn(RootScratch& s, int n, double a, double b) {
    for (int i = 0; i <= n; ++i) copyInteger(s.whole[static_cast<size_t>(i)], s.piece[static_cast<size_t>(i)]);
    double lo = 0, hi = 1;
    while ((lo != a || hi != b) && hi - lo > b - a) {
        const double m = 0.5 * (lo + hi);
        splitExact(s.piece.data(), n, s.onLeft.data(), s.onRight.data(), s.q.data());
        copyIntegers(a < m ? s.onLeft : s.onRight, n, s.piece);
        (a < m ? hi : lo) = m;
    }
}

// The polynomial with coefficients g in double at x, and its slope there (de Casteljau).
double plainAt(const double* g, int n, double x, double& slope) {
    if (n <= 0) {
        slope = 0;
        return g[0];
    }
    double q[32];
    q[0] = g[0];
    q[1] = g[1];
    for (int i = 2; i <= n; ++i) q[i] = g[i];
    const double w = 1 - x;
    slope = n * (g[1] - g[0]);
    for (int j = 1; j <= n; ++j) {
        for (int k = 0; k <= n - j; ++k) q[k] = w * q[k] + x * q[k + 1];
        if (j == n - 1) slope = n * (q[1] - q[0]);
    }
    return q[0];
}

// The polynomial rounded to double for Newton steps, and a bound on the error of its value computed by
// plainAt: each de Casteljau value carries three roundings per level (of 1 - x, a product and the sum),
// so the computed value is within gamma(3n) < (3n + 1) u of the sum of |g_i| times the basis, at most
// the largest |g_i|; to that the coefficients' own errors, and what products below the normal range lose.
struct PlainPolynomial {
    bool usable = false;
    double g[32];
    double bound = 0;
};

// The polynomial in double-double, with its derivative's coefficients (up to the factor degree), for
// Newton steps: the slope from the polynomial in double where that is certain to a thousandth (its two
// values at the last de Casteljau level are each within the plain bound), otherwise from the
// derivative's double-double coefficients, which keep their digits where the coefficients cancel.
struct TwofoldPolynomial {
    const Twofold* c;
    int degree;
    const PlainPolynomial& plain;
    Twofold differences[32];

    TwofoldPolynomial(const Twofold* coefficients, int n, const PlainPolynomial& rounded)
        : c(coefficients), degree(n), plain(rounded) {
        for (int i = 0; i < n; ++i) differences[i] = c[i + 1] - c[i];
    }
    double slopeAt(double x) const {
        if (degree == 0) return 0;
        if (plain.usable) {
            double slope;
            plainAt(plain.g, degree, x, slope);
            if (std::fabs(slope) > 2048.0 * degree * plain.bound) return slope;
        }
        const Twofold d = bernsteinAt(differences, degree - 1, x);
        return degree * (d.hi + d.lo);
    }
};

// Newton's step from x within the bracket (lo, hi), or the bracket's middle where the step would leave it
// or does not halve the previous one (progress too slow: a slope too small, or rounded away), so that the
// bracket halves at least every second step. lastStep: the previous step's length, updated.
double safeguardedStep(double x, double step, double lo, double hi, double& lastStep) {
    const double length = std::fabs(step - x);
    if (step > lo && step < hi && !(length > 0.5 * lastStep)) {
        lastStep = length;
        return step;
    }
    lastStep = 0.5 * (hi - lo);
    return 0.5 * (lo + hi);
}

// A bracket around the one root in the open interval (lo, hi), where the polynomial runs from the sign
// `first` to the other, narrowed by double-double values, with the point of the smallest value seen.
struct RootBracket {
    const TwofoldPolynomial& p;
    int first;
    double lo;  // the polynomial has the sign `first` just right of lo, the other just left of hi
    double hi;
    double best;
    double lastStep;
    double bestValue = INFINITY;
    Twofold value{};  // at the last x
    double slope = 0;

    // The value at x, which narrows the bracket; its sign (0: x is the root). `closed` where the bracket
    // is down to neighbouring doubles; otherwise `step` is Newton's step from x and `next` the point to
    // go to (safeguardedStep).
    int narrow(double x, double& step, double& next, bool& closed) {
        const Twofold f = bernsteinAt(p.c, p.degree, x);
        value = f;
        const int s = signOf(f);
        if (s == 0) return 0;
        if (std::fabs(f.hi) < bestValue) {
            bestValue = std::fabs(f.hi);
            best = x;
        }
        (s == first ? lo : hi) = x;
        const double mid = 0.5 * (lo + hi);
        closed = !(mid > lo && mid < hi);
        if (closed) return s;
        slope = p.slopeAt(x);
        step = slope != 0 ? x - (f.hi + f.lo) / slope : mid;
        next = safeguardedStep(x, step, lo, hi, lastStep);
        return s;
    }
};

// The root in (a, b) placed by double-double values alone, from the middle: Newton's steps kept inside
// the bracket (safeguardedStep) down to neighbouring doubles or a step that would stay where it is; the
// point of the smallest value seen. (Up to 200 values; the bracket halves at least every second one.)
double middleRoot(const TwofoldPolynomial& p, double a, double b, int first) {
    RootBracket bracket{p, first, a, b, 0.5 * (a + b), b - a};
    double x = bracket.best;
    for (int i = 0; i < 200; ++i) {
        double step = 0, next = 0;
        bool closed = false;
        if (bracket.narrow(x, step, next, closed) == 0) return x;
        if (closed || next == x) break;
        x = next;
    }
    return bracket.best;
}

// The one root in the open interval (a, b), where the polynomial runs from the sign `first` to the other:
// Newton's method from `start` kept inside a shrinking bracket (safeguardedStep), in double while the
// value's sign is certain there, then in double-double until a step is below rounding; the root is then
// within a unit of x, and of x and its neighbour on the root's side the one with the smaller value is
// taken. Where the value changes by less than the noise across that unit (roots closer together than the
// noise resolves), the root is placed from the middle of (a, b) instead (middleRoot), so that where it
// lands among the doubles there does not depend on the start. (At most 200 values in all, and once more
// that many from the middle.)
double refineSimpleRoot(const TwofoldPolynomial& p, const PlainPolynomial& plain, double noise, double a, double b,
                        int first, double start) {
    double lo = a;  // the polynomial has the sign `first` just right of lo, the other just left of hi
    double hi = b;
    double x = start > a && start < b ? start : 0.5 * (a + b);
    double lastStep = b - a;
    int i = 0;
    if (plain.usable) {
        for (; i < 200; ++i) {
            double slope;
            const double f = plainAt(plain.g, p.degree, x, slope);
            if (!(std::fabs(f) > plain.bound)) break;  // the sign is not certain in double
            (f > 0 ? 1 : -1) == first ? lo = x : hi = x;
            const double mid = 0.5 * (lo + hi);
            if (!(mid > lo && mid < hi)) break;  // neighbouring doubles
            const double step = slope != 0 ? x - f / slope : mid;
            if (step == x) break;  // a step below rounding: on in double-double from here
            x = safeguardedStep(x, step, lo, hi, lastStep);
        }
    }
    RootBracket bracket{p, first, lo, hi, x, lastStep};
    for (; i < 200; ++i) {
        double step = 0, next = 0;
        bool closed = false;
        const int s = bracket.narrow(x, step, next, closed);
        if (s == 0) return x;
        if (closed) break;
        if (step == x) {
            const double beside = std::nextafter(x, s == first ? bracket.hi : bracket.lo);
            const double change = std::fabs(bracket.slope) * std::fabs(beside - x);  // across the unit
            if (change <= 4 * noise) return middleRoot(p, a, b, first);
            // the root is about |f / slope| from x: the neighbour is nearer only where that is near half a unit
            const double f = std::fabs(bracket.value.hi + bracket.value.lo);
            if (f > 0.25 * change && beside > bracket.lo && beside < bracket.hi) {
                const Twofold g = bernsteinAt(p.c, p.degree, beside);
                if (signOf(g) == 0 || std::fabs(g.hi) < bracket.bestValue) return beside;
            }
            break;
        }
        x = next;
    }
    return bracket.best;
}

// Where the control polygon of the coefficients d on [a, b] (one sign change) crosses zero: a start for
// Newton's method near the root.
double polygonCrossing(const double* d, int n, double a, double b) {
    for (int k = 0; k < n; ++k) {
        if ((d[k] > 0) != (d[k + 1] > 0)) {
            const double r = (k + d[k] / (d[k] - d[k + 1])) / n;
            return a + (b - a) * r;
        }
    }
    return 0.5 * (a + b);
}

// Where, near the cluster [a, b] of `count` roots, the derivative of order count - 1 changes sign; the
// middle of [a, b] when it does not change sign across the cluster's neighbourhood.
double clusterCentre(const Twofold* c, int degree, int count, double a, double b) {
    const double m = 0.5 * (a + b);
    if (count > degree) return m;
    Twofold d[32];
    for (int i = 0; i <= degree; ++i) d[i] = c[i];
    for (int order = 1; order < count; ++order) {
        for (int i = 0; i + order <= degree; ++i) d[i] = d[i + 1] - d[i];  // up to a positive factor
    }
    const int rest = degree - (count - 1);
    const double w = b - a;
    double lo = std::max(0.0, a - w);
    double hi = std::min(1.0, b + w);
    const int signLo = signOf(bernsteinAt(d, rest, lo));
    const int signHi = signOf(bernsteinAt(d, rest, hi));
    if (signLo == 0) return lo;
    if (signHi == 0) return hi;
    if (signLo == signHi) return m;
    for (int i = 0; i < 64; ++i) {
        const double mid = 0.5 * (lo + hi);
        if (!(mid > lo && mid < hi)) break;
        const int s = signOf(bernsteinAt(d, rest, mid));
        if (s == 0) return mid;
        (s == signLo ? lo : hi) = mid;
    }
    return 0.5 * (lo + hi);
}

int leadingZeros(const BigInteger* e, int degree) {
    int zeros = 0;
    while (zeros <= degree && e[zeros].sign() == 0) ++zeros;
    return zeros;
}

}  // namespace

void bernsteinRoots(const Twofold* c, int degree, double noise, const ExactCoefficients& exact,
                    std::vector<PolynomialRoot>& roots) {
    roots.clear();
    RootScratch& s = rootScratch;
    const int n = degree;
    bool wholeMade = false;  // the exact coefficients on [0, 1], once needed (and room for the exact work)
    const auto haveExact = [&]() {
        if (!wholeMade && exact) {
            for (std::vector<BigInteger>* v : {&s.whole, &s.piece, &s.left, &s.right, &s.q, &s.onLeft, &s.onRight}) {
                reserveIntegers(*v, n + 1);
            }
            exact(s.whole.data());
            wholeMade = true;
        }
        return wholeMade;
    };
    const auto uncertain = [&](const Twofold& v) { return std::fabs(v.hi) <= noise; };

    // roots at the ends: coefficients that are zero there, counted exactly where in doubt
    int leading = 0;
    int trailing = 0;
    bool doubtful = false;
    for (int i = 0; i <= n; ++i) doubtful = doubtful || uncertain(c[i]);
    if (doubtful && haveExact()) {
        const BigInteger* whole = s.whole.data();
        while (leading <= n && whole[leading].sign() == 0) ++leading;
        if (leading > n) return;  // the zero polynomial
        while (whole[n - trailing].sign() == 0) ++trailing;
    } else {
        while (leading <= n && signOf(c[leading]) == 0) ++leading;
        if (leading > n) return;
        while (signOf(c[n - trailing]) == 0) ++trailing;
    }
    if (leading > 0) roots.push_back({0, leading, false});

    // the coefficients in double with bounds on their errors (noise and what rounding to double loses),
    // where none is so large that a sum of two could overflow
    PlainPolynomial plain;
    double e0[32];
    double largest = 0;
    double largestError = 0;
    plain.usable = std::isfinite(noise);
    for (int i = 0; i <= n; ++i) {
        plain.g[i] = c[i].hi;
        e0[i] = (noise + std::fabs(c[i].lo)) * (1 + 4 * roundingUnit) + subnormalStep;
        plain.usable = plain.usable && std::fabs(c[i].hi) <= plainLimit;
        largest = std::max(largest, std::fabs(c[i].hi));
        largestError = std::max(largestError, e0[i]);
    }
    plain.bound = (largestError + (3 * n + 1) * roundingUnit * largest) * (1 + 4 * roundingUnit) +
                  2 * (n + 1) * (n + 1) * subnormalStep;
    const TwofoldPolynomial polynomial(c, n, plain);

    // depth first, left before right, so that the roots come out in order; the stack's entries keep their
    // storage from one call to the next
    size_t top = 0;
    const auto push = [&]() -> RootInterval& {
        if (top == s.stack.size()) s.stack.emplace_back();
        return s.stack[top++];
    };
    {
        RootInterval& first = push();
        first.a = 0;
        first.b = 1;
        first.zeros = 0;
        first.kind = plain.usable ? Arithmetic::plain : Arithmetic::twofold;
        for (int i = 0; i <= n; ++i) {
            first.d[i] = plain.g[i];
            first.e[i] = e0[i];
            first.c[i] = c[i];
        }
    }
    int budget = rootIntervalBudget;
    while (top > 0 && budget-- > 0) {
        // the interval at hand, taken off the stack (its entry is free for its halves)
        RootInterval& entry = s.stack[--top];
        const double a = entry.a;
        const double b = entry.b;
        if (a == b) {
            roots.push_back({a, entry.zeros, false});
            continue;
        }
        Arithmetic kind = entry.kind;
        double* d = s.d;
        double* e = s.e;
        Twofold* tc = s.c;
        if (kind == Arithmetic::plain) {
            for (int i = 0; i <= n; ++i) {
                d[i] = entry.d[i];
                e[i] = entry.e[i];
            }
        } else if (kind == Arithmetic::twofold) {
            for (int i = 0; i <= n; ++i) tc[i] = entry.c[i];
        } else {
            copyIntegers(entry.exact, n, s.piece);
        }

        int changes = 0;
        if (kind == Arithmetic::plain) {
            changes = plainSignChanges(d, e, n);
            if (changes < 0) {
                // a sign in doubt in double: this interval again in double-double
                kind = Arithmetic::twofold;
                twofoldOn(c, n, a, b, tc);
            }
        }
        if (kind == Arithmetic::twofold) {
            // a coefficient within the noise of zero: this interval again, exactly
            bool doubt = false;
            for (int i = 0; i <= n; ++i) doubt = doubt || uncertain(tc[i]);
            if (doubt && haveExact()) {
                exactOn(s, n, a, b);
                kind = Arithmetic::exact;
            } else {
                changes = signChanges(tc, n);
            }
        }
        if (kind == Arithmetic::exact) changes = signChanges(s.piece.data(), n);
        if (changes == 0) continue;
        if (changes == 1) {
            // exactly one root inside, and a simple one
            const int first = kind == Arithmetic::plain     ? (d[0] > 0 ? 1 : -1)
                              : kind == Arithmetic::twofold ? firstSign(tc, n)
                                                            : firstSign(s.piece.data(), n);
            const double start = kind == Arithmetic::plain ? polygonCrossing(d, n, a, b) : 0.5 * (a + b);
            roots.push_back({refineSimpleRoot(polynomial, plain, noise, a, b, first, start), 1, false});
            continue;
        }
        const double m = 0.5 * (a + b);
        if (b - a <= rootResolution || m <= a || m >= b) {
            // a cluster the subdivision cannot separate: one root of the cluster's multiplicity, placed
            // where the derivative of one order less changes sign (a simple root there for an exact
            // multiple root)
            roots.push_back({clusterCentre(c, n, changes, a, b), changes, true});
            continue;
        }

        // the halves, and the multiplicity of a root exactly at m
        int zeros = 0;
        double* leftD = s.leftD;
        double* leftE = s.leftE;
        double* rightD = s.rightD;
        double* rightE = s.rightE;
        Twofold* leftC = s.leftC;
        Twofold* rightC = s.rightC;
        if (kind == Arithmetic::plain) {
            splitPlain(d, e, n, leftD, leftE, rightD, rightE);
            if (!(std::fabs(rightD[0]) > rightE[0])) {
                // the value at m in doubt in double: the halves in double-double
                kind = Arithmetic::twofold;
                twofoldOn(c, n, a, b, tc);
            }
        }
        if (kind == Arithmetic::twofold) {
            splitTwofold(tc, n, leftC, rightC);
            if (uncertain(rightC[0]) && haveExact()) {
                // the value at m in doubt: both halves exactly, so that a root exactly at m shows as zeros
                exactOn(s, n, a, b);
                kind = Arithmetic::exact;
            } else {
                while (zeros <= n && signOf(rightC[zeros]) == 0) ++zeros;
            }
        }
        if (kind == Arithmetic::exact) {
            splitExact(s.piece.data(), n, s.left.data(), s.right.data(), s.q.data());
            zeros = leadingZeros(s.right.data(), n);
        }
        // the right half waits below a root exactly at m (its first coefficients are zero), which waits
        // below the left half
        for (int side = 1; side >= 0; --side) {
            RootInterval& half = push();
            half.a = side == 0 ? a : m;
            half.b = side == 0 ? m : b;
            half.zeros = 0;
            half.kind = kind;
            const double* hd = side == 0 ? leftD : rightD;
            const double* he = side == 0 ? leftE : rightE;
            const Twofold* hc = side == 0 ? leftC : rightC;
            if (kind == Arithmetic::plain) {
                for (int i = 0; i <= n; ++i) {
                    half.d[i] = hd[i];
                    half.e[i] = he[i];
                }
            } else if (kind == Arithmetic::twofold) {
                for (int i = 0; i <= n; ++i) half.c[i] = hc[i];
            } else {
                copyIntegers(side == 0 ? s.left : s.right, n, half.exact);
            }
            if (side == 1 && zeros > 0) {
                RootInterval& marker = push();
                marker.a = marker.b = m;
                marker.zeros = zeros;
                marker.kind = Arithmetic::twofold;
            }
        }
    }
    if (trailing > 0) roots.push_back({1, trailing, false});
}

long double AxisPolynomial::at(long double t) const {
    if (degree == 0) return c[0];
    // sum of C(n, i) c_i u^i with u = t / (1 - t), times (1 - t)^n; from the other end past the middle
    const bool nearStart = t <= 0.5L;
    const long double w = nearStart ? 1 - t : t;
    const long double u = (nearStart ? t : 1 - t) / w;
    const double* binomial = binomials.c[degree];
    long double sum = static_cast<long double>(binomial[nearStart ? degree : 0]) * c[nearStart ? degree : 0];
    for (int k = degree - 1; k >= 0; --k) {
        const int i = nearStart ? k : degree - k;
        sum = sum * u + static_cast<long double>(binomial[i]) * c[i];
    }
    long double f = 1;
    for (int i = 0; i < degree; ++i) f *= w;
    return sum * f;
}

long double AxisPolynomial::slopeAt(long double t) const {
    if (degree == 0) return 0;
    long double d[32];
    for (int i = 0; i < degree; ++i) d[i] = degree * (static_cast<long double>(c[i + 1]) - c[i]);
    for (int j = 1; j < degree; ++j) {
        for (int k = 0; k < degree - j; ++k) d[k] = (1 - t) * d[k] + t * d[k + 1];
    }
    return d[0];
}

void AxisPolynomial::monotoneRanges(std::vector<MonotoneRange>& out) const {
    out.clear();
    // (storage kept per thread; the root finder's callbacks do not come back here)
    thread_local std::vector<double> turns;
    thread_local std::vector<PolynomialRoot> roots;
    thread_local BigInteger lower;
    turns.clear();
    if (degree >= 2) {
        // the derivative's Bernstein coefficients, up to the positive factor degree, exactly
        Twofold d[32];
        for (int i = 0; i < degree; ++i) d[i] = twofoldDifference(c[i + 1], c[i]);
        double largest = 0;
        for (int i = 0; i < degree; ++i) largest = std::max(largest, std::fabs(d[i].hi));
        const auto differences = [&](BigInteger* exactDifferences) {
            int low = 0;
            bool any = false;
            for (int i = 0; i <= degree; ++i) {
                if (c[i] == 0) continue;
                low = any ? std::min(low, lowestBitExponent(c[i])) : lowestBitExponent(c[i]);
                any = true;
            }
            for (int i = 0; i < degree; ++i) {
                setInteger(exactDifferences[i], c[i + 1], low);
                setInteger(lower, c[i], low);
                subtract(exactDifferences[i], lower, exactDifferences[i]);
            }
        };
        bernsteinRoots(d, degree - 1, std::ldexp(largest, -95), differences, roots);
        // it turns back where the derivative changes sign: at roots of odd multiplicity inside
        for (const PolynomialRoot& r : roots) {
            if (r.t > 0 && r.t < 1 && r.multiplicity % 2 == 1) turns.push_back(r.t);
        }
    }
    double t0 = 0;
    long double v0 = c[0];
    for (size_t i = 0; i <= turns.size(); ++i) {
        const double t1 = i < turns.size() ? turns[i] : 1.0;
        const long double v1 = i < turns.size() ? at(t1) : static_cast<long double>(c[degree]);
        if (t1 > t0) out.push_back({t0, t1, v0, v1});
        t0 = t1;
        v0 = v1;
    }
}

double AxisPolynomial::solveIn(const MonotoneRange& r, long double v) const {
    if (r.v0 == r.v1) return r.t0;
    const long double direction = r.v1 > r.v0 ? 1 : -1;
    if ((v - r.v0) * direction <= 0) return r.t0;
    if ((v - r.v1) * direction >= 0) return r.t1;
    // the value rises with the parameter after multiplying by direction: Newton inside a bracket
    long double lo = r.t0;
    long double hi = r.t1;
    long double x = 0.5L * (lo + hi);
    long double best = x;
    long double bestValue = INFINITY;
    for (int i = 0; i < 200; ++i) {
        const long double g = (at(x) - v) * direction;
        if (g == 0) return static_cast<double>(x);
        if (std::fabs(g) < bestValue) {
            bestValue = std::fabs(g);
            best = x;
        }
        (g < 0 ? lo : hi) = x;
        const long double mid = 0.5L * (lo + hi);
        if (!(mid > lo && mid < hi)) break;
        const long double slope = slopeAt(x) * direction;
        long double next = slope > 0 ? x - g / slope : mid;
        if (!(next > lo && next < hi)) next = mid;
        if (next == x) break;
        x = next;
    }
    return static_cast<double>(best);
}

}  // namespace exactmode
