// Prints what the exact intersection finds for about 24,500 seeded pairs of the kinds its polynomial paths
// answer, one line per pair and one per meeting point or stretch (parameters to 17 digits), so that two
// builds can be compared: scripts/compare_exact_dumps.py old.txt new.txt reports pairs that differ in what
// they find and the largest difference of a parameter.
//
//   build/bench/exact_paths_dump > new.txt
//
// Kinds: segments; curves on one line; curves against straight curves; cubics through the origin at
// t = 1/2 and lines through it (roots exactly at 1/2 and 1/4); quadratics against curves of up to 16
// points; quadratics and cubics through one point; a parabola and a line 2^-k from its vertex (near-double
// roots); cubics that touch (the exact second answer), also against curves of 5 to 11 points; curves
// x = y^n against lines near x = 0 (contact of high order); random quadratic pairs; straight curves of up
// to 32 points; curves against lines through their own control points; parabolas against their tangents.
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

#include "intersect/exact.h"

namespace {

using Polygon = std::vector<PointD>;

std::mt19937 random(12345);

double uniform(double low, double high) { return std::uniform_real_distribution<double>(low, high)(random); }
int whole(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }
double asFloat(double v) { return static_cast<double>(static_cast<float>(v)); }

Polygon randomCurve(int n, bool integer = false) {
    Polygon p;
    for (int i = 0; i < n; ++i) {
        if (integer) {
            p.push_back({static_cast<double>(whole(-20, 20)), static_cast<double>(whole(-20, 20))});
        } else {
            p.push_back({asFloat(uniform(-1, 1)), asFloat(uniform(-1, 1))});
        }
    }
    return p;
}

Polygon onLine(int n, PointD origin, PointD direction, bool integer) {
    Polygon p;
    for (int i = 0; i < n; ++i) {
        const double k = integer ? static_cast<double>(whole(-10, 10)) : asFloat(uniform(-1, 1));
        p.push_back({origin.x + k * direction.x, origin.y + k * direction.y});
    }
    return p;
}

// a cubic with integer control points through the origin at t = 1/2, tangent to the x axis there
Polygon cubicThroughOriginHalf() {
    const double y0 = whole(-9, 9), y1 = whole(-9, 9);
    const double x0 = whole(-9, 9), x1 = whole(-9, 9), x2 = whole(-9, 9);
    return {{x0, y0}, {x1, y1}, {x2, -y0 - 2 * y1}, {-x0 - 3 * x1 - 3 * x2, 2 * y0 + 3 * y1}};
}

void dump(const char* kind, int index, const Polygon& a, const Polygon& b) {
    ExactIntersections r;
    intersectExact(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), r);
    std::printf("%s %d n=%zu,%zu c=%zu o=%zu complete=%d\n", kind, index, a.size(), b.size(), r.crossings.size(),
                r.overlaps.size(), r.complete ? 1 : 0);
    for (const CurveCrossing& c : r.crossings) {
        std::printf(" x %.17g %.17g %.17g %.17g %d\n", c.t, c.s, c.x, c.y, c.touch ? 1 : 0);
    }
    for (const CurveOverlap& o : r.overlaps) std::printf(" o %.17g %.17g %.17g %.17g\n", o.t0, o.t1, o.s0, o.s1);
}

}  // namespace

