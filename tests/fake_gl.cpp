#include "fake_gl.h"

#include <GL/glut.h>

#include <cstdio>

namespace fakegl {

std::vector<Call> calls;
int* initArgcAddress = nullptr;
char** initArgv = nullptr;
void (*displayCallback)() = nullptr;
void (*reshapeCallback)(int, int) = nullptr;

void reset() {
    calls.clear();
    initArgcAddress = nullptr;
    initArgv = nullptr;
    displayCallback = nullptr;
    reshapeCallback = nullptr;
}

std::string f(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9gf", static_cast<double>(value));
    return text;
}

std::string d(double value) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

std::string i(long value) { return std::to_string(value); }

std::string s(const std::string& value) { return "\"" + value + "\""; }

std::string call(const std::string& name, std::initializer_list<std::string> args) {
    std::string text = name + "(";
    const char* separator = "";
    for (const std::string& a : args) {
        text += separator + a;
        separator = ", ";
    }
    return text + ")";
}

std::vector<std::string> texts() {
    std::vector<std::string> result;
    for (const Call& c : calls) result.push_back(c.text);
    return result;
}

namespace {
void record(const std::string& name, std::vector<double> args, std::initializer_list<std::string> argTexts) {
    calls.push_back({name, std::move(args), call(name, argTexts)});
}
}  // namespace

}  // namespace fakegl

using fakegl::d;
using fakegl::f;
using fakegl::i;
using fakegl::record;

// OpenGL
void glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) {
    record("glClearColor", {r, g, b, a}, {f(r), f(g), f(b), f(a)});
}
void glClear(GLbitfield mask) { record("glClear", {static_cast<double>(mask)}, {i(mask)}); }
void glMatrixMode(GLenum mode) { record("glMatrixMode", {static_cast<double>(mode)}, {i(mode)}); }
void glLoadIdentity() { record("glLoadIdentity", {}, {}); }
void glTranslatef(GLfloat x, GLfloat y, GLfloat z) { record("glTranslatef", {x, y, z}, {f(x), f(y), f(z)}); }
void glScalef(GLfloat x, GLfloat y, GLfloat z) { record("glScalef", {x, y, z}, {f(x), f(y), f(z)}); }
void glViewport(GLint x, GLint y, GLsizei w, GLsizei h) {
    record("glViewport",
           {static_cast<double>(x), static_cast<double>(y), static_cast<double>(w), static_cast<double>(h)},
           {i(x), i(y), i(w), i(h)});
}
void glPushMatrix() { record("glPushMatrix", {}, {}); }
void glPopMatrix() { record("glPopMatrix", {}, {}); }
void glBegin(GLenum mode) { record("glBegin", {static_cast<double>(mode)}, {i(mode)}); }
void glEnd() { record("glEnd", {}, {}); }
void glVertex2f(GLfloat x, GLfloat y) { record("glVertex2f", {x, y}, {f(x), f(y)}); }
void glColor3f(GLfloat r, GLfloat g, GLfloat b) { record("glColor3f", {r, g, b}, {f(r), f(g), f(b)}); }
void glPointSize(GLfloat size) { record("glPointSize", {size}, {f(size)}); }
void glFlush() { record("glFlush", {}, {}); }

// GLU
void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
    record("gluPerspective", {fovy, aspect, zNear, zFar}, {d(fovy), d(aspect), d(zNear), d(zFar)});
}
void gluLookAt(GLdouble ex, GLdouble ey, GLdouble ez, GLdouble cx, GLdouble cy, GLdouble cz, GLdouble ux, GLdouble uy,
               GLdouble uz) {
    record("gluLookAt", {ex, ey, ez, cx, cy, cz, ux, uy, uz},
           {d(ex), d(ey), d(ez), d(cx), d(cy), d(cz), d(ux), d(uy), d(uz)});
}

// freeglut; glutMainLoop comes back here, so showScene returns to the test
void glutInit(int* pargc, char** argv) {
    fakegl::initArgcAddress = pargc;
    fakegl::initArgv = argv;
    record("glutInit", {static_cast<double>(*pargc)}, {i(*pargc)});
}
void glutInitDisplayMode(unsigned int mode) { record("glutInitDisplayMode", {static_cast<double>(mode)}, {i(mode)}); }
void glutInitWindowSize(int w, int h) {
    record("glutInitWindowSize", {static_cast<double>(w), static_cast<double>(h)}, {i(w), i(h)});
}
void glutInitWindowPosition(int x, int y) {
    record("glutInitWindowPosition", {static_cast<double>(x), static_cast<double>(y)}, {i(x), i(y)});
}
int glutCreateWindow(const char* title) {
    record("glutCreateWindow", {}, {fakegl::s(title)});
    return 1;
}
void glutDisplayFunc(void (*callback)()) {
    fakegl::displayCallback = callback;
    record("glutDisplayFunc", {}, {});
}
void glutReshapeFunc(void (*callback)(int, int)) {
    fakegl::reshapeCallback = callback;
    record("glutReshapeFunc", {}, {});
}
void glutMainLoop() { record("glutMainLoop", {}, {}); }
void glutSwapBuffers() { record("glutSwapBuffers", {}, {}); }
