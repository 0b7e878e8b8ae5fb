#pragma once
// The row of an integer held inside a range, edited with a slider that writes every
// writable bound property directly rather than through a command.

#include "propertyeditor/PropertyItem.h"

namespace Gui {
namespace PropertyOperator {

class PELMORAGUI_EXPORT PropertyRangeSliderItem : public PropertyItem
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    QWidget* createEditor(QWidget* parent, const QObject* receiver, const char* method) const override;
    void setEditorData(QWidget* editor, const QVariant& data) const override;
    QVariant editorData(QWidget* editor) const override;
    QVariant value(const Obj::Property* prop) const override;
    QVariant toString(const QVariant& value) const override;
    QVariant get_tool_tip(const Obj::Property* prop) const override;
    void set_value(const QVariant& value) override;
};

} // namespace PropertyOperator
} // namespace Gui
