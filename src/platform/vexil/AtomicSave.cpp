#include "AtomicSave.h"

#include "MsgConsole.h"
#include "PrintableText.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <string>
#include <system_error>

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Vexil {

namespace {

// The old content is kept in memory while a file is written in place, so that a failed
// write can put it back; larger files are written without that net.
constexpr size_t maxRestorableSize = 64 * 1024 * 1024;

std::string describe(int error)
{
    return std::generic_category().message(error);
}

std::string folderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool writeAll(int fd, std::string_view data, int& error)
{
    size_t done = 0;
    while (done < data.size()) {
        const size_t chunk = std::min<size_t>(data.size() - done, size_t(1) << 30);
        const ssize_t n = ::write(fd, data.data() + done, chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = n < 0 ? errno : EIO;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

// Pushes the bytes to the disk; a file system that cannot sync (EINVAL) has nothing to
// report, any other failure means the bytes may not be there.
bool syncAndClose(int fd, int& error)
{
    bool ok = true;
    if (::fsync(fd) != 0 && errno != EINVAL && errno != EROFS) {
        error = errno;
        ok = false;
    }
    if (::close(fd) != 0 && errno != EINTR && ok) {
        error = errno;
        ok = false;
    }
    return ok;
}

// The kernel's rule for links in shared folders, applied here because the links are
// followed in user space, and to every folder that others may write to: there a link is
// followed only when it belongs to the user or to the folder's owner.  Anyone else's
// link there may have been planted to make this user overwrite a file of their own.
bool mayFollowLink(const std::string& link, const struct stat& linkInfo, std::string& error)
{
    const std::string folder = folderOf(link);
    struct stat folderInfo;
    if (::stat(folder.c_str(), &folderInfo) != 0)
        return true;   // the write itself reports a folder that cannot be reached
    if (sharedFolderAllows(folderInfo.st_mode, folderInfo.st_uid, linkInfo.st_uid, ::geteuid()))
        return true;
    error = "will not follow the symbolic link '" + printableText(link) + "': it belongs to another user (uid "
            + std::to_string(linkInfo.st_uid) + ") in the shared folder '" + printableText(folder) + "'";
    return false;
}

// Follows symbolic links to the file they finally name, which need not exist yet.
bool resolveLinks(std::string& path, std::string& error)
{
    for (int depth = 0; depth < 40; ++depth) {
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return true;
        if (!mayFollowLink(path, st, error))
            return false;
        std::string target(static_cast<size_t>(st.st_size > 0 ? st.st_size : PATH_MAX) + 1, '\0');
        const ssize_t n = ::readlink(path.c_str(), &target[0], target.size());
        if (n < 0 || static_cast<size_t>(n) >= target.size()) {
            error = "cannot follow the symbolic link '" + printableText(path) + "'";
            return false;
        }
        target.resize(static_cast<size_t>(n));
        path = !target.empty() && target[0] == '/' ? target : folderOf(path) + "/" + target;
    }
    error = "too many levels of symbolic links at '" + printableText(path) + "'";
    return false;
}

} // namespace

bool resolveSymbolicLinks(std::string& path, std::string& error)
{
    return resolveLinks(path, error);
}

bool sharedFolderAllows(unsigned folderMode, unsigned folderOwner, unsigned entryOwner, unsigned user)
{
    // Sticky or not: without the sticky bit another user may also replace or remove the
    // user's own entries, which makes none of theirs more trustworthy.
    const bool shared = (folderMode & (S_IWOTH | S_IWGRP)) != 0;
    return !shared || entryOwner == user || entryOwner == folderOwner;
}

bool mayAppendToFile(const std::string& path, unsigned owner, std::string& error)
{
    const std::string folder = folderOf(path);
    struct stat folderInfo;
    if (::stat(folder.c_str(), &folderInfo) != 0 || sharedFolderAllows(folderInfo.st_mode, folderInfo.st_uid, owner, ::geteuid()))
        return true;
    error = "it belongs to another user (uid " + std::to_string(owner) + ") in the shared folder '"
            + printableText(folder) + "', who may read what is written to it";
    return false;
}

namespace {

// A name beside `path` that no file has yet, created with the default permissions.
int createBeside(const std::string& path, std::string& tempName, int& error)
{
    static std::atomic<unsigned> counter{0};
    const auto seed = static_cast<unsigned long long>(
        std::chrono::steady_clock::now().time_since_epoch().count());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const unsigned long long salt = seed * 2654435761u + counter.fetch_add(1) * 40503u + static_cast<unsigned>(::getpid());
        tempName = path + ".tmp-" + std::to_string(salt % 100000000u);
        const int fd = ::open(tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0)
            return fd;
        if (errno != EEXIST) {
            error = errno;
            return -1;
        }
    }
    error = EEXIST;
    return -1;
}

// Writes the file itself, for a folder that allows no new file.  The old content is put
// back when the new one cannot be written whole.
bool writeInPlace(const std::string& path, std::string_view data, std::string& error)
{
    int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    std::string old;
    const bool restorable = fd >= 0 && readOpenFile(fd, old, maxRestorableSize);
    if (fd < 0)
        fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        error = "cannot write '" + printableText(path) + "': " + describe(errno);
        return false;
    }
    int failure = 0;
    bool ok = ::ftruncate(fd, 0) == 0;
    if (!ok)
        failure = errno;
    ok = ok && writeAll(fd, data, failure);
    if (!ok) {
        int ignored = 0;
        bool restored = restorable && ::ftruncate(fd, 0) == 0 && ::lseek(fd, 0, SEEK_SET) == 0
                        && writeAll(fd, old, ignored);
        restored = syncAndClose(fd, ignored) && restored;
        error = "cannot write '" + printableText(path) + "': " + describe(failure) +
                (restored ? "; its old content was written back" : "; it may be incomplete");
        return false;
    }
    if (!syncAndClose(fd, failure)) {
        error = "cannot write '" + printableText(path) + "': " + describe(failure);
        return false;
    }
    return true;
}

} // namespace

bool readOpenFile(int fd, std::string& content, size_t maxBytes)
{
    struct stat st;
    if (::fstat(fd, &st) != 0 || st.st_size < 0 || static_cast<unsigned long long>(st.st_size) > maxBytes)
        return false;
    content.resize(static_cast<size_t>(st.st_size));
    size_t got = 0;
    while (got < content.size()) {
        const ssize_t n = ::pread(fd, &content[got], content.size() - got, static_cast<off_t>(got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        got += static_cast<size_t>(n);
    }
    return true;
}

bool saveFileAtomically(const std::string& path, std::string_view data, std::string& error)
{
    error.clear();
    if (path.empty()) {
        error = "no file name given";
        return false;
    }
    std::string target = path;
    if (!resolveLinks(target, error))
        return false;

    struct stat existing;
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode)) {
        error = "'" + printableText(target) + "' is not a regular file";
        return false;
    }

    std::string tempName;
    int failure = 0;
    const int fd = createBeside(target, tempName, failure);
    if (fd < 0) {
        const bool folderLocked = failure == EACCES || failure == EPERM;
        if (!exists || !folderLocked) {
            error = "cannot create a file in '" + printableText(folderOf(target)) + "': " + describe(failure);
            return false;
        }
        if (!writeInPlace(target, data, error))
            return false;
        MsgConsoleSingleton::Instance().Warning(
            "The folder of '%s' does not allow a temporary file (%s); the file was written in place\n",
            printableText(target).c_str(), describe(failure).c_str());
        return true;
    }

    bool ok = true;
    if (exists) {
        // A private file stays private, and a file of another user stays theirs where we may.
        ok = ::fchmod(fd, existing.st_mode & 07777) == 0;
        if (!ok)
            failure = errno;
        // Keeping another user's ownership needs privileges; without them the file
        // becomes ours, as any new file would.
        if (ok && ::fchown(fd, existing.st_uid, existing.st_gid) != 0)
            errno = 0;
    }
    ok = ok && writeAll(fd, data, failure);
    if (!ok) {
        ::close(fd);
    } else {
        ok = syncAndClose(fd, failure);
    }
    if (ok && ::rename(tempName.c_str(), target.c_str()) != 0) {
        failure = errno;
        ok = false;
    }
    if (!ok) {
        ::unlink(tempName.c_str());
        error = "cannot write '" + printableText(target) + "': " + describe(failure);
        return false;
    }
    return true;
}

} // namespace Vexil
