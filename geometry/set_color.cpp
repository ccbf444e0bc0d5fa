#include <GL/gl.h>

#include "geometry/geometry.h"

void setColor(int color) {
    // one unsigned test rejects every code above 9 and every negative code alike
    if (static_cast<unsigned>(color) > 9u) return;
    switch (color) {
        case RED: glColor3f(1.0f, 0.0f, 0.0f); break;
        case GREEN: glColor3f(0.0f, 1.0f, 0.0f); break;
        case BLUE: glColor3f(0.0f, 0.0f, 1.0f); break;
        case YELLOW: glColor3f(1.0f, 1.0f, 0.0f); break;
        case ORANGE: glColor3f(1.0f, 0.5f, 0.0f); break;
        case MAGENTA: glColor3f(1.0f, 0.0f, 1.0f); break;
        case CYAN: glColor3f(0.0f, 1.0f, 1.0f); break;
        case PURPLE: glColor3f(0.5f, 0.0f, 0.5f); break;
        case WHITE: glColor3f(1.0f, 1.0f, 1.0f); break;
        case BLACK: glColor3f(0.0f, 0.0f, 0.0f); break;
    }
}
