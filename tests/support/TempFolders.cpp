#include "support/TempFolders.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <dirent.h>
#include <ftw.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace PelmoraTest {

namespace {

int removeEntry(const char* path, const struct stat*, int, struct FTW*)
{
    // Errors are left to the final check: a folder not emptied is still there.
    ::remove(path);
    return 0;
}

// The process a left folder names ("pelmora-test-PID-..."), or 0 where it names none.
pid_t pidNamed(const char* name)
{
    static const char* const prefixes[] = {"pelmora-test-", "pelmora-fuzz-"};
    for (const char* prefix : prefixes) {
        const std::size_t length = std::strlen(prefix);
        if (std::strncmp(name, prefix, length) != 0)
            continue;
        const char* digits = name + length;
        char* end = nullptr;
        errno = 0;
        const long pid = std::strtol(digits, &end, 10);
        if (end == digits || *end != '-' || errno != 0 || pid <= 0)
            return 0;
        return static_cast<pid_t>(pid);
    }
    return 0;
}

bool runs(pid_t pid)
{
    // Signal 0 asks only whether the process is there; EPERM: there, another user's.
    return ::kill(pid, 0) == 0 || errno == EPERM;
}

} // namespace

bool removeTree(const std::string& path)
{
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0)
        return errno == ENOENT;
    // Owner write and search on every folder first, so that none refuses its entries.
    if (S_ISDIR(st.st_mode)) {
        ::nftw(
            path.c_str(),
            [](const char* p, const struct stat* s, int kind, struct FTW*) {
                if (kind == FTW_D || kind == FTW_DNR)
                    ::chmod(p, (s->st_mode & 07777) | S_IRWXU);
                return 0;
            },
            32, FTW_PHYS);
        ::nftw(path.c_str(), removeEntry, 32, FTW_DEPTH | FTW_PHYS);
    } else {
        ::remove(path.c_str());
    }
    return ::lstat(path.c_str(), &st) != 0 && errno == ENOENT;
}

int clearFoldersOfEndedRuns(const std::string& tempDir)
{
    DIR* dir = ::opendir(tempDir.c_str());
    if (!dir)
        return 0;
    int removed = 0;
    const uid_t me = ::getuid();
    while (const dirent* entry = ::readdir(dir)) {
        const pid_t pid = pidNamed(entry->d_name);
        if (pid == 0 || pid == ::getpid() || runs(pid))
            continue;
        const std::string path = tempDir + "/" + entry->d_name;
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != me)
            continue;
        if (removeTree(path))
            ++removed;
    }
    ::closedir(dir);
    return removed;
}

} // namespace PelmoraTest
