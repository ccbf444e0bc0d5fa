// The interactive lab: the program's picture of two curves, with handles on the control points to drag,
// add and remove, the halving search shown level by level, and the exact crossings beside the search's
// points. Usage: geometrija-lab [FIRST SECOND] (default kriva1.txt kriva2.txt); the keys are listed under h.
#include <GL/freeglut.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/lab_model.h"
#include "app/lab_steps.h"
#include "scene/camera.h"
#include "scene/scene.h"
#include "scene/view.h"
#include "scene/window.h"

namespace {

constexpr const char* labTitle = "Geometrija - laboratorija";
constexpr double pi = 3.14159265358979323846;

// Sizes on the screen, in pixels.
constexpr double handleHalfSize = 4;  // a handle is a square 9 pixels wide
constexpr double grabRadius = 8;      // a press this near a control point takes it
constexpr double ringRadius = 6;      // dark ring around each of the search's points
constexpr double markRadius = 10;     // ring, diamond: the exact crossings and touches
constexpr double clickSlop = 3;       // a press and release this close together is a click, not a pan
constexpr double wheelZoom = 1.25;    // eye distance factor per wheel step

// Colours of the lab's own layer (the scene keeps the program's).
struct Rgb {
    float r, g, b;
};
constexpr Rgb polygonColours[2] = {{0.1f, 0.25f, 0.85f}, {0.65f, 0.1f, 0.6f}};  // blue, plum
constexpr Rgb ringColour = {0.15f, 0.15f, 0.15f};
constexpr Rgb crossingColour = {0.0f, 0.5f, 0.1f};
constexpr Rgb touchColour = {0.9f, 0.45f, 0.0f};
constexpr Rgb stretchColour = {0.0f, 0.6f, 0.65f};
constexpr Rgb keptColour = {0.0f, 0.55f, 0.15f};
constexpr Rgb droppedColour = {0.6f, 0.6f, 0.6f};
constexpr Rgb smallColour = {0.85f, 0.1f, 0.1f};
constexpr Rgb textColour = {0.05f, 0.05f, 0.05f};
constexpr Rgb stripColour = {0.97f, 0.97f, 0.92f};

// The part of the scene plane the window shows: its centre and the eye's distance, in scene units.
struct View {
    double cx = 0;
    double cy = 0;
    double distance = 1;
};

struct Lab {
    LabModel model;
    SearchSteps steps;          // the last search, pair by pair, for the step view
    bool stepsCurrent = false;  // steps holds the search of the curves as they are
    View view;
    int width = windowWidth;
    int height = windowHeight;
    bool dirty = true;  // the curves changed since the scene was built
    bool showExact = false;
    bool showHelp = false;
    int level = 0;        // search level shown, 0: the normal view
    std::string message;  // the last save, reload or refusal, for the status line

    // with --frame-times: when the first mouse motion not yet drawn arrived
    bool timeFrames = false;
    bool motionPending = false;
    std::chrono::steady_clock::time_point motionAt;

