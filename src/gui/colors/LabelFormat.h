#pragma once
// Checks printf-style label formats before they are used: a format may hold plain text,
// "%%", and exactly one conversion of the expected kind with flags, a width and a
// precision written out (no "*", no length modifier). Anything else is refused, so a
// format read from a file or typed by a user never reaches printf unchecked.

#include "PelmoraGuiExport.h"

#include <string>

namespace Gui {

// True when `format` has exactly one conversion and its letter is one of `kinds`.
PELMORAGUI_EXPORT bool isSingleConversionFormat(const char* format, const char* kinds);

// The format applied to `text` when it is a single "%s"-kind format; `text` alone
// otherwise. The result is cut to `maxLength` characters.
PELMORAGUI_EXPORT std::string formatTextLabel(const char* format, const char* text, size_t maxLength);

} // namespace Gui
