#pragma once
// Three scientific decimals x, y, z: the row shows "[x y z]", each child row is bound to
// one component property of its own and writes it alone.

#include "PropertyItem.h"

namespace Gui {
namespace PropertyOperator {

class PELMORAGUI_EXPORT PropertyDecimalVectorItem : public VectorTextRow
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    PropertyDecimalVectorItem();

    // Binds the child rows "x", "y", "z" to the three component properties.
    void setChildPropertyData(Obj::Property* x, Obj::Property* y, Obj::Property* z);
    // The same for a selection: each child row is bound to its component of every
    // selected vector, so that a component edit reaches every selected object.
    void setChildPropertyData(const std::vector<Obj::Property*>& xs, const std::vector<Obj::Property*>& ys,
                              const std::vector<Obj::Property*>& zs);

    bool setProperty(const char* name, const QVariant& value) override;
    QVariant property(const char* name) const override;
    QVariant toString(const QVariant& value) const override;
    QVariant value(const Obj::Property* prop) const override;
    void set_value(const QVariant& value) override;
    virtual void propertyBound() {}
};

} // namespace PropertyOperator
} // namespace Gui
