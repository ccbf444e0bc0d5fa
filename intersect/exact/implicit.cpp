#include "intersect/exact/implicit.h"

#include <algorithm>
#include <cmath>
#include <functional>
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
double choose(int n, int k) {
    double c = 1;
    for (int i = 1; i <= k; ++i) c = c * (n - k + i) / i;
    return c;
}

// lcm(C(n, 0), ..., C(n, n)) = lcm(1, ..., n + 1) / (n + 1), below 2^53 for n up to 30: multiplied by it,
// a polynomial's Bernstein coefficients of degree n come from its scaled ones without a division
double binomialMultiple(int n) {
    double multiple = 1;
    for (int i = 2; i <= n + 1; ++i) {
        double a = multiple, b = i;
        while (b != 0) {
            const double r = std::fmod(a, b);
            a = b;
            b = r;
        }
        multiple = multiple / a * i;
    }
    return multiple / (n + 1);
}

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
// ones that makeExact puts into exact; false when the polynomial vanishes exactly.
bool certifiedRoots(const Twofold* f, int degree, double noise, const std::function<void()>& makeExact,
                    const std::vector<BigInteger>& exact, std::vector<PolynomialRoot>& roots) {
    bool vanishes = true;
    for (int k = 0; k <= degree; ++k) vanishes = vanishes && std::fabs(f[k].hi) <= noise;
    if (vanishes) {
        makeExact();
        for (const BigInteger& v : exact) vanishes = vanishes && v.sign() == 0;
        if (vanishes) return false;
    }
    const ExactCoefficients exactCoefficients = [&](std::vector<BigInteger>& out) {
        if (exact.empty()) makeExact();
        out = exact;
    };
    bernsteinRoots(f, degree, noise, exactCoefficients, roots);
    return true;
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
    std::vector<BigInteger> exactF;
    const auto makeExact = [&]() {
        const int low = lowestExponent(curve, n, quadratic, 3);
        const auto at = [&](PointD p) { return std::pair<BigInteger, BigInteger>{exactInteger(p.x, low), exactInteger(p.y, low)}; };
        const auto orient = [](const std::pair<BigInteger, BigInteger>& a, const std::pair<BigInteger, BigInteger>& b,
                               const std::pair<BigInteger, BigInteger>& c) {
            return (b.first - a.first) * (c.second - a.second) - (b.second - a.second) * (c.first - a.first);
        };
        const auto q0 = at(p0), q1 = at(p1), q2 = at(p2);
        std::vector<BigInteger> e0, e1, e2;
        for (int i = 0; i < n; ++i) {
            const auto x = at(curve[i]);
            e0.push_back(orient(x, q1, q2));
            e1.push_back(orient(q0, x, q2));
            e2.push_back(orient(q0, q1, x));
        }
        const BigInteger four = exactInteger(4, 0);
        exactF.clear();
        for (int k = 0; k <= 2 * d; ++k) {
            BigInteger sum;
            for (int i = std::max(0, k - d); i <= std::min(d, k); ++i) {
                const int j = k - i;
                const BigInteger term = e1[static_cast<size_t>(i)] * e1[static_cast<size_t>(j)] -
                                        four * (e0[static_cast<size_t>(i)] * e2[static_cast<size_t>(j)]);
                sum = sum + term * exactInteger(choose(d, i) * choose(d, j), 0);
            }
            exactF.push_back(sum * exactInteger(multiple / choose(2 * d, k), 0));
        }
    };
    // (a curve on the parabola: every coefficient zero, exactly)
    std::vector<PolynomialRoot> roots;
    if (!certifiedRoots(f, 2 * d, std::ldexp(terms, -90), makeExact, exactF, roots)) return false;

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

// Polynomials in the scaled Bernstein basis t^k (1 - t)^(n - k) (Bernstein coefficients times C(n, k)):
// products are plain convolutions.
template <class T>
std::vector<T> product(const std::vector<T>& p, const std::vector<T>& q) {
    std::vector<T> r(p.size() + q.size() - 1);
    for (size_t i = 0; i < p.size(); ++i) {
        for (size_t j = 0; j < q.size(); ++j) r[i + j] = r[i + j] + p[i] * q[j];
    }
    return r;
}

template <class T>
std::vector<T> sum(const std::vector<T>& p, const std::vector<T>& q, bool subtract) {
    std::vector<T> r(p.size());
    for (size_t i = 0; i < p.size(); ++i) r[i] = subtract ? p[i] - q[i] : p[i] + q[i];
    return r;
}

// The determinant of the cubic's Bezout matrix
//     | L01  L02        L03 |
//     | L02  L03 + L12  L13 |      Lkl = C(3, k) C(3, l) [X, Pk, Pl] (twice the signed area)
//     | L03  L13        L23 |
// along a curve of degree d, in the scaled basis of degree 3d. line(k, l, m) gives [Qm, Pk, Pl] at the
// curve's control point Qm, and constant(c) a constant; where `magnitude`, every difference is a sum,
// which bounds the size of the terms instead.
template <class T, class Line, class Constant>
std::vector<T> bezoutAlong(int d, const Line& line, const Constant& constant, bool magnitude) {
    const int pairs[6][2] = {{0, 1}, {0, 2}, {0, 3}, {1, 2}, {1, 3}, {2, 3}};
    const double cubicBinomial[4] = {1, 3, 3, 1};
    std::vector<T> l[6];
    for (int p = 0; p < 6; ++p) {
        const int k = pairs[p][0];
        const int m = pairs[p][1];
        for (int i = 0; i <= d; ++i) {
            l[p].push_back(constant(cubicBinomial[k] * cubicBinomial[m] * choose(d, i)) * line(k, m, i));
        }
    }
    const std::vector<T>& a = l[0];  // L01
    const std::vector<T>& b = l[1];  // L02
    const std::vector<T>& c = l[2];  // L03
    const std::vector<T> e = sum(l[2], l[3], false);
    const std::vector<T>& f = l[4];  // L13
    const std::vector<T>& g = l[5];  // L23
    const bool s = !magnitude;
    const std::vector<T> first = product(a, sum(product(e, g), product(f, f), s));
    const std::vector<T> second = product(b, sum(product(b, g), product(f, c), s));
    const std::vector<T> third = product(c, sum(product(b, f), product(e, c), s));
    return sum(sum(first, second, s), third, false);
}

// The parameters where the cubic passes the point (x, y), each once, found from the roots of either
// coordinate and kept where the cubic is within `near` of the point.
void cubicAt(const PointD* cubic, long double x, long double y, double near, std::vector<double>& out) {
    out.clear();
    const AxisPolynomial cx = alongAxis(cubic, 4, 0);
    const AxisPolynomial cy = alongAxis(cubic, 4, 1);
    std::vector<std::pair<double, long double>> found;  // parameter, distance from the point
    for (int axis = 0; axis < 2; ++axis) {
        const long double v = axis == 0 ? x : y;
        const Twofold value{static_cast<double>(v), static_cast<double>(v - static_cast<double>(v))};
        Twofold c[4];
        for (int i = 0; i < 4; ++i) c[i] = Twofold{axis == 0 ? cubic[i].x : cubic[i].y, 0} - value;
        std::vector<PolynomialRoot> roots;
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
    const auto twofoldLine = [&](int k, int m, int i) { return orientationOf(curve[i], cubic[k], cubic[m]); };
    const auto twofoldConstant = [](double c) { return Twofold{c, 0}; };
    const std::vector<Twofold> scaled = bezoutAlong<Twofold>(d, twofoldLine, twofoldConstant, false);
    const auto sizeLine = [&](int k, int m, int i) { return std::fabs(orientationOf(curve[i], cubic[k], cubic[m]).hi); };
    const auto sizeConstant = [](double c) { return c; };
    const std::vector<double> sizes = bezoutAlong<double>(d, sizeLine, sizeConstant, true);

    // Bernstein coefficients times the least common multiple of the C(3d, k)
    const int degree = 3 * d;
    const double multiple = binomialMultiple(degree);
    Twofold f[32];
    double terms = 0;
    for (int k = 0; k <= degree; ++k) {
        f[k] = scaled[static_cast<size_t>(k)] * Twofold{multiple / choose(degree, k), 0};
        terms = std::max(terms, sizes[static_cast<size_t>(k)] * multiple / choose(degree, k));
    }
    const double noise = std::ldexp(terms, -88);
    std::vector<BigInteger> exactF;
    const auto makeExact = [&]() {
        const int low = lowestExponent(curve, n, cubic, 4);
        const auto integerLine = [&](int k, int m, int i) {
            const BigInteger qx = exactInteger(curve[i].x, low), qy = exactInteger(curve[i].y, low);
            return (exactInteger(cubic[k].x, low) - qx) * (exactInteger(cubic[m].y, low) - qy) -
                   (exactInteger(cubic[k].y, low) - qy) * (exactInteger(cubic[m].x, low) - qx);
        };
        const auto integerConstant = [](double c) { return exactInteger(c, 0); };
        const std::vector<BigInteger> e = bezoutAlong<BigInteger>(d, integerLine, integerConstant, false);
        exactF.clear();
        for (int k = 0; k <= degree; ++k) {
            exactF.push_back(e[static_cast<size_t>(k)] * exactInteger(multiple / choose(degree, k), 0));
        }
    };
    // (a curve on the cubic's algebraic curve: every coefficient zero, exactly)
    std::vector<PolynomialRoot> roots;
    if (!certifiedRoots(f, degree, noise, makeExact, exactF, roots)) return false;

    const AxisPolynomial x = alongAxis(curve, n, 0);
    const AxisPolynomial y = alongAxis(curve, n, 1);
    std::vector<double> parameters;
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
