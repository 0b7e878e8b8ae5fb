#include "Property.h"

#include <vexil/TypeInfo.h>
#include <vexil/UtilityBox.h>

#include <limits>
#include <locale>
#include <sstream>

VEXIL_TYPESYSTEM_SOURCE(Obj::Property, Vexil::RootClass)
VEXIL_TYPESYSTEM_SOURCE(Obj::PropertyString, Obj::Property)
VEXIL_TYPESYSTEM_SOURCE(Obj::PropertyBoolean, Obj::Property)
VEXIL_TYPESYSTEM_SOURCE(Obj::PropertyInteger, Obj::Property)
VEXIL_TYPESYSTEM_SOURCE(Obj::PropertyDecimal, Obj::Property)
VEXIL_TYPESYSTEM_SOURCE(Obj::PropertyContainer, Vexil::RootClass)

namespace Obj {


Property::Property() = default;
Property::~Property() = default;

void Property::has_set_value()
{
    if (container)
        container->on_changed(this);
}

void PropertyString::set_value(const char* v)
{
    value = v ? v : "";
    has_set_value();
}

void PropertyBoolean::set_value(bool v)
{
    value = v;
    has_set_value();
}

bool PropertyBoolean::set_value_text(const std::string& text)
{
    const std::string v = Vexil::UtilityBox::trimmed(text);
    if (v == "True" || v == "true" || v == "1") {
        set_value(true);
        return true;
    }
    if (v == "False" || v == "false" || v == "0") {
        set_value(false);
        return true;
    }
    return false;
}

void PropertyInteger::set_value(long v)
{
    value = v;
    has_set_value();
}

std::string PropertyInteger::get_value_text() const
{
    return std::to_string(value);
}

bool PropertyInteger::set_value_text(const std::string& text)
{
    const std::string v = Vexil::UtilityBox::trimmed(text);
    if (v.empty())
        return false;
    std::istringstream in(v);
    in.imbue(std::locale::classic());
    long parsed = 0;
    in >> parsed;
    if (in.fail() || !in.eof())
        return false;
    set_value(parsed);
    return true;
}

void PropertyDecimal::set_value(double v)
{
    value = v;
    has_set_value();
}

std::string PropertyDecimal::get_value_text() const
{
    return Vexil::UtilityBox::exact_number_text(value);
}

bool PropertyDecimal::set_value_text(const std::string& text)
{
    const std::string v = Vexil::UtilityBox::trimmed(text);
    if (v.empty())
        return false;
    std::istringstream in(v);
    in.imbue(std::locale::classic());
    double parsed = 0.0;
    in >> parsed;
    if (in.fail() || !in.eof())
        return false;
    set_value(parsed);
    return true;
}

PropertyContainer::PropertyContainer() = default;

PropertyContainer::~PropertyContainer()
{
    for (Property* p : properties) {
        p->container = nullptr;
        delete p;
    }
}

Property* PropertyContainer::add_property(const char* typeName, const char* name)
{
    if (!typeName || !name || !*name || propertiesByName.count(name))
        return nullptr;
    Vexil::RootClass* instance = Vexil::TypeInfo::build_instance_by_name(typeName);
    if (!instance)
        return nullptr;
    if (!instance->is_inherited_from(Property::getClassTypeId())) {
        delete instance;
        return nullptr;
    }
    return adopt_property(static_cast<Property*>(instance), name);
}

Property* PropertyContainer::adopt_property(Property* property, const char* name)
{
    if (!property)
        return nullptr;
    if (!name || !*name || propertiesByName.count(name)) {
        delete property;
        return nullptr;
    }
    property->name = name;
    property->container = this;
    properties.push_back(property);
    propertiesByName.emplace(property->name, property);
    return property;
}

unsigned int PropertyContainer::get_memory_usage() const
{
    std::size_t bytes = 0;
    for (const Property* p : properties)
        bytes += sizeof(*p) + p->name.size();
    return static_cast<unsigned int>(bytes);
}

Property* PropertyContainer::get_property_by_name(const char* name) const
{
    if (!name)
        return nullptr;
    const auto it = propertiesByName.find(name);
    return it == propertiesByName.end() ? nullptr : it->second;
}

} // namespace Obj
