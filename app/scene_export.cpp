#include "app/scene_export.h"

#include <cmath>
#include <initializer_list>
#include <string>

#include "scene/scene.h"

namespace {

// ---------------------------------------------------------------------------------------------------
// JSON

// a float that reads back to itself (9 significant digits), or null when it is not finite
void jsonFloat(std::FILE* out, float v) {
    if (std::isfinite(v)) {
        std::fprintf(out, "%.9g", static_cast<double>(v));
    } else {
        std::fputs("null", out);
    }
}

// a double that reads back to itself (17 significant digits)
void jsonDouble(std::FILE* out, double v) {
    if (std::isfinite(v)) {
        std::fprintf(out, "%.17g", v);
    } else {
        std::fputs("null", out);
    }
}

// a camera value in scene units: the float itself, or for a scene drawn scaled the double it stands for
void jsonCameraValue(std::FILE* out, float v, int unitExponent) {
    if (unitExponent == 0) {
        jsonFloat(out, v);
    } else {
        jsonDouble(out, std::ldexp(static_cast<double>(v), unitExponent));
    }
}

void jsonPoint(std::FILE* out, const Point& p) {
    std::fputc('[', out);
    jsonFloat(out, p.x);
    std::fputs(", ", out);
    jsonFloat(out, p.y);
    std::fputc(']', out);
}

void jsonPoints(std::FILE* out, const Point* points, int count) {
    std::fputc('[', out);
    for (int i = 0; i < count; ++i) {
        if (i > 0) std::fputs(", ", out);
        jsonPoint(out, points[i]);
    }
    std::fputc(']', out);
}

// the segments joining consecutive samples, each as [[ax, ay], [bx, by]]
void jsonSegments(std::FILE* out, const Point* samples) {
    std::fputc('[', out);
    for (int k = 0; k + 1 < curveSampleCount; ++k) {
        std::fputs(k > 0 ? ",\n        [" : "\n        [", out);
        jsonPoint(out, samples[k]);
        std::fputs(", ", out);
        jsonPoint(out, samples[k + 1]);
        std::fputc(']', out);
    }
    std::fputs("\n      ]", out);
}

void jsonCurve(std::FILE* out, const Point* controlPoints, int count, const Point* samples, const Point* hull,
               int hullCount) {
    std::fputs("    {\n      \"controlPoints\": ", out);
    jsonPoints(out, controlPoints, count > 0 ? count : 0);
    std::fputs(",\n      \"segments\": ", out);
    jsonSegments(out, samples);
    std::fputs(",\n      \"hull\": ", out);
    jsonPoints(out, hull, hullCount);
    std::fputs("\n    }", out);
}

// the window's fixed parameters and the colour of each code, for reproducing its picture
void jsonView(std::FILE* out) {
    std::fprintf(out, "{\"title\": \"%s\", \"width\": %d, \"height\": %d, \"left\": %d, \"top\": %d, ", windowTitle,
                 windowWidth, windowHeight, windowLeft, windowTop);
    std::fprintf(out, "\"fieldOfView\": %.17g, \"dotSize\": ", fieldOfView);
    jsonFloat(out, dotSize);
    std::fputs(", \"background\": [", out);
    jsonFloat(out, backgroundRed);
    std::fputs(", ", out);
    jsonFloat(out, backgroundGreen);
    std::fputs(", ", out);
    jsonFloat(out, backgroundBlue);
    std::fputs("],\n    \"colors\": [", out);
    for (int code = 0; code < colorCount; ++code) {
        const ColorComponents& c = colorTable[code];
        std::fputs(code > 0 ? ", [" : "[", out);
        jsonFloat(out, c.red);
        std::fputs(", ", out);
        jsonFloat(out, c.green);
        std::fputs(", ", out);
        jsonFloat(out, c.blue);
        std::fputc(']', out);
    }
    std::fputs("]}", out);
}

// the members named, each a double, as the opening of an object: {"a": 1, "b": 2 (the caller closes it)
void jsonDoubles(std::FILE* out, std::initializer_list<const char*> names, std::initializer_list<double> values) {
    const double* value = values.begin();
    const char* separator = "{";
    for (const char* name : names) {
        std::fprintf(out, "%s\"%s\": ", separator, name);
        jsonDouble(out, *value++);
        separator = ", ";
    }
}

void jsonExact(std::FILE* out, const ExactIntersections& exact) {
    std::fputs(",\n  \"exact\": {\n    \"crossings\": [", out);
    for (size_t i = 0; i < exact.crossings.size(); ++i) {
        const CurveCrossing& c = exact.crossings[i];
        std::fputs(i > 0 ? ",\n      " : "\n      ", out);
        jsonDoubles(out, {"x", "y", "t", "s"}, {c.x, c.y, c.t, c.s});
        std::fprintf(out, ", \"touch\": %s}", c.touch ? "true" : "false");
    }
    std::fputs(exact.crossings.empty() ? "],\n    \"overlaps\": [" : "\n    ],\n    \"overlaps\": [", out);
    for (size_t i = 0; i < exact.overlaps.size(); ++i) {
        const CurveOverlap& o = exact.overlaps[i];
        std::fputs(i > 0 ? ",\n      " : "\n      ", out);
        jsonDoubles(out, {"t0", "t1", "s0", "s1"}, {o.t0, o.t1, o.s0, o.s1});
        std::fputc('}', out);
    }
    std::fputs(exact.overlaps.empty() ? "]" : "\n    ]", out);
    std::fprintf(out, ",\n    \"complete\": %s\n  }", exact.complete ? "true" : "false");
}

// ---------------------------------------------------------------------------------------------------
// SVG

// A colour component as the window's 8-bit framebuffer holds it: the float times 255, rounded to a float
// (as the graphics library does), then to the nearest integer, halves away from zero: 0.5 is 128, 0.9 is 230.
long framebufferByte(float component) { return std::lround(component * 255.0f); }

// "#rrggbb" of a colour as the framebuffer holds it
std::string hexColour(float red, float green, float blue) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02lx%02lx%02lx", framebufferByte(red), framebufferByte(green),
                  framebufferByte(blue));
    return text;
}

