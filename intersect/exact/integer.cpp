#include "intersect/exact/integer.h"

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

// |a| + |b|
std::vector<uint32_t> addMagnitudes(const BigInteger& a, const BigInteger& b) {
    const size_t n = std::max(a.limbs.size(), b.limbs.size());
    std::vector<uint32_t> out(n + 1);
    uint64_t carry = 0;
    for (size_t i = 0; i < n; ++i) {
        const uint64_t s = carry + (i < a.limbs.size() ? a.limbs[i] : 0) + (i < b.limbs.size() ? b.limbs[i] : 0);
        out[i] = static_cast<uint32_t>(s);
        carry = s >> 32;
    }
    out[n] = static_cast<uint32_t>(carry);
    return out;
}

// |a| - |b| where |a| >= |b|
std::vector<uint32_t> subtractMagnitudes(const BigInteger& a, const BigInteger& b) {
    std::vector<uint32_t> out(a.limbs.size());
    int64_t borrow = 0;
    for (size_t i = 0; i < a.limbs.size(); ++i) {
        int64_t d = static_cast<int64_t>(a.limbs[i]) - borrow - (i < b.limbs.size() ? b.limbs[i] : 0);
        borrow = d < 0 ? 1 : 0;
        if (d < 0) d += int64_t{1} << 32;
        out[i] = static_cast<uint32_t>(d);
    }
    return out;
}

}  // namespace

int lowestBitExponent(double v) {
    int e;
    const double m = std::frexp(std::fabs(v), &e);  // v = m 2^e, m in [0.5, 1)
    auto bits = static_cast<uint64_t>(std::ldexp(m, 53));
    int shift = 0;
    while ((bits & 1) == 0) {
        bits >>= 1;
        ++shift;
    }
    return e - 53 + shift;
}

BigInteger exactInteger(double v, int exponent) {
    BigInteger out;
    if (v == 0) return out;
    int e;
    const double m = std::frexp(std::fabs(v), &e);
    const auto bits = static_cast<uint64_t>(std::ldexp(m, 53));  // v = bits 2^(e - 53)
    out.limbs = {static_cast<uint32_t>(bits), static_cast<uint32_t>(bits >> 32)};
    out.negative = v < 0;
    trim(out);
    const int shift = e - 53 - exponent;
    if (shift >= 0) return shiftedLeft(out, shift);
    // the low bits shifted out are zero by the caller's choice of exponent
    const uint64_t whole = bits >> (-shift);
    out.limbs = {static_cast<uint32_t>(whole), static_cast<uint32_t>(whole >> 32)};
    trim(out);
    return out;
}

BigInteger shiftedLeft(const BigInteger& a, int bits) {
    if (a.limbs.empty() || bits == 0) return a;
    BigInteger out;
    out.negative = a.negative;
    const int whole = bits / 32;
    const int part = bits % 32;
    out.limbs.assign(static_cast<size_t>(whole), 0);
    uint32_t carry = 0;
    for (uint32_t limb : a.limbs) {
        out.limbs.push_back(part == 0 ? limb : ((limb << part) | carry));
        carry = part == 0 ? 0 : limb >> (32 - part);
    }
    if (carry != 0) out.limbs.push_back(carry);
    return out;
}

BigInteger operator+(const BigInteger& a, const BigInteger& b) {
    BigInteger out;
    if (a.negative == b.negative) {
        out.limbs = addMagnitudes(a, b);
        out.negative = a.negative;
    } else if (compareMagnitude(a, b) >= 0) {
        out.limbs = subtractMagnitudes(a, b);
        out.negative = a.negative;
    } else {
        out.limbs = subtractMagnitudes(b, a);
        out.negative = b.negative;
    }
    trim(out);
    return out;
}

BigInteger operator-(const BigInteger& a, const BigInteger& b) {
    BigInteger negated = b;
    negated.negative = !b.negative && !b.limbs.empty();
    return a + negated;
}

BigInteger operator*(const BigInteger& a, const BigInteger& b) {
    BigInteger out;
    if (a.limbs.empty() || b.limbs.empty()) return out;
    out.limbs.assign(a.limbs.size() + b.limbs.size(), 0);
    for (size_t i = 0; i < a.limbs.size(); ++i) {
        uint64_t carry = 0;
        for (size_t j = 0; j < b.limbs.size(); ++j) {
            const uint64_t p = static_cast<uint64_t>(a.limbs[i]) * b.limbs[j] + out.limbs[i + j] + carry;
            out.limbs[i + j] = static_cast<uint32_t>(p);
            carry = p >> 32;
        }
        size_t k = i + b.limbs.size();
        while (carry != 0) {
            const uint64_t s = static_cast<uint64_t>(out.limbs[k]) + carry;
            out.limbs[k] = static_cast<uint32_t>(s);
            carry = s >> 32;
            ++k;
        }
    }
    out.negative = a.negative != b.negative;
    trim(out);
    return out;
}

}  // namespace exactmode
