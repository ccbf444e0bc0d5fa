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

// a + b where |a| >= |b| or a is zero
Twofold quickSum(double a, double b) {
    const double s = a + b;
    return {s, b - (s - a)};
}

// the upper and lower halves of a's significand (Dekker's split, 27 bits each)
void split(double a, double& hi, double& lo) {
    const double t = 134217729.0 * a;  // 2^27 + 1
    hi = t - (t - a);
    lo = a - hi;
}

// The smallest sum of magnitudes of the two products the orientation trusts double with: far above the
// normal range's floor, so that what a product loses below it is nothing beside the bound.
constexpr double orientationFilterFloor = 0x1p-900;

// Intervals the root finder looks at, at most: 50 levels of at most 31 live intervals, with room.
constexpr int rootIntervalBudget = 4096;

}  // namespace

Twofold twofoldSum(double a, double b) {
    const double s = a + b;
    const double bb = s - a;
    return {s, (a - (s - bb)) + (b - bb)};
}

Twofold twofoldDifference(double a, double b) { return twofoldSum(a, -b); }

Twofold twofoldProduct(double a, double b) {
    const double p = a * b;
    double ah, al, bh, bl;
    split(a, ah, al);
    split(b, bh, bl);
    return {p, ((ah * bh - p) + ah * bl + al * bh) + al * bl};
}

Twofold operator+(Twofold a, Twofold b) {
    Twofold s = twofoldSum(a.hi, b.hi);
    const Twofold t = twofoldSum(a.lo, b.lo);
    s.lo += t.hi;
    s = quickSum(s.hi, s.lo);
    s.lo += t.lo;
    return quickSum(s.hi, s.lo);
}

Twofold operator-(Twofold a, Twofold b) { return a + Twofold{-b.hi, -b.lo}; }

Twofold operator*(Twofold a, Twofold b) {
    Twofold p = twofoldProduct(a.hi, b.hi);
    p.lo += a.hi * b.lo + a.lo * b.hi;
    return quickSum(p.hi, p.lo);
}

Twofold operator/(Twofold a, Twofold b) {
    const double q1 = a.hi / b.hi;
    Twofold r = a - b * Twofold{q1, 0};
    const double q2 = r.hi / b.hi;
    r = r - b * Twofold{q2, 0};
    const double q3 = r.hi / b.hi;
    return quickSum(q1, q2) + Twofold{q3, 0};
}

