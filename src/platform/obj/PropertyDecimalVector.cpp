#include "PropertyDecimalVector.h"

#include "ValueText.h"

VEXIL_TYPESYSTEM_SOURCE(Obj::PropertyDecimalVector, Obj::Property)

namespace Obj {

PropertyDecimalVector::PropertyDecimalVector()
{
    add_component(x, "x");
    add_component(y, "y");
    add_component(z, "z");
}

Vexil::Vector3d PropertyDecimalVector::get_value() const
{
    return Vexil::Vector3d(x.get_value(), y.get_value(), z.get_value());
}

void PropertyDecimalVector::set_value(const Vexil::Vector3d& v)
{
    x.set_value(v.x);
    y.set_value(v.y);
    z.set_value(v.z);
}

std::string PropertyDecimalVector::get_value_text() const
{
    return ValueText::vectorText(get_value());
}

bool PropertyDecimalVector::set_value_text(const std::string& text)
{
    Vexil::Vector3d parsed;
    if (!ValueText::parseVector(text, parsed))
        return false;
    set_value(parsed);
    return true;
}

} // namespace Obj
