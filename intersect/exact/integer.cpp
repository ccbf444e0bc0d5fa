#include "intersect/exact/integer.h"

#include <cassert>
#include <cmath>

namespace exactmode {

namespace {

void trim(BigInteger& a) {
    while (!a.limbs.empty() && a.limbs.back() == 0) a.limbs.pop_back();
    if (a.limbs.empty()) a.negative = false;
}

// |a| compared with |b|
int compareMagnitude(const BigInteger& a, const BigInteger& b) {
    if (a.limbs.size() != b.limbs.size()) return a.limbs.size() < b.limbs.size() ? -1 : 1;
    for (size_t i = a.limbs.size(); i-- > 0;) {
        if (a.limbs[i] != b.limbs[i]) return a.limbs[i] < b.limbs[i] ? -1 : 1;
    }
    return 0;
}

// out = |a| + |b|: limb by limb from the lowest, each read before the same limb of out is written, so that
// out may be a or b (limbs beyond an operand's length, made when out grows, are zero)
void addMagnitudes(const BigInteger& a, const BigInteger& b, BigInteger& out) {
    const size_t na = a.limbs.size();
    const size_t nb = b.limbs.size();
    const size_t n = std::max(na, nb);
    out.limbs.resize(n + 1);
    uint64_t carry = 0;
    for (size_t i = 0; i < n; ++i) {
        const uint64_t s = carry + (i < na ? a.limbs[i] : 0) + (i < nb ? b.limbs[i] : 0);
        out.limbs[i] = static_cast<uint32_t>(s);
        carry = s >> 32;
    }
    out.limbs[n] = static_cast<uint32_t>(carry);
}

// out = |a| - |b| where |a| >= |b|, limb by limb as above
void subtractMagnitudes(const BigInteger& a, const BigInteger& b, BigInteger& out) {
    const size_t na = a.limbs.size();
    const size_t nb = b.limbs.size();
    out.limbs.resize(na);
    int64_t borrow = 0;
    for (size_t i = 0; i < na; ++i) {
        int64_t d = static_cast<int64_t>(a.limbs[i]) - borrow - (i < nb ? b.limbs[i] : 0);
        borrow = d < 0 ? 1 : 0;
        if (d < 0) d += int64_t{1} << 32;
        out.limbs[i] = static_cast<uint32_t>(d);
    }
}

// out = a + (-1)^negateB b
void signedSum(const BigInteger& a, const BigInteger& b, bool negateB, BigInteger& out) {
    const bool negativeA = a.negative;
    const bool negativeB = b.negative != negateB && !b.limbs.empty();
    if (negativeA == negativeB) {
        addMagnitudes(a, b, out);
        out.negative = negativeA;
    } else if (compareMagnitude(a, b) >= 0) {
        subtractMagnitudes(a, b, out);
        out.negative = negativeA;
    } else {
        subtractMagnitudes(b, a, out);
        out.negative = negativeB;
    }
    trim(out);
}

}  // namespace

int lowestBitExponent(double v) {
    int e;
    const double m = std::frexp(std::fabs(v), &e);  // v = m 2^e, m in [0.5, 1)
    auto bits = static_cast<uint64_t>(std::ldexp(m, 53));
    int shift = 0;
    while ((bits & 1) == 0) {  // at most 52 times: bits has its top bit set
        bits >>= 1;
        ++shift;
    }
    return e - 53 + shift;
}

void setInteger(BigInteger& out, double v, int exponent) {
    out.limbs.clear();
    out.negative = false;
    if (v == 0) return;
    int e;
    const double m = std::frexp(std::fabs(v), &e);
    const auto bits = static_cast<uint64_t>(std::ldexp(m, 53));  // v = bits 2^(e - 53)
    const int shift = e - 53 - exponent;
    // the low bits shifted out (shift < 0) are zero by the caller's choice of exponent
    const uint64_t whole = shift >= 0 ? bits : bits >> (-shift);
    out.limbs.push_back(static_cast<uint32_t>(whole));
    out.limbs.push_back(static_cast<uint32_t>(whole >> 32));
    out.negative = v < 0;
    trim(out);
    if (shift > 0) shiftLeft(out, shift, out);
}

void copyInteger(const BigInteger& a, BigInteger& out) {
    if (&a == &out) return;
    out.negative = a.negative;
    out.limbs.assign(a.limbs.begin(), a.limbs.end());
}

void shiftLeft(const BigInteger& a, int bits, BigInteger& out) {
    if (a.limbs.empty() || bits == 0) {
        copyInteger(a, out);
        return;
    }
    const size_t size = a.limbs.size();
    const size_t whole = static_cast<size_t>(bits / 32);
    const int part = bits % 32;
    out.negative = a.negative;
    out.limbs.resize(size + whole + 1);  // (a's limbs below size stay as they are where out is a)
    // from the highest limb down: limb i goes to i + whole and i + whole + 1, never below a limb still unread
    uint32_t above = 0;
    for (size_t i = size; i-- > 0;) {
        const uint32_t limb = a.limbs[i];
        out.limbs[i + whole + 1] = part == 0 ? above : (above | (limb >> (32 - part)));
        above = part == 0 ? limb : (limb << part);
    }
    out.limbs[whole] = above;
    for (size_t i = 0; i < whole; ++i) out.limbs[i] = 0;
    trim(out);
}

void add(const BigInteger& a, const BigInteger& b, BigInteger& out) { signedSum(a, b, false, out); }

void subtract(const BigInteger& a, const BigInteger& b, BigInteger& out) { signedSum(a, b, true, out); }

void multiply(const BigInteger& a, const BigInteger& b, BigInteger& out) {
    assert(&out != &a && &out != &b);
    out.limbs.clear();
    out.negative = false;
    if (a.limbs.empty() || b.limbs.empty()) return;
    out.limbs.assign(a.limbs.size() + b.limbs.size(), 0);
    for (size_t i = 0; i < a.limbs.size(); ++i) {
        uint64_t carry = 0;
        for (size_t j = 0; j < b.limbs.size(); ++j) {
            const uint64_t p = static_cast<uint64_t>(a.limbs[i]) * b.limbs[j] + out.limbs[i + j] + carry;
            out.limbs[i + j] = static_cast<uint32_t>(p);
            carry = p >> 32;
        }
        // the carry fits the next limb, which no earlier row has reached
        out.limbs[i + b.limbs.size()] = static_cast<uint32_t>(carry);
    }
    out.negative = a.negative != b.negative;
    trim(out);
}

}  // namespace exactmode
