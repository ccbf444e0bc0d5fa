// The exact intersection beside the program's own search (tolerance 0.01), on the same pairs in one run:
// the issue's pair of cubics crossing three times, the default example's cubics, the nine-point example
// given with ten control points (ten crossings), and 64 random pairs of ten control points. Each benchmark
// reports its time per pair and the meeting points found per pair; the targets are 5 us for a pair of
// cubics and 20 us for a pair of ten-point curves.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "intersect/exact.h"
#include "intersect/intersect.h"

namespace {

using Polygon = std::vector<Point>;
struct Pair {
    Polygon a;
    Polygon b;
};

// the same curve with one control point more (the new points rounded to float)
Polygon elevate(const Polygon& c) {
    const int n = static_cast<int>(c.size());
    Polygon out(c.size() + 1);
    out[0] = c[0];
    out[static_cast<size_t>(n)] = c[static_cast<size_t>(n - 1)];
    for (int i = 1; i < n; ++i) {
        const double f = static_cast<double>(i) / n;
        out[static_cast<size_t>(i)] = Point(static_cast<float>(f * c[i - 1].x + (1 - f) * c[i].x),
                                            static_cast<float>(f * c[i - 1].y + (1 - f) * c[i].y));
    }
    return out;
}

std::vector<Pair> issueCubics() {
    return {
        {{Point(0, 0), Point(1, 2), Point(2, -1), Point(3, 1)}, {Point(0, 1), Point(1, -1), Point(2, 2), Point(3, 0)}}};
}

std::vector<Pair> defaultExample() {
    return {{{Point(0, 2), Point(3, 9.5f), Point(6, 1.5f), Point(10, 8)},
             {Point(0, 6.5f), Point(4, 1.5f), Point(7, 9.5f), Point(10, 2.5f)}}};
}

std::vector<Pair> tenPointsTenCrossings() {
    const Polygon a = {Point(4, 4), Point(6, 6), Point(8, 7),  Point(1, 3), Point(6, 3),
                       Point(9, 0), Point(9, 3), Point(10, 3), Point(3, 6)};
    const Polygon b = {Point(3, 9),  Point(2, 4), Point(5, 0), Point(10, 4), Point(7, 7),
                       Point(2, 10), Point(2, 0), Point(5, 6), Point(8, 5)};
    return {{elevate(a), elevate(b)}};
}

std::vector<Pair> randomTenPointPairs() {
    std::mt19937 random(10);
    std::uniform_real_distribution<float> coordinate(0.0f, 10.0f);
    std::vector<Pair> pairs(64);
    for (Pair& p : pairs) {
        for (Polygon* c : {&p.a, &p.b}) {
            for (int i = 0; i < 10; ++i) c->push_back(Point(coordinate(random), coordinate(random)));
        }
    }
    return pairs;
}

void runExact(benchmark::State& state, const std::vector<Pair>& pairs) {
    ExactIntersections result;
    long found = 0;
    for (auto _ : state) {
        for (const Pair& p : pairs) {
            intersectExact(p.a.data(), static_cast<int>(p.a.size()), p.b.data(), static_cast<int>(p.b.size()), result);
            found += static_cast<long>(result.crossings.size() + result.overlaps.size());
            benchmark::DoNotOptimize(result.crossings.data());
        }
    }
    const double runs = static_cast<double>(state.iterations()) * static_cast<double>(pairs.size());
    state.counters["pairs"] = static_cast<double>(pairs.size());
    state.counters["found/pair"] = static_cast<double>(found) / runs;
    state.counters["time/pair"] = benchmark::Counter(runs, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void runSearch(benchmark::State& state, const std::vector<Pair>& pairs) {
    std::vector<Point> result;
    long found = 0;
    for (auto _ : state) {
        for (const Pair& p : pairs) {
            result.clear();
            intersectCurves(p.a.data(), static_cast<int>(p.a.size()), p.b.data(), static_cast<int>(p.b.size()), result,
                            0.01f);
            found += static_cast<long>(result.size());
            benchmark::DoNotOptimize(result.data());
        }
    }
    const double runs = static_cast<double>(state.iterations()) * static_cast<double>(pairs.size());
    state.counters["pairs"] = static_cast<double>(pairs.size());
    state.counters["found/pair"] = static_cast<double>(found) / runs;
    state.counters["time/pair"] = benchmark::Counter(runs, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void exactIssueCubics(benchmark::State& state) { runExact(state, issueCubics()); }
void searchIssueCubics(benchmark::State& state) { runSearch(state, issueCubics()); }
void exactDefaultExample(benchmark::State& state) { runExact(state, defaultExample()); }
void searchDefaultExample(benchmark::State& state) { runSearch(state, defaultExample()); }
void exactTenPointsTenCrossings(benchmark::State& state) { runExact(state, tenPointsTenCrossings()); }
void searchTenPointsTenCrossings(benchmark::State& state) { runSearch(state, tenPointsTenCrossings()); }
void exactRandomTenPoints(benchmark::State& state) { runExact(state, randomTenPointPairs()); }
void searchRandomTenPoints(benchmark::State& state) { runSearch(state, randomTenPointPairs()); }

}  // namespace

BENCHMARK(exactIssueCubics);
BENCHMARK(searchIssueCubics);
BENCHMARK(exactDefaultExample);
BENCHMARK(searchDefaultExample);
BENCHMARK(exactTenPointsTenCrossings);
BENCHMARK(searchTenPointsTenCrossings);
BENCHMARK(exactRandomTenPoints);
BENCHMARK(searchRandomTenPoints);