int signOf(Twofold a) {
    const double v = a.hi != 0 ? a.hi : a.lo;
    return v > 0 ? 1 : (v < 0 ? -1 : 0);
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

// the derivative of the polynomial with Bernstein coefficients c at t, in double (for Newton steps)
double slopeAt(const Twofold* c, int degree, double t) {
    if (degree == 0) return 0;
    double d[32];
    for (int i = 0; i < degree; ++i) d[i] = degree * ((c[i + 1].hi - c[i].hi) + (c[i + 1].lo - c[i].lo));
    for (int j = 1; j < degree; ++j) {
        for (int k = 0; k < degree - j; ++k) d[k] = (1 - t) * d[k] + t * d[k + 1];
    }
    return d[0];
}

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

// The one root in the open interval (a, b), where the polynomial runs from the sign `first` to the other:
// Newton's method kept inside a shrinking bracket, halving where a step would leave it.
double refineSimpleRoot(const Twofold* c, int degree, double a, double b, int first) {
    double lo = a;  // the polynomial has the sign `first` just right of lo, the other just left of hi
    double hi = b;
    double x = 0.5 * (a + b);
    double best = x;
    double bestValue = INFINITY;
    for (int i = 0; i < 200; ++i) {
        const Twofold f = bernsteinAt(c, degree, x);
        const int s = signOf(f);
        if (s == 0) return x;
        if (std::fabs(f.hi) < bestValue) {
            bestValue = std::fabs(f.hi);
            best = x;
        }
        (s == first ? lo : hi) = x;
        const double mid = 0.5 * (lo + hi);
        if (!(mid > lo && mid < hi)) break;  // neighbouring doubles
        const double slope = slopeAt(c, degree, x);
        double next = slope != 0 ? x - (f.hi + f.lo) / slope : mid;
        if (!(next > lo && next < hi)) next = mid;
        if (next == x) break;
        x = next;
    }
    return best;
}

// An interval [a, b] with the polynomial's Bernstein coefficients on it (in double-double, or exactly
// when `exact`, all multiplied by one power of two); or, where a == b, a root exactly at a subdivision
// point, of the multiplicity `zeros`, waiting for the roots left of it to be reported.
struct RootInterval {
    double a;
    double b;
    int zeros;
    bool exact;
    Twofold c[32];
    std::vector<BigInteger> e;
};

int signChanges(const std::vector<BigInteger>& e) {
    int changes = 0;
    int last = 0;
    for (const BigInteger& v : e) {
        const int s = v.sign();
        if (s == 0) continue;
        if (last != 0 && s != last) ++changes;
        last = s;
    }
    return changes;
}

// the exact coefficients on both halves of e's interval, both multiplied by 2^degree
void splitExact(const std::vector<BigInteger>& e, std::vector<BigInteger>& left, std::vector<BigInteger>& right) {
    const size_t n = e.size() - 1;
    std::vector<BigInteger> q = e;
    left.assign(e.size(), BigInteger());
    right.assign(e.size(), BigInteger());
    left[0] = shiftedLeft(e[0], static_cast<int>(n));
    right[n] = shiftedLeft(e[n], static_cast<int>(n));
    for (size_t j = 1; j <= n; ++j) {
        // level j holds 2^j times the de Casteljau points
        for (size_t k = 0; k + j <= n; ++k) q[k] = q[k] + q[k + 1];
        left[j] = shiftedLeft(q[0], static_cast<int>(n - j));
        right[n - j] = shiftedLeft(q[n - j], static_cast<int>(n - j));
    }
}

// the exact coefficients on [a, b], reached from [0, 1] by halving
void exactOn(const std::vector<BigInteger>& whole, double a, double b, std::vector<BigInteger>& out) {
    out = whole;
    double lo = 0, hi = 1;
    std::vector<BigInteger> left, right;
    while ((lo != a || hi != b) && hi - lo > b - a) {
        const double m = 0.5 * (lo + hi);
        splitExact(out, left, right);
        if (a < m) {
            out.swap(left);
            hi = m;
        } else {
            out.swap(right);
            lo = m;
        }
    }
}

int firstSign(const Twofold* c, int degree) {
    for (int i = 0; i <= degree; ++i) {
        if (signOf(c[i]) != 0) return signOf(c[i]);
    }
    return 0;
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

}  // namespace

void bernsteinRoots(const Twofold* c, int degree, double noise, const ExactCoefficients& exact,
                    std::vector<PolynomialRoot>& roots) {
    roots.clear();
    std::vector<BigInteger> whole;  // the exact coefficients on [0, 1], once needed
    const auto haveExact = [&]() {
        if (whole.empty() && exact) exact(whole);
        return !whole.empty();
    };
    const auto uncertain = [&](const Twofold& v) { return std::fabs(v.hi) <= noise; };

    // roots at the ends: coefficients that are zero there, counted exactly where in doubt
    int leading = 0;
    int trailing = 0;
    bool doubtful = false;
    for (int i = 0; i <= degree; ++i) doubtful = doubtful || uncertain(c[i]);
    if (doubtful && haveExact()) {
        while (leading <= degree && whole[static_cast<size_t>(leading)].sign() == 0) ++leading;
        if (leading > degree) return;  // the zero polynomial
        while (whole[static_cast<size_t>(degree - trailing)].sign() == 0) ++trailing;
    } else {
        while (leading <= degree && signOf(c[leading]) == 0) ++leading;
        if (leading > degree) return;
        while (signOf(c[degree - trailing]) == 0) ++trailing;
    }
    if (leading > 0) roots.push_back({0, leading, false});

    // depth first, left before right, so that the roots come out in order
    std::vector<RootInterval> stack(1);
    stack[0].a = 0;
    stack[0].b = 1;
    stack[0].zeros = 0;
    stack[0].exact = false;
    for (int i = 0; i <= degree; ++i) stack[0].c[i] = c[i];
    int budget = rootIntervalBudget;
    const Twofold half{0.5, 0};
    while (!stack.empty() && budget-- > 0) {
        RootInterval piece = std::move(stack.back());
        stack.pop_back();
        if (piece.a == piece.b) {
            roots.push_back({piece.a, piece.zeros, false});
            continue;
        }
        if (!piece.exact) {
            // a coefficient within the noise of zero: this interval again, exactly
            bool doubt = false;
            for (int i = 0; i <= degree; ++i) doubt = doubt || uncertain(piece.c[i]);
            if (doubt && haveExact()) {
                exactOn(whole, piece.a, piece.b, piece.e);
                piece.exact = true;
            }
        }
        const int changes = piece.exact ? signChanges(piece.e) : signChanges(piece.c, degree);
        if (changes == 0) continue;
        if (changes == 1) {
            // exactly one root inside, and a simple one
            int first = 0;
            if (piece.exact) {
                for (const BigInteger& v : piece.e) {
                    if (first == 0) first = v.sign();
                }
            } else {
                first = firstSign(piece.c, degree);
            }
            roots.push_back({refineSimpleRoot(c, degree, piece.a, piece.b, first), 1, false});
            continue;
        }
        const double m = 0.5 * (piece.a + piece.b);
        if (piece.b - piece.a <= rootResolution || m <= piece.a || m >= piece.b) {
            // a cluster the subdivision cannot separate: one root of the cluster's multiplicity, placed
            // where the derivative of one order less changes sign (a simple root there for an exact
            // multiple root)
            roots.push_back({clusterCentre(c, degree, changes, piece.a, piece.b), changes, true});
            continue;
        }
        RootInterval left;
        RootInterval right;
        left.zeros = right.zeros = 0;
        left.a = piece.a;
        left.b = right.a = m;
        right.b = piece.b;
        left.exact = right.exact = piece.exact;
        int zeros = 0;
        if (piece.exact) {
            splitExact(piece.e, left.e, right.e);
            while (zeros <= degree && right.e[static_cast<size_t>(zeros)].sign() == 0) ++zeros;
        } else {
            Twofold q[32];
            for (int i = 0; i <= degree; ++i) q[i] = piece.c[i];
            left.c[0] = q[0];
            right.c[degree] = q[degree];
            for (int j = 1; j <= degree; ++j) {
                for (int k = 0; k <= degree - j; ++k) q[k] = (q[k] + q[k + 1]) * half;
                left.c[j] = q[0];
                right.c[degree - j] = q[degree - j];
            }
            if (uncertain(right.c[0]) && haveExact()) {
                // the value at m in doubt: both halves exactly, so that a root exactly at m shows as zeros
                exactOn(whole, piece.a, piece.b, piece.e);
                splitExact(piece.e, left.e, right.e);
                left.exact = right.exact = true;
                while (zeros <= degree && right.e[static_cast<size_t>(zeros)].sign() == 0) ++zeros;
            } else {
                while (zeros <= degree && signOf(right.c[zeros]) == 0) ++zeros;
            }
        }
        // the right half waits below a root exactly at m (its first coefficients are zero), which waits
        // below the left half
        stack.push_back(std::move(right));
        if (zeros > 0) {
            RootInterval marker;
            marker.a = marker.b = m;
            marker.zeros = zeros;
            marker.exact = false;
            stack.push_back(std::move(marker));
        }
        stack.push_back(std::move(left));
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
    std::vector<double> turns;
    if (degree >= 2) {
        // the derivative's Bernstein coefficients, up to the positive factor degree, exactly
        Twofold d[32];
        for (int i = 0; i < degree; ++i) d[i] = twofoldDifference(c[i + 1], c[i]);
        double largest = 0;
        for (int i = 0; i < degree; ++i) largest = std::max(largest, std::fabs(d[i].hi));
        const ExactCoefficients exact = [&](std::vector<BigInteger>& differences) {
            int low = 0;
            bool any = false;
            for (int i = 0; i <= degree; ++i) {
                if (c[i] == 0) continue;
                low = any ? std::min(low, lowestBitExponent(c[i])) : lowestBitExponent(c[i]);
                any = true;
            }
            differences.clear();
            for (int i = 0; i < degree; ++i) {
                differences.push_back(exactInteger(c[i + 1], low) - exactInteger(c[i], low));
            }
        };
        std::vector<PolynomialRoot> roots;
        bernsteinRoots(d, degree - 1, std::ldexp(largest, -95), exact, roots);
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
