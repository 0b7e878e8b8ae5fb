#include "PrintableText.h"

#include <vexil/PrintableText.h>

#include <algorithm>

namespace Gui {

QByteArray printableForLog(const QByteArray& text, int maxBytes)
{
    const int shown = std::min(text.size(), std::max(maxBytes, 0));
    // One escaping for every name the program prints: the logic's messages use it too.
    const std::string printable = Vexil::printableText(std::string_view(text.constData(), static_cast<size_t>(shown)));
    QByteArray out(printable.data(), static_cast<int>(printable.size()));
    if (shown < text.size())
        out += "... (" + QByteArray::number(text.size()) + " bytes)";
    return out;
}

} // namespace Gui
