#pragma once
// Label formats of the measuring annotations come from scene and annotation files, so they
// are checked before they reach printf: a format must hold exactly one conversion of a
// floating-point number (besides "%%"), without '*' widths, length modifiers or "%n".

#include "PelmoraGuiExport.h"

#include <string>

namespace Gui {
namespace AnnotationLabel {

// Does the format take exactly one double and nothing else?
PELMORAGUI_EXPORT bool isNumberFormat(const char* format);
// The value formatted by the format; a refused format gives the value in "%g" and false.
PELMORAGUI_EXPORT bool formatNumber(const char* format, double value, std::string& text);
// The text with each "%" doubled, so that it stands for itself in a format.
PELMORAGUI_EXPORT std::string escapePercent(const std::string& text);
// The point size of a text drawn at a text display node's text scale: the default scale
// of 4.5 gives 14 points. Scales that are not finite and positive give 12, the largest
// size is 200.
PELMORAGUI_EXPORT int fontSizeFromTextScale(double scale);

} // namespace AnnotationLabel
} // namespace Gui
