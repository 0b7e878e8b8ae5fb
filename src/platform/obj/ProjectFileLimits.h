#pragma once
// How much one project file may ask the program to build.  Every project gets a scene and
// a document view, every object its display companion and tree item: a small file of a
// few hundred kilobytes can name more of them than memory holds.  A file beyond these
// counts is refused before anything is built; and since a save writes every open project
// to one file, nothing is made that would take what is open beyond them either.

#include <cstddef>
#include <string>

namespace Obj {
namespace ProjectFileLimits {

constexpr std::size_t MaxProjects = 20000;
constexpr std::size_t MaxObjects = 200000;

// The limits in force: MaxProjects and MaxObjects, unless a test lowered them.
std::size_t maxProjects();
std::size_t maxObjects();

// Lowers the limits while it lives, so that a test reaches them with a few objects.
class TestLimits
{
public:
    TestLimits(std::size_t projects, std::size_t objects);
    ~TestLimits();
    TestLimits(const TestLimits&) = delete;
    TestLimits& operator=(const TestLimits&) = delete;
private:
    std::size_t projectsBefore, objectsBefore;
};

// Why a file with these counts is refused (its name in `source`), or an empty text when
// the counts are within the limits.
std::string refusal(const std::string& source, std::size_t projects, std::size_t objects);

// Why `what` ("The copied data cannot be pasted", say) may not add `newProjects` projects
// and `newObjects` objects to the `openProjects` and `openObjects` open; empty when the
// sums stay within the limits.
std::string growthRefusal(const std::string& what, std::size_t openProjects, std::size_t openObjects,
                          std::size_t newProjects, std::size_t newObjects);

} // namespace ProjectFileLimits
} // namespace Obj
