// The exact intersection beside the program's own search (tolerance 0.01), on the same pairs in one run:
// the issue's pair of cubics crossing three times, the default example's cubics, the nine-point example
// given with ten control points (ten crossings), and 64 random pairs of ten control points. Each benchmark
// reports its time per pair and the meeting points found per pair; the targets are 5 us for a pair of
// cubics and 20 us for a pair of ten-point curves.
//
// Then the exact intersection alone on the costliest kinds of pairs, for its bound in time: polygons folded
// along one line, contact of high order with a line and a parabola, a loop against itself, curves of 32
// points against themselves run back, and pairs of 32 points one float step apart, which spend the whole
// work limit (their figure is the bound: every pair of up to 32 points ends within it).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <random>
#include <vector>

#include "bench/allocation_counter.h"
#include "bench/curve_pairs.h"
#include "intersect/exact.h"
#include "intersect/intersect.h"

namespace {

using namespace benchpairs;

// Also reports the slowest pair (each pair's best time over the iterations, so that a pause of the machine
// does not count), how many pairs stopped at the work limit, and the heap blocks allocated per pair once
// storage has grown: the result's storage is reused from one pair to the next, and one pass over the pairs
// before counting grows it (and the working storage kept per thread) to what the pairs need. Without that
// pass each run of the benchmark would count the growth of its new result's vectors, a few blocks per run.
void runExact(benchmark::State& state, const std::vector<Pair>& pairs) {
    ExactIntersections result;
    for (const Pair& p : pairs) {
        intersectExact(p.a.data(), static_cast<int>(p.a.size()), p.b.data(), static_cast<int>(p.b.size()), result);
    }
    long found = 0;
    std::vector<double> best(pairs.size(), INFINITY);
    int stopped = 0;
    long allocations = 0;
    for (auto _ : state) {
        stopped = 0;
        for (size_t i = 0; i < pairs.size(); ++i) {
            const Pair& p = pairs[i];
            const long before = heapAllocations;
            const auto start = std::chrono::steady_clock::now();
            intersectExact(p.a.data(), static_cast<int>(p.a.size()), p.b.data(), static_cast<int>(p.b.size()), result);
            const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
            allocations += heapAllocations - before;
            best[i] = std::min(best[i], took.count());
            found += static_cast<long>(result.crossings.size() + result.overlaps.size());
            stopped += result.complete ? 0 : 1;
            benchmark::DoNotOptimize(result.crossings.data());
        }
    }
    const double runs = static_cast<double>(state.iterations()) * static_cast<double>(pairs.size());
    state.counters["pairs"] = static_cast<double>(pairs.size());
    state.counters["found/pair"] = static_cast<double>(found) / runs;
    state.counters["slowest/us"] = *std::max_element(best.begin(), best.end()) * 1e6;
    state.counters["stopped"] = stopped;
    state.counters["allocs/pair"] = static_cast<double>(allocations) / runs;
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

// the costliest kinds of pairs, each as a list of pairs
std::vector<Pair> foldedAlongALine() {
    return {{{Point(1, 0), Point(-2, 0), Point(4, 0), Point(-8, 0), Point(16, 0), Point(-32, 0), Point(64, 0)},
             {Point(0, 0), Point(64, 0)}},
            {{Point(0, 0), Point(0, 0), Point(3, -2), Point(7.5f, -5)}, {Point(0, 0), Point(3, -2), Point(3, -2)}},
            {{Point(4, 0), Point(8, 0)}, {Point(1, 0), Point(8, 0), Point(7, 0)}}};
}

std::vector<Pair> highContact() {
    Polygon power;  // x = y^30
    for (int k = 0; k <= 30; ++k)
        power.push_back(Point(k % 2 == 0 ? 1.0f : -1.0f, static_cast<float>(-1 + 2.0 * k / 30)));
    return {{{Point(105, -105), Point(-165, 210), Point(240, -420), Point(-300, 840), Point(240, -1680),
              Point(240, 3360), Point(-1920, -6720), Point(6720, 13440)},
             {Point(0, 0), Point(1000, 0)}},
            {power, {Point(0, -2), Point(0, 2)}},
            {{Point(-3, 6), Point(-1.5f, -3), Point(0, 2), Point(1.5f, -3), Point(3, 6)},
             {Point(-3, 3), Point(0, -3), Point(3, 3)}},
            {{Point(-3, -3), Point(-1, 3), Point(1, -3), Point(3, 3)},
             {Point(-3, -6), Point(-1, 6), Point(1, -6), Point(3, 6)}}};
}

std::vector<Pair> loopAgainstItself() {
    const Polygon loop = {Point(0, 0), Point(2, 2), Point(-1, 2), Point(1, 0)};
    return {{loop, loop}, {loop, Polygon(loop.rbegin(), loop.rend())}};
}

std::vector<Pair> thirtyTwoRunBack() {
    std::vector<Pair> pairs = randomCurves(32, 8, 32);
    for (Pair& p : pairs) p.b = Polygon(p.a.rbegin(), p.a.rend());
    return pairs;
}

std::vector<Pair> thirtyTwoOneStepApart() {
    std::vector<Pair> pairs = randomCurves(32, 8, 33);
    for (Pair& p : pairs) {
        p.b = p.a;
        for (Point& q : p.b) q.x = std::nextafter(q.x, 2.0f);
    }
    return pairs;
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

void exactFoldedAlongALine(benchmark::State& state) { runExact(state, foldedAlongALine()); }
void exactHighContact(benchmark::State& state) { runExact(state, highContact()); }
void exactLoopAgainstItself(benchmark::State& state) { runExact(state, loopAgainstItself()); }
void exactRandomThirtyTwoPoints(benchmark::State& state) { runExact(state, randomCurves(32, 16, 31)); }
void exactThirtyTwoRunBack(benchmark::State& state) { runExact(state, thirtyTwoRunBack()); }
void exactThirtyTwoOneStepApart(benchmark::State& state) { runExact(state, thirtyTwoOneStepApart()); }

BENCHMARK(exactIssueCubics);
BENCHMARK(searchIssueCubics);
BENCHMARK(exactDefaultExample);
BENCHMARK(searchDefaultExample);
BENCHMARK(exactTenPointsTenCrossings);
BENCHMARK(searchTenPointsTenCrossings);
BENCHMARK(exactRandomTenPoints);
BENCHMARK(searchRandomTenPoints);
BENCHMARK(exactFoldedAlongALine);
BENCHMARK(exactHighContact);
BENCHMARK(exactLoopAgainstItself);
BENCHMARK(exactRandomThirtyTwoPoints);
BENCHMARK(exactThirtyTwoRunBack);
BENCHMARK(exactThirtyTwoOneStepApart);
