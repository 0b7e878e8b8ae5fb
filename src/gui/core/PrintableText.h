#pragma once
// Texts from outside (a socket message, a path on the clipboard) made fit for one console
// line.

#include <QByteArray>

namespace Gui {

// `text` cut to `maxBytes` (the length noted when cut), with line breaks and other control
// characters written as escapes, so that nothing inside can start a line of its own.
QByteArray printableForLog(const QByteArray& text, int maxBytes);

} // namespace Gui
