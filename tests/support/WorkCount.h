#pragma once
// Counts the work a step does as the heap allocations made on the calling thread: how
// many, and how many bytes.  Unlike a clock it gives the same figures for the same step
// on every run and every machine, however loaded, so a test can check how a cost grows
// (four times the objects, about four times the allocations; a cost that grows with what
// is already there allocates far more, or copies far more bytes).
//
// The count is taken by this test program's own malloc, calloc and realloc, which pass
// every call on to the C library; only the calling thread's calls count, so the threads
// of VTK, of the OpenGL driver and of Qt do not add what the machine's load decides.
// A build instrumented by the sanitizers has its own allocator: there nothing is counted
// and workCounted() is false.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace PelmoraTest {

struct Work
{
    std::uint64_t allocations = 0;
    std::uint64_t bytes = 0;
    // Of a child process only: the steps its counters (see childWorkVariables) counted;
    // none when it lacks one of the counters named.
    std::uint64_t steps = 0;

    Work operator-(const Work& o) const { return {allocations - o.allocations, bytes - o.bytes, steps - o.steps}; }
};

// True where allocations are counted (not in a sanitizer build).
bool workCounted();
// This thread's allocations since it started.
Work threadWork();

// The allocations of the calling thread since start().
class WorkMeter
{
public:
    WorkMeter() { start(); }
    void start() { begin = threadWork(); }
    Work elapsed() const { return threadWork() - begin; }
    // As elapsed(), then starts again.
    Work restart()
    {
        const Work now = threadWork();
        const Work spent = now - begin;
        begin = now;
        return spent;
    }

private:
    Work begin;
};

// The bytes this process has read so far, by any of its threads (read() and its kin,
// from files, pipes and sockets alike): a count of what a reader read.
std::uint64_t bytesReadByProcess();

// "1,234 allocations (5,678 bytes)", for messages.
std::string describe(const Work& work);

// The library that, preloaded into a child process, counts the allocations of its main
// thread; empty where it is missing or nothing is counted (a sanitizer build).
std::string childWorkPreload();
// The environment variables (name, value) that make the child `program` count its main
// thread's work and write it to `file` when it exits; `preloaded` is the child's LD_PRELOAD
// so far.  `steps` names (by their symbols) the work counters of the child's libraries,
// functions taking nothing and giving a std::uint64_t, whose sum at exit is its steps.
// None where nothing is counted.
std::vector<std::pair<std::string, std::string>> childWorkVariables(const std::string& program,
                                                                    const std::string& file,
                                                                    const std::string& preloaded = {},
                                                                    const std::vector<std::string>& steps = {});
// A fresh name for such a file (not made: the child makes it, once).
std::string childWorkFileName();
// What the child wrote to `file`, which is then removed; zero counts when it wrote
// nothing (it did not end through exit()).
Work childWorkWritten(const std::string& file);

} // namespace PelmoraTest
