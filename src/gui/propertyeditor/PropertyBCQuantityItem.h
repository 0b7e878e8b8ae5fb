#pragma once
// Rows of boundary-condition values: a quantity given as a constant, by a table or left
// free (with or without limits), a vector of three such quantities, and a value of three
// components that may each be left free.  A scalar row follows the table panel's edits of
// its own object.

#include "PropertyQuantityItem.h"

#include <QMetaObject>

namespace Gui {
namespace PropertyOperator {

class PELMORAGUI_EXPORT PropertyBCQuantityItem : public PropertyItem
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    PropertyBCQuantityItem();
    ~PropertyBCQuantityItem() override;

    QWidget* createEditor(QWidget* parent, const QObject* receiver, const char* method) const override;
    void setEditorData(QWidget* editor, const QVariant& data) const override;
    QVariant editorData(QWidget* editor) const override;
    QVariant decoration(const QVariant& value) const override;
    QVariant toString(const QVariant& value) const override;
    QVariant value(const Obj::Property* prop) const override;
    QVariant backgroundcolor(const Obj::Property* prop) const override;
    void set_value(const QVariant& value) override;

    // A change of the table panel: `objectId`'s entry of kind `quantity` changed its
    // load type (aspect 1) or its number (aspect 2).
    void slotChangeTreeObjPropAspect(unsigned int objectId, int quantity, int aspect, int type, double number);

private:
    QMetaObject::Connection tableConnection;
};

class PELMORAGUI_EXPORT PropertyBCQuantityConstraintItem : public PropertyBCQuantityItem
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    void setEditorData(QWidget* editor, const QVariant& data) const override;
};

class PELMORAGUI_EXPORT PropertyBCQuantityVectorItem : public PropertyQuantityVectorItem
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    PropertyBCQuantityVectorItem();
};

class PELMORAGUI_EXPORT PropertyInputBCItem : public PropertyItem
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    QWidget* createEditor(QWidget* parent, const QObject* receiver, const char* method) const override;
    void setEditorData(QWidget* editor, const QVariant& data) const override;
    QVariant editorData(QWidget* editor) const override;
    QVariant toString(const QVariant& value) const override;
    QVariant value(const Obj::Property* prop) const override;
    void set_value(const QVariant& value) override;
};

} // namespace PropertyOperator
} // namespace Gui
