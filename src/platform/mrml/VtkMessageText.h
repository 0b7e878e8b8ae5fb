#pragma once
// VTK's error and warning texts as one sentence for the user.

#include <string>

namespace mrml {

// `text` as VTK's output window would get it ("ERROR: In <source file>, line <n>",
// "<class> (<address>): <message>", empty lines) reduced to the message, its lines
// joined into one.  A text of another form keeps its words, joined the same way.
std::string vtkMessageSentence(const std::string& text);

} // namespace mrml
