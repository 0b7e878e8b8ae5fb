#pragma once
// Keys a hostile file would hold: chosen against a hash that takes no seed, so that they
// all share one slot or bucket of the table that hash fed.  A test passes such keys to a
// table that now takes the process's seed and counts the slots it walks; the unseeded hash
// each test names is the attacker's model of the table as it was, kept in the test only.

#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

namespace PelmoraTest {

// The first `count` candidates, in the order `next` gives them, whose place under `place`
// is 0.  `next(Key&)` steps to the next candidate and is false when there is none.
template <class Key, class Next, class Place>
std::vector<Key> keysSharingPlaceZero(std::size_t count, Key first, Next next, Place place)
{
    std::vector<Key> chosen;
    for (Key key = first; chosen.size() < count;) {
        if (place(key) == 0)
            chosen.push_back(key);
        if (!next(key))
            break;
    }
    return chosen;
}

// The same number of keys as a fair input would hold: any candidates, picked at random
// (a fixed generator, so every run makes the same ones).
template <class Key, class Next>
std::vector<Key> keysAtRandom(std::size_t count, Key first, Next next, std::uint32_t oneIn)
{
    std::mt19937 pick(20261208);
    std::vector<Key> kept;
    for (Key key = first; kept.size() < count;) {
        if (pick() % oneIn == 0)
            kept.push_back(key);
        if (!next(key))
            break;
    }
    return kept;
}

} // namespace PelmoraTest
