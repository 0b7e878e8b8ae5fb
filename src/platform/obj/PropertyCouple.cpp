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

Project* PropertyCouple::ownersProject() const
{
    PropertyContainer* container = get_container();
    if (auto* owner = dynamic_cast<ProjectObject*>(container))
        return owner->get_project();
    return dynamic_cast<Project*>(container);
}

ProjectObject* PropertyCouple::get_value() const
{
    if (inOwnersProject) {
        const Project* project = ownersProject();
        return project && objectId ? project->get_object(objectId) : nullptr;
    }
    return lookUp(projectName, objectId);
}

void PropertyCouple::set_value(const ProjectObject* object)
{
    about_to_set_value();
    const Project* project = object ? object->get_project() : nullptr;
    if (project) {
        projectName = project->get_name();
        objectId = object->getObjectId();
        inOwnersProject = project == ownersProject();
    } else {
        projectName.clear();
        objectId = 0;
        inOwnersProject = false;
    }
    has_set_value();
}

std::string PropertyCouple::get_value_text() const
{
    const ProjectObject* object = get_value();
    const Project* project = object ? object->get_project() : nullptr;
    if (!project)
        return "[]";
    return ValueText::listText({project->get_name(), std::to_string(objectId)});
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
