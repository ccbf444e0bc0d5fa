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
