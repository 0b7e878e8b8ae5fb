#pragma once
// How much one project file may ask the program to build.  Every project gets a scene and
// a document view, every object its display companion and tree item: a small file of a
// few hundred kilobytes can name more of them than memory holds.  A file beyond these
// counts is refused before anything is built.

#include <cstddef>
#include <string>

namespace Obj {
namespace ProjectFileLimits {

constexpr std::size_t MaxProjects = 20000;
constexpr std::size_t MaxObjects = 200000;

// Why a file with these counts is refused (its name in `source`), or an empty text when
// the counts are within the limits.
inline std::string refusal(const std::string& source, std::size_t projects, std::size_t objects)
{
    if (projects > MaxProjects)
        return source + " holds more than " + std::to_string(MaxProjects)
               + " projects, more than one file may open at once";
    if (objects > MaxObjects)
        return source + " holds more than " + std::to_string(MaxObjects)
               + " objects, more than one file may open at once";
    return std::string();
}

} // namespace ProjectFileLimits
} // namespace Obj
