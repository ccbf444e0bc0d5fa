#include "scene/scene.h"

#include "scene/view.h"

// Created in this order before main, destroyed in the reverse order at exit.
Point minCorner(windowWidth, windowHeight);  // the window's size in pixels: the box's starting minimum
Point maxCorner(0, 0);
std::list<Point> points;
std::list<Segment> segments;
std::list<Line> lines;
std::list<Circle> circles;
Extent drawnExtent;

// four independent strict tests: one pair can move both corners; the drawn extent starts at the first pair
static void widenBox(float x, float y) {
    if (x < minCorner.x) minCorner.x = x;
    if (y < minCorner.y) minCorner.y = y;
    if (x > maxCorner.x) maxCorner.x = x;
    if (y > maxCorner.y) maxCorner.y = y;

    if (drawnExtent.empty) {
        drawnExtent.min = drawnExtent.max = Point(x, y);
        drawnExtent.empty = false;
        return;
    }
    if (x < drawnExtent.min.x) drawnExtent.min.x = x;
    if (y < drawnExtent.min.y) drawnExtent.min.y = y;
    if (x > drawnExtent.max.x) drawnExtent.max.x = x;
    if (y > drawnExtent.max.y) drawnExtent.max.y = y;
}

void addPoint(Point point, int color) {
    point.color = color;
    points.push_back(point);
    widenBox(point.x, point.y);
}

void addSegment(Segment segment, int color) {
    segment.color = color;
    segments.push_back(segment);
    widenBox(segment.a.x, segment.a.y);
    widenBox(segment.b.x, segment.b.y);
}

void addPolygon(const Point* vertices, int count, int color) {
    if (count <= 0) return;  // no vertices, no outline
    for (int i = 1; i < count; ++i) addSegment(Segment(vertices[i - 1], vertices[i], color), color);
    addSegment(Segment(vertices[count - 1], vertices[0], color), color);
}

void addPoints(const Point* array, int count) {
    for (int i = 0; i < count; ++i) addPoint(array[i], WHITE);
}

void clearScene() {
    points.clear();
    segments.clear();
    lines.clear();
    circles.clear();
    minCorner = Point(windowWidth, windowHeight);
    maxCorner = Point(0, 0);
    drawnExtent = Extent();
}
