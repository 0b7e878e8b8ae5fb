#include "AtomicSave.h"

#include "MsgConsole.h"
#include "PrintableText.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <system_error>
#include <vector>
#include <algorithm>

#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Vexil {

namespace {

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

// Follows the symbolic links of every part of `path`, the folders on the way as well as
// the last name, to the file they finally name, which need not exist yet.  Each link is
// checked against the folder it sits in before it is followed.  A path with no link in it
// is left as it was written.
bool resolveLinks(std::string& path, std::string& error)
{
    std::vector<std::string> rest;   // the names still to walk, the next one last
    const auto pushNames = [&rest](const std::string& names) {
        std::vector<std::string> parts;
        size_t start = 0;
        while (start <= names.size()) {
            const size_t slash = std::min(names.find('/', start), names.size());
            if (slash > start)
                parts.push_back(names.substr(start, slash - start));
            start = slash + 1;
        }
        rest.insert(rest.end(), parts.rbegin(), parts.rend());
    };
    // The part walked so far, with no link in it: "" for the root, "." for a relative path.
    std::string walked = !path.empty() && path[0] == '/' ? "" : ".";
    pushNames(path);
    bool followed = false;
    int links = 0;
    while (!rest.empty()) {
        const std::string name = rest.back();
        rest.pop_back();
        if (name == ".")
            continue;
        const std::string next = walked + "/" + name;
        struct stat st;
        const bool there = ::lstat(next.c_str(), &st) == 0;
        if (!there && !rest.empty()) {
            // A folder that is not there: the write names it, with the rest as written.
            walked = next;
            while (!rest.empty()) {
                walked += "/" + rest.back();
                rest.pop_back();
            }
            break;
        }
        if (!there || !S_ISLNK(st.st_mode)) {
            // The walked part holds no link, so ".." goes back one folder by its name alone.
            const size_t slash = walked.rfind('/');
            const bool back = name == ".." && slash != std::string::npos && walked.compare(slash + 1, std::string::npos, "..") != 0
                              && walked.compare(slash + 1, std::string::npos, ".") != 0;
            walked = back ? walked.substr(0, slash) : (name == ".." && walked.empty() ? walked : next);
            continue;
        }
        if (++links > 40) {
            error = "too many levels of symbolic links at '" + printableText(path) + "'";
            return false;
        }
        if (!mayFollowLink(next, st, error))
            return false;
        std::string target(static_cast<size_t>(st.st_size > 0 ? st.st_size : PATH_MAX) + 1, '\0');
        const ssize_t n = ::readlink(next.c_str(), &target[0], target.size());
        if (n < 0 || static_cast<size_t>(n) >= target.size()) {
            error = "cannot follow the symbolic link '" + printableText(next) + "'";
            return false;
        }
        target.resize(static_cast<size_t>(n));
        followed = true;
        if (!target.empty() && target[0] == '/')
            walked.clear();
        pushNames(target);
    }
    if (followed)
        path = walked.empty() ? "/" : (walked.compare(0, 2, "./") == 0 ? walked.substr(2) : walked);
    return true;
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

// The temporary files of a save sit beside its target under short names of their own, so
// that a target whose name is as long as a name may be still gets one; the hash of the
// target's name ties them to it, so that what an interrupted save left can be found.  A
// save holds a lock on its temporary file while it writes: an unlocked one is a leftover.
std::uint64_t nameHash(const std::string& path)
{
    const size_t slash = path.rfind('/');
    std::uint64_t hash = 14695981039346656037ull;
    for (size_t i = slash == std::string::npos ? 0 : slash + 1; i < path.size(); ++i) {
        hash ^= static_cast<unsigned char>(path[i]);
        hash *= 1099511628211ull;
    }
    return hash;
}

bool sameEntry(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Removes the temporary files that interrupted saves of `path` left: only regular files of
// this user under the names our saves give, and only those no save is writing now.
void removeLeftovers(const std::string& path)
{
    for (unsigned slot = 0; slot < temporaryFileSlots; ++slot) {
        const std::string name = temporaryFileName(path, slot);
        struct stat entry;
        if (::lstat(name.c_str(), &entry) != 0 || !S_ISREG(entry.st_mode) || entry.st_uid != ::geteuid())
            continue;
        int fd = ::open(name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            fd = ::open(name.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat opened;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &opened) == 0 && sameEntry(opened, entry)
            && ::lstat(name.c_str(), &entry) == 0 && sameEntry(opened, entry))
            ::unlink(name.c_str());
        ::close(fd);
    }
}

// A temporary file beside `path` that no file had, created with the default permissions
// and locked for this save.
int createBeside(const std::string& path, std::string& tempName, int& error)
{
    removeLeftovers(path);
    for (unsigned slot = 0; slot < temporaryFileSlots; ++slot) {
        tempName = temporaryFileName(path, slot);
        const int fd = ::open(tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno != EEXIST) {
                error = errno;
                return -1;
            }
            continue;
        }
        // Another save's clean-up may have taken it between its creation and the lock; on
        // a file system without locks it is written unlocked (and never taken for a leftover).
        const bool taken = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
        struct stat opened, entry;
        if (!taken && ::fstat(fd, &opened) == 0 && ::lstat(tempName.c_str(), &entry) == 0
            && sameEntry(opened, entry))
            return fd;
        ::close(fd);
    }
    // Every usual name is taken by what no save of ours left (another user may plant them
    // all to stop our saves): an unpredictable name in the same folder, which no clean-up
    // takes for a leftover.
    std::random_device random;
    for (int attempt = 0; attempt < 64; ++attempt) {
        char name[48];
        std::snprintf(name, sizeof name, ".pmsave-r%08x%08x", static_cast<unsigned>(random()),
                      static_cast<unsigned>(random()));
        const size_t slash = path.rfind('/');
        tempName = slash == std::string::npos ? std::string(name) : path.substr(0, slash + 1) + name;
        const int fd = ::open(tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
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

// Copies what is left of `from` from its start to `to`, from its start; false with errno's
// reason in `error`.
bool copyContent(int from, int to, int& error)
{
    std::vector<char> buffer(1 << 20);
    off_t at = 0;
    for (;;) {
        const ssize_t n = ::pread(from, buffer.data(), buffer.size(), at);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            error = errno;
            return false;
        }
        if (n == 0)
            return true;
        if (::lseek(to, at, SEEK_SET) != at) {
            error = errno;
            return false;
        }
        if (!writeAll(to, std::string_view(buffer.data(), static_cast<size_t>(n)), error))
            return false;
        at += n;
    }
}

// The folder of this user's alone where a file written in place keeps a copy of its old
// content: the one the application logic keeps in the temporary folder, or, when that name
// is taken by what is not this user's private folder, a fresh one (`made`, to be removed).
bool privateFolder(std::string& folder, bool& made, std::string& error)
{
    const char* configured = std::getenv("TMPDIR");
    std::string temp = configured && *configured ? configured : "/tmp";
    while (temp.size() > 1 && temp.back() == '/')
        temp.pop_back();
    folder = temp + "/Pelmora21-" + std::to_string(::geteuid());
    made = false;
    struct stat info;
    if ((::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST) && ::lstat(folder.c_str(), &info) == 0
        && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid()
        && ((info.st_mode & 077) == 0 || ::chmod(folder.c_str(), 0700) == 0))
        return true;
    std::string pattern = folder + "-XXXXXX";
    if (::mkdtemp(&pattern[0])) {
        folder = pattern;
        made = true;
        return true;
    }
    error = "no private folder for a copy of its old content in '" + printableText(temp) + "': " + describe(errno);
    return false;
}

// Writes the file itself, for a folder that allows no new file.  Its old content is first
// copied to this user's private folder and pushed to the disk, so that an interrupted
// write (a crash, a kill, a power loss) leaves that copy, and a failed one is put back
// from it.  The copy is removed once the new content is on the disk.
bool writeInPlace(const std::string& path, std::string_view data, int folderError, std::string& error)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        error = "cannot write '" + printableText(path) + "': " + describe(errno);
        return false;
    }
    std::string folder;
    bool madeFolder = false;
    std::string reason;
    if (!privateFolder(folder, madeFolder, reason)) {
        ::close(fd);
        error = "will not write '" + printableText(path) + "' in place: " + reason;
        return false;
    }
    const size_t slash = path.rfind('/');
    std::string copyName = folder + "/" + path.substr(slash == std::string::npos ? 0 : slash + 1, 200) + ".old-XXXXXX";
    int failure = 0;
    const int copy = ::mkstemp(&copyName[0]);
    if (copy < 0)
        failure = errno;
    const auto dropCopy = [&] {
        ::unlink(copyName.c_str());
        if (madeFolder)
            ::rmdir(folder.c_str());
    };
    if (copy < 0 || !copyContent(fd, copy, failure) || !syncAndClose(copy, failure)) {
        if (copy >= 0)
            dropCopy();
        else if (madeFolder)
            ::rmdir(folder.c_str());
        ::close(fd);
        error = "will not write '" + printableText(path) + "' in place: no copy of its old content could be kept in '"
                + printableText(folder) + "': " + describe(failure);
        return false;
    }
    MsgConsoleSingleton::Instance().Warning(
        "The folder of '%s' does not allow a temporary file (%s); the file is written in place, with a copy of "
        "its old content kept in '%s' until the new content is on the disk\n",
        printableText(path).c_str(), describe(folderError).c_str(), printableText(copyName).c_str());

    bool ok = ::ftruncate(fd, 0) == 0;
    if (!ok)
        failure = errno;
    ok = ok && ::lseek(fd, 0, SEEK_SET) == 0 && writeAll(fd, data, failure);
    if (ok && ::fsync(fd) != 0 && errno != EINVAL && errno != EROFS) {
        failure = errno;
        ok = false;
    }
    if (!ok) {
        int ignored = 0;
        const int saved = ::open(copyName.c_str(), O_RDONLY | O_CLOEXEC);
        bool restored = saved >= 0 && ::ftruncate(fd, 0) == 0 && copyContent(saved, fd, ignored);
        if (saved >= 0)
            ::close(saved);
        restored = syncAndClose(fd, ignored) && restored;
        if (restored)
            dropCopy();
        error = "cannot write '" + printableText(path) + "': " + describe(failure)
                + (restored ? "; its old content was written back"
                            : "; it may be incomplete, its old content is kept in '" + printableText(copyName) + "'");
        return false;
    }
    if (::close(fd) != 0 && errno != EINTR) {
        error = "cannot write '" + printableText(path) + "': " + describe(errno) + "; its old content is kept in '"
                + printableText(copyName) + "'";
        return false;
    }
    dropCopy();
    return true;
}

} // namespace

std::string temporaryFileName(const std::string& path, unsigned slot)
{
    char name[48];
    std::snprintf(name, sizeof name, ".pmsave-%016llx-%u", static_cast<unsigned long long>(nameHash(path)), slot);
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(name) : path.substr(0, slash + 1) + name;
}

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
    // Another user's file in a shared folder may have been put there to read what this user
    // writes; replacing it would also hand them the name.
    std::string refusal;
    if (exists && !mayAppendToFile(target, existing.st_uid, refusal)) {
        error = "will not write over '" + printableText(target) + "': " + refusal;
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
        return writeInPlace(target, data, failure, error);
    }

