#include "ChildProcessCost.h"

#include <cerrno>
#include <chrono>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char** environ;

namespace PelmoraTest {

ChildProcessCost runChildProcess(const std::vector<std::string>& argv)
{
    ChildProcessCost cost;
    if (argv.empty())
        return cost;
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, args[0], nullptr, nullptr, args.data(), environ) != 0)
        return cost;
    cost.started = true;
    int status = 0;
    rusage usage{};
    pid_t waited = -1;
    do
        waited = wait4(pid, &status, 0, &usage);
    while (waited < 0 && errno == EINTR);
    if (waited != pid)
        return cost;
    cost.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    cost.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
                      + 1e-6 * static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
    cost.peakMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;
    cost.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return cost;
}

} // namespace PelmoraTest
