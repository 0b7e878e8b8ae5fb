#pragma once
// A hash for keys with a pattern in their bits: round coordinates (whose low mantissa bits
// are all zero), powers of two (whose whole mantissa is), runs of ids.  Every bit of the
// key reaches every bit of the result, so any slice of it spreads such keys evenly over a
// table (the finalizer of MurmurHash3, a bijection on 64 bits).

#include <chrono>
#include <cstdlib>
#include <cstdint>
#include <random>

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

// A number drawn once for the process.  Tables whose keys come from a file (coordinates,
// point ids) mix it in: the finalizer above can be run backwards, so a file could
// otherwise be made whose keys all land in one slot, and each lookup would walk them all.
inline std::uint64_t hashSeed()
{
    static const std::uint64_t seed = [] {
        // Set for the tests only, so that the work they count is the same on every run.
        if (const char* fixed = std::getenv("PELMORA_HASH_SEED")) {
            char* end = nullptr;
            const unsigned long long value = std::strtoull(fixed, &end, 10);
            if (end != fixed && *end == '\0')
                return std::uint64_t(value);
        }
        std::uint64_t drawn = 0;
        try {
            std::random_device device;
            drawn = (std::uint64_t(device()) << 32) ^ device();
        } catch (...) {
            // No source of entropy: the clock and where this process's data lies.
        }
        static const char here = 0;
        drawn ^= mixBits(std::uint64_t(std::chrono::steady_clock::now().time_since_epoch().count())
                         ^ reinterpret_cast<std::uintptr_t>(&here));
        return drawn;
    }();
    return seed;
}

// mixBits(a, b) under a seed; a seed of 0 gives mixBits(a, b).
inline std::uint64_t mixBits(std::uint64_t a, std::uint64_t b, std::uint64_t seed)
{
    return mixBits(mixBits(a ^ seed) ^ (b + 0x9E3779B97F4A7C15ull + seed));
}

} // namespace mrmlmodelfile
