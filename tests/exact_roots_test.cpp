// The certified root finder of the exact intersection on polynomials built from their roots, so that the
// answer is known independently: products of linear factors (q t - p), with integer p and q, whose
// Bernstein coefficients (times a common integer) are exact integers, given to the root finder both in
// double-double (exactly) and as exact integers. Roots close together, roots exactly at subdivision
// points, a double root, and near-double roots that are two roots or none.
#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "intersect/exact/polynomial.h"
#include "testing.h"
#include "tests/support/wide_integer.h"

namespace {

using exactmode::BigInteger;
using exactmode::PolynomialRoot;
using exactmode::Twofold;

// A linear factor q t - p, root p / q.
struct Factor {
    long long p;
    long long q;
};

long long choose(int n, int k) {
    long long c = 1;
    for (int i = 1; i <= k; ++i) c = c * (n - k + i) / i;
    return c;
}

long long lcm(long long a, long long b) {
    long long x = a, y = b;
    while (y != 0) {
        const long long r = x % y;
        x = y;
        y = r;
    }
    return a / x * b;
}

// The Bernstein coefficients of the product of the factors plus `shift` (times the common multiple of the
// binomials, so that they are integers): q t - p = (q - p) t + (-p) (1 - t) has the scaled coefficients
// (-p, q - p), products of scaled coefficients are convolutions, and the Bernstein coefficient k is the
// scaled one over C(n, k). A constant added to the polynomial is added to every Bernstein coefficient.
std::vector<Wide> coefficients(const std::vector<Factor>& factors, long long shift) {
    std::vector<Wide> scaled{1};
    for (const Factor& f : factors) {
        std::vector<Wide> next(scaled.size() + 1, 0);
        for (size_t i = 0; i < scaled.size(); ++i) {
            next[i] += scaled[i] * -f.p;
            next[i + 1] += scaled[i] * (f.q - f.p);
        }
        scaled = next;
    }
    const int n = static_cast<int>(factors.size());
    long long multiple = 1;
    for (int k = 0; k <= n; ++k) multiple = lcm(multiple, choose(n, k));
    std::vector<Wide> out;
    for (int k = 0; k <= n; ++k)
        out.push_back(scaled[static_cast<size_t>(k)] * (multiple / choose(n, k)) + Wide{shift} * multiple);
    return out;
}

// v as a double-double, exactly (|v| below 2^106)
Twofold twofoldOf(Wide v) {
    const double hi = static_cast<double>(v);
    const double lo = static_cast<double>(v - static_cast<Wide>(hi));
    return exactmode::twofoldSum(hi, lo);
}

struct Expected {
    double t;
    int multiplicity;
};

struct RootCase {
    std::string name;
    std::vector<Factor> factors;
    long long shift;                 // added to the product
    std::vector<Expected> expected;  // in increasing order
    double tolerance;                // on each root's place
};

std::vector<RootCase> rootCases() {
    const long long third30 = 3LL << 30;  // roots p / (3 2^30): never a subdivision point
    const long long third45 = 3LL << 45;
    return {
        {"TwoRootsTwoToTheMinus30Apart",
         {{1000000000, third30}, {1000000003, third30}, {7, 8}},
         0,
         {{1000000000.0 / third30, 1}, {1000000003.0 / third30, 1}, {7.0 / 8, 1}},
         1e-15},
        {"TwoRootsTwoToTheMinus45Apart",
         {{30000000000000, third45}, {30000000000003, third45}},
         0,
         {{30000000000000.0 / third45, 1}, {30000000000003.0 / third45, 1}},
         1e-15},
        {"RootsBelowTheResolutionAreOneCluster", {{1, 3}, {1, 3}}, 0, {{1.0 / 3, 2}}, 1e-12},
        {"TripleRootAtOneHalfIsExact", {{1, 2}, {1, 2}, {1, 2}, {-1, 1}}, 0, {{0.5, 3}}, 0},
        {"RootsAtAQuarterAndThreeQuartersAreExact", {{1, 4}, {3, 4}, {5, 3}}, 0, {{0.25, 1}, {0.75, 1}}, 0},
        {"DoubleRootAtAQuarterAmongSimpleOnes",
         {{1, 4}, {1, 4}, {1, 3}, {9, 10}},
         0,
         {{0.25, 2}, {1.0 / 3, 1}, {0.9, 1}},
         1e-15},
        {"RootsAtBothEnds", {{0, 1}, {0, 1}, {1, 1}, {2, 5}}, 0, {{0, 2}, {0.4, 1}, {1, 1}}, 1e-15},
        // (3 2^30 t - p)^2 lifted by 1 has no real root; lowered by 1, two roots 2 / (3 2^30) apart
        {"NearDoubleRootLiftedIsNoRoot", {{1000000001, third30}, {1000000001, third30}}, 1, {}, 0},
        {"NearDoubleRootLoweredIsTwoRoots",
         {{1000000001, third30}, {1000000001, third30}},
         -1,
         {{1000000000.0 / third30, 1}, {1000000002.0 / third30, 1}},
         1e-15},
        // the same times (5 t - 1) (t + 1), positive near the pair: roots near (p -+ 1.06) / q, and 0.2
        {"NearDoubleRootOfDegreeFourLowered",
         {{1000000001, third30}, {1000000001, third30}, {1, 5}, {-1, 1}},
         -1,
         {{0.2, 1}, {1000000000.0 / third30, 1}, {1000000002.0 / third30, 1}},
         1e-10},
    };
}

void PrintTo(const RootCase& rc, std::ostream* os) { *os << rc.name; }

class RootCases : public ::testing::TestWithParam<RootCase> {};

TEST_P(RootCases, FindsTheRootsTheFactorsGive) {
    const RootCase& rc = GetParam();
    const std::vector<Wide> w = coefficients(rc.factors, rc.shift);
    const int degree = static_cast<int>(w.size()) - 1;
    Twofold c[32];
    double largest = 0;
    for (int i = 0; i <= degree; ++i) {
        c[i] = twofoldOf(w[static_cast<size_t>(i)]);
        largest = std::max(largest, std::fabs(c[i].hi));
    }
    int exactCalls = 0;
    const auto exact = [&](BigInteger* out) {
        ++exactCalls;
        for (int i = 0; i <= degree; ++i) setWide(out[i], w[static_cast<size_t>(i)]);
    };
    std::vector<PolynomialRoot> roots;
    exactmode::bernsteinRoots(c, degree, std::ldexp(largest, -90), exact, roots);
    std::string found;
    for (const PolynomialRoot& r : roots) found += " " + std::to_string(r.t) + "x" + std::to_string(r.multiplicity);
    SCOPED_TRACE("found:" + found);
    ASSERT_EQ(roots.size(), rc.expected.size());
    for (size_t i = 0; i < roots.size(); ++i) {
        EXPECT_NEAR(roots[i].t, rc.expected[i].t, rc.tolerance) << "root " << i;
        EXPECT_EQ(roots[i].multiplicity, rc.expected[i].multiplicity) << "root " << i;
    }
    EXPECT_LE(exactCalls, 1);  // made once at most
}

INSTANTIATE_TEST_SUITE_P(Polynomials, RootCases, ::testing::ValuesIn(rootCases()), RowName());

// Random products of two to six factors with roots on a fine grid, many of them close together or equal:
// the count of distinct roots, each root's place and the multiplicities' sum, against the construction.
// Newton's method must not crawl where the slope is a difference of far larger coefficients.
// (The coefficients stay below 2^106, so that double-double holds them exactly: q^n times the binomials'
// common multiple.)
TEST(ExactRootsRandom, ClustersOfCloseRootsAreCountedOneByOne) {
    std::mt19937 random(4242);
    std::uniform_int_distribution<int> count(2, 6);
    std::uniform_int_distribution<int> gap(0, 3);
    for (int k = 0; k < 400; ++k) {
        const int n = count(random);
        const long long q = n <= 3 ? 3LL << 28 : 3LL << 14;  // roots p / q, at least 1 / q apart
        std::uniform_int_distribution<long long> place(1, q / 2);
        std::vector<Factor> factors;
        long long p = place(random);
        for (int i = 0; i < n; ++i) {
            factors.push_back({p, q});
            p = std::min(q - 1, p + gap(random) * (k % 2 == 0 ? 1 : 1000));
        }
        std::vector<long long> distinct;
        for (const Factor& f : factors) {
            if (distinct.empty() || distinct.back() != f.p) distinct.push_back(f.p);
        }
        const std::vector<Wide> w = coefficients(factors, 0);
        Twofold c[32];
        double largest = 0;
        for (int i = 0; i <= n; ++i) {
            c[i] = twofoldOf(w[static_cast<size_t>(i)]);
            largest = std::max(largest, std::fabs(c[i].hi));
        }
        const auto exact = [&](BigInteger* out) {
            for (int i = 0; i <= n; ++i) setWide(out[i], w[static_cast<size_t>(i)]);
        };
        std::vector<PolynomialRoot> roots;
        exactmode::bernsteinRoots(c, n, std::ldexp(largest, -90), exact, roots);
        std::string text = "case " + std::to_string(k) + " q " + std::to_string(q) + " factors";
        for (const Factor& f : factors) text += " " + std::to_string(f.p);
        text += " found";
        for (const PolynomialRoot& r : roots) {
            text += " " + std::to_string(r.t * static_cast<double>(q)) + "x" + std::to_string(r.multiplicity) +
                    (r.cluster ? "c" : "");
        }
        SCOPED_TRACE(text);
        ASSERT_EQ(roots.size(), distinct.size());
        int total = 0;
        for (size_t i = 0; i < roots.size(); ++i) {
            // (six roots within 1e-4 are ill-conditioned: double-double values place them within about 1e-13)
            EXPECT_NEAR(roots[i].t, static_cast<double>(distinct[i]) / static_cast<double>(q), 1e-12);
            total += roots[i].multiplicity;
        }
        EXPECT_EQ(total, n);
    }
}

}  // namespace
