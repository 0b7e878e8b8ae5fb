#pragma once
// A vector of three decimals: the row shows "[x y z]" and is not edited itself; its
// three child rows "x", "y" and "z" edit one component each and write the whole vector.

#include "PropertyItem.h"

namespace Gui {
namespace PropertyOperator {

class PELMORAGUI_EXPORT PropertyVectorItem : public VectorTextRow
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    PropertyVectorItem();

    bool setProperty(const char* name, const QVariant& value) override;
    QVariant property(const char* name) const override;
    QVariant toString(const QVariant& value) const override;
    QVariant value(const Obj::Property* prop) const override;
    void set_value(const QVariant& value) override;
    virtual void propertyBound() {}
};

} // namespace PropertyOperator
} // namespace Gui
