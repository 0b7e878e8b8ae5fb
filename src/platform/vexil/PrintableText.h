#pragma once
// Names and texts from outside (file names, paths on the clipboard) made fit for one line
// of the console, the log or a terminal.

#include <string>
#include <string_view>

namespace Vexil {

// `text` with every byte that a terminal would act on or that could start a line of its
// own written as an escape: line feed and carriage return as \n and \r, tab as \t, other
// control characters (C0, DEL, and C1 written in UTF-8), format characters (such as the
// bidirectional controls, zero-width characters and U+FEFF), the line and paragraph
// separators U+2028 and U+2029, the noncharacters (U+FDD0 to U+FDEF, U+FFFE, U+FFFF and
// their like in every plane), and bytes that are not UTF-8 as \xNN, byte by byte.
// Letters and signs of every script are kept as they are.
std::string printableText(std::string_view text);

} // namespace Vexil
