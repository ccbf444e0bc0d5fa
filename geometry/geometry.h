// Plain records shared by every part of the program: points, colour codes and the scene's primitives.
#pragma once

// The most control points a curve may have. The curve, hull and search code size their working storage
// for this many; the reader refuses a file that asks for more.
constexpr int maxControlPoints = 32;

// Colour codes; a record's colour is stored as one of these integers.
enum Color : int {
    RED = 0,
    GREEN = 1,
    BLUE = 2,
    YELLOW = 3,
    ORANGE = 4,
    MAGENTA = 5,
    CYAN = 6,
    PURPLE = 7,
    WHITE = 8,
    BLACK = 9,
};

// A planar point with a colour code; also used as a plain vector.
struct Point {
    float x;
    float y;
    int color;  // a Color code

    Point() : x(0), y(0), color(BLACK) {}
    Point(float px, float py) : x(px), y(py), color(BLACK) {}
};

// A line piece from a to b; the ends keep their own colours, drawing uses only the segment's.
struct Segment {
    Point a;
    Point b;
    int color;

    Segment() : a(), b(), color(BLACK) {}
    Segment(Point pa, Point pb) : a(pa), b(pb), color(BLACK) {}
    Segment(Point pa, Point pb, int c) : a(pa), b(pb), color(c) {}
};

// A line through origin, drawn as far as origin +/- 100 * direction.
struct Line {
    Point origin;
    Point direction;  // only x and y are used
    int color;

    Line() : origin(), direction(), color(BLACK) {}
    Line(Point o, Point d, int c = BLACK) : origin(o), direction(d), color(c) {}
};

// A circle, drawn as a closed outline through 100 points.
struct Circle {
    Point center;
    float radius;  // in coordinate units
    int color;

    Circle() : center(), radius(0), color(BLACK) {}
    Circle(Point c, float r, int col = BLACK) : center(c), radius(r), color(col) {}
};

// whether both coordinates of p are finite (neither a NaN nor an infinity)
bool isFinite(const Point& p);

// whether every one of the first n points is finite
bool allFinite(const Point* points, int n);

// The colour each code stands for, as red, green and blue from 0 to 1, indexed by the code.
struct ColorComponents {
    float red;
    float green;
    float blue;
};
constexpr int colorCount = 10;
constexpr ColorComponents colorTable[colorCount] = {
    {1, 0, 0},        // RED
    {0, 1, 0},        // GREEN
    {0, 0, 1},        // BLUE
    {1, 1, 0},        // YELLOW
    {1, 0.5f, 0},     // ORANGE
    {1, 0, 1},        // MAGENTA
    {0, 1, 1},        // CYAN
    {0.5f, 0, 0.5f},  // PURPLE
    {1, 1, 1},        // WHITE
    {0, 0, 0},        // BLACK
};

// makes a colour code the current drawing colour; any code outside 0..9 makes no graphics call at all
void setColor(int color);
