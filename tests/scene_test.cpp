#include "scene/scene.h"

#include <iterator>
#include <vector>

#include "testing.h"

namespace {

struct BoxCase {
    const char* name;
    std::vector<Point> added;  // added with addPoint, in order
    Point min;
    Point max;
    Point drawnMin;  // the extent of the points themselves (unused when nothing is added)
    Point drawnMax;
};

const BoxCase boxCases[] = {
    {"NothingAdded", {}, {1024, 700}, {0, 0}, {0, 0}, {0, 0}},
    {"OnePointMovesBothCorners", {{500, 300}}, {500, 300}, {500, 300}, {500, 300}, {500, 300}},
    {"FarRightKeepsMinimumX", {{2000, 100}, {3000, 200}}, {1024, 100}, {3000, 200}, {2000, 100}, {3000, 200}},
    {"NegativeOnlyKeepsMaximum", {{-5, -7}, {-1, -2}}, {-5, -7}, {0, 0}, {-5, -7}, {-1, -2}},
    {"WindowCornerIsNotBelowMinimum", {{1024, 700}}, {1024, 700}, {1024, 700}, {1024, 700}, {1024, 700}},
    {"SpreadPoints", {{-3, 5}, {7, -2}, {1, 900}}, {-3, -2}, {7, 900}, {-3, -2}, {7, 900}},
    {"OutsideBothStartingCorners",
     {{1e5f, 1e5f}, {1e5f + 10, 1e5f - 10}},
     {1024, 700},
     {1e5f + 10, 1e5f},
     {1e5f, 1e5f - 10},
     {1e5f + 10, 1e5f}},
};

class SceneBox : public ::testing::TestWithParam<BoxCase> {};

// The box follows the strict comparisons from its starting corners; the drawn extent beside it holds
// exactly the points added.
TEST_P(SceneBox, FollowsStrictComparisons) {
    clearScene();
    for (const Point& p : GetParam().added) addPoint(p, WHITE);
    EXPECT_TRUE(samePosition(minCorner, GetParam().min)) << minCorner;
    EXPECT_TRUE(samePosition(maxCorner, GetParam().max)) << maxCorner;
    EXPECT_EQ(minCorner.color, BLACK);
    EXPECT_EQ(maxCorner.color, BLACK);
    EXPECT_EQ(drawnExtent.empty, GetParam().added.empty());
    if (!drawnExtent.empty) {
        EXPECT_TRUE(samePosition(drawnExtent.min, GetParam().drawnMin)) << drawnExtent.min;
        EXPECT_TRUE(samePosition(drawnExtent.max, GetParam().drawnMax)) << drawnExtent.max;
    }
}

TEST(SceneStore, DrawnExtentCoversSegmentEndsAndIsClearedWithTheScene) {
    clearScene();
    const Point none[1];
    addPolygon(none, 0, YELLOW);  // nothing added: still empty
    EXPECT_TRUE(drawnExtent.empty);
    addSegment(Segment(Point(3000, -4), Point(2000, -9)), RED);
    EXPECT_FALSE(drawnExtent.empty);
    EXPECT_TRUE(samePosition(drawnExtent.min, Point(2000, -9))) << drawnExtent.min;
    EXPECT_TRUE(samePosition(drawnExtent.max, Point(3000, -4))) << drawnExtent.max;
    clearScene();
    EXPECT_TRUE(drawnExtent.empty);
}

INSTANTIATE_TEST_SUITE_P(Cases, SceneBox, ::testing::ValuesIn(boxCases), RowName());

TEST(SceneStore, SegmentWidensBoxByBothEnds) {
    clearScene();
    addSegment(Segment(Point(10, 20), Point(5, 40)), RED);
    EXPECT_TRUE(samePosition(minCorner, Point(5, 20)));
    EXPECT_TRUE(samePosition(maxCorner, Point(10, 40)));
}

TEST(SceneStore, AddedColourReplacesRecordColour) {
    clearScene();
    Point a(1, 2);
    a.color = GREEN;
    Point b(3, 4);
    b.color = CYAN;
    addSegment(Segment(a, b), RED);
    Point blue(5, 6);
    blue.color = BLUE;
    addPoint(blue, WHITE);
    ASSERT_EQ(segments.size(), 1u);
    EXPECT_EQ(segments.front().color, RED);
    EXPECT_EQ(segments.front().a.color, GREEN);  // ends keep their own colours
    EXPECT_EQ(segments.front().b.color, CYAN);
    ASSERT_EQ(points.size(), 1u);
    EXPECT_EQ(points.front().color, WHITE);
}

TEST(SceneStore, PolygonOutlineRunsInVertexOrderWithClosingEdgeLast) {
    struct Row {
        std::vector<Point> vertices;
        std::vector<std::pair<int, int>> edges;  // vertex indices of each stored segment, in order
    };
    const Row rows[] = {
        {{{0, 0}, {4, 0}, {2, 3}}, {{0, 1}, {1, 2}, {2, 0}}},
        {{{1, 1}}, {{0, 0}}},                  // one vertex: a segment from it to itself
        {{{0, 0}, {2, 2}}, {{0, 1}, {1, 0}}},  // two vertices: the edge in both directions
        {{}, {}},                              // no vertices: nothing at all
    };
    for (const Row& row : rows) {
        clearScene();
        addPolygon(row.vertices.data(), static_cast<int>(row.vertices.size()), YELLOW);
        ASSERT_EQ(segments.size(), row.edges.size());
        auto it = segments.begin();
        for (const auto& edge : row.edges) {
            EXPECT_TRUE(samePosition(it->a, row.vertices[static_cast<size_t>(edge.first)])) << it->a;
            EXPECT_TRUE(samePosition(it->b, row.vertices[static_cast<size_t>(edge.second)])) << it->b;
            EXPECT_EQ(it->color, YELLOW);
            ++it;
        }
    }
}

TEST(SceneStore, EmptyPolygonLeavesBoxAlone) {
    clearScene();
    const Point p(3, 3);
    addPolygon(&p, 0, YELLOW);
    addPolygon(&p, -4, YELLOW);
    EXPECT_TRUE(segments.empty());
    EXPECT_TRUE(samePosition(minCorner, Point(1024, 700)));
    EXPECT_TRUE(samePosition(maxCorner, Point(0, 0)));
}

TEST(SceneStore, AddPointsAreWhiteInOrder) {
    clearScene();
    Point pts[3] = {{1, 1}, {2, 2}, {3, 3}};
    pts[1].color = RED;
    addPoints(pts, 3);
    addPoints(pts, 0);
    addPoints(pts, -1);
    ASSERT_EQ(points.size(), 3u);
    int i = 0;
    for (const Point& p : points) {
        EXPECT_TRUE(samePosition(p, pts[i++]));
        EXPECT_EQ(p.color, WHITE);
    }
}

TEST(SceneStore, ZeroPointsLeaveBoxUnchanged) {
    clearScene();
    addPoints(nullptr, 0);
    EXPECT_TRUE(points.empty());
    EXPECT_TRUE(samePosition(minCorner, Point(1024, 700)));
}

}  // namespace

TEST(SceneStore, ClearingGivesBackTheStartingScene) {
    clearScene();
    addPoint(Point(-5, 2000), RED);
    addSegment(Segment(Point(1, 1), Point(3, -4)), GREEN);
    clearScene();
    EXPECT_TRUE(points.empty() && segments.empty() && lines.empty() && circles.empty());
    EXPECT_TRUE(samePosition(minCorner, Point(1024, 700)));
    EXPECT_TRUE(samePosition(maxCorner, Point(0, 0)));
    addPoint(Point(2, 3), RED);  // the box starts over from its starting corners
    EXPECT_TRUE(samePosition(minCorner, Point(2, 3)));
    EXPECT_TRUE(samePosition(maxCorner, Point(2, 3)));
}
