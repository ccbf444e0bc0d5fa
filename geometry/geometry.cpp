// The layout the rest of the program relies on, and the checks of finite coordinates.
#include "geometry/geometry.h"

#include <cmath>
#include <cstdint>
#include <type_traits>

static_assert(sizeof(float) == 4, "coordinates are 32-bit floats");
static_assert(sizeof(int) == 4, "colour codes are 32-bit signed integers");
static_assert(sizeof(Point) == 12, "a point is x, y and a colour code, in that order");
static_assert(std::is_trivially_copyable<Point>::value && std::is_trivially_copyable<Segment>::value,
              "records are copied by value");

bool isFinite(const Point& p) { return std::isfinite(p.x) && std::isfinite(p.y); }

bool allFinite(const Point* points, int n) {
    for (int i = 0; i < n; ++i) {
        if (!isFinite(points[i])) return false;
    }
    return true;
}
