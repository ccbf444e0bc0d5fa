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
// below (or does not end within searchTimeLimit seconds), 0 otherwise. --hunt searches for slow inputs
// instead (see the hunt below).
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <ctime>
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
#include "tests/support/literal_search.h"
#include "bezier/bezier.h"
#include "intersect/intersect.h"
#include "tests/support/elevated.h"

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
// Spending. A search stops once its pairs of pieces have cost searchCallBudget, each pair of pieces of n1
// and n2 points costing searchCallWeight(n1, n2) = n1^2 + n2^2 + 4 (n1 + n2): at most 500,000 calls for
// two segments, 5,208 for two polygons of 32 points. Ordinary pairs (general and tangent) must spend less than
// a third of the budget, so that it never cuts what they find (they spend at most 31%); overlapping and
// degenerate pairs may reach it, and are counted when they do.
constexpr long ordinaryShare = 3;
long callBoundFor(int n1, int n2) { return searchCallBudget / searchCallWeight(n1, n2); }
// Depth. A piece counts as small once its first hull edge is within epsilon = max(0.01, extent / 65536),
// extent being the larger side of the box around both polygons. Halving a piece halves its curve, and its
// control polygon closes in on the curve four times faster, so about 16 halvings bring every piece within
// extent / 65536, plus a few while the polygon of a high degree still stands far off its curve. Measured
// over 10,000 pairs (seeds 1 to 10,000): deepest level 21. Bound: 24, well within searchDepthCap.
constexpr int depthBound = 24;
// Points: one at most per call, so within the call bound above.
// Heap. The search allocates nothing but the growth of its result, which starts empty and doubles: at the
// last growth the old buffer (c points) and the new one (2c) are held at once, with c < points. So a
// search holds at most 3 * c * sizeof(Point) bytes, c the largest power of two below its point count:
// with at most 500,000 points, 3 * 2^18 * 12 bytes = 9 MiB.
long heapBoundFor(long points) {
    long c = 0;
    while (c * 2 < points) c = c == 0 ? 1 : c * 2;
    return 3 * c * static_cast<long>(sizeof(Point));
}
// The process as a whole: the pairs themselves are small, so the heap bound above plus the program's
// image. Bound: 64 MiB.
constexpr long rssBoundKiB = 64 * 1024;
// Time, as the processor time of the search's thread (wall time is reported beside it: on a machine busy with
// other work it says more about the others). The budget holds a search to about 100 ms on the machine the
// figures come from; a search costing more than five times that fails the run, and one that has not ended
// within searchTimeLimit seconds counts as not ending.
// (--untimed leaves the former out, for the short run among the tests, which may be built with sanitizers.)
constexpr double slowSearchSeconds = 0.5;
constexpr unsigned searchTimeLimit = 10;
bool timed = true;
// --literal compares every search of up to this many calls that the budget did not cut with the literal
// baseline (the costlier ones would take the baseline seconds each).
constexpr long literalCallLimit = 50000;

// whether the search and the literal baseline find the same points, bit for bit, with the same calls
bool sameAsLiteral(const std::vector<Point>& first, const std::vector<Point>& second, long calls) {
    std::vector<Point> found;
    std::vector<Point> literalFound;
    const int n1 = static_cast<int>(first.size());
    const int n2 = static_cast<int>(second.size());
    intersectCurves(first.data(), n1, second.data(), n2, found, searchTolerance);
    const long literalCalls =
        literal::intersectCurves(first.data(), n1, second.data(), n2, literalFound, searchTolerance);
    return literalCalls == calls && found.size() == literalFound.size() &&
           (found.empty() || std::memcmp(found.data(), literalFound.data(), found.size() * sizeof(Point)) == 0);
}

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
    double seconds = 0;      // processor time of the search's thread: what it costs, however busy the machine
    double wallSeconds = 0;  // and the time it took
    long calls = 0;
    int deepest = 0;
    long points = 0;
    long heap = 0;
    long spent = 0;    // calls times their weight: what the search spent of searchCallBudget
    bool cut = false;  // the budget stopped it
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

double threadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

Measure search(const Curve& first, const Curve& second) {
    Measure m;
    const long before = heapBytes;
    heapPeak = heapBytes;
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = threadSeconds();
    {
        std::vector<Point> result;
        SearchStats stats;
        intersectCurves(first.data(), static_cast<int>(first.size()), second.data(), static_cast<int>(second.size()),
                        result, searchTolerance, &stats);
        m.calls = stats.calls;
        m.deepest = stats.deepestLevel;
        m.points = static_cast<long>(result.size());
        m.cut = stats.budgetExhausted;
    }
    m.seconds = threadSeconds() - cpuStart;
    m.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    m.heap = heapPeak - before;
    m.spent = m.calls * searchCallWeight(static_cast<int>(first.size()), static_cast<int>(second.size()));
    return m;
}

