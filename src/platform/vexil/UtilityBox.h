#pragma once

#include <string>

namespace Vexil {

struct UtilityBox
{
    // Escapes backslashes and both quote characters so that the text can stand between
    // quotes of a script line; other bytes (UTF-8 included) are kept.
    static std::string escaped_char_from_utf8(const char* text);
    // The shortest decimal text (C locale) that reads back to exactly `value`.
    static std::string exact_number_text(double value);
};

} // namespace Vexil