    // the pointer: a held control point, or a pan
    int dragCurve = -1;
    int dragIndex = -1;
    bool panning = false;
    int pressX = 0, pressY = 0;
    View pressView;
};

Lab lab;

void colour(const Rgb& c) { glColor3f(c.r, c.g, c.b); }

double unitsPerPixel() { return 2.0 * lab.view.distance * std::tan(0.5 * fieldOfView * pi / 180.0) / lab.height; }

// scene coordinates of a window pixel (x to the right, y down from the top, as the toolkit gives them)
void sceneOf(int x, int y, double& sx, double& sy) {
    const double u = unitsPerPixel();
    sx = lab.view.cx + (x + 0.5 - 0.5 * lab.width) * u;
    sy = lab.view.cy + (0.5 * lab.height - y - 0.5) * u;
}

// the view the program itself fits to the scene
void fitView() {
    const Camera camera = frameScene(minCorner, maxCorner, drawnExtent);
    const double unit = std::ldexp(1.0, camera.unitExponent);
    lab.view.cx = camera.cx * unit;
    lab.view.cy = camera.cy * unit;
    lab.view.distance = viewingDistance(camera) * unit;
}

// Builds the scene anew when the curves changed. The search's steps are collected only while they are shown
// (a level is chosen): every pair they hold costs memory and time that dragging should not pay for.
void rebuildIfDirty() {
    if (!lab.dirty) return;
    const bool collect = lab.level > 0;
    rebuild(lab.model, collect ? &lab.steps : nullptr);
    lab.stepsCurrent = collect;
    lab.dirty = false;
    if (collect) lab.level = std::min(lab.level, lab.steps.deepestLevel());
}

// Sets the 45-degree perspective and the eye for the current view. The scene is drawn scaled by a power of
// two where the distance leaves the range a float eye distance handles well, as the program does.
void applyView() {
    Camera camera;
    const double d = lab.view.distance;
    const int exponent = unitExponentFor(d);
    const double scale = std::ldexp(1.0, -exponent);
    camera.cx = static_cast<float>(lab.view.cx * scale);
    camera.cy = static_cast<float>(lab.view.cy * scale);
    camera.e = static_cast<float>(d * scale);
    const DepthRange planes = depthRange(viewingDistance(camera));
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glViewport(0, 0, lab.width, lab.height);
    gluPerspective(fieldOfView, static_cast<double>(lab.width) / lab.height, planes.zNear, planes.zFar);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(-camera.cx, -camera.cy, -viewingDistance(camera));
    if (exponent != 0) glScaled(scale, scale, 1.0);
}

void vertex(double x, double y) { glVertex2d(x, y); }

// a closed outline of count points around (x, y), radius r (scene units), starting at angle start
void outlineAround(double x, double y, double r, int count, double start) {
    glBegin(GL_LINE_LOOP);
    for (int i = 0; i < count; ++i) {
        const double a = start + 2.0 * pi * i / count;
        vertex(x + r * std::cos(a), y + r * std::sin(a));
    }
    glEnd();
}

void polyline(const std::vector<Point>& points, GLenum mode) {
    glBegin(mode);
    for (const Point& p : points) vertex(p.x, p.y);
    glEnd();
}

// the curve's point at t, by de Casteljau in double
void curvePoint(const std::vector<Point>& polygon, double t, double& x, double& y) {
    std::vector<double> xs, ys;
    for (const Point& p : polygon) {
        xs.push_back(p.x);
        ys.push_back(p.y);
    }
    for (size_t level = 1; level < polygon.size(); ++level) {
        for (size_t k = 0; k + level < polygon.size(); ++k) {
            xs[k] = (1 - t) * xs[k] + t * xs[k + 1];
            ys[k] = (1 - t) * ys[k] + t * ys[k + 1];
        }
    }
    x = xs.empty() ? 0 : xs[0];
    y = ys.empty() ? 0 : ys[0];
}

void drawControlPolygons() {
    const double u = unitsPerPixel();
    glLineWidth(1);
    for (int c = 0; c < 2; ++c) {
        colour(polygonColours[c]);
        polyline(lab.model.curves[c], GL_LINE_STRIP);
        for (const Point& p : lab.model.curves[c]) {
            const double h = handleHalfSize * u;
            glBegin(GL_LINE_LOOP);
            vertex(p.x - h, p.y - h);
            vertex(p.x + h, p.y - h);
            vertex(p.x + h, p.y + h);
            vertex(p.x - h, p.y + h);
            glEnd();
        }
    }
}

void drawMeetingRings() {
    const double u = unitsPerPixel();
    colour(ringColour);
    glLineWidth(1.5f);
    for (const Point& p : lab.model.build.intersections) outlineAround(p.x, p.y, ringRadius * u, 16, 0);
    glLineWidth(1);
}

void drawExact() {
    const double u = unitsPerPixel();
    glLineWidth(2);
    for (const CurveCrossing& c : lab.model.exact.crossings) {
        if (c.touch) {
            colour(touchColour);
            outlineAround(c.x, c.y, markRadius * u, 4, 0);  // a diamond
        } else {
            colour(crossingColour);
            outlineAround(c.x, c.y, markRadius * u, 24, 0);  // a ring
        }
    }
    colour(stretchColour);
    glLineWidth(6);
    for (const CurveOverlap& o : lab.model.exact.overlaps) {
        glBegin(GL_LINE_STRIP);
        const int pieces = 100;
        for (int i = 0; i <= pieces; ++i) {
            double x = 0, y = 0;
            curvePoint(lab.model.curves[0], o.t0 + (o.t1 - o.t0) * i / pieces, x, y);
            vertex(x, y);
        }
        glEnd();
    }
    glLineWidth(1);
}

void drawSteps() {
    if (lab.level <= 0) return;
    const double u = unitsPerPixel();
    for (const SearchStep& step : lab.steps.at(lab.level)) {
        const bool dropped = step.verdict == SearchVisit::dropped;
        colour(dropped ? droppedColour : (step.verdict == SearchVisit::recorded ? smallColour : keptColour));
        glLineWidth(dropped ? 1.0f : 2.0f);
        if (dropped) {
            glLineStipple(1, 0x0F0F);
            glEnable(GL_LINE_STIPPLE);
        }
        for (const std::vector<Point>* hull : {&step.hull1, &step.hull2}) {
            if (hull->size() >= 2) {
                polyline(*hull, GL_LINE_LOOP);
            } else if (hull->size() == 1) {
                outlineAround((*hull)[0].x, (*hull)[0].y, 3 * u, 8, 0);
            }
        }
        glDisable(GL_LINE_STIPPLE);
        if (step.verdict == SearchVisit::recorded) {
            colour(smallColour);
            outlineAround(step.point.x, step.point.y, ringRadius * u, 16, 0);
        }
    }
    glLineWidth(1);
}

// text in window pixels from the lower-left corner
void text(int x, int y, const std::string& s) {
    glRasterPos2i(x, y);
    glutBitmapString(GLUT_BITMAP_HELVETICA_12, reinterpret_cast<const unsigned char*>(s.c_str()));
}

std::string statusLine() {
    const LabModel& m = lab.model;
    char line[512];
    int touches = 0;
    for (const CurveCrossing& c : m.exact.crossings) touches += c.touch ? 1 : 0;
    std::snprintf(line, sizeof line,
                  "control points %zu and %zu  |  search: %ld calls, deepest level %d, %zu points found, %.3f ms%s  |  "
                  "exact: %d crossings, %d touches, %zu shared stretches, %.3f ms%s  |  h: keys",
                  m.curves[0].size(), m.curves[1].size(), m.build.stats.calls, m.build.stats.deepestLevel,
                  m.build.intersections.size(), m.searchMilliseconds,
                  m.build.stats.budgetExhausted ? " - CUT SHORT by its budget" : "",
                  static_cast<int>(m.exact.crossings.size()) - touches, touches, m.exact.overlaps.size(),
                  m.exactMilliseconds, m.exact.complete ? "" : " - WORK LIMIT reached");
    return line;
}

std::string levelLine() {
    if (lab.level <= 0) return "";
    int kept = 0, dropped = 0, recorded = 0;
    for (const SearchStep& step : lab.steps.at(lab.level)) {
        if (step.verdict == SearchVisit::dropped) {
            ++dropped;
        } else if (step.verdict == SearchVisit::recorded) {
            ++recorded;
        } else {
            ++kept;
        }
    }
    char line[256];
    std::snprintf(line, sizeof line,
                  "level %d of %d: %zu pairs examined, %d kept and halved, %d dropped (hulls apart), %d small "
                  "(point recorded)  |  n/p: next/previous level, 0: normal view",
                  lab.level, lab.steps.deepestLevel(), lab.steps.at(lab.level).size(), kept, dropped, recorded);
    return line;
}

const char* const helpLines[] = {
    "drag a control point (left button): move it; everything follows",
    "drag empty space: pan    wheel: zoom around the cursor    f: fit the view to the content",
    "shift + click: add a control point on the nearest edge of a control polygon",
    "right click, or Delete over a control point: remove it (a curve keeps at least one)",
    "x: exact crossings (ring: crossing, diamond: touch, thick stroke: shared stretch)",
    "n / p (or the arrow keys): step through the levels of the halving search, 0: normal view",
    "    green: pairs kept and halved, grey dashed: dropped (hulls apart), red: small, point recorded",
    "s: save both control polygons to their files    r: reload both files",
    "q or Escape: quit    h or ?: this list",
};

void drawOverlay() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0, lab.width, 0, lab.height);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    std::vector<std::string> lines;
    if (lab.showHelp) {
        for (const char* line : helpLines) lines.push_back(line);
    }
    const std::string steps = levelLine();
    if (!steps.empty()) lines.push_back(steps);
    if (!lab.message.empty()) lines.push_back(lab.message);
    lines.push_back(statusLine());

    const int lineHeight = 16;
    colour(stripColour);
    glRecti(0, 0, lab.width, lineHeight * static_cast<int>(lines.size()) + 6);
    colour(textColour);
    int y = 6 + lineHeight * (static_cast<int>(lines.size()) - 1);
    for (const std::string& line : lines) {
        text(6, y, line);
        y -= lineHeight;
    }
}