const std::string backgroundColour = hexColour(backgroundRed, backgroundGreen, backgroundBlue);
// the graphics library's colour before any is set
const std::string startingColour = hexColour(1, 1, 1);

// Maps scene coordinates to window pixels (x to the right, y downwards, as SVG has them) the way the
// window's camera and 45-degree projection do.
struct Framing {
    double cx;
    double cy;
    double pixelsPerUnit;  // the same along both axes: the aspect matches the window's

    // x and y in the window's own coordinates (y upwards from the bottom edge)
    double windowX(double x) const { return 0.5 * pictureWidth + (x - cx) * pixelsPerUnit; }
    double windowY(double y) const { return 0.5 * pictureHeight + (y - cy) * pixelsPerUnit; }
};

class SvgWriter {
public:
    SvgWriter(std::FILE* out, const Framing& framing) : out_(out), framing_(framing) {}

    // the graphics library's current colour: a code outside 0..9 keeps the one before
    void setColour(int code) {
        if (static_cast<unsigned>(code) < static_cast<unsigned>(colorCount)) {
            const ColorComponents& c = colorTable[code];
            colour_ = hexColour(c.red, c.green, c.blue);
        }
    }

    // A 1-pixel line between two scene points. The window's rasteriser fills, for each pixel column of a
    // mostly horizontal line (each row of a mostly vertical one), the pixel whose centre is nearest the
    // line: the pixel centres inside the parallelogram one pixel tall (wide) around it.
    void line(double ax, double ay, double bx, double by) {
        const double x0 = framing_.windowX(ax);
        const double y0 = framing_.windowY(ay);
        const double x1 = framing_.windowX(bx);
        const double y1 = framing_.windowY(by);
        if (!std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(x1) || !std::isfinite(y1)) return;
        const bool mostlyHorizontal = std::fabs(x1 - x0) >= std::fabs(y1 - y0);
        const double ox = mostlyHorizontal ? 0 : 0.5;
        const double oy = mostlyHorizontal ? 0.5 : 0;
        std::fprintf(out_, "<polygon points=\"%.4f,%.4f %.4f,%.4f %.4f,%.4f %.4f,%.4f\" fill=\"%s\"/>\n", x0 - ox,
                     flip(y0 - oy), x1 - ox, flip(y1 - oy), x1 + ox, flip(y1 + oy), x0 + ox, flip(y0 + oy),
                     colour_.c_str());
    }

    // A 4-pixel dot: the square of pixels around the pixel corner nearest the point.
    void dot(double x, double y) {
        const double wx = framing_.windowX(x);
        const double wy = framing_.windowY(y);
        if (!std::isfinite(wx) || !std::isfinite(wy) || std::fabs(wx) > 1e9 || std::fabs(wy) > 1e9) return;
        const double cornerX = std::floor(wx + 0.5);
        const double cornerY = std::floor(wy + 0.5);
        std::fprintf(out_, "<rect x=\"%.0f\" y=\"%.0f\" width=\"%.0f\" height=\"%.0f\" fill=\"%s\"/>\n",
                     cornerX - 0.5 * dotSize, flip(cornerY + 0.5 * dotSize), dotSize, dotSize, colour_.c_str());
    }

private:
    static double flip(double windowY) { return pictureHeight - windowY; }

    std::FILE* out_;
    Framing framing_;
    std::string colour_ = startingColour;
};

}  // namespace

