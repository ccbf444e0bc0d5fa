// The exact intersection against a slow oracle of its own, in exact integer arithmetic: seeded random
// pairs with integer control points, where the curves' meetings are decided by exact signs of the
// polynomials involved on a dyadic grid of parameters.
//
// A curve against a line: the curve's distance to the line, times the line's length, is a polynomial
// with integer Bernstein coefficients, so its value at t = j / 2^bits times 2^(bits * degree) is an
// integer. A zero there is a root of known multiplicity (the first derivative that does not vanish, also
// exactly); a cell between two grid points with opposite signs holds a root. Built touches and crossings
// sit on the grid. Two curves on one line: each is a one-dimensional polynomial along it, and a grid
// value of the first is certainly covered by the second when it lies between two of the second's grid
// values, certainly not when it lies beyond all of them by more than the second can bulge between them.
#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "intersect/exact.h"
#include "intersect/exact/polynomial.h"
#include "testing.h"

namespace {

__extension__ typedef __int128 Wide;  // 127 bits and a sign: every value below stays under 2^120

using Coefficients = std::vector<long long>;

long long choose(int n, int k) {
    long long c = 1;
    for (int i = 1; i <= k; ++i) c = c * (n - k + i) / i;
    return c;
}

// the polynomial with Bernstein coefficients c at t = j / 2^bits, times 2^(bits * degree), exactly
Wide scaledValue(const Coefficients& c, long long j, int bits) {
    const int n = static_cast<int>(c.size()) - 1;
    const Wide whole = static_cast<Wide>(1) << bits;
    Wide sum = 0;
    for (int i = 0; i <= n; ++i) {
        Wide term = static_cast<Wide>(choose(n, i)) * c[static_cast<size_t>(i)];
        for (int k = 0; k < i; ++k) term *= j;
        for (int k = i; k < n; ++k) term *= whole - j;
        sum += term;
    }
    return sum;
}

int signOf(Wide v) { return v > 0 ? 1 : (v < 0 ? -1 : 0); }

// the Bernstein coefficients of the derivative, up to the positive factor degree
Coefficients differences(const Coefficients& c) {
    Coefficients d;
    for (size_t i = 0; i + 1 < c.size(); ++i) d.push_back(c[i + 1] - c[i]);
    return d;
}

// the largest grid resolution (bits, at most 12) that keeps the scaled values of c below 2^118
int gridBits(const Coefficients& c) {
    const int n = static_cast<int>(c.size()) - 1;
    long long largest = 1;
    for (long long v : c) largest = std::max(largest, std::llabs(v));
    const double room =
        118 - std::log2(static_cast<double>(largest)) - std::log2(static_cast<double>(choose(n, n / 2))) - 1;
    return n == 0 ? 12 : std::min(12, static_cast<int>(room / n));
}

long double valueAt(const Coefficients& c, long double t) {
    std::vector<long double> level(c.begin(), c.end());
    for (size_t j = 1; j < level.size(); ++j) {
        for (size_t k = 0; k + j < level.size(); ++k) level[k] = (1 - t) * level[k] + t * level[k + 1];
    }
    return level[0];
}

struct IntegerCurve {
    Coefficients x;
    Coefficients y;
};

std::vector<PointD> toPoints(const IntegerCurve& c) {
    std::vector<PointD> p;
    for (size_t i = 0; i < c.x.size(); ++i) p.push_back({static_cast<double>(c.x[i]), static_cast<double>(c.y[i])});
    return p;
}

ExactIntersections intersect(const IntegerCurve& a, const IntegerCurve& b) {
    const std::vector<PointD> pa = toPoints(a);
    const std::vector<PointD> pb = toPoints(b);
    ExactIntersections r;
    intersectExact(pa.data(), static_cast<int>(pa.size()), pb.data(), static_cast<int>(pb.size()), r);
    return r;
}

std::string describe(const ExactIntersections& r) {
    std::string text;
    char line[200];
    for (const CurveCrossing& c : r.crossings) {
        std::snprintf(line, sizeof line, "  %s t=%.17g s=%.17g\n", c.touch ? "touch" : "crossing", c.t, c.s);
        text += line;
    }
    for (const CurveOverlap& o : r.overlaps) {
        std::snprintf(line, sizeof line, "  overlap t=[%.17g, %.17g] s=[%.17g, %.17g]\n", o.t0, o.t1, o.s0, o.s1);
        text += line;
    }
    return text.empty() ? "  nothing\n" : text;
}

// the curve scaled by 16^(n - 1), so that its point and derivative at any t = k / 16 are integers
IntegerCurve scaledForSixteenths(IntegerCurve c) {
    long long scale = 1;
    for (size_t i = 1; i < c.x.size(); ++i) scale *= 16;
    for (long long& v : c.x) v *= scale;
    for (long long& v : c.y) v *= scale;
    return c;
}

// the point (times 16^(n-1) / 16^(n-1)) and derivative of c at k / 16, for c scaled as above: exact integers
void pointAndTangent(const IntegerCurve& c, int k, long long& px, long long& py, long long& vx, long long& vy) {
    const int n = static_cast<int>(c.x.size()) - 1;
    const auto at = [&](const Coefficients& f) {
        Wide sum = 0;
        for (int i = 0; i <= n; ++i) {
            Wide term = static_cast<Wide>(choose(n, i)) * f[static_cast<size_t>(i)];
            for (int m = 0; m < i; ++m) term *= k;
            for (int m = i; m < n; ++m) term *= 16 - k;
            sum += term;
        }
        for (int m = 0; m < n; ++m) sum /= 16;  // exact: the curve was scaled for it
        return static_cast<long long>(sum);
    };
    const auto slope = [&](const Coefficients& f) {
        const Coefficients d = differences(f);
        Wide sum = 0;
        for (int i = 0; i < n; ++i) {
            Wide term = static_cast<Wide>(choose(n - 1, i)) * d[static_cast<size_t>(i)];
            for (int m = 0; m < i; ++m) term *= k;
            for (int m = i; m < n - 1; ++m) term *= 16 - k;
            sum += term;
        }
        for (int m = 0; m < n - 1; ++m) sum /= 16;
        return static_cast<long long>(sum * n);
    };
    px = at(c.x);
    py = at(c.y);
    vx = slope(c.x);
    vy = slope(c.y);
}

// ---------------------------------------------------------------------------------------------------
// A curve against a segment.

TEST(ExactIntersectionOracle, CurveAgainstSegmentMatchesExactSignsOnAGrid) {
    std::mt19937 random(1717);
    std::uniform_int_distribution<int> small(-16, 16);
    std::uniform_int_distribution<int> points(3, 7);
    std::uniform_int_distribution<int> sixteenth(2, 14);
    int pairs = 0;
    int crowded = 0;
    int roots = 0;
    int multiple = 0;
    for (int k = 0; k < 600; ++k) {
        const int kind = k % 3;  // 0: random, 1: a touch built at a sixteenth, 2: a crossing built there
        IntegerCurve a;
        const int n = kind == 0 ? points(random) : std::min(points(random), 6);
        for (int i = 0; i < n; ++i) {
            a.x.push_back(small(random));
            a.y.push_back(small(random));
        }
        IntegerCurve b;
        if (kind == 0) {
            // a long segment through the curve's box, so that every meeting lies well inside it
            const long long px = small(random), py = small(random);
            long long vx = small(random), vy = small(random);
            if (vx == 0 && vy == 0) vx = 1;
            b.x = {px - 64 * vx, px + 64 * vx};
            b.y = {py - 64 * vy, py + 64 * vy};
        } else {
            a = scaledForSixteenths(a);
            long long px, py, vx, vy;
            pointAndTangent(a, sixteenth(random), px, py, vx, vy);
            if (vx == 0 && vy == 0) continue;
            if (kind == 2) {
                // across the curve instead of along it
                std::swap(vx, vy);
                vx = -vx;
            }
            b.x = {px - 4 * vx, px + 4 * vx};
            b.y = {py - 4 * vy, py + 4 * vy};
        }
        // the distance polynomial, with integer coefficients
        Coefficients d;
        const long long ex = b.x[1] - b.x[0], ey = b.y[1] - b.y[0];
        for (int i = 0; i < n; ++i)
            d.push_back(ex * (a.y[static_cast<size_t>(i)] - b.y[0]) - ey * (a.x[static_cast<size_t>(i)] - b.x[0]));
        const int bits = gridBits(d);
        ASSERT_GE(bits, 8) << "pair " << k;
        const long long cells = 1LL << bits;

        // the oracle: exact zeros on the grid with their multiplicities, and cells with a sign change
        struct Zero {
            double t;
            int multiplicity;
        };
        std::vector<Zero> zeros;
        std::vector<long long> changes;  // cells (j, j + 1)
        int previous = 0;
        for (long long j = 0; j <= cells; ++j) {
            const int s = signOf(scaledValue(d, j, bits));
            if (s == 0) {
                int m = 1;
                Coefficients f = differences(d);
                while (!f.empty() && signOf(scaledValue(f, j, bits)) == 0) {
                    ++m;
                    f = differences(f);
                }
                zeros.push_back({static_cast<double>(j) / static_cast<double>(cells), m});
            }
            if (s != 0 && previous != 0 && s != previous) changes.push_back(j - 1);
            if (s != 0) previous = s;
            if (s == 0) previous = 0;
        }

        const ExactIntersections r = intersect(a, b);
        SCOPED_TRACE("pair " + std::to_string(k) + " (kind " + std::to_string(kind) + ", " + std::to_string(n) +
                     " points); found:\n" + describe(r));
        ASSERT_TRUE(r.complete);
        EXPECT_TRUE(r.overlaps.empty());
        std::vector<bool> accounted(r.crossings.size(), false);
        // where on the segment the curve's point at t lies: inside it, beyond it, or too near an end to judge
        const long double ll = static_cast<long double>(ex) * ex + static_cast<long double>(ey) * ey;
        const auto onSegment = [&](double t) {
            const long double s = ((valueAt(a.x, t) - b.x[0]) * ex + (valueAt(a.y, t) - b.y[0]) * ey) / ll;
            return s > 1e-9L && s < 1 - 1e-9L ? 1 : (s < -1e-9L || s > 1 + 1e-9L ? 0 : -1);
        };
        bool crowd = false;
        for (const Zero& z : zeros) {
            const int where = onSegment(z.t);
            if (where != 1) {
                for (size_t i = 0; i < r.crossings.size(); ++i) {
                    if (std::fabs(r.crossings[i].t - z.t) <= 1e-15) accounted[i] = true;
                }
                crowd = crowd || where < 0;
                continue;
            }
            int found = 0;
            for (size_t i = 0; i < r.crossings.size(); ++i) {
                if (std::fabs(r.crossings[i].t - z.t) <= 1e-15) {
                    ++found;
                    accounted[i] = true;
                    EXPECT_EQ(r.crossings[i].touch, z.multiplicity > 1) << "at t=" << z.t;
                }
            }
            EXPECT_EQ(found, 1) << "at t=" << z.t << " of multiplicity " << z.multiplicity;
            multiple += z.multiplicity > 1 ? 1 : 0;
        }
        for (long long j : changes) {
            const double lo = static_cast<double>(j) / static_cast<double>(cells);
            const double hi = static_cast<double>(j + 1) / static_cast<double>(cells);
            const int whereLo = onSegment(lo);
            const int whereHi = onSegment(hi);
            if (whereLo != 1 || whereHi != 1) {
                // beyond the segment (or too near an end to judge): nothing or anything there
                int found = 0;
                for (size_t i = 0; i < r.crossings.size(); ++i) {
                    if (r.crossings[i].t > lo && r.crossings[i].t < hi) {
                        ++found;
                        accounted[i] = true;
                    }
                }
                if (whereLo == 0 && whereHi == 0) {
                    EXPECT_EQ(found, 0) << "beyond the segment in (" << lo << ", " << hi << ")";
                } else {
                    crowd = true;
                }
                continue;
            }
            int found = 0;
            for (size_t i = 0; i < r.crossings.size(); ++i) {
                if (r.crossings[i].t > lo && r.crossings[i].t < hi) {
                    ++found;
                    accounted[i] = true;
                    EXPECT_FALSE(r.crossings[i].touch) << "t=" << r.crossings[i].t;
                }
            }
            EXPECT_EQ(found % 2, 1) << "in (" << lo << ", " << hi << ")";
            crowd = crowd || found > 1;
        }
        // every other meeting would be a pair of roots inside one cell: rare, counted, not judged
        for (size_t i = 0; i < r.crossings.size(); ++i) crowd = crowd || !accounted[i];
        crowded += crowd ? 1 : 0;
        // and each is a point of both curves
        for (const CurveCrossing& c : r.crossings) {
            const long double gap =
                std::hypot(valueAt(a.x, c.t) - valueAt(b.x, c.s), valueAt(a.y, c.t) - valueAt(b.y, c.s));
            long double size = 1;
            for (long long v : a.x) size = std::max(size, static_cast<long double>(std::llabs(v)));
            EXPECT_LE(static_cast<double>(gap / size), 1e-13) << "t=" << c.t << " s=" << c.s;
        }
        ++pairs;
        roots += static_cast<int>(zeros.size() + changes.size());
    }
    EXPECT_GE(pairs, 500);
    EXPECT_LE(crowded, pairs / 50);
    EXPECT_GE(multiple, 100);  // the built touches, of multiplicity two or more
    std::printf("%d pairs, %d roots (%d multiple), %d with two roots in one grid cell\n", pairs, roots, multiple,
                crowded);
}

// ---------------------------------------------------------------------------------------------------
// Two curves on one line, folded at random.

TEST(ExactIntersectionOracle, CurvesOnOneLineCoverWhatTheOracleCovers) {
    std::mt19937 random(1718);
    std::uniform_int_distribution<int> along(-20, 20);
    std::uniform_int_distribution<int> direction(-3, 3);
    std::uniform_int_distribution<int> points(2, 7);
    constexpr int bits = 8;
    constexpr long long cells = 1LL << bits;
    int checked = 0;
    int stretches = 0;
    for (int k = 0; k < 300; ++k) {
        long long dx = direction(random), dy = direction(random);
        if (dx == 0 && dy == 0) dx = 1;
        const long long bx = along(random), by = along(random);
        Coefficients fa, fb;  // positions along the line, in steps of (dx, dy)
        for (int i = points(random); i > 0; --i) fa.push_back(along(random));
        for (int i = points(random); i > 0; --i) fb.push_back(along(random));
        if (k % 4 == 0) fb = {fa.front(), fa.back()};  // the first curve's own ends: a stretch at least
        const auto curve = [&](const Coefficients& f) {
            IntegerCurve c;
            for (long long v : f) {
                c.x.push_back(bx + v * dx);
                c.y.push_back(by + v * dy);
            }
            return c;
        };
        const bool pointA = std::all_of(fa.begin(), fa.end(), [&](long long v) { return v == fa[0]; });
        const bool pointB = std::all_of(fb.begin(), fb.end(), [&](long long v) { return v == fb[0]; });
        if (pointA || pointB) continue;
        const ExactIntersections r = intersect(curve(fa), curve(fb));
        SCOPED_TRACE("pair " + std::to_string(k) + "; found:\n" + describe(r));
        ASSERT_TRUE(r.complete);
        // the second curve's grid values, all on one scale with the first's: times 2^(bits * (na + nb))
        const int na = static_cast<int>(fa.size()) - 1, nb = static_cast<int>(fb.size()) - 1;
        Wide lowest = 0, highest = 0;
        for (long long j = 0; j <= cells; ++j) {
            const Wide v = scaledValue(fb, j, bits) * (static_cast<Wide>(1) << (bits * na));
            lowest = j == 0 ? v : std::min(lowest, v);
            highest = j == 0 ? v : std::max(highest, v);
        }
        // how far the second curve can bulge beyond its grid values: h^2 / 8 times its largest second derivative
        long long second = 0;
        const Coefficients d2 = differences(differences(fb));
        for (long long v : d2) second = std::max(second, std::llabs(v));
        const long double bulge = std::ldexp(static_cast<long double>(nb) * (nb - 1) * second / 8, -2 * bits);
        const long double scale = std::ldexp(1.0L, bits * (na + nb));
        for (long long j = 1; j < cells; ++j) {
            const Wide v = scaledValue(fa, j, bits) * (static_cast<Wide>(1) << (bits * nb));
            const double t = static_cast<double>(j) / static_cast<double>(cells);
            bool inside = false;    // a stretch holds t, or a meeting is at t
            bool strictly = false;  // a stretch holds t beyond rounding
            for (const CurveOverlap& o : r.overlaps) {
                inside = inside || (t >= o.t0 - 1e-12 && t <= o.t1 + 1e-12);
                strictly = strictly || (t > o.t0 + 1e-12 && t < o.t1 - 1e-12);
            }
            for (const CurveCrossing& c : r.crossings) inside = inside || std::fabs(c.t - t) <= 1e-12;
            if (v >= lowest && v <= highest) {
                EXPECT_TRUE(inside) << "t=" << t << " is on the second curve";
            } else {
                const long double beyond =
                    (v < lowest ? static_cast<long double>(lowest - v) : static_cast<long double>(v - highest)) / scale;
                if (beyond > bulge) {
                    EXPECT_FALSE(strictly) << "t=" << t << " is off the second curve";
                }
            }
        }
        // each stretch runs between points of both curves
        for (const CurveOverlap& o : r.overlaps) {
            EXPECT_NEAR(static_cast<double>(valueAt(fa, o.t0)), static_cast<double>(valueAt(fb, o.s0)), 1e-12);
            EXPECT_NEAR(static_cast<double>(valueAt(fa, o.t1)), static_cast<double>(valueAt(fb, o.s1)), 1e-12);
            EXPECT_LT(o.t0, o.t1);
        }
        stretches += static_cast<int>(r.overlaps.size());
        ++checked;
    }
    EXPECT_GE(checked, 250);
    EXPECT_GE(stretches, checked);
    std::printf("%d pairs on one line, %d stretches\n", checked, stretches);
}

}  // namespace