void displayLab() {
    rebuildIfDirty();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    applyView();
    glPointSize(dotSize);
    drawScene();
    drawControlPolygons();
    drawMeetingRings();
    if (lab.showExact) drawExact();
    drawSteps();
    drawOverlay();
    glFlush();
    glutSwapBuffers();
    if (lab.timeFrames && lab.motionPending) {
        // from the motion to the finished frame: wait for the renderer, then report
        glFinish();
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - lab.motionAt).count();
        std::fprintf(stderr, "motion-to-frame %.3f ms (search %.3f ms, %zu points; exact %.3f ms)\n", ms,
                     lab.model.searchMilliseconds, lab.model.build.intersections.size(), lab.model.exactMilliseconds);
        lab.motionPending = false;
    }
}

void reshapeLab(int width, int height) {
    lab.width = width > 0 ? width : 1;
    lab.height = height > 0 ? height : 1;
}

bool controlPointUnderCursor(int x, int y, int& curve, int& index) {
    double sx = 0, sy = 0;
    sceneOf(x, y, sx, sy);
    return nearestControlPoint(lab.model, sx, sy, grabRadius * unitsPerPixel(), curve, index);
}

void removeUnderCursor(int x, int y) {
    int curve = 0, index = 0;
    if (!controlPointUnderCursor(x, y, curve, index)) return;
    if (removeControlPoint(lab.model, curve, index)) {
        lab.dirty = true;
    } else {
        lab.message = "a curve keeps at least one control point";
    }
    glutPostRedisplay();
}

