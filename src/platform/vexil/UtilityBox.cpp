#include "UtilityBox.h"

#include <cstdio>
#include <limits>
#include <locale>
#include <sstream>

namespace Vexil {

std::string UtilityBox::escaped_char_from_utf8(const char* text)
{
    std::string result;
    if (!text)
        return result;
    for (const char* p = text; *p; ++p) {
        if (*p == '\\' || *p == '\'' || *p == '"')
            result += '\\';
        result += *p;
    }
    return result;
}

std::string UtilityBox::exact_number_text(double value)
{
    constexpr int exact = std::numeric_limits<double>::max_digits10;
    for (int precision : {15, exact}) {
        std::ostringstream out;
        out.imbue(std::locale::classic());
        out.precision(precision);
        out << value;
        std::istringstream back(out.str());
        back.imbue(std::locale::classic());
        double check = 0.0;
        back >> check;
        // A text beyond the largest double fails to read back (as the largest double).
        if ((!back.fail() && check == value) || precision == exact)
            return out.str();
    }
    return {};
}

std::string UtilityBox::trimmed(const std::string& s)
{
    const auto first = s.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    const auto last = s.find_last_not_of(" \t\r\n");
    return s.substr(first, last - first + 1);
}

std::string UtilityBox::numbered_name(const std::string& stem, unsigned int& next,
                                      const std::function<bool(const std::string&)>& taken)
{
    if (next == 0)
        next = 1;
    for (;; ++next) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "%03u", next);
        std::string candidate = stem + suffix;
        if (!taken(candidate))
            return candidate;
    }
}

} // namespace Vexil
