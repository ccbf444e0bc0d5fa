#include "scene/window.h"

#include <GL/glut.h>

#include <cmath>

#include "geometry/geometry.h"
#include "scene/camera.h"
#include "scene/scene.h"
#include "scene/view.h"

namespace {
// RGBA colour, double buffering (no flicker on redraw) and a depth buffer: 0 + 2 + 16 = 18
constexpr unsigned int displayMode = GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH;

// The projection set up with the window, before the toolkit reports the window's size; the first reshape
// replaces it before anything is drawn.
constexpr double provisionalFieldOfView = 30.0;  // degrees
constexpr double provisionalAspect = 1.0;
constexpr double provisionalNear = 1.0;
constexpr double provisionalFar = 20.0;

// The planes of the drawing projection, chosen for the camera's viewing distance once showScene has fitted
// it; the fixed planes until then.
DepthRange depthPlanes{1.0, 1000.0};  // set by showScene before the toolkit can call reshape
}  // namespace

void showScene(int argc, char** argv) {
    glutInit(&argc, argv);
    glutInitDisplayMode(displayMode);
    glutInitWindowSize(windowWidth, windowHeight);
    glutInitWindowPosition(windowLeft, windowTop);
    // On this platform glutInit and glutCreateWindow are plain calls, and closing the window ends the
    // process through the C library's exit(0) (freeglut's default close action, GLUT_ACTION_EXIT).
    glutCreateWindow(windowTitle);
    glClearColor(backgroundRed, backgroundGreen, backgroundBlue, backgroundAlpha);

    // the camera is fitted once, now, to the box or, where that would leave some of it out, to what was
    // drawn; nothing moves it afterwards
    const Camera camera = frameScene(minCorner, maxCorner, drawnExtent);
    const float distance = viewingDistance(camera);
    depthPlanes = depthRange(distance);

    // a provisional projection for the time before the window's size is known
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(provisionalFieldOfView, provisionalAspect, provisionalNear, provisionalFar);
    gluLookAt(camera.cx, camera.cy, distance, camera.cx, camera.cy, 0.0, 0.0, 1.0, 0.0);

    // the eye at (cx, cy, distance) looking down the negative z axis, +y up
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(-camera.cx, -camera.cy, -distance);
    if (camera.unitExponent != 0) {
        // a scene too large or too small for a float eye distance is drawn scaled by a power of two
        const float scale = std::ldexp(1.0f, -camera.unitExponent);
        glScalef(scale, scale, 1.0f);
    }

    glutDisplayFunc(display);
    glutReshapeFunc(reshape);
    glutMainLoop();
}

void reshape(int width, int height) {
    if (height == 0) height = 1;  // a window shrunk to no height: keep the aspect finite
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glViewport(0, 0, width, height);
    gluPerspective(fieldOfView, static_cast<double>(width) / static_cast<double>(height), depthPlanes.zNear,
                   depthPlanes.zFar);
}

void display() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glPushMatrix();
    drawScene();
    glPopMatrix();
    glFlush();
    glutSwapBuffers();
}

void drawScene() {
    for (const Circle& c : circles) {
        setColor(c.color);
        glBegin(GL_LINE_LOOP);
        // counter-clockwise from (center.x + radius, center.y)
        for (int i = 0; i < circleVertexCount; ++i) {
            const double theta = i * circleAngleStep;
            const double radius = c.radius;
            glVertex2f(static_cast<float>(c.center.x + radius * std::cos(theta)),
                       static_cast<float>(c.center.y + radius * std::sin(theta)));
        }
        glEnd();
    }

    for (const Line& l : lines) {
        setColor(l.color);
        glBegin(GL_LINES);
        glVertex2f(static_cast<float>(l.origin.x + lineReach * l.direction.x),
                   static_cast<float>(l.origin.y + lineReach * l.direction.y));
        glVertex2f(static_cast<float>(l.origin.x - lineReach * l.direction.x),
                   static_cast<float>(l.origin.y - lineReach * l.direction.y));
        glEnd();
    }

    for (const Segment& s : segments) {
        glPointSize(dotSize);
        setColor(s.color);
        glBegin(GL_LINES);
        glVertex2f(s.a.x, s.a.y);
        glVertex2f(s.b.x, s.b.y);
        glEnd();
        // a dot on each end
        glBegin(GL_POINTS);
        glVertex2f(s.a.x, s.a.y);
        glVertex2f(s.b.x, s.b.y);
        glEnd();
    }

    for (const Point& p : points) {
        setColor(p.color);
        glPointSize(dotSize);
        glBegin(GL_POINTS);
        glVertex2f(p.x, p.y);
        glEnd();
    }
}
