// Stress run of the intersection search: intersectCurves with the program's tolerance on many seeded random
// pairs of control polygons (2 to maxControlPoints points, sizes from 1e-3 to 1e7), in four kinds:
//   general     two random polygons in one box, sometimes far from the origin;
//   tangent     a curve and its mirror image in its own tangent at a random point, touching there, moved
//               along the normal by nothing or by a tiny amount (so they touch, cross twice closely, or miss);
//   overlap     a curve with itself, with a piece of itself, reversed, degree-elevated, or shifted by a tiny
//               amount: the curves run along each other, the search's costliest case;
//   degenerate  straight polygons on lines through one point (a quarter of them on one line), a polygon
//               whose points all lie at one place the other curve starts from, horizontal polygons at one
//               height or crossed by a random curve.
// Each pair is made from its own seed alone (the seed also picks the kind), so any pair can be run again:
// geometrija-stress --seed SEED --pairs 1.
//
// For each search: wall time, the calls and deepest level from SearchStats, the points found, and the heap
// bytes it held at most (every operator new of the process is counted). At the end: the process's max RSS.
// Prints per-kind counts and the largest figures with their seeds; exits 1 when a search exceeds a bound
// below (or does not end within searchTimeLimit seconds), 0 otherwise.
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "app/pipeline.h"
#include "bezier/bezier.h"
#include "intersect/intersect.h"

// --- every operator new of the process is counted: bytes held now and the most held since a reset ---

namespace {
long heapBytes = 0;
long heapPeak = 0;
constexpr std::size_t header = alignof(std::max_align_t);  // room for the size, keeping the alignment
}  // namespace

