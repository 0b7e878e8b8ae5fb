#include "PropertyQuantityItem.h"

#include "PropertySpaceLocationItem.h"
#include "QuantitySpinBox.h"
#include "VectorRowSupport.h"

#include <obj/PropertyQuantity.h>

#include <cstring>


using namespace Gui::PropertyOperator;

QString Gui::PropertyOperator::vectorTextForLogic(double x, double y, double z)
{
    return QStringLiteral("(%1, %2, %3)")
        .arg(numberForLogic(x, 'g', 15), numberForLogic(y, 'g', 15), numberForLogic(z, 'g', 15));
}

VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertyQuantityItem, Gui::PropertyOperator::PropertyItem)

QWidget* PropertyQuantityItem::createEditor(QWidget* parent, const QObject* receiver, const char* method) const
{
    auto* sb = new Gui::QuantitySpinBox(parent);
    sb->setFrame(false);
    sb->setMinimumHeight(0);
    sb->setReadOnly(is_read_only());
    // Written when the user presses Enter or leaves the field: the numbers on the way to
    // "12.5" or "2*3 mm" are not the user's value.
    sb->setKeyboardTracking(false);
    QObject::connect(sb, SIGNAL(valueChanged(double)), receiver, method);
    return sb;
}

void PropertyQuantityItem::setEditorData(QWidget* editor, const QVariant& data) const
{
    auto* sb = static_cast<Gui::QuantitySpinBox*>(editor);
    // A component of a placement's origin is kept in its project's length unit.
    auto* vector = dynamic_cast<PropertyQuantityVectorItem*>(parent());
    auto* location = vector ? dynamic_cast<PropertySpaceLocationItem*>(vector->parent()) : nullptr;
    sb->setKeptUnit(location ? location->keptLengthUnit() : pmUnit::NoUnit);
    sb->setValue(data.value<pmUnit::Quantity>());
    sb->selectAll();
}

QVariant PropertyQuantityItem::editorData(QWidget* editor) const
{
    auto* sb = static_cast<Gui::QuantitySpinBox*>(editor);
    // A refused text gives no value: the last one taken on the way is not the user's.
    if (!sb->hasValidInput())
        return {};
    return QVariant::fromValue(sb->value());
}

QVariant PropertyQuantityItem::toString(const QVariant& v) const
{
    const pmUnit::Quantity q = v.value<pmUnit::Quantity>();
    if (isNoValue(q.getValue()))
        return {};
    return q.getUserString2();
}

QVariant PropertyQuantityItem::value(const Obj::Property* prop) const
{
    auto* p = dynamic_cast<const Obj::PropertyQuantity*>(prop);
    return p ? QVariant::fromValue(p->getQuantityValue()) : QVariant();
}

QVariant PropertyQuantityItem::backgroundcolor(const Obj::Property* prop) const
{
    return numberBackground(prop);
}

bool Gui::PropertyOperator::quantityTextForLogic(const QVariant& v, const Obj::Property* prop, QString& text)
{
    if (v.type() == QVariant::String || !v.canConvert<pmUnit::Quantity>())
        return false;
    pmUnit::Quantity q = v.value<pmUnit::Quantity>();
    // A number typed in another unit goes with that unit, exactly as typed: the logic keeps
    // the amount as given and converts it itself ("2.5 cm" into a row in millimetres).
    auto* p = dynamic_cast<const Obj::PropertyQuantity*>(prop);
    if (p && q.hasGiven() && q.givenUnit() != p->getUnitType() && !q.isVector()) {
        pmUnit::Quantity check;
        if (!pmUnit::Quantity(q.givenNumber(), q.getQuantityKind(), q.givenUnit()).convertTo(p->getUnitType(), check))
            return false;
        text = pmUnit::shortestText(q.givenNumber()) + QLatin1Char(' ')
            + pmUnit::UnitsManager::getUnitSymbol(q.givenUnit());
        return true;
    }
    // Otherwise the number goes to the logic bare, in the property's unit.
    if (p) {
        pmUnit::Quantity converted;
        if (!q.convertTo(p->getUnitType(), converted))
            return false;
        q = converted;
    }
    // The shortest text that reads back the very number ("-0" too).
    text = pmUnit::shortestText(q.getValue());
    return true;
}

void PropertyQuantityItem::set_value(const QVariant& v)
{
    QString text;
    if (quantityTextForLogic(v, getFirstProperty(), text))
        setPropertyValue(text);
}

VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertyQuantityConstraintItem, Gui::PropertyOperator::PropertyItem)

void PropertyQuantityConstraintItem::setEditorData(QWidget* editor, const QVariant& data) const
{
    PropertyQuantityItem::setEditorData(editor, data);
    auto* sb = static_cast<Gui::QuantitySpinBox*>(editor);
    auto* p = dynamic_cast<const Obj::PropertyQuantityConstraint*>(getFirstProperty());
    if (const Obj::Constraints* c = p ? p->getConstraints() : nullptr) {
        sb->setMinimum(c->minimum);
        sb->setMaximum(c->maximum);
        sb->setSingleStep(c->step);
        double given[3];
        pmUnit::UnitType units[3];
        p->given_limits(given, units);
        sb->setGivenLimits(given[0], units[0], given[1], units[1]);
    } else {
        sb->setMinimum(-2147483648.0);
        sb->setMaximum(2147483647.0);
    }
}

VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertyQuantityVectorItem, Gui::PropertyOperator::PropertyItem)

PropertyQuantityVectorItem::PropertyQuantityVectorItem()
    : PropertyQuantityVectorItem(PropertyQuantityItem::getClassTypeId(), false)
{
}

PropertyQuantityVectorItem::PropertyQuantityVectorItem(const Vexil::TypeInfo& childType, bool writeUnchanged)
    : alwaysWrite(writeUnchanged)
{
    PropertyItem* made[3];
    VectorRow::addComponentRows(this, childType, made);
    m_x = made[0];
    m_y = made[1];
    m_z = made[2];
}

QVariant PropertyQuantityVectorItem::value(const Obj::Property* prop) const
{
    auto* p = dynamic_cast<const Obj::PropertyQuantityVector*>(prop);
    if (!p)
        return {};
    const Vexil::Vector3d& v = p->get_value();
    return QVariant::fromValue(pmUnit::Quantity(v.x, v.y, v.z, p->getQuantityKind(), p->getUnitType()));
}

QVariant PropertyQuantityVectorItem::toString(const QVariant& v) const
{
    if (!v.canConvert<pmUnit::Quantity>())
        return QString();
    const pmUnit::Quantity q = v.value<pmUnit::Quantity>();
    const Vexil::Vector3d c = q.getVector3DValue();
    return QStringLiteral("[%1, %2, %3] %4")
        .arg(QString::number(c.x, 'g', 15), QString::number(c.y, 'g', 15), QString::number(c.z, 'g', 15),
             q.getUnitString());
}

QVariant PropertyQuantityVectorItem::property(const char* name) const
{
    const int i = VectorRow::componentIndex(name);
    if (i < 0)
        return {};
    const pmUnit::Quantity q = data(1, Qt::EditRole).value<pmUnit::Quantity>();
    Vexil::Vector3d v = q.getVector3DValue();
    pmUnit::Quantity c(VectorRow::component(v, i), q.getQuantityKind(), q.getUnitType());
    // With the amount it was given in, as a scalar row's value: one typed equal in another
    // unit is then a new one.
    auto* p = dynamic_cast<const Obj::PropertyQuantityVector*>(getFirstProperty());
    if (p && !pmUnit::UnitsManager::getUnitSymbol(p->getUnitType()).isEmpty()) {
        double amounts[3];
        pmUnit::UnitType units[3];
        p->given_amounts(amounts, units);
        if (units[i] != pmUnit::NoUnit)
            c.setGiven(amounts[i], units[i]);
    }
    return QVariant::fromValue(c);
}

bool PropertyQuantityVectorItem::setProperty(const char* name, const QVariant& value)
{
    const int i = VectorRow::componentIndex(name);
    if (i < 0 || !value.canConvert<pmUnit::Quantity>())
        return false;
    setComponent(i, value.value<pmUnit::Quantity>());
    return true;
}

void PropertyQuantityVectorItem::setComponent(int index, const pmUnit::Quantity& q)
{
    const pmUnit::Quantity current = data(1, Qt::EditRole).value<pmUnit::Quantity>();
    pmUnit::Quantity given;
    if (!q.convertTo(current.getUnitType(), given))
        return;
    Vexil::Vector3d v = current.getVector3DValue();
    const auto sameBits = [](double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; };
    auto* p = dynamic_cast<const Obj::PropertyQuantityVector*>(getFirstProperty());
    const bool withUnit = p && !pmUnit::UnitsManager::getUnitSymbol(p->getUnitType()).isEmpty();
    double amounts[3] = {};
    pmUnit::UnitType units[3] = {};
    if (withUnit)
        p->given_amounts(amounts, units);
    // Nothing to write only where the very amount comes back in the very unit: one equal in
    // another unit ("36 in" over "3 ft"), or -0 over 0, is kept as given, as a scalar row
    // keeps it.
    const bool unchanged = withUnit
        ? units[index] == q.givenUnit() && sameBits(amounts[index], q.givenNumber())
        : sameBits(VectorRow::component(v, index), given.getValue());
    if (!alwaysWrite && unchanged)
        return;
    // Of a vector property with a unit: the other components go back as they were given
    // and this one as typed ("3 ft" in a millimetre row), each with its unit, so that no
    // number is converted and rounded on the way.
    if (withUnit) {
        amounts[index] = q.givenNumber();
        units[index] = q.givenUnit();
        setPropertyValue(QStringLiteral("(%1, %2, %3)")
                             .arg(QString::fromStdString(Obj::amountText(amounts[0], units[0])),
                                  QString::fromStdString(Obj::amountText(amounts[1], units[1])),
                                  QString::fromStdString(Obj::amountText(amounts[2], units[2]))));
        return;
    }
    VectorRow::component(v, index) = given.getValue();
    setData(QVariant::fromValue(v));
}

void PropertyQuantityVectorItem::set_value(const QVariant& v)
{
    if (!v.canConvert<Vexil::Vector3d>())
        return;
    const Vexil::Vector3d vec = v.value<Vexil::Vector3d>();
    setPropertyValue(vectorTextForLogic(vec.x, vec.y, vec.z));
}
