#include "LabelFormat.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <vector>

namespace Gui {

bool isSingleConversionFormat(const char* format, const char* kinds)
{
    if (!format || !kinds)
        return false;
    int conversions = 0;
    for (const char* p = format; *p; ++p) {
        if (*p != '%')
            continue;
        ++p;
        if (*p == '%')
            continue;
        while (*p && std::strchr("-+ #0", *p))
            ++p;
        // Width and precision are written out; at most three digits each keeps the
        // output bounded.
        int digits = 0;
        while (std::isdigit(static_cast<unsigned char>(*p)) && digits < 4) {
            ++p;
            ++digits;
        }
        if (digits > 3)
            return false;
        if (*p == '.') {
            ++p;
            digits = 0;
            while (std::isdigit(static_cast<unsigned char>(*p)) && digits < 4) {
                ++p;
                ++digits;
            }
            if (digits > 3)
                return false;
        }
        if (!*p || !std::strchr(kinds, *p))
            return false;
        ++conversions;
    }
    return conversions == 1;
}

std::string formatTextLabel(const char* format, const char* text, size_t maxLength)
{
    std::string result;
    if (isSingleConversionFormat(format, "s")) {
        // The format was checked above: one "%s" with flags, width and precision only.
        const int needed = std::snprintf(nullptr, 0, format, text ? text : "");
        if (needed >= 0) {
            std::vector<char> buffer(static_cast<size_t>(needed) + 1);
            std::snprintf(buffer.data(), buffer.size(), format, text ? text : "");
            result.assign(buffer.data(), static_cast<size_t>(needed));
        }
    } else {
        result = text ? text : "";
    }
    if (result.size() > maxLength)
        result.resize(maxLength);
    return result;
}

} // namespace Gui
