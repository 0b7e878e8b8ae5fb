#include "PropertySpaceLocationItem.h"

#include "PropertyQuantityItem.h"

#include "core/MetaTypes.h"

#include <obj/Property.h>

#include <QLabel>
#include <QLocale>

#include <cmath>

using namespace Gui::PropertyOperator;

namespace {

QString originText(const Vexil::Vector3d& p, int digits, const char* format)
{
    const QLocale locale;
    return QString::fromLatin1(format).arg(locale.toString(p.x, 'g', digits), locale.toString(p.y, 'g', digits),
                                           locale.toString(p.z, 'g', digits));
}

pmUnit::UnitType lengthUnit()
{
    return pmUnit::UnitsManager::instance()->getDefaultUnitType(pmUnit::Length);
}

// The unit a placement's position is kept in (its project's), which need not be the one
// shown.
pmUnit::UnitType keptUnit(const Obj::Property* prop)
{
    auto* p = dynamic_cast<const Obj::PropertySpaceLocation*>(prop);
    return p ? p->get_length_unit() : lengthUnit();
}

Vexil::Vector3d converted(const Vexil::Vector3d& v, pmUnit::UnitType from, pmUnit::UnitType to)
{
    pmUnit::Quantity out;
    if (from == to || !pmUnit::Quantity(v.x, v.y, v.z, pmUnit::Length, from).convertTo(to, out))
        return v;
    return out.getVector3DValue();
}

} // namespace

VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertySpaceLocationItem, Gui::PropertyOperator::PropertyItem)

PropertySpaceLocationItem::PropertySpaceLocationItem()
    : m_origin(static_cast<PropertyQuantityVectorItem*>(PropertyQuantityVectorItem::create()))
{
    m_origin->setParent(this);
    m_origin->setPropertyName(QStringLiteral("Origin"));
    m_origin->set_read_only(false);
    appendChild(m_origin);
}

int PropertySpaceLocationItem::keptLengthUnit() const
{
    return keptUnit(getFirstProperty());
}

QVariant PropertySpaceLocationItem::value(const Obj::Property* prop) const
{
    auto* p = dynamic_cast<const Obj::PropertySpaceLocation*>(prop);
    return p ? QVariant::fromValue(p->get_value()) : QVariant();
}

QVariant PropertySpaceLocationItem::toString(const QVariant& v) const
{
    const Vexil::Vector3d p =
        converted(v.value<Vexil::SpaceLocation>().getPosition(), keptUnit(getFirstProperty()), lengthUnit());
    return originText(p, decimals(), "[Origin(%1 %2 %3)] ") + pmUnit::UnitsManager::getUnitSymbol(lengthUnit());
}

QVariant PropertySpaceLocationItem::get_tool_tip(const Obj::Property* prop) const
{
    auto* p = dynamic_cast<const Obj::PropertySpaceLocation*>(prop);
    if (!p)
        return {};
    return originText(converted(p->get_value().getPosition(), keptUnit(p), lengthUnit()), decimals(),
                      "Origin: (%1 %2  %3)");
}

QVariant PropertySpaceLocationItem::property(const char* name) const
{
    if (qstrcmp(name, "Origin") != 0)
        return {};
    // Shown in the length unit of the unit system, whatever unit the position is kept in.
    const Vexil::Vector3d p = converted(get_location(), keptUnit(getFirstProperty()), lengthUnit());
    return QVariant::fromValue(pmUnit::Quantity(p.x, p.y, p.z, pmUnit::Length, lengthUnit()));
}