void* operator new(std::size_t size) {
    auto* block = static_cast<unsigned char*>(std::malloc(size + header));
    if (block == nullptr) throw std::bad_alloc();
    std::memcpy(block, &size, sizeof size);
    heapBytes += static_cast<long>(size);
    heapPeak = std::max(heapPeak, heapBytes);
    return block + header;
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return operator new(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
// kept out of line: inlined into a caller, the step back to the header reads to the compiler as an access
// before the start of the caller's object
__attribute__((noinline)) void operator delete(void* p) noexcept {
    if (p == nullptr) return;
    auto* block = static_cast<unsigned char*>(p) - header;
    std::size_t size;
    std::memcpy(&size, block, sizeof size);
    heapBytes -= static_cast<long>(size);
    std::free(block);
}
void operator delete[](void* p) noexcept { operator delete(p); }
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }
void operator delete[](void* p, std::size_t) noexcept { operator delete(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { operator delete(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { operator delete(p); }

namespace {

// --- the bounds every search must keep ---
//
// Depth. A piece counts as small once its first hull edge is within epsilon = max(0.01, extent / 65536),
// extent being the larger side of the box around both polygons. Halving a piece halves its curve, and its
// control polygon closes in on the curve four times faster, so about 16 halvings bring every piece within
// extent / 65536, plus a few while the polygon of a high degree still stands far off its curve. Measured
// over 10,000 pairs (seeds 1 to 10,000): deepest level 21; 22 with more degenerate pairs. Bound: 24.
constexpr int depthBound = 24;
// Calls. Pairs of pieces far apart are dropped, so the calls grow with the pieces that lie near the other
// curve. Crossing and touching curves keep a handful of pairs per level: at most a few thousand calls.
// Curves that run along each other keep every piece of the shared stretch paired with itself and its
// neighbours, about 3 * 2^level pairs per level down to the depth above: up to ~1.2 million calls.
// Costlier still: a piece that is already small (such as a polygon whose points all lie at one place) is
// halved again as long as the other piece is not small, into two equal halves that both meet the other
// curve, so the pairs double at every level: a point on a curve gives
// 4 * 2^depth - 3 calls and 2^depth equal points. Measured maxima: 8,388,605 calls (seed 2419, 2^21 equal
// points) over seeds 1 to 10,000; 12,459,385 (horizontal polygons at one height, doubling
// back) in a run with five times as many degenerate pairs. Bound: 2^24, one more doubling level.
constexpr long callBound = 1L << 24;
// Points. Each small pair that still meets records one point, so the doubling above records 2^depth.
// Measured maxima: 2,097,152 (seed 2419); 3,115,382 with more degenerate pairs. Bound: 2^22.
constexpr long pointBound = 1L << 22;
// Heap. The search allocates nothing but the growth of its result, which starts empty and doubles: at the
// last growth the old buffer (c points) and the new one (2c) are held at once, with c < points. So a
// search holds at most 3 * c * sizeof(Point) bytes, c the largest power of two below its point count.
// Checked per search, and in absolute terms through the point bound: 3 * 2^21 * 12 bytes = 72 MiB.
// Measured maximum: 37,748,736 bytes over seeds 1 to 10,000; 75,497,472 with more degenerate pairs.
long heapBoundFor(long points) {
    long c = 0;
    while (c * 2 < points) c = c == 0 ? 1 : c * 2;
    return 3 * c * static_cast<long>(sizeof(Point));
}
// The process as a whole: the pairs themselves are small, so the heap bound above plus the program's
// image. Measured max RSS: 52,748 KiB over seeds 1 to 10,000; 77,456 KiB with more degenerate pairs. Bound: 256 MiB.
constexpr long rssBoundKiB = 256 * 1024;
// A search that has not ended within this many seconds counts as not ending (the slowest measured: 4.7 s).
constexpr unsigned searchTimeLimit = 60;

// --- the pairs ---

enum Kind { general, tangent, overlap, degenerate, kindCount };
const char* const kindNames[kindCount] = {"general", "tangent", "overlap", "degenerate"};

using Curve = std::vector<Point>;

struct Pair {
    Kind kind;
    std::string what;  // the variant within the kind
    double scale;      // the size the polygons were drawn at
    Curve first;
    Curve second;
};

using Rng = std::mt19937_64;

double uniform(Rng& rng, double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng); }
int between(Rng& rng, int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }

// a size between 1e-3 and 1e7, even in its exponent
double randomScale(Rng& rng) { return std::pow(10.0, uniform(rng, -3, 7)); }

// Where a pair's box lies: mostly around the origin within a few of its sizes, sometimes far from it (up to
// 1e7), where float resolution, not the tolerance, stops the halving.
void randomCentre(Rng& rng, double scale, double& cx, double& cy) {
    const double reach = between(rng, 0, 3) == 0 ? std::pow(10.0, uniform(rng, -3, 7)) : 2 * scale;
    cx = uniform(rng, -reach, reach);
    cy = uniform(rng, -reach, reach);
}

Curve randomCurve(Rng& rng, int n, double cx, double cy, double scale) {
    Curve c(static_cast<size_t>(n));
    for (Point& p : c) {
        p = Point(static_cast<float>(cx + scale * uniform(rng, -1, 1)), static_cast<float>(cy + scale * uniform(rng, -1, 1)));
    }
    return c;
}

int randomCount(Rng& rng) { return between(rng, 2, maxControlPoints); }

// the part of the curve between parameters t0 < t1, by two de Casteljau splits
Curve piece(const Curve& c, float t0, float t1) {
    const int n = static_cast<int>(c.size());
    Curve left(c.size()), right(c.size()), part(c.size());
    splitBezier(c.data(), n, t1, left.data(), right.data());  // left: 0..t1
    splitBezier(left.data(), n, t0 / t1, part.data(), right.data());  // right: t1 back to t0
    std::reverse(right.begin(), right.end());
    return right;
}

// the same curve with one more control point (degree elevation), in double rounded once
Curve elevated(const Curve& c) {
    const int n = static_cast<int>(c.size());  // points; the degree is n - 1
    Curve e(static_cast<size_t>(n + 1));
    e[0] = c[0];
    e[static_cast<size_t>(n)] = c[static_cast<size_t>(n - 1)];
    for (int i = 1; i < n; ++i) {
        const double a = static_cast<double>(i) / n;
        const Point& p = c[static_cast<size_t>(i - 1)];
        const Point& q = c[static_cast<size_t>(i)];
        e[static_cast<size_t>(i)] = Point(static_cast<float>(a * p.x + (1 - a) * q.x), static_cast<float>(a * p.y + (1 - a) * q.y));
    }
    return e;
}

Curve shifted(const Curve& c, double dx, double dy) {
    Curve s = c;
    for (Point& p : s) p = Point(static_cast<float>(p.x + dx), static_cast<float>(p.y + dy));
    return s;
}

Pair makePair(unsigned long seed) {
    Rng rng(seed);
    Pair pair;
    // general pairs 55%, tangent 35%, overlap 5%, degenerate 5%: one overlapping or degenerate pair at a size
    // above ~100 costs as much as thousands of crossing pairs (see the bounds above)
    const unsigned long slot = seed % 20;
    pair.kind = slot < 11 ? general : slot < 18 ? tangent : slot < 19 ? overlap : degenerate;
    const double scale = randomScale(rng);
    pair.scale = scale;
    double cx, cy;
    randomCentre(rng, scale, cx, cy);

    switch (pair.kind) {
        case general: {
            pair.what = "random";
            pair.first = randomCurve(rng, randomCount(rng), cx, cy, scale);
            pair.second = randomCurve(rng, randomCount(rng), cx, cy, scale);
            break;
        }
        case tangent: {
            // mirror the curve in its tangent at t: the mirror image touches it there with the same tangent
            const Curve c = randomCurve(rng, between(rng, 3, maxControlPoints), cx, cy, scale);
            const int n = static_cast<int>(c.size());
            const float t = static_cast<float>(uniform(rng, 0.2, 0.8));
            Curve left(c.size()), right(c.size());
            splitBezier(c.data(), n, t, left.data(), right.data());
            const Point at = left[static_cast<size_t>(n - 1)];
            double dx = static_cast<double>(right[static_cast<size_t>(n - 2)].x) - left[static_cast<size_t>(n - 2)].x;
            double dy = static_cast<double>(right[static_cast<size_t>(n - 2)].y) - left[static_cast<size_t>(n - 2)].y;
            const double length = std::hypot(dx, dy);
            if (length == 0) {
                dx = 1;
                dy = 0;
            } else {
                dx /= length;
                dy /= length;
            }
            static const double offsets[] = {0, 0, 1e-7, -1e-7, 1e-5, -1e-5, 1e-3, -1e-3};
            const double offset = offsets[between(rng, 0, 7)] * scale;
            pair.what = "mirror, normal offset " + std::to_string(offset / scale) + " of the size";
            pair.first = c;
            pair.second.resize(c.size());
            for (size_t i = 0; i < c.size(); ++i) {
                const double px = static_cast<double>(c[i].x) - at.x;
                const double py = static_cast<double>(c[i].y) - at.y;
                const double along = px * dx + py * dy;
                const double across = px * -dy + py * dx;
                // reflected: the component across the tangent changes sign
                pair.second[i] = Point(static_cast<float>(at.x + along * dx + (-across + offset) * -dy),
                                       static_cast<float>(at.y + along * dy + (-across + offset) * dx));
            }
            break;
        }
        case overlap: {
            const Curve c = randomCurve(rng, randomCount(rng), cx, cy, scale);
            pair.first = c;
            switch (between(rng, 0, 5)) {
                case 0:
                    pair.what = "same curve";
                    pair.second = c;
                    break;
                case 1: {
                    const float t0 = static_cast<float>(uniform(rng, 0, 0.5));
                    const float t1 = static_cast<float>(uniform(rng, 0.5, 1));
                    pair.what = "piece of itself";
                    pair.second = piece(c, t0, t1);
                    break;
                }
                case 2:
                    pair.what = "reversed";
                    pair.second.assign(c.rbegin(), c.rend());
                    break;
                case 3:
                    if (c.size() < static_cast<size_t>(maxControlPoints)) {
                        pair.what = "degree elevated";
                        pair.second = elevated(c);
                    } else {
                        pair.what = "same curve";
                        pair.second = c;
                    }
                    break;
                case 4: {
                    const double amount = scale * std::pow(10.0, uniform(rng, -8, -4));
                    pair.what = "shifted by a tiny amount";
                    pair.second = shifted(c, amount * uniform(rng, -1, 1), amount * uniform(rng, -1, 1));
                    break;
                }
                default: {
                    const float t0 = static_cast<float>(uniform(rng, 0, 0.5));
                    const float t1 = static_cast<float>(uniform(rng, 0.5, 1));
                    pair.what = "piece of itself, reversed";
                    pair.second = piece(c, t0, t1);
                    std::reverse(pair.second.begin(), pair.second.end());
                    break;
                }
            }
            break;
        }
        case degenerate:
        case kindCount: {
            const int variant = between(rng, 0, 2);
            pair.first.resize(static_cast<size_t>(randomCount(rng)));
            if (variant == 0) {
                // points on lines through one point of the box, in random order along them; a quarter of the
                // pairs on one line, where the straight curves run along each other
                const double angle1 = uniform(rng, 0, 3.141592653589793);
                const double angle2 = between(rng, 0, 3) == 0 ? angle1 : uniform(rng, 0, 3.141592653589793);
                pair.second.resize(static_cast<size_t>(randomCount(rng)));
                for (Curve* curve : {&pair.first, &pair.second}) {
                    const double angle = curve == &pair.first ? angle1 : angle2;
                    for (Point& p : *curve) {
                        const double t = scale * uniform(rng, -1, 1);
                        p = Point(static_cast<float>(cx + t * std::cos(angle)), static_cast<float>(cy + t * std::sin(angle)));
                    }
                }
            } else if (variant == 1) {
                // every point of the first at one place, which the second curve starts from
                const Point p(static_cast<float>(cx + scale * uniform(rng, -1, 1)),
                              static_cast<float>(cy + scale * uniform(rng, -1, 1)));
                std::fill(pair.first.begin(), pair.first.end(), p);
                pair.second = randomCurve(rng, randomCount(rng), cx, cy, scale);
                pair.second[0] = p;
            } else {
                // a horizontal polygon, with a second one at the same height or with a random curve across it
                const float y = static_cast<float>(cy + scale * uniform(rng, -0.1, 0.1));
                for (Point& p : pair.first) p = Point(static_cast<float>(cx + scale * uniform(rng, -1, 1)), y);
                if (between(rng, 0, 1) == 0) {
                    pair.second.resize(static_cast<size_t>(randomCount(rng)));
                    for (Point& p : pair.second) p = Point(static_cast<float>(cx + scale * uniform(rng, -1, 1)), y);
                } else {
                    pair.second = randomCurve(rng, randomCount(rng), cx, cy, scale);
                }
            }
            pair.what = variant == 0 ? "straight" : variant == 1 ? "all points equal" : "horizontal";
            break;
        }
    }
    return pair;
}

// --- the run ---

struct Measure {
    double seconds = 0;
    long calls = 0;
    int deepest = 0;
    long points = 0;
    long heap = 0;
};

struct Largest {
    double value = -1;
    unsigned long seed = 0;
    void offer(double v, unsigned long s) {
        if (v > value) {
            value = v;
            seed = s;
        }
    }
};

unsigned long runningSeed = 0;  // for the message of a search that does not end

extern "C" void searchTooLong(int) {
    char message[128];
    const int length = std::snprintf(message, sizeof message, "FAIL: the search of seed %lu did not end within %u s\n",
                                     runningSeed, searchTimeLimit);
    if (length > 0) (void)!write(2, message, static_cast<size_t>(length));
    _exit(1);
}

Measure search(const Pair& pair) {
    Measure m;
    const long before = heapBytes;
    heapPeak = heapBytes;
    const auto start = std::chrono::steady_clock::now();
    {
        std::vector<Point> result;
        SearchStats stats;
        intersectCurves(pair.first.data(), static_cast<int>(pair.first.size()), pair.second.data(),
                        static_cast<int>(pair.second.size()), result, searchTolerance, &stats);
        m.calls = stats.calls;
        m.deepest = stats.deepestLevel;
        m.points = static_cast<long>(result.size());
    }
    m.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    m.heap = heapPeak - before;
    return m;
}

int usage() {
    std::fprintf(stderr, "usage: geometrija-stress [--pairs N] [--seed FIRST] [--verbose]\n"
                         "Searches N pairs (default 10000) made from the seeds FIRST, FIRST + 1, ... (default 1);\n"
                         "--verbose prints each search's figures.\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    long pairCount = 10000;
    unsigned long firstSeed = 1;
    bool verbose = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--pairs") == 0 && i + 1 < argc) {
            pairCount = std::strtol(argv[++i], nullptr, 10);
        } else if (std::strcmp(argv[i], "--seed") == 0 && i + 1 < argc) {
            firstSeed = std::strtoul(argv[++i], nullptr, 10);
        } else if (std::strcmp(argv[i], "--verbose") == 0) {
            verbose = true;
        } else {
            return usage();
        }
    }
    if (pairCount < 1) return usage();

    std::signal(SIGALRM, searchTooLong);
    long perKind[kindCount] = {};
    double secondsPerKind[kindCount] = {};
    Largest slowest, mostCalls, deepest, mostPoints, mostHeap;
    double totalSeconds = 0;
    long failures = 0;
    const auto fail = [&](unsigned long seed, const Pair& pair, const char* what, long value, long bound) {
        if (++failures <= 20) {
            std::fprintf(stderr, "FAIL: seed %lu (%s, %s; %zu and %zu points): %s %ld above the bound %ld\n", seed,
                         kindNames[pair.kind], pair.what.c_str(), pair.first.size(), pair.second.size(), what, value,
                         bound);
        }
    };

    for (long i = 0; i < pairCount; ++i) {
        const unsigned long seed = firstSeed + static_cast<unsigned long>(i);
        const Pair pair = makePair(seed);
        runningSeed = seed;
        alarm(searchTimeLimit);
        const Measure m = search(pair);
        alarm(0);

        if (verbose) {
            std::printf("seed %lu %s (%s) %zu+%zu points, size %.3g: %.6f s, %ld calls, level %d, %ld points, "
                        "%ld heap bytes\n",
                        seed, kindNames[pair.kind], pair.what.c_str(), pair.first.size(), pair.second.size(),
                        pair.scale, m.seconds, m.calls, m.deepest, m.points, m.heap);
        }
        ++perKind[pair.kind];
        secondsPerKind[pair.kind] += m.seconds;
        totalSeconds += m.seconds;
        slowest.offer(m.seconds, seed);
        mostCalls.offer(static_cast<double>(m.calls), seed);
        deepest.offer(m.deepest, seed);
        mostPoints.offer(static_cast<double>(m.points), seed);
        mostHeap.offer(static_cast<double>(m.heap), seed);

        if (m.calls > callBound) fail(seed, pair, "calls", m.calls, callBound);
        if (m.deepest > depthBound) fail(seed, pair, "deepest level", m.deepest, depthBound);
        if (m.points > pointBound) fail(seed, pair, "points", m.points, pointBound);
        if (m.heap > heapBoundFor(m.points)) fail(seed, pair, "heap bytes", m.heap, heapBoundFor(m.points));
    }

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const long rssKiB = usage.ru_maxrss;
    if (rssKiB > rssBoundKiB) {
        ++failures;
        std::fprintf(stderr, "FAIL: max RSS %ld KiB above the bound %ld KiB\n", rssKiB, rssBoundKiB);
    }

    const auto describe = [](const Largest& l) {
        const Pair p = makePair(l.seed);
        return "seed " + std::to_string(l.seed) + ": " + kindNames[p.kind] + ", " + p.what + ", " +
               std::to_string(p.first.size()) + " and " + std::to_string(p.second.size()) + " points";
    };
    std::printf("pairs: %ld (", pairCount);
    for (int k = 0; k < kindCount; ++k) {
        std::printf("%s%s %ld, %.2f s", k ? "; " : "", kindNames[k], perKind[k], secondsPerKind[k]);
    }
    std::printf(")\n");
    std::printf("total search time: %.2f s\n", totalSeconds);
    std::printf("longest search:    %.4f s (%s)\n", slowest.value, describe(slowest).c_str());
    std::printf("most calls:        %.0f (bound %ld; %s)\n", mostCalls.value, callBound, describe(mostCalls).c_str());
    std::printf("deepest level:     %.0f (bound %d; %s)\n", deepest.value, depthBound, describe(deepest).c_str());
    std::printf("most points:       %.0f (bound %ld; %s)\n", mostPoints.value, pointBound, describe(mostPoints).c_str());
    std::printf("largest heap peak: %.0f bytes (bound 3 * sizeof(Point) * the largest power of two below the "
                "point count; %s)\n",
                mostHeap.value, describe(mostHeap).c_str());
    std::printf("max RSS:           %ld KiB (bound %ld KiB)\n", rssKiB, rssBoundKiB);
    if (failures > 0) {
        std::printf("FAILED: %ld bound(s) exceeded\n", failures);
        return 1;
    }
    std::printf("all searches ended within their bounds\n");
    return 0;
}
