// The intersection search: each example pair and random pairs of 4, 10 and 32 control points, timed for the
// search and for the literal baseline in one run. Reports search calls, time per call, heap allocations per
// search, and at the end the literal baseline's time over the search's for each case, measured interleaved.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "app/pipeline.h"
#include "app/reader.h"
#include "bench/allocation_counter.h"
#include "tests/support/literal_search.h"
#include "intersect/intersect.h"

namespace {

struct Pair {
    std::vector<Point> first;
    std::vector<Point> second;
};

struct Case {
    std::string name;
    std::vector<Pair> pairs;  // one iteration searches each of them
};

std::vector<Point> readExample(const std::string& file) {
    std::FILE* f = std::fopen(file.c_str(), "r");
    if (f == nullptr) {
        std::fprintf(stderr, "cannot open %s\n", file.c_str());
        std::exit(1);
    }
    Point* points = nullptr;
    int count = 0;
    if (scanControlPoints(f, points, count) != readOk) std::exit(1);
    std::fclose(f);
    std::vector<Point> curve(points, points + (count > 0 ? count : 0));
    std::free(points);
    return curve;
}

// random control polygons in a 10 x 10 square, as a user might draw them: their curves cross a few times
std::vector<Pair> randomPairs(int pointCount, int pairCount, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> coordinate(0, 10);
    std::vector<Pair> pairs(static_cast<size_t>(pairCount));
    for (Pair& p : pairs) {
        for (std::vector<Point>* curve : {&p.first, &p.second}) {
            curve->resize(static_cast<size_t>(pointCount));
            for (Point& q : *curve) q = Point(coordinate(rng), coordinate(rng));
        }
    }
    return pairs;
}

bool sameBits(const std::vector<Point>& a, const std::vector<Point>& b) {
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), sizeof(Point) * a.size()) == 0);
}

// Runs both searches once on every pair; the timings mean nothing unless the points agree to the bit.
void checkSamePoints(const Case& c) {
    for (const Pair& p : c.pairs) {
        std::vector<Point> fast;
        std::vector<Point> slow;
        SearchStats stats;
        intersectCurves(p.first.data(), static_cast<int>(p.first.size()), p.second.data(),
                        static_cast<int>(p.second.size()), fast, searchTolerance, &stats);
        const long calls = literal::intersectCurves(p.first.data(), static_cast<int>(p.first.size()),
                                                    p.second.data(), static_cast<int>(p.second.size()), slow,
                                                    searchTolerance);
        if (!sameBits(fast, slow) || calls != stats.calls) {
            std::fprintf(stderr, "%s: the search and the literal baseline disagree\n", c.name.c_str());
            std::exit(1);
        }
    }
}

void searchFast(benchmark::State& state, const Case& c) {
    long calls = 0, allocations = 0, growths = 0, points = 0;
    for (auto _ : state) {
        for (const Pair& p : c.pairs) {
            std::vector<Point> result;
            SearchStats stats;
            const long before = heapAllocations;
            intersectCurves(p.first.data(), static_cast<int>(p.first.size()), p.second.data(),
                            static_cast<int>(p.second.size()), result, searchTolerance, &stats);
            allocations += heapAllocations - before;
            // the result starts empty and doubles: one block for each power of two up to its size
            for (size_t capacity = 1; capacity / 2 < result.size(); capacity *= 2) ++growths;
            calls += stats.calls;
            points += static_cast<long>(result.size());
            benchmark::DoNotOptimize(result.data());
        }
    }
    if (allocations > growths) {
        std::fprintf(stderr, "%s: the search allocated beyond its result\n", c.name.c_str());
        std::exit(1);
    }
    const double searches = static_cast<double>(state.iterations()) * static_cast<double>(c.pairs.size());
    state.counters["calls"] = static_cast<double>(calls) / searches;
    state.counters["points"] = static_cast<double>(points) / searches;
    state.counters["allocs"] = static_cast<double>(allocations) / searches;
    state.counters["allocs_beyond_result"] = static_cast<double>(allocations - growths) / searches;
    state.counters["per_call"] = benchmark::Counter(static_cast<double>(calls), benchmark::Counter::kIsRate |
                                                                                    benchmark::Counter::kInvert);
    state.SetItemsProcessed(static_cast<int64_t>(searches));
}

