#include "AnnotationLabelFormat.h"

#include "colors/LabelFormat.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace Gui {
namespace AnnotationLabel {

bool isNumberFormat(const char* format)
{
    return isSingleConversionFormat(format, "eEfFgGaA");
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
