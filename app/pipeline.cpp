#include "app/pipeline.h"

#include "app/reader.h"
#include "bezier/bezier.h"
#include "hull/hull.h"
#include "scene/scene.h"

void buildScene(const char* firstFile, const char* secondFile, SceneBuild& build) {
    build.count1 = readControlPoints(build.curve1, firstFile);
    build.count2 = readControlPoints(build.curve2, secondFile);
    fillScene(build);
}

void fillScene(SceneBuild& build, SearchObserver observer, void* context) {
    build.intersections.clear();
    build.stats = SearchStats();
    sampleBezierCurve(build.curve1, build.count1, build.samples1);
    addSampledCurve(build.samples1);
    sampleBezierCurve(build.curve2, build.count2, build.samples2);
    addSampledCurve(build.samples2);

    intersectCurves(build.curve1, build.count1, build.curve2, build.count2, build.intersections, searchTolerance,
                    &build.stats, searchCallBudget, observer, context);
    addPoints(build.intersections.data(), static_cast<int>(build.intersections.size()));

    build.hullCount1 = convexHull(build.curve1, build.count1, build.hull1);
    addPolygon(build.hull1, build.hullCount1, YELLOW);
    build.hullCount2 = convexHull(build.curve2, build.count2, build.hull2);
    addPolygon(build.hull2, build.hullCount2, YELLOW);
}

std::vector<Point> uniquePoints(const std::vector<Point>& found, float tolerance) {
    const double limit = static_cast<double>(tolerance) * static_cast<double>(tolerance);
    std::vector<Point> kept;
    for (const Point& p : found) {
        bool near = false;
        for (const Point& q : kept) {
            const double dx = static_cast<double>(p.x) - static_cast<double>(q.x);
            const double dy = static_cast<double>(p.y) - static_cast<double>(q.y);
            if (dx * dx + dy * dy < limit) {
                near = true;
                break;
            }
        }
        if (!near) kept.push_back(p);
    }
    return kept;
}

std::string searchCutShortLine(const SearchStats& stats) {
    if (!stats.budgetExhausted) return "";
    return "Upozorenje: pretraga preseka prekinuta posle " + std::to_string(stats.calls) +
           " poziva; neke tacke preseka mozda nedostaju.\n";
}
