#include "PropertyVector.h"

#include "ValueText.h"

VEXIL_TYPESYSTEM_SOURCE(Obj::PropertyVector, Obj::Property)

namespace Obj {

void PropertyVector::set_value(const Vexil::Vector3d& v)
{
    about_to_set_value();
    value = v;
    has_set_value();
}

std::string PropertyVector::get_value_text() const
{
    return ValueText::vectorText(value);
}

bool PropertyVector::set_value_text(const std::string& text)
{
    Vexil::Vector3d parsed;
    if (!ValueText::parseVector(text, parsed))
        return false;
    set_value(parsed);
    return true;
}

} // namespace Obj
