#include "app/figure.h"

#include <cmath>
#include <cstring>
#include <string>

#include "scene/scene.h"

namespace {

constexpr double drawingSize = 720;  // figure units along the longer side of what is drawn
constexpr double margin = 40;        // around the drawing, room for the dots and the labels' first letters
constexpr const char* background = "#ffffff";
constexpr const char* curveColour = "#d40000";  // the window's red, a little darker for print
constexpr double curveWidth = 2.5;
constexpr const char* hullColour = "#c89b00";  // the window's yellow, dark enough to show on white
constexpr double hullWidth = 1.5;
constexpr const char* hullDashes = "7 5";
constexpr double hullDotRadius = 3.5;
constexpr const char* pointFill = "#ffffff";  // the window's white dots, ringed so they show on white
constexpr const char* pointRing = "#1a1a1a";
constexpr double pointRadius = 6;
constexpr double pointRingWidth = 2;
constexpr double labelSize = 14;
constexpr double labelGap = 9;  // between a dot's centre and its label

// a coordinate for a label: three decimals, a tenth of the search tolerance; very large ones shortened
std::string labelNumber(float v) {
    char buffer[48];
    const double d = static_cast<double>(v);
    std::snprintf(buffer, sizeof buffer, std::fabs(d) < 1e6 ? "%.3f" : "%.4g", d);
    // a small negative value rounds to zero: no "-0.000"
    if (std::strcmp(buffer, "-0.000") == 0) return "0.000";
    return buffer;
}

// The box of what is drawn and how it maps onto the figure: x to the right, y flipped so that it points up.
struct Frame {
    double minX = 0;
    double minY = 0;
    double maxX = 0;
    double maxY = 0;
    bool empty = true;
    double scale = 1;

    void widen(const Point& p) {
        if (!isFinite(p)) return;
        if (empty) {
            minX = maxX = p.x;
            minY = maxY = p.y;
            empty = false;
            return;
        }
        minX = std::fmin(minX, static_cast<double>(p.x));
        minY = std::fmin(minY, static_cast<double>(p.y));
        maxX = std::fmax(maxX, static_cast<double>(p.x));
        maxY = std::fmax(maxY, static_cast<double>(p.y));
    }
    // fixes the scale once the box is complete; a box of one point keeps the scale 1
    void finish() {
        const double extent = std::fmax(maxX - minX, maxY - minY);
        scale = extent > 0 && std::isfinite(drawingSize / extent) ? drawingSize / extent : 1;
    }
    double width() const { return 2 * margin + (maxX - minX) * scale; }
    double height() const { return 2 * margin + (maxY - minY) * scale; }
    double x(float v) const { return margin + (static_cast<double>(v) - minX) * scale; }
    double y(float v) const { return margin + (maxY - static_cast<double>(v)) * scale; }
};

// one path through the points; a point that is not finite breaks it, and the path closes when asked
void writePath(std::FILE* out, const Frame& frame, const std::vector<Point>& pts, bool closed, const char* style) {
    std::string d;
    char buffer[64];
    bool drawing = false;
    for (const Point& p : pts) {
        if (!isFinite(p)) {
            drawing = false;
            continue;
        }
        std::snprintf(buffer, sizeof buffer, "%s%.3f %.3f", drawing ? " L" : (d.empty() ? "M" : " M"), frame.x(p.x),
                      frame.y(p.y));
        d += buffer;
        drawing = true;
    }
    if (d.empty()) return;
    if (closed) d += " Z";
    std::fprintf(out, "    <path d=\"%s\" %s/>\n", d.c_str(), style);
}

}  // namespace

