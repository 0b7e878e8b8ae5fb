#pragma once
// Private helpers of the colour storage nodes: the extension test and reading a text file
// with a size limit.

#include <cstddef>
#include <initializer_list>
#include <string>
#include <vector>

namespace mrmlcolor {

// Lower-case extension with its dot ("" without one).
std::string extensionOf(const char* fileName);
bool hasExtension(const char* fileName, std::initializer_list<const char*> extensions);

// A line of a colour file that holds something, with its number (from 1).
struct Line
{
    size_t number = 0;
    std::string text;
};

// The file's lines that are neither blank nor "#" comments, without line ends; false with
// `error` set (a reason without the file's name) when it cannot be read, is not a regular file, is larger than `maxBytes` or
// holds more than `maxLines` such lines.
bool readLines(const std::string& fileName, size_t maxBytes, size_t maxLines, std::vector<Line>& lines,
               std::string& error);

} // namespace mrmlcolor
