// The exact intersection on one set of pairs, repeated, for counting instructions under callgrind (steadier
// than times on a shared machine). The count per pair is the difference between two runs over the
// difference in pairs intersected, which takes out the program's start:
//
//   valgrind --tool=callgrind --callgrind-out-file=/dev/null build/bench/exact_instructions quadratics 1
//   valgrind --tool=callgrind --callgrind-out-file=/dev/null build/bench/exact_instructions quadratics 6
//
// Cases: quadratics (peer_bench's 200 random quadratic pairs, seed 3, coordinates in [-1, 1)) and cubics
// (its 200 random cubic pairs, seed 4). Prints the pairs intersected and the meeting points found.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "bench/curve_pairs.h"
#include "intersect/exact.h"

using namespace benchpairs;

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: exact_instructions quadratics|cubics REPETITIONS\n");
        return 2;
    }
    std::vector<Pair> pairs;
    if (std::strcmp(argv[1], "quadratics") == 0) {
        pairs = randomCurves(3, 200, 3);
    } else if (std::strcmp(argv[1], "cubics") == 0) {
        pairs = randomCurves(4, 200, 4);
    } else {
        std::fprintf(stderr, "unknown case %s\n", argv[1]);
        return 2;
    }
    const int repetitions = std::atoi(argv[2]);
    ExactIntersections result;
    long found = 0;
    for (int r = 0; r < repetitions; ++r) {
        for (const Pair& p : pairs) {
            intersectExact(p.a.data(), static_cast<int>(p.a.size()), p.b.data(), static_cast<int>(p.b.size()), result);
            found += static_cast<long>(result.crossings.size() + result.overlaps.size());
        }
    }
    std::printf("%ld pairs, %ld meeting points and stretches\n",
                static_cast<long>(repetitions) * static_cast<long>(pairs.size()), found);
    return 0;
}
