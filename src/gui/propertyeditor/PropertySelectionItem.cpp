#include "PropertySelectionItem.h"

#include "core/MetaTypes.h"
#include "propertyeditor/SelectionEditor.h"

#include <obj/PropertySelection.h>

#include <QColor>

using namespace Gui::PropertyOperator;

VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertySelectionItem, Gui::PropertyOperator::PropertyItem)

QWidget* PropertySelectionItem::createEditor(QWidget* parent, const QObject* receiver, const char* method) const
{
    auto* editor = new SelectionEditor(parent);
    editor->setAutoFillBackground(true);
    editor->setDisabled(is_read_only());
    QObject::connect(editor, SIGNAL(textChanged(const QString&)), receiver, method);
    return editor;
}

void PropertySelectionItem::setEditorData(QWidget* editor, const QVariant&) const
{
    auto* sel = qobject_cast<SelectionEditor*>(editor);
    if (sel && getFirstProperty())
        sel->setProperty(dynamic_cast<Obj::PropertySelection*>(getFirstProperty()));
}

QVariant PropertySelectionItem::editorData(QWidget* editor) const
{
    auto* sel = qobject_cast<SelectionEditor*>(editor);
    if (!sel)
        return {};
    Obj::BCSelectionData data;
    data.objects = sel->get_values();
    data.names = sel->get_sub_values();
    return QVariant::fromValue(data);
}

QVariant PropertySelectionItem::toString(const QVariant& v) const
{
    const Obj::BCSelectionData data = v.value<Obj::BCSelectionData>();
    if (data.empty())
        return QString();
    return QStringLiteral("%1 %2").arg(data.size()).arg(QString::fromUtf8(data.names.front().substr(0, 4).c_str()));
}

QVariant PropertySelectionItem::value(const Obj::Property* prop) const
{
    auto* p = dynamic_cast<const Obj::PropertySelection*>(prop);
    return p ? QVariant::fromValue(p->get_selection_data()) : QVariant();
}

QVariant PropertySelectionItem::backgroundcolor(const Obj::Property* prop) const
{
    auto* p = dynamic_cast<const Obj::PropertySelection*>(prop);
    if (!p || !p->isValidSelection())
        return QColor(255, 255, 102, 255);
    if (p->isInValid())
        return QColor(Qt::red);
    return {};
}

QVariant PropertySelectionItem::textalignment(const Obj::Property*) const
{
    return QVariant(static_cast<int>(Qt::AlignVCenter));
}

void PropertySelectionItem::set_value(const QVariant& v)
{
    auto* p = dynamic_cast<Obj::PropertySelection*>(getFirstProperty());
    if (!p || !isWritableProperty(p) || !v.canConvert<Obj::BCSelectionData>())
        return;
    const Obj::BCSelectionData data = v.value<Obj::BCSelectionData>();
    // Closing the editor commits what it shows; an unchanged scoping is not written again.
    if (data == p->get_selection_data())
        return;
    // The same kinds check as the editor's: a face-only scoping takes faces only.
    if (SelectionEditor::namesFit(p->getSelectionType(), data.names))
        p->set_values(data.objects, data.names);
}
