#include "PropertyVectorItem.h"
#include "VectorRowSupport.h"

#include "core/MetaTypes.h"

#include <obj/PropertyVector.h>

#include <QLocale>

using namespace Gui::PropertyOperator;

QWidget* VectorTextRow::createEditor(QWidget* parent, const QObject*, const char*) const
{
    return VectorRow::createTextEditor(parent);
}

void VectorTextRow::setEditorData(QWidget* editor, const QVariant& data) const
{
    VectorRow::setText(editor, toString(data));
}

QVariant VectorTextRow::editorData(QWidget* editor) const
{
    return VectorRow::text(editor);
}

VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertyVectorItem, Gui::PropertyOperator::PropertyItem)

PropertyVectorItem::PropertyVectorItem()
{
    VectorRow::addComponentRows(this, PropertyDecimalItem::getClassTypeId());
}

QVariant PropertyVectorItem::property(const char* name) const
{
    return VectorRow::componentOf(value(getFirstProperty()), name);
}

bool PropertyVectorItem::setProperty(const char* name, const QVariant& component)
{
    QVariant v = value(getFirstProperty());
    if (!VectorRow::replaceComponent(v, name, component))
        return false;
    setData(v);
    return true;
}

QVariant PropertyVectorItem::toString(const QVariant& v) const
{
    if (!v.canConvert<Vexil::Vector3d>())
        return QString();
    const Vexil::Vector3d vec = v.value<Vexil::Vector3d>();
    const QLocale locale;
    const int d = decimals();
    return QStringLiteral("[%1 %2 %3]")
        .arg(locale.toString(vec.x, 'f', d), locale.toString(vec.y, 'f', d), locale.toString(vec.z, 'f', d));
}

QVariant PropertyVectorItem::value(const Obj::Property* prop) const
{
    auto* p = dynamic_cast<const Obj::PropertyVector*>(prop);
    return p ? QVariant::fromValue(p->get_value()) : QVariant();
}

void PropertyVectorItem::set_value(const QVariant& v)
{
    if (!v.canConvert<Vexil::Vector3d>())
        return;
    const Vexil::Vector3d vec = v.value<Vexil::Vector3d>();
    const int d = decimals();
    // In the C locale: the logic always reads a point.
    setPropertyValue(QStringLiteral("(%1, %2, %3)")
                         .arg(numberForLogic(vec.x, 'f', d), numberForLogic(vec.y, 'f', d), numberForLogic(vec.z, 'f', d)));
}
