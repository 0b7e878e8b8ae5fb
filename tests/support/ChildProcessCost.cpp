#include "ChildProcessCost.h"

#include <cstring>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace PelmoraTest {

namespace {

const char TimeProgram[] = "/usr/bin/time";

// The child's own peak, as GNU time wrote it ("%M", KiB) on the last line of `path` (a
// line about a non-zero status or a signal may come first); 0 when unreadable.
double peakKiBWritten(const std::string& path)
{
    double kib = 0;
    if (FILE* in = std::fopen(path.c_str(), "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, in)) {
            char* end = nullptr;
            const double value = std::strtod(line, &end);
            if (end != line)
                kib = value;
        }
        std::fclose(in);
    }
    return kib;
}

} // namespace

ChildProcessCost runChildProcess(const std::vector<std::string>& argv, const std::vector<std::string>& steps)
{
    ChildProcessCost cost;
    if (argv.empty())
        return cost;
    // A child spawned from this process starts its peak at this process's own (the kernel
    // carries the peak of the address space it leaves at exec over to the new program), so
    // a test process that has grown would see every child as large as itself.  GNU time is
    // small and forks the program afresh: the peak it reports is the program's alone.
    std::string peakFile;
    std::vector<std::string> command;
    if (access(TimeProgram, X_OK) == 0) {
        const char* tmp = std::getenv("TMPDIR");
        std::string name = std::string(tmp && *tmp ? tmp : "/tmp") + "/pelmora-child-peak-XXXXXX";
        const int fd = mkstemp(&name[0]);
        if (fd >= 0) {
            close(fd);
            peakFile = name;
            command = {TimeProgram, "-f", "%M", "-o", peakFile, "--"};
        }
    }
    command.insert(command.end(), argv.begin(), argv.end());
    // The child counts its main thread's allocations into a file of its own making.
    std::vector<std::string> environment;
    std::string preloaded;
    for (char** e = environ; *e; ++e) {
        if (std::strncmp(*e, "LD_PRELOAD=", 11) == 0)
            preloaded = *e + 11;
        else
            environment.emplace_back(*e);
    }
#ifdef PELMORA_WORK_PRELOAD_LIBRARY
    const std::string workFile = childWorkFileName();
    const auto variables = childWorkVariables(argv[0], workFile, preloaded, steps);
#else
    // Built into a benchmark, which has no counting library.
    (void)steps;
    const std::string workFile;
    const std::vector<std::pair<std::string, std::string>> variables;
#endif
    if (variables.empty() && !preloaded.empty())
        environment.push_back("LD_PRELOAD=" + preloaded);
    for (const auto& v : variables)
        environment.push_back(v.first + "=" + v.second);
    std::vector<char*> envp;
    for (const std::string& e : environment)
        envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    std::vector<char*> args;
    for (const std::string& a : command)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, args[0], nullptr, nullptr, args.data(), envp.data()) != 0) {
        if (!peakFile.empty())
            std::remove(peakFile.c_str());
        return cost;
    }
    cost.started = true;
    int status = 0;
    rusage usage{};
    pid_t waited = -1;
    do
        waited = wait4(pid, &status, 0, &usage);
    while (waited < 0 && errno == EINTR);
    const double writtenKiB = peakFile.empty() ? 0 : peakKiBWritten(peakFile);
    if (!peakFile.empty())
        std::remove(peakFile.c_str());
#ifdef PELMORA_WORK_PRELOAD_LIBRARY
    cost.work = childWorkWritten(workFile);
#endif
    if (waited != pid)
        return cost;
    cost.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    cost.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
                      + 1e-6 * static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
    cost.peakMiB = (peakFile.empty() ? static_cast<double>(usage.ru_maxrss) : writtenKiB) / 1024.0;
    cost.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    // GNU time ends with 128 + the signal that ended the program.
    if (!peakFile.empty() && cost.exitCode > 128)
        cost.exitCode = -1;
    return cost;
}

} // namespace PelmoraTest
