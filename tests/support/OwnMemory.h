#pragma once
// This process's own memory figures, read from /proc/self, for tests that check what one
// step of reading a file costs.

#include <cstdlib>
#include <fstream>
#include <string>

namespace PelmoraTest {

// A "Vm..." field of /proc/self/status in KiB (VmRSS, VmHWM, VmSize), 0 when missing.
inline long statusKiB(const std::string& field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field + ":", 0) == 0)
            return std::strtol(line.c_str() + field.size() + 1, nullptr, 10);
    return 0;
}

// Starts VmHWM afresh from the present resident size; false where the kernel refuses.
inline bool resetPeak()
{
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    clear.flush();
    return static_cast<bool>(clear);
}

} // namespace PelmoraTest
