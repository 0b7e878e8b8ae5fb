#pragma once
// Reading and writing the value texts that the property editor sends for compound
// values: vectors "(x, y, z)", lists "[a,b,]" (entries optionally in unicode('...',
// 'utf-8')) and quoted paths.  A backslash takes the next character literally.

#include <vexil/Vector3D.h>

#include <string>
#include <vector>

namespace Obj {
namespace ValueText {

// One number, the whole text, in the C locale.
bool parseNumber(const std::string& text, double& out);
bool parseInteger(const std::string& text, long& out);
// Three numbers separated by commas and/or blanks, inside optional () or [].
bool parseVector(const std::string& text, Vexil::Vector3d& out);
std::string vectorText(const Vexil::Vector3d& v);
// A bracketed list; false when the brackets or a quoted entry are not closed.
bool parseList(const std::string& text, std::vector<std::string>& out);
// "[a,b,]" with every entry escaped, a blank at an entry's start included.
std::string listText(const std::vector<std::string>& entries);
// A backslash before backslash, quote or comma.
std::string escaped(const std::string& text);
// Text in double quotes loses them and its escapes; other text is returned as it is.
std::string unquoted(const std::string& text);
std::string quoted(const std::string& text);
// For a message: control characters (a NUL above all) written as escapes, so that the
// text shown is the whole one given.
std::string printable(const std::string& text);

} // namespace ValueText
} // namespace Obj
