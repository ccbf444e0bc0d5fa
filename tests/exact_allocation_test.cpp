// The exact intersection allocates no heap memory for a pair it has answered before on the same thread
// (its result's storage and its working storage reused), for every kind of pair: curves on one line, a
// curve against a line with contact of high order (exact integer arithmetic), quadratics, and cubics that
// touch (answered a second time, exactly). Every operator new of this program is counted; the answer of
// the repeated call must also be the first one's.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bench/allocation_counter.h"  // counts every operator new of this program
#include "intersect/exact.h"

namespace {

using Polygon = std::vector<PointD>;

struct AllocationCase {
    std::string name;
    Polygon a;
    Polygon b;
    size_t crossings;  // what the pair has, so that the case is what it claims to be
    size_t overlaps;
};

void PrintTo(const AllocationCase& c, std::ostream* os) { *os << c.name; }

Polygon powerCurve(int degree) {  // x = y^degree for y in [-1, 1]: order `degree` contact with x = 0 at t = 1/2
    Polygon p;
    for (int k = 0; k <= degree; ++k) p.push_back({k % 2 == 0 ? 1.0 : -1.0, -1 + 2.0 * k / degree});
    return p;
}

// The counts follow from the construction of each pair (given beside it).
std::vector<AllocationCase> allocationCases() {
    // a cubic through the origin at t = 1/2, tangent to the x axis there, and its mirror image in that
    // axis: they touch there only
    const Polygon cubic{{-4, 9}, {1, -5}, {2, 1}, {-5, 3}};
    Polygon mirrored = cubic;
    for (PointD& p : mirrored) p.y = -p.y;
    // the mirror image with one control point more (the same curve: Q_i = i/4 P_(i-1) + (1 - i/4) P_i,
    // exact in binary)
    Polygon elevated{mirrored[0]};
    for (int i = 1; i < 4; ++i) {
        const double f = i / 4.0;
        elevated.push_back(
            {f * mirrored[i - 1].x + (1 - f) * mirrored[i].x, f * mirrored[i - 1].y + (1 - f) * mirrored[i].y});
    }
    elevated.push_back(mirrored[3]);
    return {
        // x = 8 t (1 - t) runs out to 2 and back; [1, 3] shares [1, 2] with it on the way out and on the way
        // back, and does not turn back at 2 itself: two stretches
        {"FoldedOnOneLine", {{0, 0}, {4, 0}, {0, 0}}, {{1, 0}, {3, 0}}, 0, 2},
        {"OverlappingSegments", {{0, 0}, {4, 0}}, {{2, 0}, {6, 0}}, 0, 1},
        {"SegmentsCrossing", {{0, 0}, {2, 2}}, {{0, 2}, {2, 0}}, 1, 0},
        // x = y^30 meets x = 0 at the origin only
        {"HighContactWithALine", powerCurve(30), {{0, -2}, {0, 2}}, 1, 0},
        // y = -(1-s)^3 + 9 s (1-s)^2 - 9 s^2 (1-s) + s^3, x = 2 s - 1: y < 0 at 0, > 0 at 1/4, 0 at 1/2, < 0
        // at 3/4, > 0 at 1: three crossings of the axis within x in [-1, 1]
        {"CurveAgainstAStraightQuadratic",
         {{-1, -1}, {-1.0 / 3, 3}, {1.0 / 3, -3}, {1, 1}},
         {{-2, 0}, {0, 0}, {2, 0}},
         3,
         0},
        // y = x^2 and y = (1 - x^2) / 2 cross at x = +-1/sqrt(3)
        {"QuadraticsCrossingTwice", {{-1, 1}, {0, -1}, {1, 1}}, {{-1, 0}, {0, 1}, {1, 0}}, 2, 0},
        // y = x^2 and y = -2 x^2 touch at the origin
        {"QuadraticsTouching", {{-1, 1}, {0, -1}, {1, 1}}, {{-1, -2}, {0, 2}, {1, -2}}, 1, 0},
        {"CubicsTouching", cubic, mirrored, 1, 0},
        {"CubicTouchingAQuartic", cubic, elevated, 1, 0},
    };
}

class ExactAllocations : public ::testing::TestWithParam<AllocationCase> {};

TEST_P(ExactAllocations, RepeatedPairAllocatesNothing) {
    const AllocationCase& c = GetParam();
    ExactIntersections first;
    intersectExact(c.a.data(), static_cast<int>(c.a.size()), c.b.data(), static_cast<int>(c.b.size()), first);
    ASSERT_EQ(first.crossings.size(), c.crossings);
    ASSERT_EQ(first.overlaps.size(), c.overlaps);
    ExactIntersections again = first;  // storage of the right size, contents to be replaced
    const long before = heapAllocations;
    intersectExact(c.a.data(), static_cast<int>(c.a.size()), c.b.data(), static_cast<int>(c.b.size()), again);
    EXPECT_EQ(heapAllocations - before, 0);
    ASSERT_EQ(again.crossings.size(), first.crossings.size());
    for (size_t i = 0; i < first.crossings.size(); ++i) {
        EXPECT_EQ(again.crossings[i].t, first.crossings[i].t);
        EXPECT_EQ(again.crossings[i].s, first.crossings[i].s);
        EXPECT_EQ(again.crossings[i].touch, first.crossings[i].touch);
    }
    ASSERT_EQ(again.overlaps.size(), first.overlaps.size());
    for (size_t i = 0; i < first.overlaps.size(); ++i) {
        EXPECT_EQ(again.overlaps[i].t0, first.overlaps[i].t0);
        EXPECT_EQ(again.overlaps[i].t1, first.overlaps[i].t1);
    }
}

INSTANTIATE_TEST_SUITE_P(Pairs, ExactAllocations, ::testing::ValuesIn(allocationCases()),
                         [](const ::testing::TestParamInfo<AllocationCase>& row) { return row.param.name; });

}  // namespace
