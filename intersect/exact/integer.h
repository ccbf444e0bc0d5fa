// Integers of any size, for the exact fallback of the exact intersection: control points are floats or
// doubles, dyadic rationals, so after scaling by one power of two every quantity built from them by
// sums and products is an integer.
#pragma once

#include <cstdint>
#include <vector>

namespace exactmode {

struct BigInteger {
    bool negative = false;
    std::vector<uint32_t> limbs;  // magnitude, least significant first, no leading zero limbs

    int sign() const { return limbs.empty() ? 0 : (negative ? -1 : 1); }
};

// v * 2^-exponent, which must be an integer (exponent at most the exponent of v's last significant bit).
BigInteger exactInteger(double v, int exponent);
// The exponent of the last significant bit of v (v finite and not zero): v * 2^-e is an odd integer.
int lowestBitExponent(double v);

BigInteger operator+(const BigInteger& a, const BigInteger& b);
BigInteger operator-(const BigInteger& a, const BigInteger& b);
BigInteger operator*(const BigInteger& a, const BigInteger& b);
BigInteger shiftedLeft(const BigInteger& a, int bits);

}  // namespace exactmode
