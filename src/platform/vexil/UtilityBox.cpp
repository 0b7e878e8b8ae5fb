#include "UtilityBox.h"

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
        if (check == value || precision == exact)
            return out.str();
    }
    return {};
}

} // namespace Vexil
