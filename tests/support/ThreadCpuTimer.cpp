#include "support/ThreadCpuTimer.h"

#include <chrono>
#include <ctime>

namespace PelmoraTest {

namespace {
std::int64_t nowNs()
{
    timespec ts{};
    if (clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts) != 0) {
        // No per-thread clock: fall back to the wall clock rather than measure nothing.
        return std::chrono::duration_cast<std::chrono::nanoseconds>(
                   std::chrono::steady_clock::now().time_since_epoch()).count();
    }
    return std::int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}
} // namespace

void ThreadCpuTimer::start()
{
    startNs = nowNs();
}

std::int64_t ThreadCpuTimer::elapsed() const
{
    return (nowNs() - startNs) / 1000000;
}

std::int64_t ThreadCpuTimer::restart()
{
    const std::int64_t now = nowNs();
    const std::int64_t ms = (now - startNs) / 1000000;
    startNs = now;
    return ms;
}

} // namespace PelmoraTest
