#include "AnnotationLabelFormat.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace Gui {
namespace AnnotationLabel {

namespace {
// Widths and precisions beyond three digits only make labels no one can read.
bool skipDigits(const char*& p)
{
    int count = 0;
    while (*p >= '0' && *p <= '9') {
        ++p;
        if (++count > 3)
            return false;
    }
    return true;
}
} // namespace

bool isNumberFormat(const char* format)
{
    if (!format)
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
        if (!skipDigits(p))
            return false;
        if (*p == '.') {
            ++p;
            if (!skipDigits(p))
                return false;
        }
        if (!*p || !std::strchr("eEfFgGaA", *p))
            return false;
        ++conversions;
    }
    return conversions == 1;
}

bool formatNumber(const char* format, double value, std::string& text)
{
    char buffer[512];
    const bool accepted = isNumberFormat(format);
    const int n = std::snprintf(buffer, sizeof buffer, accepted ? format : "%g", value);
    text.assign(buffer, n < 0 ? 0 : std::min<size_t>(static_cast<size_t>(n), sizeof buffer - 1));
    return accepted;
}

std::string escapePercent(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        out += c;
        if (c == '%')
            out += '%';
    }
    return out;
}

int fontSizeFromTextScale(double scale)
{
    if (!std::isfinite(scale) || scale <= 0.0)
        return 12;
    // Checked before the conversion: a huge scale must not overflow the int.
    const double points = std::round(scale * 3.0);
    return static_cast<int>(std::min(std::max(points, 1.0), 200.0));
}

} // namespace AnnotationLabel
} // namespace Gui
