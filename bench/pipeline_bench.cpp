// The start-up work before the window: sampling one curve of 4, 10 and 32 control points into the scene,
// and the whole sequence on examples/default (read both files, sample both curves, search, both hulls, all
// added to the scene). The scene is emptied between iterations, outside the timed part.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "app/pipeline.h"
#include "bench/allocation_counter.h"
#include "bezier/bezier.h"
#include "scene/scene.h"

namespace {

std::vector<Point> randomPolygon(int n) {
    std::mt19937 rng(static_cast<unsigned>(n));
    std::uniform_real_distribution<float> coordinate(0, 10);
    std::vector<Point> polygon(static_cast<size_t>(n));
    for (Point& p : polygon) p = Point(coordinate(rng), coordinate(rng));
    return polygon;
}

// 500 evaluations in Bernstein form and 499 segments appended to the scene
void sampleCurve(benchmark::State& state) {
    const std::vector<Point> polygon = randomPolygon(static_cast<int>(state.range(0)));
    long allocations = 0;
    size_t added = 0;
    for (auto _ : state) {
        const long before = heapAllocations;
        addBezierCurve(polygon.data(), static_cast<int>(polygon.size()));
        allocations += heapAllocations - before;
        state.PauseTiming();
        added = segments.size();
        clearScene();
        state.ResumeTiming();
    }
    const double iterations = static_cast<double>(state.iterations());
    state.counters["segments"] = static_cast<double>(added);
    state.counters["allocs"] = static_cast<double>(allocations) / iterations;
    state.counters["per_sample"] =
        benchmark::Counter(500 * iterations, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(sampleCurve)->Arg(4)->Arg(10)->Arg(32)->Unit(benchmark::kMicrosecond);

// Evaluation alone: the 500 points of the curve, nothing stored.
void evaluateCurve(benchmark::State& state) {
    const std::vector<Point> polygon = randomPolygon(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        for (int i = 0; i < 500; ++i) {
            const Point p = bezierPoint(polygon.data(), static_cast<int>(polygon.size()),
                                        static_cast<float>(i * 0.002));
            benchmark::DoNotOptimize(p);
        }
    }
    state.counters["per_sample"] = benchmark::Counter(500 * static_cast<double>(state.iterations()),
                                                      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(evaluateCurve)->Arg(4)->Arg(10)->Arg(32)->Unit(benchmark::kMicrosecond);

// Everything the program does before it opens the window, on examples/default.
void startUpSequence(benchmark::State& state) {
    const std::string folder = std::string(GEOMETRIJA_EXAMPLES) + "/default";
    const std::string first = folder + "/kriva1.txt";
    const std::string second = folder + "/kriva2.txt";
    long allocations = 0;
    long found = 0;
    for (auto _ : state) {
        SceneBuild build;
        const long before = heapAllocations;
        buildScene(first.c_str(), second.c_str(), build);
        allocations += heapAllocations - before;
        found = static_cast<long>(build.intersections.size());
        state.PauseTiming();
        std::free(build.curve1);
        std::free(build.curve2);
        clearScene();
        state.ResumeTiming();
    }
    state.counters["points"] = static_cast<double>(found);
    state.counters["allocs"] = static_cast<double>(allocations) / static_cast<double>(state.iterations());
}
BENCHMARK(startUpSequence)->Unit(benchmark::kMicrosecond);

}  // namespace