void zoomAround(int x, int y, double factor) {
    double sx = 0, sy = 0;
    sceneOf(x, y, sx, sy);
    const double newDistance = lab.view.distance * factor;
    if (!std::isfinite(newDistance) || newDistance <= 0 || newDistance > 1e300 || newDistance < 1e-300) return;
    // the point under the cursor stays where it is
    lab.view.cx = sx + (lab.view.cx - sx) * factor;
    lab.view.cy = sy + (lab.view.cy - sy) * factor;
    lab.view.distance = newDistance;
    glutPostRedisplay();
}

void mouse(int button, int state, int x, int y) {
    if (button == GLUT_LEFT_BUTTON && state == GLUT_DOWN) {
        int curve = 0, index = 0;
        if (glutGetModifiers() & GLUT_ACTIVE_SHIFT) {
            double sx = 0, sy = 0;
            sceneOf(x, y, sx, sy);
            if (insertControlPoint(lab.model, Point(static_cast<float>(sx), static_cast<float>(sy)), curve, index)) {
                lab.dirty = true;
            } else {
                lab.message = "at most " + std::to_string(maxControlPoints) + " control points per curve";
            }
        } else if (controlPointUnderCursor(x, y, curve, index)) {
            lab.dragCurve = curve;
            lab.dragIndex = index;
        } else {
            lab.panning = true;
            lab.pressX = x;
            lab.pressY = y;
            lab.pressView = lab.view;
        }
        glutPostRedisplay();
    } else if (button == GLUT_LEFT_BUTTON && state == GLUT_UP) {
        lab.dragCurve = -1;
        lab.panning = false;
    } else if (button == GLUT_RIGHT_BUTTON && state == GLUT_DOWN) {
        removeUnderCursor(x, y);
    } else if ((button == 3 || button == 4) && state == GLUT_DOWN) {
        zoomAround(x, y, button == 3 ? 1.0 / wheelZoom : wheelZoom);  // 3: wheel up, nearer
    }
}

void motion(int x, int y) {
    if (lab.timeFrames && !lab.motionPending) {
        lab.motionPending = true;
        lab.motionAt = std::chrono::steady_clock::now();
    }
    if (lab.dragCurve >= 0) {
        double sx = 0, sy = 0;
        sceneOf(x, y, sx, sy);
        lab.model.curves[lab.dragCurve][static_cast<size_t>(lab.dragIndex)] =
            Point(static_cast<float>(sx), static_cast<float>(sy));
        lab.dirty = true;
        glutPostRedisplay();
    } else if (lab.panning) {
        const int dx = x - lab.pressX;
        const int dy = y - lab.pressY;
        if (std::abs(dx) <= clickSlop && std::abs(dy) <= clickSlop) return;  // still a click
        const double u = unitsPerPixel();
        lab.view.cx = lab.pressView.cx - dx * u;
        lab.view.cy = lab.pressView.cy + dy * u;
        glutPostRedisplay();
    }
}

