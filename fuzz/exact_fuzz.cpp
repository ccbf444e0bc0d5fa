// The exact intersection on pairs of control polygons of 1 to 32 float points: scattered at any scale from
// 2^-40 to 2^40 (or on a grid), both on one line and folded there, a curve against itself (copied, run back,
// or moved by a float step here and there), and a curve against a segment. Every result is finite and in
// order, every meeting point lies on both curves within rounding of the box around them, every stretch runs
// forward on the first curve, and the work done stays within the stated bound.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "fuzz/check.h"
#include "intersect/exact.h"

namespace {

// a coordinate: an integer of up to 26 bits times 2^exponent, rounded to float as a file would hold it
float coordinate(FuzzedDataProvider& data, int exponent) {
    return static_cast<float>(std::ldexp(data.ConsumeIntegralInRange<int32_t>(-(1 << 26), 1 << 26), exponent));
}

std::vector<PointD> scattered(FuzzedDataProvider& data, int n) {
    const int exponent = data.ConsumeIntegralInRange(-40, 40);
    std::vector<PointD> c;
    while (static_cast<int>(c.size()) < n) {
        const float x = coordinate(data, exponent);
        const float y = coordinate(data, exponent);
        c.push_back({x, y});
    }
    return c;
}

// the point of c at t, by de Casteljau in long double
void pointAt(const std::vector<PointD>& c, double t, long double& x, long double& y) {
    std::vector<long double> px, py;
    for (const PointD& p : c) {
        px.push_back(p.x);
        py.push_back(p.y);
    }
    for (size_t j = 1; j < c.size(); ++j) {
        for (size_t k = 0; k + j < c.size(); ++k) {
            px[k] = (1 - t) * px[k] + t * px[k + 1];
            py[k] = (1 - t) * py[k] + t * py[k + 1];
        }
    }
    x = px[0];
    y = py[0];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    FuzzedDataProvider data(bytes, size);
    const int mode = data.ConsumeIntegralInRange(0, 3);
    const int n1 = data.ConsumeIntegralInRange(1, maxControlPoints);
    const int n2 = data.ConsumeIntegralInRange(1, maxControlPoints);
    std::vector<PointD> first;
    std::vector<PointD> second;
    if (mode == 1) {
        // both on one line, folded as the positions along it come
        const int exponent = data.ConsumeIntegralInRange(-20, 20);
        const int dx = data.ConsumeIntegralInRange(-16, 16);
        const int dy = data.ConsumeIntegralInRange(-16, 16);
        const int bx = data.ConsumeIntegralInRange(-1024, 1024);
        const int by = data.ConsumeIntegralInRange(-1024, 1024);
        for (auto [c, n] : {std::pair<std::vector<PointD>*, int>{&first, n1}, {&second, n2}}) {
            for (int i = 0; i < n; ++i) {
                const int p = data.ConsumeIntegralInRange(-64, 64);
                c->push_back({std::ldexp(bx + p * dx, exponent), std::ldexp(by + p * dy, exponent)});
            }
        }
    } else {
        first = scattered(data, n1);
        if (mode == 0) {
            second = scattered(data, n2);
        } else if (mode == 2) {
            // the same curve, possibly run back, with some points moved by one float step
            second = first;
            if (data.ConsumeBool()) std::reverse(second.begin(), second.end());
            for (PointD& p : second) {
                if (data.ConsumeIntegralInRange(0, 7) == 0) {
                    p.x = std::nextafter(static_cast<float>(p.x), data.ConsumeBool() ? INFINITY : -INFINITY);
                }
            }
        } else {
            second = scattered(data, 2);
        }
    }

    ExactIntersections r;
    intersectExact(first.data(), static_cast<int>(first.size()), second.data(), static_cast<int>(second.size()), r);
    CHECK(r.work >= 0 && r.work <= exactWorkBound);

    // the box around both polygons: meeting points lie on both curves within rounding of its size
    double largest = 0;
    for (const std::vector<PointD>* c : {&first, &second}) {
        for (const PointD& p : *c) largest = std::max({largest, std::fabs(p.x), std::fabs(p.y)});
    }
    const double near = 1e-6 * std::max(largest, 1e-300);
    for (size_t i = 0; i < r.crossings.size(); ++i) {
        const CurveCrossing& c = r.crossings[i];
        CHECK(std::isfinite(c.x) && std::isfinite(c.y));
        CHECK(c.t >= 0 && c.t <= 1 && c.s >= 0 && c.s <= 1);
        CHECK(i == 0 || r.crossings[i - 1].t < c.t || (r.crossings[i - 1].t == c.t && r.crossings[i - 1].s <= c.s));
        long double ax, ay, bx, by;
        pointAt(first, c.t, ax, ay);
        pointAt(second, c.s, bx, by);
        CHECK(std::hypot(ax - bx, ay - by) <= near);
    }
    for (size_t i = 0; i < r.overlaps.size(); ++i) {
        const CurveOverlap& o = r.overlaps[i];
        CHECK(o.t0 >= 0 && o.t0 < o.t1 && o.t1 <= 1);
        CHECK(o.s0 >= 0 && o.s0 <= 1 && o.s1 >= 0 && o.s1 <= 1 && o.s0 != o.s1);
        CHECK(i == 0 || r.overlaps[i - 1].t0 <= o.t0);
        long double ax, ay, bx, by;
        pointAt(first, o.t0, ax, ay);
        pointAt(second, o.s0, bx, by);
        CHECK(std::hypot(ax - bx, ay - by) <= near);
        pointAt(first, o.t1, ax, ay);
        pointAt(second, o.s1, bx, by);
        CHECK(std::hypot(ax - bx, ay - by) <= near);
    }
    return 0;
}
