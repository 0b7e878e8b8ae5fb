#include "LogFileObserver.h"

#include "PrefixedLines.h"

#include <vexil/AtomicSave.h>
#include <vexil/PrintableText.h>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Host {

namespace {

// Whether the open file `fd` of `size` bytes begins as a log of this program does.
bool beginsAsLog(int fd, off_t size)
{
    if (size == 0)
        return true;
    char head[6];
    if (size < static_cast<off_t>(sizeof head) || ::pread(fd, head, sizeof head, 0) != static_cast<ssize_t>(sizeof head))
        return false;
    for (const char* level : {"[Msg] ", "[Wrn] ", "[Err] ", "[Log] "})
        if (std::memcmp(head, level, sizeof head) == 0)
            return true;
    return false;
}

} // namespace

LogFileObserver::LogFileObserver(const std::string& fileName)
    : fileName(fileName), file(open())
{
}

std::FILE* LogFileObserver::open()
{
    std::string path = fileName;
    std::string error;
    if (!Vexil::resolveSymbolicLinks(path, error)) {
        refusal = error;
        return nullptr;
    }
    // Not blocking: a named pipe without a reader would wait for one for ever.
    // Opened for reading too, to see what the file holds; a file this user may only write
    // to is a log only while it is empty.
    const int flags = O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    int fd = ::open(path.c_str(), O_RDWR | flags, 0666);
    if (fd < 0 && errno == EACCES)
        fd = ::open(path.c_str(), O_WRONLY | flags, 0666);
    if (fd < 0) {
        refusal = errno == ENXIO ? "it is not a regular file" : std::strerror(errno);
        return nullptr;
    }
    struct stat info;
    if (::fstat(fd, &info) != 0)
        refusal = std::strerror(errno);
    // A character device (/dev/null, a terminal) takes lines without keeping a file.
    else if (!S_ISREG(info.st_mode) && !S_ISCHR(info.st_mode))
        refusal = "it is not a regular file";
    // Another user's file in a shared folder (such as /tmp) would be read by that user.
    else if (S_ISREG(info.st_mode) && !Vexil::mayAppendToFile(path, info.st_uid, refusal)) {
        // `refusal` says why
    } else if (S_ISREG(info.st_mode) && !beginsAsLog(fd, info.st_size))
        refusal = "it is not a log file: its lines do not begin with a level such as [Msg], so it may be "
                  "another file (a project or model file) named by mistake";
    std::FILE* opened = nullptr;
    if (refusal.empty()) {
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        opened = ::fdopen(fd, "a");
        if (!opened)
            refusal = std::strerror(errno);
    }
    if (!opened)
        ::close(fd);
    return opened;
}

LogFileObserver::~LogFileObserver()
{
    if (file && std::fclose(file) != 0)
        reportIncomplete(errno);
}

void LogFileObserver::reportIncomplete(int error)
{
    if (failed)
        return;
    failed = true;
    std::fprintf(stderr, "pelmora: the log file %s is incomplete: %s\n", Vexil::printableText(fileName).c_str(), std::strerror(error));
}

void LogFileObserver::write(const char* level, const char* text)
{
    if (!file || !text)
        return;
    // Each line carries its level.
    std::string out;
    std::lock_guard<std::mutex> lock(mutex);
    appendPrefixedLines(out, text, std::string("[") + level + "] ", atLineStart);
    if (std::fwrite(out.data(), 1, out.size(), file) != out.size() || std::fflush(file) != 0)
        reportIncomplete(errno);
}

} // namespace Host
