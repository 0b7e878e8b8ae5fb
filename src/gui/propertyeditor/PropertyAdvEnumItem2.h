#pragma once
// The row of the twin property class; it behaves as PropertyAdvEnumItem but offers only
// the names of properties of exactly that twin class.

#include "propertyeditor/PropertyAdvEnumItem.h"

namespace Gui {
namespace PropertyOperator {

class PELMORAGUI_EXPORT PropertyAdvEnumItem2 : public PropertyAdvEnumItem
{
    VEXIL_TYPESYSTEM_HEADER();
protected:
    Vexil::TypeInfo propertyClass() const override;
};

} // namespace PropertyOperator
} // namespace Gui
