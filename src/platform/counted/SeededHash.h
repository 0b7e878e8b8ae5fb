#pragma once
// Hashing for tables whose keys come from outside: a file, a paste, a message.  Keys with
// a pattern in their bits (round coordinates, powers of two, runs of ids) spread evenly,
// because every bit of the key reaches every bit of the result (the finalizer of
// MurmurHash3, a bijection on 64 bits).  A fixed mixing can be run backwards, though, and
// a file could then be made whose keys all land in one slot, each look-up walking them
// all: every such table mixes in a number drawn once for the process.

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

namespace Counted {

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

// The number drawn once for the process.
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

// One key word under the process's seed.
inline std::uint64_t seededHash(std::uint64_t key)
{
    return mixBits(key, 0, hashSeed());
}

// Bytes (a name, a path) under the process's seed: eight at a time, the length first.
inline std::uint64_t seededHash(std::string_view bytes)
{
    const std::uint64_t seed = hashSeed();
    std::uint64_t h = mixBits(bytes.size(), 0, seed);
    std::size_t at = 0;
    for (; at + 8 <= bytes.size(); at += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes.data() + at, 8);
        h = mixBits(h, word, seed);
    }
    if (at < bytes.size()) {
        std::uint64_t word = 0;
        std::memcpy(&word, bytes.data() + at, bytes.size() - at);
        h = mixBits(h, word, seed);
    }
    return h;
}

// The hash of the process's tables: integers, enumerations, texts and pairs of integers
// under the seed; anything else (a pointer, whose value no input chooses) as std::hash.
template <class Key, class = void>
struct SeededHash : std::hash<Key>
{
};

template <class Key>
struct SeededHash<Key, std::enable_if_t<std::is_integral<Key>::value || std::is_enum<Key>::value>>
{
    std::size_t operator()(Key key) const { return static_cast<std::size_t>(seededHash(static_cast<std::uint64_t>(key))); }
};

template <>
struct SeededHash<std::string>
{
    std::size_t operator()(const std::string& key) const { return static_cast<std::size_t>(seededHash(std::string_view(key))); }
};

template <>
struct SeededHash<std::string_view>
{
    std::size_t operator()(std::string_view key) const { return static_cast<std::size_t>(seededHash(key)); }
};

template <class A, class B>
struct SeededHash<std::pair<A, B>, std::enable_if_t<std::is_integral<A>::value && std::is_integral<B>::value>>
{
    std::size_t operator()(const std::pair<A, B>& key) const
    {
        return static_cast<std::size_t>(
            mixBits(static_cast<std::uint64_t>(key.first), static_cast<std::uint64_t>(key.second), hashSeed()));
    }
};

} // namespace Counted
