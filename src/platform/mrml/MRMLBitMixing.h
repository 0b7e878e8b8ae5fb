#pragma once
// A hash for keys with a pattern in their bits: round coordinates (whose low mantissa bits
// are all zero), powers of two (whose whole mantissa is), runs of ids.  Every bit of the
// key reaches every bit of the result, so any slice of it spreads such keys evenly over a
// table (the finalizer of MurmurHash3, a bijection on 64 bits).

#include <cstdint>

namespace mrmlmodelfile {

inline std::uint64_t mixBits(std::uint64_t x)
{
    x ^= x >> 33;
    x *= 0xff51afd7ed558ccdull;
    x ^= x >> 33;
    x *= 0xc4ceb9fe1a85ec53ull;
    x ^= x >> 33;
    return x;
}

// Two 64-bit words, mixed so that swapped or shifted words give unrelated results.
inline std::uint64_t mixBits(std::uint64_t a, std::uint64_t b)
{
    return mixBits(mixBits(a) ^ (b + 0x9E3779B97F4A7C15ull));
}

} // namespace mrmlmodelfile
