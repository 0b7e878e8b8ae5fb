#include "PropertySelection.h"

#include "Project.h"
#include "ProjectObject.h"

#include <vexil/UtilityBox.h>

#include <limits>
#include <sstream>

VEXIL_TYPESYSTEM_SOURCE(Obj::PropertySelection, Obj::Property)

namespace Obj {

namespace {

Project* projectOf(const PropertyContainer* container)
{
    if (auto* object = dynamic_cast<const ProjectObject*>(container))
        return object->get_project();
    return dynamic_cast<Project*>(const_cast<PropertyContainer*>(container));
}

} // namespace

bool PropertySelection::set_values(const std::vector<ProjectObject*>& objects, const std::vector<std::string>& names)
{
    if (objects.size() != names.size())
        return false;
    about_to_set_value();
    data.objects = objects;
    data.names = names;
    ids.clear();
    ids.reserve(objects.size());
    for (const ProjectObject* o : objects)
        ids.push_back(o ? o->getObjectId() : 0u);
    has_set_value();
    return true;
}

void PropertySelection::forgetRemoved() const
{
    const Project* project = projectOf(get_container());
    if (!project)
        return;
    for (std::size_t i = 0; i < data.objects.size() && i < ids.size(); ++i) {
        if (data.objects[i] && project->get_object(ids[i]) != data.objects[i])
            data.objects[i] = nullptr;
    }
}

const std::vector<ProjectObject*>& PropertySelection::get_values() const
{
    forgetRemoved();
    return data.objects;
}

const BCSelectionData& PropertySelection::get_selection_data() const
{
    forgetRemoved();
    return data;
}

bool PropertySelection::isValidSelection() const
{
    forgetRemoved();
    if (data.empty())
        return false;
    for (const ProjectObject* o : data.objects) {
        if (!o)
            return false;
    }
    return true;
}

std::string PropertySelection::get_value_text() const
{
    forgetRemoved();
    // An entry whose object is gone is left out: the text must read back.
    std::string text;
    for (std::size_t i = 0; i < data.size(); ++i) {
        if (!data.objects[i])
            continue;
        if (!text.empty())
            text += ';';
        text += std::to_string(data.objects[i]->getObjectId());
        text += ':';
        text += data.names[i];
    }
    return text;
}

bool PropertySelection::set_value_text(const std::string& text)
{
    Project* project = projectOf(get_container());
    std::vector<ProjectObject*> objects;
    std::vector<std::string> names;
    std::istringstream in(text);
    std::string entry;
    while (std::getline(in, entry, ';')) {
        entry = Vexil::UtilityBox::trimmed(entry);
        if (entry.empty())
            continue;
        const std::size_t colon = entry.find(':');
        if (colon == std::string::npos || colon == 0 || colon + 1 == entry.size())
            return false;
        // Digits only, and no more than an id holds: a wider number must not wrap round
        // onto another object.
        unsigned long long id = 0;
        for (std::size_t i = 0; i < colon; ++i) {
            const char c = entry[i];
            if (c < '0' || c > '9')
                return false;
            id = id * 10 + static_cast<unsigned>(c - '0');
            if (id > std::numeric_limits<unsigned int>::max())
                return false;
        }
        ProjectObject* object = project ? project->get_object(static_cast<unsigned int>(id)) : nullptr;
        if (!object)
            return false;
        objects.push_back(object);
        names.push_back(entry.substr(colon + 1));
    }
    return set_values(objects, names);
}

} // namespace Obj
