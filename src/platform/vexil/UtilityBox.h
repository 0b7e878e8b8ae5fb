#pragma once

#include <functional>
#include <string>

namespace Vexil {

struct UtilityBox
{
    // Escapes backslashes and both quote characters so that the text can stand between
    // quotes of a script line; other bytes (UTF-8 included) are kept.
    static std::string escaped_char_from_utf8(const char* text);
    // The shortest decimal text (C locale) that reads back to exactly `value`.
    static std::string exact_number_text(double value);
    // The text without leading and trailing blanks, tabs and line ends.
    static std::string trimmed(const std::string& text);
    // `stem` followed by a three-digit number ("Box001", "Box002", ...): the first one,
    // counting from `next`, that `taken` refuses.  `next` is left at that number.
    static std::string numbered_name(const std::string& stem, unsigned int& next,
                                     const std::function<bool(const std::string&)>& taken);
};

} // namespace Vexil
