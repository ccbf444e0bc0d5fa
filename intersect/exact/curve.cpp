#include "intersect/exact/curve.h"

namespace exactmode {

Binomials::Binomials() {
    for (int n = 0; n < maxPoints; ++n) {
        c[n][0] = c[n][n] = 1;
        for (int k = 1; k < n; ++k) c[n][k] = c[n - 1][k - 1] + c[n - 1][k];
        for (int k = n + 1; k < maxPoints; ++k) c[n][k] = 0;
    }
}

const Binomials binomials;

void Horner::set(const double* px, const double* py, int count) {
    d = count - 1;
    for (int i = 0; i < count; ++i) {
        xy[i][0] = binomials.c[d][i] * px[i];
        xy[i][1] = binomials.c[d][i] * py[i];
    }
}

void Curve::set(const double* px, const double* py, int count) {
    n = count;
    for (int i = 0; i < n; ++i) {
        x[i] = px[i];
        y[i] = py[i];
    }
    position.set(x, y, n);
    // hodograph: d (P[i + 1] - P[i]), then once more
    double dx[maxPoints], dy[maxPoints];
    const int d = n - 1;
    for (int i = 0; i < d; ++i) {
        dx[i] = d * (x[i + 1] - x[i]);
        dy[i] = d * (y[i + 1] - y[i]);
    }
    velocity.set(dx, dy, d);
    for (int i = 0; i + 1 < d; ++i) {
        dx[i] = (d - 1) * (dx[i + 1] - dx[i]);
        dy[i] = (d - 1) * (dy[i + 1] - dy[i]);
    }
    acceleration.set(dx, dy, d - 1);
}

Vec pointAt(const Curve& c, double t) {
    Vec p;
    c.position.at(t, p.x, p.y);
    return p;
}

Vec velocityAt(const Curve& c, double t) {
    Vec p;
    c.velocity.at(t, p.x, p.y);
    return p;
}

Vec accelerationAt(const Curve& c, double t) {
    Vec p;
    c.acceleration.at(t, p.x, p.y);
    return p;
}

}  // namespace exactmode
