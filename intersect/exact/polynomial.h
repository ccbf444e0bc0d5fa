// One-dimensional Bernstein polynomials for the exact intersection: a double-double number type, the
// real roots of a polynomial on [0, 1] found by subdivision with certified counts, and the monotone
// stretches of a polynomial between its turning points.
#pragma once

#include <vector>

#include "intersect/exact/integer.h"

namespace exactmode {

// A number held as the unevaluated sum hi + lo of two doubles, |lo| at most half a unit of hi: about 106
// bits. Sums and products of two doubles are held exactly.
struct Twofold {
    double hi = 0;
    double lo = 0;
};

// (the arithmetic defined here, so that it is inlined into the loops that use it)
inline Twofold quickSum(double a, double b) {  // a + b where |a| >= |b| or a is zero, exactly
    const double s = a + b;
    return {s, b - (s - a)};
}

inline Twofold twofoldSum(double a, double b) {  // a + b, exactly
    const double s = a + b;
    const double bb = s - a;
    return {s, (a - (s - bb)) + (b - bb)};
}

inline Twofold twofoldDifference(double a, double b) { return twofoldSum(a, -b); }  // a - b, exactly

// the upper and lower halves of a's significand (Dekker's split, 27 bits each)
inline void splitSignificand(double a, double& hi, double& lo) {
    const double t = 134217729.0 * a;  // 2^27 + 1
    hi = t - (t - a);
    lo = a - hi;
}

inline Twofold twofoldProduct(double a, double b) {  // a * b, exactly (barring overflow and underflow)
    const double p = a * b;
    double ah, al, bh, bl;
    splitSignificand(a, ah, al);
    splitSignificand(b, bh, bl);
    return {p, ((ah * bh - p) + ah * bl + al * bh) + al * bl};
}

inline Twofold operator+(Twofold a, Twofold b) {
    Twofold s = twofoldSum(a.hi, b.hi);
    const Twofold t = twofoldSum(a.lo, b.lo);
    s.lo += t.hi;
    s = quickSum(s.hi, s.lo);
    s.lo += t.lo;
    return quickSum(s.hi, s.lo);
}

inline Twofold operator-(Twofold a, Twofold b) { return a + Twofold{-b.hi, -b.lo}; }

inline Twofold operator*(Twofold a, Twofold b) {
    Twofold p = twofoldProduct(a.hi, b.hi);
    p.lo += a.hi * b.lo + a.lo * b.hi;
    return quickSum(p.hi, p.lo);
}

Twofold operator/(Twofold a, Twofold b);

inline int signOf(Twofold a) {
    const double v = a.hi != 0 ? a.hi : a.lo;
    return v > 0 ? 1 : (v < 0 ? -1 : 0);
}

// The exact sign of (b - a) x (c - a) for points given by their coordinates.
int orientation(double ax, double ay, double bx, double by, double cx, double cy);

// A real root of a polynomial on [0, 1].
struct PolynomialRoot {
    double t;
    int multiplicity;  // certain where the root is exact or isolated; otherwise the count of a cluster
    bool cluster;      // roots closer than the subdivision resolves (at most 2^-50 apart): one tangential root
};

// Bounds of the root finder: subdivisions stop at this width, and the number of intervals it may look
// at is limited (the sum of sign changes over one level of intervals never grows, so at most degree
// intervals are alive on each of the 50 levels).
constexpr double rootResolution = 1.0 / (1LL << 50);

// The exact Bernstein coefficients of a polynomial, all multiplied by one positive number, made when
// first needed: a reference to a callable that writes them into out[0..degree] (integers whose storage it
// reuses). It refers to the callable, which must outlive it, and must not find roots itself.
class ExactCoefficients {
public:
    ExactCoefficients() = default;
    template <class Make>
    ExactCoefficients(const Make& make)  // NOLINT: made from the callable where a root finder takes it
        : object_(&make),
          call_([](const void* object, BigInteger* out) { (*static_cast<const Make*>(object))(out); }) {}
    explicit operator bool() const { return call_ != nullptr; }
    void operator()(BigInteger* out) const { call_(object_, out); }

private:
    const void* object_ = nullptr;
    void (*call_)(const void*, BigInteger*) = nullptr;
};

// The roots in [0, 1] of the polynomial with the Bernstein coefficients c[0..degree] (each within noise
// of the true one), in increasing order. Signs are taken first from the coefficients rounded to double,
// subdivided in double with a bound on their error; where that bound does not decide a sign, from the
// double-double coefficients (farther than noise from zero); where one is within noise of zero, the part
// of [0, 1] in question is examined again with the exact coefficients, so that every count of roots is
// certain: exact zeros are multiple roots of their exact multiplicity, one sign change is one simple
// root. A polynomial whose coefficients are all zero has no isolated roots: nothing is returned. Working
// storage is kept per thread (no heap allocation once it has grown); roots' own storage is reused.
void bernsteinRoots(const Twofold* c, int degree, double noise, const ExactCoefficients& exact,
                    std::vector<PolynomialRoot>& roots);

// The value of the polynomial with Bernstein coefficients c[0..degree] at t, in double-double.
Twofold bernsteinAt(const Twofold* c, int degree, double t);

// A stretch [t0, t1] on which a one-dimensional polynomial runs one way, from value v0 to value v1.
struct MonotoneRange {
    double t0;
    double t1;
    long double v0;
    long double v1;
};

// A polynomial along one axis, given by its Bernstein coefficients (the control points' coordinates).
struct AxisPolynomial {
    int degree = 0;
    double c[32];

    long double at(long double t) const;
    long double slopeAt(long double t) const;
    // its stretches between its turning points (sign changes of its derivative), in order
    void monotoneRanges(std::vector<MonotoneRange>& out) const;
    // the parameter in the range r where the polynomial takes the value v (clamped to r's ends)
    double solveIn(const MonotoneRange& r, long double v) const;
};

}  // namespace exactmode
