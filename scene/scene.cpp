#include "scene/scene.h"

// Created in this order before main, destroyed in the reverse order at exit.
Point minCorner(1024, 700);  // the window's size in pixels: the box's starting minimum
Point maxCorner(0, 0);
std::list<Point> points;
std::list<Segment> segments;
std::list<Line> lines;
std::list<Circle> circles;

// four independent strict tests: one pair can move both corners
static void widenBox(float x, float y) {
    if (x < minCorner.x) minCorner.x = x;
    if (y < minCorner.y) minCorner.y = y;
    if (x > maxCorner.x) maxCorner.x = x;
    if (y > maxCorner.y) maxCorner.y = y;
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
    minCorner = Point(1024, 700);
    maxCorner = Point(0, 0);
}
