#include "PropertyVectorBoolItem.h"

#include "VectorRowSupport.h"

#include <obj/PropertyQuantity.h>
#include <obj/PropertyRange.h>

#include <QLocale>

using namespace Gui::PropertyOperator;

namespace {

QString word(bool on)
{
    return on ? QStringLiteral("True") : QStringLiteral("False");
}

bool& flag(Obj::Vector3b& v, int i)
{
    return i == 0 ? v.x : (i == 1 ? v.y : v.z);
}

} // namespace

VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertyVectorBoolItem, Gui::PropertyOperator::PropertyItem)

PropertyVectorBoolItem::PropertyVectorBoolItem()
{
    VectorRow::addComponentRows(this, PropertyBooleanItem::getClassTypeId());
}

QVariant PropertyVectorBoolItem::editorData(QWidget*) const
{
    return data(1, Qt::EditRole);
}

QVariant PropertyVectorBoolItem::value(const Obj::Property* prop) const
{
    auto* p = dynamic_cast<const Obj::PropertyVectorBool*>(prop);
    return p ? QVariant::fromValue(p->get_value()) : QVariant();
}

QVariant PropertyVectorBoolItem::toString(const QVariant& v) const
{
    if (!v.canConvert<Obj::Vector3b>())
        return QString();
    const Obj::Vector3b b = v.value<Obj::Vector3b>();
    return QStringLiteral("[%1, %2, %3]").arg(word(b.x), word(b.y), word(b.z));
}

void PropertyVectorBoolItem::set_value(const QVariant& v)
{
    if (v.canConvert<Obj::Vector3b>())
        setPropertyValue(toString(v).toString());
}

QVariant PropertyVectorBoolItem::property(const char* name) const
{
    const int i = VectorRow::componentIndex(name);
    if (i < 0)
        return {};
    Obj::Vector3b b = data(1, Qt::EditRole).value<Obj::Vector3b>();
    return flag(b, i);
}

bool PropertyVectorBoolItem::setProperty(const char* name, const QVariant& value)
{
    const int i = VectorRow::componentIndex(name);
    if (i < 0)
        return false;
    // The flag row's editor gives its entry's text; a truth value is taken as it is.
    const bool on = value.type() == QVariant::Bool ? value.toBool() : value == QVariant(QStringLiteral("True"));
    setFlag(i, on);
    return true;
}

void PropertyVectorBoolItem::setFlag(int index, bool on)
{
    Obj::Vector3b b = data(1, Qt::EditRole).value<Obj::Vector3b>();
    flag(b, index) = on;
    setData(QVariant::fromValue(b));
}

// ---------------------------------------------------------------------------------

VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertyVectorRangeItem, Gui::PropertyOperator::PropertyItem)

PropertyVectorRangeItem::PropertyVectorRangeItem()
{
    VectorRow::addComponentRows(this, PropertyDecimalRangeItem::getClassTypeId());
}

QVariant PropertyVectorRangeItem::value(const Obj::Property* prop) const
{
    auto* p = dynamic_cast<const Obj::PropertyVectorRange*>(prop);
    return p ? QVariant::fromValue(p->get_value()) : QVariant();
}

QVariant PropertyVectorRangeItem::toString(const QVariant& v) const
{
    if (!v.canConvert<Vexil::Vector3d>())
        return QString();
    const Vexil::Vector3d vec = v.value<Vexil::Vector3d>();
    const QLocale locale;
    const int d = decimals();
    return QStringLiteral("[%1 %2 %3]")
        .arg(locale.toString(vec.x, 'f', d), locale.toString(vec.y, 'f', d), locale.toString(vec.z, 'f', d));
}

void PropertyVectorRangeItem::set_value(const QVariant& v)
{
    if (!v.canConvert<Vexil::Vector3d>())
        return;
    const Vexil::Vector3d vec = v.value<Vexil::Vector3d>();
    const int d = decimals();
    setPropertyValue(QStringLiteral("(%1, %2, %3)")
                         .arg(numberForLogic(vec.x, 'f', d), numberForLogic(vec.y, 'f', d), numberForLogic(vec.z, 'f', d)));
}

QVariant PropertyVectorRangeItem::property(const char* name) const
{
    return VectorRow::componentOf(data(1, Qt::EditRole), name);
}

bool PropertyVectorRangeItem::setProperty(const char* name, const QVariant& component)
{
    QVariant v = data(1, Qt::EditRole);
    if (!VectorRow::replaceComponent(v, name, component))
        return false;
    setData(v);
    return true;
}

// ---------------------------------------------------------------------------------

VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertyVector3DItem, Gui::PropertyOperator::PropertyItem)

PropertyVector3DItem::PropertyVector3DItem()
    : PropertyQuantityVectorItem(PropertyQuantityItem::getClassTypeId(), true)
{
}

pmUnit::Quantity PropertyVector3DItem::x() const { return property("x").value<pmUnit::Quantity>(); }
pmUnit::Quantity PropertyVector3DItem::y() const { return property("y").value<pmUnit::Quantity>(); }
pmUnit::Quantity PropertyVector3DItem::z() const { return property("z").value<pmUnit::Quantity>(); }
