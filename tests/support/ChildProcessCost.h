#pragma once
// Runs a program as a child process and reports what it cost as a whole: wall time,
// processor time (user and system, all its threads) and peak resident memory, from the
// operating system's own accounting of the finished child.

#include <string>
#include <vector>

namespace PelmoraTest {

struct ChildProcessCost
{
    bool started = false;
    int exitCode = -1;   // -1 when it did not end normally
    double wallSeconds = 0;
    double cpuSeconds = 0;
    double peakMiB = 0;
};

// `argv[0]` is the program's path; the child inherits this process's environment.
ChildProcessCost runChildProcess(const std::vector<std::string>& argv);

} // namespace PelmoraTest