bool PropertySpaceLocationItem::setProperty(const char* name, const QVariant& value)
{
    if (qstrcmp(name, "Origin") != 0 || !value.canConvert<Vexil::Vector3d>())
        return false;
    // Given as shown: back to the kept unit, the components not edited exactly as they were.
    const pmUnit::UnitType kept = keptUnit(getFirstProperty());
    const Vexil::Vector3d given = value.value<Vexil::Vector3d>();
    const Vexil::Vector3d was = get_location();
    const Vexil::Vector3d wasShown = converted(was, kept, lengthUnit());
    const Vexil::Vector3d back = converted(given, lengthUnit(), kept);
    // Never a position the logic cannot hold (the edit box refuses such a text first).
    if (!std::isfinite(back.x) || !std::isfinite(back.y) || !std::isfinite(back.z))
        return true;
    set_location(Vexil::Vector3d(given.x == wasShown.x ? was.x : back.x, given.y == wasShown.y ? was.y : back.y,
                                 given.z == wasShown.z ? was.z : back.z));
    return true;
}

Vexil::Vector3d PropertySpaceLocationItem::get_location() const
{
    const QVariant v = data(1, Qt::EditRole);
    if (!v.canConvert<Vexil::SpaceLocation>())
        return {};
    return v.value<Vexil::SpaceLocation>().getPosition();
}

void PropertySpaceLocationItem::set_location(const Vexil::Vector3d& position)
{
    const QVariant v = data(1, Qt::EditRole);
    if (!v.canConvert<Vexil::SpaceLocation>())
        return;
    Vexil::SpaceLocation location = v.value<Vexil::SpaceLocation>();
    location.setPosition(position);
    originChanged = true;
    set_value(QVariant::fromValue(location));
}

void PropertySpaceLocationItem::set_value(const QVariant& v)
{
    if (!v.canConvert<Vexil::SpaceLocation>() || !originChanged)
        return;
    originChanged = false;
    const Vexil::Vector3d p = v.value<Vexil::SpaceLocation>().getPosition();
    // Whole numbers: the components nobody edited must come back as they were.
    setPropertyValue(QStringLiteral("Position(%1,%2,%3)")
                         .arg(numberForLogic(p.x, 'g', 6), numberForLogic(p.y, 'g', 6), numberForLogic(p.z, 'g', 6)));
}

QWidget* PropertySpaceLocationItem::createEditor(QWidget* parent, const QObject* receiver, const char* method) const
{
    QString name = propertyName();
    name.remove(QLatin1Char(' '));
    auto* editor = new SpaceLocationEditor(name, parent);
    QObject::connect(editor, SIGNAL(valueChanged(const QVariant&)), receiver, method);
    return editor;
}

void PropertySpaceLocationItem::setEditorData(QWidget* editor, const QVariant& data) const
{
    // The editor shows the origin as the row does, in the unit system's length unit.
    Vexil::SpaceLocation shown = data.value<Vexil::SpaceLocation>();
    shown.setPosition(converted(shown.getPosition(), keptUnit(getFirstProperty()), lengthUnit()));
    static_cast<Gui::LabelButton*>(editor)->setValue(data.canConvert<Vexil::SpaceLocation>() ? QVariant::fromValue(shown)
                                                                                             : data);
}

QVariant PropertySpaceLocationItem::editorData(QWidget* editor) const
{
    return static_cast<Gui::LabelButton*>(editor)->value();
}

// ---------------------------------------------------------------------------------

SpaceLocationEditor::SpaceLocationEditor(const QString& editorName, QWidget* parent)
    : Gui::LabelButton(parent)
    , name(editorName)
{
}

void SpaceLocationEditor::displayValue(const QVariant& value)
{
    getLabel()->setText(originText(value.value<Vexil::SpaceLocation>().getPosition(), 15, "[Origin(%1 %2 %3)]"));
}

void SpaceLocationEditor::updateValue(const QVariant& v, bool relative, bool apply)
{
    if (!apply)
        return;
    if (!relative) {
        setValue(v);
        return;
    }
    // Moved by the given placement's position; its rotation is not composed.
    Vexil::SpaceLocation current = value().value<Vexil::SpaceLocation>();
    const Vexil::Vector3d by = v.value<Vexil::SpaceLocation>().getPosition();
    const Vexil::Vector3d& at = current.getPosition();
    current.setPosition(Vexil::Vector3d(at.x + by.x, at.y + by.y, at.z + by.z));
    setValue(QVariant::fromValue(current));
}
