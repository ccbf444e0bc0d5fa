// convexHull of 4, 10 and 32 points: the walk without arctangents, the walk by float angles, and the
// literal walk that recomputes the best candidate's angle at every comparison. Two kinds of point sets:
// scattered points, and control polygons of halves of random curves, as the search meets them.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "tests/support/literal_search.h"
#include "bezier/bezier.h"
#include "hull/hull.h"

namespace {

constexpr int setCount = 64;  // point sets cycled through, so that no one set's branches are learnt

std::vector<std::vector<Point>> scattered(int n) {
    std::mt19937 rng(static_cast<unsigned>(n));
    std::uniform_real_distribution<float> coordinate(0, 10);
    std::vector<std::vector<Point>> sets(setCount, std::vector<Point>(static_cast<size_t>(n)));
    for (auto& set : sets) {
        for (Point& p : set) p = Point(coordinate(rng), coordinate(rng));
    }
    return sets;
}

// the control polygon of a piece after 1 to 8 halvings of a random curve
std::vector<std::vector<Point>> halves(int n) {
    std::mt19937 rng(static_cast<unsigned>(n) + 1000);
    std::vector<std::vector<Point>> sets = scattered(n);
    std::vector<Point> left(static_cast<size_t>(n));
    std::vector<Point> right(static_cast<size_t>(n));
    for (auto& set : sets) {
        for (int level = 1 + static_cast<int>(rng() % 8); level > 0; --level) {
            splitBezier(set.data(), n, 0.5f, left.data(), right.data());
            set = rng() % 2 ? left : right;
        }
    }
    return sets;
}

template <int (*hull)(const Point*, int, Point*)>
void run(benchmark::State& state, const std::vector<std::vector<Point>>& sets) {
    const int n = static_cast<int>(sets[0].size());
    std::vector<Point> out(sets[0].size());
    size_t i = 0;
    long vertices = 0;
    for (auto _ : state) {
        vertices += hull(sets[i].data(), n, out.data());
        benchmark::DoNotOptimize(out.data());
        i = (i + 1) % sets.size();
    }
    state.counters["vertices"] = benchmark::Counter(static_cast<double>(vertices), benchmark::Counter::kAvgIterations);
}

void registerAll() {
    for (const int n : {4, 10, 32}) {
        for (const bool curvePieces : {false, true}) {
            static std::vector<std::vector<std::vector<Point>>> keep;
            keep.push_back(curvePieces ? halves(n) : scattered(n));
            const auto& sets = keep.back();
            const std::string name = std::string("ConvexHull/") + (curvePieces ? "Halves/" : "Scattered/") +
                                     std::to_string(n) + "points/";
            benchmark::RegisterBenchmark((name + "convexHull").c_str(), run<convexHull>, sets);
            benchmark::RegisterBenchmark((name + "byAngles").c_str(), run<convexHullByAngles>, sets);
            benchmark::RegisterBenchmark((name + "literal").c_str(), run<literal::convexHull>, sets);
        }
    }
}

const int registered = (registerAll(), 0);

}  // namespace
