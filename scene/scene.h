// The scene: everything the window shows, kept in four process-wide lists, and the bounding box of what
// has been added. It is filled before the window opens and only read afterwards.
#pragma once

#include <list>

#include "geometry/geometry.h"

// Corners of the bounding box. They start at (1024, 700) and (0, 0), so with nothing added the box is
// inverted, and the box never shrinks inside those starting values.
extern Point minCorner;
extern Point maxCorner;

// The extent of what has been drawn: every point and both ends of every segment added, without the
// box's starting corners. The camera frames it when the box's own fit would leave some of it out.
struct Extent {
    Point min;
    Point max;
    bool empty = true;  // nothing added yet: min and max mean nothing
};
extern Extent drawnExtent;

// The drawable records, in drawing order within each list. Released at exit, last list first.
extern std::list<Point> points;
extern std::list<Segment> segments;
extern std::list<Line> lines;
extern std::list<Circle> circles;

// appends a copy of point in the given colour and widens the box by it
void addPoint(Point point, int color);

// appends a copy of segment in the given colour (its ends keep their own colours) and widens the box by
// end a, then by end b
void addSegment(Segment segment, int color);

// adds the closed outline through the first count vertices: count segments in vertex order, the closing
// edge from the last vertex back to the first; a count of 0 or less adds nothing
void addPolygon(const Point* vertices, int count, int color);

// adds the first count points, WHITE, whatever colour they carry
void addPoints(const Point* array, int count);

// empties the four lists and the drawn extent and puts the box back to its starting corners, for a process
// that builds more than one scene (the tests and benchmarks do; the program builds one)
void clearScene();
