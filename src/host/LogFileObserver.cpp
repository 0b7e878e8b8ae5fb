#include "LogFileObserver.h"

namespace Host {

LogFileObserver::LogFileObserver(const std::string& fileName)
    : file(std::fopen(fileName.c_str(), "a"))
{
}

LogFileObserver::~LogFileObserver()
{
    if (file)
        std::fclose(file);
}

void LogFileObserver::write(const char* level, const char* text)
{
    if (!file || !text)
        return;
    std::lock_guard<std::mutex> lock(mutex);
    // Each line carries its level; text without a final line feed continues the line.
    for (const char* p = text; *p; ++p) {
        if (atLineStart) {
            std::fprintf(file, "[%s] ", level);
            atLineStart = false;
        }
        std::fputc(*p, file);
        if (*p == '\n')
            atLineStart = true;
    }
    std::fflush(file);
}

} // namespace Host
