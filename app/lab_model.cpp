#include "app/lab_model.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/reader.h"
#include "scene/scene.h"

namespace {

double millisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// the squared distance from (x, y) to the segment from a to b, in double
double squaredDistanceToSegment(double x, double y, Point a, Point b) {
    const double dx = static_cast<double>(b.x) - a.x;
    const double dy = static_cast<double>(b.y) - a.y;
    const double ex = x - a.x;
    const double ey = y - a.y;
    const double length2 = dx * dx + dy * dy;
    double along = length2 > 0 ? (ex * dx + ey * dy) / length2 : 0.0;
    along = along < 0 ? 0 : (along > 1 ? 1 : along);
    const double px = ex - along * dx;
    const double py = ey - along * dy;
    return px * px + py * py;
}

// writes text to fileName through a new file beside it, renamed over it once complete
bool replaceFile(const std::string& fileName, const std::string& text, std::string& message) {
    std::string temporary = fileName + ".XXXXXX";
    const int descriptor = mkstemp(&temporary[0]);
    if (descriptor < 0) {
        message = "cannot save " + fileName + ": " + std::strerror(errno);
        return false;
    }
    // the new file takes the old one's permissions (mkstemp makes it private), or the usual ones
    struct stat old {};
    (void)fchmod(descriptor, stat(fileName.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644);
    std::FILE* out = fdopen(descriptor, "w");
    if (out == nullptr) {
        message = "cannot save " + fileName + ": " + std::strerror(errno);
        close(descriptor);
        std::remove(temporary.c_str());
        return false;
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), out) == text.size() && std::fflush(out) == 0 &&
                         fsync(fileno(out)) == 0;
    const int writeError = errno;
    if (std::fclose(out) != 0 || !written) {
        message = "cannot save " + fileName + ": " + std::strerror(written ? errno : writeError);
        std::remove(temporary.c_str());
        return false;
    }
    if (std::rename(temporary.c_str(), fileName.c_str()) != 0) {
        message = "cannot save " + fileName + ": " + std::strerror(errno);
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace

bool loadCurves(LabModel& lab, std::string& message) {
    std::vector<Point> read[2];
    for (int c = 0; c < 2; ++c) {
        Point* polygon = nullptr;
        int count = 0;
        const int status = readControlPointFile(lab.files[c].c_str(), polygon, count);
        if (status != readOk) {
            message = refusalMessage(status, lab.files[c].c_str());
            if (!message.empty() && message.back() == '\n') message.pop_back();
            return false;
        }
        read[c].assign(polygon, polygon + (count > 0 ? count : 0));
        std::free(polygon);
    }
    lab.curves[0] = read[0];
    lab.curves[1] = read[1];
    return true;
}

void rebuild(LabModel& lab, SearchSteps* steps) {
    clearScene();
    SceneBuild& build = lab.build;
    build.curve1 = lab.curves[0].data();
    build.count1 = static_cast<int>(lab.curves[0].size());
    build.curve2 = lab.curves[1].data();
    build.count2 = static_cast<int>(lab.curves[1].size());
    const auto start = std::chrono::steady_clock::now();
    if (steps != nullptr) {
        steps->clear();
        fillScene(build, SearchSteps::observe, steps);
    } else {
        fillScene(build);
    }
    lab.searchMilliseconds = millisecondsSince(start);

    const auto exactStart = std::chrono::steady_clock::now();
    intersectExact(build.curve1, build.count1, build.curve2, build.count2, lab.exact);
    lab.exactMilliseconds = millisecondsSince(exactStart);
}

bool nearestControlPoint(const LabModel& lab, double x, double y, double radius, int& curve, int& index) {
    double best = radius * radius;
    bool found = false;
    for (int c = 0; c < 2; ++c) {
        for (size_t i = 0; i < lab.curves[c].size(); ++i) {
            const double dx = lab.curves[c][i].x - x;
            const double dy = lab.curves[c][i].y - y;
            const double d2 = dx * dx + dy * dy;
            if (d2 < best || (!found && d2 <= best)) {
                best = d2;
                curve = c;
                index = static_cast<int>(i);
                found = true;
            }
        }
    }
    return found;
}

bool insertControlPoint(LabModel& lab, Point p, int& curve, int& index) {
    double best = INFINITY;
    int bestCurve = -1;
    int bestEdge = 0;
    for (int c = 0; c < 2; ++c) {
        const std::vector<Point>& polygon = lab.curves[c];
        if (polygon.empty()) continue;
        // a one-point polygon is an edge of length zero; otherwise edge i runs from point i to point i + 1
        const size_t edges = polygon.size() > 1 ? polygon.size() - 1 : 1;
        for (size_t i = 0; i < edges; ++i) {
            const Point a = polygon[i];
            const Point b = polygon[polygon.size() > 1 ? i + 1 : i];
            const double d2 = squaredDistanceToSegment(p.x, p.y, a, b);
            if (d2 < best) {
                best = d2;
                bestCurve = c;
                bestEdge = static_cast<int>(i);
            }
        }
    }
    if (bestCurve < 0 || static_cast<int>(lab.curves[bestCurve].size()) >= maxControlPoints) return false;
    curve = bestCurve;
    index = bestEdge + 1;
    lab.curves[curve].insert(lab.curves[curve].begin() + index, Point(p.x, p.y));
    return true;
}

bool removeControlPoint(LabModel& lab, int curve, int index) {
    std::vector<Point>& polygon = lab.curves[curve];
    if (polygon.size() <= 1 || index < 0 || index >= static_cast<int>(polygon.size())) return false;
    polygon.erase(polygon.begin() + index);
    return true;
}

std::string controlPointText(const std::vector<Point>& polygon) {
    std::string text = std::to_string(polygon.size()) + "\n";
    char line[64];
    for (const Point& p : polygon) {
        // 9 significant digits read back to the same float
        std::snprintf(line, sizeof line, "%.9g %.9g\n", static_cast<double>(p.x), static_cast<double>(p.y));
        text += line;
    }
    return text;
}

bool saveCurves(const LabModel& lab, std::string& message) {
    for (int c = 0; c < 2; ++c) {
        if (!replaceFile(lab.files[c], controlPointText(lab.curves[c]), message)) return false;
    }
    return true;
}
