#include "AddressSpace.h"

#include <algorithm>
#include <cstdio>

#include <thread>

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

namespace Vexil {

std::uint64_t AddressSpace::cap()
{
    rlimit limit{};
    if (getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return 0;
    return limit.rlim_cur;
}

std::uint64_t AddressSpace::used()
{
    unsigned long long pages = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%llu", &pages) != 1)
            pages = 0;
        std::fclose(statm);
    }
    return pages * std::uint64_t(sysconf(_SC_PAGESIZE));
}

std::uint64_t AddressSpace::left()
{
    const std::uint64_t all = cap();
    const std::uint64_t taken = used();
    return all > taken ? all - taken : 0;
}

unsigned AddressSpace::usableProcessors()
{
    cpu_set_t mask;
    CPU_ZERO(&mask);
    if (sched_getaffinity(0, sizeof mask, &mask) == 0 && CPU_COUNT(&mask) > 0)
        return static_cast<unsigned>(CPU_COUNT(&mask));
    return std::max(1u, std::thread::hardware_concurrency());
}

std::uint64_t AddressSpace::defaultThreadStack()
{
    std::uint64_t stack = std::uint64_t(8) << 20;
    pthread_attr_t attributes;
    if (pthread_getattr_default_np(&attributes) == 0) {
        size_t size = 0;
        if (pthread_attr_getstacksize(&attributes, &size) == 0 && size > 0)
            stack = size;
        pthread_attr_destroy(&attributes);
    }
    return stack;
}

} // namespace Vexil
