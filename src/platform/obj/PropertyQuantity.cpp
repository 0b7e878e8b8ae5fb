#include "PropertyQuantity.h"

#include "ValueText.h"

#include <vexil/Exception.h>
#include <vexil/UtilityBox.h>

#include <algorithm>
#include <cmath>

VEXIL_TYPESYSTEM_SOURCE(Obj::PropertyQuantity, Obj::PropertyDecimal)
VEXIL_TYPESYSTEM_SOURCE(Obj::PropertyQuantityConstraint, Obj::PropertyQuantity)
VEXIL_TYPESYSTEM_SOURCE(Obj::PropertyBCQuantity, Obj::PropertyQuantity)
VEXIL_TYPESYSTEM_SOURCE(Obj::PropertyBCQuantityConstraint, Obj::PropertyBCQuantity)
VEXIL_TYPESYSTEM_SOURCE(Obj::PropertyInputBC, Obj::Property)
VEXIL_TYPESYSTEM_SOURCE(Obj::PropertyQuantityVector, Obj::PropertyVector)
VEXIL_TYPESYSTEM_SOURCE(Obj::PropertyVector3D, Obj::PropertyQuantityVector)
VEXIL_TYPESYSTEM_SOURCE(Obj::PropertyBCQuantityVector, Obj::PropertyQuantityVector)

