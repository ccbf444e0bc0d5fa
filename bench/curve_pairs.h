// The pairs of control polygons the exact intersection's benchmarks share: the pair of cubics crossing
// three times, the default example's cubics, the nine-point example given with ten control points, and
// seeded random pairs.
#pragma once

#include <random>
#include <vector>

#include "geometry/geometry.h"
#include "tests/support/elevated.h"

namespace benchpairs {

using Polygon = std::vector<Point>;
struct Pair {
    Polygon a;
    Polygon b;
};

inline std::vector<Pair> issueCubics() {
    return {
        {{Point(0, 0), Point(1, 2), Point(2, -1), Point(3, 1)}, {Point(0, 1), Point(1, -1), Point(2, 2), Point(3, 0)}}};
}

inline std::vector<Pair> defaultExample() {
    return {{{Point(0, 2), Point(3, 9.5f), Point(6, 1.5f), Point(10, 8)},
             {Point(0, 6.5f), Point(4, 1.5f), Point(7, 9.5f), Point(10, 2.5f)}}};
}

inline std::vector<Pair> tenPointsTenCrossings() {
    const Polygon a = {Point(4, 4), Point(6, 6), Point(8, 7),  Point(1, 3), Point(6, 3),
                       Point(9, 0), Point(9, 3), Point(10, 3), Point(3, 6)};
    const Polygon b = {Point(3, 9),  Point(2, 4), Point(5, 0), Point(10, 4), Point(7, 7),
                       Point(2, 10), Point(2, 0), Point(5, 6), Point(8, 5)};
    return {{elevated(a), elevated(b)}};
}

// pairs of curves of `points` control points each, coordinates uniform in [low, high)
inline std::vector<Pair> randomCurves(int points, int count, unsigned seed, float low = -1.0f, float high = 1.0f) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> coordinate(low, high);
    std::vector<Pair> pairs(static_cast<size_t>(count));
    for (Pair& p : pairs) {
        for (Polygon* c : {&p.a, &p.b}) {
            for (int i = 0; i < points; ++i) c->push_back(Point(coordinate(random), coordinate(random)));
        }
    }
    return pairs;
}

// 64 pairs of ten control points in [0, 10)
inline std::vector<Pair> randomTenPointPairs() { return randomCurves(10, 64, 10, 0.0f, 10.0f); }

}  // namespace benchpairs