void writeFigure(std::FILE* out, const SceneBuild& build, const std::vector<Point>& meetingPoints, bool labels,
                 const char* title) {
    const std::vector<Point> curves[2] = {std::vector<Point>(build.samples1, build.samples1 + curveSampleCount),
                                          std::vector<Point>(build.samples2, build.samples2 + curveSampleCount)};
    const std::vector<Point> hulls[2] = {std::vector<Point>(build.hull1, build.hull1 + build.hullCount1),
                                         std::vector<Point>(build.hull2, build.hull2 + build.hullCount2)};
    Frame frame;
    for (const std::vector<Point>& curve : curves) {
        for (const Point& p : curve) frame.widen(p);
    }
    for (const std::vector<Point>& hull : hulls) {
        for (const Point& p : hull) frame.widen(p);
    }
    for (const Point& p : meetingPoints) frame.widen(p);
    frame.finish();

    std::fprintf(
        out, "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%.0f\" height=\"%.0f\" viewBox=\"0 0 %.3f %.3f\">\n",
        std::ceil(frame.width()), std::ceil(frame.height()), frame.width(), frame.height());
    std::string escaped;
    for (const char* c = title; *c != '\0'; ++c) {
        if (*c == '<') {
            escaped += "&lt;";
        } else if (*c == '>') {
            escaped += "&gt;";
        } else if (*c == '&') {
            escaped += "&amp;";
        } else {
            escaped += *c;
        }
    }
    std::fprintf(out, "  <title>%s</title>\n", escaped.c_str());
    std::fprintf(out, "  <rect width=\"100%%\" height=\"100%%\" fill=\"%s\"/>\n", background);

    // the hulls below the curves, as in the window's picture the hull outlines lie on the curves' ends
    char style[160];
    std::fprintf(out, "  <g id=\"hulls\">\n");
    std::snprintf(style, sizeof style,
                  "fill=\"none\" stroke=\"%s\" stroke-width=\"%g\" stroke-dasharray=\"%s\" stroke-linejoin=\"round\"",
                  hullColour, hullWidth, hullDashes);
    for (const std::vector<Point>& hull : hulls) {
        writePath(out, frame, hull, hull.size() > 2, style);
        for (const Point& p : hull) {
            if (!isFinite(p)) continue;
            std::fprintf(out, "    <circle cx=\"%.3f\" cy=\"%.3f\" r=\"%g\" fill=\"%s\"/>\n", frame.x(p.x),
                         frame.y(p.y), hullDotRadius, hullColour);
        }
    }
    std::fprintf(out, "  </g>\n  <g id=\"curves\">\n");
    std::snprintf(style, sizeof style,
                  "fill=\"none\" stroke=\"%s\" stroke-width=\"%g\" stroke-linejoin=\"round\" stroke-linecap=\"round\"",
                  curveColour, curveWidth);
    for (const std::vector<Point>& curve : curves) writePath(out, frame, curve, false, style);
    std::fprintf(out, "  </g>\n  <g id=\"meeting-points\">\n");
    for (const Point& p : meetingPoints) {
        if (!isFinite(p)) continue;
        std::fprintf(out,
                     "    <circle cx=\"%.3f\" cy=\"%.3f\" r=\"%g\" fill=\"%s\" stroke=\"%s\" stroke-width=\"%g\"/>\n",
                     frame.x(p.x), frame.y(p.y), pointRadius, pointFill, pointRing, pointRingWidth);
    }
    std::fprintf(out, "  </g>\n");
    if (labels) {
        // above and to the right of its dot; in the right half of the figure to the left, so it stays inside
        std::fprintf(out,
                     "  <g id=\"labels\" font-family=\"sans-serif\" font-size=\"%g\" fill=\"%s\" stroke=\"%s\" "
                     "stroke-width=\"3\" stroke-linejoin=\"round\" paint-order=\"stroke\">\n",
                     labelSize, pointRing, background);
        for (const Point& p : meetingPoints) {
            if (!isFinite(p)) continue;
            const double x = frame.x(p.x);
            const bool leftward = x > 0.5 * frame.width();
            std::fprintf(out, "    <text x=\"%.3f\" y=\"%.3f\"%s>(%s, %s)</text>\n",
                         leftward ? x - labelGap : x + labelGap, frame.y(p.y) - labelGap,
                         leftward ? " text-anchor=\"end\"" : "", labelNumber(p.x).c_str(), labelNumber(p.y).c_str());
        }
        std::fprintf(out, "  </g>\n");
    }
    std::fputs("</svg>\n", out);
}
