#include "PropertyAdvEnum.h"

#include "Project.h"
#include "ProjectObject.h"

#include <vexil/TypeInfo.h>
#include <vexil/UtilityBox.h>

#include <limits>

VEXIL_TYPESYSTEM_SOURCE(Obj::PropertyAdvEnum, Obj::PropertyInteger)

namespace Obj {

// Per thread, so no lock and no race.
std::uint64_t& PropertyAdvEnum::nameSteps()
{
    return Counted::tally<struct NameSteps>();
}

Project* PropertyAdvEnum::owning_project() const
{
    PropertyContainer* container = get_container();
    if (auto* object = dynamic_cast<ProjectObject*>(container))
        return object->get_project();
    return dynamic_cast<Project*>(container);
}

PropertyAdvEnum::Names PropertyAdvEnum::get_objects_of_type_name() const
{
    Names names;
    Project* project = owning_project();
    if (!project || objectType.empty())
        return names;
    const Vexil::TypeInfo type = Vexil::TypeInfo::get_type_from_name(objectType.c_str());
    if (type.is_sick())
        return names;
    for (const ProjectObject* o : project->get_objects(type))
        names.emplace_back(o->get_name());
    return names;
}

std::vector<std::string> PropertyAdvEnum::get_enum_list() const
{
    const Names names = get_objects_of_type_name();
    return std::vector<std::string>(names.begin(), names.end());
}

const char** PropertyAdvEnum::get_enums() const
{
    enumNames = get_objects_of_type_name();
    enumPointers.clear();
    if (enumNames.empty())
        return nullptr;
    for (const std::string& n : enumNames)
        enumPointers.push_back(n.c_str());
    enumPointers.push_back(nullptr);
    return enumPointers.data();
}

std::string PropertyAdvEnum::get_value_as_string() const
{
    const Names names = get_objects_of_type_name();
    const long i = get_value();
    if (i < 0 || i >= static_cast<long>(names.size()))
        return {};
    return names[static_cast<std::size_t>(i)];
}

bool PropertyAdvEnum::set_value(const char* name)
{
    if (!name)
        return false;
    const Names names = get_objects_of_type_name();
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i] == name) {
            PropertyInteger::set_value(static_cast<long>(i));
            return true;
        }
    }
    return false;
}

std::string PropertyAdvEnum::get_value_text() const
{
    const std::string name = get_value_as_string();
    return name.empty() ? PropertyInteger::get_value_text() : name;
}

bool PropertyAdvEnum::set_value_text(const std::string& text)
{
    if (set_value(text.c_str()))
        return true;
    // Saved projects may hold the index of an object whose name is not known yet.
    const std::string v = Vexil::UtilityBox::trimmed(text);
    if (v.empty() || v.find_first_not_of("0123456789") != std::string::npos || v.size() > 9)
        return false;
    const long index = std::stol(v);
    if (index >= get_num_of_objects())
        return false;
    PropertyInteger::set_value(index);
    return true;
}

} // namespace Obj
