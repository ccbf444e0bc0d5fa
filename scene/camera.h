// The camera that frames the scene: where the eye stands, fitted once to the bounding box, and the depth
// range of the projection. Plain arithmetic, no graphics calls, so it is tested without a window.
#pragma once

#include "geometry/geometry.h"

// The eye looks down the negative z axis from (cx, cy, e) at the scene, which lies in the plane z = 0.
struct Camera {
    float cx;  // centre of the bounding box: shown in the middle of the window
    float cy;
    float e;  // eye distance from the box's sizes; 0 when every coordinate that counts is 0
};

// fits the camera to the bounding box: (cx, cy) is the box's centre; with sx = |min.x| + max.x and
// sy = |min.y| + max.y (absolute value of the minimum corner only), e is sx when 2·sx > sy (strictly),
// otherwise sy. Sums and the comparison in double, the three results rounded to float.
Camera fitCamera(Point min, Point max);

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
