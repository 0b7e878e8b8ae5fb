#pragma once
// Counts the work of a path as the steps a counter in the code keeps: entries visited,
// probes, cells read.  Allocations alone miss a walk over what is already there that
// allocates nothing; such a counter sees it.  The counters are per thread and count in
// every build, the sanitizers' included.

#include <gtest/gtest.h>

#include <cstdint>

namespace PelmoraTest {

// The steps `counter` has advanced since start().
class StepMeter
{
public:
    using Counter = std::uint64_t (*)();
    explicit StepMeter(Counter c) : counter(c) { start(); }
    void start() { begin = counter(); }
    std::uint64_t elapsed() const { return counter() - begin; }

private:
    Counter counter;
    std::uint64_t begin = 0;
};

// Passes when `larger` steps (for `times` the work of `smaller`) stay within `limit` times
// `smaller`: a path whose cost grows with what is already there goes far past it.
inline ::testing::AssertionResult stepsGrowAtMost(std::uint64_t smaller, std::uint64_t larger, double limit)
{
    if (smaller > 0 && double(larger) <= limit * double(smaller))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << larger << " steps where " << smaller << " steps for the smaller part allow at most "
                                         << limit << " times as many";
}

} // namespace PelmoraTest