void searchLiteral(benchmark::State& state, const Case& c) {
    long calls = 0, allocations = 0;
    for (auto _ : state) {
        for (const Pair& p : c.pairs) {
            std::vector<Point> result;
            const long before = heapAllocations + literal::allocations;
            calls += literal::intersectCurves(p.first.data(), static_cast<int>(p.first.size()), p.second.data(),
                                              static_cast<int>(p.second.size()), result, searchTolerance);
            allocations += heapAllocations + literal::allocations - before;
            benchmark::DoNotOptimize(result.data());
        }
    }
    const double searches = static_cast<double>(state.iterations()) * static_cast<double>(c.pairs.size());
    state.counters["calls"] = static_cast<double>(calls) / searches;
    state.counters["allocs"] = static_cast<double>(allocations) / searches;
    state.counters["per_call"] = benchmark::Counter(static_cast<double>(calls), benchmark::Counter::kIsRate |
                                                                                    benchmark::Counter::kInvert);
    state.SetItemsProcessed(static_cast<int64_t>(searches));
}

// the CPU time of this thread, in seconds: time the thread spends waiting for a core does not count
double threadSeconds() {
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

// Seconds of thread CPU time for `rounds` searches of every pair of a case, by one of the two searches.
template <class Search>
double timeSearches(const Case& c, int rounds, Search search) {
    const double start = threadSeconds();
    for (int r = 0; r < rounds; ++r) {
        for (const Pair& p : c.pairs) {
            std::vector<Point> result;
            search(p, result);
            benchmark::DoNotOptimize(result.data());
        }
    }
    return threadSeconds() - start;
}

// The literal baseline's time over the search's, measured in alternating slices of about 20 ms of thread CPU
// time each so that a change in the machine's load falls on both alike: the median of 21 slice pairs, and the
// ratio of the two fastest slices (each search's time with the least disturbance).
struct SpeedUp {
    double median;
    double fastest;
};

SpeedUp speedUp(const Case& c) {
    const auto fast = [](const Pair& p, std::vector<Point>& result) {
        intersectCurves(p.first.data(), static_cast<int>(p.first.size()), p.second.data(),
                        static_cast<int>(p.second.size()), result, searchTolerance);
    };
    const auto slow = [](const Pair& p, std::vector<Point>& result) {
        literal::intersectCurves(p.first.data(), static_cast<int>(p.first.size()), p.second.data(),
                                 static_cast<int>(p.second.size()), result, searchTolerance);
    };
    int rounds = 1;
    while (timeSearches(c, rounds, fast) < 0.02 && rounds < (1 << 20)) rounds *= 2;
    std::vector<double> ratios;
    double fastest = 1e300;
    double slowest = 1e300;  // the literal baseline's fastest slice
    for (int slice = 0; slice < 21; ++slice) {
        const double f = timeSearches(c, rounds, fast);
        const double s = timeSearches(c, rounds, slow);
        ratios.push_back(s / f);
        fastest = std::min(fastest, f);
        slowest = std::min(slowest, s);
    }
    std::sort(ratios.begin(), ratios.end());
    return SpeedUp{ratios[ratios.size() / 2], slowest / fastest};
}

}  // namespace

int main(int argc, char** argv) {
    static std::vector<Case> cases;
    const std::string examples = GEOMETRIJA_EXAMPLES;
    for (const char* name : {"default", "lines", "apart", "horizontal", "nested", "many", "same", "tall", "far", "negative"}) {
        const std::string folder = examples + "/" + name;
        cases.push_back({std::string("Example/") + name,
                         {{readExample(folder + "/kriva1.txt"), readExample(folder + "/kriva2.txt")}}});
    }
    cases.push_back({"Random/4points", randomPairs(4, 16, 4)});
    cases.push_back({"Random/10points", randomPairs(10, 16, 10)});
    cases.push_back({"Random/32points", randomPairs(32, 16, 32)});

    for (const Case& c : cases) {
        checkSamePoints(c);
        benchmark::RegisterBenchmark(("Search/" + c.name + "/search").c_str(), searchFast, c)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("Search/" + c.name + "/literal").c_str(), searchLiteral, c)
            ->Unit(benchmark::kMicrosecond);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    std::printf("\nliteral baseline time / search time, per search and so per call (the calls are the same):\n");
    std::printf("  %-24s %7s %8s\n", "", "median", "fastest");
    for (const Case& c : cases) {
        const SpeedUp r = speedUp(c);
        std::printf("  %-24s %6.1fx %7.1fx\n", c.name.c_str(), r.median, r.fastest);
    }
}
