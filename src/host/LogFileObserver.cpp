#include "LogFileObserver.h"

#include "PrefixedLines.h"

#include <cerrno>
#include <cstring>

namespace Host {

LogFileObserver::LogFileObserver(const std::string& fileName)
    : fileName(fileName), file(std::fopen(fileName.c_str(), "a"))
{
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
    std::fprintf(stderr, "pelmora: the log file %s is incomplete: %s\n", fileName.c_str(), std::strerror(error));
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
