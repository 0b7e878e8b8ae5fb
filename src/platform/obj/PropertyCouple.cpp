#include "PropertyCouple.h"

#include "Application.h"
#include "ValueText.h"

#include <algorithm>
#include <limits>
#include <vector>

VEXIL_TYPESYSTEM_SOURCE(Obj::PropertyCouple, Obj::Property)
VEXIL_TYPESYSTEM_SOURCE(Obj::PropertyCoupleArray, Obj::Property)

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


Project* PropertyCoupleArray::ownersProject() const
{
    PropertyContainer* container = get_container();
    if (auto* owner = dynamic_cast<ProjectObject*>(container))
        return owner->get_project();
    return dynamic_cast<Project*>(container);
}

std::vector<ProjectObject*> PropertyCoupleArray::get_values() const
{
    std::vector<ProjectObject*> result;
    const Project* project = ownersProject();
    if (!project)
        return result;
    result.reserve(ids.size());
    for (unsigned int id : ids) {
        if (ProjectObject* object = project->get_object(id))
            result.push_back(object);
    }
    return result;
}

void PropertyCoupleArray::add_value(ProjectObject* object)
{
    if (!object || object->get_project() != ownersProject())
        return;
    const unsigned int id = object->getObjectId();
    if (std::find(ids.begin(), ids.end(), id) != ids.end())
        return;
    about_to_set_value();
    ids.push_back(id);
    has_set_value();
}

void PropertyCoupleArray::set_values(const std::vector<ProjectObject*>& objects)
{
    const Project* project = ownersProject();
    about_to_set_value();
    ids.clear();
    for (const ProjectObject* object : objects) {
        if (object && object->get_project() == project
            && std::find(ids.begin(), ids.end(), object->getObjectId()) == ids.end())
            ids.push_back(object->getObjectId());
    }
    has_set_value();
}

std::string PropertyCoupleArray::get_value_text() const
{
    std::vector<std::string> entries;
    for (const ProjectObject* object : get_values())
        entries.push_back(std::to_string(object->getObjectId()));
    return ValueText::listText(entries);
}

bool PropertyCoupleArray::set_value_text(const std::string& text)
{
    std::vector<std::string> entries;
    if (!ValueText::parseList(text, entries))
        return false;
    const Project* project = ownersProject();
    std::vector<ProjectObject*> objects;
    objects.reserve(entries.size());
    for (const std::string& entry : entries) {
        long id = 0;
        ProjectObject* object = nullptr;
        if (!ValueText::parseInteger(entry, id) || id <= 0
            || static_cast<unsigned long>(id) > std::numeric_limits<unsigned int>::max() || !project
            || !(object = project->get_object(static_cast<unsigned int>(id))))
            return false;
        objects.push_back(object);
    }
    set_values(objects);
    return true;
}

} // namespace Obj
