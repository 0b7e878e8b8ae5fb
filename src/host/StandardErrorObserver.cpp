#include "StandardErrorObserver.h"

#include <string>

namespace Host {

void StandardErrorObserver::write(const char* text)
{
    if (!text)
        return;
    // Text without a final line feed continues the line.
    std::string line;
    std::lock_guard<std::mutex> lock(mutex);
    for (const char* p = text; *p; ++p) {
        if (atLineStart) {
            line += "pelmora: ";
            atLineStart = false;
        }
        line += *p;
        if (*p == '\n')
            atLineStart = true;
    }
    std::fwrite(line.data(), 1, line.size(), out);
    std::fflush(out);
}

} // namespace Host
