#pragma once
// Counts the work of a path as the steps a counter in the code keeps: entries visited,
// probes, cells read.  Allocations alone miss a walk over what is already there that
// allocates nothing; such a counter sees it.  The counters are per thread and count in
// every build, the sanitizers' included.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>

namespace PelmoraTest {

// A row of a table of ways to reach a counted container: what it does, and the fewest and
// most steps it may count.
struct StepRow
{
    const char* way;
    std::function<void()> act;
    std::uint64_t least, most;
};

// Runs each row in turn and checks the steps `counter` counted for it.
template <std::size_t N>
void expectStepsOfEachRow(std::uint64_t& (*counter)(), const StepRow (&rows)[N])
{
    for (const StepRow& row : rows) {
        const std::uint64_t before = counter();
        row.act();
        const std::uint64_t spent = counter() - before;
        EXPECT_GE(spent, row.least) << row.way;
        EXPECT_LE(spent, row.most) << row.way;
    }
}

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

// The steps of the same work done at growing sizes in two ways (two orders, say): each size
// at least one step per element, the two ways within twice each other, and each size
// within 1.5 times its share of the steps of the size before (the steps of a path that
// turns the event loop include whatever timers fire there, a few per cent from run to run;
// a walk per element multiplies them by the size).  Given `perElement`, each
// size also at most that many steps per element: a cost that grows with the size (in both
// ways alike) then fails at the first size, before a larger one costs its square.
class ChainSteps
{
public:
    explicit ChainSteps(std::uint64_t perElement = 0) : perElement(perElement) {}

    ::testing::AssertionResult expectLinear(int size, const std::uint64_t (&steps)[2])
    {
        const std::uint64_t fewer = std::min(steps[0], steps[1]);
        const std::uint64_t more = std::max(steps[0], steps[1]);
        ::testing::AssertionResult result = fewer < std::uint64_t(size)
            ? ::testing::AssertionFailure() << fewer << " steps for " << size << " elements"
            : perElement > 0 && more > perElement * std::uint64_t(size)
            ? ::testing::AssertionFailure() << more << " steps for " << size << " elements, more than " << perElement
                                            << " each"
            : stepsGrowAtMost(fewer, more, 2);
        if (result && lastSize > 0)
            result = stepsGrowAtMost(lastMore, more, 1.5 * size / lastSize);
        lastSize = size;
        lastMore = more;
        return result << " (" << steps[0] << " and " << steps[1] << " steps at " << size << ")";
    }

private:
    std::uint64_t perElement = 0;
    int lastSize = 0;
    std::uint64_t lastMore = 0;
};

} // namespace PelmoraTest
