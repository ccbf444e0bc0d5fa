// Writes the exact intersection's results for many seeded pairs to a file, or compares them with such a
// file: so that a change meant to make the exact mode faster can be checked to give the same answers.
//
//   exact_dump write FILE      every pair's meeting points and shared stretches, parameters in hex
//   exact_dump compare FILE    the same pairs again; prints every pair whose counts, kinds or completeness
//                              differ, and the largest parameter difference of crossings and of touches
//                              (exit status 1 when a count or kind differs, or a crossing moved by more
//                              than 1e-15)
//   exact_dump run CASE [N]    the benchmarks' pairs of one case (issue, default, cubics, quadratics,
//                              ten, thirtytwo, tencrossings, loop), each intersected N times (default 100): for
//                              counting instructions, valgrind --tool=callgrind --toggle-collect='*intersectExact*'
//
// The pairs: random cubics, quadratics against cubics, random quadratics, curves of 5, 10 and 32 points,
// lines against curves, pairs built to touch (exactly, in dyadic coordinates), pairs sharing a stretch
// (a curve against an exact part of itself, run either way, or against itself with one point more),
// pairs meeting at an end of one or both curves, and near-degenerate pairs (one curve moved by a float
// step, or its control points nearly on one line). Every count is fixed, so the run is bounded.
#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "bench/curve_pairs.h"
#include "intersect/exact.h"
#include "tests/support/elevated.h"

