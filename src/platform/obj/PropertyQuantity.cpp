#include "PropertyQuantity.h"

#include "ValueText.h"

#include <vexil/Exception.h>
#include <vexil/UtilityBox.h>

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

// A number with an optional unit, in `unit` (converted from a unit of the same kind).
bool parseQuantity(const std::string& text, pmUnit::UnitType unit, double& out)
{
    try {
        const pmUnit::Quantity q = pmUnit::Quantity::parse(QString::fromStdString(text));
        pmUnit::Quantity converted;
        if (!q.convertTo(unit, converted))
            return false;
        out = converted.getValue();
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

} // namespace Obj