void stepLevel(int by) {
    const int target = lab.level + by;
    if (lab.dirty || !lab.stepsCurrent) {
        // the search again, with its steps collected
        lab.dirty = true;
        lab.level = 1;
        rebuildIfDirty();
    }
    lab.level = std::max(0, std::min(target, lab.steps.deepestLevel()));
    glutPostRedisplay();
}

void keyboard(unsigned char key, int x, int y) {
    switch (key) {
        case 'q':
        case 27:  // Escape
            std::exit(0);
        case 'h':
        case '?':
            lab.showHelp = !lab.showHelp;
            break;
        case 'x':
            lab.showExact = !lab.showExact;
            break;
        case 'n':
            stepLevel(1);
            return;
        case 'p':
            stepLevel(-1);
            return;
        case '0':
            lab.level = 0;
            break;
        case 'f':
            rebuildIfDirty();
            fitView();
            break;
        case 's': {
            std::string failure;
            lab.message = saveCurves(lab.model, failure) ? "saved " + lab.model.files[0] + " and " + lab.model.files[1]
                                                         : "NOT SAVED: " + failure;
            break;
        }
        case 'r': {
            std::string refusal;
            if (loadCurves(lab.model, refusal)) {
                lab.message = "reloaded " + lab.model.files[0] + " and " + lab.model.files[1];
                lab.dirty = true;
            } else {
                lab.message = refusal + " (the curves are kept as they were)";
            }
            break;
        }
        case 127:  // Delete
        case 8:    // Backspace
            removeUnderCursor(x, y);
            return;
        default:
            return;
    }
    glutPostRedisplay();
}

void special(int key, int x, int y) {
    if (key == GLUT_KEY_RIGHT || key == GLUT_KEY_UP) stepLevel(1);
    if (key == GLUT_KEY_LEFT || key == GLUT_KEY_DOWN) stepLevel(-1);
    if (key == GLUT_KEY_DELETE) removeUnderCursor(x, y);
}

// The arguments that are the lab's own: everything but the toolkit's options (-display NAME, -geometry
// GEOMETRY and its flags), which glutInit takes later. --frame-times asks for the time from each mouse motion
// to the frame that shows it, on standard error (for the benchmark).
std::vector<const char*> ownArguments(int argc, char** argv) {
    std::vector<const char*> own;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--frame-times") == 0) {
            lab.timeFrames = true;
        } else if (std::strcmp(argv[i], "-display") == 0 || std::strcmp(argv[i], "-geometry") == 0) {
            ++i;  // and its value
        } else if (argv[i][0] != '-' || argv[i][1] == '\0') {
            own.push_back(argv[i]);
        }
    }
    return own;
}

}  // namespace

int main(int argc, char** argv) {
    // the files are read before the toolkit starts: a refused file ends the lab before any window opens
    const std::vector<const char*> files = ownArguments(argc, argv);
    if (files.size() != 0 && files.size() != 2) {
        std::fprintf(stderr, "usage: geometrija-lab [--frame-times] [FIRST SECOND]\n");
        return 2;
    }
    lab.model.files[0] = files.empty() ? "kriva1.txt" : files[0];
    lab.model.files[1] = files.empty() ? "kriva2.txt" : files[1];
    std::string refusal;
    if (!loadCurves(lab.model, refusal)) {
        std::printf("%s\n", refusal.c_str());
        return 1;
    }
    glutInit(&argc, argv);
    rebuildIfDirty();
    fitView();

    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE);
    glutInitWindowSize(windowWidth, windowHeight);
    glutInitWindowPosition(windowLeft, windowTop);
    glutCreateWindow(labTitle);
    glClearColor(backgroundRed, backgroundGreen, backgroundBlue, backgroundAlpha);
    glutDisplayFunc(displayLab);
    glutReshapeFunc(reshapeLab);
    glutMouseFunc(mouse);
    glutMotionFunc(motion);
    glutKeyboardFunc(keyboard);
    glutSpecialFunc(special);
    glutMainLoop();
    return 0;
}
