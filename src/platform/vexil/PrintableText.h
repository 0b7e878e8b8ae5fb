#pragma once
// Names and texts from outside (file names, paths on the clipboard) made fit for one line
// of the console, the log or a terminal.

#include <string>
#include <string_view>

namespace Vexil {

// `text` with every byte that a terminal would act on or that could start a line of its
// own written as an escape: line feed and carriage return as \n and \r, tab as \t, other
// control characters (C0, DEL, and C1 written in UTF-8) and bytes that are not UTF-8 as
// \xNN.  Valid UTF-8 text (a name with umlauts or in any script) is kept as it is.
std::string printableText(std::string_view text);

} // namespace Vexil
