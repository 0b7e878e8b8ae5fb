#pragma once
// Runs a program as a child process and reports what it cost as a whole: wall time,
// processor time (user and system, all its threads) and peak resident memory, from the
// operating system's own accounting of the finished child; and the work of its main
// thread, counted in allocations (see WorkCount.h), which tests decide by: the times
// vary from run to run, the count does not.

#include "support/WorkCount.h"

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
    Work work;   // zero where not counted (a sanitizer build) or the child did not exit
};

// `argv[0]` is the program's path; the child inherits this process's environment.
// `steps` names the work counters of the child's libraries to add up as work.steps (see
// childWorkVariables).
ChildProcessCost runChildProcess(const std::vector<std::string>& argv, const std::vector<std::string>& steps = {});

} // namespace PelmoraTest
