// 128-bit integers beside the exact intersection's own integers, for tests: the one made exactly from the
// other through two doubles.
#pragma once

#include "intersect/exact/integer.h"

__extension__ typedef __int128 Wide;

// out = v, for |v| below 2^106 (two doubles hold it exactly)
inline void setWide(exactmode::BigInteger& out, Wide v) {
    const double hi = static_cast<double>(v);
    const double lo = static_cast<double>(v - static_cast<Wide>(hi));
    exactmode::BigInteger low;
    exactmode::setInteger(out, hi, 0);
    exactmode::setInteger(low, lo, 0);
    exactmode::add(out, low, out);
}
