#include "PropertyPath.h"

#include "ValueText.h"

VEXIL_TYPESYSTEM_SOURCE(Obj::PropertyPath, Obj::Property)
VEXIL_TYPESYSTEM_SOURCE(Obj::PropertyDirectory, Obj::PropertyPath)
VEXIL_TYPESYSTEM_SOURCE(Obj::PropertyDocIncluded, Obj::PropertyPath)
VEXIL_TYPESYSTEM_SOURCE(Obj::PropertyDocument, Obj::PropertyString)

namespace Obj {

void PropertyPath::set_value(const std::string& v)
{
    about_to_set_value();
    value = v;
    has_set_value();
}

std::string PropertyPath::get_value_text() const
{
    return ValueText::quoted(value);
}

bool PropertyPath::set_value_text(const std::string& text)
{
    set_value(ValueText::unquoted(text));
    return true;
}

} // namespace Obj