// --- the adversarial hunt ---
//
// Random local search for slow inputs: from a start drawn from one family of hostile pairs, keep changing
// the pair a little (move a point by a few float steps or a small share, put a point on the line of two
// others or onto a point of the other curve, add or drop a point, rescale the pair, reverse a curve) and keep
// the change when the search got slower. Every family starts again from a fresh draw now and then, and every
// pair is drawn at a magnitude from 1e-30 to 3e38.

enum Family { folded, sharing, identical, nearTangent, mixedScales, floatSteps, familyCount };
const char* const familyNames[familyCount] = {"folded",       "sharing",      "identical",
                                              "near-tangent", "mixed-scales", "float-steps"};

struct Candidate {
    Curve first;
    Curve second;
};

constexpr double largestMagnitude = 3.4e38;  // just below the float limit, 3.40282347e38

float clampToFloat(double v) { return static_cast<float>(std::max(-largestMagnitude, std::min(largestMagnitude, v))); }

Curve scaledCurve(const Curve& c, double factor) {
    Curve s = c;
    for (Point& p : s) p = Point(clampToFloat(p.x * factor), clampToFloat(p.y * factor));
    return s;
}

// a magnitude from 1e-30 to 3e38, even in its exponent
double randomMagnitude(Rng& rng) { return std::min(largestMagnitude, std::pow(10.0, uniform(rng, -30, 38.53))); }

// n points on the line through the origin at the angle, running back and forth between -1 and 1
Curve backAndForth(Rng& rng, int n, double angle) {
    Curve c(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        const double t = (i % 2 == 0 ? -1 : 1) * uniform(rng, 0.2, 1);
        c[static_cast<size_t>(i)] =
            Point(static_cast<float>(t * std::cos(angle)), static_cast<float>(t * std::sin(angle)));
    }
    return c;
}

Candidate draw(Family family, Rng& rng) {
    Candidate c;
    const int many = between(rng, 16, 32);
    const double angle = between(rng, 0, 1) == 0 ? 0.0 : uniform(rng, 0, 3.141592653589793);
    switch (family) {
        case folded:  // both polygons back and forth along one line
            c.first = backAndForth(rng, many, angle);
            c.second = backAndForth(rng, between(rng, 16, 32), angle);
            break;
        case sharing: {  // a curve and pieces of itself, reversed and joined: stretches shared several times
            c.first = randomCurve(rng, between(rng, 3, 8), 0, 0, 1);
            c.second.clear();
            while (c.second.size() + c.first.size() <= static_cast<size_t>(maxControlPoints)) {
                Curve part =
                    piece(c.first, static_cast<float>(uniform(rng, 0, 0.4)), static_cast<float>(uniform(rng, 0.6, 1)));
                if (between(rng, 0, 1) == 0) std::reverse(part.begin(), part.end());
                c.second.insert(c.second.end(), part.begin(), part.end());
            }
            break;
        }
        case identical:
            c.first = randomCurve(rng, maxControlPoints, 0, 0, 1);
            c.second = c.first;
            break;
        case nearTangent: {  // two arcs of the same circle-like shape, one moved across by a float step or so
            c.first = randomCurve(rng, many, 0, 0, 1);
            c.second = c.first;
            for (Point& p : c.second) p.y = std::nextafter(p.y, between(rng, 0, 1) ? 2.0f : -2.0f);
            if (between(rng, 0, 1) == 0) std::reverse(c.second.begin(), c.second.end());
            break;
        }
        case mixedScales: {  // coordinates of 1e-6 and 1e6 within one polygon
            for (Curve* curve : {&c.first, &c.second}) {
                curve->resize(static_cast<size_t>(between(rng, 2, maxControlPoints)));
                for (Point& p : *curve) {
                    const double sx = between(rng, 0, 1) ? 1e-6 : 1e6;
                    const double sy = between(rng, 0, 1) ? 1e-6 : 1e6;
                    p = Point(static_cast<float>(sx * uniform(rng, -1, 1)),
                              static_cast<float>(sy * uniform(rng, -1, 1)));
                }
            }
            return c;  // its own magnitudes
        }
        case floatSteps:
        case familyCount: {  // points one float step apart around one place, the other curve through it
            const Point at(static_cast<float>(uniform(rng, -1, 1)), static_cast<float>(uniform(rng, -1, 1)));
            for (Curve* curve : {&c.first, &c.second}) {
                curve->resize(static_cast<size_t>(between(rng, 2, maxControlPoints)));
                for (Point& p : *curve) {
                    p = at;
                    for (int k = between(rng, 0, 3); k > 0; --k)
                        p.x = std::nextafter(p.x, between(rng, 0, 1) ? 2.0f : -2.0f);
                    for (int k = between(rng, 0, 3); k > 0; --k)
                        p.y = std::nextafter(p.y, between(rng, 0, 1) ? 2.0f : -2.0f);
                }
            }
            if (between(rng, 0, 1) == 0) c.second = randomCurve(rng, between(rng, 2, 8), at.x, at.y, 1e-3);
            return c;  // float steps are of their own magnitude
        }
    }
    const double magnitude = randomMagnitude(rng);
    c.first = scaledCurve(c.first, magnitude);
    c.second = scaledCurve(c.second, magnitude);
    return c;
}

