#include "support/WorkCount.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include <unistd.h>

extern "C" {
int pelmora_work_counted(void);
void pelmora_thread_work(std::uint64_t* allocations, std::uint64_t* bytes);
}

namespace PelmoraTest {

bool workCounted()
{
    return pelmora_work_counted() != 0;
}

Work threadWork()
{
    Work w;
    pelmora_thread_work(&w.allocations, &w.bytes);
    return w;
}

namespace {
std::string grouped(std::uint64_t n)
{
    std::string digits = std::to_string(n);
    for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3)
        digits.insert(static_cast<std::size_t>(i), ",");
    return digits;
}
} // namespace

std::uint64_t bytesReadByProcess()
{
    std::ifstream io("/proc/self/io");
    std::string field;
    unsigned long long value = 0;
    while (io >> field >> value)
        if (field == "rchar:")
            return value;
    return 0;
}

std::string describe(const Work& work)
{
    return grouped(work.allocations) + " allocations (" + grouped(work.bytes) + " bytes)";
}

std::string childWorkPreload()
{
#ifdef PELMORA_WORK_PRELOAD_LIBRARY
    if (workCounted() && access(PELMORA_WORK_PRELOAD_LIBRARY, R_OK) == 0)
        return PELMORA_WORK_PRELOAD_LIBRARY;
#endif
    return {};
}

std::vector<std::pair<std::string, std::string>> childWorkVariables(const std::string& program,
                                                                    const std::string& file,
                                                                    const std::string& preloaded,
                                                                    const std::vector<std::string>& steps)
{
    const std::string preload = childWorkPreload();
    char real[PATH_MAX];
    if (preload.empty() || file.empty() || !realpath(program.c_str(), real))
        return {};
    std::string counters;
    for (const std::string& symbol : steps)
        counters += (counters.empty() ? "" : ",") + symbol;
    return {{"LD_PRELOAD", preloaded.empty() ? preload : preload + ":" + preloaded},
            {"PELMORA_WORK_FILE", file},
            {"PELMORA_WORK_PROGRAM", real},
            {"PELMORA_WORK_STEPS", counters}};
}

std::string childWorkFileName()
{
    const char* tmp = std::getenv("TMPDIR");
    std::string name = std::string(tmp && *tmp ? tmp : "/tmp") + "/pelmora-child-work-XXXXXX";
    const int fd = mkstemp(&name[0]);
    if (fd < 0)
        return {};
    close(fd);
    std::remove(name.c_str());
    return name;
}

Work childWorkWritten(const std::string& file)
{
    Work w;
    {
        std::ifstream in(file);
        unsigned long long allocations = 0, bytes = 0, steps = 0;
        if (in >> allocations >> bytes) {
            w.allocations = allocations;
            w.bytes = bytes;
            unsigned long long missing = 0;
            // A named counter the program lacks leaves the path's work uncounted: no steps.
            if (in >> steps >> missing && missing == 0)
                w.steps = steps;
        }
    }
    if (!file.empty())
        std::remove(file.c_str());
    return w;
}

} // namespace PelmoraTest
