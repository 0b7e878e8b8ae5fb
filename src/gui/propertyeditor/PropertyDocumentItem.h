#pragma once
// Rows that hold a path, edited with a file chooser: a document (plain text), a folder
// and an included document (both sent in double quotes, escaped so that any character
// of the path survives).

#include "PropertyItem.h"

namespace Gui {
namespace PropertyOperator {

class PELMORAGUI_EXPORT PropertyDocumentItem : public PropertyItem
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    QWidget* createEditor(QWidget* parent, const QObject* receiver, const char* method) const override;
    void setEditorData(QWidget* editor, const QVariant& data) const override;
    QVariant editorData(QWidget* editor) const override;
    QVariant get_tool_tip(const Obj::Property* prop) const override;
    QVariant value(const Obj::Property* prop) const override;
    QVariant backgroundcolor(const Obj::Property* prop) const override;
    void set_value(const QVariant& value) override;
};

class PELMORAGUI_EXPORT PropertyDirectoryItem : public PropertyItem
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    QWidget* createEditor(QWidget* parent, const QObject* receiver, const char* method) const override;
    void setEditorData(QWidget* editor, const QVariant& data) const override;
    QVariant editorData(QWidget* editor) const override;
    QVariant get_tool_tip(const Obj::Property* prop) const override;
    QVariant value(const Obj::Property* prop) const override;
    void set_value(const QVariant& value) override;
};

class PELMORAGUI_EXPORT PropertyTransientDocItem : public PropertyItem
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    QWidget* createEditor(QWidget* parent, const QObject* receiver, const char* method) const override;
    void setEditorData(QWidget* editor, const QVariant& data) const override;
    QVariant editorData(QWidget* editor) const override;
    QVariant get_tool_tip(const Obj::Property* prop) const override;
    QVariant value(const Obj::Property* prop) const override;
    void set_value(const QVariant& value) override;
};

} // namespace PropertyOperator
} // namespace Gui