// one small change of the pair
Candidate mutate(const Candidate& from, Rng& rng) {
    Candidate c = from;
    Curve& curve = between(rng, 0, 1) == 0 ? c.first : c.second;
    const Curve& other = &curve == &c.first ? c.second : c.first;
    const size_t n = curve.size();
    Point& p = curve[static_cast<size_t>(between(rng, 0, static_cast<int>(n) - 1))];
    switch (between(rng, 0, 7)) {
        case 0:  // a few float steps
            for (int k = between(rng, 1, 4); k > 0; --k)
                p.x = std::nextafter(p.x, between(rng, 0, 1) ? INFINITY : -INFINITY);
            for (int k = between(rng, 0, 4); k > 0; --k)
                p.y = std::nextafter(p.y, between(rng, 0, 1) ? INFINITY : -INFINITY);
            if (!std::isfinite(p.x) || !std::isfinite(p.y)) return from;
            break;
        case 1: {  // a small share of its size
            const double share = std::pow(10.0, uniform(rng, -7, -1));
            p = Point(clampToFloat(p.x * (1 + share * uniform(rng, -1, 1))),
                      clampToFloat(p.y * (1 + share * uniform(rng, -1, 1))));
            break;
        }
        case 2: {  // onto the line of two points of either curve
            const Curve& source = between(rng, 0, 1) ? curve : other;
            const Point a = source[static_cast<size_t>(between(rng, 0, static_cast<int>(source.size()) - 1))];
            const Point b = source[static_cast<size_t>(between(rng, 0, static_cast<int>(source.size()) - 1))];
            const double t = uniform(rng, -1, 2);
            p = Point(clampToFloat(a.x + t * (static_cast<double>(b.x) - a.x)),
                      clampToFloat(a.y + t * (static_cast<double>(b.y) - a.y)));
            break;
        }
        case 3:  // onto a point of the other curve
            p = other[static_cast<size_t>(between(rng, 0, static_cast<int>(other.size()) - 1))];
            break;
        case 4:  // one more point, a copy of a neighbour
            if (n < static_cast<size_t>(maxControlPoints)) {
                const size_t at = static_cast<size_t>(between(rng, 0, static_cast<int>(n) - 1));
                curve.insert(curve.begin() + static_cast<long>(at), curve[at]);
            }
            break;
        case 5:  // one point fewer
            if (n > 2) curve.erase(curve.begin() + between(rng, 0, static_cast<int>(n) - 1));
            break;
        case 6: {  // the whole pair at another magnitude
            const double factor = std::pow(10.0, uniform(rng, -3, 3));
            c.first = scaledCurve(c.first, factor);
            c.second = scaledCurve(c.second, factor);
            break;
        }
        default:
            std::reverse(curve.begin(), curve.end());
            break;
    }
    return c;
}

void writeCurve(const std::string& file, const Curve& c) {
    FILE* f = std::fopen(file.c_str(), "w");
    if (f == nullptr) return;
    std::fprintf(f, "%zu\n", c.size());
    for (const Point& p : c) std::fprintf(f, "%.9g %.9g\n", static_cast<double>(p.x), static_cast<double>(p.y));
    std::fclose(f);
}

