#include "PrintableText.h"

#include <algorithm>

namespace Gui {

QByteArray printableForLog(const QByteArray& text, int maxBytes)
{
    QByteArray out;
    const int shown = std::min(text.size(), std::max(maxBytes, 0));
    out.reserve(shown + 32);
    for (int i = 0; i < shown; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (c < 0x20 || c == 0x7f)
            out += "\\x" + QByteArray::number(c, 16).rightJustified(2, '0');
        else
            out += static_cast<char>(c);
    }
    if (shown < text.size())
        out += "... (" + QByteArray::number(text.size()) + " bytes)";
    return out;
}

} // namespace Gui
