#pragma once
// Measures the processor time of the calling thread. Unlike a wall clock it does not
// grow when a loaded machine (parallel tests, a busy build host) takes the processor
// away, so checks that compare the cost of two phases stay meaningful under load.

#include <cstdint>

namespace PelmoraTest {

class ThreadCpuTimer
{
public:
    ThreadCpuTimer() { start(); }
    void start();
    // Milliseconds of this thread's processor time since start().
    std::int64_t elapsed() const;
    // As elapsed(), then starts again.
    std::int64_t restart();

private:
    std::int64_t startNs = 0;
};

} // namespace PelmoraTest
