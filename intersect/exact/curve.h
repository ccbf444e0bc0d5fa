// The curves of the exact intersection's general method in their local frame: each input curve with its
// first and second derivatives, evaluated in Bernstein form by Horner's rule in double or long double,
// and the plane vectors and work count the rest of the method shares.
#pragma once

#include <cfloat>
#include <cmath>
#include <type_traits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "geometry/geometry.h"
#include "intersect/exact.h"

namespace exactmode {

constexpr int maxPoints = maxControlPoints;
constexpr double unitRoundoff = DBL_EPSILON;

// The work of one Newton step, per control point of the curves it evaluates.
constexpr long newtonStepWork = 4;

// The checks of candidate stretches have a limit of their own: a check of two curves of 32 points takes
// about half a million units (sample points projected one by one), and a handful of them must fit.
constexpr long checkLimit = 4 * exactWorkLimit;

// Binomial coefficients C(n, k) for n below maxPoints, exact in double: shared, so built once.
struct Binomials {
    double c[maxPoints][maxPoints];
    Binomials();
};
extern const Binomials binomials;

// A polynomial curve of degree d as C(d, i) * P_i, ready for Horner evaluation in Bernstein form.
struct Horner {
    int d = -1;  // -1: the zero curve
    // the coefficients as (x, y) pairs, so that a sum in double takes both coordinates at once
    alignas(16) double xy[maxPoints][2];

    // Takes count control points; the binomial factors are folded in once, not at every evaluation.
    void set(const double* px, const double* py, int count);

    // The curve at t (any real t), in the precision T; from the nearer end so that u = t / (1 - t) (or its
    // reciprocal) stays at most 1 and the sum does not grow.
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
#pragma GCC unroll 4
        for (int i = 0; i < d; ++i) f *= w;
        px = ax * f;
        py = ay * f;
    }

    // The Horner sum in u, from the first coefficient (fromStart) or the last: the curve before its factor
    // (1 - t)^d or t^d.
    template <class T>
    void sum(bool fromStart, T u, T& ax, T& ay) const {
#if defined(__SSE2__)
        if constexpr (std::is_same_v<T, double>) {
            // the same operations for each coordinate (mulpd and addpd round as mulsd and addsd)
            const __m128d uu = _mm_set1_pd(u);
            __m128d a;
            if (fromStart) {
                a = _mm_load_pd(xy[d]);
#pragma GCC unroll 2
                for (int i = d - 1; i >= 0; --i) a = _mm_add_pd(_mm_mul_pd(a, uu), _mm_load_pd(xy[i]));
            } else {
                a = _mm_load_pd(xy[0]);
#pragma GCC unroll 2
                for (int i = 1; i <= d; ++i) a = _mm_add_pd(_mm_mul_pd(a, uu), _mm_load_pd(xy[i]));
            }
            ax = _mm_cvtsd_f64(a);
            ay = _mm_cvtsd_f64(_mm_unpackhi_pd(a, a));
            return;
        }
#endif
        if (fromStart) {
            ax = xy[d][0];
            ay = xy[d][1];
#pragma GCC unroll 2
            for (int i = d - 1; i >= 0; --i) {
                ax = ax * u + xy[i][0];
                ay = ay * u + xy[i][1];
            }
        } else {
            ax = xy[0][0];
            ay = xy[0][1];
#pragma GCC unroll 2
            for (int i = 1; i <= d; ++i) {
                ax = ax * u + xy[i][0];
                ay = ay * u + xy[i][1];
            }
        }
    }
};

// A curve and its derivative at one parameter, sharing the powers of (1 - t) or t.
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
#pragma GCC unroll 4
    for (int i = 0; i < velocity.d; ++i) f *= w;
    vx = bx * f;
    vy = by * f;
    f *= w;
    px = ax * f;
    py = ay * f;
}

// A curve, its derivative and its second derivative at one parameter, each as pointAt, velocityAt and
// accelerationAt give it (the same operations, sharing u and the powers of (1 - t) or t).
template <class T>
void pointVelocityAcceleration(const Horner& position, const Horner& velocity, const Horner& acceleration, T t, T& px,
                               T& py, T& vx, T& vy, T& ax, T& ay) {
    if (acceleration.d < 0) {
        pointAndVelocity(position, velocity, t, px, py, vx, vy);
        acceleration.at(t, ax, ay);
        return;
    }
    const bool nearStart = t <= T(0.5);
    const T w = nearStart ? T(1) - t : t;
    const T u = nearStart ? t / w : (T(1) - t) / w;
    T sx, sy;
    acceleration.sum(nearStart, u, sx, sy);
    T f = 1;
#pragma GCC unroll 4
    for (int i = 0; i < acceleration.d; ++i) f *= w;
    ax = sx * f;
    ay = sy * f;
    velocity.sum(nearStart, u, sx, sy);
    f *= w;
    vx = sx * f;
    vy = sy * f;
    position.sum(nearStart, u, sx, sy);
    f *= w;
    px = sx * f;
    py = sy * f;
}

// One input curve in the local frame, with its derivatives.
struct Curve {
    int n = 0;  // control points
    double x[maxPoints];
    double y[maxPoints];
    Horner position;
    Horner velocity;      // first derivative
    Horner acceleration;  // second derivative

    // Takes count control points and derives the hodograph twice, so that Newton's methods need no more.
    void set(const double* px, const double* py, int count);
};

// Calls f with std::integral_constant<int, n> for the counts of control points met most (3 to 10), so
// that loops over control points are compiled for that count, and with the constant 0 (n given at run
// time) for the others. The compiled forms do the same operations in the same order.
template <class F>
decltype(auto) byCount(int n, F&& f) {
    switch (n) {
        case 3:
            return f(std::integral_constant<int, 3>{});
        case 4:
            return f(std::integral_constant<int, 4>{});
        case 5:
            return f(std::integral_constant<int, 5>{});
        case 6:
            return f(std::integral_constant<int, 6>{});
        case 7:
            return f(std::integral_constant<int, 7>{});
        case 8:
            return f(std::integral_constant<int, 8>{});
        case 9:
            return f(std::integral_constant<int, 9>{});
        case 10:
            return f(std::integral_constant<int, 10>{});
        default:
            return f(std::integral_constant<int, 0>{});
    }
}

// A point or direction in the local frame.
struct Vec {
    double x;
    double y;
};

// The work done so far against its limit (exactWorkLimit unless said otherwise): every loop of the general method adds
// to it, so that it can stop where curves would keep it busy for ever.
struct Work {
    long used = 0;
    long limit = exactWorkLimit;
    bool spent() const { return used > limit; }
};

// The z component of a x b: positive when b turns counter-clockwise from a.
inline double cross(Vec a, Vec b) { return a.x * b.y - a.y * b.x; }
inline double dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y; }
inline double length(Vec a) { return std::sqrt(a.x * a.x + a.y * a.y); }
// The Euclidean distance between two points of the frame.
inline double pointsApart(Vec a, Vec b) { return length(Vec{a.x - b.x, a.y - b.y}); }

// The curve, its velocity and its acceleration at t, in double.
Vec pointAt(const Curve& c, double t);
inline void pointVelocityAcceleration(const Curve& c, double t, Vec& p, Vec& v, Vec& a) {
    pointVelocityAcceleration(c.position, c.velocity, c.acceleration, t, p.x, p.y, v.x, v.y, a.x, a.y);
}
Vec velocityAt(const Curve& c, double t);
Vec accelerationAt(const Curve& c, double t);

}  // namespace exactmode
