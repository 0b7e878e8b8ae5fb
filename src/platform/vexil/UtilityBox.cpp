#include "UtilityBox.h"

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

} // namespace Vexil
