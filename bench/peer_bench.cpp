// The exact intersection beside lib2geom's intersection of Bezier curves (Geom::BezierCurve::intersect,
// Bezier clipping, tolerance 1e-6 by default), given the same control points, in one run: the pair of
// cubics crossing three times, the default example's cubics, 200 random cubic pairs, 200 random quadratic
// pairs and 64 random pairs of ten control points.
//
// Thread CPU time, in interleaved slices (one slice of each program in turn, so that both see the same
// state of the machine); each slice runs every pair of a case several times. Prints, per case, the time
// per pair of each program (the median slice, and the best one), lib2geom's time over this program's, and
// the meeting points each reports per pair (lib2geom may report one crossing more than once).
// Built only where lib2geom is installed (Debian lib2geom-dev); run by hand: build/bench/peer_bench.
#include <2geom/bezier-curve.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench/curve_pairs.h"
#include "intersect/exact.h"

namespace {

using namespace benchpairs;

double threadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

std::unique_ptr<Geom::BezierCurve> toGeom(const Polygon& c) {
    std::vector<Geom::Point> points;
    for (const Point& p : c) points.emplace_back(p.x, p.y);
    return std::unique_ptr<Geom::BezierCurve>(Geom::BezierCurve::create(points));
}

struct Case {
    std::string name;
    std::vector<Pair> pairs;
};

struct Figures {
    double median = 0;  // seconds per pair
    double best = 0;
    double found = 0;  // meeting points per pair
};

Figures summarize(std::vector<double>& perPair, long found, long pairsRun) {
    std::sort(perPair.begin(), perPair.end());
    return {perPair[perPair.size() / 2], perPair.front(), static_cast<double>(found) / static_cast<double>(pairsRun)};
}

void compare(const Case& c, int slices, double sliceSeconds) {
    std::vector<std::unique_ptr<Geom::BezierCurve>> geomA, geomB;
    for (const Pair& p : c.pairs) {
        geomA.push_back(toGeom(p.a));
        geomB.push_back(toGeom(p.b));
    }
    ExactIntersections result;
    const auto runOurs = [&](long& found) {
        for (const Pair& p : c.pairs) {
            intersectExact(p.a.data(), static_cast<int>(p.a.size()), p.b.data(), static_cast<int>(p.b.size()), result);
            found += static_cast<long>(result.crossings.size() + result.overlaps.size());
        }
    };
    const auto runGeom = [&](long& found) {
        for (size_t i = 0; i < c.pairs.size(); ++i) {
            const std::vector<Geom::CurveIntersection> xs = geomA[i]->intersect(*geomB[i]);
            found += static_cast<long>(xs.size());
        }
    };
    // repetitions per slice: enough for about sliceSeconds of this program's time
    long calibration = 0;
    const double start = threadSeconds();
    runOurs(calibration);
    const double once = std::max(threadSeconds() - start, 1e-7);
    const int repeats = std::max(1, static_cast<int>(sliceSeconds / once));

    std::vector<double> ours, geom;
    long foundOurs = 0, foundGeom = 0;
    const double pairsPerSlice = static_cast<double>(repeats) * static_cast<double>(c.pairs.size());
    for (int s = 0; s < slices; ++s) {
        double t0 = threadSeconds();
        for (int r = 0; r < repeats; ++r) runOurs(foundOurs);
        ours.push_back((threadSeconds() - t0) / pairsPerSlice);
        t0 = threadSeconds();
        for (int r = 0; r < repeats; ++r) runGeom(foundGeom);
        geom.push_back((threadSeconds() - t0) / pairsPerSlice);
    }
    const long pairsRun = static_cast<long>(slices) * repeats * static_cast<long>(c.pairs.size());
    const Figures a = summarize(ours, foundOurs, pairsRun);
    const Figures b = summarize(geom, foundGeom, pairsRun);
    std::printf("%-34s %5zu %9.3f %9.3f %9.3f %9.3f %7.2f %7.2f %7.2f\n", c.name.c_str(), c.pairs.size(),
                a.median * 1e6, a.best * 1e6, b.median * 1e6, b.best * 1e6, b.median / a.median, a.found, b.found);
}

}  // namespace

// Optional arguments: the number of slices (default 15) and the seconds of one slice (default 0.02).
int main(int argc, char** argv) {
    const int slices = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    const double sliceSeconds = argc > 2 ? std::max(1e-4, std::atof(argv[2])) : 0.02;
    const std::vector<Case> cases = {
        {"cubics crossing three times", issueCubics()},   {"examples/default", defaultExample()},
        {"random cubic pairs", randomCurves(4, 200, 4)},  {"random quadratic pairs", randomCurves(3, 200, 3)},
        {"random 10-point pairs", randomTenPointPairs()},
    };
    std::printf("per pair, microseconds of thread CPU time, %d interleaved slices of %.3f s\n", slices, sliceSeconds);
    std::printf("%-34s %5s %9s %9s %9s %9s %7s %7s %7s\n", "case", "pairs", "exact", "best", "lib2geom", "best",
                "ratio", "found", "found2g");
    for (const Case& c : cases) compare(c, slices, sliceSeconds);
    return 0;
}
