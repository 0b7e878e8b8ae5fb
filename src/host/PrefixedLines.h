#pragma once
// Console text as the host copies it out: each line begun with a prefix.  Text without a
// final line feed leaves its line open, and the next text continues it.

#include <string>

namespace Host {

inline void appendPrefixedLines(std::string& out, const char* text, const std::string& prefix, bool& atLineStart)
{
    for (const char* p = text; *p; ++p) {
        if (atLineStart) {
            out += prefix;
            atLineStart = false;
        }
        out += *p;
        if (*p == '\n')
            atLineStart = true;
    }
}

} // namespace Host
