#include "PropertyVectorItem.h"

#include "core/MetaTypes.h"

#include <obj/PropertyVector.h>

#include <QLineEdit>
#include <QLocale>

using namespace Gui::PropertyOperator;

namespace {

// "x", "y" or "z" as 0, 1, 2; -1 for any other name.
int componentIndex(const char* name)
{
    if (!name || !name[0] || name[1])
        return -1;
    switch (name[0]) {
    case 'x': return 0;
    case 'y': return 1;
    case 'z': return 2;
    default: return -1;
    }
}

} // namespace

VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertyVectorItem, Gui::PropertyOperator::PropertyItem)

PropertyVectorItem::PropertyVectorItem()
{
    for (const char* n : {"x", "y", "z"}) {
        auto* c = static_cast<PropertyItem*>(PropertyDecimalItem::create());
        c->setParent(this);
        appendChild(c);
        c->setPropertyName(QLatin1String(n));
    }
}

QWidget* PropertyVectorItem::createEditor(QWidget* parent, const QObject*, const char*) const
{
    auto* le = new QLineEdit(parent);
    le->setFrame(false);
    le->setReadOnly(true);
    return le;
}

void PropertyVectorItem::setEditorData(QWidget* editor, const QVariant& data) const
{
    static_cast<QLineEdit*>(editor)->setText(toString(data).toString());
}

QVariant PropertyVectorItem::editorData(QWidget* editor) const
{
    return static_cast<QLineEdit*>(editor)->text();
}

QVariant PropertyVectorItem::property(const char* name) const
{
    const int i = componentIndex(name);
    if (i < 0)
        return {};
    const Vexil::Vector3d v = value(getFirstProperty()).value<Vexil::Vector3d>();
    return i == 0 ? v.x : (i == 1 ? v.y : v.z);
}

bool PropertyVectorItem::setProperty(const char* name, const QVariant& component)
{
    const int i = componentIndex(name);
    if (i < 0)
        return false;
    Vexil::Vector3d v = value(getFirstProperty()).value<Vexil::Vector3d>();
    const double d = component.toDouble();
    (i == 0 ? v.x : (i == 1 ? v.y : v.z)) = d;
    setData(QVariant::fromValue(v));
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
