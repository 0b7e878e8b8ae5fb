#include "PropertyAdvEnumItem2.h"

#include <obj/PropertyAdvEnum2.h>

using namespace Gui::PropertyOperator;

// Registered beside its twin, not below it: the model never treats one as the other.
VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertyAdvEnumItem2, Gui::PropertyOperator::PropertyItem)

Vexil::TypeInfo PropertyAdvEnumItem2::propertyClass() const
{
    return Obj::PropertyAdvEnum2::getClassTypeId();
}