void writeSceneJson(std::FILE* out, const SceneBuild& build, const Camera& camera, const ExactIntersections* exact,
                    const std::vector<Point>* unique) {
    std::fprintf(out, "{\n  \"version\": %d,\n  \"curves\": [\n", sceneJsonVersion);
    jsonCurve(out, build.curve1, build.count1, build.samples1, build.hull1, build.hullCount1);
    std::fputs(",\n", out);
    jsonCurve(out, build.curve2, build.count2, build.samples2, build.hull2, build.hullCount2);
    std::fputs("\n  ],\n  \"intersections\": ", out);
    jsonPoints(out, build.intersections.data(), static_cast<int>(build.intersections.size()));
    std::fputs(",\n  \"boundingBox\": {\"min\": ", out);
    jsonPoint(out, minCorner);
    std::fputs(", \"max\": ", out);
    jsonPoint(out, maxCorner);
    std::fputs("},\n  \"camera\": {\"cx\": ", out);
    jsonCameraValue(out, camera.cx, camera.unitExponent);
    std::fputs(", \"cy\": ", out);
    jsonCameraValue(out, camera.cy, camera.unitExponent);
    std::fputs(", \"e\": ", out);
    jsonCameraValue(out, camera.e, camera.unitExponent);
    std::fputs("},\n  \"view\": ", out);
    jsonView(out);
    std::fprintf(out, ",\n  \"search\": {\"calls\": %ld, \"deepestLevel\": %d, \"budgetExhausted\": %s}",
                 build.stats.calls, build.stats.deepestLevel, build.stats.budgetExhausted ? "true" : "false");
    if (exact != nullptr) jsonExact(out, *exact);
    if (unique != nullptr) {
        std::fputs(",\n  \"uniqueIntersections\": ", out);
        jsonPoints(out, unique->data(), static_cast<int>(unique->size()));
    }
    std::fputs("\n}\n", out);
}

void writeSceneSvg(std::FILE* out, const Camera& camera) {
    // the eye at the viewing distance sees half a height of d · tan(22.5°) on either side of the centre
    const double d = viewingDistance(camera);
    const double halfHeight = d * std::tan(0.5 * pictureFieldOfView * 3.14159265358979323846 / 180.0);
    // in scene units: a scene drawn scaled by 2^-unitExponent has its camera in scaled units
    const double unit = std::ldexp(1.0, camera.unitExponent);
    const Framing framing{camera.cx * unit, camera.cy * unit, 0.5 * pictureHeight / halfHeight / unit};

    std::fprintf(out,
                 "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%d\" height=\"%d\" viewBox=\"0 0 %d %d\" "
                 "shape-rendering=\"crispEdges\">\n",
                 pictureWidth, pictureHeight, pictureWidth, pictureHeight);
    std::fprintf(out, "<rect x=\"0\" y=\"0\" width=\"%d\" height=\"%d\" fill=\"%s\"/>\n", pictureWidth, pictureHeight,
                 backgroundColour.c_str());
    SvgWriter svg(out, framing);
    for (const Circle& c : circles) {
        svg.setColour(c.color);
        double px = 0;
        double py = 0;
        for (int i = 0; i <= circleVertexCount; ++i) {
            const double theta = (i % circleVertexCount) * circleAngleStep;
            const double radius = c.radius;
            const double x = static_cast<float>(c.center.x + radius * std::cos(theta));
            const double y = static_cast<float>(c.center.y + radius * std::sin(theta));
            if (i > 0) svg.line(px, py, x, y);
            px = x;
            py = y;
        }
    }
    for (const Line& l : lines) {
        svg.setColour(l.color);
        svg.line(static_cast<float>(l.origin.x + lineReach * l.direction.x),
                 static_cast<float>(l.origin.y + lineReach * l.direction.y),
                 static_cast<float>(l.origin.x - lineReach * l.direction.x),
                 static_cast<float>(l.origin.y - lineReach * l.direction.y));
    }
    for (const Segment& s : segments) {
        svg.setColour(s.color);
        svg.line(s.a.x, s.a.y, s.b.x, s.b.y);
        svg.dot(s.a.x, s.a.y);
        svg.dot(s.b.x, s.b.y);
    }
    for (const Point& p : points) {
        svg.setColour(p.color);
        svg.dot(p.x, p.y);
    }
    std::fputs("</svg>\n", out);
}

void writeExactText(std::FILE* out, const ExactIntersections& exact) {
    for (const CurveCrossing& c : exact.crossings) {
        std::fprintf(out, "%s %.17g %.17g %.17g %.17g\n", c.touch ? "touch" : "crossing", c.x, c.y, c.t, c.s);
    }
    for (const CurveOverlap& o : exact.overlaps) {
        std::fprintf(out, "overlap %.17g %.17g %.17g %.17g\n", o.t0, o.t1, o.s0, o.s1);
    }
}