namespace {

using Polygon = std::vector<PointD>;
struct TestPair {
    std::string kind;
    Polygon a;
    Polygon b;
};

Polygon randomPolygon(std::mt19937& random, int n, float low, float high) {
    std::uniform_real_distribution<float> coordinate(low, high);
    Polygon p(static_cast<size_t>(n));
    for (PointD& q : p) {
        q.x = coordinate(random);
        q.y = coordinate(random);
    }
    return p;
}

// random dyadic value k / 8 with |k| <= 8 * range
double dyadic(std::mt19937& random, int range) {
    std::uniform_int_distribution<int> k(-8 * range, 8 * range);
    return k(random) / 8.0;
}

// the part [0, 1/2] or [1/2, 1] of a polygon, exact for dyadic coordinates of few bits
Polygon half(const Polygon& c, bool second) {
    Polygon q = c;
    const size_t n = q.size();
    Polygon left(n), right(n);
    left[0] = q[0];
    right[n - 1] = q[n - 1];
    for (size_t j = 1; j < n; ++j) {
        for (size_t k = 0; k + j < n; ++k) q[k] = {0.5 * (q[k].x + q[k + 1].x), 0.5 * (q[k].y + q[k + 1].y)};
        left[j] = q[0];
        right[n - 1 - j] = q[n - 1 - j];
    }
    return second ? right : left;
}

// the point at 1/2 (exact for dyadic coordinates of few bits)
PointD middle(const Polygon& c) { return half(c, true)[0]; }

Polygon reversed(const Polygon& c) { return Polygon(c.rbegin(), c.rend()); }

// a quarter turn (k times) and a shift, exact
Polygon turned(const Polygon& c, int k, double dx, double dy) {
    Polygon out = c;
    for (PointD& p : out) {
        for (int i = 0; i < k; ++i) p = {-p.y, p.x};
        p.x += dx;
        p.y += dy;
    }
    return out;
}

std::vector<TestPair> makePairs() {
    std::vector<TestPair> pairs;
    std::mt19937 random(20261207);
    const auto randomKind = [&](const char* kind, int count, int n1, int n2, float low, float high) {
        for (int i = 0; i < count; ++i) {
            TestPair p{kind, randomPolygon(random, n1, low, high), randomPolygon(random, n2, low, high)};
            pairs.push_back(p);
        }
    };
    randomKind("cubics", 20000, 4, 4, -1, 1);
    randomKind("cubics-wide", 3000, 4, 4, 0, 1000);
    randomKind("quadratic-cubic", 4000, 3, 4, -1, 1);
    randomKind("cubic-quadratic", 1000, 4, 3, -1, 1);
    randomKind("quadratics", 3000, 3, 3, -1, 1);
    randomKind("cubic-5", 2000, 4, 5, -1, 1);
    randomKind("5-points", 3000, 5, 5, -1, 1);
    randomKind("10-points", 2000, 10, 10, 0, 10);
    randomKind("10-cubic", 1000, 10, 4, 0, 10);
    randomKind("32-points", 200, 32, 32, -1, 1);
    randomKind("line-cubic", 1000, 2, 4, -1, 1);
    // doubles, not floats
    {
        std::uniform_real_distribution<double> coordinate(-1, 1);
        for (int i = 0; i < 2000; ++i) {
            TestPair p{"cubics-double", Polygon(4), Polygon(4)};
            for (PointD& q : p.a) q = {coordinate(random), coordinate(random)};
            for (PointD& q : p.b) q = {coordinate(random), coordinate(random)};
            pairs.push_back(p);
        }
    }
    // symmetric cubics touching at their middles: a's highest point is b's lowest
    for (int i = 0; i < 2000; ++i) {
        const double w = 1 + std::abs(dyadic(random, 4)), v = dyadic(random, 4), h = 1 + std::abs(dyadic(random, 4));
        const double w2 = 1 + std::abs(dyadic(random, 4)), v2 = dyadic(random, 4), h2 = dyadic(random, 4);
        const double c = 0.75 * (h + h2);
        Polygon a = {{-w, 0}, {-v, h}, {v, h}, {w, 0}};
        Polygon b = {{-w2, c}, {-v2, c - h2}, {v2, c - h2}, {w2, c}};
        const int k = i % 4;
        if (i % 3 == 1) b = reversed(b);
        if (i % 5 == 2) a = reversed(a);
        pairs.push_back({"touch-cubics", turned(a, k, i % 7, -(i % 5)), turned(b, k, i % 7, -(i % 5))});
    }
    // a cubic touching a quadratic or a line at its middle
    for (int i = 0; i < 1000; ++i) {
        const double w = 1 + std::abs(dyadic(random, 4)), v = dyadic(random, 4), h = 1 + std::abs(dyadic(random, 4));
        const double y = 0.75 * h;
        Polygon a = {{-w, 0}, {-v, h}, {v, h}, {w, 0}};
        const double w2 = 1 + std::abs(dyadic(random, 4)), h2 = dyadic(random, 2);
        Polygon b = i % 2 ? Polygon{{-w2, y + h2}, {0, y - h2}, {w2, y + h2}} : Polygon{{-w2, y}, {w2, y}};
        pairs.push_back({"touch-cubic-low", turned(a, i % 4, 0, 0), turned(b, i % 4, 0, 0)});
    }
    // shared stretches: a curve against an exact half of itself (either way round), against itself with one
    // point more, and against a part reaching beyond its end
    for (int i = 0; i < 1500; ++i) {
        const int n = 3 + i % 4;
        Polygon a(static_cast<size_t>(n));
        for (PointD& q : a) q = {dyadic(random, 4), dyadic(random, 4)};
        Polygon b;
        const char* kind = "stretch-half";
        switch (i % 4) {
            case 0:
                b = half(a, false);
                break;
            case 1:
                b = reversed(half(a, true));
                break;
            case 2:
                for (PointD& q : a) q = {q.x * 8 * n, q.y * 8 * n};
                b = elevated(a);
                kind = "stretch-elevated";
                break;
            default:
                b = half(half(a, false), true);
                break;
        }
        if (i % 8 >= 4)
            pairs.push_back({kind, b, a});
        else
            pairs.push_back({kind, a, b});
    }
    // meetings at ends: b starts where a is at 1/2, b ends where a ends, both start together
    for (int i = 0; i < 3000; ++i) {
        const int n1 = 3 + i % 3, n2 = 4 + (i / 3) % 3;
        Polygon a(static_cast<size_t>(n1)), b(static_cast<size_t>(n2));
        for (PointD& q : a) q = {dyadic(random, 4), dyadic(random, 4)};
        for (PointD& q : b) q = {dyadic(random, 4), dyadic(random, 4)};
        switch (i % 4) {
            case 0:
                b[0] = middle(a);
                break;
            case 1:
                b.back() = a.back();
                break;
            case 2:
                b[0] = a[0];
                break;
            default:
                b[0] = a[0];
                b.back() = a.back();
                break;
        }
        pairs.push_back({"ends", a, b});
    }
    // near-degenerate: one curve moved by a float step; control points nearly on a line; a tiny curve
    for (int i = 0; i < 2000; ++i) {
        const int n = 4 + (i % 3 == 0 ? 1 : 0);
        Polygon a = randomPolygon(random, n, -1, 1);
        Polygon b;
        if (i % 4 == 0) {
            b = a;
            for (PointD& q : b) q.x = std::nextafter(static_cast<float>(q.x), 2.0f);
            pairs.push_back({"float-step", a, b});
        } else if (i % 4 == 1) {
            b = randomPolygon(random, 4, -1, 1);
            for (int k = 0; k < n; ++k) {
                a[static_cast<size_t>(k)] = {a[0].x + k * 0.25,
                                             static_cast<float>(a[0].y + 1e-6 * ((k * 7919 + i) % 5))};
            }
            pairs.push_back({"near-line", a, b});
        } else if (i % 4 == 2) {
            b = randomPolygon(random, 4, -1, 1);
            for (size_t k = 1; k < a.size(); ++k)
                a[k] = {static_cast<float>(a[0].x + 1e-5 * (a[k].x)), static_cast<float>(a[0].y + 1e-5 * a[k].y)};
            pairs.push_back({"tiny", a, b});
        } else {
            b = a;
            std::swap(b[1], b[2]);
            pairs.push_back({"swapped-points", a, b});
        }
    }
    // near touches: the touching cubics moved apart or together by 10^-3 to 10^-15 (two crossings close
    // together, or none); near ends: a cubic crossing another at 10^-3 to 10^-12 inside or beyond its end
    const double shifts[] = {1e-3, 1e-6, 1e-9, 1e-12, 1e-14, 1e-15};
    for (int i = 0; i < 3000; ++i) {
        const double w = 1 + std::abs(dyadic(random, 4)), v = dyadic(random, 4), h = 1 + std::abs(dyadic(random, 4));
        const double w2 = 1 + std::abs(dyadic(random, 4)), v2 = dyadic(random, 4), h2 = dyadic(random, 4);
        const double c = 0.75 * (h + h2) + (i % 2 ? 1 : -1) * shifts[(i / 2) % 6];
        Polygon a = {{-w, 0}, {-v, h}, {v, h}, {w, 0}};
        Polygon b = {{-w2, c}, {-v2, c - h2}, {v2, c - h2}, {w2, c}};
        pairs.push_back({"near-touch", turned(a, i % 4, 0, 0), turned(b, i % 4, 0, 0)});
    }
    for (int i = 0; i < 3000; ++i) {
        Polygon a = randomPolygon(random, 4, -1, 1);
        const long double u = (i % 2 ? -1.0L : 1.0L) * shifts[(i / 2) % 4] + ((i / 8) % 2 ? 1.0L : 0.0L);
        long double x[4], y[4];
        for (int k = 0; k < 4; ++k) {
            x[k] = a[static_cast<size_t>(k)].x;
            y[k] = a[static_cast<size_t>(k)].y;
        }
        for (int j = 1; j < 4; ++j) {
            for (int k = 0; k + j < 4; ++k) {
                x[k] = (1 - u) * x[k] + u * x[k + 1];
                y[k] = (1 - u) * y[k] + u * y[k + 1];
            }
        }
        // a cubic whose point at 1/2 is a's point at u (as nearly as doubles allow)
        Polygon b = randomPolygon(random, 3, -1, 1);
        b.push_back({static_cast<double>(8 * x[0]) - b[0].x - 3 * b[1].x - 3 * b[2].x,
                     static_cast<double>(8 * y[0]) - b[0].y - 3 * b[1].y - 3 * b[2].y});
        pairs.push_back({"near-end", a, b});
    }
    // cubics folded back on themselves (P1 at P3 and P2 at P0: the derivative 3d, -6d, 3d vanishes twice),
    // the middle points then moved a quarter of the way to a point m in x, against random cubics; quadratics given as
    // cubics (one point more, rounded to float) against random cubics; random cubics at scales from 2^-900 to 2^900
    for (int i = 0; i < 3000; ++i) {
        Polygon b = randomPolygon(random, 4, -1, 1);
        if (i % 3 == 0) {
            const PointD p0 = {dyadic(random, 2), dyadic(random, 2)}, p3 = {dyadic(random, 2), dyadic(random, 2)};
            const PointD m = {0.5 * (p0.x + p3.x) + dyadic(random, 1), 0.5 * (p0.y + p3.y) + dyadic(random, 1)};
            const PointD d = {p3.x - p0.x, p3.y - p0.y};
            Polygon a = {p0, {p0.x + d.x, p0.y + d.y}, {p3.x - d.x, p3.y - d.y}, p3};
            a[1].x += 0.25 * (m.x - a[1].x);
            a[2].x += 0.25 * (m.x - a[2].x);
            pairs.push_back({"folded", a, b});
        } else if (i % 3 == 1) {
            Polygon q = randomPolygon(random, 3, -1, 1);
            Polygon a = {q[0],
                         {static_cast<float>((q[0].x + 2 * q[1].x) / 3), static_cast<float>((q[0].y + 2 * q[1].y) / 3)},
                         {static_cast<float>((2 * q[1].x + q[2].x) / 3), static_cast<float>((2 * q[1].y + q[2].y) / 3)},
                         q[2]};
            pairs.push_back({"elevated-quadratic", a, b});
        } else {
            Polygon a = randomPolygon(random, 4, -1, 1);
            const int exponent = (i % 19 - 9) * 100;
            for (Polygon* c : {&a, &b}) {
                for (PointD& q : *c) q = {std::ldexp(q.x, exponent), std::ldexp(q.y, exponent)};
            }
            pairs.push_back({"scaled", a, b});
        }
    }
    // the benchmark's named pairs
    pairs.push_back({"named", {{0, 0}, {1, 2}, {2, -1}, {3, 1}}, {{0, 1}, {1, -1}, {2, 2}, {3, 0}}});
    pairs.push_back({"named", {{0, 2}, {3, 9.5}, {6, 1.5}, {10, 8}}, {{0, 6.5}, {4, 1.5}, {7, 9.5}, {10, 2.5}}});
    return pairs;
}

struct Record {
    std::string kind;
    bool complete = true;
    std::vector<CurveCrossing> crossings;
    std::vector<CurveOverlap> overlaps;
};

Record run(const TestPair& p, ExactIntersections& result) {
    intersectExact(p.a.data(), static_cast<int>(p.a.size()), p.b.data(), static_cast<int>(p.b.size()), result);
    return {p.kind, result.complete, result.crossings, result.overlaps};
}

void write(FILE* f, size_t index, const Record& r) {
    std::fprintf(f, "pair %zu %s %d %zu %zu\n", index, r.kind.c_str(), r.complete ? 1 : 0, r.crossings.size(),
                 r.overlaps.size());
    for (const CurveCrossing& c : r.crossings)
        std::fprintf(f, "x %a %a %a %a %d\n", c.t, c.s, c.x, c.y, c.touch ? 1 : 0);
    for (const CurveOverlap& o : r.overlaps) std::fprintf(f, "o %a %a %a %a\n", o.t0, o.t1, o.s0, o.s1);
}

bool read(FILE* f, Record& r) {
    char kind[64];
    size_t index, nc, no;
    int complete;
    if (std::fscanf(f, " pair %zu %63s %d %zu %zu", &index, kind, &complete, &nc, &no) != 5) return false;
    r.kind = kind;
    r.complete = complete != 0;
    r.crossings.assign(nc, {});
    r.overlaps.assign(no, {});
    for (CurveCrossing& c : r.crossings) {
        int touch;
        if (std::fscanf(f, " x %la %la %la %la %d", &c.t, &c.s, &c.x, &c.y, &touch) != 5) return false;
        c.touch = touch != 0;
    }
    for (CurveOverlap& o : r.overlaps) {
        if (std::fscanf(f, " o %la %la %la %la", &o.t0, &o.t1, &o.s0, &o.s1) != 4) return false;
    }
    return true;
}

}  // namespace