// The sign of (b - a) x (c - a) against the same sign in 128-bit integers, for integer coordinates scaled
// by one power of two: points exactly on the line through a and b, points a few units off it, points off
// it by random amounts, and points far out where the differences themselves round, at scales from far below one to far
// above (products from about 2^-920, where double alone is not trusted, to 2^920), where the cross product is far from
// zero, near it, and zero.
TEST(ExactIntersectionOracle, OrientationSignsMatchIntegerSigns) {
    std::mt19937_64 random(16);
    const long long range = 1LL << 40;
    std::uniform_int_distribution<long long> coordinate(-range, range);
    std::uniform_int_distribution<long long> offset(-3, 3);
    std::uniform_int_distribution<long long> direction(-(1LL << 20), 1LL << 20);
    std::uniform_int_distribution<long long> multiple(-(1LL << 19), 1LL << 19);
    int checked[3] = {0, 0, 0};  // negative, zero, positive
    for (const int scale : {-460, -440, -200, -40, 0, 30, 200, 400}) {
        for (int trial = 0; trial < 3000; ++trial) {
            // b and c on one line through a (multiples of one direction, so that the two products round
            // differently), c moved off it by a few units, or c anywhere
            long long ax = coordinate(random) / 2, ay = coordinate(random) / 2;
            const long long dx = direction(random), dy = direction(random);
            const long long m = multiple(random), k = multiple(random);
            long long bx = ax + m * dx, by = ay + m * dy;
            long long cx = ax + k * dx, cy = ay + k * dy;
            if (trial % 4 == 1) cx += offset(random);
            if (trial % 4 == 2) {
                cx = coordinate(random) / 2;
                cy = coordinate(random) / 2;
            }
            if (trial % 4 == 3) {
                // a far out (multiples of 2^7 up to 2^59), b small and odd, c near the middle of a and b,
                // moved by a few steps of 2^7: b - a is not a double, so its rounding is what decides
                ax = (coordinate(random) * (1LL << 19)) & ~127LL;
                ay = (coordinate(random) * (1LL << 19)) & ~127LL;
                bx = 2 * offset(random) + 1;
                by = 2 * offset(random) + 1;
                cx = ((ax + bx) / 2 & ~127LL) + 128 * offset(random);
                cy = ((ay + by) / 2 & ~127LL) + 128 * offset(random);
            }
            const Wide cross = static_cast<Wide>(bx - ax) * static_cast<Wide>(cy - ay) -
                               static_cast<Wide>(by - ay) * static_cast<Wide>(cx - ax);
            const int expected = cross > 0 ? 1 : (cross < 0 ? -1 : 0);
            const auto at = [&](long long v) { return std::ldexp(static_cast<double>(v), scale); };
            const int sign = exactmode::orientation(at(ax), at(ay), at(bx), at(by), at(cx), at(cy));
            ASSERT_EQ(sign, expected) << "scale 2^" << scale << ", a (" << ax << ", " << ay << "), b (" << bx << ", "
                                      << by << "), c (" << cx << ", " << cy << ")";
            ++checked[expected + 1];
        }
    }
    // each sign was met many times
    for (const int count : checked) EXPECT_GT(count, 1000);
}
