#include "ProjectFileLimits.h"

namespace Obj {
namespace ProjectFileLimits {

namespace {

std::size_t projectLimit = MaxProjects;
std::size_t objectLimit = MaxObjects;

} // namespace

std::size_t maxProjects()
{
    return projectLimit;
}

std::size_t maxObjects()
{
    return objectLimit;
}

TestLimits::TestLimits(std::size_t projects, std::size_t objects)
    : projectsBefore(projectLimit), objectsBefore(objectLimit)
{
    projectLimit = projects;
    objectLimit = objects;
}

TestLimits::~TestLimits()
{
    projectLimit = projectsBefore;
    objectLimit = objectsBefore;
}

std::string refusal(const std::string& source, std::size_t projects, std::size_t objects)
{
    if (projects > projectLimit)
        return source + " holds more than " + std::to_string(projectLimit)
               + " projects, more than one file may open at once";
    if (objects > objectLimit)
        return source + " holds more than " + std::to_string(objectLimit)
               + " objects, more than one file may open at once";
    return std::string();
}

std::string growthRefusal(const std::string& what, std::size_t openProjects, std::size_t openObjects,
                          std::size_t newProjects, std::size_t newObjects)
{
    // Every open project is saved to one file: what one file may hold is what may be open.
    auto beyond = [&](std::size_t open, std::size_t added, std::size_t limit, const char* things) {
        return what + ": " + std::to_string(open) + " " + things + " are open, and " + std::to_string(added)
               + " more would be more than the " + std::to_string(limit) + " one project file may hold";
    };
    if (newProjects > 0 && (openProjects > projectLimit || newProjects > projectLimit - openProjects))
        return beyond(openProjects, newProjects, projectLimit, "projects");
    if (newObjects > 0 && (openObjects > objectLimit || newObjects > objectLimit - openObjects))
        return beyond(openObjects, newObjects, objectLimit, "objects");
    return std::string();
}

} // namespace ProjectFileLimits
} // namespace Obj
