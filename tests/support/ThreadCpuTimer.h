#pragma once
// Measures the processor time of the thread that started it. Unlike a wall clock it does
// not grow when a loaded machine (parallel tests, a busy build host) takes the processor
// away, so checks that compare the cost of two phases stay meaningful under load.

#include <cstdint>
#include <ctime>

namespace PelmoraTest {

class ThreadCpuTimer
{
public:
    ThreadCpuTimer() { start(); }
    // Starts again on the calling thread: later readings are of this thread's clock, from
    // whichever thread they are taken.
    void start();
    // Milliseconds of processor time of the starting thread since start(); never negative.
    std::int64_t elapsed() const;
    // As elapsed(), then starts again.
    std::int64_t restart();

private:
    std::int64_t now() const;

    clockid_t clock = CLOCK_MONOTONIC;
    std::int64_t startNs = 0;
};

} // namespace PelmoraTest