void save(const std::string& folder, const Candidate& c) {
    if (std::system(("mkdir -p '" + folder + "'").c_str()) != 0) return;
    writeCurve(folder + "/kriva1.txt", c.first);
    writeCurve(folder + "/kriva2.txt", c.second);
}

double largestCoordinate(const Candidate& c) {
    double m = 0;
    for (const Curve* curve : {&c.first, &c.second}) {
        for (const Point& p : *curve)
            m = std::max({m, std::fabs(static_cast<double>(p.x)), std::fabs(static_cast<double>(p.y))});
    }
    return m;
}

void printMeasure(const char* name, const Candidate& c, const Measure& m) {
    std::printf(
        "%-28s %2zu+%-2zu points, largest |coordinate| %9.3g: %7.4f s (%.4f s wall), %7ld calls (%5.1f%% of the "
        "budget%s), "
        "level %2d, %6ld points, %8ld heap bytes\n",
        name, c.first.size(), c.second.size(), largestCoordinate(c), m.seconds, m.wallSeconds, m.calls,
        100.0 * static_cast<double>(m.spent) / static_cast<double>(searchCallBudget), m.cut ? ", cut" : "", m.deepest,
        m.points, m.heap);
}

// The inputs the issue names, measured as they are.
std::vector<std::pair<std::string, Candidate>> namedInputs() {
    std::vector<std::pair<std::string, Candidate>> named;
    for (const float s : {1e-30f, 1e-23f, 1.0f, 1e5f, 1e23f, 1e25f, 3e38f}) {
        char name[32];
        std::snprintf(name, sizeof name, "X at %g", static_cast<double>(s));
        named.push_back({name, {{{0, 0}, {s, s}}, {{0, s}, {s, 0}}}});
    }
    named.push_back(
        {"triangles apart at 1e29", {{{0, 0}, {1e29f, 2e29f}, {2e29f, 0}}, {{5e29f, 0}, {6e29f, 2e29f}, {7e29f, 0}}}});
    Curve zigzag(32);
    for (size_t i = 0; i < zigzag.size(); ++i) zigzag[i] = Point(i % 2 ? 10.0f : static_cast<float>(i) / 4, 0);
    Curve zagzig = zigzag;
    std::reverse(zagzig.begin(), zagzig.end());
    named.push_back({"32 points on y = 0, twice", {zigzag, zagzig}});
    named.push_back({"segment on 32 folded points", {{{2, 0}, {3, 0}}, zigzag}});
    named.push_back({"segment to the float limit", {{{0, 0}, {3.4028235e38f, 1}}, {{1, -1}, {1, 1}}}});
    return named;
}

