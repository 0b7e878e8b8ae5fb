#pragma once
// Shared set-up of the fuzz targets: VTK messages off (a reader's error report is an
// expected outcome here, not a finding) and a private folder for the files read, which
// goes at exit (and, should the run be killed, with the next run).

#include <vtkObject.h>
#include <vtkOutputWindow.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include <dirent.h>
#include <ftw.h>
#include <signal.h>
#include <sys/stat.h>
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

namespace detail {

inline int removeEntry(const char* path, const struct stat*, int, struct FTW*)
{
    ::remove(path);
    return 0;
}

// Removes `path` and what it holds, by the names' bytes; links are removed, not followed.
inline void removeTree(const std::string& path)
{
    ::nftw(path.c_str(), removeEntry, 16, FTW_DEPTH | FTW_PHYS);
}

// The work folders of this user's earlier runs ("pelmora-fuzz-PID-...") whose process has
// ended (a run killed at its time limit cannot remove its own).
inline void clearFoldersOfEndedRuns(const std::string& base)
{
    DIR* dir = ::opendir(base.c_str());
    if (!dir)
        return;
    static const char prefix[] = "pelmora-fuzz-";
    while (const dirent* entry = ::readdir(dir)) {
        if (std::strncmp(entry->d_name, prefix, sizeof prefix - 1) != 0)
            continue;
        char* end = nullptr;
        const long pid = std::strtol(entry->d_name + sizeof prefix - 1, &end, 10);
        if (pid <= 0 || *end != '-' || pid == ::getpid() || ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM)
            continue;
        const std::string path = base + "/" + entry->d_name;
        struct stat st;
        if (::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid())
            removeTree(path);
    }
    ::closedir(dir);
}

inline std::string& madeDir()
{
    static std::string dir;
    return dir;
}

inline void removeWorkDir()
{
    if (!madeDir().empty())
        removeTree(madeDir());
}

} // namespace detail

// A folder of this process for the files the targets write and read, removed at exit.
inline const std::string& workDir()
{
    static const std::string dir = [] {
        const char* base = std::getenv("TMPDIR");
        const std::string folder = base && *base ? base : "/tmp";
        detail::clearFoldersOfEndedRuns(folder);
        std::string tmpl = folder + "/pelmora-fuzz-" + std::to_string(::getpid()) + "-XXXXXX";
        char* made = mkdtemp(&tmpl[0]);
        if (!made)
            return std::string(".");
        detail::madeDir() = made;
        std::atexit(detail::removeWorkDir);
        return std::string(made);
    }();
    return dir;
}

inline void writeFile(const std::string& path, const uint8_t* data, size_t size)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

} // namespace fuzzsupport
