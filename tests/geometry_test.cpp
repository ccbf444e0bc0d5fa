#include "geometry/geometry.h"

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

TEST(GeometryRecords, SelfAssignmentChangesNothing) {
    Point p(1.25f, -7.5f);
    p.color = CYAN;
    Point& alias = p;
    p = alias;
    EXPECT_EQ(p.x, 1.25f);
    EXPECT_EQ(p.y, -7.5f);
    EXPECT_EQ(p.color, CYAN);
    Segment s(Point(1, 2), Point(3, 4), MAGENTA);
    Segment& sAlias = s;
    s = sAlias;
    EXPECT_EQ(s.color, MAGENTA);
    EXPECT_TRUE(samePosition(s.b, Point(3, 4)));
}

TEST(GeometryRecords, ColourCodesAreFixed) {
    const int codes[] = {RED, GREEN, BLUE, YELLOW, ORANGE, MAGENTA, CYAN, PURPLE, WHITE, BLACK};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(codes[i], i);
}

}  // namespace
