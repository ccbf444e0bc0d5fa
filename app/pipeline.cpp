#include "app/pipeline.h"

#include "app/reader.h"
#include "bezier/bezier.h"
#include "hull/hull.h"
#include "scene/scene.h"

namespace {
int segmentCount() { return static_cast<int>(segments.size()); }
}  // namespace

void buildScene(const char* firstFile, const char* secondFile, SceneBuild& build) {
    build.count1 = readControlPoints(build.curve1, firstFile);
    build.count2 = readControlPoints(build.curve2, secondFile);

    build.segmentStart[0] = segmentCount();
    addBezierCurve(build.curve1, build.count1);
    build.segmentStart[1] = segmentCount();
    addBezierCurve(build.curve2, build.count2);
    build.segmentStart[2] = segmentCount();

    intersectCurves(build.curve1, build.count1, build.curve2, build.count2, build.intersections, searchTolerance,
                    &build.stats);
    addPoints(build.intersections.data(), static_cast<int>(build.intersections.size()));

    build.hullCount1 = convexHull(build.curve1, build.count1, build.hull1);
    addPolygon(build.hull1, build.hullCount1, YELLOW);
    build.segmentStart[3] = segmentCount();
    build.hullCount2 = convexHull(build.curve2, build.count2, build.hull2);
    addPolygon(build.hull2, build.hullCount2, YELLOW);
    build.segmentStart[4] = segmentCount();
}

std::string searchCutShortLine(const SearchStats& stats) {
    if (!stats.budgetExhausted) return "";
    return "Upozorenje: pretraga preseka prekinuta posle " + std::to_string(stats.calls) +
           " poziva; neke tacke preseka mozda nedostaju.\n";
}