int hunt(long rounds, unsigned long seed, const char* saveFolder) {
    long failures = 0;
    const auto check = [&](const char* name, const Measure& m, const Candidate& c) {
        const int n1 = static_cast<int>(c.first.size());
        const int n2 = static_cast<int>(c.second.size());
        if (m.calls > callBoundFor(n1, n2) || m.deepest > searchDepthCap || m.heap > heapBoundFor(m.points) ||
            (timed && m.seconds > slowSearchSeconds)) {
            ++failures;
            std::fprintf(stderr, "FAIL: %s beyond a bound: %.3f s, %ld calls, level %d, %ld heap bytes\n", name,
                         m.seconds, m.calls, m.deepest, m.heap);
        }
    };

    std::printf("the inputs the issue names:\n");
    for (const auto& [name, c] : namedInputs()) {
        alarm(searchTimeLimit);
        const Measure m = search(c.first, c.second);
        alarm(0);
        printMeasure(name.c_str(), c, m);
        check(name.c_str(), m, c);
    }

    std::printf("the hunt: %ld rounds per family, seed %lu\n", rounds, seed);
    Rng rng(seed);
    Largest slowest, mostCalls, mostPoints, mostHeap;
    Candidate worstOverall;
    for (int f = 0; f < familyCount; ++f) {
        const Family family = static_cast<Family>(f);
        Candidate best = draw(family, rng);
        Measure bestMeasure = search(best.first, best.second);
        Candidate current = best;
        double currentSeconds = bestMeasure.seconds;
        for (long round = 0; round < rounds; ++round) {
            // a fresh start now and then, otherwise a small change of the pair so far
            const Candidate next = round % 25 == 24 ? draw(family, rng) : mutate(current, rng);
            alarm(searchTimeLimit);
            const Measure m = search(next.first, next.second);
            alarm(0);
            check(familyNames[f], m, next);
            const unsigned long id = static_cast<unsigned long>(f) * 1000000UL + static_cast<unsigned long>(round);
            slowest.offer(m.seconds, id);
            mostCalls.offer(static_cast<double>(m.calls), id);
            mostPoints.offer(static_cast<double>(m.points), id);
            mostHeap.offer(static_cast<double>(m.heap), id);
            if (m.seconds >= currentSeconds || round % 25 == 24) {
                current = next;
                currentSeconds = m.seconds;
            }
            if (m.seconds > bestMeasure.seconds) {
                best = next;
                bestMeasure = m;
            }
        }
        printMeasure(familyNames[f], best, bestMeasure);
        if (slowest.seed / 1000000UL == static_cast<unsigned long>(f) && bestMeasure.seconds >= slowest.value) {
            worstOverall = best;
        }
        if (saveFolder != nullptr) save(std::string(saveFolder) + "/" + familyNames[f], best);
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("hunt maxima: %.4f s, %.0f calls, %.0f points, %.0f heap bytes; max RSS %ld KiB\n", slowest.value,
                mostCalls.value, mostPoints.value, mostHeap.value, static_cast<long>(usage.ru_maxrss));
    if (usage.ru_maxrss > rssBoundKiB) {
        ++failures;
        std::fprintf(stderr, "FAIL: max RSS %ld KiB above the bound %ld KiB\n", static_cast<long>(usage.ru_maxrss),
                     rssBoundKiB);
    }
    if (failures > 0) {
        std::printf("FAILED: %ld search(es) beyond a bound\n", failures);
        return 1;
    }
    std::printf("every search of the hunt ended within its bounds\n");
    return 0;
}

int usage() {
    std::fprintf(
        stderr,
        "usage: geometrija-stress [--pairs N] [--seed FIRST] [--verbose] [--untimed] [--literal]\n"
        "       geometrija-stress --hunt ROUNDS [--seed SEED] [--save FOLDER] [--untimed]\n"
        "Searches N pairs (default 10000) made from the seeds FIRST, FIRST + 1, ... (default 1);\n"
        "--verbose prints each search's figures; --literal compares every search the budget did\n"
        "not cut, of up to 50,000 calls, with the literal baseline. --hunt measures the inputs the\n"
        "issue names, then hunts for slow inputs, ROUNDS changes per family, and with --save writes the slowest of\n"
        "each family to FOLDER/FAMILY/kriva1.txt and kriva2.txt (without --hunt, each pair to\n"
        "FOLDER/seed-SEED/). --untimed checks every bound but\n"
        "the time a search takes.\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    long pairCount = 10000;
    long huntRounds = 0;
    const char* saveFolder = nullptr;
    unsigned long firstSeed = 1;
    bool verbose = false;
    bool compareLiteral = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--pairs") == 0 && i + 1 < argc) {
            pairCount = std::strtol(argv[++i], nullptr, 10);
        } else if (std::strcmp(argv[i], "--seed") == 0 && i + 1 < argc) {
            firstSeed = std::strtoul(argv[++i], nullptr, 10);
        } else if (std::strcmp(argv[i], "--hunt") == 0 && i + 1 < argc) {
            huntRounds = std::strtol(argv[++i], nullptr, 10);
            if (huntRounds < 1) return usage();
        } else if (std::strcmp(argv[i], "--save") == 0 && i + 1 < argc) {
            saveFolder = argv[++i];
        } else if (std::strcmp(argv[i], "--verbose") == 0) {
            verbose = true;
        } else if (std::strcmp(argv[i], "--untimed") == 0) {
            timed = false;
        } else if (std::strcmp(argv[i], "--literal") == 0) {
            compareLiteral = true;
        } else {
            return usage();
        }
    }
    if (pairCount < 1) return usage();

    std::signal(SIGALRM, searchTooLong);
    if (huntRounds > 0) return hunt(huntRounds, firstSeed, saveFolder);

    long perKind[kindCount] = {};
    long comparedPerKind[kindCount] = {};
    long cutPerKind[kindCount] = {};
    long mostSpentPerKind[kindCount] = {};
    double secondsPerKind[kindCount] = {};
    Largest slowest, mostCalls, deepest, mostPoints, mostHeap;
    double totalSeconds = 0;
    double totalWallSeconds = 0;
    long failures = 0;
    const auto fail = [&](unsigned long seed, const Pair& pair, const char* what, double value, double bound) {
        if (++failures <= 20) {
            std::fprintf(stderr, "FAIL: seed %lu (%s, %s; %zu and %zu points): %s %g above the bound %g\n", seed,
                         kindNames[pair.kind], pair.what.c_str(), pair.first.size(), pair.second.size(), what, value,
                         bound);
        }
    };

    for (long i = 0; i < pairCount; ++i) {
        const unsigned long seed = firstSeed + static_cast<unsigned long>(i);
        const Pair pair = makePair(seed);
        if (saveFolder != nullptr)
            save(std::string(saveFolder) + "/seed-" + std::to_string(seed), {pair.first, pair.second});
        runningSeed = seed;
        alarm(searchTimeLimit);
        const Measure m = search(pair.first, pair.second);
        alarm(0);

        if (verbose) {
            std::printf(
                "seed %lu %s (%s) %zu+%zu points, size %.3g: %.6f s, %ld calls, level %d, %ld points, "
                "%ld heap bytes, %ld spent%s\n",
                seed, kindNames[pair.kind], pair.what.c_str(), pair.first.size(), pair.second.size(), pair.scale,
                m.seconds, m.calls, m.deepest, m.points, m.heap, m.spent, m.cut ? ", cut" : "");
        }
        ++perKind[pair.kind];
        secondsPerKind[pair.kind] += m.seconds;
        cutPerKind[pair.kind] += m.cut ? 1 : 0;
        mostSpentPerKind[pair.kind] = std::max(mostSpentPerKind[pair.kind], m.spent);
        totalSeconds += m.seconds;
        totalWallSeconds += m.wallSeconds;
        slowest.offer(m.seconds, seed);
        mostCalls.offer(static_cast<double>(m.calls), seed);
        deepest.offer(m.deepest, seed);
        mostPoints.offer(static_cast<double>(m.points), seed);
        mostHeap.offer(static_cast<double>(m.heap), seed);

        const int n1 = static_cast<int>(pair.first.size());
        const int n2 = static_cast<int>(pair.second.size());
        const bool ordinary = pair.kind == general || pair.kind == tangent;
        if (ordinary && m.spent * ordinaryShare > searchCallBudget) {
            fail(seed, pair, "spent (ordinary pair)", static_cast<double>(m.spent),
                 static_cast<double>(searchCallBudget / ordinaryShare));
        }
        if (m.calls > callBoundFor(n1, n2))
            fail(seed, pair, "calls", static_cast<double>(m.calls), static_cast<double>(callBoundFor(n1, n2)));
        if (m.deepest > depthBound) fail(seed, pair, "deepest level", m.deepest, depthBound);
        if (m.heap > heapBoundFor(m.points))
            fail(seed, pair, "heap bytes", static_cast<double>(m.heap), static_cast<double>(heapBoundFor(m.points)));
        if (timed && m.seconds > slowSearchSeconds) fail(seed, pair, "seconds", m.seconds, slowSearchSeconds);
        if (compareLiteral && !m.cut && m.calls <= literalCallLimit) {
            ++comparedPerKind[pair.kind];
            if (!sameAsLiteral(pair.first, pair.second, m.calls))
                fail(seed, pair, "differs from the literal baseline", 1, 0);
        }
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
    if (compareLiteral) {
        std::printf("compared with the literal baseline, the same points and calls:");
        for (int k = 0; k < kindCount; ++k) std::printf("%s %s %ld", k ? ";" : "", kindNames[k], comparedPerKind[k]);
        std::printf("\n");
    }
    std::printf("cut short by the budget:");
    for (int k = 0; k < kindCount; ++k) std::printf("%s %s %ld", k ? ";" : "", kindNames[k], cutPerKind[k]);
    std::printf("\nmost spent, share of the budget %ld:", searchCallBudget);
    for (int k = 0; k < kindCount; ++k) {
        std::printf("%s %s %.4f", k ? ";" : "", kindNames[k],
                    static_cast<double>(mostSpentPerKind[k]) / static_cast<double>(searchCallBudget));
    }
    std::printf("\n");
    std::printf("total search time: %.2f s of processor time, %.2f s wall\n", totalSeconds, totalWallSeconds);
    std::printf("longest search:    %.4f s of processor time (bound %.1f s; %s)\n", slowest.value, slowSearchSeconds,
                describe(slowest).c_str());
    std::printf("most calls:        %.0f (%s)\n", mostCalls.value, describe(mostCalls).c_str());
    std::printf("deepest level:     %.0f (bound %d; %s)\n", deepest.value, depthBound, describe(deepest).c_str());
    std::printf("most points:       %.0f (%s)\n", mostPoints.value, describe(mostPoints).c_str());
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
