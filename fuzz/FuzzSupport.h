#pragma once
// Shared set-up of the fuzz targets: VTK messages off (a reader's error report is an
// expected outcome here, not a finding) and a private folder for the files read.

#include <vtkObject.h>
#include <vtkOutputWindow.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

namespace fuzzsupport {

inline void quietVtk()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    // FUZZ_VERBOSE=1 shows the readers' messages when a finding is replayed.
    const char* verbose = std::getenv("FUZZ_VERBOSE");
    if (!verbose || !*verbose || *verbose == '0')
        vtkObject::GlobalWarningDisplayOff();
}

// A folder of this process for the files the targets write and read.
inline const std::string& workDir()
{
    static const std::string dir = [] {
        const char* base = std::getenv("TMPDIR");
        std::string tmpl = std::string(base && *base ? base : "/tmp") + "/pelmora-fuzz-XXXXXX";
        char* made = mkdtemp(&tmpl[0]);
        return std::string(made ? made : ".");
    }();
    return dir;
}

inline void writeFile(const std::string& path, const uint8_t* data, size_t size)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

} // namespace fuzzsupport
