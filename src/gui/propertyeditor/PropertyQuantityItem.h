#pragma once
// Rows of values with units: a quantity, a quantity with limits, and a vector of
// quantities whose child rows "x", "y" and "z" edit one component each.

#include "PropertyItem.h"

namespace pmUnit { class Quantity; }

namespace Gui {
namespace PropertyOperator {

class PELMORAGUI_EXPORT PropertyQuantityItem : public PropertyItem
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    QWidget* createEditor(QWidget* parent, const QObject* receiver, const char* method) const override;
    void setEditorData(QWidget* editor, const QVariant& data) const override;
    QVariant editorData(QWidget* editor) const override;
    QVariant toString(const QVariant& value) const override;
    QVariant value(const Obj::Property* prop) const override;
    QVariant backgroundcolor(const Obj::Property* prop) const override;
    // Writes the number in the property's own unit.
    void set_value(const QVariant& value) override;
};

class PELMORAGUI_EXPORT PropertyQuantityConstraintItem : public PropertyQuantityItem
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    void setEditorData(QWidget* editor, const QVariant& data) const override;
};

class PELMORAGUI_EXPORT PropertyQuantityVectorItem : public VectorTextRow
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    PropertyQuantityVectorItem();

    bool setProperty(const char* name, const QVariant& value) override;
    QVariant property(const char* name) const override;
    QVariant toString(const QVariant& value) const override;
    QVariant value(const Obj::Property* prop) const override;
    void set_value(const QVariant& value) override;
    virtual void propertyBound() {}

    void setX(const pmUnit::Quantity& q) { setComponent(0, q); }
    void setY(const pmUnit::Quantity& q) { setComponent(1, q); }
    void setZ(const pmUnit::Quantity& q) { setComponent(2, q); }

protected:
    // Child rows of the given class; `writeUnchanged`: a component set to its current
    // number is written back all the same.
    PropertyQuantityVectorItem(const Vexil::TypeInfo& childType, bool writeUnchanged);

private:
    void setComponent(int index, const pmUnit::Quantity& q);
    PropertyItem* m_x = nullptr;
    PropertyItem* m_y = nullptr;
    PropertyItem* m_z = nullptr;
    bool alwaysWrite = false;
};

// The number of a quantity value in the unit of `prop` (when it is a quantity property),
// for the logic; false for a value of another kind or type.
PELMORAGUI_EXPORT bool quantityTextForLogic(const QVariant& value, const Obj::Property* prop, QString& text);

// "(x, y, z)" of three numbers, each with 15 significant digits unless that would not
// read back exactly.
PELMORAGUI_EXPORT QString vectorTextForLogic(double x, double y, double z);

} // namespace PropertyOperator
} // namespace Gui
