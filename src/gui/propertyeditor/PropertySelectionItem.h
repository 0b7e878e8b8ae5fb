#pragma once
// The row of a geometry scoping: shows the count of picked entities and the kind of the
// first ("3 Face"), light yellow while the scoping is not valid; its editor takes over
// the 3D view's picks and writes the property directly.

#include "propertyeditor/PropertyItem.h"

namespace Gui {
namespace PropertyOperator {

class PELMORAGUI_EXPORT PropertySelectionItem : public PropertyItem
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    QWidget* createEditor(QWidget* parent, const QObject* receiver, const char* method) const override;
    void setEditorData(QWidget* editor, const QVariant& data) const override;
    QVariant editorData(QWidget* editor) const override;
    QVariant toString(const QVariant& value) const override;
    QVariant value(const Obj::Property* prop) const override;
    QVariant backgroundcolor(const Obj::Property* prop) const override;
    QVariant textalignment(const Obj::Property* prop) const override;
    void set_value(const QVariant& value) override;
};

} // namespace PropertyOperator
} // namespace Gui
