#include "PropertyItem.h"

using namespace Gui::PropertyOperator;

VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertyItem, Vexil::RootClass)

PropertyItem::PropertyItem() = default;
PropertyItem::~PropertyItem() = default;

VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertySeparatorItem, Gui::PropertyOperator::PropertyItem)
VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertyStringItem, Gui::PropertyOperator::PropertyItem)
VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertyFontInfoItem, Gui::PropertyOperator::PropertyItem)
VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertyIntegerItem, Gui::PropertyOperator::PropertyItem)
VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertyIntegerConstraintItem, Gui::PropertyOperator::PropertyItem)
VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertyDecimalItem, Gui::PropertyOperator::PropertyItem)
VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertyDecimalRangeItem, Gui::PropertyOperator::PropertyItem)
VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertyQuantityItem, Gui::PropertyOperator::PropertyItem)
VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertyQuantityConstraintItem, Gui::PropertyOperator::PropertyItem)
VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertyBooleanItem, Gui::PropertyOperator::PropertyItem)
VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertyVectorItem, Gui::PropertyOperator::PropertyItem)
VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertyVector3DItem, Gui::PropertyOperator::PropertyItem)
VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertySpaceLocationItem, Gui::PropertyOperator::PropertyItem)
VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertyEnumItem, Gui::PropertyOperator::PropertyItem)
VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertyStringArrayItem, Gui::PropertyOperator::PropertyItem)
VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertyDecimalArrayItem, Gui::PropertyOperator::PropertyItem)
VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertyIntegerArrayItem, Gui::PropertyOperator::PropertyItem)
VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertyColorItem, Gui::PropertyOperator::PropertyItem)
VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertyDocumentItem, Gui::PropertyOperator::PropertyItem)
VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertyDirectoryItem, Gui::PropertyOperator::PropertyItem)
VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertyTransientDocItem, Gui::PropertyOperator::PropertyItem)
VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertyCoupleItem, Gui::PropertyOperator::PropertyItem)
VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertySelectionItem, Gui::PropertyOperator::PropertyItem)
VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertyInputBCItem, Gui::PropertyOperator::PropertyItem)
VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertyAdvEnumItem, Gui::PropertyOperator::PropertyItem)
VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertyAdvEnumItem2, Gui::PropertyOperator::PropertyItem)
VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertyFloatSciItem, Gui::PropertyOperator::PropertyItem)
VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertyVectorRangeItem, Gui::PropertyOperator::PropertyItem)
VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertyDecimalVectorItem, Gui::PropertyOperator::PropertyItem)
VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertyVectorBoolItem, Gui::PropertyOperator::PropertyItem)
VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertyQuantityVectorItem, Gui::PropertyOperator::PropertyItem)
VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertyBCQuantityItem, Gui::PropertyOperator::PropertyItem)
VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertyBCQuantityConstraintItem, Gui::PropertyOperator::PropertyBCQuantityItem)
VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertyBCQuantityVectorItem, Gui::PropertyOperator::PropertyItem)
VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertyRangeSliderItem, Gui::PropertyOperator::PropertyItem)

void Gui::PropertyOperator::initPropertyItems()
{
    PropertyItem::init();
    PropertySeparatorItem::init();
    PropertyStringItem::init();
    PropertyFontInfoItem::init();
    PropertyIntegerItem::init();
    PropertyIntegerConstraintItem::init();
    PropertyDecimalItem::init();
    PropertyDecimalRangeItem::init();
    PropertyQuantityItem::init();
    PropertyQuantityConstraintItem::init();
    PropertyBooleanItem::init();
    PropertyVectorItem::init();
    PropertyVector3DItem::init();
    PropertySpaceLocationItem::init();
    PropertyEnumItem::init();
    PropertyStringArrayItem::init();
    PropertyDecimalArrayItem::init();
    PropertyIntegerArrayItem::init();
    PropertyColorItem::init();
    PropertyDocumentItem::init();
    PropertyDirectoryItem::init();
    PropertyTransientDocItem::init();
    PropertyCoupleItem::init();
    PropertySelectionItem::init();
    PropertyInputBCItem::init();
    PropertyAdvEnumItem::init();
    PropertyAdvEnumItem2::init();
    PropertyFloatSciItem::init();
    PropertyVectorRangeItem::init();
    PropertyDecimalVectorItem::init();
    PropertyVectorBoolItem::init();
    PropertyQuantityVectorItem::init();
    PropertyBCQuantityItem::init();
    PropertyBCQuantityConstraintItem::init();
    PropertyBCQuantityVectorItem::init();
    PropertyRangeSliderItem::init();
}
