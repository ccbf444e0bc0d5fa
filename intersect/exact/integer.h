// Integers of any size, for the exact fallback of the exact intersection: control points are floats or
// doubles, dyadic rationals, so after scaling by one power of two every quantity built from them by
// sums and products is an integer.
//
// Every operation writes into an integer the caller keeps: its limbs' storage is reused, so that integers
// kept from one call to the next (per thread) stop allocating once they have grown. Sums, differences and
// shifts may write into one of their operands; a product may not.
#pragma once

#include <cstdint>
#include <vector>

namespace exactmode {

struct BigInteger {
    bool negative = false;
    std::vector<uint32_t> limbs;  // magnitude, least significant first, no leading zero limbs

    int sign() const { return limbs.empty() ? 0 : (negative ? -1 : 1); }
};

// The exponent of the last significant bit of v (v finite and not zero): v * 2^-e is an odd integer.
int lowestBitExponent(double v);

// out = v * 2^-exponent, which must be an integer (exponent at most the exponent of v's last significant bit).
void setInteger(BigInteger& out, double v, int exponent);
// out = a + b, a - b (out may be a or b)
void add(const BigInteger& a, const BigInteger& b, BigInteger& out);
void subtract(const BigInteger& a, const BigInteger& b, BigInteger& out);
// out = a * b (out neither a nor b)
void multiply(const BigInteger& a, const BigInteger& b, BigInteger& out);
// out = a * 2^bits, bits >= 0 (out may be a)
void shiftLeft(const BigInteger& a, int bits, BigInteger& out);
// out = a (storage reused)
void copyInteger(const BigInteger& a, BigInteger& out);

}  // namespace exactmode
