#pragma once
// Private helpers of the colour storage nodes: the extension test and reading a text file
// with a size limit.

#include <initializer_list>
#include <string>
#include <vector>

namespace mrmlcolor {

// Lower-case extension with its dot ("" without one).
std::string extensionOf(const char* fileName);
bool hasExtension(const char* fileName, std::initializer_list<const char*> extensions);

// The file's lines (without line ends); false with `error` set when it cannot be read or
// is larger than `maxBytes`.
bool readLines(const std::string& fileName, size_t maxBytes, std::vector<std::string>& lines,
               std::string& error);

} // namespace mrmlcolor
