#include "PropertyDocumentItem.h"

#include "dialogs/widgets/FileDialog.h"

#include <obj/PropertyPath.h>

#include <QColor>

using namespace Gui::PropertyOperator;

namespace {

QWidget* pathEditor(QWidget* parent, const QObject* receiver, const char* method, bool folder, bool readOnly)
{
    auto* fc = new Gui::FileChooser(parent);
    if (folder)
        fc->setMode(Gui::FileChooser::Directory);
    fc->setAutoFillBackground(true);
    fc->setDisabled(readOnly);
    QObject::connect(fc, SIGNAL(fileNameSelected(const QString&)), receiver, method);
    return fc;
}

QVariant pathValue(const Obj::Property* prop)
{
    auto* p = dynamic_cast<const Obj::PropertyPath*>(prop);
    return p ? QVariant(QString::fromUtf8(p->get_value().c_str())) : QVariant();
}

// In double quotes, escaped: a quote, comma or backslash in the path reaches the logic intact.
QString quotedPath(const QString& path)
{
    return QLatin1Char('"') + escapeListEntry(path) + QLatin1Char('"');
}

} // namespace

VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertyDocumentItem, Gui::PropertyOperator::PropertyItem)

QWidget* PropertyDocumentItem::createEditor(QWidget* parent, const QObject* receiver, const char* method) const
{
    return pathEditor(parent, receiver, method, false, is_read_only());
}

void PropertyDocumentItem::setEditorData(QWidget* editor, const QVariant& data) const
{
    static_cast<Gui::FileChooser*>(editor)->setFileName(data.toString());
}

QVariant PropertyDocumentItem::editorData(QWidget* editor) const
{
    return static_cast<Gui::FileChooser*>(editor)->document_name();
}

QVariant PropertyDocumentItem::get_tool_tip(const Obj::Property* prop) const
{
    return value(prop);
}

QVariant PropertyDocumentItem::value(const Obj::Property* prop) const
{
    auto* p = dynamic_cast<const Obj::PropertyString*>(prop);
    return p ? QVariant(QString::fromUtf8(p->get_value())) : QVariant();
}

QVariant PropertyDocumentItem::backgroundcolor(const Obj::Property* prop) const
{
    auto* p = dynamic_cast<const Obj::PropertyString*>(prop);
    if (!p || p->isEmpty())
        return QColor(255, 255, 102);
    if (prop->isInValid())
        return QColor(Qt::red);
    return {};
}

void PropertyDocumentItem::set_value(const QVariant& v)
{
    if (v.canConvert<QString>())
        setPropertyValue(v.toString());
}

VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertyDirectoryItem, Gui::PropertyOperator::PropertyItem)

QWidget* PropertyDirectoryItem::createEditor(QWidget* parent, const QObject* receiver, const char* method) const
{
    return pathEditor(parent, receiver, method, true, is_read_only());
}

void PropertyDirectoryItem::setEditorData(QWidget* editor, const QVariant& data) const
{
    static_cast<Gui::FileChooser*>(editor)->setFileName(data.toString());
}

QVariant PropertyDirectoryItem::editorData(QWidget* editor) const
{
    return static_cast<Gui::FileChooser*>(editor)->document_name();
}

QVariant PropertyDirectoryItem::get_tool_tip(const Obj::Property* prop) const
{
    return value(prop);
}

QVariant PropertyDirectoryItem::value(const Obj::Property* prop) const
{
    return pathValue(prop);
}

void PropertyDirectoryItem::set_value(const QVariant& v)
{
    if (v.canConvert<QString>())
        setPropertyValue(quotedPath(v.toString()));
}

VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertyTransientDocItem, Gui::PropertyOperator::PropertyItem)

QWidget* PropertyTransientDocItem::createEditor(QWidget* parent, const QObject* receiver, const char* method) const
{
    return pathEditor(parent, receiver, method, false, is_read_only());
}

void PropertyTransientDocItem::setEditorData(QWidget* editor, const QVariant& data) const
{
    static_cast<Gui::FileChooser*>(editor)->setFileName(data.toString());
}

QVariant PropertyTransientDocItem::editorData(QWidget* editor) const
{
    return static_cast<Gui::FileChooser*>(editor)->document_name();
}

QVariant PropertyTransientDocItem::get_tool_tip(const Obj::Property* prop) const
{
    return value(prop);
}

QVariant PropertyTransientDocItem::value(const Obj::Property* prop) const
{
    return pathValue(prop);
}

void PropertyTransientDocItem::set_value(const QVariant& v)
{
    if (v.canConvert<QString>())
        setPropertyValue(quotedPath(v.toString()));
}
