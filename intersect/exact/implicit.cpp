#include "intersect/exact/implicit.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "intersect/exact/polynomial.h"

namespace exactmode {

namespace {

// twice the signed area of the triangle a, b, c in double-double (the differences exact)
Twofold orientationOf(PointD a, PointD b, PointD c) {
    return twofoldDifference(b.x, a.x) * twofoldDifference(c.y, a.y) -
           twofoldDifference(b.y, a.y) * twofoldDifference(c.x, a.x);
}

long double orientationOf(long double ax, long double ay, PointD b, PointD c) {
    return (b.x - ax) * (c.y - ay) - (b.y - ay) * (c.x - ax);
}

// C(n, k) for n up to 30, exact in double
double chooseOnce(int n, int k) {
    double c = 1;
    for (int i = 1; i <= k; ++i) c = c * (n - k + i) / i;
    return c;
}

// lcm(C(n, 0), ..., C(n, n)) = lcm(1, ..., n + 1) / (n + 1), below 2^53 for n up to 30: multiplied by it,
// a polynomial's Bernstein coefficients of degree n come from its scaled ones without a division
double binomialMultipleOnce(int n) {
    double multiple = 1;
    for (int i = 2; i <= n + 1; ++i) {
        double a = multiple, b = i;
        while (b != 0) {  // Euclid's algorithm: at most about 2 log2(i) + 2 steps
            const double r = std::fmod(a, b);
            a = b;
            b = r;
        }
        multiple = multiple / a * i;
    }
    return multiple / (n + 1);
}

// both of the above for n up to 31, computed once
struct BinomialTables {
    double choose[32][32];
    double multiple[32];
    BinomialTables() {
        for (int n = 0; n < 32; ++n) {
            for (int k = 0; k < 32; ++k) choose[n][k] = k <= n ? chooseOnce(n, k) : 0;
            multiple[n] = n <= 30 ? binomialMultipleOnce(n) : 0;
        }
    }
};
const BinomialTables binomialTables;

double choose(int n, int k) { return binomialTables.choose[n][k]; }
double binomialMultiple(int n) { return binomialTables.multiple[n]; }

// How near the other curve must be, at a parameter read off a point approximately, for the point to be
// its: a billionth of the largest coordinate, far above rounding (a parameter read off a point far out on
// the algebraic curve, beyond the control points, can lose all its digits).
double nearness(const PointD* a, int na, const PointD* b, int nb) {
    double largest = 0;
    for (int i = 0; i < na; ++i) largest = std::max({largest, std::fabs(a[i].x), std::fabs(a[i].y)});
    for (int i = 0; i < nb; ++i) largest = std::max({largest, std::fabs(b[i].x), std::fabs(b[i].y)});
    return 1e-9 * largest;
}

// The roots of the polynomial f of the given degree, whose coefficients are within noise of the exact
// ones that makeExact writes into its argument; false when the polynomial vanishes exactly.
template <class MakeExact>
bool certifiedRoots(const Twofold* f, int degree, double noise, const MakeExact& makeExact,
                    std::vector<PolynomialRoot>& roots) {
    bool vanishes = true;
    for (int k = 0; k <= degree; ++k) vanishes = vanishes && std::fabs(f[k].hi) <= noise;
    if (vanishes) {
        thread_local std::vector<BigInteger> exact;  // grows only, so that its integers keep their storage
        if (exact.size() < static_cast<size_t>(degree + 1)) exact.resize(static_cast<size_t>(degree + 1));
        makeExact(exact.data());
        for (int k = 0; k <= degree; ++k) vanishes = vanishes && exact[static_cast<size_t>(k)].sign() == 0;
        if (vanishes) return false;
    }
    bernsteinRoots(f, degree, noise, makeExact, roots);
    return true;
}

// A point's coordinates as integers (times 2^-low), and the orientation of three such points, exactly,
// in storage kept per thread.
struct IntegerPoint {
    BigInteger x;
    BigInteger y;
    void set(PointD p, int low) {
        setInteger(x, p.x, low);
        setInteger(y, p.y, low);
    }
};

void integerOrientation(const IntegerPoint& a, const IntegerPoint& b, const IntegerPoint& c, BigInteger& out) {
    thread_local BigInteger u, v, first, second;
    subtract(b.x, a.x, u);
    subtract(c.y, a.y, v);
    multiply(u, v, first);
    subtract(b.y, a.y, u);
    subtract(c.x, a.x, v);
    multiply(u, v, second);
    subtract(first, second, out);
}

// out = v * c for a whole number c below 2^53
void multiplyByWhole(const BigInteger& v, double c, BigInteger& out) {
    thread_local BigInteger whole;
    setInteger(whole, c, 0);
    multiply(v, whole, out);
}

}  // namespace

bool intersectWithQuadratic(const PointD* curve, int n, const PointD* quadratic,
                            std::vector<MeetingParameters>& meetings) {
    meetings.clear();
    const PointD p0 = quadratic[0], p1 = quadratic[1], p2 = quadratic[2];
    // A point's barycentric coordinates in the triangle of the quadratic's control points, times twice
    // its area: a0, a1, a2. On the quadratic at s they are proportional to (1 - s)^2, 2 s (1 - s), s^2,
    // so a1^2 - 4 a0 a2 vanishes there, and only on the parabola through it. Along the curve each is a
    // polynomial with the values at its control points as Bernstein coefficients.
    const int d = n - 1;
    Twofold a0[16], a1[16], a2[16];
    for (int i = 0; i < n; ++i) {
        a0[i] = orientationOf(curve[i], p1, p2);
        a1[i] = orientationOf(p0, curve[i], p2);
        a2[i] = orientationOf(p0, p1, curve[i]);
    }
    // the product of Bernstein polynomials of degree d: degree 2d, weights C(d, i) C(d, j) / C(2d, k);
    // all multiplied by the least common multiple of the C(2d, k), so that no division rounds (an exact
    // multiple root then shows as exact zeros)
    const double multiple = binomialMultiple(2 * d);
    Twofold f[32];
    for (int k = 0; k <= 2 * d; ++k) {
        Twofold sum;
        for (int i = std::max(0, k - d); i <= std::min(d, k); ++i) {
            const int j = k - i;
            const Twofold term = a1[i] * a1[j] - Twofold{4, 0} * (a0[i] * a2[j]);
            sum = sum + term * Twofold{choose(d, i) * choose(d, j), 0};
        }
        f[k] = sum * Twofold{multiple / choose(2 * d, k), 0};
    }
    // the size of the terms bounds the rounding of the coefficients; the exact ones where a sign is in doubt
    double terms = 0;
    for (int k = 0; k <= 2 * d; ++k) {
        double sum = 0;
        for (int i = std::max(0, k - d); i <= std::min(d, k); ++i) {
            const int j = k - i;
            sum += (std::fabs(a1[i].hi * a1[j].hi) + 4 * std::fabs(a0[i].hi * a2[j].hi)) * choose(d, i) * choose(d, j);
        }
        terms = std::max(terms, sum * multiple / choose(2 * d, k));
    }
    const auto makeExact = [&](BigInteger* out) {
        // (storage kept per thread)
        thread_local IntegerPoint q0, q1, q2, x;
        thread_local BigInteger e0[16], e1[16], e2[16], sum, term, product, weighted;
        const int low = lowestExponent(curve, n, quadratic, 3);
        q0.set(p0, low);
        q1.set(p1, low);
        q2.set(p2, low);
        for (int i = 0; i < n; ++i) {
            x.set(curve[i], low);
            integerOrientation(x, q1, q2, e0[i]);
            integerOrientation(q0, x, q2, e1[i]);
            integerOrientation(q0, q1, x, e2[i]);
        }
        for (int k = 0; k <= 2 * d; ++k) {
            sum.limbs.clear();
            sum.negative = false;
            for (int i = std::max(0, k - d); i <= std::min(d, k); ++i) {
                const int j = k - i;
                // e1_i e1_j - 4 e0_i e2_j, weighted
                multiply(e0[i], e2[j], product);
                shiftLeft(product, 2, product);
                multiply(e1[i], e1[j], term);
                subtract(term, product, term);
                multiplyByWhole(term, choose(d, i) * choose(d, j), weighted);
                add(sum, weighted, sum);
            }
            multiplyByWhole(sum, multiple / choose(2 * d, k), out[k]);
        }
    };
    // (a curve on the parabola: every coefficient zero, exactly)
    thread_local std::vector<PolynomialRoot> roots;
    if (!certifiedRoots(f, 2 * d, std::ldexp(terms, -90), makeExact, roots)) return false;

    // where the curve is on the parabola, the quadratic's parameter is its share a2 + a1 / 2
    const AxisPolynomial x = alongAxis(curve, n, 0);
    const AxisPolynomial y = alongAxis(curve, n, 1);
    const AxisPolynomial qx = alongAxis(quadratic, 3, 0);
    const AxisPolynomial qy = alongAxis(quadratic, 3, 1);
    const double near = nearness(curve, n, quadratic, 3);
    for (const PolynomialRoot& root : roots) {
        const long double px = x.at(root.t);
        const long double py = y.at(root.t);
        const long double b0 = orientationOf(px, py, p1, p2);
        const long double b2 = (p1.x - p0.x) * (py - p0.y) - (p1.y - p0.y) * (px - p0.x);
        const long double b1 = (px - p0.x) * (p2.y - p0.y) - (py - p0.y) * (p2.x - p0.x);
        const long double total = b0 + b1 + b2;
        if (total == 0) continue;
        const long double s = (b2 + 0.5L * b1) / total;
        if (s < -sameParameter || s > 1 + sameParameter) continue;  // on the parabola beyond the quadratic
        // far out on the parabola the share loses its digits: the quadratic must be at the point there
        const double on = static_cast<double>(std::min(1.0L, std::max(0.0L, s)));
        if (std::hypot(qx.at(on) - px, qy.at(on) - py) > near) continue;
        addMeeting(meetings, {root.t, on, root.cluster || root.multiplicity > 1});
    }
    return true;
}

namespace {

// Arithmetic on the three kinds of numbers the cubic's determinant is computed in: double-double, double
// (sizes of terms) and exact integers (into storage the caller keeps).
void clearNumber(Twofold& v) { v = Twofold{}; }
void clearNumber(double& v) { v = 0; }
void clearNumber(BigInteger& v) {
    v.limbs.clear();
    v.negative = false;
}
void sumInto(const Twofold& a, const Twofold& b, bool subtract, Twofold& out) { out = subtract ? a - b : a + b; }
void sumInto(double a, double b, bool subtract, double& out) { out = subtract ? a - b : a + b; }
void sumInto(const BigInteger& a, const BigInteger& b, bool subtract, BigInteger& out) {
    if (subtract) {
        exactmode::subtract(a, b, out);
    } else {
        add(a, b, out);
    }
}
void productInto(const Twofold& a, const Twofold& b, Twofold& out) { out = a * b; }
void productInto(double a, double b, double& out) { out = a * b; }
void productInto(const BigInteger& a, const BigInteger& b, BigInteger& out) { multiply(a, b, out); }

// Polynomials in the scaled Bernstein basis t^k (1 - t)^(n - k) (Bernstein coefficients times C(n, k)):
// products are plain convolutions. r[0..np + nq] = p[0..np] q[0..nq].
template <class T>
void convolve(const T* p, int np, const T* q, int nq, T* r, T& product) {
    for (int k = 0; k <= np + nq; ++k) clearNumber(r[k]);
    for (int i = 0; i <= np; ++i) {
        for (int j = 0; j <= nq; ++j) {
            productInto(p[i], q[j], product);
            sumInto(r[i + j], product, false, r[i + j]);
        }
    }
}

// r[0..n] = p[0..n] + q[0..n], or p - q (r may be p)
template <class T>
void combine(const T* p, const T* q, int n, bool subtract, T* r) {
    for (int i = 0; i <= n; ++i) sumInto(p[i], q[i], subtract, r[i]);
}

// Room for the determinant below along a curve of at most 11 control points (degree 10).
template <class T>
struct BezoutWork {
    T l[6][11];   // the six lines along the curve
    T e[11];      // L03 + L12
    T inner[21];  // a product of two lines, then a minor
    T other[21];  // the other product of the minor
    T term[31];   // a line times a minor
    T total[31];  // the determinant
    T value;      // a line's value at one control point
    T weight;     // a constant
    T product;
};

// The determinant of the cubic's Bezout matrix
//     | L01  L02        L03 |
//     | L02  L03 + L12  L13 |      Lkl = C(3, k) C(3, l) [X, Pk, Pl] (twice the signed area)
//     | L03  L13        L23 |
// along a curve of degree d, in the scaled basis of degree 3d, into w.total. line(k, l, m, out) gives
// [Qm, Pk, Pl] at the curve's control point Qm, and constant(c, out) a constant; where `magnitude`, every
// difference is a sum, which bounds the size of the terms instead.
template <class T, class Line, class Constant>
void bezoutAlong(int d, const Line& line, const Constant& constant, bool magnitude, BezoutWork<T>& w) {
    const int pairs[6][2] = {{0, 1}, {0, 2}, {0, 3}, {1, 2}, {1, 3}, {2, 3}};
    const double cubicBinomial[4] = {1, 3, 3, 1};
    for (int p = 0; p < 6; ++p) {
        const int k = pairs[p][0];
        const int m = pairs[p][1];
        for (int i = 0; i <= d; ++i) {
            constant(cubicBinomial[k] * cubicBinomial[m] * choose(d, i), w.weight);
            line(k, m, i, w.value);
            productInto(w.weight, w.value, w.l[p][i]);
        }
    }
    const T* a = w.l[0];  // L01
    const T* b = w.l[1];  // L02
    const T* c = w.l[2];  // L03
    combine(w.l[2], w.l[3], d, false, w.e);
    const T* e = w.e;
    const T* f = w.l[4];  // L13
    const T* g = w.l[5];  // L23
    const bool s = !magnitude;
    // first: a (e g - f f)
    convolve(e, d, g, d, w.inner, w.product);
    convolve(f, d, f, d, w.other, w.product);
    combine(w.inner, w.other, 2 * d, s, w.inner);
    convolve(a, d, w.inner, 2 * d, w.total, w.product);
    // second: b (b g - f c)
    convolve(b, d, g, d, w.inner, w.product);
    convolve(f, d, c, d, w.other, w.product);
    combine(w.inner, w.other, 2 * d, s, w.inner);
    convolve(b, d, w.inner, 2 * d, w.term, w.product);
    combine(w.total, w.term, 3 * d, s, w.total);
    // third: c (b f - e c)
    convolve(b, d, f, d, w.inner, w.product);
    convolve(e, d, c, d, w.other, w.product);
    combine(w.inner, w.other, 2 * d, s, w.inner);
    convolve(c, d, w.inner, 2 * d, w.term, w.product);
    combine(w.total, w.term, 3 * d, false, w.total);
}

// The parameters where the cubic passes the point (x, y), each once, found from the roots of either
// coordinate and kept where the cubic is within `near` of the point.
void cubicAt(const PointD* cubic, long double x, long double y, double near, std::vector<double>& out) {
    out.clear();
    const AxisPolynomial cx = alongAxis(cubic, 4, 0);
    const AxisPolynomial cy = alongAxis(cubic, 4, 1);
    // (storage kept per thread)
    thread_local std::vector<std::pair<double, long double>> found;  // parameter, distance from the point
    thread_local std::vector<PolynomialRoot> roots;
    found.clear();
    for (int axis = 0; axis < 2; ++axis) {
        const long double v = axis == 0 ? x : y;
        const Twofold value{static_cast<double>(v), static_cast<double>(v - static_cast<double>(v))};
        Twofold c[4];
        for (int i = 0; i < 4; ++i) c[i] = Twofold{axis == 0 ? cubic[i].x : cubic[i].y, 0} - value;
        bernsteinRoots(c, 3, 0, ExactCoefficients(), roots);
        for (const PolynomialRoot& r : roots) {
            const long double gap = std::hypot(cx.at(r.t) - x, cy.at(r.t) - y);
            if (gap <= near) found.push_back({r.t, gap});
        }
    }
    std::sort(found.begin(), found.end());
    for (size_t i = 0; i < found.size(); ++i) {
        // of parameters found twice (from each coordinate), the one nearer the point
        if (i + 1 < found.size() && found[i + 1].first - found[i].first <= 1e-9) {
            if (found[i + 1].second > found[i].second) found[i + 1] = found[i];
            continue;
        }
        out.push_back(found[i].first);
    }
}

}  // namespace

bool intersectWithCubic(const PointD* curve, int n, const PointD* cubic, std::vector<MeetingParameters>& meetings) {
    meetings.clear();
    const int d = n - 1;
    const auto twofoldLine = [&](int k, int m, int i, Twofold& out) {
        out = orientationOf(curve[i], cubic[k], cubic[m]);
    };
    const auto twofoldConstant = [](double c, Twofold& out) { out = Twofold{c, 0}; };
    BezoutWork<Twofold> scaled;
    bezoutAlong(d, twofoldLine, twofoldConstant, false, scaled);
    const auto sizeLine = [&](int k, int m, int i, double& out) {
        out = std::fabs(orientationOf(curve[i], cubic[k], cubic[m]).hi);
    };
    const auto sizeConstant = [](double c, double& out) { out = c; };
    BezoutWork<double> sizes;
    bezoutAlong(d, sizeLine, sizeConstant, true, sizes);

    // Bernstein coefficients times the least common multiple of the C(3d, k)
    const int degree = 3 * d;
    const double multiple = binomialMultiple(degree);
    Twofold f[32];
    double terms = 0;
    for (int k = 0; k <= degree; ++k) {
        f[k] = scaled.total[k] * Twofold{multiple / choose(degree, k), 0};
        terms = std::max(terms, sizes.total[k] * multiple / choose(degree, k));
    }
    const double noise = std::ldexp(terms, -88);
    const auto makeExact = [&](BigInteger* out) {
        // (storage kept per thread)
        thread_local IntegerPoint q, p[4];
        thread_local BezoutWork<BigInteger> exact;
        const int low = lowestExponent(curve, n, cubic, 4);
        for (int k = 0; k < 4; ++k) p[k].set(cubic[k], low);
        const auto integerLine = [&](int k, int m, int i, BigInteger& value) {
            q.set(curve[i], low);
            integerOrientation(q, p[k], p[m], value);
        };
        const auto integerConstant = [](double c, BigInteger& value) { setInteger(value, c, 0); };
        bezoutAlong(d, integerLine, integerConstant, false, exact);
        for (int k = 0; k <= degree; ++k) multiplyByWhole(exact.total[k], multiple / choose(degree, k), out[k]);
    };
    // (a curve on the cubic's algebraic curve: every coefficient zero, exactly; storage kept per thread)
    thread_local std::vector<PolynomialRoot> roots;
    thread_local std::vector<double> parameters;
    if (!certifiedRoots(f, degree, noise, makeExact, roots)) return false;

    const AxisPolynomial x = alongAxis(curve, n, 0);
    const AxisPolynomial y = alongAxis(curve, n, 1);
    for (const PolynomialRoot& root : roots) {
        // where the curve is on the cubic's algebraic curve, the cubic's parameters that reach the point
        cubicAt(cubic, x.at(root.t), y.at(root.t), nearness(curve, n, cubic, 4), parameters);
        for (double s : parameters) {
            if (s < -sameParameter || s > 1 + sameParameter) continue;  // beyond the cubic's ends
            addMeeting(meetings, {root.t, std::min(1.0, std::max(0.0, s)), root.cluster || root.multiplicity > 1});
        }
    }
    std::sort(meetings.begin(), meetings.end(), [](const MeetingParameters& p, const MeetingParameters& q) {
        return p.t < q.t || (p.t == q.t && p.s < q.s);
    });
    return true;
}

}  // namespace exactmode