int runCase(const char* name, int repeats) {
    using namespace benchpairs;
    std::vector<benchpairs::Pair> pairs;
    if (std::strcmp(name, "issue") == 0)
        pairs = issueCubics();
    else if (std::strcmp(name, "default") == 0)
        pairs = defaultExample();
    else if (std::strcmp(name, "cubics") == 0)
        pairs = randomCurves(4, 200, 4);
    else if (std::strcmp(name, "quadratics") == 0)
        pairs = randomCurves(3, 200, 3);
    else if (std::strcmp(name, "ten") == 0)
        pairs = randomTenPointPairs();
    else if (std::strcmp(name, "thirtytwo") == 0)
        pairs = randomCurves(32, 16, 31);
    else if (std::strcmp(name, "tencrossings") == 0)
        pairs = tenPointsTenCrossings();
    else if (std::strcmp(name, "loop") == 0) {
        const benchpairs::Polygon loop = {Point(0, 0), Point(2, 2), Point(-1, 2), Point(1, 0)};
        pairs = {{loop, loop}, {loop, benchpairs::Polygon(loop.rbegin(), loop.rend())}};
    } else
        return 2;
    ExactIntersections result;
    size_t found = 0;
    for (int r = 0; r < repeats; ++r) {
        for (const benchpairs::Pair& p : pairs) {
            intersectExact(p.a.data(), static_cast<int>(p.a.size()), p.b.data(), static_cast<int>(p.b.size()), result);
            found += result.crossings.size() + result.overlaps.size();
        }
    }
    std::printf("%s: %zu pairs, %d times, %zu found\n", name, pairs.size(), repeats, found);
    return 0;
}

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "run") == 0) return runCase(argv[2], argc > 3 ? std::atoi(argv[3]) : 100);
    if (argc != 3 || (std::strcmp(argv[1], "write") != 0 && std::strcmp(argv[1], "compare") != 0)) {
        std::fprintf(stderr, "usage: exact_dump write|compare FILE\n");
        return 2;
    }
    const bool writing = std::strcmp(argv[1], "write") == 0;
    FILE* f = std::fopen(argv[2], writing ? "w" : "r");
    if (!f) {
        std::perror(argv[2]);
        return 2;
    }
    const std::vector<TestPair> pairs = makePairs();
    ExactIntersections result;
    int differing = 0;
    double maxCrossing = 0, maxTouch = 0, maxOverlap = 0, maxPoint = 0;
    size_t crossings = 0, touches = 0, overlaps = 0, incomplete = 0;
    for (size_t i = 0; i < pairs.size(); ++i) {
        const Record now = run(pairs[i], result);
        crossings += now.crossings.size();
        overlaps += now.overlaps.size();
        incomplete += now.complete ? 0 : 1;
        for (const CurveCrossing& c : now.crossings) touches += c.touch ? 1 : 0;
        if (writing) {
            write(f, i, now);
            continue;
        }
        Record old;
        if (!read(f, old)) {
            std::fprintf(stderr, "the file ends before pair %zu\n", i);
            return 2;
        }
        bool same = old.complete == now.complete && old.crossings.size() == now.crossings.size() &&
                    old.overlaps.size() == now.overlaps.size();
        for (size_t k = 0; same && k < now.crossings.size(); ++k) {
            const CurveCrossing& p = old.crossings[k];
            const CurveCrossing& q = now.crossings[k];
            if (p.touch != q.touch) {
                same = false;
                break;
            }
            const double d = std::max(std::fabs(p.t - q.t), std::fabs(p.s - q.s));
            double& worst = p.touch ? maxTouch : maxCrossing;
            worst = std::max(worst, d);
            maxPoint = std::max(maxPoint, std::max(std::fabs(p.x - q.x), std::fabs(p.y - q.y)));
            if (!p.touch && d > 1e-15) {
                std::printf("pair %zu (%s): crossing %zu moved by %.3g\n", i, now.kind.c_str(), k, d);
                ++differing;
            }
        }
        for (size_t k = 0; same && k < now.overlaps.size(); ++k) {
            const CurveOverlap& p = old.overlaps[k];
            const CurveOverlap& q = now.overlaps[k];
            maxOverlap = std::max({maxOverlap, std::fabs(p.t0 - q.t0), std::fabs(p.t1 - q.t1), std::fabs(p.s0 - q.s0),
                                   std::fabs(p.s1 - q.s1)});
        }
        if (!same) {
            ++differing;
            std::printf(
                "pair %zu (%s) differs: was complete %d, %zu crossings, %zu stretches;"
                " now complete %d, %zu crossings, %zu stretches\n",
                i, now.kind.c_str(), old.complete, old.crossings.size(), old.overlaps.size(), now.complete,
                now.crossings.size(), now.overlaps.size());
            for (const CurveCrossing& c : old.crossings) std::printf("  was %.17g %.17g touch %d\n", c.t, c.s, c.touch);
            for (const CurveCrossing& c : now.crossings) std::printf("  now %.17g %.17g touch %d\n", c.t, c.s, c.touch);
        }
    }
    std::fclose(f);
    std::printf("%zu pairs: %zu meeting points (%zu touches), %zu stretches, %zu incomplete\n", pairs.size(), crossings,
                touches, overlaps, incomplete);
    if (!writing) {
        std::printf("largest difference: crossings %.3g, touches %.3g, stretch ends %.3g, points %.3g; %d differing\n",
                    maxCrossing, maxTouch, maxOverlap, maxPoint, differing);
    }
    return differing == 0 ? 0 : 1;
}
