// The camera fitted to the scene's bounding box, and the near and far planes chosen for it.
#include "scene/camera.h"

#include <cmath>
#include <vector>

#include "testing.h"

namespace {

struct FitCase {
    const char* name;
    Point min, max;
    float cx, cy, e;
};

const FitCase fitCases[] = {
    // nothing added: the box keeps its starting corners
    {"EmptyScene", {1024, 700}, {0, 0}, 512, 350, 1024},
    {"Symmetric", {-10, -5}, {10, 5}, 0, 0, 20},
    // 2·2 is not greater than 10
    {"TallBoxTakesHeight", {0, 0}, {2, 10}, 1, 5, 10},
    // 2·5 equals 10, which is not strictly greater
    {"TieTakesHeight", {0, 0}, {5, 10}, 2.5f, 5, 10},
    // the factor 2 weighs the comparison only: e is sx = 4, not 8
    {"WidthNotDoubled", {1, 1}, {3, 1}, 2, 1, 4},
    // the minimum corner counts by its absolute value, not as the box's width: sx = 1 + 3
    {"PositiveMinimumAdds", {1, 2}, {3, 2.5f}, 2, 2.25f, 4},
    {"NegativeMinimumAdds", {-6, -1}, {2, 3}, -2, 1, 8},
    {"AllAtOrigin", {0, 0}, {0, 0}, 0, 0, 0},
    // compared before rounding: sx = 16777216.5 exceeds 33554432 / 2, though it rounds to exactly that
    {"ComparedInDouble", {-0.5f, 0}, {16777216, 33554432}, 8388608, 16777216, 16777216},
};

class CameraFit : public ::testing::TestWithParam<FitCase> {};

TEST_P(CameraFit, CentreAndEyeDistance) {
    const FitCase& c = GetParam();
    const Camera camera = fitCamera(c.min, c.max);
    EXPECT_EQ(camera.cx, c.cx);
    EXPECT_EQ(camera.cy, c.cy);
    EXPECT_EQ(camera.e, c.e);
}

INSTANTIATE_TEST_SUITE_P(Cases, CameraFit, ::testing::ValuesIn(fitCases), RowName());

// ---------------------------------------------------------------------------------------------------
// Framing what was drawn

// The scene's box for content spanning the extent: the starting corners (1024, 700) and (0, 0) widened by it.
void boxOf(const Extent& drawn, Point& boxMin, Point& boxMax) {
    boxMin = Point(1024, 700);
    boxMax = Point(0, 0);
    if (drawn.empty) return;
    boxMin = Point(std::fmin(boxMin.x, drawn.min.x), std::fmin(boxMin.y, drawn.min.y));
    boxMax = Point(std::fmax(boxMax.x, drawn.max.x), std::fmax(boxMax.y, drawn.max.y));
}

Extent extent(float minX, float minY, float maxX, float maxY) {
    Extent e;
    e.min = Point(minX, minY);
    e.max = Point(maxX, maxY);
    e.empty = false;
    return e;
}

// Where scene point (x, y) lands in the 1024 x 700 window, in pixels from its lower-left corner, through the
// 45-degree perspective of the camera.
void pixelOf(const Camera& c, double x, double y, double& column, double& row) {
    const double unit = std::ldexp(1.0, c.unitExponent);
    const double distance = c.e > 0 ? c.e : 1.0;
    const double pixelsPerUnit = 350.0 / (distance * std::tan(22.5 * 3.14159265358979323846 / 180.0));
    column = 512.0 + (x / unit - c.cx) * pixelsPerUnit;
    row = 350.0 + (y / unit - c.cy) * pixelsPerUnit;
}

// Content the box's fit shows whole and at a fair size: the camera is exactly the box's, so such pictures
// do not change.
struct KeptCase {
    const char* name;
    Extent drawn;
};

const KeptCase keptCases[] = {
    {"EmptyScene", Extent()},
    {"DefaultExample", extent(0, 1.5f, 10, 9.5f)},
    {"Symmetric", extent(-10, -5, 10, 5)},
    // e = 0, seen from one unit away: the point is the centre
    {"AllAtOrigin", extent(0, 0, 0, 0)},
    // the view at e = 10 is 8.28 high
    {"JustInside", extent(0, 0, 10, 8.28f)},
    // e = 0.005 (|0.001| + 0.004): the content fills half the width
    {"Thousandths", extent(0.001f, 0.002f, 0.004f, 0.003f)},
};

class CameraFrameKept : public ::testing::TestWithParam<KeptCase> {};

TEST_P(CameraFrameKept, TheBoxFitStandsToTheBit) {
    Point boxMin, boxMax;
    boxOf(GetParam().drawn, boxMin, boxMax);
    const Camera framed = frameScene(boxMin, boxMax, GetParam().drawn);
    const Camera boxFit = fitCamera(boxMin, boxMax);
    EXPECT_EQ(framed.cx, boxFit.cx);
    EXPECT_EQ(framed.cy, boxFit.cy);
    EXPECT_EQ(framed.e, boxFit.e);
    EXPECT_EQ(framed.unitExponent, 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, CameraFrameKept, ::testing::ValuesIn(keptCases), RowName());

// Content the box's fit would cut off, or show as a speck far from the middle: the extent is framed.
struct ReframedCase {
    const char* name;
    Extent drawn;
};

const ReframedCase reframedCases[] = {
    // the 45-degree view at the box's width shows only about 0.83 of that width in height
    {"Tall", extent(0, 0, 2, 10)},
    {"TallZigzag", extent(0, -6, 9, 6)},
    {"SmallParabola", extent(0.05f, 0.05f, 0.55f, 0.55f)},
    // beyond the box's starting corner (1024, 700) the box's centre lies far from the content
    {"BeyondTheStartingBox", extent(100000, 100000, 100010, 100010)},
    // inside the box's picture, but 30 pixels wide
    {"DefaultMovedBy5000", extent(5000, 5001.5f, 5010, 5009.5f)},
    {"HorizontalSegmentFarOut", extent(2000, 3, 2100, 3)},
    {"SinglePointFarOut", extent(5000, 3000, 5000, 3000)},
    {"NegativeCoordinates", extent(-20, -18.5f, -10, -10.5f)},
    {"VerticalSegment", extent(-4, -50, -4, 50)},
    {"Millions", extent(-3e6f, 2e6f, 1e6f, 5e6f)},
    // e = |1e-30| + 3e-30 is 2.2 times the framed distance: the same at every scale
    {"TinyScale", extent(1e-30f, 1e-30f, 3e-30f, 2e-30f)},
    {"UnitScale", extent(1, 1, 3, 2)},
    {"SubnormalScale", extent(0, 0, 1e-44f, 1e-44f)},
    // the box's sizes overflow a float: the scene is drawn scaled, from a finite distance
    {"FloatLimit", extent(-3.4e38f, 0, 3.4e38f, 1)},
    {"FloatLimitTall", extent(0, -3.4028235e38f, 1, 3.4028235e38f)},
    {"FloatLimitCorner", extent(3e38f, 3e38f, 3.4028235e38f, 3.4028235e38f)},
};

class CameraFrameReframed : public ::testing::TestWithParam<ReframedCase> {};

TEST_P(CameraFrameReframed, EveryCornerInsideTheMarginFromTheLeastDistance) {
    const Extent& drawn = GetParam().drawn;
    Point boxMin, boxMax;
    boxOf(drawn, boxMin, boxMax);
    const Camera c = frameScene(boxMin, boxMax, drawn);
    const Camera boxFit = fitCamera(boxMin, boxMax);
    EXPECT_FALSE(c.cx == boxFit.cx && c.cy == boxFit.cy && c.e == boxFit.e && c.unitExponent == 0);

    ASSERT_TRUE(std::isfinite(c.cx) && std::isfinite(c.cy) && std::isfinite(c.e));
    ASSERT_GE(c.e, 0.0f);
    // a scaled scene has a scale factor and planes that are ordinary floats
    const float scale = std::ldexp(1.0f, -c.unitExponent);
    EXPECT_TRUE(std::isnormal(scale)) << c.unitExponent;
    const DepthRange planes = depthRange(viewingDistance(c));
    EXPECT_TRUE(std::isnormal(static_cast<float>(planes.zNear)) && std::isnormal(static_cast<float>(planes.zFar)));

    // every corner at least 5% of the window inside each edge, and the extent centred
    double left = 1e300, right = -1e300, bottom = 1e300, top = -1e300;
    for (const double x : {static_cast<double>(drawn.min.x), static_cast<double>(drawn.max.x)}) {
        for (const double y : {static_cast<double>(drawn.min.y), static_cast<double>(drawn.max.y)}) {
            double column = 0, row = 0;
            pixelOf(c, x, y, column, row);
            left = std::fmin(left, column);
            right = std::fmax(right, column);
            bottom = std::fmin(bottom, row);
            top = std::fmax(top, row);
        }
    }
    const double slack = 1e-6;  // pixels
    EXPECT_GE(left, 0.05 * 1024 - slack);
    EXPECT_LE(right, 0.95 * 1024 + slack);
    EXPECT_GE(bottom, 0.05 * 700 - slack);
    EXPECT_LE(top, 0.95 * 700 + slack);
    EXPECT_NEAR(left + right, 1024.0, 1e-3);
    EXPECT_NEAR(bottom + top, 700.0, 1e-3);
    // from the least such distance: the extent reaches the margin, and half a pixel more, along one axis,
    // so that its edge runs along the middle of a pixel (a point has no extent)
    if (drawn.min.x != drawn.max.x || drawn.min.y != drawn.max.y) {
        const double widthUsed = (right - left) / (1024 - 2 * (0.05 * 1024 + 0.5));
        const double heightUsed = (top - bottom) / (700 - 2 * (0.05 * 700 + 0.5));
        EXPECT_NEAR(std::fmax(widthUsed, heightUsed), 1.0, 1e-5);
    } else {
        EXPECT_EQ(c.e, 0.0f);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, CameraFrameReframed, ::testing::ValuesIn(reframedCases), RowName());

TEST(CameraViewingDistance, EyeDistanceExceptInTheScenePlane) {
    EXPECT_EQ(viewingDistance({0, 0, 20}), 20.0f);
    EXPECT_EQ(viewingDistance({3, 4, 1e-6f}), 1e-6f);
    // e = 0 would put the eye in the plane it looks at
    EXPECT_EQ(viewingDistance({0, 0, 0}), 1.0f);
    EXPECT_EQ(viewingDistance({0, 0, -0.0f}), 1.0f);
}

struct PlaneCase {
    const char* name;
    float distance;
    double zNear, zFar;
};

const PlaneCase planeCases[] = {
    {"BandLowEdge", 2, 1, 1000},
    {"Default", 10, 1, 1000},
    {"EmptyWindowBox", 700, 350, 1400},
    {"BandHighEdge", 500, 1, 1000},
    {"JustAboveBand", 500.5f, 250.25, 1001},
    {"JustBelowBand", 1.99f, 1.99f / 2.0, 1.99f * 2.0},
    {"OnTheFixedNearPlane", 1, 0.5, 2},
    {"OnTheFixedFarPlane", 1000, 500, 2000},
    {"HalfUnit", 0.5f, 0.25, 1},
    {"Thousands", 3000, 1500, 6000},
};

class CameraPlanes : public ::testing::TestWithParam<PlaneCase> {};

TEST_P(CameraPlanes, FixedInsideTheBandScaledOutside) {
    const PlaneCase& c = GetParam();
    const DepthRange range = depthRange(c.distance);
    EXPECT_EQ(range.zNear, c.zNear);
    EXPECT_EQ(range.zFar, c.zFar);
}

INSTANTIATE_TEST_SUITE_P(Cases, CameraPlanes, ::testing::ValuesIn(planeCases), RowName());

// Whatever the box, the scene plane lies strictly between the planes, also once the graphics library
// holds them as floats, and the near plane is in front of the eye.
TEST(CameraPlanes, ScenePlaneAlwaysBetweenThem) {
    std::vector<float> distances;
    for (int power = -30; power <= 30; ++power) {
        for (const float mantissa : {1.0f, 1.5f, 2.0f, 3.7f, 5.0f, 9.99f}) {
            distances.push_back(mantissa * std::pow(10.0f, static_cast<float>(power)));
        }
    }
    for (const float special : {0.0f, 1e-40f, 0.99999f, 1.00001f, 999.99f, 1000.01f, 3.4e37f}) {
        distances.push_back(special);
    }
    for (const float e : distances) {
        const float d = viewingDistance({0, 0, e});
        const DepthRange range = depthRange(d);
        EXPECT_GT(range.zNear, 0.0) << "e = " << e;
        EXPECT_LT(static_cast<float>(range.zNear), d) << "e = " << e;
        EXPECT_GT(static_cast<float>(range.zFar), d) << "e = " << e;
    }
}

}  // namespace
