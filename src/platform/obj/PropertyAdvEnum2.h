#pragma once
// The twin of PropertyAdvEnum that some objects declare; the property editor tells the
// two apart by their exact type and gives each its own row class.

#include "PropertyAdvEnum.h"

namespace Obj {

class PropertyAdvEnum2 : public PropertyAdvEnum
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    const char* get_editor_name() const override { return "Gui::PropertyOperator::PropertyAdvEnumItem2"; }
};

} // namespace Obj