int main() {
    const int count = 2000;
    for (int i = 0; i < count; ++i) dump("segments", i, randomCurve(2, i % 2 == 1), randomCurve(2, i % 2 == 1));
    for (int i = 0; i < count; ++i) {
        const PointD origin{static_cast<double>(whole(-5, 5)), static_cast<double>(whole(-5, 5))};
        const PointD direction{whole(-3, 3) + 0.5, static_cast<double>(whole(-3, 3))};
        const bool integer = i % 3 != 0;
        dump("oneline", i, onLine(whole(2, 7), origin, direction, integer),
             onLine(whole(2, 7), origin, direction, integer));
    }
    for (int i = 0; i < count; ++i) {
        const PointD origin{asFloat(uniform(-1, 1)), asFloat(uniform(-1, 1))};
        const PointD direction{asFloat(uniform(-1, 1)), asFloat(uniform(-1, 1))};
        const Polygon line = i % 4 == 0 ? onLine(whole(2, 5), origin, direction, false) : randomCurve(2, i % 2 == 1);
        dump("curveline", i, randomCurve(whole(3, 16), i % 2 == 1), line);
    }
    for (int i = 0; i < count; ++i) {
        Polygon c = cubicThroughOriginHalf();
        if (i % 2 == 1) {  // through the origin at t = 1/4 instead
            c[3] = {-(27 * c[0].x + 27 * c[1].x + 9 * c[2].x), -(27 * c[0].y + 27 * c[1].y + 9 * c[2].y)};
        }
        const double dx = whole(-5, 5), dy = whole(-5, 5);
        dump("dyadicroot", i, c, {{-dx, -dy}, {3 * dx + (i % 3 == 0 ? 0 : 1), 3 * dy}});
    }
    for (int i = 0; i < count; ++i)
        dump("quadratic", i, randomCurve(3, i % 5 == 0), randomCurve(whole(2, 16), i % 5 == 0));
    for (int i = 0; i < count; ++i) {
        // a quadratic through the origin at s = 1/2, against a cubic through it or its own mirror image
        const double x0 = whole(-9, 9), y0 = whole(-9, 9), x1 = whole(-9, 9), y1 = whole(-9, 9);
        const Polygon q{{x0, y0}, {x1, y1}, {-x0 - 2 * x1, -y0 - 2 * y1}};
        Polygon c = cubicThroughOriginHalf();
        if (i % 2 == 1) {
            c = q;
            for (PointD& p : c) p.y = -p.y;
        }
        dump("quadorigin", i, q, c);
    }
    for (int i = 0; i < count; ++i) {
        const double e = std::ldexp(1.0, -(10 + i % 50)) * (i % 2 == 1 ? 1 : -1);
        const double w = whole(1, 4);
        Polygon p{{-w, 1}, {0, -1}, {w, 1}};
        const Polygon line = i % 3 == 0 ? Polygon{{-2, e}, {2, e}} : Polygon{{-2, e}, {0, e}, {2, e}, {3, e}};
        if (i % 5 == 0) p = {{-w, 1}, {-w / 3, -1.0 / 3}, {w / 3, -1.0 / 3}, {w, 1}};  // the parabola as a cubic
        dump("neardouble", i, p, line);
        const Polygon shifted{{-w, 1 + e}, {0, -1 + e}, {w, 1 + e}};
        dump("neardoubleq", i, shifted,
             i % 2 == 1 ? Polygon{{-w, -1}, {0, 1}, {w, -1}} : Polygon{{-w, 1 - e}, {0, -1 - e}, {w / 2, 0}});
    }
    for (int i = 0; i < count; ++i) {
        const Polygon a = cubicThroughOriginHalf();
        Polygon b = a;
        for (PointD& p : b) {
            if (i % 4 == 0) p.y = -p.y;
            if (i % 4 == 1) p.y = 2 * p.y;
            if (i % 4 == 2) p.x = -p.x;
            if (i % 4 == 3) p.y = -p.y + std::ldexp(1.0, -(20 + i % 30));
        }
        dump("cubictouch", i, a, b);
        if (i % 4 == 0) dump("cubicmany", i, cubicThroughOriginHalf(), randomCurve(whole(5, 11), true));
    }
    for (int i = 0; i < 400; ++i) {
        const int n = 2 + i % 29;
        Polygon power;  // x = y^n
        for (int k = 0; k <= n; ++k) power.push_back({k % 2 == 0 ? 1.0 : -1.0, -1 + 2.0 * k / n});
        const int side = (i / 29) % 3;
        const double e = side == 0 ? 0 : std::ldexp(1.0, -(10 + i % 40)) * (side == 1 ? 1 : -1);
        dump("highcontact", i, power, {{e, -2}, {e, 2}});
        dump("highcontactq", i, power, {{e, -2}, {e + 1, 0}, {e, 2}});
    }
    for (int i = 0; i < count; ++i) dump("quadpair", i, randomCurve(3), randomCurve(3));
    for (int i = 0; i < 300; ++i) {
        const PointD origin{static_cast<double>(whole(-5, 5)), static_cast<double>(whole(-5, 5))};
        const PointD direction{1, static_cast<double>(whole(-3, 3))};
        const Polygon other =
            i % 3 != 0 ? randomCurve(whole(17, 32)) : onLine(whole(2, 32), origin, direction, i % 2 == 1);
        dump("long", i, onLine(whole(17, 32), origin, direction, i % 2 == 1), other);
    }
    for (int i = 0; i < 1000; ++i) {
        // a cubic against its mirror image elevated to 5..11 points (exact at 5, rounded beyond)
        const Polygon a = cubicThroughOriginHalf();
        Polygon m = a;
        for (PointD& p : m) p.y = -p.y;
        const size_t target = static_cast<size_t>(5 + i % 7);
        while (m.size() < target) {
            const size_t n = m.size();
            Polygon e{m[0]};
            for (size_t k = 1; k < n; ++k) {
                const double f = static_cast<double>(k) / static_cast<double>(n);
                e.push_back({f * m[k - 1].x + (1 - f) * m[k].x, f * m[k - 1].y + (1 - f) * m[k].y});
            }
            e.push_back(m[n - 1]);
            m = e;
        }
        dump("elevatedtouch", i, a, m);
    }
    for (int i = 0; i < 1000; ++i) {
        // integer curves against the line through their ends, or through two of their control points
        const Polygon c = randomCurve(whole(3, 12), true);
        const int last = static_cast<int>(c.size()) - 1;
        const PointD p = i % 2 == 1 ? c.front() : c[static_cast<size_t>(whole(0, last))];
        const PointD q = i % 2 == 1 ? c.back() : c[static_cast<size_t>(whole(0, last))];
        if (p.x == q.x && p.y == q.y) continue;
        dump("endline", i, c, {p, q});
    }
    for (int i = 0; i < 1000; ++i) {
        // y = h x^2 / w^2 over [-w, w] against its tangent at x = t
        const double w = whole(1, 9), h = whole(1, 9), t = whole(-5, 5) / 5.0 * w;
        const double slope = 2 * h * t / (w * w), y = h * t * t / (w * w);
        dump("tangentline", i, {{-w, h}, {0, -h}, {w, h}}, {{t - 1, y - slope}, {t + 1, y + slope}});
    }
    return 0;
}
