// The camera that frames the scene: where the eye stands, fitted once to what was drawn, and the depth
// range of the projection. Plain arithmetic, no graphics calls, so it is tested without a window.
#pragma once

#include "geometry/geometry.h"
#include "scene/scene.h"

// The eye looks down the negative z axis from (cx, cy, e) at the scene, which lies in the plane z = 0.
// The scene is drawn in units of 2^unitExponent scene units: its coordinates are multiplied by
// 2^-unitExponent (exactly, a power of two) and cx, cy and e are in those units. The exponent is 0 for
// every scene whose eye distance fits comfortably in a float, so such scenes are drawn as they are.
struct Camera {
    float cx;  // shown in the middle of the window
    float cy;
    float e;               // eye distance; 0 when every coordinate that counts is 0
    int unitExponent = 0;  // the scene is scaled by 2^-unitExponent to draw it
};

// fits the camera to the bounding box: (cx, cy) is the box's centre; with sx = |min.x| + max.x and
// sy = |min.y| + max.y (absolute value of the minimum corner only), e is sx when 2·sx > sy (strictly),
// otherwise sy. Sums and the comparison in double, the three results rounded to float.
Camera fitCamera(Point min, Point max);

// Frames the scene in the window at its starting size. The drawn extent is framed: its centre in the
// middle of the window, seen from the smallest eye distance that keeps all of it at least 5% of the
// window's width and height (and half a pixel) inside each edge. But the box's fit (fitCamera) stands, so
// that such pictures stay as they are, for an empty scene and wherever it shows every drawn coordinate
// inside the picture from at most twice the framed eye distance. Every value stays finite.
Camera frameScene(Point boxMin, Point boxMax, const Extent& drawn);

// The power of two a scene seen from distance (in scene units) is drawn scaled by, as Camera::unitExponent:
// 0 for every distance a float eye handles well, otherwise one that brings the distance just inside them.
int unitExponentFor(double distance);

// How far from the scene plane the eye really stands: e itself, except that e = 0 (everything at the
// origin) would put the eye in the scene plane, so a unit distance stands in for it.
float viewingDistance(const Camera& camera);

// Near and far plane distances of the perspective projection.
struct DepthRange {
    double zNear;
    double zFar;
};

// Planes that keep the scene plane, at the given viewing distance d > 0, strictly between them: the fixed
// planes 1 and 1000 while 2 <= d <= 500, so every ordinary picture is drawn exactly as with those planes;
// for any other d, the planes d/2 and 2d. Only the depth range changes: what lands on which pixel does not
// depend on it, and nothing is depth-tested.
DepthRange depthRange(float viewingDistance);
