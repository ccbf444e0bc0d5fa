// The exact intersection's integers against 128-bit integers: sums, differences, products and shifts of
// random values, written into a separate integer and into one of the operands (the exact root finder
// works in place), each result compared with the same operation in __int128, exactly.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "intersect/exact/integer.h"
#include "tests/support/wide_integer.h"

namespace {

using exactmode::BigInteger;

Wide wideOf(const BigInteger& v) {
    Wide magnitude = 0;
    for (size_t i = v.limbs.size(); i-- > 0;) magnitude = (magnitude << 32) | v.limbs[i];
    return v.negative ? -magnitude : magnitude;
}

std::string text(Wide v) {
    std::string digits;
    const bool negative = v < 0;
    Wide m = negative ? -v : v;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(m % 10)));
        m /= 10;
    } while (m != 0);
    return negative ? "-" + digits : digits;
}

// a random integer of up to `bits` bits and either sign, zero now and then
Wide randomWide(std::mt19937_64& random, int bits) {
    if (random() % 16 == 0) return 0;
    const int length = 1 + static_cast<int>(random() % static_cast<unsigned>(bits));
    Wide v = (static_cast<Wide>(random()) << 64) | random();
    v &= (static_cast<Wide>(1) << length) - 1;
    return random() % 2 == 0 ? v : -v;
}

TEST(ExactIntegers, ValuesFromDoublesAreExact) {
    const double values[] = {0.0, 1.0, -1.0, 0.75, -0x1.fffffffffffffp-3, 0x1p-1074, 3.0 * 0x1p60, -5.0 * 0x1p-40};
    for (double v : values) {
        if (v == 0) continue;
        const int low = exactmode::lowestBitExponent(v);
        BigInteger b;
        exactmode::setInteger(b, v, low);
        // v = b 2^low exactly, b odd
        EXPECT_EQ(std::ldexp(static_cast<double>(wideOf(b)), low), v) << v;
        EXPECT_NE(wideOf(b) % 2, 0) << v;
    }
    BigInteger shifted;
    exactmode::setInteger(shifted, 3.0, -40);  // 3 2^40
    EXPECT_EQ(wideOf(shifted), static_cast<Wide>(3) << 40);
}

TEST(ExactIntegers, SumsDifferencesProductsAndShiftsMatchWideIntegers) {
    std::mt19937_64 random(99);
    for (int k = 0; k < 3000; ++k) {
        const Wide x = randomWide(random, 100);
        const Wide y = randomWide(random, 100);
        BigInteger a, b, out;
        setWide(a, x);
        setWide(b, y);
        ASSERT_EQ(wideOf(a), x);
        SCOPED_TRACE("x = " + text(x) + ", y = " + text(y));

        exactmode::add(a, b, out);
        EXPECT_EQ(wideOf(out), x + y);
        exactmode::subtract(a, b, out);
        EXPECT_EQ(wideOf(out), x - y);
        // into an operand: the first, then the second
        BigInteger inA = a;
        exactmode::subtract(inA, b, inA);
        EXPECT_EQ(wideOf(inA), x - y);
        BigInteger inB = b;
        exactmode::subtract(a, inB, inB);
        EXPECT_EQ(wideOf(inB), x - y);
        inB = b;
        exactmode::add(a, inB, inB);
        EXPECT_EQ(wideOf(inB), x + y);
        BigInteger both = a;
        exactmode::add(both, both, both);
        EXPECT_EQ(wideOf(both), 2 * x);
        exactmode::subtract(both, both, both);
        EXPECT_EQ(both.sign(), 0);

        // products of values below 2^63, so that the product fits
        const Wide p = randomWide(random, 62);
        const Wide q = randomWide(random, 62);
        BigInteger bp, bq, product;
        setWide(bp, p);
        setWide(bq, q);
        exactmode::multiply(bp, bq, product);
        EXPECT_EQ(wideOf(product), p * q) << text(p) << " * " << text(q);

        // shifts of values below 2^60 by up to 60 bits, apart and in place
        const Wide v = randomWide(random, 60);
        const int bits = static_cast<int>(random() % 61);
        BigInteger bv, moved;
        setWide(bv, v);
        exactmode::shiftLeft(bv, bits, moved);
        EXPECT_EQ(wideOf(moved), v * (static_cast<Wide>(1) << bits)) << text(v) << " << " << bits;
        exactmode::shiftLeft(bv, bits, bv);
        EXPECT_EQ(wideOf(bv), v * (static_cast<Wide>(1) << bits)) << text(v) << " << " << bits << " in place";
    }
}

TEST(ExactIntegers, ResultsHaveNoLeadingZeroLimbsAndZeroHasNoSign) {
    BigInteger a, b, out;
    exactmode::setInteger(a, 0x1p40, 0);
    exactmode::setInteger(b, 0x1p40 - 1, 0);
    exactmode::subtract(a, b, out);  // 2^40 - (2^40 - 1) = 1: the upper limb cancels
    EXPECT_EQ(out.limbs.size(), 1u);
    EXPECT_EQ(wideOf(out), 1);
    exactmode::subtract(b, b, out);
    EXPECT_TRUE(out.limbs.empty());
    EXPECT_FALSE(out.negative);
    exactmode::setInteger(a, -3, 0);
    exactmode::setInteger(b, 0, 0);
    exactmode::multiply(a, b, out);
    EXPECT_EQ(out.sign(), 0);
    EXPECT_FALSE(out.negative);
}

}  // namespace
