#include "PrintableText.h"

#include <QChar>

namespace Vexil {

namespace {

// Characters that show nothing of their own and change how the text around them reads:
// format characters (bidirectional overrides and isolates, marks, zero-width joiners,
// the byte-order mark) and the line and paragraph separators.  A terminal or a text view
// would let such a character turn a message around or break it into two.
bool changesTheLine(unsigned codePoint)
{
    // Noncharacters (U+FDD0 to U+FDEF, and the last two of every plane) are no text: a
    // program may treat one as a mark of its own, such as an end of line.
    if ((codePoint >= 0xFDD0 && codePoint <= 0xFDEF) || (codePoint & 0xFFFE) == 0xFFFE)
        return true;
    switch (QChar::category(static_cast<uint>(codePoint))) {
    case QChar::Other_Format:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        return false;
    }
}

// The length of the well-formed UTF-8 sequence at `at` (an overlong form, a surrogate or
// a code point past U+10FFFF is none), or 0.
size_t utf8Length(std::string_view text, size_t at, unsigned& codePoint)
{
    const auto c = static_cast<unsigned char>(text[at]);
    size_t length = 0;
    unsigned lowest = 0;
    if (c >= 0xC2 && c <= 0xDF) {
        length = 2;
        codePoint = c & 0x1F;
        lowest = 0x80;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3;
        codePoint = c & 0x0F;
        lowest = 0x800;
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4;
        codePoint = c & 0x07;
        lowest = 0x10000;
    } else {
        return 0;
    }
    if (at + length > text.size())
        return 0;
    for (size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[at + k]);
        if ((next & 0xC0) != 0x80)
            return 0;
        codePoint = (codePoint << 6) | (next & 0x3F);
    }
    if (codePoint < lowest || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        return 0;
    return length;
}

void appendEscaped(std::string& out, unsigned char c)
{
    static const char hex[] = "0123456789abcdef";
    if (c == '\n')
        out += "\\n";
    else if (c == '\r')
        out += "\\r";
    else if (c == '\t')
        out += "\\t";
    else {
        out += "\\x";
        out += hex[c >> 4];
        out += hex[c & 15];
    }
}

} // namespace

std::string printableText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        unsigned codePoint = 0;
        const size_t length = c >= 0x80 ? utf8Length(text, i, codePoint) : 0;
        if (length > 0 && codePoint >= 0xA0 && !changesTheLine(codePoint)) {
            out.append(text.data() + i, length);
            i += length;
            continue;
        }
        // A control or format character, or a byte that begins no character: each byte
        // escaped.
        const size_t bytes = length > 0 ? length : 1;
        for (size_t k = 0; k < bytes; ++k)
            appendEscaped(out, static_cast<unsigned char>(text[i + k]));
        i += bytes;
    }
    return out;
}

} // namespace Vexil
