// The window code's graphics calls, recorded by a stand-in for OpenGL, GLU and freeglut (fake_gl.cpp):
// the window set-up and camera, the reshape callback, the drawing of each kind of element, and setColor.
#include <GL/glut.h>

#include <climits>
#include <cmath>
#include <string>
#include <vector>

#include "fake_gl.h"
#include "scene/camera.h"
#include "scene/scene.h"
#include "scene/window.h"
#include "testing.h"

namespace {

using fakegl::call;
using fakegl::d;
using fakegl::f;
using fakegl::i;
using Texts = std::vector<std::string>;

std::string vertex(float x, float y) { return call("glVertex2f", {f(x), f(y)}); }
std::string color(float r, float g, float b) { return call("glColor3f", {f(r), f(g), f(b)}); }
std::string beginCall(int mode) { return call("glBegin", {i(mode)}); }
const std::string endCall = call("glEnd");
const std::string dotSize = call("glPointSize", {f(4)});
const std::string frameStart[] = {call("glClear", {i(16640)}), call("glPushMatrix")};
const std::string frameEnd[] = {call("glPopMatrix"), call("glFlush"), call("glutSwapBuffers")};

// A frame: the clear and push, the given element calls, then pop, flush and swap.
Texts frame(const Texts& elements) {
    Texts all(std::begin(frameStart), std::end(frameStart));
    all.insert(all.end(), elements.begin(), elements.end());
    all.insert(all.end(), std::begin(frameEnd), std::end(frameEnd));
    return all;
}

void append(Texts& to, const Texts& more) { to.insert(to.end(), more.begin(), more.end()); }

Texts segmentCalls(Texts colourCall, float ax, float ay, float bx, float by) {
    Texts t{dotSize};
    append(t, colourCall);
    append(t, {beginCall(1), vertex(ax, ay), vertex(bx, by), endCall, beginCall(0), vertex(ax, ay), vertex(bx, by),
               endCall});
    return t;
}

// The recorded calls of one display().
Texts drawnFrame() {
    fakegl::reset();
    display();
    return fakegl::texts();
}

Segment segment(float ax, float ay, float bx, float by) { return Segment(Point(ax, ay), Point(bx, by)); }

// Runs showScene on corners min and max, with the stand-in's main loop coming straight back.
void showWithCorners(Point min, Point max) {
    clearScene();
    minCorner = min;
    maxCorner = max;
    char name[] = "geometrija";
    char* argv[] = {name, nullptr};
    fakegl::reset();
    showScene(1, argv);
}

TEST(WindowSetup, OpensTheWindowAndFitsTheCameraInOrder) {
    clearScene();
    minCorner = Point(-10, -5);
    maxCorner = Point(10, 5);
    char name[] = "geometrija";
    char option[] = "-sync";
    char* argv[] = {name, option, nullptr};
    fakegl::reset();
    showScene(2, argv);

    const Texts expected{
        call("glutInit", {i(2)}),
        call("glutInitDisplayMode", {i(18)}),
        call("glutInitWindowSize", {i(1024), i(700)}),
        call("glutInitWindowPosition", {i(100), i(50)}),
        call("glutCreateWindow", {fakegl::s("Geometrija - prikaz zadatka")}),
        call("glClearColor", {f(0.9f), f(0.9f), f(0.8f), f(0)}),
        call("glMatrixMode", {i(GL_PROJECTION)}),
        call("glLoadIdentity"),
        call("gluPerspective", {d(30), d(1), d(1), d(20)}),
        call("gluLookAt", {d(0), d(0), d(20), d(0), d(0), d(0), d(0), d(1), d(0)}),
        call("glMatrixMode", {i(GL_MODELVIEW)}),
        call("glLoadIdentity"),
        call("glTranslatef", {f(-0.0f), f(-0.0f), f(-20)}),
        call("glutDisplayFunc"),
        call("glutReshapeFunc"),
        call("glutMainLoop"),
    };
    EXPECT_EQ(fakegl::texts(), expected);
    EXPECT_EQ(GL_PROJECTION, 5889);
    EXPECT_EQ(GL_MODELVIEW, 5888);
    // the arguments go to the toolkit as they are
    EXPECT_EQ(fakegl::initArgv, argv);
    EXPECT_EQ(fakegl::displayCallback, &display);
    EXPECT_EQ(fakegl::reshapeCallback, &reshape);
}

struct CameraCase {
    const char* name;
    Point min;
    Point max;
    float cx, cy;
    float eye;           // the eye's distance from the scene plane
    double zNear, zFar;  // planes of the drawing projection
};

// The eye distance picks sx = |min.x| + max.x when 2·sx > sy, else sy = |min.y| + max.y; the planes stay at
// 1 and 1000 while the eye is between 2 and 500 from the scene, and are e/2 and 2e otherwise.
const CameraCase cameraCases[] = {
    {"EmptyScene", {1024, 700}, {0, 0}, 512, 350, 1024, 512, 2048},
    {"Symmetric", {-10, -5}, {10, 5}, 0, 0, 20, 1, 1000},
    {"TallBoxTakesHeight", {0, 0}, {2, 10}, 1, 5, 10, 1, 1000},
    {"TieTakesHeight", {0, 0}, {5, 10}, 2.5f, 5, 10, 1, 1000},
    {"WidthNotDoubled", {1, 1}, {3, 1}, 2, 1, 4, 1, 1000},
    {"DefaultExample", {0, 0}, {10, 11}, 5, 5.5f, 10, 1, 1000},
    {"BandLowEdge", {0, 0}, {2, 1}, 1, 0.5f, 2, 1, 1000},
    {"BandHighEdge", {0, 0}, {500, 300}, 250, 150, 500, 1, 1000},
    {"JustBelowBand", {0, 0}, {1.5f, 1}, 0.75f, 0.5f, 1.5f, 0.75, 3},
    {"HalfUnit", {0, 0}, {0.5f, 0.4f}, 0.25f, 0.2f, 0.5f, 0.25, 1},
    {"Thousands", {0, 0}, {3000, 2000}, 1500, 1000, 3000, 1500, 6000},
    {"TenMillion", {-5e6f, -1e6f}, {5e6f, 1e6f}, 0, 0, 1e7f, 5e6, 2e7},
    // everything at the origin: e is 0, and the eye stands one unit away instead of in the scene plane
    {"AllAtOrigin", {0, 0}, {0, 0}, 0, 0, 1, 0.5, 2},
};

class WindowCamera : public ::testing::TestWithParam<CameraCase> {};

TEST_P(WindowCamera, LooksAtTheBoxCentreFromItsEyeDistance) {
    const CameraCase& c = GetParam();
    showWithCorners(c.min, c.max);
    const std::vector<fakegl::Call>& calls = fakegl::calls;
    ASSERT_EQ(calls.size(), 16u);
    EXPECT_EQ(calls[9].text, call("gluLookAt", {d(c.cx), d(c.cy), d(c.eye), d(c.cx), d(c.cy), d(0), d(0), d(1), d(0)}));
    EXPECT_EQ(calls[12].text, call("glTranslatef", {f(-c.cx), f(-c.cy), f(-c.eye)}));

    fakegl::reset();
    reshape(1024, 700);
    ASSERT_EQ(fakegl::calls.size(), 4u);
    EXPECT_EQ(fakegl::calls[3].text, call("gluPerspective", {d(45), d(1024.0 / 700.0), d(c.zNear), d(c.zFar)}));
    // the scene plane, at the eye distance, lies strictly between the planes
    EXPECT_LT(c.zNear, c.eye);
    EXPECT_GT(c.zFar, c.eye);
}

INSTANTIATE_TEST_SUITE_P(Cases, WindowCamera, ::testing::ValuesIn(cameraCases), RowName());

// Runs showScene on a scene holding one segment, whose box and drawn extent follow from it.
void showWithSegment(float ax, float ay, float bx, float by) {
    clearScene();
    addSegment(segment(ax, ay, bx, by), RED);
    char name[] = "geometrija";
    char* argv[] = {name, nullptr};
    fakegl::reset();
    showScene(1, argv);
}

TEST(WindowCamera, FramesWhatTheBoxWouldCutOff) {
    // far beyond the box's starting corner: the box's centre would be near (50000, 50000)
    showWithSegment(100000, 100000, 100010, 100010);
    ASSERT_EQ(fakegl::calls.size(), 16u);
    const Camera framed = frameScene(minCorner, maxCorner, drawnExtent);
    EXPECT_EQ(framed.cx, 100005.0f);
    EXPECT_EQ(framed.cy, 100005.0f);
    EXPECT_EQ(fakegl::calls[12].text, call("glTranslatef", {f(-100005.0f), f(-100005.0f), f(-framed.e)}));
    EXPECT_LT(framed.e, 20.0f);  // near enough for the 10 units to fill the window
}

TEST(WindowCamera, DrawsAScaledSceneWhereTheDistanceLeavesTheFloatRange) {
    // the box's eye distance overflows a float; the framed one is finite, on a scene scaled down
    showWithSegment(-3.4e38f, 0, 3.4e38f, 1);
    ASSERT_EQ(fakegl::calls.size(), 17u);
    const Camera framed = frameScene(minCorner, maxCorner, drawnExtent);
    ASSERT_GT(framed.unitExponent, 0);
    const float scale = std::ldexp(1.0f, -framed.unitExponent);
    EXPECT_TRUE(std::isnormal(scale));
    EXPECT_EQ(fakegl::calls[12].text, call("glTranslatef", {f(-framed.cx), f(-framed.cy), f(-framed.e)}));
    EXPECT_EQ(fakegl::calls[13].text, call("glScalef", {f(scale), f(scale), f(1)}));
    EXPECT_EQ(fakegl::calls[14].text, call("glutDisplayFunc"));
    for (const double value : fakegl::calls[12].args) EXPECT_TRUE(std::isfinite(value));
    for (const double value : fakegl::calls[9].args) EXPECT_TRUE(std::isfinite(value));
    // the scaled extent runs from about -2^100 to 2^100 in x, the eye a little farther
    EXPECT_TRUE(framed.e > 1e30f && framed.e < 1e31f) << framed.e;
}

struct ReshapeCase {
    const char* name;
    int width, height;
    int viewportHeight;
    double aspect;
};

const ReshapeCase reshapeCases[] = {
    {"InitialSize", 1024, 700, 700, 1024.0 / 700.0},
    {"Square", 300, 300, 300, 1.0},
    {"ZeroHeightTakenAsOne", 300, 0, 1, 300.0},
};

class WindowReshape : public ::testing::TestWithParam<ReshapeCase> {};

TEST_P(WindowReshape, SetsViewportAndPerspectiveAndLeavesProjectionCurrent) {
    const ReshapeCase& c = GetParam();
    showWithCorners(Point(0, 0), Point(10, 11));
    fakegl::reset();
    reshape(c.width, c.height);
    const Texts expected{
        call("glMatrixMode", {i(GL_PROJECTION)}),
        call("glLoadIdentity"),
        call("glViewport", {i(0), i(0), i(c.width), i(c.viewportHeight)}),
        call("gluPerspective", {d(45), d(c.aspect), d(1), d(1000)}),
    };
    EXPECT_EQ(fakegl::texts(), expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, WindowReshape, ::testing::ValuesIn(reshapeCases), RowName());

TEST(WindowDisplay, EmptySceneOnlyClearsAndSwaps) {
    clearScene();
    EXPECT_EQ(drawnFrame(), frame({}));
}

// Each list is added in the reverse of the drawing order, so the order comes from the kind of element.
TEST(WindowDisplay, DrawsCirclesLinesSegmentsPointsInThatOrder) {
    clearScene();
    addPoint(Point(7, 8), WHITE);
    addSegment(segment(1, 2, 3, 4), RED);
    lines.push_back(Line(Point(0, 0), Point(1, 0), GREEN));
    circles.push_back(Circle(Point(3, 4), 0, BLUE));  // radius 0: all 100 vertices at the centre

    Texts expected{color(0, 0, 1), beginCall(2)};
    for (int k = 0; k < 100; ++k) expected.push_back(vertex(3, 4));
    append(expected, {endCall, color(0, 1, 0), beginCall(1), vertex(100, 0), vertex(-100, 0), endCall});
    append(expected, segmentCalls({color(1, 0, 0)}, 1, 2, 3, 4));
    append(expected, {color(1, 1, 1), dotSize, beginCall(0), vertex(7, 8), endCall});
    EXPECT_EQ(drawnFrame(), frame(expected));
    // nothing is kept between frames: the next redraw makes the same calls again
    EXPECT_EQ(drawnFrame(), frame(expected));
}

TEST(WindowDisplay, ListsAreDrawnFirstToLast) {
    clearScene();
    addSegment(segment(0, 0, 1, 1), RED);
    addSegment(segment(2, 2, 3, 3), YELLOW);
    addPoint(Point(5, 5), WHITE);
    addPoint(Point(6, 6), BLUE);
    Texts expected = segmentCalls({color(1, 0, 0)}, 0, 0, 1, 1);
    append(expected, segmentCalls({color(1, 1, 0)}, 2, 2, 3, 3));
    append(expected, {color(1, 1, 1), dotSize, beginCall(0), vertex(5, 5), endCall});
    append(expected, {color(0, 0, 1), dotSize, beginCall(0), vertex(6, 6), endCall});
    EXPECT_EQ(drawnFrame(), frame(expected));
}

// An element with a colour outside 0..9 makes no colour call: it keeps the colour drawn before it.
TEST(WindowDisplay, OutOfRangeColourMakesNoColourCall) {
    clearScene();
    circles.push_back(Circle(Point(0, 0), 0, -1));
    lines.push_back(Line(Point(0, 0), Point(0, 0), 10));
    addSegment(segment(1, 1, 2, 2), INT_MAX);
    addPoint(Point(4, 4), INT_MIN);
    Texts expected{beginCall(2)};
    for (int k = 0; k < 100; ++k) expected.push_back(vertex(0, 0));
    append(expected, {endCall, beginCall(1), vertex(0, 0), vertex(0, 0), endCall});
    append(expected, segmentCalls({}, 1, 1, 2, 2));
    append(expected, {dotSize, beginCall(0), vertex(4, 4), endCall});
    EXPECT_EQ(drawnFrame(), frame(expected));
}

TEST(WindowDisplay, SegmentWithCoincidentEndsIsADotOverAZeroLengthPiece) {
    clearScene();
    addSegment(segment(2.5f, -1, 2.5f, -1), RED);
    EXPECT_EQ(drawnFrame(), frame(segmentCalls({color(1, 0, 0)}, 2.5f, -1, 2.5f, -1)));
}

struct LineCase {
    const char* name;
    Point origin, direction;
    float plusX, plusY, minusX, minusY;  // origin + 100·direction, origin - 100·direction
};

const LineCase lineCases[] = {
    {"AlongX", {0, 0}, {1, 0}, 100, 0, -100, 0},
    {"Offset", {10, -20}, {0.5f, 2}, 60, 180, -40, -220},
    {"ZeroDirectionIsAPoint", {3, 4}, {0, 0}, 3, 4, 3, 4},
    // sums in double, rounded once: float arithmetic would give 1.4000001, -0.800000012 and -68.3000031
    {"RoundedOnce", {0.3f, 1.7f}, {0.011f, 0.7f}, 1.39999998f, 71.6999969f, -0.799999952f, -68.2999954f},
};

class WindowLine : public ::testing::TestWithParam<LineCase> {};

TEST_P(WindowLine, ReachesAHundredDirectionsEachWay) {
    const LineCase& c = GetParam();
    clearScene();
    lines.push_back(Line(c.origin, c.direction, MAGENTA));
    EXPECT_EQ(drawnFrame(),
              frame({color(1, 0, 1), beginCall(1), vertex(c.plusX, c.plusY), vertex(c.minusX, c.minusY), endCall}));
}

INSTANTIATE_TEST_SUITE_P(Cases, WindowLine, ::testing::ValuesIn(lineCases), RowName());

struct CircleCase {
    const char* name;
    Point center;
    float radius;
};

const CircleCase circleCases[] = {
    {"UnitAtOrigin", {0, 0}, 1},
    {"Offset", {0.1f, 1.7f}, 0.3f},
    {"Large", {3.3f, -2.9f}, 2.7f},
    {"FarFromOrigin", {1234.5f, 678.25f}, 1.1f},
};

class WindowCircle : public ::testing::TestWithParam<CircleCase> {};

// A closed outline of 100 vertices, counter-clockwise from (x + r, y); each vertex is the float nearest
// the exact point on the circle at the angle k·(2π/100), that angle taken in double.
TEST_P(WindowCircle, HundredVerticesEachRoundedOnce) {
    const CircleCase& c = GetParam();
    clearScene();
    circles.push_back(Circle(c.center, c.radius, ORANGE));
    const Texts drawn = drawnFrame();
    ASSERT_EQ(drawn.size(), 2u + 3u + 100u + 3u);
    EXPECT_EQ(drawn[2], color(1, 0.5f, 0));
    EXPECT_EQ(drawn[3], beginCall(GL_LINE_LOOP));
    EXPECT_EQ(drawn[104], endCall);
    EXPECT_EQ(GL_LINE_LOOP, 2);

    const float x = c.center.x;
    const float y = c.center.y;
    const float r = c.radius;
    EXPECT_EQ(drawn[4], vertex(x + r, y));

    for (int k = 0; k < 100; ++k) {
        const std::vector<double>& v = fakegl::calls[4 + static_cast<size_t>(k)].args;
        ASSERT_EQ(v.size(), 2u);
        const double angle = k * 0.06283185307179587;  // 2π/100 steps, the angle in double
        const long double ex = x + r * std::cos(static_cast<long double>(angle));
        const long double ey = y + r * std::sin(static_cast<long double>(angle));
        // correctly rounded: no float lies nearer the exact point than the drawn one
        const float vx = static_cast<float>(v[0]);
        const float vy = static_cast<float>(v[1]);
        EXPECT_LE(std::fabs(vx - ex),
                  std::fabs(std::nextafter(vx, static_cast<float>(ex > vx ? INFINITY : -INFINITY)) - ex))
            << "vertex " << k;
        EXPECT_LE(std::fabs(vy - ey),
                  std::fabs(std::nextafter(vy, static_cast<float>(ey > vy ? INFINITY : -INFINITY)) - ey))
            << "vertex " << k;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, WindowCircle, ::testing::ValuesIn(circleCases), RowName());

struct ColourCase {
    const char* name;
    int code;
    std::vector<std::string> calls;
};

const ColourCase colourCases[] = {
    {"Red", RED, {color(1, 0, 0)}},
    {"Green", GREEN, {color(0, 1, 0)}},
    {"Blue", BLUE, {color(0, 0, 1)}},
    {"Yellow", YELLOW, {color(1, 1, 0)}},
    {"Orange", ORANGE, {color(1, 0.5f, 0)}},
    {"Magenta", MAGENTA, {color(1, 0, 1)}},
    {"Cyan", CYAN, {color(0, 1, 1)}},
    {"Purple", PURPLE, {color(0.5f, 0, 0.5f)}},
    {"White", WHITE, {color(1, 1, 1)}},
    {"Black", BLACK, {color(0, 0, 0)}},
    {"Ten", 10, {}},
    {"MinusOne", -1, {}},
    {"Large", 1000, {}},
    {"Lowest", INT_MIN, {}},
    {"Highest", INT_MAX, {}},
};

class SetColor : public ::testing::TestWithParam<ColourCase> {};

TEST_P(SetColor, OneColourCallForACodeNoneOutsideRange) {
    fakegl::reset();
    setColor(GetParam().code);
    EXPECT_EQ(fakegl::texts(), GetParam().calls);
}

INSTANTIATE_TEST_SUITE_P(Cases, SetColor, ::testing::ValuesIn(colourCases), RowName());

}  // namespace
