#include "scene/camera.h"

#include <cmath>

namespace {
// Fixed near and far planes, and the band of viewing distances they serve: within it the scene plane is
// at least a factor 2 inside either plane, far from any rounding at the clipping boundary.
constexpr double fixedNear = 1.0;
constexpr double fixedFar = 1000.0;
constexpr double planeMargin = 2.0;
constexpr double fixedBandLow = fixedNear * planeMargin;  // 2
constexpr double fixedBandHigh = fixedFar / planeMargin;  // 500

constexpr float unitDistance = 1.0f;  // stands in for e = 0, where the content has no extent to fit
}  // namespace

Camera fitCamera(Point min, Point max) {
    Camera camera;
    camera.cx = static_cast<float>((static_cast<double>(max.x) + static_cast<double>(min.x)) * 0.5);
    camera.cy = static_cast<float>((static_cast<double>(max.y) + static_cast<double>(min.y)) * 0.5);
    // the maximum corner's coordinate keeps its sign
    const double sx = std::fabs(static_cast<double>(min.x)) + static_cast<double>(max.x);
    const double sy = std::fabs(static_cast<double>(min.y)) + static_cast<double>(max.y);
    // the factor 2 weighs the comparison only; a tie goes to sy
    camera.e = static_cast<float>(2.0 * sx > sy ? sx : sy);
    return camera;
}

float viewingDistance(const Camera& camera) {
    // e = 0: the eye would stand in the scene plane and see nothing of it (a scene box never gives a
    // negative e, as its maximum corner never drops below 0; such a value is treated the same way)
    if (!(camera.e > 0.0f)) return unitDistance;
    return camera.e;
}

DepthRange depthRange(float viewingDistance) {
    const double d = viewingDistance;
    if (d >= fixedBandLow && d <= fixedBandHigh) return {fixedNear, fixedFar};
    return {d / planeMargin, d * planeMargin};
}
