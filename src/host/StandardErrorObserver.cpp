#include "StandardErrorObserver.h"

#include "PrefixedLines.h"

#include <string>

namespace Host {

void StandardErrorObserver::write(const char* text)
{
    if (!text)
        return;
    std::string line;
    std::lock_guard<std::mutex> lock(mutex);
    appendPrefixedLines(line, text, "pelmora: ", atLineStart);
    std::fwrite(line.data(), 1, line.size(), out);
    std::fflush(out);
}

} // namespace Host
