// Reads two control polygons, puts both curves, their meeting points and their hulls into the scene, and
// shows the scene in a window until the window is closed.
#include <vector>

#include "app/reader.h"
#include "bezier/bezier.h"
#include "geometry/geometry.h"
#include "hull/hull.h"
#include "intersect/intersect.h"
#include "scene/scene.h"
#include "scene/window.h"

namespace {
constexpr int hullArraySize = 100;         // room for the hull of any control polygon the reader accepts
constexpr float searchTolerance = 0.01f;   // pieces whose first hull edges are this short count as met
static_assert(hullArraySize >= maxControlPoints, "a hull never has more vertices than its polygon");
}  // namespace

int main(int argc, char** argv) {
    Point hull1[hullArraySize];
    Point hull2[hullArraySize];
    std::vector<Point> intersections;  // grows with every point the search finds

    Point* curve1 = nullptr;
    Point* curve2 = nullptr;
    const int count1 = readControlPoints(curve1, "kriva1.txt");
    const int count2 = readControlPoints(curve2, "kriva2.txt");

    addBezierCurve(curve1, count1);
    addBezierCurve(curve2, count2);

    intersectCurves(curve1, count1, curve2, count2, intersections, searchTolerance);
    addPoints(intersections.data(), intersectionCount);

    addPolygon(hull1, convexHull(curve1, count1, hull1), YELLOW);
    addPolygon(hull2, convexHull(curve2, count2, hull2), YELLOW);

    showScene(argc, argv);
}
