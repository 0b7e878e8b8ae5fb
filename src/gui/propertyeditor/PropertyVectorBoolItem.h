#pragma once
// Three-component rows whose child rows "x", "y" and "z" are edited: three on/off flags,
// three decimals held to a range, and three quantities edited as a plain vector.

#include "PropertyQuantityItem.h"

namespace Gui {
namespace PropertyOperator {

class PELMORAGUI_EXPORT PropertyVectorBoolItem : public VectorTextRow
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    PropertyVectorBoolItem();

    QVariant editorData(QWidget* editor) const override;
    bool setProperty(const char* name, const QVariant& value) override;
    QVariant property(const char* name) const override;
    QVariant toString(const QVariant& value) const override;
    QVariant value(const Obj::Property* prop) const override;
    void set_value(const QVariant& value) override;

    void setX(bool on) { setFlag(0, on); }
    void setY(bool on) { setFlag(1, on); }
    void setZ(bool on) { setFlag(2, on); }

private:
    void setFlag(int index, bool on);
};

class PELMORAGUI_EXPORT PropertyVectorRangeItem : public VectorTextRow
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    PropertyVectorRangeItem();

    bool setProperty(const char* name, const QVariant& value) override;
    QVariant property(const char* name) const override;
    QVariant toString(const QVariant& value) const override;
    QVariant value(const Obj::Property* prop) const override;
    void set_value(const QVariant& value) override;
};

// A vector of three quantities; every component set is written back.
class PELMORAGUI_EXPORT PropertyVector3DItem : public PropertyQuantityVectorItem
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    PropertyVector3DItem();
    virtual pmUnit::Quantity x() const;
    virtual pmUnit::Quantity y() const;
    virtual pmUnit::Quantity z() const;
};

} // namespace PropertyOperator
} // namespace Gui
