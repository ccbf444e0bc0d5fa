// Shows a scene read from "scene.txt" in the working directory in the program's window, so the window
// tests can put any content, at any scale, in front of the camera. One element per line:
//   segment ax ay bx by color | point x y color | circle x y radius color | line ox oy dx dy color
// Segments and points are added through the scene store (and widen the box); circles and lines, which
// the store has no operation for, are appended to their lists as they are.
#include <fstream>
#include <iostream>
#include <string>

#include "geometry/geometry.h"
#include "scene/scene.h"
#include "scene/window.h"

int main(int argc, char** argv) {
    std::ifstream in("scene.txt");
    if (!in) {
        std::cerr << "window_probe: no scene.txt\n";
        return 2;
    }
    std::string kind;
    while (in >> kind) {
        float a = 0, b = 0, c = 0, d = 0;
        int color = 0;
        if (kind == "segment" && in >> a >> b >> c >> d >> color) {
            addSegment(Segment(Point(a, b), Point(c, d)), color);
        } else if (kind == "point" && in >> a >> b >> color) {
            addPoint(Point(a, b), color);
        } else if (kind == "circle" && in >> a >> b >> c >> color) {
            circles.push_back(Circle(Point(a, b), c, color));
        } else if (kind == "line" && in >> a >> b >> c >> d >> color) {
            lines.push_back(Line(Point(a, b), Point(c, d), color));
        } else {
            std::cerr << "window_probe: cannot read a " << kind << " in scene.txt\n";
            return 2;
        }
    }
    showScene(argc, argv);
}
