#include "bezier/bezier.h"

#include <cmath>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "geometry/box.h"
#include "scene/scene.h"

namespace {

constexpr int largestFactorialArgument = 12;  // 12! = 479001600 is the largest factorial in 32 bits
constexpr double sampleStep = 0.002;          // parameter step: the last sample is at 0.998, never at 1
constexpr int interpolatedColor = 0;          // colour code of every split point made by interpolation

// C(n, i) for 0 <= i <= n by the multiplicative formula; every partial product c * (n - k + j) equals
// j * C(n - k + j, j), which stays far inside 64 bits for any degree a control polygon can have
std::uint64_t binomial(int n, int i) {
    const int k = i < n - i ? i : n - i;
    std::uint64_t c = 1;
    for (int j = 1; j <= k; ++j) {
        c = c * static_cast<std::uint64_t>(n - k + j) / static_cast<std::uint64_t>(j);
    }
    return c;
}

// a + t (b - a) written as t b + (1 - t) a with oneMinusT = 1 - t in double; one rounding to float
[[maybe_unused]] float interpolate(float a, float b, double t, double oneMinusT) {
    return static_cast<float>(t * static_cast<double>(b) + oneMinusT * static_cast<double>(a));
}

}  // namespace

int factorial(int k) {
    // unsigned steps keep a call beyond 12 free of undefined behaviour; bernstein never makes one
    std::uint32_t product = 1;
    for (int i = 1; i <= k; ++i) product *= static_cast<std::uint32_t>(i);
    return static_cast<int>(product);
}

double bernstein(int n, int i, float t) {
    if (i < 0 || i > n) return 0.0;  // no basis function of that index: it contributes nothing
    double coefficient;
    if (n <= largestFactorialArgument) {
        // n! as a float over the 32-bit product (n - i)! i!; every value here is exact
        const int denominator = factorial(n - i) * factorial(i);
        coefficient = static_cast<double>(static_cast<float>(factorial(n))) / static_cast<double>(denominator);
    } else {
        // beyond 12! the factorials leave 32 bits; the coefficient itself is exact in 64 bits and in double
        coefficient = static_cast<double>(binomial(n, i));
    }
    const double oneMinusT = 1.0 - static_cast<double>(t);
    return coefficient * std::pow(oneMinusT, static_cast<double>(n - i)) *
           std::pow(static_cast<double>(t), static_cast<double>(i));
}

Point bezierPoint(const Point* controlPoints, int n, float t) {
    float x = 0;
    float y = 0;
    for (int i = 0; i < n; ++i) {
        const double b = bernstein(n - 1, i, t);
        // each sum is rounded to float after every term, as it is stored
        x = static_cast<float>(b * static_cast<double>(controlPoints[i].x) + static_cast<double>(x));
        y = static_cast<float>(b * static_cast<double>(controlPoints[i].y) + static_cast<double>(y));
    }
    return Point(x, y);
}

void sampleBezierCurve(const Point* controlPoints, int n, Point* samples) {
    for (int i = 0; i < curveSampleCount; ++i) {
        const float t = static_cast<float>(static_cast<double>(i) * sampleStep);
        samples[i] = bezierPoint(controlPoints, n, t);
    }
}

void addSampledCurve(const Point* samples) {
    for (int k = 0; k + 1 < curveSampleCount; ++k) addSegment(Segment(samples[k], samples[k + 1]), RED);
}

void addBezierCurve(const Point* controlPoints, int n) {
    Point samples[curveSampleCount];
    sampleBezierCurve(controlPoints, n, samples);
    addSampledCurve(samples);
}

