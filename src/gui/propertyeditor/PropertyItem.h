#pragma once
// The items of the property editor, one class per kind of property.  The editor builds
// the item that a property names through the type registry.

#include "PelmoraGuiExport.h"

#include <vexil/RootClass.h>

namespace Gui {
namespace PropertyOperator {

class PELMORAGUI_EXPORT PropertyItem : public Vexil::RootClass
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    PropertyItem();
    ~PropertyItem() override;

protected:
    bool is_valid() const { return valid; }
    void setValid(bool on) { valid = on; }

private:
    bool valid = true;
};

class PELMORAGUI_EXPORT PropertySeparatorItem : public PropertyItem
{
    VEXIL_TYPESYSTEM_HEADER();
};

class PELMORAGUI_EXPORT PropertyStringItem : public PropertyItem
{
    VEXIL_TYPESYSTEM_HEADER();
};

class PELMORAGUI_EXPORT PropertyFontInfoItem : public PropertyItem
{
    VEXIL_TYPESYSTEM_HEADER();
};

class PELMORAGUI_EXPORT PropertyIntegerItem : public PropertyItem
{
    VEXIL_TYPESYSTEM_HEADER();
};

class PELMORAGUI_EXPORT PropertyIntegerConstraintItem : public PropertyItem
{
    VEXIL_TYPESYSTEM_HEADER();
};

class PELMORAGUI_EXPORT PropertyDecimalItem : public PropertyItem
{
    VEXIL_TYPESYSTEM_HEADER();
};

class PELMORAGUI_EXPORT PropertyDecimalRangeItem : public PropertyItem
{
    VEXIL_TYPESYSTEM_HEADER();
};

class PELMORAGUI_EXPORT PropertyQuantityItem : public PropertyItem
{
    VEXIL_TYPESYSTEM_HEADER();
};

class PELMORAGUI_EXPORT PropertyQuantityConstraintItem : public PropertyItem
{
    VEXIL_TYPESYSTEM_HEADER();
};

class PELMORAGUI_EXPORT PropertyBooleanItem : public PropertyItem
{
    VEXIL_TYPESYSTEM_HEADER();
};

class PELMORAGUI_EXPORT PropertyVectorItem : public PropertyItem
{
    VEXIL_TYPESYSTEM_HEADER();
};

class PELMORAGUI_EXPORT PropertyVector3DItem : public PropertyItem
{
    VEXIL_TYPESYSTEM_HEADER();
};

class PELMORAGUI_EXPORT PropertySpaceLocationItem : public PropertyItem
{
    VEXIL_TYPESYSTEM_HEADER();
};

class PELMORAGUI_EXPORT PropertyEnumItem : public PropertyItem
{
    VEXIL_TYPESYSTEM_HEADER();
};

class PELMORAGUI_EXPORT PropertyStringArrayItem : public PropertyItem
{
    VEXIL_TYPESYSTEM_HEADER();
};

class PELMORAGUI_EXPORT PropertyDecimalArrayItem : public PropertyItem
{
    VEXIL_TYPESYSTEM_HEADER();
};

class PELMORAGUI_EXPORT PropertyIntegerArrayItem : public PropertyItem
{
    VEXIL_TYPESYSTEM_HEADER();
};

class PELMORAGUI_EXPORT PropertyColorItem : public PropertyItem
{
    VEXIL_TYPESYSTEM_HEADER();
};

class PELMORAGUI_EXPORT PropertyDocumentItem : public PropertyItem
{
    VEXIL_TYPESYSTEM_HEADER();
};

class PELMORAGUI_EXPORT PropertyDirectoryItem : public PropertyItem
{
    VEXIL_TYPESYSTEM_HEADER();
};

class PELMORAGUI_EXPORT PropertyTransientDocItem : public PropertyItem
{
    VEXIL_TYPESYSTEM_HEADER();
};

class PELMORAGUI_EXPORT PropertyCoupleItem : public PropertyItem
{
    VEXIL_TYPESYSTEM_HEADER();
};

class PELMORAGUI_EXPORT PropertySelectionItem : public PropertyItem
{
    VEXIL_TYPESYSTEM_HEADER();
};

class PELMORAGUI_EXPORT PropertyInputBCItem : public PropertyItem
{
    VEXIL_TYPESYSTEM_HEADER();
};

class PELMORAGUI_EXPORT PropertyAdvEnumItem : public PropertyItem
{
    VEXIL_TYPESYSTEM_HEADER();
};

class PELMORAGUI_EXPORT PropertyAdvEnumItem2 : public PropertyItem
{
    VEXIL_TYPESYSTEM_HEADER();
};

class PELMORAGUI_EXPORT PropertyFloatSciItem : public PropertyItem
{
    VEXIL_TYPESYSTEM_HEADER();
};

class PELMORAGUI_EXPORT PropertyVectorRangeItem : public PropertyItem
{
    VEXIL_TYPESYSTEM_HEADER();
};

class PELMORAGUI_EXPORT PropertyDecimalVectorItem : public PropertyItem
{
    VEXIL_TYPESYSTEM_HEADER();
};

class PELMORAGUI_EXPORT PropertyVectorBoolItem : public PropertyItem
{
    VEXIL_TYPESYSTEM_HEADER();
};

class PELMORAGUI_EXPORT PropertyQuantityVectorItem : public PropertyItem
{
    VEXIL_TYPESYSTEM_HEADER();
};

class PELMORAGUI_EXPORT PropertyBCQuantityItem : public PropertyItem
{
    VEXIL_TYPESYSTEM_HEADER();
};

class PELMORAGUI_EXPORT PropertyBCQuantityConstraintItem : public PropertyBCQuantityItem
{
    VEXIL_TYPESYSTEM_HEADER();
};

class PELMORAGUI_EXPORT PropertyBCQuantityVectorItem : public PropertyItem
{
    VEXIL_TYPESYSTEM_HEADER();
};

class PELMORAGUI_EXPORT PropertyRangeSliderItem : public PropertyItem
{
    VEXIL_TYPESYSTEM_HEADER();
};

// Registers every item class, parent first, in the editor's fixed order.
PELMORAGUI_EXPORT void initPropertyItems();

} // namespace PropertyOperator
} // namespace Gui
