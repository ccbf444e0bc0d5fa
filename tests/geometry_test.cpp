#include "geometry/geometry.h"

#include <cstddef>
#include <type_traits>

#include "testing.h"

namespace {

TEST(GeometryRecords, DefaultsAreBlackAtOrigin) {
    const Point p;
    EXPECT_EQ(p.x, 0.0f);
    EXPECT_EQ(p.y, 0.0f);
    EXPECT_EQ(p.color, BLACK);
    const Point q(3.5f, -2.0f);
    EXPECT_EQ(q.x, 3.5f);
    EXPECT_EQ(q.y, -2.0f);
    EXPECT_EQ(q.color, BLACK);
    const Segment s;
    EXPECT_EQ(s.color, BLACK);
    EXPECT_EQ(s.a.color, BLACK);
    EXPECT_EQ(Line().color, BLACK);
    EXPECT_EQ(Circle().color, BLACK);
}

TEST(GeometryRecords, SegmentCarriesEndColours) {
    Point a(1, 2);
    a.color = ORANGE;
    Point b(3, 4);
    b.color = PURPLE;
    const Segment plain(a, b);
    EXPECT_EQ(plain.color, BLACK);
    EXPECT_EQ(plain.a.color, ORANGE);
    EXPECT_EQ(plain.b.color, PURPLE);
    EXPECT_TRUE(samePosition(plain.b, b));
    const Segment coloured(a, b, YELLOW);
    EXPECT_EQ(coloured.color, YELLOW);
    EXPECT_EQ(coloured.a.color, ORANGE);
}

// The records are plain values laid out field by field in the stated order, 32 bits each, so that arrays of
// them are what the rest of the program walks: a point is x, y, colour; a segment its ends, then its colour.
TEST(GeometryRecords, FieldsInTheirOrderThirtyTwoBitsEach) {
    EXPECT_EQ(offsetof(Point, x), 0u);
    EXPECT_EQ(offsetof(Point, y), 4u);
    EXPECT_EQ(offsetof(Point, color), 8u);
    EXPECT_EQ(sizeof(Point), 12u);
    EXPECT_EQ(offsetof(Segment, a), 0u);
    EXPECT_EQ(offsetof(Segment, b), sizeof(Point));
    EXPECT_EQ(offsetof(Segment, color), 2 * sizeof(Point));
    EXPECT_EQ(offsetof(Circle, radius), sizeof(Point));
    EXPECT_TRUE(std::is_trivially_copyable<Point>::value && std::is_trivially_copyable<Segment>::value);
}

// The colour each code stands for, as the window draws it.
TEST(GeometryRecords, ColourTableHoldsEachCodesColour) {
    const float expected[colorCount][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1},       {1, 1, 0}, {1, 0.5f, 0},
                                           {1, 0, 1}, {0, 1, 1}, {0.5f, 0, 0.5f}, {1, 1, 1}, {0, 0, 0}};
    for (int code = 0; code < colorCount; ++code) {
        EXPECT_EQ(colorTable[code].red, expected[code][0]) << code;
        EXPECT_EQ(colorTable[code].green, expected[code][1]) << code;
        EXPECT_EQ(colorTable[code].blue, expected[code][2]) << code;
    }
}

TEST(GeometryRecords, ColourCodesAreFixed) {
    const int codes[] = {RED, GREEN, BLUE, YELLOW, ORANGE, MAGENTA, CYAN, PURPLE, WHITE, BLACK};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(codes[i], i);
}

}  // namespace
