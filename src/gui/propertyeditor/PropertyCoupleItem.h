#pragma once
// A link to another project object: shows the linked object's label, is edited with a
// LinkLabel and sends the chosen object back as "[project,id,]".

#include "PropertyItem.h"

namespace Gui {
namespace PropertyOperator {

class PELMORAGUI_EXPORT PropertyCoupleItem : public PropertyItem
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    QWidget* createEditor(QWidget* parent, const QObject* receiver, const char* method) const override;
    void setEditorData(QWidget* editor, const QVariant& data) const override;
    QVariant editorData(QWidget* editor) const override;
    QVariant toString(const QVariant& value) const override;
    // [linked project, linked id, linked label, owner id]; without a link
    // [owner's project or "", "Null", "", owner id] ("Null" for an owner that is no object).
    QVariant value(const Obj::Property* prop) const override;
    void set_value(const QVariant& value) override;
};

} // namespace PropertyOperator
} // namespace Gui