    bool ok = true;
    if (exists) {
        // A private file stays private.  The new file is this user's: it takes no other
        // user's owner, and of another user's permissions only those that narrow its own.
        mode_t mode = existing.st_mode & 0777;
        struct stat created;
        if (existing.st_uid != ::geteuid())
            mode &= ::fstat(fd, &created) == 0 ? created.st_mode : 0600;
        ok = ::fchmod(fd, mode) == 0;
        if (!ok)
            failure = errno;
    }
    ok = ok && writeAll(fd, data, failure);
    if (ok && ::fsync(fd) != 0 && errno != EINVAL && errno != EROFS) {
        failure = errno;
        ok = false;
    }
    // The lock is the claim on the temporary file: it is held until the rename is done, so
    // that no other save's clean-up takes the file for a leftover in between.
    struct stat written;
    if (ok && ::fstat(fd, &written) != 0) {
        failure = errno;
        ok = false;
    }
    if (ok && ::rename(tempName.c_str(), target.c_str()) != 0) {
        failure = errno;
        ok = false;
    }
    if (!ok) {
        struct stat entry;
        // Only the file this save created is removed: the name may be another save's now.
        if (::fstat(fd, &written) == 0 && ::lstat(tempName.c_str(), &entry) == 0 && sameEntry(written, entry))
            ::unlink(tempName.c_str());
        ::close(fd);
        error = "cannot write '" + printableText(target) + "': " + describe(failure);
        return false;
    }
    struct stat placed;
    const bool ours = ::stat(target.c_str(), &placed) == 0 && sameEntry(written, placed);
    if (::close(fd) != 0 && errno != EINTR && ours) {
        error = "cannot write '" + printableText(target) + "': " + describe(errno);
        return false;
    }
    if (!ours) {
        error = "cannot write '" + printableText(target) + "': another program replaced it while it was being saved";
        return false;
    }
    return true;
}

} // namespace Vexil
