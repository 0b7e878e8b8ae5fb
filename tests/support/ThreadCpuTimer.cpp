#include "support/ThreadCpuTimer.h"

#include <pthread.h>

namespace PelmoraTest {

std::int64_t ThreadCpuTimer::now() const
{
    timespec ts{};
    clock_gettime(clock, &ts);
    return std::int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

void ThreadCpuTimer::start()
{
    // The clock of this very thread, read the same way whoever asks later; only where
    // threads have no clock the wall clock stands in, for start and end alike.
    timespec probe{};
    if (pthread_getcpuclockid(pthread_self(), &clock) != 0 || clock_gettime(clock, &probe) != 0)
        clock = CLOCK_MONOTONIC;
    startNs = now();
}

std::int64_t ThreadCpuTimer::elapsed() const
{
    const std::int64_t ns = now() - startNs;
    return ns > 0 ? ns / 1000000 : 0;
}

std::int64_t ThreadCpuTimer::restart()
{
    const std::int64_t t = now();
    const std::int64_t ns = t - startNs;
    startNs = t;
    return ns > 0 ? ns / 1000000 : 0;
}

} // namespace PelmoraTest
