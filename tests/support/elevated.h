// Degree elevation for tests and benchmarks: the same curve with one control point more. Each new point is
// formed in double from its two neighbours, i / n of the one before and the rest of the one after, and
// rounded once to the coordinate type (exact for a segment, and for coordinates that are small multiples
// of n). The ends stay as they are.
#pragma once

#include <cstddef>
#include <vector>

template <class P>
std::vector<P> elevated(const std::vector<P>& c) {
    using Coordinate = decltype(P::x);
    const size_t n = c.size();  // at least one point
    std::vector<P> out(n + 1);
    out[0] = c[0];
    out[n] = c[n - 1];
    for (size_t i = 1; i < n; ++i) {
        const double f = static_cast<double>(i) / static_cast<double>(n);
        out[i] = P{static_cast<Coordinate>(f * c[i - 1].x + (1 - f) * c[i].x),
                   static_cast<Coordinate>(f * c[i - 1].y + (1 - f) * c[i].y)};
    }
    return out;
}