namespace {

// The de Casteljau construction on 1..maxControlPoints points. With the count a constant (Count > 0) every
// loop is unrolled; Count = 0 takes it from n. One row holds the current level in place: point k of level j
// only needs points k and k + 1 of level j - 1, and point k + 1 is overwritten after point k. Each new point
// is interpolate() of its two coordinates; with SSE2 both are carried side by side in one register, each
// lane doing the same double operations and the same rounding to float. With Boxes, the box of each half's
// points is gathered as they are formed: each bound the first point's coordinate, replaced by every later
// one strictly beyond it (minpd(p, lo) is p < lo ? p : lo, the choice of std::min(lo, p)).
template <int Count, bool Boxes>
void deCasteljau(const Point* controlPoints, int n, double t, Point* left, Point* right, double* leftBox,
                 double* rightBox) {
    if (Count > 0) n = Count;
    // level 0 is the input itself, colours included; read before writing, since an output may be the input
    const Point first = controlPoints[0];
    const Point last = controlPoints[n - 1];
    const double oneMinusT = 1.0 - t;
#if defined(__SSE2__)
    __m128d row[maxControlPoints];  // (x, y) of each point of the current level, floats held in double
    for (int k = 0; k < n; ++k) {
        row[k] = _mm_cvtps_pd(_mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(&controlPoints[k].x))));
    }
    left[0] = first;
    right[0] = last;
    __m128d leftLow = _mm_cvtps_pd(_mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(&first.x))));
    __m128d rightLow = _mm_cvtps_pd(_mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(&last.x))));
    __m128d leftHigh = leftLow;
    __m128d rightHigh = rightLow;
    const __m128d tt = _mm_set1_pd(t);
    const __m128d ss = _mm_set1_pd(oneMinusT);
    for (int j = 1; j < n; ++j) {
        const int levelSize = n - j;
        for (int k = 0; k < levelSize; ++k) {
            const __m128d sum = _mm_add_pd(_mm_mul_pd(ss, row[k]), _mm_mul_pd(tt, row[k + 1]));
            row[k] = _mm_cvtps_pd(_mm_cvtpd_ps(sum));  // rounded to float, as stored
        }
        const __m128 l = _mm_cvtpd_ps(row[0]);
        const __m128 r = _mm_cvtpd_ps(row[levelSize - 1]);
        left[j].x = _mm_cvtss_f32(l);
        left[j].y = _mm_cvtss_f32(_mm_shuffle_ps(l, l, 1));
        left[j].color = interpolatedColor;
        right[j].x = _mm_cvtss_f32(r);
        right[j].y = _mm_cvtss_f32(_mm_shuffle_ps(r, r, 1));
        right[j].color = interpolatedColor;
        if (Boxes) {
            leftLow = _mm_min_pd(row[0], leftLow);
            leftHigh = _mm_max_pd(row[0], leftHigh);
            rightLow = _mm_min_pd(row[levelSize - 1], rightLow);
            rightHigh = _mm_max_pd(row[levelSize - 1], rightHigh);
        }
    }
    if (Boxes) {
        _mm_storeu_pd(leftBox, _mm_unpacklo_pd(leftLow, leftHigh));
        _mm_storeu_pd(leftBox + 2, _mm_unpackhi_pd(leftLow, leftHigh));
        _mm_storeu_pd(rightBox, _mm_unpacklo_pd(rightLow, rightHigh));
        _mm_storeu_pd(rightBox + 2, _mm_unpackhi_pd(rightLow, rightHigh));
    }
#else
    float x[maxControlPoints];
    float y[maxControlPoints];
    for (int k = 0; k < n; ++k) {
        x[k] = controlPoints[k].x;
        y[k] = controlPoints[k].y;
    }
    left[0] = first;
    right[0] = last;
    for (int j = 1; j < n; ++j) {
        const int levelSize = n - j;
        for (int k = 0; k < levelSize; ++k) {
            x[k] = interpolate(x[k], x[k + 1], t, oneMinusT);
            y[k] = interpolate(y[k], y[k + 1], t, oneMinusT);
        }
        left[j] = Point(x[0], y[0]);
        left[j].color = interpolatedColor;
        right[j] = Point(x[levelSize - 1], y[levelSize - 1]);
        right[j].color = interpolatedColor;
    }
    if (Boxes) {
        boxOfPoints(left, n, leftBox);
        boxOfPoints(right, n, rightBox);
    }
#endif
}

// deCasteljau with the count taken as a constant where the search meets it most
template <bool Boxes>
void split(const Point* controlPoints, int n, double t, Point* left, Point* right, double* leftBox,
           double* rightBox) {
    switch (n) {
        case 2:
            deCasteljau<2, Boxes>(controlPoints, n, t, left, right, leftBox, rightBox);
            break;
        case 3:
            deCasteljau<3, Boxes>(controlPoints, n, t, left, right, leftBox, rightBox);
            break;
        case 4:
            deCasteljau<4, Boxes>(controlPoints, n, t, left, right, leftBox, rightBox);
            break;
        default:
            deCasteljau<0, Boxes>(controlPoints, n, t, left, right, leftBox, rightBox);
    }
}

}  // namespace

int splitBezier(const Point* controlPoints, int n, float t, Point* left, Point* right) {
    if (n <= 0) return 1;                // nothing to split, nothing written
    if (n > maxControlPoints) return 0;  // more than the working row holds: refused, nothing written
    split<false>(controlPoints, n, static_cast<double>(t), left, right, nullptr, nullptr);
    return 1;
}

int splitBezier(const Point* controlPoints, int n, float t, Point* left, Point* right, double leftBox[4],
                double rightBox[4]) {
    if (n <= 0) return 1;
    if (n > maxControlPoints) return 0;
    split<true>(controlPoints, n, static_cast<double>(t), left, right, leftBox, rightBox);
    return 1;
}