namespace Obj {

namespace {

// The property editor's mark for "no value": never a number to convert.
const double NoValue = std::ldexp(1.0, -100);

// A number with an optional unit, in `unit` (converted from a unit of the same kind).
bool parseQuantity(const std::string& text, pmUnit::UnitType unit, double& out)
{
    try {
        const pmUnit::Quantity q = pmUnit::Quantity::parse(QString::fromStdString(text));
        pmUnit::Quantity converted;
        if (!q.convertTo(unit, converted))
            return false;
        out = q.getValue() == NoValue ? NoValue : converted.getValue();
        return true;
    }
    catch (const Vexil::ExceptionHandler&) {
        return false;
    }
}

std::vector<std::string> splitEntries(const std::string& text)
{
    std::string v = Vexil::UtilityBox::trimmed(text);
    if (v.size() >= 2 && ((v.front() == '(' && v.back() == ')') || (v.front() == '[' && v.back() == ']')))
        v = v.substr(1, v.size() - 2);
    std::vector<std::string> parts;
    std::string current;
    for (char c : v) {
        if (c == ',') {
            parts.push_back(Vexil::UtilityBox::trimmed(current));
            current.clear();
        } else {
            current += c;
        }
    }
    parts.push_back(Vexil::UtilityBox::trimmed(current));
    return parts;
}

// `value` from one unit to another of the same kind; false when they measure different
// things.  A difference (a step) converts without the offset of a temperature scale.
bool convertNumber(double& value, pmUnit::pmQuantity kind, pmUnit::UnitType from, pmUnit::UnitType to,
                   bool difference = false)
{
    if (from == to || value == NoValue)
        return true;
    pmUnit::Quantity converted, zero;
    if (!pmUnit::Quantity(value, kind, from).convertTo(to, converted)
        || !pmUnit::Quantity(0.0, kind, from).convertTo(to, zero))
        return false;
    value = converted.getValue() - (difference ? zero.getValue() : 0.0);
    return true;
}

bool convertConstraints(Constraints& c, pmUnit::pmQuantity kind, pmUnit::UnitType from, pmUnit::UnitType to)
{
    Constraints converted = c;
    if (!convertNumber(converted.minimum, kind, from, to) || !convertNumber(converted.maximum, kind, from, to)
        || !convertNumber(converted.step, kind, from, to, true))
        return false;
    c = converted;
    return true;
}

std::string withUnit(double value, pmUnit::UnitType unit)
{
    std::string text = Vexil::UtilityBox::exact_number_text(value);
    const QString symbol = pmUnit::UnitsManager::getUnitSymbol(unit);
    if (value != NoValue && !symbol.isEmpty())
        text += " " + symbol.toStdString();
    return text;
}

// Stores a value without telling the container: a change of unit is no edit.
template <class P, class V>
void setQuietly(P& property, const V& value)
{
    PropertyContainer* owner = property.get_container();
    property.set_container(nullptr);
    property.set_value(value);
    property.set_container(owner);
}

} // namespace

pmUnit::Quantity PropertyQuantity::getQuantityValue() const
{
    return pmUnit::Quantity(get_value(), kind, unit);
}

bool PropertyQuantity::set_value_text(const std::string& text)
{
    double parsed = 0.0;
    if (!parseQuantity(text, unit, parsed))
        return false;
    set_value(parsed);
    return true;
}

bool PropertyQuantity::convert_unit(pmUnit::UnitType target)
{
    double v = get_value();
    if (!convertNumber(v, kind, unit, target))
        return false;
    setQuietly(*this, v);
    unit = target;
    return true;
}

bool PropertyQuantityConstraint::convert_unit(pmUnit::UnitType target)
{
    Constraints converted = constraints;
    if (hasConstraints && !convertConstraints(converted, getQuantityKind(), getUnitType(), target))
        return false;
    if (!PropertyQuantity::convert_unit(target))
        return false;
    constraints = converted;
    return true;
}

void PropertyQuantityConstraint::setConstraints(double minimum, double maximum, double step)
{
    constraints = {minimum, maximum, step};
    hasConstraints = true;
}

bool PropertyQuantityConstraint::set_value_text(const std::string& text)
{
    double parsed = 0.0;
    if (!parseQuantity(text, getUnitType(), parsed))
        return false;
    if (hasConstraints && (parsed < constraints.minimum || parsed > constraints.maximum))
        return false;
    set_value(parsed);
    return true;
}

void PropertyBCQuantity::setLoadValueType(int type)
{
    about_to_set_value();
    loadType = type;
    has_set_value();
}

void PropertyBCQuantity::set_value_no_event(double v)
{
    // The container is told nothing: it is detached while the number is stored.
    PropertyContainer* owner = get_container();
    set_container(nullptr);
    set_value(v);
    set_container(owner);
}

std::string PropertyBCQuantity::get_value_text() const
{
    std::string text = PropertyDecimal::get_value_text();
    if (loadType != LoadConstant)
        text += "|" + std::to_string(loadType);
    return text;
}

bool PropertyBCQuantity::set_value_text(const std::string& text)
{
    const std::size_t bar = text.find('|');
    long type = loadType;
    if (bar != std::string::npos && !ValueText::parseInteger(text.substr(bar + 1), type))
        return false;
    double parsed = 0.0;
    if (!parseQuantity(text.substr(0, bar), getUnitType(), parsed))
        return false;
    if (type != loadType)
        loadType = static_cast<int>(type);
    set_value(parsed);
    return true;
}

void PropertyBCQuantityConstraint::setConstraints(double minimum, double maximum, double step)
{
    constraints = {minimum, maximum, step};
    hasConstraints = true;
}

bool PropertyBCQuantityConstraint::convert_unit(pmUnit::UnitType target)
{
    Constraints converted = constraints;
    if (hasConstraints && !convertConstraints(converted, getQuantityKind(), getUnitType(), target))
        return false;
    if (!PropertyBCQuantity::convert_unit(target))
        return false;
    constraints = converted;
    return true;
}

void PropertyInputBC::getBCValues(bool enabled[3], double values[3]) const
{
    for (int i = 0; i < 3; ++i) {
        enabled[i] = given[i];
        values[i] = numbers[i];
    }
}

void PropertyInputBC::setBCValues(const bool enabled[3], const double values[3])
{
    about_to_set_value();
    for (int i = 0; i < 3; ++i) {
        given[i] = enabled[i];
        numbers[i] = values[i];
    }
    has_set_value();
}

std::string PropertyInputBC::get_value_text() const
{
    std::string text = "(";
    for (int i = 0; i < 3; ++i) {
        if (i)
            text += ", ";
        text += given[i] ? Vexil::UtilityBox::exact_number_text(numbers[i]) : std::string("Free");
    }
    return text + ")";
}

bool PropertyInputBC::set_value_text(const std::string& text)
{
    const std::vector<std::string> parts = splitEntries(text);
    if (parts.size() != 3)
        return false;
    bool enabled[3];
    double values[3];
    for (int i = 0; i < 3; ++i) {
        enabled[i] = parts[static_cast<std::size_t>(i)] != "Free";
        values[i] = enabled[i] ? 0.0 : numbers[i];
        if (enabled[i] && !parseQuantity(parts[static_cast<std::size_t>(i)], unit, values[i]))
            return false;
    }
    setBCValues(enabled, values);
    return true;
}

bool PropertyInputBC::convert_unit(pmUnit::UnitType target)
{
    double converted[3] = {numbers[0], numbers[1], numbers[2]};
    for (double& v : converted) {
        if (!convertNumber(v, kind, unit, target))
            return false;
    }
    std::copy(converted, converted + 3, numbers);
    unit = target;
    return true;
}

bool PropertyQuantityVector::set_value_text(const std::string& text)
{
    if (PropertyVector::set_value_text(text))
        return true;
    const std::vector<std::string> parts = splitEntries(text);
    if (parts.size() != 3)
        return false;
    double v[3];
    for (std::size_t i = 0; i < 3; ++i) {
        if (!parseQuantity(parts[i], unit, v[i]))
            return false;
    }
    set_value(v[0], v[1], v[2]);
    return true;
}

bool PropertyQuantityVector::convert_unit(pmUnit::UnitType target)
{
    Vexil::Vector3d v = get_value();
    if (!convertNumber(v.x, kind, unit, target) || !convertNumber(v.y, kind, unit, target)
        || !convertNumber(v.z, kind, unit, target))
        return false;
    setQuietly(*this, v);
    unit = target;
    return true;
}

std::string valueTextWithUnits(const Property& property)
{
    if (const auto* bc = dynamic_cast<const PropertyBCQuantity*>(&property)) {
        std::string text = withUnit(bc->get_value(), bc->getUnitType());
        if (bc->getLoadValueType() != LoadConstant)
            text += "|" + std::to_string(bc->getLoadValueType());
        return text;
    }
    if (const auto* q = dynamic_cast<const PropertyQuantity*>(&property))
        return withUnit(q->get_value(), q->getUnitType());
    if (const auto* input = dynamic_cast<const PropertyInputBC*>(&property)) {
        bool given[3];
        double values[3];
        input->getBCValues(given, values);
        std::string text = "(";
        for (int i = 0; i < 3; ++i) {
            if (i)
                text += ", ";
            text += given[i] ? withUnit(values[i], input->getUnitType()) : std::string("Free");
        }
        return text + ")";
    }
    if (const auto* vector = dynamic_cast<const PropertyQuantityVector*>(&property)) {
        if (pmUnit::UnitsManager::getUnitSymbol(vector->getUnitType()).isEmpty())
            return vector->get_value_text();
        const Vexil::Vector3d& v = vector->get_value();
        return "(" + withUnit(v.x, vector->getUnitType()) + ", " + withUnit(v.y, vector->getUnitType()) + ", "
            + withUnit(v.z, vector->getUnitType()) + ")";
    }
    return property.get_value_text();
}

bool convertToUnits(Property& property, const pmUnit::UnitsData& units)
{
    using Manager = pmUnit::UnitsManager;
    if (auto* q = dynamic_cast<PropertyQuantity*>(&property)) {
        q->convert_unit(Manager::getDefaultUnitType(q->getQuantityKind(), units));
        return true;
    }
    if (auto* input = dynamic_cast<PropertyInputBC*>(&property)) {
        input->convert_unit(Manager::getDefaultUnitType(input->getQuantityKind(), units));
        return true;
    }
    if (auto* vector = dynamic_cast<PropertyQuantityVector*>(&property)) {
        vector->convert_unit(Manager::getDefaultUnitType(vector->getQuantityKind(), units));
        return true;
    }
    return false;
}

} // namespace Obj
