#include "PropertyCouple.h"

#include "Application.h"
#include "ValueText.h"

#include <limits>
#include <vector>

VEXIL_TYPESYSTEM_SOURCE(Obj::PropertyCouple, Obj::Property)

namespace Obj {

namespace {

ProjectObject* lookUp(const std::string& project, unsigned int id)
{
    if (project.empty() || id == 0 || !Application::_pcSingleton)
        return nullptr;
    const Project* p = Application::_pcSingleton->get_project(project.c_str());
    return p ? p->get_object(id) : nullptr;
}

} // namespace

ProjectObject* PropertyCouple::get_value() const
{
    return lookUp(projectName, objectId);
}

void PropertyCouple::set_value(const ProjectObject* object)
{
    about_to_set_value();
    const Project* project = object ? object->get_project() : nullptr;
    if (project) {
        projectName = project->get_name();
        objectId = object->getObjectId();
    } else {
        projectName.clear();
        objectId = 0;
    }
    has_set_value();
}

std::string PropertyCouple::get_value_text() const
{
    if (!get_value())
        return "[]";
    return ValueText::listText({projectName, std::to_string(objectId)});
}

bool PropertyCouple::set_value_text(const std::string& text)
{
    std::vector<std::string> entries;
    if (!ValueText::parseList(text, entries))
        return false;
    if (entries.empty() || (entries.size() >= 2 && entries[1] == "Null")) {
        set_value(nullptr);
        return true;
    }
    long id = 0;
    if (entries.size() < 2 || !ValueText::parseInteger(entries[1], id) || id <= 0
        || static_cast<unsigned long>(id) > std::numeric_limits<unsigned int>::max())
        return false;
    ProjectObject* object = lookUp(entries[0], static_cast<unsigned int>(id));
    if (!object)
        return false;
    set_value(object);
    return true;
}

} // namespace Obj
