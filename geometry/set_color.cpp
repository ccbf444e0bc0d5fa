#include <GL/gl.h>

#include "geometry/geometry.h"

void setColor(int color) {
    // one unsigned test rejects every code above 9 and every negative code alike
    if (static_cast<unsigned>(color) >= static_cast<unsigned>(colorCount)) return;
    const ColorComponents& c = colorTable[color];
    glColor3f(c.red, c.green, c.blue);
}
