// Where the camera stands: the box's fit where it shows everything drawn, the drawn extent framed with a
// margin where it does not. Kept apart from the rest of the camera so that a test build can link the box's
// fit alone in its place and compare pictures.
#include <algorithm>
#include <cmath>

#include "scene/camera.h"
#include "scene/view.h"

namespace {
// Eye distances drawn without scaling the scene: within 2^-120 to 2^120 the distance, the far plane at
// twice it and every product the graphics library forms with them stay normal floats, far from overflow.
const double largestPlainDistance = std::ldexp(1.0, 120);
const double smallestPlainDistance = std::ldexp(1.0, -120);
constexpr int scaledDistanceExponent = 100;  // a scaled scene is seen from about 2^100 or 2^-100 units

// The box's fit stands while its eye is at most this many times farther than framing would put it, so
// that the content fills at least about half of what it would fill framed.
constexpr double keptDistanceRatio = 2.0;

// The margin kept around a reframed extent, as a fraction of the window on each side.
constexpr double framingMargin = 0.05;

const double aspect = static_cast<double>(windowWidth) / static_cast<double>(windowHeight);
// half the visible height at unit distance: tan of half the vertical field of view
const double halfHeightPerDistance = std::tan(0.5 * fieldOfView * 3.14159265358979323846 / 180.0);

// a float no smaller than v: the eye never stands closer than the distance that fits
float roundedUp(double v) {
    float f = static_cast<float>(v);
    if (static_cast<double>(f) < v) f = std::nextafter(f, HUGE_VALF);
    return f;
}

// the eye distance is drawable as it is, without scaling the scene
bool plainDistance(float e) {
    const double d = e;
    return std::isfinite(d) && (d == 0.0 || (d >= smallestPlainDistance && d <= largestPlainDistance));
}

// whether the camera, in a window of the starting size, shows the point (x, y) inside the picture
bool showsInside(const Camera& camera, double x, double y) {
    const double scale = std::ldexp(1.0, -camera.unitExponent);
    const double halfHeight = static_cast<double>(viewingDistance(camera)) * halfHeightPerDistance;
    return std::fabs(x * scale - camera.cx) <= halfHeight * aspect && std::fabs(y * scale - camera.cy) <= halfHeight;
}

// The drawn extent, centred, from the least distance at which it keeps the margin on every side.
Camera frameExtent(const Extent& drawn) {
    const double minX = drawn.min.x;
    const double minY = drawn.min.y;
    const double maxX = drawn.max.x;
    const double maxY = drawn.max.y;
    // The half width and half height seen from unit distance, less the margin. The margin ends half a
    // pixel further in, so that an edge of the extent (a horizontal or vertical hull edge) lies along the
    // middle of a pixel row or column, not on the boundary between two.
    const double unitWidth =
        halfHeightPerDistance * aspect * (1.0 - (framingMargin * windowWidth + 0.5) / (0.5 * windowWidth));
    const double unitHeight =
        halfHeightPerDistance * (1.0 - (framingMargin * windowHeight + 0.5) / (0.5 * windowHeight));
    // what the eye distance has to be in scene units, before the centre is rounded: it picks the unit
    const double estimate = std::max(0.5 * (maxX - minX) / unitWidth, 0.5 * (maxY - minY) / unitHeight);

    Camera camera;
    camera.unitExponent = unitExponentFor(estimate);
    const int k = -camera.unitExponent;
    // the centre in drawn units (scaling by a power of two is exact), rounded to float
    camera.cx = static_cast<float>(0.5 * (std::ldexp(minX, k) + std::ldexp(maxX, k)));
    camera.cy = static_cast<float>(0.5 * (std::ldexp(minY, k) + std::ldexp(maxY, k)));
    // the half extents from the rounded centre, which may lie a little off the middle
    const double halfX = std::max(std::ldexp(maxX, k) - camera.cx, camera.cx - std::ldexp(minX, k));
    const double halfY = std::max(std::ldexp(maxY, k) - camera.cy, camera.cy - std::ldexp(minY, k));
    camera.e = roundedUp(std::max(halfX / unitWidth, halfY / unitHeight));
    return camera;
}
}  // namespace

int unitExponentFor(double distance) {
    // Beyond the plain distances the scene is scaled just inside them, 2^100 times nearer the limit than
    // the distance itself: scale factors stay normal floats (at most 2^-31 and 2^50 for float extents).
    if (distance > largestPlainDistance) return std::ilogb(distance) - scaledDistanceExponent;
    if (distance > 0.0 && distance < smallestPlainDistance) return std::ilogb(distance) + scaledDistanceExponent;
    return 0;
}

Camera frameScene(Point boxMin, Point boxMax, const Extent& drawn) {
    const Camera boxFit = fitCamera(boxMin, boxMax);
    if (drawn.empty) return boxFit;
    const Camera framed = frameExtent(drawn);
    // the extent is a rectangle: its corners are inside exactly when all of it is
    const bool showsAll = plainDistance(boxFit.e) && showsInside(boxFit, drawn.min.x, drawn.min.y) &&
                          showsInside(boxFit, drawn.max.x, drawn.max.y);
    // and not as a speck: the box's starting corners can put the eye hundreds of times farther than the
    // content needs (curves near (5000, 5000) fill 30 pixels)
    const bool fairSize = static_cast<double>(boxFit.e) <=
                          keptDistanceRatio * std::ldexp(static_cast<double>(framed.e), framed.unitExponent);
    return showsAll && fairSize ? boxFit : framed;
}
