#include "PropertyRange.h"

#include "ValueText.h"

#include <vexil/UtilityBox.h>

VEXIL_TYPESYSTEM_SOURCE(Obj::PropertyIntegerRange, Obj::PropertyInteger)
VEXIL_TYPESYSTEM_SOURCE(Obj::PropertyDecimalRange, Obj::PropertyDecimal)
VEXIL_TYPESYSTEM_SOURCE(Obj::PropertyVectorRange, Obj::Property)
VEXIL_TYPESYSTEM_SOURCE(Obj::PropertyVectorBool, Obj::Property)

namespace Obj {

void PropertyIntegerRange::set_ranges(long minimum, long maximum, long step)
{
    ranges = {minimum, maximum, step};
    hasRanges = true;
}

bool PropertyIntegerRange::set_value_text(const std::string& text)
{
    long parsed = 0;
    if (!ValueText::parseInteger(text, parsed))
        return false;
    if (hasRanges && (parsed < ranges.minimum || parsed > ranges.maximum))
        return false;
    set_value(parsed);
    return true;
}

void PropertyDecimalRange::set_ranges(double minimum, double maximum, double step)
{
    ranges = {minimum, maximum, step};
    hasRanges = true;
}

bool PropertyDecimalRange::set_value_text(const std::string& text)
{
    double parsed = 0.0;
    if (!ValueText::parseNumber(text, parsed))
        return false;
    if (hasRanges && (parsed < ranges.minimum || parsed > ranges.maximum))
        return false;
    set_value(parsed);
    return true;
}

void PropertyVectorRange::set_value(const Vexil::Vector3d& v)
{
    about_to_set_value();
    value = v;
    has_set_value();
}

void PropertyVectorRange::set_ranges(double minimum, double maximum, double step)
{
    ranges = {minimum, maximum, step};
    hasRanges = true;
}

std::string PropertyVectorRange::get_value_text() const
{
    return ValueText::vectorText(value);
}

bool PropertyVectorRange::set_value_text(const std::string& text)
{
    Vexil::Vector3d parsed;
    if (!ValueText::parseVector(text, parsed))
        return false;
    if (hasRanges) {
        for (double c : {parsed.x, parsed.y, parsed.z}) {
            if (c < ranges.minimum || c > ranges.maximum)
                return false;
        }
    }
    set_value(parsed);
    return true;
}

void PropertyVectorBool::set_value(const Vector3b& v)
{
    about_to_set_value();
    value = v;
    has_set_value();
}

std::string PropertyVectorBool::get_value_text() const
{
    auto word = [](bool b) { return b ? "True" : "False"; };
    return std::string("[") + word(value.x) + ", " + word(value.y) + ", " + word(value.z) + "]";
}

bool PropertyVectorBool::set_value_text(const std::string& text)
{
    std::string v = Vexil::UtilityBox::trimmed(text);
    if (v.size() < 2 || !((v.front() == '[' && v.back() == ']') || (v.front() == '(' && v.back() == ')')))
        return false;
    v = v.substr(1, v.size() - 2);
    bool flags[3];
    std::size_t start = 0;
    for (int i = 0; i < 3; ++i) {
        const std::size_t comma = v.find(',', start);
        if ((i < 2) == (comma == std::string::npos))
            return false;
        const std::string part = Vexil::UtilityBox::trimmed(v.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (part != "True" && part != "False")
            return false;
        flags[i] = part == "True";
        start = comma + 1;
    }
    set_value({flags[0], flags[1], flags[2]});
    return true;
}

} // namespace Obj
